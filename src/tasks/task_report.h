// What `tobu tasks` prints: the table as the clock loads it, and the seconds at which the
// clock would carry out a task, as text or as one JSON object per line.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "tasks/task_file.h"

namespace tobu {

// "YYYY-MM-DD HH:MM:SS" or "YYYY-MM-DDTHH:MM:SS", a real calendar date and time; the result
// counts whole seconds since 1899-12-30 00:00 on the plain calendar.
std::optional<int64_t> ParseTaskTime(std::string_view text);
std::string TaskTimeText(int64_t second);

// "播放", "消息", "执行" for kinds 0, 1, 2, else "类型K".
std::string ActLabel(int kind);
std::string JsonString(std::string_view utf8);
std::string ActsJson(const TTaskRec& task);

// One entry per task: "N\t启用|停止\tYYYY-MM-DD HH:MM:SS" and a line per action.
std::string ListText(const TaskTable& table);
std::string ListJson(const TaskTable& table);

// Calls `due(second, index)` for every second of [from, to] at which a task runs, in time
// order, with the 0-based index of the task the scheduler picks.
void ForEachDue(const TaskTable& table, int64_t from, int64_t to,
                const std::function<void(int64_t second, int index)>& due);
std::string DueLine(const TaskTable& table, int64_t second, int index, bool json);

} // namespace tobu
