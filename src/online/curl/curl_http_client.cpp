#include "online/curl/curl_http_client.h"

#include <curl/curl.h>
#include <mutex>

namespace tobu {

namespace {

struct Receiver {
    std::string body;
    std::size_t limit = 0;
    bool too_large = false;
};

size_t Receive(char* data, size_t size, size_t count, void* user) {
    auto* r = static_cast<Receiver*>(user);
    const size_t n = size * count;
    if (r->body.size() + n > r->limit) {
        r->too_large = true;
        return 0; // stops the transfer; nothing beyond the limit is held
    }
    r->body.append(data, n);
    return n;
}

bool IsWebUrl(const std::string& url) {
    auto starts = [&](const char* p) {
        const std::string prefix = p;
        if (url.size() < prefix.size()) return false;
        for (size_t i = 0; i < prefix.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(url[i])) != prefix[i]) return false;
        return true;
    };
    return starts("http://") || starts("https://");
}

} // namespace

CurlHttpClient::CurlHttpClient(Setup setup) {
    if (setup == Setup::Done) return;
    // Once per process, before any thread uses libcurl; never cleaned up, so a worker still
    // running at exit finds it intact.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpResult CurlHttpClient::Get(const std::string& url, const HttpLimits& limits) {
    HttpResult result;
    if (!IsWebUrl(url)) {
        result.error = HttpError::BadUrl;
        return result;
    }
    CURL* curl = curl_easy_init();
    if (!curl) {
        result.error = HttpError::Connect;
        return result;
    }
    Receiver receiver;
    receiver.limit = limits.max_bytes;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, static_cast<long>(limits.max_redirects));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, limits.connect_timeout_ms);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, limits.total_timeout_ms);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.max_bytes));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Receive);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &receiver);
    // Only a 200 answer's body is wanted: others fail as soon as their headers are in.
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 0L);

    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    long redirects = 0;
    curl_easy_getinfo(curl, CURLINFO_REDIRECT_COUNT, &redirects);
    char* location = nullptr;
    curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &location);
    const bool pendingRedirect = location != nullptr && status >= 300 && status < 400;
    curl_easy_cleanup(curl);

    result.status = static_cast<int>(status);
    result.bytes = receiver.body.size();
    switch (code) {
    case CURLE_OK:
        if (status != 200) result.error = HttpError::Status;
        break;
    case CURLE_WRITE_ERROR:
        result.error = receiver.too_large ? HttpError::TooLarge : HttpError::Transfer;
        break;
    case CURLE_FILESIZE_EXCEEDED:
        result.error = HttpError::TooLarge;
        break;
    case CURLE_TOO_MANY_REDIRECTS:
        result.error = HttpError::Redirect;
        break;
    case CURLE_UNSUPPORTED_PROTOCOL:
        result.error = redirects > 0 || pendingRedirect ? HttpError::Redirect : HttpError::BadUrl;
        break;
    case CURLE_OPERATION_TIMEDOUT:
        result.error = HttpError::Timeout;
        break;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
        result.error = HttpError::Connect;
        break;
    default:
        result.error = HttpError::Transfer;
        break;
    }
    if (result.error != HttpError::None) return result;
    result.body = std::move(receiver.body);
    return result;
}

} // namespace tobu
