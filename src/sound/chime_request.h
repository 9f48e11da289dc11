// The arguments of `tobu chime` and the file list they stand for.
//
//   tobu chime --list TIME [--type N] [--half] [--hour] [--minutes] [--folder DIR]
//   tobu chime TIME [same options]      plays the list and returns when it has ended
//   tobu chime now                      speaks the current time with minutes
//
// TIME is HH:MM or HH:MM:SS, or "now". --hour and --half are the on-the-hour and half-hour
// switches, --type the kind of chime (default 0), --minutes asks for the hot-key
// announcement. Without --minutes the list is what the chime check would hand the player
// at that time: empty when it would not fire. "now" alone is the hot-key announcement; with
// --type, --hour or --half it is the current time like any other TIME.
#pragma once

#include <string>
#include <vector>

namespace tobu {

struct ChimeRequest {
    bool help = false;
    bool list = false;     // print instead of playing
    bool now = false;      // TIME was "now": the current time, with minutes
    bool minutes = false;  // the hot-key announcement
    bool hourly = false;   // --hour
    bool half = false;     // --half
    bool switches = false; // --type, --hour or --half was given
    int type = 0;
    int hour = 0, minute = 0, second = 0;
    std::string folder; // empty: the program folder's Sound/
};

extern const char* const kChimeUsage;

// False with a one-line reason in error for unknown options, a missing or malformed TIME
// (hours 0–23, minutes and seconds 0–59) or a bad --type value.
bool ParseChimeArgs(const std::vector<std::string>& args, ChimeRequest& request,
                    std::string& error);

// The "*"-joined list for the request's time with recordings from folder.
std::string ChimeList(const ChimeRequest& request, const std::string& folder);

// The folder of the running executable followed by "/Sound/"; "" when it cannot be found.
std::string ProgramSoundFolder();

} // namespace tobu
