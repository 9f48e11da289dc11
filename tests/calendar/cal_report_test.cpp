#include "calendar/cal_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>

#include "support/staged_tool.h"

namespace tobu {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> r;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) r.push_back(line);
    return r;
}

TEST(CalDate, ParsesBothFormsAndRefusesTheRest) {
    TDateTime v = 0;
    ASSERT_EQ(ParseCalDate("2024-02-10", v), CalDateError::None);
    EXPECT_EQ(v, EncodeDate(2024, 2, 10));
    ASSERT_EQ(ParseCalDate("2024-02-04T14:39", v), CalDateError::None);
    EXPECT_EQ(v, EncodeDateTime(2024, 2, 4, 14, 39, 0));
    ASSERT_EQ(ParseCalDate("2024-02-04T14:39:59", v), CalDateError::None);
    EXPECT_EQ(v, EncodeDateTime(2024, 2, 4, 14, 39, 59));
    EXPECT_EQ(ParseCalDate("1900-01-31", v), CalDateError::None);
    EXPECT_EQ(ParseCalDate("2100-12-31T23:59:59", v), CalDateError::None);

    v = 123;
    for (const char* bad :
         {"", "2024-2-10", "2024-02-30", "2024-13-01", "2024/02/10", "2024-02-10T24:00",
          "2024-02-10T12:60", "2024-02-10 12:00", "2024-02-10T12:00:", "2024-02-10T12:00:61",
          "+024-02-10", "abcd-ef-gh", "2024-02-10x"})
        EXPECT_EQ(ParseCalDate(bad, v), CalDateError::NotADate) << bad;
    EXPECT_EQ(v, 123); // untouched
    EXPECT_EQ(ParseCalDate("1900-01-30", v), CalDateError::OutOfRange);
    EXPECT_EQ(ParseCalDate("2101-01-01", v), CalDateError::OutOfRange);
    EXPECT_EQ(ParseCalDate("0001-01-01", v), CalDateError::OutOfRange);
}

TEST(CalJson, KnownDates) {
    const TFestivalList f;
    EXPECT_EQ(CalJson(EncodeDate(2024, 2, 10), f),
              "{\"date\":\"2024-02-10T00:00:00\","
              "\"lunar\":{\"year\":2024,\"month\":1,\"day\":1,\"leap\":false},"
              "\"lunarText\":\"二零二四年正月初一 \","
              "\"ganzhi\":{\"year\":40,\"month\":2,\"day\":40},"
              "\"ganzhiText\":\"甲辰(龙)年丙寅月甲辰日\",\"term\":\"\",\"termText\":\"\","
              "\"festivals\":\"春节 国际气象节\",\"festivalColor\":8388736,"
              "\"week\":6,\"isoWeek\":6}");

    const std::string spring = CalJson(EncodeDate(2024, 2, 4), f);
    EXPECT_NE(spring.find("\"term\":\"立春\""), std::string::npos) << spring;
    EXPECT_NE(spring.find("\"termText\":\"立春\""), std::string::npos);
    EXPECT_NE(spring.find("\"lunarText\":\"二零二三年腊月廿五 立春\""), std::string::npos);
    EXPECT_NE(spring.find("\"festivals\":\"\",\"festivalColor\":-1"), std::string::npos);
    EXPECT_NE(spring.find("\"week\":6,\"isoWeek\":5"), std::string::npos); // a Sunday

    // With a time of day the term of the value is empty, that of its day is not; the year
    // turns at 14:39.
    const std::string morning = CalJson(EncodeDateTime(2024, 2, 4, 9, 0, 0), f);
    EXPECT_NE(morning.find("\"date\":\"2024-02-04T09:00:00\""), std::string::npos) << morning;
    EXPECT_NE(morning.find("\"term\":\"\",\"termText\":\"立春\""), std::string::npos);
    EXPECT_NE(morning.find("\"ganzhiText\":\"癸卯(兔)年丙寅月戊戌日\""), std::string::npos);
    const std::string evening = CalJson(EncodeDateTime(2024, 2, 4, 15, 0, 0), f);
    EXPECT_NE(evening.find("\"ganzhiText\":\"甲辰(龙)年丙寅月戊戌日\""), std::string::npos);

    const std::string leap = CalJson(EncodeDate(2023, 3, 22), f);
    EXPECT_NE(leap.find("\"lunar\":{\"year\":2023,\"month\":2,\"day\":1,\"leap\":true}"),
              std::string::npos)
        << leap;
}

