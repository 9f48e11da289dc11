#include "faces/led_font_num.h"

#include <gmock/gmock.h>

#include <climits>
#include <set>
#include <string>
#include <utility>

namespace tobu {
namespace {

constexpr TColor kDark = 3618615;
const std::uint32_t kBgPx = ColorToPixel(kClBlack);
const std::uint32_t kLitPx = ColorToPixel(kClFuchsia);
const std::uint32_t kDarkPx = ColorToPixel(kDark);

// The main bar's display: 117 × 23, cells 15 × 19 with strokes of 3 and gaps of 3.
LEDFontNum BarLed(std::string_view text) {
    LEDFontNum led;
    led.SetAutoSize(false);
    led.SetOffSetX(6);
    led.SetOffSetY(2);
    led.SetWordWidth(15);
    led.SetWordHeight(19);
    led.SetThick(3);
    led.SetSpace(3);
    led.SetBGColor(kClBlack);
    led.SetLightColor(kClFuchsia);
    led.SetDarkColor(kDark);
    led.SetSize(117, 23);
    led.SetText(text);
    return led;
}

Bitmap32 Draw(const LEDFontNum& led) {
    Bitmap32 b;
    led.DrawDigits(b);
    return b;
}

using PixelSet = std::set<std::pair<int, int>>;

PixelSet PixelsOf(const Bitmap32& b, std::uint32_t px, int x0 = 0, int x1 = INT_MAX - 1) {
    PixelSet s;
    for (int y = 0; y < b.height; ++y)
        for (int x = std::max(0, x0); x < std::min(b.width, x1 + 1); ++x)
            if (b.At(x, y) == px) s.insert({x, y});
    return s;
}

PixelSet Rect(int x0, int y0, int x1, int y1) {
    PixelSet s;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) s.insert({x, y});
    return s;
}

// The pixels one segment of a cell covers when drawn alone.
PixelSet SegmentPixels(const LEDFontNum& led, std::int64_t x, int seg) {
    Bitmap32 b(led.Width(), led.Height(), kBgPx);
    auto s = ComputeSegments(x, led.OffSetY(), led.WordWidth(), led.WordHeight(), led.Thick());
    FillPolygon(b, s[seg], kLitPx);
    return PixelsOf(b, kLitPx);
}

PixelSet Rows(const PixelSet& s, int y) {
    PixelSet r;
    for (auto p : s)
        if (p.second == y) r.insert(p);
    return r;
}

// --- geometry -------------------------------------------------------------------------------

TEST(LedGeometryTest, SegmentTableAndPolygons) {
    const auto& t = SegmentTable();
    EXPECT_EQ(t[0], "012345");
    EXPECT_EQ(t[2], "01643");
    EXPECT_EQ(t[8], "0123456");
    EXPECT_EQ(t[9], "650123");
    EXPECT_EQ(t[10], "6");
    EXPECT_EQ(t[11], "7");
    EXPECT_EQ(t[12], "89");

    // First cell of the bar: X 6, Y 2, W 15, H 19, T 3.
    auto s = ComputeSegments(6, 2, 15, 19, 3);
    EXPECT_EQ(s[0][0], (PolyPoint{8, 2}));
    EXPECT_EQ(s[0][1], (PolyPoint{10, 4}));
    EXPECT_EQ(s[0][2], (PolyPoint{13, 4}));
    EXPECT_EQ(s[0][3], (PolyPoint{15, 2}));
    EXPECT_EQ(s[0][5], (PolyPoint{15, 2}));
    EXPECT_EQ(s[6][1], (PolyPoint{8, 11}));
    EXPECT_EQ(s[6][4], (PolyPoint{15, 11}));
    EXPECT_EQ(s[7][0], (PolyPoint{19, 18}));
    EXPECT_EQ(s[7][2], (PolyPoint{22, 21}));
    EXPECT_EQ(s[7][5], (PolyPoint{19, 18}));
    // The lower dot counts the top margin at half weight: C = 11 + 1 + 5 = 17.
    EXPECT_EQ(s[9][0], (PolyPoint{19, 14}));
    EXPECT_EQ(s[9][2], (PolyPoint{22, 17}));
    // With a top margin of 4 the lower dot moves down by 1, the upper one by 2.
    auto s4 = ComputeSegments(6, 4, 15, 19, 3);
    EXPECT_EQ(s4[9][0].y, 15);
    EXPECT_EQ(s4[8][0].y, 8);
}

TEST(LedGeometryTest, ThickOneMiddleSegmentIsAHairline) {
    auto s = ComputeSegments(6, 2, 15, 19, 1);
    // Y + M2 − 1 = 11; from X + 2 to X + W − 4.
    EXPECT_EQ(s[6][0], (PolyPoint{8, 11}));
    EXPECT_EQ(s[6][2], (PolyPoint{8, 11}));
    EXPECT_EQ(s[6][3], (PolyPoint{17, 11}));
    EXPECT_EQ(s[6][5], (PolyPoint{17, 11}));

    LEDFontNum led = BarLed("-");
    ASSERT_NE(led.SetThick(1), kLedNone);
    EXPECT_EQ(PixelsOf(Draw(led), kLitPx), Rect(8, 11, 17, 11));
}

// --- drawing --------------------------------------------------------------------------------

TEST(LedDrawTest, BarTimeCellsAndColons) {
    LEDFontNum led = BarLed("12:34:56");
    Bitmap32 b = Draw(led);
    ASSERT_EQ(b.width, 117);
    ASSERT_EQ(b.height, 23);
    // Each digit is drawn in its cell at x = 6, 24, 42, 60, 78, 96.
    const int cellX[] = {6, 24, 42, 60, 78, 96};
    const char* digits = "123456";
    PixelSet want;
    for (int i = 0; i < 6; ++i)
        for (char s : SegmentTable()[digits[i] - '0'])
            want.merge(SegmentPixels(led, cellX[i], s - '0'));
    // Colon dots after the 2nd and 4th digit.
    for (int x : {37, 73}) {
        want.merge(Rect(x, 6, x + 3, 9));
        want.merge(Rect(x, 14, x + 3, 17));
    }
    EXPECT_EQ(PixelsOf(b, kLitPx), want);
    // Nothing but background and lit pixels.
    EXPECT_EQ(PixelsOf(b, kBgPx).size() + want.size(), size_t(117 * 23));
}

TEST(LedDrawTest, EightInTheFirstCell) {
    Bitmap32 b = Draw(BarLed("8"));
    PixelSet lit = PixelsOf(b, kLitPx);
    // The top segment's top and bottom edges.
    EXPECT_EQ(Rows(lit, 2), Rect(8, 2, 15, 2));
    PixelSet row4 = Rect(6, 4, 7, 4);
    row4.merge(Rect(10, 4, 13, 4));
    row4.merge(Rect(16, 4, 17, 4));
    EXPECT_EQ(Rows(lit, 4), row4);
    // The middle bar spans rows 10..12 and is widest in row 11.
    PixelSet mid = SegmentPixels(BarLed("8"), 6, 6);
    std::set<int> midRows;
    for (auto p : mid) midRows.insert(p.second);
    EXPECT_THAT(midRows, testing::ElementsAre(10, 11, 12));
    EXPECT_EQ(Rows(mid, 11), Rect(8, 11, 15, 11));
    // The body stays within x 6..17 and y 2..20; the point column stays dark.
    for (auto [x, y] : lit) {
        EXPECT_GE(x, 6);
        EXPECT_LE(x, 17);
        EXPECT_GE(y, 2);
        EXPECT_LE(y, 20);
    }
    // Four sides of 18 pixels, top and bottom of 18, the middle of 6 + 8 + 6; no overlaps.
    EXPECT_EQ(lit.size(), 128u);
}

TEST(LedDrawTest, PointAfterDigit) {
    LEDFontNum led = BarLed("1.5");
    Bitmap32 b = Draw(led);
    PixelSet want = Rect(19, 18, 22, 21); // X+W−T+1 .. X+W+1, Y+H−T .. Y+H
    for (char s : SegmentTable()[1]) want.merge(SegmentPixels(led, 6, s - '0'));
    for (char s : SegmentTable()[5]) want.merge(SegmentPixels(led, 24, s - '0'));
    EXPECT_EQ(PixelsOf(b, kLitPx), want);

    // Marks at the very start and after a non-digit are not drawn.
    EXPECT_EQ(PixelsOf(Draw(BarLed(".5")), kLitPx), PixelsOf(Draw(BarLed("5")), kLitPx));
    EXPECT_EQ(PixelsOf(Draw(BarLed("-.")), kLitPx), PixelsOf(Draw(BarLed("-")), kLitPx));
    EXPECT_EQ(PixelsOf(Draw(BarLed("a:")), kLitPx), PixelSet{});
}

TEST(LedDrawTest, MinusThree) {
    LEDFontNum led = BarLed("-3");
    PixelSet lit = PixelsOf(Draw(led), kLitPx);
    PixelSet first, second;
    for (auto p : lit) (p.first < 24 ? first : second).insert(p);
    EXPECT_EQ(first, SegmentPixels(led, 6, 6));
    PixelSet three;
    for (char s : SegmentTable()[3]) three.merge(SegmentPixels(led, 24, s - '0'));
    EXPECT_EQ(second, three);
}

TEST(LedDrawTest, DarkSegmentsUnderBlankAndSeven) {
    LEDFontNum led = BarLed(" 7");
    EXPECT_EQ(led.SetDrawDarkColor(true), kLedDrawNow);
    Bitmap32 b = Draw(led);
    // First cell: all ten segments dark, none lit.
    for (int seg = 0; seg < 10; ++seg)
        for (auto [x, y] : SegmentPixels(led, 6, seg))
            EXPECT_EQ(b.At(x, y), kDarkPx) << "segment " << seg << " at " << x << "," << y;
    // Second cell: 0, 1, 2 lit over the dark ones.
    for (int seg = 0; seg < 10; ++seg) {
        const std::uint32_t want = seg <= 2 ? kLitPx : kDarkPx;
        for (auto [x, y] : SegmentPixels(led, 24, seg)) {
            bool sharedWithLit = false; // a dark pixel covered by a lit neighbour stays lit
            for (int l = 0; l <= 2; ++l) sharedWithLit |= SegmentPixels(led, 24, l).count({x, y});
            EXPECT_EQ(b.At(x, y), sharedWithLit ? kLitPx : want) << "segment " << seg;
        }
    }
    // Dark segments are drawn only with DrawDarkColor on.
    led.SetDrawDarkColor(false);
    EXPECT_TRUE(PixelsOf(Draw(led), kDarkPx).empty());
}

TEST(LedDrawTest, ColoursEqualToTheBackgroundDrawNothing) {
    LEDFontNum led = BarLed("88:88:88");
    led.SetDrawDarkColor(true);
    led.SetLightColor(kClBlack);
    Bitmap32 b = Draw(led);
    EXPECT_TRUE(PixelsOf(b, kLitPx).empty());
    EXPECT_FALSE(PixelsOf(b, kDarkPx).empty());
    EXPECT_TRUE(PixelsOf(b, ColorToPixel(kClBlack)).size() + PixelsOf(b, kDarkPx).size() ==
                size_t(117 * 23));

    led.SetLightColor(kClFuchsia);
    led.SetDarkColor(kClBlack);
    b = Draw(led);
    EXPECT_FALSE(PixelsOf(b, kLitPx).empty());
    EXPECT_EQ(PixelsOf(b, kLitPx).size() + PixelsOf(b, kBgPx).size(), size_t(117 * 23));
}

TEST(LedDrawTest, EmptyAndUnknownTextsDrawOnlyBackground) {
    for (std::string_view text : {"", "abc", "  ", "中文", ".:", "\xff\xfe"}) {
        Bitmap32 b = Draw(BarLed(text));
        EXPECT_EQ(PixelsOf(b, kBgPx).size(), size_t(117 * 23)) << text;
    }
}

TEST(LedDrawTest, ReusesAndResizesTheTarget) {
    LEDFontNum led = BarLed("12");
    Bitmap32 b(3, 3, 0xFFFFFFFF);
    led.DrawDigits(b);
    EXPECT_EQ(b.width, 117);
    EXPECT_EQ(b.height, 23);
    led.SetSize(0, 10);
    led.DrawDigits(b);
    EXPECT_TRUE(b.Empty());
}

TEST(LedDrawTest, ExtremePropertiesNeitherOverflowNorStall) {
    LEDFontNum led = BarLed(std::string(200000, '8'));
    led.SetWordWidth(INT_MAX);
    led.SetWordHeight(INT_MAX - 1); // even: stored as INT_MAX
    led.SetOffSetX(INT_MIN);
    led.SetSpace(INT_MAX);
    Bitmap32 b = Draw(led);
    EXPECT_EQ(b.width, 117);
    led.SetOffSetX(INT_MAX);
    led.SetSpace(INT_MIN);
    b = Draw(led);
    EXPECT_EQ(b.height, 23);
    // Negative spacing runs the cells leftwards over each other.
    LEDFontNum left = BarLed(std::string(100000, '1'));
    left.SetSpace(-40);
    b = Draw(left);
    EXPECT_FALSE(PixelsOf(b, kLitPx).empty());
}

// --- properties -----------------------------------------------------------------------------

TEST(LedPropertyTest, NewControl) {
    LEDFontNum led;
    EXPECT_EQ(led.OffSetX(), 4);
    EXPECT_EQ(led.OffSetY(), 4);
    EXPECT_EQ(led.WordWidth(), 17);
    EXPECT_EQ(led.WordHeight(), 29);
    EXPECT_EQ(led.Thick(), 3);
    EXPECT_EQ(led.Space(), 4);
    EXPECT_EQ(led.Text(), "00");
    EXPECT_EQ(led.BGColor(), 4866634u);
    EXPECT_EQ(led.LightColor(), 65527u);
    EXPECT_EQ(led.DarkColor(), 6513507u);
    EXPECT_TRUE(led.AutoSize());
    EXPECT_FALSE(led.DrawDarkColor());
    EXPECT_EQ(led.Width(), 47);
    EXPECT_EQ(led.Height(), 38);
    // 2 × 17 + 4 + 8 = 46: a width of exactly one more is left alone.
    EXPECT_EQ(led.ApplyAutoSize(), kLedNone);
    EXPECT_EQ(led.Width(), 47);
}

TEST(LedPropertyTest, WordHeightStaysOdd) {
    LEDFontNum led = BarLed("0");
    EXPECT_EQ(led.SetWordHeight(20), kLedRepaint);
    EXPECT_EQ(led.WordHeight(), 21);
    EXPECT_EQ(led.SetWordHeight(11), kLedNone); // not greater than 4 × 3 − 1
    EXPECT_EQ(led.WordHeight(), 21);
    EXPECT_EQ(led.SetWordHeight(12), kLedRepaint);
    EXPECT_EQ(led.WordHeight(), 13);
    EXPECT_EQ(led.SetWordHeight(13), kLedNone);
    EXPECT_EQ(led.SetWordHeight(INT_MAX), kLedRepaint);
    EXPECT_EQ(led.WordHeight(), INT_MAX);
}

TEST(LedPropertyTest, ThickAndWordWidthLimits) {
    LEDFontNum led = BarLed("0");
    ASSERT_NE(led.SetWordHeight(21), kLedNone);
    EXPECT_EQ(led.SetThick(4), kLedRepaint); // 8 < 15, 15 < 21, 21 − 16 + 1 even
    EXPECT_EQ(led.Thick(), 4);
    EXPECT_EQ(led.SetThick(8), kLedNone); // 16 ≥ 15
    EXPECT_EQ(led.SetThick(6), kLedNone); // 23 ≥ 21
    EXPECT_EQ(led.SetThick(4), kLedNone); // unchanged
    EXPECT_EQ(led.SetThick(0), kLedNone);
    EXPECT_EQ(led.SetThick(-3), kLedNone);
    EXPECT_EQ(led.Thick(), 4);

    EXPECT_EQ(led.SetWordWidth(8), kLedNone); // not greater than 2 × 4
    EXPECT_EQ(led.SetWordWidth(9), kLedRepaint);
    EXPECT_EQ(led.WordWidth(), 9);
    EXPECT_EQ(led.SetWordWidth(9), kLedNone);
}

TEST(LedPropertyTest, ChangesReportWhatToDo) {
    LEDFontNum led = BarLed("00:00:00");
    EXPECT_EQ(led.SetText("00:00:00"), kLedNone);
    EXPECT_EQ(led.SetText("00:00:01"), kLedDrawNow);
    EXPECT_EQ(led.Text(), "00:00:01");
    EXPECT_EQ(led.SetDrawDarkColor(false), kLedNone);
    EXPECT_EQ(led.SetOffSetX(6), kLedNone);
    EXPECT_EQ(led.SetOffSetX(7), kLedRepaint);
    EXPECT_EQ(led.SetOffSetY(2), kLedNone);
    EXPECT_EQ(led.SetSpace(4), kLedRepaint);
    EXPECT_EQ(led.SetBGColor(kClBlack), kLedNone);
    EXPECT_EQ(led.SetLightColor(kClWhite), kLedRepaint);
    EXPECT_EQ(led.SetDarkColor(kDark), kLedNone);
}

TEST(LedPropertyTest, AutoSizeFitsTheText) {
    LEDFontNum led = BarLed("12:34:56");
    led.SetSize(50, 50);
    EXPECT_EQ(led.SetAutoSize(true), kLedResize);
    EXPECT_EQ(led.Width(), 117); // 6 × 15 + 5 × 3 + 2 × 6
    EXPECT_EQ(led.Height(), 23); // 2 × 2 + 19
    EXPECT_EQ(led.SetAutoSize(true), kLedNone);

    // After drawing: a width of F + 1 stays, anything else becomes F.
    led.SetText("1.5");
    EXPECT_EQ(led.ApplyAutoSize(), kLedResize);
    EXPECT_EQ(led.Width(), 45); // 2 × 15 + 3 + 12
    led.SetSize(46, 23);
    EXPECT_EQ(led.ApplyAutoSize(), kLedNone);
    EXPECT_EQ(led.Width(), 46);

    // Switching it off keeps the size; switching it on with a fitting width keeps it too.
    EXPECT_EQ(led.SetAutoSize(false), kLedNone);
    led.SetSize(45, 99);
    EXPECT_EQ(led.SetAutoSize(true), kLedNone);
    EXPECT_EQ(led.Height(), 99);
    led.SetAutoSize(false);
    led.SetSize(10, 10);
    EXPECT_EQ(led.ApplyAutoSize(), kLedNone); // off: nothing happens

    // An empty text would give 2 × 6 − 3 = 9; with a wide negative gap it is kept at 1.
    led.SetAutoSize(true);
    led.SetText("");
    led.ApplyAutoSize();
    EXPECT_EQ(led.Width(), 9);
    led.SetSpace(100);
    led.ApplyAutoSize();
    EXPECT_EQ(led.Width(), 1);
    // A huge fit is capped.
    led.SetText("88888888");
    led.SetWordWidth(INT_MAX);
    led.ApplyAutoSize();
    EXPECT_EQ(led.Width(), LEDFontNum::kMaxControlSide);
}

TEST(LedTextTest, MarksAndCells) {
    LedText t = ParseLedText("12:34:56");
    EXPECT_EQ(t.cells, "123456");
    EXPECT_THAT(t.colons, testing::ElementsAre(2, 4));
    EXPECT_TRUE(t.points.empty());

    t = ParseLedText("1.5");
    EXPECT_EQ(t.cells, "15");
    EXPECT_THAT(t.points, testing::ElementsAre(1));

    t = ParseLedText(".1..2.");
    EXPECT_EQ(t.cells, "12");
    EXPECT_THAT(t.points, testing::ElementsAre(0, 1, 1, 2));

    // Mixed marks count positions among the digits alone.
    t = ParseLedText("1:2.3");
    EXPECT_EQ(t.cells, "123");
    EXPECT_THAT(t.colons, testing::ElementsAre(1));
    EXPECT_THAT(t.points, testing::ElementsAre(2));

    // A Chinese character takes its two GBK bytes; a stray byte takes one.
    t = ParseLedText("1中2\xff");
    EXPECT_EQ(t.cells.size(), 5u);
    EXPECT_EQ(t.cells[0], '1');
    EXPECT_EQ(t.cells[1], kLedOtherCell);
    EXPECT_EQ(t.cells[2], kLedOtherCell);
    EXPECT_EQ(t.cells[3], '2');
    EXPECT_EQ(t.cells[4], kLedOtherCell);
}

} // namespace
} // namespace tobu
