// `tobu config` and `tobu autostart` run as installed, on a private program folder and a
// private HOME.
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "settings/autostart_entry.h"
#include "settings/temp_dir.h"
#include "support/home_guard.h"
#include "support/staged_tool.h"

namespace {

using tobu::testing::StageDir;
using tobu::testing::TempDir;

static const bool kHomeGuard = tobu::testing::InstallHomeGuard();

// Runs `tobu ARGS` with --no-apply-free arguments quoted by the caller; stderr is kept apart.
tobu::testing::CommandRun Tobu(const std::string& args, std::string* err = nullptr,
                               const std::string& errFile = "/dev/null") {
    // No clock of this user is reached, on any desktop: no slot has this name.
    auto r = tobu::testing::RunCommand("DISPLAY= TOBU_INSTANCE_NAME=tobu-config-test-none '" +
                                       StageDir() + "/tobu' " + args + " 2>" + errFile);
    if (err) *err = TempDir::Get(errFile);
    return r;
}

TEST(TobuConfig, SetChecksEveryPairThenWritesOneBatchKeepingOtherLines) {
    if (!std::filesystem::exists(StageDir() + "/tobu")) GTEST_SKIP() << "tobu is not built";
    TempDir dir;
    const std::string d = "--dir '" + dir.Dir() + "'";
    const std::string user = "; mine\r\n[BAR]\r\nLeft=7\r\nTr=0x1F\r\n[Odd]\r\nk=\xC4\xE3\r\n";
    TempDir::Put(dir.File("skin.ini"), user);

    // A bad value, an unknown key, a key without value: nothing written.
    EXPECT_EQ(Tobu("config set " + d + " BAR.Tr 100 MSG.AutoSec abc").status, 1);
    EXPECT_EQ(Tobu("config set " + d + " BAR.Tr 100 NO.Such 1").status, 2);
    EXPECT_EQ(Tobu("config set " + d + " BAR.Tr").status, 2);
    EXPECT_EQ(Tobu("config set " + d).status, 2);
    EXPECT_EQ(TempDir::Get(dir.File("skin.ini")), user);

    auto set = Tobu("config set " + d +
                    " --json bar.tr -7 CLOCK.HotKey1 'ctrl+SHIFT' "
                    "LED.FontColor '#FF8000' BAR.DefWin 日历");
    ASSERT_EQ(set.status, 0);
    EXPECT_EQ(set.out,
              "{\"key\": \"BAR.Tr\", \"value\": \"55\", \"clamped\": true, \"applied\": false}\n"
              "{\"key\": \"CLOCK.HotKey1\", \"value\": \"Ctrl + Shift\", \"clamped\": false, "
              "\"applied\": false}\n"
              "{\"key\": \"LED.FontColor\", \"value\": \"33023\", \"clamped\": false, "
              "\"applied\": false}\n"
              "{\"key\": \"BAR.DefWin\", \"value\": \"2\", \"clamped\": false, \"applied\": "
              "false}\n");
    EXPECT_EQ(TempDir::Get(dir.File("skin.ini")),
              "; mine\r\n[BAR]\r\nLeft=7\r\nTr=55\r\nDefWin=2\r\n[Odd]\r\nk=\xC4\xE3\r\n"
              "[CLOCK]\r\nHotKey1=Ctrl + Shift\r\n[LED]\r\nFontColor=33023\r\n");
    EXPECT_EQ(dir.EntryCount(), 1u); // no temporary file left behind

    // get and list show what the dialog would show.
    TempDir::Put(dir.File("skin.ini"), "[MSG]\r\nAutoSec=0x1F\r\nCalendarLX=5\r\n");
    EXPECT_EQ(Tobu("config get " + d + " MSG.AutoSec msg.calendarlx CLOCK.HotKey2").out,
              "31\n1\n\n");
    EXPECT_EQ(Tobu("config get " + d + " --json MSG.AutoSec MSG.CalendarLX").out,
              "{\"key\": \"MSG.AutoSec\", \"value\": \"31\", \"stored\": \"0x1F\"}\n"
              "{\"key\": \"MSG.CalendarLX\", \"value\": \"1\", \"stored\": \"5\", \"text\": "
              "\"启动时显示\"}\n");
    auto unknown = Tobu("config get " + d + " MSG.AutoSec BAR.Left");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.out, "");
    auto list = Tobu("config list " + d);
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 28);
    EXPECT_EQ(list.out.rfind("LED.LEDFont=1\n", 0), 0u);

    // A missing skin.ini reads as empty and the first set creates it.
    TempDir fresh;
    EXPECT_EQ(Tobu("config set --no-apply --dir '" + fresh.Dir() + "' TIME.StepHour 0x10").out,
              "TIME.StepHour=16\n");
    EXPECT_EQ(TempDir::Get(fresh.File("skin.ini")), "[TIME]\r\nStepHour=16\r\n");
}

TEST(TobuAutostart, OnShowOffForAProgramFolderWithAwkwardCharacters) {
    if (!std::filesystem::exists(StageDir() + "/tobu")) GTEST_SKIP() << "tobu is not built";
    TempDir root;
    const std::string folder = root.File("Tobu \"时钟\" $x `y` 100%");
    std::filesystem::create_directories(folder);
    const std::string program = folder + "/TobuClock";
    TempDir::Put(program, "#!/bin/sh\n");
    ::chmod(program.c_str(), 0755);
    const std::string d = "--dir \"$TOBU_TEST_DIR\"";
    ::setenv("TOBU_TEST_DIR", folder.c_str(), 1);

    EXPECT_EQ(Tobu("autostart show " + d).out, "off\n");
    ASSERT_EQ(Tobu("autostart on " + d).status, 0);
    EXPECT_EQ(Tobu("autostart show " + d).out, "on\n");
    const std::string entry = tobu::AutostartEntryPath();
    tobu::FileAutostartStore store(entry, program);
    EXPECT_TRUE(store.IsOn());
    auto json = Tobu("autostart show --json " + d);
    EXPECT_EQ(json.out.rfind("{\"on\": true, \"entry\": \"" + entry +
                                 "\", \"exists\": true, \"exec\": \"\\\"",
                             0),
              0u)
        << json.out;
    EXPECT_NE(json.out.find("100%%/TobuClock\\\" /hide\"}\n"), std::string::npos) << json.out;
    // Another folder's clock does not count; off deletes; off again is fine.
    EXPECT_EQ(Tobu("autostart show --dir '" + root.Dir() + "'").out, "off\n");
    EXPECT_EQ(Tobu("autostart on --dir '" + root.Dir() + "'").status, 1); // no TobuClock there
    EXPECT_EQ(Tobu("autostart off").status, 0);
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_EQ(Tobu("autostart off").status, 0);
    EXPECT_EQ(Tobu("autostart sideways").status, 2);
    ::unsetenv("TOBU_TEST_DIR");
}

} // namespace
