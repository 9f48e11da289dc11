// `tobu worldtime`: every city of TimeZone.lst with its local time, as the world time window
// shows it when opened at a given instant.
#include <charconv>
#include <ostream>
#include <unistd.h>

#include "base/text.h"
#include "cli/command.h"
#include "cli/package_io.h"
#include "cli/program_dir.h"
#include "timeservices/time_host.h"
#include "timeservices/world_time.h"

namespace {

constexpr const char* kHelp =
    "Usage: tobu worldtime [--file FILE] [--at \"YYYY-MM-DD HH:MM:SS\"]... [--json]\n"
    "\n"
    "For each --at instant (UTC, years 1900 to 9998; default now) reads FILE (default:\n"
    "TimeZone.lst in the program folder) for the year of that instant's local date, as the\n"
    "world time window does when opened then, and prints every city in file order:\n"
    "  YYYY-MM-DD HH:MM:SS<TAB>夏时制 or -<TAB>TITLE\n"
    "--json prints one JSON object per city with the keys at, country, countryIndex, city,\n"
    "second, zone, position, offset, minutes, dst, local, dstStart, dstEnd, title, timeLine,\n"
    "zoneLine, positionLine, startLine and endLine.\n"
    "A load error prints FILE:LINE: REASON on standard error and nothing for that instant.\n"
    "Exit status: 0 success, 1 a file that cannot be read or a load error, 2 wrong usage.\n";

int Usage(tobu::cli::Io& io, const std::string& message) {
    io.err << "tobu worldtime: " << message << " (see tobu worldtime --help)\n";
    return 2;
}

// Exactly "YYYY-MM-DD HH:MM:SS", years 1900 to 9998.
std::optional<tobu::TDateTime> ParseAt(const std::string& s) {
    if (s.size() != 19 || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' ||
        s[16] != ':')
        return std::nullopt;
    auto num = [&](size_t pos, size_t len) {
        int v = 0;
        for (size_t i = pos; i < pos + len; ++i) {
            if (s[i] < '0' || s[i] > '9') return -1;
            v = v * 10 + (s[i] - '0');
        }
        return v;
    };
    int y = num(0, 4), mo = num(5, 2), d = num(8, 2), h = num(11, 2), mi = num(14, 2),
        se = num(17, 2);
    if (y < 1900 || y > 9998 || mo < 0 || d < 0 || h < 0 || mi < 0 || se < 0) return std::nullopt;
    tobu::TDateTime date = 0, time = 0;
    if (!tobu::TryEncodeDate(y, mo, d, date) || !tobu::TryEncodeTime(h, mi, se, 0, time))
        return std::nullopt;
    return date + time;
}

std::string Stamp(tobu::TDateTime v) {
    return tobu::FormatDateTime("yyyy-mm-dd hh:nn:ss", v);
}

std::string Number(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string OptText(const std::optional<std::string>& s) {
    return s ? tobu::cli::JsonString(*s) : std::string("null");
}

} // namespace

namespace {

int Run(const std::vector<std::string>& args, tobu::cli::Io& io) {
    std::string file = tobu::cli::ToolProgramDir() + "TimeZone.lst";
    std::vector<std::pair<std::string, tobu::TDateTime>> instants;
    bool json = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            io.out << kHelp;
            return 0;
        }
        if (a == "--json") {
            json = true;
        } else if (a == "--file" || a == "--at") {
            if (i + 1 >= args.size()) return Usage(io, a + " needs a value");
            const std::string& v = args[++i];
            if (a == "--file") {
                file = v;
            } else {
                auto at = ParseAt(v);
                if (!at)
                    return Usage(io, "--at needs \"YYYY-MM-DD HH:MM:SS\" (1900 to 9998), not '" +
                                         v + "'");
                instants.emplace_back(v, *at);
            }
        } else {
            return Usage(io, "unexpected argument '" + a + "'");
        }
    }
    if (instants.empty()) {
        const auto now = tobu::UtcNow();
        const auto whole = tobu::FromMSecs(tobu::ToMSecs(now) / 1000 * 1000);
        instants.emplace_back(Stamp(whole), whole);
    }
    const auto bytes = tobu::ReadFileBytes(file);
    if (!bytes) {
        io.err << "tobu worldtime: cannot read " << file << "\n";
        return 1;
    }
    using tobu::cli::JsonString;
    int status = 0;
    for (const auto& [text, utc] : instants) {
        const std::int64_t unix_seconds = tobu::ToMSecs(utc) / 1000 - 25569LL * 86400;
        const int year = tobu::LocalYearAt(unix_seconds);
        auto list = tobu::ParseTimeZoneList(*bytes, year);
        if (list.status != tobu::WorldTimeList::Status::Ok) {
            io.err << "tobu worldtime: " << file << ":" << list.error_line << ": "
                   << tobu::cli::Shown(list.reason) << "\n";
            status = 1;
            continue;
        }
        for (size_t ci = 0; ci < list.countries.size(); ++ci) {
            const auto& country = list.countries[ci];
            for (const auto& city : country.cities) {
                auto v = tobu::ViewCity(country.name, city, utc, year);
                if (!json) {
                    io.out << Stamp(v.local) << "\t" << (v.dst ? "夏时制" : "-") << "\t"
                           << tobu::cli::Shown(v.title) << "\n";
                    continue;
                }
                const auto parts = tobu::SplitOffset(city.offset);
                auto dstDate = [](const std::optional<tobu::TDateTime>& d) {
                    return d ? JsonString(tobu::FormatDateTime("yyyy-mm-dd hh:nn", *d))
                             : std::string("null");
                };
                io.out << "{\"at\":" << JsonString(text)
                       << ",\"country\":" << JsonString(country.name) << ",\"countryIndex\":" << ci
                       << ",\"city\":" << JsonString(city.city)
                       << ",\"second\":" << JsonString(city.second)
                       << ",\"zone\":" << JsonString(city.zone)
                       << ",\"position\":" << JsonString(city.position)
                       << ",\"offset\":" << Number(city.offset)
                       << ",\"minutes\":" << parts.hours * 60 + parts.minutes
                       << ",\"dst\":" << (v.dst ? "true" : "false")
                       << ",\"local\":" << JsonString(Stamp(v.local))
                       << ",\"dstStart\":" << dstDate(v.dst_start)
                       << ",\"dstEnd\":" << dstDate(v.dst_end)
                       << ",\"title\":" << JsonString(v.title)
                       << ",\"timeLine\":" << JsonString(v.time_line)
                       << ",\"zoneLine\":" << JsonString(v.zone_line)
                       << ",\"positionLine\":" << JsonString(v.position_line)
                       << ",\"startLine\":" << OptText(v.start_line)
                       << ",\"endLine\":" << OptText(v.end_line) << "}\n";
            }
        }
    }
    io.out.flush();
    return status;
}

} // namespace

TOBU_COMMAND("worldtime", "every city of the world time list with its local time", Run);
