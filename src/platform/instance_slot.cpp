#include "platform/instance_slot.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tobu {

namespace {

constexpr size_t kSlotSize = 4;

std::string SanitizeName(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        bool keep = std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '{' || c == '}';
        out += keep ? static_cast<char>(c) : '_';
    }
    return out;
}

// The part of a slot's name before the display: the prefix and the user id.
std::string UserPart() {
    std::string prefix = kInstanceSlotGuid;
    if (const char* p = std::getenv("TOBU_INSTANCE_NAME"); p && *p) prefix = p;
    return prefix + "-" + std::to_string(getuid()) + "-";
}

} // namespace

std::string InstanceSlot::DefaultName() {
    std::string display = "none";
    if (const char* d = std::getenv("DISPLAY"); d && *d) {
        display = d;
        // ":0" and ":0.0" are the same desktop: drop the screen number.
        auto colon = display.rfind(':');
        auto dot = display.rfind('.');
        if (colon != std::string::npos && dot != std::string::npos && dot > colon)
            display.erase(dot);
    }
    std::string name = "/" + SanitizeName(UserPart() + display);
    if (name.size() > 200) name.resize(200);
    return name;
}

std::vector<std::string> InstanceSlot::NamesOnAllDesktops() {
    std::vector<std::string> names;
    const std::string start = SanitizeName(UserPart());
    DIR* d = opendir(RuntimeDir().c_str());
    if (!d) return names;
    while (const dirent* e = readdir(d)) {
        const std::string file = e->d_name;
        if (file.size() > start.size() && file.starts_with(start)) names.push_back("/" + file);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

std::string InstanceSlot::PathOf(const std::string& name) {
    return RuntimeDir() + name;
}

InstanceSlot InstanceSlot::Open(const std::string& name) {
    InstanceSlot slot;
    // The runtime folder is private to this user, so nobody else can take the name first.
    if (!EnsureRuntimeDir()) return slot; // reported there
    const std::string path = PathOf(name);
    auto refuse = [&](const char* why) {
        std::fprintf(stderr, "%s: not using the instance slot %s: %s (no single instance)\n",
                     program_invocation_short_name, path.c_str(), why);
    };
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        refuse(std::strerror(errno));
        return slot;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != getuid()) {
        refuse("it is not a file of this user");
        close(fd);
        return slot;
    }
    if (st.st_size < static_cast<off_t>(kSlotSize) && ftruncate(fd, kSlotSize) != 0) {
        refuse(std::strerror(errno));
        close(fd);
        return slot;
    }
    // A new slot is zero-filled by the truncation above; an existing one keeps its content.
    void* view = mmap(nullptr, kSlotSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED) {
        refuse(std::strerror(errno));
        close(fd);
        return slot;
    }
    slot.fd_ = fd;
    slot.view_ = static_cast<uint32_t*>(view);
    return slot;
}

bool InstanceSlot::Remove(const std::string& name) {
    return unlink(PathOf(name).c_str()) == 0;
}

InstanceSlot::~InstanceSlot() {
    Close();
}

InstanceSlot::InstanceSlot(InstanceSlot&& other) noexcept : fd_(other.fd_), view_(other.view_) {
    other.fd_ = -1;
    other.view_ = nullptr;
}

InstanceSlot& InstanceSlot::operator=(InstanceSlot&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        view_ = other.view_;
        other.fd_ = -1;
        other.view_ = nullptr;
    }
    return *this;
}

WindowHandle InstanceSlot::Read() const {
    if (!view_) return 0;
    return std::atomic_ref<uint32_t>(*view_).load();
}

void InstanceSlot::Write(WindowHandle handle) {
    if (view_) std::atomic_ref<uint32_t>(*view_).store(handle);
}

void InstanceSlot::Release(WindowHandle mine) {
    if (!view_ || mine == 0) return;
    uint32_t expected = mine;
    std::atomic_ref<uint32_t>(*view_).compare_exchange_strong(expected, 0);
}

void InstanceSlot::Close() {
    if (view_) munmap(view_, kSlotSize);
    if (fd_ >= 0) close(fd_);
    view_ = nullptr;
    fd_ = -1;
}

void SendRestore(WindowHandle handle) {
    Message restore;
    restore.msg = kWmSysCommand;
    restore.wparam = kScRestore;
    SendMessage(handle, restore, 5000);
}

bool AppAlreadyRunning(InstanceSlot& slot, WindowHandle mine,
                       const std::function<void(WindowHandle)>& restore,
                       const std::function<bool(WindowHandle)>& is_window) {
    if (slot.IsNull()) return false;
    WindowHandle stored = slot.Read();
    if (stored == 0 || stored == mine || !is_window(stored)) {
        slot.Write(mine);
        return false;
    }
    if (restore) restore(stored);
    return true;
}

} // namespace tobu
