// The three operations the sound player needs from the platform: close every open sound,
// open a file, and play an opened file from its start with a notification when it ends.
#pragma once

#include <string>

namespace tobu {

// Codes carried by an end-of-playback notification. The player does not look at them: every
// notification advances a sequence by one file.
enum NotifyCode : int {
    kNotifySuccessful = 1,
    kNotifySuperseded = 2,
    kNotifyAborted = 4,
    kNotifyFailure = 8,
};

class SoundDevice {
public:
    virtual ~SoundDevice() = default;
    // Stops and closes every sound opened since the last CloseAll. A sound cut off here never
    // produces an end notification.
    virtual void CloseAll() = 0;
    // Opens the file (WAV or MP3) under its path; opening an open path again succeeds.
    virtual bool Open(const std::string& path) = 0;
    // Starts the opened file from its beginning. Returns false when playback did not start;
    // then no notification will come. When it returns true, exactly one end notification
    // follows unless CloseAll cuts the sound off first.
    virtual bool PlayNotify(const std::string& path) = 0;
};

} // namespace tobu
