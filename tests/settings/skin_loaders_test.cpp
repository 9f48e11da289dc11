#include "settings/skin_loaders.h"

#include <gtest/gtest.h>

#include "settings/skin_test_util.h"

using namespace tobu;
using namespace tobu::testing_skin;

namespace {

// True when `pic` is the sheet rectangle (left, top, w, h) of a position sheet.
::testing::AssertionResult IsCut(const Bitmap32& pic, int left, int top, int w, int h) {
    if (pic.width != w || pic.height != h)
        return ::testing::AssertionFailure()
               << "size " << pic.width << " x " << pic.height << ", want " << w << " x " << h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (pic.At(x, y) != PositionPixel(left + x, top + y))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " differs";
    return ::testing::AssertionSuccess();
}

class BarSkinTest : public ::testing::Test {
protected:
    TempDir dir;
    Bitmap32 sheet = PositionSheet(332, 610);
    std::string Write(const std::string& ini, std::uint32_t lead = 0) {
        return dir.Write("t.sk", Package(ini, sheet, lead));
    }
};

} // namespace

TEST_F(BarSkinTest, SheetSmallerThanTheLayoutStillApplies) {
    // A 100 × 50 sheet holds only part of the default layout: the bar takes what is there.
    BarSkin s;
    s.led_font_color = 0x123456;
    SkinLoadResult r =
        LoadBarSkin(dir.Write("small.sk", Package("[VER]\nSkinVer=1.0\n[BAR]\nLEDFontColor=255\n",
                                                  PositionSheet(100, 50))),
                    s);
    ASSERT_TRUE(r.Applied()) << r.error;
    EXPECT_EQ(s.led_font_color, 255u);
    ASSERT_EQ(s.background.width, 332);
    EXPECT_EQ(s.background.At(99, 33), PositionPixel(99, 33));
    EXPECT_EQ(s.background.At(100, 0), 0xFFFF00FFu);
    EXPECT_EQ(s.menu_up.width, 43); // wholly outside the sheet: all see-through
    EXPECT_EQ(s.menu_up.At(0, 0), 0xFFFF00FFu);
}

TEST_F(BarSkinTest, VersionOnlyPackageCutsTheDefaultLayout) {
    BarSkin s;
    ASSERT_TRUE(LoadBarSkin(Write("[VER]\r\nSkinVer=1.0\r\n"), s).Applied());
    EXPECT_TRUE(IsCut(s.background, 0, 0, 332, 34));
    EXPECT_TRUE(IsCut(s.menu_up, 0, 584, 43, 26));
    EXPECT_TRUE(IsCut(s.menu_hot, 43, 584, 43, 26));
    EXPECT_TRUE(IsCut(s.min_up, 86, 584, 26, 9));
    EXPECT_TRUE(IsCut(s.min_hot, 112, 584, 26, 9));
    EXPECT_EQ(s.led_font_color, 0x00FFFFu); // yellow digits
    EXPECT_EQ(s.font_color, 0x000000u);     // black date text
    EXPECT_EQ(s.font_ad_color, 0x000000u);
    EXPECT_EQ(s.led_bk_color, 0x000000u);
    EXPECT_EQ(s.led_dark_color, 0x373737u);
    EXPECT_EQ(s.led_border_color, 0xD08130u);
    EXPECT_EQ(s.menu, MenuColors{});
    EXPECT_EQ(s.menu.selection_frame, 0xC56A31u);
    // The LED sits at (1, 1) inside the 116 × 26 panel with the panel's size less 2.
    EXPECT_EQ(s.led_bounds, (TRect{1, 1, 115, 25}));
}

TEST_F(BarSkinTest, KeysSetCoordinatesColoursAndTheFollowingSteps) {
    BarSkin s;
    std::string ini = "[VER]\nSkinVer=1.0\n"
                      "[BAR]\nBarBkLeft=10\nBarBkTop=40\nBarBkWidth=50\nBarBkHeight=20\n"
                      "LEDBkColor=255\nLEDDarkColor=$102030\nLEDFontColor=0x00FF00\n"
                      "LEDBorderColor=1\nFontColor=16777215\n"
                      "[button]\nmenubtnupleft=300\nMenuBtnUpTop=0\nMenuBtnUpWidth=32\n"
                      "MenuBtnUpHeight=34\nMinBtnHotLeft=1\nMinBtnHotTop=2\nMinBtnHotWidth=3\n"
                      "MinBtnHotHeight=4\n"
                      "[MENU]\nIconBarColor1=1\nIconBarColor2=2\nSelectionColor1=3\n"
                      "SelectionColor2=4\nSelectionFrameColor=5\n";
    ASSERT_TRUE(LoadBarSkin(Write(ini), s, 120, 30).Applied());
    EXPECT_TRUE(IsCut(s.background, 10, 40, 50, 20));
    EXPECT_TRUE(IsCut(s.menu_up, 300, 0, 32, 34));
    EXPECT_TRUE(IsCut(s.menu_hot, 43, 584, 43, 26)); // untouched keys keep their defaults
    EXPECT_TRUE(IsCut(s.min_hot, 1, 2, 3, 4));
    EXPECT_EQ(s.led_bk_color, 255u);
    EXPECT_EQ(s.panel_color, 255u); // the panel takes the LED background colour
    EXPECT_EQ(s.led_dark_color, 0x102030u);
    EXPECT_EQ(s.led_font_color, 0x00FF00u);
    EXPECT_EQ(s.led_border_color, 1u);
    EXPECT_EQ(s.font_cn_color, 0xFFFFFFu);
    EXPECT_EQ(s.font_ad_color, 0xFFFFFFu); // copied from FontCN
    EXPECT_EQ(s.menu, (MenuColors{1, 2, 3, 4, 5}));
    EXPECT_EQ(s.led_bounds, (TRect{1, 1, 119, 29}));
}

