#include "tasks/task_file.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "settings/temp_dir.h"

using namespace tobu;
using tobu::testing::TempDir;

namespace {

std::string G(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

TTaskRec Task(bool on, int y, int mo, int d, int h, int mi, int s, std::vector<TActRec> acts = {}) {
    return TTaskRec{on, y, mo, d, h, mi, s, std::move(acts)};
}

const char* kExample = "*008时30分00秒\r\n"
                       "2播放 (D:\\Sounds\\bell.wav)\r\n"
                       "3消息 (开会)\r\n"
                       "*12026年12月31日23时59分00秒\r\n"
                       "4执行 (关机)\r\n";

} // namespace

TEST(TaskFile, ExampleFileLoadsIntoTableAndTree) {
    TaskTable t = LoadTaskList(G(kExample));
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0], Task(true, -1, -1, -1, 8, 30, 0, {{0, "D:\\Sounds\\bell.wav"}, {1, "开会"}}));
    EXPECT_EQ(t[1], Task(false, 2026, 12, 31, 23, 59, 0, {{2, "关机"}}));

    TaskTree tree = LoadTree(G(kExample));
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0].text, "08时30分00秒");
    EXPECT_EQ(tree[0].image, 0);
    EXPECT_TRUE(tree[0].expanded);
    EXPECT_FALSE(tree[1].expanded); // stopped tasks open collapsed
    EXPECT_EQ(tree[0].acts[1], (TaskActNode{"消息 (开会)", 3}));
    // Unchanged, the tree writes the same bytes.
    EXPECT_EQ(SaveTree(tree), G(kExample));
}

TEST(TaskFile, NormalisationFillsMinuteAndSecondAfterAllFieldsAreCut) {
    auto one = [](std::string_view pattern) {
        TaskTable t = LoadTaskList(G(std::string("*0") + std::string(pattern)));
        return t.at(0);
    };
    EXPECT_EQ(one("12时"), Task(true, -1, -1, -1, 12, 0, 0));
    EXPECT_EQ(one("30分"), Task(true, -1, -1, -1, -1, 30, 0));
    EXPECT_EQ(one("15秒"), Task(true, -1, -1, -1, -1, -1, 15));
    EXPECT_EQ(one("12时15秒"), Task(true, -1, -1, -1, 12, -1, 15));
    EXPECT_EQ(one("2026年05月01日"), Task(true, 2026, 5, 1, -1, -1, -1));
    EXPECT_EQ(one(""), Task(true, -1, -1, -1, -1, -1, -1));
    // Units out of order: the cut goes through the pattern once, in the fixed order.
    TTaskRec swapped = one("30分08时");
    EXPECT_EQ(swapped.Hour, -1); // "30分08" is not a number
    EXPECT_EQ(swapped.Minute, -1);
    // Repeated units: the first one counts, the rest of the pattern is left.
    TTaskRec repeated = one("08时09时");
    EXPECT_EQ(repeated.Hour, 8);
    EXPECT_EQ(repeated.Minute, 0);
    EXPECT_EQ(repeated.Second, 0);
    // The bare "*" is a stopped task with every field any.
    EXPECT_EQ(LoadTaskList("*").at(0), Task(false, -1, -1, -1, -1, -1, -1));
}

TEST(TaskFile, FieldIntegersAreSignedAsciiDecimalWithin32Bits) {
    auto v = [](std::string_view s) { return TaskFieldValue(FromUtf8(s)); };
    EXPECT_EQ(v("+5"), 5);
    EXPECT_EQ(v("-7"), -7);
    EXPECT_EQ(v("-1"), -1);
    EXPECT_EQ(v("0000000000012"), 12);
    EXPECT_EQ(v("2147483647"), 2147483647);
    EXPECT_EQ(v("-2147483648"), -2147483647 - 1);
    for (const char* bad : {" 9", "9 ", "0x1F", "１２", "2147483648", "", "+", "-", "1e3", "$1F"})
        EXPECT_EQ(v(bad), -1) << bad;
}

