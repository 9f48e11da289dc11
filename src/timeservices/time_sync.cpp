#include "timeservices/time_sync.h"

#include <algorithm>
#include <cstdio>

#include "base/text.h"
#include "platform/clock.h"
#include "platform/clock_setter.h"
#include "settings/ini_file.h"

namespace tobu {

std::string CheckTimeText(TDateTime local) {
    return FormatDateTime("yyyy-mm-dd hh:nn:ss", local);
}

std::optional<std::string> ReadTimeCheck(const std::string& path) {
    auto data = ReadFileBytes(path);
    if (!data) return std::nullopt;
    auto lines = SplitLines(*data);
    if (lines.empty()) return std::nullopt;
    return lines.front();
}

SyncOutcome SyncAttempt(const std::vector<std::string>& hosts, const std::string& check_path,
                        const SyncContext& context) {
    SyncOutcome out;
    if (hosts.empty()) {
        out.error = TimeError::NoHosts;
        out.message = "the host list is missing or empty";
        return out;
    }
    std::mt19937 rng(static_cast<std::mt19937::result_type>(ToMSecs(context.clock.Now())));
    const std::string& line = hosts[ChooseHostIndex(hosts.size(), rng)];
    out.entry = Trim(line);
    out.host = ParseHostEntry(line);
    if (!out.host) {
        out.error = TimeError::BadHost;
        out.message = "not a host: '" + *out.entry + "'";
        return out;
    }
    out.reply = AskTime(*out.host, context.limits, context.stop);
    if (!out.reply.ok()) {
        out.error = out.reply.error;
        out.message = out.reply.message;
        return out;
    }
    if (context.stop && context.stop->Requested()) {
        out.error = TimeError::Stopped;
        out.message = "stopped";
        return out;
    }
    if (!context.setter.SetUtc(out.reply.unix_time)) {
        out.error = TimeError::SetFailed;
        const std::string why = context.setter.WhyNotSet();
        out.message = "the system clock could not be set" + (why.empty() ? "" : ": " + why);
        return out;
    }
    const std::string checked = CheckTimeText(context.clock.Now());
    if (!check_path.empty()) {
        std::string why;
        if (!WriteFileAtomically(check_path, checked + "\r\n", LinkPolicy::FollowOwn, &why)) {
            out.error = TimeError::WriteFailed;
            out.message = "cannot write " + check_path + (why.empty() ? "" : ": " + why);
            return out;
        }
    }
    out.checked = checked;
    return out;
}

std::uint32_t PauseMsFromHours(int hours) {
    return static_cast<std::uint32_t>(std::clamp(hours, 1, 1000)) * 3600000u;
}

std::vector<SyncSchedule::Wait> SyncSchedule::AfterAttempt(bool ok) {
    if (ok) {
        failures_ = 0;
        return {Wait::Pause};
    }
    if (++failures_ < kAttempts) return {Wait::Retry};
    failures_ = 0;
    return {Wait::Retry, Wait::Pause};
}

void RunSyncLoop(const std::function<bool()>& attempt,
                 const std::function<bool(std::uint32_t ms)>& wait,
                 const std::atomic<std::uint32_t>& pause_ms) {
    SyncSchedule schedule;
    for (;;) {
        const bool ok = attempt();
        for (auto w : schedule.AfterAttempt(ok)) {
            const std::uint32_t ms =
                w == SyncSchedule::Wait::Retry ? SyncSchedule::kRetryMs : pause_ms.load();
            if (!wait(ms)) return;
        }
    }
}

TSyncTime::TSyncTime(const std::string& check_path, const std::string& host_path, int hours,
                     ClockSetter& setter, const Clock& clock, TimeLimits limits)
    : hosts_(ReadHostList(host_path)), check_path_(check_path), setter_(setter), clock_(clock),
      limits_(limits), pause_ms_(PauseMsFromHours(hours)) {
    thread_ = std::thread([this] {
        RunSyncLoop(
            [this] {
                if (stop_.Requested()) return false;
                ++attempts_;
                return SyncAttempt(hosts_, check_path_, {setter_, clock_, limits_, &stop_}).ok();
            },
            [this](std::uint32_t ms) { return stop_.SleepFor(ms); }, pause_ms_);
    });
}

TSyncTime::~TSyncTime() {
    Stop();
}

void TSyncTime::Stop() {
    stop_.Request();
    if (thread_.joinable()) thread_.join();
}

TSyncTimeDir::TSyncTimeDir(const std::string& host_path, const std::string& check_path,
                           ClockSetter& setter, const Clock& clock, TimeLimits limits)
    : hosts_(ReadHostList(host_path)), check_path_(check_path), setter_(setter), clock_(clock),
      limits_(limits) {}

std::string TSyncTimeDir::Run(const StopSignal* stop) {
    last_ = SyncAttempt(hosts_, check_path_, {setter_, clock_, limits_, stop});
    return last_.ok() ? last_.checked : std::string();
}

} // namespace tobu
