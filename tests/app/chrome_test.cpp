#include "app/chrome.h"

#include <gtest/gtest.h>

using namespace tobu;

namespace {

constexpr std::uint32_t kMagenta = 0xFFFF00FFu;

// A 100 × 50 frame sprite whose pixel tells its position: red = x, green = y.
Bitmap32 FrameSprite(int fw = 100, int fh = 50) {
    Bitmap32 b(fw, fh);
    for (int y = 0; y < fh; ++y)
        for (int x = 0; x < fw; ++x) b.At(x, y) = 0xFF000000u | (x << 16) | (y << 8);
    return b;
}
int SrcX(std::uint32_t p) {
    return (p >> 16) & 0xFF;
}
int SrcY(std::uint32_t p) {
    return (p >> 8) & 0xFF;
}

} // namespace

TEST(Frame, DialogOf382By266) {
    Bitmap32 pic = PaintFrame(FrameSprite(), 382, 266);
    ASSERT_EQ(pic.width, 382);
    ASSERT_EQ(pic.height, 266);
    // One-pixel magenta margin around everything.
    for (int x = 0; x < 382; ++x) {
        EXPECT_EQ(pic.At(x, 0), kMagenta);
        EXPECT_EQ(pic.At(x, 265), kMagenta);
    }
    for (int y = 0; y < 266; ++y) {
        EXPECT_EQ(pic.At(0, y), kMagenta);
        EXPECT_EQ(pic.At(381, y), kMagenta);
    }
    // Caption left corner copied 1:1 at (1, 1); right corner (80..99) at x 361.
    EXPECT_EQ(pic.At(1, 1), 0xFF000000u);
    EXPECT_EQ(SrcX(pic.At(20, 27)), 19);
    EXPECT_EQ(SrcY(pic.At(20, 28)), 27);
    EXPECT_EQ(SrcX(pic.At(361, 5)), 80);
    EXPECT_EQ(SrcX(pic.At(380, 5)), 99);
    // Caption middle stretched over x 21..360 (340 pixels) through an 80-pixel bitmap: its
    // first column is source column 21 and its last source column 80.
    const FramePlaces places = FrameLayout(100, 50, 382, 266);
    EXPECT_EQ(places.caption_middle, (TRect{21, 1, 361, 29}));
    EXPECT_EQ(places.caption_middle.Width(), 340);
    EXPECT_EQ(SrcX(pic.At(21, 10)), 21);
    EXPECT_EQ(SrcX(pic.At(360, 10)), 80);
    // 60 source columns into 80 and then into 340: x 21 + 17 is the first pixel of
    // intermediate column 4 (17 × 80 / 340 = 4), which holds source column 21 + 4 × 60 / 80 = 24.
    EXPECT_EQ(SrcX(pic.At(37, 10)), 23);
    EXPECT_EQ(SrcX(pic.At(38, 10)), 24);
    // Bottom corners copied 1:1, edges and body stretched.
    EXPECT_EQ(SrcX(pic.At(1, 255)), 0);
    EXPECT_EQ(SrcY(pic.At(1, 255)), 40);
    EXPECT_EQ(SrcX(pic.At(380, 264)), 99);
    EXPECT_EQ(SrcY(pic.At(380, 264)), 49);
    EXPECT_EQ(SrcY(pic.At(5, 29)), 28);    // left edge top
    EXPECT_EQ(SrcY(pic.At(5, 254)), 39);   // left edge bottom (12 rows over 226)
    EXPECT_EQ(SrcX(pic.At(375, 100)), 94); // right edge
    EXPECT_EQ(SrcY(pic.At(200, 264)), 49); // bottom edge
    EXPECT_EQ(SrcX(pic.At(11, 100)), 10);  // body
    EXPECT_EQ(SrcX(pic.At(370, 100)), 89);
}

