#include "platform/instance_slot.h"

#include <atomic>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include <gmock/gmock.h>

#include "runtime_dir_fixture.h"

namespace tobu {
namespace {

class InstanceSlotTest : public testing::RuntimeDirTest {
protected:
    void SetUp() override {
        RuntimeDirTest::SetUp();
        name_ = InstanceSlot::DefaultName();
        InstanceSlot::Remove(name_);
    }
    void TearDown() override {
        InstanceSlot::Remove(name_);
        RuntimeDirTest::TearDown();
    }
    off_t BlockSize() {
        struct stat st {};
        stat(InstanceSlot::PathOf(name_).c_str(), &st);
        return st.st_size;
    }
    std::string name_;
};

TEST(InstanceSlotName, IsPerUserAndDesktopAndSafeForSharedMemory) {
    const char* old_display = std::getenv("DISPLAY");
    std::string saved = old_display ? old_display : "";
    unsetenv("TOBU_INSTANCE_NAME");
    std::string uid = std::to_string(getuid());

    setenv("DISPLAY", ":0", 1);
    EXPECT_EQ(InstanceSlot::DefaultName(),
              "/{890B9BDE-EEE5-41EC-A4B8-F217ABDC0D17}-" + uid + "-_0");
    setenv("DISPLAY", ":0.0", 1); // the same desktop
    EXPECT_EQ(InstanceSlot::DefaultName(),
              "/{890B9BDE-EEE5-41EC-A4B8-F217ABDC0D17}-" + uid + "-_0");
    setenv("DISPLAY", "host/x:1", 1);
    EXPECT_EQ(InstanceSlot::DefaultName(),
              "/{890B9BDE-EEE5-41EC-A4B8-F217ABDC0D17}-" + uid + "-host_x_1");

    setenv("TOBU_INSTANCE_NAME", "my slot/x", 1);
    setenv("DISPLAY", ":87", 1);
    EXPECT_EQ(InstanceSlot::DefaultName(), "/my_slot_x-" + uid + "-_87");

    unsetenv("TOBU_INSTANCE_NAME");
    if (old_display)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

TEST_F(InstanceSlotTest, NewBlockIsFourZeroBytesAndSharedBetweenOpeners) {
    InstanceSlot first = InstanceSlot::Open(name_);
    ASSERT_FALSE(first.IsNull());
    EXPECT_EQ(first.Read(), 0u);
    EXPECT_EQ(BlockSize(), 4);

    first.Write(0x12345678);
    InstanceSlot second = InstanceSlot::Open(name_);
    ASSERT_FALSE(second.IsNull());
    EXPECT_EQ(second.Read(), 0x12345678u); // an existing block keeps its content
    EXPECT_EQ(BlockSize(), 4);
    second.Write(7);
    EXPECT_EQ(first.Read(), 7u);

    // Release clears only the owner's handle.
    first.Release(8);
    EXPECT_EQ(second.Read(), 7u);
    first.Release(7);
    EXPECT_EQ(second.Read(), 0u);

    InstanceSlot moved = std::move(first);
    EXPECT_TRUE(first.IsNull());
    EXPECT_FALSE(moved.IsNull());
    moved.Close();
    EXPECT_TRUE(moved.IsNull());
    EXPECT_EQ(moved.Read(), 0u);
    moved.Write(5); // harmless on a null slot
}

TEST_F(InstanceSlotTest, UnusableBlockGivesANullSlot) {
    EXPECT_TRUE(InstanceSlot::Open("/bad/name").IsNull());
    if (getuid() == 0) { // only root can plant a block that belongs to somebody else
        ASSERT_TRUE(EnsureRuntimeDir());
        int fd = open(InstanceSlot::PathOf(name_).c_str(), O_RDWR | O_CREAT, 0666);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(fchown(fd, 65534, 65534), 0);
        close(fd);
        EXPECT_TRUE(InstanceSlot::Open(name_).IsNull());
    }
}

// The slot lives in the private runtime folder: another user who takes its name in the shared
// memory of all users first changes nothing.
TEST_F(InstanceSlotTest, SquattedSharedMemoryNameChangesNothing) {
    bool planted = false;
    if (getuid() == 0) { // only root can plant a block that belongs to somebody else
        int fd = shm_open(name_.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        planted = fd >= 0 && fchown(fd, 65534, 65534) == 0;
        if (fd >= 0) close(fd);
    }
    InstanceSlot slot = InstanceSlot::Open(name_);
    if (planted) shm_unlink(name_.c_str());
    ASSERT_FALSE(slot.IsNull());
    EXPECT_EQ(InstanceSlot::PathOf(name_), RuntimeDir() + name_);
    struct stat st {};
    ASSERT_EQ(lstat(InstanceSlot::PathOf(name_).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_uid, getuid());
}

TEST_F(InstanceSlotTest, FirstStartPublishesSecondStartRestores) {
    InstanceSlot slot = InstanceSlot::Open(name_);
    std::vector<WindowHandle> restored;
    auto restore = [&](WindowHandle h) { restored.push_back(h); };
    auto alive = [](WindowHandle h) { return h == 0x100; };

    EXPECT_FALSE(AppAlreadyRunning(slot, 0x100, restore, alive)); // empty: publish
    EXPECT_EQ(slot.Read(), 0x100u);
    InstanceSlot other = InstanceSlot::Open(name_);
    EXPECT_TRUE(AppAlreadyRunning(other, 0x200, restore, alive)); // the first one answers
    EXPECT_THAT(restored, ::testing::ElementsAre(0x100u));
    EXPECT_EQ(slot.Read(), 0x100u); // unchanged

    // The first instance crashed: its handle does not answer, so the next start takes over.
    auto dead = [](WindowHandle) { return false; };
    EXPECT_FALSE(AppAlreadyRunning(other, 0x300, restore, dead));
    EXPECT_EQ(slot.Read(), 0x300u);
    EXPECT_EQ(restored.size(), 1u);

    InstanceSlot null_slot;
    EXPECT_FALSE(AppAlreadyRunning(null_slot, 0x400, restore, alive));
    EXPECT_EQ(restored.size(), 1u);
}

TEST_F(InstanceSlotTest, RealEndpointsReceiveTheRestoreCommand) {
    Endpoint first;
    std::atomic<uint32_t> got_msg{0};
    std::atomic<uint64_t> got_wparam{0};
    first.SetHandler([&](const Message& m) {
        got_msg = m.msg;
        got_wparam = m.wparam;
        return int64_t{0};
    });
    WindowHandle h1 = first.Create();
    ASSERT_NE(h1, 0u);
    InstanceSlot slot1 = InstanceSlot::Open(name_);
    ASSERT_FALSE(AppAlreadyRunning(slot1, h1));

    std::atomic<bool> stop{false};
    std::atomic<bool> serving{false};
    std::thread ui([&] {
        first.Dispatch(); // this thread now serves the first instance's endpoint
        serving = true;
        while (!stop) {
            pollfd p{first.fd(), POLLIN, 0};
            poll(&p, 1, 10);
            first.Dispatch();
        }
    });
    while (!serving) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    InstanceSlot slot2 = InstanceSlot::Open(name_);
    bool running = AppAlreadyRunning(slot2, 0x77); // default restore and window test
    stop = true;
    ui.join();
    EXPECT_TRUE(running);
    EXPECT_EQ(got_msg.load(), kWmSysCommand);
    EXPECT_EQ(got_wparam.load(), kScRestore);

    // A stale handle (its endpoint is gone) counts as an empty slot.
    first.Close();
    EXPECT_FALSE(AppAlreadyRunning(slot2, 0x77));
    EXPECT_EQ(slot1.Read(), 0x77u);
}

} // namespace
} // namespace tobu
