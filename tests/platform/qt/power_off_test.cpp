// The stand-in of the power-off: with TOBU_POWEROFF_COMMAND set the system is never asked; a
// command runs detached through /bin/sh, an empty value does nothing at all.
#include "platform/qt/qt_power_off.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "settings/temp_dir.h"

using namespace tobu;

TEST(SystemPowerOff, TheStandInRunsInsteadOfThePowerOff) {
    tobu::testing::TempDir dir;
    const std::string marker = dir.File("off 'quoted'");
    // Set before any call: the test never reaches the real power-off.
    ASSERT_EQ(setenv(kPowerOffCommandVariable, "", 1), 0);
    SystemPowerOff power;
    power.ShutDownComputer();
    ASSERT_TRUE(PowerOffStandIn().has_value());
    EXPECT_TRUE(PowerOffStandIn()->empty());

    std::string command = "echo done >\"$TOBU_TEST_MARKER\"";
    ASSERT_EQ(setenv("TOBU_TEST_MARKER", marker.c_str(), 1), 0);
    ASSERT_EQ(setenv(kPowerOffCommandVariable, command.c_str(), 1), 0);
    power.ShutDownComputer();
    for (int i = 0; i < 100 && !std::filesystem::exists(marker); ++i) QThread::msleep(20);
    EXPECT_EQ(tobu::testing::TempDir::Get(marker), "done\n");
    ASSERT_EQ(setenv(kPowerOffCommandVariable, "", 1), 0);
    unsetenv("TOBU_TEST_MARKER");
}
