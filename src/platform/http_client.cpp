#include "platform/http_client.h"

namespace tobu {

std::string HttpErrorText(const HttpResult& r) {
    switch (r.error) {
    case HttpError::None:
        return "";
    case HttpError::Connect:
        return "connect";
    case HttpError::Timeout:
        return "timeout";
    case HttpError::Status:
        return "http " + std::to_string(r.status);
    case HttpError::TooLarge:
        return "too-large";
    case HttpError::Redirect:
        return "redirect";
    case HttpError::Transfer:
        return "transfer";
    case HttpError::BadUrl:
        return "bad-url";
    }
    return "transfer";
}

HttpResult ScriptedHttpClient::Get(const std::string& url, const HttpLimits&) {
    urls.push_back(url);
    if (answers.empty()) return HttpResult{HttpError::Connect, 0, 0, {}};
    HttpResult r = std::move(answers.front());
    answers.pop_front();
    return r;
}

HttpResult HttpOk(std::string body) {
    HttpResult r;
    r.status = 200;
    r.bytes = body.size();
    r.body = std::move(body);
    return r;
}

} // namespace tobu
