// `tobu cal`: a month calendar with lunar days in the terminal, calendar facts of dates as JSON
// lines, and lunar-to-Gregorian conversion.
#include <cstdlib>
#include <ostream>

#include "base/text.h"
#include "calendar/cal_report.h"
#include "calendar/festival_list.h"
#include "calendar/lunar.h"
#include "cli/command.h"
#include "platform/clock.h"

namespace {

constexpr const char* kHelp =
    "Usage: tobu cal [--iso] [YEAR MONTH]\n"
    "       tobu cal --json DATE...\n"
    "       tobu cal --to-solar YEAR MONTH DAY [--leap]\n"
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
    "Options may stand before or after the other arguments; after \"--\" every argument is\n"
    "taken as it is. A DATE that is not a date or lies outside the range is reported on\n"
    "standard error and the exit status is 1; the other DATEs are still answered. Wrong usage\n"
    "exits with 2.\n";

int Usage(tobu::cli::Io& io, const std::string& message) {
    io.err << "tobu cal: " << message << " (see tobu cal --help)\n";
    return 2;
}

int RunJson(const std::vector<std::string>& dates, tobu::cli::Io& io) {
    if (dates.empty()) return Usage(io, "--json needs at least one DATE");
    const tobu::TFestivalList festivals;
    int status = 0;
    for (const auto& arg : dates) {
        tobu::TDateTime value = 0;
        switch (tobu::ParseCalDate(arg, value)) {
        case tobu::CalDateError::None:
            io.out << tobu::CalJson(value, festivals) << '\n';
            break;
        case tobu::CalDateError::NotADate:
            io.err << "tobu cal: not a date: '" << arg
                   << "' (expected YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS])\n";
            status = 1;
            break;
        case tobu::CalDateError::OutOfRange:
            io.err << "tobu cal: outside the calendar's range 1900-01-31 to 2100-12-31: '" << arg
                   << "'\n";
            status = 1;
            break;
        }
    }
    io.out.flush();
    return status;
}

int RunToSolar(const std::vector<std::string>& numbers, bool leap, tobu::cli::Io& io) {
    if (numbers.size() != 3) return Usage(io, "--to-solar needs YEAR MONTH DAY");
    int parts[3];
    for (size_t i = 0; i < 3; ++i) {
        const auto v = tobu::ParseInt(numbers[i]);
        if (!v) return Usage(io, "not a number: '" + numbers[i] + "'");
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

int RunGrid(const std::vector<std::string>& rest, bool iso, tobu::cli::Io& io) {
    const tobu::TDateTime now = tobu::SystemClock::Instance().Now();
    const tobu::DateParts today = tobu::DecodeDate(now);
    int year = today.year, month = today.month;
    if (rest.size() == 2) {
        const auto y = tobu::ParseInt(rest[0]);
        const auto m = tobu::ParseInt(rest[1]);
        if (!y || *y < 1900 || *y > 2100)
            return Usage(io, "YEAR must be 1900 to 2100: '" + rest[0] + "'");
        if (!m || *m < 1 || *m > 12) return Usage(io, "MONTH must be 1 to 12: '" + rest[1] + "'");
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

int RunCal(const std::vector<std::string>& args, tobu::cli::Io& io) {
    enum class Mode { Grid, Json, ToSolar } mode = Mode::Grid;
    bool iso = false, leap = false, options = true;
    std::vector<std::string> rest;
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
