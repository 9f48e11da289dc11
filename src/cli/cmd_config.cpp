// `tobu config`: read and change the settings of the options dialog in skin.ini, with the
// dialog's rules, and have a running clock take them at once.
#include <ostream>

#include "cli/command.h"
#include "cli/package_io.h"
#include "cli/program_dir.h"
#include "platform/endpoint.h"
#include "platform/instance_slot.h"
#include "platform/messages.h"
#include "settings/config_rules.h"
#include "settings/ini_file.h"

namespace {

using namespace tobu;
using namespace tobu::cli;

constexpr const char* kUsage =
    "Usage: tobu config get [--dir DIR] [--json] KEY...\n"
    "       tobu config set [--dir DIR] [--json] [--no-apply] KEY VALUE [KEY VALUE ...]\n"
    "       tobu config list [--dir DIR] [--json]\n\n"
    "Reads and changes the settings of the options dialog \"系统设置\" in skin.ini of the\n"
    "program folder (DIR, default the folder of tobu). KEY is SECTION.Name, e.g. MSG.AutoSec\n"
    "(any letter case); `list` shows all 28. Values are shown as the dialog shows them: ranges\n"
    "clamped, unreadable values as the default. `set` checks every pair before it writes one\n"
    "batch, keeping every other line of skin.ini, and unless --no-apply every clock of yours\n"
    "that runs from this skin.ini, on any desktop, takes the new settings at once.\n\n"
    "Values: booleans 1/0, true/false, on/off, yes/no; integers in decimal, 0x or $ hex;\n"
    "lists by index or caption; CLOCK.HotKey1 e.g. \"Ctrl + Shift\"; CLOCK.HotKey2 a letter;\n"
    "LED.FontColor 0-16777215 or #RRGGBB; SKIN.SkinFile/ClockFile a package in Skin/ or\n"
    "Clock/ (or \"\" for none).\n";

int Usage(Io& io, const std::string& why) {
    io.err << "tobu config: " << why << "\n" << kUsage;
    return 2;
}

std::string IniPath(const LeadingOptions& o) {
    return o.dir + "skin.ini";
}

std::string ValueJson(const ConfigKey& k, const ConfigValue& v) {
    std::string o = "{\"key\": " + JsonString(k.Name()) + ", \"value\": " + JsonString(v.value) +
                    ", \"stored\": " + (v.stored ? JsonString(*v.stored) : std::string("null"));
    if (k.kind == ConfigKind::List) o += ", \"text\": " + JsonString(v.text);
    return o + "}";
}

bool ReadIni(const LeadingOptions& o, Io& io, std::optional<IniFile>& ini) {
    ini.emplace(IniPath(o));
    if (ini->State() == IniFile::LoadState::Unreadable) {
        io.err << "tobu config: cannot read " << IniPath(o) << "\n";
        return false;
    }
    return true;
}

int Show(const LeadingOptions& o, const std::vector<const ConfigKey*>& keys, bool with_names,
         Io& io) {
    std::optional<IniFile> ini;
    if (!ReadIni(o, io, ini)) return 1;
    for (const ConfigKey* k : keys) {
        ConfigValue v = ConfigGet(*ini, *k);
        if (o.json)
            io.out << ValueJson(*k, v) << "\n";
        else if (with_names)
            io.out << k->Name() << "=" << v.value << "\n";
        else
            io.out << v.value << "\n";
    }
    return 0;
}

// What the running clocks answered to kWmApplySettings (1 applied, 2 its options dialog is
// open, 0 it works from another file).
struct ApplyAnswers {
    bool applied = false;
    bool dialog_open = false;
};

// Which clocks take the new settings: every running clock of this user, on any desktop, whose
// own skin.ini is the file just written (each clock compares the path with its own and answers
// OtherFile otherwise). Not only the clock of $DISPLAY: clocks on two desktops that run from
// one program folder share this one file, and a clock left on the old values would show them
// and write its stale Tr back at exit, undoing the change. So a change reaches the same clocks
// wherever tobu runs, with or without a display.
ApplyAnswers ApplyToRunningClocks(const std::string& ini_path) {
    ApplyAnswers answers;
    for (const std::string& name : InstanceSlot::NamesOnAllDesktops()) {
        InstanceSlot slot = InstanceSlot::Open(name);
        WindowHandle handle = slot.IsNull() ? 0 : slot.Read();
        if (handle == 0) continue;
        Message m;
        m.msg = kWmApplySettings;
        m.data.assign(ini_path.begin(), ini_path.end());
        std::optional<int64_t> r = SendMessage(handle, m, 5000);
        if (!r) continue;
        answers.applied = answers.applied || *r == 1;
        answers.dialog_open = answers.dialog_open || *r == 2;
    }
    return answers;
}

int RunSet(const LeadingOptions& o, Io& io) {
    if (o.operands.empty()) return Usage(io, "set needs KEY VALUE pairs");
    if (o.operands.size() % 2 != 0)
        return Usage(io, "the key " + o.operands.back() + " has no value");
    struct Pair {
        const ConfigKey* key;
        ConfigParsed parsed;
    };
    std::vector<Pair> pairs;
    for (size_t i = 0; i < o.operands.size(); i += 2) {
        const ConfigKey* k = FindConfigKey(o.operands[i]);
        if (!k) return Usage(io, "unknown key " + o.operands[i]);
        pairs.push_back({k, {}});
    }
    for (size_t i = 0; i < pairs.size(); ++i) {
        pairs[i].parsed = ParseConfigValue(*pairs[i].key, o.operands[2 * i + 1], o.dir);
        if (!pairs[i].parsed.ok) {
            io.err << "tobu config: " << pairs[i].key->Name() << ": " << pairs[i].parsed.error
                   << "\n";
            return 1;
        }
    }
    std::optional<IniFile> ini;
    if (!ReadIni(o, io, ini)) return 1;
    for (const Pair& p : pairs) {
        if (!ini->WriteString(p.key->section, p.key->name, p.parsed.value)) {
            io.err << "tobu config: cannot write " << p.key->Name() << "\n";
            return 1;
        }
    }
    if (!ini->Save()) {
        io.err << "tobu config: cannot save " << IniPath(o) << "\n";
        return 1;
    }
    const ApplyAnswers answers = o.no_apply ? ApplyAnswers{} : ApplyToRunningClocks(IniPath(o));
    if (answers.dialog_open)
        io.err << "tobu config: the options dialog of the running clock is open; it will write "
                  "its own values when it closes\n";
    const bool applied = answers.applied;
    for (const Pair& p : pairs) {
        if (o.json)
            io.out << "{\"key\": " << JsonString(p.key->Name())
                   << ", \"value\": " << JsonString(p.parsed.value)
                   << ", \"clamped\": " << (p.parsed.clamped ? "true" : "false")
                   << ", \"applied\": " << (applied ? "true" : "false") << "}\n";
        else
            io.out << p.key->Name() << "=" << p.parsed.value << "\n";
    }
    return 0;
}

int RunConfig(const std::vector<std::string>& args, Io& io) {
    if (args.empty()) return Usage(io, "get, set or list?");
    if (args[0] == "--help" || args[0] == "-h") {
        io.out << kUsage;
        return 0;
    }
    const std::string& verb = args[0];
    if (verb != "get" && verb != "set" && verb != "list")
        return Usage(io, "unknown subcommand " + verb);
    LeadingOptions o = ParseLeadingOptions(args, 1, true, verb == "set");
    if (!o.error.empty()) return Usage(io, o.error);
    if (o.help) {
        io.out << kUsage;
        return 0;
    }
    if (verb == "set") return RunSet(o, io);
    std::vector<const ConfigKey*> keys;
    if (verb == "list") {
        if (!o.operands.empty()) return Usage(io, "list takes no keys");
        for (const ConfigKey& k : ConfigKeys()) keys.push_back(&k);
        return Show(o, keys, true, io);
    }
    if (o.operands.empty()) return Usage(io, "get needs at least one KEY");
    for (const std::string& name : o.operands) {
        const ConfigKey* k = FindConfigKey(name);
        if (!k) return Usage(io, "unknown key " + name);
        keys.push_back(k);
    }
    return Show(o, keys, false, io);
}

} // namespace

TOBU_COMMAND("config", "read and change the clock's settings (skin.ini) as the options dialog does",
             RunConfig);
