#include "platform/qt/desktop.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <cstring>
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

void ClearStartMinimizedHint(QWindow* window) {
    if (!window || !window->handle() || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return;
    xcb_connection_t* conn = x11->connection();
    auto id = static_cast<xcb_window_t>(window->winId());
    // WM_HINTS: nine 32-bit fields; the flags' StateHint bit (2) says the third holds the
    // initial state, where 1 is normal and 3 is minimised.
    constexpr uint32_t kStateHint = 2, kNormalState = 1, kIconicState = 3;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        conn, xcb_get_property(conn, 0, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 9), nullptr);
    if (!reply) return;
    if (reply->format == 32 && xcb_get_property_value_length(reply) >= 3 * 4) {
        uint32_t hints[9] = {};
        int n = std::min(xcb_get_property_value_length(reply) / 4, 9);
        std::memcpy(hints, xcb_get_property_value(reply), static_cast<size_t>(n) * 4);
        if ((hints[0] & kStateHint) && hints[2] == kIconicState) {
            hints[2] = kNormalState;
            xcb_change_property(conn, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_HINTS,
                                XCB_ATOM_WM_HINTS, 32, static_cast<uint32_t>(n), hints);
            xcb_flush(conn);
        }
    }
    free(reply);
}

std::optional<QPoint> NativeWindowPos(QWindow* window) {
    if (!window || !window->handle() || QGuiApplication::platformName() != QLatin1String("xcb"))
        return std::nullopt;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return std::nullopt;
    xcb_connection_t* conn = x11->connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
    if (!screen) return std::nullopt;
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        conn,
        xcb_translate_coordinates(conn, static_cast<xcb_window_t>(window->winId()), screen->root, 0,
                                  0),
        nullptr);
    if (!reply) return std::nullopt;
    const QPoint p(reply->dst_x, reply->dst_y);
    free(reply);
    return p;
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
