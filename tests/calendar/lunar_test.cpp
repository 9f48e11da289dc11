#include "calendar/lunar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <set>

namespace tobu {
namespace {

TDateTime D(int y, int m, int d) {
    return EncodeDate(y, m, d);
}

TLunarDate L(int y, int m, int d, bool leap = false) {
    return TLunarDate{y, m, d, leap};
}

TEST(LunarTables, WordsAndLengthsFollowTheTable) {
    EXPECT_EQ(LunarInfo.size(), 201u);
    EXPECT_EQ(LunarInfo[0], 0x4BD8);   // 1900
    EXPECT_EQ(LunarInfo[124], 0x4B60); // 2024
    EXPECT_EQ(LunarInfo[200], 0xD520); // 2100
    EXPECT_EQ(TermMinutes[0], 0);
    EXPECT_EQ(TermMinutes[2], 42467);
    EXPECT_EQ(TermMinutes[23], 504758);

    // 1906 (5554): months 2, 4, … 12 are big, leap month after month 4, 30 days long (1907 ends
    // in F).
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(LunarMonthDays(1906, m), m % 2 == 0 ? 30 : 29) << m;
    EXPECT_EQ(LeapMonth(1906), 4);
    EXPECT_EQ(LeapMonthDays(1906), 30);
    EXPECT_EQ(LunarYearDays(1906), 348 + 6 + 30);
    // 2023 has a 29-day leap month after month 2: 2024's word 4B60 does not end in F.
    EXPECT_EQ(LeapMonth(2023), 2);
    EXPECT_EQ(LeapMonthDays(2023), 29);
    // A low nibble of 15 means no leap month of its own.
    EXPECT_EQ(LeapMonth(1907), 0);
    EXPECT_EQ(LeapMonthDays(1907), 0);
    EXPECT_EQ(LeapMonthDays(2024), 0);
    EXPECT_EQ(LeapMonth(2100), 0);
}

TEST(LunarTables, OutOfTableYearsAndMonthsAreSafe) {
    EXPECT_EQ(LeapMonth(1899), 0);
    EXPECT_EQ(LeapMonth(2101), 0);
    EXPECT_EQ(LunarYearDays(-5), 348);
    EXPECT_EQ(LunarMonthDays(2024, 0), LunarMonthDays(2024, 1)); // month below 2 reads month 1
    EXPECT_EQ(LunarMonthDays(2024, 40), 29);
    EXPECT_EQ(LunarMonthDays(2024, -3), LunarMonthDays(2024, 1));
}

TEST(SolarToLunar, RangeEdgesAndLeapMonths) {
    EXPECT_EQ(SolarToLunar(D(1900, 1, 30)), TLunarDate{});
    EXPECT_EQ(SolarToLunar(D(1900, 1, 31)), L(1900, 1, 1));
    EXPECT_EQ(SolarToLunar(D(2024, 2, 9)), L(2023, 12, 30));
    EXPECT_EQ(SolarToLunar(D(2024, 2, 10)), L(2024, 1, 1));
    EXPECT_EQ(SolarToLunar(D(2023, 3, 21)), L(2023, 2, 30));
    EXPECT_EQ(SolarToLunar(D(2023, 3, 22)), L(2023, 2, 1, true));
    EXPECT_EQ(SolarToLunar(D(2023, 4, 19)), L(2023, 2, 29, true));
    EXPECT_EQ(SolarToLunar(D(2023, 4, 20)), L(2023, 3, 1));
    EXPECT_EQ(SolarToLunar(D(2020, 5, 23)), L(2020, 4, 1, true));
    EXPECT_EQ(SolarToLunar(D(2100, 12, 31)), L(2100, 12, 1));
    EXPECT_EQ(SolarToLunar(D(2101, 1, 1)), TLunarDate{});
}

TEST(SolarToLunar, KnownNewYearsDays) {
    const int kNewYears[][3] = {{1949, 1, 29}, {1976, 1, 31}, {1990, 1, 27},
                                {2000, 2, 5},  {2020, 1, 25}, {2021, 2, 12},
                                {2022, 2, 1},  {2023, 1, 22}, {2025, 1, 29}};
    for (const auto& n : kNewYears) {
        EXPECT_EQ(SolarToLunar(D(n[0], n[1], n[2])), L(n[0], 1, 1)) << n[0];
        EXPECT_EQ(SolarToLunar(D(n[0], n[1], n[2]) - 1).Month, 12) << n[0];
    }
}

TEST(SolarToLunar, TimeOfDayAndBadValuesAreHarmless) {
    EXPECT_EQ(SolarToLunar(D(2024, 2, 9) + 0.99), L(2023, 12, 30));
    EXPECT_EQ(SolarToLunar(D(2024, 2, 10) + EncodeTime(23, 59, 59, 999)), L(2024, 1, 1));
    EXPECT_EQ(SolarToLunar(D(1900, 1, 30) + 0.9), TLunarDate{});
    EXPECT_EQ(SolarToLunar(std::numeric_limits<double>::quiet_NaN()), TLunarDate{});
    EXPECT_EQ(SolarToLunar(std::numeric_limits<double>::infinity()), TLunarDate{});
    EXPECT_EQ(SolarToLunar(-1e300), TLunarDate{});
}

TEST(LunarToSolar, InverseAndRefusals) {
    EXPECT_EQ(LunarToSolar(L(2023, 2, 1, true)), D(2023, 3, 22));
    EXPECT_EQ(LunarToSolar(L(2023, 3, 1)), D(2023, 4, 20));
    EXPECT_EQ(LunarToSolar(L(2000, 1, 1)), D(2000, 2, 5));
    EXPECT_EQ(LunarToSolar(L(1901, 1, 1)), D(1901, 2, 19));
    const TDateTime yearOne = D(1, 1, 1);
    EXPECT_EQ(LunarToSolar(L(2024, 4, 1, true)), yearOne); // 2024 has no leap month
    EXPECT_EQ(LunarToSolar(L(2100, 1, 1)), yearOne);       // 1900 and 2100 are refused
    EXPECT_EQ(LunarToSolar(L(1900, 12, 1)), yearOne);
    EXPECT_EQ(LunarToSolar(L(2023, 3, 2, true)), yearOne);  // leap flag on a non-leap month
    EXPECT_EQ(LunarToSolar(L(2023, 2, 30, true)), yearOne); // the leap month has 29 days
    EXPECT_EQ(LunarToSolar(L(2024, 13, 1)), yearOne);
    EXPECT_EQ(LunarToSolar(L(2024, 1, 31)), yearOne);
}

TEST(LunarToSolar, ZeroAndNegativeFieldsAreRefused) {
    // They would otherwise land on a day that already has a lunar date of its own.
    EXPECT_FALSE(IsValidLunarDate(L(2024, 0, 1)));
    EXPECT_FALSE(IsValidLunarDate(L(2024, -1, 1)));
    EXPECT_FALSE(IsValidLunarDate(L(2024, 1, 0)));
    EXPECT_FALSE(IsValidLunarDate(L(2024, 1, -20)));
    EXPECT_EQ(LunarToSolar(L(2024, 0, 1)), D(1, 1, 1));
}

// The conversion step by step, walking the years from 1900 one at a time.
TLunarDate WalkSolarToLunar(TDateTime v) {
    int offset = static_cast<int>(DateOf(v)) - 32;
    int year = 1900, len = 0;
    while (offset > 0) {
        len = LunarYearDays(year);
        ++year;
        offset -= len;
    }
    if (offset < 0) {
        offset += len;
        --year;
    }
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

TEST(SolarToLunar, SameAsTheYearByYearWalkOnEveryDay) {
    for (TDateTime v = D(1900, 1, 31); v <= D(2100, 12, 31); v += 1)
        ASSERT_EQ(SolarToLunar(v), WalkSolarToLunar(v)) << IsoText(v);
}

TEST(LunarRoundTrip, EveryDayOfLunarYears1901To2099) {
    int checked = 0;
    for (TDateTime v = D(1900, 1, 31); v <= D(2100, 12, 31); v += 1) {
        const TLunarDate l = SolarToLunar(v);
        ASSERT_GE(l.Day, 1);
        ASSERT_LE(l.Day, l.IsLeap ? LeapMonthDays(l.Year) : LunarMonthDays(l.Year, l.Month));
        if (l.Year < 1901 || l.Year > 2099) continue;
        ASSERT_TRUE(IsValidLunarDate(l)) << IsoText(v);
        ASSERT_EQ(LunarToSolar(l), v) << IsoText(v);
        ++checked;
    }
    int expected = 0;
    for (int y = 1901; y <= 2099; ++y) expected += LunarYearDays(y);
    EXPECT_EQ(checked, expected);
}

TEST(LunarRoundTrip, EveryAcceptedLunarDateIsADistinctDay) {
    std::set<double> days;
    int accepted = 0;
    for (int y = 1895; y <= 2105; ++y)
        for (int m = -1; m <= 14; ++m)
            for (int d = -1; d <= 32; ++d)
                for (bool leap : {false, true}) {
                    const TLunarDate l{y, m, d, leap};
                    if (!IsValidLunarDate(l)) continue;
                    ++accepted;
                    const TDateTime v = LunarToSolar(l);
                    ASSERT_TRUE(days.insert(v).second) << y << "-" << m << "-" << d << leap;
                    ASSERT_EQ(SolarToLunar(v), l);
                }
    int expected = 0;
    for (int y = 1901; y <= 2099; ++y) expected += LunarYearDays(y);
    EXPECT_EQ(accepted, expected);
}

TEST(SolarTerms, MomentsToTheMinute) {
    auto at = [](int y, int m, int d, int h, int mi) { return EncodeDateTime(y, m, d, h, mi, 0); };
    // The moments carry the fraction of a minute that the tropical year leaves.
    auto minute = [](TDateTime t) { return FromMSecs(ToMSecs(t) / 60000 * 60000); };
    EXPECT_EQ(minute(GetTermDate(2024, 0)), at(2024, 1, 6, 2, 52));
    EXPECT_EQ(minute(GetTermDate(2024, 2)), at(2024, 2, 4, 14, 39));
    EXPECT_EQ(minute(GetTermDate(2024, 5)), at(2024, 3, 20, 10, 26));
    EXPECT_EQ(minute(GetTermDate(2024, 11)), at(2024, 6, 21, 6, 25));
    EXPECT_EQ(minute(GetTermDate(2024, 23)), at(2024, 12, 21, 15, 30));
    EXPECT_EQ(GetTermDate(1900, 0), at(1900, 1, 6, 2, 5));
    EXPECT_EQ(GetTermDate(1900, 2), at(1900, 2, 4, 13, 52));
    // Exact milliseconds: 124 tropical years are 3913058820862.8 ms, rounded up.
    EXPECT_EQ(ToMSecs(GetTermDate(2024, 2)), ToMSecs(at(2024, 2, 4, 14, 39)) + 863);
    // Before 1899-12-30 a value counts whole days back and the time forward.
    const TDateTime winter1899 = GetTermDate(1899, 23);
    EXPECT_EQ(DecodeDate(winter1899), (DateParts{1899, 12, 22}));
    EXPECT_EQ(DecodeTime(winter1899).hour, 8); // 1900-12-22 14:43 less 365 d 5 h 49 m
    EXPECT_EQ(TermNameOf(D(1899, 12, 22)), "冬至");
    EXPECT_EQ(GetTermDate(2024, 24), 0);
    EXPECT_EQ(GetTermDate(2024, -1), 0);
}

TEST(SolarTerms, EveryTermFallsInItsMonthInOrder) {
    for (int y = 1900; y <= 2100; ++y)
        for (int n = 0; n < 24; ++n) {
            const TDateTime t = GetTermDate(y, n);
            ASSERT_EQ(DecodeDate(t).month, n / 2 + 1) << y << " " << n;
            if (n > 0) {
                ASSERT_GT(t, GetTermDate(y, n - 1));
            }
            ASSERT_EQ(TermNameOf(DateOf(t)), SolarTermName(n));
        }
}

TEST(SolarTerms, TermOfAValueComparesTheValueItself) {
    EXPECT_EQ(TermNameOf(D(2024, 2, 4)), "立春");
    EXPECT_EQ(TermNameOf(D(2024, 2, 4) + EncodeTime(9, 0, 0)), "");
    EXPECT_EQ(TermNameOf(D(2024, 2, 5)), "");
    EXPECT_EQ(TermNameOf(D(2024, 2, 19)), "雨水");
    EXPECT_EQ(TermNameOf(D(2024, 12, 21)), "冬至");
    EXPECT_EQ(TermNameOf(std::numeric_limits<double>::quiet_NaN()), "");
    EXPECT_EQ(SolarTermName(24), "");
    EXPECT_EQ(SolarTermName(-1), "");
}

TEST(GanZhi, YearChangesAtTheMomentOfTheSpringTerm) {
    const TDateTime term = GetTermDate(2024, 2);
    const TGanZhi before = GetGanZhi(FromMSecs(ToMSecs(term) - 1));
    const TGanZhi at = GetGanZhi(term);
    EXPECT_EQ(GanZhiName(before.YearCycle), "癸卯");
    EXPECT_EQ(GanZhiName(at.YearCycle), "甲辰");
    // The month already changed at the start of the day.
    EXPECT_EQ(GanZhiName(GetGanZhi(D(2024, 2, 4)).MonthCycle), "丙寅");
    EXPECT_EQ(GanZhiName(GetGanZhi(D(2024, 2, 3) + 0.999).MonthCycle), "乙丑");
    // January always belongs to the previous stem-branch year, even after 小寒.
    EXPECT_EQ(GanZhiName(GetGanZhi(D(2024, 1, 31)).YearCycle), "癸卯");
    EXPECT_EQ(GanZhiName(GetGanZhi(D(2024, 3, 1)).YearCycle), "甲辰");
}

TEST(GanZhi, DayCycleAndBaseDates) {
    const TGanZhi g = GetGanZhi(D(1900, 1, 1));
    EXPECT_EQ(g, (TGanZhi{35, 12, 10}));
    EXPECT_EQ(GetGanZhi(D(1900, 1, 1) + 0.75).DayCycle, 10);
    EXPECT_EQ(GetGanZhi(D(1900, 1, 2)).DayCycle, 11);
    EXPECT_EQ(GanZhiName(GetGanZhi(D(2000, 1, 1)).DayCycle), "戊午");
    // Sixty days later the same name comes back.
    for (int i = 0; i < 120; ++i)
        EXPECT_EQ(GanZhiName(GetGanZhi(D(2024, 1, 1) + i).DayCycle),
                  GanZhiName(GetGanZhi(D(2024, 1, 1) + i + 60).DayCycle));
    EXPECT_EQ(GetGanZhi(std::numeric_limits<double>::quiet_NaN()), TGanZhi{});
}

TEST(GanZhi, CycleNumbersStayWithinTheCycle) {
    // 2024-02-10: 甲辰 year (40), 丙寅 month (2), 甲辰 day (40).
    EXPECT_EQ(GetGanZhi(D(2024, 2, 10)), (TGanZhi{40, 2, 40}));
    for (TDateTime v = D(1900, 1, 1); v <= D(2100, 12, 31); v += 17) {
        const TGanZhi g = GetGanZhi(v);
        ASSERT_TRUE(g.YearCycle >= 0 && g.YearCycle < 60) << IsoText(v);
        ASSERT_TRUE(g.MonthCycle >= 0 && g.MonthCycle < 60) << IsoText(v);
        ASSERT_TRUE(g.DayCycle >= 0 && g.DayCycle < 60) << IsoText(v);
    }
}

TEST(LunarNames, CycleAndZodiac) {
    EXPECT_EQ(GanZhiName(0), "甲子");
    EXPECT_EQ(GanZhiName(59), "癸亥");
    EXPECT_EQ(GanZhiName(60), "甲子");
    EXPECT_EQ(GanZhiName(-1), "癸亥");
    EXPECT_EQ(ZodiacName(0), "鼠");
    EXPECT_EQ(ZodiacName(40), "龙"); // 甲辰
    EXPECT_EQ(ZodiacName(-1), "猪");
}

TEST(LunarNames, MonthsDaysAndYears) {
    EXPECT_EQ(LunarMonthName(1, false), "正月");
    EXPECT_EQ(LunarMonthName(2, false), "二月");
    EXPECT_EQ(LunarMonthName(10, false), "十月");
    EXPECT_EQ(LunarMonthName(11, false), "十一月");
    EXPECT_EQ(LunarMonthName(12, false), "腊月");
    EXPECT_EQ(LunarMonthName(4, true), "闰四月");
    EXPECT_EQ(LunarMonthName(0, false), "月");
    EXPECT_EQ(LunarMonthName(13, true), "闰月");

    EXPECT_EQ(LunarDayName(1), "初一");
    EXPECT_EQ(LunarDayName(10), "初十");
    EXPECT_EQ(LunarDayName(11), "十一");
    EXPECT_EQ(LunarDayName(19), "十九");
    EXPECT_EQ(LunarDayName(20), "二十");
    EXPECT_EQ(LunarDayName(21), "廿一");
    EXPECT_EQ(LunarDayName(29), "廿九");
    EXPECT_EQ(LunarDayName(30), "三十");
    EXPECT_EQ(LunarDayName(31), "");
    EXPECT_EQ(LunarDayName(0), "");

    EXPECT_EQ(LunarYearName(2024), "二零二四年");
    EXPECT_EQ(LunarYearName(1900), "一九零零年");
    EXPECT_EQ(LunarYearName(2010), "二零一零年");
    EXPECT_EQ(LunarYearName(2100), "二一零零年");
    EXPECT_EQ(LunarYearName(1999), "一九九九年");
    EXPECT_EQ(LunarYearName(-1), "年");
    EXPECT_EQ(LunarYearName(123456), "年");
}

TEST(LunarNames, Weekdays) {
    EXPECT_EQ(ChineseWeekName(0), "星期日");
    EXPECT_EQ(ChineseWeekName(1), "星期一");
    EXPECT_EQ(ChineseWeekName(6), "星期六");
    EXPECT_EQ(ChineseWeekName(7), "星期日");
    EXPECT_EQ(ChineseWeekName(-1), "星期六");
    EXPECT_EQ(EnglishWeekName(0, false), "Sun");
    EXPECT_EQ(EnglishWeekName(3, true), "Wednesday");
    EXPECT_EQ(EnglishWeekName(13, true), "Saturday");
}

TEST(WeekNumber, SundayRuleExamples) {
    EXPECT_EQ(WeekNumber(D(2023, 1, 1), false), 1);
    EXPECT_EQ(WeekNumber(D(2023, 1, 7), false), 1);
    EXPECT_EQ(WeekNumber(D(2023, 1, 8), false), 2);
    EXPECT_EQ(WeekNumber(D(2022, 1, 2), false), 2);
    EXPECT_EQ(WeekNumber(D(2024, 12, 29), false), 53);
    EXPECT_EQ(WeekNumber(D(2024, 12, 30), false), 53);
    EXPECT_EQ(WeekNumber(D(2024, 12, 30), true), 1);
    EXPECT_EQ(WeekNumber(D(2024, 12, 29), true), 52);
    EXPECT_EQ(WeekNumber(std::numeric_limits<double>::quiet_NaN(), true), 0);
}

// The ISO number agrees with the C library's %V, and the Sunday rule with "the week holding
// 1 January is week 1, weeks start on Sunday", on every day of 1901..2100.
TEST(WeekNumber, AgreesWithIndependentDefinitionsEveryDay) {
    for (TDateTime v = D(1901, 1, 1); v <= D(2100, 12, 31); v += 1) {
        const DateParts d = DecodeDate(v);
        std::tm tm{};
        tm.tm_year = d.year - 1900;
        tm.tm_mon = d.month - 1;
        tm.tm_mday = d.day;
        tm.tm_hour = 12;
        std::time_t t = timegm(&tm);
        std::tm norm{};
        gmtime_r(&t, &norm);
        char buf[8];
        std::strftime(buf, sizeof buf, "%V", &norm);
        ASSERT_EQ(WeekNumber(v, true), std::atoi(buf)) << IsoText(v);

        const TDateTime jan1 = D(d.year, 1, 1);
        const int sundayWeek = static_cast<int>(v - jan1 + (DayOfWeek(jan1) - 1)) / 7 + 1;
        ASSERT_EQ(WeekNumber(v + 0.5, false), sundayWeek) << IsoText(v);
    }
}

} // namespace
} // namespace tobu
