// `tobu feed`: check, show and fetch the announcement feed as the clock does.
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <ostream>
#include <sstream>
#include <unistd.h>

#include "cli/command.h"
#include "cli/package_io.h"
#include "cli/program_dir.h"
#include "online/ad_cache.h"
#include "online/ad_fetch.h"
#include "online/http_module.h"
#include "online/server.h"
#include "platform/clock.h"

namespace {

using tobu::cli::Io;
using tobu::cli::JsonString;

constexpr const char* kUsage =
    "usage: tobu feed parse [--json] FILE...    check served feeds (- is standard input)\n"
    "       tobu feed status [--dir DIR] [--json]\n"
    "                                           the cache Sup/Ad.his and whether a check is due\n"
    "       tobu feed fetch [--dir DIR] [--force] [--no-write] [--json]\n"
    "                                           what the clock does five minutes after start\n"
    "DIR is the program folder (default: the folder of tobu, or the user's own folder of an\n"
    "installed clock). The server is $TOBU_SERVER, else the build's default. fetch asks it\n"
    "through the module Modules/TobuHttp.so beside tobu; when that cannot be loaded, fetch\n"
    "says why and exits with status 1.\n";

std::string Folder(std::string dir) {
    // As `tobu config`: an installed clock keeps its feed cache in the user's own folder.
    if (dir.empty()) return tobu::cli::ToolProgramDir();
    if (dir.back() != '/') dir += '/';
    return dir;
}

// The HTTP client of the module Modules/TobuHttp.so beside `tobu`, as the clock loads it:
// libcurl and its TLS libraries are mapped only when a request is made, not by every start of
// the tool. A module that cannot be loaded fails its request and is reported by Fetch.
class ToolHttpClient : public tobu::HttpClient {
public:
    tobu::HttpResult Get(const std::string& url, const tobu::HttpLimits& limits) override {
        if (!module_)
            module_ = std::make_unique<tobu::ModuleHttpClient>(tobu::cli::ToolExeDir() +
                                                               tobu::kHttpModule);
        return module_->Get(url, limits);
    }
    // Why the module could not be loaded; "" when it was not needed or loaded.
    std::string LoadError() const { return module_ ? module_->LoadError() : std::string(); }

private:
    std::unique_ptr<tobu::ModuleHttpClient> module_;
};

std::string Announcement(const tobu::TADRec& r) {
    std::ostringstream o;
    o << "{\"kind\": " << r.AdKind << ", \"text\": " << JsonString(tobu::FeedTextToUtf8(r.AdText))
      << ", \"info\": " << JsonString(tobu::FeedTextToUtf8(r.AdInfo))
      << ", \"link\": " << JsonString(tobu::FeedTextToUtf8(r.AdLink))
      << ", \"action\": " << JsonString(tobu::AdActionText(tobu::ActionOf(r))) << "}";
    return o.str();
}

std::string Announcements(const std::vector<tobu::TADRec>& list) {
    std::string out = "[";
    for (size_t i = 0; i < list.size(); ++i) out += (i ? ", " : "") + Announcement(list[i]);
    return out + "]";
}

void PrintText(const std::vector<tobu::TADRec>& list, std::ostream& out) {
    for (const tobu::TADRec& r : list)
        out << "  [" << r.AdKind << "] " << tobu::cli::Shown(tobu::FeedTextToUtf8(r.AdText)) << "  "
            << tobu::cli::Shown(tobu::FeedTextToUtf8(r.AdLink)) << " ("
            << tobu::AdActionText(tobu::ActionOf(r)) << ")\n";
}

std::string IsoStamp(tobu::TDateTime t) {
    const tobu::DateParts d = tobu::DecodeDate(t);
    const tobu::TimeParts h = tobu::DecodeTime(t);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", d.year, d.month, d.day, h.hour,
                  h.minute, h.second);
    return buf;
}

