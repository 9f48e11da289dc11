// The rules of `tobu config`: what a hand-edited skin.ini shows as, and which typed values are
// taken, normalised, clamped or refused.
#include <gtest/gtest.h>

#include "settings/config_rules.h"
#include "settings/skin_test_util.h"

namespace {

using namespace tobu;

std::string Get(const IniFile& ini, const char* key) {
    const ConfigKey* k = FindConfigKey(key);
    EXPECT_NE(k, nullptr) << key;
    return k ? ConfigGet(ini, *k).value : "";
}

ConfigParsed Parse(const char* key, std::string_view value,
                   const std::string& dir = "/nonexistent/") {
    const ConfigKey* k = FindConfigKey(key);
    EXPECT_NE(k, nullptr) << key;
    return k ? ParseConfigValue(*k, value, dir) : ConfigParsed{};
}

TEST(ConfigRules, TheKeysAreTheDialogsSaveListPlusThePackages) {
    std::string names;
    for (const ConfigKey& k : ConfigKeys()) names += k.Name() + " ";
    EXPECT_EQ(names,
              "LED.LEDFont LED.FontName LED.FontSize LED.FontColor LED.FontBold LED.FontItalic "
              "LED.FontUnderline LED.FontStrikeOut BAR.Tr BAR.OnTop BAR.OnStartHide BAR.DefWin "
              "BAR.DateLoop CLOCK.Alarm CLOCK.HalfAlarm CLOCK.AlarmType CLOCK.HotKey1 "
              "CLOCK.HotKey2 CLOCK.HotKey MSG.Auto MSG.AutoSec MSG.Tran MSG.CalendarLX "
              "MSG.CalendarStep TIME.AutoChcek TIME.StepHour SKIN.SkinFile SKIN.ClockFile ");
    EXPECT_EQ(FindConfigKey("msg.AUTOSEC"), FindConfigKey("MSG.AutoSec"));
    EXPECT_EQ(FindConfigKey("BAR.Left"), nullptr);
    EXPECT_EQ(FindConfigKey("AutoSec"), nullptr);
}

TEST(ConfigRules, HandEditedValuesShowAsTheDialogWouldShowThem) {
    IniFile ini = IniFile::FromBytes("[MSG]\r\nAutoSec=0x1F\r\nTran=$1F\r\nAuto=abc\r\n"
                                     "CalendarLX=7\r\nCalendarStep=-3\r\n"
                                     "[BAR]\r\nTr=9999\r\nDefWin=-1\r\nOnTop=$10\r\n"
                                     "[CLOCK]\r\nHotKey1=alt + ctrl\r\nHotKey2=t\r\nAlarmType=3\r\n"
                                     "[LED]\r\nFontName=\r\nFontColor=-1\r\nFontSize=0\r\n"
                                     "[TIME]\r\nStepHour=1001\r\n[SKIN]\r\nSkinFile= Dark.sk \r\n");
    EXPECT_EQ(Get(ini, "MSG.AutoSec"), "31");
    EXPECT_EQ(Get(ini, "MSG.Tran"), "55");      // $1F = 31, clamped up
    EXPECT_EQ(Get(ini, "MSG.Auto"), "1");       // unreadable: the default
    EXPECT_EQ(Get(ini, "MSG.CalendarLX"), "1"); // outside the list: the default item
    EXPECT_EQ(Get(ini, "MSG.CalendarStep"), "1");
    EXPECT_EQ(Get(ini, "BAR.Tr"), "255");
    EXPECT_EQ(Get(ini, "BAR.DefWin"), "1");
    EXPECT_EQ(Get(ini, "BAR.OnTop"), "1");
    EXPECT_EQ(Get(ini, "CLOCK.HotKey1"), ""); // not exactly one of the items
    EXPECT_EQ(Get(ini, "CLOCK.HotKey2"), "");
    EXPECT_EQ(Get(ini, "CLOCK.AlarmType"), "3");
    EXPECT_EQ(Get(ini, "LED.FontName"), "Tahoma");
    EXPECT_EQ(Get(ini, "LED.FontColor"), "16777215");
    EXPECT_EQ(Get(ini, "LED.FontSize"), "1");
    EXPECT_EQ(Get(ini, "TIME.StepHour"), "1000");
    EXPECT_EQ(Get(ini, "SKIN.SkinFile"), "Dark.sk");
    EXPECT_EQ(Get(ini, "LED.LEDFont"), "1"); // missing: the default

    ConfigValue v = ConfigGet(ini, *FindConfigKey("MSG.AutoSec"));
    EXPECT_EQ(v.stored, "0x1F");
    ConfigValue missing = ConfigGet(ini, *FindConfigKey("MSG.CalendarStep"));
    EXPECT_EQ(missing.stored, "-3");
    EXPECT_FALSE(ConfigGet(ini, *FindConfigKey("BAR.DateLoop")).stored);
    EXPECT_EQ(ConfigGet(ini, *FindConfigKey("CLOCK.AlarmType")).text, "消息报时");
    EXPECT_EQ(ConfigGet(ini, *FindConfigKey("BAR.DefWin")).text, "时钟");
}

TEST(ConfigRules, TypedValuesAreNormalisedClampedOrRefused) {
    // Booleans in any case, blanks around ignored.
    EXPECT_EQ(Parse("BAR.OnTop", " Yes ").value, "1");
    EXPECT_EQ(Parse("BAR.OnTop", "OFF").value, "0");
    EXPECT_FALSE(Parse("BAR.OnTop", "2").ok);
    // Integers in the file's forms, clamped as the dialog does.
    ConfigParsed tr = Parse("BAR.Tr", "-7");
    EXPECT_TRUE(tr.ok);
    EXPECT_EQ(tr.value, "55");
    EXPECT_TRUE(tr.clamped);
    EXPECT_EQ(Parse("MSG.AutoSec", "$1F").value, "31");
    EXPECT_FALSE(Parse("MSG.AutoSec", "0x1F").clamped);
    EXPECT_EQ(Parse("MSG.AutoSec", "0X1000").value, "3600");
    EXPECT_FALSE(Parse("MSG.AutoSec", "99999999999").ok);
    EXPECT_FALSE(Parse("MSG.AutoSec", "12abc").ok);
    EXPECT_FALSE(Parse("MSG.AutoSec", "").ok);
    // Lists by index or by caption, nothing else.
    EXPECT_EQ(Parse("BAR.DefWin", "日历").value, "2");
    EXPECT_EQ(Parse("MSG.CalendarLX", "2").value, "2");
    EXPECT_FALSE(Parse("MSG.CalendarLX", "3").ok);
    EXPECT_FALSE(Parse("CLOCK.AlarmType", "语音").ok);
    // Hot keys.
    EXPECT_EQ(Parse("CLOCK.HotKey1", "ctrl+SHIFT").value, "Ctrl + Shift");
    EXPECT_EQ(Parse("CLOCK.HotKey1", " alt +ctrl+ shift").value, "Alt + Ctrl + Shift");
    EXPECT_TRUE(Parse("CLOCK.HotKey1", "").ok);
    EXPECT_FALSE(Parse("CLOCK.HotKey1", "Shift + Alt").ok);
    EXPECT_EQ(Parse("CLOCK.HotKey2", "t").value, "T");
    EXPECT_FALSE(Parse("CLOCK.HotKey2", "TT").ok);
    EXPECT_FALSE(Parse("CLOCK.HotKey2", "5").ok);
    // Fonts and colours.
    EXPECT_EQ(Parse("LED.FontName", "宋体").value, "宋体");
    EXPECT_FALSE(Parse("LED.FontName", "").ok);
    EXPECT_FALSE(Parse("LED.FontName", "a\tb").ok);
    EXPECT_FALSE(Parse("LED.FontName", "Emoji 😀").ok); // GBK cannot hold it
    EXPECT_EQ(Parse("LED.FontColor", "#FF8000").value, "33023");
    EXPECT_EQ(Parse("LED.FontColor", "0xFFFFFF").value, "16777215");
    EXPECT_FALSE(Parse("LED.FontColor", "16777216").ok);
    EXPECT_FALSE(Parse("LED.FontColor", "#FF80").ok);
    EXPECT_FALSE(Parse("LED.FontColor", "#GG8000").ok);
}

TEST(ConfigRules, PackagesMustBeWholeFilesOfVersionOne) {
    using namespace tobu::testing_skin;
    TempDir dir;
    std::filesystem::create_directories(dir.path() + "Skin");
    std::filesystem::create_directories(dir.path() + "Clock");
    Bitmap32 sheet = PositionSheet(332, 620);
    dir.Write("Skin/Good.sk", Package("[VER]\nSkinVer=1.0\n", sheet));
    dir.Write("Skin/Old.sk", Package("[VER]\nSkinVer=0.9\n", sheet));
    std::string good = Package("[VER]\nSkinVer=1.0\n", sheet);
    dir.Write("Skin/Cut.sk", good.substr(0, good.size() / 2));
    dir.Write("Clock/Face.cl",
              Package("[VER]\nClockVer=1.0\n[Clock]\nClockLeft=0\nClockTop=0\nClockWidth=100\n"
                      "ClockHeight=100\n",
                      PositionSheet(200, 200)));
    const std::string d = dir.path();
    EXPECT_EQ(Parse("SKIN.SkinFile", "Good.sk", d).value, "Good.sk");
    EXPECT_TRUE(Parse("SKIN.SkinFile", "", d).ok);
    EXPECT_FALSE(Parse("SKIN.SkinFile", "Old.sk", d).ok);
    EXPECT_FALSE(Parse("SKIN.SkinFile", "Cut.sk", d).ok);
    EXPECT_FALSE(Parse("SKIN.SkinFile", "Missing.sk", d).ok);
    EXPECT_FALSE(Parse("SKIN.SkinFile", "../Skin/Good.sk", d).ok);
    EXPECT_FALSE(Parse("SKIN.SkinFile", "Face.cl", d).ok);
    EXPECT_EQ(Parse("SKIN.ClockFile", "Face.cl", d).value, "Face.cl");
    EXPECT_FALSE(Parse("SKIN.ClockFile", "Good.sk", d).ok);
}

} // namespace
