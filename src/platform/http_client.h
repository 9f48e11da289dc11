// Fetching a web address into memory. The feed's worker and `tobu feed fetch` use one client
// with fixed limits: http and https only (redirects too), a connect time-out, a time limit on
// the whole request whatever the server does, and a size cap that the receiver never exceeds.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace tobu {

struct HttpLimits {
    long connect_timeout_ms = 10000;
    long total_timeout_ms = 30000;
    std::size_t max_bytes = 1048576;
    int max_redirects = 3;
};

enum class HttpError {
    None,     // status 200 and the whole body
    Connect,  // no connection (refused, unknown host, TLS failure)
    Timeout,  // the connect time-out or the request's time limit ran out
    Status,   // a final status other than 200
    TooLarge, // more than max_bytes, announced or received
    Redirect, // too many redirects, or one to another scheme
    Transfer, // the body ended early or the connection broke
    BadUrl,   // not an http or https address
};

struct HttpResult {
    HttpError error = HttpError::None;
    int status = 0;        // the final HTTP status, 0 without a response
    std::size_t bytes = 0; // body bytes received
    std::string body;      // only when error is None
};

// "connect", "timeout", "http 404", "too-large", "redirect", "transfer", "bad-url"; "" for None.
std::string HttpErrorText(const HttpResult& result);

class HttpClient {
public:
    virtual ~HttpClient() = default;
    // Blocks the calling thread until the request ends (within the limits).
    virtual HttpResult Get(const std::string& url, const HttpLimits& limits) = 0;
};

// Test double: records every address and answers with the scripted results in order (a
// connection failure when the script is used up).
class ScriptedHttpClient : public HttpClient {
public:
    HttpResult Get(const std::string& url, const HttpLimits& limits) override;

    std::deque<HttpResult> answers;
    std::vector<std::string> urls;
};

// A result of status 200 carrying `body`.
HttpResult HttpOk(std::string body);

} // namespace tobu