TEST_F(BarSkinTest, LeadingBytesDoNotMatter) {
    const std::string ini = "[VER]\nSkinVer=1.0\n[BAR]\nLEDFontColor=77\n";
    BarSkin a, b;
    ASSERT_TRUE(LoadBarSkin(Write(ini, 0), a).Applied());
    ASSERT_TRUE(LoadBarSkin(Write(ini, 0xA5C3FF01), b).Applied());
    EXPECT_EQ(a.background.pixels, b.background.pixels);
    EXPECT_EQ(a.menu_hot.pixels, b.menu_hot.pixels);
    EXPECT_EQ(b.led_font_color, 77u);
}

TEST_F(BarSkinTest, NothingAppliedWithoutVersionMissingFileOrDamage) {
    BarSkin keep;
    keep.led_font_color = 0x123456;
    keep.background = Bitmap32(2, 2, 0xFF112233);

    EXPECT_EQ(LoadBarSkin(Write("[BAR]\nLEDFontColor=1\n"), keep).status,
              SkinLoadStatus::WrongVersion);
    // An empty SkinFile names the Skin folder itself: not a file, the built-in look stays.
    EXPECT_EQ(LoadBarSkin(dir.path(), keep).status, SkinLoadStatus::Missing);
    // A sprite that cannot be cut fails the whole load; nothing is half applied.
    auto r = LoadBarSkin(Write("[VER]\nSkinVer=1.0\n[BAR]\nLEDFontColor=1\n"
                               "[BUTTON]\nMinBtnUpWidth=2000000\nMinBtnUpHeight=2000000\n"),
                         keep);
    EXPECT_EQ(r.status, SkinLoadStatus::Damaged);
    EXPECT_FALSE(r.error.empty());
    EXPECT_THROW(ThrowIfDamaged(r), SkinError);
    EXPECT_NO_THROW(ThrowIfDamaged({SkinLoadStatus::WrongVersion, {}}));
    EXPECT_EQ(keep.led_font_color, 0x123456u);
    EXPECT_EQ(keep.background.width, 2);
}

TEST_F(BarSkinTest, BackgroundLargerThanTheBarIsCutAtFullSize) {
    BarSkin s;
    ASSERT_TRUE(LoadBarSkin(Write("[VER]\nSkinVer=1.0\n[BAR]\nBarBkWidth=332\nBarBkHeight=80\n"), s)
                    .Applied());
    EXPECT_TRUE(IsCut(s.background, 0, 0, 332, 80));
    // Reaching past the sheet: the part outside is see-through magenta.
    ASSERT_TRUE(LoadBarSkin(Write("[VER]\nSkinVer=1.0\n[BAR]\nBarBkLeft=300\nBarBkWidth=400\n"), s)
                    .Applied());
    EXPECT_EQ(s.background.width, 400);
    EXPECT_EQ(s.background.At(31, 0), PositionPixel(331, 0));
    EXPECT_EQ(s.background.At(32, 0), 0xFFFF00FFu);
}

TEST_F(BarSkinTest, KeyTablesListEveryKeyInReadingOrder) {
    const auto& bar = BarSkinKeys();
    ASSERT_EQ(bar.size(), 15u);
    EXPECT_EQ(bar[0].key, "BarBk");
    EXPECT_EQ(bar[4].key, "MinBtnHot");
    EXPECT_EQ(bar[4].def_rect, (SpriteRect{112, 584, 26, 9}));
    EXPECT_EQ(bar[5].key, "LEDBkColor");
    EXPECT_EQ(bar[9].key, "FontColor");
    EXPECT_EQ(bar[14].key, "SelectionFrameColor");
    ASSERT_EQ(WinSkinKeys().size(), 4u);
    EXPECT_EQ(WinSkinKeys()[2].def_rect, (SpriteRect{43, 50, 43, 17}));
    ASSERT_EQ(WeatherSkinKeys().size(), 8u);
    EXPECT_EQ(WeatherSkinKeys()[0].def_rect, (SpriteRect{0, 424, 332, 160}));
}

TEST(WinSkinLoad, FrameAndCloseButtonsAtTheirDefaults) {
    TempDir dir;
    Bitmap32 sheet = PositionSheet(100, 67);
    WinSkin w;
    ASSERT_TRUE(
        LoadWinSkin(
            dir.Write("w.sk", Package("[VER]\nSkinVer=1.0\n[WIN]\nCaptionColor=255", sheet)), w)
            .Applied());
    EXPECT_TRUE(IsCut(w.frame, 0, 0, 100, 50));
    EXPECT_TRUE(IsCut(w.close, 0, 50, 43, 17));
    EXPECT_TRUE(IsCut(w.close_hot, 43, 50, 43, 17));
    EXPECT_EQ(w.caption_color, 255u);
}

TEST(WeatherSkinLoad, SkinWithoutWeatherSectionUsesTheDefaultRectangle) {
    TempDir dir;
    Bitmap32 sheet = PositionSheet(332, 610);
    WeatherSkin w;
    ASSERT_TRUE(
        LoadWeatherSkin(dir.Write("s.sk", Package("[VER]\nSkinVer=1.0\n", sheet)), w).Applied());
    EXPECT_TRUE(IsCut(w.background, 0, 424, 332, 160));
    EXPECT_TRUE(IsCut(w.year_up, 138, 584, 11, 11));
    EXPECT_EQ(w.font_color, 0xFFFFFFu);
}
