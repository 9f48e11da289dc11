#include "platform/shell.h"

#include <gtest/gtest.h>

namespace tobu {
namespace {

TEST(Shell, UrlsAreToldApartFromPaths) {
    EXPECT_TRUE(LooksLikeUrl("http://www.example.com/a?b=1"));
    EXPECT_TRUE(LooksLikeUrl("https://x"));
    EXPECT_TRUE(LooksLikeUrl("mailto:someone@example.com"));
    EXPECT_TRUE(LooksLikeUrl("file:///tmp/a.txt"));
    EXPECT_FALSE(LooksLikeUrl("/opt/TobuClock/TobuClockHelp.chm"));
    EXPECT_FALSE(LooksLikeUrl("C:\\Help.chm"));
    EXPECT_FALSE(LooksLikeUrl("TobuClockHelp.chm"));
    EXPECT_FALSE(LooksLikeUrl("/tmp/a:b"));
    EXPECT_FALSE(LooksLikeUrl("1http://x"));
    EXPECT_FALSE(LooksLikeUrl(""));
}

TEST(Shell, RecordingDoubleKeepsCallsInOrder) {
    RecordingShellOpen shell;
    EXPECT_TRUE(shell.Open("/a/b.chm"));
    shell.result = false;
    EXPECT_FALSE(shell.Run("/opt/x/PopupMsg", {"12345"}));
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[0],
              (RecordingShellOpen::Call{RecordingShellOpen::Call::Open, "/a/b.chm", {}}));
    EXPECT_EQ(shell.calls[1].kind, RecordingShellOpen::Call::Run);
    EXPECT_EQ(shell.calls[1].args, std::vector<std::string>{"12345"});
}

} // namespace
} // namespace tobu
