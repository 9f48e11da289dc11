// The popup program's logic: its argument, the texts it receives, its settings, where popups
// sit, when they close and when the tray blinks.
#include "popupmsg/popup_board.h"

#include <gmock/gmock.h>

#include "base/text.h"
#include "settings/ini_file.h"
#include "settings/temp_dir.h"

using namespace tobu;
using ::testing::ElementsAre;

namespace {
std::vector<uint8_t> Bytes(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}
PopupSettings Auto(int sec) {
    return PopupSettings{true, sec, 200};
}
const PopupSettings kByHand{false, 5, 200};
} // namespace

TEST(PopupInput, BarHandleIsOneDecimalNumber) {
    EXPECT_EQ(ParseBarHandle("305419896"), 305419896u);
    EXPECT_EQ(ParseBarHandle(" 42 "), 42u);
    EXPECT_EQ(ParseBarHandle("4294967295"), 4294967295u);
    for (const char* bad : {"", "0", "4294967296", "99999999999", "-5", "+5", "0x10", "12a", "1 2"})
        EXPECT_EQ(ParseBarHandle(bad), std::nullopt) << bad;
}

TEST(PopupInput, TextsAreGbkUpToTheZeroByteWithLineBreaksKept) {
    EXPECT_EQ(DecodePopupText(Bytes(Utf8ToGbk("时钟报时：14:00:00") + '\0')), "时钟报时：14:00:00");
    EXPECT_EQ(DecodePopupText(Bytes(Utf8ToGbk("日历标记：\r\n2024\r\n\r\n生日") + '\0')),
              "日历标记：\n2024\n\n生日");
    EXPECT_EQ(DecodePopupText(Bytes("a\rb\nc")), "a\nb\nc") << "no zero byte, lone CR and LF";
    EXPECT_EQ(DecodePopupText(Bytes(std::string("ab\0cd", 5))), "ab");
    EXPECT_EQ(DecodePopupText({}), "");
    // A broken double-byte sequence does not end the text.
    std::string decoded = DecodePopupText(Bytes(std::string("x\x81", 2)));
    EXPECT_EQ(decoded.substr(0, 1), "x");
    EXPECT_TRUE(IsValidUtf8(decoded));
}

TEST(PopupInput, SettingsComeFromTheMsgSectionInsideTheirRanges) {
    tobu::testing::TempDir dir;
    EXPECT_EQ(ReadPopupSettings(dir.Dir()), (PopupSettings{true, 5, 200})) << "no file";
    tobu::testing::TempDir::Put(dir.File("skin.ini"),
                                "[MSG]\r\nAuto=0\r\nAutoSec=30\r\nTran=120\r\n");
    EXPECT_EQ(ReadPopupSettings(dir.Dir()), (PopupSettings{false, 30, 120}));
    tobu::testing::TempDir::Put(dir.File("skin.ini"), "[msg]\nAutoSec=0\nTran=0\n");
    EXPECT_EQ(ReadPopupSettings(dir.Dir()), (PopupSettings{true, 5, 55}));
    tobu::testing::TempDir::Put(dir.File("skin.ini"), "[MSG]\nAutoSec=99999\nTran=999\n");
    EXPECT_EQ(ReadPopupSettings(dir.Dir()), (PopupSettings{true, 3600, 255}));
}

TEST(PopupBoardTest, AutoPopupsCloseAfterAutoSecondsOthersWait) {
    PopupBoard board;
    int a = board.Add("a", 100, 0, Auto(5));
    int b = board.Add("b", 100, 2000, Auto(5));
    int c = board.Add("c", 100, 2000, kByHand);
    EXPECT_TRUE(board.Expire(4999).empty());
    EXPECT_THAT(board.Expire(5000), ElementsAre(a));
    EXPECT_THAT(board.Expire(7000), ElementsAre(b));
    EXPECT_TRUE(board.Expire(100000000).empty());
    ASSERT_EQ(board.Popups().size(), 1u);
    EXPECT_TRUE(board.Close(c));
    EXPECT_FALSE(board.Close(c));
    EXPECT_TRUE(board.Popups().empty());
}

