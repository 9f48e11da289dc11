// Real decoding and playback through SDL2_mixer on SDL's dummy audio driver, which consumes
// sound in real time without a sound card.
#include "sound/sdl_sound_device.h"

#include <chrono>
#include <cstdlib>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sound/sound_test_support.h"

namespace tobu {
namespace {

using ::testing::ElementsAre;
using testing::RecordingDevice;
using testing::TempFolder;
using testing::WavBytes;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class SdlSoundDeviceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setenv("SDL_AUDIODRIVER", "dummy", 1); }

    TempFolder dir;
    SdlSoundDevice sdl;
};

TEST_F(SdlSoundDeviceTest, ASequenceDecodesPlaysAndAdvancesToItsEndInRealTime) {
    const std::string a = dir.File("a.wav", WavBytes(200));
    const std::string b = dir.File("b b.wav", WavBytes(200)); // a blank in the name
    const std::string c = dir.File("c.wav", WavBytes(200));
    RecordingDevice recorder(&sdl);
    TBackSound player(recorder);

    const auto start = Clock::now();
    player.Play(a + "*" + dir.Missing("gone.wav") + "*" + b + "*" + c + "*");
    ASSERT_TRUE(player.Playing());
    EXPECT_EQ(sdl.DriverName(), "dummy");
    ASSERT_TRUE(PlayToEnd(player, sdl, milliseconds(5000)));
    const auto elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - start);

    EXPECT_THAT(recorder.Played(), ElementsAre(a, b, c));
    EXPECT_TRUE(player.Idle());
    // Three files of 200 ms each were really played out, not skipped through.
    EXPECT_GE(elapsed.count(), 450);
    EXPECT_TRUE(sdl.TakeNotifications().empty()) << "exactly one notification per file";
}

TEST_F(SdlSoundDeviceTest, AFileThatDoesNotDecodeIsSkippedWithoutWedging) {
    const std::string bad = dir.File("bad.wav", "this is not a sound file");
    const std::string good = dir.File("good.wav", WavBytes(100));
    TBackSound player(sdl);
    player.Play(bad + "*" + good);
    ASSERT_TRUE(player.Playing());
    ASSERT_TRUE(PlayToEnd(player, sdl, milliseconds(5000)));
    EXPECT_TRUE(player.Idle());

    player.Play(bad);
    EXPECT_TRUE(player.Idle()) << "a list whose only file fails leaves nothing pending";
}

TEST_F(SdlSoundDeviceTest, ASoundCutOffByCloseAllNeverReportsItsEnd) {
    const std::string longer = dir.File("long.wav", WavBytes(1500));
    ASSERT_TRUE(sdl.Open(longer));
    ASSERT_TRUE(sdl.PlayNotify(longer));
    EXPECT_FALSE(sdl.WaitForNotification(milliseconds(100)));
    sdl.CloseAll();
    EXPECT_FALSE(sdl.WaitForNotification(milliseconds(300)));
    EXPECT_TRUE(sdl.TakeNotifications().empty());
}

TEST_F(SdlSoundDeviceTest, ANewListCutsTheLastFileOffAndOnlyItsOwnEndsCount) {
    const std::string longer = dir.File("long.wav", WavBytes(1500));
    const std::string x = dir.File("x.wav", WavBytes(100)), y = dir.File("y.wav", WavBytes(100));
    RecordingDevice recorder(&sdl);
    TBackSound player(recorder);
    player.Play(longer);
    player.Play(x + "*" + y); // accepted: nothing pending while the last file sounds
    ASSERT_TRUE(PlayToEnd(player, sdl, milliseconds(5000)));
    EXPECT_THAT(recorder.Played(), ElementsAre(longer, x, y));
}

TEST_F(SdlSoundDeviceTest, TheShippedRecordingsAndTaskSoundsOpen) {
    const std::string root = testing::SourceDir();
    for (const char* name : {"Sound/T1.wav", "Sound/Z1.wav", "Sound/Z2.wav"})
        EXPECT_TRUE(sdl.Open(root + "/data/" + name)) << name;
    int tasks = 0;
    for (const auto& e : std::filesystem::directory_iterator(root + "/data/MySound")) {
        EXPECT_TRUE(sdl.Open(e.path().string())) << e.path();
        ++tasks;
    }
    EXPECT_GE(tasks, 2);
}

} // namespace
} // namespace tobu
