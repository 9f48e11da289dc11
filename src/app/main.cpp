// The program's entry: one instance per desktop, then the bar and the message loop.
//
//   TobuClock [/hide] [--minimized]
//
// "/hide" as the first argument (with the setting OnStartHide) sends the program to the tray
// shortly after start; --minimized starts it in the tray without showing the bar at all.
#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <cstring>

#include "app/qt/clock_binding.h"
#include "app/qt/date_line_binding.h"
#include "app/qt/desktop_services.h"
#include "app/qt/frm_led.h"
#include "app/qt/online_binding.h"
#include "app/qt/sound_binding.h"
#include "app/qt/weather_binding.h"
#include "app/start_up.h"
#include "platform/instance_slot.h"
#include "platform/qt/fonts.h"
#include "platform/qt/qt_endpoint.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_shell.h"

using namespace tobu;

int main(int argc, char** argv) {
    // Drop shadows on every window.
    ShadowsEnabled = true;
    std::string firstArgument = argc > 1 ? argv[1] : "";
    bool minimizedStart = false;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--minimized") == 0) minimizedStart = true;
    // Window positions, shapes and global keys need X11; tests choose their own platform.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "xcb", 1);

    // The weather page's browser shares the toolkit's drawing contexts; without this set
    // before the application object, loading the engine later would crash the clock.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The application object and its title.
    QApplication app(argc, argv);
    // Only the name: a display name would be appended to every window title ("警告 — …").
    QApplication::setApplicationName(QString::fromUtf8("Tobu桌面时钟"));
    QApplication::setQuitOnLastWindowClosed(false);
    InstallFontSubstitutions();
    AppDir = CurrentAppDir();

    // The application window other processes address: its endpoint exists before the bar, so
    // a second start that arrives early still finds it.
    QtEndpoint endpoint;
    WindowHandle handle = endpoint.Create();
    TFrmLED* bar = nullptr;
    endpoint.SetHandler(
        [&](const Message& m) -> int64_t { return bar ? bar->HandleMessage(m) : 0; });

    // A second copy restores the first and ends without a window.
    InstanceSlot slot = InstanceSlot::Open();
    if (handle != 0 && AppAlreadyRunning(slot, handle)) return 0;

    // The bar; its creation runs the start-up sequence.
    GlobalHotKey hotKeys;
    QtHotKeySystem hotKeySystem(hotKeys);
    QtShellOpen shell;
    QtMessageBox messageBox;
    TFrmLED::Services services;
    services.clock = &SystemClock::Instance();
    services.hotKeys = &hotKeySystem;
    services.openFile = [&](const std::string& path) { return shell.Open(path); };
    services.warningBox = [&](const std::string& caption, const std::string& text) {
        messageBox.Show(caption, text, MsgIcon::Warning, MsgButtons::Ok);
    };
    TFrmLED frm(services, firstArgument);
    bar = &frm;
    frm.SetWindowHandle(handle);
    QObject::connect(&hotKeys, &GlobalHotKey::hotKey, &frm,
                     [&](int id, qint64 lparam) { frm.HandleHotKey(id, lparam); });
    SoundBinding* sound = BindSound(frm);
    DateLineBinding* dateLine = BindDateLineAndPopups(frm);
    BindClockWindow(frm, *services.clock);
    OnlineBinding* online = BindOnline(frm);
    BindWeatherWindow(frm, *services.clock, MakeWebEnginePage,
                      [online](const std::string& link) { online->OpenAdLink(link); });
    QObject::connect(sound, &SoundBinding::chimeMessage, dateLine, &DateLineBinding::ShowPopupText);
    frm.FormCreate();

    // Logout and kill close the bar in order, saving its state.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminate, &frm, [&] { frm.close(); });
    QObject::connect(&frm, &TFrmLED::closed, &app, [&] {
        frm.FormDestroy();
        QApplication::quit();
    });

    // Show the bar, or start minimised in the tray without showing it.
    if (minimizedStart)
        frm.MinimizeToTray();
    else
        frm.show();
    int rc = QApplication::exec();
    frm.FormDestroy();
    slot.Release(handle);
    return rc;
}
