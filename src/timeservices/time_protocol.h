// One Time protocol exchange (RFC 868 over TCP): connect, wait for the server's 4 bytes, and
// turn them into an instant. The exchange never sets anything; it only answers.
//
// Limits: name resolution and connect together 3000 ms; each wait for data 2500 ms. An answer
// may arrive in pieces (read until 4 bytes are there; bytes after the fourth are ignored).
// S is unsigned 32-bit big-endian seconds since 1900-01-01 00:00:00 UTC; D is half the
// milliseconds between the connection and the fourth byte; the instant is S + D div 1000.
// An instant before 2024-01-01 00:00:00 UTC is refused as implausible (a text answer, a
// misdirected port, the 2036 wrap of the 32-bit count).
#pragma once

#include <cstdint>
#include <string>

#include "timeservices/time_host.h"

namespace tobu {

class StopSignal;

enum class TimeError {
    None,
    BadHost,        // the line is not a host
    Resolve,        // the name could not be resolved
    Refused,        // the connection was refused
    ConnectTimeout, // resolution and connect took more than 3000 ms
    Timeout,        // a wait for data ran out (2500 ms)
    Short,          // closed or reset before 4 bytes arrived
    Implausible,    // the answer lies before 2024
    Network,        // any other socket error
    Stopped,        // the worker was told to end
    NoHosts,        // the host list is missing or empty
    SetFailed,      // the clock could not be set
    WriteFailed,    // TimeCheck.lst could not be written
};

// The short code of an error as `tobu time` prints it ("bad-host", "connect-timeout", ...).
const char* TimeErrorCode(TimeError error);

struct TimeLimits {
    int connect_ms = 3000;
    int read_ms = 2500;
};

// Seconds between 1900-01-01 and 1970-01-01.
constexpr std::int64_t kSecondsFrom1900To1970 = 2208988800;
// 2024-01-01 00:00:00 UTC: answers before it are implausible.
constexpr std::int64_t kPlausibleFromUnix = 1704067200;

// The instant of an answer, in seconds since 1970 (UTC): S + (elapsed / 2) div 1000.
std::int64_t UnixTimeFromAnswer(std::uint32_t seconds, std::uint32_t elapsed_ms);

struct TimeReply {
    TimeError error = TimeError::None;
    std::string message;             // one line, for failures
    std::uint32_t seconds = 0;       // S as received
    std::uint32_t round_trip_ms = 0; // the tick difference
    std::int64_t unix_time = 0;      // S + D div 1000, seconds since 1970 (UTC)
    std::int64_t system_unix_ms = 0; // the system clock when the fourth byte arrived
    bool ok() const { return error == TimeError::None; }
};

// Asks the host once. `stop`, when given, ends every wait at once (the error is Stopped); a
// name resolution still running then is left to finish on its own.
TimeReply AskTime(const HostEntry& host, const TimeLimits& limits = {},
                  const StopSignal* stop = nullptr);

// The part after the connection: the tick, the reads until 4 bytes have arrived, the answer's
// arithmetic and the plausibility check, on a connected stream socket.
TimeReply ReadTimeAnswer(int fd, const TimeLimits& limits = {}, const StopSignal* stop = nullptr);

} // namespace tobu
