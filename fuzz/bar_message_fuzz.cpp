// corpus: tests/app/corpus/barmsg
//
// What other processes send the bar, through its real endpoint: the input is a run of
// connections, each a 2-byte little-endian length and that many bytes (the rest of the input
// when shorter), written in pieces as a slow or hostile peer would and then closed. The bar's
// handler sees exactly the whole frames that are sends or posts, once each, and every send is
// answered with the handler's result; anything else is dropped without an answer, and no
// connection is left behind.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/popup_protocol.h"
#include "platform/endpoint.h"
#include "platform/messages.h"

using namespace tobu;

namespace {

// A broken promise stops the run, naming itself.
#define Check(ok)                                                                                  \
    do {                                                                                           \
        if (!(ok)) {                                                                               \
            std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #ok);                          \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

struct Bar {
    std::string dir;
    Endpoint endpoint;
    std::vector<Message> seen;
    WindowHandle popup = 0;

    Bar() {
        char name[] = "/tmp/tobu-bar-fuzz-XXXXXX";
        Check(mkdtemp(name) != nullptr);
        dir = name;
        setenv("TOBU_RUNTIME_DIR", name, 1);
        Check(endpoint.Create() != 0);
        // The decisions of the bar's handler that do not need its window.
        endpoint.SetHandler([this](const Message& m) -> int64_t {
            seen.push_back(m);
            if (auto h = PopupRegistration(m)) {
                Check(m.msg == kWmPopupRegister && *h != 0 && static_cast<int64_t>(*h) == m.lparam);
                popup = *h;
            }
            return m.msg == kWmApplySettings ? 1 : static_cast<int64_t>(m.wparam ^ m.msg);
        });
    }
    ~Bar() {
        endpoint.Close();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

Bar& TheBar() {
    static Bar bar; // lives as long as the process; its folder goes at exit
    return bar;
}

int Connect(WindowHandle handle) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    Check(fd >= 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = EndpointPath(handle);
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    Check(connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0);
    return fd;
}

// One peer: writes `bytes` in pieces of `piece` bytes while the bar dispatches, closes its
// writing side and collects what the bar answers until the bar closes the connection.
std::vector<uint8_t> Exchange(Bar& bar, const uint8_t* bytes, std::size_t size, std::size_t piece) {
    const int fd = Connect(bar.endpoint.handle());
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::vector<uint8_t> answer;
    std::size_t sent = 0;
    bool closed_writing = false;
    for (;;) {
        Check(std::chrono::steady_clock::now() < limit); // the bar never hangs a peer
        if (sent < size) {
            ssize_t n = send(fd, bytes + sent, std::min(piece, size - sent), MSG_NOSIGNAL);
            if (n > 0)
                sent += static_cast<std::size_t>(n);
            else if (n < 0 && errno != EAGAIN)
                sent = size; // the bar dropped us
        } else if (!closed_writing) {
            shutdown(fd, SHUT_WR);
            closed_writing = true;
        }
        pollfd p{bar.endpoint.fd(), POLLIN, 0};
        if (poll(&p, 1, 1) > 0) bar.endpoint.Dispatch();
        uint8_t buf[256];
        ssize_t got = recv(fd, buf, sizeof buf, MSG_DONTWAIT);
        if (got > 0) answer.insert(answer.end(), buf, buf + got);
        if (got == 0 || (got < 0 && errno != EAGAIN)) break; // the bar closed the connection
    }
    close(fd);
    return answer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bar& bar = TheBar();
    std::size_t at = 0;
    for (int conn = 0; conn < 8 && at < size; ++conn) {
        std::size_t len = size - at;
        if (len >= 2) {
            len = std::min<std::size_t>(data[at] | data[at + 1] << 8, len - 2);
            at += 2;
        }
        const uint8_t* bytes = data + at;
        at += len;

        const ParsedFrame expected = ParseFrame(bytes, len);
        const bool handled =
            expected.status == FrameStatus::Complete && expected.kind != FrameKind::Reply;
        bar.seen.clear();
        const std::size_t piece = 1 + (len > 0 ? bytes[len - 1] % 64 : 0) * 64;
        const std::vector<uint8_t> answer = Exchange(bar, bytes, len, piece);

        Check(bar.seen.size() == (handled ? 1u : 0u));
        if (handled) Check(bar.seen[0] == expected.msg);
        if (handled && expected.kind == FrameKind::Send) {
            const ParsedFrame reply = ParseFrame(answer.data(), answer.size());
            Check(reply.status == FrameStatus::Complete && reply.kind == FrameKind::Reply);
            Check(reply.msg.msg == expected.msg.msg);
            Check(reply.msg.lparam ==
                  (expected.msg.msg == kWmApplySettings
                       ? 1
                       : static_cast<int64_t>(expected.msg.wparam ^ expected.msg.msg)));
        } else {
            Check(answer.empty());
        }
        Check(bar.endpoint.pending_connections() == 0);
    }
    return 0;
}
