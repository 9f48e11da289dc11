#include "settings/load_settings.h"

#include "base/text.h"
#include "settings/fake_settings_target.h"
#include "settings/temp_dir.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <gtest/gtest.h>

using namespace tobu;
using tobu::testing::FakeSettingsTarget;
using tobu::testing::TempDir;

namespace {

class LoadSettingsTest : public ::testing::Test {
protected:
    TempDir dir;
    FakeSettingsTarget bar; // 1280-pixel screen, 332-pixel bar

    SettingsLoadResult Load(const std::string& ini_text, bool skin_only = false) {
        TempDir::Put(dir.File("skin.ini"), ini_text);
        return LoadSettings(dir.Dir(), skin_only, bar);
    }
};

const std::vector<std::string> kAllSteps = {"LoadBarSkin",
                                            "SetCurrentSkinFile",
                                            "SetCurrentClockFile",
                                            "ShowLed",
                                            "SetTimeFont",
                                            "LoadDialogFrame",
                                            "SetAlarm",
                                            "SetTimeSync",
                                            "SetMessageOptions",
                                            "ScreenWidth",
                                            "BarWidth",
                                            "SetBarLeft",
                                            "SetBarTop",
                                            "SetOnTop",
                                            "SetOnStartHide",
                                            "SetDefWin",
                                            "SetTr",
                                            "SetChildIndex"};

} // namespace

TEST_F(LoadSettingsTest, EmptyFileOnA1280PixelScreenGivesTheDefaults) {
    ASSERT_TRUE(Load(""));
    EXPECT_EQ(bar.calls, kAllSteps);
    EXPECT_EQ(bar.skin_path, dir.Dir() + "Skin/");
    EXPECT_EQ(bar.current_skin, "");
    EXPECT_EQ(bar.current_clock, "");
    EXPECT_EQ(bar.led_shown, true);
    EXPECT_EQ(bar.font, TimeFont{});
    EXPECT_EQ(bar.font->name, "Tahoma");
    EXPECT_EQ(bar.font->size, 18);
    EXPECT_EQ(bar.font->color, 16777215);
    EXPECT_EQ(bar.dialog_frame, dir.Dir());
    EXPECT_EQ(bar.alarm, false);
    EXPECT_EQ(bar.half_alarm, false);
    EXPECT_EQ(bar.alarm_type, 0);
    EXPECT_EQ(bar.hot_key_registrations, 0);
    EXPECT_EQ(bar.auto_check, false);
    EXPECT_EQ(bar.step_hour, 1);
    EXPECT_EQ(bar.messages, (MessageOptions{5, 200, 1, 5, 300000}));
    EXPECT_EQ(bar.left, 948);
    EXPECT_EQ(bar.top, 0);
    EXPECT_EQ(bar.on_top, false);
    EXPECT_EQ(bar.on_start_hide, false);
    EXPECT_EQ(bar.def_win, 1);
    EXPECT_EQ(bar.tr, 200);
    EXPECT_EQ(bar.alpha, 200);
    EXPECT_EQ(bar.child_index, 0);
}

TEST_F(LoadSettingsTest, MissingFileBehavesLikeAnEmptyOne) {
    ASSERT_TRUE(LoadSettings(dir.Dir(), false, bar));
    EXPECT_EQ(bar.calls, kAllSteps);
    EXPECT_EQ(bar.left, 948);
    EXPECT_EQ(dir.EntryCount(), 0u); // reading never creates the file
}

TEST_F(LoadSettingsTest, StoredValuesReachTheBar) {
    ASSERT_TRUE(Load("[SKIN]\r\nSkinFile=Blue.sk\r\nClockFile=Round.cl\r\nWinFile=Skin/Win.sk\r\n"
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
                     "Tr=180\r\n[CHILD]\r\nIndex=2\r\n"));
    EXPECT_EQ(bar.skin_path, dir.Dir() + "Skin/Blue.sk");
    EXPECT_EQ(bar.current_skin, "Blue.sk");
    EXPECT_EQ(bar.current_clock, "Round.cl");
    EXPECT_EQ(bar.led_shown, false);
    EXPECT_EQ(bar.font, (TimeFont{"宋体", 24, 255, true, false, true, true}));
    EXPECT_EQ(bar.dialog_frame, dir.Dir() + "Skin/Win.sk");
    EXPECT_EQ(bar.alarm, true);
    EXPECT_EQ(bar.half_alarm, true);
    EXPECT_EQ(bar.alarm_type, 3);
    EXPECT_EQ(bar.hot_key1, "Alt + Ctrl");
    EXPECT_EQ(bar.hot_key2, "T");
    EXPECT_EQ(bar.auto_check, true);
    EXPECT_EQ(bar.step_hour, 12);
    // CalendarStep 10: the calendar-mark timer runs every 10 minutes.
    EXPECT_EQ(bar.messages, (MessageOptions{30, 100, 2, 10, 600000}));
    EXPECT_EQ(bar.left, 100);
    EXPECT_EQ(bar.top, 200);
    EXPECT_EQ(bar.on_top, true);
    EXPECT_EQ(bar.on_start_hide, true);
    EXPECT_EQ(bar.def_win, 3);
    EXPECT_EQ(bar.tr, 180);
    EXPECT_EQ(bar.alpha, 180);
    EXPECT_EQ(bar.child_index, 2);
    auto pos = std::find(bar.calls.begin(), bar.calls.end(), "RegisterClockHotKey");
    ASSERT_NE(pos, bar.calls.end());
    EXPECT_EQ(*(pos - 1), "SetAlarm");
    EXPECT_EQ(*(pos + 1), "SetTimeSync");
}

