// `tobu face` run as installed: the staged tool on a shipped face and on faces the clock refuses.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#include "settings/temp_dir.h"
#include "support/staged_tool.h"

namespace {

using tobu::testing::StageDir;
using tobu::testing::TempDir;

tobu::testing::CommandRun Tobu(const std::string& args) {
    return tobu::testing::RunCommand("'" + StageDir() + "/tobu' face " + args + " 2>&1");
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Spit(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

const std::string kShipped = std::string(TOBU_TEST_SOURCE_DIR) + "/data/Clock/Classic.cl";

TEST(TobuFace, InfoRenderAndRoundTripOfAShippedFace) {
    if (!std::filesystem::exists(StageDir() + "/tobu")) GTEST_SKIP() << "tobu is not built";
    TempDir tmp;
    auto info = Tobu("info '" + kShipped + "' --json");
    ASSERT_EQ(info.status, 0) << info.out;
    for (const char* key :
         {"\"version\": \"1.0\"", "\"bitDepth\": 24", "\"hourHand\": {",
          "\"centerPoint\": \"#FF00FF\"", "\"explicit\": true", "\"problems\": []}"})
        EXPECT_NE(info.out.find(key), std::string::npos) << key << " in " << info.out;

    // 15:00:00 keeps the hour angle −450; the PNG is the face's size, see-through outside.
    const std::string png = tmp.File("at3.png");
    auto render = Tobu("render '" + kShipped + "' 15:00:00 '" + png + "' --json");
    ASSERT_EQ(render.status, 0) << render.out;
    EXPECT_EQ(render.out, "{\"time\": \"15:00:00\", \"hour\": -450, \"minute\": 0, \"second\": 0, "
                          "\"width\": 160, \"height\": 160, \"pivot\": [80, 80]}\n");
    if (std::system("command -v convert >/dev/null 2>&1") == 0) {
        auto px = tobu::testing::RunCommand("convert '" + png +
                                            "' -format '%[fx:p{0,0}.a] %[fx:p{80,30}.a] "
                                            "%[fx:round(255*p{80,77}.r)]' info:");
        EXPECT_EQ(px.out, "0 1 196") << "corner keyed out, dial opaque, red cap round the pivot";
    }

    // unpack then pack gives the same bytes back.
    ASSERT_EQ(Tobu("unpack '" + kShipped + "' '" + tmp.File("u") + "'").status, 0);
    ASSERT_EQ(Tobu("pack '" + tmp.File("u") + "' '" + tmp.File("again.cl") + "'").status, 0);
    EXPECT_EQ(Slurp(tmp.File("again.cl")), Slurp(kShipped));
}

TEST(TobuFace, RefusedFacesExitOneAndUsageErrorsTwo) {
    if (!std::filesystem::exists(StageDir() + "/tobu")) GTEST_SKIP() << "tobu is not built";
    TempDir tmp;
    ASSERT_EQ(Tobu("unpack '" + kShipped + "' '" + tmp.File("u") + "'").status, 0);
    const std::string ini = Slurp(tmp.File("u/face.ini"));

    // A wrong version, a hand with a negative size and a pivot outside the face: pack refuses
    // each unless forced, and info names the problem.
    const std::pair<std::string, std::string> bad[] = {
        {"ClockVer=1.0", "ClockVer=1.1"},
        {"HourHandWidth=9", "HourHandWidth=-9"},
        {"CenterX=80", "CenterX=900"},
    };
    for (const auto& [from, to] : bad) {
        std::string text = ini;
        text.replace(text.find(from), from.size(), to);
        Spit(tmp.File("u/face.ini"), text);
        const std::string out = tmp.File("bad.cl");
        std::filesystem::remove(out);
        auto refused = Tobu("pack '" + tmp.File("u") + "' '" + out + "'");
        EXPECT_EQ(refused.status, 1) << to;
        EXPECT_FALSE(std::filesystem::exists(out)) << to;
        ASSERT_EQ(Tobu("pack '" + tmp.File("u") + "' '" + out + "' --force").status, 0) << to;
        auto info = Tobu("info '" + out + "' --json");
        EXPECT_EQ(info.status, 1) << to;
        EXPECT_EQ(info.out.find("\"problems\": []"), std::string::npos) << info.out;
        EXPECT_EQ(Tobu("render '" + out + "' 12:00:00 '" + tmp.File("x.png") + "'").status, 1);
        EXPECT_FALSE(std::filesystem::exists(tmp.File("x.png")));
    }

    // A truncated package and a file that is no package at all.
    Spit(tmp.File("cut.cl"), Slurp(kShipped).substr(0, 300));
    auto cut = Tobu("info '" + tmp.File("cut.cl") + "' --json");
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.out.find("damaged package"), std::string::npos) << cut.out;
    Spit(tmp.File("huge.cl"), std::string("\0\0\0\0\xff\xff\xff\xff\xff\xff\xff\x7f", 12));
    EXPECT_EQ(Tobu("info '" + tmp.File("huge.cl") + "'").status, 1);

    EXPECT_EQ(Tobu("render '" + kShipped + "' 24:00:00 '" + tmp.File("y.png") + "'").status, 2);
    EXPECT_EQ(Tobu("info").status, 2);
    EXPECT_EQ(Tobu("pack a b --lead 12").status, 2);
    EXPECT_EQ(Tobu("frobnicate x").status, 2);
}

} // namespace
