// What the desktop offers: the primary screen's size and work area, and the capabilities the
// program adapts to (a system tray, a compositing manager).
#pragma once

#include <QRect>
#include <QSize>

class QWindow;

namespace tobu {

QSize ScreenSize(); // the primary screen, empty without one
QRect WorkArea();   // the primary screen less panels and docks
bool HasSystemTray();
// Clears a top-level window's X11 hint to start minimised (WM_HINTS initial state). A window
// manager that restores a minimised window leaves the hint as it was, so the window would come
// back minimised the next time it is shown. Does nothing off X11 or without a native window.
void ClearStartMinimizedHint(QWindow* window);
// True when a compositing manager runs (the X selection _NET_WM_CM_S<screen> has an owner);
// always false off X11.
bool HasCompositingManager();

} // namespace tobu
