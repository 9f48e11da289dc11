// Where "now" comes from. Logic that depends on the time asks a Clock; the program uses the
// system's local time, tests step a FakeClock.
#pragma once

#include "base/datetime.h"

namespace tobu {

class Clock {
public:
    virtual ~Clock() = default;
    virtual TDateTime Now() const = 0; // local date-time
};

// The local system time, to the millisecond.
class SystemClock : public Clock {
public:
    TDateTime Now() const override;
    static const SystemClock& Instance();
};

class FakeClock : public Clock {
public:
    explicit FakeClock(TDateTime now = 0) : now_(now) {}
    TDateTime Now() const override { return now_; }
    void Set(TDateTime now) { now_ = now; }
    void AdvanceMSecs(long long ms) { now_ = FromMSecs(ToMSecs(now_) + ms); }

private:
    TDateTime now_;
};

} // namespace tobu
