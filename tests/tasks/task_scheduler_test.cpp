#include "tasks/task_scheduler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/text.h"
#include "settings/temp_dir.h"

using namespace tobu;
using tobu::testing::TempDir;

namespace {

// Records every effect in order; the countdown's answers are given by the test.
class FakeEffects : public TaskEffects {
public:
    void PlayFile(const std::string& list) override { log.push_back("play " + list); }
    bool PopupMsgReady() override { return popupReady; }
    void SendPopupText(const std::string& text) override { log.push_back("popup " + text); }
    void ConfirmShutdown(std::function<void(bool)> answer) override {
        log.push_back("countdown");
        countdowns.push_back(std::move(answer));
    }
    void ShutDownComputer() override { log.push_back("power off"); }
    void RunProgram(const std::string& path) override { log.push_back("run " + path); }
    void OpenDocument(const std::string& path) override { log.push_back("open " + path); }

    bool popupReady = true;
    std::vector<std::string> log;
    std::vector<std::function<void(bool)>> countdowns;
};

TTaskRec At(int h, int m, int s, std::vector<TActRec> acts, bool on = true) {
    return TTaskRec{on, -1, -1, -1, h, m, s, std::move(acts)};
}

TDateTime T(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    return EncodeDateTime(y, mo, d, h, mi, s, ms);
}

} // namespace

TEST(TaskScheduler, FirstEnabledMatchWithATimeFieldWins) {
    TaskTable t = {
        At(8, 0, 0, {{1, "stopped"}}, false),
        TTaskRec{true, 2026, 5, 1, -1, -1, -1, {{1, "date only"}}},
        TTaskRec{true, -1, -1, -1, -1, -1, -1, {{1, "no field"}}},
        At(8, 0, 0, {}), // no actions, still ends the scan
        At(8, 0, 0, {{1, "second"}}),
        At(-1, -1, 15, {{1, "every minute"}}),
        TTaskRec{true, 2026, 5, 1, 12, 0, 0, {{1, "once"}}},
    };
    EXPECT_EQ(MatchTask(t, T(2026, 5, 1, 8, 0, 0)), 3);
    EXPECT_EQ(MatchTask(t, T(2026, 5, 1, 8, 0, 1)), -1);
    EXPECT_EQ(MatchTask(t, T(2030, 1, 1, 23, 59, 15, 999)), 5);
    EXPECT_EQ(MatchTask(t, T(2026, 5, 1, 12, 0, 0)), 6);
    EXPECT_EQ(MatchTask(t, T(2026, 5, 2, 12, 0, 0)), -1);
    EXPECT_EQ(MatchTask(t, T(2026, 5, 1, 0, 0, 0)), -1); // the date-only task never fires
}

TEST(TaskScheduler, OncePerSecondWithCatchUpOfShortGapsOnly) {
    TaskTickClock c;
    auto count = [&](TDateTime now) { return c.SecondsToCheck(now).size(); };
    EXPECT_EQ(count(T(2026, 1, 1, 8, 0, 0, 100)), 1u);
    EXPECT_EQ(count(T(2026, 1, 1, 8, 0, 0, 900)), 0u); // same second twice
    std::vector<int64_t> gap = c.SecondsToCheck(T(2026, 1, 1, 8, 0, 3, 10));
    EXPECT_EQ(gap, (std::vector<int64_t>{SecondOf(T(2026, 1, 1, 8, 0, 1)),
                                         SecondOf(T(2026, 1, 1, 8, 0, 2)),
                                         SecondOf(T(2026, 1, 1, 8, 0, 3))}));
    EXPECT_EQ(count(T(2026, 1, 1, 8, 1, 3)), 60u); // a gap of exactly 60 s
    EXPECT_EQ(count(T(2026, 1, 1, 8, 3, 3)), 1u);  // two minutes: only now
    EXPECT_EQ(count(T(2026, 1, 1, 8, 2, 0)), 1u);  // set back: only now
    EXPECT_EQ(count(T(2026, 1, 1, 8, 2, 1)), 1u);
}

