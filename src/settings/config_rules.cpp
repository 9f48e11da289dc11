#include "settings/config_rules.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/text.h"
#include "faces/clock_dial.h"
#include "settings/clock_face_loader.h"
#include "settings/skin_loaders.h"

namespace tobu {

using namespace keys;

const std::string_view kDefWinItems[4] = {"精简", "时钟", "日历", "天气"};
const std::string_view kAlarmTypeItems[4] = {"语音报时", "钟声报时(单音)", "钟声报时(多音)",
                                             "消息报时"};
const std::string_view kCalendarLXItems[3] = {"不显示", "启动时显示", "循环显示"};
const std::string_view kHotKey1Items[7] = {
    "Alt", "Ctrl", "Shift", "Alt + Ctrl", "Alt + Shift", "Ctrl + Shift", "Alt + Ctrl + Shift"};

namespace {

constexpr int kMaxColor = 16777215;

ConfigKey Bool(const BoolKey& k) {
    return {k.section, k.name, ConfigKind::Bool, k.def ? 1 : 0, 0, 1, {}, {}, {}};
}
ConfigKey Range(const IntKey& k) {
    return {k.section, k.name, ConfigKind::Range, k.def, k.min, k.max, {}, {}, {}};
}
ConfigKey List(const IntKey& k, std::span<const std::string_view> items) {
    return {k.section, k.name, ConfigKind::List, k.def, 0, static_cast<int>(items.size()) - 1, {},
            items,     {}};
}

const std::array<ConfigKey, 28>& Table() {
    static const std::array<ConfigKey, 28> table = {
        Bool(LedFont),
        ConfigKey{LedFontName.section,
                  LedFontName.name,
                  ConfigKind::FontName,
                  0,
                  0,
                  0,
                  LedFontName.def,
                  {},
                  {}},
        ConfigKey{LedFontSize.section,
                  LedFontSize.name,
                  ConfigKind::Range,
                  LedFontSize.def,
                  1,
                  1638,
                  {},
                  {},
                  {}},
        ConfigKey{LedFontColor.section,
                  LedFontColor.name,
                  ConfigKind::FontColor,
                  LedFontColor.def,
                  0,
                  kMaxColor,
                  {},
                  {},
                  {}},
        Bool(LedFontBold),
        Bool(LedFontItalic),
        Bool(LedFontUnderline),
        Bool(LedFontStrikeOut),
        Range(BarTr),
        Bool(BarOnTop),
        Bool(BarOnStartHide),
        List(BarDefWin, kDefWinItems),
        Bool(BarDateLoop),
        Bool(ClockAlarm),
        Bool(ClockHalfAlarm),
        List(ClockAlarmType, kAlarmTypeItems),
        ConfigKey{ClockHotKey1.section,
                  ClockHotKey1.name,
                  ConfigKind::HotKey1,
                  0,
                  0,
                  0,
                  "",
                  kHotKey1Items,
                  {}},
        ConfigKey{
            ClockHotKey2.section, ClockHotKey2.name, ConfigKind::HotKey2, 0, 0, 0, "", {}, {}},
        Bool(ClockHotKey),
        Bool(MsgAuto),
        Range(MsgAutoSec),
        Range(MsgTran),
        List(MsgCalendarLX, kCalendarLXItems),
        Range(MsgCalendarStep),
        Bool(TimeAutoChcek),
        Range(TimeStepHour),
        ConfigKey{SkinFile.section, SkinFile.name, ConfigKind::Package, 0, 0, 0, "", {}, "Skin/"},
        ConfigKey{SkinClockFile.section,
                  SkinClockFile.name,
                  ConfigKind::Package,
                  0,
                  0,
                  0,
                  "",
                  {},
                  "Clock/"},
    };
    return table;
}

int Clamp(int v, int lo, int hi) {
    return v < lo ? lo : v > hi ? hi : v;
}

std::string NoBlanksLower(std::string_view s) {
    std::string out;
    for (char c : s)
        if (c != ' ' && c != '\t')
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool HasControl(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

bool EndsWithNoCase(std::string_view s, std::string_view tail) {
    return s.size() > tail.size() && SameText(s.substr(s.size() - tail.size()), tail);
}

// A package that the clock would take whole: the file exists, its version is "1.0" and every
// part of it can be cut.
bool PackageUsable(const std::string& path, bool clock_face) {
    if (clock_face) {
        ClockFace face;
        return LoadClockFaceSkin(path, face).Applied();
    }
    BarSkin skin;
    return LoadBarSkin(path, skin).Applied();
}

} // namespace

std::string ConfigKey::Name() const {
    return std::string(section) + "." + std::string(name);
}

std::span<const ConfigKey> ConfigKeys() {
    return Table();
}

const ConfigKey* FindConfigKey(std::string_view name) {
    for (const ConfigKey& k : Table())
        if (SameText(k.Name(), name)) return &k;
    return nullptr;
}

bool DialogBool(const IniFile& ini, const BoolKey& key) {
    return Read(ini, key);
}

int DialogRange(const IniFile& ini, const IntKey& key) {
    return key.Clamp(Read(ini, key));
}

int DialogListIndex(const IniFile& ini, const IntKey& key, int count) {
    int v = Read(ini, key);
    return v >= 0 && v < count ? v : key.def;
}

std::string DialogHotKey1(const IniFile& ini) {
    std::string v = Read(ini, ClockHotKey1);
    for (std::string_view item : kHotKey1Items)
        if (v == item) return v;
    return "";
}

std::string DialogHotKey2(const IniFile& ini) {
    std::string v = Read(ini, ClockHotKey2);
    if (v.size() == 1 && v[0] >= 'A' && v[0] <= 'Z') return v;
    return "";
}

std::string DialogFontName(const IniFile& ini) {
    std::string v = Read(ini, LedFontName);
    return v.empty() ? std::string(LedFontName.def) : v;
}

int DialogFontColor(const IniFile& ini) {
    int v = Read(ini, LedFontColor);
    return v >= 0 && v <= kMaxColor ? v : LedFontColor.def;
}

ConfigValue ConfigGet(const IniFile& ini, const ConfigKey& key) {
    ConfigValue out;
    if (ini.KeyExists(key.section, key.name)) out.stored = ini.ReadString(key.section, key.name);
    switch (key.kind) {
    case ConfigKind::Bool:
        out.value = Read(ini, BoolKey{key.section, key.name, key.def != 0}) ? "1" : "0";
        break;
    case ConfigKind::Range:
        out.value = std::to_string(
            DialogRange(ini, IntKey{key.section, key.name, key.def, key.min, key.max}));
        break;
    case ConfigKind::List: {
        int n = static_cast<int>(key.items.size());
        int i = DialogListIndex(ini, IntKey{key.section, key.name, key.def, 0, n - 1}, n);
        out.value = std::to_string(i);
        out.text = std::string(key.items[static_cast<size_t>(i)]);
        break;
    }
    case ConfigKind::HotKey1:
        out.value = DialogHotKey1(ini);
        break;
    case ConfigKind::HotKey2:
        out.value = DialogHotKey2(ini);
        break;
    case ConfigKind::FontName:
        out.value = DialogFontName(ini);
        break;
    case ConfigKind::FontColor:
        out.value = std::to_string(DialogFontColor(ini));
        break;
    case ConfigKind::Package:
        out.value = ini.ReadString(key.section, key.name);
        break;
    }
    return out;
}

ConfigParsed ParseConfigValue(const ConfigKey& key, std::string_view input,
                              const std::string& app_dir) {
    ConfigParsed r;
    const std::string v = Trim(input);
    auto refuse = [&](std::string why) {
        r.ok = false;
        r.error = std::move(why);
        return r;
    };
    auto take = [&](std::string value, bool clamped = false) {
        r.ok = true;
        r.value = std::move(value);
        r.clamped = clamped;
        return r;
    };
    switch (key.kind) {
    case ConfigKind::Bool: {
        std::string l = AsciiLower(v);
        if (l == "1" || l == "true" || l == "on" || l == "yes") return take("1");
        if (l == "0" || l == "false" || l == "off" || l == "no") return take("0");
        return refuse("expected 1/0, true/false, on/off or yes/no");
    }
    case ConfigKind::Range: {
        std::optional<int> n = v.empty() ? std::nullopt : ParseInt(v);
        if (!n) return refuse("expected an integer");
        int c = Clamp(*n, key.min, key.max);
        return take(std::to_string(c), c != *n);
    }
    case ConfigKind::List: {
        for (size_t i = 0; i < key.items.size(); ++i)
            if (v == key.items[i]) return take(std::to_string(i));
        std::optional<int> n = v.empty() ? std::nullopt : ParseInt(v);
        if (n && *n >= 0 && *n < static_cast<int>(key.items.size()))
            return take(std::to_string(*n));
        std::string all;
        for (size_t i = 0; i < key.items.size(); ++i)
            all += (i ? ", " : "") + std::to_string(i) + " " + std::string(key.items[i]);
        return refuse("expected one of " + all);
    }
    case ConfigKind::HotKey1: {
        if (v.empty()) return take("");
        std::string want = NoBlanksLower(v);
        for (std::string_view item : kHotKey1Items)
            if (NoBlanksLower(item) == want) return take(std::string(item));
        return refuse("expected Alt, Ctrl, Shift or a combination such as \"Ctrl + Shift\"");
    }
    case ConfigKind::HotKey2:
        if (v.empty()) return take("");
        if (v.size() == 1 && std::isalpha(static_cast<unsigned char>(v[0])))
            return take(
                std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(v[0])))));
        return refuse("expected one letter A-Z");
    case ConfigKind::FontName:
        if (v.empty()) return refuse("a font name cannot be empty");
        if (HasControl(v) || !IsValidUtf8(v) || GbkToUtf8(Utf8ToGbk(v)) != v)
            return refuse("the font name cannot be stored in the settings file");
        return take(v);
    case ConfigKind::FontColor: {
        if (v.size() == 7 && v[0] == '#') {
            std::optional<int> rgb = ParseInt("$" + v.substr(1));
            if (rgb && std::all_of(v.begin() + 1, v.end(), [](char c) {
                    return std::isxdigit(static_cast<unsigned char>(c));
                })) {
                int red = (*rgb >> 16) & 0xFF, green = (*rgb >> 8) & 0xFF, blue = *rgb & 0xFF;
                return take(std::to_string(red | (green << 8) | (blue << 16)));
            }
        }
        std::optional<int> n = v.empty() ? std::nullopt : ParseInt(v);
        if (n && *n >= 0 && *n <= kMaxColor) return take(std::to_string(*n));
        return refuse("expected 0-16777215 or #RRGGBB");
    }
    case ConfigKind::Package: {
        if (v.empty()) return take("");
        const bool clock = key.folder == "Clock/";
        if (v.find('/') != std::string::npos || v.find('\\') != std::string::npos)
            return refuse("expected a file name without a folder");
        if (!EndsWithNoCase(v, clock ? ".cl" : ".sk"))
            return refuse(clock ? "expected a .cl file name" : "expected a .sk file name");
        std::string path = app_dir + std::string(key.folder) + v;
        if (!IsRegularFile(path)) return refuse("no such package: " + path);
        if (!PackageUsable(path, clock))
            return refuse("the package is damaged or of another version: " + path);
        return take(v);
    }
    }
    return refuse("unknown key");
}

} // namespace tobu
