#include "calendar/festival_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace tobu {
namespace {

TDateTime D(int y, int m, int d) {
    return EncodeDate(y, m, d);
}

constexpr std::int32_t kRed = 255, kPurple = 0x800080, kNavy = 0x800000;

TEST(FestivalTables, BuiltInListsAfterReplacement) {
    const TFestivalList f;
    EXPECT_EQ(f.SolarFestivals().Count(), 99u);
    EXPECT_EQ(f.LunarFestivals().Count(), 13u);
    EXPECT_EQ(f.WeekFestivals().Count(), 12u);
    EXPECT_EQ(f.SolarMarks().Count(), 0u);
    EXPECT_EQ(f.LunarMarks().Count(), 0u);
    EXPECT_EQ(f.WeekMarks().Count(), 0u);
    for (const auto& i : f.SolarFestivals().Items()) EXPECT_EQ(i.Color, kRed) << i.Text;
    for (const auto& i : f.LunarFestivals().Items()) EXPECT_EQ(i.Color, kPurple) << i.Text;
    for (const auto& i : f.WeekFestivals().Items()) EXPECT_EQ(i.Color, kNavy) << i.Text;
    // Kept sorted; rows that repeat a key are merged into the first row's entry, each name
    // once, in table order, with the first row's colour.
    const auto texts = f.SolarFestivals().Texts();
    EXPECT_TRUE(std::is_sorted(texts.begin(), texts.end()));
    EXPECT_EQ(f.GetSolarFestival(D(2024, 3, 21)),
              (TFestival{"世界森林日 消除种族歧视国际日 世界儿歌日", kRed}));
    EXPECT_EQ(f.GetSolarFestival(D(2024, 10, 1)),
              (TFestival{"国庆节 世界音乐日 国际老人节 国际音乐日", kRed}));
    EXPECT_EQ(f.GetSolarFestival(D(2024, 10, 8)), (TFestival{"全国高血压日 世界视觉日", kRed}));
    for (const char* key : {"0321=", "1001=", "1008="})
        EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                                [key](const std::string& t) { return t.rfind(key, 0) == 0; }),
                  1)
            << key;
    EXPECT_EQ(f.GetSolarFestival(D(2024, 1, 1)), (TFestival{"新年元旦", kRed}));
    EXPECT_EQ(f.LunarFestivals()[0].Text, "0100=除夕");
    EXPECT_EQ(f.GetLunarFestival(TLunarDate{2024, 1, 15, false}).Name, "元宵节 中国情人节");
}

TEST(FestivalList, CombinedFestivalsOfKnownDays) {
    const TFestivalList f;
    EXPECT_EQ(GetFestivals(f, D(2024, 2, 9)), (TFestival{"除夕", kPurple}));  // lunar 12-30
    EXPECT_EQ(GetFestivals(f, D(2025, 1, 28)), (TFestival{"除夕", kPurple})); // 12-29, last day
    EXPECT_EQ(GetFestivals(f, D(2024, 2, 10)), (TFestival{"春节 国际气象节", kPurple}));
    EXPECT_EQ(GetFestivals(f, D(2023, 1, 22)), (TFestival{"春节", kPurple}));
    EXPECT_EQ(GetFestivals(f, D(2024, 9, 17)).Name, "中秋节 甲午海战(1894年) 国际和平日");
    EXPECT_EQ(GetFestivals(f, D(2022, 10, 4)).Name, "重阳节 世界动物日");
    EXPECT_EQ(GetFestivals(f, D(2023, 6, 22)).Name, "端午节");
    EXPECT_EQ(GetFestivals(f, D(2024, 5, 12)), (TFestival{"国际护士节 国际母亲节", kRed}));
    EXPECT_EQ(GetFestivals(f, D(2024, 1, 28)), (TFestival{"世界麻风日", kNavy}));
    EXPECT_EQ(GetFestivals(f, D(2024, 11, 28)).Name, "感恩节");
    EXPECT_EQ(GetFestivals(f, D(2024, 10, 1)).Name, "国庆节 世界音乐日 国际老人节 国际音乐日");
    EXPECT_EQ(
        GetFestivals(f, D(2025, 10, 1)),
        (TFestival{"国庆节 世界音乐日 国际老人节 国际音乐日 国际减轻自然灾害日(减灾日)", kRed}));
    EXPECT_EQ(GetFestivals(f, D(2024, 3, 13)), TFestival{});
    // The eve of other lunar months has no festival; the day before 2024-02-10 does.
    EXPECT_EQ(GetFestivals(f, D(2024, 3, 9)).Name, "");
    // Outside the lunar range only the Gregorian and week festivals remain.
    EXPECT_EQ(GetFestivals(f, D(2101, 1, 1)), (TFestival{"新年元旦", kRed}));
    EXPECT_EQ(GetFestivals(f, D(2100, 12, 31)).Name, "");
}

