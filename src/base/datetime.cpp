#include "base/datetime.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace tobu {
namespace {

constexpr std::int64_t kDateDelta = 693593; // days from 0001-01-01 (day 0) to 1899-12-30

const std::array<const char*, 7> kLongDayNames = {"星期日", "星期一", "星期二", "星期三",
                                                  "星期四", "星期五", "星期六"};
const std::array<const char*, 7> kShortDayNames = {"周日", "周一", "周二", "周三",
                                                   "周四", "周五", "周六"};
const std::array<const char*, 12> kMonthNames = {"一月", "二月", "三月",   "四月",
                                                 "五月", "六月", "七月",   "八月",
                                                 "九月", "十月", "十一月", "十二月"};

struct Stamp {
    std::int64_t days; // days since 0001-01-01 (day 0)
    std::int64_t msec; // 0 .. kMSecsPerDay-1
};

Stamp ToStamp(TDateTime value) {
    if (value >= 0) {
        std::int64_t ms = ToMSecs(value);
        return {ms / kMSecsPerDay + kDateDelta, ms % kMSecsPerDay};
    }
    // Before 1899-12-30 the fraction counts forward from the whole day, as the value is written.
    double whole = std::trunc(value);
    std::int64_t ms = std::llround(std::fabs(value - whole) * kMSecsPerDay);
    std::int64_t days = static_cast<std::int64_t>(whole) + kDateDelta;
    if (ms >= kMSecsPerDay) ms = kMSecsPerDay - 1;
    return {days, ms};
}

DateParts DaysToDate(std::int64_t days) {
    // days since 0001-01-01; proleptic Gregorian.
    DateParts d;
    if (days < 0) return DateParts{1, 1, 1};
    std::int64_t t = days;
    std::int64_t y = 1;
    std::int64_t n400 = t / 146097;
    t %= 146097;
    std::int64_t n100 = t / 36524;
    if (n100 == 4) n100 = 3;
    t -= n100 * 36524;
    std::int64_t n4 = t / 1461;
    t %= 1461;
    std::int64_t n1 = t / 365;
    if (n1 == 4) n1 = 3;
    t -= n1 * 365;
    y += n400 * 400 + n100 * 100 + n4 * 4 + n1;
    d.year = static_cast<int>(y);
    int m = 1;
    while (true) {
        int dim = DaysInMonth(d.year, m);
        if (t < dim) break;
        t -= dim;
        ++m;
    }
    d.month = m;
    d.day = static_cast<int>(t) + 1;
    return d;
}

std::string Two(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

bool StartsWithNoCase(const std::string& s, size_t pos, const char* word) {
    for (size_t i = 0; word[i]; ++i) {
        if (pos + i >= s.size()) return false;
        if (std::tolower(static_cast<unsigned char>(s[pos + i])) != word[i]) return false;
    }
    return true;
}

void Format(std::string& out, const std::string& fmt, TDateTime value, int depth);

} // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0) && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return kDays[month - 1] + ((month == 2 && IsLeapYear(year)) ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
    if (day < 1 || day > DaysInMonth(year, month)) return false;
    std::int64_t y = year - 1;
    std::int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
    days += day - 1;
    out = static_cast<double>(days - kDateDelta);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        msec < 0 || msec > 999)
        return false;
    out = static_cast<double>(((hour * 60 + minute) * 60 + second) * 1000 + msec) / kMSecsPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime r;
    if (!TryEncodeDate(year, month, day, r)) throw std::invalid_argument("invalid date");
    return r;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    TDateTime r;
    if (!TryEncodeTime(hour, minute, second, msec, r)) throw std::invalid_argument("invalid time");
    return r;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec) {
    // Built from whole milliseconds so that decoding gives back exactly the same parts.
    TDateTime d = EncodeDate(year, month, day);
    EncodeTime(hour, minute, second, msec); // validates
    std::int64_t ms = static_cast<std::int64_t>(d) * kMSecsPerDay +
                      ((hour * 60 + minute) * 60 + second) * 1000LL + msec;
    if (d >= 0) return FromMSecs(ms);
    return d - EncodeTime(hour, minute, second, msec);
}

std::int64_t ToMSecs(TDateTime value) {
    return std::llround(value * kMSecsPerDay);
}

TDateTime FromMSecs(std::int64_t msecs) {
    return static_cast<double>(msecs) / static_cast<double>(kMSecsPerDay);
}

DateParts DecodeDate(TDateTime value) {
    return DaysToDate(ToStamp(value).days);
}

TimeParts DecodeTime(TDateTime value) {
    std::int64_t ms = ToStamp(value).msec;
    TimeParts t;
    t.hour = static_cast<int>(ms / 3600000);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.msec = static_cast<int>(ms % 1000);
    return t;
}

