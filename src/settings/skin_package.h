// Skin packages: one file holding a small settings text and a sprite sheet.
//
// Layout (little-endian): 4 leading bytes nobody interprets, L1 (signed 64-bit), L1 bytes of
// settings text (GBK, CR LF / CR / LF lines), L2 (signed 64-bit), L2 bytes of a complete Windows
// bitmap file. Bytes after the bitmap are ignored. Bar skins (.sk), the dialog frame and clock
// faces (.cl) all use this container.
//
// Readers never trust the lengths: a length that is negative or reaches past the end of the
// file is an error, so a damaged package never makes us allocate more than the file's size.
// A package file is read part by part by its declared lengths, never whole, and one larger than
// kMaxSkinPackageBytes is refused before anything of it is read.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/bitmap.h"
#include "settings/bmp_codec.h"

namespace tobu {

// A damaged package or picture (too short for its lengths, not a bitmap, a sprite rectangle
// that makes no sense). Loaders report it; the bar's settings load turns it into an exception
// so the remaining settings steps are skipped.
class SkinError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The three parts of a package as stored.
struct SkinContainer {
    std::uint32_t lead = 0; // the four leading bytes, little-endian
    std::string ini_text;   // settings text, raw GBK bytes
    std::string bitmap;     // the bitmap file bytes
};

// The largest package file the readers accept (the shipped ones are well below 1 MiB).
constexpr std::uint64_t kMaxSkinPackageBytes = std::uint64_t{64} << 20;

// Splits package bytes. Returns an error text, or nothing on success.
std::optional<std::string> ParseSkinContainer(std::string_view bytes, SkinContainer& out);
// Reads the package file at `path` by its declared lengths (bytes after the picture are never
// read). Refuses, with an error text, anything that is not a regular file (a FIFO never blocks
// the open), a file larger than kMaxSkinPackageBytes, and damaged lengths. `file_size`, when
// given, receives the file's size once it is known.
std::optional<std::string> ReadSkinContainerFile(const std::string& path, SkinContainer& out,
                                                 std::uint64_t* file_size = nullptr);
// The bytes of a package (lead, L1, text, L2, bitmap).
std::string BuildSkinContainer(const SkinContainer& c);

// Reads a whole file; false when it cannot be opened, is not a regular file (a FIFO never
// blocks the open) or is larger than kMaxSkinPackageBytes.
bool ReadFileBytes(const std::string& path, std::string& out);
bool IsRegularFile(const std::string& path);

// The text lines of raw GBK settings text, converted to UTF-8 (CR LF, CR and LF end lines).
std::vector<std::string> SplitSkinLines(std::string_view gbk_text);

// ReadSkinIni / ReadSkinBitmap: read one part of the package at `path`. Throw SkinError when
// the file cannot be read, is too short for its lengths, or the picture is not a bitmap.
void ReadSkinIni(const std::string& path, std::vector<std::string>& lines);
void ReadSkinBitmap(const std::string& path, Bitmap32& bitmap);

// --- Settings text held in memory ------------------------------------------------------------

// The settings text of a package, read with the settings-file rules: section and key names
// compared ignoring ASCII case, the value is the text after the first "=", blanks around keys
// and values are dropped and one pair of matching quotes around a value is removed; the first
// section and the first key of a name win. Integers accept decimal, "0x"/"$" hexadecimal.
class SkinIni {
public:
    SkinIni() = default;
    explicit SkinIni(const std::vector<std::string>& lines);

    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           const std::string& def) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;

    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const std::vector<Section>& Sections() const { return sections_; }

private:
    std::vector<Section> sections_;
};

// --- Sprites ---------------------------------------------------------------------------------

struct SpriteRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const SpriteRect&) const = default;
};

// The largest sprite a package may ask for: a side of a bitmap and 16 M pixels.
constexpr int kMaxSpriteSide = 32768;
constexpr std::uint64_t kMaxSpritePixels = std::uint64_t{1} << 24;

// Sets the target to width × height and copies the sheet rectangle (left, top, width, height)
// onto it, as a picture copy does: the part of the rectangle inside the sheet is copied, pixels
// outside the sheet stay empty, that is magenta (see-through). A sheet smaller than the
// rectangle is no error. A width or height of 0 or less gives an empty picture. A rectangle
// beyond kMaxSpriteSide or kMaxSpritePixels throws SkinError instead of allocating what a
// damaged package asks for.
void CutSprite(const Bitmap32& sheet, Bitmap32& target, int left, int top, int width, int height);
inline void CutSprite(const Bitmap32& sheet, Bitmap32& target, const SpriteRect& r) {
    CutSprite(sheet, target, r.left, r.top, r.width, r.height);
}

// Reads the rectangle of the four keys prefix + Left/Top/Width/Height.
SpriteRect ReadSpriteRect(const SkinIni& ini, std::string_view section, std::string_view prefix,
                          const SpriteRect& def);

// --- The common load sequence ----------------------------------------------------------------

enum class SkinVersionKey { Skin, Clock }; // VER/SkinVer or VER/ClockVer

enum class SkinLoadStatus {
    Applied,      // version accepted; the loader's keys were read
    Missing,      // no such file (or not a file, e.g. the Skin folder itself): keep the look
    WrongVersion, // the version key is not exactly "1.0": nothing applied
    Damaged,      // unreadable package or picture, or a sprite that cannot be cut
};

struct SkinLoadResult {
    SkinLoadStatus status = SkinLoadStatus::Missing;
    std::string error; // for Damaged
    bool Applied() const { return status == SkinLoadStatus::Applied; }
};

struct OpenedSkin {
    SkinIni ini;
    Bitmap32 sheet;
};

// Steps 1–4 of every load: the file must exist; the settings text and the sheet are read (both,
// before the version test, so a damaged picture is reported whatever the version); the version
// key of section VER must be exactly "1.0" (case-sensitive). The text is parsed in memory, so
// no temporary file is involved and a load never reads a stale one.
SkinLoadResult OpenSkinPackage(const std::string& path, SkinVersionKey key, OpenedSkin& out);
// The same on package bytes already in memory (the fuzz target and `tobu skin` use it).
SkinLoadResult OpenSkinBytes(std::string_view bytes, SkinVersionKey key, OpenedSkin& out);

// The temporary file name older builds of the program left in the program folder. Call this
// when the bar ends: it deletes `app_dir` + "SkinDone.tmp" if present. Returns true when a file
// was removed.
bool DeleteStaleSkinTemp(const std::string& app_dir);

} // namespace tobu
