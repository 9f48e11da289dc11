#include "settings/options_model.h"

#include <algorithm>
#include <cmath>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>

#include "base/text.h"
#include "settings/config_rules.h"
#include "settings/skin_loaders.h"

namespace tobu {

using namespace keys;

namespace {

// The file values by the loading rules; the bar's parts are filled in by the caller.
OptionsValues FileValues(const IniFile& ini) {
    OptionsValues v;
    v.led_font = DialogBool(ini, LedFont);
    v.font.name = DialogFontName(ini);
    v.font.size =
        DialogRange(ini, IntKey{LedFontSize.section, LedFontSize.name, LedFontSize.def, 1, 1638});
    v.font.color = DialogFontColor(ini);
    v.font.bold = DialogBool(ini, LedFontBold);
    v.font.italic = DialogBool(ini, LedFontItalic);
    v.font.underline = DialogBool(ini, LedFontUnderline);
    v.font.strike_out = DialogBool(ini, LedFontStrikeOut);
    v.tr = DialogRange(ini, BarTr);
    v.on_top = DialogBool(ini, BarOnTop);
    v.on_start_hide = DialogBool(ini, BarOnStartHide);
    v.def_win = DialogListIndex(ini, BarDefWin, 4);
    v.date_loop = DialogBool(ini, BarDateLoop);
    v.alarm = DialogBool(ini, ClockAlarm);
    v.half_alarm = DialogBool(ini, ClockHalfAlarm);
    v.alarm_type = DialogListIndex(ini, ClockAlarmType, 4);
    v.hot_key1 = DialogHotKey1(ini);
    v.hot_key2 = DialogHotKey2(ini);
    v.hot_key = DialogBool(ini, ClockHotKey);
    v.msg_auto = DialogBool(ini, MsgAuto);
    v.auto_sec = DialogRange(ini, MsgAutoSec);
    v.tran = DialogRange(ini, MsgTran);
    v.calendar_lx = DialogListIndex(ini, MsgCalendarLX, 3);
    v.calendar_step = DialogRange(ini, MsgCalendarStep);
    v.auto_check = DialogBool(ini, TimeAutoChcek);
    v.step_hour = DialogRange(ini, TimeStepHour);
    return v;
}

ClockSettings::Clock ChimePart(const OptionsValues& v) {
    ClockSettings::Clock c;
    c.alarm = v.alarm;
    c.half_alarm = v.half_alarm;
    c.alarm_type = v.alarm_type;
    c.hot_key = v.hot_key;
    c.hot_key1 = v.hot_key1;
    c.hot_key2 = v.hot_key2;
    return c;
}

// a * 100 / b with halves rounded up (b > 0).
int Scaled(int a, int b) {
    long long num = static_cast<long long>(a) * 200 + b;
    return static_cast<int>(num / (2LL * b));
}

void Blit(const Bitmap32& src, Bitmap32& dst, int x0, int y0) {
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x)
            if (dst.Contains(x0 + x, y0 + y)) dst.At(x0 + x, y0 + y) = src.At(x, y);
}

bool SaveOneName(const std::string& ini_path, const StringKey& key, const std::string& name) {
    IniFile ini(ini_path);
    return Write(ini, key, name) && ini.Save();
}

} // namespace

OptionsValues LoadOptionsValues(const IniFile& ini, const BarFacts& bar) {
    OptionsValues v = FileValues(ini);
    v.tr = BarTr.Clamp(bar.alpha);
    v.led_font = bar.led_visible;
    v.font = bar.font;
    return v;
}

LiveSettings ReadLiveSettings(const IniFile& ini) {
    LiveSettings s;
    s.values = FileValues(ini);
    s.skin_file = Read(ini, SkinFile);
    s.clock_file = Read(ini, SkinClockFile);
    return s;
}

