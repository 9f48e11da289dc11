#include "platform/endpoint.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <gmock/gmock.h>

#include "runtime_dir_fixture.h"

#ifndef TOBU_TEST_SOURCE_DIR
#define TOBU_TEST_SOURCE_DIR "."
#endif

namespace tobu {
namespace {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;
using ::testing::ElementsAreArray;

// ---- wire format ------------------------------------------------------------------------------

TEST(EndpointFrame, HeaderLayoutIsLittleEndianAt32Bytes) {
    Message m{0x4A, 0x0102030405060708ull, -2, {0xAA, 0xBB, 0xCC}};
    auto f = EncodeFrame(FrameKind::Send, m);
    ASSERT_EQ(f.size(), 32u + 3u);
    EXPECT_EQ(std::string(f.begin(), f.begin() + 4), "TOBM");
    EXPECT_EQ(f[4], 1); // version
    EXPECT_EQ(f[5], 1); // send
    EXPECT_EQ(f[6] | f[7], 0);
    EXPECT_EQ(f[8], 0x4A); // number
    EXPECT_EQ(f[9] | f[10] | f[11], 0);
    EXPECT_EQ(f[12], 3);    // data length
    EXPECT_EQ(f[16], 0x08); // wparam, low byte first
    EXPECT_EQ(f[23], 0x01);
    for (int i = 24; i < 32; ++i) EXPECT_EQ(f[i], i == 24 ? 0xFE : 0xFF) << i; // lparam -2
    EXPECT_EQ(f[32], 0xAA);
    EXPECT_EQ(EncodeFrame(FrameKind::Post, m)[5], 2);
    EXPECT_EQ(EncodeFrame(FrameKind::Reply, m)[5], 3);
}

TEST(EndpointFrame, RoundTripAndEveryPrefixNeedsMore) {
    Message m{0x4BD, 77, INT64_MIN, {1, 2, 3, 0}};
    auto f = EncodeFrame(FrameKind::Post, m);
    for (size_t n = 0; n < f.size(); ++n)
        EXPECT_EQ(ParseFrame(f.data(), n).status, FrameStatus::NeedMore) << n;
    f.push_back(0x55); // trailing bytes are not part of the frame
    auto p = ParseFrame(f.data(), f.size());
    ASSERT_EQ(p.status, FrameStatus::Complete);
    EXPECT_EQ(p.consumed, 36u);
    EXPECT_EQ(p.kind, FrameKind::Post);
    EXPECT_EQ(p.msg, m);
}

TEST(EndpointFrame, JunkIsRejectedAsEarlyAsPossible) {
    auto good = EncodeFrame(FrameKind::Send, Message{1, 2, 3, {}});
    const uint8_t junk[] = {'G'};
    EXPECT_EQ(ParseFrame(junk, 1).status, FrameStatus::Invalid);
    for (size_t pos : {0u, 3u, 4u, 5u, 6u, 7u}) {
        auto bad = good;
        bad[pos] ^= 0x40;
        EXPECT_EQ(ParseFrame(bad.data(), pos + 1).status, FrameStatus::Invalid) << pos;
    }
    auto kind0 = good;
    kind0[5] = 0;
    EXPECT_EQ(ParseFrame(kind0.data(), kind0.size()).status, FrameStatus::Invalid);
}

TEST(EndpointFrame, DataLimitIs64KiBAndOversizeFailsOnTheHeaderAlone) {
    Message m{kWmCopyData, 0, 0, std::vector<uint8_t>(kMaxMessageData, 7)};
    auto f = EncodeFrame(FrameKind::Send, m);
    EXPECT_EQ(kMaxMessageData, 65536u);
    EXPECT_EQ(ParseFrame(f.data(), f.size()).status, FrameStatus::Complete);
    // 65537 announced: invalid as soon as the length field is there, without waiting for data.
    f[12] = 0x01;
    f[13] = 0x00;
    f[14] = 0x01;
    EXPECT_EQ(ParseFrame(f.data(), 16).status, FrameStatus::Invalid);
    f[14] = 0;
    f[15] = 0x80; // huge
    EXPECT_EQ(ParseFrame(f.data(), 32).status, FrameStatus::Invalid);
}

// The fuzz target's seed corpus holds what its names say: whole frames of the messages the
// program exchanges, and beginnings and junk that must wait for more or be refused.
TEST(EndpointFrame, SeedCorpusFramesAreWhatTheirNamesSay) {
    const char* src = std::getenv("TOBU_SOURCE_DIR");
    const std::filesystem::path dir =
        std::filesystem::path(src ? src : TOBU_TEST_SOURCE_DIR) / "tests/platform/corpus/frame";
    std::set<FrameStatus> seen;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        const std::string name = entry.path().filename().string();
        const ParsedFrame f = ParseFrame(bytes.data(), bytes.size());
        seen.insert(f.status);
        if (name.rfind("bad_", 0) == 0 || name.rfind("oversize_", 0) == 0) {
            EXPECT_EQ(f.status, FrameStatus::Invalid) << name;
        } else if (name.rfind("truncated_", 0) == 0) {
            EXPECT_EQ(f.status, FrameStatus::NeedMore) << name;
        } else {
            ASSERT_EQ(f.status, FrameStatus::Complete) << name;
            const auto again = EncodeFrame(f.kind, f.msg);
            EXPECT_TRUE(std::equal(again.begin(), again.end(), bytes.begin())) << name;
        }
    }
    EXPECT_EQ(seen.size(), 3u) << "complete, partial and refused frames are all seeded";
}

// ---- endpoints between threads and processes --------------------------------------------------

// Runs an endpoint's dispatch loop on its own thread, as the program's UI thread would.
class Server {
public:
    explicit Server(Endpoint::Handler handler, Ms frame_timeout = 2000ms) {
        ep_.SetHandler(std::move(handler));
        ep_.SetFrameTimeout(frame_timeout);
        handle_ = ep_.Create();
        thread_ = std::thread([this] {
            ep_.Dispatch(); // from here on this thread serves the endpoint
            started_ = true;
            while (!stop_) {
                pollfd p{ep_.fd(), POLLIN, 0};
                poll(&p, 1, 10);
                ep_.Dispatch();
            }
        });
        while (!started_) std::this_thread::sleep_for(1ms);
    }
    ~Server() {
        stop_ = true;
        thread_.join();
    }
    WindowHandle handle() const { return handle_; }
    Endpoint& endpoint() { return ep_; }

private:
    Endpoint ep_;
    WindowHandle handle_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> started_{false};
    std::thread thread_;
};

// Collects messages handed to a handler on another thread.
struct Inbox {
    std::mutex m;
    std::condition_variable cv;
    std::vector<Message> got;

