// `tobu autostart`: show or switch the start of the clock at login (the desktop session's
// autostart entry, the same the options dialog's "Windows启动时运行" writes).
#include <ostream>
#include <unistd.h>

#include "cli/command.h"
#include "cli/package_io.h"
#include "cli/program_dir.h"
#include "settings/autostart_entry.h"
#include "settings/skin_package.h"

namespace {

using namespace tobu;
using namespace tobu::cli;

constexpr const char* kUsage =
    "Usage: tobu autostart show [--dir DIR] [--json]\n"
    "       tobu autostart on [--dir DIR]\n"
    "       tobu autostart off\n\n"
    "Shows or switches the start of the clock at login: the entry TobuClock.desktop in\n"
    "$XDG_CONFIG_HOME/autostart (default ~/.config/autostart) that starts DIR/TobuClock\n"
    "(DIR: default the folder of tobu) in the tray when \"随系统启动时最小化\" is on.\n";

int Usage(Io& io, const std::string& why) {
    io.err << "tobu autostart: " << why << "\n" << kUsage;
    return 2;
}

int RunAutostart(const std::vector<std::string>& args, Io& io) {
    if (args.empty()) return Usage(io, "show, on or off?");
    if (args[0] == "--help" || args[0] == "-h") {
        io.out << kUsage;
        return 0;
    }
    const std::string& verb = args[0];
    if (verb != "show" && verb != "on" && verb != "off")
        return Usage(io, "unknown subcommand " + verb);
    LeadingOptions o = ParseLeadingOptions(args, 1, verb == "show", false);
    if (!o.error.empty()) return Usage(io, o.error);
    if (o.help) {
        io.out << kUsage;
        return 0;
    }
    if (!o.operands.empty()) return Usage(io, "unexpected argument " + o.operands[0]);

    const std::string program = ResolvedPath(o.dir + "TobuClock");
    FileAutostartStore store(AutostartEntryPath(), program);
    if (verb == "show") {
        if (o.json) {
            DesktopEntryInfo info = store.Read();
            io.out << "{\"on\": " << (store.IsOn() ? "true" : "false")
                   << ", \"entry\": " << JsonString(store.EntryPath())
                   << ", \"exists\": " << (store.Exists() ? "true" : "false")
                   << ", \"exec\": " << (info.exec ? JsonString(*info.exec) : std::string("null"))
                   << "}\n";
        } else {
            io.out << (store.IsOn() ? "on" : "off") << "\n";
        }
        return 0;
    }
    std::string why;
    if (verb == "on") {
        if (!IsRegularFile(program) || ::access(program.c_str(), X_OK) != 0) {
            io.err << "tobu autostart: no TobuClock in " << o.dir << "\n";
            return 1;
        }
        if (!store.Enable(&why)) {
            io.err << "tobu autostart: " << why << "\n";
            return 1;
        }
        return 0;
    }
    if (!store.Disable(&why)) {
        io.err << "tobu autostart: " << why << "\n";
        return 1;
    }
    return 0;
}

} // namespace

TOBU_COMMAND("autostart", "show or switch the start of the clock at login", RunAutostart);
