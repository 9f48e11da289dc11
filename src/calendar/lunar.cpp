#include "calendar/lunar.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace tobu {
namespace {

constexpr std::array<std::uint16_t, 201> kLunarInfo = {
    0x4BD8, 0x4AE0, 0xA570, 0x54D5, 0xD260, 0xD950, 0x5554, 0x56AF, 0x9AD0, 0x55D2, // 1900
    0x4AE0, 0xA5B6, 0xA4D0, 0xD250, 0xD295, 0xB54F, 0xD6A0, 0xADA2, 0x95B0, 0x4977, // 1910
    0x497F, 0xA4B0, 0xB4B5, 0x6A50, 0x6D40, 0xAB54, 0x2B6F, 0x9570, 0x52F2, 0x4970, // 1920
    0x6566, 0xD4A0, 0xEA50, 0x6A95, 0x5ADF, 0x2B60, 0x86E3, 0x92EF, 0xC8D7, 0xC95F, // 1930
    0xD4A0, 0xD8A6, 0xB55F, 0x56A0, 0xA5B4, 0x25DF, 0x92D0, 0xD2B2, 0xA950, 0xB557, // 1940
    0x6CA0, 0xB550, 0x5355, 0x4DAF, 0xA5B0, 0x4573, 0x52BF, 0xA9A8, 0xE950, 0x6AA0, // 1950
    0xAEA6, 0xAB50, 0x4B60, 0xAAE4, 0xA570, 0x5260, 0xF263, 0xD950, 0x5B57, 0x56A0, // 1960
    0x96D0, 0x4DD5, 0x4AD0, 0xA4D0, 0xD4D4, 0xD250, 0xD558, 0xB540, 0xB6A0, 0x95A6, // 1970
    0x95BF, 0x49B0, 0xA974, 0xA4B0, 0xB27A, 0x6A50, 0x6D40, 0xAF46, 0xAB60, 0x9570, // 1980
    0x4AF5, 0x4970, 0x64B0, 0x74A3, 0xEA50, 0x6B58, 0x5AC0, 0xAB60, 0x96D5, 0x92E0, // 1990
    0xC960, 0xD954, 0xD4A0, 0xDA50, 0x7552, 0x56A0, 0xABB7, 0x25D0, 0x92D0, 0xCAB5, // 2000
    0xA950, 0xB4A0, 0xBAA4, 0xAD50, 0x55D9, 0x4BA0, 0xA5B0, 0x5176, 0x52BF, 0xA930, // 2010
    0x7954, 0x6AA0, 0xAD50, 0x5B52, 0x4B60, 0xA6E6, 0xA4E0, 0xD260, 0xEA65, 0xD530, // 2020
    0x5AA0, 0x76A3, 0x96D0, 0x4AFB, 0x4AD0, 0xA4D0, 0xD0B6, 0xD25F, 0xD520, 0xDD45, // 2030
    0xB5A0, 0x56D0, 0x55B2, 0x49B0, 0xA577, 0xA4B0, 0xAA50, 0xB255, 0x6D2F, 0xADA0, // 2040
    0x4B63, 0x937F, 0x49F8, 0x4970, 0x64B0, 0x68A6, 0xEA5F, 0x6B20, 0xA6C4, 0xAAEF, // 2050
    0x92E0, 0xD2E3, 0xC960, 0xD557, 0xD4A0, 0xDA50, 0x5D55, 0x56A0, 0xA6D0, 0x55D4, // 2060
    0x52D0, 0xA9B8, 0xA950, 0xB4A0, 0xB6A6, 0xAD50, 0x55A0, 0xABA4, 0xA5B0, 0x52B0, // 2070
    0xB273, 0x6930, 0x7337, 0x6AA0, 0xAD50, 0x4B55, 0x4B6F, 0xA570, 0x54E4, 0xD260, // 2080
    0xE968, 0xD520, 0xDAA0, 0x6AA6, 0x56DF, 0x4AE0, 0xA9D4, 0xA4D0, 0xD150, 0xF252, // 2090
    0xD520,                                                                         // 2100
};

} // namespace

const std::array<std::uint16_t, 201> LunarInfo = kLunarInfo;

const std::array<std::int32_t, 24> TermMinutes = {
    0,      21208,  42467,  63836,  85337,  107014, 128867, 150921, 173149, 195551, 218072, 240693,
    263343, 285989, 308563, 331033, 353350, 375494, 397447, 419210, 440795, 462224, 483532, 504758,
};

