// `tobu tasks`: check, list and tidy the scheduled tasks of War.lst, with the clock's own
// loading code.
#include <climits>
#include <ostream>
#include <unistd.h>

#include "base/datetime.h"
#include "cli/command.h"
#include "cli/program_dir.h"
#include "platform/clock.h"
#include "settings/ini_file.h"
#include "tasks/task_file.h"
#include "tasks/task_report.h"

namespace {

const char* kUsage =
    "usage: tobu tasks list [FILE] [--json]\n"
    "       tobu tasks due [FILE] [--from TIME] [--to TIME] [--json]\n"
    "       tobu tasks tidy [FILE] [-o OUT]\n"
    "FILE is a task file (default: War.lst in the program folder).\n"
    "TIME is YYYY-MM-DD HH:MM:SS or YYYY-MM-DDTHH:MM:SS, local wall-clock time;\n"
    "--from defaults to now, --to to --from + 86399 s; the range is under 366 days.\n"
    "list: the tasks as the clock loads them; due: every second at which a task runs;\n"
    "tidy: what the task list dialog writes when closed with OK (-o - for standard output).\n";

constexpr int64_t kMaxRange = 366LL * 86400;

struct Args {
    std::string command, file, out, from, to;
    bool json = false, help = false, hasOut = false, hasFrom = false, hasTo = false;
};

bool Parse(const std::vector<std::string>& a, Args& r, std::string& error) {
    if (a.empty()) {
        error = "a command is needed: list, due or tidy";
        return false;
    }
    size_t i = 0;
    if (a[0] == "--help" || a[0] == "-h") {
        r.help = true;
        return true;
    }
    r.command = a[i++];
    if (r.command != "list" && r.command != "due" && r.command != "tidy") {
        error = "unknown command: " + r.command;
        return false;
    }
    bool haveFile = false;
    for (; i < a.size(); ++i) {
        const std::string& s = a[i];
        auto value = [&](std::string& into, bool& flag) {
            if (i + 1 >= a.size()) {
                error = s + " needs a value";
                return false;
            }
            into = a[++i];
            flag = true;
            return true;
        };
        if (s == "--help" || s == "-h") {
            r.help = true;
        } else if (s == "--json" && r.command != "tidy") {
            r.json = true;
        } else if (s == "--from" && r.command == "due") {
            if (!value(r.from, r.hasFrom)) return false;
        } else if (s == "--to" && r.command == "due") {
            if (!value(r.to, r.hasTo)) return false;
        } else if (s == "-o" && r.command == "tidy") {
            if (!value(r.out, r.hasOut)) return false;
        } else if (s.size() > 1 && s[0] == '-') {
            error = "unknown option: " + s;
            return false;
        } else if (!haveFile) {
            r.file = s;
            haveFile = true;
        } else {
            error = "one file only: " + s;
            return false;
        }
    }
    return true;
}

int RunTasks(const std::vector<std::string>& args, tobu::cli::Io& io) {
    Args a;
    std::string error;
    if (!Parse(args, a, error)) {
        io.err << "tobu tasks: " << error << "\n";
        return 2;
    }
    if (a.help) {
        io.out << kUsage;
        return 0;
    }
    int64_t from = 0, to = 0;
    if (a.command == "due") {
        if (a.hasFrom) {
            auto t = tobu::ParseTaskTime(a.from);
            if (!t) {
                io.err << "tobu tasks: not a date and time: " << a.from << "\n";
                return 2;
            }
            from = *t;
        } else {
            from = tobu::ToMSecs(tobu::SystemClock::Instance().Now()) / 1000;
        }
        to = from + 86399;
        if (a.hasTo) {
            auto t = tobu::ParseTaskTime(a.to);
            if (!t) {
                io.err << "tobu tasks: not a date and time: " << a.to << "\n";
                return 2;
            }
            to = *t;
        }
        if (to < from) {
            io.err << "tobu tasks: --to is before --from\n";
            return 2;
        }
        if (to - from >= kMaxRange) {
            io.err << "tobu tasks: the range must be shorter than 366 days\n";
            return 2;
        }
    }

    const bool named = !a.file.empty();
    const std::string path = named ? a.file : tobu::cli::ToolProgramDir() + tobu::kTaskFileName;
    std::string bytes;
    if (!tobu::ReadTaskFileBytes(path, bytes)) {
        if (named || a.command == "tidy") {
            io.err << "tobu tasks: cannot read " << path << "\n";
            return 1;
        }
        bytes.clear(); // the clock reads a missing War.lst as no tasks
    }

    if (a.command == "tidy") {
        std::string data = tobu::SaveTree(tobu::LoadTree(bytes));
        if (a.hasOut && a.out == "-") {
            io.out << data;
            return 0;
        }
        const std::string target = a.hasOut ? a.out : path;
        std::string why;
        if (!tobu::WriteFileAtomically(target, data, tobu::LinkPolicy::Replace, &why)) {
            io.err << "tobu tasks: cannot write " << target << (why.empty() ? "" : ": " + why)
                   << "\n";
            return 1;
        }
        return 0;
    }

    tobu::TaskTable table = tobu::LoadTaskList(bytes);
    if (a.command == "list") {
        io.out << (a.json ? tobu::ListJson(table) : tobu::ListText(table));
        return 0;
    }
    tobu::ForEachDue(table, from, to, [&](int64_t second, int index) {
        io.out << tobu::DueLine(table, second, index, a.json);
    });
    return 0;
}

} // namespace

TOBU_COMMAND("tasks", "list, check and tidy the scheduled tasks of War.lst", RunTasks);
