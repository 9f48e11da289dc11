// The lunar (Chinese lunisolar) calendar engine: conversion between Gregorian dates and lunar
// dates for the lunar years 1900 to 2100, the 24 solar terms, the stem-branch (干支) numbers,
// week numbers and the Chinese names of all of these. Every function is pure: it depends only
// on its arguments and on the constant tables below.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/datetime.h"

namespace tobu {

// A lunar date. All fields zero means "no lunar date" (outside the engine's range).
struct TLunarDate {
    std::int32_t Year = 0;  // the Gregorian year in which its first month begins
    std::int32_t Month = 0; // 1..12
    std::int32_t Day = 0;   // 1..30
    bool IsLeap = false;    // the year's leap month, which follows the ordinary month Month
    bool operator==(const TLunarDate&) const = default;
};

// Sexagenary cycle numbers 0..59: n names stem n mod 10 and branch n mod 12 (0 is 甲子).
struct TGanZhi {
    std::int32_t YearCycle = 0;
    std::int32_t MonthCycle = 0;
    std::int32_t DayCycle = 0;
    bool operator==(const TGanZhi&) const = default;
};

constexpr int kFirstLunarYear = 1900;
constexpr int kLastLunarYear = 2100;

// One word per lunar year 1900..2100: bits 15..4 are the lengths of months 1..12 (set = 30
// days), bits 3..0 the month the leap month follows (0 and 15: none). A leap month's length
// is in the low bits of the next year's word (15 = 30 days).
extern const std::array<std::uint16_t, 201> LunarInfo;
// Minutes from the year's base moment to each of the 24 solar terms, 小寒 first.
extern const std::array<std::int32_t, 24> TermMinutes;

// Lengths. Years outside 1900..2100 behave as years of twelve 29-day months without a leap.
int LunarYearDays(int year);
int LeapMonth(int year);     // 0 = none
int LeapMonthDays(int year); // 0, 29 or 30
int LunarMonthDays(int year, int month);

// Gregorian to lunar; the zero record outside 1900-01-31 .. 2100-12-31. The time of day is
// ignored.
TLunarDate SolarToLunar(TDateTime value);
// Whether LunarToSolar accepts the date: lunar years 1901..2099, an existing month and day.
bool IsValidLunarDate(const TLunarDate& date);
// Lunar to Gregorian; 0001-01-01 for a date IsValidLunarDate refuses.
TDateTime LunarToSolar(const TLunarDate& date);

// The moment of solar term n (0..23) in Gregorian year `year`, to the millisecond, in the
// calendar's local time. 0 (1899-12-30) for n outside 0..23.
TDateTime GetTermDate(int year, int n);
// The name of term n, 小寒 … 冬至; empty outside 0..23.
std::string SolarTermName(int n);
// The name of the term whose day is `value`. The value itself is compared with the term's
// day, so a value with a time of day never matches: pass a date.
std::string TermNameOf(TDateTime value);

// Stem-branch numbers, each 0..59; the year changes at the moment of 立春, the month at the start
// of the day of its 节. Defined from 1900-01-01 on.
TGanZhi GetGanZhi(TDateTime value);

std::string GanZhiName(int cycle);                // 甲子 …
std::string ZodiacName(int cycle);                // 鼠 …
std::string LunarMonthName(int month, bool leap); // 正月 … 腊月, 闰 in front of a leap month
std::string LunarDayName(int day);                // 初一 … 三十; empty outside 1..30
std::string LunarYearName(int year);              // 二零二四年
std::string ChineseWeekName(int n);               // 星期日 … 星期六 for n mod 7
std::string EnglishWeekName(int n, bool longName); // "Sun" … / "Sunday" …

// The ISO 8601 week number, or (iso false) the week number with weeks starting on Sunday.
int WeekNumber(TDateTime value, bool iso);

} // namespace tobu
