// The login-start entry: where it lives, how the program path is quoted and read back, when it
// counts as on, and what writing and deleting touch.
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "settings/autostart_entry.h"
#include "settings/temp_dir.h"
#include "support/home_guard.h"

namespace {

using namespace tobu;
using tobu::testing::TempDir;

static const bool kHomeGuard = tobu::testing::InstallHomeGuard();

TEST(AutostartEntry, PathFollowsTheXdgRules) {
    EXPECT_EQ(AutostartEntryPath("/home/u", nullptr),
              "/home/u/.config/autostart/TobuClock.desktop");
    EXPECT_EQ(AutostartEntryPath("/home/u", ""), "/home/u/.config/autostart/TobuClock.desktop");
    EXPECT_EQ(AutostartEntryPath("/home/u", "rel/cfg"),
              "/home/u/.config/autostart/TobuClock.desktop");
    EXPECT_EQ(AutostartEntryPath("/home/u", "/x/cfg/"), "/x/cfg/autostart/TobuClock.desktop");
    // The suite runs with a private HOME.
    EXPECT_EQ(AutostartEntryPath(),
              tobu::testing::ActiveHomeGuard->FakeHome() + "/.config/autostart/TobuClock.desktop");
}

TEST(AutostartEntry, QuotingRoundTripsEveryAwkwardPath) {
    EXPECT_EQ(DesktopExecValue("/opt/Tobu 时钟/TobuClock"), "\"/opt/Tobu 时钟/TobuClock\" /hide");
    EXPECT_EQ(DesktopExecValue(R"(/a"b`c$d\e%f/TobuClock)"),
              R"("/a\\"b\\`c\\$d\\\\e%%f/TobuClock" /hide)");
    for (std::string path : {"/opt/Tobu 时钟/TobuClock", R"(/a"b`c$d\e%f/TobuClock)",
                             "/x/%%u %U/$HOME/`id`/\\n/TobuClock", "/'single'/ two  blanks/T"}) {
        auto exec = DesktopExecValue(path);
        ASSERT_TRUE(exec) << path;
        auto args = SplitDesktopExec(*exec);
        ASSERT_TRUE(args) << *exec;
        EXPECT_EQ(*args, (std::vector<std::string>{path, "/hide"})) << *exec;
        DesktopEntryInfo info = ParseDesktopEntry(*DesktopEntryText(path));
        EXPECT_TRUE(EntryStartsProgram(info, path)) << path;
    }
    EXPECT_FALSE(DesktopExecValue("/opt/new\nline/TobuClock"));
    EXPECT_FALSE(DesktopExecValue("/opt/tab\tbed/TobuClock"));
    EXPECT_FALSE(DesktopExecValue(""));
    EXPECT_FALSE(SplitDesktopExec("\"/unterminated /hide"));
}

TEST(AutostartEntry, WhatCountsAsOn) {
    const std::string prog = "/opt/Tobu/TobuClock";
    auto on = [&](const std::string& text) {
        return EntryStartsProgram(ParseDesktopEntry(text), prog);
    };
    EXPECT_TRUE(on("[Desktop Entry]\nExec=\"/opt/Tobu/TobuClock\" /hide\n"));
    EXPECT_TRUE(on("[Desktop Entry]\nExec=\"/opt/Tobu/TobuClock\"\n"));
    EXPECT_TRUE(on("[Desktop Entry]\r\nExec = /opt/Tobu/TobuClock /HIDE\r\n"));
    EXPECT_TRUE(on("# mine\n[Desktop Entry]\nHidden=false\nExec=/opt/Tobu/TobuClock\n[Other]\n"
                   "Hidden=true\n"));
    // Switched off, another program, other arguments, another group, garbage.
    EXPECT_FALSE(on("[Desktop Entry]\nExec=/opt/Tobu/TobuClock\nHidden=true\n"));
    EXPECT_FALSE(
        on("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\nExec=/opt/Tobu/TobuClock\n"));
    EXPECT_FALSE(on("[Desktop Entry]\nExec=/opt/other/TobuClock /hide\n"));
    EXPECT_FALSE(on("[Desktop Entry]\nExec=/opt/tobu/tobuclock /hide\n"));
    EXPECT_FALSE(on("[Desktop Entry]\nExec=/opt/Tobu/TobuClock /hide --more\n"));
    EXPECT_FALSE(on("[Desktop Entry]\nExec=/opt/Tobu/TobuClock --minimized\n"));
    EXPECT_FALSE(on("[Other]\nExec=/opt/Tobu/TobuClock\n"));
    EXPECT_FALSE(on("[Other]\nExec=x\n[Desktop Entry]\nName=x\n[Desktop Entry]\n"
                    "Exec=/opt/Tobu/TobuClock\n"));
    const char garbage[] = "\0\xff[Desktop Entry\nExec=\"";
    EXPECT_FALSE(on(std::string(garbage, sizeof garbage - 1)));
    EXPECT_FALSE(on(""));
}

TEST(AutostartEntry, StoreWritesDeletesAndLeavesOthersAlone) {
    TempDir home;
    const std::string entry = AutostartEntryPath(home.Dir().c_str(), nullptr);
    const std::string folder = std::filesystem::path(entry).parent_path();
    FileAutostartStore store(entry, "/opt/Tobu 时钟/TobuClock");
    EXPECT_FALSE(store.IsOn());
    ASSERT_TRUE(store.Enable());
    EXPECT_TRUE(store.IsOn());
    EXPECT_EQ(TempDir::Get(entry), "[Desktop Entry]\nType=Application\nVersion=1.0\n"
                                   "Name=Tobu桌面时钟\nExec=\"/opt/Tobu 时钟/TobuClock\" /hide\n"
                                   "Terminal=false\n");
    struct stat st {};
    ASSERT_EQ(::stat(entry.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_FALSE(FileAutostartStore(entry, "/opt/other/TobuClock").IsOn());

    // A foreign file beside it and a link's target survive; deleting twice is fine.
    TempDir::Put(folder + "/other.desktop", "[Desktop Entry]\nExec=other\n");
    ASSERT_TRUE(store.Disable());
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_TRUE(store.Disable());
    EXPECT_TRUE(std::filesystem::exists(folder + "/other.desktop"));
    const std::string target = home.File("target.desktop");
    TempDir::Put(target, *DesktopEntryText("/opt/Tobu 时钟/TobuClock"));
    std::filesystem::create_symlink(target, entry);
    EXPECT_TRUE(store.IsOn());
    ASSERT_TRUE(store.Disable());
    EXPECT_FALSE(std::filesystem::is_symlink(entry));
    EXPECT_TRUE(std::filesystem::exists(target));

    // A path that cannot be written is refused with a reason and writes nothing.
    FileAutostartStore bad(entry, "/opt/line\nbreak/TobuClock");
    std::string why;
    EXPECT_FALSE(bad.Enable(&why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(std::filesystem::exists(entry));
}

} // namespace
