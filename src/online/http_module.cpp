#include "online/http_module.h"

#include <dlfcn.h>

namespace tobu {

ModuleHttpClient::ModuleHttpClient(const std::string& modulePath) {
    handle_ = ::dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = ::dlerror();
        error_ = why ? why : modulePath + ": cannot be loaded";
        return;
    }
    using Make = HttpClient* (*)();
    auto make = reinterpret_cast<Make>(::dlsym(handle_, "TobuMakeHttpClient"));
    free_ = reinterpret_cast<void (*)(HttpClient*)>(::dlsym(handle_, "TobuFreeHttpClient"));
    if (make && free_) client_ = make();
    if (client_) return;
    error_ = modulePath + (make && free_ ? ": the module could not set up its HTTP client"
                                         : ": not an HTTP module (its entry points are missing)");
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
