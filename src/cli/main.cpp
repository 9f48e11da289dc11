#include <algorithm>
#include <iostream>
#include <unistd.h>

#include "cli/command.h"

namespace tobu::cli {

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

bool Register(Command command) {
    Commands().push_back(std::move(command));
    return true;
}

} // namespace tobu::cli

namespace {

void PrintHelp(std::ostream& out) {
    out << "tobu — the TobuClock command-line tool (Tobu桌面时钟 " TOBU_VERSION ")\n\n"
           "Usage: tobu COMMAND [ARGUMENTS...]\n"
           "       tobu COMMAND --help\n\n"
           "Commands:\n";
    auto commands = tobu::cli::Commands();
    std::sort(commands.begin(), commands.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& c : commands) {
        out << "  " << c.name;
        for (size_t i = c.name.size(); i < 10; ++i) out << ' ';
        out << "  " << c.summary << "\n";
    }
    out << "\nOptions:\n"
           "  --help       show this text\n"
           "  --version    print the version\n";
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(std::cout);
        return args.empty() ? 2 : 0;
    }
    if (args[0] == "--version" || args[0] == "-V") {
        std::cout << TOBU_VERSION << "\n";
        return 0;
    }
    for (const auto& c : tobu::cli::Commands()) {
        if (c.name == args[0]) {
            tobu::cli::Io io{std::cout, std::cerr, isatty(STDOUT_FILENO) == 1};
            std::vector<std::string> rest(args.begin() + 1, args.end());
            return c.run(rest, io);
        }
    }
    std::cerr << "tobu: unknown command '" << args[0] << "' (see tobu --help)\n";
    return 2;
}