TEST(Frame, IntermediateBitmapsShapeTheStretch) {
    // A 120 × 60 sprite: the body (100 × 22) is squeezed to 100 × 12 first, so only every
    // other source row or so reaches the dialog.
    Bitmap32 pic = PaintFrame(FrameSprite(120, 60), 200, 100);
    // Body target rows 29..88 (60 rows) come from 12 intermediate rows: row 29 + 5 × k is the
    // start of intermediate row k, which holds source row 28 + k × 22 / 12.
    EXPECT_EQ(SrcY(pic.At(50, 29)), 28);
    EXPECT_EQ(SrcY(pic.At(50, 34)), 29);
    EXPECT_EQ(SrcY(pic.At(50, 39)), 31);
    EXPECT_EQ(SrcY(pic.At(50, 88)), 48);
    // Row 83 is the last row of intermediate row 10 (source row 28 + 10 × 22 / 12 = 46);
    // a direct stretch would have given 28 + 54 × 22 / 60 = 47 there.
    EXPECT_EQ(SrcY(pic.At(50, 84)), 48);
    EXPECT_EQ(SrcY(pic.At(50, 83)), 46); // directly it would be 28 + 54 × 22 / 60 = 47
}

TEST(Frame, CaptionCloseButtonAndShape) {
    EXPECT_EQ(CaptionTop(13), 9);
    EXPECT_EQ(CaptionTop(12), 9);
    EXPECT_EQ(CaptionTop(16), 7);
    EXPECT_EQ(CloseButtonPos(382, 43), (TPoint{329, 1}));

    Bitmap8 m = RoundRectMask(382, 266);
    // Outside the (1, 1)–(382, 266) rectangle.
    EXPECT_EQ(m.At(0, 100), 0);
    EXPECT_EQ(m.At(100, 0), 0);
    // Inside along the edges, away from the corners.
    EXPECT_EQ(m.At(1, 100), 1);
    EXPECT_EQ(m.At(380, 100), 1);
    EXPECT_EQ(m.At(100, 264), 1);
    // The right and bottom bound are left out: the frame's magenta margin never shows.
    EXPECT_EQ(m.At(381, 100), 0);
    EXPECT_EQ(m.At(100, 265), 0);
    // The corners are cut by the 13 × 13 ellipse: its corner pixels are out, the inner ones in.
    EXPECT_EQ(m.At(1, 1), 0);
    EXPECT_EQ(m.At(2, 2), 0);
    EXPECT_EQ(m.At(3, 3), 1);
    EXPECT_EQ(m.At(7, 1), 1);
    EXPECT_EQ(m.At(380, 264), 0);
    EXPECT_EQ(m.At(378, 262), 1);
    // Symmetric corners.
    for (int i = 1; i < 8; ++i)
        for (int j = 1; j < 8; ++j) {
            EXPECT_EQ(m.At(i, j), m.At(381 - i, j)) << i << "," << j;
            EXPECT_EQ(m.At(i, j), m.At(i, 265 - j)) << i << "," << j;
        }
}

TEST(Shadow, BlurPassIsInPlaceWithClampedEdges) {
    // 3 × 1, blue 0, 255, 0 (alpha bytes must survive).
    Bitmap32 pic(3, 1);
    pic.At(0, 0) = 0x11000000u;
    pic.At(1, 0) = 0x220000FFu;
    pic.At(2, 0) = 0x33000000u;
    ShadowBlurPass(pic, 1);
    // x 0: (0 + 255 + 0 + 255) >> 2 = 127; x 1 sees the new x 0: (127 + 0 + 127 + 0) >> 2 = 63;
    // x 2: (63 + 0 + 63 + 0) >> 2 = 31.
    EXPECT_EQ(pic.At(0, 0), 0x1100007Fu);
    EXPECT_EQ(pic.At(1, 0), 0x2200003Fu);
    EXPECT_EQ(pic.At(2, 0), 0x3300001Fu);

    // 2 × 2, distance 2, all three colour bytes: every read clamps.
    Bitmap32 q(2, 2);
    q.At(0, 0) = 0x00FFFFFFu;
    q.At(1, 1) = 0x00804020u;
    ShadowBlurPass(q, 2);
    // (0,0): reads (0,0)(1,0)(0,1)(1,1) = FF+0+0+80 → 0x17F >> 2 = 0x5F; 40+FF → 0x4F; FF+20 →
    // 0x47.
    EXPECT_EQ(q.At(0, 0), 0x005F4F47u);
    // (1,0): reads (0,0)new,(1,0),(0,1),(1,1): 5F+0+0+80 = DF → 0x37; 4F+40 = 8F → 0x23; 47+20 →
    // 0x19.
    EXPECT_EQ(q.At(1, 0), 0x00372319u);
}