    int64_t Take(const Message& msg) {
        std::lock_guard l(m);
        got.push_back(msg);
        cv.notify_all();
        return static_cast<int64_t>(msg.wparam) + msg.lparam;
    }
    bool WaitFor(size_t n, Ms limit = 3000ms) {
        std::unique_lock l(m);
        return cv.wait_for(l, limit, [&] { return got.size() >= n; });
    }
    size_t Count() {
        std::lock_guard l(m);
        return got.size();
    }
};

int RawConnect(WindowHandle h) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::string path = EndpointPath(h);
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// True when the server closes the connection within the limit.
bool ClosedByServer(int fd, Ms limit = 3000ms) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(limit.count())) <= 0) return false;
    char c;
    ssize_t n = recv(fd, &c, 1, MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno == ECONNRESET); // reset when our bytes went unread
}

class EndpointTest : public testing::RuntimeDirTest {};

TEST_F(EndpointTest, SendWaitsForResultPostDoesNotAndDataArrivesWhole) {
    Inbox inbox;
    Server server([&](const Message& m) { return inbox.Take(m); });
    ASSERT_NE(server.handle(), 0u);

    auto r = SendMessage(server.handle(), Message{kWmUpgradeNotice, 40, 2, {}}, 3000);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, 42);
    EXPECT_EQ(SendMessage(server.handle(), Message{kWmUpgradeNotice, 0, -5, {}}), -5);

    EXPECT_TRUE(PostMessage(server.handle(), Message{kWmTrayAnimateOn, 0, 0, {}}));
    ASSERT_TRUE(inbox.WaitFor(3));

    std::vector<uint8_t> text = {0xCA, 0xB1, 0xD6, 0xD3, 0}; // GBK text with its closing zero
    EXPECT_TRUE(SendMessage(server.handle(), Message{kWmCopyData, 123, 0, text}).has_value());
    std::vector<uint8_t> big(kMaxMessageData, 0x5A);
    EXPECT_TRUE(PostMessage(server.handle(), Message{kWmCopyData, 0, 0, big}));
    ASSERT_TRUE(inbox.WaitFor(5));
    std::lock_guard l(inbox.m);
    EXPECT_EQ(inbox.got[2].msg, kWmTrayAnimateOn);
    EXPECT_EQ(inbox.got[3].msg, kWmCopyData);
    EXPECT_EQ(inbox.got[3].wparam, 123u);
    EXPECT_THAT(inbox.got[3].data, ElementsAreArray(text));
    EXPECT_EQ(inbox.got[4].data, big);
}

