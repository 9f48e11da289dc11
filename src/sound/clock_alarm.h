// TClockAlarm chimes or speaks the time on the hour and the half hour, speaks the time to the
// minute on the hot key, and passes task sound lists on to the player. It plays nothing
// itself: it composes "*"-joined lists of recordings from the chime folder for its TBackSound.
//
// How the bar uses it:
//   TClockAlarm alarm(device, AppDir + "Sound/");
//   alarm.SetOptions(Alarm, HalfAlarm, AlarmType);   // after loading settings, after options
//   if (alarm.Check(now) && alarm.ChimesByMessage()) { ...popup "时钟报时：" + time... }
//   alarm.Announce(now);                              // announcement hot key
//   alarm.PlayFile(list);                             // task sounds
// The device's end notifications must reach Player().MMNotify on the user-interface thread
// (sound/qt/sound_system.h wires all of this up for the program).
//
// Kinds (AlarmType): 0 spoken time, 1 one chime, 2 one strike per hour of the 12-hour dial,
// 3 no sound (the bar shows a message); any other value makes no sound either.
#pragma once

#include <string>

#include "base/datetime.h"
#include "sound/back_sound.h"
#include "sound/sound_device.h"

namespace tobu {

class TClockAlarm {
public:
    // soundFolder: the folder of the chime recordings, with or without the trailing "/".
    TClockAlarm(SoundDevice& device, std::string soundFolder);

    void SetOptions(bool alarm, bool halfAlarm, int alarmType);

    // Called once per tick with the displayed time. True when this second is a chime second
    // (second 0 of minute 0 with Alarm on, or of minute 30 with HalfAlarm on); the chime is
    // then handed to the player (kind 3 hands nothing but still returns true). Keeps no memory
    // of earlier calls.
    bool Check(TDateTime now);
    // What Check(now) does, without playing: true for a chime second, with list set to what
    // would go to the player (possibly empty).
    bool ChimeFor(TDateTime now, std::string& list) const;
    // Speaks hour and minute of now, whatever the kind and the two switches say.
    void Announce(TDateTime now);
    // Hands a "*"-joined list unchanged to the player.
    void PlayFile(const std::string& list);

    // The list for hour 0..23 and minute 0..59 (empty outside those ranges, for an empty
    // folder, and for kinds other than 0, 1 and 2).
    std::string BuildList(int hour, int minute, int kind, bool withMinutes) const;

    bool Alarm() const { return alarm_; }
    bool HalfAlarm() const { return halfAlarm_; }
    int AlarmType() const { return alarmType_; }
    // Kind 3: the chime is a message on the screen, not a sound.
    static constexpr int kMessageKind = 3;
    bool ChimesByMessage() const { return alarmType_ == kMessageKind; }
    const std::string& SoundFolder() const { return soundFolder_; }
    TBackSound& Player() { return player_; }

private:
    std::string soundFolder_;
    bool alarm_ = false;
    bool halfAlarm_ = false;
    int alarmType_ = 0;
    TBackSound player_;
};

} // namespace tobu