TEST(Shadow, CompositionUsesTheProductTable) {
    EXPECT_EQ(ShadowProductTable()[255][255], 255);
    EXPECT_EQ(ShadowProductTable()[100][128], 50);
    EXPECT_EQ(ShadowProductTable()[254][1], 0);
    Bitmap32 pic(3, 1);
    pic.At(0, 0) = 0x00000080u;
    pic.At(1, 0) = 0x00FFFFFFu;
    pic.At(2, 0) = 0xFF000000u;
    Bitmap32 black = pic;
    ShadowCompose(black, kClBlack);
    EXPECT_EQ(black.At(0, 0), 0x80000000u);
    EXPECT_EQ(black.At(1, 0), 0xFF000000u);
    EXPECT_EQ(black.At(2, 0), 0x00000000u);
    ShadowCompose(pic, RGBColor(100, 255, 0)); // premultiplied by the alpha
    EXPECT_EQ(pic.At(0, 0), 0x80328000u);
    EXPECT_EQ(pic.At(1, 0), 0xFF64FF00u);
}

TEST(Shadow, PictureOfARectangularForm) {
    ShadowForm f;
    f.width = 382;
    f.height = 266;
    ShadowPicture s = DrawShadowPicture(f);
    EXPECT_EQ(s.picture.width, 414);
    EXPECT_EQ(s.picture.height, 298);
    EXPECT_EQ(s.constant_alpha, 255);
    EXPECT_EQ(ShadowPosition(100, 50), (TPoint{84, 34}));
    // Under the form: cut out.
    EXPECT_EQ(s.picture.At(16, 16), 0u);
    EXPECT_EQ(s.picture.At(200, 150), 0u);
    EXPECT_EQ(s.picture.At(397, 281), 0u);
    // Just outside the form a dark halo; far corners untouched.
    auto alpha = [&](int x, int y) { return s.picture.At(x, y) >> 24; };
    EXPECT_GT(alpha(200, 15), 60u);
    EXPECT_GT(alpha(15, 150), 60u);
    EXPECT_GT(alpha(398, 150), 60u);
    EXPECT_GT(alpha(200, 282), 60u);
    EXPECT_GT(alpha(200, 15), alpha(200, 12));
    EXPECT_EQ(alpha(0, 0), 0u);
    EXPECT_EQ(alpha(200, 5), 0u);
    // Black shadow: colour bytes are zero wherever the alpha is.
    for (auto p : s.picture.pixels) ASSERT_EQ(p & 0x00FFFFFFu, 0u);

    f.alpha_blend = true;
    f.alpha = 200;
    EXPECT_EQ(DrawShadowPicture(f).constant_alpha, 200);
}

TEST(Shadow, SmallPictureByteForByte) {
    // A 1 × 1 form: picture 33 × 33, one white pixel at (16, 16) before the blur. Only the
    // few pixels the three passes reach from it may carry alpha, and the cut-out clears (16, 16).
    ShadowForm f;
    f.width = 1;
    f.height = 1;
    Bitmap32 pic = DrawShadowPicture(f).picture;
    ASSERT_EQ(pic.width, 33);
    // Reproduce by hand with the passes on the same start picture.
    Bitmap32 ref(33, 33, 0);
    ref.At(16, 16) = 0x00FFFFFF;
    ShadowBlurPass(ref, 1);
    // After pass 1 the pixel spreads to the four diagonal neighbours... in place: (15,15) reads
    // (14,14),(16,14),(14,16),(16,16) = 255/4 = 63; (17,15) reads (16,14),(18,14),(16,16),
    // (18,16) → 63; (16,16) reads (15,15)=63,(17,15)=63,(15,17),(17,17) → 31.
    EXPECT_EQ(ref.At(15, 15) & 0xFF, 63u);
    EXPECT_EQ(ref.At(17, 15) & 0xFF, 63u);
    EXPECT_EQ(ref.At(16, 16) & 0xFF, 31u);
    // (14,16) already holds (63 + 0 + 0 + 0) >> 2 = 15 when (15,17) reads it with (16,16) = 31:
    // (15 + 31) >> 2 = 11.
    EXPECT_EQ(ref.At(14, 16) & 0xFF, 15u);
    EXPECT_EQ(ref.At(15, 17) & 0xFF, 11u);
    ShadowBlurPass(ref, 2);
    ShadowBlurPass(ref, 3);
    ref.At(16, 16) = 0;
    ShadowCompose(ref, kClBlack);
    EXPECT_EQ(pic.pixels, ref.pixels);
}

