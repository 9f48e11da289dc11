// Running part of a test as another, unprivileged user. Tests run as root in CI, where folder
// permissions do not apply and "another local user" has to be played by somebody: the case runs
// in a child process that drops to the user "nobody" (65534). Run by an ordinary user, the
// child keeps that user, who is unprivileged already.
#pragma once

#include <functional>
#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tobu::testing {

constexpr uid_t kNobody = 65534;

// Runs `body` in a child process as kNobody (when started as root) and returns its result:
// 0 for success, another number naming the check that failed. 100+ means the child could not
// become the user or died.
inline int RunAsOtherUser(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid < 0) return 100;
    if (pid == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
             ::setresuid(kNobody, kNobody, kNobody) != 0))
            ::_exit(101);
        ::_exit(body());
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 102;
}

} // namespace tobu::testing
