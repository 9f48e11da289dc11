#include "cli/program_dir.h"

#include "platform/program_folder.h"
#include "settings/autostart_entry.h"

namespace tobu::cli {

std::string ProgramDirFrom(const std::string& dir) {
    std::string d = ResolvedPath(dir.empty() ? "." : dir);
    if (d.empty() || d.back() != '/') d += '/';
    return d;
}

std::string ToolExeDir() {
    std::string exe = ResolvedPath("/proc/self/exe");
    std::size_t slash = exe.find_last_of('/');
    return slash == std::string::npos ? ProgramDirFrom(".") : exe.substr(0, slash + 1);
}

std::string ToolProgramDir() {
    // An installed tool works on the user's folder, as the installed clock does.
    return ProgramFolderFor(ToolExeDir());
}

LeadingOptions ParseLeadingOptions(const std::vector<std::string>& args, size_t first,
                                   bool allow_json, bool allow_no_apply) {
    LeadingOptions o;
    std::string dir;
    size_t i = first;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            ++i;
            break;
        }
        if (a.size() < 2 || a[0] != '-') break;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--json" && allow_json) {
            o.json = true;
        } else if (a == "--no-apply" && allow_no_apply) {
            o.no_apply = true;
        } else if (a == "--dir" || a.rfind("--dir=", 0) == 0) {
            if (a == "--dir") {
                if (i + 1 >= args.size()) {
                    o.error = "--dir needs a folder";
                    return o;
                }
                dir = args[++i];
            } else {
                dir = a.substr(6);
            }
            if (dir.empty()) {
                o.error = "--dir needs a folder";
                return o;
            }
        } else {
            o.error = "unknown option " + a;
            return o;
        }
    }
    o.operands.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    o.dir = dir.empty() ? ToolProgramDir() : ProgramDirFrom(dir);
    return o;
}

} // namespace tobu::cli
