#include "app/qt/sound_binding.h"

#include "app/qt/frm_led.h"
#include "sound/qt/sound_system.h"

namespace tobu {

SoundBinding::SoundBinding(TFrmLED& bar) : QObject(&bar) {
    setObjectName("SoundBinding");
    connect(&bar, &TFrmLED::chimeOptionsApplied, this, &SoundBinding::SetOptions);
    connect(&bar, &TFrmLED::startUpStep, this, [this](TFrmLED::StartUpStep step) {
        if (step != TFrmLED::StartUpStep::ChimesAndTasks || sound_) return;
        sound_ = std::make_unique<TSoundSystem>(AppDir + "Sound/");
        SetOptions(pending_);
    });
    connect(&bar, &TFrmLED::checkChime, this, &SoundBinding::CheckChime);
    connect(&bar, &TFrmLED::announceTime, this, [this](TDateTime now) {
        if (sound_) sound_->Alarm().Announce(now);
    });
    connect(&bar, &TFrmLED::destroying, this, [this] { sound_.reset(); });
}

SoundBinding::~SoundBinding() = default;

TClockAlarm* SoundBinding::Alarm() {
    return sound_ ? &sound_->Alarm() : nullptr;
}

void SoundBinding::SetOptions(const ClockSettings::Clock& options) {
    if (sound_)
        sound_->Alarm().SetOptions(options.alarm, options.half_alarm, options.alarm_type);
    else
        pending_ = options;
}

void SoundBinding::CheckChime(TDateTime now) {
    if (!sound_) return;
    // Each second is looked at once, as the tasks are: a tick that lands twice in the second of
    // a chime does not chime twice, and a late tick that skipped it still chimes.
    for (int64_t second : seconds_.SecondsToCheck(now)) {
        const TDateTime at = second == SecondOf(now) ? now : FromSecond(second);
        if (!sound_->Alarm().Check(at)) continue;
        if (sound_->Alarm().ChimesByMessage())
            emit chimeMessage("时钟报时：" + FormatDateTime("tt", at));
    }
}

SoundBinding* BindSound(TFrmLED& bar) {
    return new SoundBinding(bar);
}

} // namespace tobu
