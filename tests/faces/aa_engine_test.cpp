// The text-effects engine on byte buffers: mask layout, reductions, blur, blending, shadow
// placement, measuring and the effect's settings section.
#include <gtest/gtest.h>

#include <map>

#include "aa_fakes.h"
#include "faces/aa_engine.h"

namespace tobu {
namespace {

using testing::BlockGlyphs;

TAAMask MaskFrom(const std::vector<std::vector<int>>& rows) {
    TAAMask m;
    m.SetSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < m.Height(); ++y)
        for (int x = 0; x < m.Width(); ++x) m.Set(x, y, static_cast<std::uint8_t>(rows[y][x]));
    return m;
}

TEST(AAMaskTest, RowsAreBottomUpWithFourByteStrideAndCheckedIndex) {
    TAAMask m;
    m.SetSize(5, 3);
    EXPECT_EQ(m.Stride(), 8);
    EXPECT_EQ(m.Data().size(), 24u);
    m.Set(1, 0, 7); // top row lives last in memory
    EXPECT_EQ(m.Data()[2 * 8 + 1], 7);
    m.SetSize(8, 1);
    EXPECT_EQ(m.Stride(), 8);
    try {
        m.ScanLine(1);
        FAIL() << "row past the end accepted";
    } catch (const EInvalidLine& e) {
        EXPECT_STREQ(e.what(), "Invalid line!");
    }
    EXPECT_THROW(m.ScanLine(-1), EInvalidLine);
}

TEST(AAMaskTest, ReductionsForEachFactor) {
    Bitmap8 raw(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) raw.At(x, y) = static_cast<std::uint8_t>(10 * (y * 4 + x));
    TAAMask m;
    m.SetQuality(TAAQuality::aqNone);
    m.Reduce(raw, 4, 4);
    EXPECT_EQ(m.At(3, 2), 110);

    m.SetQuality(TAAQuality::aqLow);
    m.Reduce(raw, 2, 2);
    EXPECT_EQ(m.At(0, 0), (0 + 10 + 40 + 50) >> 2);
    EXPECT_EQ(m.At(1, 1), (100 + 110 + 140 + 150) >> 2);

    m.SetQuality(TAAQuality::aqHigh);
    m.Reduce(raw, 1, 1);
    EXPECT_EQ(m.At(0, 0), (10 * (15 * 16 / 2)) >> 4);

    // Factor 3: the top-left and bottom-right samples count half.
    Bitmap8 r3(3, 3);
    int v = 1;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) r3.At(x, y) = static_cast<std::uint8_t>(v++ * 20);
    m.SetQuality(TAAQuality::aqNormal);
    m.Reduce(r3, 1, 1);
    const int sum = (20 + 180) / 2 + 40 + 60 + 80 + 100 + 120 + 140 + 160;
    EXPECT_EQ(m.At(0, 0), sum >> 3);
    // Full ink stays full ink at every factor.
    for (auto q :
         {TAAQuality::aqNone, TAAQuality::aqLow, TAAQuality::aqNormal, TAAQuality::aqHigh}) {
        const int f = QualityFactor(q);
        Bitmap8 full(2 * f, 2 * f, 255);
        m.SetQuality(q);
        m.Reduce(full, 2, 2);
        EXPECT_EQ(m.At(1, 1), 255) << f;
    }
    // A raw picture smaller than asked for counts as no ink beyond its edge.
    m.SetQuality(TAAQuality::aqNone);
    m.Reduce(Bitmap8(1, 1, 200), 3, 2);
    EXPECT_EQ(m.At(0, 0), 200);
    EXPECT_EQ(m.At(2, 1), 0);
}

TEST(AABlurTest, FullStrengthIsTheClampedFiveByFiveAverageAndZeroChangesNothing) {
    std::vector<std::vector<int>> rows(6, std::vector<int>(7));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x) rows[y][x] = (x * 37 + y * 91) % 256;
    TAAMask m = MaskFrom(rows);
    TAAMask unchanged = m;
    AABlur(unchanged, 0);
    EXPECT_EQ(unchanged.Data(), m.Data());

    AABlur(m, 100);
    auto clampi = [](int v, int n) { return v < 0 ? 0 : v >= n ? n - 1 : v; };
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 7; ++x) {
            int sum = 0;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) sum += rows[clampi(y + dy, 6)][clampi(x + dx, 7)];
            EXPECT_EQ(m.At(x, y), (sum + 12) / 25) << x << "," << y;
        }
    }
    // The corner uses offsets 0,0,0,1,2: a single ink pixel at (0,0) weighs 9 of 25.
    TAAMask corner;
    corner.SetSize(5, 5);
    corner.Set(0, 0, 250);
    AABlur(corner, 100);
    EXPECT_EQ(corner.At(0, 0), 90);
    EXPECT_EQ(corner.At(2, 2), 10);
    EXPECT_EQ(corner.At(3, 3), 0);
}

