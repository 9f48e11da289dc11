// corpus: tests/timeservices/corpus/timehost
//
// Feeds arbitrary bytes to the TimeHost.lst line splitter and the host entry parser: every
// line is a host or not, a host has a port and a name without blanks, and parsing is stable
// under trimming.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/text.h"
#include "timeservices/time_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const auto& line : tobu::SplitLines(text)) {
        if (line.find_first_of("\r\n") != std::string::npos) __builtin_trap();
        const auto entry = tobu::ParseHostEntry(line);
        if (entry != tobu::ParseHostEntry(tobu::Trim(line))) __builtin_trap();
        if (!entry) continue;
        if (entry->port == 0 || entry->host.empty()) __builtin_trap();
        if (entry->host.find_first_of(" \t[]") != std::string::npos) __builtin_trap();
        if (!entry->ipv6 && entry->host.find(':') != std::string::npos) __builtin_trap();
    }
    return 0;
}