namespace {

const std::array<const char*, 24> kTermNames = {
    "小寒", "大寒", "立春", "雨水", "惊蛰", "春分", "清明", "谷雨", "立夏", "小满", "芒种", "夏至",
    "小暑", "大暑", "立秋", "处暑", "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至",
};
const std::array<const char*, 10> kStems = {"甲", "乙", "丙", "丁", "戊",
                                            "己", "庚", "辛", "壬", "癸"};
const std::array<const char*, 12> kBranches = {"子", "丑", "寅", "卯", "辰", "巳",
                                               "午", "未", "申", "酉", "戌", "亥"};
const std::array<const char*, 12> kAnimals = {"鼠", "牛", "虎", "兔", "龙", "蛇",
                                              "马", "羊", "猴", "鸡", "狗", "猪"};
const std::array<const char*, 11> kDigits = {"日", "一", "二", "三", "四", "五",
                                             "六", "七", "八", "九", "十"};
const char* const kZero = "零";
const std::array<const char*, 4> kDayPrefixes = {"初", "十", "廿", "卅"};
const std::array<const char*, 7> kShortWeek = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const std::array<const char*, 7> kLongWeek = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                              "Thursday", "Friday", "Saturday"};

constexpr TDateTime kLunarStart = 32;    // 1900-01-31, lunar 1900-01-01
constexpr TDateTime kLunarEnd = 73416;   // 2101-01-01, first day after the range
constexpr TDateTime kAnchor = 36561;     // 2000-02-05, lunar 2000-01-01
constexpr TDateTime kYearOne = -693593;  // 0001-01-01
constexpr TDateTime kGanZhiBase = 2;     // 1900-01-01, the day 甲戌 (cycle 10)
constexpr TDateTime kMinValue = -693593; // 0001-01-01, the first representable day
constexpr TDateTime kMaxValue = 2958466; // 10000-01-01, the first day after the last year
// 1900-01-06 02:05:00, the moment of 小寒 1900, in milliseconds since 1899-12-30.
constexpr std::int64_t kTermBaseMSecs = 7 * kMSecsPerDay + (2 * 60 + 5) * 60000LL;
constexpr long double kTropicalYearMSecs = 31556925974.7L;

int Mod(int n, int m) {
    int r = n % m;
    return r < 0 ? r + m : r;
}

constexpr std::uint16_t Word(int year) {
    if (year < kFirstLunarYear || year > kLastLunarYear) return 0;
    return kLunarInfo[static_cast<size_t>(year - kFirstLunarYear)];
}

constexpr int LeapMonthOf(int year) {
    const int v = Word(year) & 15;
    return v == 15 ? 0 : v;
}

constexpr int LeapMonthDaysOf(int year) {
    if (LeapMonthOf(year) == 0) return 0;
    return (Word(year + 1) & 15) == 15 ? 30 : 29;
}

constexpr int YearDaysOf(int year) {
    return 348 + std::popcount(static_cast<unsigned>(Word(year) & 0xFFF0)) + LeapMonthDaysOf(year);
}

// Days from 1900-01-31 to the first day of each lunar year 1900..2101: the running sums of the
// year lengths, formed once by the compiler from LunarInfo.
constexpr std::array<std::int32_t, 202> MakeYearStarts() {
    std::array<std::int32_t, 202> starts{};
    for (size_t i = 1; i < starts.size(); ++i)
        starts[i] = starts[i - 1] + YearDaysOf(kFirstLunarYear + static_cast<int>(i) - 1);
    return starts;
}
constexpr std::array<std::int32_t, 202> kYearStarts = MakeYearStarts();

// A value the date helpers can take apart (years 1..9999, not NaN).
bool InDateRange(TDateTime value) {
    return value >= kMinValue && value < kMaxValue;
}

// Whole days of the value (the same rounding as the date helpers use).
std::int64_t DayNumber(TDateTime value) {
    return static_cast<std::int64_t>(DateOf(value));
}

// A moment given in milliseconds since 1899-12-30 00:00 as a date-time value. Before that
// day the value's whole part counts days back and its fraction the time forward.
TDateTime MomentFromMSecs(std::int64_t ms) {
    if (ms >= 0) return FromMSecs(ms);
    std::int64_t days = ms / kMSecsPerDay;
    std::int64_t rest = ms % kMSecsPerDay;
    if (rest < 0) {
        rest += kMSecsPerDay;
        --days;
    }
    return static_cast<double>(days) -
           static_cast<double>(rest) / static_cast<double>(kMSecsPerDay);
}

