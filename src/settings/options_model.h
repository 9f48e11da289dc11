// The options dialog "系统设置" without its window: what each control shows when the dialog
// opens, which controls are enabled, the labels, the package lists and previews, and what
// closing it saves and hands to the bar. The window (TFrmOptions) only puts these values into
// its controls and reads them back.
//
// The close, whichever way the dialog closes:
//   1. the autostart entry, when the box was marked changed (checked writes, unchecked deletes);
//   2. one batch to skin.ini with every value of the save list (WriteOptionsValues);
//   3. the bar takes the message, chime and synchronisation settings, then the hot key;
//   4. the popup program hears that the settings were saved.
// A failure in 2 or 3 skips the rest of 2-3; 4 always happens.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bitmap.h"
#include "base/datetime.h"
#include "settings/autostart_entry.h"
#include "settings/bar_settings_writer.h"
#include "settings/clock_settings.h"
#include "settings/ini_file.h"

namespace tobu {

// The page indexes, also the tags of the "系统设置" menu items.
enum OptionsPage { kPageGeneral = 0, kPageChime, kPageSkin, kPageClock, kPageMessage, kPageTime };
constexpr int kOptionsPageCount = 6;

// What the dialog takes from the bar instead of the file.
struct BarFacts {
    int alpha = 200;         // the bar's current opacity (Tr)
    bool led_visible = true; // the LED display shows (else the plain-text time)
    TimeFont font;           // the plain display's font as it was given
};

// The values the controls show when the dialog opens: the file's values by the loading rules
// (clamped ranges, list indexes outside the list as the default, hot-key texts only when one
// of the items), the transparency from the bar (clamped to 55-255), "LED"/"普通" and the font
// from the bar.
OptionsValues LoadOptionsValues(const IniFile& ini, const BarFacts& bar);

// The 28 settings a running clock takes over from the file (`tobu config set`), by the same
// rules but all from the file.
struct LiveSettings {
    OptionsValues values;
    std::string skin_file, clock_file;
};
LiveSettings ReadLiveSettings(const IniFile& ini);

// Which dependent controls are enabled.
struct OptionsEnabling {
    bool alarm_type = false;    // "报时类型": 整点 or 半点 checked
    bool hot_key_lists = false; // the two lists: "启用" checked
    bool auto_sec = false;      // "停留时间(秒)": "自动关闭"
    bool calendar_step = false; // "间隔时间(分)": "循环显示"
    bool step_hour = false;     // "每", interval, "小时校正一次": "自动网络校时"
    bool font_button = false;   // "字体(&F)": "普通"
    bool operator==(const OptionsEnabling&) const = default;
};
OptionsEnabling EnablingOf(const OptionsValues& v);

// The percentage after a transparency slider: round((255 - position) / 2.5) followed by "%".
std::string TransparencyLabel(int position);
// Label13: "最后校正于: " and the first line of TimeCheck.lst when it has one, else
// "最后校正于:".
std::string LastSyncLabel(const std::string& time_check_path);
std::string LastSyncLabelWith(const std::string& time_text);

// The preview size of a clock face: its own size up to 100 × 100, else 100 on the longer side
// (halves rounded up); a negative size counts as 0.
struct PreviewSize {
    int width = 0, height = 0;
    bool operator==(const PreviewSize&) const = default;
};
PreviewSize FacePreviewSize(int width, int height);

// The regular files of `folder` whose extension is `ext` (".sk", ".cl"; ignoring case), by
// name ignoring case.
std::vector<std::string> ListPackages(const std::string& folder, const std::string& ext);
// The item to select: the one named `current`, else the first; -1 for an empty list.
int SelectedPackage(const std::vector<std::string>& names, const std::string& current);

enum class PreviewStatus {
    Shown,        // the preview is drawn; "应用(&A)" is enabled
    WrongVersion, // "无法识别的文件版本！" / "警告"; apply disabled
    Unusable,     // missing or damaged: no preview, apply disabled
};

// The skin preview (332 × 34): the bar background, the menu button at (8, 4), the minimise
// button at (296, 1), the LED rectangle from (61, 4) to (177, 30) outlined in LEDBorderColor and
// filled with LEDBkColor; the window writes `date_text` at (189, 15) in "宋体" 9 pt in
// `font_color`.
struct SkinPreview {
    PreviewStatus status = PreviewStatus::Unusable;
    Bitmap32 picture;
    std::string date_text; // "yyyy年mm月dd日 dddd"
    TColor font_color = 0;
};
SkinPreview MakeSkinPreview(const std::string& path, TDateTime today);
// The same on package bytes in memory (the skin package fuzz target).
SkinPreview MakeSkinPreviewBytes(std::string_view bytes, TDateTime today);
constexpr int kSkinPreviewWidth = 332, kSkinPreviewHeight = 34;
constexpr int kPreviewDateX = 189, kPreviewDateY = 15;

// The clock-face preview: the face sprite (section Clock) and the size it is shown at.
struct FacePreview {
    PreviewStatus status = PreviewStatus::Unusable;
    Bitmap32 picture;
    PreviewSize size;
};
FacePreview MakeFacePreview(const std::string& path);
FacePreview MakeFacePreviewBytes(std::string_view bytes);

// The texts of the version warning.
inline constexpr const char* kVersionWarningText = "无法识别的文件版本！";
inline constexpr const char* kVersionWarningCaption = "警告";

// "应用(&A)": SKIN SkinFile or ClockFile := the name, one batch written at once.
bool SaveSkinFileName(const std::string& ini_path, const std::string& name);
bool SaveClockFileName(const std::string& ini_path, const std::string& name);

// The bar and its parts, as the close and a live apply act on them.
class OptionsTarget {
public:
    virtual ~OptionsTarget() = default;
    // MSG: the popups' closing time (AutoSec or -1), transparency, calendar-mark mode and
    // TimerWarStep's interval.
    virtual void SetMessageOptions(const MessageOptions& msg) = 0;
    // The chime sequencer's SetOptions.
    virtual void SetChimeOptions(const ClockSettings::Clock& clock) = 0;
    // AutoChcek and StepHour: the synchronisation worker starts, updates or stops.
    virtual void SetTimeSync(const ClockSettings::Time& time) = 0;
    // True when a hot key is registered with exactly these two texts.
    virtual bool HotKeyRegisteredAs(const std::string& modifier,
                                    const std::string& letter) const = 0;
    virtual void RegisterHotKey(const std::string& modifier, const std::string& letter) = 0;
    virtual void UnregisterHotKey() = 0;
    // NotifyPopupMsg(1).
    virtual void NotifySettingsSaved() = 0;
};

// A running clock's own parts that a live apply changes besides those of the close.
class LiveTarget : public OptionsTarget {
public:
    virtual void SetTimeDisplay(bool led, const TimeFont& font) = 0;
    virtual void SetAlpha(int alpha) = 0; // the bar and the companions that show
    virtual void SetOnTop(bool on) = 0;
    virtual std::string SkinFileInUse() const = 0;
    virtual void ApplySkin() = 0; // the bar's skin-only load, then the companions reload
    virtual std::string ClockFileInUse() const = 0;
    virtual void ApplyClockFace(const std::string& name) = 0;
    virtual void SetStartOptions(bool on_start_hide, int def_win) = 0;
};

// The closing state of the dialog.
struct OptionsCloseState {
    OptionsValues values;
    bool autostart_changed = false;
    bool autostart_checked = false;
};

// Step 3 of the close: message, chime, synchronisation, hot key, in that order. Exceptions
// pass to the caller.
void HandOutOptions(const OptionsValues& v, OptionsTarget& target);

struct CloseResult {
    bool saved = false;   // the batch reached skin.ini
    bool applied = false; // step 3 ran to its end
};
// The whole close. Never throws.
CloseResult CloseOptions(const OptionsCloseState& state, const std::string& ini_path,
                         AutostartStore& autostart, OptionsTarget& target);

// A live apply of skin.ini to a running clock, without writing: the time display and its font,
// alpha, on-top, the steps of HandOutOptions, the skin and clock face when they differ from
// the current ones, then OnStartHide and DefWin. Never throws; false when a step failed.
bool ApplyLiveSettings(const LiveSettings& s, LiveTarget& target);

} // namespace tobu
