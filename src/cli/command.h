// The `tobu` tool's subcommands. Each lives in its own file in this folder and registers
// itself with TOBU_COMMAND; RunTool dispatches on the first argument.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tobu::cli {

struct Io {
    std::ostream& out;
    std::ostream& err;
    bool out_is_terminal = false;
};

using CommandFn = int (*)(const std::vector<std::string>& args, Io& io);

struct Command {
    std::string name;
    std::string summary; // one line for `tobu --help`
    CommandFn run;
};

std::vector<Command>& Commands();
bool Register(Command command);

// `tobu --help`.
void PrintHelp(std::ostream& out);
// The whole tool on an argument vector (without the program name): --help, --version or a
// subcommand. Returns the exit status. The vector is taken over so that the subcommand gets
// the rest of it without a copy (`tobu cal --json` takes ten thousand dates).
int RunTool(std::vector<std::string> args, Io& io);

} // namespace tobu::cli

#define TOBU_CLI_CAT2(a, b) a##b
#define TOBU_CLI_CAT(a, b) TOBU_CLI_CAT2(a, b)
#define TOBU_COMMAND(name, summary, fn)                                                            \
    static const bool TOBU_CLI_CAT(tobu_cli_registered_, __LINE__) =                               \
        ::tobu::cli::Register({name, summary, fn})
