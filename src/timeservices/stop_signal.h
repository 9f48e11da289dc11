// A stop request that wakes every wait of a worker at once: its sleeps (a condition variable)
// and its socket waits (a pipe that poll() watches beside the socket).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tobu {

class StopSignal {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void Request();
    bool Requested() const { return stopped_.load(); }
    // Sleeps `ms` milliseconds; false when the stop was requested before or during the sleep.
    bool SleepFor(std::uint32_t ms);
    // Readable once the stop was requested (-1 when no pipe could be made).
    int Fd() const { return pipe_[0]; }

private:
    std::atomic<bool> stopped_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    int pipe_[2] = {-1, -1};
};

} // namespace tobu