TEST_F(LoadSettingsTest, BarPositionRules) {
    Load("[BAR]\r\nLeft=1200\r\nTop=-5\r\n");
    EXPECT_EQ(bar.left, 948);
    EXPECT_EQ(bar.top, 0);

    bar = FakeSettingsTarget{};
    Load("[BAR]\r\nLeft=-100\r\n");
    EXPECT_EQ(bar.left, -100); // no lower bound
    bar = FakeSettingsTarget{};
    Load("[BAR]\r\nLeft=948\r\nTop=5000\r\n");
    EXPECT_EQ(bar.left, 948);
    EXPECT_EQ(bar.top, 5000);
    bar = FakeSettingsTarget{};
    Load("[BAR]\r\nLeft=2147483647\r\n"); // no overflow in the comparison
    EXPECT_EQ(bar.left, 948);
    bar = FakeSettingsTarget{};
    bar.bar_width = 400; // the width of the skin just loaded counts
    Load("[BAR]\r\nLeft=0x1F\r\nTop=letters\r\n");
    EXPECT_EQ(bar.left, 31);
    EXPECT_EQ(bar.top, 0);
    bar = FakeSettingsTarget{};
    bar.bar_width = 400;
    Load("[BAR]\r\nLeft=junk\r\n");
    EXPECT_EQ(bar.left, 880);

    EXPECT_EQ(BarLeftFromSetting(949, 1280, 332), 948);
    EXPECT_EQ(BarLeftFromSetting(INT_MIN, 1280, 332), INT_MIN);
    EXPECT_EQ(BarTopFromSetting(-1), 0);
    EXPECT_EQ(BarTopFromSetting(0), 0);
}

TEST_F(LoadSettingsTest, DefWinTrAndChildIndex) {
    Load("[BAR]\r\nDefWin=7\r\nTr=300\r\n[CHILD]\r\nIndex=9\r\n");
    EXPECT_EQ(bar.def_win, 1);
    EXPECT_EQ(bar.tr, 300);   // stored as read, no range check
    EXPECT_EQ(bar.alpha, 44); // 300 & 0xFF
    EXPECT_EQ(bar.child_index, 9);
    bar = FakeSettingsTarget{};
    Load("[BAR]\r\nDefWin=-1\r\nTr=$FF\r\n");
    EXPECT_EQ(bar.def_win, 1);
    EXPECT_EQ(bar.alpha, 255);
    bar = FakeSettingsTarget{};
    Load("[BAR]\r\nDefWin=0\r\nTr=-1\r\n");
    EXPECT_EQ(bar.def_win, 0);
    EXPECT_EQ(bar.alpha, 255);
    EXPECT_EQ(DefWinFromSetting(3), 3);
    EXPECT_EQ(DefWinFromSetting(4), 1);
    EXPECT_EQ(AlphaFromTr(256), 0);
}

TEST_F(LoadSettingsTest, MessageRules) {
    Load("[MSG]\r\nAuto=0\r\nAutoSec=30\r\n");
    EXPECT_EQ(bar.messages->auto_sec, -1); // closed by hand whatever AutoSec holds
    bar = FakeSettingsTarget{};
    Load("[MSG]\r\nAuto=junk\r\nAutoSec=0x1F\r\n");
    EXPECT_EQ(bar.messages->auto_sec, 31); // Auto not a number: default true
    bar = FakeSettingsTarget{};
    Load("[MSG]\r\nAutoSec=letters\r\n");
    EXPECT_EQ(bar.messages->auto_sec, 5);

    // The calendar timer's interval stays usable for any stored value.
    EXPECT_EQ(MessageOptionsFromSettings(true, 5, 200, 2, 600).war_step_interval_ms, 36000000);
    EXPECT_EQ(MessageOptionsFromSettings(true, 5, 200, 2, 0).war_step_interval_ms, 60000);
    EXPECT_EQ(MessageOptionsFromSettings(true, 5, 200, 2, -3).war_step_interval_ms, 60000);
    EXPECT_EQ(MessageOptionsFromSettings(true, 5, 200, 2, INT_MAX).war_step_interval_ms,
              INT_MAX / 60000 * 60000);
    EXPECT_EQ(MessageOptionsFromSettings(true, 5, 200, 2, -3).calendar_step, -3);
}

