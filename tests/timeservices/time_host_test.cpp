#include "timeservices/time_host.h"

#include <set>

#include <gtest/gtest.h>

namespace tobu {
namespace {

TEST(TimeHost, EntriesWithAndWithoutPorts) {
    using E = HostEntry;
    EXPECT_EQ(ParseHostEntry("time.nist.gov"), (E{"time.nist.gov", 37, false}));
    EXPECT_EQ(ParseHostEntry(" \t129.6.15.28 \r"), (E{"129.6.15.28", 37, false}));
    EXPECT_EQ(ParseHostEntry("localhost:3737"), (E{"localhost", 3737, false}));
    EXPECT_EQ(ParseHostEntry("127.0.0.1:65535"), (E{"127.0.0.1", 65535, false}));
    EXPECT_EQ(ParseHostEntry("h:00001"), (E{"h", 1, false}));
    EXPECT_EQ(ParseHostEntry("[::1]:8037"), (E{"::1", 8037, true}));
    EXPECT_EQ(ParseHostEntry("[2001:db8::5]"), (E{"2001:db8::5", 37, true}));
    EXPECT_EQ(ParseHostEntry("2001:db8::5"), (E{"2001:db8::5", 37, true}));
    for (const char* bad : {"", "   ", "host:", "host:0", "host:65536", "host:+80", "host: 80",
                            ":80", "host:123456", "a b", "[::1]x", "[::1]:", "[host]:80", "[::1",
                            "2001:db8::zz", "host:80:81x", "ho\xE6st", "h/x"})
        EXPECT_FALSE(ParseHostEntry(bad)) << "'" << bad << "'";
    // A NUL byte does not end the text early ("::" would be an address).
    EXPECT_FALSE(ParseHostEntry(std::string("::\0x]:80", 8)));
    EXPECT_FALSE(ParseHostEntry(std::string("[::\0x]:80", 9)));
}

TEST(TimeHost, LinesEndWithAnyBreakAndTheLastBreakStartsNoLine) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), (V{"a"}));
    EXPECT_EQ(SplitLines("a\n\n"), (V{"a", ""}));
    EXPECT_EQ(SplitLines("\r\n"), (V{""}));
    EXPECT_EQ(SplitLines(""), V{});
    EXPECT_EQ(ReadHostList("/nonexistent/TimeHost.lst"), V{});
    EXPECT_EQ(ReadHostList("/tmp"), V{}); // a folder is no list (and throws nothing)
}

TEST(TimeHost, TheLastOfTwoOrMoreLinesIsNeverChosen) {
    std::set<std::size_t> seen1, seen2, seen5;
    for (unsigned seed = 0; seed < 500; ++seed) {
        std::mt19937 rng(seed);
        seen1.insert(ChooseHostIndex(1, rng));
        seen2.insert(ChooseHostIndex(2, rng));
        seen5.insert(ChooseHostIndex(5, rng));
    }
    EXPECT_EQ(seen1, (std::set<std::size_t>{0}));
    EXPECT_EQ(seen2, (std::set<std::size_t>{0}));
    EXPECT_EQ(seen5, (std::set<std::size_t>{0, 1, 2, 3}));
}

} // namespace
} // namespace tobu
