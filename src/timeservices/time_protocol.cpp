#include "timeservices/time_protocol.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "timeservices/stop_signal.h"

namespace tobu {
namespace {

using Steady = std::chrono::steady_clock;

std::uint32_t Tick() {
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now().time_since_epoch())
            .count());
}

std::int64_t SystemUnixMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int MsLeft(Steady::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

TimeReply Fail(TimeError error, std::string message) {
    TimeReply r;
    r.error = error;
    r.message = std::move(message);
    return r;
}

struct AddrList {
    addrinfo* list = nullptr;
    ~AddrList() {
        if (list) freeaddrinfo(list);
    }
};

// Name resolution on a helper thread, so that the wait for it has a limit and can be stopped;
// a resolution that outlives the wait finishes and cleans up by itself.
struct Resolution {
    std::mutex mutex;
    std::condition_variable done_cv;
    bool done = false;
    int status = 0;
    addrinfo* list = nullptr;
    ~Resolution() {
        if (list) freeaddrinfo(list);
    }
};

// 0 on success (addresses in `out`), else the TimeError.
TimeError Resolve(const HostEntry& host, Steady::time_point deadline, const StopSignal* stop,
                  AddrList& out, std::string& message) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    hints.ai_family = host.ipv6 ? AF_INET6 : AF_UNSPEC;
    const std::string port = std::to_string(host.port);
    if (host.ipv6) {
        hints.ai_flags |= AI_NUMERICHOST;
        int r = getaddrinfo(host.host.c_str(), port.c_str(), &hints, &out.list);
        if (r != 0) {
            message = gai_strerror(r);
            return TimeError::Resolve;
        }
        return TimeError::None;
    }
    auto job = std::make_shared<Resolution>();
    std::thread([job, name = host.host, port, hints] {
        addrinfo* list = nullptr;
        int r = getaddrinfo(name.c_str(), port.c_str(), &hints, &list);
        std::lock_guard lock(job->mutex);
        job->status = r;
        job->list = list;
        job->done = true;
        job->done_cv.notify_all();
    }).detach();
    std::unique_lock lock(job->mutex);
    while (!job->done) {
        if (stop && stop->Requested()) return TimeError::Stopped;
        if (Steady::now() >= deadline) {
            message = "name resolution took longer than the connect limit";
            return TimeError::ConnectTimeout;
        }
        auto slice = std::min(deadline, Steady::now() + std::chrono::milliseconds(50));
        job->done_cv.wait_until(lock, slice);
    }
    if (job->status != 0) {
        message = gai_strerror(job->status);
        return TimeError::Resolve;
    }
    out.list = job->list;
    job->list = nullptr;
    return TimeError::None;
}

// Waits for `events` on fd, or the stop signal. 1 ready, 0 time-out, -1 stopped, -2 error.
int WaitFor(int fd, short events, int ms, const StopSignal* stop) {
    pollfd fds[2] = {{fd, events, 0}, {stop ? stop->Fd() : -1, POLLIN, 0}};
    const auto deadline = Steady::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (stop && stop->Requested()) return -1;
        int r = poll(fds, stop && stop->Fd() >= 0 ? 2 : 1, MsLeft(deadline));
        if (r < 0) {
            if (errno == EINTR) continue;
            return -2;
        }
        if (stop && stop->Requested()) return -1;
        if (r == 0) return 0;
        if (fds[0].revents) return 1;
    }
}

struct Socket {
    int fd = -1;
    ~Socket() {
        if (fd >= 0) close(fd);
    }
};

TimeError ConnectErrno(int err) {
    if (err == ECONNREFUSED) return TimeError::Refused;
    if (err == ECONNRESET) return TimeError::Short;
    if (err == ETIMEDOUT) return TimeError::ConnectTimeout;
    return TimeError::Network;
}

} // namespace

