// A Time protocol server on 127.0.0.1 for tests, with the ways real servers misbehave. Each
// accepted connection is served by the behaviour set at the time; the port is chosen by the
// system. Tests must not set the real clock: the fixture below refuses to run sync code
// unless TOBU_CLOCK_SETTER names a stand-in.
#pragma once

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

namespace tobu::testing {

struct Piece {
    std::string bytes;
    int delay_ms = 0; // before sending
};

struct ServerBehaviour {
    std::vector<Piece> pieces; // sent in order
    enum class End { Close, Reset, Silent } end = End::Close;
    bool accept = true; // false: the server never accepts (and its backlog is kept full)
};

inline std::string BigEndian(std::uint32_t s) {
    return {static_cast<char>(s >> 24), static_cast<char>(s >> 16), static_cast<char>(s >> 8),
            static_cast<char>(s)};
}

class TimeServer {
public:
    explicit TimeServer(ServerBehaviour behaviour) : behaviour_(std::move(behaviour)) {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        listen(fd_, behaviour_.accept ? 16 : 0);
        if (!behaviour_.accept) {
            // Fill the backlog so that further connections are never completed.
            for (int i = 0; i < 4; ++i) {
                int c = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
                connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a);
                fillers_.push_back(c);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            return;
        }
        thread_ = std::thread([this] { Serve(); });
    }
    ~TimeServer() {
        stop_ = true;
        shutdown(fd_, SHUT_RDWR);
        if (thread_.joinable()) thread_.join();
        for (auto& t : workers_) t.join();
        close(fd_);
        for (int c : fillers_) close(c);
    }
    std::uint16_t port() const { return port_; }
    std::string entry() const { return "127.0.0.1:" + std::to_string(port_); }
    int connections() const { return connections_.load(); }
    void set(ServerBehaviour b) {
        std::lock_guard lock(mutex_);
        behaviour_ = std::move(b);
    }

private:
    void Serve() {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            int c = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0) continue;
            ++connections_;
            ServerBehaviour b;
            {
                std::lock_guard lock(mutex_);
                b = behaviour_;
            }
            workers_.emplace_back([this, c, b] { Talk(c, b); });
        }
    }
    void Talk(int c, const ServerBehaviour& b) {
        for (const auto& piece : b.pieces) {
            for (int waited = 0; waited < piece.delay_ms && !stop_; waited += 10)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            send(c, piece.bytes.data(), piece.bytes.size(), MSG_NOSIGNAL);
        }
        if (b.end == ServerBehaviour::End::Silent) {
            while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } else if (b.end == ServerBehaviour::End::Reset) {
            linger l{1, 0};
            setsockopt(c, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        }
        close(c);
    }

    ServerBehaviour behaviour_;
    std::mutex mutex_;
    int fd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
    std::vector<std::thread> workers_;
    std::vector<int> fillers_;
};

// A temporary folder, and a recording clock setter as $TOBU_CLOCK_SETTER: a script that appends
// its arguments to `setter.log` and exits with the status in `setter.status` (0 when absent).
class SyncFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/tobu-timesvc-test-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        setter_ = dir_ + "/setter.sh";
        std::ofstream(setter_) << "#!/bin/sh\n"
                               << "echo \"$1|$2\" >> '" << dir_ << "/setter.log'\n"
                               << "[ -f '" << dir_ << "/setter.status' ] && exit $(cat '" << dir_
                               << "/setter.status')\nexit 0\n";
        std::filesystem::permissions(setter_, std::filesystem::perms::owner_all);
        setenv("TOBU_CLOCK_SETTER", setter_.c_str(), 1);
        const char* s = std::getenv("TOBU_CLOCK_SETTER");
        ASSERT_TRUE(s && *s) << "sync code must never run without the clock setter stand-in";
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::vector<std::string> SetterCalls() const {
        std::ifstream in(dir_ + "/setter.log");
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return lines;
    }
    void WriteFile(const std::string& name, const std::string& data) const {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << data;
    }
    std::string ReadFile(const std::string& name) const {
        std::ifstream in(dir_ + "/" + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string dir_;
    std::string setter_;
};

} // namespace tobu::testing
