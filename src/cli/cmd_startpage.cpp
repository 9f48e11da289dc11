// `tobu startpage`: read and set the browser's start page as the start-page dialog does.
#include <ostream>

#include "cli/command.h"
#include "cli/package_io.h"
#include "online/feed.h"
#include "online/start_page.h"

namespace {

constexpr const char* kUsage =
    "usage: tobu startpage show [--json]   the start page of the default Firefox profile\n"
    "       tobu startpage set ADDRESS     make an http or https ADDRESS the start page\n";

int RunStartPage(const std::vector<std::string>& args, tobu::cli::Io& io) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") return io.out << kUsage, 0;
    if (!args.empty() && args[0] == "show" &&
        (args.size() == 1 || (args.size() == 2 && args[1] == "--json"))) {
        const auto profile = tobu::DefaultProfileFolder();
        const std::string home = tobu::ReadStartPage();
        if (args.size() == 2)
            io.out << "{\"profile\": " << (profile ? tobu::cli::JsonString(*profile) : "null")
                   << ", \"homepage\": " << tobu::cli::JsonString(home) << "}\n";
        else
            io.out << "profile: " << (profile ? tobu::cli::Shown(*profile) : "(none)") << "\n"
                   << "homepage: " << tobu::cli::Shown(home) << "\n";
        return 0;
    }
    if (args.size() == 2 && args[0] == "set") {
        const std::string& address = args[1];
        if (!tobu::AllowedWebAddress(address) || *tobu::AllowedWebAddress(address) != address) {
            io.err << "tobu startpage: not an http or https address: " << tobu::cli::Shown(address)
                   << "\n";
            return 1;
        }
        if (!tobu::DefaultProfileFolder()) {
            io.err << "tobu startpage: no Firefox profile\n";
            return 1;
        }
        if (!tobu::WriteStartPage(address)) {
            io.err << "tobu startpage: could not write user.js\n";
            return 1;
        }
        return 0;
    }
    io.err << kUsage;
    return 2;
}

} // namespace

TOBU_COMMAND("startpage", "read and set the browser's start page", RunStartPage);
