#include "calendar/month_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "base/text.h"
#include "settings/temp_dir.h"
#include "support/staged_tool.h"

namespace tobu {
namespace {

TDateTime D(int y, int m, int d) {
    return EncodeDate(y, m, d);
}

std::vector<std::string> Lines(const std::string& s) {
    std::vector<std::string> r;
    std::istringstream in(s);
    for (std::string l; std::getline(in, l);) r.push_back(l);
    return r;
}

TEST(MonthReport, TextViewColumnsMarksAndSelection) {
    const MarkList marks = MarkList::FromBytes(Utf8ToGbk("00215=x\r\n"));
    const MonthGrid g = MakeWindowMonth(D(2024, 2, 15), 0, false, marks);
    const auto lines = Lines(MonthText(g, D(2024, 2, 10), 0, marks, false));
    ASSERT_EQ(lines.size(), 2u + 12u + 1u + 4u);
    EXPECT_EQ(lines[0], "2024年02月  公历-农历");
    EXPECT_EQ(lines[1], " 星期日   星期一   星期二   星期三   星期四   星期五   星期六");
    // Each column 9 wide, text centred with (9 - width) div 2 blanks before it.
    EXPECT_EQ(lines[4], "    4        5        6        7        8        9      今天");
    EXPECT_EQ(lines[5], "  立春     廿六     廿七     廿八     廿九     三十     正月");
    EXPECT_EQ(lines[6], "   11       12       13       14      [15*]     16       17");
    EXPECT_EQ(lines[14], "");
    EXPECT_EQ(lines[15], "农历： 二零二四年正月初六");
    EXPECT_EQ(lines[18], "标记： x");
    EXPECT_EQ(TerminalWidth("国际…"), 5);
    // Colours only when asked: today green, other months grey.
    const std::string coloured = MonthText(g, D(2024, 2, 10), 0, marks, true);
    EXPECT_NE(coloured.find("\x1b[32m今天\x1b[0m"), std::string::npos);
    EXPECT_NE(coloured.find("\x1b[90m28\x1b[0m"), std::string::npos);
}

TEST(MonthReport, JsonCellsAndMarkListings) {
    const MarkList marks =
        MarkList::FromBytes(Utf8ToGbk("10505=端午\r\n\r\n00101=新年\r\nbad\r\n"));
    const MonthGrid g = MakeWindowMonth(D(2024, 6, 10), 2, true, marks);
    const auto cells = Lines(MonthJson(g, D(2024, 6, 1), marks));
    ASSERT_EQ(cells.size(), 42u);
    EXPECT_EQ(cells[0].rfind("{\"index\":0,\"date\":\"2024-05-27\",\"weekday\":1,", 0), 0u);
    EXPECT_NE(cells[14].find("\"selected\":true"), std::string::npos) << cells[14];
    EXPECT_NE(cells[14].find("\"mark\":true,\"markText\":\"*端午\""), std::string::npos);
    EXPECT_NE(cells[14].find("\"text\":\"端午节\",\"textKind\":\"festival\",\"textColor\":0"),
              std::string::npos);
    EXPECT_NE(
        cells[5].find("\"today\":true,\"selected\":false,\"day\":\"今天\",\"dayColor\":32768"),
        std::string::npos);

    EXPECT_EQ(MarksListText(marks), "公历\t01月01日\t新年\n农历\t05月05日\t端午\n"
                                    "农历\tad月日\t\n");
    const auto json = Lines(MarksListJson(marks));
    ASSERT_EQ(json.size(), 3u);
    EXPECT_EQ(json[0], "{\"line\":3,\"text\":\"00101=新年\",\"name\":\"00101\",\"kind\":0,"
                       "\"key\":\"0101\",\"note\":\"新年\",\"valid\":true}");
    EXPECT_EQ(json[2], "{\"line\":4,\"text\":\"bad\",\"name\":\"bad\",\"kind\":0,\"key\":\"ad\","
                       "\"note\":\"\",\"valid\":false}");
    EXPECT_EQ(MarksOnText(marks, D(2024, 1, 1)), "2024-01-01\t新年\n");
    EXPECT_EQ(MarksOnJson(marks, D(1900, 1, 2)),
              "{\"date\":\"1900-01-02\",\"text\":\"\",\"gregorian\":null,\"lunar\":null,"
              "\"lunarKey\":null,\"mark\":false}\n");
}

// The tool, when the build has staged it: exit codes and the bad files of the issue.
TEST(MonthReportTool, ExitCodesAndBadFiles) {
    const std::string tobu = "'" + testing::StageDir() + "/tobu' ";
    if (!std::filesystem::exists(testing::StageDir() + "/tobu")) GTEST_SKIP() << "no tobu";
    testing::TempDir dir;
    const std::string file = dir.File("Marks.rec");
    std::string bytes(1 << 20, 'x');
    bytes += "\r";
    for (int i = 0; i < 50000; ++i) bytes += std::string("0\0\xff\x81=\r", 6);
    bytes += "00101=ok";
    testing::TempDir::Put(file, bytes);
    auto run = [&](const std::string& args) {
        return testing::RunCommand(tobu + args + " 2>/dev/null");
    };
    testing::CommandRun r = run("marks on --file '" + file + "' 2024-01-01");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "2024-01-01\tok\n");
    EXPECT_EQ(Lines(run("marks list --file '" + file + "'").out).size(), 50002u);
    EXPECT_EQ(testing::TempDir::Get(file), bytes); // never written
    EXPECT_EQ(run("cal --month 2024-02 --marks '" + file + "' --json").status, 0);
    EXPECT_EQ(run("marks on --file '" + file + "' 2024-01-01 20240101").status, 2);
    EXPECT_EQ(run("marks on --file '" + file + "' 2101-01-01 2024-01-01").out, "2024-01-01\tok\n");
    EXPECT_EQ(run("marks on --file '" + file + "' 2101-01-01").status, 1);
    EXPECT_EQ(run("marks list --file '" + dir.File("none") + "'").status, 1);
    EXPECT_EQ(run("marks list --file '" + dir.Dir() + "'").status, 1);
    EXPECT_EQ(run("marks list --bogus").status, 2);
    EXPECT_EQ(run("cal --month 2024-02 2024-02-03").status, 2);
    EXPECT_EQ(run("cal --month 2024-13").status, 2);
    EXPECT_EQ(run("cal --month 1899-12").status, 1);
    EXPECT_EQ(run("cal --month 2024-02 --mode moon").status, 2);
    EXPECT_EQ(run("cal --month 2024-02 --marks '" + dir.File("none") + "'").status, 1);
    EXPECT_EQ(run("marks --help").status, 0);
}

} // namespace
} // namespace tobu
