#include "calendar/cal_report.h"

#include <cstdio>

#include "calendar/calendar_texts.h"
#include "calendar/lunar.h"

namespace tobu {
namespace {

bool ReadNumber(std::string_view text, size_t pos, size_t len, int& out) {
    if (pos + len > text.size()) return false;
    int v = 0;
    for (size_t i = pos; i < pos + len; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

// The text padded with blanks to `width` terminal columns; colour codes wrap the text only.
std::string Cell(const std::string& text, int width, std::string_view sgr) {
    std::string r;
    if (!sgr.empty()) r += "\x1b[" + std::string(sgr) + "m";
    r += text;
    if (!sgr.empty()) r += "\x1b[0m";
    for (int w = DisplayWidth(text); w < width; ++w) r += ' ';
    return r;
}

// The terminal's basic colour nearest to a festival colour (0x00BBGGRR): each channel of half
// strength or more counts. Black and white, unreadable on one terminal background or the
// other, become bold instead.
std::string FestivalSgr(std::int32_t color) {
    const int code = 30 + ((color & 0xFF) >= 0x80 ? 1 : 0) +
                     (((color >> 8) & 0xFF) >= 0x80 ? 2 : 0) +
                     (((color >> 16) & 0xFF) >= 0x80 ? 4 : 0);
    return code == 30 || code == 37 ? "1" : std::to_string(code);
}

std::string CellLunarText(TDateTime date, bool& isTerm) {
    isTerm = false;
    const std::string term = TermNameOf(date);
    if (!term.empty()) {
        isTerm = true;
        return term;
    }
    const TLunarDate l = SolarToLunar(date);
    if (l.Day == 0) return {};
    if (l.Day == 1) return LunarMonthName(l.Month, l.IsLeap);
    return LunarDayName(l.Day);
}

void TrimRight(std::string& s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
}

} // namespace

void AppendJsonString(std::string& out, std::string_view s) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    out += '"';
}

CalDateError ParseCalDate(std::string_view text, TDateTime& value) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    const size_t n = text.size();
    if (n != 10 && n != 16 && n != 19) return CalDateError::NotADate;
    if (!ReadNumber(text, 0, 4, y) || text[4] != '-' || !ReadNumber(text, 5, 2, mo) ||
        text[7] != '-' || !ReadNumber(text, 8, 2, d))
        return CalDateError::NotADate;
    if (n >= 16) {
        if (text[10] != 'T' || !ReadNumber(text, 11, 2, h) || text[13] != ':' ||
            !ReadNumber(text, 14, 2, mi))
            return CalDateError::NotADate;
        if (n == 19 && (text[16] != ':' || !ReadNumber(text, 17, 2, s)))
            return CalDateError::NotADate;
    }
    TDateTime date = 0, time = 0;
    if (!TryEncodeDate(y, mo, d, date) || !TryEncodeTime(h, mi, s, 0, time))
        return CalDateError::NotADate;
    if (date < kCalFirstDate || date > kCalLastDate) return CalDateError::OutOfRange;
    value = EncodeDateTime(y, mo, d, h, mi, s);
    return CalDateError::None;
}

std::string CalJson(TDateTime value, const TFestivalList& festivals) {
    const DateParts dp = DecodeDate(value);
    const TimeParts tp = DecodeTime(value);
    char date[40];
    std::snprintf(date, sizeof date, "%04d-%02d-%02dT%02d:%02d:%02d", dp.year, dp.month, dp.day,
                  tp.hour, tp.minute, tp.second);
    const TDateTime day = DateOf(value);
    const TLunarDate l = SolarToLunar(value);
    const TGanZhi g = GetGanZhi(value);
    const TFestival f = GetFestivals(festivals, day);

    std::string o = "{\"date\":";
    AppendJsonString(o, date);
    o += ",\"lunar\":{\"year\":" + std::to_string(l.Year) +
         ",\"month\":" + std::to_string(l.Month) + ",\"day\":" + std::to_string(l.Day) +
         ",\"leap\":" + (l.IsLeap ? "true" : "false") + "}";
    o += ",\"lunarText\":";
    AppendJsonString(o, GetLunarText(value));
    o += ",\"ganzhi\":{\"year\":" + std::to_string(g.YearCycle) +
         ",\"month\":" + std::to_string(g.MonthCycle) + ",\"day\":" + std::to_string(g.DayCycle) +
         "}";
    o += ",\"ganzhiText\":";
    AppendJsonString(o, GetGanZhiText(value));
    o += ",\"term\":";
    AppendJsonString(o, TermNameOf(value));
    o += ",\"termText\":";
    AppendJsonString(o, GetTermText(value));
    o += ",\"festivals\":";
    AppendJsonString(o, f.Name);
    o += ",\"festivalColor\":" + std::to_string(f.Color);
    o += ",\"week\":" + std::to_string(WeekNumber(day, false));
    o += ",\"isoWeek\":" + std::to_string(WeekNumber(day, true));
    o += "}";
    return o;
}

std::string FormatMonthGrid(int year, int month, TDateTime today, bool iso, bool color,
                            const TFestivalList* festivals) {
    constexpr int kCellWidth = 8; // the widest lunar text, 闰十一月, takes 8 columns
    constexpr int kGap = 1;
    const int lineWidth = 7 * kCellWidth + 6 * kGap;
    TDateTime first = 0;
    if (!TryEncodeDate(year, month, 1, first)) return {};

    std::string out;
    const std::string title = std::to_string(year) + "年" + std::to_string(month) + "月";
    out += std::string(static_cast<size_t>((lineWidth - DisplayWidth(title)) / 2), ' ') + title;
    out += '\n';

    static const char* const kHeads[7] = {"日", "一", "二", "三", "四", "五", "六"};
    std::string head;
    for (int c = 0; c < 7; ++c) {
        head += Cell(kHeads[(c + (iso ? 1 : 0)) % 7], kCellWidth, {});
        if (c < 6) head += std::string(kGap, ' ');
    }
    TrimRight(head);
    out += head + '\n';

    const int lead = iso ? (DayOfWeek(first) + 5) % 7 : DayOfWeek(first) - 1;
    const int days = DaysInMonth(year, month);
    const TDateTime todayDate = DateOf(today);
    for (int rowStart = 1 - lead; rowStart <= days; rowStart += 7) {
        std::string top, bottom;
        for (int c = 0; c < 7; ++c) {
            const int day = rowStart + c;
            std::string num, lunar, numSgr, lunarSgr;
            if (day >= 1 && day <= days) {
                const TDateTime date = first + (day - 1);
                bool isTerm = false;
                num = std::to_string(day);
                lunar = CellLunarText(date, isTerm);
                const TFestival festival = festivals ? GetFestivals(*festivals, date) : TFestival{};
                const bool hasFestival = !festival.Name.empty();
                if (color) {
                    if (hasFestival) numSgr = FestivalSgr(festival.Color);
                    if (date == todayDate) {
                        numSgr = numSgr.empty() ? "7" : "7;" + numSgr;
                        lunarSgr = "7";
                    } else if (isTerm) {
                        lunarSgr = "32";
                    }
                } else if (hasFestival) {
                    num += '+';
                }
            }
            top += Cell(num, kCellWidth, numSgr);
            bottom += Cell(lunar, kCellWidth, lunar.empty() ? std::string() : lunarSgr);
            if (c < 6) {
                top += std::string(kGap, ' ');
                bottom += std::string(kGap, ' ');
            }
        }
        TrimRight(top);
        TrimRight(bottom);
        out += top + '\n' + bottom + '\n';
    }
    return out;
}

std::string FormatIsoDate(TDateTime date) {
    const DateParts d = DecodeDate(date);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

int DisplayWidth(std::string_view utf8) {
    int w = 0;
    for (const char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            w += 1;
        else if (c >= 0xC0)
            w += 2; // the lead byte of a (Chinese) character; continuation bytes add nothing
    }
    return w;
}

} // namespace tobu
