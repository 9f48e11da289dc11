#include "platform/endpoint.h"

#include "platform/folder_trust.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <pwd.h>
#include <set>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <unistd.h>

namespace tobu {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr uint64_t kListenId = 0;
constexpr uint64_t kTimerId = 1;

void PutLe(std::vector<uint8_t>& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint64_t GetLe(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

bool FillSockaddr(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool PeerIsSameUser(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return false;
    return len == sizeof cred && cred.uid == getuid();
}

// Writes the whole buffer or fails; never raises SIGPIPE.
bool SendAll(int fd, const std::vector<uint8_t>& bytes, int flags) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, flags | MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

void SetTimeout(int fd, int option, int ms) {
    if (ms < 1) ms = 1;
    timeval tv{};
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    setsockopt(fd, SOL_SOCKET, option, &tv, sizeof tv);
}

// Connects to the endpoint of a handle; -1 when there is none (or it belongs to another user).
int ConnectTo(WindowHandle handle, int timeout_ms) {
    if (handle == 0) return -1;
    sockaddr_un addr{};
    if (!FillSockaddr(EndpointPath(handle), addr)) return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    SetTimeout(fd, SO_SNDTIMEO, timeout_ms);
    SetTimeout(fd, SO_RCVTIMEO, timeout_ms);
    int rc;
    do {
        rc = connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 || !PeerIsSameUser(fd)) {
        close(fd);
        return -1;
    }
    return fd;
}

uint64_t Mix(uint64_t x) { // splitmix64 finaliser
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Handles come from the process id and a counter, scrambled so that handles of different
// processes do not cluster; binding the socket fails for a handle whose file exists, and the
// caller then tries the next one. Handles stay below 0x80000000 so they are positive as int.
WindowHandle NextCandidate() {
    static std::atomic<uint64_t> counter{0};
    uint64_t seed = (static_cast<uint64_t>(getpid()) << 32) ^ counter.fetch_add(1) ^
                    static_cast<uint64_t>(SteadyClock::now().time_since_epoch().count());
    for (;;) {
        auto h = static_cast<WindowHandle>(Mix(seed) & 0x7FFFFFFFu);
        if (h != 0) return h;
        ++seed;
    }
}

// The endpoints of this process, so that a send from an endpoint's own dispatching thread can be
// handled in place.
std::mutex& LocalMutex() {
    static std::mutex m;
    return m;
}

std::map<WindowHandle, Endpoint*>& LocalEndpoints() {
    static std::map<WindowHandle, Endpoint*> endpoints;
    return endpoints;
}

} // namespace

std::vector<uint8_t> EncodeFrame(FrameKind kind, const Message& msg) {
    std::vector<uint8_t> out;
    out.reserve(kFrameHeaderSize + msg.data.size());
    PutLe(out, kFrameMagic, 4);
    out.push_back(kFrameVersion);
    out.push_back(static_cast<uint8_t>(kind));
    PutLe(out, 0, 2);
    PutLe(out, msg.msg, 4);
    PutLe(out, msg.data.size(), 4);
    PutLe(out, msg.wparam, 8);
    PutLe(out, static_cast<uint64_t>(msg.lparam), 8);
    out.insert(out.end(), msg.data.begin(), msg.data.end());
    return out;
}

ParsedFrame ParseFrame(const uint8_t* data, size_t size) {
    auto Invalid = [] {
        ParsedFrame bad;
        bad.status = FrameStatus::Invalid;
        return bad;
    };
    ParsedFrame r;
    // Reject as early as the bytes allow, so a peer sending junk is dropped at once.
    static const uint8_t magic[4] = {'T', 'O', 'B', 'M'};
    for (size_t i = 0; i < 4 && i < size; ++i)
        if (data[i] != magic[i]) return Invalid();
    if (size > 4 && data[4] != kFrameVersion) return Invalid();
    if (size > 5 && (data[5] < 1 || data[5] > 3)) return Invalid();
    if (size > 6 && data[6] != 0) return Invalid();
    if (size > 7 && data[7] != 0) return Invalid();
    if (size < 16) return r;
    uint64_t len = GetLe(data + 12, 4);
    if (len > kMaxMessageData) return Invalid();
    if (size < kFrameHeaderSize + len) return r;
    r.status = FrameStatus::Complete;
    r.consumed = kFrameHeaderSize + len;
    r.kind = static_cast<FrameKind>(data[5]);
    r.msg.msg = static_cast<uint32_t>(GetLe(data + 8, 4));
    r.msg.wparam = GetLe(data + 16, 8);
    r.msg.lparam = static_cast<int64_t>(GetLe(data + 24, 8));
    r.msg.data.assign(data + kFrameHeaderSize, data + kFrameHeaderSize + len);
    return r;
}

std::string RuntimeDir() {
    if (const char* dir = std::getenv("TOBU_RUNTIME_DIR"); dir && *dir) return dir;
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg)
        return std::string(xdg) + "/tobuclock";
    // No session folder: stay under the user's own home. A shared folder like /tmp would let
    // any other user take our name first.
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        return std::string(cache) + "/TobuClock/run";
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h == '/')
        home = h;
    else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir == '/')
        home = pw->pw_dir;
    if (home.empty()) return {};
    if (home.size() > 1 && home.back() == '/') home.pop_back();
    return home + "/.cache/TobuClock/run";
}

namespace {

bool CheckRuntimeDir(const std::string& dir, std::string& why) {
    if (dir.empty() || dir[0] != '/') {
        why = "no home folder to keep it in";
        return false;
    }
    // Create what is missing, private from the start.
    for (std::size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        std::string part = dir.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            why = std::string("cannot create it: ") + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) break;
    }
    struct stat st {};
    // lstat: a symbolic link planted in a shared folder must not redirect our sockets.
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        why = "it is not a folder";
        return false;
    }
    if (st.st_uid != getuid()) {
        why = "it belongs to another user";
        return false;
    }
    if ((st.st_mode & 0777) != 0700 && chmod(dir.c_str(), 0700) != 0) {
        why = "it cannot be made private";
        return false;
    }
    // Another user who may rename a folder on the way could put a folder of theirs in its place.
    for (std::size_t slash = 0; slash != std::string::npos && slash + 1 < dir.size();
         slash = dir.find('/', slash + 1)) {
        std::string up = slash == 0 ? "/" : dir.substr(0, slash);
        if (stat(up.c_str(), &st) != 0 || OthersMayChange(st)) {
            why = "other users may change " + up;
            return false;
        }
    }
    if (dir.size() + 12 >= sizeof(sockaddr_un::sun_path)) {
        why = "its path is too long for a socket";
        return false;
    }
    return true;
}

} // namespace

