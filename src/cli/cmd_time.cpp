// `tobu time query` asks time servers for their time without setting anything; `tobu time
// sync` makes one synchronisation attempt as "立即校正" does.
#include <cstdio>
#include <ostream>
#include <unistd.h>

#include "base/text.h"
#include "cli/command.h"
#include "cli/package_io.h"
#include "cli/program_dir.h"
#include "platform/clock.h"
#include "platform/clock_setter.h"
#include "timeservices/time_sync.h"

namespace {

constexpr const char* kHelp =
    "Usage: tobu time query [--hosts FILE] [--json] [ENTRY...]\n"
    "       tobu time sync [--hosts FILE] [--check FILE] [--json]\n"
    "\n"
    "query asks each ENTRY, then each line of FILE (all of them, in order), once, with the\n"
    "Time protocol (RFC 868) and sets nothing. An ENTRY is HOST (port 37), HOST:PORT,\n"
    "[IPV6]:PORT, [IPV6] or a bare IPv6 address. Each line of output is\n"
    "  ENTRY<TAB>YYYY-MM-DD HH:MM:SS UTC<TAB>offset +S.mmm s<TAB>round trip N ms\n"
    "or ENTRY<TAB>failed: CODE. The offset is the server's time minus this computer's.\n"
    "\n"
    "sync makes one attempt of \"立即校正\": a line of the host list (default: TimeHost.lst in\n"
    "the program folder; with two or more lines one of all but the last), the exchange, the\n"
    "clock set, and TimeCheck.lst (default: the program folder's) rewritten. It prints the\n"
    "time written. With $TOBU_CLOCK_SETTER set, that program sets the clock instead.\n"
    "\n"
    "--json prints one JSON object per line: entry, host, port, ok, and seconds, utc, local,\n"
    "offset, roundTripMs on success or error and message on failure; sync adds checked.\n"
    "Error codes: bad-host, resolve, refused, connect-timeout, timeout, short, implausible,\n"
    "network; sync also no-hosts, set-failed, write-failed.\n"
    "Exit status: 0 success, 1 a failure, 2 wrong usage.\n";

int Usage(tobu::cli::Io& io, const std::string& message) {
    io.err << "tobu time: " << message << " (see tobu time --help)\n";
    return 2;
}

std::string UtcText(std::int64_t unix_seconds) {
    return tobu::FormatDateTime("yyyy-mm-dd hh:nn:ss",
                                tobu::FromMSecs((unix_seconds + 25569LL * 86400) * 1000));
}

std::string OffsetText(const tobu::TimeReply& r) {
    const long long ms = r.unix_time * 1000 - r.system_unix_ms;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s%lld.%03lld", ms < 0 ? "-" : "+", (ms < 0 ? -ms : ms) / 1000,
                  (ms < 0 ? -ms : ms) % 1000);
    return buf;
}

std::string Json(const std::string& entry, const std::optional<tobu::HostEntry>& host,
                 const tobu::TimeReply* reply, tobu::TimeError error, const std::string& message,
                 const std::string* checked) {
    using tobu::cli::JsonString;
    std::string j = "{\"entry\":" + (host || !entry.empty() || reply ? JsonString(entry) : "null");
    j += ",\"host\":" + (host ? JsonString(host->host) : std::string("null"));
    j += ",\"port\":" + (host ? std::to_string(host->port) : std::string("null"));
    j += ",\"ok\":" + std::string(error == tobu::TimeError::None ? "true" : "false");
    if (reply && reply->error == tobu::TimeError::None) {
        j += ",\"seconds\":" + std::to_string(reply->seconds);
        j += ",\"utc\":" + JsonString(UtcText(reply->unix_time));
        j += ",\"local\":" + JsonString(tobu::LocalTimeText(reply->unix_time));
        j += ",\"offset\":" + OffsetText(*reply);
        j += ",\"roundTripMs\":" + std::to_string(reply->round_trip_ms);
    }
    if (error != tobu::TimeError::None) {
        j += ",\"error\":" + JsonString(tobu::TimeErrorCode(error));
        j += ",\"message\":" + JsonString(message);
    }
    if (checked && error == tobu::TimeError::None) j += ",\"checked\":" + JsonString(*checked);
    return j + "}";
}

