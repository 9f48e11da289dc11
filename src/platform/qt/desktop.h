// What the desktop offers: the primary screen's size and work area, and the capabilities the
// program adapts to (a system tray, a compositing manager).
#pragma once

#include <QRect>
#include <QSize>

namespace tobu {

QSize ScreenSize(); // the primary screen, empty without one
QRect WorkArea();   // the primary screen less panels and docks
bool HasSystemTray();
// True when a compositing manager runs (the X selection _NET_WM_CM_S<screen> has an owner);
// always false off X11.
bool HasCompositingManager();

} // namespace tobu
