#include "calendar/calendar_texts.h"

#include <gtest/gtest.h>

#include <limits>

namespace tobu {
namespace {

TEST(CalendarTexts, LunarTextCarriesTheTermOnlyForADate) {
    EXPECT_EQ(GetLunarText(EncodeDate(2024, 2, 4)), "二零二三年腊月廿五 立春");
    EXPECT_EQ(GetLunarText(EncodeDateTime(2024, 2, 10, 8, 0, 0)), "二零二四年正月初一 ");
    EXPECT_EQ(GetLunarText(EncodeDate(2023, 3, 22)), "二零二三年闰二月初一 ");
    EXPECT_EQ(GetLunarText(EncodeDateTime(2024, 2, 4, 0, 0, 1)), "二零二三年腊月廿五 ");
}

TEST(CalendarTexts, LunarTextOutsideTheRangeIsEmpty) {
    EXPECT_EQ(GetLunarText(EncodeDate(1900, 1, 30)), "");
    EXPECT_EQ(GetLunarText(EncodeDate(2101, 1, 1)), "");
    EXPECT_EQ(GetLunarText(std::numeric_limits<double>::quiet_NaN()), "");
}

TEST(CalendarTexts, GanZhiTextAroundTheSpringTerm) {
    EXPECT_EQ(GetGanZhiText(EncodeDate(2024, 2, 3)), "癸卯(兔)年乙丑月丁酉日");
    EXPECT_EQ(GetGanZhiText(EncodeDate(2024, 2, 4)), "癸卯(兔)年丙寅月戊戌日");
    EXPECT_EQ(GetGanZhiText(EncodeDateTime(2024, 2, 4, 14, 39, 0)), "癸卯(兔)年丙寅月戊戌日");
    EXPECT_EQ(GetGanZhiText(EncodeDateTime(2024, 2, 4, 15, 0, 0)), "甲辰(龙)年丙寅月戊戌日");
    EXPECT_EQ(GetGanZhiText(EncodeDate(2000, 1, 1)), "己卯(兔)年丙子月戊午日");
    EXPECT_EQ(GetGanZhiText(EncodeDate(1900, 1, 1)), "己亥(猪)年丙子月甲戌日");
    EXPECT_EQ(GetGanZhiText(EncodeDate(2024, 2, 10)), "甲辰(龙)年丙寅月甲辰日");
}

TEST(CalendarTexts, TermTextUsesTheDayOfTheValue) {
    EXPECT_EQ(GetTermText(EncodeDateTime(2024, 2, 4, 9, 0, 0)), "立春");
    EXPECT_EQ(GetTermText(EncodeDateTime(2024, 2, 4, 23, 59, 59)), "立春");
    EXPECT_EQ(GetTermText(EncodeDate(2024, 2, 5)), "");
    EXPECT_EQ(GetTermText(std::numeric_limits<double>::infinity()), "");
    EXPECT_EQ(GetTermText(1e300), "");
}

} // namespace
} // namespace tobu
