// Message endpoints: the addressable windows of this program. A window that other processes
// talk to owns an Endpoint, a Unix-domain socket in the user's runtime directory; its 32-bit
// handle names the socket file. Other processes reach it with SendMessage (waits for the
// receiver's result), PostMessage (does not wait) and IsWindow (does it accept a connection?).
//
// One connection carries one message frame. Frames are little-endian:
//
//   offset size  field
//        0    4  magic "TOBM"
//        4    1  version (1)
//        5    1  kind: 1 = send, 2 = post, 3 = reply
//        6    2  reserved, 0
//        8    4  message number
//       12    4  data length (at most kMaxMessageData)
//       16    8  first parameter (wparam, unsigned)
//       24    8  second parameter (lparam, signed)
//       32    n  data
//
// A send is answered on the same connection by a reply frame whose lparam is the result.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/messages.h"

namespace tobu {

using WindowHandle = uint32_t; // 0 = no window

constexpr size_t kMaxMessageData = 64 * 1024;
constexpr size_t kFrameHeaderSize = 32;
constexpr uint32_t kFrameMagic = 0x4D424F54; // "TOBM" read as a little-endian number
constexpr uint8_t kFrameVersion = 1;

struct Message {
    uint32_t msg = 0;
    uint64_t wparam = 0;
    int64_t lparam = 0;
    std::vector<uint8_t> data; // WM_COPYDATA payload; empty for other messages

    bool operator==(const Message&) const = default;
};

enum class FrameKind : uint8_t { Send = 1, Post = 2, Reply = 3 };

std::vector<uint8_t> EncodeFrame(FrameKind kind, const Message& msg);

enum class FrameStatus {
    Complete, // a whole frame was read; `consumed` bytes belong to it
    NeedMore, // the bytes so far are a valid beginning of a frame
    Invalid   // not a frame (bad magic, version, kind, reserved bits, or oversize data)
};

struct ParsedFrame {
    FrameStatus status = FrameStatus::NeedMore;
    size_t consumed = 0;
    FrameKind kind = FrameKind::Post;
    Message msg;
};

// Parses the frame at the start of the buffer. Never reads past `size`; rejects a header that
// announces more than kMaxMessageData bytes as soon as the header is complete.
ParsedFrame ParseFrame(const uint8_t* data, size_t size);

// The folder of the endpoint sockets and the instance slot: $TOBU_RUNTIME_DIR when set, else
// $XDG_RUNTIME_DIR/tobuclock, else $XDG_CACHE_HOME/TobuClock/run, else
// $HOME/.cache/TobuClock/run (never a folder that other users share).
std::string RuntimeDir();
// Creates the runtime folder (and missing parents, mode 0700) when missing. False when it cannot
// be made, or when it is not a real folder owned by this user, or sits in a folder that other
// users may change; the first refusal of a process is reported on standard error.
bool EnsureRuntimeDir();
// The socket path of a handle: <runtime dir>/ep-<8 hex digits>.
std::string EndpointPath(WindowHandle handle);

// The server side of a window. Not thread-safe: create and dispatch on one thread. A send to an
// endpoint from the thread that dispatches it calls the handler directly, since that thread
// could never answer its own connection while it waits.
class Endpoint {
public:
    using Handler = std::function<int64_t(const Message&)>;

    Endpoint();
    ~Endpoint(); // closes every connection and removes the socket file
    Endpoint(const Endpoint&) = delete;
    Endpoint& operator=(const Endpoint&) = delete;

    // Creates the socket under a fresh handle. Returns the handle, 0 on failure. A second call
    // returns the existing handle.
    WindowHandle Create();
    void Close();

    WindowHandle handle() const { return handle_; }
    // A descriptor that turns readable whenever Dispatch has work (new connections, data,
    // a connection's time-out). -1 before Create.
    int fd() const { return epoll_fd_; }

    void SetHandler(Handler handler) { handler_ = std::move(handler); }
    // How long a peer may take to deliver its whole frame before it is dropped.
    void SetFrameTimeout(std::chrono::milliseconds timeout) { frame_timeout_ = timeout; }

    // Accepts pending connections and handles every complete frame. Never waits for a peer:
    // partial frames stay buffered until the rest arrives or the frame time-out drops them.
    // The handler may run a nested event loop that calls Dispatch again, and may destroy the
    // endpoint.
    void Dispatch();

    size_t pending_connections() const { return conns_.size(); }

    static constexpr size_t kMaxPendingConnections = 64;

private:
    struct Conn {
        int fd = -1;
        std::vector<uint8_t> buf;
        std::chrono::steady_clock::time_point deadline;
    };

    void AcceptPending();
    void ReadConn(uint64_t id);
    void DropConn(uint64_t id);
    void ExpireConns();
    void ArmTimer();

    WindowHandle handle_ = 0;
    std::string path_;
    int listen_fd_ = -1;
    int epoll_fd_ = -1;
    int timer_fd_ = -1;
    uint64_t next_id_ = 2; // 0 = the listening socket, 1 = the timer
    std::map<uint64_t, Conn> conns_;
    Handler handler_;
    std::chrono::milliseconds frame_timeout_{2000};
    std::shared_ptr<bool> alive_;
    std::atomic<std::thread::id> dispatch_thread_;

    friend std::optional<int64_t> SendMessage(WindowHandle, const Message&, int);
};

// Client side. Each call opens its own connection; a handle whose socket is missing, or whose
// process died (a stale socket file), or that belongs to another user is no window.
std::optional<int64_t> SendMessage(WindowHandle handle, const Message& msg, int timeout_ms = 5000);
bool PostMessage(WindowHandle handle, const Message& msg);
bool IsWindow(WindowHandle handle);

} // namespace tobu
