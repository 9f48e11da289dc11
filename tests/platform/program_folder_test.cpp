// The installed package's shared program folder and the user's own folder seeded from it.
#include "platform/program_folder.h"

#include <gtest/gtest.h>
#include <optional>
#include <stdlib.h>

#include "settings/temp_dir.h"

namespace fs = std::filesystem;
using tobu::testing::TempDir;

namespace {

void Executable(const std::string& path) {
    TempDir::Put(path, "#!/bin/sh\n");
    fs::permissions(path, fs::perms::owner_all);
}

class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = getenv("XDG_DATA_HOME");
        saved_ = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("XDG_DATA_HOME", home.Dir().c_str(), 1);
        fs::create_directories(shipped.File("Skin"));
        fs::create_directories(shipped.File("MySound"));
        TempDir::Put(shipped.File("skin.ini"), "[SKIN]\nSkinFile=BlueGlass.sk\n");
        TempDir::Put(shipped.File("Skin/BlueGlass.sk"), "skin");
        TempDir::Put(shipped.File("MySound/ding.wav"), "RIFF");
        Executable(shipped.File("PopupMsg"));
        fs::permissions(shipped.File("skin.ini"), fs::perms::owner_read);
    }
    void TearDown() override {
        if (saved_)
            setenv("XDG_DATA_HOME", saved_->c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }
    TempDir shipped, home;
    std::optional<std::string> saved_;
};

// A folder of its own is used as it is; the shared one sends the program to the user's folder,
// where the settings are the user's copy and the content links to the shipped files.
TEST_F(ProgramFolderTest, SharedFolderSeedsTheUsersOwn) {
    EXPECT_EQ(tobu::ProgramFolderFor(shipped.Dir()), shipped.Dir());
    EXPECT_FALSE(fs::exists(home.File("TobuClock")));

    TempDir::Put(shipped.File(tobu::kSharedFolderMarker), "");
    const std::string user = tobu::ProgramFolderFor(shipped.Dir());
    EXPECT_EQ(user, home.Dir() + "TobuClock/");
    EXPECT_FALSE(fs::is_symlink(user + "skin.ini"));
    EXPECT_EQ(TempDir::Get(user + "skin.ini"), "[SKIN]\nSkinFile=BlueGlass.sk\n");
    TempDir::Put(user + "skin.ini", "[BAR]\nLeft=5\n"); // the copy is writable
    EXPECT_EQ(fs::read_symlink(user + "Skin/BlueGlass.sk"), shipped.File("Skin/BlueGlass.sk"));
    EXPECT_EQ(fs::read_symlink(user + "MySound/ding.wav"), shipped.File("MySound/ding.wav"));
    EXPECT_EQ(fs::read_symlink(user + "PopupMsg"), shipped.File("PopupMsg"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(user + tobu::kSharedFolderMarker)));

    // A newer package: a new skin appears, a dropped one goes, the user's files stay.
    TempDir::Put(shipped.File("Skin/Dark.sk"), "dark");
    fs::remove(shipped.File("Skin/BlueGlass.sk"));
    TempDir::Put(user + "Skin/Mine.sk", "mine");
    TempDir::Put(shipped.File("War.lst"), "");
    EXPECT_EQ(tobu::ProgramFolderFor(shipped.Dir()), user);
    EXPECT_TRUE(fs::is_symlink(user + "Skin/Dark.sk"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(user + "Skin/BlueGlass.sk")));
    EXPECT_EQ(TempDir::Get(user + "Skin/Mine.sk"), "mine");
    EXPECT_EQ(TempDir::Get(user + "skin.ini"), "[BAR]\nLeft=5\n");
    EXPECT_TRUE(fs::is_regular_file(user + "War.lst"));

    // No user folder to be had: the shared folder, so the clock still runs.
    TempDir::Put(home.File("blocked"), "");
    setenv("XDG_DATA_HOME", home.File("blocked").c_str(), 1);
    EXPECT_EQ(tobu::ProgramFolderFor(shipped.Dir()), shipped.Dir());
}

} // namespace