TDateTime DateOf(TDateTime value) {
    return static_cast<double>(ToStamp(value).days - kDateDelta);
}

TDateTime TimeOf(TDateTime value) {
    return static_cast<double>(ToStamp(value).msec) / kMSecsPerDay;
}

int DayOfWeek(TDateTime value) {
    std::int64_t days = ToStamp(value).days; // 0001-01-01 was a Monday
    return static_cast<int>((days + 1) % 7) + 1;
}

int DayOfYear(TDateTime value) {
    DateParts d = DecodeDate(value);
    return static_cast<int>(DateOf(value) - EncodeDate(d.year, 1, 1)) + 1;
}

namespace {

void Format(std::string& out, const std::string& fmt, TDateTime value, int depth) {
    if (depth > 2) return;
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    bool lastWasHour = false;
    size_t i = 0;
    while (i < fmt.size()) {
        unsigned char c = static_cast<unsigned char>(fmt[i]);
        char lc = static_cast<char>(std::tolower(c));
        auto run = [&](char ch) {
            size_t n = 0;
            while (i + n < fmt.size() && std::tolower(static_cast<unsigned char>(fmt[i + n])) == ch)
                ++n;
            return n;
        };
        if (c == '"' || c == '\'') {
            size_t end = fmt.find(static_cast<char>(c), i + 1);
            if (end == std::string::npos) end = fmt.size();
            out.append(fmt, i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        switch (lc) {
        case 'y': {
            size_t n = run('y');
            out += n <= 2 ? Two(d.year % 100) : std::to_string(d.year);
            i += n;
            lastWasHour = false;
            break;
        }
        case 'm': {
            if (StartsWithNoCase(fmt, i, "am/pm") || StartsWithNoCase(fmt, i, "ampm")) {
                out += fmt[i]; // a lone 'm' before am/pm is not a month
                ++i;
                break;
            }
            size_t n = run('m');
            if (lastWasHour && n <= 2) {
                out += n == 1 ? std::to_string(t.minute) : Two(t.minute);
            } else if (n == 1) {
                out += std::to_string(d.month);
            } else if (n == 2) {
                out += Two(d.month);
            } else {
                out += kMonthNames[d.month - 1];
            }
            i += n;
            lastWasHour = false;
            break;
        }
        case 'd': {
            size_t n = run('d');
            if (n == 1)
                out += std::to_string(d.day);
            else if (n == 2)
                out += Two(d.day);
            else if (n == 3)
                out += kShortDayNames[DayOfWeek(value) - 1];
            else if (n == 4)
                out += kLongDayNames[DayOfWeek(value) - 1];
            else if (n == 5)
                Format(out, "yyyy/M/d", value, depth + 1);
            else
                Format(out, "yyyy'年'M'月'd'日'", value, depth + 1);
            i += n;
            lastWasHour = false;
            break;
        }
        case 'h': {
            size_t n = run('h');
            out += n == 1 ? std::to_string(t.hour) : Two(t.hour);
            i += n;
            lastWasHour = true;
            break;
        }
        case 'n': {
            size_t n = run('n');
            out += n == 1 ? std::to_string(t.minute) : Two(t.minute);
            i += n;
            lastWasHour = false;
            break;
        }
        case 's': {
            size_t n = run('s');
            out += n == 1 ? std::to_string(t.second) : Two(t.second);
            i += n;
            lastWasHour = false;
            break;
        }
        case 'z': {
            size_t n = run('z');
            char buf[8];
            std::snprintf(buf, sizeof buf, n >= 3 ? "%03d" : "%d", t.msec);
            out += buf;
            i += n;
            lastWasHour = false;
            break;
        }
        case 't': {
            size_t n = run('t');
            Format(out, n == 1 ? "H:mm" : "H:mm:ss", value, depth + 1);
            i += n;
            lastWasHour = false;
            break;
        }
        case 'c':
            Format(out, "yyyy/M/d H:mm:ss", value, depth + 1);
            ++i;
            lastWasHour = false;
            break;
        case 'a':
            if (StartsWithNoCase(fmt, i, "am/pm")) {
                out += t.hour < 12 ? "am" : "pm";
                i += 5;
            } else if (StartsWithNoCase(fmt, i, "ampm")) {
                out += t.hour < 12 ? "上午" : "下午";
                i += 4;
            } else if (StartsWithNoCase(fmt, i, "a/p")) {
                out += t.hour < 12 ? "a" : "p";
                i += 3;
            } else {
                out += fmt[i++];
            }
            break;
        default:
            out += fmt[i++];
            break;
        }
    }
}

} // namespace

std::string FormatDateTime(const std::string& format, TDateTime value) {
    std::string out;
    Format(out, format, value, 0);
    return out;
}

std::string IsoText(TDateTime value) {
    return FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", value);
}

} // namespace tobu
