// The settings reader: every key of skin.ini with its loading rule, in one typed value.
#include "settings/clock_settings.h"

#include "base/text.h"
#include "settings/temp_dir.h"

#include <climits>
#include <filesystem>
#include <gtest/gtest.h>

using namespace tobu;
using tobu::testing::TempDir;

namespace {

class ClockSettingsTest : public ::testing::Test {
protected:
    TempDir dir;
    ScreenFacts screen{1280, 332};

    ClockSettings Read(const std::string& ini_text) {
        TempDir::Put(dir.File("skin.ini"), ini_text);
        return ReadClockSettings(dir.File("skin.ini"), screen);
    }
};

} // namespace

TEST_F(ClockSettingsTest, EmptyFileOnA1280PixelScreenGivesTheDefaults) {
    ClockSettings s = Read("");
    EXPECT_TRUE(s.from_file);
    EXPECT_EQ(s.skin.skin_file, "");
    EXPECT_EQ(s.skin.clock_file, "");
    EXPECT_EQ(s.skin.win_file, "");
    EXPECT_EQ(s.led.led_font, true);
    EXPECT_EQ(s.led.font, TimeFont{});
    EXPECT_EQ(s.led.font.name, "Tahoma");
    EXPECT_EQ(s.led.font.size, 18);
    EXPECT_EQ(s.led.font.color, 16777215);
    EXPECT_EQ(s.clock.alarm, false);
    EXPECT_EQ(s.clock.half_alarm, false);
    EXPECT_EQ(s.clock.alarm_type, 0);
    EXPECT_EQ(s.clock.hot_key, false);
    EXPECT_EQ(s.time.auto_check, false);
    EXPECT_EQ(s.time.step_hour, 1);
    EXPECT_EQ(s.msg, (MessageOptions{5, 200, 1, 5, 300000}));
    EXPECT_EQ(s.bar.left, 948);
    EXPECT_EQ(s.bar.top, 0);
    EXPECT_EQ(s.bar.on_top, false);
    EXPECT_EQ(s.bar.on_start_hide, false);
    EXPECT_EQ(s.bar.def_win, 1);
    EXPECT_EQ(s.bar.tr, 200);
    EXPECT_EQ(s.bar.alpha, 200);
    EXPECT_EQ(s.child.index, 0);
    EXPECT_FALSE(s.child.left.has_value());

    // A missing file reads the same, and reading never creates it.
    std::filesystem::remove(dir.File("skin.ini"));
    EXPECT_EQ(ReadClockSettings(dir.File("skin.ini"), screen), s);
    EXPECT_EQ(dir.EntryCount(), 0u);
}

TEST_F(ClockSettingsTest, StoredValuesAreRead) {
    ClockSettings s =
        Read("[SKIN]\r\nSkinFile=Blue.sk\r\nClockFile=Round.cl\r\nWinFile=Skin/Win.sk\r\n"
             "[LED]\r\nLEDFont=0\r\nFontName=" +
             Utf8ToGbk("宋体") +
             "\r\nFontSize=24\r\nFontColor=255\r\n"
             "FontBold=1\r\nFontItalic=0\r\nFontUnderline=1\r\nFontStrikeOut=1\r\n"
             "[CLOCK]\r\nAlarm=1\r\nHalfAlarm=1\r\nAlarmType=3\r\nHotKey=1\r\n"
             "HotKey1=Alt + Ctrl\r\nHotKey2=T\r\n"
             "[TIME]\r\nAutoChcek=1\r\nStepHour=12\r\n"
             "[MSG]\r\nAuto=1\r\nAutoSec=30\r\nTran=100\r\nCalendarLX=2\r\n"
             "CalendarStep=10\r\n"
             "[BAR]\r\nLeft=100\r\nTop=200\r\nOnTop=1\r\nOnStartHide=1\r\nDefWin=3\r\n"
             "Tr=180\r\n[CHILD]\r\nIndex=2\r\nLeft=7\r\n");
    EXPECT_EQ(s.skin.skin_file, "Blue.sk");
    EXPECT_EQ(s.skin.clock_file, "Round.cl");
    EXPECT_EQ(s.skin.win_file, "Skin/Win.sk");
    EXPECT_EQ(s.led.led_font, false);
    EXPECT_EQ(s.led.font, (TimeFont{"宋体", 24, 255, true, false, true, true}));
    EXPECT_EQ(s.clock.alarm, true);
    EXPECT_EQ(s.clock.half_alarm, true);
    EXPECT_EQ(s.clock.alarm_type, 3);
    EXPECT_EQ(s.clock.hot_key, true);
    EXPECT_EQ(s.clock.hot_key1, "Alt + Ctrl");
    EXPECT_EQ(s.clock.hot_key2, "T");
    EXPECT_EQ(s.time.auto_check, true);
    EXPECT_EQ(s.time.step_hour, 12);
    // CalendarStep 10: the calendar-mark timer runs every 10 minutes.
    EXPECT_EQ(s.msg, (MessageOptions{30, 100, 2, 10, 600000, true, 30}));
    EXPECT_EQ(s.bar.left, 100);
    EXPECT_EQ(s.bar.top, 200);
    EXPECT_EQ(s.bar.on_top, true);
    EXPECT_EQ(s.bar.on_start_hide, true);
    EXPECT_EQ(s.bar.def_win, 3);
    EXPECT_EQ(s.bar.tr, 180);
    EXPECT_EQ(s.bar.alpha, 180);
    EXPECT_EQ(s.child.index, 2);
    EXPECT_EQ(s.child.left, 7);
    EXPECT_FALSE(s.child.top.has_value());
}

