#include "calendar/month_report.h"

#include <cstdio>

#include "base/text.h"
#include "calendar/lunar.h"

namespace tobu {
namespace {

// The stand-in for the window's fonts: a GBK byte is half the font's pixel size wide (the
// window's 8-point Song fits four characters in the 46-pixel band).
TextSize FixedMeasure(const FontSpec& font, std::string_view text) {
    const int px = (font.size * 4 + 1) / 3;
    return {static_cast<int>(GbkByteCount(text)) * px / 2, px};
}

char32_t NextCodePoint(std::string_view s, size_t& i) {
    const unsigned char c = static_cast<unsigned char>(s[i++]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : extra == 1 ? c & 0x1F : c;
    while (extra-- > 0 && i < s.size())
        cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    return cp;
}

bool Wide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

std::string Column(const std::string& text, std::string_view sgr) {
    const int w = TerminalWidth(text);
    const int before = w < 9 ? (9 - w) / 2 : 0;
    std::string r(static_cast<size_t>(before), ' ');
    if (!sgr.empty() && !text.empty())
        r += "\x1b[" + std::string(sgr) + "m" + text + "\x1b[0m";
    else
        r += text;
    for (int c = before + w; c < 9; ++c) r += ' ';
    return r;
}

void TrimEnd(std::string& s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
}

const char* Bool(bool b) {
    return b ? "true" : "false";
}

void AppendOptional(std::string& out, const std::optional<std::string>& s) {
    if (s)
        AppendJson(out, *s);
    else
        out += "null";
}

} // namespace

void AppendJson(std::string& out, std::string_view s) {
    out += '"';
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    out += '"';
}

MonthGrid MakeWindowMonth(TDateTime selected, int mode, bool iso, const MarkList& marks) {
    MonthGrid grid(selected);
    ConfigureWindowGrid(grid);
    grid.UpdateLayout(326, 272, FixedMeasure);
    SetDisplayMode(grid, mode);
    grid.SetUseISO8601(iso);
    marks.ApplyTo(grid.FtvList, kDefaultMarkColor);
    return grid;
}

int TerminalWidth(std::string_view utf8) {
    int w = 0;
    for (size_t i = 0; i < utf8.size();) w += Wide(NextCodePoint(utf8, i)) ? 2 : 1;
    return w;
}

std::string MonthText(const MonthGrid& grid, TDateTime today, int mode, const MarkList& marks,
                      bool color) {
    std::string out =
        FormatDateTime("yyyy年mm月", grid.Date()) + "  " + DisplayModeCaption(mode) + "\n";
    std::string heads;
    for (const std::string& h : grid.WeekHeads()) heads += Column(h, {});
    TrimEnd(heads);
    out += heads + "\n";
    const auto cells = grid.Cells(today);
    for (int row = 0; row < 6; ++row) {
        std::string days, bands;
        for (int col = 0; col < 7; ++col) {
            const GridCell& c = cells[static_cast<size_t>(row * 7 + col)];
            std::string day = c.dayText + (c.markColor >= 0 ? "*" : "");
            if (c.selected) day = "[" + day + "]";
            std::string daySgr, bandSgr;
            if (color) {
                if (c.today)
                    daySgr = "32";
                else if (!c.inMonth)
                    daySgr = "90";
                else if (c.weekday == 0 || c.weekday == 6)
                    daySgr = "31";
                bandSgr = !c.inMonth ? "90" : c.bandKind == BandKind::Term ? "31" : "";
            }
            days += Column(day, daySgr);
            bands += Column(c.bandText, bandSgr);
        }
        TrimEnd(days);
        TrimEnd(bands);
        out += days + "\n" + bands + "\n";
    }
    out += "\n";
    for (const std::string& line : InfoLines(grid.Date(), grid.FtvList, &marks)) out += line + "\n";
    return out;
}

std::string MonthJson(const MonthGrid& grid, TDateTime today, const MarkList& marks) {
    std::string out;
    for (const GridCell& c : grid.Cells(today)) {
        std::string o = "{\"index\":" + std::to_string(c.index) + ",\"date\":";
        AppendJson(o, FormatDateTime("yyyy-mm-dd", c.date));
        o += ",\"weekday\":" + std::to_string(c.weekday);
        o += std::string(",\"inMonth\":") + Bool(c.inMonth) + ",\"today\":" + Bool(c.today) +
             ",\"selected\":" + Bool(c.selected) + ",\"day\":";
        AppendJson(o, c.dayText);
        o += ",\"dayColor\":" + std::to_string(c.dayColor) + ",\"text\":";
        AppendJson(o, c.bandText);
        o += ",\"textKind\":";
        AppendJson(o, BandKindName(c.bandKind));
        o += ",\"textColor\":" + std::to_string(c.bandText.empty() ? -1 : c.bandColor);
        o += ",\"term\":";
        AppendJson(o, c.term);
        o += ",\"festivals\":";
        AppendJson(o, c.festivals);
        o += std::string(",\"mark\":") + Bool(c.markColor >= 0) + ",\"markText\":";
        AppendJson(o, GetDayMarksText(marks, c.date));
        o += ",\"hint\":";
        AppendJson(o, HoverText(c.date, grid.FtvList, grid.UseISO8601()));
        o += ",\"info\":[";
        const auto info = InfoLines(c.date, grid.FtvList, &marks);
        for (size_t i = 0; i < info.size(); ++i) {
            if (i) o += ',';
            AppendJson(o, info[i]);
        }
        o += "]}\n";
        out += o;
    }
    return out;
}

std::string MarksListText(const MarkList& marks) {
    MarkList sorted = marks;
    sorted.Sort();
    std::string out;
    for (const MarkLine& l : sorted.Lines()) out += l.Row() + "\n";
    return out;
}

std::string MarksListJson(const MarkList& marks) {
    MarkList sorted = marks;
    sorted.Sort();
    std::string out;
    for (const MarkLine& l : sorted.Lines()) {
        out += "{\"line\":" + std::to_string(l.line) + ",\"text\":";
        AppendJson(out, l.text);
        out += ",\"name\":";
        AppendJson(out, l.Name());
        out += ",\"kind\":" + std::to_string(l.Kind()) + ",\"key\":";
        AppendJson(out, l.Key());
        out += ",\"note\":";
        AppendJson(out, l.Note());
        out += std::string(",\"valid\":") + Bool(l.Valid()) + "}\n";
    }
    return out;
}

std::string MarksOnText(const MarkList& marks, TDateTime date) {
    return FormatDateTime("yyyy-mm-dd", date) + "\t" + GetDayMarksText(marks, date) + "\n";
}

std::string MarksOnJson(const MarkList& marks, TDateTime date) {
    TFestivalList list = MakeGridFestivalList();
    marks.ApplyTo(list, kDefaultMarkColor);
    const std::optional<std::string> lk = LunarMarkKey(date);
    std::string o = "{\"date\":";
    AppendJson(o, FormatDateTime("yyyy-mm-dd", date));
    o += ",\"text\":";
    AppendJson(o, GetDayMarksText(marks, date));
    o += ",\"gregorian\":";
    AppendOptional(o, marks.ValueOf("0" + SolarKey(date)));
    o += ",\"lunar\":";
    AppendOptional(o, lk ? marks.ValueOf("1" + *lk) : std::nullopt);
    o += ",\"lunarKey\":";
    AppendOptional(o, lk);
    o += std::string(",\"mark\":") + Bool(GetMarkColor(list, date) >= 0) + "}\n";
    return o;
}

} // namespace tobu
