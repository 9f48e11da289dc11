#include "app/companions.h"

#include <gtest/gtest.h>

namespace tobu {
namespace {

constexpr ScreenBox kScreen{1280, 768};
constexpr int kBarHeight = 34;

TEST(Companions, CalendarAndWeatherDockUnderTheBarOrAboveItInTheLowerHalf) {
    WindowSpot below = CompanionWindowSpot(kScreen, BarBox{200, 0, kBarHeight}, 180);
    EXPECT_EQ(below.left, 200);
    EXPECT_EQ(below.top, 34);
    // Top 600 on 768: the window's bottom meets the bar's top.
    WindowSpot above = CompanionWindowSpot(kScreen, BarBox{200, 600, kBarHeight}, 180);
    EXPECT_EQ(above.top + 180, 600);
    // Exactly half the height is still the upper half.
    EXPECT_EQ(CompanionWindowSpot(kScreen, BarBox{0, 384, kBarHeight}, 180).top, 384 + 34);
    EXPECT_EQ(CompanionWindowSpot(kScreen, BarBox{0, 385, kBarHeight}, 180).top, 385 - 180);
}

TEST(Companions, ClockWindowPlacementFromTheSavedPosition) {
    const BarBox top0{500, 0, kBarHeight};
    // First clock ever: the screen's left edge, whatever the bar's left, under the bar.
    ClockRequest first = ClockWindowRequest(kScreen, top0, true, std::nullopt, std::nullopt, 160);
    EXPECT_EQ(first.left, 0);
    EXPECT_EQ(ClockWindowTop(first, 160), 34);
    // Lower half without CHILD Top: above the bar, stored top -1.
    ClockRequest low = ClockWindowRequest(kScreen, BarBox{500, 600, kBarHeight}, true, std::nullopt,
                                          std::nullopt, 160);
    EXPECT_EQ(low.top, -1);
    EXPECT_EQ(ClockWindowTop(low, 160) + 160, 600);
    // CHILD Left pulled into 0 .. width - 100.
    EXPECT_EQ(ClockWindowRequest(kScreen, top0, true, -50, std::nullopt, 160).left, 0);
    EXPECT_EQ(ClockWindowRequest(kScreen, top0, true, 5000, std::nullopt, 160).left, 1180);
    EXPECT_EQ(ClockWindowRequest(kScreen, top0, true, 1180, std::nullopt, 160).left, 1180);
    // A saved top on the screen is used as stored, also in the lower half.
    ClockRequest saved =
        ClockWindowRequest(kScreen, BarBox{500, 600, kBarHeight}, true, 40, 300, 160);
    EXPECT_EQ(ClockWindowTop(saved, 160), 300);
    // Without the saved position the clock docks at the bar's left.
    ClockRequest docked = ClockWindowRequest(kScreen, top0, false, 40, 300, 160);
    EXPECT_EQ(docked.left, 500);
    EXPECT_EQ(docked.top, 34);
}

TEST(Companions, SavedClockTopWhollyOffTheScreenIsTreatedAsAbsent) {
    const BarBox bar{0, 100, kBarHeight};
    EXPECT_EQ(ClockWindowRequest(kScreen, bar, true, 0, 768, 160).top, 134);
    EXPECT_EQ(ClockWindowRequest(kScreen, bar, true, 0, 99999, 160).top, 134);
    EXPECT_EQ(ClockWindowRequest(kScreen, bar, true, 0, -160, 160).top, 134);
    // Partly on the screen still counts.
    EXPECT_EQ(ClockWindowRequest(kScreen, bar, true, 0, 767, 160).top, 767);
    EXPECT_EQ(ClockWindowRequest(kScreen, bar, true, 0, -159, 160).top, -159);
    // In the lower half an off-screen top falls back to above the bar.
    ClockRequest low = ClockWindowRequest(kScreen, BarBox{0, 600, kBarHeight}, true, 0, 5000, 160);
    EXPECT_EQ(ClockWindowTop(low, 160), 440);
}

TEST(Companions, TheTwoNumberingsStayApart) {
    EXPECT_EQ(ModeOfDefWin(0), ChildMode::None);
    EXPECT_EQ(ModeOfDefWin(1), ChildMode::Clock);
    EXPECT_EQ(ModeOfDefWin(2), ChildMode::Calendar);
    EXPECT_EQ(ModeOfDefWin(3), ChildMode::Weather);
    EXPECT_EQ(ModeOfDefWin(4), ChildMode::Clock);
    EXPECT_EQ(ModeOfDefWin(-1), ChildMode::Clock);
    for (int d = 0; d <= 3; ++d) EXPECT_EQ(DefWinOfMode(ModeOfDefWin(d)), d);
    EXPECT_EQ(ChildModeFromIndex(1), ChildMode::Calendar);
    EXPECT_EQ(ChildModeFromIndex(2), ChildMode::Clock);
    EXPECT_EQ(ChildModeFromIndex(4), std::nullopt);
    // The window question asks the calendar first, the menu ticks the clock first.
    CompanionVisibility both{true, true, false};
    EXPECT_EQ(ChildWindowIndex(both), 1);
    EXPECT_EQ(MenuModeIndex(both), 2);
    EXPECT_EQ(ChildWindowIndex(CompanionVisibility{false, false, true}), 3);
    EXPECT_EQ(MenuModeIndex(CompanionVisibility{}), 0);
}

} // namespace
} // namespace tobu
