// `tobu cal`: a month calendar with lunar days in the terminal, calendar facts of dates as JSON
// lines, and lunar-to-Gregorian conversion.
#include <cstdlib>
#include <ostream>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "base/text.h"
#include "calendar/cal_json.h"
#include "calendar/cal_report.h"
#include "calendar/festival_list.h"
#include "calendar/lunar.h"
#include "calendar/marks.h"
#include "calendar/month_report.h"
#include "cli/command.h"
#include "platform/clock.h"

namespace {

constexpr const char* kHelp =
    "Usage: tobu cal [--iso] [YEAR MONTH]\n"
    "       tobu cal --json DATE...\n"
    "       tobu cal --to-solar YEAR MONTH DAY [--leap]\n"
    "       tobu cal --month YYYY-MM[-DD] [--today YYYY-MM-DD] [--mode lunar|ganzhi|festival]\n"
    "                [--iso] [--marks FILE] [--json]\n"
    "\n"
    "Without --json or --to-solar, prints a month (this month, or MONTH of YEAR) as a grid with\n"
    "each day's lunar day below it: the lunar month's name on its first day and the solar\n"
    "term's name on a term day. Weeks start on Sunday; --iso starts them on Monday. YEAR is\n"
    "1900 to 2100. A day with a festival (the built-in festivals, as in --json) has its number\n"
    "in the festival's colour (red Gregorian, magenta lunar, blue week festivals) and a \"+\"\n"
    "after its number when there is no colour. Colour, and the highlight of today, are used\n"
    "only when writing to a terminal and NO_COLOR is not set.\n"
    "\n"
    "--json prints one JSON object (UTF-8) per DATE, each on its own line. DATE is YYYY-MM-DD\n"
    "or YYYY-MM-DDTHH:MM[:SS], local time of the calendar, from 1900-01-31 to 2100-12-31.\n"
    "Keys: date, lunar {year, month, day, leap}, lunarText, ganzhi {year, month, day} (cycle\n"
    "numbers), ganzhiText, term (the term of the value itself, so empty when it has a time of\n"
    "day), termText (the term of its day), festivals and festivalColor (the built-in festivals\n"
    "of the day; colour as a decimal 0x00BBGGRR value, -1 when none), week (weeks starting on\n"
    "Sunday) and isoWeek (ISO 8601).\n"
    "\n"
    "--to-solar prints the Gregorian date (YYYY-MM-DD) of a lunar date of the years 1901 to\n"
    "2099; --leap names the leap month. A lunar date that does not exist is reported on\n"
    "standard error and the exit status is 1.\n"
    "\n"
    "--month shows the calendar window's month view: its 42 cells (six weeks, always starting\n"
    "before the first of the month) with the day, the band text of the display mode (--mode:\n"
    "lunar \"公历-农历\", the default; ganzhi \"公历-干支\"; festival \"公历-节日\"), \"*\" on\n"
    "marked days, the selected day in [ ], and the four information lines of the selected day.\n"
    "YYYY-MM-DD selects that day; with YYYY-MM alone today's day of month is selected (clamped\n"
    "to the month's length). Years 1900 to 2100. --today sets the date taken as today\n"
    "(default: the local date). --marks reads the marks from FILE instead of Marks.rec in the\n"
    "program folder (which may be missing); Marks.rec is never written. --json prints 42 JSON\n"
    "lines, one per cell, with the keys index, date, weekday, inMonth, today, selected, day,\n"
    "dayColor, text, textKind, textColor, term, festivals, mark, markText, hint and info.\n"
    "\n"
    "Options may stand before or after the other arguments; after \"--\" every argument is\n"
    "taken as it is. A DATE that is not a date or lies outside the range is reported on\n"
    "standard error and the exit status is 1; the other DATEs are still answered. Wrong usage\n"
    "exits with 2.\n";

int Usage(tobu::cli::Io& io, const std::string& message) {
    io.err << "tobu cal: " << message << " (see tobu cal --help)\n";
    return 2;
}

int RunJson(const std::vector<std::string_view>& dates, tobu::cli::Io& io) {
    if (dates.empty()) return Usage(io, "--json needs at least one DATE");
    const tobu::TFestivalList festivals;
    return tobu::CalJsonLines(dates, festivals, io.out, io.err);
}

int RunToSolar(const std::vector<std::string_view>& numbers, bool leap, tobu::cli::Io& io) {
    if (numbers.size() != 3) return Usage(io, "--to-solar needs YEAR MONTH DAY");
    int parts[3];
    for (size_t i = 0; i < 3; ++i) {
        const auto v = tobu::ParseInt(numbers[i]);
        if (!v) return Usage(io, "not a number: '" + std::string(numbers[i]) + "'");
        parts[i] = *v;
    }
    const tobu::TLunarDate lunar{parts[0], parts[1], parts[2], leap};
    if (!tobu::IsValidLunarDate(lunar)) {
        io.err << "tobu cal: there is no lunar date year " << parts[0] << ", "
               << (leap ? "leap month " : "month ") << parts[1] << ", day " << parts[2]
               << " (the years 1901 to 2099 are covered)\n";
        return 1;
    }
    io.out << tobu::FormatIsoDate(tobu::LunarToSolar(lunar)) << '\n';
    return 0;
}

// NO_COLOR set to anything but an empty text asks for output without colour.
bool NoColorAsked() {
    const char* v = std::getenv("NO_COLOR");
    return v && *v;
}

int RunGrid(const std::vector<std::string_view>& rest, bool iso, tobu::cli::Io& io) {
    const tobu::TDateTime now = tobu::SystemClock::Instance().Now();
    const tobu::DateParts today = tobu::DecodeDate(now);
    int year = today.year, month = today.month;
    if (rest.size() == 2) {
        const auto y = tobu::ParseInt(rest[0]);
        const auto m = tobu::ParseInt(rest[1]);
        if (!y || *y < 1900 || *y > 2100)
            return Usage(io, "YEAR must be 1900 to 2100: '" + std::string(rest[0]) + "'");
        if (!m || *m < 1 || *m > 12)
            return Usage(io, "MONTH must be 1 to 12: '" + std::string(rest[1]) + "'");
        year = *y;
        month = *m;
    } else if (!rest.empty()) {
        return Usage(io, "give both YEAR and MONTH, or neither");
    }
    const tobu::TFestivalList festivals;
    const bool color = io.out_is_terminal && !NoColorAsked();
    io.out << tobu::FormatMonthGrid(year, month, now, iso, color, &festivals);
    return 0;
}

// "YYYY-MM-DD" (or "YYYY-MM" with allowMonth, day 0) of the years 1900 to 2100.
bool ParseDay(const std::string& text, bool allowMonth, int& y, int& m, int& d) {
    auto num = [&](size_t pos, size_t len, int& out) {
        if (pos + len > text.size()) return false;
        out = 0;
        for (size_t i = pos; i < pos + len; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            out = out * 10 + (text[i] - '0');
        }
        return true;
    };
    d = 0;
    if (!num(0, 4, y) || text.size() < 7 || text[4] != '-' || !num(5, 2, m)) return false;
    if (text.size() == 7) return allowMonth && m >= 1 && m <= 12;
    if (text.size() != 10 || text[7] != '-' || !num(8, 2, d)) return false;
    tobu::TDateTime v = 0;
    return tobu::TryEncodeDate(y, m, d, v);
}

bool IsRegular(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ProgramFolder() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string path(buf, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

int RunMonth(const std::vector<std::string>& args, tobu::cli::Io& io) {
    std::string month, today, modeName = "lunar", marksFile;
    bool iso = false, json = false, options = true;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        if (!options || a.empty() || a[0] != '-') {
            rest.push_back(a);
        } else if (a == "--") {
            options = false;
        } else if (a == "--month" || a == "--today" || a == "--mode" || a == "--marks") {
            std::string& target = a == "--month"   ? month
                                  : a == "--today" ? today
                                  : a == "--mode"  ? modeName
                                                   : marksFile;
            if (!value(target)) return Usage(io, a + " needs a value");
        } else if (a == "--iso") {
            iso = true;
        } else if (a == "--json") {
            json = true;
        } else {
            return Usage(io, "unknown option '" + a + "' with --month");
        }
    }
    if (!rest.empty()) return Usage(io, "no other arguments go with --month: '" + rest[0] + "'");
    const int mode = modeName == "lunar"      ? 0
                     : modeName == "ganzhi"   ? 1
                     : modeName == "festival" ? 2
                                              : -1;
    if (mode < 0) return Usage(io, "--mode must be lunar, ganzhi or festival: '" + modeName + "'");
    int y = 0, m = 0, d = 0;
    if (!ParseDay(month, true, y, m, d))
        return Usage(io, "--month needs YYYY-MM or YYYY-MM-DD: '" + month + "'");
    tobu::TDateTime todayDate = tobu::DateOf(tobu::SystemClock::Instance().Now());
    if (!today.empty()) {
        int ty = 0, tm = 0, td = 0;
        if (!ParseDay(today, false, ty, tm, td))
            return Usage(io, "--today needs YYYY-MM-DD: '" + today + "'");
        todayDate = tobu::EncodeDate(ty, tm, td);
    }
    if (y < 1900 || y > 2100) {
        io.err << "tobu cal: the calendar shows the years 1900 to 2100: '" << month << "'\n";
        return 1;
    }
    if (d == 0) d = std::min(tobu::DecodeDate(todayDate).day, tobu::DaysInMonth(y, m));
    tobu::MarkList marks;
    if (!marksFile.empty()) {
        if (!IsRegular(marksFile)) {
            io.err << "tobu cal: no such marks file: '" << marksFile << "'\n";
            return 1;
        }
        marks = tobu::MarkList::FromFile(marksFile);
    } else {
        marks = tobu::MarkList::FromFile(ProgramFolder() + "Marks.rec");
    }
    const tobu::MonthGrid grid = tobu::MakeWindowMonth(tobu::EncodeDate(y, m, d), mode, iso, marks);
    if (json)
        io.out << tobu::MonthJson(grid, todayDate, marks);
    else
        io.out << tobu::MonthText(grid, todayDate, mode, marks,
                                  io.out_is_terminal && !NoColorAsked());
    io.out.flush();
    return 0;
}

int RunCal(const std::vector<std::string>& args, tobu::cli::Io& io) {
    for (const std::string& a : args) {
        if (a == "--") break;
        if (a == "--help" || a == "-h") break;
        if (a == "--month") return RunMonth(args, io);
    }
    enum class Mode { Grid, Json, ToSolar } mode = Mode::Grid;
    bool iso = false, leap = false, options = true;
    // Views of the arguments: `--json` may be given ten thousand dates.
    std::vector<std::string_view> rest;
    rest.reserve(args.size());
    for (const std::string& a : args) {
        // A negative number is an argument (a lunar year or month), not an option.
        if (!options || a.empty() || a[0] != '-' || tobu::ParseInt(a)) {
            rest.push_back(a);
        } else if (a == "--") {
            options = false;
        } else if (a == "--help" || a == "-h") {
            io.out << kHelp;
            return 0;
        } else if (a == "--json" || a == "--to-solar") {
            const Mode m = a == "--json" ? Mode::Json : Mode::ToSolar;
            if (mode != Mode::Grid && mode != m)
                return Usage(io, "--json and --to-solar cannot be combined");
            mode = m;
        } else if (a == "--iso") {
            iso = true;
        } else if (a == "--leap") {
            leap = true;
        } else {
            return Usage(io, "unknown option '" + a + "'");
        }
    }
    if (leap && mode != Mode::ToSolar) return Usage(io, "--leap goes with --to-solar");
    switch (mode) {
    case Mode::Json:
        return RunJson(rest, io);
    case Mode::ToSolar:
        return RunToSolar(rest, leap, io);
    case Mode::Grid:
        break;
    }
    return RunGrid(rest, iso, io);
}

} // namespace

TOBU_COMMAND("cal", "month calendar with lunar days; lunar facts of dates as JSON", RunCal);
