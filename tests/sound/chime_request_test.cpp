#include "sound/chime_request.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

#include "sound/sound_test_support.h"
#include "support/staged_tool.h"

namespace tobu {
namespace {

ChimeRequest Parse(std::vector<std::string> args) {
    ChimeRequest r;
    std::string error;
    EXPECT_TRUE(ParseChimeArgs(args, r, error)) << error;
    return r;
}

std::string Error(std::vector<std::string> args) {
    ChimeRequest r;
    std::string error;
    EXPECT_FALSE(ParseChimeArgs(args, r, error));
    return error;
}

TEST(ChimeRequest, TimesAndOptionsAreRead) {
    const ChimeRequest r = Parse(
        {"--list", "08:05:09", "--type", "2", "--half", "--hour", "--folder", "/opt/clock/Sound"});
    EXPECT_TRUE(r.list);
    EXPECT_EQ(r.hour, 8);
    EXPECT_EQ(r.minute, 5);
    EXPECT_EQ(r.second, 9);
    EXPECT_EQ(r.type, 2);
    EXPECT_TRUE(r.half);
    EXPECT_TRUE(r.hourly);
    EXPECT_FALSE(r.minutes);
    EXPECT_EQ(r.folder, "/opt/clock/Sound");

    const ChimeRequest s = Parse({"7:3"});
    EXPECT_EQ(s.hour, 7);
    EXPECT_EQ(s.minute, 3);
    EXPECT_EQ(s.second, 0);
    EXPECT_EQ(s.type, 0) << "the kind defaults to spoken time";
    EXPECT_TRUE(Parse({"now"}).now);
    EXPECT_TRUE(Parse({"--help"}).help);
}

TEST(ChimeRequest, BadArgumentsAreRefusedWithAReason) {
    for (const char* t : {"24:00", "12:60", "12:00:60", "12", "1:2:3:4", "ab:cd", "-1:00", "123:00",
                          "12:", ":30", "12:3x"})
        EXPECT_NE(Error({t}), "") << t;
    EXPECT_NE(Error({}), "");
    EXPECT_NE(Error({"12:00", "13:00"}), "");
    EXPECT_NE(Error({"12:00", "--type"}), "");
    EXPECT_NE(Error({"12:00", "--type", "4"}), "");
    EXPECT_NE(Error({"12:00", "--type", "x"}), "");
    EXPECT_NE(Error({"12:00", "--folder", ""}), "");
    EXPECT_NE(Error({"12:00", "--loud"}), "");
}

TEST(ChimeRequest, TheListIsWhatTheCheckOrTheHotKeyWouldPlay) {
    // Without switches the check does not fire: an empty list.
    EXPECT_EQ(ChimeList(Parse({"08:00"}), "/s"), "");
    EXPECT_EQ(ChimeList(Parse({"08:00", "--hour"}), "/s"),
              "/s/T1.wav*/s/To2.wav*/s/8.wav*/s/H.wav");
    EXPECT_EQ(ChimeList(Parse({"08:00:01", "--hour"}), "/s"), "") << "only second 0 chimes";
    EXPECT_EQ(ChimeList(Parse({"15:30", "--half", "--type", "1"}), "/s/"), "/s/Z1.wav");
    EXPECT_EQ(ChimeList(Parse({"15:00", "--hour", "--type", "3"}), "/s/"), "");
    EXPECT_EQ(ChimeList(Parse({"00:05:31", "--minutes", "--type", "2"}), "/s"),
              "/s/T1.wav*/s/To1.wav*/s/0.wav*/s/H.wav*/s/0.wav*/s/5.wav*/s/M.wav");
    ChimeRequest now = Parse({"now"});
    now.hour = 12;
    now.minute = 20;
    EXPECT_EQ(ChimeList(now, "/s"),
              "/s/T1.wav*/s/To3.wav*/s/12.wav*/s/H.wav*/s/2A.wav*/s/10.wav*/s/M.wav");
    // With the switches, "now" is the current time like any TIME: the chime check decides.
    ChimeRequest strikes = Parse({"now", "--type", "2", "--hour"});
    strikes.hour = 15;
    EXPECT_EQ(ChimeList(strikes, "/s/"), "/s/Z1.wav*/s/Z1.wav*/s/Z1.wav");
    strikes.minute = 1;
    EXPECT_EQ(ChimeList(strikes, "/s/"), "");
    ChimeRequest half = Parse({"now", "--half"});
    half.hour = 9;
    half.minute = 30;
    EXPECT_EQ(ChimeList(half, "/s"), "/s/T1.wav*/s/To2.wav*/s/9.wav*/s/H.wav*/s/30.wav*/s/M.wav");
    half.minute = 0;
    EXPECT_EQ(ChimeList(half, "/s"), "") << "--half alone does not chime on the hour";
    ChimeRequest spoken = Parse({"now", "--type", "1", "--minutes"});
    spoken.hour = 12;
    spoken.minute = 20;
    EXPECT_EQ(ChimeList(spoken, "/s"), ChimeList(now, "/s")) << "--minutes is always spoken";
}

TEST(ChimeRequest, TheProgramSoundFolderIsBesideTheExecutable) {
    const std::string folder = ProgramSoundFolder();
    ASSERT_GE(folder.size(), 7u);
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.substr(folder.size() - 7), "/Sound/");
}

std::string StagedTobu() {
    return testing::StageDir() + "/tobu";
}

struct ToolRun {
    int status = -1;
    std::string out, err;
};

// Runs `env... tobu args` with standard output and standard error kept apart.
ToolRun RunTobu(const std::string& env, const std::string& args, const std::string& errFile) {
    testing::CommandRun run =
        testing::RunCommand(env + " '" + StagedTobu() + "' " + args + " 2>'" + errFile + "'");
    ToolRun r{run.status, run.out, {}};
    std::ifstream in(errFile);
    r.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return r;
}

TEST(TobuChimeTool, NowHonoursTheSwitchesAndNoSoundCardCostsOneLine) {
    if (!std::filesystem::exists(StagedTobu())) GTEST_SKIP() << "the tobu tool is not built";
    testing::TempFolder dir;
    const std::string err = dir.Missing("stderr.txt");
    // Without --hour or --half the chime check never fires, whatever the time is now.
    ToolRun listed = RunTobu("", "chime --list now --type 2 --folder '" + dir.Path() + "'", err);
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out, "\n");

    // ALSA without a usable device (an empty configuration has no default PCM): the tool
    // plays on SDL's silent driver and says so in one line; ALSA and SDL say nothing.
    dir.File("Z1.wav", testing::WavBytes(100));
    const std::string noCard =
        "ALSA_CONFIG_PATH='" + dir.File("asound.conf", "") + "' SDL_AUDIODRIVER=alsa";
    ToolRun played =
        RunTobu(noCard, "chime 12:30 --half --type 1 --folder '" + dir.Path() + "'", err);
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_EQ(std::count(played.err.begin(), played.err.end(), '\n'), 1) << played.err;
    EXPECT_NE(played.err.find("silently"), std::string::npos) << played.err;
}

} // namespace
} // namespace tobu
