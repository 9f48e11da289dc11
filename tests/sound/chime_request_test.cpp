#include "sound/chime_request.h"

#include <gtest/gtest.h>

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
}

TEST(ChimeRequest, TheProgramSoundFolderIsBesideTheExecutable) {
    const std::string folder = ProgramSoundFolder();
    ASSERT_GE(folder.size(), 7u);
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.substr(folder.size() - 7), "/Sound/");
}

} // namespace
} // namespace tobu
