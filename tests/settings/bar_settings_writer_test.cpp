#include "settings/bar_settings_writer.h"

#include "settings/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace tobu;
using tobu::testing::TempDir;

namespace {

class BarSettingsWriterTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("skin.ini");
};

} // namespace

TEST_F(BarSettingsWriterTest, PositionSavingWritesBarThenClock) {
    ASSERT_TRUE(SaveBarPosition(path, 948, 0));
    EXPECT_EQ(TempDir::Get(path), "[BAR]\r\nLeft=948\r\nTop=0\r\n");
    ASSERT_TRUE(SaveBarPosition(path, 10, 20, WindowPos{30, 40}));
    EXPECT_EQ(TempDir::Get(path), "[BAR]\r\nLeft=10\r\nTop=20\r\n[CHILD]\r\nTop=40\r\nLeft=30\r\n");
    ASSERT_TRUE(SaveClockPosition(path, -5, 7));
    EXPECT_EQ(TempDir::Get(path), "[BAR]\r\nLeft=10\r\nTop=20\r\n[CHILD]\r\nTop=7\r\nLeft=-5\r\n");
}

TEST_F(BarSettingsWriterTest, BarStateAtExitKeepsTheRestOfTheFile) {
    TempDir::Put(path,
                 "; user notes\r\n[BAR]\r\nOnTop=1\r\nleft=1\r\n\r\n[SKIN]\r\nSkinFile=宋.sk\r\n");
    ASSERT_TRUE(SaveBarState(path, 2, 100, 50, 180, WindowPos{100, 84}));
    EXPECT_EQ(TempDir::Get(path), "; user notes\r\n[BAR]\r\nOnTop=1\r\nleft=100\r\nTop=50\r\n"
                                  "Tr=180\r\n\r\n[SKIN]\r\nSkinFile=宋.sk\r\n[CHILD]\r\nIndex=2\r\n"
                                  "Top=84\r\nLeft=100\r\n");
    // Without a visible clock the clock's keys keep their values.
    ASSERT_TRUE(SaveBarState(path, 0, 1, 2, 200));
    IniFile ini(path);
    EXPECT_EQ(Read(ini, keys::ChildIndex), 0);
    EXPECT_EQ(Read(ini, keys::ChildTop, 0), 84);
    EXPECT_EQ(Read(ini, keys::BarTr), 200);
}

// When the settings load never got to the bar's position or Tr, exit leaves the stored ones.
TEST_F(BarSettingsWriterTest, BarStateLeavesOutWhatWasNeverRead) {
    TempDir::Put(path, "[BAR]\r\nLeft=300\r\nTop=300\r\nTr=255\r\n");
    ASSERT_TRUE(SaveBarState(path, 1, std::nullopt, std::nullopt, std::nullopt));
    EXPECT_EQ(TempDir::Get(path),
              "[BAR]\r\nLeft=300\r\nTop=300\r\nTr=255\r\n[CHILD]\r\nIndex=1\r\n");
    ASSERT_TRUE(SaveBarState(path, 1, WindowPos{5, 6}, std::nullopt, std::nullopt));
    EXPECT_EQ(TempDir::Get(path), "[BAR]\r\nLeft=5\r\nTop=6\r\nTr=255\r\n[CHILD]\r\nIndex=1\r\n");
    ASSERT_TRUE(SaveBarState(path, 1, std::nullopt, 180, std::nullopt));
    EXPECT_EQ(TempDir::Get(path), "[BAR]\r\nLeft=5\r\nTop=6\r\nTr=180\r\n[CHILD]\r\nIndex=1\r\n");
}

TEST_F(BarSettingsWriterTest, FailedSaveReportsFalseAndKeepsTheFile) {
    const std::string bad = dir.File("missing/skin.ini");
    EXPECT_FALSE(SaveBarPosition(bad, 1, 2));
    EXPECT_FALSE(SaveClockPosition(bad, 1, 2));
    EXPECT_FALSE(SaveBarState(bad, 0, 1, 2, 3));
    EXPECT_FALSE(SaveOptions(bad, OptionsValues{}));
    std::filesystem::create_directory(path); // a folder where the file should be
    EXPECT_FALSE(SaveBarState(path, 0, 1, 2, 3));
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST_F(BarSettingsWriterTest, OptionsAreWrittenInTheDialogsOrder) {
    OptionsValues v;
    v.led_font = true;
    v.font.name = "Arial"; // not written while the LED display is used
    ASSERT_TRUE(SaveOptions(path, v));
    EXPECT_EQ(TempDir::Get(path), "[LED]\r\nLEDFont=1\r\n"
                                  "[BAR]\r\nTr=200\r\nOnTop=0\r\nOnStartHide=0\r\nDefWin=1\r\n"
                                  "DateLoop=0\r\n"
                                  "[CLOCK]\r\nAlarm=0\r\nHalfAlarm=0\r\nAlarmType=0\r\nHotKey1=\r\n"
                                  "HotKey2=\r\nHotKey=0\r\n"
                                  "[MSG]\r\nAuto=1\r\nAutoSec=5\r\nTran=200\r\nCalendarLX=1\r\n"
                                  "CalendarStep=5\r\n"
                                  "[TIME]\r\nAutoChcek=0\r\nStepHour=1\r\n");
}

TEST_F(BarSettingsWriterTest, OptionsRoundTripWithPlainFont) {
    OptionsValues v;
    v.led_font = false;
    v.font = TimeFont{"宋体", 12, 0x0000FF, true, false, false, true};
    v.tr = 99;
    v.on_top = true;
    v.def_win = 2;
    v.date_loop = true;
    v.alarm = v.half_alarm = true;
    v.alarm_type = 2;
    v.hot_key1 = "Ctrl + Shift";
    v.hot_key2 = "Q";
    v.hot_key = true;
    v.msg_auto = false;
    v.auto_sec = 60;
    v.tran = 77;
    v.calendar_lx = 2;
    v.calendar_step = 600;
    v.auto_check = true;
    v.step_hour = 1000;
    ASSERT_TRUE(SaveOptions(path, v));
    EXPECT_EQ(OptionsValuesFrom(ReadClockSettings(IniFile(path))), v);
    std::string text = TempDir::Get(path);
    EXPECT_LT(text.find("LEDFont=0"), text.find("FontName="));
    EXPECT_LT(text.find("FontStrikeOut=1"), text.find("[BAR]"));
    EXPECT_EQ(OptionsValuesFrom(ReadClockSettings(IniFile::FromBytes(""))), OptionsValues{});
}
