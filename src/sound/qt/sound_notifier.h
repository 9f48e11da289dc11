// Carries the SDL device's end-of-playback notifications from SDL's audio thread to the
// player on the thread this object lives in (the user-interface thread): each report posts a
// queued call that hands the waiting notifications to TBackSound::MMNotify.
#pragma once

#include <QObject>

#include "sound/back_sound.h"
#include "sound/sdl_sound_device.h"

namespace tobu {

class TSoundNotifier : public QObject {
    Q_OBJECT
public:
    // device and player must outlive this object.
    TSoundNotifier(SdlSoundDevice& device, TBackSound& player, QObject* parent = nullptr);
    ~TSoundNotifier() override; // detaches from the device first

    // Hands every waiting notification to the player now (also what the queued call does).
    void Deliver();

private:
    SdlSoundDevice& device_;
    TBackSound& player_;
};

} // namespace tobu
