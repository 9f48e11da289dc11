// The program's entry: one instance per desktop, then the bar and the message loop.
//
//   TobuClock [/hide] [--minimized] | --help | --version
//
// "/hide" as the first argument (with the setting OnStartHide) sends the program to the tray
// shortly after start; --minimized starts it in the tray without showing the bar at all.
#include <QApplication>
#include <QFont>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/qt/calendar_binding.h"
#include "app/qt/clock_binding.h"
#include "app/qt/date_line_binding.h"
#include "app/qt/desktop_services.h"
#include "app/qt/frm_led.h"
#include "app/qt/online_binding.h"
#include "app/qt/options_binding.h"
#include "app/qt/sound_binding.h"
#include "app/qt/task_binding.h"
#include "app/qt/time_binding.h"
#include "app/qt/weather_binding.h"
#include "app/start_up.h"
#include "platform/clock_setter.h"
#include "platform/instance_slot.h"
#include "platform/program_folder.h"
#include "platform/qt/fonts.h"
#include "platform/qt/qt_endpoint.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_shell.h"
#include "settings/clock_settings.h"
#include "timeservices/qt/sync_now.h"

using namespace tobu;

namespace {

// `TobuClock --help`, also the text of its manual page.
constexpr const char* kUsage =
    "Usage: TobuClock [/hide] [--minimized]\n"
    "A desktop clock with the Chinese lunar calendar (Tobu桌面时钟 " TOBU_VERSION ").\n\n"
    "  /hide          as the first argument, with the setting \"随系统启动时最小化\" (BAR\n"
    "                 OnStartHide) on: show the bar, then go to the tray about a second\n"
    "                 later (the autostart entry passes it)\n"
    "  --minimized    start in the tray without showing the bar\n"
    "  --help         show this text\n"
    "  --version      print the version\n\n"
    "One clock runs per desktop: a second start brings the running clock back on screen and\n"
    "ends. SIGTERM, SIGINT and SIGHUP close the clock in order, saving its state.\n\n"
    "Files: the clock reads and writes skin.ini, its skins (Skin/), clock faces (Clock/) and\n"
    "recordings (Sound/, MySound/) in the folder of its executable. Installed from the Debian\n"
    "package, that folder is /usr/lib/tobuclock/ and is shared: each user's own files are\n"
    "kept in $XDG_DATA_HOME/TobuClock/ (~/.local/share/TobuClock/), made on the first start.\n";

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("TobuClock " TOBU_VERSION);
        return 0;
    }
    // Drop shadows on every window.
    ShadowsEnabled = true;
    std::string firstArgument = argc > 1 ? argv[1] : "";
    bool minimizedStart = false;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--minimized") == 0) minimizedStart = true;
    // Window positions, shapes and global keys need X11; tests choose their own platform.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "xcb", 1);
    // The windows are small and repaint often (the date line's fade, the second hand): shared
    // memory images make the X server answer every repaint with a completion event, which wakes
    // the program two or three more times a repaint than plain image requests do.
    if (!std::getenv("QT_XCB_NO_MITSHM")) setenv("QT_XCB_NO_MITSHM", "1", 1);

    // The application object and its title.
    QApplication app(argc, argv);
    // Only the name: a display name would be appended to every window title ("警告 — …").
    QApplication::setApplicationName(QString::fromUtf8("Tobu桌面时钟"));
    QApplication::setQuitOnLastWindowClosed(false);
    InstallFontSubstitutions();
    // Menus, hints and message boxes in the windows' own 宋体: the toolkit's default would
    // load a second CJK font (about 4 MB) the first time a menu or the hover text shows.
    QApplication::setFont(QFont(QStringLiteral("宋体"), 9));
    // The executable's folder, or the user's own folder when that one is the shared,
    // read-only folder of the installed package.
    AppDir = ProgramFolderFor(CurrentAppDir());

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
    ClockBinding* clockWindow = BindClockWindow(frm, *services.clock);
    BindTimeServices(frm);
    OnlineBinding* online = BindOnline(frm);
    WeatherBinding* weather =
        BindWeatherWindow(frm, *services.clock, MakeWebEnginePage,
                          [online](const std::string& link) { online->OpenAdLink(link); });
    OptionsBinding* options = BindOptions(frm, clockWindow, dateLine, messageBox);
    // "立即校正": one attempt with the program folder's servers; the dialog shows the time.
    options->SetSyncNowRunner([&messageBox]() -> std::optional<std::string> {
        SyncOutcome out =
            RunSyncNow(AppDir, nullptr, nullptr, messageBox, SystemClockSetter::Instance());
        if (out.ok()) return out.checked;
        return std::nullopt;
    });
    BindTasks(frm);
    CalendarBinding* calendar = BindCalendarWindow(frm, {services.clock, &messageBox, nullptr});
    // A skin applied or an opacity changed in the options dialog reaches the calendar and the
    // weather page too.
    CompanionHooks hooks;
    hooks.reloadCalendarSkin = [calendar] {
        if (TFrmCalendar* c = calendar->FrmCalendar()) c->ReloadSkin();
    };
    hooks.setCalendarAlpha = [calendar](int alpha) {
        if (calendar->CalendarVisible()) calendar->FrmCalendar()->SetAlpha(alpha);
    };
    hooks.reloadWeatherSkin = [weather] {
        if (TFrmWeather* w = weather->FrmWeather())
            w->ReloadSkin(AppDir + "Skin/" + ReadClockSettings(AppDir + "skin.ini").skin.skin_file);
    };
    hooks.setWeatherAlpha = [weather](int alpha) {
        if (weather->WeatherVisible()) weather->FrmWeather()->SetOpacity(alpha);
    };
    options->SetCompanionHooks(hooks);
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
