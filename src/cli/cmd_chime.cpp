// `tobu chime`: print or play the chime and spoken-time lists of the clock.
#include <chrono>
#include <ostream>

#include "base/datetime.h"
#include "cli/command.h"
#include "platform/clock.h"
#include "sound/back_sound.h"
#include "sound/chime_request.h"
#include "sound/sdl_sound_device.h"

namespace {

// Longer than any recording we ship; a device that stays silent this long has failed.
constexpr std::chrono::minutes kQuietLimit{10};

int RunChime(const std::vector<std::string>& args, tobu::cli::Io& io) {
    tobu::ChimeRequest request;
    std::string error;
    if (!tobu::ParseChimeArgs(args, request, error)) {
        io.err << "tobu chime: " << error << "\n" << tobu::kChimeUsage;
        return 2;
    }
    if (request.help) {
        io.out << tobu::kChimeUsage;
        return 0;
    }
    if (request.now) {
        const tobu::TimeParts t = tobu::DecodeTime(tobu::SystemClock::Instance().Now());
        request.hour = t.hour;
        request.minute = t.minute;
        request.second = t.second;
    }
    std::string folder = request.folder.empty() ? tobu::ProgramSoundFolder() : request.folder;
    const std::string list = tobu::ChimeList(request, folder);
    if (request.list) {
        io.out << list << "\n";
        return 0;
    }
    if (list.empty()) {
        io.err << "tobu chime: nothing sounds at that time with these options\n";
        return 0;
    }
    tobu::SdlSoundDevice device;
    tobu::TBackSound player(device);
    player.Play(list);
    if (player.Idle()) {
        io.err << "tobu chime: none of the recordings could be played (folder " << folder << ")\n";
        return 1;
    }
    if (device.DriverName() == "dummy")
        io.err << "tobu chime: no sound device could be opened; playing silently in real time\n";
    if (!tobu::PlayToEnd(player, device, kQuietLimit)) {
        io.err << "tobu chime: the sound device stopped reporting the end of playback\n";
        return 1;
    }
    return 0;
}

} // namespace

TOBU_COMMAND("chime", "print or play the chime and spoken-time file lists", RunChime);
