#include "support/staged_tool.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace tobu::testing {

std::string StageDir() {
    if (const char* stage = std::getenv("TOBU_STAGE")) return stage;
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : (exe.parent_path() / "TobuClock").string();
}

CommandRun RunCommand(const std::string& command) {
    CommandRun r;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

} // namespace tobu::testing
