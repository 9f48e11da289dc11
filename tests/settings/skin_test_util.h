// Building skin packages for tests: a sheet whose every pixel tells its own position, the
// container around it, and a private folder to put packages in.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "base/bitmap.h"
#include "base/text.h"
#include "settings/ini_file.h"
#include "settings/skin_package.h"

namespace tobu::testing_skin {

// Pixel (x, y) of the position sheet: red = x & 0xFF, green = y & 0xFF, blue = (x >> 8) |
// ((y >> 8) << 4), so every pixel of a 332 × 610 sheet differs.
inline std::uint32_t PositionPixel(int x, int y) {
    return 0xFF000000u | (std::uint32_t(x & 0xFF) << 16) | (std::uint32_t(y & 0xFF) << 8) |
           std::uint32_t(((x >> 8) & 0x0F) | (((y >> 8) & 0x0F) << 4));
}

inline Bitmap32 PositionSheet(int w, int h) {
    Bitmap32 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.At(x, y) = PositionPixel(x, y);
    return b;
}

inline std::string Package(const std::string& ini_utf8, const Bitmap32& sheet,
                           std::uint32_t lead = 0) {
    SkinContainer c;
    c.lead = lead;
    c.ini_text = Utf8ToGbk(ini_utf8);
    c.bitmap = EncodeBmp24(sheet);
    return BuildSkinContainer(c);
}

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tobu-skin-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
        path_ += "/";
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::string p = path_ + name;
        WriteFileAtomically(p, bytes);
        return p;
    }

private:
    std::string path_;
};

} // namespace tobu::testing_skin
