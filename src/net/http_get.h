#pragma once

#include "get.h"

#include <string>

// A blocking HTTP(S) GET on libcurl, for the quote service's upstream
// requests: certificates checked, proxy variables honoured.
namespace quoterra::net {

GetResult get(const std::string& url, const GetOptions& options = {});

// "scheme://host:port" of an absolute http(s) address, lower-cased, the port
// always written out; empty
// for anything else.
std::string originOf(const std::string& url);

} // namespace quoterra::net
