// `tobu time` and `tobu worldtime` as a user runs them, against a Time server on loopback and
// the recording clock setter.
#include <regex>

#include <gtest/gtest.h>

#include "support/staged_tool.h"
#include "timeservices/time_server.h"

namespace tobu {
namespace {

using testing::BigEndian;
using testing::RunCommand;
using testing::ServerBehaviour;
using testing::StageDir;
using testing::TimeServer;

class TobuTime : public testing::SyncFixture {
protected:
    testing::CommandRun Tobu(const std::string& args) {
        return RunCommand("TZ=UTC '" + StageDir() + "/tobu' " + args + " 2>'" + dir_ + "/err'");
    }
    std::string Err() { return ReadFile("err"); }
};

TEST_F(TobuTime, QueryAsksAndNeverSets) {
    TimeServer server({{{BigEndian(0xE99E0E00), 0}}});
    WriteFile("hosts", "host:0\r\n" + server.entry() + "\r\n");
    auto r = Tobu("time query " + server.entry() + " --hosts '" + dir_ + "/hosts'");
    EXPECT_EQ(r.status, 1); // the bad line
    EXPECT_TRUE(std::regex_search(
        r.out,
        std::regex("^127\\.0\\.0\\.1:[0-9]+\t2024-03-15 00:00:00 UTC\toffset -[0-9]+\\.[0-9]{3} "
                   "s\tround trip [0-9]+ ms\nhost:0\tfailed: bad-host\n127")))
        << r.out;
    r = Tobu("time query --json " + server.entry());
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(std::regex_search(
        r.out,
        std::regex(
            "^\\{\"entry\":\"127.0.0.1:[0-9]+\",\"host\":\"127.0.0.1\",\"port\":[0-9]+,"
            "\"ok\":true,\"seconds\":3919449600,\"utc\":\"2024-03-15 00:00:00\","
            "\"local\":\"2024-03-15 00:00:00\",\"offset\":-[0-9.]+,\"roundTripMs\":[0-9]+\\}\n$")))
        << r.out;
    EXPECT_TRUE(SetterCalls().empty());
    EXPECT_EQ(Tobu("time query").status, 2);
    r = Tobu("time query --hosts '" + dir_ + "/none'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Err(), "tobu time query: cannot read " + dir_ + "/none\n");
    r = Tobu("time query --hosts '" + dir_ + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Err(), "tobu time query: cannot read " + dir_ + "\n");
}

TEST_F(TobuTime, SyncSetsOnceAndWritesTimeCheck) {
    TimeServer server({{{BigEndian(0xE99E0E00), 0}}});
    WriteFile("hosts", server.entry() + "\n");
    const std::string files = " --hosts '" + dir_ + "/hosts' --check '" + dir_ + "/check'";
    auto r = Tobu("time sync" + files);
    EXPECT_EQ(r.status, 0) << Err();
    EXPECT_TRUE(std::regex_match(r.out, std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8}\n")));
    EXPECT_EQ(ReadFile("check"), r.out.substr(0, 19) + "\r\n");
    ASSERT_EQ(SetterCalls().size(), 1u);
    EXPECT_EQ(SetterCalls()[0], "1710460800|2024-03-15 00:00:00");

    WriteFile("setter.status", "3");
    r = Tobu("time sync --json" + files);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("\"ok\":false,\"seconds\":3919449600"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"error\":\"set-failed\""), std::string::npos) << r.out;
    r = Tobu("time sync --json --hosts '" + dir_ + "/none' --check '" + dir_ + "/check'");
    EXPECT_EQ(r.out,
              "{\"entry\":null,\"host\":null,\"port\":null,\"ok\":false,\"error\":\"no-hosts\","
              "\"message\":\"the host list is missing or empty\"}\n");
}

TEST_F(TobuTime, WorldtimeNamesTheLineOfALoadError) {
    WriteFile("tz", "8|a|s|n\n\n1|b|s|n|z|p|2/29 0:00|3/1 0:00\n");
    auto r = Tobu("worldtime --file '" + dir_ +
                  "/tz' --at '2028-01-01 00:00:00' --at '2027-06-01 "
                  "00:00:00'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "2028-01-01 08:00:00\t-\ta - n s\n2028-01-01 01:00:00\t-\tb - n s\n");
    EXPECT_EQ(Err(),
              "tobu worldtime: " + dir_ + "/tz:3: impossible daylight-saving start '2/29 0:00'\n");
    WriteFile("empty", "");
    r = Tobu("worldtime --file '" + dir_ + "/empty'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Tobu("worldtime --at '2026-02-30 00:00:00'").status, 2);
    EXPECT_EQ(Tobu("worldtime --file '" + dir_ + "/none'").status, 1);
    r = Tobu("worldtime --file '" + dir_ + "'"); // a folder
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Err(), "tobu worldtime: cannot read " + dir_ + "\n");
}

} // namespace
} // namespace tobu
