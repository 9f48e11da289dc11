#include "platform/clock_setter.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <thread>
#include <type_traits>
#include <unistd.h>

extern char** environ;

namespace tobu {
namespace {

constexpr int kSetterLimitMs = 10000;

const char* StandIn() {
    const char* s = std::getenv("TOBU_CLOCK_SETTER");
    return s && *s ? s : nullptr;
}

// CAP_SYS_TIME (bit 25) in the effective capabilities of this process.
bool HoldsSysTime() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("CapEff:", 0) != 0) continue;
        unsigned long long caps = std::strtoull(line.c_str() + 7, nullptr, 16);
        return (caps >> 25) & 1;
    }
    return geteuid() == 0;
}

// libsystemd's bus client is loaded by name the first time the clock is set or the time
// service is asked, not linked: with its compression and crypto libraries it would be mapped by
// every start of the clock and of `tobu`, which mostly never set the clock. A loaded library
// stays loaded.
struct SdBusApi {
    decltype(&sd_bus_open_system) open_system = nullptr;
    decltype(&sd_bus_call_method) call_method = nullptr;
    decltype(&sd_bus_get_property_string) get_property_string = nullptr;
    decltype(&sd_bus_error_free) error_free = nullptr;
    decltype(&sd_bus_message_unref) message_unref = nullptr;
    decltype(&sd_bus_unref) unref = nullptr;
};

// The entry points of `library`, loaded once per process and name; null with the reason in
// `why` when the library or one of its functions is missing.
const SdBusApi* LoadSdBus(const char* library, std::string* why) {
    struct Loaded {
        std::string name;
        SdBusApi api;
        std::string error; // "" when api is whole
    };
    static std::mutex mutex;
    static std::vector<std::unique_ptr<Loaded>> loaded;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = std::find_if(loaded.begin(), loaded.end(),
                           [&](const auto& l) { return l->name == library; });
    if (it == loaded.end()) {
        auto l = std::make_unique<Loaded>();
        l->name = library;
        if (void* lib = dlopen(library, RTLD_NOW | RTLD_LOCAL)) {
            auto get = [&](auto& fn, const char* name) {
                fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
                if (!fn && l->error.empty()) l->error = std::string(library) + " lacks " + name;
            };
            get(l->api.open_system, "sd_bus_open_system");
            get(l->api.call_method, "sd_bus_call_method");
            get(l->api.get_property_string, "sd_bus_get_property_string");
            get(l->api.error_free, "sd_bus_error_free");
            get(l->api.message_unref, "sd_bus_message_unref");
            get(l->api.unref, "sd_bus_unref");
        } else {
            const char* e = dlerror();
            l->error = std::string("cannot load ") + library + (e ? std::string(": ") + e : "");
        }
        loaded.push_back(std::move(l));
        it = loaded.end() - 1;
    }
    if (!(*it)->error.empty()) {
        if (why) *why = (*it)->error;
        return nullptr;
    }
    return &(*it)->api;
}

bool SetThroughTimedated(const SdBusApi& sd, std::int64_t unix_seconds, std::string* why) {
    sd_bus* bus = nullptr;
    if (int r = sd.open_system(&bus); r < 0) {
        if (why) *why = "no system bus: " + std::string(std::strerror(-r));
        return false;
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const std::int64_t usec = unix_seconds * 1000000;
    int r =
        sd.call_method(bus, "org.freedesktop.timedate1", "/org/freedesktop/timedate1",
                       "org.freedesktop.timedate1", "SetTime", &error, &reply, "xbb", usec, 0, 0);
    if (r < 0 && why)
        *why = "the time service refused: " +
               std::string(error.message ? error.message : std::strerror(-r));
    sd.error_free(&error);
    sd.message_unref(reply);
    sd.unref(bus);
    return r >= 0;
}

bool TimedatedAnswers(const SdBusApi& sd) {
    sd_bus* bus = nullptr;
    if (sd.open_system(&bus) < 0) return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    char* zone = nullptr;
    int r = sd.get_property_string(bus, "org.freedesktop.timedate1", "/org/freedesktop/timedate1",
                                   "org.freedesktop.timedate1", "Timezone", &error, &zone);
    std::free(zone);
    sd.error_free(&error);
    sd.unref(bus);
    return r >= 0;
}

} // namespace

std::string LocalTimeText(std::int64_t unix_seconds) {
    std::time_t t = static_cast<std::time_t>(unix_seconds);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return {};
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                  tm.tm_sec > 59 ? 59 : tm.tm_sec);
    return buf;
}

bool RunProgramQuietly(const std::string& program, const std::vector<std::string>& args,
                       int limit_ms) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    int r = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (r != 0) return false;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
    for (;;) {
        int status = 0;
        pid_t w = waitpid(pid, &status, WNOHANG);
        if (w == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (w < 0 && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool SdBusLoads(const char* library, std::string* why) {
    return LoadSdBus(library, why) != nullptr;
}

bool SystemClockSetter::SetUtc(std::int64_t unix_seconds) {
    std::string why;
    const bool set = SetClock(unix_seconds, why);
    std::lock_guard<std::mutex> lock(mutex_);
    why_not_set_ = set ? std::string() : why;
    return set;
}

bool SystemClockSetter::SetClock(std::int64_t unix_seconds, std::string& why) {
    if (const char* stand_in = StandIn()) {
        why = "the program $TOBU_CLOCK_SETTER failed";
        return RunProgramQuietly(
            stand_in, {std::to_string(unix_seconds), LocalTimeText(unix_seconds)}, kSetterLimitMs);
    }
    const SdBusApi* sd = LoadSdBus(library_.c_str(), &why);
    if (sd && SetThroughTimedated(*sd, unix_seconds, &why)) return true;
    if (!HoldsSysTime()) {
        why += "; this process may not set the time itself";
        return false;
    }
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(unix_seconds);
    if (clock_settime(CLOCK_REALTIME, &ts) == 0) return true;
    why += std::string("; clock_settime: ") + std::strerror(errno);
    return false;
}

std::string SystemClockSetter::WhyNotSet() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return why_not_set_;
}

bool SystemClockSetter::MaySet() const {
    if (StandIn()) return true;
    if (HoldsSysTime()) return true;
    const SdBusApi* sd = LoadSdBus(library_.c_str(), nullptr);
    return sd && TimedatedAnswers(*sd);
}

SystemClockSetter& SystemClockSetter::Instance() {
    static SystemClockSetter setter;
    return setter;
}

} // namespace tobu
