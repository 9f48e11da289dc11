#include "platform/qt/qt_endpoint.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "../runtime_dir_fixture.h"

namespace tobu {
namespace {

class QtEndpointTest : public testing::RuntimeDirTest {};

// Runs the UI event loop until the flag is set or the limit passes.
bool PumpUntil(const std::atomic<bool>& done, int limit_ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done && t.elapsed() < limit_ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done;
}

TEST_F(QtEndpointTest, MessagesAreHandledOnTheUiThreadWithHandlerOrSignal) {
    QtEndpoint ep;
    WindowHandle h = ep.Create();
    ASSERT_NE(h, 0u);
    EXPECT_EQ(ep.Create(), h);

    bool on_ui_thread = false;
    ep.SetHandler([&](const Message& m) {
        on_ui_thread = QThread::currentThread() == QCoreApplication::instance()->thread();
        return static_cast<int64_t>(m.wparam * 2);
    });
    std::atomic<bool> done{false};
    std::optional<int64_t> result;
    std::thread client([&] {
        result = SendMessage(h, Message{kWmUpgradeNotice, 21, 0, {}}, 3000);
        done = true;
    });
    EXPECT_TRUE(PumpUntil(done));
    client.join();
    EXPECT_TRUE(on_ui_thread);
    EXPECT_EQ(result, 42);

    // Without a handler the signal's receiver sets the result.
    ep.SetHandler(nullptr);
    Message seen;
    QObject::connect(&ep, &QtEndpoint::messageReceived, [&](const Message& m, qint64* r) {
        seen = m;
        *r = -7;
    });
    done = false;
    std::thread client2([&] {
        result = SendMessage(h, Message{kWmCopyData, 1, 2, {'h', 'i', 0}}, 3000);
        done = true;
    });
    EXPECT_TRUE(PumpUntil(done));
    client2.join();
    EXPECT_EQ(result, -7);
    EXPECT_EQ(seen, (Message{kWmCopyData, 1, 2, {'h', 'i', 0}}));
}

TEST_F(QtEndpointTest, DestroyedEndpointIsNoWindow) {
    WindowHandle h;
    {
        QtEndpoint ep;
        h = ep.Create();
        EXPECT_TRUE(IsWindow(h));
    }
    EXPECT_FALSE(IsWindow(h));
}

} // namespace
} // namespace tobu
