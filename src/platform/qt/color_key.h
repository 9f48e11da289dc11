// Colour-key transparency: a window shows only the pixels of its picture that are not the key
// colour (magenta, 0xFF00FF), by setting the mask built here.
#pragma once

#include <QBitmap>
#include <QImage>
#include <QRegion>

namespace tobu {

constexpr QRgb kColorKey = 0xFF00FF; // compared on red, green and blue only

// The region of all pixels whose colour differs from the key.
QRegion ColorKeyRegion(const QImage& image, QRgb key = kColorKey);
// The same as a bitmap: set (Qt::color1) where the pixel is shown.
QBitmap ColorKeyBitmap(const QImage& image, QRgb key = kColorKey);

} // namespace tobu
