// What the bar and the options dialog write to skin.ini. Each function is one batch: it reads
// the file, writes its keys in the order given and replaces the file atomically, returning
// whether the file now holds the values. The first failed save of a process is reported on
// standard error (one line naming the file).
#pragma once

#include "settings/clock_settings.h"
#include "settings/settings_keys.h"

#include <optional>
#include <string>

namespace tobu {

struct WindowPos {
    int left = 0, top = 0;
    bool operator==(const WindowPos&) const = default;
};

// BAR Left, BAR Top; then, when the clock window is visible, CHILD Top and CHILD Left.
bool SaveBarPosition(const std::string& ini_path, int left, int top,
                     std::optional<WindowPos> clock = std::nullopt);
// CHILD Top, CHILD Left.
bool SaveClockPosition(const std::string& ini_path, int left, int top);
// At exit: CHILD Index, BAR Left, BAR Top, BAR Tr and, when the clock window is visible,
// CHILD Top and CHILD Left.
bool SaveBarState(const std::string& ini_path, int child_index, int left, int top, int tr,
                  std::optional<WindowPos> clock = std::nullopt);
// The same, leaving out the bar's position and its Tr when they are not known to be the user's
// (the settings load never got to them): the file keeps what the user stored.
bool SaveBarState(const std::string& ini_path, int child_index, std::optional<WindowPos> bar,
                  std::optional<int> tr, std::optional<WindowPos> clock);

// Every value the options dialog saves.
struct OptionsValues {
    bool led_font = keys::LedFont.def;
    TimeFont font;
    int tr = keys::BarTr.def;
    bool on_top = keys::BarOnTop.def;
    bool on_start_hide = keys::BarOnStartHide.def;
    int def_win = keys::BarDefWin.def;
    bool date_loop = keys::BarDateLoop.def;
    bool alarm = keys::ClockAlarm.def;
    bool half_alarm = keys::ClockHalfAlarm.def;
    int alarm_type = keys::ClockAlarmType.def;
    std::string hot_key1, hot_key2;
    bool hot_key = keys::ClockHotKey.def;
    bool msg_auto = keys::MsgAuto.def;
    int auto_sec = keys::MsgAutoSec.def;
    int tran = keys::MsgTran.def;
    int calendar_lx = keys::MsgCalendarLX.def;
    int calendar_step = keys::MsgCalendarStep.def;
    bool auto_check = keys::TimeAutoChcek.def;
    int step_hour = keys::TimeStepHour.def;
    bool operator==(const OptionsValues&) const = default;
};

// What the dialog shows of settings read with ReadClockSettings: the values as stored, MSG
// AutoSec included while Auto is off.
OptionsValues OptionsValuesFrom(const ClockSettings& s);
// Writes in the dialog's order: LED LEDFont and, when it is false, the font keys; BAR Tr,
// OnTop, OnStartHide, DefWin, DateLoop; CLOCK Alarm, HalfAlarm, AlarmType, HotKey1, HotKey2,
// HotKey; MSG Auto, AutoSec, Tran, CalendarLX, CalendarStep; TIME AutoChcek, StepHour.
bool WriteOptionsValues(IniFile& ini, const OptionsValues& v);
// One batch of WriteOptionsValues.
bool SaveOptions(const std::string& ini_path, const OptionsValues& v);

} // namespace tobu