TEST(AABlurTest, PartialStrengthMovesByFlooredWeight) {
    // Strength 50: w = 128 (127.5 rounded). A lone 200 amid zeros averages 8 (200/25) in its
    // 5 × 5 block; the pixel moves 200 + floor((8 − 200) × 128 / 256) = 104.
    TAAMask m;
    m.SetSize(5, 5);
    m.Set(2, 2, 200);
    AABlur(m, 50);
    EXPECT_EQ(m.At(2, 2), 104);
    EXPECT_EQ(m.At(0, 0), 4); // 0 + floor(8 × 128 / 256)
}

class BlendTest : public ::testing::Test {
protected:
    BlendTest() : bmp(4, 1, 0xFF000000u) {
        canvas.bitmap = &bmp;
        canvas.brushStyle = TBrushStyle::bsClear;
    }
    Bitmap32 bmp;
    TAACanvas canvas;
    TAABlend blend;
};

TEST_F(BlendTest, AlphaHundredGivesExactColourAndLeavesUninkedPixels) {
    bmp.At(1, 0) = 0xFF123456u;
    TAAMask m = MaskFrom({{255, 0, 1, 128}});
    blend.BlendColor(canvas, m, 0, 0, RGBColor(0xAA, 0xBB, 0xCC), 100);
    EXPECT_EQ(bmp.At(0, 0), 0xFFAABBCCu);
    EXPECT_EQ(bmp.At(1, 0), 0xFF123456u);
    EXPECT_EQ(bmp.At(2, 0), 0xFF000000u); // b = 256, t = 1: (0xAA × 1) / 256 rounds down to 0
    EXPECT_EQ(bmp.At(3, 0), 0xFF555D66u); // t = 128: half way, floored
}

TEST_F(BlendTest, AlphaSeventyMovesFullInk178Of256) {
    bmp.At(1, 0) = 0xFFFFFFFFu;
    TAAMask m = MaskFrom({{255, 255, 0, 0}});
    blend.BlendColor(canvas, m, 0, 0, 0x444444, 70);
    // Toward 0x44 from 0: floor(68 × 178 / 256) = 47; from 255: 255 + floor(−187 × 178 / 256).
    EXPECT_EQ(bmp.At(0, 0), 0xFF2F2F2Fu);
    EXPECT_EQ(bmp.At(1, 0), 0xFF7C7C7Cu);
    // Below b = 256 nothing moves: alpha 1 gives k = 2, and 127 × 2 < 256.
    TAAMask faint = MaskFrom({{127, 128, 0, 0}});
    blend.BlendColor(canvas, faint, 2, 0, kClWhite, 1);
    EXPECT_EQ(bmp.At(2, 0), 0xFF000000u);
}

TEST_F(BlendTest, SolidBrushFillsTheTextBoxAndPositionClips) {
    canvas.brushStyle = TBrushStyle::bsSolid;
    canvas.brushColor = RGBColor(1, 2, 3);
    TAAMask m = MaskFrom({{0, 255, 0}});
    blend.BlendColor(canvas, m, 2, 0, kClWhite, 100); // the last column falls off the canvas
    EXPECT_EQ(bmp.At(0, 0), 0xFF000000u);
    EXPECT_EQ(bmp.At(1, 0), 0xFF000000u);
    EXPECT_EQ(bmp.At(2, 0), 0xFF010203u);
    EXPECT_EQ(bmp.At(3, 0), 0xFFFFFFFFu);
    blend.BlendColor(canvas, m, -10, -10, kClWhite, 100); // wholly outside: no effect, no crash
}

TEST_F(BlendTest, ForegroundMustMatchTheMask) {
    TAAMask m = MaskFrom({{255, 255}});
    blend.Foreground() = Bitmap32(2, 1, 0xFF00FF00u);
    blend.BlendForeground(canvas, m, 1, 0, 100);
    EXPECT_EQ(bmp.At(1, 0), 0xFF00FF00u);
    blend.Foreground() = Bitmap32(3, 1);
    try {
        blend.BlendForeground(canvas, m, 0, 0, 100);
        FAIL() << "mismatched foreground accepted";
    } catch (const EInvalidForeBmp& e) {
        EXPECT_STREQ(e.what(), "Invalid foreground bitmap!");
    }
    blend.Foreground() = Bitmap32(2, 1);
    blend.Foreground().pixels.pop_back(); // malformed buffer
    EXPECT_THROW(blend.BlendForeground(canvas, m, 0, 0, 100), EInvalidForeBmp);
}

