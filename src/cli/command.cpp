#include "cli/command.h"

#include <algorithm>
#include <ostream>

namespace tobu::cli {

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

bool Register(Command command) {
    Commands().push_back(std::move(command));
    return true;
}

void PrintHelp(std::ostream& out) {
    out << "tobu — the TobuClock command-line tool (Tobu桌面时钟 " TOBU_VERSION ")\n\n"
           "Usage: tobu COMMAND [ARGUMENTS...]\n"
           "       tobu COMMAND --help\n\n"
           "Commands:\n";
    auto commands = Commands();
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

int RunTool(std::vector<std::string> args, Io& io) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(io.out);
        return args.empty() ? 2 : 0;
    }
    if (args[0] == "--version" || args[0] == "-V") {
        io.out << TOBU_VERSION << "\n";
        return 0;
    }
    for (const auto& c : Commands()) {
        if (c.name == args[0]) {
            args.erase(args.begin());
            return c.run(args, io);
        }
    }
    io.err << "tobu: unknown command '" << args[0] << "' (see tobu --help)\n";
    return 2;
}

} // namespace tobu::cli
