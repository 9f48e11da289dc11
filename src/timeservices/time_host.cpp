#include "timeservices/time_host.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/text.h"

namespace tobu {
namespace {

// A numeric IPv6 address: hexadecimal digits, ":" and "." (an embedded IPv4 part) only, so a
// NUL byte cannot cut the text short for inet_pton.
bool IsIpv6(const std::string& text) {
    for (char c : text) {
        bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
                  c == ':' || c == '.';
        if (!ok) return false;
    }
    in6_addr addr{};
    return inet_pton(AF_INET6, text.c_str(), &addr) == 1;
}

// A host name or dotted IPv4 address: letters, digits, "-", "_" and ".", at most 253 characters.
bool IsHostName(std::string_view s) {
    if (s.empty() || s.size() > 253) return false;
    for (char c : s) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '-' || c == '_' || c == '.';
        if (!ok) return false;
    }
    return true;
}

std::optional<std::uint16_t> ParsePort(std::string_view s) {
    if (s.empty() || s.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value < 1 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::optional<HostEntry> ParseHostEntry(std::string_view line) {
    const std::string s = Trim(line);
    if (s.empty()) return std::nullopt;
    if (s.front() == '[') {
        const auto close = s.find(']');
        if (close == std::string::npos) return std::nullopt;
        HostEntry e{s.substr(1, close - 1), kTimePort, true};
        if (!IsIpv6(e.host)) return std::nullopt;
        std::string_view rest = std::string_view(s).substr(close + 1);
        if (rest.empty()) return e;
        if (rest.front() != ':') return std::nullopt;
        auto port = ParsePort(rest.substr(1));
        if (!port) return std::nullopt;
        e.port = *port;
        return e;
    }
    const auto colons = std::count(s.begin(), s.end(), ':');
    if (colons == 0) {
        if (!IsHostName(s)) return std::nullopt;
        return HostEntry{s, kTimePort, false};
    }
    if (colons == 1) {
        const auto colon = s.find(':');
        std::string host = s.substr(0, colon);
        auto port = ParsePort(std::string_view(s).substr(colon + 1));
        if (!IsHostName(host) || !port) return std::nullopt;
        return HostEntry{host, *port, false};
    }
    if (!IsIpv6(s)) return std::nullopt;
    return HostEntry{s, kTimePort, true};
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0, i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::optional<std::string> data;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        data.emplace();
        char buf[65536];
        for (;;) {
            ssize_t n = read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                data.reset();
                break;
            }
            if (n == 0) break;
            data->append(buf, static_cast<std::size_t>(n));
        }
    }
    close(fd);
    return data;
}

std::vector<std::string> ReadHostList(const std::string& path) {
    auto data = ReadFileBytes(path);
    if (!data) return {};
    return SplitLines(*data);
}

std::size_t ChooseHostIndex(std::size_t count, std::mt19937& rng) {
    if (count <= 2) return 0;
    std::uniform_int_distribution<std::size_t> pick(0, count - 2);
    return pick(rng);
}

} // namespace tobu
