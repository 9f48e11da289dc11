#include "sound/back_sound.h"

#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sound/sound_test_support.h"

namespace tobu {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::RecordingDevice;
using testing::TempFolder;

class BackSoundTest : public ::testing::Test {
protected:
    TempFolder dir;
    RecordingDevice device;
    TBackSound player{device};
};

// --- taking entries from the list ---

TEST_F(BackSoundTest, NextFileConsumesTheListFromTheFront) {
    const std::string a = dir.File("a.wav"), b = dir.File("b.wav");
    player.Play(""); // idle: nothing to take
    EXPECT_EQ(player.NextFile(), "");

    TBackSound p(device);
    p.Play(a + "*" + dir.Missing("gone.wav") + "*" + b + "*");
    // a started; the rest is pending, still joined by "*".
    EXPECT_EQ(p.PendingList(), dir.Missing("gone.wav") + "*" + b + "*");
    EXPECT_EQ(p.NextFile(), "0") << "a missing file becomes the entry 0";
    EXPECT_EQ(p.NextFile(), b);
    EXPECT_EQ(p.PendingList(), "") << "a trailing * leaves nothing behind";
    EXPECT_EQ(p.NextFile(), "") << "an empty entry means the list is used up";
}

TEST_F(BackSoundTest, AFolderOrAStrayFileNamedZeroIsNotPlayable) {
    const std::string sub = dir.Path() + "/folder.wav";
    std::filesystem::create_directory(sub);
    // A file literally called "0" in the working folder must not be mistaken for a match.
    const auto oldCwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    dir.File("0");
    player.Play(sub + "*" + dir.Missing("gone.wav") + "*0");
    std::filesystem::current_path(oldCwd);
    EXPECT_THAT(device.commands, IsEmpty());
    EXPECT_TRUE(player.Idle());
}

// --- starting a sequence ---

TEST_F(BackSoundTest, AListOfOnlyMissingFilesSendsNothingAndStaysIdle) {
    player.Play(dir.Missing("a.wav") + "*" + dir.Missing("b.wav") + "*" + dir.Missing("c.wav"));
    EXPECT_THAT(device.commands, IsEmpty());
    EXPECT_TRUE(player.Idle());
    EXPECT_EQ(player.PendingList(), "");

    // ...and the next list is accepted.
    const std::string a = dir.File("a2.wav");
    player.Play(a);
    EXPECT_THAT(device.Played(), ElementsAre(a));
}

TEST_F(BackSoundTest, PlaySendsCloseAllOpenAndPlayInThisOrder) {
    const std::string a = dir.File("a.wav");
    player.Play(a);
    EXPECT_THAT(device.commands,
                ElementsAre("close all", "open " + a, "play " + a + " from 0 notify"));
    EXPECT_TRUE(player.Playing());
    EXPECT_EQ(player.PendingList(), "");
}

TEST_F(BackSoundTest, TwoFilesAndATrailingSeparatorPlayInOrderThenIdle) {
    const std::string a = dir.File("a.wav"), b = dir.File("b.wav");
    player.Play(a + "*" + b + "*");
    player.MMNotify(kNotifySuccessful);
    player.MMNotify(kNotifySuccessful);
    EXPECT_THAT(device.commands,
                ElementsAre("close all", "open " + a, "play " + a + " from 0 notify", "open " + b,
                            "play " + b + " from 0 notify"))
        << "no close between files of one sequence";
    EXPECT_TRUE(player.Idle());
}

TEST_F(BackSoundTest, MissingFirstTwoStartsDirectlyWithTheThird) {
    const std::string c = dir.File("c.wav");
    player.Play(dir.Missing("a.wav") + "*" + dir.Missing("b.wav") + "*" + c);
    EXPECT_THAT(device.commands,
                ElementsAre("close all", "open " + c, "play " + c + " from 0 notify"));
}

TEST_F(BackSoundTest, MissingFilesInTheMiddleAreSkippedOnNotification) {
    const std::string a = dir.File("a.wav"), d = dir.File("d.wav");
    player.Play(a + "*" + dir.Missing("b.wav") + "*" + dir.Missing("c.wav") + "*" + d);
    player.MMNotify(kNotifySuccessful);
    EXPECT_THAT(device.Played(), ElementsAre(a, d));
    EXPECT_EQ(player.PendingList(), "");
}

TEST_F(BackSoundTest, APathWithBlanksIsPassedWhole) {
    const std::string a = dir.File("my chime 1.wav");
    player.Play(a);
    EXPECT_THAT(device.Played(), ElementsAre(a));
}

TEST_F(BackSoundTest, AnEmptyEntryBetweenSeparatorsDoesNotWedgeTheList) {
    const std::string a = dir.File("a.wav"), b = dir.File("b.wav");
    player.Play("**" + a + "**" + b);
    EXPECT_THAT(device.Played(), ElementsAre(a));
    player.MMNotify(kNotifySuccessful);
    EXPECT_THAT(device.Played(), ElementsAre(a, b));
    player.MMNotify(kNotifySuccessful);
    EXPECT_TRUE(player.Idle());
}

// --- refusing and accepting a new list ---

TEST_F(BackSoundTest, PlayIsRefusedDuringTheSecondOfThreeAndAcceptedDuringTheLast) {
    const std::string a = dir.File("a.wav"), b = dir.File("b.wav"), c = dir.File("c.wav");
    const std::string x = dir.File("x.wav"), y = dir.File("y.wav");
    player.Play(a + "*" + b + "*" + c);
    player.MMNotify(kNotifySuccessful); // b plays, c pending
    const size_t before = device.commands.size();
    player.Play(x);
    EXPECT_EQ(device.commands.size(), before) << "a new list is dropped, not queued";
    EXPECT_EQ(player.PendingList(), c);

    player.MMNotify(kNotifySuccessful); // c, the last, plays: nothing pending
    EXPECT_EQ(player.PendingList(), "");
    player.Play(y + "*" + x);
    EXPECT_THAT(std::vector<std::string>(device.commands.end() - 3, device.commands.end()),
                ElementsAre("close all", "open " + y, "play " + y + " from 0 notify"));
    EXPECT_EQ(player.PendingList(), x);
    player.MMNotify(kNotifySuccessful);
    EXPECT_THAT(device.Played(), ElementsAre(a, b, c, y, x)) << "the refused list never played";
}

TEST_F(BackSoundTest, OnlyMissingFilesDuringTheLastFileLeaveItSounding) {
    const std::string a = dir.File("a.wav");
    player.Play(a);
    player.Play(dir.Missing("m.wav"));
    EXPECT_THAT(device.commands,
                ElementsAre("close all", "open " + a, "play " + a + " from 0 notify"))
        << "no close all when nothing of the new list exists";
    EXPECT_TRUE(player.Playing());
}

// --- notifications and failures ---

TEST_F(BackSoundTest, EveryNotificationCodeAdvancesByOneFile) {
    std::vector<std::string> files;
    std::string list;
    for (int i = 0; i < 5; ++i) {
        files.push_back(dir.File("f" + std::to_string(i) + ".wav"));
        list += (i ? "*" : "") + files.back();
    }
    player.Play(list);
    for (int code :
         std::initializer_list<int>{kNotifyAborted, kNotifyFailure, kNotifySuperseded, 0})
        player.MMNotify(code);
    EXPECT_EQ(device.Played(), files);
    player.MMNotify(kNotifySuccessful);
    EXPECT_TRUE(player.Idle());
}

TEST_F(BackSoundTest, AStrayNotificationWhileIdleDoesNothing) {
    player.MMNotify(kNotifySuccessful);
    EXPECT_THAT(device.commands, IsEmpty());
    EXPECT_TRUE(player.Idle());
}

TEST_F(BackSoundTest, AFailedPlayMovesOnAsIfItHadEnded) {
    const std::string a = dir.File("a.wav"), b = dir.File("b.wav"), c = dir.File("c.wav");
    device.failPlay = {a, b};
    player.Play(a + "*" + b + "*" + c);
    EXPECT_THAT(device.Played(), ElementsAre(a, b, c));
    EXPECT_EQ(std::count(device.commands.begin(), device.commands.end(), "close all"), 1);
    EXPECT_TRUE(player.Playing());
    player.MMNotify(kNotifySuccessful);
    EXPECT_TRUE(player.Idle());
}

TEST_F(BackSoundTest, AFailedPlayOfEveryFileDoesNotWedgeThePlayer) {
    const std::string a = dir.File("a.wav"), b = dir.File("b.wav"), c = dir.File("c.wav");
    device.failPlay = {a, b};
    player.Play(a + "*" + b);
    EXPECT_TRUE(player.Idle()) << "nothing sounds, so nothing may stay pending";
    player.Play(c);
    EXPECT_THAT(device.Played(), ElementsAre(a, b, c)) << "a later list is accepted";

    // A failure later in the sequence, on a notification, ends it cleanly too.
    device.failPlay = {b};
    TBackSound p(device);
    p.Play(a + "*" + b);
    p.MMNotify(kNotifySuccessful);
    EXPECT_TRUE(p.Idle());
}

} // namespace
} // namespace tobu
