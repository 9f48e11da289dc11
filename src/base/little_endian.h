// Little-endian fields of the binary formats (skin packages, Windows bitmaps): reading at a
// position that the caller has checked lies inside the bytes, and appending.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tobu::le {

inline std::uint64_t Load(std::string_view b, std::size_t pos, int n) {
    std::uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[pos + i]);
    return v;
}
inline std::uint32_t U32(std::string_view b, std::size_t pos) {
    return static_cast<std::uint32_t>(Load(b, pos, 4));
}
inline std::uint16_t U16(std::string_view b, std::size_t pos) {
    return static_cast<std::uint16_t>(Load(b, pos, 2));
}
inline std::int32_t S32(std::string_view b, std::size_t pos) {
    return static_cast<std::int32_t>(U32(b, pos));
}
inline void Put(std::string& out, std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

} // namespace tobu::le
