#include "platform/qt/global_hotkey.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include "platform/atom_table.h"
#include "platform/qt/desktop.h"

#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace tobu {
namespace {

TEST(GlobalHotKey, NothingIsGrabbedOffX11) {
    if (QGuiApplication::platformName() == "xcb") GTEST_SKIP();
    EXPECT_FALSE(GlobalHotKey::IsAvailable());
    GlobalHotKey hk;
    EXPECT_FALSE(hk.Register(1, GlobalHotKey::Alt | GlobalHotKey::Ctrl, 'T'));
    EXPECT_FALSE(hk.Unregister(1));
}

// The grab needs a real X server: start a private Xvfb and run the X part of this test program
// (GlobalHotKeyOnX.*) on it, on the xcb platform.
TEST(GlobalHotKey, GrabWorksOnARealDisplay) {
    if (qEnvironmentVariableIsSet("TOBU_HOTKEY_CHILD")) GTEST_SKIP();
    QString xvfb_path = QStandardPaths::findExecutable("Xvfb");
    QString xdotool = QStandardPaths::findExecutable("xdotool");
    if (xvfb_path.isEmpty() || xdotool.isEmpty()) GTEST_SKIP() << "Xvfb or xdotool missing";

    int display = 87;
    while (display < 120 && (QFile::exists(QString("/tmp/.X%1-lock").arg(display)) ||
                             QFile::exists(QString("/tmp/.X11-unix/X%1").arg(display))))
        ++display;
    QProcess xvfb;
    xvfb.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    xvfb.start(xvfb_path,
               {QString(":%1").arg(display), "-screen", "0", "1280x768x24", "-nolisten", "tcp"});
    ASSERT_TRUE(xvfb.waitForStarted(5000));
    QElapsedTimer t;
    t.start();
    QString socket = QString("/tmp/.X11-unix/X%1").arg(display);
    while (!QFile::exists(socket) && t.elapsed() < 10000) QThread::msleep(20);
    QThread::msleep(100);

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", QString(":%1").arg(display));
    env.insert("TOBU_HOTKEY_CHILD", "1");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=GlobalHotKeyOnX.*"});
    bool finished = child.waitForFinished(60000);
    QString out = QString::fromLocal8Bit(child.readAll());
    if (!finished) child.kill();
    xvfb.terminate();
    if (!xvfb.waitForFinished(5000)) xvfb.kill();

    ASSERT_TRUE(QFile::exists(xvfb_path));
    EXPECT_TRUE(finished);
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 2 tests")) << out.toStdString();
    EXPECT_FALSE(out.contains("SKIPPED")) << out.toStdString();
}

// Records hotKey signals; Wait runs the event loop until a new one arrives or the time is up.
class Presses {
public:
    explicit Presses(GlobalHotKey& hk) {
        QObject::connect(&hk, &GlobalHotKey::hotKey, [this](int id, qint64 lparam) {
            got.push_back({id, lparam});
        });
    }
    bool Wait(int ms) {
        size_t before = got.size();
        QElapsedTimer t;
        t.start();
        while (got.size() == before && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return got.size() > before;
    }
    int count() const { return static_cast<int>(got.size()); }
    std::vector<std::pair<int, qint64>> got;
};

class GlobalHotKeyOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("TOBU_HOTKEY_CHILD"))
            GTEST_SKIP() << "runs on the private X display only";
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
        x11_ = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        ASSERT_NE(x11_, nullptr);
    }
    static void Key(const QString& keys) {
        ASSERT_EQ(QProcess::execute("xdotool", {"key", keys}), 0);
    }
    QNativeInterface::QX11Application* x11_ = nullptr;
};

TEST_F(GlobalHotKeyOnX, GrabbedCombinationArrivesWhateverTheLocks) {
    ASSERT_TRUE(GlobalHotKey::IsAvailable());
    GlobalHotKey hk;
    Presses spy(hk);
    // The id the bar uses comes from the hot key's atom.
    uint16_t atom = GlobalAddAtom("TobuClockDefineHotKey");
    int id = atom - 0xC000;
    ASSERT_GT(id, 0);
    ASSERT_TRUE(hk.Register(id, GlobalHotKey::Alt | GlobalHotKey::Ctrl, 'T'));
    EXPECT_FALSE(hk.Register(id, GlobalHotKey::Shift, 'Q'));   // id taken
    EXPECT_FALSE(hk.Register(id + 1, 0, 'T'));                 // no modifier
    EXPECT_FALSE(hk.Register(id + 1, 8, 'T'));                 // unknown modifier flag
    EXPECT_FALSE(hk.Register(id + 1, GlobalHotKey::Alt, '!')); // not a key of the options
    EXPECT_FALSE(hk.Register(0, GlobalHotKey::Alt, 'T'));

    Key("alt+ctrl+t");
    ASSERT_TRUE(spy.Wait(5000));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.got[0].first, id);
    EXPECT_EQ(spy.got[0].second, (qint64{84} << 16) | 3); // 'T' in the high word

    Key("Num_Lock");
    Key("alt+ctrl+t");
    Key("Num_Lock");
    Key("Caps_Lock");
    Key("alt+ctrl+t");
    Key("Caps_Lock");
    QElapsedTimer t;
    t.start();
    while (spy.count() < 3 && t.elapsed() < 5000) spy.Wait(100);
    EXPECT_EQ(spy.count(), 3);

    // Other modifiers are not this hot key.
    Key("alt+shift+t");
    Key("ctrl+t");
    spy.Wait(400);
    EXPECT_EQ(spy.count(), 3);

    EXPECT_TRUE(hk.Unregister(id));
    EXPECT_FALSE(hk.Unregister(id));
    Key("alt+ctrl+t");
    spy.Wait(400);
    EXPECT_EQ(spy.count(), 3);
    GlobalDeleteAtom(atom);
}

TEST_F(GlobalHotKeyOnX, CombinationHeldByAnotherClientFailsAndCompositorIsSeen) {
    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    ASSERT_FALSE(xcb_connection_has_error(other));
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    uint8_t q = XKeysymToKeycode(x11_->display(), 'q');
    ASSERT_NE(q, 0);
    xcb_generic_error_t* err = xcb_request_check(
        other, xcb_grab_key_checked(other, 1, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT, q,
                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    ASSERT_EQ(err, nullptr);

    GlobalHotKey hk;
    EXPECT_FALSE(hk.Register(5, GlobalHotKey::Ctrl | GlobalHotKey::Shift, 'Q'));
    EXPECT_TRUE(hk.Register(6, GlobalHotKey::Alt, 'Q')); // a different combination is free
    EXPECT_FALSE(hk.Unregister(5));

    // A compositing manager announces itself by owning _NET_WM_CM_S<screen>.
    EXPECT_FALSE(HasCompositingManager());
    xcb_window_t win = xcb_generate_id(other);
    xcb_create_window(other, XCB_COPY_FROM_PARENT, win, root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(other, xcb_intern_atom(other, 0, 13, "_NET_WM_CM_S0"), nullptr);
    ASSERT_NE(atom, nullptr);
    xcb_set_selection_owner(other, win, atom->atom, XCB_CURRENT_TIME);
    free(atom);
    free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));
    EXPECT_TRUE(HasCompositingManager());

    // Once the other client lets go, the combination can be had.
    xcb_ungrab_key(other, q, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT);
    free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));
    EXPECT_TRUE(hk.Register(5, GlobalHotKey::Ctrl | GlobalHotKey::Shift, 'Q'));
    xcb_disconnect(other);
    EXPECT_EQ(ScreenSize(), QSize(1280, 768));
}

} // namespace
} // namespace tobu
