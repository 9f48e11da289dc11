#include "sound/clock_alarm.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sound/sound_test_support.h"

namespace tobu {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::RecordingDevice;
using testing::TempFolder;

// Every recording of the chime folder, so that the player really starts the lists.
const char* const kRecordings[] = {"T1", "To1", "To2", "To3", "To4", "0", "1",  "2",
                                   "2A", "3",   "4",   "5",   "6",   "7", "8",  "9",
                                   "10", "11",  "12",  "30",  "H",   "M", "Z1", "Z2"};

// The file names of a list, folder left out.
std::vector<std::string> Names(const std::string& list, const std::string& folder) {
    std::vector<std::string> out;
    if (list.empty()) return out;
    size_t start = 0;
    for (;;) {
        const size_t star = list.find('*', start);
        std::string entry = list.substr(start, star - start);
        if (entry.rfind(folder, 0) != 0) ADD_FAILURE() << entry << " is not in " << folder;
        out.push_back(entry.substr(folder.size()));
        if (star == std::string::npos) break;
        start = star + 1;
    }
    return out;
}

class ClockAlarmTest : public ::testing::Test {
protected:
    ClockAlarmTest() {
        for (const char* r : kRecordings) dir.File(std::string(r) + ".wav");
    }
    TDateTime At(int h, int m, int s) const { return EncodeDateTime(2024, 5, 17, h, m, s); }
    // Lets the player run to its end, then gives the names of the files it started, in
    // order, leaving the folder out.
    std::vector<std::string> Played() {
        FinishPlaying();
        std::vector<std::string> out;
        for (const auto& p : device.Played()) out.push_back(p.substr(folder.size()));
        return out;
    }
    std::vector<std::string> List(int h, int m, int kind, bool withMinutes) const {
        return Names(alarm.BuildList(h, m, kind, withMinutes), folder);
    }
    // Lets the player run the whole sequence.
    void FinishPlaying() {
        for (int i = 0; i < 100 && alarm.Player().Playing(); ++i)
            alarm.Player().MMNotify(kNotifySuccessful);
    }

