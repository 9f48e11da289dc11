// Setting the system clock. The program sets it through systemd's time service
// (org.freedesktop.timedate1 SetTime on the system bus, absolute, not interactive; libsystemd
// is loaded for it on first use), and falls back to clock_settime(CLOCK_REALTIME) when the
// process holds the right to change the time.
//
// Test setting: when $TOBU_CLOCK_SETTER is set and not empty, neither is used; every setting
// runs that program instead as `$TOBU_CLOCK_SETTER SECONDS "YYYY-MM-DD HH:MM:SS"` (the new time
// in whole seconds since 1970-01-01 00:00:00 UTC, and the same instant as local date and time),
// with an empty standard input and its output ignored. Exit status 0 means the clock was set;
// any other status, a failure to start it, or no exit within 10 s means it was not.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace tobu {

class ClockSetter {
public:
    virtual ~ClockSetter() = default;
    // Sets the clock to the instant `unix_seconds` (UTC). True when the clock was set.
    virtual bool SetUtc(std::int64_t unix_seconds) = 0;
    // Whether setting is likely to succeed: the stand-in is configured, the process holds the
    // right to change the time, or the time service answers on the system bus (which then asks
    // its own policy).
    virtual bool MaySet() const = 0;
    // Why the last SetUtc failed, when the setter knows ("" otherwise).
    virtual std::string WhyNotSet() const { return {}; }
};

// The library of systemd's bus client, loaded on first use.
constexpr const char* kSystemdLibrary = "libsystemd.so.0";

// Whether the bus functions the setter uses load from `library` (once per process and name; a
// loaded library stays loaded); the reason in `why` when not.
bool SdBusLoads(const char* library, std::string* why);

class SystemClockSetter : public ClockSetter {
public:
    explicit SystemClockSetter(std::string systemd_library = kSystemdLibrary)
        : library_(std::move(systemd_library)) {}
    bool SetUtc(std::int64_t unix_seconds) override;
    bool MaySet() const override;
    // Without libsystemd the time service cannot be asked: the reason names the library.
    std::string WhyNotSet() const override;
    static SystemClockSetter& Instance();

private:
    bool SetClock(std::int64_t unix_seconds, std::string& why);
    std::string library_;
    mutable std::mutex mutex_;
    std::string why_not_set_;
};

// "YYYY-MM-DD HH:MM:SS" of the instant in the process's local time zone.
std::string LocalTimeText(std::int64_t unix_seconds);

// Runs `program` with `args` (stdin and stdout/stderr on /dev/null) and waits at most
// `limit_ms`; a program still running then is killed. True when it exited with status 0.
bool RunProgramQuietly(const std::string& program, const std::vector<std::string>& args,
                       int limit_ms);

// Test double: records each request and answers with `result`.
class RecordingClockSetter : public ClockSetter {
public:
    bool SetUtc(std::int64_t unix_seconds) override {
        calls.push_back(unix_seconds);
        return result;
    }
    bool MaySet() const override { return result; }
    std::vector<std::int64_t> calls;
    bool result = true;
};

} // namespace tobu
