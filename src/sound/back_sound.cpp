#include "sound/back_sound.h"

#include <filesystem>
#include <system_error>

namespace tobu {

namespace {

bool IsPlayableFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(path), ec);
}

} // namespace

std::string TBackSound::NextFile() {
    std::string entry;
    const auto star = pending_.find('*');
    if (star == std::string::npos) {
        entry.swap(pending_);
    } else {
        entry = pending_.substr(0, star);
        pending_.erase(0, star + 1);
    }
    if (!entry.empty() && !IsPlayableFile(entry)) entry = std::string(kMissingEntry);
    return entry;
}

// Takes entries until one names an existing file. The "0" of a missing file is recognised as
// the marker itself, never looked up, so a stray file called "0" cannot be played instead.
// An empty entry between two separators is skipped like a missing file rather than ending
// the sequence, which would leave the rest pending with nothing playing.
bool TBackSound::TakeExisting(std::string& path) {
    for (;;) {
        std::string entry = NextFile();
        if (entry.empty()) {
            if (pending_.empty()) return false;
            continue;
        }
        if (entry == kMissingEntry) continue;
        path = std::move(entry);
        return true;
    }
}

// Opens and plays path; a play that does not start brings no notification, so it counts as
// one that ended at once and the next file is tried. Devices opened during a sequence stay
// open until the next Play closes them all.
void TBackSound::StartAt(std::string path) {
    for (;;) {
        device_.Open(path);
        if (device_.PlayNotify(path)) {
            awaiting_ = true;
            return;
        }
        if (!TakeExisting(path)) {
            awaiting_ = false;
            return;
        }
    }
}

void TBackSound::Play(const std::string& list) {
    if (!pending_.empty()) return;
    pending_ = list;
    std::string path;
    if (!TakeExisting(path)) return;
    device_.CloseAll();
    awaiting_ = false;
    StartAt(std::move(path));
}

void TBackSound::MMNotify(int /*code*/) {
    awaiting_ = false;
    std::string path;
    if (TakeExisting(path)) StartAt(std::move(path));
}

} // namespace tobu
