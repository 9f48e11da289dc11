// The bar's built-in pictures, used when no skin package is selected: background, the two
// picture buttons, the eight menu icons and the two tray icons.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPoint>

#include "base/bitmap.h"

namespace tobu {

// Where the bar's layout puts its two picture buttons.
constexpr QPoint kDefaultMenuButtonPos{8, 4};
constexpr QPoint kDefaultMinButtonPos{296, 1};
// The lit segments of the built-in look: the cyan of the shipped blue skin (0x00BBGGRR).
constexpr TColor kDefaultLedLightColor = 0xFFE26E;

QImage DefaultBarBackground();      // 332 × 34, magenta outside the rounded corners
QImage DefaultMenuButton(bool hot); // 43 × 27, opaque: drawn on the background at its place
QImage DefaultMinButton(bool hot);  // 26 × 9, opaque: drawn on the background at its place
// 0 options, 1 help, 2 exit, 3 about, 4 home page, 5 tasks, 6 calendar marks, 7 world time.
QIcon MenuIcon(int index);
QIcon TrayIcon(int index); // 0 and 1: the two pictures the tray animation swaps

} // namespace tobu