bool EnsureRuntimeDir() {
    std::string dir = RuntimeDir();
    std::string why;
    if (CheckRuntimeDir(dir, why)) return true;
    // Told once per process and folder: without it the program runs on, but alone.
    static std::mutex mutex;
    static std::set<std::string> reported;
    std::lock_guard lock(mutex);
    if (reported.insert(dir).second)
        std::fprintf(stderr,
                     "%s: not using the runtime folder %s: %s (no single instance, no popups)\n",
                     program_invocation_short_name, dir.c_str(), why.c_str());
    return false;
}

std::string EndpointPath(WindowHandle handle) {
    char name[16];
    std::snprintf(name, sizeof name, "ep-%08x", handle);
    return RuntimeDir() + "/" + name;
}

// ---------------------------------------------------------------------------------------------

Endpoint::Endpoint() : alive_(std::make_shared<bool>(true)) {}

Endpoint::~Endpoint() {
    *alive_ = false;
    Close();
}

WindowHandle Endpoint::Create() {
    if (handle_ != 0) return handle_;
    if (!EnsureRuntimeDir()) return 0;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    WindowHandle handle = 0;
    std::string path;
    for (int attempt = 0; attempt < 64 && handle == 0; ++attempt) {
        WindowHandle candidate = NextCandidate();
        path = EndpointPath(candidate);
        sockaddr_un addr{};
        if (!FillSockaddr(path, addr)) break;
        if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
            handle = candidate;
        } else if (errno != EADDRINUSE) {
            break;
        }
    }
    if (handle == 0) {
        close(fd);
        return 0;
    }
    int ep = epoll_create1(EPOLL_CLOEXEC);
    int timer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    epoll_event ev{};
    ev.events = EPOLLIN;
    bool ok = ep >= 0 && timer >= 0 && listen(fd, SOMAXCONN) == 0;
    if (ok) {
        ev.data.u64 = kListenId;
        ok = epoll_ctl(ep, EPOLL_CTL_ADD, fd, &ev) == 0;
    }
    if (ok) {
        ev.data.u64 = kTimerId;
        ok = epoll_ctl(ep, EPOLL_CTL_ADD, timer, &ev) == 0;
    }
    if (!ok) {
        if (ep >= 0) close(ep);
        if (timer >= 0) close(timer);
        close(fd);
        unlink(path.c_str());
        return 0;
    }
    listen_fd_ = fd;
    epoll_fd_ = ep;
    timer_fd_ = timer;
    path_ = path;
    handle_ = handle;
    dispatch_thread_ = std::this_thread::get_id();
    std::lock_guard lock(LocalMutex());
    LocalEndpoints()[handle_] = this;
    return handle_;
}

