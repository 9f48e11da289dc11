// End notifications raised on SDL's audio thread reach the player on the Qt thread.
#include "sound/qt/sound_notifier.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>
#include <memory>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sound/qt/sound_system.h"
#include "sound/sound_test_support.h"

namespace tobu {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using testing::RecordingDevice;
using testing::TempFolder;
using testing::WavBytes;

// Runs the event loop until done() or the time limit passes; returns done().
template <typename Done> bool SpinUntil(Done done, int limitMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

class SoundNotifierTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setenv("SDL_AUDIODRIVER", "dummy", 1); }
    TempFolder dir;
};

TEST_F(SoundNotifierTest, NotificationsAdvanceTheSequenceOnTheUserInterfaceThread) {
    SdlSoundDevice sdl;
    RecordingDevice recorder(&sdl);
    TBackSound player(recorder);
    TSoundNotifier notifier(sdl, player);
    const std::string a = dir.File("a.wav", WavBytes(120)), b = dir.File("b.wav", WavBytes(120)),
                      c = dir.File("c.wav", WavBytes(120));

    player.Play(a + "*" + b + "*" + c);
    // Nothing advances without the event loop: the audio thread only queues the report.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_THAT(recorder.Played(), ElementsAre(a));

    ASSERT_TRUE(SpinUntil([&] { return player.Idle(); }));
    EXPECT_THAT(recorder.Played(), ElementsAre(a, b, c));
    EXPECT_THAT(recorder.playThreads, Each(std::this_thread::get_id()));
}

TEST_F(SoundNotifierTest, AReportQueuedForADestroyedNotifierIsDropped) {
    SdlSoundDevice sdl;
    RecordingDevice recorder(&sdl);
    TBackSound player(recorder);
    const std::string a = dir.File("a.wav", WavBytes(60)), b = dir.File("b.wav", WavBytes(60));
    {
        TSoundNotifier notifier(sdl, player);
        player.Play(a + "*" + b);
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // a ends, a call is queued
    }
    QCoreApplication::processEvents();
    EXPECT_THAT(recorder.Played(), ElementsAre(a)) << "no call reached the freed notifier";
    // The report is still waiting in the device for whoever delivers next.
    TSoundNotifier again(sdl, player);
    again.Deliver();
    EXPECT_THAT(recorder.Played(), ElementsAre(a, b));
}

TEST_F(SoundNotifierTest, TheSoundSystemSpeaksAnAnnouncementToItsEnd) {
    for (const char* n : {"T1", "To3", "12", "H", "2A", "10", "M"})
        dir.File(std::string(n) + ".wav", WavBytes(50));
    auto sound = std::make_unique<TSoundSystem>(dir.Path());
    sound->Alarm().Announce(EncodeDateTime(2024, 1, 1, 12, 20, 0));
    EXPECT_TRUE(sound->Alarm().Player().Playing());
    ASSERT_TRUE(SpinUntil([&] { return sound->Alarm().Player().Idle(); }));
    sound.reset(); // closes the device without waiting for anything
}

} // namespace
} // namespace tobu
