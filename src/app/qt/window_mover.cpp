#include "app/qt/window_mover.h"

#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "platform/qt/desktop.h"

namespace tobu {

QPoint RealWindowPos(const QWidget* window) {
    if (!window || !window->isWindow() || !window->isVisible())
        return window ? window->pos() : QPoint();
    const std::optional<QPoint> client = NativeWindowPos(window->windowHandle());
    if (!client) return window->pos();
    // A frame the window manager added lies between the frame's corner and the client's.
    return *client - (window->geometry().topLeft() - window->pos());
}

namespace {

bool Dragged(const QWidget* window) {
    const auto* mover = window->findChild<WindowMover*>(QString(), Qt::FindDirectChildrenOnly);
    return mover && mover->Moving();
}

} // namespace

bool SyncWindowPos(QWidget* window) {
    if (!window || Dragged(window)) return false;
    const QPoint real = RealWindowPos(window);
    if (real == window->pos()) return false;
    window->move(real);
    return true;
}

void CheckWindowPlaceLater(QWidget* window, int delay_ms) {
    constexpr int kHoldStillMs = 250;
    QPointer<QWidget> w(window);
    QTimer::singleShot(delay_ms, window, [w] {
        if (!w || !w->isVisible() || Dragged(w)) return;
        const QPoint toolkit = w->pos();
        const QPoint real = RealWindowPos(w);
        if (real == toolkit) return;
        QTimer::singleShot(kHoldStillMs, w, [w, toolkit, real] {
            if (!w || !w->isVisible() || Dragged(w) || w->pos() != toolkit) return;
            if (RealWindowPos(w) == real) w->move(real);
        });
    });
}

WindowMover::WindowMover(QWidget* window) : QObject(window), window_(window) {}

void WindowMover::AddHandle(QWidget* handle) {
    handle->installEventFilter(this);
}

bool WindowMover::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton) return false;
        moving_ = true;
        press_global_ = e->globalPosition().toPoint();
        cursor_ = press_global_;
        // Where the window really is: the press's screen point less its point in the
        // window. After a window manager took the window in, the toolkit may still hold an
        // old position until the window moves; moving it to where it is brings it up to date.
        if (auto* handle = qobject_cast<QWidget*>(watched)) {
            const QPoint real = press_global_ - handle->mapTo(window_, e->position().toPoint());
            if (real != window_->pos()) window_->move(real);
        }
        start_pos_ = window_->pos();
        if (onEnterSizeMove) onEnterSizeMove();
        return false; // the handle still sees its click
    }
    case QEvent::MouseMove: {
        if (!moving_) return false;
        auto* e = static_cast<QMouseEvent*>(event);
        if (!(e->buttons() & Qt::LeftButton)) return false;
        cursor_ = e->globalPosition().toPoint();
        QPoint delta = cursor_ - press_global_;
        QRect proposed(start_pos_ + delta, window_->size());
        if (onMoving) onMoving(proposed);
        if (proposed.topLeft() != window_->pos()) window_->move(proposed.topLeft());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton || !moving_) return false;
        moving_ = false;
        if (onExitSizeMove) onExitSizeMove();
        return false;
    }
    default:
        break;
    }
    return false;
}

} // namespace tobu
