#include "pages.h"

#include "net/text.h"

#include <cctype>

namespace quoterra::service {

std::string htmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            // control characters have no place in a page title
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
                out += "&#xFFFD;";
            else
                out += c;
        }
    }
    return out;
}

std::string urlEncode(std::string_view text)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string htmlPage(std::string_view title, std::string_view bodyHtml, std::string_view footerHtml)
{
    const std::string t = htmlEscape(title);
    std::string page;
    page += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
    page += t;
    page += "</title>\n<style>body{font-family:sans-serif;margin:2em;max-width:40em}"
            "table{border-collapse:collapse}td,th{padding:2px 8px;text-align:left}</style>\n"
            "</head>\n<body>\n<h1>";
    page += t;
    page += "</h1>\n";
    page += bodyHtml;
    page += "<hr>\n<p><small>Quoterra quote service &mdash; ";
    page += footerHtml;
    page += " <a href=\"/\">Start page</a></small></p>\n</body>\n</html>\n";
    return page;
}

const std::vector<Company>& companyDirectory()
{
    static const std::vector<Company> directory = {
        {"AAPL", "Apple Inc."},
        {"AMZN", "Amazon.com Inc."},
        {"CSCO", "Cisco Systems Inc."},
        {"DIS", "Walt Disney Company"},
        {"F", "Ford Motor Company"},
        {"GE", "General Electric Company"},
        {"GOOGL", "Alphabet Inc."},
        {"IBM", "International Business Machines Corporation"},
        {"INTC", "Intel Corporation"},
        {"JPM", "JPMorgan Chase & Co."},
        {"KO", "Coca-Cola Company"},
        {"MSFT", "Microsoft Corporation"},
        {"ORCL", "Oracle Corporation"},
        {"T", "AT&T Inc."},
        {"WMT", "Walmart Inc."},
        {"XOM", "Exxon Mobil Corporation"},
        {"^DJI", "Dow Jones Industrial Average"},
        {"^IXIC", "NASDAQ Composite"},
        {"^SPC", "S&P 500 Index"},
        {"^TYX", "Treasury Yield 30 Years (x10)"},
    };
    return directory;
}

std::vector<Company> lookUp(std::string_view query)
{
    using net::lowerAscii;
    const std::string q = lowerAscii(query);
    std::vector<Company> found;
    for (const Company& c : companyDirectory())
        if (lowerAscii(c.symbol).find(q) != std::string::npos || lowerAscii(c.name).find(q) != std::string::npos)
            found.push_back(c);
    return found;
}

} // namespace quoterra::service