TEST(TaskScheduler, TickRunsATaskOnceAndCatchesUpAMissedSecond) {
    FakeEffects fx;
    TaskScheduler s(fx);
    s.SetTable({At(8, 0, 2, {{1, "hello"}})});
    s.CheckTasks(T(2026, 1, 1, 8, 0, 1));
    s.CheckTasks(T(2026, 1, 1, 8, 0, 3)); // 8:00:02 had no tick
    s.CheckTasks(T(2026, 1, 1, 8, 0, 3, 500));
    EXPECT_THAT(fx.log, ::testing::ElementsAre("popup hello"));
    // After sleep the missed second is gone.
    s.CheckTasks(T(2026, 1, 2, 8, 0, 1));
    s.CheckTasks(T(2026, 1, 2, 8, 5, 3));
    EXPECT_EQ(fx.log.size(), 1u);
    // The clock set back to before the task: it runs again.
    s.CheckTasks(T(2026, 1, 2, 8, 0, 2));
    EXPECT_EQ(fx.log.size(), 2u);
}

TEST(TaskScheduler, ActionsRunInOrderWithSoundsHandedOverLast) {
    FakeEffects fx;
    TaskScheduler s(fx);
    s.RunTask(At(8, 0, 0, {{0, "A"}, {1, "msg"}, {0, "B"}, {7, "ignored"}}));
    EXPECT_THAT(fx.log, ::testing::ElementsAre("popup msg", "play A*B*"));

    // Without the popup program the message is dropped.
    fx.log.clear();
    fx.popupReady = false;
    s.RunTask(At(8, 0, 0, {{1, "lost"}, {0, "C"}}));
    EXPECT_THAT(fx.log, ::testing::ElementsAre("play C*"));
}

TEST(TaskScheduler, ShutdownWaitsForTheCountdownWithoutHoldingTheTick) {
    FakeEffects fx;
    TaskScheduler s(fx);
    s.SetTable({At(-1, -1, -1, {}), At(-1, -1, 0, {{0, "S"}, {2, "关机"}, {1, "after"}}),
                At(-1, -1, 1, {{2, "关机"}})});
    s.CheckTasks(T(2026, 1, 1, 8, 0, 0));
    EXPECT_THAT(fx.log, ::testing::ElementsAre("countdown"));
    // The clock ticks on; another shutdown task opens a second countdown.
    s.CheckTasks(T(2026, 1, 1, 8, 0, 1));
    EXPECT_EQ(fx.countdowns.size(), 2u);
    EXPECT_EQ(s.Pending(), 2u);
    fx.countdowns[1](false); // cancelled: nothing else happens
    fx.countdowns[0](true);  // ran out: power off, then the rest, then the sounds
    EXPECT_THAT(fx.log, ::testing::ElementsAre("countdown", "countdown", "power off", "popup after",
                                               "play S*"));
    EXPECT_EQ(s.Pending(), 0u);

    // An answer after the scheduler is gone changes nothing.
    std::function<void(bool)> late;
    {
        TaskScheduler gone(fx);
        gone.RunTask(At(8, 0, 0, {{2, "关机"}}));
        late = fx.countdowns.back();
    }
    fx.log.clear();
    late(true);
    EXPECT_TRUE(fx.log.empty());
}

TEST(TaskScheduler, CommandsStartProgramsOpenDocumentsAndIgnoreMissingFiles) {
    TempDir dir;
    std::string program = dir.File("run me; rm -rf x");
    std::string document = dir.File("note $(reboot).txt");
    TempDir::Put(program, "#!/bin/sh\n");
    ::chmod(program.c_str(), 0755);
    TempDir::Put(document, "text");
    FakeEffects fx;
    TaskScheduler s(fx);
    s.RunTask(
        At(8, 0, 0, {{2, dir.File("gone")}, {2, program}, {2, document}, {2, dir.Dir()}, {2, ""}}));
    EXPECT_THAT(fx.log, ::testing::ElementsAre("run " + program, "open " + document));
}
