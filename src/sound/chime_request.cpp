#include "sound/chime_request.h"

#include <climits>
#include <unistd.h>

#include "base/datetime.h"
#include "base/text.h"
#include "sound/clock_alarm.h"

namespace tobu {

const char* const kChimeUsage =
    "Usage: tobu chime --list TIME [--type N] [--half] [--hour] [--minutes] [--folder DIR]\n"
    "       tobu chime TIME [--type N] [--half] [--hour] [--minutes] [--folder DIR]\n"
    "       tobu chime now [--folder DIR]\n"
    "\n"
    "TIME is HH:MM[:SS] or now. --hour and --half switch on the chime on the hour and on\n"
    "the half hour, --type is the kind of chime (0 spoken, 1 one chime, 2 hour strikes,\n"
    "3 message only; default 0), --minutes builds the hot-key announcement with minutes\n"
    "(always spoken, whatever --type says), --folder is the folder of the recordings\n"
    "(default: Sound/ beside this program). \"now\" alone speaks the current time with\n"
    "minutes, as the announcement hot key does; with --type, --hour or --half it stands for\n"
    "the current time like any other TIME, so it sounds only on a chime second.\n"
    "--list prints the file list (\"*\"-joined, one line; an empty line when the chime would\n"
    "not sound); otherwise the list is played and the command returns when it has ended.\n";

namespace {

// One or two decimal digits within [0, max].
bool ParseField(const std::string& s, int max, int& out) {
    if (s.empty() || s.size() > 2) return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > max) return false;
    out = v;
    return true;
}

bool ParseTime(const std::string& text, ChimeRequest& r) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    if (parts.size() != 2 && parts.size() != 3) return false;
    int h = 0, m = 0, s = 0;
    if (!ParseField(parts[0], 23, h) || !ParseField(parts[1], 59, m)) return false;
    if (parts.size() == 3 && !ParseField(parts[2], 59, s)) return false;
    r.hour = h;
    r.minute = m;
    r.second = s;
    return true;
}

class SilentDevice : public SoundDevice {
public:
    void CloseAll() override {}
    bool Open(const std::string&) override { return false; }
    bool PlayNotify(const std::string&) override { return false; }
};

} // namespace

bool ParseChimeArgs(const std::vector<std::string>& args, ChimeRequest& request,
                    std::string& error) {
    ChimeRequest r;
    bool haveTime = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            r.help = true;
        } else if (a == "--list") {
            r.list = true;
        } else if (a == "--half") {
            r.half = r.switches = true;
        } else if (a == "--hour") {
            r.hourly = r.switches = true;
        } else if (a == "--minutes") {
            r.minutes = true;
        } else if (a == "--type" || a == "--folder") {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            const std::string& v = args[++i];
            if (a == "--folder") {
                if (v.empty()) {
                    error = "--folder needs a folder";
                    return false;
                }
                r.folder = v;
            } else {
                const auto n = ParseInt(v);
                if (!n || *n < 0 || *n > 3) {
                    error = "--type must be 0, 1, 2 or 3";
                    return false;
                }
                r.type = *n;
                r.switches = true;
            }
        } else if (!a.empty() && a[0] == '-') {
            error = "unknown option " + a;
            return false;
        } else if (haveTime) {
            error = "more than one TIME given";
            return false;
        } else if (a == "now") {
            r.now = true;
            haveTime = true;
        } else if (ParseTime(a, r)) {
            haveTime = true;
        } else {
            error = "TIME must be HH:MM or HH:MM:SS (00:00 to 23:59:59) or now, not '" + a + "'";
            return false;
        }
    }
    if (!haveTime && !r.help) {
        error = "TIME is missing";
        return false;
    }
    request = r;
    return true;
}

std::string ChimeList(const ChimeRequest& request, const std::string& folder) {
    SilentDevice device;
    TClockAlarm alarm(device, folder);
    alarm.SetOptions(request.hourly, request.half, request.type);
    if (request.minutes || (request.now && !request.switches))
        return alarm.BuildList(request.hour, request.minute, 0, true);
    std::string list;
    alarm.ChimeFor(EncodeTime(request.hour, request.minute, request.second), list);
    return list;
}

std::string ProgramSoundFolder() {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof buf - 1)) return {}; // none, or cut off
    std::string exe(buf, static_cast<size_t>(n));
    const size_t slash = exe.rfind('/');
    if (slash == std::string::npos) return {};
    return exe.substr(0, slash + 1) + "Sound/";
}

} // namespace tobu
