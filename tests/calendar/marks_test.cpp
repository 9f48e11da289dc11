#include "calendar/marks.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "settings/temp_dir.h"

namespace tobu {
namespace {

using testing::TempDir;

TDateTime D(int y, int m, int d) {
    return EncodeDate(y, m, d);
}

std::string G(const char* utf8) {
    return Utf8ToGbk(utf8);
}

TEST(MarkFile, ReadingSplitsAtEveryLineEndAndDropsEmptyLines) {
    const std::string bytes = G("00101=新年计划") + "\r\n\r\n" + G("10505=端午") + "\r" + "junk\n" +
                              std::string("0\0002", 3) + "\xff\x80" + "\r\n" + "\n" +
                              G("01224=x=y");
    const MarkList m = MarkList::FromBytes(bytes);
    ASSERT_EQ(m.Count(), 5u);
    EXPECT_EQ(m.Lines()[0].text, "00101=新年计划");
    EXPECT_EQ(m.Lines()[0].line, 1);
    EXPECT_EQ(m.Lines()[1].line, 3); // empty lines still count
    EXPECT_EQ(m.Lines()[2].text, "junk");
    EXPECT_EQ(m.Lines()[3].bytes, std::string("0\0002", 3) + "\xff\x80");
    EXPECT_EQ(m.Lines()[4].line, 7);
    // Positions count characters of the decoded text.
    EXPECT_EQ(m.Lines()[0].Note(), "新年计划");
    EXPECT_EQ(m.Lines()[0].Name(), "00101");
    EXPECT_EQ(m.Lines()[4].Value(), "x=y");
    EXPECT_EQ(m.Lines()[2].Kind(), 0);
    EXPECT_EQ(m.Lines()[2].Key(), "unk");
    EXPECT_FALSE(m.Lines()[2].Valid());
    EXPECT_TRUE(m.Lines()[0].Valid());
    EXPECT_EQ(m.Lines()[1].Row(), "农历\t05月05日\t端午");
    EXPECT_TRUE(MarkList::FromBytes("").Empty());
    EXPECT_TRUE(MarkList::FromBytes("\r\n\r\r\n\n").Empty());
    // Validity follows the editor: Gregorian 29 February, lunar day 30 only.
    EXPECT_TRUE(MarkList::FromBytes("00229=").Lines()[0].Valid());
    EXPECT_FALSE(MarkList::FromBytes("00230=").Lines()[0].Valid());
    EXPECT_TRUE(MarkList::FromBytes("11230=").Lines()[0].Valid());
    EXPECT_FALSE(MarkList::FromBytes("11231=").Lines()[0].Valid());
    EXPECT_FALSE(MarkList::FromBytes("21231=").Lines()[0].Valid());
}

TEST(MarkFile, SortedSaveKeepsEveryLineByteForByte) {
    TempDir dir;
    const std::string path = dir.File("Marks.rec");
    const std::string odd = std::string("\0", 1) + "\xfe\xfe";
    TempDir::Put(path, G("11001=纪念日") + "\n" + "Zeta\r" + G("00101=新年") + "\r\n" + odd +
                           "\r\n" + "alpha\r\n" + "00101=dup\r\n");
    bool exists = false;
    MarkList m = MarkList::FromFile(path, &exists);
    EXPECT_TRUE(exists);
    ASSERT_TRUE(SaveMarkFile(path, m));
    // Code point order with A-Z folded; equal lines keep their order; CR LF after each line.
    EXPECT_EQ(TempDir::Get(path), odd + "\r\n" + G("00101=dup") + "\r\n" + G("00101=新年") +
                                      "\r\n" + G("11001=纪念日") + "\r\n" + "alpha\r\n" +
                                      "Zeta\r\n");
    // The first line of a name answers look-ups (after sorting, the duplicate "dup").
    EXPECT_EQ(GetMarkText(m, 0, "0101"), "dup");
    // A missing file is an empty list; a folder is not a file.
    EXPECT_TRUE(MarkList::FromFile(dir.File("none"), &exists).Empty());
    EXPECT_FALSE(exists);
    EXPECT_TRUE(MarkList::FromFile(dir.Dir(), &exists).Empty());
    EXPECT_FALSE(exists);
    // A save that cannot write leaves the file as it was.
    MarkList other = MarkList::FromBytes("00202=x");
    EXPECT_FALSE(SaveMarkFile(dir.File("no/such/Marks.rec"), other));
}

TEST(MarkLookups, DayTextsKindsAndLunarRules) {
    MarkList m = MarkList::FromBytes(G("00101=新年计划\r\n10505=端午\r\n11230=年三十\r\n") +
                                     G("10201=二月\r\n21231=week\r\nx0202=nondigit\r\n"));
    EXPECT_EQ(GetMarkText(m, 0, "0101"), "新年计划");
    EXPECT_EQ(GetMarkText(m, 2, "0101"), "");
    EXPECT_EQ(GetDayMarksText(m, D(2024, 1, 1)), "新年计划");
    EXPECT_EQ(GetDayMarksText(m, D(2024, 6, 10)), "*端午"); // lunar 05-05
    m.Add("00610=both");
    EXPECT_EQ(GetDayMarksText(m, D(2024, 6, 10)), "both  *端午");
    // A lunar mark also shows in a leap month of that number: 2023-03-22 is 闰二月初一.
    EXPECT_EQ(GetDayMarksText(m, D(2023, 3, 22)), "*二月");
    EXPECT_EQ(GetDayMarksText(m, D(2023, 2, 20)), "*二月");
    // No lunar date: no lunar key, no lunar mark.
    EXPECT_EQ(LunarMarkKey(D(1900, 1, 1)), std::nullopt);

    TFestivalList f = MakeGridFestivalList();
    m.ApplyTo(f, 0x123456);
    EXPECT_EQ(f.SolarMarks().Count(), 3u); // 0101, 0610 and the "x" line
    EXPECT_EQ(f.LunarMarks().Count(), 3u);
    EXPECT_EQ(f.WeekMarks().Count(), 1u);         // kind digit 2 lands in the week marks
    EXPECT_GE(f.SolarMarks().IndexOf("0202"), 0); // a non-digit counts as 0
    EXPECT_EQ(GetMarkColor(f, D(2024, 1, 1)), 0x123456);
    // Lunar 12-30 exists in lunar 2023 (2024-02-09) but not in 2024's 29-day twelfth month.
    EXPECT_EQ(GetMarkColor(f, D(2024, 2, 9)), 0x123456);
    EXPECT_EQ(GetMarkColor(f, D(2025, 1, 28)), -1);
    // A hand-made lunar key 0000 never matches a date without a lunar date.
    TFestivalList g = MakeGridFestivalList();
    g.AddMark(1, "0000", 5);
    EXPECT_EQ(GetMarkColor(g, D(1900, 1, 15)), -1);
}

TEST(MarkLookups, EditorKeySwitchAndDeleting) {
    const TDateTime june = D(2024, 6, 1), january = D(2024, 1, 15);
    EXPECT_EQ(SolarKeyToLunarKey("0210", june), "0101");
    EXPECT_EQ(LunarKeyToSolarKey("0101", june), "0210");
    // 2024-01-15 is still lunar year 2023, whose new year fell on 2023-01-22.
    EXPECT_EQ(LunarKeyToSolarKey("0101", january), "0122");
    // Not a date in the current year: no lunar key; no such lunar date: "0101".
    EXPECT_EQ(SolarKeyToLunarKey("0229", D(2023, 6, 1)), std::nullopt);
    EXPECT_EQ(SolarKeyToLunarKey("0431", june), std::nullopt);
    EXPECT_TRUE(SolarKeyToLunarKey("0229", june).has_value());
    EXPECT_EQ(LunarKeyToSolarKey("1330", june), "0101");
    // Non-numbers count as 1.
    EXPECT_EQ(LunarKeyToSolarKey("xxyy", june), "0210");
    EXPECT_EQ(SolarKeyToLunarKey("xx10", june), SolarKeyToLunarKey("0110", june));

    MarkList m = MarkList::FromBytes("00101=a\r\n10101=b\r\n");
    m.Put("00101", "new");
    EXPECT_EQ(m.Count(), 2u); // replaced, not added
    EXPECT_TRUE(m.RemoveName("00101"));
    EXPECT_FALSE(m.RemoveName("00101"));
    EXPECT_EQ(GetMarkText(m, 1, "0101"), "b");
}

} // namespace
} // namespace tobu
