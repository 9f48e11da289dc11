#include "settings/settings_keys.h"

#include <gtest/gtest.h>
#include <set>

using namespace tobu;

TEST(SettingsKeys, TableHoldsEveryKeyOnceInFileOrder) {
    auto all = AllKeys();
    ASSERT_EQ(all.size(), 34u);
    std::set<std::string> seen;
    for (const KeyInfo& k : all) {
        std::string id = std::string(k.section) + "/" + std::string(k.name);
        for (char& c : id) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(seen.insert(id).second) << id;
    }
    // Sections appear as contiguous blocks in this order.
    std::vector<std::string_view> order;
    for (const KeyInfo& k : all)
        if (order.empty() || order.back() != k.section) order.push_back(k.section);
    EXPECT_EQ(order, (std::vector<std::string_view>{"SKIN", "LED", "CLOCK", "TIME", "MSG", "BAR",
                                                    "CHILD"}));
    EXPECT_NE(FindKeyInfo("time", "autochcek"), nullptr); // spelled as the file spells it
    EXPECT_EQ(FindKeyInfo("TIME", "AutoCheck"), nullptr);
}

TEST(SettingsKeys, DefaultsAndRanges) {
    struct Expect {
        const char* section;
        const char* name;
        KeyType type;
        int def;
        int min, max;
    };
    const Expect expected[] = {
        {"LED", "LEDFont", KeyType::Bool, 1, INT_MIN, INT_MAX},
        {"LED", "FontSize", KeyType::Int, 18, INT_MIN, INT_MAX},
        {"LED", "FontColor", KeyType::Int, 16777215, INT_MIN, INT_MAX},
        {"CLOCK", "AlarmType", KeyType::Int, 0, 0, 3},
        {"TIME", "StepHour", KeyType::Int, 1, 1, 1000},
        {"MSG", "Auto", KeyType::Bool, 1, INT_MIN, INT_MAX},
        {"MSG", "AutoSec", KeyType::Int, 5, 5, 3600},
        {"MSG", "Tran", KeyType::Int, 200, 55, 255},
        {"MSG", "CalendarLX", KeyType::Int, 1, 0, 2},
        {"MSG", "CalendarStep", KeyType::Int, 5, 1, 600},
        {"BAR", "Top", KeyType::Int, 0, INT_MIN, INT_MAX},
        {"BAR", "DefWin", KeyType::Int, 1, 0, 3},
        {"BAR", "Tr", KeyType::Int, 200, 55, 255},
        {"BAR", "DateLoop", KeyType::Bool, 0, INT_MIN, INT_MAX},
        {"CHILD", "Index", KeyType::Int, 0, 0, 3},
        {"CHILD", "Left", KeyType::Int, 0, INT_MIN, INT_MAX},
    };
    for (const Expect& e : expected) {
        const KeyInfo* k = FindKeyInfo(e.section, e.name);
        ASSERT_NE(k, nullptr) << e.name;
        EXPECT_EQ(k->type, e.type) << e.name;
        EXPECT_EQ(k->int_def, e.def) << e.name;
        EXPECT_EQ(k->min, e.min) << e.name;
        EXPECT_EQ(k->max, e.max) << e.name;
        EXPECT_FALSE(k->computed_default) << e.name;
    }
    EXPECT_EQ(FindKeyInfo("LED", "FontName")->string_def, "Tahoma");
    EXPECT_TRUE(FindKeyInfo("BAR", "Left")->computed_default);
    EXPECT_TRUE(FindKeyInfo("CHILD", "Top")->computed_default);
    EXPECT_EQ(keys::BarTr.Clamp(300), 255);
    EXPECT_EQ(keys::BarTr.Clamp(0), 55);
    EXPECT_EQ(keys::MsgAutoSec.Clamp(4000), 3600);
    EXPECT_FALSE(keys::BarTop.HasRange());
}

TEST(SettingsKeys, TypedReadAndWrite) {
    IniFile ini = IniFile::FromBytes("[bar]\r\ntr=0x1F\r\nontop=2\r\n[child]\r\ntop=letters\r\n");
    EXPECT_EQ(Read(ini, keys::BarTr), 31);
    EXPECT_TRUE(Read(ini, keys::BarOnTop));
    EXPECT_EQ(Read(ini, keys::ChildTop, 434), 434); // computed default given by the caller
    EXPECT_EQ(Read(ini, keys::BarLeft, 948), 948);
    EXPECT_EQ(Read(ini, keys::LedFontName), "Tahoma");
    EXPECT_TRUE(Read(ini, keys::MsgAuto));

    EXPECT_TRUE(Write(ini, keys::BarOnTop, false));
    EXPECT_TRUE(Write(ini, keys::BarLeft, -100));
    EXPECT_TRUE(Write(ini, keys::ClockHotKey1, "Alt + Ctrl"));
    EXPECT_EQ(ini.Serialize(), "[bar]\r\ntr=0x1F\r\nontop=0\r\nLeft=-100\r\n[child]\r\n"
                               "top=letters\r\n[CLOCK]\r\nHotKey1=Alt + Ctrl\r\n");
}

TEST(SettingsKeys, TimeFontRoundTrip) {
    IniFile ini = IniFile::FromBytes("");
    EXPECT_EQ(ReadTimeFont(ini), TimeFont{});
    TimeFont f{"楷体_GB2312", 9, 0x00FF00, false, true, false, true};
    ASSERT_TRUE(WriteTimeFont(ini, f));
    EXPECT_EQ(ini.Serialize().substr(0, 7), "[LED]\r\n");
    EXPECT_EQ(ReadTimeFont(IniFile::FromBytes(ini.Serialize())), f);
}
