#include "platform/clock.h"

#include <ctime>
#include <sys/time.h>

namespace tobu {

TDateTime SystemClock::Now() const {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm tm{};
    time_t secs = tv.tv_sec;
    localtime_r(&secs, &tm);
    return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                          tm.tm_sec > 59 ? 59 : tm.tm_sec, static_cast<int>(tv.tv_usec / 1000));
}

const SystemClock& SystemClock::Instance() {
    static SystemClock clock;
    return clock;
}

} // namespace tobu
