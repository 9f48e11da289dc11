// Plain pixel buffers for the pixel algorithms (LED segments, shadows, text masks, skins).
// Bitmap32 pixels are 0xAARRGGBB words, the memory layout of a 32-bit device-independent
// bitmap and of QImage::Format_ARGB32, so windows can wrap a buffer without converting it.
// Colours in settings and skins are TColor values 0x00BBGGRR (red in the low byte).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tobu {

using TColor = std::uint32_t; // 0x00BBGGRR; a top byte of 0xFF names a system colour

constexpr TColor kClFuchsia = 0xFF00FF; // the transparent colour key
constexpr TColor kClBlack = 0x000000;
constexpr TColor kClWhite = 0xFFFFFF;

constexpr std::uint8_t ColorR(TColor c) {
    return c & 0xFF;
}
constexpr std::uint8_t ColorG(TColor c) {
    return (c >> 8) & 0xFF;
}
constexpr std::uint8_t ColorB(TColor c) {
    return (c >> 16) & 0xFF;
}
constexpr TColor RGBColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}
// An opaque 0xAARRGGBB pixel for a colour, and back.
constexpr std::uint32_t ColorToPixel(TColor c) {
    return 0xFF000000u | (std::uint32_t(ColorR(c)) << 16) | (std::uint32_t(ColorG(c)) << 8) |
           ColorB(c);
}
constexpr TColor PixelToColor(std::uint32_t p) {
    return RGBColor((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

struct Bitmap32 {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // row-major, top row first

    Bitmap32() = default;
    Bitmap32(int w, int h, std::uint32_t fill = 0)
        : width(w < 0 ? 0 : w), height(h < 0 ? 0 : h),
          pixels(static_cast<size_t>(width) * height, fill) {}
    bool Empty() const { return width <= 0 || height <= 0; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    std::uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    std::uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    std::uint32_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
    const std::uint32_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * width; }
};

struct Bitmap8 {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    Bitmap8() = default;
    Bitmap8(int w, int h, std::uint8_t fill = 0)
        : width(w < 0 ? 0 : w), height(h < 0 ? 0 : h),
          pixels(static_cast<size_t>(width) * height, fill) {}
    std::uint8_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    std::uint8_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct TRect {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const TRect&) const = default;
};

struct TPoint {
    int x = 0, y = 0;
    bool operator==(const TPoint&) const = default;
};

} // namespace tobu