bool ReadInput(const std::string& file, std::string& bytes, bool& tooLarge) {
    std::istream* in = nullptr;
    std::ifstream f;
    if (file == "-") {
        in = &std::cin;
    } else {
        f.open(file, std::ios::binary);
        if (!f) return false;
        in = &f;
    }
    char buf[65536];
    tooLarge = false;
    while (in->read(buf, sizeof buf) || in->gcount() > 0) {
        bytes.append(buf, static_cast<size_t>(in->gcount()));
        if (bytes.size() > tobu::kFeedMaxBytes) {
            tooLarge = true;
            return true;
        }
    }
    return !in->bad();
}

int Parse(const std::vector<std::string>& args, Io& io) {
    bool json = false;
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--json")
            json = true;
        else if (args[i].size() > 1 && args[i][0] == '-')
            return io.err << "tobu feed: unknown option " << args[i] << "\n" << kUsage, 2;
        else
            files.push_back(args[i]);
    }
    if (files.empty()) return io.err << "tobu feed parse: no FILE\n" << kUsage, 2;
    int rc = 0;
    const tobu::TDateTime now = tobu::SystemClock::Instance().Now();
    for (const std::string& file : files) {
        std::string bytes;
        bool tooLarge = false;
        tobu::FeedSummary s;
        if (!ReadInput(file, bytes, tooLarge))
            s.reject = tobu::FeedReject::Unreadable;
        else if (tooLarge)
            s.reject = tobu::FeedReject::TooLarge;
        else
            s = tobu::SummarizeFeed(bytes, now);
        const bool valid = s.reject == tobu::FeedReject::None;
        if (!valid) rc = 1;
        if (json) {
            io.out << "{\"file\": " << JsonString(file)
                   << ", \"valid\": " << (valid ? "true" : "false")
                   << ", \"reason\": " << JsonString(tobu::FeedRejectText(s.reject))
                   << ", \"version\": "
                   << (valid ? JsonString(tobu::FeedTextToUtf8(s.version)) : "null")
                   << ", \"days\": " << (valid ? std::to_string(s.days) : "null")
                   << ", \"announcements\": "
                   << Announcements(valid ? s.announcements : std::vector<tobu::TADRec>{}) << "}\n";
        } else if (valid) {
            io.out << tobu::cli::Shown(file) << ": version "
                   << tobu::cli::Shown(tobu::FeedTextToUtf8(s.version)) << ", every " << s.days
                   << " days, " << s.announcements.size() << " announcements\n";
            PrintText(s.announcements, io.out);
        } else {
            io.out << tobu::cli::Shown(file) << ": not a feed (" << tobu::FeedRejectText(s.reject)
                   << ")\n";
        }
    }
    return rc;
}

struct DirOptions {
    std::string dir;
    bool json = false, force = false, noWrite = false;
};

bool ReadDirOptions(const std::vector<std::string>& args, bool fetch, DirOptions& o, Io& io) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            o.json = true;
        } else if (a == "--dir" && i + 1 < args.size()) {
            o.dir = args[++i];
        } else if (fetch && a == "--force") {
            o.force = true;
        } else if (fetch && a == "--no-write") {
            o.noWrite = true;
        } else {
            io.err << "tobu feed: unexpected argument " << a << "\n" << kUsage;
            return false;
        }
    }
    return true;
}

