// Connects the time services to the bar: the synchronisation worker starts, updates its pause
// or stops whenever the bar applies its TIME settings (at start-up and when the options dialog
// closes), and ends with the bar; "城市时间查询" in both menus opens the world time window in
// the skinned dialog frame with its drop shadow.
#pragma once

#include <QObject>
#include <memory>

#include "settings/clock_settings.h"

namespace tobu {

class TFrmLED;
class TSyncTime;
class ClockSetter;

class TimeBinding : public QObject {
    Q_OBJECT
public:
    TimeBinding(TFrmLED& bar, ClockSetter& setter);
    ~TimeBinding() override;

    // Start, update or stop from AutoChcek and StepHour.
    void ApplyTimeSync(const ClockSettings::Time& options);
    TSyncTime* Worker() const { return worker_.get(); }

private:
    TFrmLED& bar_;
    ClockSetter& setter_;
    std::unique_ptr<TSyncTime> worker_;
};

// Creates the binding as a child of the bar; call before FormCreate.
TimeBinding* BindTimeServices(TFrmLED& bar);

} // namespace tobu
