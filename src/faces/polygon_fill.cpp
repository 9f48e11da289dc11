#include "faces/polygon_fill.h"

#include <algorithm>
#include <vector>

namespace tobu {

namespace {

using i128 = __int128;

// Division rounding towards minus and plus infinity; d > 0.
i128 FloorDiv(i128 n, i128 d) {
    i128 q = n / d;
    if (n % d != 0 && n < 0) --q;
    return q;
}
i128 CeilDiv(i128 n, i128 d) {
    i128 q = n / d;
    if (n % d != 0 && n > 0) ++q;
    return q;
}

void PutPixel(Bitmap32& bmp, i128 x, i128 y, std::uint32_t pixel) {
    if (x >= 0 && y >= 0 && x < bmp.width && y < bmp.height)
        bmp.At(static_cast<int>(x), static_cast<int>(y)) = pixel;
}

// The horizontal run [x0, x1] of row y, clipped.
void FillRun(Bitmap32& bmp, int y, i128 x0, i128 x1, std::uint32_t pixel) {
    if (x0 < 0) x0 = 0;
    if (x1 > bmp.width - 1) x1 = bmp.width - 1;
    if (x0 > x1) return;
    std::uint32_t* row = bmp.Row(y);
    std::fill(row + static_cast<int>(x0), row + static_cast<int>(x1) + 1, pixel);
}

// Where an edge crosses a row: the exact x as num / den with den > 0.
struct Crossing {
    i128 num, den;
};

} // namespace

void DrawLine(Bitmap32& bmp, PolyPoint a, PolyPoint b, std::uint32_t pixel) {
    if (bmp.Empty()) return;
    const i128 dx = i128(b.x) - a.x, dy = i128(b.y) - a.y;
    const i128 adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    if (adx >= ady) {
        // x-major (a single point included): one pixel per column.
        if (dx < 0) std::swap(a, b);
        const i128 d = adx, ddy = i128(b.y) - a.y;
        i128 from = std::max<i128>(a.x, 0), to = std::min<i128>(b.x, bmp.width - 1);
        for (i128 x = from; x <= to; ++x) {
            i128 y = a.y;
            if (d != 0) y += CeilDiv(2 * (x - a.x) * ddy - d, 2 * d); // nearest, ties down
            PutPixel(bmp, x, y, pixel);
        }
    } else {
        if (dy < 0) std::swap(a, b);
        const i128 d = ady, ddx = i128(b.x) - a.x;
        i128 from = std::max<i128>(a.y, 0), to = std::min<i128>(b.y, bmp.height - 1);
        for (i128 y = from; y <= to; ++y) {
            i128 x = a.x + CeilDiv(2 * (y - a.y) * ddx - d, 2 * d);
            PutPixel(bmp, x, y, pixel);
        }
    }
}

void FillPolygon(Bitmap32& bmp, std::span<const PolyPoint> points, std::uint32_t pixel) {
    const size_t n = points.size();
    if (n == 0 || bmp.Empty()) return;

    // Interior: on each row, the integer points between pairs of edge crossings (alternate
    // rule). An edge counts on rows top.y <= y < bottom.y, so a vertex where two edges meet
    // is counted once; points on the boundary itself come from the outline below.
    std::int64_t minY = points[0].y, maxY = points[0].y;
    for (const PolyPoint& p : points) {
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const std::int64_t rowFrom = std::max<std::int64_t>(minY, 0);
    const std::int64_t rowTo = std::min<std::int64_t>(maxY, bmp.height - 1);
    std::vector<Crossing> xs;
    xs.reserve(n);
    for (std::int64_t y = rowFrom; y <= rowTo; ++y) {
        xs.clear();
        for (size_t i = 0; i < n; ++i) {
            PolyPoint top = points[i], bottom = points[(i + 1) % n];
            if (top.y == bottom.y) continue;
            if (top.y > bottom.y) std::swap(top, bottom);
            if (y < top.y || y >= bottom.y) continue;
            const i128 den = i128(bottom.y) - top.y;
            xs.push_back({i128(top.x) * den + (i128(y) - top.y) * (i128(bottom.x) - top.x), den});
        }
        std::sort(xs.begin(), xs.end(), [](const Crossing& l, const Crossing& r) {
            return l.num * r.den < r.num * l.den;
        });
        for (size_t k = 0; k + 1 < xs.size(); k += 2) {
            FillRun(bmp, static_cast<int>(y), CeilDiv(xs[k].num, xs[k].den),
                    FloorDiv(xs[k + 1].num, xs[k + 1].den), pixel);
        }
    }

    // Outline: the 1-pixel pen along every edge, the closing edge included.
    if (n == 1) {
        PutPixel(bmp, points[0].x, points[0].y, pixel);
        return;
    }
    for (size_t i = 0; i < n; ++i) DrawLine(bmp, points[i], points[(i + 1) % n], pixel);
}

} // namespace tobu
