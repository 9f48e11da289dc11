#include "online/start_page.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "settings/temp_dir.h"

using namespace tobu;
using tobu::testing::TempDir;

TEST(StartPage, ProfileChoice) {
    const std::string install =
        "[Install4F96D1932A9F858E]\nDefault=Profiles/b.default-release\nLocked=1\n\n"
        "[Profile1]\nName=default\nIsRelative=1\nPath=Profiles/a.default\nDefault=1\n\n"
        "[Profile0]\nName=default-release\nIsRelative=1\nPath=Profiles/b.default-release\n";
    EXPECT_EQ(ChooseProfile(install, "/h/ff/"), "/h/ff/Profiles/b.default-release");
    const std::string flagged =
        "[General]\nStartWithLastProfile=1\n[Profile0]\nPath=/abs/p0\nIsRelative=0\n"
        "[Profile1]\r\nPath=p1\r\nIsRelative=1\r\nDefault=1\r\n";
    EXPECT_EQ(ChooseProfile(flagged, "/h/"), "/h/p1");
    EXPECT_EQ(ChooseProfile("[Profile0]\nPath=/abs/only\n", "/h/"), "/abs/only");
    EXPECT_EQ(ChooseProfile("[Profile0]\nPath=a\n[Profile1]\nPath=b\n", "/h/"), std::nullopt);
    EXPECT_EQ(ChooseProfile("", "/h/"), std::nullopt);
}

TEST(StartPage, UserJsReadingAndWriting) {
    EXPECT_EQ(ReadHomePagePref(""), "");
    const std::string js = "// mine\r\nuser_pref(\"browser.startup.homepage\", \"http://a/\");\n"
                           "user_pref(\"other\", 1);\n"
                           "  user_pref( 'browser.startup.homepage' , \"http://b/\\\"q\\\\\" ) ;\n";
    EXPECT_EQ(ReadHomePagePref(js), "http://b/\"q\\");
    const std::string written = WithHomePagePref(js, "http://c/\"x\\y");
    EXPECT_EQ(written, "// mine\r\nuser_pref(\"other\", 1);\n"
                       "user_pref(\"browser.startup.homepage\", \"http://c/\\\"x\\\\y\");\n");
    EXPECT_EQ(ReadHomePagePref(written), "http://c/\"x\\y");
    EXPECT_EQ(WithHomePagePref("no newline", "http://d/"),
              "no newline\nuser_pref(\"browser.startup.homepage\", \"http://d/\");\n");
}

TEST(StartPage, FilesOfTheDefaultProfile) {
    TempDir home;
    const std::string ini = home.Dir() + "profiles.ini";
    EXPECT_EQ(ReadStartPage(ini), "");
    EXPECT_FALSE(WriteStartPage("http://x/", ini)); // no profile: nothing happens
    TempDir::Put(ini, "[Profile0]\nName=p\nIsRelative=1\nPath=p.default\n");
    std::filesystem::create_directory(home.Dir() + "p.default");
    EXPECT_EQ(ReadStartPage(ini), "");
    EXPECT_FALSE(WriteStartPage("file:///etc/passwd", ini));
    EXPECT_FALSE(WriteStartPage("javascript:alert(1)", ini));
    EXPECT_FALSE(std::filesystem::exists(home.Dir() + "p.default/user.js"));
    ASSERT_TRUE(WriteStartPage("https://start.example/?a=\"b\"", ini));
    EXPECT_EQ(ReadStartPage(ini), "https://start.example/?a=\"b\"");
}
