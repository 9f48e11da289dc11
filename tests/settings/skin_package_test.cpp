#include "settings/skin_package.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "settings/skin_test_util.h"

using namespace tobu;

#ifndef TOBU_TEST_SOURCE_DIR
#define TOBU_TEST_SOURCE_DIR "."
#endif
using namespace tobu::testing_skin;

namespace {

void PutLE(std::string& s, size_t pos, std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) s[pos + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A hand-made BMP: 14-byte file header + 40-byte info header + palette + rows as given.
std::string HandBmp(int w, int h, int bpp, int compression, const std::string& palette,
                    const std::string& pixels) {
    std::string f(54, '\0');
    f[0] = 'B';
    f[1] = 'M';
    PutLE(f, 2, 54 + palette.size() + pixels.size(), 4);
    PutLE(f, 10, 54 + palette.size(), 4);
    PutLE(f, 14, 40, 4);
    PutLE(f, 18, static_cast<std::uint32_t>(w), 4);
    PutLE(f, 22, static_cast<std::uint32_t>(h), 4);
    PutLE(f, 26, 1, 2);
    PutLE(f, 28, bpp, 2);
    PutLE(f, 30, compression, 4);
    PutLE(f, 34, pixels.size(), 4);
    return f + palette + pixels;
}

std::string Bytes(std::initializer_list<int> v) {
    std::string s;
    for (int b : v) s.push_back(static_cast<char>(b));
    return s;
}

} // namespace

TEST(SkinContainer, RoundTripsAndIgnoresLeadAndTrailingBytes) {
    SkinContainer c{0xDEADBEEF, "[VER]\r\nSkinVer=1.0\r\n", EncodeBmp24(PositionSheet(3, 2))};
    std::string bytes = BuildSkinContainer(c);
    ASSERT_EQ(bytes.size(), 20 + c.ini_text.size() + c.bitmap.size());
    EXPECT_EQ(bytes.substr(0, 4), Bytes({0xEF, 0xBE, 0xAD, 0xDE}));
    EXPECT_EQ(static_cast<unsigned char>(bytes[4]), c.ini_text.size()); // L1 at offset 4

    SkinContainer back;
    ASSERT_FALSE(ParseSkinContainer(bytes + "trailing junk", back));
    EXPECT_EQ(back.lead, 0xDEADBEEFu);
    EXPECT_EQ(back.ini_text, c.ini_text);
    EXPECT_EQ(back.bitmap, c.bitmap);
}

TEST(SkinContainer, DamagedLengthsAreErrorsNotAllocations) {
    std::string good = BuildSkinContainer({0, "[VER]\nSkinVer=1.0\n", "BMxx"});
    SkinContainer out;
    // Every truncation of a valid package is rejected.
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_TRUE(ParseSkinContainer(std::string_view(good).substr(0, n), out)) << n;

    std::string neg = good;
    PutLE(neg, 4, static_cast<std::uint64_t>(-5), 8);
    auto e = ParseSkinContainer(neg, out);
    ASSERT_TRUE(e);
    EXPECT_NE(e->find("negative"), std::string::npos);

    std::string huge = good;
    PutLE(huge, 4, 0x7FFFFFFFFFFFFFFFull, 8);
    EXPECT_TRUE(ParseSkinContainer(huge, out));

    std::string huge2 = good;
    PutLE(huge2, 12 + 19, 0x7FFFFFFFFFFFFFF0ull, 8); // L2
    e = ParseSkinContainer(huge2, out);
    ASSERT_TRUE(e);
    EXPECT_NE(e->find("picture"), std::string::npos);
}

TEST(SkinContainer, ReadersRaiseOnDamagedFiles) {
    TempDir dir;
    std::string ok =
        dir.Write("ok.sk", Package("[VER]\r\nSkinVer=1.0\r\n[BAR]\rA=1\nB=2", PositionSheet(4, 3)));
    std::vector<std::string> lines;
    ReadSkinIni(ok, lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"[VER]", "SkinVer=1.0", "[BAR]", "A=1", "B=2"}));
    Bitmap32 bmp;
    ReadSkinBitmap(ok, bmp);
    EXPECT_EQ(bmp.width, 4);
    EXPECT_EQ(bmp.At(3, 2), PositionPixel(3, 2));

    std::string notbmp =
        dir.Write("bad.sk", BuildSkinContainer({0, "[VER]\nSkinVer=1.0", "PNG..."}));
    ReadSkinIni(notbmp, lines); // the text part is fine
    EXPECT_THROW(ReadSkinBitmap(notbmp, bmp), SkinError);
    EXPECT_THROW(ReadSkinIni(dir.path() + "none.sk", lines), SkinError);
    EXPECT_THROW(ReadSkinIni(dir.Write("short.sk", "abc"), lines), SkinError);
}

