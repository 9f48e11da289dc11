#include "timeservices/world_time.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace tobu {
namespace {

TDateTime Utc(int y, int mo, int d, int h = 0, int mi = 0) {
    return EncodeDateTime(y, mo, d, h, mi, 0);
}

std::string Iso(TDateTime v) {
    return FormatDateTime("yyyy-mm-dd hh:nn", v);
}

TEST(WorldTime, FieldReaders) {
    for (auto [text, value] : std::initializer_list<std::pair<const char*, double>>{
             {"8", 8},
             {"-3.5", -3.5},
             {"5.", 5},
             {".5", .5},
             {"+8", 8},
             {"5.75", 5.75},
             {"24", 24},
             {"-24", -24},
             {"24.5", 0},
             {"1e1", 0},
             {"nan", 0},
             {"0x10", 0},
             {"5,5", 0},
             {"\xEF\xBC\x98", 0},
             {"", 0},
             {".", 0},
             {"+", 0},
             {"--1", 0},
             {"99999999999999999999999999999999999999", 0}})
        EXPECT_EQ(ParseOffset(text), value) << text;
    EXPECT_EQ(ParseSmallInt("+12"), 12);
    EXPECT_EQ(ParseSmallInt("-7"), -7);
    EXPECT_EQ(ParseSmallInt("123456789"), 123456789);
    EXPECT_EQ(ParseSmallInt("1234567890"), 0);
    EXPECT_EQ(ParseSmallInt("3a"), 0);

    bool bad = false;
    EXPECT_EQ(ParseDstField("3/29 2:00", 2026, bad), (DstRule{3, 29, 2, 0}));
    EXPECT_EQ(ParseDstField("3/29 0:30:45", 2026, bad), (DstRule{3, 29, 0, 0})); // minute "30:45"
    for (const char* none : {"", "-", "3-29 2:00", "3/29", "3/29 200"}) {
        EXPECT_FALSE(ParseDstField(none, 2026, bad)) << none;
        EXPECT_FALSE(bad) << none;
    }
    for (const char* impossible :
         {"13/1 0:00", "2/29 0:00", "4/31 1:00", "3/29 24:00", "3/29 1:60", "x/29 1:00"}) {
        EXPECT_FALSE(ParseDstField(impossible, 2026, bad));
        EXPECT_TRUE(bad) << impossible;
    }
    EXPECT_TRUE(ParseDstField("2/29 0:00", 2028, bad));
}

TEST(WorldTime, ReadingLinesCountriesAndErrors) {
    const std::string file =
        Utf8ToGbk("8|中国|Beijing|北京|UTC/GMT +8 小时 (东八区)|北纬 39°54', 东经 116°23'\r\n"
                  " \t \r\n"
                  "8 | 中国 |  Shanghai|上海\r"
                  "1|法国|Paris|巴黎|z|p|3/29 2:00|10/25 3:00|extra|more\n"
                  "8|中国|Hong Kong|香港\n"
                  "9|東京|Tokyo|東京");
    auto list = ParseTimeZoneList(file, 2026);
    ASSERT_EQ(list.status, WorldTimeList::Status::Ok);
    ASSERT_EQ(list.countries.size(), 4u);
    EXPECT_EQ(list.countries[0].name, "中国");
    ASSERT_EQ(list.countries[0].cities.size(), 2u);
    EXPECT_EQ(list.countries[0].cities[1].second, "Shanghai");
    EXPECT_EQ(list.countries[0].cities[1].zone, "");
    EXPECT_EQ(list.countries[2].name, "中国"); // again after another country: a second entry
    EXPECT_EQ(list.countries[1].cities[0].end, (DstRule{10, 25, 3, 0}));
    // 東 is 0x96 0x7C in GBK: its second byte is no separator.
    EXPECT_EQ(list.countries[3].name, "東京");
    EXPECT_EQ(list.countries[3].cities[0].city, "東京");

    // The eighth field is the rest of the line.
    list = ParseTimeZoneList("1|c|s|n|z|p|3/29 2:00|10/25 3:00|x", 2026);
    EXPECT_EQ(list.countries[0].cities[0].end, (DstRule{10, 25, 3, 0})); // minute "00|x" reads 0

    auto error = [](const std::string& text) {
        auto l = ParseTimeZoneList(text, 2026);
        EXPECT_EQ(l.status, WorldTimeList::Status::Error) << text;
        EXPECT_TRUE(l.countries.empty());
        return l.error_line;
    };
    EXPECT_EQ(error("8|a|s|n|z|p|||\n\n1|b|s|n|z|p|13/1 0:00|10/1 0:00"), 3);
    EXPECT_EQ(error("\n8||s|n"), 2);
    EXPECT_EQ(error("1|a|s|n|z|p|2/29 0:00|3/1 0:00"), 1);
    EXPECT_EQ(ParseTimeZoneList("8|a\n8||x", 2026).countries.size(), 2u);
    EXPECT_EQ(ParseTimeZoneList("", 2026).countries.size(), 0u);
    EXPECT_EQ(ParseTimeZoneList(std::string("8|a\0b|c", 7), 2026).countries[0].name,
              std::string("a\0b", 3));
    EXPECT_EQ(ParseTimeZoneList("8|\x81\x20x", 2026).countries[0].name, "\xEF\xBF\xBD x");
    EXPECT_EQ(ReadTimeZoneList("/nonexistent/TimeZone.lst", 2026).status,
              WorldTimeList::Status::Unreadable);
    EXPECT_EQ(ReadTimeZoneList("/tmp", 2026).status, WorldTimeList::Status::Unreadable);
}

TEST(WorldTime, CityTimesAndDaylightSaving) {
    WorldCity plain{"北京", "Beijing", "z", "p", 8, {}, {}};
    auto v = ViewCity("中国", plain, Utc(2026, 7, 1, 12), 2026);
    EXPECT_EQ(v.title, "中国 - 北京 Beijing");
    EXPECT_EQ(v.time_line, "2026年07月01日 20:00:00 ");
    EXPECT_FALSE(v.start_line);
    EXPECT_FALSE(v.dst);

    WorldCity paris{"巴黎", "Paris", "z", "p", 1, DstRule{3, 29, 2, 0}, DstRule{10, 25, 3, 0}};
    v = ViewCity("法国", paris, Utc(2026, 7, 1, 12), 2026);
    EXPECT_TRUE(v.dst);
    EXPECT_EQ(v.time_line, "2026年07月01日 14:00:00 (夏时制)");
    EXPECT_EQ(v.start_line, "夏时制开始日期: 2026年03月29日 02:00");
    EXPECT_EQ(v.end_line, "夏时制结束日期: 2026年10月25日 03:00");
    EXPECT_FALSE(ViewCity("法国", paris, Utc(2026, 12, 1, 12), 2026).dst);
    // Inclusive at both ends, compared in standard time (UTC + 1).
    EXPECT_TRUE(DstInForce(paris, Utc(2026, 3, 29, 1, 0), 2026));
    EXPECT_FALSE(DstInForce(paris, Utc(2026, 3, 29, 0, 59), 2026));
    EXPECT_TRUE(DstInForce(paris, Utc(2026, 10, 25, 2, 0), 2026));
    EXPECT_FALSE(DstInForce(paris, Utc(2026, 10, 25, 2, 1), 2026));

    WorldCity south{"s", "S", "", "", -3, DstRule{10, 18, 0, 0}, DstRule{3, 15, 0, 0}};
    EXPECT_TRUE(DstInForce(south, Utc(2026, 1, 1, 12), 2026));
    EXPECT_TRUE(DstInForce(south, Utc(2026, 11, 1, 12), 2026));
    EXPECT_FALSE(DstInForce(south, Utc(2026, 6, 1, 12), 2026));

    EXPECT_EQ(Iso(CityTime(Utc(2026, 1, 1), 5.75, false)), "2026-01-01 05:45");
    EXPECT_EQ(Iso(CityTime(Utc(2026, 1, 1), -3.5, false)), "2025-12-31 20:30");
    EXPECT_EQ(Iso(CityTime(Utc(2026, 1, 1), -3.5, true)), "2025-12-31 21:30");
    EXPECT_EQ(SplitOffset(-0.5).minutes, -30);
    EXPECT_EQ(SplitOffset(0.0083333).minutes, 0); // 0.49998 minutes
    EXPECT_EQ(SplitOffset(1.0 / 120).minutes, 1); // half a minute away from zero
    EXPECT_EQ(SplitOffset(-1.0 / 120).minutes, -1);

    // Only a start: no daylight saving (no date of 1899, no daylight time to the year end).
    WorldCity half{"h", "H", "", "", 1, DstRule{3, 29, 2, 0}, std::nullopt};
    v = ViewCity("x", half, Utc(2026, 12, 31, 12), 2026);
    EXPECT_FALSE(v.dst);
    EXPECT_FALSE(v.end_line);
    // A plain city after a daylight-saving city carries no extra hour.
    EXPECT_EQ(ViewCity("x", plain, Utc(2026, 7, 1, 12), 2026).time_line,
              "2026年07月01日 20:00:00 ");
    // The year is decided with each view: a date that does not exist that year means none.
    WorldCity leap{"l", "L", "", "", 0, DstRule{2, 29, 0, 0}, DstRule{10, 1, 0, 0}};
    EXPECT_TRUE(ViewCity("x", leap, Utc(2028, 5, 1), 2028).dst);
    EXPECT_FALSE(ViewCity("x", leap, Utc(2027, 5, 1), 2027).dst);
}

} // namespace
} // namespace tobu
