#include "faces/rotate_image.h"

#include <gmock/gmock.h>

#include <limits>
#include <vector>

namespace tobu {
namespace {

constexpr std::uint32_t kBg = 0xFF00FF00;

// A w × h picture whose pixel (x, y) is 10·y + x + 1 (opaque).
Bitmap32 Numbered(int w, int h) {
    Bitmap32 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.At(x, y) = 0xFF000000u | std::uint32_t(10 * y + x + 1);
    return b;
}

// The pixel numbers row by row.
std::vector<std::vector<int>> Rows(const Bitmap32& b) {
    std::vector<std::vector<int>> rows(b.height);
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) rows[y].push_back(static_cast<int>(b.At(x, y) & 0xFFFF));
    return rows;
}

using Grid = std::vector<std::vector<int>>;

TEST(RotateBitmap, QuarterAndHalfTurnsMovePixelsExactly) {
    const Bitmap32 src = Numbered(4, 6);

    // By 90 (counter-clockwise) the top row becomes the left column, its left end at the bottom.
    const Bitmap32 ccw = RotateBitmap(src, kBg, 90);
    ASSERT_EQ(ccw.width, 6);
    ASSERT_EQ(ccw.height, 4);
    EXPECT_EQ(Rows(ccw), (Grid{{4, 14, 24, 34, 44, 54},
                               {3, 13, 23, 33, 43, 53},
                               {2, 12, 22, 32, 42, 52},
                               {1, 11, 21, 31, 41, 51}}));

    // By −90 the top row becomes the right column, its left end at the top.
    const Bitmap32 cw = RotateBitmap(src, kBg, -90);
    ASSERT_EQ(cw.width, 6);
    ASSERT_EQ(cw.height, 4);
    EXPECT_EQ(Rows(cw), (Grid{{51, 41, 31, 21, 11, 1},
                              {52, 42, 32, 22, 12, 2},
                              {53, 43, 33, 23, 13, 3},
                              {54, 44, 34, 24, 14, 4}}));

    // 180 and −180: upside down and mirrored.
    const Grid half = {{54, 53, 52, 51}, {44, 43, 42, 41}, {34, 33, 32, 31},
                       {24, 23, 22, 21}, {14, 13, 12, 11}, {4, 3, 2, 1}};
    EXPECT_EQ(Rows(RotateBitmap(src, kBg, 180)), half);
    EXPECT_EQ(Rows(RotateBitmap(src, kBg, -180)), half);

    // 0 is the identity for even and odd sizes (the half-size corrections), and angles are
    // normalised: −450 is −90, 450 is 90, 360 is 0.
    EXPECT_EQ(Rows(RotateBitmap(src, kBg, 0)), Rows(src));
    const Bitmap32 odd = Numbered(5, 7);
    EXPECT_EQ(Rows(RotateBitmap(odd, kBg, 0)), Rows(odd));
    EXPECT_EQ(Rows(RotateBitmap(src, kBg, -450)), Rows(cw));
    EXPECT_EQ(Rows(RotateBitmap(src, kBg, 450)), Rows(ccw));
    EXPECT_EQ(Rows(RotateBitmap(src, kBg, 360)), Rows(src));
}

TEST(RotateBitmap, OddAnglesResampleWithoutInventingColoursAndBadInputStaysSafe) {
    Bitmap32 src(20, 90);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 20; ++x) src.At(x, y) = 0xFF000000u | std::uint32_t(y << 8 | x);
    // −30: S = 32767 and C = 56755 give 62 × 87 (the fixed-point sizes, not the real ones).
    const Bitmap32 r = RotateBitmap(src, kBg, -30);
    EXPECT_EQ(r.width, 62);
    EXPECT_EQ(r.height, 87);
    int background = 0;
    for (std::uint32_t p : r.pixels) {
        if (p == kBg) {
            ++background;
            continue;
        }
        const int n = static_cast<int>(p & 0xFFFF); // every pixel is a source pixel
        ASSERT_TRUE((n & 0xFF) < 20 && (n >> 8) < 90) << n;
    }
    // Nearest neighbour keeps the hand's area (20 × 90) within a few edge pixels.
    EXPECT_NEAR(r.width * r.height - background, 20 * 90, 60);

