#include "platform/qt/color_key.h"

#include <QVector>

namespace tobu {

namespace {

QImage AsRgb32(const QImage& image) {
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
        return image;
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

QRegion ColorKeyRegion(const QImage& image, QRgb key) {
    QImage img = AsRgb32(image);
    const QRgb want = key & 0xFFFFFF;
    // One rectangle per run of shown pixels in a row, in y-then-x order as QRegion::setRects
    // takes it; a row whose runs repeat the row above extends that band instead, which keeps
    // the region compact (a plain picture is one rectangle).
    QVector<QRect> runs;
    qsizetype band_start = 0; // first run of the previous row's band
    QVector<QRect> row_runs;
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        int x = 0;
        const int w = img.width();
        row_runs.clear();
        while (x < w) {
            while (x < w && (row[x] & 0xFFFFFF) == want) ++x;
            int start = x;
            while (x < w && (row[x] & 0xFFFFFF) != want) ++x;
            if (x > start) row_runs.append(QRect(start, y, x - start, 1));
        }
        if (row_runs.isEmpty()) {
            band_start = runs.size();
            continue;
        }
        bool same = band_start < runs.size() && runs.size() - band_start == row_runs.size() &&
                    runs[band_start].bottom() == y - 1;
        for (qsizetype i = 0; same && i < row_runs.size(); ++i)
            same = runs[band_start + i].left() == row_runs[i].left() &&
                   runs[band_start + i].width() == row_runs[i].width();
        if (same) {
            for (qsizetype i = band_start; i < runs.size(); ++i) runs[i].setBottom(y);
        } else {
            band_start = runs.size();
            runs += row_runs;
        }
    }
    QRegion region;
    if (!runs.isEmpty()) region.setRects(runs.constData(), static_cast<int>(runs.size()));
    return region;
}

QBitmap ColorKeyBitmap(const QImage& image, QRgb key) {
    QImage img = AsRgb32(image);
    QImage mono(img.size(), QImage::Format_MonoLSB);
    if (mono.isNull()) return QBitmap();
    // Index 1 is black, which a bitmap takes as set (Qt::color1).
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mono.fill(0);
    const QRgb want = key & 0xFFFFFF;
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((row[x] & 0xFFFFFF) != want) mono.setPixel(x, y, 1);
    }
    return QBitmap::fromImage(mono);
}

} // namespace tobu
