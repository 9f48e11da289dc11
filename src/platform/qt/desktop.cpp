#include "platform/qt/desktop.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <cstdlib>
#include <string>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace tobu {

QSize ScreenSize() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

QRect WorkArea() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

bool HasSystemTray() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool HasCompositingManager() {
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) return false;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection() || !x11->display()) return false;
    xcb_connection_t* conn = x11->connection();
    std::string name = "_NET_WM_CM_S" + std::to_string(XDefaultScreen(x11->display()));
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        conn, xcb_intern_atom(conn, 1, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    if (!atom) return false;
    xcb_atom_t selection = atom->atom;
    free(atom);
    if (selection == XCB_ATOM_NONE) return false; // nobody ever created it
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(conn, xcb_get_selection_owner(conn, selection), nullptr);
    if (!owner) return false;
    bool owned = owner->owner != XCB_WINDOW_NONE;
    free(owner);
    return owned;
}

} // namespace tobu
