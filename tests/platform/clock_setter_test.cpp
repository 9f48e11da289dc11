// Setting the clock without libsystemd: the library is loaded by name on first use, and a
// missing one fails the setting with a reason that names it. The clock itself is never set: the
// setting runs in a child without the right to change the time, at the current time.
#include "platform/clock_setter.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tobu {
namespace {

constexpr const char* kMissing = "libtobu-no-such-systemd.so.0";

TEST(ClockSetter, LoadsLibsystemdByNameAndFailsClearlyWithoutIt) {
    std::string why;
    EXPECT_TRUE(SdBusLoads(kSystemdLibrary, &why)) << why; // every function it calls resolves
    EXPECT_FALSE(SdBusLoads(kMissing, &why));
    EXPECT_EQ(why.rfind(std::string("cannot load ") + kMissing, 0), 0u) << why;

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Out of root's rights (65534: nobody), so clock_settime is not tried either.
        if (geteuid() == 0 &&
            (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0))
            _exit(10);
        unsetenv("TOBU_CLOCK_SETTER");
        SystemClockSetter setter(kMissing);
        if (setter.SetUtc(static_cast<std::int64_t>(std::time(nullptr)))) _exit(11);
        const std::string reason = setter.WhyNotSet();
        if (reason.find(std::string("cannot load ") + kMissing) == std::string::npos) _exit(12);
        if (reason.find("may not set the time") == std::string::npos) _exit(13);
        _exit(setter.MaySet() ? 14 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10 no drop of rights, 11 set, 12/13 reason, 14 MaySet";
}

} // namespace
} // namespace tobu