TEST_F(EndpointTest, OversizeFramesAreRejectedOnBothSides) {
    Inbox inbox;
    Server server([&](const Message& m) { return inbox.Take(m); });
    std::vector<uint8_t> too_big(kMaxMessageData + 1, 1);
    EXPECT_FALSE(PostMessage(server.handle(), Message{kWmCopyData, 0, 0, too_big}));
    EXPECT_FALSE(SendMessage(server.handle(), Message{kWmCopyData, 0, 0, too_big}).has_value());

    // A peer that announces too much is dropped at the header, not after 64 KiB of waiting.
    int fd = RawConnect(server.handle());
    ASSERT_GE(fd, 0);
    auto frame = EncodeFrame(FrameKind::Post, Message{kWmCopyData, 0, 0, {}});
    frame[14] = 0x01; // 65536 + ...
    frame[12] = 0x01;
    ASSERT_EQ(send(fd, frame.data(), 32, MSG_NOSIGNAL), 32);
    EXPECT_TRUE(ClosedByServer(fd));
    close(fd);
    EXPECT_EQ(inbox.Count(), 0u);
}

TEST_F(EndpointTest, GarbageAndStallingPeersAreDroppedWithoutBlockingOthers) {
    Inbox inbox;
    Server server([&](const Message& m) { return inbox.Take(m); }, 300ms);

    int junk = RawConnect(server.handle());
    ASSERT_GE(junk, 0);
    const char garbage[] = "GET / HTTP/1.0\r\n\r\n";
    send(junk, garbage, sizeof garbage, MSG_NOSIGNAL);
    EXPECT_TRUE(ClosedByServer(junk));
    close(junk);

    int stall = RawConnect(server.handle());
    ASSERT_GE(stall, 0);
    auto frame = EncodeFrame(FrameKind::Send, Message{1, 2, 3, {}});
    send(stall, frame.data(), 10, MSG_NOSIGNAL); // a third of a header, then nothing
    // Others are served while the stalled peer waits...
    EXPECT_EQ(SendMessage(server.handle(), Message{5, 1, 1, {}}, 2000), 2);
    // ...and the stalled peer is dropped after the frame time-out.
    EXPECT_TRUE(ClosedByServer(stall));
    close(stall);

    // A peer that closes after a partial frame is dropped too; nothing reaches the handler.
    int half = RawConnect(server.handle());
    send(half, frame.data(), 20, MSG_NOSIGNAL);
    close(half);
    EXPECT_EQ(SendMessage(server.handle(), Message{6, 1, 1, {}}, 2000), 2);
    EXPECT_EQ(inbox.Count(), 2u);
}