int IsoWeeksInYear(int year) {
    TDateTime jan1 = EncodeDate(year, 1, 1);
    int dow = DayOfWeek(jan1); // 1 = Sunday
    if (dow == 5 || (dow == 4 && IsLeapYear(year))) return 53;
    return 52;
}

int IsoWeek(TDateTime value) {
    DateParts d = DecodeDate(value);
    int isoDow = Mod(DayOfWeek(value) - 2, 7) + 1; // 1 = Monday … 7 = Sunday
    int w = (DayOfYear(value) - isoDow + 10) / 7;
    if (w < 1) return d.year > 1 ? IsoWeeksInYear(d.year - 1) : 52;
    if (w > IsoWeeksInYear(d.year)) return 1;
    return w;
}

} // namespace

int LeapMonth(int year) {
    return LeapMonthOf(year);
}

int LeapMonthDays(int year) {
    return LeapMonthDaysOf(year);
}

int LunarMonthDays(int year, int month) {
    unsigned mask = 0x8000;
    if (month >= 2) mask = month - 1 < 16 ? 0x8000u >> (month - 1) : 0;
    return (Word(year) & mask) != 0 ? 30 : 29;
}

int LunarYearDays(int year) {
    return YearDaysOf(year);
}

TLunarDate SolarToLunar(TDateTime value) {
    if (!(value >= kLunarStart && value < kLunarEnd)) return {};
    int offset = static_cast<int>(DayNumber(value) - static_cast<std::int64_t>(kLunarStart));

    // The lunar year is the last one that starts on or before the day. Looking it up among the
    // year starts gives what walking the years one by one from 1900 gives, in a few steps
    // instead of up to 201: the month grid converts about 200 days per repaint.
    const auto next = std::upper_bound(kYearStarts.begin(), kYearStarts.end(), offset);
    const auto index = static_cast<size_t>(next - kYearStarts.begin()) - 1;
    const int year = kFirstLunarYear + static_cast<int>(index);
    offset -= kYearStarts[index];
    int len = 0;

    const int leap = LeapMonth(year);
    TLunarDate r;
    int month = 0;
    while (offset >= 0) {
        ++month;
        len = LunarMonthDays(year, month);
        offset -= len;
        if (offset >= 0 && month == leap) {
            len = LeapMonthDays(year);
            offset -= len;
            if (offset < 0) r.IsLeap = true;
        }
    }
    if (offset < 0) offset += len;
    r.Year = year;
    r.Month = month;
    r.Day = offset + 1;
    return r;
}

bool IsValidLunarDate(const TLunarDate& d) {
    // Month and day must also be at least 1: a zero or negative field would otherwise name a
    // day of the previous month or year and collide with a real lunar date.
    if (d.Year < 1901 || d.Year > 2099) return false;
    if (d.Month < 1 || d.Month > 12 || d.Day < 1 || d.Day > 30) return false;
    if (!d.IsLeap) return d.Day <= LunarMonthDays(d.Year, d.Month);
    return d.Month == LeapMonth(d.Year) && d.Day <= LeapMonthDays(d.Year);
}

TDateTime LunarToSolar(const TLunarDate& d) {
    if (!IsValidLunarDate(d)) return kYearOne;
    const int leap = LeapMonth(d.Year);
    int sum = 0;
    for (int i = 1; i < d.Month; ++i) {
        sum += LunarMonthDays(d.Year, i);
        if (i == leap) sum += LeapMonthDays(d.Year);
    }
    sum += d.Day - 1;
    if (d.Month == leap && d.IsLeap) sum += LunarMonthDays(d.Year, d.Month);
    if (d.Year > 2000) {
        for (int y = 2000; y < d.Year; ++y) sum += LunarYearDays(y);
    } else if (d.Year < 2000) {
        for (int y = d.Year; y < 2000; ++y) sum -= LunarYearDays(y);
    }
    return kAnchor + sum;
}

TDateTime GetTermDate(int year, int n) {
    if (n < 0 || n > 23 || year < 1 || year > 9999) return 0;
    const long double exact =
        static_cast<long double>(year - 1900) * kTropicalYearMSecs +
        static_cast<long double>(TermMinutes[static_cast<size_t>(n)]) * 60000.0L;
    const std::int64_t ms = std::llroundl(exact);
    return MomentFromMSecs(kTermBaseMSecs + ms);
}

std::string SolarTermName(int n) {
    if (n < 0 || n > 23) return {};
    return kTermNames[static_cast<size_t>(n)];
}

