// The HTTP client of the feed, with libcurl: GET over http or https only (redirects too, at
// most the limit, each to http or https), the connect time-out and the time limit of the whole
// request, only status 200 succeeds, the body capped at the size limit (from Content-Length
// when present, while receiving otherwise; the receiver never holds more), an early end fails,
// TLS certificates verified, no Accept-Encoding, User-Agent "TobuClock/3.7.5", proxies from the
// environment as libcurl reads them.
#pragma once

#include "platform/http_client.h"

namespace tobu {

constexpr const char* kUserAgent = "TobuClock/3.7.5";

class CurlHttpClient : public HttpClient {
public:
    // Once: libcurl is set up once per process and never cleaned up. Done: the caller set it up
    // and cleans it up after the client is gone (the module of online/http_module.h).
    enum class Setup { Once, Done };
    explicit CurlHttpClient(Setup setup = Setup::Once);
    HttpResult Get(const std::string& url, const HttpLimits& limits) override;
};

} // namespace tobu
