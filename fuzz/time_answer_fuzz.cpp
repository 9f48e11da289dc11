// corpus: tests/timeservices/corpus/answer
//
// Feeds arbitrary bytes as a Time server's answer (through a local socket pair, in pieces
// chosen by the input) to the answer reader: fewer than 4 bytes are a short answer, otherwise
// the first 4 bytes are the count and only instants from 2024 on are accepted.
#include <cstddef>
#include <cstdint>
#include <sys/socket.h>
#include <unistd.h>

#include "timeservices/time_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return 0;
    // The first byte, when there is one, cuts the answer in two pieces.
    size_t cut = size > 0 ? data[0] % (size + 1) : 0;
    if (cut > 0 && send(fds[1], data, cut, MSG_NOSIGNAL) < 0) cut = 0;
    if (size > cut) send(fds[1], data + cut, size - cut, MSG_NOSIGNAL);
    shutdown(fds[1], SHUT_WR);
    const tobu::TimeReply r = tobu::ReadTimeAnswer(fds[0], {100, 100});
    close(fds[0]);
    close(fds[1]);
    if (size < 4) {
        if (r.error != tobu::TimeError::Short) __builtin_trap();
        return 0;
    }
    const std::uint32_t s = std::uint32_t{data[0]} << 24 | std::uint32_t{data[1]} << 16 |
                            std::uint32_t{data[2]} << 8 | data[3];
    if (r.seconds != s) __builtin_trap();
    const bool plausible = r.unix_time >= tobu::kPlausibleFromUnix;
    if (r.ok() != plausible) __builtin_trap();
    if (!r.ok() && r.error != tobu::TimeError::Implausible) __builtin_trap();
    return 0;
}
