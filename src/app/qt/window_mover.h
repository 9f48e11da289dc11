// Moves a window by dragging one of its handle widgets. The program moves its own windows so
// that every step can be adjusted (window snapping): a left press enters the size-move loop,
// each mouse move proposes a rectangle that the moving callback may change, the release
// leaves the loop.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <functional>

class QWidget;

namespace tobu {

// Where a visible top-level window's frame really is on the screen (NativeWindowPos less the
// frame), else where the toolkit has it.
QPoint RealWindowPos(const QWidget* window);
// Brings the toolkit's place of a visible top-level window up to date with where the window
// system has it; true when it was out of date. Not while the window is dragged (its own moves
// are still on their way to the window system then). The bar, its companions and their
// position saving use the toolkit's place, which a window manager can leave stale after
// taking a window in.
bool SyncWindowPos(QWidget* window);
// Looks `delay_ms` from now whether the toolkit's place of the window is stale and brings it up
// to date: only when both places then hold still for a short while, so a move on its way to the
// window system is never taken back. One round trip when the places agree.
void CheckWindowPlaceLater(QWidget* window, int delay_ms);
// When the windows check their places after being shown.
inline constexpr int kCheckPlaceMs = 1000;

class WindowMover : public QObject {
    Q_OBJECT
public:
    explicit WindowMover(QWidget* window);
    void AddHandle(QWidget* handle);
    bool Moving() const { return moving_; }
    // The cursor in screen coordinates at the press or the latest move of the drag.
    QPoint Cursor() const { return cursor_; }

    std::function<void()> onEnterSizeMove;
    std::function<void(QRect& proposed)> onMoving;
    std::function<void()> onExitSizeMove;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    bool moving_ = false;
    QPoint press_global_;
    QPoint cursor_;
    QPoint start_pos_;
};

} // namespace tobu
