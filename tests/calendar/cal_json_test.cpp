// The fast `tobu cal --json` lines are CalJson's lines: for every day of the calendar, around
// the moments of the solar terms, with festivals the user added (escaped as JSON, keyed from
// a month's end, on a lunar month's eve), and outside the range.
#include "calendar/cal_json.h"

#include <gtest/gtest.h>

#include <sstream>

#include "calendar/cal_report.h"
#include "calendar/lunar.h"

namespace tobu {
namespace {

std::string Line(CalJsonWriter& writer, TDateTime value) {
    std::string out;
    writer.AppendLine(out, value);
    return out;
}

TEST(CalJsonWriter, WritesCalJsonLinesForEveryDayTermMomentAndFestival) {
    const TFestivalList builtIn;
    CalJsonWriter writer(builtIn);
    for (TDateTime day = kCalFirstDate; day <= kCalLastDate; ++day)
        ASSERT_EQ(Line(writer, day), CalJson(day, builtIn) + "\n") << IsoText(day);

    // A minute before and after each term, where the term of the value, the year and the month
    // of the stem-branch numbers turn; and the last second of the term's day.
    for (int year = 1901; year <= 2100; year += 3) {
        for (int n = 0; n < 24; ++n) {
            const TDateTime moment = GetTermDate(year, n);
            const DateParts d = DecodeDate(moment);
            const TimeParts t = DecodeTime(moment);
            const int minute = t.hour * 60 + t.minute;
            for (int m : {minute - 1, minute, minute + 1}) {
                if (m < 0 || m >= 24 * 60) continue;
                const TDateTime v = EncodeDateTime(d.year, d.month, d.day, m / 60, m % 60, 0);
                ASSERT_EQ(Line(writer, v), CalJson(v, builtIn) + "\n") << IsoText(v);
            }
            const TDateTime last = EncodeDateTime(d.year, d.month, d.day, 23, 59, 59);
            ASSERT_EQ(Line(writer, last), CalJson(last, builtIn) + "\n") << IsoText(last);
        }
    }

    // The user's festivals: names that need escaping, the last Saturday of March, the eve of
    // the third lunar month, and a Gregorian day that already has one.
    TFestivalList mine;
    mine.AddFestival(kWeekKind, "0356", 0x00FF00, "末\"周\\六");
    mine.AddFestival(kLunarKind, "0300", 0x123456, "三月a\x01z");
    mine.AddFestival(kSolarKind, "0312", -1, "植树");
    CalJsonWriter custom(mine);
    for (TDateTime day = EncodeDate(1999, 1, 1); day <= EncodeDate(2031, 1, 1); ++day)
        ASSERT_EQ(Line(custom, day), CalJson(day, mine) + "\n") << IsoText(day);
    EXPECT_NE(Line(custom, EncodeDate(2024, 3, 30))
                  .find("\"festivals\":\"巴勒斯坦国土日 末\\\"周\\\\六\",\"festivalColor\":255"),
              std::string::npos);

    // Outside the range the line is CalJson's too.
    for (TDateTime v : {kCalFirstDate - 1, kCalLastDate + 1, -700000.0})
        EXPECT_EQ(Line(writer, v), CalJson(v, builtIn) + "\n");
}

TEST(CalJsonLines, AnswersEveryDateInOrderAndReportsTheOthers) {
    const TFestivalList festivals;
    std::vector<std::string> texts;
    std::string expected;
    // About 1.5 MB of lines: many blocks.
    for (TDateTime day = EncodeDate(1990, 1, 1); day < EncodeDate(2003, 1, 1); ++day) {
        texts.push_back(FormatIsoDate(day));
        expected += CalJson(day, festivals) + "\n";
    }
    texts.push_back("2024-02-04T16:27");
    expected += CalJson(EncodeDateTime(2024, 2, 4, 16, 27, 0), festivals) + "\n";
    std::vector<std::string_view> dates(texts.begin(), texts.end());

    std::ostringstream out, err;
    EXPECT_EQ(CalJsonLines(dates, festivals, out, err), 0);
    EXPECT_EQ(out.str(), expected);
    EXPECT_EQ(err.str(), "");

    dates = {"1900-01-30", "2024-02-10", "2024-02-30", "2101-01-01"};
    out.str("");
    EXPECT_EQ(CalJsonLines(dates, festivals, out, err), 1);
    EXPECT_EQ(out.str(), CalJson(EncodeDate(2024, 2, 10), festivals) + "\n");
    EXPECT_EQ(err.str(),
              "tobu cal: outside the calendar's range 1900-01-31 to 2100-12-31: '1900-01-30'\n"
              "tobu cal: not a date: '2024-02-30' (expected YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS])\n"
              "tobu cal: outside the calendar's range 1900-01-31 to 2100-12-31: '2101-01-01'\n");
}

} // namespace
} // namespace tobu
