#include "faces/qt/led_font_num_widget.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tobu {

TLEDFontNum::TLEDFontNum(QWidget* parent) : QWidget(parent) {
    resize(led_.Width(), led_.Height());
    // The picture covers the whole control, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TLEDFontNum::syncSize() {
    led_.SetSize(width(), height());
}

void TLEDFontNum::apply(unsigned change) {
    if (change & kLedResize) resize(led_.Width(), led_.Height());
    if (!(change & (kLedRepaint | kLedDrawNow)) || !isVisible()) return;
    // Each drawing fits the control to its text first when AutoSize is on.
    if (led_.ApplyAutoSize() & kLedResize) resize(led_.Width(), led_.Height());
    if (change & kLedDrawNow)
        repaint();
    else
        update();
}

void TLEDFontNum::setOffSetX(int value) {
    syncSize();
    apply(led_.SetOffSetX(value));
}
void TLEDFontNum::setOffSetY(int value) {
    syncSize();
    apply(led_.SetOffSetY(value));
}
void TLEDFontNum::setWordWidth(int value) {
    syncSize();
    apply(led_.SetWordWidth(value));
}
void TLEDFontNum::setWordHeight(int value) {
    syncSize();
    apply(led_.SetWordHeight(value));
}
void TLEDFontNum::setThick(int value) {
    syncSize();
    apply(led_.SetThick(value));
}
void TLEDFontNum::setSpace(int value) {
    syncSize();
    apply(led_.SetSpace(value));
}
void TLEDFontNum::setText(const QString& value) {
    syncSize();
    apply(led_.SetText(value.toStdString()));
}
void TLEDFontNum::setBGColor(TColor value) {
    syncSize();
    apply(led_.SetBGColor(value));
}
void TLEDFontNum::setLightColor(TColor value) {
    syncSize();
    apply(led_.SetLightColor(value));
}
void TLEDFontNum::setDarkColor(TColor value) {
    syncSize();
    apply(led_.SetDarkColor(value));
}
void TLEDFontNum::setAutoSize(bool value) {
    syncSize();
    apply(led_.SetAutoSize(value));
}
void TLEDFontNum::setDrawDarkColor(bool value) {
    syncSize();
    apply(led_.SetDrawDarkColor(value));
}

bool TLEDFontNum::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip && !showHint_) {
        e->ignore();
        return true;
    }
    return QWidget::event(e);
}

void TLEDFontNum::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    syncSize();
    if (led_.ApplyAutoSize() & kLedResize) resize(led_.Width(), led_.Height());
}

void TLEDFontNum::paintEvent(QPaintEvent*) {
    syncSize();
    led_.DrawDigits(picture_);
    if (picture_.Empty()) return;
    // Wrap the pixels as they are: 0xFFRRGGBB words are Format_RGB32.
    const QImage image(reinterpret_cast<const uchar*>(picture_.pixels.data()), picture_.width,
                       picture_.height, picture_.width * 4, QImage::Format_RGB32);
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}

// Mouse presses, moves and releases travel on to the parent (the bar drags itself when the
// display is pressed); the display only watches them to report clicks.
void TLEDFontNum::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) pressed_ = true;
    e->ignore();
}

void TLEDFontNum::mouseReleaseEvent(QMouseEvent* e) {
    const bool click =
        pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    if (e->button() == Qt::LeftButton) pressed_ = false;
    e->ignore();
    if (click) emit clicked();
}

void TLEDFontNum::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        pressed_ = false; // the release that ends a double click is no click of its own
        emit doubleClicked();
    }
    e->ignore();
}

} // namespace tobu
