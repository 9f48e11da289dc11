#include "timeservices/time_sync.h"

#include <chrono>
#include <sys/stat.h>
#include <thread>

#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/clock_setter.h"
#include "timeservices/time_server.h"

namespace tobu {
namespace {

using testing::BigEndian;
using testing::ServerBehaviour;
using testing::TimeServer;
using Ms = std::chrono::milliseconds;

constexpr std::uint32_t k20240315 = 0xE99E0E00;

class TimeSync : public testing::SyncFixture {};

TEST_F(TimeSync, ASuccessSetsTheClockAndWritesTimeCheck) {
    TimeServer server({{{BigEndian(k20240315), 0}}});
    WriteFile("TimeHost.lst", server.entry() + "\r\n");
    FakeClock clock(EncodeDateTime(2026, 12, 9, 21, 33, 45));
    TSyncTimeDir dir(dir_ + "/TimeHost.lst", dir_ + "/TimeCheck.lst", SystemClockSetter::Instance(),
                     clock);
    EXPECT_EQ(dir.Run(), "2026-12-09 21:33:45");
    EXPECT_EQ(ReadFile("TimeCheck.lst"), "2026-12-09 21:33:45\r\n");
    ASSERT_EQ(SetterCalls().size(), 1u);
    EXPECT_EQ(SetterCalls()[0].substr(0, 11), "1710460800|");
    EXPECT_EQ(ReadTimeCheck(dir_ + "/TimeCheck.lst"), "2026-12-09 21:33:45");
}

TEST_F(TimeSync, FailuresWriteNothing) {
    TimeServer server({{{BigEndian(k20240315), 0}}});
    FakeClock clock(EncodeDateTime(2026, 12, 9, 21, 33, 45));
    auto attempt = [&](const std::vector<std::string>& hosts, const std::string& check) {
        return SyncAttempt(hosts, check, {SystemClockSetter::Instance(), clock, {500, 400}});
    };
    // No hosts, not a host (without traffic), and a dead server: nothing set, nothing written.
    EXPECT_EQ(attempt({}, dir_ + "/TimeCheck.lst").error, TimeError::NoHosts);
    EXPECT_EQ(attempt({"host:0"}, dir_ + "/TimeCheck.lst").error, TimeError::BadHost);
    EXPECT_EQ(server.connections(), 0);
    {
        TimeServer closes(ServerBehaviour{});
        EXPECT_EQ(attempt({closes.entry()}, dir_ + "/TimeCheck.lst").error, TimeError::Short);
    }
    EXPECT_TRUE(SetterCalls().empty());

    // A clock that cannot be set is a failure, not a correction.
    WriteFile("setter.status", "1");
    WriteFile("TimeCheck.lst", "2025-01-01 00:00:00\r\n");
    const auto failed = attempt({server.entry()}, dir_ + "/TimeCheck.lst");
    EXPECT_EQ(failed.error, TimeError::SetFailed);
    EXPECT_EQ(failed.message,
              "the system clock could not be set: the program $TOBU_CLOCK_SETTER failed");
    EXPECT_EQ(ReadFile("TimeCheck.lst"), "2025-01-01 00:00:00\r\n");
    EXPECT_EQ(SetterCalls().size(), 1u);

    // A TimeCheck.lst that cannot be written fails the attempt.
    WriteFile("setter.status", "0");
    EXPECT_EQ(attempt({server.entry()}, dir_ + "/no/such/folder/TimeCheck.lst").error,
              TimeError::WriteFailed);
    // With two lines the first is always used (the second is a dead entry).
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(attempt({server.entry(), "host:0"}, dir_ + "/TimeCheck.lst").ok());
}

TEST(SyncSchedule, SixtyAttemptsThenThePauseAndASuccessEndsTheSeries) {
    FakeClock clock(EncodeDateTime(2026, 1, 1, 0, 0, 0));
    const auto start = ToMSecs(clock.Now());
    std::atomic<std::uint32_t> pause{PauseMsFromHours(3)};
    std::vector<long long> attempts; // seconds since start
    int successes_left = 0;
    RunSyncLoop(
        [&] {
            attempts.push_back((ToMSecs(clock.Now()) - start) / 1000);
            if (successes_left > 0) return --successes_left, true;
            return false;
        },
        [&](std::uint32_t ms) {
            clock.AdvanceMSecs(ms);
            return ToMSecs(clock.Now()) - start < (3 * 3600 + 615) * 1000LL;
        },
        pause);
    ASSERT_EQ(attempts.size(), 62u);
    EXPECT_EQ(attempts[59], 590);            // 60 attempts over about 10 minutes
    EXPECT_EQ(attempts[60], 600 + 3 * 3600); // 10 s after the 60th, then 3 hours
    EXPECT_EQ(attempts[61], attempts[60] + 10);

    // A success pauses at once, with the length held when the pause begins.
    attempts.clear();
    clock.Set(EncodeDateTime(2026, 1, 1, 0, 0, 0));
    successes_left = 1;
    int waits = 0;
    RunSyncLoop(
        [&] {
            attempts.push_back((ToMSecs(clock.Now()) - start) / 1000);
            if (successes_left > 0) return --successes_left, true;
            return false;
        },
        [&](std::uint32_t ms) {
            if (waits++ == 0) pause = PauseMsFromHours(0); // clamped to 1 hour
            clock.AdvanceMSecs(ms);
            return waits < 3;
        },
        pause);
    EXPECT_EQ(attempts, (std::vector<long long>{0, 3 * 3600, 3 * 3600 + 10}));
    EXPECT_EQ(PauseMsFromHours(5000), 3600000000u);
    EXPECT_EQ(PauseMsFromHours(-3), 3600000u);
}

TEST_F(TimeSync, TheWorkerAttemptsAtOnceAndStopsAtOnceInItsSleeps) {
    TimeServer server({{{BigEndian(k20240315), 0}}});
    WriteFile("TimeHost.lst", server.entry());
    {
        TSyncTime worker(dir_ + "/TimeCheck.lst", dir_ + "/TimeHost.lst", 1000,
                         SystemClockSetter::Instance(), SystemClock::Instance());
        for (int i = 0; i < 200 && ReadFile("TimeCheck.lst").empty(); ++i)
            std::this_thread::sleep_for(Ms(10));
        EXPECT_EQ(ReadFile("TimeCheck.lst").size(), 21u);
        worker.SetHours(2);
        EXPECT_EQ(worker.PauseMs(), 7200000u);
        auto start = std::chrono::steady_clock::now();
        worker.Stop(); // in its pause
        EXPECT_LT(std::chrono::steady_clock::now() - start, Ms(500));
        EXPECT_EQ(worker.Attempts(), 1);
    }
    // A silent server: stopping during the exchange does not wait for its 2.5 s.
    server.set({{}, ServerBehaviour::End::Silent});
    TSyncTime worker(dir_ + "/TimeCheck.lst", dir_ + "/TimeHost.lst", 1,
                     SystemClockSetter::Instance(), SystemClock::Instance());
    for (int i = 0; i < 200 && server.connections() < 2; ++i) std::this_thread::sleep_for(Ms(10));
    auto start = std::chrono::steady_clock::now();
    worker.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, Ms(500));
    EXPECT_EQ(SetterCalls().size(), 1u);
}

} // namespace
} // namespace tobu
