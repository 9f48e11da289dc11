#include "online/server.h"

#include <gtest/gtest.h>

using namespace tobu;

TEST(Server, AddressRules) {
    EXPECT_EQ(ServerBase("http://127.0.0.1:8080/"), "http://127.0.0.1:8080");
    EXPECT_EQ(ServerBase("http://127.0.0.1:8080"), "http://127.0.0.1:8080");
    EXPECT_EQ(ServerBase("https://h.example/pre/fix/"), "https://h.example/pre/fix");
    EXPECT_EQ(ServerBase("http://h//"), "http://h/"); // only one "/" is dropped
    EXPECT_EQ(ServerBase("HTTP://[::1]:99/x"), "http://[::1]:99/x");
    for (const char* bad :
         {"", "127.0.0.1:8080", "ftp://h", "file:///x", "http://", "http:///x",
          "http://h:", "http://h:0", "http://h:70000", "http://h:8a", "http://h x", "http://h/a b",
          "http://h/\t", "http://h\n", "http://user@h", "http://h/?q", " http://h", "javascript:x"})
        EXPECT_FALSE(ServerBase(bad)) << bad;
    EXPECT_EQ(FeedUrl("http://127.0.0.1:8080"), "http://127.0.0.1:8080/AD/AD003.txt");
    EXPECT_EQ(WeatherUrl("http://h/p"), "http://h/p/Weather_TobuClock.htm");
    EXPECT_EQ(HomePageUrl("http://h"), "http://h/");
}

TEST(Server, EnvironmentOverridesTheBuildSetting) {
    setenv("TOBU_SERVER", "http://127.0.0.1:9/", 1);
    EXPECT_EQ(ConfiguredServer(), "http://127.0.0.1:9");
    setenv("TOBU_SERVER", "gopher://x", 1);
    EXPECT_EQ(ConfiguredServer(), std::nullopt);
    unsetenv("TOBU_SERVER");
    EXPECT_EQ(ConfiguredServerText(), TOBU_SERVER_DEFAULT);
}
