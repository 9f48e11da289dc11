#include "faces/polygon_fill.h"

#include <gmock/gmock.h>

#include <set>
#include <utility>
#include <vector>

namespace tobu {
namespace {

constexpr std::uint32_t kBg = 0xFF000000;
constexpr std::uint32_t kInk = 0xFFFF00FF;

using PixelSet = std::set<std::pair<int, int>>; // (x, y)

PixelSet Covered(const Bitmap32& b) {
    PixelSet s;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x)
            if (b.At(x, y) == kInk) s.insert({x, y});
    return s;
}

PixelSet Rect(int x0, int y0, int x1, int y1) {
    PixelSet s;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) s.insert({x, y});
    return s;
}

PixelSet Fill(std::vector<PolyPoint> pts, int w = 24, int h = 24) {
    Bitmap32 b(w, h, kBg);
    FillPolygon(b, pts, kInk);
    return Covered(b);
}

PixelSet Line(PolyPoint a, PolyPoint c, int w = 24, int h = 24) {
    Bitmap32 b(w, h, kBg);
    DrawLine(b, a, c, kInk);
    return Covered(b);
}

TEST(PolygonFillTest, RectangleCoversBothBoundaries) {
    // A dot of the colon: corners (37,6) and (40,9) give a 4 × 4 block.
    EXPECT_EQ(Fill({{37, 6}, {40, 6}, {40, 9}, {37, 9}}, 50, 20), Rect(37, 6, 40, 9));
    // Vertex order and direction do not matter.
    EXPECT_EQ(Fill({{37, 9}, {40, 9}, {40, 6}, {37, 6}}, 50, 20), Rect(37, 6, 40, 9));
}

TEST(PolygonFillTest, TrapezoidWithRepeatedPoints) {
    // The top segment of the bar's first cell: (8,2)-(15,2) on top, (10,4)-(13,4) below.
    PixelSet want = Rect(8, 2, 15, 2);
    want.merge(Rect(9, 3, 14, 3));
    want.merge(Rect(10, 4, 13, 4));
    EXPECT_EQ(Fill({{8, 2}, {10, 4}, {13, 4}, {15, 2}, {15, 2}, {15, 2}}), want);
}

TEST(PolygonFillTest, HexagonMiddleBar) {
    // The bar's middle segment: rows 10..12, widest in row 11.
    PixelSet want = Rect(9, 10, 14, 10);
    want.merge(Rect(8, 11, 15, 11));
    want.merge(Rect(9, 12, 14, 12));
    EXPECT_EQ(Fill({{9, 10}, {8, 11}, {9, 12}, {14, 12}, {15, 11}, {14, 10}}), want);
}

TEST(PolygonFillTest, ConcaveNotchStaysEmpty) {
    // A square with a V cut up from the bottom edge to (4,4).
    PixelSet got = Fill({{0, 0}, {8, 0}, {8, 8}, {4, 4}, {0, 8}});
    for (int x : {0, 1, 2, 6, 7, 8}) EXPECT_TRUE(got.count({x, 6})) << x;
    for (int x : {3, 4, 5}) EXPECT_FALSE(got.count({x, 6})) << x;
    EXPECT_TRUE(got.count({4, 4}));
    EXPECT_FALSE(got.count({4, 5}));
    EXPECT_EQ(got.count({4, 8}), 0u);
    EXPECT_EQ(Rect(0, 0, 8, 3), [&] {
        PixelSet top;
        for (auto p : got)
            if (p.second <= 3) top.insert(p);
        return top;
    }());
}

// An independent reference for convex polygons: a point is inside or on the polygon when it
// is on the same side of (or on) every edge.
bool InsideConvex(const std::vector<PolyPoint>& p, int x, int y) {
    int sign = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        PolyPoint a = p[i], b = p[(i + 1) % p.size()];
        std::int64_t cross = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
        if (cross == 0) continue;
        int s = cross > 0 ? 1 : -1;
        if (sign == 0) sign = s;
        if (s != sign) return false;
    }
    return true;
}

