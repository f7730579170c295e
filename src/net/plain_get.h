#pragma once

#include "get.h"

#include <string>

// A blocking GET over plain HTTP/1.1 on the system's sockets, for the
// ticker, which only ever talks to a quote service by http://. It needs no
// library of its own: the few milliseconds libcurl and its dependencies
// take to load would otherwise come before the ticker's first paint. No
// proxies, no TLS, no compression.
namespace quoterra::net {

GetResult getPlain(const std::string& url, const GetOptions& options = {});

} // namespace quoterra::net
