// Connects the chime sequencer and its player to the bar. The sequencer owns the chime options
// (CLOCK Alarm, HalfAlarm, AlarmType): the bar's apply step hands them over, the sequencer is
// made at its start-up step with the options handed over so far, asked every tick after the
// task step (once for each second, with the tasks' catch-up of seconds a late tick skipped), speaks
// the time on the hot key and is freed when the bar is destroyed. A chime of the message kind
// leaves as chimeMessage with the text to show:
//
//     SoundBinding* sound = BindSound(frm);
//     QObject::connect(sound, &SoundBinding::chimeMessage, dateLine,
//     &DateLineBinding::ShowPopupText);
#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "base/datetime.h"
#include "settings/clock_settings.h"
#include "tasks/task_scheduler.h"

namespace tobu {

class TFrmLED;
class TSoundSystem;
class TClockAlarm;

class SoundBinding : public QObject {
    Q_OBJECT
public:
    explicit SoundBinding(TFrmLED& bar);
    ~SoundBinding() override;

    // The chime sequencer (null before the bar's chime step and after its destruction).
    TClockAlarm* Alarm();

signals:
    // A message chime: "时钟报时：" and the time, for the popup program.
    void chimeMessage(const std::string& text);

private:
    void SetOptions(const ClockSettings::Clock& options);
    void CheckChime(TDateTime now);

    ClockSettings::Clock pending_; // handed over before the sequencer exists
    std::unique_ptr<TSoundSystem> sound_;
    TaskTickClock seconds_; // the seconds the chime has looked at
};

// Creates the binding as a child of the bar; call before FormCreate.
SoundBinding* BindSound(TFrmLED& bar);

} // namespace tobu