// Bytes this process has read from files so far.
std::uint64_t BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return 0;
}

TEST(SkinContainer, FilesAreReadByTheirLengthsNeverWhole) {
    TempDir dir;
    const std::string pkg = Package("[VER]\nSkinVer=1.0\n", PositionSheet(40, 20));
    // 32 MiB of trailing bytes (a sparse file) are never read.
    std::string trailing = dir.Write("trailing.sk", pkg);
    ASSERT_EQ(::truncate(trailing.c_str(), 32 << 20), 0);
    std::uint64_t before = BytesRead();
    OpenedSkin opened;
    EXPECT_EQ(OpenSkinPackage(trailing, SkinVersionKey::Skin, opened).status,
              SkinLoadStatus::Applied);
    EXPECT_EQ(opened.sheet.At(39, 19), PositionPixel(39, 19));
    std::vector<std::string> lines;
    ReadSkinIni(trailing, lines);
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_LT(BytesRead() - before, 1u << 20);

    // A file larger than the limit is refused before any of it is read.
    std::string huge = dir.Write("huge.sk", pkg);
    ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(kMaxSkinPackageBytes + 1)), 0);
    before = BytesRead();
    SkinLoadResult r = OpenSkinPackage(huge, SkinVersionKey::Skin, opened);
    EXPECT_EQ(r.status, SkinLoadStatus::Damaged);
    EXPECT_NE(r.error.find("64 MiB"), std::string::npos) << r.error;
    EXPECT_THROW(ReadSkinIni(huge, lines), SkinError);
    std::string bytes;
    EXPECT_FALSE(ReadFileBytes(huge, bytes));
    EXPECT_LT(BytesRead() - before, 4096u);

    // A FIFO is refused at once instead of waiting for a writer.
    std::string fifo = dir.path() + "fifo.sk";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto reading = std::async(std::launch::async, [&] {
        SkinContainer c;
        std::string b;
        return ReadSkinContainerFile(fifo, c).has_value() && !ReadFileBytes(fifo, b);
    });
    if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "reading a FIFO blocks";
        ::close(::open(fifo.c_str(), O_WRONLY)); // lets the blocked open finish
    }
    EXPECT_TRUE(reading.get());
}

TEST(SkinText, GbkLinesAndSettingsRules) {
    std::string gbk = Utf8ToGbk("[WIN]\r\nTitle = 蓝色 \r\n");
    EXPECT_EQ(SplitSkinLines(gbk), (std::vector<std::string>{"[WIN]", "Title = 蓝色 "}));

    SkinIni ini({"; comment", "[ver]", " SkinVer = 1.0 ", "[Bar]", "LEDFontColor=0xFF",
                 "LedBkColor=$10", "FontColor=abc", "Quoted=\"a b\"", "Eq=a=b", "[BAR]",
                 "LEDFontColor=7", "[VER]", "SkinVer=2.0"});
    EXPECT_EQ(ini.ReadString("VER", "skinver", ""), "1.0");    // first section of a name wins
    EXPECT_EQ(ini.ReadInteger("bar", "LEDFontColor", 0), 255); // first key wins
    EXPECT_EQ(ini.ReadInteger("BAR", "LEDBkColor", 0), 16);
    EXPECT_EQ(ini.ReadInteger("BAR", "FontColor", 42), 42);
    EXPECT_EQ(ini.ReadInteger("BAR", "Missing", -3), -3);
    EXPECT_EQ(ini.ReadString("BAR", "Quoted", ""), "a b");
    EXPECT_EQ(ini.ReadString("BAR", "Eq", ""), "a=b");
    EXPECT_EQ(ini.ReadString("NONE", "Eq", "d"), "d");
}