TEST(MonthGrid, SundayFirstLayoutWithLunarDays) {
    const auto lines = Lines(FormatMonthGrid(2024, 2, EncodeDate(2024, 2, 10), false, false));
    ASSERT_EQ(lines.size(), 2u + 2 * 5);
    EXPECT_EQ(lines[0], std::string(26, ' ') + "2024年2月");
    EXPECT_EQ(lines[1], "日       一       二       三       四       五       六");
    // 2024-02-01 is a Thursday: column 5 of 7, each column 9 terminal columns wide.
    EXPECT_EQ(lines[2], std::string(36, ' ') + "1        2        3");
    EXPECT_EQ(lines[3], std::string(36, ' ') + "廿二     廿三     廿四");
    // Term names replace the day, the month name stands on its first day.
    EXPECT_EQ(lines[4], "4        5        6        7        8        9        10");
    EXPECT_EQ(lines[5], "立春     廿六     廿七     廿八     廿九     三十     正月");
    EXPECT_EQ(lines[11], "十六     十七     十八     十九     二十");
    // No escape codes unless asked for.
    for (const auto& l : lines) EXPECT_EQ(l.find('\x1b'), std::string::npos);
}

TEST(MonthGrid, MondayFirstAndColours) {
    const std::string text =
        FormatMonthGrid(2024, 2, EncodeDateTime(2024, 2, 10, 13, 0, 0), true, true);
    const auto lines = Lines(text);
    EXPECT_EQ(lines[1], "一       二       三       四       五       六       日");
    EXPECT_EQ(lines[2], std::string(27, ' ') + "1        2        3        4");
    EXPECT_NE(text.find("\x1b[7m10\x1b[0m"), std::string::npos);    // today
    EXPECT_NE(text.find("\x1b[7m正月\x1b[0m"), std::string::npos);  // its lunar day
    EXPECT_NE(text.find("\x1b[32m立春\x1b[0m"), std::string::npos); // a term
    EXPECT_EQ(text.find("\x1b[7m11"), std::string::npos);
}

TEST(MonthGrid, FestivalDaysInTheirColourOrWithAPlus) {
    const TFestivalList f;
    // February 2024: 国际声援南非日 on the 7th, 除夕 on the 9th (lunar, magenta), 春节 and
    // 国际气象节 on the 10th, 国际足球比赛日 on the 12th, 西方情人节 on the 14th (Gregorian,
    // red); the 13th has none.
    const auto plain = Lines(FormatMonthGrid(2024, 2, 0, false, false, &f));
    EXPECT_EQ(plain[4], "4        5        6        7+       8        9+       10+");
    EXPECT_EQ(plain[6], "11       12+      13       14+      15       16       17");
    EXPECT_EQ(plain[5], "立春     廿六     廿七     廿八     廿九     三十     正月");
    // Festival marks never move the columns: the grid is the one without them, plus the "+".
    const auto bare = Lines(FormatMonthGrid(2024, 2, 0, false, false));
    ASSERT_EQ(plain.size(), bare.size());
    for (size_t i = 0; i < plain.size(); ++i) {
        std::string unmarked = plain[i];
        std::replace(unmarked.begin(), unmarked.end(), '+', ' ');
        while (!unmarked.empty() && unmarked.back() == ' ') unmarked.pop_back();
        EXPECT_EQ(unmarked, bare[i]) << i;
    }

    const std::string colored =
        FormatMonthGrid(2024, 2, EncodeDateTime(2024, 2, 10, 9, 0, 0), false, true, &f);
    EXPECT_EQ(colored.find('+'), std::string::npos);
    EXPECT_NE(colored.find("\x1b[35m9\x1b[0m"), std::string::npos);    // lunar purple
    EXPECT_NE(colored.find("\x1b[7;35m10\x1b[0m"), std::string::npos); // and today
    EXPECT_NE(colored.find("\x1b[31m14\x1b[0m"), std::string::npos);   // Gregorian red
    EXPECT_NE(colored.find(" 13 "), std::string::npos);                // no festival
    // Week festivals are navy: blue on a terminal (2024-05-19, third Sunday of May, 全国助残日).
    const std::string may = FormatMonthGrid(2024, 5, 0, false, true, &f);
    EXPECT_NE(may.find("\x1b[34m19\x1b[0m"), std::string::npos) << may;
    // A black festival colour (the month grid's list) stays readable: bold.
    const TFestivalList grid = MakeGridFestivalList();
    EXPECT_NE(FormatMonthGrid(2024, 10, 0, false, true, &grid).find("\x1b[1m1\x1b[0m"),
              std::string::npos);
}

