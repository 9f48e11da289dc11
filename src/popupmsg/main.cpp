// PopupMsg: shows the bar's notifications in popups at the bottom-right of the screen.
//
//   PopupMsg <bar handle>
//
// The bar starts it with its own endpoint's handle in decimal; the program registers its own
// endpoint with the bar and then lives until the bar says it is closing or disappears.
#include <QApplication>
#include <QFileInfo>
#include <cstdlib>

#include "platform/program_folder.h"
#include "platform/qt/fonts.h"
#include "popupmsg/popup_board.h"
#include "popupmsg/qt/popup_app.h"

using namespace tobu;

int main(int argc, char** argv) {
    auto bar = argc == 2 ? ParseBarHandle(argv[1]) : std::nullopt;
    if (!bar) return 2;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "xcb", 1);
    // The windows are small and repaint often (the date line's fade, the second hand): shared
    // memory images make the X server answer every repaint with a completion event, which wakes
    // the program two or three more times a repaint than plain image requests do.
    if (!std::getenv("QT_XCB_NO_MITSHM")) setenv("QT_XCB_NO_MITSHM", "1", 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PopupMsg"));
    QApplication::setQuitOnLastWindowClosed(false);
    InstallFontSubstitutions();

    std::string appDir =
        QFileInfo(QCoreApplication::applicationFilePath()).absolutePath().toStdString();
    if (appDir.empty() || appDir.back() != '/') appDir += '/';
    appDir = ProgramFolderFor(appDir); // the user's folder of an installed package

    PopupApp popups(*bar, appDir, PopupApp::DesktopServices());
    if (!popups.Start()) return 1;
    return QApplication::exec();
}