    TempFolder dir;
    std::string folder = dir.Path() + "/";
    RecordingDevice device;
    TClockAlarm alarm{device, dir.Path() + "/"};
};

// --- when Check fires ---

TEST_F(ClockAlarmTest, OnTheHourOnlyFiresAtSecondZeroOfMinuteZero) {
    alarm.SetOptions(true, false, 0);
    EXPECT_TRUE(alarm.Check(At(8, 0, 0)));
    EXPECT_THAT(Played(), ElementsAre("T1.wav", "To2.wav", "8.wav", "H.wav"));
    FinishPlaying();
    const size_t before = device.commands.size();
    EXPECT_FALSE(alarm.Check(At(8, 0, 1)));
    EXPECT_FALSE(alarm.Check(At(8, 30, 0)));
    EXPECT_FALSE(alarm.Check(At(7, 59, 59)));
    EXPECT_FALSE(alarm.Check(At(8, 1, 0)));
    EXPECT_EQ(device.commands.size(), before);
    EXPECT_TRUE(alarm.Check(At(8, 0, 0) + 999.0 / kMSecsPerDay)) << "milliseconds do not matter";
}

TEST_F(ClockAlarmTest, HalfHourOnlyFiresAtMinuteThirty) {
    alarm.SetOptions(false, true, 0);
    EXPECT_FALSE(alarm.Check(At(14, 0, 0)));
    EXPECT_TRUE(alarm.Check(At(14, 30, 0)));
    EXPECT_THAT(Played(), ElementsAre("T1.wav", "To3.wav", "2.wav", "H.wav", "30.wav", "M.wav"));
    EXPECT_FALSE(alarm.Check(At(14, 30, 1)));
}

TEST_F(ClockAlarmTest, BothSwitchesOffNeverFireButTheHotKeyStillSpeaks) {
    alarm.SetOptions(false, false, 1);
    for (int s = 0; s < 86400; s += 1)
        ASSERT_FALSE(alarm.Check(At(s / 3600, s / 60 % 60, s % 60))) << s;
    EXPECT_THAT(device.commands, IsEmpty());
    alarm.Announce(At(9, 15, 42));
    EXPECT_THAT(Played(),
                ElementsAre("T1.wav", "To2.wav", "9.wav", "H.wav", "10.wav", "5.wav", "M.wav"));
}

TEST_F(ClockAlarmTest, TheMessageKindFiresWithoutSound) {
    alarm.SetOptions(true, true, 3);
    EXPECT_TRUE(alarm.Check(At(9, 0, 0)));
    EXPECT_TRUE(alarm.Check(At(9, 30, 0)));
    EXPECT_THAT(device.commands, IsEmpty());
    alarm.SetOptions(true, true, 7); // an unknown kind is silent too
    EXPECT_TRUE(alarm.Check(At(9, 0, 0)));
    EXPECT_THAT(device.commands, IsEmpty());
}

TEST_F(ClockAlarmTest, CheckKeepsNoMemoryOfHavingFired) {
    alarm.SetOptions(true, false, 1);
    EXPECT_TRUE(alarm.Check(At(10, 0, 0)));
    FinishPlaying();
    EXPECT_TRUE(alarm.Check(At(10, 0, 0)));
    EXPECT_THAT(Played(), ElementsAre("Z2.wav", "Z2.wav"));
}

TEST_F(ClockAlarmTest, ANewChimeIsDroppedWhileATaskListIsStillPending) {
    alarm.SetOptions(true, false, 1);
    const std::string a = dir.File("task a.wav"), b = dir.File("task b.mp3");
    alarm.PlayFile(a + "*" + b);
    EXPECT_TRUE(alarm.Check(At(8, 0, 0))) << "the check fires even when the player drops it";
    EXPECT_THAT(device.Played(), ElementsAre(a));
    alarm.Player().MMNotify(kNotifySuccessful);
    EXPECT_THAT(device.Played(), ElementsAre(a, b));
}

// --- chimes ---

TEST_F(ClockAlarmTest, HourStrikesFollowTheTwelveHourDialWithMidnightStrikingOnce) {
    alarm.SetOptions(true, false, 2);
    const std::pair<int, size_t> cases[] = {{0, 1},  {1, 1},  {2, 2},  {12, 12},
                                            {13, 1}, {14, 2}, {23, 11}};
    for (const auto& [hour, strikes] : cases) {
        EXPECT_EQ(List(hour, 0, 2, false), std::vector<std::string>(strikes, "Z1.wav"))
            << hour << " o'clock";
    }
    // Through Check and the player: twelve strikes at noon, one after another.
    EXPECT_TRUE(alarm.Check(At(12, 0, 0)));
    FinishPlaying();
    EXPECT_EQ(Played(), std::vector<std::string>(12, "Z1.wav"));
}

TEST_F(ClockAlarmTest, HalfHourIsOneStrikeForBothChimeKinds) {
    alarm.SetOptions(true, true, 1);
    EXPECT_TRUE(alarm.Check(At(15, 30, 0)));
    FinishPlaying();
    EXPECT_TRUE(alarm.Check(At(15, 0, 0)));
    EXPECT_THAT(Played(), ElementsAre("Z1.wav", "Z2.wav"));
    EXPECT_THAT(List(23, 30, 2, false), ElementsAre("Z1.wav"));
    EXPECT_THAT(List(0, 30, 2, false), ElementsAre("Z1.wav"));
}

// --- spoken time ---

TEST_F(ClockAlarmTest, PeriodsAndTheTwelveHourNumber) {
    const std::pair<int, std::vector<std::string>> cases[] = {
        {0, {"T1.wav", "To1.wav", "0.wav", "H.wav"}},
        {5, {"T1.wav", "To1.wav", "5.wav", "H.wav"}},
        {6, {"T1.wav", "To2.wav", "6.wav", "H.wav"}},
        {11, {"T1.wav", "To2.wav", "11.wav", "H.wav"}},
        {12, {"T1.wav", "To3.wav", "12.wav", "H.wav"}},
        {17, {"T1.wav", "To3.wav", "5.wav", "H.wav"}},
        {18, {"T1.wav", "To4.wav", "6.wav", "H.wav"}},
        {23, {"T1.wav", "To4.wav", "11.wav", "H.wav"}},
    };
    for (const auto& [hour, want] : cases) EXPECT_EQ(List(hour, 0, 0, false), want) << hour;
}

TEST_F(ClockAlarmTest, HalfHourWordsFollowOnlyWithTheHalfHourSwitch) {
    alarm.SetOptions(true, false, 0);
    EXPECT_THAT(List(14, 30, 0, false), ElementsAre("T1.wav", "To3.wav", "2.wav", "H.wav"));
    alarm.SetOptions(true, true, 0);
    EXPECT_THAT(List(14, 30, 0, false),
                ElementsAre("T1.wav", "To3.wav", "2.wav", "H.wav", "30.wav", "M.wav"));
    EXPECT_THAT(List(14, 0, 0, false), ElementsAre("T1.wav", "To3.wav", "2.wav", "H.wav"));
}

TEST_F(ClockAlarmTest, HotKeyAnnouncementsOfTheKnownTimes) {
    alarm.Announce(At(23, 42, 10));
    EXPECT_THAT(Played(), ElementsAre("T1.wav", "To4.wav", "11.wav", "H.wav", "4.wav", "10.wav",
                                      "2A.wav", "M.wav"));
    EXPECT_THAT(List(0, 5, 0, true),
                ElementsAre("T1.wav", "To1.wav", "0.wav", "H.wav", "0.wav", "5.wav", "M.wav"));
    EXPECT_THAT(List(12, 20, 0, true),
                ElementsAre("T1.wav", "To3.wav", "12.wav", "H.wav", "2A.wav", "10.wav", "M.wav"));
}

TEST_F(ClockAlarmTest, MinuteClipsForEveryShapeOfNumber) {
    const std::pair<int, std::vector<std::string>> cases[] = {
        {0, {"0.wav", "0.wav"}},
        {2, {"0.wav", "2A.wav"}},
        {9, {"0.wav", "9.wav"}},
        {10, {"10.wav"}},
        {11, {"11.wav"}},
        {12, {"12.wav"}},
        {13, {"10.wav", "3.wav"}},
        {19, {"10.wav", "9.wav"}},
        {20, {"2A.wav", "10.wav"}},
        {22, {"2A.wav", "10.wav", "2A.wav"}},
        {30, {"3.wav", "10.wav"}},
        {32, {"3.wav", "10.wav", "2A.wav"}},
        {59, {"5.wav", "10.wav", "9.wav"}},
    };
    for (const auto& [m, clips] : cases) {
        std::vector<std::string> want = {"T1.wav", "To2.wav", "7.wav", "H.wav"};
        want.insert(want.end(), clips.begin(), clips.end());
        want.push_back("M.wav");
        EXPECT_THAT(List(7, m, 0, true), ElementsAreArray(want)) << "minute " << m;
    }
}

TEST_F(ClockAlarmTest, TheHotKeyIgnoresKindAndSwitches) {
    alarm.SetOptions(false, false, 2);
    alarm.Announce(At(13, 0, 0));
    EXPECT_THAT(Played(),
                ElementsAre("T1.wav", "To3.wav", "1.wav", "H.wav", "0.wav", "0.wav", "M.wav"));
}

// --- the folder ---

TEST_F(ClockAlarmTest, FolderWithAndWithoutTrailingSeparatorGiveTheSameList) {
    RecordingDevice d;
    TClockAlarm bare(d, dir.Path());
    for (int kind : {0, 1, 2})
        for (int h : {0, 9, 12, 21})
            for (int m : {0, 30, 47})
                EXPECT_EQ(bare.BuildList(h, m, kind, kind == 0),
                          alarm.BuildList(h, m, kind, kind == 0));
    EXPECT_EQ(bare.BuildList(9, 0, 1, false), dir.Path() + "/Z2.wav");
}

TEST_F(ClockAlarmTest, AnEmptyFolderOrATimeOutOfRangeGivesAnEmptyList) {
    RecordingDevice d;
    TClockAlarm none(d, "");
    none.SetOptions(true, true, 0);
    EXPECT_EQ(none.BuildList(8, 0, 0, true), "");
    EXPECT_TRUE(none.Check(At(8, 0, 0)));
    EXPECT_THAT(d.commands, IsEmpty());
    EXPECT_EQ(alarm.BuildList(24, 0, 0, true), "");
    EXPECT_EQ(alarm.BuildList(-1, 0, 2, false), "");
    EXPECT_EQ(alarm.BuildList(8, 60, 0, true), "");
}

TEST_F(ClockAlarmTest, MissingRecordingsAreSkippedAndTheRestStillPlays) {
    std::filesystem::remove(dir.Missing("T1.wav"));
    std::filesystem::remove(dir.Missing("H.wav"));
    alarm.Announce(At(8, 5, 0));
    FinishPlaying();
    EXPECT_THAT(Played(), ElementsAre("To2.wav", "8.wav", "0.wav", "5.wav", "M.wav"));
    EXPECT_TRUE(alarm.Player().Idle());
}

} // namespace
} // namespace tobu
