// TBackSound plays a sequence of sound files one after another in the background.
//
// A sequence is one string of full paths joined by "*" ("/x/T1.wav*/x/To3.wav"; a trailing
// "*" adds nothing). The player starts the first existing file and waits for the device's end
// notification, which the owner delivers on the user-interface thread through MMNotify; each
// notification, whatever its code, starts the next existing file. Missing files are skipped.
//
//   Play(list)   starts a new sequence; dropped (not queued) while entries of the current one
//                are still pending. Accepted while the last file sounds: it is cut off.
//   MMNotify(c)  the end-of-playback handler; advances by one file.
//
// Not thread-safe: every call comes from the user-interface thread.
#pragma once

#include <string>

#include "sound/sound_device.h"

namespace tobu {

class TBackSound {
public:
    // The entry NextFile returns for a file that does not exist.
    static constexpr const char* kMissingEntry = "0";

    explicit TBackSound(SoundDevice& device) : device_(device) {}
    TBackSound(const TBackSound&) = delete;
    TBackSound& operator=(const TBackSound&) = delete;

    void Play(const std::string& list);
    void MMNotify(int code);

    // Takes the next entry from the front of PendingList: the path, "0" when that file does
    // not exist, or "" when the entry is empty (PendingList empty too: the list is used up).
    std::string NextFile();

    // Entries of the current sequence not started yet, still joined by "*".
    const std::string& PendingList() const { return pending_; }
    // True while a started file's end notification is expected.
    bool Playing() const { return awaiting_; }
    // Nothing pending and nothing sounding that we wait for.
    bool Idle() const { return pending_.empty() && !awaiting_; }

private:
    bool TakeExisting(std::string& path);
    void StartAt(std::string path);

    SoundDevice& device_;
    std::string pending_;
    bool awaiting_ = false;
};

} // namespace tobu
