#include "platform/qt/global_hotkey.h"

#include <QCoreApplication>
#include <QGuiApplication>

// The X headers come last: they define macros that clash with Qt names.
#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace tobu {

namespace {

// The lock modifiers a grab must also cover: none, Caps Lock, Num Lock (Mod2), both.
constexpr uint16_t kLockVariants[4] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                       XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr uint16_t kRelevantMods = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

QNativeInterface::QX11Application* X11() {
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    // Key lookup needs the Xlib display next to the xcb connection.
    if (!x11 || !x11->connection() || !x11->display()) return nullptr;
    return x11;
}

uint16_t XModsOf(unsigned mods) {
    uint16_t x = 0;
    if (mods & GlobalHotKey::Alt) x |= XCB_MOD_MASK_1;
    if (mods & GlobalHotKey::Ctrl) x |= XCB_MOD_MASK_CONTROL;
    if (mods & GlobalHotKey::Shift) x |= XCB_MOD_MASK_SHIFT;
    return x;
}

// The keysym of a virtual-key code: letters map to their lower-case keysym (the key itself).
unsigned long KeysymOf(unsigned vk) {
    if (vk >= 'A' && vk <= 'Z') return 'a' + (vk - 'A');
    if (vk >= '0' && vk <= '9') return vk;
    return 0;
}

xcb_window_t RootOf(QNativeInterface::QX11Application* x11) {
    return static_cast<xcb_window_t>(XDefaultRootWindow(x11->display()));
}

} // namespace

GlobalHotKey::GlobalHotKey(QObject* parent) : QObject(parent) {}

GlobalHotKey::~GlobalHotKey() {
    while (!grabs_.empty()) Unregister(grabs_.back().id);
    if (filter_installed_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool GlobalHotKey::IsAvailable() {
    return X11() != nullptr;
}

bool GlobalHotKey::Register(int id, unsigned mods, unsigned vk) {
    auto* x11 = X11();
    if (!x11 || id == 0 || mods == 0 || (mods & ~7u) != 0) return false;
    for (const Grab& g : grabs_)
        if (g.id == id) return false;
    unsigned long keysym = KeysymOf(vk);
    if (keysym == 0) return false;
    uint8_t keycode = XKeysymToKeycode(x11->display(), keysym);
    if (keycode == 0) return false;

    Grab grab{id, mods, vk, keycode, XModsOf(mods)};
    xcb_connection_t* conn = x11->connection();
    xcb_window_t root = RootOf(x11);
    for (int i = 0; i < 4; ++i) {
        xcb_void_cookie_t cookie =
            xcb_grab_key_checked(conn, 1, root, grab.xmods | kLockVariants[i], keycode,
                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(conn, cookie)) {
            free(error); // BadAccess: another client holds this combination
            Ungrab(grab, i);
            return false;
        }
    }
    grabs_.push_back(grab);
    if (!filter_installed_) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        filter_installed_ = true;
    }
    return true;
}

void GlobalHotKey::Ungrab(const Grab& grab, int variants) {
    auto* x11 = X11();
    if (!x11) return;
    xcb_window_t root = RootOf(x11);
    for (int i = 0; i < variants; ++i)
        xcb_ungrab_key(x11->connection(), grab.keycode, root, grab.xmods | kLockVariants[i]);
    xcb_flush(x11->connection());
}

bool GlobalHotKey::Unregister(int id) {
    for (auto it = grabs_.begin(); it != grabs_.end(); ++it) {
        if (it->id == id) {
            Ungrab(*it, 4);
            grabs_.erase(it);
            return true;
        }
    }
    return false;
}

bool GlobalHotKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (grabs_.empty() || eventType != "xcb_generic_event_t" || !message) return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_KEY_PRESS) return false;
    auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
    uint16_t mods = press->state & kRelevantMods;
    for (const Grab& g : grabs_) {
        if (g.keycode == press->detail && g.xmods == mods) {
            emit hotKey(g.id, static_cast<qint64>((g.vk << 16) | g.mods));
            return true;
        }
    }
    return false;
}

} // namespace tobu