void Endpoint::Close() {
    if (handle_ != 0) {
        std::lock_guard lock(LocalMutex());
        LocalEndpoints().erase(handle_);
    }
    for (auto& [id, conn] : conns_) close(conn.fd);
    conns_.clear();
    if (listen_fd_ >= 0) {
        close(listen_fd_);
        unlink(path_.c_str());
    }
    if (epoll_fd_ >= 0) close(epoll_fd_);
    if (timer_fd_ >= 0) close(timer_fd_);
    listen_fd_ = epoll_fd_ = timer_fd_ = -1;
    handle_ = 0;
    path_.clear();
}

void Endpoint::Dispatch() {
    if (epoll_fd_ < 0) return;
    dispatch_thread_ = std::this_thread::get_id();
    std::shared_ptr<bool> alive = alive_;
    epoll_event events[32];
    int n = epoll_wait(epoll_fd_, events, 32, 0);
    for (int i = 0; i < n; ++i) {
        uint64_t id = events[i].data.u64;
        if (id == kListenId) {
            AcceptPending();
        } else if (id == kTimerId) {
            uint64_t expirations;
            while (read(timer_fd_, &expirations, sizeof expirations) > 0) {
            }
        } else {
            // Looked up by id, never by descriptor: a nested Dispatch inside the handler may
            // have closed this connection and a new one may reuse its descriptor number.
            ReadConn(id);
            if (!*alive || epoll_fd_ < 0) return;
        }
    }
    ExpireConns();
    ArmTimer();
}

void Endpoint::AcceptPending() {
    for (int i = 0; i < 64; ++i) {
        int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (!PeerIsSameUser(fd)) {
            close(fd);
            continue;
        }
        uint64_t id = next_id_++;
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u64 = id;
        if (epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, fd, &ev) != 0) {
            close(fd);
            continue;
        }
        conns_[id] = Conn{fd, {}, SteadyClock::now() + frame_timeout_};
        // A flood of idle connections must not exhaust descriptors: drop the oldest.
        while (conns_.size() > kMaxPendingConnections) DropConn(conns_.begin()->first);
    }
}

void Endpoint::DropConn(uint64_t id) {
    auto it = conns_.find(id);
    if (it == conns_.end()) return;
    epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, it->second.fd, nullptr);
    close(it->second.fd);
    conns_.erase(it);
}

void Endpoint::ReadConn(uint64_t id) {
    auto it = conns_.find(id);
    if (it == conns_.end()) return;
    Conn& conn = it->second;
    uint8_t chunk[8192];
    ParsedFrame frame;
    for (;;) {
        // Never read beyond the largest possible frame.
        size_t room = kFrameHeaderSize + kMaxMessageData - conn.buf.size();
        if (room == 0) break;
        ssize_t got = recv(conn.fd, chunk, std::min(room, sizeof chunk), MSG_DONTWAIT);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) break;
            DropConn(id);
            return;
        }
        if (got == 0) { // the peer closed before a whole frame arrived (or sent nothing)
            DropConn(id);
            return;
        }
        conn.buf.insert(conn.buf.end(), chunk, chunk + got);
        frame = ParseFrame(conn.buf.data(), conn.buf.size());
        if (frame.status != FrameStatus::NeedMore) break;
    }
    if (frame.status == FrameStatus::NeedMore) return; // wait for the rest, up to the deadline
    if (frame.status == FrameStatus::Invalid || frame.kind == FrameKind::Reply) {
        DropConn(id);
        return;
    }

    // Take the connection out of the table before the handler runs: the handler may dispatch
    // again or destroy the endpoint.
    int fd = conn.fd;
    epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, fd, nullptr);
    conns_.erase(it);
    int64_t result = 0;
    bool answered = true;
    if (handler_) {
        Handler handler = handler_; // the handler may replace itself
        try {
            result = handler(frame.msg);
        } catch (...) {
            answered = false; // the sender sees a failed send
        }
    }
    if (answered && frame.kind == FrameKind::Send) {
        Message reply;
        reply.msg = frame.msg.msg;
        reply.lparam = result;
        SendAll(fd, EncodeFrame(FrameKind::Reply, reply), MSG_DONTWAIT);
    }
    close(fd);
}