    // The small case pixel by pixel; S = 32768 instead of 32767 would change it.
    constexpr int o = kBg & 0xFFFF;
    EXPECT_EQ(Rows(RotateBitmap(Numbered(4, 6), kBg, -30)), (Grid{{o, o, 1, o, o, o},
                                                                  {o, 11, 12, 2, 3, o},
                                                                  {o, 21, 22, 13, 14, o},
                                                                  {31, 32, 23, 23, 24, o},
                                                                  {41, 42, 33, 34, o, o},
                                                                  {52, 53, 43, 44, o, o},
                                                                  {o, o, 54, o, o, o}}));

    EXPECT_TRUE(RotateBitmap(Bitmap32(), kBg, 30).Empty());
    EXPECT_EQ(Rows(RotateBitmap(src, kBg, std::numeric_limits<double>::quiet_NaN())), Rows(src));
    EXPECT_EQ(Rows(RotateBitmap(src, kBg, 1e300 * 10)), Rows(src)); // infinity
    EXPECT_EQ(RotateBitmap(src, kBg, 360e9 + 90).width, 90);        // far turns end quickly
}

TEST(TRotateImage, UniqueSizeSquareCentredCopiesAndRebuildsOnlyOnChange) {
    Bitmap32 hand(9, 101, 0xFF112233);
    hand.At(4, 0) = 0xFFFF0000;   // the tip
    hand.At(0, 100) = 0xFF000000; // bottom-left: the transparent colour
    TRotateImage img;
    img.SetCenter(true);
    img.SetTransparent(true);
    img.SetPicture(hand);
    EXPECT_EQ(img.BackgroundPixel(), 0xFF000000u);
    for (double a : {0.0, -6.0, -30.0, -45.0, -90.0, -137.0, 90.0, 180.0, -276.0, -450.0}) {
        img.SetAngle(a);
        EXPECT_EQ(img.RotatedBitmap().width, 104) << a;
        EXPECT_EQ(img.RotatedBitmap().height, 104) << a;
    }

    // A whole turn is a copy, centred at ((104 − 9) div 2, (104 − 101) div 2).
    img.SetAngle(-360);
    const Bitmap32& sq = img.RotatedBitmap();
    EXPECT_EQ(sq.At(47 + 4, 1), 0xFFFF0000u);
    EXPECT_EQ(sq.At(47, 1 + 100), 0xFF000000u);
    EXPECT_EQ(sq.At(46, 50), 0xFF000000u); // outside the copy: the background colour
    EXPECT_EQ(sq.At(48, 50), 0xFF112233u);

    // The same angle again does nothing; a new one rebuilds once.
    const int before = img.Rebuilds();
    img.SetAngle(-360);
    img.SetCenter(true);
    EXPECT_EQ(img.Rebuilds(), before);
    img.SetAngle(-6);
    EXPECT_EQ(img.Rebuilds(), before + 1);

    // Painted transparent: background pixels stay as they were.
    Bitmap32 canvas(110, 110, 0xFFABCDEF);
    img.SetAngle(0);
    img.Paint(canvas, {3, 3, 107, 107});
    EXPECT_EQ(canvas.At(3, 3), 0xFFABCDEFu);
    EXPECT_EQ(canvas.At(3 + 47 + 4, 3 + 1), 0xFFFF0000u);

    // Without UniqueSize the result is the rotation itself; an empty picture gives 0 × 0.
    img.SetUniqueSize(false);
    img.SetAngle(-90);
    EXPECT_EQ(img.RotatedBitmap().width, 101);
    EXPECT_EQ(img.RotatedBitmap().height, 9);
    img.SetPicture(Bitmap32());
    EXPECT_TRUE(img.RotatedBitmap().Empty());
    EXPECT_EQ(UniqueSide(9, 101), 104);
}

} // namespace
} // namespace tobu