TEST(AAMaskEffectsTest, OutlineMirrorsAndSpray) {
    TAAMask m = MaskFrom({{0, 0, 0, 0}, {0, 255, 255, 0}, {0, 0, 0, 0}});
    AAOutline(m);
    // (1,1): |0−255| + |0−0| + |0−0| + |0−0| = 255 → 63; borders untouched.
    EXPECT_EQ(m.At(1, 1), 63);
    EXPECT_EQ(m.At(0, 1), 0);
    TAAMask two = MaskFrom({{9, 9}, {9, 9}});
    AAOutline(two);
    EXPECT_EQ(two.At(0, 0), 9);

    TAAMask r = MaskFrom({{1, 2, 3}, {4, 5, 6}});
    AAHorzMirror(r);
    EXPECT_EQ(r.At(0, 0), 3);
    EXPECT_EQ(r.At(2, 1), 4);
    AAVertMirror(r);
    EXPECT_EQ(r.At(0, 0), 6);
    EXPECT_EQ(r.At(0, 1), 3);

    TAAMask s = MaskFrom({{10, 20, 30}, {40, 50, 60}});
    std::mt19937 rng(1);
    AASpray(s, 0, rng);
    EXPECT_EQ(s.At(1, 1), 50);
    AASpray(s, 200, rng); // any value comes from inside the mask
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(s.At(x, y) % 10, 0);
}

TEST(AAForegroundTest, GradientTextureAndNoise) {
    Bitmap32 g = AAGradientForeground(5, 2, TGradualStyle::gsLeftToRight, kClWhite, kClBlack);
    EXPECT_EQ(g.At(0, 1), 0xFFFFFFFFu);
    EXPECT_EQ(g.At(4, 0), 0xFF000000u);
    Bitmap32 c = AAGradientForeground(5, 3, TGradualStyle::gsCenterToLR, kClWhite, kClBlack);
    EXPECT_EQ(c.At(2, 0), 0xFFFFFFFFu);
    EXPECT_EQ(c.At(0, 0), 0xFF000000u);
    EXPECT_EQ(c.At(4, 2), 0xFF000000u);
    Bitmap32 v = AAGradientForeground(2, 3, TGradualStyle::gsBottomToTop, kClWhite, kClBlack);
    EXPECT_EQ(v.At(1, 2), 0xFFFFFFFFu);
    EXPECT_EQ(v.At(0, 0), 0xFF000000u);

    Bitmap32 pic(2, 1);
    pic.At(0, 0) = 0xFF0000FFu;
    pic.At(1, 0) = 0xFF00FF00u;
    Bitmap32 t = AATextureForeground(5, 2, pic, TTextureMode::tmTiled, kClWhite);
    EXPECT_EQ(t.At(4, 1), 0xFF0000FFu);
    Bitmap32 n = AATextureForeground(5, 2, pic, TTextureMode::tmNormal, RGBColor(1, 2, 3));
    EXPECT_EQ(n.At(1, 0), 0xFF00FF00u);
    EXPECT_EQ(n.At(2, 0), 0xFF010203u);
    Bitmap32 ce = AATextureForeground(4, 1, pic, TTextureMode::tmCenter, kClBlack);
    EXPECT_EQ(ce.At(1, 0), 0xFF0000FFu);
    EXPECT_EQ(ce.At(0, 0), 0xFF000000u);

    Bitmap32 noisy(50, 50, 0xFF808080u);
    std::mt19937 rng(3);
    AAAddNoise(noisy, 10, rng);
    bool changed = false;
    for (auto p : noisy.pixels) {
        for (int s = 0; s < 24; s += 8) {
            const int b = (p >> s) & 0xFF;
            EXPECT_GE(b, 128 - 5);
            EXPECT_LE(b, 128 + 4);
            changed |= b != 128;
        }
        EXPECT_EQ(p >> 24, 0xFFu);
    }
    EXPECT_TRUE(changed);
}

class EngineDrawTest : public ::testing::Test {
protected:
    EngineDrawTest() : engine(&glyphs), bmp(40, 30, 0xFF000000u) {
        canvas.bitmap = &bmp;
        canvas.brushStyle = TBrushStyle::bsClear;
        canvas.font.color = kClWhite;
        engine.SetCanvas(&canvas);
        engine.SetQuality(TAAQuality::aqNone);
        auto& sh = engine.Effect().Shadow();
        sh.SetEnabled(true);
        sh.SetBlur(0);
        sh.SetAlpha(100);
        sh.SetColor(RGBColor(255, 0, 0));
    }
    BlockGlyphs glyphs;
    TAAFontEx engine;
    Bitmap32 bmp;
    TAACanvas canvas;
};

