// `tobu marks`: the date marks of Marks.rec as the calendar window's list shows them, and the
// marks that fall on given dates. Marks.rec is only read, never written.
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

#include "calendar/marks.h"
#include "calendar/month_report.h"
#include "cli/command.h"

namespace {

constexpr const char* kHelp =
    "Usage: tobu marks list [--file FILE] [--json]\n"
    "       tobu marks on [--file FILE] [--json] DATE...\n"
    "\n"
    "Reads the date marks of FILE (default: Marks.rec in the program folder; no marks when it\n"
    "does not exist) as the calendar window reads them: GBK text, lines ended by CR, LF or\n"
    "CR LF, empty lines skipped. The file is never written.\n"
    "\n"
    "list prints every line in the order the calendar's mark list shows it (and saves it):\n"
    "\"公历\" or \"农历\", a TAB, \"MM月DD日\", a TAB and the note. With --json, one object per\n"
    "line: line (its number in the file), text, name, kind, key, note and valid (written as\n"
    "the mark editor writes marks).\n"
    "\n"
    "on prints, for each DATE (YYYY-MM-DD, years 1900 to 2100), the date, a TAB and its marks:\n"
    "the Gregorian note, then \"*\" and the lunar note. With --json, one object per DATE: date,\n"
    "text, gregorian, lunar (null when there is no such mark), lunarKey (the lunar month and\n"
    "day, null outside the lunar calendar) and mark (the day shows the mark picture).\n"
    "\n"
    "Wrong usage exits with 2, a missing FILE or a DATE outside the years with 1; the other\n"
    "DATEs are still answered.\n";

int Usage(tobu::cli::Io& io, const std::string& message) {
    io.err << "tobu marks: " << message << " (see tobu marks --help)\n";
    return 2;
}

std::string ProgramFolder() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string path(buf, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

bool IsRegular(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

enum class DateResult { Ok, Malformed, OutOfRange };

DateResult ParseDate(const std::string& text, tobu::TDateTime& out) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return DateResult::Malformed;
    int parts[3] = {0, 0, 0};
    const size_t pos[3] = {0, 5, 8}, len[3] = {4, 2, 2};
    for (int k = 0; k < 3; ++k)
        for (size_t i = pos[k]; i < pos[k] + len[k]; ++i) {
            if (text[i] < '0' || text[i] > '9') return DateResult::Malformed;
            parts[k] = parts[k] * 10 + (text[i] - '0');
        }
    if (!tobu::TryEncodeDate(parts[0], parts[1], parts[2], out)) return DateResult::Malformed;
    if (parts[0] < 1900 || parts[0] > 2100) return DateResult::OutOfRange;
    return DateResult::Ok;
}

int RunMarks(const std::vector<std::string>& args, tobu::cli::Io& io) {
    std::string command, file;
    bool json = false, options = true;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!options || a.empty() || a[0] != '-') {
            if (command.empty())
                command = a;
            else
                rest.push_back(a);
        } else if (a == "--") {
            options = false;
        } else if (a == "--help" || a == "-h") {
            io.out << kHelp;
            return 0;
        } else if (a == "--json") {
            json = true;
        } else if (a == "--file") {
            if (i + 1 >= args.size()) return Usage(io, "--file needs a FILE");
            file = args[++i];
        } else {
            return Usage(io, "unknown option '" + a + "'");
        }
    }
    if (command != "list" && command != "on")
        return Usage(io, command.empty() ? "say list or on" : "unknown command '" + command + "'");
    if (command == "list" && !rest.empty())
        return Usage(io, "list takes no DATE: '" + rest[0] + "'");
    if (command == "on" && rest.empty()) return Usage(io, "on needs at least one DATE");

    tobu::MarkList marks;
    if (!file.empty()) {
        if (!IsRegular(file)) {
            io.err << "tobu marks: no such marks file: '" << file << "'\n";
            return 1;
        }
        marks = tobu::MarkList::FromFile(file);
    } else {
        marks = tobu::MarkList::FromFile(ProgramFolder() + "Marks.rec");
    }

    if (command == "list") {
        io.out << (json ? tobu::MarksListJson(marks) : tobu::MarksListText(marks));
        io.out.flush();
        return 0;
    }
    int status = 0;
    for (const std::string& arg : rest) {
        tobu::TDateTime date = 0;
        switch (ParseDate(arg, date)) {
        case DateResult::Ok:
            io.out << (json ? tobu::MarksOnJson(marks, date) : tobu::MarksOnText(marks, date));
            break;
        case DateResult::Malformed:
            io.err << "tobu marks: not a date: '" << arg << "' (expected YYYY-MM-DD)\n";
            status = 2;
            break;
        case DateResult::OutOfRange:
            io.err << "tobu marks: outside the years 1900 to 2100: '" << arg << "'\n";
            if (status == 0) status = 1;
            break;
        }
    }
    io.out.flush();
    return status;
}

} // namespace

TOBU_COMMAND("marks", "date marks of Marks.rec: the list, and the notes that fall on dates",
             RunMarks);