struct Options {
    std::string hosts, check;
    bool json = false, hosts_given = false, check_given = false;
    std::vector<std::string> entries;
};

int RunQuery(const Options& o, tobu::cli::Io& io) {
    std::vector<std::string> entries = o.entries;
    if (o.hosts_given) {
        const auto bytes = tobu::ReadFileBytes(o.hosts);
        if (!bytes) {
            io.err << "tobu time query: cannot read " << o.hosts << "\n";
            return 1;
        }
        for (auto& l : tobu::SplitLines(*bytes)) entries.push_back(l);
    }
    if (entries.empty()) return Usage(io, "query needs at least one ENTRY or a --hosts FILE");
    int status = 0;
    for (const auto& raw : entries) {
        const std::string entry = tobu::Trim(raw);
        auto host = tobu::ParseHostEntry(raw);
        tobu::TimeReply r;
        if (host) {
            r = tobu::AskTime(*host);
        } else {
            r.error = tobu::TimeError::BadHost;
            r.message = "not a host: '" + entry + "'";
        }
        if (!r.ok()) status = 1;
        if (o.json) {
            io.out << Json(entry, host, &r, r.error, r.message, nullptr) << "\n";
        } else if (r.ok()) {
            io.out << tobu::cli::Shown(entry) << "\t" << UtcText(r.unix_time) << " UTC\toffset "
                   << OffsetText(r) << " s\tround trip " << r.round_trip_ms << " ms\n";
        } else {
            io.out << tobu::cli::Shown(entry) << "\tfailed: " << tobu::TimeErrorCode(r.error)
                   << "\n";
        }
        io.out.flush();
    }
    return status;
}

int RunSync(const Options& o, tobu::cli::Io& io) {
    if (!o.entries.empty()) return Usage(io, "sync takes no ENTRY (use --hosts FILE)");
    const std::string folder = tobu::cli::ToolProgramDir();
    const std::string hosts = o.hosts_given ? o.hosts : folder + "TimeHost.lst";
    const std::string check = o.check_given ? o.check : folder + "TimeCheck.lst";
    tobu::TSyncTimeDir dir(hosts, check, tobu::SystemClockSetter::Instance(),
                           tobu::SystemClock::Instance());
    const std::string written = dir.Run();
    const auto& out = dir.Last();
    if (o.json) {
        io.out << Json(out.entry.value_or(""), out.host, out.entry ? &out.reply : nullptr,
                       out.error, out.message, &out.checked)
               << "\n";
    } else if (out.ok()) {
        io.out << written << "\n";
    }
    if (!out.ok() && !o.json)
        io.err << "tobu time sync: " << tobu::TimeErrorCode(out.error) << ": "
               << tobu::cli::Shown(out.message) << "\n";
    return out.ok() ? 0 : 1;
}

int Run(const std::vector<std::string>& args, tobu::cli::Io& io) {
    for (const auto& a : args)
        if (a == "--help" || a == "-h") {
            io.out << kHelp;
            return 0;
        }
    if (args.empty()) return Usage(io, "query or sync is missing");
    const std::string& what = args[0];
    if (what != "query" && what != "sync") return Usage(io, "unknown subcommand '" + what + "'");
    Options o;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            o.json = true;
        } else if (a == "--hosts" || (a == "--check" && what == "sync")) {
            if (i + 1 >= args.size()) return Usage(io, a + " needs a FILE");
            (a == "--hosts" ? o.hosts : o.check) = args[++i];
            (a == "--hosts" ? o.hosts_given : o.check_given) = true;
        } else if (a.size() > 1 && a[0] == '-' && a.find(':') == std::string::npos) {
            return Usage(io, "unknown option '" + a + "'");
        } else {
            o.entries.push_back(a);
        }
    }
    return what == "query" ? RunQuery(o, io) : RunSync(o, io);
}

} // namespace

TOBU_COMMAND("time", "ask time servers (query) or synchronise the clock once (sync)", Run);