const char* TimeErrorCode(TimeError error) {
    switch (error) {
    case TimeError::None:
        return "ok";
    case TimeError::BadHost:
        return "bad-host";
    case TimeError::Resolve:
        return "resolve";
    case TimeError::Refused:
        return "refused";
    case TimeError::ConnectTimeout:
        return "connect-timeout";
    case TimeError::Timeout:
        return "timeout";
    case TimeError::Short:
        return "short";
    case TimeError::Implausible:
        return "implausible";
    case TimeError::Network:
        return "network";
    case TimeError::Stopped:
        return "stopped";
    case TimeError::NoHosts:
        return "no-hosts";
    case TimeError::SetFailed:
        return "set-failed";
    case TimeError::WriteFailed:
        return "write-failed";
    }
    return "network";
}

std::int64_t UnixTimeFromAnswer(std::uint32_t seconds, std::uint32_t elapsed_ms) {
    const std::uint32_t d = elapsed_ms / 2;
    return static_cast<std::int64_t>(seconds) + d / 1000 - kSecondsFrom1900To1970;
}

TimeReply ReadTimeAnswer(int fd, const TimeLimits& limits, const StopSignal* stop) {
    const std::uint32_t t0 = Tick();
    unsigned char buf[4];
    std::size_t got = 0;
    while (got < 4) {
        int w = WaitFor(fd, POLLIN, limits.read_ms, stop);
        if (w == -1) return Fail(TimeError::Stopped, "stopped");
        if (w == 0)
            return Fail(TimeError::Timeout, "no answer within " + std::to_string(limits.read_ms) +
                                                " ms (" + std::to_string(got) + " of 4 bytes)");
        if (w < 0) return Fail(TimeError::Network, std::strerror(errno));
        ssize_t n = recv(fd, buf + got, 4 - got, 0);
        if (n == 0)
            return Fail(TimeError::Short,
                        "connection closed after " + std::to_string(got) + " of 4 bytes");
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            if (errno == ECONNRESET)
                return Fail(TimeError::Short,
                            "connection reset after " + std::to_string(got) + " of 4 bytes");
            return Fail(TimeError::Network, std::strerror(errno));
        }
        got += static_cast<std::size_t>(n);
    }
    TimeReply r;
    r.round_trip_ms = Tick() - t0;
    r.system_unix_ms = SystemUnixMs();
    r.seconds = (std::uint32_t{buf[0]} << 24) | (std::uint32_t{buf[1]} << 16) |
                (std::uint32_t{buf[2]} << 8) | std::uint32_t{buf[3]};
    r.unix_time = UnixTimeFromAnswer(r.seconds, r.round_trip_ms);
    if (r.unix_time < kPlausibleFromUnix) {
        r.error = TimeError::Implausible;
        r.message = "the answer " + std::to_string(r.seconds) + " lies before 2024-01-01";
    }
    return r;
}

TimeReply AskTime(const HostEntry& host, const TimeLimits& limits, const StopSignal* stop) {
    const auto connect_deadline = Steady::now() + std::chrono::milliseconds(limits.connect_ms);
    AddrList addrs;
    std::string message;
    if (TimeError e = Resolve(host, connect_deadline, stop, addrs, message); e != TimeError::None)
        return Fail(e, message);

    Socket sock;
    TimeError last = TimeError::Network;
    std::string last_message = "no address to connect to";
    for (addrinfo* a = addrs.list; a && sock.fd < 0; a = a->ai_next) {
        int fd =
            socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) {
            last_message = std::strerror(errno);
            continue;
        }
        int err = 0;
        if (connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            err = errno;
            if (err == EINPROGRESS) {
                int w = WaitFor(fd, POLLOUT, MsLeft(connect_deadline), stop);
                if (w == -1) {
                    close(fd);
                    return Fail(TimeError::Stopped, "stopped");
                }
                if (w == 0) {
                    close(fd);
                    return Fail(TimeError::ConnectTimeout, "no connection within " +
                                                               std::to_string(limits.connect_ms) +
                                                               " ms");
                }
                socklen_t len = sizeof err;
                if (w < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
                    err = errno ? errno : EIO;
            }
        }
        if (err != 0) {
            last = ConnectErrno(err);
            last_message = std::strerror(err);
            close(fd);
            continue;
        }
        sock.fd = fd;
    }
    if (sock.fd < 0) return Fail(last, last_message);

    return ReadTimeAnswer(sock.fd, limits, stop);
}

} // namespace tobu
