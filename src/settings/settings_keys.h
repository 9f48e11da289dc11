// Every key of skin.ini, declared once with its section, name, type, default and the range the
// options dialog offers. Loading, saving, the options dialog and the tests use these
// constants instead of spelling key strings themselves:
//
//     IniFile ini(appDir + "skin.ini");
//     int tr = Read(ini, keys::BarTr);
//     Write(ini, keys::BarTr, 180);
//     ini.Save();
#pragma once

#include "settings/ini_file.h"

#include <climits>
#include <span>
#include <string>
#include <string_view>

namespace tobu {

enum class KeyType { String, Int, Bool };

struct StringKey {
    std::string_view section, name;
    std::string_view def;
};

struct BoolKey {
    std::string_view section, name;
    bool def;
};

// An integer key. `min`/`max` hold the options dialog's range where it has one; reading never
// clamps (the reader applies its own rule), Clamp() is there for the dialog.
struct IntKey {
    std::string_view section, name;
    int def;
    int min = INT_MIN, max = INT_MAX;
    constexpr bool HasRange() const { return min != INT_MIN || max != INT_MAX; }
    constexpr bool InRange(int v) const { return v >= min && v <= max; }
    constexpr int Clamp(int v) const { return v < min ? min : v > max ? max : v; }
};

// An integer key whose default depends on the screen or the windows (BAR Left, CHILD Top):
// the reader supplies it.
struct ComputedIntKey {
    std::string_view section, name;
};

namespace keys {
// SKIN: names of the packages in use.
inline constexpr StringKey SkinFile{"SKIN", "SkinFile", ""};
inline constexpr StringKey SkinClockFile{"SKIN", "ClockFile", ""};
inline constexpr StringKey SkinWinFile{"SKIN", "WinFile", ""};
// LED: LED display or plain-text time, and the plain text's font.
inline constexpr BoolKey LedFont{"LED", "LEDFont", true};
inline constexpr StringKey LedFontName{"LED", "FontName", "Tahoma"};
inline constexpr IntKey LedFontSize{"LED", "FontSize", 18};
inline constexpr IntKey LedFontColor{"LED", "FontColor", 16777215};
inline constexpr BoolKey LedFontBold{"LED", "FontBold", false};
inline constexpr BoolKey LedFontItalic{"LED", "FontItalic", false};
inline constexpr BoolKey LedFontUnderline{"LED", "FontUnderline", false};
inline constexpr BoolKey LedFontStrikeOut{"LED", "FontStrikeOut", false};
// CLOCK: chimes and the hot key that speaks the time.
inline constexpr BoolKey ClockAlarm{"CLOCK", "Alarm", false};
inline constexpr BoolKey ClockHalfAlarm{"CLOCK", "HalfAlarm", false};
inline constexpr IntKey ClockAlarmType{"CLOCK", "AlarmType", 0, 0, 3};
inline constexpr BoolKey ClockHotKey{"CLOCK", "HotKey", false};
inline constexpr StringKey ClockHotKey1{"CLOCK", "HotKey1", ""};
inline constexpr StringKey ClockHotKey2{"CLOCK", "HotKey2", ""};
// TIME: automatic synchronisation (the key is spelled "AutoChcek" in the file).
inline constexpr BoolKey TimeAutoChcek{"TIME", "AutoChcek", false};
inline constexpr IntKey TimeStepHour{"TIME", "StepHour", 1, 1, 1000};
// MSG: popup messages and the calendar-mark message.
inline constexpr BoolKey MsgAuto{"MSG", "Auto", true};
inline constexpr IntKey MsgAutoSec{"MSG", "AutoSec", 5, 5, 3600};
inline constexpr IntKey MsgTran{"MSG", "Tran", 200, 55, 255};
inline constexpr IntKey MsgCalendarLX{"MSG", "CalendarLX", 1, 0, 2};
inline constexpr IntKey MsgCalendarStep{"MSG", "CalendarStep", 5, 1, 600};
// BAR: the main bar.
inline constexpr ComputedIntKey BarLeft{"BAR", "Left"}; // default screen width - bar width
inline constexpr IntKey BarTop{"BAR", "Top", 0};
inline constexpr BoolKey BarOnTop{"BAR", "OnTop", false};
inline constexpr BoolKey BarOnStartHide{"BAR", "OnStartHide", false};
inline constexpr IntKey BarDefWin{"BAR", "DefWin", 1, 0, 3};
inline constexpr IntKey BarTr{"BAR", "Tr", 200, 55, 255};
inline constexpr BoolKey BarDateLoop{"BAR", "DateLoop", false};
// CHILD: the companion window at exit and the clock window's position.
inline constexpr IntKey ChildIndex{"CHILD", "Index", 0, 0, 3};
inline constexpr IntKey ChildLeft{"CHILD", "Left", 0};
inline constexpr ComputedIntKey ChildTop{"CHILD", "Top"}; // default: the clock's docking top
} // namespace keys

// One row of the key table, for code that walks every key (tests, a settings dump).
struct KeyInfo {
    std::string_view section, name;
    KeyType type;
    std::string_view string_def; // String keys
    int int_def;                 // Int keys; Bool keys hold 1 or 0
    bool computed_default;       // the reader supplies the default
    int min, max;                // INT_MIN / INT_MAX when there is no range
};

// All keys in file order: SKIN, LED, CLOCK, TIME, MSG, BAR, CHILD.
std::span<const KeyInfo> AllKeys();
// The row for a section and key (names compared ignoring case), or nullptr.
const KeyInfo* FindKeyInfo(std::string_view section, std::string_view name);

// Typed access. A missing or malformed value gives the key's default.
std::string Read(const IniFile& ini, const StringKey& key);
bool Read(const IniFile& ini, const BoolKey& key);
int Read(const IniFile& ini, const IntKey& key);
int Read(const IniFile& ini, const ComputedIntKey& key, int def);

bool Write(IniFile& ini, const StringKey& key, std::string_view value);
bool Write(IniFile& ini, const BoolKey& key, bool value);
bool Write(IniFile& ini, const IntKey& key, int value);
bool Write(IniFile& ini, const ComputedIntKey& key, int value);

// The plain-text time font as the LED section stores it.
struct TimeFont {
    std::string name{keys::LedFontName.def};
    int size = keys::LedFontSize.def;
    int color = keys::LedFontColor.def; // 0x00BBGGRR
    bool bold = false, italic = false, underline = false, strike_out = false;
    bool operator==(const TimeFont&) const = default;
};

TimeFont ReadTimeFont(const IniFile& ini);
// FontName, FontSize, FontColor, FontBold, FontItalic, FontUnderline, FontStrikeOut.
bool WriteTimeFont(IniFile& ini, const TimeFont& font);

} // namespace tobu