TEST(TaskFile, ActionLinesFollowTheirTaskAndKeepTheirTextBetweenFirstParenAndLastChar) {
    std::string file = G("2播放 (before any task)\n"
                         "*015秒\r"
                         "3消息 (a (b) c)\r\n"
                         "5未知 (x)\n"
                         "x消息 (no digit)\n"
                         "3no paren\n"
                         "3(\n"
                         "2播放 (path]\n"
                         "\n\r\n\r\r"
                         "0");
    TaskTable t = LoadTaskList(file);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].Acts, (std::vector<TActRec>{
                             {1, "a (b) c"}, {3, "x"}, {1, ""}, {1, ""}, {0, "path"}, {-2, ""}}));
    // The tree keeps what it can write back; ignored lines drop and line ends become CR LF.
    EXPECT_EQ(SaveTree(LoadTree(file)), G("*015秒\r\n"
                                          "3消息 (a (b) c)\r\n"
                                          "5未知 (x)\r\n"
                                          "3no paren\r\n"
                                          "3(\r\n"
                                          "2播放 (path]\r\n"
                                          "0\r\n"));
}

TEST(TaskFile, DamagedBytesDecodeAsOneCharacterAndNeverEatTheNextByte) {
    // A lead byte before "(", before a digit and before a line end, and a lone 0xFF.
    std::string file = "*0\x81"
                       "12\xFF" +
                       G("时") + "\r\n3\xFE(msg\x81)\n";
    TaskTable t = LoadTaskList(file);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].Hour, -1); // "\uFFFD12\uFFFD" is no number
    ASSERT_EQ(t[0].Acts.size(), 1u);
    EXPECT_EQ(t[0].Acts[0], (TActRec{1, "msg\xEF\xBF\xBD"}));
    // A lead byte whose trail is the first byte of the next character: the pair is decoded,
    // what follows is whole.
    std::u32string chars = DecodeTaskText(std::string("\x81") + G("时"));
    EXPECT_EQ(chars.size(), 2u);
    // An unassigned but well-formed pair is one character.
    EXPECT_EQ(DecodeTaskText("\xA2\xA0x"), U"\uFFFDx");
    // Positions count characters: the state is the second character even when the first is
    // Chinese, and a damaged byte as state means "stopped" in the tree as in the table.
    TaskTree tree = LoadTree("*\xFF" + G("12时") + "\r\n*");
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0].image, kImgStopped);
    EXPECT_EQ(tree[1].image, kImgStopped);
    EXPECT_EQ(tree[0].text, "12时");
    // Saved, the damaged character becomes "?" and the stopped state stays stopped.
    EXPECT_EQ(SaveTree(tree), G("*112时\r\n*1\r\n"));
    EXPECT_EQ(LoadTree("*5abc").at(0).image, 5); // digits keep their value
}

TEST(TaskFile, FilesOnDiskLoadMissingAsEmptyAndSaveAtomically) {
    TempDir dir;
    std::string path = dir.File("War.lst");
    TaskTable table = {Task(true, 1, 1, 1, 1, 1, 1)};
    EXPECT_FALSE(LoadTaskListFile(path, table));
    EXPECT_TRUE(table.empty());
    EXPECT_TRUE(LoadTreeFile(path).empty());

    TaskTree tree = LoadTree(G(kExample));
    tree[0].acts.push_back({"消息 (坏\xEF\xBF\xBD字)", 3});
    ASSERT_TRUE(SaveTreeFile(path, tree));
    std::string bytes = TempDir::Get(path);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_NE(bytes.find(G("坏?字")), std::string::npos);
    ASSERT_TRUE(LoadTaskListFile(path, table));
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(dir.EntryCount(), 1u); // no temporary file left behind

    // A folder that takes no file: the old file stays as it was.
    std::string before = TempDir::Get(path);
    EXPECT_FALSE(SaveTreeFile(dir.File("missing/War.lst"), tree));
    EXPECT_EQ(TempDir::Get(path), before);
}

TEST(TaskFile, PatternTextAndCutFieldWorkOnCharacters) {
    EXPECT_EQ(PatternText(2026, 5, 1, 12, 0, 0), "2026年05月01日12时00分00秒");
    EXPECT_EQ(PatternText(-1, -1, -1, 8, -1, 5), "08时05秒");
    std::string p = "2026年05月";
    EXPECT_EQ(CutField(p, "日"), "");
    EXPECT_EQ(p, "2026年05月");
    EXPECT_EQ(CutField(p, "年"), "2026");
    EXPECT_EQ(CutField(p, "月"), "05");
    EXPECT_EQ(p, "");
    EXPECT_EQ(ActionText(std::string_view("执行 (关机)")), "关机");
}