TEST_F(EndpointTest, DispatchReturnsAtOnceWhilePeersStall) {
    Endpoint ep;
    int calls = 0;
    ep.SetHandler([&](const Message&) { return ++calls; });
    WindowHandle h = ep.Create();
    ASSERT_NE(h, 0u);
    std::vector<int> stalled;
    for (int i = 0; i < 5; ++i) {
        int fd = RawConnect(h);
        ASSERT_GE(fd, 0);
        send(fd, "TOBM", 4, MSG_NOSIGNAL);
        stalled.push_back(fd);
    }
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) ep.Dispatch();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_EQ(ep.pending_connections(), 5u);
    EXPECT_EQ(calls, 0);
    for (int fd : stalled) close(fd);
}

TEST_F(EndpointTest, IdleConnectionFloodIsBounded) {
    Endpoint ep;
    WindowHandle h = ep.Create();
    std::vector<int> fds;
    for (size_t i = 0; i < Endpoint::kMaxPendingConnections + 20; ++i) fds.push_back(RawConnect(h));
    for (int i = 0; i < 5; ++i) ep.Dispatch();
    EXPECT_LE(ep.pending_connections(), Endpoint::kMaxPendingConnections);
    for (int fd : fds) close(fd);
}

TEST_F(EndpointTest, SendTimesOutOnASlowReceiver) {
    Server server([](const Message&) {
        std::this_thread::sleep_for(800ms);
        return int64_t{1};
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendMessage(server.handle(), Message{1, 0, 0, {}}, 150).has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 700ms);
}

TEST_F(EndpointTest, IsWindowFollowsTheEndpointsLife) {
    EXPECT_FALSE(IsWindow(0));
    EXPECT_FALSE(IsWindow(0x1234567));
    EXPECT_FALSE(PostMessage(0x1234567, Message{}));
    EXPECT_FALSE(SendMessage(0x1234567, Message{}, 200).has_value());
    WindowHandle h;
    std::string path;
    {
        Endpoint ep;
        h = ep.Create();
        ASSERT_NE(h, 0u);
        EXPECT_LT(h, 0x80000000u);
        path = EndpointPath(h);
        EXPECT_TRUE(std::filesystem::exists(path));
        EXPECT_TRUE(IsWindow(h)); // accepted by the kernel even before the owner dispatches
        ep.Dispatch();
        EXPECT_EQ(ep.Create(), h);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(SendMessage(h, Message{}, 200).has_value());
}

TEST_F(EndpointTest, StaleSocketOfADeadProcessIsNoWindow) {
    int pipefd[2];
    ASSERT_EQ(pipe(pipefd), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // Create an endpoint and die without cleaning up, as a crash would.
        auto* ep = new Endpoint;
        WindowHandle h = ep->Create();
        (void)!write(pipefd[1], &h, sizeof h);
        _exit(0);
    }
    WindowHandle h = 0;
    ASSERT_EQ(read(pipefd[0], &h, sizeof h), static_cast<ssize_t>(sizeof h));
    waitpid(pid, nullptr, 0);
    close(pipefd[0]);
    close(pipefd[1]);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(std::filesystem::exists(EndpointPath(h))); // the file stays behind
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(PostMessage(h, Message{1, 0, 0, {}}));
}

TEST_F(EndpointTest, HandlesAreUniqueAndNamedAfterTheirNumber) {
    std::vector<std::unique_ptr<Endpoint>> eps;
    std::set<WindowHandle> seen;
    for (int i = 0; i < 50; ++i) {
        eps.push_back(std::make_unique<Endpoint>());
        WindowHandle h = eps.back()->Create();
        ASSERT_NE(h, 0u);
        EXPECT_TRUE(seen.insert(h).second);
    }
    char expect[32];
    std::snprintf(expect, sizeof expect, "/run/ep-%08x", 0xABCu);
    EXPECT_EQ(EndpointPath(0xABC), dir_ + expect);
}

TEST_F(EndpointTest, HandlerMayDispatchAgainOrDestroyTheEndpoint) {
    auto ep = std::make_unique<Endpoint>();
    WindowHandle h = ep->Create();
    int nested = 0;
    ep->SetHandler([&](const Message& m) -> int64_t {
        if (m.msg == 1) ep->Dispatch(); // a nested event loop inside the handler
        if (m.msg == 2) ep.reset();     // the window closes while handling
        ++nested;
        return 9;
    });
    std::optional<int64_t> r1, r2;
    std::thread client([&] {
        PostMessage(h, Message{3, 0, 0, {}});
        r1 = SendMessage(h, Message{1, 0, 0, {}}, 3000);
        r2 = SendMessage(h, Message{2, 0, 0, {}}, 3000);
    });
    auto until = std::chrono::steady_clock::now() + 5s;
    while (ep && std::chrono::steady_clock::now() < until) {
        pollfd p{ep->fd(), POLLIN, 0};
        poll(&p, 1, 10);
        ep->Dispatch();
    }
    client.join();
    EXPECT_EQ(ep, nullptr);
    EXPECT_EQ(nested, 3);
    EXPECT_EQ(r1, 9);
    EXPECT_EQ(r2, 9);
    EXPECT_FALSE(IsWindow(h));
}

TEST_F(EndpointTest, SendToItsOwnDispatchingThreadIsHandledInPlace) {
    Endpoint ep;
    WindowHandle h = ep.Create();
    int depth = 0;
    ep.SetHandler([&](const Message& m) -> int64_t {
        ++depth;
        // A handler that sends to its own window again, as a nested call would.
        if (m.msg == 1) return 10 + SendMessage(h, Message{2, 0, 0, {}}, 5000).value_or(-100);
        return 5;
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendMessage(h, Message{1, 0, 0, {}}, 5000), 15);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s); // no wait for a time-out
    EXPECT_EQ(depth, 2);

    // Another thread still goes through the socket and waits for the dispatching thread.
    std::optional<int64_t> from_other;
    std::thread other([&] { from_other = SendMessage(h, Message{2, 0, 0, {}}, 3000); });
    auto until = std::chrono::steady_clock::now() + 4s;
    while (depth < 3 && std::chrono::steady_clock::now() < until) {
        pollfd p{ep.fd(), POLLIN, 0};
        poll(&p, 1, 10);
        ep.Dispatch();
    }
    other.join();
    EXPECT_EQ(from_other, 5);
}

TEST_F(EndpointTest, RuntimeDirIsPrivate) {
    Endpoint ep;
    ASSERT_NE(ep.Create(), 0u);
    struct stat st {};
    ASSERT_EQ(stat(RuntimeDir().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A symbolic link in place of the folder is refused.
    std::string link = dir_ + "/link";
    ASSERT_EQ(symlink(dir_.c_str(), link.c_str()), 0);
    setenv("TOBU_RUNTIME_DIR", link.c_str(), 1);
    EXPECT_FALSE(EnsureRuntimeDir());
    Endpoint other;
    EXPECT_EQ(other.Create(), 0u);

    // So is a folder that belongs to somebody else (only root can set that up).
    if (getuid() == 0) {
        std::string foreign = dir_ + "/foreign";
        mkdir(foreign.c_str(), 0700);
        ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
        setenv("TOBU_RUNTIME_DIR", foreign.c_str(), 1);
        EXPECT_FALSE(EnsureRuntimeDir());
    }
}

TEST_F(EndpointTest, OtherUsersAreNeitherServedNorTrusted) {
    if (getuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    Endpoint ep;
    int calls = 0;
    ep.SetHandler([&](const Message&) { return ++calls; });
    WindowHandle h = ep.Create();
    ASSERT_NE(h, 0u);
    // Open the way to the socket so that only the credential checks stand in between.
    ASSERT_EQ(chmod(dir_.c_str(), 0711), 0);
    ASSERT_EQ(chmod(RuntimeDir().c_str(), 0711), 0);
    ASSERT_EQ(chmod(EndpointPath(h).c_str(), 0777), 0);

    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(10);
        // The client refuses an endpoint of another user...
        if (IsWindow(h) || PostMessage(h, Message{1, 0, 0, {}})) _exit(11);
        // ...and the endpoint drops a connection from another user unread.
        int fd = RawConnect(h);
        if (fd < 0) _exit(12);
        auto frame = EncodeFrame(FrameKind::Send, Message{1, 0, 0, {}});
        send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
        _exit(ClosedByServer(fd) ? 0 : 13);
    }
    int status = 0;
    auto until = std::chrono::steady_clock::now() + 5s;
    while (waitpid(pid, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < until) {
        pollfd p{ep.fd(), POLLIN, 0};
        poll(&p, 1, 10);
        ep.Dispatch();
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(calls, 0);
}

// Sets environment variables for one test and puts the old values back afterwards.
class ScopedEnv {
public:
    ScopedEnv(std::initializer_list<const char*> names) {
        for (const char* n : names) {
            const char* v = std::getenv(n);
            saved_.emplace_back(n, v ? std::optional<std::string>(v) : std::nullopt);
        }
    }
    ~ScopedEnv() {
        for (auto& [n, v] : saved_) {
            if (v)
                setenv(n.c_str(), v->c_str(), 1);
            else
                unsetenv(n.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(EndpointRuntimeDir, FallsBackFromXdgToTheUsersOwnCache) {
    ScopedEnv env{"TOBU_RUNTIME_DIR", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "HOME"};
    unsetenv("TOBU_RUNTIME_DIR");
    setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    setenv("XDG_CACHE_HOME", "/c", 1);
    EXPECT_EQ(RuntimeDir(), "/run/user/4242/tobuclock");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(RuntimeDir(), "/c/TobuClock/run");
    setenv("XDG_CACHE_HOME", "relative", 1); // not a usable cache folder
    setenv("HOME", "/h/", 1);
    EXPECT_EQ(RuntimeDir(), "/h/.cache/TobuClock/run");
}

// Without XDG_RUNTIME_DIR, the names another user could take first in a shared folder
// (/tmp/tobuclock-<uid>, a shared-memory slot) no longer matter: the sockets and the slot live
// in a private folder under the home. A folder that others may change is refused, out loud.
TEST_F(EndpointTest, WithoutXdgTheRuntimeFolderIsPrivateUnderHome) {
    ScopedEnv env{"XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "HOME"};
    unsetenv("TOBU_RUNTIME_DIR");
    unsetenv("XDG_RUNTIME_DIR");
    unsetenv("XDG_CACHE_HOME");
    const std::string home = dir_ + "/home";
    ASSERT_EQ(mkdir(home.c_str(), 0755), 0);
    setenv("HOME", home.c_str(), 1);

    // Another user squats the old shared names (only root can set that up).
    const std::string old_dir = "/tmp/tobuclock-" + std::to_string(getuid());
    bool planted = false;
    if (getuid() == 0 && mkdir(old_dir.c_str(), 0700) == 0) {
        planted = chown(old_dir.c_str(), 65534, 65534) == 0;
        EXPECT_TRUE(planted);
    }
    Endpoint ep;
    ep.SetHandler([](const Message& m) { return static_cast<int64_t>(m.msg); });
    WindowHandle h = ep.Create();
    if (planted) rmdir(old_dir.c_str());
    ASSERT_NE(h, 0u);
    EXPECT_EQ(EndpointPath(h).rfind(home + "/.cache/TobuClock/run/ep-", 0), 0u);
    struct stat st {};
    ASSERT_EQ(stat(RuntimeDir().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, getuid());
    EXPECT_TRUE(IsWindow(h));

    // A cache folder that everybody may write: refused, and said so on standard error.
    const std::string shared = dir_ + "/shared";
    ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
    ASSERT_EQ(chmod(shared.c_str(), 0777), 0);
    setenv("XDG_CACHE_HOME", shared.c_str(), 1);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(EnsureRuntimeDir());
    Endpoint refused;
    EXPECT_EQ(refused.Create(), 0u);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find(shared + "/TobuClock/run"), std::string::npos) << err;
    EXPECT_NE(err.find("other users may change " + shared), std::string::npos) << err;
}

} // namespace
} // namespace tobu