TEST_F(EngineDrawTest, ShadowOneRightAndDownOfTheText) {
    engine.Effect().Shadow().SetOffsetX(1);
    engine.Effect().Shadow().SetOffsetY(1);
    engine.Draw(10, 5, "A");                // box ink at x 11..14, y 6..17 relative to its origin
    EXPECT_EQ(bmp.At(11, 6), 0xFFFFFFFFu);  // text at (10, 5)
    EXPECT_EQ(bmp.At(15, 7), 0xFFFF0000u);  // shadow's right edge, one pixel further
    EXPECT_EQ(bmp.At(12, 18), 0xFFFF0000u); // shadow's bottom edge
    EXPECT_EQ(bmp.At(11, 18), 0xFF000000u);
    EXPECT_EQ(canvas.brushStyle, TBrushStyle::bsClear);
}

TEST_F(EngineDrawTest, NegativeOffsetsPutTheShadowAtTheOrigin) {
    engine.Effect().Shadow().SetOffsetX(-1);
    engine.Effect().Shadow().SetOffsetY(-1);
    engine.Draw(10, 5, "A");
    EXPECT_EQ(bmp.At(11, 6), 0xFFFF0000u); // shadow at (10, 5)
    EXPECT_EQ(bmp.At(12, 7), 0xFFFFFFFFu); // text one pixel right and down
    EXPECT_EQ(bmp.At(15, 18), 0xFFFFFFFFu);
    EXPECT_EQ(bmp.At(15, 6), 0xFF000000u);
}

TEST_F(EngineDrawTest, SolidBrushIsRestoredAfterTheShadowClearsIt) {
    canvas.brushStyle = TBrushStyle::bsSolid;
    canvas.brushColor = RGBColor(9, 0, 0);
    engine.Draw(0, 0, "A"); // shadow at (2, 2), text at (0, 0)
    EXPECT_EQ(canvas.brushStyle, TBrushStyle::bsSolid);
    EXPECT_EQ(bmp.At(7, 2), 0xFF090000u); // the shadow's box was filled with the brush
    EXPECT_EQ(bmp.At(0, 0), 0xFF000000u); // the text composed over what was there
}

TEST_F(EngineDrawTest, NothingWithoutCanvasOrText) {
    const auto before = bmp.pixels;
    engine.Draw(0, 0, "");
    canvas.font.height = 1000000; // far too large to sample: skipped, not allocated
    engine.SetQuality(TAAQuality::aqHigh);
    engine.Draw(0, 0, "A");
    EXPECT_EQ(engine.Mask().Width(), 0);
    canvas.font.height = 12;
    engine.SetCanvas(nullptr);
    engine.Draw(0, 0, "A");
    EXPECT_EQ(engine.Measure("A"), (TSize{0, 0}));
    EXPECT_EQ(bmp.pixels, before);
}

TEST_F(EngineDrawTest, MeasureScalesItalicisesRotatesAndAddsShadowOffsets) {
    engine.Effect().Shadow().SetEnabled(false);
    EXPECT_EQ(engine.Measure("AB"), (TSize{12, 14}));
    engine.SetQuality(TAAQuality::aqNormal); // extent at height 36: 36 × 38 → 12 × 13 (rounded up)
    EXPECT_EQ(engine.Measure("AB"), (TSize{12, 13}));
    EXPECT_EQ(engine.TextWidth("AB"), 12);
    engine.SetQuality(TAAQuality::aqNone);
    canvas.font.italic = true; // + round(12 / 2 bytes × 0.3)
    EXPECT_EQ(engine.Measure("AB"), (TSize{14, 14}));
    canvas.font.italic = false;
    engine.Effect().SetAngle(90);
    EXPECT_EQ(engine.Measure("AB"), (TSize{14, 12}));
    engine.Effect().SetAngle(0);
    engine.Effect().Shadow().SetEnabled(true);
    engine.Effect().Shadow().SetOffsetX(-3);
    engine.Effect().Shadow().SetOffsetY(2);
    EXPECT_EQ(engine.Measure("AB"), (TSize{15, 16}));
    EXPECT_EQ(engine.TextHeight("AB"), 16);
}

