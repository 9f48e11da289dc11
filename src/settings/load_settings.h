// The bar's start-up read of skin.ini (and its skin-only re-read after a skin is applied).
// The values go, one step at a time, to a SettingsTarget that the bar window implements; each
// value is applied before the next key is read.
#pragma once

#include "settings/settings_keys.h"

#include <cstdint>
#include <string>

namespace tobu {

// The message settings the bar takes from the MSG section.
struct MessageOptions {
    int auto_sec = 5;                  // seconds a popup stays; -1 when popups are closed by hand
    int tran = 200;                    // popup transparency
    int calendar_lx = 1;               // calendar-mark message: 0 off, 1 once, 2 repeated
    int calendar_step = 5;             // minutes between repeated calendar-mark messages, as stored
    int war_step_interval_ms = 300000; // TimerWarStep's interval
    bool operator==(const MessageOptions&) const = default;
};

// What the settings load does to the bar. Any call may throw (a skin loader that meets a
// damaged package, for example); that step then changes nothing more and the load goes on with
// the next one, so a damaged package costs its own look and nothing else.
class SettingsTarget {
public:
    virtual ~SettingsTarget() = default;

    virtual void LoadBarSkin(const std::string& path) = 0;
    virtual void SetCurrentSkinFile(const std::string& name) = 0;
    virtual void SetCurrentClockFile(const std::string& name) = 0;
    virtual void ShowLed(bool show) = 0;
    // The plain-text time panel's font; its style is exactly the four flags.
    virtual void SetTimeFont(const TimeFont& font) = 0;
    virtual void LoadDialogFrame(const std::string& path) = 0;
    virtual void SetAlarm(bool alarm, bool half_alarm, int alarm_type) = 0;
    // Stores both texts and registers the global hot key.
    virtual void RegisterClockHotKey(const std::string& modifiers, const std::string& letter) = 0;
    virtual void SetTimeSync(bool auto_check, int step_hour) = 0;
    // Stores the message settings and sets TimerWarStep's interval.
    virtual void SetMessageOptions(const MessageOptions& options) = 0;
    virtual int ScreenWidth() = 0;
    virtual int BarWidth() = 0;
    virtual void SetBarLeft(int left) = 0;
    virtual void SetBarTop(int top) = 0;
    virtual void SetOnTop(bool on_top) = 0;
    virtual void SetOnStartHide(bool hide) = 0;
    virtual void SetDefWin(int def_win) = 0;
    // `tr` is the stored value (the field); `alpha` is what reaches the window's opacity.
    virtual void SetTr(int tr, std::uint8_t alpha) = 0;
    virtual void SetChildIndex(int index) = 0;
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
// MSG: AutoSec is -1 when Auto is off; the calendar timer runs CalendarStep minutes.
MessageOptions MessageOptionsFromSettings(bool auto_close, int auto_sec, int tran, int calendar_lx,
                                          int calendar_step);

// What a settings load applied.
struct SettingsLoadResult {
    int failed_steps = 0;  // steps whose call threw and were skipped
    bool position = false; // BAR Left and Top were read from the file and applied
    bool tr = false;       // BAR Tr was read from the file and applied
    bool Complete() const { return failed_steps == 0; }
    explicit operator bool() const { return Complete(); }
};

// Reads `app_dir` + "skin.ini" (app_dir ends in "/") and applies it to `target` step by step,
// in the file's reading order. With `skin_only` only SKIN SkinFile and ClockFile are applied.
// A step that throws is skipped (the error is swallowed) and every later step still runs.
// Values of a file that exists but cannot be read are applied as defaults and are not counted
// as read (`position` and `tr` stay false), so the bar never writes them back over the user's.
SettingsLoadResult LoadSettings(const std::string& app_dir, bool skin_only, SettingsTarget& target);
// The same over a batch that is already open.
SettingsLoadResult LoadSettings(const IniFile& ini, const std::string& app_dir, bool skin_only,
                                SettingsTarget& target);

} // namespace tobu
