// The chime on the bar's tick: each second is looked at once, so a tick that lands twice in
// the chime's second chimes once and a late tick that skipped it still chimes, with the time
// of the chime's own second.
#include "app/qt/sound_binding.h"

#include <gmock/gmock.h>

#include "app/qt/bar_test_access.h"
#include "app/qt/frm_led.h"

using namespace tobu;

namespace {

class SoundBindingTest : public BarFolderTest {};

TEST_F(SoundBindingTest, EachChimeSecondChimesOnceWhateverTheTicksDo) {
    TFrmLED::Services s;
    s.hasTray = [] { return true; };
    auto bar =
        NewBar("[BAR]\r\nDefWin=0\r\n[CLOCK]\r\nAlarm=1\r\nHalfAlarm=1\r\nAlarmType=3\r\n", s);
    SoundBinding* sound = BindSound(*bar);
    std::vector<std::string> messages;
    QObject::connect(sound, &SoundBinding::chimeMessage,
                     [&](const std::string& text) { messages.push_back(text); });
    bar->FormCreate();
    auto tickAt = [&](int h, int m, int sec, int ms) {
        clock.Set(EncodeDateTime(2024, 2, 10, h, m, sec, ms));
        BarTestAccess{*bar}.TimerClockTimer();
    };
    // Two ticks in 09:00:00 (the timer's phase sits on the second's edge).
    tickAt(8, 59, 59, 999);
    tickAt(9, 0, 0, 1);
    tickAt(9, 0, 0, 998);
    tickAt(9, 0, 1, 999);
    EXPECT_THAT(messages, ::testing::ElementsAre("时钟报时：9:00:00"));
    // A late tick jumps from 09:29:59 to 09:30:01.
    messages.clear();
    tickAt(9, 29, 59, 500);
    tickAt(9, 30, 1, 20);
    tickAt(9, 30, 2, 20);
    EXPECT_THAT(messages, ::testing::ElementsAre("时钟报时：9:30:00"));
    // A day later (the program slept): only the current second counts, nothing is made up.
    messages.clear();
    clock.Set(EncodeDateTime(2024, 2, 11, 10, 0, 0));
    BarTestAccess{*bar}.TimerClockTimer();
    EXPECT_THAT(messages, ::testing::ElementsAre("时钟报时：10:00:00"));
}

} // namespace