TEST(FestivalList, FestivalTextUsesTheDayOfTheValue) {
    const TFestivalList f;
    EXPECT_EQ(GetFestivalText(f, EncodeDateTime(2024, 2, 10, 13, 59, 52)), "春节 国际气象节");
    EXPECT_EQ(GetFestivalText(f, EncodeDateTime(2024, 2, 9, 23, 59, 59)), "除夕");
    EXPECT_EQ(GetFestivalText(f, EncodeDate(2024, 3, 13)), "");
    EXPECT_EQ(GetFestivalText(f, std::numeric_limits<double>::quiet_NaN()), "");
}

TEST(FestivalList, WeekKeysCountFromStartAndEnd) {
    TFestivalList f;
    // 2024-03-31 is the fifth and last Sunday of March: 0350 from either end.
    ASSERT_TRUE(f.AddFestival(kWeekKind, "0350", 7, "五"));
    EXPECT_EQ(f.GetWeekFestival(D(2024, 3, 31)).Name, "五");
    // 2024-03-24 is the fourth Sunday and the second from the end (key 0360).
    ASSERT_TRUE(f.AddFestival(kWeekKind, "0340", 7, "四"));
    ASSERT_TRUE(f.AddFestival(kWeekKind, "0360", 7, "倒二"));
    EXPECT_EQ(f.GetWeekFestival(D(2024, 3, 24)).Name, "倒二"); // the end key wins
    EXPECT_EQ(f.GetWeekFestival(D(2024, 3, 17)).Name, "");
    // February has 29 days in a leap year: 2024-02-23 is the last Friday (0255), 2023-02-24 too.
    ASSERT_TRUE(f.AddFestival(kWeekKind, "0255", 7, "末周五"));
    EXPECT_EQ(f.GetWeekFestival(D(2024, 2, 23)).Name, "末周五");
    EXPECT_EQ(f.GetWeekFestival(D(2024, 2, 16)).Name, "");
    EXPECT_EQ(f.GetWeekFestival(D(2023, 2, 24)).Name, "末周五");
    EXPECT_EQ(WeekKey(3, 6, 0), "0360");
}

TEST(FestivalList, LunarKeysIgnoreTheLeapFlagAndUseDayZeroForTheEve) {
    TFestivalList f;
    ASSERT_TRUE(f.AddFestival(kLunarKind, "0408", 9, "浴佛节"));
    EXPECT_EQ(f.GetLunarFestival(TLunarDate{2020, 4, 8, true}), (TFestival{"浴佛节", 9}));
    EXPECT_EQ(f.GetLunarFestival(TLunarDate{2020, 4, 8, false}).Name, "浴佛节");
    // 2020-05-22 is the last day of the ordinary fourth month, followed by the leap one: the
    // month number does not change, so it is no month eve.
    ASSERT_TRUE(f.AddFestival(kLunarKind, "0500", 9, "五月前夕"));
    EXPECT_EQ(GetFestivals(f, D(2020, 5, 22)).Name, "");
    EXPECT_EQ(GetFestivals(f, D(2020, 6, 20)).Name, "五月前夕"); // last day of leap month 4
}

