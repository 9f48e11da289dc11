#include "base/datetime.h"

#include <gtest/gtest.h>

using namespace tobu;

TEST(DateTime, EncodeDecodeRoundTripsKnownDays) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2024, 2, 10), 45332.0);
    EXPECT_EQ(DecodeDate(45332.0), (DateParts{2024, 2, 10}));
    EXPECT_EQ(DecodeDate(EncodeDate(2000, 2, 29)), (DateParts{2000, 2, 29}));
    EXPECT_EQ(DecodeDate(EncodeDate(2100, 12, 31)), (DateParts{2100, 12, 31}));
    EXPECT_EQ(DecodeDate(-1.0), (DateParts{1899, 12, 29}));
    for (double d = -693593; d < 2900000; d += 997) {
        DateParts p = DecodeDate(d);
        EXPECT_EQ(EncodeDate(p.year, p.month, p.day), d);
    }
}

TEST(DateTime, RejectsImpossibleDates) {
    TDateTime v;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, v));
    EXPECT_FALSE(TryEncodeDate(2024, 13, 1, v));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, v));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, v));
    EXPECT_THROW(EncodeDate(1900, 2, 29), std::invalid_argument);
}

TEST(DateTime, TimeDecodesToTheMillisecond) {
    TDateTime v = EncodeDateTime(2024, 2, 10, 13, 59, 52, 7);
    EXPECT_EQ(DecodeTime(v), (TimeParts{13, 59, 52, 7}));
    // A hair below midnight rounds to the next day, date and time together.
    TDateTime almost = EncodeDate(2024, 2, 11) - 1e-10;
    EXPECT_EQ(DecodeDate(almost), (DateParts{2024, 2, 11}));
    EXPECT_EQ(DecodeTime(almost), (TimeParts{0, 0, 0, 0}));
    EXPECT_EQ(DateOf(almost), EncodeDate(2024, 2, 11));
}

TEST(DateTime, WeekDays) {
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 2, 10)), 7); // Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 2, 11)), 1); // Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);
    EXPECT_EQ(DayOfYear(EncodeDate(2024, 12, 31)), 366);
}

TEST(DateTime, FormatsWithChineseNames) {
    TDateTime v = EncodeDateTime(2024, 2, 10, 9, 5, 7, 30);
    EXPECT_EQ(FormatDateTime("hh:mm:ss", v), "09:05:07");
    EXPECT_EQ(FormatDateTime("yyyy年mm月dd日 dddd", v), "2024年02月10日 星期六");
    EXPECT_EQ(FormatDateTime("mmdd", v), "0210");
    EXPECT_EQ(FormatDateTime("ddd", v), "周六");
    EXPECT_EQ(FormatDateTime("tt", v), "9:05:07");
    EXPECT_EQ(FormatDateTime("t", v), "9:05");
    EXPECT_EQ(FormatDateTime("ddddd", v), "2024/2/10");
    EXPECT_EQ(FormatDateTime("dddddd", v), "2024年2月10日");
    EXPECT_EQ(FormatDateTime("yy/m/d h:n:s.zzz", v), "24/2/10 9:5:7.030");
    EXPECT_EQ(FormatDateTime("\"mm\" mmmm", v), "mm 二月");
    EXPECT_EQ(FormatDateTime("HH:MM", v), "09:05");
    EXPECT_EQ(FormatDateTime("ampm h", EncodeTime(15, 0, 0)), "下午 15");
}