TEST(MonthGrid, SixWeekMonthsAndLongLeapMonthNames) {
    // 2033-12-22 starts the leap eleventh month, the widest lunar text.
    const auto lines = Lines(FormatMonthGrid(2033, 12, 0, false, false));
    EXPECT_NE(lines[9].find("冬至     闰十一月 初二"), std::string::npos) << lines[9];
    // March 2024 begins on a Friday and has 31 days: six week rows.
    EXPECT_EQ(Lines(FormatMonthGrid(2024, 3, 0, false, false)).size(), 2u + 2 * 6);
    // Before 1900-01-31 there is no lunar date: only the term day 1900-01-06 is named.
    const auto jan1900 = Lines(FormatMonthGrid(1900, 1, 0, false, false));
    EXPECT_EQ(jan1900[3], std::string(54, ' ') + "小寒");
    EXPECT_EQ(jan1900[5], "");
    EXPECT_EQ(jan1900[11], std::string(27, ' ') + "正月"); // 1900-01-31, a Wednesday
    EXPECT_EQ(FormatMonthGrid(2024, 13, 0, false, false), "");
    EXPECT_EQ(DisplayWidth("闰十一月"), 8);
    EXPECT_EQ(DisplayWidth("a1 "), 3);
}

// The tool itself, when the build has staged it.
struct ToolRun {
    int status = -1;
    std::string out;
};

using tobu::testing::StageDir;

// Runs a shell command line, standard error merged into the output.
ToolRun RunShell(const std::string& command) {
    tobu::testing::CommandRun run = tobu::testing::RunCommand(command + " 2>&1");
    return ToolRun{run.status, run.out};
}

ToolRun RunTobu(const std::string& args) {
    return RunShell("'" + StageDir() + "/tobu' " + args);
}

class TobuCalTool : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(StageDir() + "/tobu"))
            GTEST_SKIP() << "the tobu tool is not built";
    }
};

TEST_F(TobuCalTool, JsonLinesAndErrors) {
    ToolRun r = RunTobu("cal --json 2024-02-10 nonsense 2024-02-04T09:00 1800-01-01");
    EXPECT_EQ(r.status, 1);
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 4u) << r.out;
    const TFestivalList f;
    // Errors go to standard error (merged here); the good dates are still answered in order.
    std::vector<std::string> json, errors;
    for (const auto& l : lines) (l.rfind("{", 0) == 0 ? json : errors).push_back(l);
    ASSERT_EQ(json.size(), 2u);
    EXPECT_EQ(json[0], CalJson(EncodeDate(2024, 2, 10), f));
    EXPECT_EQ(json[1], CalJson(EncodeDateTime(2024, 2, 4, 9, 0, 0), f));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("'nonsense'"), std::string::npos);
    EXPECT_NE(errors[1].find("'1800-01-01'"), std::string::npos);

    EXPECT_EQ(RunTobu("cal --json 2024-02-10").status, 0);
    // Options after the dates.
    ToolRun after = RunTobu("cal --json 2024-02-10 --iso");
    EXPECT_EQ(after.status, 0) << after.out;
    EXPECT_EQ(after.out, CalJson(EncodeDate(2024, 2, 10), f) + "\n");
    EXPECT_EQ(RunTobu("cal 2024-02-10 --json -- 2024-10-01").out,
              CalJson(EncodeDate(2024, 2, 10), f) + "\n" + CalJson(EncodeDate(2024, 10, 1), f) +
                  "\n");
    EXPECT_EQ(RunTobu("cal --json 2024-02-10 --bogus").status, 2);
}

