// The sound device of the program, realised with SDL2_mixer. WAV and MP3 files are opened as
// mixer music and played one at a time; the end of a playback is reported from SDL's audio
// thread and kept in a queue that the user-interface thread empties:
//   - in the program, sound/qt/sound_notifier.h wakes the Qt event loop (SetWakeup) and
//     delivers TakeNotifications() to TBackSound::MMNotify;
//   - without an event loop, PlayToEnd below waits for and delivers them in place.
// SDL and SDL_mixer are loaded (not linked) and initialised on the first Open; without them
// no file opens. When no audio device can be opened, SDL audio is re-initialised with its
// "dummy" driver, which consumes sound in real time, so sequences still advance at their
// natural pace. ALSA's own error messages are kept off standard error; whoever owns the device
// tells the user when DriverName() is "dummy". One device per process (SDL's mixer is global);
// a second device refuses to open files while the first exists.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "sound/back_sound.h"
#include "sound/sound_device.h"

struct _Mix_Music;

namespace tobu {

class SdlSoundDevice : public SoundDevice {
public:
    SdlSoundDevice() = default;
    ~SdlSoundDevice() override;
    SdlSoundDevice(const SdlSoundDevice&) = delete;
    SdlSoundDevice& operator=(const SdlSoundDevice&) = delete;

    void CloseAll() override;
    bool Open(const std::string& path) override;
    bool PlayNotify(const std::string& path) override;

    // wakeup runs on SDL's audio thread each time a notification has been queued; it must be
    // quick and thread-safe (post an event). Once SetWakeup returns, the previous function is
    // no longer running and will not be called again.
    void SetWakeup(std::function<void()> wakeup);
    // Notifications queued since the last call, oldest first. A CloseAll discards the queue:
    // the sounds it cut off never report an end.
    std::vector<int> TakeNotifications();
    // Blocks until a notification is queued or the timeout passes; true when one is queued.
    bool WaitForNotification(std::chrono::milliseconds timeout);

    // The SDL audio driver in use ("" until audio has been opened).
    std::string DriverName() const;

private:
    static void MusicFinishedHook();
    void MusicFinished();
    bool EnsureAudio();
    void ShutDown();

    bool ready_ = false;
    bool failed_ = false;
    std::string driver_;
    std::map<std::string, _Mix_Music*> opened_;

    std::mutex mutex_; // guards everything below; never held while calling into SDL_mixer
    std::condition_variable queued_;
    std::vector<int> queue_;
    bool expecting_ = false;
    std::function<void()> wakeup_;
};

// Delivers the device's notifications to the player on the calling thread until the player
// has no file sounding. Returns false when no notification came for quietLimit (the player
// is then left as it is).
bool PlayToEnd(TBackSound& player, SdlSoundDevice& device, std::chrono::milliseconds quietLimit);

} // namespace tobu
