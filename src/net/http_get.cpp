#include "http_get.h"

#include <curl/curl.h>

#include <cstdlib>
#include <memory>
#include <mutex>

namespace quoterra::net {

namespace {

struct Transfer {
    const GetOptions* options = nullptr;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    std::size_t headerBytes = 0;
    bool bodyTooLarge = false;
    bool headersTooLarge = false;
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    if (t->body.size() + n > t->options->maxBody) {
        t->bodyTooLarge = true;
        return 0; // stops the transfer
    }
    t->body.append(data, n);
    return n;
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    t->headerBytes += n;
    if (t->headerBytes > t->options->maxHeaderBytes) {
        t->headersTooLarge = true;
        return 0;
    }
    const std::string_view line(data, n);
    if (line.starts_with("HTTP/")) // a new head: an interim answer such as 100 came first
        t->headers.clear();
    else if (const auto colon = line.find(':'); colon != std::string_view::npos)
        t->headers.emplace_back(trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
    return n;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* t = static_cast<Transfer*>(user);
    return t->options->cancel && t->options->cancel->load() ? 1 : 0;
}

// Loopback never goes through a proxy, whatever the environment names.
std::string noProxyList()
{
    std::string list;
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
        if (const char* v = std::getenv(name); v && *v) {
            list = v;
            break;
        }
    }
    if (!list.empty())
        list += ',';
    return list + "localhost,127.0.0.1,::1";
}

using Easy = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using Headers = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

} // namespace

std::string originOf(const std::string& url)
{
    CURLU* u = curl_url();
    if (!u)
        return {};
    std::string origin;
    if (curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
        char* scheme = nullptr;
        char* host = nullptr;
        char* port = nullptr;
        if (curl_url_get(u, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK
            && curl_url_get(u, CURLUPART_HOST, &host, 0) == CURLUE_OK
            && curl_url_get(u, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
            const std::string s = lowerAscii(scheme);
            if (s == "http" || s == "https")
                origin = s + "://" + lowerAscii(host) + ":" + port;
        }
        curl_free(scheme);
        curl_free(host);
        curl_free(port);
    }
    curl_url_cleanup(u);
    return origin;
}

GetResult get(const std::string& url, const GetOptions& options)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    GetResult result;
    const std::string origin = originOf(url);
    if (origin.empty()) {
        result.error = "not an http or https address";
        return result;
    }
    const auto deadline = std::chrono::steady_clock::now() + options.timeout;

    Headers headers(nullptr, &curl_slist_free_all);
    for (const std::string& h : options.headers)
        headers.reset(curl_slist_append(headers.release(), h.c_str()));
    const std::string noProxy = noProxyList();

    std::string address = url;
    for (int hop = 0;; ++hop) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.error = kTimedOut;
            return result;
        }
        Easy easy(curl_easy_init(), &curl_easy_cleanup);
        if (!easy) {
            result.error = "out of memory";
            return result;
        }
        Transfer t;
        t.options = &options;
        char message[CURL_ERROR_SIZE] = {};
        CURL* c = easy.get();
        curl_easy_setopt(c, CURLOPT_URL, address.c_str());
        curl_easy_setopt(c, CURLOPT_PATH_AS_IS, 1L); // the path as built: no "." or ".." squeezed out
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(left.count()));
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(left.count()));
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &onBody);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
        curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &onHeader);
        curl_easy_setopt(c, CURLOPT_HEADERDATA, &t);
        curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &onProgress);
        curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
        curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(options.maxBody));
        curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(c, CURLOPT_NOPROXY, noProxy.c_str());
        curl_easy_setopt(c, CURLOPT_ERRORBUFFER, message);
        if (!options.userAgent.empty())
            curl_easy_setopt(c, CURLOPT_USERAGENT, options.userAgent.c_str());
        if (headers)
            curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());

        const CURLcode code = curl_easy_perform(c);
        long status = 0;
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
        result.status = status;
        if (code != CURLE_OK) {
            result.refused = code == CURLE_COULDNT_CONNECT;
            if (t.bodyTooLarge || code == CURLE_FILESIZE_EXCEEDED)
                result.error = bodyTooLargeError(options.maxBody);
            else if (t.headersTooLarge)
                result.error = headTooLargeError(options.maxHeaderBytes);
            else if (code == CURLE_ABORTED_BY_CALLBACK)
                result.error = kCancelled;
            else if (code == CURLE_OPERATION_TIMEDOUT)
                result.error = kTimedOut;
            else
                result.error = message[0] ? message : curl_easy_strerror(code);
            return result;
        }
        result.headers = std::move(t.headers);
        char* next = nullptr;
        if (status >= 300 && status < 400)
            curl_easy_getinfo(c, CURLINFO_REDIRECT_URL, &next);
        if (!next) {
            result.body = std::move(t.body);
            return result;
        }
        if (!mayFollowRedirect(origin, originOf(next), hop, options, result))
            return result;
        address = next;
    }
}

} // namespace quoterra::net
