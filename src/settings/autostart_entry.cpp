#include "settings/autostart_entry.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "base/text.h"
#include "settings/ini_file.h"
#include "settings/skin_package.h"

namespace tobu {

namespace {

constexpr std::size_t kMaxEntryBytes = 1 << 20;

bool HasControl(std::string_view s) {
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) return true;
    }
    return false;
}

// Creates the folder and its missing parents.
bool MakeFolders(const std::string& dir) {
    if (dir.empty()) return false;
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    std::size_t slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(dir.substr(0, slash))) return false;
    return ::mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::string AutostartEntryPath(const char* home, const char* xdg_config_home) {
    std::string base;
    if (xdg_config_home && xdg_config_home[0] == '/')
        base = xdg_config_home;
    else
        base = std::string(home ? home : "") + "/.config";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/autostart/TobuClock.desktop";
}

std::string AutostartEntryPath() {
    return AutostartEntryPath(std::getenv("HOME"), std::getenv("XDG_CONFIG_HOME"));
}

std::optional<std::string> DesktopExecValue(std::string_view program) {
    if (program.empty() || HasControl(program)) return std::nullopt;
    std::string quoted = "\"";
    for (char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    quoted += "\" /hide";
    std::string value;
    for (char c : quoted) {
        if (c == '\\') value += '\\';
        value += c;
    }
    return value;
}

std::optional<std::string> DesktopEntryText(std::string_view program) {
    std::optional<std::string> exec = DesktopExecValue(program);
    if (!exec) return std::nullopt;
    return "[Desktop Entry]\nType=Application\nVersion=1.0\nName=Tobu桌面时钟\nExec=" + *exec +
           "\nTerminal=false\n";
}

std::optional<std::vector<std::string>> SplitDesktopExec(std::string_view value) {
    // The escapes of a string value first.
    std::string s;
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            char n = value[++i];
            switch (n) {
            case 's':
                s += ' ';
                break;
            case 'n':
                s += '\n';
                break;
            case 't':
                s += '\t';
                break;
            case 'r':
                s += '\r';
                break;
            case '\\':
                s += '\\';
                break;
            default:
                s += '\\';
                s += n;
            }
        } else {
            s += c;
        }
    }
    // Then the quoting of the command line.
    std::vector<std::string> args;
    std::string arg;
    bool in_arg = false, quoted = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < s.size() &&
                       std::strchr("\"`$\\", s[i + 1]) != nullptr) {
                arg += s[++i];
            } else if (c == '%' && i + 1 < s.size() && s[i + 1] == '%') {
                arg += '%';
                ++i;
            } else {
                arg += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n') {
            if (in_arg) args.push_back(std::move(arg));
            arg.clear();
            in_arg = false;
            continue;
        }
        in_arg = true;
        if (c == '"') {
            quoted = true;
        } else if (c == '%' && i + 1 < s.size() && s[i + 1] == '%') {
            arg += '%';
            ++i;
        } else {
            arg += c;
        }
    }
    if (quoted) return std::nullopt;
    if (in_arg) args.push_back(std::move(arg));
    return args;
}

DesktopEntryInfo ParseDesktopEntry(std::string_view text) {
    DesktopEntryInfo info;
    enum { Before, In, After } where = Before;
    bool seen_hidden = false, seen_enabled = false;
    std::size_t pos = 0;
    while (pos <= text.size() && where != After) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = TrimBlanks(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            if (where == In) {
                where = After;
            } else if (line == "[Desktop Entry]") {
                where = In;
                info.has_group = true;
            }
            continue;
        }
        if (where != In) continue;
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = TrimBlanks(line.substr(0, eq));
        std::string_view val = TrimBlanks(line.substr(eq + 1));
        if (key == "Exec" && !info.exec) {
            info.exec = std::string(val);
        } else if (key == "Hidden" && !seen_hidden) {
            seen_hidden = true;
            info.hidden = val == "true";
        } else if (key == "X-GNOME-Autostart-enabled" && !seen_enabled) {
            seen_enabled = true;
            info.disabled = val == "false";
        }
    }
    return info;
}

bool EntryStartsProgram(const DesktopEntryInfo& entry, std::string_view program) {
    if (!entry.has_group || !entry.exec || entry.hidden || entry.disabled) return false;
    std::optional<std::vector<std::string>> args = SplitDesktopExec(*entry.exec);
    if (!args || args->empty() || args->size() > 2) return false;
    if ((*args)[0] != program) return false;
    return args->size() == 1 || SameText((*args)[1], "/hide");
}

DesktopEntryInfo FileAutostartStore::Read() const {
    std::string text;
    if (!IsRegularFile(entry_) || !ReadFileBytes(entry_, text) || text.size() > kMaxEntryBytes)
        return {};
    return ParseDesktopEntry(text);
}

bool FileAutostartStore::Exists() const {
    struct stat st {};
    return ::lstat(entry_.c_str(), &st) == 0;
}

bool FileAutostartStore::IsOn() const {
    return EntryStartsProgram(Read(), program_);
}

bool FileAutostartStore::Enable(std::string* why) {
    std::optional<std::string> text = DesktopEntryText(program_);
    if (!text) {
        if (why) *why = "the program path cannot be written into an autostart entry";
        return false;
    }
    std::size_t slash = entry_.find_last_of('/');
    if (slash == std::string::npos || !MakeFolders(entry_.substr(0, slash))) {
        if (why) *why = "cannot create the folder of " + entry_;
        return false;
    }
    std::string reason;
    if (!WriteFileAtomically(entry_, *text, LinkPolicy::Replace, &reason)) {
        if (why) *why = "cannot write " + entry_ + (reason.empty() ? "" : ": " + reason);
        return false;
    }
    ::chmod(entry_.c_str(), 0644);
    return true;
}

bool FileAutostartStore::Disable(std::string* why) {
    if (::unlink(entry_.c_str()) == 0 || errno == ENOENT) return true;
    if (why) *why = "cannot delete " + entry_ + ": " + std::strerror(errno);
    return false;
}

std::string ResolvedPath(const std::string& path) {
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf)) return buf;
    return path;
}

} // namespace tobu