int Status(const std::vector<std::string>& args, Io& io) {
    DirOptions o;
    if (!ReadDirOptions(args, false, o, io)) return 2;
    const std::string dir = Folder(o.dir);
    const auto cache = tobu::ReadAdCache(dir);
    const tobu::FeedHeader h = tobu::CachedHeader(cache);
    const tobu::TDateTime now = tobu::SystemClock::Instance().Now();
    const bool due = tobu::FeedDue(h, now);
    const std::vector<tobu::TADRec> list =
        cache ? tobu::LoadAdList(*cache) : std::vector<tobu::TADRec>{};
    const std::string path = tobu::AdCachePath(dir);
    if (o.json) {
        io.out << "{\"cache\": " << JsonString(path)
               << ", \"exists\": " << (cache ? "true" : "false")
               << ", \"version\": " << JsonString(tobu::FeedTextToUtf8(h.version))
               << ", \"days\": " << h.days
               << ", \"stamp\": " << (h.stamp != 0 ? JsonString(IsoStamp(h.stamp)) : "null")
               << ", \"ageDays\": "
               << (h.stamp != 0 ? std::to_string(tobu::WholeDaysBetween(now, h.stamp)) : "null")
               << ", \"due\": " << (due ? "true" : "false")
               << ", \"announcements\": " << Announcements(list) << "}\n";
        return 0;
    }
    io.out << "cache: " << tobu::cli::Shown(path) << (cache ? "" : " (none)") << "\n"
           << "version: " << tobu::cli::Shown(tobu::FeedTextToUtf8(h.version)) << ", every "
           << h.days << " days, stamp " << (h.stamp != 0 ? IsoStamp(h.stamp) : std::string("none"))
           << "\n"
           << "due: " << (due ? "yes" : "no") << "\n";
    PrintText(list, io.out);
    return 0;
}

int Fetch(const std::vector<std::string>& args, Io& io) {
    DirOptions o;
    if (!ReadDirOptions(args, true, o, io)) return 2;
    tobu::FeedFetchOptions f;
    f.app_dir = Folder(o.dir);
    if (auto base = tobu::ConfiguredServer()) f.url = tobu::FeedUrl(*base);
    f.force = o.force;
    f.write = !o.noWrite;
    ToolHttpClient client;
    const tobu::FeedFetchReport r =
        tobu::RunFeedCheck(client, f, tobu::SystemClock::Instance().Now());
    if (const std::string why = client.LoadError(); !why.empty()) {
        io.err << "tobu feed fetch: cannot load the HTTP module: " << why << "\n";
        return 1;
    }
    const bool ok = r.result == "fresh" || r.result == "new" || r.result == "unchanged";
    if (o.json) {
        io.out << "{\"url\": " << (f.url ? JsonString(*f.url) : "null")
               << ", \"due\": " << (r.due ? (*r.due ? "true" : "false") : "null")
               << ", \"requested\": " << (r.requested ? "true" : "false")
               << ", \"status\": " << r.status << ", \"bytes\": " << r.bytes
               << ", \"result\": " << JsonString(r.result) << ", \"error\": " << JsonString(r.error)
               << ", \"version\": "
               << (r.version ? JsonString(tobu::FeedTextToUtf8(*r.version)) : "null")
               << ", \"days\": " << (r.days ? std::to_string(*r.days) : "null")
               << ", \"announcements\": " << Announcements(r.announcements)
               << ", \"wrote\": " << (r.wrote ? "true" : "false") << "}\n";
    } else {
        io.out << "feed: " << (f.url ? *f.url : std::string("(no usable server)")) << "\n"
               << "result: " << r.result << (r.error.empty() ? "" : " (" + r.error + ")") << "\n";
        if (r.requested) io.out << "status " << r.status << ", " << r.bytes << " bytes\n";
        if (r.version)
            io.out << "version: " << tobu::cli::Shown(tobu::FeedTextToUtf8(*r.version))
                   << ", every " << *r.days << " days\n";
        PrintText(r.announcements, io.out);
        if (r.wrote) io.out << "wrote " << tobu::AdCachePath(f.app_dir) << "\n";
    }
    if (!ok) io.err << "tobu feed fetch: " << r.result << ": " << r.error << "\n";
    return ok ? 0 : 1;
}

int RunFeed(const std::vector<std::string>& args, Io& io) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") return io.out << kUsage, 0;
    if (args.empty()) return io.err << "tobu feed: missing subcommand\n" << kUsage, 2;
    const std::string& sub = args[0];
    if (sub == "parse") return Parse(args, io);
    if (sub == "status") return Status(args, io);
    if (sub == "fetch") return Fetch(args, io);
    io.err << "tobu feed: unknown subcommand " << sub << "\n" << kUsage;
    return 2;
}

} // namespace

TOBU_COMMAND("feed", "check, show and fetch the announcement feed", RunFeed);
