// The date-time value of the whole program: a double counting days since 1899-12-30,
// whose fraction is the time of day. Helpers encode, decode and format it.
#pragma once

#include <cstdint>
#include <string>

namespace tobu {

using TDateTime = double;

struct DateParts {
    int year = 1899, month = 12, day = 30;
    bool operator==(const DateParts&) const = default;
};

struct TimeParts {
    int hour = 0, minute = 0, second = 0, msec = 0;
    bool operator==(const TimeParts&) const = default;
};

constexpr std::int64_t kMSecsPerDay = 86400000;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month); // 0 for a month outside 1..12

// Encoding: the Try forms return false for an impossible date or time (year 1..9999).
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out);
// Throws std::invalid_argument for an impossible date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec = 0);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int msec = 0);

// Decoding rounds to the nearest millisecond (a value a hair below midnight is midnight).
DateParts DecodeDate(TDateTime value);
TimeParts DecodeTime(TDateTime value);

TDateTime DateOf(TDateTime value); // the whole days of the value (after millisecond rounding)
TDateTime TimeOf(TDateTime value);
// 1 = Sunday … 7 = Saturday.
int DayOfWeek(TDateTime value);
int DayOfYear(TDateTime value); // 1-based

// Whole milliseconds since 1899-12-30 00:00 and back; exact for every value we produce.
std::int64_t ToMSecs(TDateTime value);
TDateTime FromMSecs(std::int64_t msecs);

// Formatting with the Chinese locale: "dddd" 星期日…星期六, "ddd" 周日…周六, "mmmm"/"mmm"
// 一月…十二月, "tt" long time "H:mm:ss", "t" short time "H:mm", "ddddd" short date "yyyy/M/d",
// "dddddd" long date "yyyy年M月d日", "c" short date and long time, "ampm" 上午/下午,
// "am/pm" and "a/p" as written; "/" and ":" are the separators; text in quotes is copied.
// Specifiers ignore letter case; "m"/"mm" right after an hour specifier means minutes, as do
// "n"/"nn". Every other character, Chinese text included, is copied as it stands.
std::string FormatDateTime(const std::string& format, TDateTime value);

// "yyyy-mm-dd hh:nn:ss.zzz", for messages and tests.
std::string IsoText(TDateTime value);

} // namespace tobu