TEST(FestivalList, AddFestivalReplacesByKeyAndRefusesBadInput) {
    TFestivalList f;
    const size_t n = f.SolarFestivals().Count();
    EXPECT_FALSE(f.AddFestival(3, "0101", 1, "x"));
    EXPECT_FALSE(f.AddFestival(-1, "0101", 1, "x"));
    EXPECT_FALSE(f.AddFestival(kSolarKind, "", 1, "x"));
    EXPECT_FALSE(f.AddFestival(kSolarKind, "0101", 1, ""));
    EXPECT_EQ(f.SolarFestivals().Count(), n);
    EXPECT_EQ(f.GetSolarFestival(D(2024, 1, 1)).Name, "新年元旦");

    EXPECT_TRUE(f.AddFestival(kSolarKind, "0101", 42, "  元旦  "));
    EXPECT_EQ(f.SolarFestivals().Count(), n);
    EXPECT_EQ(f.GetSolarFestival(D(2024, 1, 1)), (TFestival{"元旦", 42}));
    // Only the built-in tables merge: a caller's festival replaces the merged entry.
    EXPECT_TRUE(f.AddFestival(kSolarKind, "1001", 43, "国庆节"));
    EXPECT_EQ(f.GetSolarFestival(D(2024, 10, 1)), (TFestival{"国庆节", 43}));
    EXPECT_EQ(f.SolarFestivals().Count(), n);
    // A malformed key is kept but never matches.
    EXPECT_TRUE(f.AddFestival(kSolarKind, "13x", 1, "坏"));
    EXPECT_EQ(f.SolarFestivals().Count(), n + 1);
    EXPECT_EQ(f.GetSolarFestival(D(2024, 1, 3)), TFestival{});
    // Keys compare ignoring letter case; a key holding "=" is compared with the part of each
    // entry before its first "=", so it never replaces anything.
    EXPECT_TRUE(f.AddFestival(kSolarKind, "AbCd", 1, "甲"));
    EXPECT_TRUE(f.AddFestival(kSolarKind, "aBcD", 2, "乙"));
    EXPECT_EQ(f.SolarFestivals().Count(), n + 2);
    EXPECT_TRUE(f.AddFestival(kSolarKind, "01=1", 3, "丙"));
    EXPECT_TRUE(f.AddFestival(kSolarKind, "01=1", 4, "丁"));
    EXPECT_EQ(f.SolarFestivals().Count(), n + 4);
    EXPECT_EQ(f.GetSolarFestival(D(2024, 1, 1)), (TFestival{"元旦", 42}));
}

TEST(FestivalList, MarksAddReplaceAndDelete) {
    TFestivalList f;
    EXPECT_FALSE(f.AddMark(5, "0101", 1));
    EXPECT_FALSE(f.AddMark(kSolarKind, "", 1));
    EXPECT_TRUE(f.AddMark(kSolarKind, "0214", 100));
    EXPECT_TRUE(f.AddMark(kSolarKind, "0214", 200));
    ASSERT_EQ(f.SolarMarks().Count(), 1u);
    EXPECT_EQ(f.SolarMarks()[0], (TColorStringList::Item{"0214", 200}));
    EXPECT_EQ(f.GetSolarMarkColor(D(2024, 2, 14)), 200);
    EXPECT_EQ(f.GetSolarMarkColor(D(2024, 2, 15)), -1);

    f.DeleteMark(kSolarKind, "0301");
    EXPECT_EQ(f.SolarMarks().Count(), 1u);
    f.DeleteMark(kLunarKind, "0214");
    EXPECT_EQ(f.SolarMarks().Count(), 1u);
    f.DeleteMark(9, "0214");
    f.DeleteMark(kSolarKind, "0214");
    EXPECT_EQ(f.SolarMarks().Count(), 0u);
    EXPECT_EQ(f.GetSolarMarkColor(D(2024, 2, 14)), -1);
}

TEST(FestivalList, MarkColourPrefersLunarThenGregorianThenWeek) {
    TFestivalList f;
    const TDateTime day = D(2024, 2, 10); // lunar 0101, second Saturday of February
    EXPECT_EQ(GetMarkColor(f, day), -1);
    f.AddMark(kWeekKind, "0226", 3);
    EXPECT_EQ(GetMarkColor(f, day), 3);
    f.AddMark(kSolarKind, "0210", 2);
    EXPECT_EQ(GetMarkColor(f, day), 2);
    f.AddMark(kLunarKind, "0101", 1);
    EXPECT_EQ(GetMarkColor(f, day), 1);
    // The week key counted from the end wins: 2024-02-24 is the 4th and the last Saturday.
    f.AddMark(kWeekKind, "0246", 4);
    f.AddMark(kWeekKind, "0256", 5);
    EXPECT_EQ(f.GetWeekMarkColor(D(2024, 2, 24)), 5);
    // A mark of colour 0 is a mark.
    f.AddMark(kSolarKind, "0704", 0);
    EXPECT_EQ(GetMarkColor(f, D(2024, 7, 4)), 0);
}

