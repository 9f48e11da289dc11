// The time servers: the lines of TimeHost.lst, what a line names, and which line an attempt
// uses.
//
// A line, after trimming blanks, is one of
//     HOST            a name or dotted IPv4 address, port 37
//     HOST:PORT       exactly one ":", PORT 1 to 5 digits, 1..65535
//     [IPV6]:PORT     or [IPV6] (port 37)
//     IPV6            a bare numeric IPv6 address (two or more ":"), port 37
// Anything else (an empty line, "host:", "host:0", "host:65536", "host:+80", "host: 80",
// ":80") is not a host.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tobu {

constexpr std::uint16_t kTimePort = 37;

struct HostEntry {
    std::string host; // name, IPv4 or IPv6 address text (without brackets)
    std::uint16_t port = kTimePort;
    bool ipv6 = false; // the host is a numeric IPv6 address
    bool operator==(const HostEntry&) const = default;
};

std::optional<HostEntry> ParseHostEntry(std::string_view line);

// The text's lines (CR LF, CR or LF; a final line break does not start another line).
std::vector<std::string> SplitLines(std::string_view text);

// The whole file, when it is a regular file that can be read (never throws).
std::optional<std::string> ReadFileBytes(const std::string& path);

// TimeHost.lst as lines, unchanged; a missing or unreadable file is an empty list.
std::vector<std::string> ReadHostList(const std::string& path);

// The line an attempt uses: the only line, or with two or more lines one drawn uniformly from
// all but the last. `count` must not be 0.
std::size_t ChooseHostIndex(std::size_t count, std::mt19937& rng);

} // namespace tobu
