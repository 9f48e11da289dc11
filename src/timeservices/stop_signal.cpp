#include "timeservices/stop_signal.h"

#include <chrono>
#include <fcntl.h>
#include <unistd.h>

namespace tobu {

StopSignal::StopSignal() {
    if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) pipe_[0] = pipe_[1] = -1;
}

StopSignal::~StopSignal() {
    if (pipe_[0] >= 0) close(pipe_[0]);
    if (pipe_[1] >= 0) close(pipe_[1]);
}

void StopSignal::Request() {
    {
        std::lock_guard lock(mutex_);
        if (stopped_.exchange(true)) return;
    }
    wake_.notify_all();
    if (pipe_[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] auto n = write(pipe_[1], &byte, 1);
    }
}

bool StopSignal::SleepFor(std::uint32_t ms) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopped_.load(); });
}

} // namespace tobu
