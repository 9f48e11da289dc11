#include "settings/clock_settings.h"

#include <climits>

namespace tobu {

using namespace keys;

namespace {
// The largest number of minutes whose millisecond count still fits a timer interval.
constexpr int kMaxStepMinutes = INT_MAX / 60000;

int ClampToInt(long long v) {
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

std::optional<int> ReadStored(const IniFile& ini, std::string_view section, std::string_view name) {
    if (!ini.KeyExists(section, name)) return std::nullopt;
    // A value that is not a number reads as "not stored" (both defaults below are sentinels).
    int a = ini.ReadInteger(section, name, 0);
    int b = ini.ReadInteger(section, name, 1);
    if (a != b) return std::nullopt;
    return a;
}
} // namespace

int BarLeftFromSetting(int stored, int screen_width, int bar_width) {
    // 64-bit so that a huge stored value cannot overflow the comparison.
    long long limit = static_cast<long long>(screen_width) - bar_width;
    if (static_cast<long long>(stored) > limit) return ClampToInt(limit);
    return stored;
}

int BarTopFromSetting(int stored) {
    return stored < 0 ? 0 : stored;
}

int DefWinFromSetting(int stored) {
    return BarDefWin.InRange(stored) ? stored : 1;
}

std::uint8_t AlphaFromTr(int tr) {
    return static_cast<std::uint8_t>(static_cast<unsigned int>(tr) & 0xFFu);
}

MessageOptions MessageOptionsFromSettings(bool auto_close, int auto_sec, int tran, int calendar_lx,
                                          int calendar_step) {
    MessageOptions m;
    m.auto_sec = auto_close ? auto_sec : -1;
    m.auto_close = auto_close;
    m.stored_auto_sec = auto_sec;
    m.tran = tran;
    m.calendar_lx = calendar_lx;
    m.calendar_step = calendar_step;
    // A zero or negative interval would make the timer fire continuously, and a huge one
    // would overflow: the interval stays between one minute and the largest that fits.
    int minutes = calendar_step < 1                 ? 1
                  : calendar_step > kMaxStepMinutes ? kMaxStepMinutes
                                                    : calendar_step;
    m.war_step_interval_ms = minutes * 60000;
    return m;
}

ClockSettings ReadClockSettings(const IniFile& ini, const ScreenFacts& screen) {
    ClockSettings s;
    s.from_file = ini.State() != IniFile::LoadState::Unreadable;
    s.skin.skin_file = Read(ini, SkinFile);
    s.skin.clock_file = Read(ini, SkinClockFile);
    s.skin.win_file = Read(ini, SkinWinFile);

    s.led.led_font = Read(ini, LedFont);
    s.led.font = ReadTimeFont(ini);

    s.clock.alarm = Read(ini, ClockAlarm);
    s.clock.half_alarm = Read(ini, ClockHalfAlarm);
    s.clock.alarm_type = Read(ini, ClockAlarmType);
    s.clock.hot_key = Read(ini, ClockHotKey);
    s.clock.hot_key1 = Read(ini, ClockHotKey1);
    s.clock.hot_key2 = Read(ini, ClockHotKey2);

    s.time.auto_check = Read(ini, TimeAutoChcek);
    s.time.step_hour = Read(ini, TimeStepHour);

    bool auto_close = Read(ini, MsgAuto);
    s.msg = MessageOptionsFromSettings(auto_close, Read(ini, MsgAutoSec), Read(ini, MsgTran),
                                       Read(ini, MsgCalendarLX), Read(ini, MsgCalendarStep));

    int def_left = ClampToInt(static_cast<long long>(screen.screen_width) - screen.bar_width);
    s.bar.left =
        BarLeftFromSetting(Read(ini, BarLeft, def_left), screen.screen_width, screen.bar_width);
    s.bar.top = BarTopFromSetting(Read(ini, BarTop));
    s.bar.on_top = Read(ini, BarOnTop);
    s.bar.on_start_hide = Read(ini, BarOnStartHide);
    s.bar.def_win = DefWinFromSetting(Read(ini, BarDefWin));
    s.bar.tr = Read(ini, BarTr);
    s.bar.alpha = AlphaFromTr(s.bar.tr);
    s.bar.date_loop = Read(ini, BarDateLoop);

    s.child.index = Read(ini, ChildIndex);
    s.child.left = ReadStored(ini, ChildLeft.section, ChildLeft.name);
    s.child.top = ReadStored(ini, ChildTop.section, ChildTop.name);
    return s;
}

ClockSettings ReadClockSettings(const std::string& ini_path, const ScreenFacts& screen) {
    return ReadClockSettings(IniFile(ini_path), screen);
}

} // namespace tobu
