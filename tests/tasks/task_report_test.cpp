#include "tasks/task_report.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "settings/temp_dir.h"
#include "support/staged_tool.h"
#include "tasks/task_scheduler.h"

using namespace tobu;
using tobu::testing::RunCommand;
using tobu::testing::StageDir;
using tobu::testing::TempDir;

TEST(TaskReport, DueAgreesWithTheSchedulerSecondBySecond) {
    TaskTable t = LoadTaskList(Utf8ToGbk("*1 08时\r\n3stopped\r\n"
                                         "*015秒\r\n3every minute\r\n"
                                         "*012时\r\n3noon, after the 15 s task\r\n"
                                         "*0月03日\r\n3date only\r\n"
                                         "*002日00时00分\r\n3midnight of the 2nd\r\n"
                                         "*015秒\r\n3shadowed\r\n"
                                         "*099时\r\n*0-5分\r\n"
                                         "*0\r\n*030分59秒\r\n"));
    int64_t from = *ParseTaskTime("2024-02-01 23:00:00");
    int64_t to = *ParseTaskTime("2024-02-02T12:59:59");
    std::vector<std::pair<int64_t, int>> fast, slow;
    ForEachDue(t, from, to, [&](int64_t s, int i) { fast.emplace_back(s, i); });
    for (int64_t s = from; s <= to; ++s) {
        int i = MatchTask(t, FromSecond(s));
        if (i >= 0) slow.emplace_back(s, i);
    }
    EXPECT_EQ(fast, slow);
    EXPECT_GT(fast.size(), 800u);
}

TEST(TaskReport, TimesAreStrictCalendarValues) {
    EXPECT_EQ(TaskTimeText(*ParseTaskTime("2024-02-29 23:59:59")), "2024-02-29 23:59:59");
    EXPECT_EQ(TaskTimeText(*ParseTaskTime("2024-02-29T00:00:00")), "2024-02-29 00:00:00");
    for (const char* bad : {"2023-02-29 00:00:00", "2024-02-01 24:00:00", "2024-2-01 00:00:00",
                            "2024-02-01  00:00:0", "2024-02-01 00:00:00 ", "+024-02-01 00:00:00"})
        EXPECT_FALSE(ParseTaskTime(bad)) << bad;
}

TEST(TobuTasks, ListsDueAndTidiesWithTheClocksReaderAndFailsWithoutOutput) {
    TempDir dir;
    const std::string tool = StageDir() + "/tobu tasks ";
    std::string file = dir.File("War.lst");
    TempDir::Put(file, "3orphan\r\n*0\x81"
                       "08" +
                           Utf8ToGbk("时") + "\n" + Utf8ToGbk("3消息 (a \"q\"\\)") +
                           "\r\n9\xFF\r\n\r\n" + Utf8ToGbk("*008时00分\n2播放 (x.wav)\n"));
    auto run = [&](const std::string& args) { return RunCommand(tool + args + " 2>/dev/null"); };

    auto list = run("list '" + file + "'");
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "1\t启用\t****-**-** **:**:**\n\t消息\ta \"q\"\\\n\t类型7\t\n"
                        "2\t启用\t****-**-** 08:00:00\n\t播放\tx.wav\n");
    auto json = run("list --json '" + file + "'");
    EXPECT_EQ(json.out.substr(0, json.out.find('\n')),
              "{\"index\":1,\"enabled\":true,\"year\":-1,\"month\":-1,\"day\":-1,\"hour\":-1,"
              "\"minute\":-1,\"second\":-1,\"acts\":[{\"kind\":1,\"text\":\"a \\\"q\\\"\\\\\"},"
              "{\"kind\":7,\"text\":\"\"}]}");
    auto due = run("due '" + file + "' --from '2026-03-01 07:00:00' --to 2026-03-02T08:00:00");
    EXPECT_EQ(due.out, "2026-03-01 08:00:00\t2\t播放 (x.wav)\n"
                       "2026-03-02 08:00:00\t2\t播放 (x.wav)\n");

    for (const char* bad : {"due --from 2023-02-29T00:00:00", "list --bogus",
                            "due --from '2026-01-02 00:00:00' --to '2026-01-01 00:00:00'",
                            "due --from '2026-01-01 00:00:00' --to 2027-01-02T00:00:00"}) {
        auto r = run(std::string(bad) + " '" + file + "'");
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(r.out, "") << bad;
    }
    auto missing = run("list '" + dir.File("none") + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");

    auto toOut = run("tidy '" + file + "' -o -");
    EXPECT_EQ(toOut.out,
              "*0?08" +
                  Utf8ToGbk("时\r\n3消息 (a \"q\"\\)\r\n9?\r\n*008时00分\r\n2播放 (x.wav)\r\n"));
    std::string before = TempDir::Get(file);
    EXPECT_EQ(run("tidy '" + file + "' -o '" + dir.File("out.lst") + "'").status, 0);
    EXPECT_EQ(TempDir::Get(file), before);
    EXPECT_EQ(run("tidy '" + file + "'").status, 0);
    EXPECT_EQ(TempDir::Get(file), toOut.out);
    EXPECT_EQ(run("tidy '" + file + "' -o '" + dir.File("no/such/dir") + "'").status, 1);
}
