// The feed's HTTP client, loaded from the module Modules/TobuHttp.so in the program folder. libcurl
// brings TLS, name-lookup and authentication libraries (about 5 MB resident) that the clock
// needs for one fetch a day at most; the module is loaded with each client and let go with it,
// so a clock at rest maps none of them.
#pragma once

#include <string>

#include "platform/http_client.h"

namespace tobu {

constexpr const char* kHttpModule = "Modules/TobuHttp.so";

class ModuleHttpClient : public HttpClient {
public:
    explicit ModuleHttpClient(const std::string& modulePath);
    ~ModuleHttpClient() override;
    ModuleHttpClient(const ModuleHttpClient&) = delete;
    ModuleHttpClient& operator=(const ModuleHttpClient&) = delete;

    bool Loaded() const { return client_ != nullptr; }
    // Why the module could not be loaded ("" once loaded): the loader's message, a missing
    // entry point, or a client the module could not make.
    const std::string& LoadError() const { return error_; }
    // Without the module every request fails as a connection failure.
    HttpResult Get(const std::string& url, const HttpLimits& limits) override;

private:
    void* handle_ = nullptr;
    HttpClient* client_ = nullptr;
    void (*free_)(HttpClient*) = nullptr;
    std::string error_;
};

} // namespace tobu
