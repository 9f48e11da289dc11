// The settings the options dialog shows, as `tobu config` reads and changes them: 28 keys
// named "SECTION.Name", each with the rule that turns what skin.ini holds into what the dialog
// shows (and saves), and the rule that turns a typed value into what is written.
//
//     const ConfigKey* k = FindConfigKey("msg.autosec");
//     ConfigValue shown = ConfigGet(ini, *k);                  // "31" for a stored "0x1F"
//     ConfigParsed p = ParseConfigValue(*k, "7000", appDir);  // "3600", clamped
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings/ini_file.h"
#include "settings/settings_keys.h"

namespace tobu {

enum class ConfigKind {
    Bool,      // "1" / "0"
    Range,     // an integer clamped into [min, max]
    List,      // the index of one of `items`
    HotKey1,   // one of the seven modifier texts, or ""
    HotKey2,   // one capital letter, or ""
    FontName,  // a font family name
    FontColor, // 0x00BBGGRR in 0..16777215
    Package,   // a package file name in Skin/ (.sk) or Clock/ (.cl), or ""
};

struct ConfigKey {
    std::string_view section, name;
    ConfigKind kind;
    int def = 0; // Bool, Range, List, FontColor
    int min = 0, max = 0;
    std::string_view text_def;               // FontName, Package, HotKey1/2
    std::span<const std::string_view> items; // List and HotKey1
    std::string_view folder;                 // Package: "Skin/" or "Clock/"
    std::string Name() const;                // "SECTION.Name"
};

// The captions of the dialog's lists, in item order.
extern const std::string_view kDefWinItems[4];    // 精简 时钟 日历 天气
extern const std::string_view kAlarmTypeItems[4]; // 语音报时 … 消息报时
extern const std::string_view kCalendarLXItems[3];
extern const std::string_view kHotKey1Items[7]; // "Alt" … "Alt + Ctrl + Shift"

// The 28 keys: LED (8), BAR (5), CLOCK (6), MSG (5), TIME (2), SKIN (2).
std::span<const ConfigKey> ConfigKeys();
// The key named "SECTION.Name" (compared ignoring case), or nullptr.
const ConfigKey* FindConfigKey(std::string_view name);

struct ConfigValue {
    std::string value;                 // what the dialog shows and would write
    std::optional<std::string> stored; // the trimmed text in the file, when present
    std::string text;                  // List: the item's caption
};
// What the dialog shows for the key: booleans non-zero true, the default when missing or
// unreadable; ranged integers clamped; list indexes outside the list give the default; hot-key
// texts only when exactly one of the items; FontName "Tahoma" when missing or empty; FontColor
// the default outside 0..16777215; package names as stored.
ConfigValue ConfigGet(const IniFile& ini, const ConfigKey& key);

struct ConfigParsed {
    bool ok = false;
    std::string value; // the text to write
    bool clamped = false;
    std::string error; // why the value cannot be taken
};
// Checks and normalises a typed value (blanks around it ignored). `app_dir` (with a trailing
// "/") is where Package keys look for their file.
ConfigParsed ParseConfigValue(const ConfigKey& key, std::string_view input,
                              const std::string& app_dir);

// The typed readers behind ConfigGet, shared with the options dialog's loading.
bool DialogBool(const IniFile& ini, const BoolKey& key);
int DialogRange(const IniFile& ini, const IntKey& key);
int DialogListIndex(const IniFile& ini, const IntKey& key, int count);
std::string DialogHotKey1(const IniFile& ini);
std::string DialogHotKey2(const IniFile& ini);
std::string DialogFontName(const IniFile& ini);
int DialogFontColor(const IniFile& ini);

} // namespace tobu