// On a terminal (a pseudo-terminal from script(1)) the festival days are coloured, unless
// NO_COLOR asks for no colour: then they carry the "+".
TEST_F(TobuCalTool, FestivalColourOnlyOnATerminalWithoutNoColor) {
    if (std::system("command -v script >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "script(1) is not installed";
    const std::string tobu = "'" + StageDir() + "/tobu' cal 2024 10";
    ToolRun tty = RunShell("env -u NO_COLOR script -qec \"" + tobu + "\" /dev/null");
    EXPECT_EQ(tty.status, 0) << tty.out;
    EXPECT_NE(tty.out.find("\x1b[31m1\x1b["), std::string::npos) << tty.out; // 国庆节
    EXPECT_EQ(tty.out.find('+'), std::string::npos) << tty.out;
    ToolRun noColor = RunShell("NO_COLOR=1 script -qec \"" + tobu + "\" /dev/null");
    EXPECT_EQ(noColor.status, 0) << noColor.out;
    EXPECT_EQ(noColor.out.find('\x1b'), std::string::npos) << noColor.out;
    EXPECT_NE(noColor.out.find("1+"), std::string::npos) << noColor.out;
}

TEST_F(TobuCalTool, ToSolarGridAndHelp) {
    EXPECT_EQ(RunTobu("cal --to-solar 2023 2 1 --leap").out, "2023-03-22\n");
    EXPECT_EQ(RunTobu("cal --to-solar 2024 1 1").out, "2024-02-10\n");
    // Options may follow the numbers; a negative number is a number, not an option.
    EXPECT_EQ(RunTobu("cal 2023 2 1 --leap --to-solar").out, "2023-03-22\n");
    // A lunar date that does not exist: one line on standard error, status 1, nothing else.
    for (const char* missing :
         {"2024 4 1 --leap", "2024 0 1", "2024 1 31", "1900 1 1", "2024 -1 1"}) {
        ToolRun r = RunTobu(std::string("cal --to-solar ") + missing);
        EXPECT_EQ(r.status, 1) << missing;
        EXPECT_EQ(Lines(r.out).size(), 1u) << r.out;
        EXPECT_EQ(r.out.find("0001-01-01"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.rfind("tobu cal: ", 0), 0u) << r.out;
    }
    EXPECT_EQ(RunTobu("cal --to-solar 2024 x 1").status, 2);
    EXPECT_EQ(RunTobu("cal --to-solar 2024 1 1 --json").status, 2);
    EXPECT_EQ(RunTobu("cal 2024 2 --leap").status, 2);

    const TFestivalList f;
    ToolRun grid = RunTobu("cal 2024 2");
    EXPECT_EQ(grid.status, 0);
    EXPECT_EQ(grid.out, FormatMonthGrid(2024, 2, 0, false, false, &f));
    EXPECT_NE(grid.out.find("10+"), std::string::npos);
    EXPECT_EQ(RunTobu("cal --iso 2024 2").out, FormatMonthGrid(2024, 2, 0, true, false, &f));
    EXPECT_EQ(RunTobu("cal 2024 2 --iso").out, FormatMonthGrid(2024, 2, 0, true, false, &f));
    EXPECT_EQ(RunTobu("cal 2024 13").status, 2);
    EXPECT_EQ(RunTobu("cal 2101 1").status, 2);
    EXPECT_EQ(RunTobu("cal --bogus").status, 2);
    EXPECT_EQ(RunTobu("cal").status, 0);

    ToolRun help = RunTobu("cal --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--json"), std::string::npos);
    EXPECT_NE(help.out.find("--to-solar"), std::string::npos);
    EXPECT_NE(help.out.find("--iso"), std::string::npos);
}

} // namespace
} // namespace tobu
