#include "settings/clock_face_loader.h"

#include <gmock/gmock.h>

#include <string>

#include "faces/clock_test_face.h"
#include "settings/skin_test_util.h"

namespace tobu {
namespace {

using testing_face::GridOf;
using testing_face::SmallFace;
using testing_skin::Package;
using testing_skin::TempDir;

// A 20 × 12 sheet holding SmallFace's pictures: the dial at (0, 0), the hour hand at (11, 0),
// the minute hand at (14, 0), the second hand at (17, 0) and the cap at (18, 0).
Bitmap32 SmallSheet() {
    const ClockFace f = SmallFace();
    Bitmap32 sheet(20, 12, 0xFF123456);
    auto put = [&](const Bitmap32& b, int left, int top) {
        for (int y = 0; y < b.height; ++y)
            for (int x = 0; x < b.width; ++x) sheet.At(left + x, top + y) = b.At(x, y);
    };
    put(f.face, 0, 0);
    put(f.hour, 11, 0);
    put(f.minute, 14, 0);
    put(f.second, 17, 0);
    put(f.cap, 18, 0);
    return sheet;
}

std::string SmallIni(const std::string& version = "1.0", const std::string& extra = "") {
    return "[VER]\r\nClockVer=" + version +
           "\r\n[Clock]\r\nClockLeft=0\r\nClockTop=0\r\nClockWidth=11\r\nClockHeight=11\r\n"
           "HourHandLeft=11\r\nHourHandTop=0\r\nHourHandWidth=3\r\nHourHandHeight=7\r\n"
           "MinuteHandLeft=14\r\nMinuteHandTop=0\r\nMinuteHandWidth=3\r\nMinuteHandHeight=9\r\n"
           "SecondHandLeft=17\r\nSecondHandTop=0\r\nSecondHandWidth=1\r\nSecondHandHeight=6\r\n"
           "CenterPointLeft=18\r\nCenterPointTop=0\r\nCenterPointWidth=2\r\n"
           "CenterPointHeight=2\r\n" +
           extra;
}

TEST(ClockFaceLoader, LoadsTheFiveRectanglesAndThePivotAndPaintsTheSamePicture) {
    TempDir dir;
    ClockFace face;
    const auto r = LoadClockFaceSkin(dir.Write("a.cl", Package(SmallIni(), SmallSheet())), face);
    ASSERT_TRUE(r.Applied()) << r.error;
    const ClockFace want = SmallFace();
    EXPECT_EQ(face.face.pixels, want.face.pixels);
    EXPECT_EQ(face.hour.pixels, want.hour.pixels);
    EXPECT_EQ(face.minute.pixels, want.minute.pixels);
    EXPECT_EQ(face.second.pixels, want.second.pixels);
    EXPECT_EQ(face.cap.pixels, want.cap.pixels);
    EXPECT_EQ(face.pivot, (TPoint{5, 5})); // no CenterX/CenterY: the middle of the face
    EXPECT_EQ(GridOf(ComposeClockPicture(face, 3, 0, 30)), testing_face::SmallFaceAt030030());

    // An explicit pivot in section CLOCK (any case of the section name).
    const auto p = LoadClockFaceBytes(
        Package(SmallIni("1.0", "[clock]\r\nCenterX=2\r\nCenterY=9\r\n"), SmallSheet()), face);
    ASSERT_TRUE(p.Applied()) << p.error;
    EXPECT_EQ(face.pivot, (TPoint{2, 9}));
    ClockFaceLayout l = ReadClockFaceLayout(SkinIni(SplitSkinLines(SmallIni())));
    EXPECT_FALSE(l.pivot_explicit);
    EXPECT_EQ(l.hour, (SpriteRect{11, 0, 3, 7}));
}

TEST(ClockFaceLoader, RefusedFacesLeaveTheCurrentFace) {
    TempDir dir;
    ClockFace face = SmallFace();
    face.pivot = {7, 7};
    const Bitmap32 sheet = SmallSheet();
    auto keeps = [&](const std::string& bytes, SkinLoadStatus want) {
        const auto r = LoadClockFaceBytes(bytes, face);
        EXPECT_EQ(r.status, want) << r.error;
        EXPECT_EQ(face.pivot, (TPoint{7, 7}));
        EXPECT_EQ(face.face.width, 11);
        return r.error;
    };
    // Versions other than exactly "1.0".
    keeps(Package(SmallIni("1.1"), sheet), SkinLoadStatus::WrongVersion);
    keeps(Package(SmallIni("1.00"), sheet), SkinLoadStatus::WrongVersion);
    keeps(Package(SmallIni("").substr(0, 5), sheet), SkinLoadStatus::WrongVersion);
    EXPECT_EQ(LoadClockFaceSkin(dir.path() + "none.cl", face).status, SkinLoadStatus::Missing);
    EXPECT_EQ(LoadClockFaceSkin(dir.path(), face).status, SkinLoadStatus::Missing);

    // Unusable layouts, each named in the error.
    using ::testing::HasSubstr;
    auto with = [&](const std::string& keys) {
        // Later sections of the same name are merged into the first, so these keys go first.
        return Package("[Clock]\r\n" + keys + SmallIni(), sheet);
    };
    EXPECT_THAT(keeps(with("HourHandWidth=-3\r\n"), SkinLoadStatus::Damaged),
                HasSubstr("hour hand has a negative size"));
    EXPECT_THAT(keeps(with("ClockWidth=21\r\n"), SkinLoadStatus::Damaged),
                HasSubstr("face 21 x 11 is larger than the sheet 20 x 12"));
    EXPECT_THAT(keeps(with("SecondHandHeight=2000000000\r\n"), SkinLoadStatus::Damaged),
                HasSubstr("larger than the sheet"));
    EXPECT_THAT(keeps(with("ClockWidth=0\r\n"), SkinLoadStatus::Damaged),
                HasSubstr("the face is empty"));
    EXPECT_THAT(keeps(Package(SmallIni("1.0", "[CLOCK]\r\nCenterX=-1000000\r\n"), sheet),
                      SkinLoadStatus::Damaged),
                HasSubstr("pivot (-1000000, 5) is outside the face"));
    EXPECT_THAT(keeps(Package(SmallIni("1.0", "[CLOCK]\r\nCenterY=11\r\n"), sheet),
                      SkinLoadStatus::Damaged),
                HasSubstr("outside the face"));

    // A long thin sheet whose hand would turn in a square far larger than the sheet.
    Bitmap32 strip(2, 3000, 0xFFFFFFFF);
    EXPECT_THAT(keeps(Package("[VER]\nClockVer=1.0\n[Clock]\nClockWidth=2\nClockHeight=2\n"
                              "HourHandWidth=2\nHourHandHeight=3000\n",
                              strip),
                      SkinLoadStatus::Damaged),
                HasSubstr("hour hand 2 x 3000 turns in a square far larger than the sheet"));
}

void StoreLength(std::string& bytes, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) bytes[4 + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

TEST(ClockFaceLoader, DamagedPackagesFailCleanly) {
    ClockFace face = SmallFace();
    const std::string good = Package(SmallIni(), SmallSheet());
    auto damaged = [&](const std::string& bytes) {
        const auto r = LoadClockFaceBytes(bytes, face);
        EXPECT_EQ(r.status, SkinLoadStatus::Damaged);
        EXPECT_EQ(face.face.width, 11);
    };
    for (size_t n : {size_t{0}, size_t{3}, size_t{11}, size_t{40}, good.size() - 1})
        damaged(good.substr(0, n));
    std::string negative = good;
    StoreLength(negative, 0xFFFFFFFFFFFFFFF0u);
    damaged(negative);
    std::string huge = good;
    StoreLength(huge, std::uint64_t{1} << 62);
    damaged(huge);
    SkinContainer c;
    ASSERT_FALSE(ParseSkinContainer(good, c));
    c.bitmap = "not a bitmap";
    damaged(BuildSkinContainer(c));
}

// The fuzz seeds: the two good faces load, every other one is refused.
TEST(ClockFaceLoader, SeedCorpusLoadsOnlyItsGoodFaces) {
    const std::string dir = std::string(TOBU_TEST_SOURCE_DIR) + "/tests/settings/corpus/clockface/";
    for (const char* name : {"small.cl", "pivot.cl", "version_1_1.cl", "pivot_outside.cl",
                             "huge_hand.cl", "negative_l2.cl", "truncated.cl"}) {
        ClockFace face;
        const bool good = std::string(name) == "small.cl" || std::string(name) == "pivot.cl";
        EXPECT_EQ(LoadClockFaceSkin(dir + name, face).Applied(), good) << name;
        if (good) {
            EXPECT_EQ(face.face.width, 11) << name;
        }
    }
}

} // namespace
} // namespace tobu
