#include "settings/load_settings.h"

#include <climits>
#include <cstdint>

namespace tobu {

using namespace keys;

namespace {
// The largest number of minutes whose millisecond count still fits a timer interval.
constexpr int kMaxStepMinutes = INT_MAX / 60000;

int ClampToInt(long long v) {
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v);
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

SettingsLoadResult LoadSettings(const std::string& app_dir, bool skin_only,
                                SettingsTarget& target) {
    IniFile ini(app_dir + "skin.ini");
    return LoadSettings(ini, app_dir, skin_only, target);
}

SettingsLoadResult LoadSettings(const IniFile& ini, const std::string& app_dir, bool skin_only,
                                SettingsTarget& target) {
    SettingsLoadResult result;
    // Each step reads its keys and applies them. A step that throws (a skin loader meeting a
    // damaged package) is skipped like a missing package would be; the steps after it still run.
    auto step = [&result](auto&& apply) {
        try {
            apply();
            return true;
        } catch (...) {
            ++result.failed_steps;
            return false;
        }
    };
    // Values read from a file that exists but cannot be read are defaults, not the user's.
    const bool from_file = ini.State() != IniFile::LoadState::Unreadable;

    // Skin: the bar's package, then the clock face name.
    std::string skin = Read(ini, SkinFile);
    step([&] { target.LoadBarSkin(app_dir + "Skin/" + skin); });
    step([&] { target.SetCurrentSkinFile(skin); });
    step([&] { target.SetCurrentClockFile(Read(ini, SkinClockFile)); });
    if (skin_only) return result;

    step([&] { target.ShowLed(Read(ini, LedFont)); });
    step([&] { target.SetTimeFont(ReadTimeFont(ini)); });
    step([&] { target.LoadDialogFrame(app_dir + Read(ini, SkinWinFile)); });

    step([&] {
        bool alarm = Read(ini, ClockAlarm);
        bool half = Read(ini, ClockHalfAlarm);
        target.SetAlarm(alarm, half, Read(ini, ClockAlarmType));
    });

    step([&] {
        if (!Read(ini, ClockHotKey)) return;
        std::string modifiers = Read(ini, ClockHotKey1);
        target.RegisterClockHotKey(modifiers, Read(ini, ClockHotKey2));
    });

    step([&] {
        bool auto_check = Read(ini, TimeAutoChcek);
        target.SetTimeSync(auto_check, Read(ini, TimeStepHour));
    });

    step([&] {
        bool auto_close = Read(ini, MsgAuto);
        int auto_sec = auto_close ? Read(ini, MsgAutoSec) : -1;
        int tran = Read(ini, MsgTran);
        int lx = Read(ini, MsgCalendarLX);
        target.SetMessageOptions(
            MessageOptionsFromSettings(auto_close, auto_sec, tran, lx, Read(ini, MsgCalendarStep)));
    });

    bool placed = step([&] {
        int screen = target.ScreenWidth();
        int bar = target.BarWidth();
        int def_left = ClampToInt(static_cast<long long>(screen) - bar);
        target.SetBarLeft(BarLeftFromSetting(Read(ini, BarLeft, def_left), screen, bar));
        target.SetBarTop(BarTopFromSetting(Read(ini, BarTop)));
    });
    result.position = placed && from_file;
    step([&] { target.SetOnTop(Read(ini, BarOnTop)); });
    step([&] { target.SetOnStartHide(Read(ini, BarOnStartHide)); });
    step([&] { target.SetDefWin(DefWinFromSetting(Read(ini, BarDefWin))); });
    bool tr_set = step([&] {
        int tr = Read(ini, BarTr);
        target.SetTr(tr, AlphaFromTr(tr));
    });
    result.tr = tr_set && from_file;

    step([&] { target.SetChildIndex(Read(ini, ChildIndex)); });
    return result;
}

} // namespace tobu