TEST_F(LoadSettingsTest, HotKeyOnlyWhenEnabled) {
    Load("[CLOCK]\r\nHotKey=0\r\nHotKey1=Alt\r\nHotKey2=T\r\n");
    EXPECT_EQ(bar.hot_key_registrations, 0);
    EXPECT_FALSE(bar.hot_key1.has_value());
    bar = FakeSettingsTarget{};
    Load("[clock]\r\nhotkey=1\r\n");
    EXPECT_EQ(bar.hot_key_registrations, 1); // enabled with empty texts: the bar decides
    EXPECT_EQ(bar.hot_key1, "");
    EXPECT_EQ(bar.hot_key2, "");
}

TEST_F(LoadSettingsTest, SkinOnlyStopsAfterTheClockFace) {
    ASSERT_TRUE(Load("[SKIN]\r\nSkinFile=Red.sk\r\nClockFile=C.cl\r\n[BAR]\r\nLeft=5\r\n", true));
    EXPECT_EQ(bar.calls, (std::vector<std::string>{"LoadBarSkin", "SetCurrentSkinFile",
                                                   "SetCurrentClockFile"}));
    EXPECT_EQ(bar.skin_path, dir.Dir() + "Skin/Red.sk");
    EXPECT_EQ(bar.current_clock, "C.cl");
    EXPECT_FALSE(bar.left.has_value());
}

// A damaged package costs its own look and nothing else: the load goes on with every later
// step, so the user's position, alpha and the rest still arrive.
TEST_F(LoadSettingsTest, AFailingStepCostsOnlyItself) {
    bar.throw_in = "LoadBarSkin";
    SettingsLoadResult r = Load("[SKIN]\r\nSkinFile=Broken.sk\r\n[CLOCK]\r\nAlarm=1\r\n"
                                "[BAR]\r\nLeft=300\r\nTop=300\r\nTr=255\r\n");
    EXPECT_FALSE(r);
    EXPECT_EQ(r.failed_steps, 1);
    EXPECT_EQ(bar.calls, kAllSteps); // the order of the steps is kept
    EXPECT_EQ(bar.current_skin, "Broken.sk");
    EXPECT_EQ(bar.alarm, true);
    EXPECT_EQ(bar.left, 300);
    EXPECT_EQ(bar.top, 300);
    EXPECT_EQ(bar.alpha, 255);
    EXPECT_TRUE(r.position);
    EXPECT_TRUE(r.tr);

    // Each step on its own: the others all run; the position and Tr count as read only when
    // their own step went through.
    const std::vector<std::string> placing = {"ScreenWidth", "BarWidth", "SetBarLeft", "SetBarTop"};
    for (const std::string& failing : kAllSteps) {
        FakeSettingsTarget t;
        t.throw_in = failing;
        SettingsLoadResult res = LoadSettings(dir.Dir(), false, t);
        EXPECT_EQ(res.failed_steps, 1) << failing;
        auto in_placing = std::find(placing.begin(), placing.end(), failing);
        std::vector<std::string> expected;
        for (const std::string& call : kAllSteps) {
            bool skipped = in_placing != placing.end() &&
                           std::find(in_placing + 1, placing.end(), call) != placing.end();
            if (!skipped) expected.push_back(call);
        }
        EXPECT_EQ(t.calls, expected) << failing;
        EXPECT_EQ(res.position, in_placing == placing.end()) << failing;
        EXPECT_EQ(res.tr, failing != "SetTr") << failing;
    }

    // Both packages damaged, in a skin-only re-read too.
    bar = FakeSettingsTarget{};
    bar.throw_in = "LoadDialogFrame";
    EXPECT_EQ(Load("[BAR]\r\nTop=9\r\n").failed_steps, 1);
    EXPECT_EQ(bar.top, 9);
    bar = FakeSettingsTarget{};
    bar.throw_in = "LoadBarSkin";
    r = Load("[SKIN]\r\nSkinFile=Broken.sk\r\nClockFile=C.cl\r\n", true);
    EXPECT_EQ(r.failed_steps, 1);
    EXPECT_EQ(bar.current_clock, "C.cl");
    EXPECT_FALSE(r.position);
}

// A settings file that exists but cannot be read gives the bar its defaults, but they are not
// the user's values: the result says nothing was read, so exit will not write them back.
TEST_F(LoadSettingsTest, AnUnreadableFileIsNotCountedAsRead) {
    std::filesystem::create_directory(dir.File("skin.ini"));
    SettingsLoadResult r = LoadSettings(dir.Dir(), false, bar);
    EXPECT_TRUE(r);
    EXPECT_EQ(bar.calls, kAllSteps);
    EXPECT_EQ(bar.left, 948);
    EXPECT_FALSE(r.position);
    EXPECT_FALSE(r.tr);
    // An empty file is read: its defaults are what the user has.
    std::filesystem::remove(dir.File("skin.ini"));
    r = Load("");
    EXPECT_TRUE(r.position);
    EXPECT_TRUE(r.tr);
}

TEST_F(LoadSettingsTest, GarbageFileNeverCrashes) {
    std::string garbage;
    for (int i = 0; i < 10000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
    ASSERT_TRUE(Load(garbage + "\n[BAR]\nTop=9\n"));
    EXPECT_EQ(bar.calls, kAllSteps);
    EXPECT_EQ(bar.top, 9);
}
