#include "cli/png_file.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tobu::cli {

namespace {

std::uint32_t Crc32(std::string_view data) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (char ch : data) c = table[(c ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutBE(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void Chunk(std::string& out, const char* kind, std::string_view data) {
    PutBE(out, static_cast<std::uint32_t>(data.size()));
    std::string body(kind, 4);
    body.append(data);
    out += body;
    PutBE(out, Crc32(body));
}

// A zlib stream of stored blocks (each at most 65535 bytes) with its Adler-32.
std::string ZlibStored(std::string_view raw) {
    std::string out = "\x78\x01";
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(raw.size() - pos, 65535);
        const bool last = pos + n == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(n & 0xFF);
        out += static_cast<char>(n >> 8);
        out += static_cast<char>(~n & 0xFF);
        out += static_cast<char>((~n >> 8) & 0xFF);
        out.append(raw.substr(pos, n));
        pos += n;
    } while (pos < raw.size());
    std::uint32_t a = 1, b = 0;
    for (char ch : raw) {
        a = (a + static_cast<unsigned char>(ch)) % 65521;
        b = (b + a) % 65521;
    }
    PutBE(out, (b << 16) | a);
    return out;
}

} // namespace

std::string EncodePngRgba(const Bitmap32& picture) {
    std::string out = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBE(header, static_cast<std::uint32_t>(picture.width));
    PutBE(header, static_cast<std::uint32_t>(picture.height));
    header +=
        std::string("\x08\x06\x00\x00\x00", 5); // 8 bits, RGBA, deflate, no filter, no interlace
    Chunk(out, "IHDR", header);
    std::string raw;
    raw.reserve(static_cast<size_t>(picture.height) * (1 + 4 * static_cast<size_t>(picture.width)));
    for (int y = 0; y < picture.height; ++y) {
        raw += '\0';
        const std::uint32_t* row = picture.Row(y);
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t p = row[x];
            raw += static_cast<char>((p >> 16) & 0xFF);
            raw += static_cast<char>((p >> 8) & 0xFF);
            raw += static_cast<char>(p & 0xFF);
            raw += static_cast<char>(p >> 24);
        }
    }
    Chunk(out, "IDAT", ZlibStored(raw));
    Chunk(out, "IEND", {});
    return out;
}

} // namespace tobu::cli
