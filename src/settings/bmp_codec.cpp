#include "settings/bmp_codec.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/little_endian.h"

namespace tobu {

namespace {

constexpr int kMaxBmpSide = 32768;

struct Masks {
    std::uint32_t r = 0, g = 0, b = 0;
};

int MaskShift(std::uint32_t m) {
    int s = 0;
    while (m && !(m & 1)) {
        m >>= 1;
        ++s;
    }
    return s;
}
int MaskBits(std::uint32_t m) {
    m >>= MaskShift(m);
    int n = 0;
    while (m & 1) {
        m >>= 1;
        ++n;
    }
    return n;
}
std::uint8_t Channel(std::uint32_t v, std::uint32_t mask) {
    if (!mask) return 0;
    int shift = MaskShift(mask), bits = MaskBits(mask);
    std::uint32_t x = (v & mask) >> shift;
    if (bits >= 8) return static_cast<std::uint8_t>(x >> (bits - 8));
    std::uint32_t max = (1u << bits) - 1;
    return static_cast<std::uint8_t>((x * 255 + max / 2) / max);
}

struct Layout {
    BmpInfo info;
    size_t pixel_offset = 0;
    std::vector<std::uint32_t> palette; // 0xFFRRGGBB
    Masks masks;
};

std::optional<std::string> ReadLayout(std::string_view f, Layout& L) {
    BmpInfo& info = L.info;
    if (f.size() < 2 || f[0] != 'B' || f[1] != 'M') return "picture is not a bitmap file";
    if (f.size() < 14 + 12) return "bitmap file too short for its headers";
    std::uint32_t off_bits = le::U32(f, 10);
    std::uint32_t hsize = le::U32(f, 14);
    info.header_size = static_cast<int>(std::min<std::uint32_t>(hsize, 1 << 20));
    std::int64_t w = 0, h = 0;
    int planes = 0;
    if (hsize == 12) {
        w = le::U16(f, 18);
        h = static_cast<std::int16_t>(le::U16(f, 20));
        planes = le::U16(f, 22);
        info.bits_per_pixel = le::U16(f, 24);
        info.compression = 0;
    } else if (hsize == 40 || hsize == 52 || hsize == 56 || hsize == 108 || hsize == 124) {
        if (f.size() < 14 + static_cast<size_t>(hsize))
            return "bitmap file too short for its headers";
        w = le::S32(f, 18);
        h = le::S32(f, 22);
        planes = le::U16(f, 26);
        info.bits_per_pixel = le::U16(f, 28);
        info.compression = static_cast<int>(le::U32(f, 30));
    } else {
        return "unsupported bitmap header size " + std::to_string(hsize);
    }
    if (planes != 1) return "bitmap plane count is not 1";
    if (h < 0) {
        info.top_down = true;
        h = -h;
    }
    if (w <= 0 || h <= 0 || w > kMaxBmpSide || h > kMaxBmpSide)
        return "bitmap size " + std::to_string(w) + " x " + std::to_string(h) + " is not usable";
    info.width = static_cast<int>(w);
    info.height = static_cast<int>(h);
    const int bpp = info.bits_per_pixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return "unsupported bit depth " + std::to_string(bpp);
    switch (info.compression) {
    case 0:
        break;
    case 1:
        if (bpp != 8) return "RLE8 compression needs 8 bits per pixel";
        break;
    case 2:
        if (bpp != 4) return "RLE4 compression needs 4 bits per pixel";
        break;
    case 3:
    case 6:
        if (bpp != 16 && bpp != 32) return "bit fields need 16 or 32 bits per pixel";
        break;
    default:
        return "unsupported compression " + std::to_string(info.compression);
    }
    if ((info.compression == 1 || info.compression == 2) && info.top_down)
        return "a compressed bitmap cannot be top-down";

    size_t after_header = 14 + hsize;
    if (info.compression == 3 || info.compression == 6) {
        if (hsize == 40) {
            size_t n = info.compression == 6 ? 16 : 12;
            if (f.size() < after_header + n) return "bitmap file too short for its bit fields";
            L.masks = {le::U32(f, after_header), le::U32(f, after_header + 4),
                       le::U32(f, after_header + 8)};
            after_header += n;
        } else {
            L.masks = {le::U32(f, 54), le::U32(f, 58), le::U32(f, 62)};
        }
    } else if (bpp == 16) {
        L.masks = {0x7C00, 0x03E0, 0x001F};
    } else if (bpp >= 24) {
        L.masks = {0xFF0000, 0xFF00, 0xFF};
    }

    if (bpp <= 8) {
        size_t entry = hsize == 12 ? 3 : 4;
        size_t count = size_t{1} << bpp;
        if (hsize != 12) {
            std::uint32_t used = le::U32(f, 46);
            if (used != 0 && used < count) count = used;
        }
        size_t avail = f.size() > after_header ? (f.size() - after_header) / entry : 0;
        count = std::min(count, avail);
        L.palette.resize(size_t{1} << bpp, 0xFF000000u);
        for (size_t i = 0; i < count; ++i) {
            size_t p = after_header + i * entry;
            auto b = static_cast<unsigned char>(f[p]);
            auto g = static_cast<unsigned char>(f[p + 1]);
            auto r = static_cast<unsigned char>(f[p + 2]);
            L.palette[i] = 0xFF000000u | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | b;
        }
    }
    if (off_bits == 0 || off_bits >= f.size())
        return "bitmap pixel data offset is outside the file";
    L.pixel_offset = off_bits;
    return std::nullopt;
}

std::optional<std::string> DecodeRle(std::string_view data, const Layout& L, Bitmap32& out) {
    const int w = L.info.width, h = L.info.height;
    const bool rle4 = L.info.compression == 2;
    // A run of two bytes gives at most 255 pixels; refuse sizes the data cannot fill before
    // allocating anything, and keep compressed sheets below 16 M pixels.
    std::uint64_t reach = (static_cast<std::uint64_t>(data.size()) / 2 + 1) * 255;
    std::uint64_t pixels = static_cast<std::uint64_t>(w) * h;
    if (pixels > reach || pixels > (std::uint64_t{1} << 24))
        return "compressed bitmap claims more pixels than its data can hold";
    out = Bitmap32(w, h, L.palette[0]);
    int x = 0, y = 0; // y counts from the bottom row
    size_t i = 0;
    auto put = [&](int index) {
        if (x < w && y < h) out.At(x, h - 1 - y) = L.palette[static_cast<size_t>(index)];
        ++x;
    };
    while (i + 1 < data.size()) {
        auto n = static_cast<unsigned char>(data[i]);
        auto v = static_cast<unsigned char>(data[i + 1]);
        i += 2;
        if (n > 0) {
            for (int k = 0; k < n; ++k) put(rle4 ? ((k & 1) ? (v & 0x0F) : (v >> 4)) : v);
            continue;
        }
        if (v == 0) { // end of line
            x = 0;
            ++y;
        } else if (v == 1) { // end of bitmap
            return std::nullopt;
        } else if (v == 2) { // delta
            if (i + 1 >= data.size()) break;
            x += static_cast<unsigned char>(data[i]);
            y += static_cast<unsigned char>(data[i + 1]);
            i += 2;
        } else { // absolute run of v pixels, padded to a word
            size_t bytes = rle4 ? (v + 1u) / 2 : v;
            if (i + bytes > data.size()) break;
            for (int k = 0; k < v; ++k) {
                auto b = static_cast<unsigned char>(data[i + (rle4 ? k / 2 : k)]);
                put(rle4 ? ((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            i += bytes + (bytes & 1);
        }
        if (y >= h) return std::nullopt;
    }
    return std::nullopt; // a missing end mark leaves the rest at the first palette colour
}

} // namespace

std::optional<std::string> ReadBmpInfo(std::string_view file, BmpInfo& info) {
    Layout L;
    auto e = ReadLayout(file, L);
    info = L.info;
    return e;
}

std::optional<std::string> DecodeBmp(std::string_view f, Bitmap32& out) {
    Layout L;
    if (auto e = ReadLayout(f, L)) return e;
    std::string_view data = f.substr(L.pixel_offset);
    if (L.info.compression == 1 || L.info.compression == 2) return DecodeRle(data, L, out);

    const int w = L.info.width, h = L.info.height, bpp = L.info.bits_per_pixel;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(w) * bpp + 31) / 32) * 4;
    // The last row needs only its pixels, not its padding.
    const std::uint64_t last_row = (static_cast<std::uint64_t>(w) * bpp + 7) / 8;
    if (stride * (h - 1) + last_row > data.size()) return "bitmap pixel data is truncated";

    out = Bitmap32(w, h);
    for (int row = 0; row < h; ++row) {
        const auto* src =
            reinterpret_cast<const unsigned char*>(data.data()) + stride * static_cast<size_t>(row);
        std::uint32_t* dst = out.Row(L.info.top_down ? row : h - 1 - row);
        for (int x = 0; x < w; ++x) {
            std::uint32_t px;
            switch (bpp) {
            case 1:
                px = L.palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                px = L.palette[(x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4)];
                break;
            case 8:
                px = L.palette[src[x]];
                break;
            case 24:
                px = 0xFF000000u | (std::uint32_t(src[3 * x + 2]) << 16) |
                     (std::uint32_t(src[3 * x + 1]) << 8) | src[3 * x];
                break;
            default: {
                std::uint32_t v = bpp == 16 ? (src[2 * x] | (std::uint32_t(src[2 * x + 1]) << 8))
                                            : (src[4 * x] | (std::uint32_t(src[4 * x + 1]) << 8) |
                                               (std::uint32_t(src[4 * x + 2]) << 16) |
                                               (std::uint32_t(src[4 * x + 3]) << 24));
                px = 0xFF000000u | (std::uint32_t(Channel(v, L.masks.r)) << 16) |
                     (std::uint32_t(Channel(v, L.masks.g)) << 8) | Channel(v, L.masks.b);
            }
            }
            dst[x] = px;
        }
    }
    return std::nullopt;
}

std::string EncodeBmp24(const Bitmap32& bmp) {
    const int w = bmp.width, h = bmp.height;
    const size_t stride = ((static_cast<size_t>(w) * 24 + 31) / 32) * 4;
    const size_t data = stride * static_cast<size_t>(h);
    std::string out;
    out.reserve(54 + data);
    out += "BM";
    le::Put(out, 54 + data, 4);
    le::Put(out, 0, 4);
    le::Put(out, 54, 4);
    le::Put(out, 40, 4);
    le::Put(out, static_cast<std::uint32_t>(w), 4);
    le::Put(out, static_cast<std::uint32_t>(h), 4);
    le::Put(out, 1, 2);
    le::Put(out, 24, 2);
    le::Put(out, 0, 4);
    le::Put(out, data, 4);
    le::Put(out, 2835, 4);
    le::Put(out, 2835, 4);
    le::Put(out, 0, 4);
    le::Put(out, 0, 4);
    for (int y = h - 1; y >= 0; --y) {
        size_t start = out.size();
        for (int x = 0; x < w; ++x) {
            std::uint32_t p = bmp.At(x, y);
            out.push_back(static_cast<char>(p & 0xFF));
            out.push_back(static_cast<char>((p >> 8) & 0xFF));
            out.push_back(static_cast<char>((p >> 16) & 0xFF));
        }
        out.append(stride - (out.size() - start), '\0');
    }
    return out;
}

} // namespace tobu
