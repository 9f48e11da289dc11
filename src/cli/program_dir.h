// What `tobu config` and `tobu autostart` share: the program folder (--dir, else the folder of
// `tobu` itself with links resolved) and the options before the first operand.
#pragma once

#include <string>
#include <vector>

namespace tobu::cli {

// The folder of the running `tobu` itself, symbolic links resolved, with a trailing "/": where
// the program's own modules are (Modules/), also when it is installed for every user.
std::string ToolExeDir();
// The program folder of the running `tobu`: the folder of the executable with symbolic links
// resolved, or for an installed (shared) folder the user's own folder; with a trailing "/".
std::string ToolProgramDir();
// DIR resolved, with a trailing "/".
std::string ProgramDirFrom(const std::string& dir);

struct LeadingOptions {
    std::string dir; // --dir (resolved, with "/"), else ToolProgramDir()
    bool json = false;
    bool no_apply = false;
    bool help = false;
    std::vector<std::string> operands; // everything from the first operand on
    std::string error;                 // a usage error
};
// Reads --dir DIR, --json, --help and (when `allow_no_apply`) --no-apply up to the first
// argument that is not an option ("--" ends the options); the rest are operands, so an operand
// may begin with "-".
LeadingOptions ParseLeadingOptions(const std::vector<std::string>& args, size_t first,
                                   bool allow_json, bool allow_no_apply);

} // namespace tobu::cli