OptionsEnabling EnablingOf(const OptionsValues& v) {
    OptionsEnabling e;
    e.alarm_type = v.alarm || v.half_alarm;
    e.hot_key_lists = v.hot_key;
    e.auto_sec = v.msg_auto;
    e.calendar_step = v.calendar_lx == 2;
    e.step_hour = v.auto_check;
    e.font_button = !v.led_font;
    return e;
}

std::string TransparencyLabel(int position) {
    return std::to_string(std::lround((255 - position) / 2.5)) + "%";
}

std::string LastSyncLabelWith(const std::string& time_text) {
    return time_text.empty() ? "最后校正于:" : "最后校正于: " + time_text;
}

std::string LastSyncLabel(const std::string& time_check_path) {
    std::string line;
    if (IsRegularFile(time_check_path)) {
        std::ifstream in(time_check_path, std::ios::binary);
        std::getline(in, line);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 256) line.resize(256);
        line = GbkToUtf8(line);
    }
    return LastSyncLabelWith(line);
}

PreviewSize FacePreviewSize(int width, int height) {
    int w = std::max(width, 0), h = std::max(height, 0);
    if (w <= 100 && h <= 100) return {w, h};
    if (h < w) return {100, Scaled(h, w)};
    return {Scaled(w, h), 100};
}

