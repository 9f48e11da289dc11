#include "app/qt/magnetic_host.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindowStateChangeEvent>
#include <algorithm>

#include "app/qt/window_mover.h"

namespace tobu {

TRect ToTRect(const QRect& r) {
    return TRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

QRect ToQRect(const TRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

TMagneticWindows::TMagneticWindows(QObject* parent) : QObject(parent) {}

TMagneticWindows::~TMagneticWindows() {
    for (Known& k : known_) {
        k.widget->removeEventFilter(this);
        if (k.mover) {
            k.mover->onEnterSizeMove = nullptr;
            k.mover->onMoving = nullptr;
            k.mover->onExitSizeMove = nullptr;
        }
    }
}

MagneticWindow TMagneticWindows::Handle(const QWidget* window) {
    return reinterpret_cast<MagneticWindow>(window);
}

TMagneticWindows::Known* TMagneticWindows::Find(const QWidget* w) {
    for (Known& k : known_)
        if (k.widget == w) return &k;
    return nullptr;
}

const TMagneticWindows::Known* TMagneticWindows::Find(MagneticWindow w) const {
    for (const Known& k : known_)
        if (Handle(k.widget) == w) return &k;
    return nullptr;
}

bool TMagneticWindows::Register(Known& k) {
    return magnetic_.AddWindow(Handle(k.widget), Handle(k.parent), k.callback);
}

bool TMagneticWindows::Attach(QWidget* window, QWidget* parent, WindowMover* mover) {
    if (!window || Find(window)) return false;
    if (parent && !Find(parent)) return false;
    known_.push_back(Known{window, parent, mover, nullptr});
    if (!Register(known_.back())) {
        known_.pop_back();
        return false;
    }
    window->installEventFilter(this);
    connect(window, &QObject::destroyed, this, [this](QObject* o) { Forget(o); });
    if (mover) {
        // A left press starts the move, each mouse move proposes a rectangle that the
        // snapping may change, the release ends the move.
        mover->onEnterSizeMove = [this, window, mover] {
            // The docked windows move by the offsets they have now. A window the window manager
            // just took back in (shown again after the tray) may still have an old place in the
            // toolkit for a moment; read the real one first.
            for (Known& other : known_)
                if (other.widget != window && other.widget->isVisible())
                    SyncWindowPos(other.widget);
            MagneticMessage m;
            m.event = MagneticEvent::EnterSizeMove;
            QScreen* screen =
                window->screen() ? window->screen() : QGuiApplication::primaryScreen();
            if (screen) m.work_area = ToTRect(screen->availableGeometry());
            m.cursor = TPoint{mover->Cursor().x(), mover->Cursor().y()};
            bool handled = false;
            Send(window, m, handled);
        };
        mover->onMoving = [this, window, mover](QRect& proposed) {
            MagneticMessage m;
            m.event = MagneticEvent::Moving;
            m.rect = ToTRect(proposed);
            m.cursor = TPoint{mover->Cursor().x(), mover->Cursor().y()};
            bool handled = false;
            Send(window, m, handled);
            if (handled) proposed = ToQRect(m.rect);
        };
        mover->onExitSizeMove = [this, window] {
            MagneticMessage m;
            m.event = MagneticEvent::ExitSizeMove;
            bool handled = false;
            Send(window, m, handled);
        };
    }
    return true;
}

bool TMagneticWindows::Detach(QWidget* window) {
    Known* k = Find(window);
    if (!k) return false;
    window->removeEventFilter(this);
    disconnect(window, &QObject::destroyed, this, nullptr);
    if (k->mover) {
        k->mover->onEnterSizeMove = nullptr;
        k->mover->onMoving = nullptr;
        k->mover->onExitSizeMove = nullptr;
    }
    for (Known& other : known_)
        if (other.parent == window) other.parent = nullptr;
    known_.erase(known_.begin() + (k - known_.data()));
    return magnetic_.RemoveWindow(Handle(window));
}

void TMagneticWindows::Forget(QObject* widget) {
    // The widget is being destroyed: only its address is used from here on.
    auto it = std::find_if(known_.begin(), known_.end(),
                           [widget](const Known& k) { return k.widget == widget; });
    if (it == known_.end()) return;
    const MagneticWindow h = Handle(it->widget);
    known_.erase(it);
    for (Known& other : known_)
        if (Handle(other.parent) == h) other.parent = nullptr;
    magnetic_.RemoveWindow(h);
}

void TMagneticWindows::ReRegister(QWidget* top, const std::function<void()>& recreate) {
    std::vector<Known*> docked;
    for (Known& k : known_)
        if (k.parent == top) docked.push_back(&k);
    for (Known* k : docked) magnetic_.RemoveWindow(Handle(k->widget));
    const bool had = Find(top) != nullptr;
    if (had) magnetic_.RemoveWindow(Handle(top));
    if (recreate) recreate();
    if (!had) return;
    Known* t = Find(top);
    t->parent = nullptr;
    Register(*t);
    for (Known* k : docked) Register(*k);
}

void TMagneticWindows::SysCommand(QWidget* window, MagneticSysCommand command) {
    MagneticMessage m;
    m.event = MagneticEvent::SysCommand;
    m.sys_command = command;
    bool handled = false;
    Send(window, m, handled);
}

void TMagneticWindows::Send(QWidget* window, MagneticMessage& message, bool& handled) {
    handled = false;
    const Known* k = Find(window);
    if (!k || !k->callback || !magnetic_.IsRegistered(Handle(window))) return;
    if (!k->callback(Handle(window), message, handled)) handled = false;
}

bool TMagneticWindows::eventFilter(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return false;
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide: {
        MagneticMessage m;
        m.event = MagneticEvent::PosChanged;
        m.shown_or_hidden = true;
        bool handled = false;
        Send(w, m, handled);
        break;
    }
    case QEvent::WindowStateChange: {
        auto* e = static_cast<QWindowStateChangeEvent*>(event);
        const bool was = e->oldState().testFlag(Qt::WindowMinimized);
        const bool now = w->isMinimized();
        if (was != now)
            SysCommand(w, now ? MagneticSysCommand::Minimize : MagneticSysCommand::Restore);
        break;
    }
    default:
        break;
    }
    return false;
}

bool TMagneticWindows::IsWindow(MagneticWindow w) const {
    const Known* k = Find(w);
    return k && k->widget->isWindow();
}

bool TMagneticWindows::IsVisible(MagneticWindow w) const {
    const Known* k = Find(w);
    return k && k->widget->isVisible() && !k->widget->isMinimized();
}

bool TMagneticWindows::IsMaximized(MagneticWindow w) const {
    const Known* k = Find(w);
    return k && k->widget->isMaximized();
}

TRect TMagneticWindows::WindowRect(MagneticWindow w) const {
    const Known* k = Find(w);
    return k ? ToTRect(k->widget->frameGeometry()) : TRect{};
}

void TMagneticWindows::MoveWindows(const std::vector<std::pair<MagneticWindow, TPoint>>& moves) {
    for (const auto& [w, p] : moves)
        if (const Known* k = Find(w)) k->widget->move(p.x, p.y);
}

} // namespace tobu
