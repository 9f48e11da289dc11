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

OptionsValues ReadOptionsValues(const IniFile& ini) {
    OptionsValues v;
    v.led_font = Read(ini, LedFont);
    v.font = ReadTimeFont(ini);
    v.tr = Read(ini, BarTr);
    v.on_top = Read(ini, BarOnTop);
    v.on_start_hide = Read(ini, BarOnStartHide);
    v.def_win = Read(ini, BarDefWin);
    v.date_loop = Read(ini, BarDateLoop);
    v.alarm = Read(ini, ClockAlarm);
    v.half_alarm = Read(ini, ClockHalfAlarm);
    v.alarm_type = Read(ini, ClockAlarmType);
    v.hot_key1 = Read(ini, ClockHotKey1);
    v.hot_key2 = Read(ini, ClockHotKey2);
    v.hot_key = Read(ini, ClockHotKey);
    v.msg_auto = Read(ini, MsgAuto);
    v.auto_sec = Read(ini, MsgAutoSec);
    v.tran = Read(ini, MsgTran);
    v.calendar_lx = Read(ini, MsgCalendarLX);
    v.calendar_step = Read(ini, MsgCalendarStep);
    v.auto_check = Read(ini, TimeAutoChcek);
    v.step_hour = Read(ini, TimeStepHour);
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
