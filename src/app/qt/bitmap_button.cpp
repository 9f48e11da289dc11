#include "app/qt/bitmap_button.h"

#include <QMouseEvent>
#include <QPainter>

namespace tobu {

QImage ColorKeyed(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((row[x] & 0xFFFFFF) == 0xFF00FF) row[x] = 0;
    }
    return out;
}

TBitmapButton::TBitmapButton(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::ArrowCursor);
}

void TBitmapButton::SetPictures(const QImage& normal, const QImage& hot) {
    normal_ = QPixmap::fromImage(ColorKeyed(normal));
    hot_picture_ = QPixmap::fromImage(ColorKeyed(hot.isNull() ? normal : hot));
    update();
}

void TBitmapButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap& pm = hot_ ? hot_picture_ : normal_;
    if (!pm.isNull()) p.drawPixmap(pressed_ ? 1 : 0, pressed_ ? 1 : 0, pm);
}

void TBitmapButton::enterEvent(QEnterEvent*) {
    hot_ = true;
    update();
}

void TBitmapButton::leaveEvent(QEvent*) {
    hot_ = false;
    pressed_ = false;
    update();
}

void TBitmapButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        pressed_ = true;
        update();
    }
}

void TBitmapButton::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    update();
    if (rect().contains(e->position().toPoint())) emit clicked();
}

} // namespace tobu