TEST_F(EngineDrawTest, MaskIsRenderedAtTheScaledHeight) {
    engine.Effect().Shadow().SetEnabled(false);
    engine.SetQuality(TAAQuality::aqHigh);
    engine.Draw(0, 0, "A");
    ASSERT_FALSE(glyphs.rendered.empty());
    EXPECT_EQ(glyphs.rendered.back().height, 48);
    EXPECT_EQ(engine.Mask().Width(), 6);
    EXPECT_EQ(engine.Mask().Height(), 13); // ceil(50 / 4)
    EXPECT_EQ(engine.Mask().Quality(), TAAQuality::aqHigh);
}

TEST(AAEffectTest, AssignCopiesEverythingAndChangesNotify) {
    TAAEffect a;
    int notes = 0;
    a.SetOnChange([&] { ++notes; });
    a.Shadow().SetOffsetX(-5);
    EXPECT_EQ(notes, 1);
    a.Shadow().SetOffsetX(-5); // same value: no notification
    EXPECT_EQ(notes, 1);
    a.SetAlpha(150);
    EXPECT_EQ(a.Alpha(), 100);

    TAAEffect b;
    b.SetAlpha(40);
    b.SetAngle(30);
    b.SetOutline(true);
    b.Shadow().SetEnabled(true);
    b.Shadow().SetColor(0x123456);
    b.Gradual().SetEnabled(true);
    b.Gradual().SetStyle(TGradualStyle::gsCenterToTB);
    b.Texture().SetMode(TTextureMode::tmCenter);
    b.Texture().SetPicture(Bitmap32(2, 2, 0xFF010101u));
    a.Assign(b);
    EXPECT_GT(notes, 1);
    EXPECT_EQ(a.Alpha(), 40);
    EXPECT_EQ(a.Angle(), 30);
    EXPECT_TRUE(a.Outline());
    EXPECT_TRUE(a.Shadow().Enabled());
    EXPECT_EQ(a.Shadow().Color(), 0x123456u);
    EXPECT_EQ(a.Shadow().OffsetX(), 2);
    EXPECT_EQ(a.Gradual().Style(), TGradualStyle::gsCenterToTB);
    EXPECT_EQ(a.Texture().Mode(), TTextureMode::tmCenter);
    EXPECT_EQ(a.Texture().Picture().width, 2);
    // The copy's sub-objects notify the copy's owner, not the source's.
    int bNotes = 0;
    b.SetOnChange([&] { ++bNotes; });
    const int before = notes;
    a.Shadow().SetBlur(3);
    EXPECT_EQ(notes, before + 1);
    EXPECT_EQ(bNotes, 0);
}

TEST(AAEffectTest, SectionKeysInOrderAndLoadedValuesBroughtIntoRange) {
    TAAEffect e;
    e.Shadow().SetOffsetX(-1);
    std::vector<std::string> keys;
    std::map<std::string, int> values;
    e.SaveToSection([&](const std::string& k, int v) {
        keys.push_back(k);
        values[k] = v;
    });
    const std::vector<std::string> expected = {
        "Alpha",           "Blur",          "Noise",      "Spray",
        "Angle",           "Outline",       "HorzMirror", "VertMirror",
        "Shadow",          "ShadowAlpha",   "ShadowBlur", "ShadowColor",
        "ShadowOffsetX",   "ShadowOffsetY", "Gradual",    "GradualStartColor",
        "GradualEndColor", "GradualStyle",  "Texture",    "TextureMode"};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(values["ShadowOffsetX"], -1);
    EXPECT_EQ(values["ShadowColor"], 0x444444);

    values["GradualStyle"] = 6;
    values["TextureMode"] = 4;
    values["Alpha"] = 55;
    values["Shadow"] = 1;
    values["ShadowOffsetY"] = 300;
    TAAEffect loaded;
    int notes = 0;
    loaded.SetOnChange([&] { ++notes; });
    loaded.LoadFromSection([&](const std::string& k, int def) {
        auto it = values.find(k);
        return it == values.end() ? def : it->second;
    });
    EXPECT_EQ(notes, 1);
    EXPECT_EQ(loaded.Alpha(), 55);
    EXPECT_TRUE(loaded.Shadow().Enabled());
    EXPECT_EQ(loaded.Shadow().OffsetX(), -1);
    EXPECT_EQ(loaded.Shadow().OffsetY(), 127);
    EXPECT_EQ(loaded.Gradual().Style(), TGradualStyle::gsLeftToRight);
    EXPECT_EQ(loaded.Texture().Mode(), TTextureMode::tmTiled);
    values["GradualStyle"] = 5;
    loaded.LoadFromSection([&](const std::string& k, int def) {
        auto it = values.find(k);
        return it == values.end() ? def : it->second;
    });
    EXPECT_EQ(loaded.Gradual().Style(), TGradualStyle::gsCenterToTB);
}

} // namespace
} // namespace tobu