TEST(FestivalList, AssignAndListSettersCopyEverything) {
    TFestivalList a;
    a.AddMark(kLunarKind, "0505", 77);
    a.AddFestival(kSolarKind, "0102", 5, "测试");
    TFestivalList b;
    b.AddMark(kSolarKind, "0909", 1);
    b.Assign(a);
    EXPECT_EQ(b.SolarMarks().Count(), 0u);
    EXPECT_EQ(b.LunarMarks().Items(), a.LunarMarks().Items());
    EXPECT_EQ(b.SolarFestivals().Items(), a.SolarFestivals().Items());
    EXPECT_EQ(b.GetSolarFestival(D(2024, 1, 2)), (TFestival{"测试", 5}));
    b.Assign(b);
    EXPECT_EQ(b.SolarFestivals().Count(), a.SolarFestivals().Count());

    // A list restored from stored text: sorted, colour 0, duplicates dropped.
    TColorStringList stored;
    stored.SetTexts({"1225=圣诞", "0101=元旦", "0101=元旦"});
    ASSERT_EQ(stored.Count(), 2u);
    EXPECT_EQ(stored[0], (TColorStringList::Item{"0101=元旦", 0}));
    b.SetFestivalList(kSolarKind, stored);
    EXPECT_EQ(b.GetSolarFestival(D(2024, 12, 25)), (TFestival{"圣诞", 0}));
    EXPECT_EQ(b.GetSolarFestival(D(2024, 1, 2)), TFestival{});
    b.SetFestivalList(7, TColorStringList{}); // ignored
    EXPECT_EQ(b.SolarFestivals().Count(), 2u);
}

TEST(FestivalList, GridListIsBlackWithMothersDay) {
    const TFestivalList g = MakeGridFestivalList();
    EXPECT_EQ(g.SolarFestivals().Count(), 99u);
    EXPECT_EQ(g.LunarFestivals().Count(), 13u);
    EXPECT_EQ(g.WeekFestivals().Count(), 12u);
    for (const auto* list : {&g.SolarFestivals(), &g.LunarFestivals(), &g.WeekFestivals()})
        for (const auto& i : list->Items()) EXPECT_EQ(i.Color, 0) << i.Text;
    EXPECT_EQ(g.GetWeekFestival(D(2024, 5, 12)), (TFestival{"母亲节", 0}));
    EXPECT_EQ(GetFestivals(g, D(2024, 5, 12)), (TFestival{"国际护士节 母亲节", 0}));
    EXPECT_EQ(g.GetSolarFestival(D(2024, 3, 21)).Name, "世界森林日 消除种族歧视国际日 世界儿歌日");
    EXPECT_EQ(g.GetSolarFestival(D(2024, 10, 1)).Name, "国庆节 世界音乐日 国际老人节 国际音乐日");
    EXPECT_EQ(g.GetSolarFestival(D(2024, 10, 8)).Name, "全国高血压日 世界视觉日");
}

TEST(FestivalList, ColorStringListOrderIgnoresCase) {
    TColorStringList l;
    EXPECT_TRUE(l.Add("b", 1));
    EXPECT_TRUE(l.Add("A", 2));
    EXPECT_FALSE(l.Add("B", 3));
    EXPECT_EQ(l.Texts(), (std::vector<std::string>{"A", "b"}));
    EXPECT_EQ(l.IndexOf("a"), 0);
    EXPECT_EQ(l.IndexOf("c"), -1);
    l.Delete(5); // out of range: nothing happens
    EXPECT_EQ(l.Count(), 2u);
}

} // namespace
} // namespace tobu
