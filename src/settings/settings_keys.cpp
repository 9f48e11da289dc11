#include "settings/settings_keys.h"

#include "base/text.h"

#include <array>

namespace tobu {

namespace {

constexpr KeyInfo Row(const StringKey& k) {
    return {k.section, k.name, KeyType::String, k.def, 0, false, INT_MIN, INT_MAX};
}
constexpr KeyInfo Row(const BoolKey& k) {
    return {k.section, k.name, KeyType::Bool, {}, k.def ? 1 : 0, false, INT_MIN, INT_MAX};
}
constexpr KeyInfo Row(const IntKey& k) {
    return {k.section, k.name, KeyType::Int, {}, k.def, false, k.min, k.max};
}
constexpr KeyInfo Row(const ComputedIntKey& k) {
    return {k.section, k.name, KeyType::Int, {}, 0, true, INT_MIN, INT_MAX};
}

using namespace keys;

constexpr std::array kTable{
    Row(SkinFile),         Row(SkinClockFile),    Row(SkinWinFile),
    Row(LedFont),          Row(LedFontName),      Row(LedFontSize),
    Row(LedFontColor),     Row(LedFontBold),      Row(LedFontItalic),
    Row(LedFontUnderline), Row(LedFontStrikeOut), Row(ClockAlarm),
    Row(ClockHalfAlarm),   Row(ClockAlarmType),   Row(ClockHotKey),
    Row(ClockHotKey1),     Row(ClockHotKey2),     Row(TimeAutoChcek),
    Row(TimeStepHour),     Row(MsgAuto),          Row(MsgAutoSec),
    Row(MsgTran),          Row(MsgCalendarLX),    Row(MsgCalendarStep),
    Row(BarLeft),          Row(BarTop),           Row(BarOnTop),
    Row(BarOnStartHide),   Row(BarDefWin),        Row(BarTr),
    Row(BarDateLoop),      Row(ChildIndex),       Row(ChildLeft),
    Row(ChildTop),
};

} // namespace

std::span<const KeyInfo> AllKeys() {
    return kTable;
}

const KeyInfo* FindKeyInfo(std::string_view section, std::string_view name) {
    for (const KeyInfo& k : kTable)
        if (SameText(k.section, section) && SameText(k.name, name)) return &k;
    return nullptr;
}

std::string Read(const IniFile& ini, const StringKey& key) {
    return ini.ReadString(key.section, key.name, key.def);
}

bool Read(const IniFile& ini, const BoolKey& key) {
    return ini.ReadBool(key.section, key.name, key.def);
}

int Read(const IniFile& ini, const IntKey& key) {
    return ini.ReadInteger(key.section, key.name, key.def);
}

int Read(const IniFile& ini, const ComputedIntKey& key, int def) {
    return ini.ReadInteger(key.section, key.name, def);
}

bool Write(IniFile& ini, const StringKey& key, std::string_view value) {
    return ini.WriteString(key.section, key.name, value);
}

bool Write(IniFile& ini, const BoolKey& key, bool value) {
    return ini.WriteBool(key.section, key.name, value);
}

bool Write(IniFile& ini, const IntKey& key, int value) {
    return ini.WriteInteger(key.section, key.name, value);
}

bool Write(IniFile& ini, const ComputedIntKey& key, int value) {
    return ini.WriteInteger(key.section, key.name, value);
}

TimeFont ReadTimeFont(const IniFile& ini) {
    TimeFont f;
    f.name = Read(ini, LedFontName);
    f.size = Read(ini, LedFontSize);
    f.color = Read(ini, LedFontColor);
    f.bold = Read(ini, LedFontBold);
    f.italic = Read(ini, LedFontItalic);
    f.underline = Read(ini, LedFontUnderline);
    f.strike_out = Read(ini, LedFontStrikeOut);
    return f;
}

bool WriteTimeFont(IniFile& ini, const TimeFont& font) {
    bool ok = Write(ini, LedFontName, font.name);
    ok = Write(ini, LedFontSize, font.size) && ok;
    ok = Write(ini, LedFontColor, font.color) && ok;
    ok = Write(ini, LedFontBold, font.bold) && ok;
    ok = Write(ini, LedFontItalic, font.italic) && ok;
    ok = Write(ini, LedFontUnderline, font.underline) && ok;
    ok = Write(ini, LedFontStrikeOut, font.strike_out) && ok;
    return ok;
}

} // namespace tobu
