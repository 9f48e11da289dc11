// A private runtime folder for endpoint sockets and a private instance-slot name, so tests never
// meet a running program's endpoints or slot.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

namespace tobu::testing {

class RuntimeDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/tobu-platform-test-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        setenv("TOBU_RUNTIME_DIR", (dir_ + "/run").c_str(), 1);
        setenv("TOBU_INSTANCE_NAME", ("tobu-test-" + std::to_string(getpid())).c_str(), 1);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        unsetenv("TOBU_RUNTIME_DIR");
        unsetenv("TOBU_INSTANCE_NAME");
    }
    std::string dir_;
};

} // namespace tobu::testing