void Endpoint::ExpireConns() {
    auto now = SteadyClock::now();
    for (auto it = conns_.begin(); it != conns_.end();) {
        auto next = std::next(it);
        if (it->second.deadline <= now) DropConn(it->first);
        it = next;
    }
}

void Endpoint::ArmTimer() {
    if (timer_fd_ < 0) return;
    itimerspec due{};
    if (!conns_.empty()) {
        auto earliest = conns_.begin()->second.deadline;
        for (auto& [id, conn] : conns_) earliest = std::min(earliest, conn.deadline);
        auto wait =
            std::chrono::duration_cast<std::chrono::nanoseconds>(earliest - SteadyClock::now());
        if (wait.count() < 1000000) wait = std::chrono::nanoseconds(1000000);
        due.it_value.tv_sec = wait.count() / 1000000000;
        due.it_value.tv_nsec = wait.count() % 1000000000;
    }
    timerfd_settime(timer_fd_, 0, &due, nullptr);
}

// ---------------------------------------------------------------------------------------------

std::optional<int64_t> SendMessage(WindowHandle handle, const Message& msg, int timeout_ms) {
    if (msg.data.size() > kMaxMessageData) return std::nullopt;
    {
        std::unique_lock lock(LocalMutex());
        auto it = LocalEndpoints().find(handle);
        if (it != LocalEndpoints().end() &&
            it->second->dispatch_thread_.load() == std::this_thread::get_id()) {
            Endpoint::Handler handler = it->second->handler_;
            lock.unlock(); // the handler may send, create or destroy endpoints
            if (!handler) return 0;
            try {
                return handler(msg);
            } catch (...) {
                return std::nullopt;
            }
        }
    }
    auto deadline = SteadyClock::now() + std::chrono::milliseconds(std::max(timeout_ms, 1));
    int fd = ConnectTo(handle, timeout_ms);
    if (fd < 0) return std::nullopt;
    std::optional<int64_t> result;
    if (SendAll(fd, EncodeFrame(FrameKind::Send, msg), 0)) {
        std::vector<uint8_t> buf;
        uint8_t chunk[64];
        for (;;) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now())
                    .count();
            if (left <= 0) break;
            pollfd pfd{fd, POLLIN, 0};
            int rc = poll(&pfd, 1, static_cast<int>(left));
            if (rc < 0 && errno == EINTR) continue;
            if (rc <= 0) break;
            ssize_t got = recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (got <= 0) break;
            buf.insert(buf.end(), chunk, chunk + got);
            ParsedFrame frame = ParseFrame(buf.data(), buf.size());
            if (frame.status == FrameStatus::Invalid) break;
            if (frame.status == FrameStatus::Complete) {
                if (frame.kind == FrameKind::Reply) result = frame.msg.lparam;
                break;
            }
        }
    }
    close(fd);
    return result;
}

bool PostMessage(WindowHandle handle, const Message& msg) {
    if (msg.data.size() > kMaxMessageData) return false;
    int fd = ConnectTo(handle, 2000);
    if (fd < 0) return false;
    bool ok = SendAll(fd, EncodeFrame(FrameKind::Post, msg), 0);
    close(fd);
    return ok;
}

bool IsWindow(WindowHandle handle) {
    int fd = ConnectTo(handle, 1000);
    if (fd < 0) return false;
    close(fd);
    return true;
}

} // namespace tobu
