// Starts tests/online/feed_server.py on 127.0.0.1 for one test and stops it afterwards.
#pragma once

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "settings/temp_dir.h"

namespace tobu::testing {

class FeedTestServer {
public:
    // Serves the files of `root`; its request log is kept in a file of its own.
    explicit FeedTestServer(const std::string& root) : log_(log_dir_.File("requests.log")) {
        int out[2];
        if (::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            const std::string script =
                std::string(TOBU_TEST_SOURCE_DIR) + "/tests/online/feed_server.py";
            ::execlp("python3", "python3", script.c_str(), "--root", root.c_str(), "--log",
                     log_.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        std::string line;
        char c;
        while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
        ::close(out[0]);
        port_ = line.empty() ? 0 : std::stoi(line);
    }
    ~FeedTestServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    FeedTestServer(const FeedTestServer&) = delete;
    FeedTestServer& operator=(const FeedTestServer&) = delete;

    int Port() const { return port_; }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::string Log() const { return TempDir::Get(log_); }

private:
    TempDir log_dir_;
    std::string log_;
    pid_t pid_ = -1;
    int port_ = 0;
};

} // namespace tobu::testing
