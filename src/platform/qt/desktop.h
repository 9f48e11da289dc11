// What the desktop offers: the primary screen's size and work area, and the capabilities the
// program adapts to (a system tray, a compositing manager).
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

class QWindow;

namespace tobu {

QSize ScreenSize(); // the primary screen, empty without one
QRect WorkArea();   // the primary screen less panels and docks
bool HasSystemTray();
// Clears a top-level window's X11 hint to start minimised (WM_HINTS initial state). A window
// manager that restores a minimised window leaves the hint as it was, so the window would come
// back minimised the next time it is shown. Does nothing off X11 or without a native window.
void ClearStartMinimizedHint(QWindow* window);
// Where the X server has a native window's top-left corner, in screen coordinates (one round
// trip to the server); nullopt off X11 or without a native window. Under a window manager the
// toolkit can be left holding an old place for a window the manager took in (a race with the
// manager's frame), until the window moves again; this is the place the user sees.
std::optional<QPoint> NativeWindowPos(QWindow* window);
// True when a compositing manager runs (the X selection _NET_WM_CM_S<screen> has an owner);
// always false off X11.
bool HasCompositingManager();

} // namespace tobu
