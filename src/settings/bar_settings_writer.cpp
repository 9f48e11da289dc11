#include "settings/bar_settings_writer.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace tobu {

using namespace keys;

namespace {

// Ends a batch. A save that fails is told on standard error, once per process (the bar retries
// every 2 s), and is never taken for success.
bool Finish(IniFile& ini, bool ok) {
    if (ini.Save()) return ok;
    static std::atomic<pid_t> reported_by{0};
    if (reported_by.exchange(::getpid()) != ::getpid())
        std::fprintf(stderr, "%s: cannot save the settings to %s\n", program_invocation_short_name,
                     ini.Path().c_str());
    return false;
}

bool WriteClock(IniFile& ini, const WindowPos& clock) {
    bool ok = Write(ini, ChildTop, clock.top);
    return Write(ini, ChildLeft, clock.left) && ok;
}

} // namespace

bool SaveBarPosition(const std::string& ini_path, int left, int top,
                     std::optional<WindowPos> clock) {
    IniFile ini(ini_path);
    bool ok = Write(ini, BarLeft, left);
    ok = Write(ini, BarTop, top) && ok;
    if (clock) ok = WriteClock(ini, *clock) && ok;
    return Finish(ini, ok);
}

bool SaveClockPosition(const std::string& ini_path, int left, int top) {
    IniFile ini(ini_path);
    bool ok = WriteClock(ini, {left, top});
    return Finish(ini, ok);
}

bool SaveBarState(const std::string& ini_path, int child_index, int left, int top, int tr,
                  std::optional<WindowPos> clock) {
    return SaveBarState(ini_path, child_index, WindowPos{left, top}, tr, clock);
}

bool SaveBarState(const std::string& ini_path, int child_index, std::optional<WindowPos> bar,
                  std::optional<int> tr, std::optional<WindowPos> clock) {
    IniFile ini(ini_path);
    bool ok = Write(ini, ChildIndex, child_index);
    if (bar) {
        ok = Write(ini, BarLeft, bar->left) && ok;
        ok = Write(ini, BarTop, bar->top) && ok;
    }
    if (tr) ok = Write(ini, BarTr, *tr) && ok;
    if (clock) ok = WriteClock(ini, *clock) && ok;
    return Finish(ini, ok);
}

OptionsValues OptionsValuesFrom(const ClockSettings& s) {
    OptionsValues v;
    v.led_font = s.led.led_font;
    v.font = s.led.font;
    v.tr = s.bar.tr;
    v.on_top = s.bar.on_top;
    v.on_start_hide = s.bar.on_start_hide;
    v.def_win = s.bar.def_win;
    v.date_loop = s.bar.date_loop;
    v.alarm = s.clock.alarm;
    v.half_alarm = s.clock.half_alarm;
    v.alarm_type = s.clock.alarm_type;
    v.hot_key1 = s.clock.hot_key1;
    v.hot_key2 = s.clock.hot_key2;
    v.hot_key = s.clock.hot_key;
    v.msg_auto = s.msg.auto_close;
    v.auto_sec = s.msg.stored_auto_sec;
    v.tran = s.msg.tran;
    v.calendar_lx = s.msg.calendar_lx;
    v.calendar_step = s.msg.calendar_step;
    v.auto_check = s.time.auto_check;
    v.step_hour = s.time.step_hour;
    return v;
}

bool WriteOptionsValues(IniFile& ini, const OptionsValues& v) {
    bool ok = Write(ini, LedFont, v.led_font);
    if (!v.led_font) ok = WriteTimeFont(ini, v.font) && ok;
    ok = Write(ini, BarTr, v.tr) && ok;
    ok = Write(ini, BarOnTop, v.on_top) && ok;
    ok = Write(ini, BarOnStartHide, v.on_start_hide) && ok;
    ok = Write(ini, BarDefWin, v.def_win) && ok;
    ok = Write(ini, BarDateLoop, v.date_loop) && ok;
    ok = Write(ini, ClockAlarm, v.alarm) && ok;
    ok = Write(ini, ClockHalfAlarm, v.half_alarm) && ok;
    ok = Write(ini, ClockAlarmType, v.alarm_type) && ok;
    ok = Write(ini, ClockHotKey1, v.hot_key1) && ok;
    ok = Write(ini, ClockHotKey2, v.hot_key2) && ok;
    ok = Write(ini, ClockHotKey, v.hot_key) && ok;
    ok = Write(ini, MsgAuto, v.msg_auto) && ok;
    ok = Write(ini, MsgAutoSec, v.auto_sec) && ok;
    ok = Write(ini, MsgTran, v.tran) && ok;
    ok = Write(ini, MsgCalendarLX, v.calendar_lx) && ok;
    ok = Write(ini, MsgCalendarStep, v.calendar_step) && ok;
    ok = Write(ini, TimeAutoChcek, v.auto_check) && ok;
    ok = Write(ini, TimeStepHour, v.step_hour) && ok;
    return ok;
}

bool SaveOptions(const std::string& ini_path, const OptionsValues& v) {
    IniFile ini(ini_path);
    bool ok = WriteOptionsValues(ini, v);
    return Finish(ini, ok);
}

} // namespace tobu
