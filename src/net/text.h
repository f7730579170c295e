#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

// The few text helpers the HTTP clients and the quote service share. ASCII
// only: a header name, a scheme or a symbol means the same in any locale.
namespace quoterra::net {

constexpr char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

inline std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = lowerAscii(c);
    return out;
}

constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

// Without the spaces, tabs and line ends around it.
constexpr std::string_view trimmed(std::string_view text)
{
    constexpr std::string_view space = " \t\r\n";
    const std::size_t first = text.find_first_not_of(space);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// Every piece between the separators, empty ones included: "a,,b" gives
// "a", "", "b"; an empty text gives one empty piece.
inline std::vector<std::string_view> splitOn(std::string_view text, char separator)
{
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t at = text.find(separator, start);
        pieces.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos)
            return pieces;
        start = at + 1;
    }
}

} // namespace quoterra::net
