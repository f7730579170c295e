// Query parsing: clients put symbols into addresses without escaping them,
// so '&', '^' and spaces arrive as they are and must survive.

#include "routes.h"

#include <gtest/gtest.h>

using namespace quoterra::service;

namespace {

TEST(QueryValue, SymbolsWithAmpersandsAndEscapes)
{
    struct Case {
        const char* query;
        const char* key;
        std::initializer_list<std::string_view> keys;
        bool plus;
        const char* value;
    };
    const Case cases[] = {
        {"s=IBM&f=sl1d1t1c1ohgv&e=.csv", "s", {"s", "f", "e"}, false, "IBM"},
        {"s=AT&T&f=sl1d1t1c1ohgv&e=.csv", "s", {"s", "f", "e"}, false, "AT&T"},
        {"s=S&&P%20500&d=1b", "s", {"s", "d"}, false, "S&&P 500"},
        {"s=S&&P%20500&d=1b", "d", {"s", "d"}, false, "1b"},
        {"s=%5EDJI&f=x", "s", {"s", "f", "e"}, false, "^DJI"},
        {"s=^DJI", "s", {"s", "f", "e"}, false, "^DJI"},
        {"f=x&s=MSFT", "s", {"s", "f", "e"}, false, "MSFT"},
        {"s=&f=x", "s", {"s", "f", "e"}, false, ""},
        {"f=x", "s", {"s", "f", "e"}, false, ""},
        {"", "s", {"s"}, false, ""},
        {"s", "s", {"s"}, false, ""},
        {"ss=1&s=2", "s", {"s", "ss"}, false, "2"},
        {"s=a+b", "s", {"s"}, false, "a+b"},
        {"s=international+business", "s", {"s"}, true, "international business"},
        {"action=q&board=S&&P%20500", "board", {"action", "board"}, false, "S&&P 500"},
        {"action=q&board=S&&P%20500", "action", {"action", "board"}, false, "q"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(queryValue(c.query, c.key, c.keys, c.plus), c.value) << c.query << " [" << c.key << "]";
}

TEST(PercentDecode, BrokenEscapesStayAsTheyAre)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"%41%62", "Ab"}, {"%zz", "%zz"}, {"100%", "100%"}, {"%4", "%4"}, {"%%41", "%A"}, {"a+b", "a+b"},
        {"%2F", "/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(percentDecode(c.in, false), c.out) << c.in;
}

} // namespace
