#include "timeservices/time_protocol.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>

#include <gtest/gtest.h>

#include "platform/clock_setter.h"
#include "timeservices/stop_signal.h"
#include "timeservices/time_server.h"

namespace tobu {
namespace {

using testing::BigEndian;
using testing::Piece;
using testing::ServerBehaviour;
using testing::TimeServer;
using End = ServerBehaviour::End;
using Ms = std::chrono::milliseconds;

constexpr std::uint32_t k20240315 = 0xE99E0E00; // 2024-03-15 00:00:00 UTC

TEST(TimeProtocol, AnswerArithmetic) {
    EXPECT_EQ(UnixTimeFromAnswer(k20240315, 0), 1710460800);
    EXPECT_EQ(UnixTimeFromAnswer(k20240315, 1998), 1710460800); // D = 999
    EXPECT_EQ(UnixTimeFromAnswer(k20240315, 2000), 1710460801); // D = 1000
    EXPECT_EQ(UnixTimeFromAnswer(0xFFFFFFFF, 0), 4294967295LL - kSecondsFrom1900To1970);
    const char* old = std::getenv("TZ");
    std::string saved = old ? old : "";
    setenv("TZ", "<+08>-8", 1);
    tzset();
    EXPECT_EQ(LocalTimeText(1710460800), "2024-03-15 08:00:00");
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

HostEntry Local(const TimeServer& s) {
    return {"127.0.0.1", s.port(), false};
}

TEST(TimeProtocol, AnswersInPiecesOrWithExtraBytesAreRead) {
    const std::string answer = BigEndian(k20240315);
    TimeServer pieces(
        {{{answer.substr(0, 1), 0}, {answer.substr(1, 2), 100}, {answer.substr(3), 100}}});
    TimeReply r = AskTime(Local(pieces));
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.seconds, k20240315);
    EXPECT_GE(r.round_trip_ms, 150u);
    EXPECT_EQ(r.unix_time, 1710460800);

    TimeServer extra({{{answer + "junk", 0}}, End::Silent});
    r = AskTime(Local(extra));
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.seconds, k20240315);

    // Named hosts resolve; [::1] answers where the machine has IPv6 loopback.
    r = AskTime({"localhost", pieces.port(), false});
    EXPECT_TRUE(r.ok() || r.error == TimeError::Refused) << r.message;
}

TEST(TimeProtocol, MisbehavingServersFailWithinTheLimits) {
    const std::string answer = BigEndian(k20240315);
    struct Case {
        ServerBehaviour behaviour;
        TimeError error;
    } cases[] = {
        {{{}, End::Close}, TimeError::Short},
        {{{}, End::Reset}, TimeError::Short},
        {{{{answer.substr(0, 3), 0}}, End::Close}, TimeError::Short},
        {{{{answer.substr(0, 3), 0}}, End::Silent}, TimeError::Timeout},
        {{{}, End::Silent}, TimeError::Timeout},
        {{{{"Sun Mar 15 00:00:00 2024\r\n", 0}}, End::Close}, TimeError::Implausible},
        {{{{BigEndian(0x00000010), 0}}, End::Close}, TimeError::Implausible}, // past the 2036 wrap
        {{{}, End::Close, false}, TimeError::ConnectTimeout},
    };
    TimeLimits limits{600, 400};
    for (auto& c : cases) {
        TimeServer server(c.behaviour);
        auto start = std::chrono::steady_clock::now();
        TimeReply r = AskTime(Local(server), limits);
        auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(r.error, c.error)
            << TimeErrorCode(c.error) << " got " << TimeErrorCode(r.error) << ": " << r.message;
        EXPECT_LT(took, Ms(1500));
        EXPECT_FALSE(r.message.empty());
        EXPECT_EQ(r.message.find('\n'), std::string::npos);
    }
    // Nobody listening.
    std::uint16_t closed_port;
    {
        TimeServer gone(ServerBehaviour{});
        closed_port = gone.port();
    }
    EXPECT_EQ(AskTime({"127.0.0.1", closed_port, false}, limits).error, TimeError::Refused);
}

TEST(TimeProtocol, AStopEndsTheWaitAtOnce) {
    TimeServer silent({{}, End::Silent});
    StopSignal stop;
    std::thread stopper([&] {
        std::this_thread::sleep_for(Ms(200));
        stop.Request();
    });
    auto start = std::chrono::steady_clock::now();
    TimeReply r = AskTime(Local(silent), {}, &stop);
    auto took = std::chrono::steady_clock::now() - start;
    stopper.join();
    EXPECT_EQ(r.error, TimeError::Stopped);
    EXPECT_LT(took, Ms(1000));
}

} // namespace
} // namespace tobu
