// The module TobuHttp.so: libcurl and its TLS libraries behind two plain entry points, so the
// clock maps them only while the feed is fetched (see online/http_module.h).
#include <curl/curl.h>

#include "online/curl/curl_http_client.h"

extern "C" {

// A client for one worker; libcurl is set up for it (libcurl counts its users).
__attribute__((visibility("default"))) tobu::HttpClient* TobuMakeHttpClient() {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return nullptr;
    return new tobu::CurlHttpClient(tobu::CurlHttpClient::Setup::Done);
}

// Frees a client made above and lets libcurl go when it was the last one.
__attribute__((visibility("default"))) void TobuFreeHttpClient(tobu::HttpClient* client) {
    if (!client) return;
    delete client;
    curl_global_cleanup();
}
}
