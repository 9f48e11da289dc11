#include "platform/program_folder.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tobu {

namespace fs = std::filesystem;

namespace {

// Content the program only reads: linked, never copied.
bool ReadOnlyContent(const fs::path& file) {
    static const std::array<std::string, 16> kinds = {
        ".sk",  ".skw", ".cl",   ".wav", ".mp3", ".ogg", ".png", ".jpg",
        ".bmp", ".svg", ".html", ".htm", ".css", ".chm", ".gif", ".ico"};
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (std::find(kinds.begin(), kinds.end(), ext) != kinds.end()) return true;
    struct stat st {};
    return stat(file.c_str(), &st) == 0 && (st.st_mode & S_IXUSR) != 0; // the programs
}

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

} // namespace

std::string UserProgramFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return WithSlash(data) + "TobuClock/";
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return WithSlash(home) + ".local/share/TobuClock/";
    return {};
}

bool SeedUserFolder(const std::string& shipped, const std::string& user) {
    std::error_code ec;
    fs::create_directories(user, ec);
    if (!fs::is_directory(user, ec)) return false;
    const fs::path from(shipped), to(user);

    // Links to what the shipped folder no longer holds go.
    for (auto it = fs::recursive_directory_iterator(to, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        if (!it->is_symlink(ec)) continue;
        const fs::path target = fs::read_symlink(it->path(), ec);
        if (!ec && target.string().rfind(shipped, 0) == 0 && !fs::exists(target, ec))
            fs::remove(it->path(), ec);
    }
    ec.clear();

    for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        const fs::path rel = it->path().lexically_relative(from);
        if (rel == kSharedFolderMarker) continue;
        const fs::path dest = to / rel;
        std::error_code e;
        if (fs::exists(fs::symlink_status(dest, e))) continue; // the user's, or seeded before
        if (it->is_directory(e)) {
            fs::create_directory(dest, e);
        } else if (ReadOnlyContent(it->path())) {
            fs::create_symlink(it->path(), dest, e);
        } else if (it->is_regular_file(e)) {
            fs::copy_file(it->path(), dest, e);
            // Writable for the user whatever the shipped file's mode.
            fs::permissions(dest, fs::perms::owner_read | fs::perms::owner_write,
                            fs::perm_options::add, e);
        }
    }
    return true;
}

std::string ProgramFolderFor(const std::string& exe_dir) {
    std::error_code ec;
    if (!fs::exists(fs::path(exe_dir) / kSharedFolderMarker, ec)) return exe_dir;
    const std::string user = UserProgramFolder();
    if (user.empty() || !SeedUserFolder(exe_dir, user)) return exe_dir;
    return user;
}

} // namespace tobu
