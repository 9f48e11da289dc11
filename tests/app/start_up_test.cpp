#include "app/hot_key.h"
#include "app/start_up.h"
#include "base/datetime.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <stdexcept>

using namespace tobu;

TEST(StartUp, AppDirHasExactlyOneTrailingSeparator) {
    EXPECT_EQ(AppDirFromExecutable("/opt/TobuClock/TobuClock"), "/opt/TobuClock/");
    EXPECT_EQ(AppDirFromExecutable("/TobuClock"), "/");
    EXPECT_EQ(AppDirFromExecutable("/opt//TobuClock"), "/opt/");
    EXPECT_EQ(AppDirFromExecutable("TobuClock"), "./");
    std::string dir = CurrentAppDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_NE(dir.substr(dir.size() - 2), "//");
}

TEST(StartUp, HideAtStartNeedsSettingAndSwitch) {
    EXPECT_TRUE(DecideHideAtStart(true, "/hide"));
    EXPECT_TRUE(DecideHideAtStart(true, "  /HIDE "));
    EXPECT_TRUE(DecideHideAtStart(true, "/Hide"));
    EXPECT_FALSE(DecideHideAtStart(true, ""));
    EXPECT_FALSE(DecideHideAtStart(true, "/hidden"));
    EXPECT_FALSE(DecideHideAtStart(false, "/hide"));
}

TEST(StartUp, HeadingFontFallsBackToSong) {
    EXPECT_EQ(ChooseHeadingFont([](const std::string&) { return false; }, ""), "宋体");
    EXPECT_EQ(ChooseHeadingFont([](const std::string& n) { return n == "楷体"; }, ""), "楷体");
    EXPECT_EQ(ChooseHeadingFont([](const std::string&) { return true; }, ""), "楷体_GB2312");
    EXPECT_EQ(
        ChooseHeadingFont([](const std::string&) -> bool { throw std::runtime_error("x"); }, "old"),
        "old");
}

TEST(StartUp, ClockTextAndHelpMessage) {
    EXPECT_EQ(ClockText(EncodeDateTime(2024, 2, 10, 9, 5, 7)), "09:05:07");
    EXPECT_EQ(ClockText(EncodeDateTime(2024, 2, 10, 23, 59, 59, 999)), "23:59:59");
    EXPECT_EQ(MissingHelpFileMessage("TobuClockHelp.chm"), "\"TobuClockHelp.chm\" 文件不存在。");
}

namespace {
class FakeHotKeySystem : public HotKeySystem {
public:
    int AddAtom(const std::string& name) override {
        names.push_back(name);
        return atomResult;
    }
    void DeleteAtom(int atom) override { deleted.push_back(atom); }
    bool RegisterHotKey(int id, int mods, int vk) override {
        registered[id] = {mods, vk};
        return registerResult;
    }
    void UnregisterHotKey(int id) override { registered.erase(id); }

    int atomResult = 0xC001;
    bool registerResult = true;
    std::vector<std::string> names;
    std::vector<int> deleted;
    std::map<int, std::pair<int, int>> registered;
};
} // namespace

TEST(HotKey, ModifierTextTable) {
    EXPECT_EQ(HotKeyModsFromText("Alt"), 1);
    EXPECT_EQ(HotKeyModsFromText("ctrl"), 2);
    EXPECT_EQ(HotKeyModsFromText("SHIFT"), 4);
    EXPECT_EQ(HotKeyModsFromText("alt + ctrl"), 3);
    EXPECT_EQ(HotKeyModsFromText("Alt + Shift"), 5);
    EXPECT_EQ(HotKeyModsFromText("Ctrl + Shift"), 6);
    EXPECT_EQ(HotKeyModsFromText("Alt + Ctrl + Shift"), 7);
    EXPECT_FALSE(HotKeyModsFromText("Alt+Ctrl"));
    EXPECT_FALSE(HotKeyModsFromText("Ctrl + Alt"));
    EXPECT_FALSE(HotKeyModsFromText(""));
}

TEST(HotKey, RegistersLowerCaseTextWithFlagsAndKeyCode) {
    FakeHotKeySystem sys;
    ClockHotKey key(sys);
    key.Register("alt + ctrl", "T");
    EXPECT_EQ(key.Id(), 1);
    EXPECT_EQ(key.Mods(), 3);
    EXPECT_EQ(key.Vk(), 84);
    ASSERT_EQ(sys.names.size(), 1u);
    EXPECT_EQ(sys.names[0], "TobuClockDefineHotKey");
    EXPECT_EQ(sys.registered[1], std::make_pair(3, 84));
    EXPECT_TRUE(key.Matches((84 << 16) | 3));
    EXPECT_FALSE(key.Matches((84 << 16) | 1)); // right key, other modifiers
    EXPECT_FALSE(key.Matches((85 << 16) | 3));
    key.Unregister();
    EXPECT_EQ(key.Id(), 0);
    EXPECT_TRUE(sys.registered.empty());
    EXPECT_EQ(sys.deleted, std::vector<int>{0xC001});
    EXPECT_FALSE(key.Matches((84 << 16) | 3));
}

TEST(HotKey, NothingRegisteredForBadTextOrFailure) {
    FakeHotKeySystem sys;
    ClockHotKey key(sys);
    key.Register("Win", "T");
    EXPECT_EQ(key.Id(), 0);
    key.Register("Alt", "");
    EXPECT_EQ(key.Id(), 0);
    EXPECT_TRUE(sys.names.empty());
    sys.atomResult = 0xC000; // an atom that gives id 0
    key.Register("Alt", "T");
    EXPECT_EQ(key.Id(), 0);
    sys.atomResult = 0xC002;
    sys.registerResult = false; // another program holds the key
    key.Register("Alt", "T");
    EXPECT_EQ(key.Id(), 0);
    EXPECT_EQ(sys.deleted, std::vector<int>{0xC002});
    EXPECT_FALSE(key.Matches((84 << 16) | 1));
}

TEST(StartUp, HelpOpensTheHelpFileElseTheGuideElseNothing) {
    std::set<std::string> files;
    auto isFile = [&](const std::string& p) { return files.count(p) > 0; };
    // Neither: the caller warns.
    HelpChoice none = ChooseHelp("/opt/tobu/", isFile);
    EXPECT_EQ(none.kind, HelpChoice::Missing);
    EXPECT_EQ(none.path, "");
    // Only the guide: it opens from the program folder's Help/.
    files = {"/opt/tobu/Help/index.html", "/elsewhere/TobuClockHelp.chm"};
    HelpChoice guide = ChooseHelp("/opt/tobu/", isFile);
    EXPECT_EQ(guide.kind, HelpChoice::Guide);
    EXPECT_EQ(guide.path, "/opt/tobu/Help/index.html");
    // The help file wins over the guide.
    files.insert("/opt/tobu/TobuClockHelp.chm");
    HelpChoice chm = ChooseHelp("/opt/tobu/", isFile);
    EXPECT_EQ(chm.kind, HelpChoice::HelpFile);
    EXPECT_EQ(chm.path, "/opt/tobu/TobuClockHelp.chm");
    // No answer to the question counts as no file.
    EXPECT_EQ(ChooseHelp("/opt/tobu/", nullptr).kind, HelpChoice::Missing);
}
