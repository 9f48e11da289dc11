// Windows bitmap files: reading their headers, decoding them into 32-bit pixels, and writing
// the plain 24-bit form. Skin packages carry their sprite sheets as such files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/bitmap.h"

namespace tobu {

struct BmpInfo {
    int width = 0;
    int height = 0;        // always positive
    bool top_down = false; // negative height in the file
    int bits_per_pixel = 0;
    int compression = 0; // 0 RGB, 1 RLE8, 2 RLE4, 3 bit fields, 6 alpha bit fields
    int header_size = 0;
};

// Reads the headers only. Returns an error text, or nothing on success.
std::optional<std::string> ReadBmpInfo(std::string_view file, BmpInfo& info);
// Decodes a BMP file (1, 4, 8, 16, 24, 32 bits per pixel; bottom-up and top-down; RLE4/RLE8;
// bit fields; core and info headers) into opaque 0xFFRRGGBB pixels. Throws nothing; returns an
// error text on a damaged or unsupported file. Pixel counts are limited by the data actually
// present, so a lying header cannot ask for a huge buffer.
std::optional<std::string> DecodeBmp(std::string_view file, Bitmap32& out);
// A 24-bit bottom-up BMP file of the bitmap (used by the tools and tests).
std::string EncodeBmp24(const Bitmap32& bmp);

} // namespace tobu
