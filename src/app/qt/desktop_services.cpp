#include "app/qt/desktop_services.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "platform/atom_table.h"

namespace tobu {

int QtHotKeySystem::AddAtom(const std::string& name) {
    return GlobalAddAtom(name);
}

void QtHotKeySystem::DeleteAtom(int atom) {
    GlobalDeleteAtom(static_cast<uint16_t>(atom));
}

bool QtHotKeySystem::RegisterHotKey(int id, int mods, int vk) {
    return keys_.Register(id, static_cast<unsigned>(mods), static_cast<unsigned>(vk));
}

void QtHotKeySystem::UnregisterHotKey(int id) {
    keys_.Unregister(id);
}

namespace {
int g_signal_pipe[2] = {-1, -1};

void OnSignal(int) {
    char c = 1;
    ssize_t r = write(g_signal_pipe[1], &c, 1);
    (void)r;
}
} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (g_signal_pipe[0] < 0 && pipe2(g_signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(g_signal_pipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char buf[16];
        while (read(g_signal_pipe[0], buf, sizeof buf) > 0) {
        }
        emit terminate();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

TerminationSignals::~TerminationSignals() {
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signal(SIGHUP, SIG_DFL);
}

} // namespace tobu
