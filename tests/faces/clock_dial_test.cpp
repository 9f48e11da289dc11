#include "faces/clock_dial.h"

#include <gmock/gmock.h>

#include <map>
#include <string>
#include <vector>

#include "faces/clock_test_face.h"

namespace tobu {
namespace {

using testing_face::GridOf;
using testing_face::SmallFace;

TEST(ClockHandAngles, FollowTheHourMinuteAndSecond) {
    EXPECT_EQ(ClockHandAngles(12, 0, 0), (HandAngles{-360, 0, 0}));
    EXPECT_EQ(ClockHandAngles(0, 0, 0), (HandAngles{0, 0, 0}));
    EXPECT_EQ(ClockHandAngles(3, 0, 0), (HandAngles{-90, 0, 0}));
    EXPECT_EQ(ClockHandAngles(15, 0, 0), (HandAngles{-450, 0, 0}));
    EXPECT_EQ(ClockHandAngles(9, 15, 30), (HandAngles{-276, -90, -180}));
    EXPECT_EQ(ClockHandAngles(9, 11, 59), (HandAngles{-270, -66, -354})); // m div 12
}

TEST(ClockDial, PlacesHandsAndCapByTheRoundedUpHalves) {
    // A 161-pixel face with odd-sized hands turns them at (79, 79), a pixel off the pivot.
    ClockFace f;
    f.face = Bitmap32(161, 161, 0xFFFFFFFF);
    f.hour = Bitmap32(9, 101, 0xFF000000);
    f.cap = Bitmap32(7, 8, 0xFF000000);
    f.pivot = {80, 80};
    ClockDial dial(f);
    EXPECT_EQ(dial.HourRect(), (TRect{28, 28, 132, 132}));
    EXPECT_EQ(dial.CapBounds(), (TRect{76, 76, 83, 84}));
    EXPECT_EQ(dial.MinuteRect(), TRect{}); // no picture, no control
    EXPECT_EQ(dial.HourRect().left + (104 - 9) / 2 + 9 / 2, 79);

    // Each hand is re-rotated only when its own angle changes.
    dial.SetClockHands(9, 15, 30);
    const int h = dial.HourHand().Rebuilds(), m = dial.MinuteHand().Rebuilds(),
              s = dial.SecondHand().Rebuilds();
    dial.SetClockHands(9, 15, 31);
    EXPECT_EQ(dial.HourHand().Rebuilds(), h);
    EXPECT_EQ(dial.MinuteHand().Rebuilds(), m);
    EXPECT_EQ(dial.SecondHand().Rebuilds(), s + 1);
    dial.SetClockHands(9, 24, 31);
    EXPECT_EQ(dial.HourHand().Rebuilds(), h + 1);
    EXPECT_EQ(dial.MinuteHand().Rebuilds(), m + 1);
}

TEST(ComposeClockPicture, PaintsFaceHandsAndCapEachKeyedByItsOwnColour) {
    // 03:00:30: the hour hand points right, the minute hand up, the second hand down; each
    // hand's square is its own key colour (green, black, white) and must leave the face alone.
    Bitmap32 pic = ComposeClockPicture(SmallFace(), 3, 0, 30);
    EXPECT_EQ(GridOf(pic), testing_face::SmallFaceAt030030());

    // The window's colour key: fuchsia becomes see-through, everything else opaque.
    KeyOutColor(pic);
    EXPECT_EQ(pic.At(0, 0) >> 24, 0u);
    EXPECT_EQ(pic.At(1, 0) >> 24, 0xFFu);

    // At 12:00:00 every hand is copied, not resampled: the three point up.
    const auto noon = GridOf(ComposeClockPicture(SmallFace(), 12, 0, 0));
    EXPECT_EQ(noon[0], "FWWWBWWWWWW");
    EXPECT_EQ(noon[4], "WWWWCCWWWWW");
}

} // namespace
} // namespace tobu
