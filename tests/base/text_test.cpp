#include "base/text.h"

#include <gtest/gtest.h>

using namespace tobu;

TEST(Text, IntegersAsSettingsFilesWriteThem) {
    EXPECT_EQ(ParseInt("0x1F"), 31);
    EXPECT_EQ(ParseInt("0X1f"), 31);
    EXPECT_EQ(ParseInt("$FF"), 255);
    EXPECT_EQ(ParseInt("-42"), -42);
    EXPECT_EQ(ParseInt("  +7"), 7);
    EXPECT_EQ(ParseInt("0xFFFFFFFF"), -1);
    EXPECT_EQ(ParseInt("-2147483648"), INT32_MIN);
    // A sign before hexadecimal negates the 32-bit pattern, the smallest integer included.
    EXPECT_EQ(ParseInt("-0x80000000"), INT32_MIN);
    EXPECT_EQ(ParseInt("-$80000000"), INT32_MIN);
    EXPECT_EQ(ParseInt("-0xFFFFFFFF"), 1);
    EXPECT_EQ(ParseInt("-0x10"), -16);
    EXPECT_FALSE(ParseInt("2147483648"));
    EXPECT_FALSE(ParseInt("abc"));
    EXPECT_FALSE(ParseInt("12abc"));
    EXPECT_FALSE(ParseInt(""));
    EXPECT_FALSE(ParseInt("0x"));
    EXPECT_FALSE(ParseInt("99999999999999999999"));
    EXPECT_EQ(StrToIntDef("letters", 5), 5);
}

TEST(Text, CaseAndTrim) {
    EXPECT_TRUE(SameText("Alt + Ctrl", "alt + ctrl"));
    EXPECT_FALSE(SameText("Alt", "Alt "));
    EXPECT_EQ(Trim("  /HIDE \t"), "/HIDE");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Split("a*b**", '*'), (std::vector<std::string>{"a", "b", "", ""}));
}

TEST(Text, GbkConversionAndByteCounts) {
    const std::string utf8 = "Tobu桌面时钟";
    std::string gbk = Utf8ToGbk(utf8);
    EXPECT_EQ(gbk.size(), 12u);
    EXPECT_EQ(GbkToUtf8(gbk), utf8);
    EXPECT_EQ(GbkByteCount("时钟报时：14:00:00"), 18u);
    EXPECT_EQ(GbkTruncate("桌面时钟", 5), "桌面");
    EXPECT_EQ(GbkTruncate("ab桌", 3), "ab");
    EXPECT_EQ(Utf8ToGbk("\xF0\x9F\x98\x80x"), "?x"); // no GBK form
    EXPECT_EQ(GbkToUtf8("\xFF"
                        "a"),
              "\xEF\xBF\xBD"
              "a");
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_FALSE(IsValidUtf8("\xC3"));
}

// Long text converts as the sum of its characters, wherever the characters fall, including
// characters without a GBK form (U+FFFD, what malformed GBK reads as), stray UTF-8 bytes and
// characters split at the end.
TEST(Text, LongTextConvertsCharacterByCharacter) {
    const std::vector<std::string> chars = {
        "中", "\xEF\xBF\xBD", "a", "\xF0\x9F\x98\x80", "\x80", "\xE4\xB8", "é", "\xC0", "€"};
    for (std::size_t start = 0; start < 8; ++start) {
        std::string text(start, 'x');
        std::string expected = text;
        for (int i = 0; i < 400; ++i) {
            const std::string& c = chars[(i * 7 + start) % chars.size()];
            // A split character before a full one would join it; keep it before ASCII.
            const std::string piece = c == "\xE4\xB8" ? c + "b" : c;
            text += piece;
            expected += Utf8ToGbk(piece);
        }
        EXPECT_EQ(Utf8ToGbk(text), expected) << "start " << start;
    }
    std::string unmappable;
    for (int i = 0; i < 30000; ++i) unmappable += "\xEF\xBF\xBD";
    EXPECT_EQ(Utf8ToGbk(unmappable), std::string(30000, '?'));
}