TEST(Bmp, DecodesEveryDepthAndOrientation) {
    // 24-bit round trip (bottom-up, rows padded to 4 bytes: width 3 → 12-byte rows).
    Bitmap32 sheet = PositionSheet(3, 5);
    std::string f24 = EncodeBmp24(sheet);
    EXPECT_EQ(f24.size(), 54u + 12 * 5);
    Bitmap32 out;
    ASSERT_FALSE(DecodeBmp(f24, out));
    EXPECT_EQ(out.pixels, sheet.pixels);

    // 24-bit top-down: the same rows in the other order.
    std::string td = f24;
    PutLE(td, 22, static_cast<std::uint32_t>(-5), 4);
    ASSERT_FALSE(DecodeBmp(td, out));
    EXPECT_EQ(out.At(0, 0), sheet.At(0, 4));
    BmpInfo info;
    ASSERT_FALSE(ReadBmpInfo(td, info));
    EXPECT_TRUE(info.top_down);
    EXPECT_EQ(info.height, 5);

    const std::string pal = Bytes({0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0x10, 0x20, 0x30, 0});
    // 1-bit 10 × 1: bits 1000000001 → white ... white.
    ASSERT_FALSE(DecodeBmp(HandBmp(10, 1, 1, 0, pal.substr(0, 8), Bytes({0x80, 0x40, 0, 0})), out));
    EXPECT_EQ(out.At(0, 0), 0xFFFF00FFu);
    EXPECT_EQ(out.At(1, 0), 0xFF000000u);
    EXPECT_EQ(out.At(9, 0), 0xFFFF00FFu);

    // 4-bit 3 × 2 bottom-up with a 3-colour palette; index 5 is outside it → black.
    ASSERT_FALSE(
        DecodeBmp(HandBmp(3, 2, 4, 0, pal, Bytes({0x12, 0x50, 0, 0, 0x21, 0x00, 0, 0})), out));
    EXPECT_EQ(out.At(0, 1), 0xFFFF00FFu); // bottom row first in the file
    EXPECT_EQ(out.At(1, 1), 0xFF302010u);
    EXPECT_EQ(out.At(2, 1), 0xFF000000u);
    EXPECT_EQ(out.At(0, 0), 0xFF302010u);

    // 8-bit.
    ASSERT_FALSE(DecodeBmp(HandBmp(2, 1, 8, 0, pal, Bytes({2, 1, 0, 0})), out));
    EXPECT_EQ(out.At(0, 0), 0xFF302010u);

    // 16-bit 5-5-5: pure red 0x7C00 and pure blue 0x001F.
    ASSERT_FALSE(DecodeBmp(HandBmp(2, 1, 16, 0, "", Bytes({0x00, 0x7C, 0x1F, 0x00})), out));
    EXPECT_EQ(out.At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(out.At(1, 0), 0xFF0000FFu);

    // 16-bit 5-6-5 bit fields: green 0x07E0.
    std::string bf = Bytes({0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0});
    ASSERT_FALSE(DecodeBmp(HandBmp(1, 1, 16, 3, bf, Bytes({0xE0, 0x07, 0, 0})), out));
    EXPECT_EQ(out.At(0, 0), 0xFF00FF00u);

    // 32-bit: BGRX, the fourth byte does not make the pixel see-through.
    ASSERT_FALSE(DecodeBmp(HandBmp(1, 1, 32, 0, "", Bytes({1, 2, 3, 0})), out));
    EXPECT_EQ(out.At(0, 0), 0xFF030201u);
}

TEST(Bmp, RunLengthEncoding) {
    const std::string pal = Bytes({0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0x10, 0x20, 0x30, 0});
    // RLE8 4 × 2: bottom row "run of 3 × 1, absolute [2]" is padded; top row via delta.
    std::string rle8 = Bytes({3, 1, 0, 0, /* eol */ 0, 2, 1, 0, /* delta +1,+0 */ 0, 3, 2, 1, 2, 0,
                              /* absolute 3 */ 0, 1});
    Bitmap32 out;
    ASSERT_FALSE(DecodeBmp(HandBmp(4, 2, 8, 1, pal, rle8), out));
    EXPECT_EQ(out.At(0, 1), 0xFFFF00FFu);
    EXPECT_EQ(out.At(2, 1), 0xFFFF00FFu);
    EXPECT_EQ(out.At(3, 1), 0xFF000000u); // never written: palette colour 0
    EXPECT_EQ(out.At(0, 0), 0xFF000000u);
    EXPECT_EQ(out.At(1, 0), 0xFF302010u);
    EXPECT_EQ(out.At(2, 0), 0xFFFF00FFu);
    EXPECT_EQ(out.At(3, 0), 0xFF302010u);

    // RLE4: run of 4 pixels alternating 2,1.
    ASSERT_FALSE(DecodeBmp(HandBmp(4, 1, 4, 2, pal, Bytes({4, 0x21, 0, 1})), out));
    EXPECT_EQ(out.At(0, 0), 0xFF302010u);
    EXPECT_EQ(out.At(1, 0), 0xFFFF00FFu);
    EXPECT_EQ(out.At(3, 0), 0xFFFF00FFu);

    // A compressed header asking for 30000 × 30000 from 4 bytes of data is refused.
    EXPECT_TRUE(DecodeBmp(HandBmp(30000, 30000, 8, 1, pal, Bytes({0, 0, 0, 1})), out));
}

TEST(Bmp, RejectsWhatIsNotABitmap) {
    Bitmap32 out;
    std::string good = EncodeBmp24(PositionSheet(4, 4));
    EXPECT_TRUE(DecodeBmp("", out));
    EXPECT_TRUE(DecodeBmp("GIF89a", out));
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_TRUE(DecodeBmp(std::string_view(good).substr(0, n), out)) << n;

    auto patched = [&](size_t pos, std::uint64_t v, int n) {
        std::string s = good;
        PutLE(s, pos, v, n);
        return s;
    };
    EXPECT_TRUE(DecodeBmp(patched(18, 0, 4), out));           // width 0
    EXPECT_TRUE(DecodeBmp(patched(18, 100000, 4), out));      // width past any sheet
    EXPECT_TRUE(DecodeBmp(patched(22, 0x80000000u, 4), out)); // height INT_MIN
    EXPECT_TRUE(DecodeBmp(patched(18, 5000, 4), out));        // rows missing
    EXPECT_TRUE(DecodeBmp(patched(28, 7, 2), out));           // 7 bits per pixel
    EXPECT_TRUE(DecodeBmp(patched(30, 4, 4), out));           // JPEG inside a BMP
    EXPECT_TRUE(DecodeBmp(patched(14, 64, 4), out));          // unknown header size
    EXPECT_TRUE(DecodeBmp(patched(10, 0xFFFFFFF0u, 4), out)); // pixels past the end
    EXPECT_TRUE(DecodeBmp(patched(26, 2, 2), out));           // two planes
}

TEST(Sprites, CutCopiesTheRectangleAndPadsOutsideWithMagenta) {
    Bitmap32 sheet = PositionSheet(20, 10);
    Bitmap32 t;
    CutSprite(sheet, t, 5, 2, 4, 3);
    ASSERT_EQ(t.width, 4);
    ASSERT_EQ(t.height, 3);
    EXPECT_EQ(t.At(0, 0), PositionPixel(5, 2));
    EXPECT_EQ(t.At(3, 2), PositionPixel(8, 4));

    CutSprite(sheet, t, 18, 8, 4, 4); // reaches past the right and bottom edges
    EXPECT_EQ(t.At(1, 1), PositionPixel(19, 9));
    EXPECT_EQ(t.At(2, 1), 0xFFFF00FFu);
    EXPECT_EQ(t.At(1, 2), 0xFFFF00FFu);

    CutSprite(sheet, t, -2147483647, 2147483600, 3, 3); // far outside: all magenta, no overflow
    EXPECT_EQ(t.At(2, 2), 0xFFFF00FFu);

    CutSprite(sheet, t, 0, 0, -4, 3);
    EXPECT_TRUE(t.Empty());
    EXPECT_THROW(CutSprite(sheet, t, 0, 0, 100000, 100000), SkinError);
    EXPECT_THROW(CutSprite(sheet, t, 0, 0, 5000, 5000), SkinError); // beyond 16 M pixels
    // A sheet smaller than the rectangle is no damage: its part is copied, the rest is empty.
    CutSprite(sheet, t, 0, 0, 201, 30);
    ASSERT_EQ(t.width, 201);
    EXPECT_EQ(t.At(19, 9), PositionPixel(19, 9));
    EXPECT_EQ(t.At(20, 0), 0xFFFF00FFu);
    EXPECT_EQ(t.At(0, 10), 0xFFFF00FFu);
}

TEST(SkinLoad, VersionTestIsExactAndCaseSensitive) {
    TempDir dir;
    Bitmap32 sheet = PositionSheet(8, 8);
    OpenedSkin pkg;
    auto status = [&](const std::string& ini, SkinVersionKey k = SkinVersionKey::Skin) {
        return OpenSkinPackage(dir.Write("v.sk", Package(ini, sheet)), k, pkg).status;
    };
    EXPECT_EQ(status("[VER]\nSkinVer=1.0"), SkinLoadStatus::Applied);
    EXPECT_EQ(status("[ver]\nskinver = 1.0 "), SkinLoadStatus::Applied); // names ignore case
    EXPECT_EQ(status("[VER]\nSkinVer=1.00"), SkinLoadStatus::WrongVersion);
    EXPECT_EQ(status("[VER]\nSkinVer=1.0a"), SkinLoadStatus::WrongVersion);
    EXPECT_EQ(status("[VER]\nSkinVer=1"), SkinLoadStatus::WrongVersion);
    EXPECT_EQ(status("[BAR]\nSkinVer=1.0"), SkinLoadStatus::WrongVersion);
    EXPECT_EQ(status(""), SkinLoadStatus::WrongVersion);
    EXPECT_EQ(status("[VER]\nClockVer=1.0"), SkinLoadStatus::WrongVersion);
    EXPECT_EQ(status("[VER]\nClockVer=1.0", SkinVersionKey::Clock), SkinLoadStatus::Applied);
    EXPECT_EQ(status("[VER]\nSkinVer=1.0", SkinVersionKey::Clock), SkinLoadStatus::WrongVersion);

    // The picture is read before the version test: damage is reported either way.
    std::string bad = dir.Write("b.sk", BuildSkinContainer({0, "[VER]\nSkinVer=9", "BM"}));
    EXPECT_EQ(OpenSkinPackage(bad, SkinVersionKey::Skin, pkg).status, SkinLoadStatus::Damaged);
    EXPECT_EQ(OpenSkinPackage(dir.path() + "nothing.sk", SkinVersionKey::Skin, pkg).status,
              SkinLoadStatus::Missing);
    EXPECT_EQ(OpenSkinPackage(dir.path(), SkinVersionKey::Skin, pkg).status,
              SkinLoadStatus::Missing); // the Skin folder itself (empty SkinFile)
}

TEST(SkinLoad, StaleTemporaryFileIsRemovedAtExit) {
    TempDir dir;
    EXPECT_FALSE(DeleteStaleSkinTemp(dir.path()));
    dir.Write("SkinDone.tmp", "[VER]\nSkinVer=1.0\n");
    EXPECT_TRUE(DeleteStaleSkinTemp(dir.path()));
    EXPECT_FALSE(IsRegularFile(dir.path() + "SkinDone.tmp"));
}

TEST(SkinLoad, CorpusPackagesNeverCrashTheLoaders) {
    const char* src = std::getenv("TOBU_SOURCE_DIR");
    std::filesystem::path dir =
        std::filesystem::path(src ? src : TOBU_TEST_SOURCE_DIR) / "tests/settings/corpus/skin";
    int files = 0, applied = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(entry.path().string(), bytes));
        OpenedSkin pkg;
        SkinLoadResult r = OpenSkinBytes(bytes, SkinVersionKey::Skin, pkg);
        ++files;
        if (r.Applied()) {
            ++applied;
        } else if (r.status == SkinLoadStatus::Damaged) {
            EXPECT_FALSE(r.error.empty());
        }
    }
    EXPECT_GE(files, 7);
    EXPECT_GE(applied, 4);
}