std::vector<std::string> ListPackages(const std::string& folder, const std::string& ext) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name.size() <= ext.size() || !SameText(name.substr(name.size() - ext.size()), ext))
            continue;
        if (IsRegularFile(folder + name)) names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        std::string la = AsciiLower(a), lb = AsciiLower(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

int SelectedPackage(const std::vector<std::string>& names, const std::string& current) {
    if (names.empty()) return -1;
    auto it = std::find(names.begin(), names.end(), current);
    return it == names.end() ? 0 : static_cast<int>(it - names.begin());
}

namespace {

SkinPreview SkinPreviewOf(const SkinLoadResult& r, const OpenedSkin& pkg, TDateTime today) {
    SkinPreview p;
    try {
        if (r.status == SkinLoadStatus::WrongVersion) {
            p.status = PreviewStatus::WrongVersion;
            return p;
        }
        BarSkin skin;
        if (!r.Applied() || !ApplyBarSkin(pkg, skin).Applied()) return p;
        // A skin whose bar picture is empty (a zero width or height) has nothing to show and
        // is not offered.
        if (skin.background.Empty()) return p;
        p.picture = skin.background;
        Blit(skin.menu_up, p.picture, 8, 4);
        Blit(skin.min_up, p.picture, 296, 1);
        // The rectangle (61, 4)-(177, 30): a one-pixel outline inside it, the rest filled.
        const std::uint32_t border = ColorToPixel(skin.led_border_color);
        const std::uint32_t fill = ColorToPixel(skin.led_bk_color);
        for (int y = 4; y < 30; ++y)
            for (int x = 61; x < 177; ++x)
                if (p.picture.Contains(x, y))
                    p.picture.At(x, y) = (x == 61 || x == 176 || y == 4 || y == 29) ? border : fill;
        p.date_text = FormatDateTime("yyyy年mm月dd日 dddd", today);
        p.font_color = skin.font_color;
        p.status = PreviewStatus::Shown;
    } catch (...) {
        p = SkinPreview{};
    }
    return p;
}

FacePreview FacePreviewOf(const SkinLoadResult& r, const OpenedSkin& pkg) {
    FacePreview p;
    try {
        if (r.status == SkinLoadStatus::WrongVersion) {
            p.status = PreviewStatus::WrongVersion;
            return p;
        }
        if (!r.Applied()) return p;
        SpriteRect rect = ReadSpriteRect(pkg.ini, "Clock", "Clock", {0, 0, 0, 0});
        CutSprite(pkg.sheet, p.picture, rect);
        p.size = FacePreviewSize(rect.width, rect.height);
        p.status = PreviewStatus::Shown;
    } catch (...) {
        p = FacePreview{};
    }
    return p;
}

} // namespace

SkinPreview MakeSkinPreview(const std::string& path, TDateTime today) {
    OpenedSkin pkg;
    SkinLoadResult r;
    try {
        r = OpenSkinPackage(path, SkinVersionKey::Skin, pkg);
    } catch (...) {
        return {};
    }
    return SkinPreviewOf(r, pkg, today);
}

SkinPreview MakeSkinPreviewBytes(std::string_view bytes, TDateTime today) {
    OpenedSkin pkg;
    SkinLoadResult r;
    try {
        r = OpenSkinBytes(bytes, SkinVersionKey::Skin, pkg);
    } catch (...) {
        return {};
    }
    return SkinPreviewOf(r, pkg, today);
}

FacePreview MakeFacePreview(const std::string& path) {
    OpenedSkin pkg;
    SkinLoadResult r;
    try {
        r = OpenSkinPackage(path, SkinVersionKey::Clock, pkg);
    } catch (...) {
        return {};
    }
    return FacePreviewOf(r, pkg);
}

FacePreview MakeFacePreviewBytes(std::string_view bytes) {
    OpenedSkin pkg;
    SkinLoadResult r;
    try {
        r = OpenSkinBytes(bytes, SkinVersionKey::Clock, pkg);
    } catch (...) {
        return {};
    }
    return FacePreviewOf(r, pkg);
}

bool SaveSkinFileName(const std::string& ini_path, const std::string& name) {
    return SaveOneName(ini_path, SkinFile, name);
}

bool SaveClockFileName(const std::string& ini_path, const std::string& name) {
    return SaveOneName(ini_path, SkinClockFile, name);
}

void HandOutOptions(const OptionsValues& v, OptionsTarget& target) {
    target.SetMessageOptions(
        MessageOptionsFromSettings(v.msg_auto, v.auto_sec, v.tran, v.calendar_lx, v.calendar_step));
    target.SetChimeOptions(ChimePart(v));
    target.SetTimeSync(ClockSettings::Time{v.auto_check, v.step_hour});
    if (v.hot_key) {
        if (!target.HotKeyRegisteredAs(v.hot_key1, v.hot_key2)) {
            target.UnregisterHotKey();
            target.RegisterHotKey(v.hot_key1, v.hot_key2);
        }
    } else {
        target.UnregisterHotKey();
    }
}

CloseResult CloseOptions(const OptionsCloseState& state, const std::string& ini_path,
                         AutostartStore& autostart, OptionsTarget& target) {
    CloseResult result;
    // Autostart failures are silent here; the box simply did not take.
    try {
        if (state.autostart_changed) {
            if (state.autostart_checked)
                autostart.Enable();
            else
                autostart.Disable();
        }
    } catch (...) {
    }
    try {
        result.saved = SaveOptions(ini_path, state.values);
        if (result.saved) {
            HandOutOptions(state.values, target);
            result.applied = true;
        }
    } catch (...) {
    }
    try {
        target.NotifySettingsSaved();
    } catch (...) {
    }
    return result;
}

bool ApplyLiveSettings(const LiveSettings& s, LiveTarget& target) {
    const OptionsValues& v = s.values;
    bool ok = true;
    auto step = [&ok](auto&& f) {
        try {
            f();
        } catch (...) {
            ok = false;
        }
    };
    step([&] { target.SetTimeDisplay(v.led_font, v.font); });
    step([&] { target.SetAlpha(v.tr); });
    step([&] { target.SetOnTop(v.on_top); });
    step([&] { HandOutOptions(v, target); });
    step([&] {
        if (s.skin_file != target.SkinFileInUse()) target.ApplySkin();
    });
    step([&] {
        if (s.clock_file != target.ClockFileInUse()) target.ApplyClockFace(s.clock_file);
    });
    step([&] { target.SetStartOptions(v.on_start_hide, v.def_win); });
    return ok;
}

} // namespace tobu
