#include "online/server.h"

#include <cctype>
#include <cstdlib>

#include "base/text.h"

#ifndef TOBU_SERVER_DEFAULT
#define TOBU_SERVER_DEFAULT "http://www.example.com"
#endif
#ifndef TOBU_CONTACT
#define TOBU_CONTACT "tobu@example.com"
#endif

namespace tobu {

namespace {

bool IsHostChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_';
}

bool ValidHost(std::string_view host) {
    if (host.empty()) return false;
    if (host.front() == '[') { // an IPv6 literal
        if (host.size() < 3 || host.back() != ']') return false;
        for (char c : host.substr(1, host.size() - 2))
            if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
        return true;
    }
    for (char c : host)
        if (!IsHostChar(c)) return false;
    return true;
}

bool ValidPort(std::string_view port) {
    if (port.empty() || port.size() > 5) return false;
    long v = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    return v >= 1 && v <= 65535;
}

} // namespace

std::optional<std::string> ServerBase(std::string_view value) {
    for (unsigned char c : value)
        if (c <= 0x20 || c == 0x7F || c >= 0x80) return std::nullopt;
    std::string scheme;
    const std::string lower = AsciiLower(value.substr(0, 8));
    if (lower.rfind("http://", 0) == 0)
        scheme = "http://";
    else if (lower.rfind("https://", 0) == 0)
        scheme = "https://";
    else
        return std::nullopt;
    std::string_view rest = value.substr(scheme.size());
    const size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    std::string_view path =
        slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    if (path.find_first_of("?#") != std::string_view::npos) return std::nullopt;
    std::string_view host = authority, port;
    const size_t colon = authority.rfind(':');
    if (colon != std::string_view::npos && authority.find(']', colon) == std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
        if (!ValidPort(port)) return std::nullopt;
    }
    if (!ValidHost(host)) return std::nullopt;
    std::string base = scheme + std::string(authority) + std::string(path);
    if (!path.empty() && base.back() == '/') base.pop_back();
    return base;
}

std::string ConfiguredServerText() {
    if (const char* env = std::getenv("TOBU_SERVER")) return env;
    return TOBU_SERVER_DEFAULT;
}

std::optional<std::string> ConfiguredServer() {
    return ServerBase(ConfiguredServerText());
}

std::string FeedUrl(const std::string& base) {
    return base + "/AD/AD003.txt";
}

std::string WeatherUrl(const std::string& base) {
    return base + "/Weather_TobuClock.htm";
}

std::string HomePageUrl(const std::string& base) {
    return base + "/";
}

std::string ContactAddress() {
    return TOBU_CONTACT;
}

} // namespace tobu
