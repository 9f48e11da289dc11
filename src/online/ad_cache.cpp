#include "online/ad_cache.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "settings/ini_file.h"

namespace tobu {

namespace {

constexpr const char* kCacheName = "Ad.his";
constexpr const char* kTempPrefix = ".Ad.his.";

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Creates a temporary file in the folder; its name in `name`, -1 when it cannot.
int CreateTemp(int dir, std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "%d.%d", static_cast<int>(::getpid()), attempt);
        name = std::string(kTempPrefix) + suffix;
        const int fd =
            ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void DeleteRegularFiles(int dir, const std::string& keep) {
    const int listFd = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) return;
    DIR* d = ::fdopendir(listFd);
    if (!d) {
        ::close(listFd);
        return;
    }
    std::vector<std::string> doomed;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == ".." || name == keep) continue;
        struct stat st;
        if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            doomed.push_back(name);
    }
    ::closedir(d);
    for (const std::string& name : doomed) {
        // Only what is still a regular file goes (unlinkat never follows a link anyway).
        struct stat st;
        if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(dir, name.c_str(), 0);
    }
}

} // namespace

std::string SupFolder(const std::string& appDir) {
    return appDir + "Sup/";
}

std::string AdCachePath(const std::string& appDir) {
    return SupFolder(appDir) + kCacheName;
}

bool EnsureSupFolder(const std::string& appDir) {
    const std::string dir = appDir + "Sup";
    if (::mkdir(dir.c_str(), 0755) == 0) return true;
    struct stat st;
    return errno == EEXIST && ::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::vector<std::string>> ReadAdCache(const std::string& appDir) {
    const std::string path = AdCachePath(appDir);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) return std::nullopt;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size > static_cast<off_t>(2 * kFeedMaxBytes + 64)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string text;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buf, static_cast<size_t>(n));
        if (text.size() > 2 * kFeedMaxBytes + 64) break;
    }
    ::close(fd);
    return SplitFeedLines(text);
}

FeedHeader CachedHeader(const std::optional<std::vector<std::string>>& cache) {
    if (!cache || cache->empty()) return FeedHeader{};
    return ParseCacheHeader(cache->front());
}

bool WriteAdCache(const std::string& appDir, const std::string& text) {
    if (!EnsureSupFolder(appDir)) return false;
    const std::string supPath = appDir + "Sup";
    const int dir = ::open(supPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) return false;
    std::string temp;
    const int fd = CreateTemp(dir, temp);
    if (fd < 0) {
        ::close(dir);
        return false;
    }
    const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlinkat(dir, temp.c_str(), 0);
        ::close(dir);
        return false;
    }
    // The rename replaces the old cache in one step, so a reader (or a writer killed at any
    // moment) finds the old or the new cache, never none. The other files go afterwards; the
    // temporary files of killed writers are among them.
    const bool renamed = ::renameat(dir, temp.c_str(), dir, kCacheName) == 0;
    if (!renamed)
        ::unlinkat(dir, temp.c_str(), 0);
    else
        DeleteRegularFiles(dir, kCacheName);
    ::close(dir);
    return renamed;
}

bool WriteUpgradeHis(const std::string& appDir, TDateTime now) {
    return WriteFileAtomically(appDir + "Upgrade.his", UpgradeHisText(now));
}

} // namespace tobu
