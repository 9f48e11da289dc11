// The scheduled tasks and their file War.lst.
//
// War.lst is GBK text, one line per task or action, CR LF after every line:
//
//     *008时30分00秒            a task: "*", state digit (0 enabled, 1 stopped), the pattern
//     2播放 (D:\Sounds\bell.wav)  an action: kind digit (image index) and the node text
//     3消息 (开会)
//     *12026年12月31日23时59分00秒
//     4执行 (关机)
//
// The pattern holds each set field followed by its unit (年 月 日 时 分 秒); a field that is
// "any" is left out. Two views are read from the same file: the bar's table of TTaskRec that
// the scheduler works from (LoadTaskList), and the tree of texts and image indexes that the
// task dialogs edit and write back (LoadTree, SaveTree).
//
// Every position counts decoded characters, never bytes. The file is decoded whole before it is
// split into lines: a byte 0xFF, or a lead byte 0x81-0xFE not followed by a trail byte, is one
// U+FFFD and decoding goes on with the next byte, so a damaged character never swallows a line
// end, a digit or "(".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tobu {

struct TActRec {
    int Kind = 0; // 0 play sound, 1 show message, 2 run/open file or "关机"; others do nothing
    std::string Text;
    bool operator==(const TActRec&) const = default;
};

struct TTaskRec {
    bool Enabled = false;
    int Year = -1, Month = -1, Day = -1, Hour = -1, Minute = -1, Second = -1; // -1: any
    std::vector<TActRec> Acts;
    bool operator==(const TTaskRec&) const = default;
};

using TaskTable = std::vector<TTaskRec>;

// Tree form: image 0 enabled task, 1 stopped task, 2 sound, 3 message, 4 command.
enum TaskImage { kImgEnabled = 0, kImgStopped = 1, kImgSound = 2, kImgMsg = 3, kImgAct = 4 };

struct TaskActNode {
    std::string text; // "播放 (path)", "消息 (text)", "执行 (path)"
    int image = kImgSound;
    bool operator==(const TaskActNode&) const = default;
};

struct TaskNode {
    std::string text; // the pattern
    int image = kImgEnabled;
    bool expanded = false;
    std::vector<TaskActNode> acts;
    bool operator==(const TaskNode&) const = default;
};

using TaskTree = std::vector<TaskNode>;

// The file name in the program folder.
constexpr const char* kTaskFileName = "War.lst";
// The limit of a message typed in the message entry, in GBK bytes.
constexpr int kMaxMessageBytes = 200;

// Decodes GBK bytes into characters by the rule above.
std::u32string DecodeTaskText(std::string_view gbk);
std::string ToUtf8(std::u32string_view chars);
std::u32string FromUtf8(std::string_view utf8);
// The decoded lines: split at CR, LF or CR LF, empty lines dropped.
std::vector<std::u32string> TaskFileLines(std::string_view gbk);

// Cuts the next field from a pattern: the text before the first `unit`, the pattern keeping
// what follows; no unit gives "" and leaves the pattern alone.
std::u32string CutField(std::u32string& pattern, char32_t unit);
std::string CutField(std::string& pattern, std::string_view unit); // the same on UTF-8 text
// A field's value: an optional sign and ASCII digits within 32 bits, else -1.
int TaskFieldValue(std::u32string_view text);

// The text of an action line or node: after the first "(" up to, not including, the last
// character; empty without "(".
std::u32string ActionText(std::u32string_view line);
std::string ActionText(std::string_view utf8);

// The bar's table from the file's bytes (ClearTaskList first: the result is the whole table).
TaskTable LoadTaskList(std::string_view gbk);
// Reads the file; a missing or unreadable file gives an empty table. False when the file
// could not be read (it may still have been missing).
bool LoadTaskListFile(const std::string& path, TaskTable& table);
void ClearTaskList(TaskTable& table);

TaskTree LoadTree(std::string_view gbk);
TaskTree LoadTreeFile(const std::string& path);
// The file's bytes for a tree: GBK (a character GBK cannot hold becomes "?"), CR LF after
// every line.
std::string SaveTree(const TaskTree& tree);
// Replaces the file atomically; false when it could not be written (the old file stays).
bool SaveTreeFile(const std::string& path, const TaskTree& tree);

// Reads a whole file; false when it is missing or cannot be read.
bool ReadTaskFileBytes(const std::string& path, std::string& out);

// The pattern text of field values (-1 left out): "2026年05月01日12时00分00秒".
std::string PatternText(int year, int month, int day, int hour, int minute, int second);

} // namespace tobu
