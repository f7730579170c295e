#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quoterra::service {

std::string htmlEscape(std::string_view text);
// Percent-encodes everything but unreserved characters, for links we build.
std::string urlEncode(std::string_view text);

// A small complete HTML page; `bodyHtml` and `footerHtml` must already be escaped.
std::string htmlPage(std::string_view title, std::string_view bodyHtml,
                     std::string_view footerHtml = "a simulated market for offline use.");

struct Company {
    std::string_view symbol;
    std::string_view name;
};
// A short directory of well-known listings, enough for symbol lookups offline.
const std::vector<Company>& companyDirectory();
// Companies whose symbol or name contains the query, ignoring case; all of them for an empty query.
std::vector<Company> lookUp(std::string_view query);

} // namespace quoterra::service
