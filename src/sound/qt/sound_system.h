// The program's sound output in one object: the SDL device, the chime sequencer with its
// player, and the delivery of end notifications on the user-interface thread. The bar creates
// one at start-up and frees it at exit:
//
//   auto* sound = new TSoundSystem(AppDir + "Sound/", this);
//   sound->Alarm().SetOptions(alarm, halfAlarm, alarmType); // CLOCK options as applied
//   bool chimed = sound->Alarm().Check(now);      // every tick, after the task step
//   sound->Alarm().Announce(now);                 // hot key
//   sound->Alarm().PlayFile(list);                // task sounds
#pragma once

#include <QObject>
#include <string>

#include "sound/clock_alarm.h"
#include "sound/qt/sound_notifier.h"
#include "sound/sdl_sound_device.h"

namespace tobu {

class TSoundSystem : public QObject {
    Q_OBJECT
public:
    explicit TSoundSystem(const std::string& soundFolder, QObject* parent = nullptr);
    ~TSoundSystem() override;

    TClockAlarm& Alarm() { return alarm_; }
    SdlSoundDevice& Device() { return device_; }

private:
    // Declaration order is construction order; destruction runs backwards, so the notifier
    // detaches before the player and the device go.
    SdlSoundDevice device_;
    TClockAlarm alarm_;
    TSoundNotifier notifier_;
};

} // namespace tobu