TEST(Shadow, ColourKeyedFormFollowsItsVisibleShape) {
    // 20 × 20 form whose left half is the transparent colour: under it the shadow shows,
    // under the right half it is cut out.
    Bitmap32 client(20, 20, ColorToPixel(kClWhite));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 10; ++x) client.At(x, y) = ColorToPixel(kClFuchsia);
    ShadowForm f;
    f.width = 20;
    f.height = 20;
    f.transparent_color = kClFuchsia;
    f.client = &client;
    Bitmap32 pic = DrawShadowPicture(f).picture;
    auto alpha = [&](int x, int y) { return pic.At(x, y) >> 24; };
    EXPECT_EQ(alpha(16 + 15, 16 + 10), 0u); // under an opaque pixel
    EXPECT_GT(alpha(16 + 9, 16 + 10), 40u); // next to it, under a see-through pixel
    EXPECT_EQ(alpha(16 + 15, 16 - 12), 0u);

    // A window shape (region) limits the shape the same way.
    Bitmap8 region(20, 20, 0);
    for (int y = 5; y < 15; ++y)
        for (int x = 5; x < 15; ++x) region.At(x, y) = 1;
    ShadowForm g;
    g.width = 20;
    g.height = 20;
    g.region = &region;
    Bitmap32 r = DrawShadowPicture(g).picture;
    EXPECT_EQ(r.At(16 + 10, 16 + 10) >> 24, 0u);
    EXPECT_GT(r.At(16 + 4, 16 + 10) >> 24, 60u);
    EXPECT_EQ(r.At(16 + 10, 16 + 5 - 7) >> 24, 0u); // the passes reach 1 + 2 + 3 rows up
    EXPECT_GT(r.At(16 + 10, 16 + 5 - 1) >> 24, 0u);
}

TEST(Shadow, TrackerRedrawsOnlyWhenNeeded) {
    ShadowTracker t;
    auto p = t.PositionChanged(100, 50, 382, 266, true, false, std::nullopt);
    EXPECT_FALSE(p.redraw); // hidden: never drawn
    EXPECT_FALSE(p.show);
    EXPECT_TRUE(t.SetVisible(true));
    EXPECT_FALSE(t.SetVisible(true));
    p = t.PositionChanged(100, 50, 382, 266, true, false, std::nullopt);
    EXPECT_TRUE(p.redraw);
    EXPECT_TRUE(p.show);
    EXPECT_EQ(p.pos, (TPoint{84, 34}));
    EXPECT_EQ(p.width, 414);
    EXPECT_EQ(p.height, 298);
    // Moving only moves.
    p = t.PositionChanged(300, 20, 382, 266, true, false, std::nullopt);
    EXPECT_FALSE(p.redraw);
    EXPECT_EQ(p.pos, (TPoint{284, 4}));
    // A new size, a refresh or a new colour key redraws.
    EXPECT_TRUE(t.PositionChanged(300, 20, 383, 266, true, false, std::nullopt).redraw);
    t.MarkDirty();
    EXPECT_TRUE(t.PositionChanged(300, 20, 383, 266, true, false, std::nullopt).redraw);
    EXPECT_TRUE(t.PositionChanged(300, 20, 383, 266, true, false, kClFuchsia).redraw);
    EXPECT_FALSE(t.PositionChanged(300, 20, 383, 266, true, false, kClFuchsia).redraw);
    // Maximised or minimised: hidden; restoring brings it back.
    t.MarkDirty();
    p = t.PositionChanged(0, 0, 1280, 768, false, true, std::nullopt);
    EXPECT_FALSE(p.show);
    EXPECT_FALSE(p.redraw);
    p = t.PositionChanged(300, 20, 383, 266, false, false, std::nullopt); // minimised
    EXPECT_FALSE(p.show);
    EXPECT_TRUE(p.redraw); // only a maximised form skips the redraw
    p = t.PositionChanged(300, 20, 383, 266, true, false, std::nullopt);
    EXPECT_TRUE(p.show);
    EXPECT_FALSE(p.redraw);
}

TEST(Fade, StepsOf30WhileAbove30) {
    int n = 0;
    auto s = FadeSteps(200, &n);
    ASSERT_EQ(n, 6);
    EXPECT_EQ(s[0], 170);
    EXPECT_EQ(s[5], 20);
    FadeSteps(255, &n);
    EXPECT_EQ(n, 8);
    FadeSteps(30, &n);
    EXPECT_EQ(n, 0);
    s = FadeSteps(31, &n);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(s[0], 1);
}
