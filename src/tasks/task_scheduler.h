// The task scheduler: once per second the bar's tick asks which task is due and carries out
// its actions.
//
// Matching: the first enabled task in table order whose set fields all equal the second's
// fields and that has at least one of hour, minute and second set; that first match ends the
// scan, with or without actions.
//
// Once per second: the scheduler keeps the last second it checked. A tick in that same second
// checks nothing; a tick after a gap of up to kMaxCatchUpSeconds checks each missed second in
// order, so a late tick never loses a task; after a longer gap (sleep, the clock set forward)
// or when the clock went back only the current second is checked.
//
// Carrying out: sounds are collected into one "*"-joined file list handed to PlayFile after the
// last action; a message goes to the popup program when it is ready, else it is dropped;
// "关机" opens the shutdown countdown and, when it answers true, powers off; any other command
// text that names an existing file starts it (executable bit) or opens it with the desktop's
// handler. A command text never reaches a shell. The countdown answers later, through a
// callback, so the tick never waits: the actions after "关机" run when the answer comes, and
// meanwhile the clock ticks on and another task may fire (a second "关机" opens a second
// countdown).
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "tasks/task_file.h"

namespace tobu {

constexpr const char* kShutdownCommand = "关机";
constexpr int64_t kMaxCatchUpSeconds = 60;

// The index of the task due at that second, or -1.
int MatchTask(const TaskTable& table, const DateParts& date, const TimeParts& time);
int MatchTask(const TaskTable& table, TDateTime second);

// Whole seconds since 1899-12-30 00:00, and back.
int64_t SecondOf(TDateTime value);
TDateTime FromSecond(int64_t second);

// The once-per-second rule: which seconds a tick at `now` checks.
class TaskTickClock {
public:
    std::vector<int64_t> SecondsToCheck(TDateTime now);
    void Reset() { last_.reset(); }

private:
    std::optional<int64_t> last_;
};

enum class CommandFile { Missing, Program, Document };

// What carrying out a task does to the world; the clock hands in the real thing, tests fakes.
class TaskEffects {
public:
    virtual ~TaskEffects() = default;
    virtual void PlayFile(const std::string& fileList) = 0;
    virtual bool PopupMsgReady() = 0;
    virtual void SendPopupText(const std::string& text) = 0;
    // Opens the countdown; `answer` is called once, later, with true to power off.
    virtual void ConfirmShutdown(std::function<void(bool)> answer) = 0;
    virtual void ShutDownComputer() = 0;
    // What the command text names: a regular file with an executable bit is a program.
    virtual CommandFile ClassifyCommand(const std::string& path);
    // The absolute path of an existing file; no arguments, no shell.
    virtual void RunProgram(const std::string& path) = 0;
    virtual void OpenDocument(const std::string& path) = 0;
};

// The real file check behind ClassifyCommand.
CommandFile ClassifyCommandFile(const std::string& path);

class TaskScheduler {
public:
    explicit TaskScheduler(TaskEffects& effects) : effects_(effects) {}
    // A countdown that answers after the scheduler is gone changes nothing.
    ~TaskScheduler() { *alive_ = false; }
    TaskScheduler(const TaskScheduler&) = delete;
    TaskScheduler& operator=(const TaskScheduler&) = delete;

    TaskTable& Table() { return table_; }
    void SetTable(TaskTable table) { table_ = std::move(table); }

    // The tick: checks the seconds the once-per-second rule gives and carries out what is due.
    // Returns the number of tasks started.
    int CheckTasks(TDateTime now);
    // Starts one task's actions now.
    void RunTask(const TTaskRec& task);
    // Tasks waiting for a countdown's answer.
    size_t Pending() const { return jobs_.size(); }

private:
    struct Job {
        std::vector<TActRec> acts;
        size_t next = 0;
        std::string sounds;
    };
    void Continue(std::list<Job>::iterator job);

    TaskEffects& effects_;
    TaskTable table_;
    TaskTickClock clock_;
    std::list<Job> jobs_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace tobu