TEST_F(ClockSettingsTest, BarPositionRules) {
    ClockSettings s = Read("[BAR]\r\nLeft=1200\r\nTop=-5\r\n");
    EXPECT_EQ(s.bar.left, 948);
    EXPECT_EQ(s.bar.top, 0);
    EXPECT_EQ(Read("[BAR]\r\nLeft=-100\r\n").bar.left, -100); // no lower bound
    s = Read("[BAR]\r\nLeft=948\r\nTop=5000\r\n");
    EXPECT_EQ(s.bar.left, 948);
    EXPECT_EQ(s.bar.top, 5000);
    EXPECT_EQ(Read("[BAR]\r\nLeft=2147483647\r\n").bar.left, 948); // no overflow
    screen.bar_width = 400;                                        // the bar's own width counts
    s = Read("[BAR]\r\nLeft=0x1F\r\nTop=letters\r\n");
    EXPECT_EQ(s.bar.left, 31);
    EXPECT_EQ(s.bar.top, 0);
    EXPECT_EQ(Read("[BAR]\r\nLeft=junk\r\n").bar.left, 880);

    EXPECT_EQ(BarLeftFromSetting(949, 1280, 332), 948);
    EXPECT_EQ(BarLeftFromSetting(INT_MIN, 1280, 332), INT_MIN);
    EXPECT_EQ(BarTopFromSetting(-1), 0);
    EXPECT_EQ(BarTopFromSetting(0), 0);
}

TEST_F(ClockSettingsTest, DefWinTrAndChildIndex) {
    ClockSettings s = Read("[BAR]\r\nDefWin=7\r\nTr=300\r\n[CHILD]\r\nIndex=9\r\n");
    EXPECT_EQ(s.bar.def_win, 1);
    EXPECT_EQ(s.bar.tr, 300);   // stored as read, no range check
    EXPECT_EQ(s.bar.alpha, 44); // 300 & 0xFF
    EXPECT_EQ(s.child.index, 9);
    s = Read("[BAR]\r\nDefWin=-1\r\nTr=$FF\r\n");
    EXPECT_EQ(s.bar.def_win, 1);
    EXPECT_EQ(s.bar.alpha, 255);
    s = Read("[BAR]\r\nDefWin=0\r\nTr=-1\r\n");
    EXPECT_EQ(s.bar.def_win, 0);
    EXPECT_EQ(s.bar.alpha, 255);
    EXPECT_EQ(DefWinFromSetting(3), 3);
    EXPECT_EQ(DefWinFromSetting(4), 1);
    EXPECT_EQ(AlphaFromTr(256), 0);
}

TEST_F(ClockSettingsTest, MessageRules) {
    ClockSettings s = Read("[MSG]\r\nAuto=0\r\nAutoSec=30\r\n");
    EXPECT_EQ(s.msg.auto_sec, -1);        // closed by hand whatever AutoSec holds
    EXPECT_EQ(s.msg.stored_auto_sec, 30); // the dialog still shows what was stored
    EXPECT_FALSE(s.msg.auto_close);
    EXPECT_EQ(Read("[MSG]\r\nAuto=junk\r\nAutoSec=0x1F\r\n").msg.auto_sec, 31); // Auto: default
    EXPECT_EQ(Read("[MSG]\r\nAutoSec=letters\r\n").msg.auto_sec, 5);

    // The calendar timer's interval stays usable for any stored value.
    EXPECT_EQ(MessageOptionsFromSettings(true, 5, 200, 2, 600).war_step_interval_ms, 36000000);
    EXPECT_EQ(MessageOptionsFromSettings(true, 5, 200, 2, 0).war_step_interval_ms, 60000);
    EXPECT_EQ(MessageOptionsFromSettings(true, 5, 200, 2, -3).war_step_interval_ms, 60000);
    EXPECT_EQ(MessageOptionsFromSettings(true, 5, 200, 2, INT_MAX).war_step_interval_ms,
              INT_MAX / 60000 * 60000);
    EXPECT_EQ(MessageOptionsFromSettings(true, 5, 200, 2, -3).calendar_step, -3);
}

TEST_F(ClockSettingsTest, HotKeyTextsAreKeptWhateverTheSwitch) {
    ClockSettings s = Read("[CLOCK]\r\nHotKey=0\r\nHotKey1=Alt\r\nHotKey2=T\r\n");
    EXPECT_FALSE(s.clock.hot_key);
    EXPECT_EQ(s.clock.hot_key1, "Alt");
    s = Read("[clock]\r\nhotkey=1\r\n");
    EXPECT_TRUE(s.clock.hot_key); // enabled with empty texts: the bar decides
    EXPECT_EQ(s.clock.hot_key1, "");
    EXPECT_EQ(s.clock.hot_key2, "");
}

// A settings file that exists but cannot be read gives the defaults, but they are not the
// user's values; an empty file is read, and its defaults are what the user has.
TEST_F(ClockSettingsTest, AnUnreadableFileIsNotCountedAsRead) {
    std::filesystem::create_directory(dir.File("skin.ini"));
    ClockSettings s = ReadClockSettings(dir.File("skin.ini"), screen);
    EXPECT_FALSE(s.from_file);
    EXPECT_EQ(s.bar.left, 948);
    std::filesystem::remove(dir.File("skin.ini"));
    EXPECT_TRUE(Read("").from_file);
}

TEST_F(ClockSettingsTest, GarbageFileNeverCrashes) {
    std::string garbage;
    for (int i = 0; i < 10000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
    EXPECT_EQ(Read(garbage + "\n[BAR]\nTop=9\n").bar.top, 9);
}
