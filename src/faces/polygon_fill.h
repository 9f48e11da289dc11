// GDI-style polygon drawing on a Bitmap32: a polygon filled with a brush and outlined with a
// 1-pixel pen of the same colour. The covered pixels are every integer point inside or on the
// closed polygon (alternate fill rule) together with the Bresenham lines between consecutive
// vertices, the closing edge included. Degenerate polygons (repeated points, lines, a single
// point) still draw their outline. Everything is clipped to the bitmap.
#pragma once

#include <cstddef> // base/bitmap.h uses size_t

#include "base/bitmap.h"

#include <cstdint>
#include <span>

namespace tobu {

// Polygon vertices in 64-bit coordinates, so callers can compute geometry from arbitrary int
// properties without overflow. Coordinates must stay within ±2^40.
struct PolyPoint {
    std::int64_t x = 0, y = 0;
    bool operator==(const PolyPoint&) const = default;
};

// A 1-pixel line from a to b, both ends included. Ties between two pixels go to the smaller
// minor coordinate, so a line and its reverse cover the same pixels.
void DrawLine(Bitmap32& bmp, PolyPoint a, PolyPoint b, std::uint32_t pixel);

// The polygon filled and outlined in `pixel` (an 0xAARRGGBB value written as it is).
void FillPolygon(Bitmap32& bmp, std::span<const PolyPoint> points, std::uint32_t pixel);

} // namespace tobu