TEST(PolygonFillTest, ConvexFillMatchesReferencePlusOutline) {
    const std::vector<std::vector<PolyPoint>> polys = {
        {{1, 1}, {20, 4}, {7, 19}},
        {{3, 2}, {21, 9}, {17, 22}, {2, 15}},
        {{0, 11}, {11, 0}, {22, 11}, {11, 22}},
        {{5, 5}, {6, 18}, {7, 5}},
    };
    for (const auto& poly : polys) {
        PixelSet want;
        for (size_t i = 0; i < poly.size(); ++i)
            want.merge(Line(poly[i], poly[(i + 1) % poly.size()]));
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                if (InsideConvex(poly, x, y)) want.insert({x, y});
        EXPECT_EQ(Fill(poly), want) << poly[0].x << "," << poly[0].y;
    }
}

TEST(PolygonFillTest, DegeneratePolygonsDrawTheirOutline) {
    EXPECT_EQ(Fill({{5, 6}}), PixelSet({{5, 6}}));
    EXPECT_EQ(Fill({{5, 6}, {5, 6}, {5, 6}, {5, 6}}), PixelSet({{5, 6}}));
    // Zero area: the line between the two distinct points, nothing else.
    EXPECT_EQ(Fill({{2, 11}, {2, 11}, {2, 11}, {13, 11}, {13, 11}, {13, 11}}), Rect(2, 11, 13, 11));
    EXPECT_EQ(Fill({{3, 3}, {9, 6}, {3, 3}}), Line({3, 3}, {9, 6}));
    EXPECT_EQ(Fill({}), PixelSet{});
}

TEST(PolygonFillTest, BresenhamLines) {
    EXPECT_EQ(Line({0, 0}, {5, 2}), PixelSet({{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
    EXPECT_EQ(Line({2, 0}, {0, 5}), PixelSet({{2, 0}, {2, 1}, {1, 2}, {1, 3}, {0, 4}, {0, 5}}));
    // 45° lines hit the diagonal exactly.
    EXPECT_EQ(Line({8, 2}, {10, 4}), PixelSet({{8, 2}, {9, 3}, {10, 4}}));
    // A tie goes to the smaller minor coordinate whichever end the line starts from.
    EXPECT_EQ(Line({0, 0}, {2, 1}), PixelSet({{0, 0}, {1, 0}, {2, 1}}));
    EXPECT_EQ(Line({2, 1}, {0, 0}), Line({0, 0}, {2, 1}));
    EXPECT_EQ(Line({7, 3}, {1, 20}), Line({1, 20}, {7, 3}));
    EXPECT_EQ(Line({4, 4}, {4, 4}), PixelSet({{4, 4}}));
}

TEST(PolygonFillTest, ClipsToTheBitmap) {
    // Partly outside on every side.
    EXPECT_EQ(Fill({{-5, -5}, {30, -5}, {30, 30}, {-5, 30}}, 10, 8), Rect(0, 0, 9, 7));
    EXPECT_EQ(Fill({{-3, 2}, {4, 2}, {4, 5}, {-3, 5}}, 10, 8), Rect(0, 2, 4, 5));
    // Entirely outside.
    EXPECT_EQ(Fill({{20, 2}, {30, 2}, {30, 5}}, 10, 8), PixelSet{});
    EXPECT_EQ(Fill({{1, -9}, {8, -9}, {8, -1}}, 10, 8), PixelSet{});
    // Far-away coordinates neither overflow nor loop for long.
    const std::int64_t big = std::int64_t(1) << 40;
    EXPECT_EQ(Fill({{-big, -big}, {big, -big}, {big, big}, {-big, big}}, 10, 8), Rect(0, 0, 9, 7));
    EXPECT_EQ(Line({-big, 3}, {big, 3}, 10, 8), Rect(0, 3, 9, 3));
    EXPECT_EQ(Line({-big, -big}, {big, big}, 10, 8),
              PixelSet({{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}}));
    // An empty bitmap takes nothing and does not fault.
    Bitmap32 empty;
    std::vector<PolyPoint> tri = {{0, 0}, {4, 0}, {0, 4}};
    FillPolygon(empty, tri, kInk);
    DrawLine(empty, {0, 0}, {3, 3}, kInk);
    EXPECT_TRUE(empty.pixels.empty());
}

TEST(PolygonFillTest, LeavesOtherPixelsAlone) {
    Bitmap32 b(6, 6, 0xFF123456);
    std::vector<PolyPoint> pts = {{1, 1}, {3, 1}, {3, 2}, {1, 2}};
    FillPolygon(b, pts, kInk);
    int untouched = 0;
    for (auto p : b.pixels) untouched += p == 0xFF123456;
    EXPECT_EQ(untouched, 36 - 6);
}

} // namespace
} // namespace tobu