TEST(PopupBoardTest, TrayBlinksWhilePopupsWaitToBeRead) {
    PopupBoard board;
    int a = board.Add("auto", 80, 0, Auto(5));
    EXPECT_EQ(board.TakeTrayChange(), std::nullopt) << "self-closing popups never blink";
    int h1 = board.Add("one", 80, 0, kByHand);
    int h2 = board.Add("two", 80, 0, kByHand);
    EXPECT_EQ(board.TakeTrayChange(), true);
    EXPECT_EQ(board.TakeTrayChange(), std::nullopt) << "said only once";
    board.Close(h1);
    EXPECT_EQ(board.TakeTrayChange(), std::nullopt);
    board.Expire(5000);
    board.Close(a);
    EXPECT_EQ(board.TakeTrayChange(), std::nullopt);
    board.Close(h2);
    EXPECT_EQ(board.TakeTrayChange(), false);
}

TEST(PopupBoardTest, PopupsStackUpFromTheBottomRightNewestOnTop) {
    PopupBoard board;
    PopupRect area{0, 0, 1280, 740}; // a panel takes the lowest 28 rows
    board.Add("old", 100, 0, Auto(5));
    board.Add("mid", 120, 0, Auto(5));
    board.Add("new", 90, 0, Auto(5));
    EXPECT_THAT(board.Layout(area, 300),
                ElementsAre(PopupRect{970, 630, 300, 100}, PopupRect{970, 502, 300, 120},
                            PopupRect{970, 404, 300, 90}));
    // When the oldest goes, the others move down.
    board.Close(board.Popups()[0].id);
    EXPECT_THAT(board.Layout(area, 300),
                ElementsAre(PopupRect{970, 610, 300, 120}, PopupRect{970, 512, 300, 90}));
}

TEST(PopupBoardTest, AFullColumnContinuesToTheLeftThenOverlapsAtTheCorner) {
    PopupBoard board;
    PopupRect area{100, 50, 700, 300}; // room for two 120-high popups a column
    for (int i = 0; i < 7; ++i) board.Add(std::to_string(i), 120, 0, Auto(5));
    auto r = board.Layout(area, 300);
    ASSERT_EQ(r.size(), 7u);
    EXPECT_EQ(r[0], (PopupRect{490, 220, 300, 120}));
    EXPECT_EQ(r[1], (PopupRect{490, 92, 300, 120}));
    EXPECT_EQ(r[2], (PopupRect{182, 220, 300, 120}));
    EXPECT_EQ(r[3], (PopupRect{182, 92, 300, 120}));
    // A third column would leave the work area: the rest overlap at the corner.
    for (int i = 4; i < 7; ++i) EXPECT_EQ(r[i], (PopupRect{490, 220, 300, 120})) << i;
    for (const PopupRect& p : r) {
        EXPECT_GE(p.x, area.x);
        EXPECT_GE(p.y, area.y);
        EXPECT_LE(p.x + p.w, area.x + area.w);
        EXPECT_LE(p.y + p.h, area.y + area.h);
    }
}

TEST(PopupBoardTest, APopupTallerThanTheWorkAreaStaysBelowItsTop) {
    PopupBoard board;
    board.Add("tall", 5000, 0, Auto(5));
    auto r = board.Layout(PopupRect{0, 0, 800, 600}, 300);
    EXPECT_EQ(r[0].y, 10);
}

TEST(PopupBoardTest, AHeldPopupWaitsAndGetsItsFullTimeAgainWhenReleased) {
    PopupBoard board;
    int a = board.Add("read me", 100, 0, Auto(5));
    int b = board.Add("other", 100, 0, Auto(5));
    board.Hold(a); // the mouse rests on it at 4.9 s
    EXPECT_THAT(board.Expire(5000), ElementsAre(b));
    EXPECT_TRUE(board.Expire(60000).empty()) << "held for a minute";
    board.Release(a, 60000);
    EXPECT_TRUE(board.Expire(64999).empty());
    EXPECT_THAT(board.Expire(65000), ElementsAre(a));
    // Holding what is gone, or releasing what was never held, changes nothing.
    board.Hold(a);
    int c = board.Add("c", 100, 70000, Auto(5));
    board.Release(c, 74000);
    EXPECT_THAT(board.Expire(75000), ElementsAre(c));
}

TEST(PopupBoardTest, ATextWithNothingToReadOpensNoPopup) {
    PopupBoard board;
    for (const char* empty : {"", "\n", " \t\r\n "})
        EXPECT_EQ(board.Add(empty, 100, 0, Auto(5)), 0);
    EXPECT_TRUE(board.Popups().empty());
    EXPECT_NE(board.Add("\n x", 100, 0, Auto(5)), 0);
}
