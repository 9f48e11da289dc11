// Keeping the clock right: one synchronisation attempt (host choice, exchange, clock setting,
// TimeCheck.lst), the automatic worker TSyncTime and the one-shot TSyncTimeDir of "立即校正".
//
// An attempt fails, and writes nothing, when the list is empty, the chosen line is not a host,
// the exchange fails, the clock cannot be set, or TimeCheck.lst cannot be written. On success
// TimeCheck.lst is replaced (atomically: the worker and "立即校正" may both write it) with one
// line "yyyy-mm-dd hh:mm:ss" CR LF, the local time just after the clock was set.
//
// The worker makes up to 60 attempts 10 s apart (it also sleeps 10 s after the 60th failure),
// then pauses StepHour hours (the length held when the pause begins) and starts again; a
// success ends the series at once. Its first attempt is made as soon as it starts. Stopping it
// wakes its sleeps and socket waits at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/datetime.h"
#include "timeservices/stop_signal.h"
#include "timeservices/time_host.h"
#include "timeservices/time_protocol.h"

namespace tobu {

class Clock;
class ClockSetter;

struct SyncOutcome {
    TimeError error = TimeError::None;
    std::string message;              // one line, for failures
    std::optional<std::string> entry; // the trimmed line used (none without hosts)
    std::optional<HostEntry> host;    // what it names
    TimeReply reply;                  // the exchange, when one ran
    std::string checked;              // the line written to TimeCheck.lst
    bool ok() const { return error == TimeError::None; }
};

// Everything an attempt needs from outside.
struct SyncContext {
    ClockSetter& setter;
    const Clock& clock; // local time, for TimeCheck.lst and the reseeding of the host choice
    TimeLimits limits{};
    const StopSignal* stop = nullptr;
};

// "yyyy-mm-dd hh:mm:ss".
std::string CheckTimeText(TDateTime local);
// The first line of TimeCheck.lst, when the file exists and has one.
std::optional<std::string> ReadTimeCheck(const std::string& path);

// One attempt over the lines of TimeHost.lst; `check_path` empty writes nothing.
SyncOutcome SyncAttempt(const std::vector<std::string>& hosts, const std::string& check_path,
                        const SyncContext& context);

// StepHour as the worker uses it: clamped to 1..1000, in milliseconds.
std::uint32_t PauseMsFromHours(int hours);

// What the worker does after each attempt: the waits before the next one.
class SyncSchedule {
public:
    static constexpr int kAttempts = 60;
    static constexpr std::uint32_t kRetryMs = 10000;
    enum class Wait { Retry, Pause };
    std::vector<Wait> AfterAttempt(bool ok);
    int Failures() const { return failures_; }

private:
    int failures_ = 0;
};

// The worker's loop: attempt, then the schedule's waits (Retry = 10 s, Pause = pause_ms as it
// is when the pause begins); ends when `wait` returns false.
void RunSyncLoop(const std::function<bool()>& attempt,
                 const std::function<bool(std::uint32_t ms)>& wait,
                 const std::atomic<std::uint32_t>& pause_ms);

class TSyncTime {
public:
    // The host list is read here; the thread starts at once and attempts at once.
    TSyncTime(const std::string& check_path, const std::string& host_path, int hours,
              ClockSetter& setter, const Clock& clock, TimeLimits limits = {});
    ~TSyncTime(); // Stop()
    TSyncTime(const TSyncTime&) = delete;
    TSyncTime& operator=(const TSyncTime&) = delete;

    // A new StepHour; it applies from the next pause that begins.
    void SetHours(int hours) { pause_ms_.store(PauseMsFromHours(hours)); }
    std::uint32_t PauseMs() const { return pause_ms_.load(); }
    // Ends the worker wherever it is: sleeps and socket waits wake at once.
    void Stop();
    int Attempts() const { return attempts_.load(); }

private:
    std::vector<std::string> hosts_;
    std::string check_path_;
    ClockSetter& setter_;
    const Clock& clock_;
    TimeLimits limits_;
    std::atomic<std::uint32_t> pause_ms_;
    std::atomic<int> attempts_{0};
    StopSignal stop_;
    std::thread thread_;
};

class TSyncTimeDir {
public:
    // The host list is read here.
    TSyncTimeDir(const std::string& host_path, const std::string& check_path, ClockSetter& setter,
                 const Clock& clock, TimeLimits limits = {});
    // One attempt: the time written on success, else "" (Last() tells why).
    std::string Run(const StopSignal* stop = nullptr);
    const SyncOutcome& Last() const { return last_; }

private:
    std::vector<std::string> hosts_;
    std::string check_path_;
    ClockSetter& setter_;
    const Clock& clock_;
    TimeLimits limits_;
    SyncOutcome last_;
};

} // namespace tobu
