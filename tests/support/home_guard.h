// Keeps tests away from the real user's session: HOME and XDG_CONFIG_HOME point into a private
// folder for the whole test program, and the program aborts loudly when a test leaves them
// elsewhere or when the real user's autostart entry changed while a test ran.
//
// Every test file that can reach the autostart entry installs it once at start:
//
//     static const bool kHomeGuard = tobu::testing::InstallHomeGuard();
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tobu::testing {

class HomeGuard : public ::testing::EmptyTestEventListener {
public:
    HomeGuard() {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            passwd* pw = ::getpwuid(::getuid());
            home = pw ? pw->pw_dir : "/";
        }
        const char* xdg = std::getenv("XDG_CONFIG_HOME");
        std::string config = (xdg && xdg[0] == '/') ? xdg : std::string(home) + "/.config";
        real_entry_ = config + "/autostart/TobuClock.desktop";
        real_before_ = Snapshot(real_entry_);
        std::string tmpl = (std::filesystem::temp_directory_path() / "tobu-home-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) Fail("cannot make a private HOME");
        fake_home_ = tmpl;
        ::setenv("HOME", fake_home_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (fake_home_ + "/.config").c_str(), 1);
    }
    ~HomeGuard() override {
        std::error_code ec;
        std::filesystem::remove_all(fake_home_, ec);
    }

    const std::string& FakeHome() const { return fake_home_; }

    void OnTestEnd(const ::testing::TestInfo& info) override {
        auto inside = [this](const char* v) {
            return v && std::string(v).rfind(fake_home_, 0) == 0;
        };
        if (!inside(std::getenv("HOME")) || !inside(std::getenv("XDG_CONFIG_HOME")))
            Fail(std::string(info.test_suite_name()) + "." + info.name() +
                 " left HOME or XDG_CONFIG_HOME outside the private folder");
        if (Snapshot(real_entry_) != real_before_)
            Fail(std::string(info.test_suite_name()) + "." + info.name() +
                 " changed the real user's " + real_entry_);
    }

private:
    static std::string Snapshot(const std::string& path) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) return "absent";
        return std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" +
               std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
    }
    [[noreturn]] static void Fail(const std::string& what) {
        std::fprintf(stderr, "\n*** HOME GUARD: %s ***\n", what.c_str());
        std::fflush(stderr);
        std::abort();
    }

    std::string real_entry_, real_before_, fake_home_;
};

inline HomeGuard* ActiveHomeGuard = nullptr;

inline bool InstallHomeGuard() {
    if (!ActiveHomeGuard) {
        ActiveHomeGuard = new HomeGuard;
        // The listener list owns it from here.
        ::testing::UnitTest::GetInstance()->listeners().Append(ActiveHomeGuard);
    }
    return true;
}

} // namespace tobu::testing
