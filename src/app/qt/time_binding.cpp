#include "app/qt/time_binding.h"

#include <QAction>

#include "app/qt/form_shadow.h"
#include "app/qt/frm_led.h"
#include "app/qt/my_window.h"
#include "platform/clock.h"
#include "platform/clock_setter.h"
#include "timeservices/qt/frm_world_time.h"
#include "timeservices/time_sync.h"

namespace tobu {

TimeBinding::TimeBinding(TFrmLED& bar, ClockSetter& setter)
    : QObject(&bar), bar_(bar), setter_(setter) {
    setObjectName("TimeBinding");
    connect(&bar, &TFrmLED::timeSyncApplied, this,
            [this](const ClockSettings::Time& options) { ApplyTimeSync(options); });
    connect(&bar, &TFrmLED::destroying, this, [this] { worker_.reset(); });

    SetWorldTimeDecorator([&bar](QWidget* form, const QString& caption) {
        SkinDialog(bar.DialogFrame(), form, caption);
        if (!ShadowsEnabled) return;
        auto* shadow = new TFormShadow();
        shadow->Attach(form);
        QObject::connect(form, &QObject::destroyed, shadow, &QObject::deleteLater);
    });
    for (const char* name : {"PM_WorldTime", "PM_WorldTime1"}) {
        bar.EnableMenuItem(name);
        for (QAction* a : bar.findChildren<QAction*>(name))
            connect(a, &QAction::triggered, this, [this] { OpenWorldTime(&bar_, AppDir); });
    }
}

TimeBinding::~TimeBinding() = default;

void TimeBinding::ApplyTimeSync(const ClockSettings::Time& options) {
    try {
        if (options.auto_check && !worker_) {
            worker_ =
                std::make_unique<TSyncTime>(AppDir + "TimeCheck.lst", AppDir + "TimeHost.lst",
                                            options.step_hour, setter_, SystemClock::Instance());
        } else if (options.auto_check) {
            worker_->SetHours(options.step_hour);
        } else {
            worker_.reset();
        }
    } catch (...) {
        // A worker that cannot start leaves the clock as it is; the bar goes on.
    }
}

TimeBinding* BindTimeServices(TFrmLED& bar) {
    return new TimeBinding(bar, SystemClockSetter::Instance());
}

} // namespace tobu
