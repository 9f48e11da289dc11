// When the weather window asks its browser for the page: creation loads and remembers today, a
// show loads again only on another day, "刷新..." always loads.
#pragma once

#include "base/datetime.h"
#include "platform/clock.h"

namespace tobu {

class WeatherLoads {
public:
    explicit WeatherLoads(const Clock& clock) : clock_(clock) {}
    // Each returns whether the page is loaded now; a load remembers today.
    bool OnCreate() { return Load(); }
    bool OnShow() { return DayOf(clock_.Now()) != day_ && Load(); }
    bool OnRefresh() { return Load(); }
    long long LoadedDay() const { return day_; }

private:
    static long long DayOf(TDateTime value) { return ToMSecs(value) / kMSecsPerDay; }
    bool Load() {
        day_ = DayOf(clock_.Now());
        return true;
    }
    const Clock& clock_;
    long long day_ = -1;
};

} // namespace tobu
