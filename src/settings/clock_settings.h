// The clock's settings as one typed value. ReadClockSettings turns skin.ini into a
// ClockSettings, applying every loading rule (defaults, ranges, the integer and colour
// readings) from the key table in settings_keys.h; the bar hands each part to the part of the
// program that owns it while the clock runs:
//
//     skin   the bar (its background, LED, buttons) and the dialog frame
//     led    the bar's LED or plain-text time panel
//     clock  the chime sequencer (kind, hourly and half-hourly) and the bar's hot key
//     time   the time synchronisation
//     msg    the popup messages and the calendar-mark timer
//     bar    the bar's position, stay-on-top, alpha and start decisions
//     child  the companion window chosen at exit and the clock window's position
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "settings/settings_keys.h"

namespace tobu {

// The message settings taken from the MSG section.
struct MessageOptions {
    int auto_sec = 5;                  // seconds a popup stays; -1 when popups are closed by hand
    int tran = 200;                    // popup transparency
    int calendar_lx = 1;               // calendar-mark message: 0 off, 1 once, 2 repeated
    int calendar_step = 5;             // minutes between repeated calendar-mark messages, as stored
    int war_step_interval_ms = 300000; // TimerWarStep's interval
    bool auto_close = keys::MsgAuto.def;        // MSG Auto as stored
    int stored_auto_sec = keys::MsgAutoSec.def; // MSG AutoSec as stored, kept while Auto is off
    bool operator==(const MessageOptions&) const = default;
};

// What the screen and the bar contribute to the rules (the default and limit of BAR Left).
struct ScreenFacts {
    int screen_width = 1280;
    int bar_width = 332;
};

struct ClockSettings {
    struct Skin {
        std::string skin_file;  // SKIN SkinFile: the bar's package in Skin/
        std::string clock_file; // SKIN ClockFile: the clock face
        std::string win_file;   // SKIN WinFile: the dialog frame, relative to the program folder
        bool operator==(const Skin&) const = default;
    };
    struct Led {
        bool led_font = keys::LedFont.def; // true: the LED; false: the plain-text time
        TimeFont font;
        bool operator==(const Led&) const = default;
    };
    struct Clock {
        bool alarm = keys::ClockAlarm.def;
        bool half_alarm = keys::ClockHalfAlarm.def;
        int alarm_type = keys::ClockAlarmType.def;
        bool hot_key = keys::ClockHotKey.def;
        std::string hot_key1, hot_key2; // modifier text, key letter
        bool operator==(const Clock&) const = default;
    };
    struct Time {
        bool auto_check = keys::TimeAutoChcek.def;
        int step_hour = keys::TimeStepHour.def;
        bool operator==(const Time&) const = default;
    };
    struct Bar {
        int left = 0; // after the screen rule
        int top = 0;
        bool on_top = keys::BarOnTop.def;
        bool on_start_hide = keys::BarOnStartHide.def;
        int def_win = keys::BarDefWin.def;
        int tr = keys::BarTr.def; // as stored (written back at exit)
        std::uint8_t alpha = 200; // what reaches the window's opacity
        bool date_loop = keys::BarDateLoop.def;
        bool operator==(const Bar&) const = default;
    };
    struct Child {
        int index = keys::ChildIndex.def;
        std::optional<int> left, top; // the clock window's position, when stored
        bool operator==(const Child&) const = default;
    };

    Skin skin;
    Led led;
    Clock clock;
    Time time;
    MessageOptions msg;
    Bar bar;
    Child child;
    // False when the file exists but could not be read: the values are the defaults, not the
    // user's, and the bar must not write its position or Tr back over the file's.
    bool from_file = true;
    bool operator==(const ClockSettings&) const = default;
};

// How much of a ClockSettings an apply step takes: the skin section only (after a skin was
// chosen), or everything (start-up, the options dialog, a live apply, a reload).
enum class SettingsScope { SkinOnly, All };

// What an apply step did.
struct SettingsLoadResult {
    int failed_steps = 0;  // steps that failed (a damaged package) and were skipped
    bool position = false; // BAR Left and Top came from the file and were applied
    bool tr = false;       // BAR Tr came from the file and was applied
    bool Complete() const { return failed_steps == 0; }
    explicit operator bool() const { return Complete(); }
};

// The rules applied to values read from the file.
// BAR Left: above screen width - bar width it becomes that; no lower bound.
int BarLeftFromSetting(int stored, int screen_width, int bar_width);
// BAR Top: a negative value becomes 0.
int BarTopFromSetting(int stored);
// BAR DefWin: outside 0..3 it becomes 1.
int DefWinFromSetting(int stored);
// BAR Tr: only the low 8 bits reach the alpha value.
std::uint8_t AlphaFromTr(int tr);
// MSG: AutoSec is -1 when Auto is off (the stored value is kept beside it); the calendar
// timer runs CalendarStep minutes.
MessageOptions MessageOptionsFromSettings(bool auto_close, int auto_sec, int tran, int calendar_lx,
                                          int calendar_step);

// Every key of the file, with its rule. A missing or unreadable file gives the defaults; an
// unreadable one also clears `from_file`.
ClockSettings ReadClockSettings(const IniFile& ini, const ScreenFacts& screen = {});
ClockSettings ReadClockSettings(const std::string& ini_path, const ScreenFacts& screen = {});

} // namespace tobu
