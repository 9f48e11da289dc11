#include "tasks/task_scheduler.h"

#include <cmath>
#include <filesystem>
#include <sys/stat.h>

namespace tobu {

int MatchTask(const TaskTable& table, const DateParts& d, const TimeParts& t) {
    auto fits = [](int field, int value) { return field == -1 || field == value; };
    for (size_t i = 0; i < table.size(); ++i) {
        const TTaskRec& r = table[i];
        if (!r.Enabled) continue;
        if (r.Hour == -1 && r.Minute == -1 && r.Second == -1) continue;
        if (fits(r.Year, d.year) && fits(r.Month, d.month) && fits(r.Day, d.day) &&
            fits(r.Hour, t.hour) && fits(r.Minute, t.minute) && fits(r.Second, t.second))
            return static_cast<int>(i);
    }
    return -1;
}

int MatchTask(const TaskTable& table, TDateTime second) {
    return MatchTask(table, DecodeDate(second), DecodeTime(second));
}

int64_t SecondOf(TDateTime value) {
    int64_t ms = ToMSecs(value);
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

TDateTime FromSecond(int64_t second) {
    return FromMSecs(second * 1000);
}

std::vector<int64_t> TaskTickClock::SecondsToCheck(TDateTime now) {
    int64_t s = SecondOf(now);
    std::vector<int64_t> out;
    if (last_ && s == *last_) return out;
    if (last_ && s > *last_ && s - *last_ <= kMaxCatchUpSeconds) {
        for (int64_t k = *last_ + 1; k <= s; ++k) out.push_back(k);
    } else {
        out.push_back(s);
    }
    last_ = s;
    return out;
}

CommandFile ClassifyCommandFile(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return CommandFile::Missing;
    return (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) ? CommandFile::Program
                                                        : CommandFile::Document;
}

CommandFile TaskEffects::ClassifyCommand(const std::string& path) {
    return ClassifyCommandFile(path);
}

int TaskScheduler::CheckTasks(TDateTime now) {
    int started = 0;
    for (int64_t second : clock_.SecondsToCheck(now)) {
        int i = MatchTask(table_, FromSecond(second));
        if (i < 0) continue;
        // A copy: the table may be reloaded while the task waits for a countdown.
        RunTask(TTaskRec(table_[static_cast<size_t>(i)]));
        ++started;
    }
    return started;
}

void TaskScheduler::RunTask(const TTaskRec& task) {
    jobs_.push_back(Job{task.Acts, 0, {}});
    Continue(std::prev(jobs_.end()));
}

void TaskScheduler::Continue(std::list<Job>::iterator job) {
    while (job->next < job->acts.size()) {
        const TActRec& act = job->acts[job->next++];
        if (act.Kind == 0) {
            job->sounds += act.Text + "*";
        } else if (act.Kind == 1) {
            if (effects_.PopupMsgReady()) effects_.SendPopupText(act.Text);
        } else if (act.Kind == 2) {
            if (act.Text == kShutdownCommand) {
                // The rest waits for the answer; the tick goes on meanwhile.
                std::weak_ptr<bool> alive = alive_;
                effects_.ConfirmShutdown([this, job, alive](bool confirmed) {
                    auto live = alive.lock();
                    if (!live || !*live) return;
                    if (confirmed) effects_.ShutDownComputer();
                    Continue(job);
                });
                return;
            }
            switch (effects_.ClassifyCommand(act.Text)) {
            case CommandFile::Program: {
                std::error_code ec;
                auto full = std::filesystem::absolute(act.Text, ec);
                effects_.RunProgram(ec ? act.Text : full.string());
                break;
            }
            case CommandFile::Document: {
                std::error_code ec;
                auto full = std::filesystem::absolute(act.Text, ec);
                effects_.OpenDocument(ec ? act.Text : full.string());
                break;
            }
            case CommandFile::Missing:
                break;
            }
        }
    }
    if (!job->sounds.empty()) effects_.PlayFile(job->sounds);
    jobs_.erase(job);
}

} // namespace tobu