std::string TermNameOf(TDateTime value) {
    if (!InDateRange(value)) return {};
    const DateParts d = DecodeDate(value);
    const int even = 2 * d.month - 2;
    if (value == DateOf(GetTermDate(d.year, even))) return SolarTermName(even);
    if (value == DateOf(GetTermDate(d.year, even + 1))) return SolarTermName(even + 1);
    return {};
}

TGanZhi GetGanZhi(TDateTime value) {
    if (!InDateRange(value)) return {};
    const DateParts d = DecodeDate(value);
    const int y = d.year - 1900;
    const TDateTime jie = GetTermDate(d.year, 2 * d.month - 2);
    TGanZhi g;
    g.YearCycle = y + 36;
    if (d.month == 1 || (d.month == 2 && value < jie)) g.YearCycle = y + 35;
    g.MonthCycle = y * 12 + d.month + 11;
    if (DateOf(jie) <= value) g.MonthCycle = y * 12 + d.month + 12;
    const std::int64_t days = DayNumber(value) - static_cast<std::int64_t>(kGanZhiBase) + 10;
    g.DayCycle = static_cast<std::int32_t>(((days % 60) + 60) % 60);
    // Cycle numbers are 0..59; the names depend only on the number modulo 60.
    g.YearCycle = Mod(g.YearCycle, 60);
    g.MonthCycle = Mod(g.MonthCycle, 60);
    return g;
}

std::string GanZhiName(int cycle) {
    return std::string(kStems[static_cast<size_t>(Mod(cycle, 10))]) +
           kBranches[static_cast<size_t>(Mod(cycle, 12))];
}

std::string ZodiacName(int cycle) {
    return kAnimals[static_cast<size_t>(Mod(cycle, 12))];
}

std::string LunarMonthName(int month, bool leap) {
    std::string r = leap ? "闰" : "";
    if (month == 1)
        r += "正";
    else if (month >= 2 && month <= 10)
        r += kDigits[static_cast<size_t>(month)];
    else if (month == 11)
        r += std::string(kDigits[10]) + kDigits[1];
    else if (month == 12)
        r += "腊";
    return r + "月";
}

std::string LunarDayName(int day) {
    if (day >= 1 && day <= 10)
        return std::string(kDayPrefixes[0]) + kDigits[static_cast<size_t>(day)];
    if (day >= 11 && day <= 19)
        return std::string(kDayPrefixes[1]) + kDigits[static_cast<size_t>(day - 10)];
    if (day == 20) return std::string(kDigits[2]) + kDigits[10];
    if (day >= 21 && day <= 29)
        return std::string(kDayPrefixes[2]) + kDigits[static_cast<size_t>(day - 20)];
    if (day == 30) return std::string(kDigits[3]) + kDigits[10];
    return {};
}

std::string LunarYearName(int year) {
    if (year < 0 || year > 9999) return "年";
    std::string r = kDigits[static_cast<size_t>(year / 1000)];
    int rest = year % 1000;
    if (rest >= 100) {
        r += kDigits[static_cast<size_t>(rest / 100)];
        rest %= 100;
    } else {
        r += kZero;
    }
    if (rest >= 10) {
        r += kDigits[static_cast<size_t>(rest / 10)];
        rest %= 10;
    } else {
        r += kZero;
    }
    r += rest == 0 ? kZero : kDigits[static_cast<size_t>(rest)];
    return r + "年";
}

std::string ChineseWeekName(int n) {
    return std::string("星期") + kDigits[static_cast<size_t>(Mod(n, 7))];
}

std::string EnglishWeekName(int n, bool longName) {
    const size_t i = static_cast<size_t>(Mod(n, 7));
    return longName ? kLongWeek[i] : kShortWeek[i];
}

int WeekNumber(TDateTime value, bool iso) {
    if (!InDateRange(value)) return 0;
    int w = IsoWeek(value);
    if (iso) return w;
    const DateParts d = DecodeDate(value);
    const bool sunday = DayOfWeek(value) == 1;
    if (w > 50 && d.month == 1) return (sunday && d.day != 1) ? 2 : 1;
    const TDateTime jan1 = EncodeDate(d.year, 1, 1);
    if (IsoWeek(jan1) > 50 && DayOfWeek(jan1) != 1) ++w;
    if (w == 1 && d.month == 12) return IsoWeeksInYear(d.year) + 1;
    if (sunday) ++w;
    return w;
}

} // namespace tobu
