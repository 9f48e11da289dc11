#include "online/http_module.h"

#include <dlfcn.h>

namespace tobu {

ModuleHttpClient::ModuleHttpClient(const std::string& modulePath) {
    handle_ = ::dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) return;
    using Make = HttpClient* (*)();
    auto make = reinterpret_cast<Make>(::dlsym(handle_, "TobuMakeHttpClient"));
    free_ = reinterpret_cast<void (*)(HttpClient*)>(::dlsym(handle_, "TobuFreeHttpClient"));
    if (make && free_) client_ = make();
    if (client_) return;
    ::dlclose(handle_);
    handle_ = nullptr;
}

ModuleHttpClient::~ModuleHttpClient() {
    if (client_) free_(client_);
    if (handle_) ::dlclose(handle_);
}

HttpResult ModuleHttpClient::Get(const std::string& url, const HttpLimits& limits) {
    if (client_) return client_->Get(url, limits);
    HttpResult result;
    result.error = HttpError::Connect;
    return result;
}

} // namespace tobu
