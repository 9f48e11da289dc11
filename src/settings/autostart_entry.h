// Starting the clock at login: the desktop session's autostart entry
// $XDG_CONFIG_HOME/autostart/TobuClock.desktop (~/.config/autostart/ when XDG_CONFIG_HOME is
// unset, empty or not absolute).
//
// The entry the clock writes:
//
//     [Desktop Entry]
//     Type=Application
//     Version=1.0
//     Name=Tobu桌面时钟
//     Exec="/opt/Tobu 时钟/TobuClock" /hide
//     Terminal=false
//
// The program path is quoted by the desktop-entry rules (", `, $ and \ escaped inside the
// quotes, % written %%, then every backslash of the value doubled), so a folder holding blanks,
// quotes, dollars, backticks, backslashes or percent signs starts exactly that program.
//
// Autostart counts as on when the entry's [Desktop Entry] group has an Exec that splits into
// the program path alone or followed by "/hide" (ignoring case), and neither Hidden=true nor
// X-GNOME-Autostart-enabled=false switches it off. Anything else (a garbage file, another
// program's entry) counts as off and is left alone until the user switches autostart.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tobu {

// The entry's path from the two variables (either may be null).
std::string AutostartEntryPath(const char* home, const char* xdg_config_home);
// The same from the process environment.
std::string AutostartEntryPath();

// The Exec value for the program: the quoted path followed by " /hide". Nothing when the path
// is empty or holds a control character.
std::optional<std::string> DesktopExecValue(std::string_view program);
// The whole entry (UTF-8, LF line ends), or nothing as above.
std::optional<std::string> DesktopEntryText(std::string_view program);
// The arguments of an Exec value as the session splits them: the value's escapes (\\, \s, \n,
// \t, \r) undone, then blanks separate arguments, double quotes group them (with \", \`, \$
// and \\ inside), and %% stands for %. Nothing for an unterminated quote.
std::optional<std::vector<std::string>> SplitDesktopExec(std::string_view value);

struct DesktopEntryInfo {
    bool has_group = false;          // a [Desktop Entry] group exists
    std::optional<std::string> exec; // its Exec value as stored
    bool hidden = false;             // Hidden=true
    bool disabled = false;           // X-GNOME-Autostart-enabled=false
};
// Reads an entry's text. Only the first [Desktop Entry] group counts; in it the first line of
// a key wins; comments and other groups are skipped.
DesktopEntryInfo ParseDesktopEntry(std::string_view text);
// True when the entry starts `program` (exactly that path) at login.
bool EntryStartsProgram(const DesktopEntryInfo& entry, std::string_view program);

// Where the autostart state lives. The options dialog and `tobu autostart` use it; tests hand
// in a recording double.
class AutostartStore {
public:
    virtual ~AutostartStore() = default;
    virtual bool IsOn() const = 0;
    // Writes the entry; false (with a reason) when it cannot be written.
    virtual bool Enable(std::string* why = nullptr) = 0;
    // Deletes the entry; true when it is gone (also when there was none).
    virtual bool Disable(std::string* why = nullptr) = 0;
};

// The entry file for one program path.
class FileAutostartStore : public AutostartStore {
public:
    FileAutostartStore(std::string entry_path, std::string program)
        : entry_(std::move(entry_path)), program_(std::move(program)) {}
    bool IsOn() const override;
    // Creates the folder when missing and replaces the file atomically (mode 0644).
    bool Enable(std::string* why = nullptr) override;
    // Removes the file (a symbolic link itself, never its target).
    bool Disable(std::string* why = nullptr) override;

    const std::string& EntryPath() const { return entry_; }
    const std::string& Program() const { return program_; }
    bool Exists() const;
    // The entry as read now (a missing or unreadable file gives an empty one).
    DesktopEntryInfo Read() const;

private:
    std::string entry_, program_;
};

// The path with symbolic links resolved, or the path itself when it cannot be resolved.
std::string ResolvedPath(const std::string& path);

} // namespace tobu
