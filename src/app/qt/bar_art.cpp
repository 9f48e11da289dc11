#include "app/qt/bar_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tobu {

namespace {

const QColor kMagenta(255, 0, 255);

void Glass(QPainter& p, const QRectF& r, qreal radius, const QColor& top, const QColor& bottom) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(0.48, top.darker(125));
    g.setColorAt(0.52, bottom.lighter(110));
    g.setColorAt(1, bottom);
    p.fillPath(path, g);
}

} // namespace

QImage DefaultBarBackground() {
    QImage img(332, 34, QImage::Format_RGB32);
    img.fill(kMagenta);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Rounded corners stay magenta so the colour key cuts them out; no antialiasing at the edge.
    QPainterPath outer;
    outer.addRoundedRect(QRectF(0, 0, 332, 34), 6, 6);
    QLinearGradient g(0, 0, 0, 34);
    g.setColorAt(0, QColor(0x4A, 0x8C, 0xD8));
    g.setColorAt(0.5, QColor(0x1E, 0x5A, 0xA8));
    g.setColorAt(0.51, QColor(0x12, 0x46, 0x8E));
    g.setColorAt(1, QColor(0x1C, 0x5C, 0xB0));
    p.fillPath(outer, g);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QColor(255, 255, 255, 70));
    p.drawLine(QPointF(6, 1.5), QPointF(326, 1.5));
    p.setPen(QColor(0, 0, 0, 90));
    p.drawLine(QPointF(6, 32.5), QPointF(326, 32.5));
    // A faint divider between the time and the date line.
    p.setPen(QColor(255, 255, 255, 50));
    p.drawLine(QPointF(171.5, 6), QPointF(171.5, 28));
    return img;
}

// The buttons are drawn on the piece of the background they cover, so their smoothed rims blend
// into the bar's own colours: no pixel of the colour key (or of a blend with it) remains.
QImage DefaultMenuButton(bool hot) {
    QImage img =
        DefaultBarBackground().copy(kDefaultMenuButtonPos.x(), kDefaultMenuButtonPos.y(), 43, 27);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    QColor top = hot ? QColor(0x8C, 0xC4, 0xFF) : QColor(0x5C, 0x9C, 0xE8);
    QColor bottom = hot ? QColor(0x2A, 0x7A, 0xE0) : QColor(0x18, 0x50, 0xA0);
    Glass(p, QRectF(0.5, 0.5, 42, 26), 5, top, bottom);
    p.setPen(QPen(QColor(255, 255, 255, 220), 2));
    for (int i = 0; i < 3; ++i) p.drawLine(QPointF(14, 8.5 + i * 5), QPointF(29, 8.5 + i * 5));
    return img;
}

QImage DefaultMinButton(bool hot) {
    QImage img =
        DefaultBarBackground().copy(kDefaultMinButtonPos.x(), kDefaultMinButtonPos.y(), 26, 9);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    QColor fill = hot ? QColor(0x6C, 0xB4, 0xFF) : QColor(0x2C, 0x6C, 0xC0);
    QPainterPath path;
    path.addRoundedRect(QRectF(0.5, 0.5, 25, 8), 3, 3);
    p.fillPath(path, fill);
    p.setPen(QPen(Qt::white, 1.5));
    p.drawLine(QPointF(9, 5), QPointF(17, 5));
    return img;
}

QIcon MenuIcon(int index) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor blue(0x1E, 0x64, 0xC8), red(0xD0, 0x30, 0x30), green(0x2C, 0x9C, 0x48),
        amber(0xE0, 0x9A, 0x10);
    switch (index) {
    case 0: { // options: a gear
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x55, 0x60, 0x70));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(8, 8);
            p.rotate(i * 45);
            p.drawRect(QRectF(-1.5, -7.5, 3, 4));
            p.restore();
        }
        p.drawEllipse(QPointF(8, 8), 5, 5);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 8), 2, 2);
        break;
    }
    case 1: // help: a question mark in a circle
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(Qt::white);
        p.setFont(QFont("DejaVu Sans", 8, QFont::Bold));
        p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, "?");
        break;
    case 2: // exit: a power symbol
        p.setPen(QPen(red, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(2.5, 3, 11, 11), 120 * 16, 300 * 16);
        p.drawLine(QPointF(8, 1.5), QPointF(8, 7.5));
        break;
    case 3: // about: an "i"
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 4.5), 1.3, 1.3);
        p.drawRect(QRectF(7, 7, 2, 6));
        break;
    case 4: { // home page: a house
        QPainterPath roof;
        roof.moveTo(8, 1.5);
        roof.lineTo(15, 8);
        roof.lineTo(1, 8);
        roof.closeSubpath();
        p.fillPath(roof, red);
        p.fillRect(QRectF(3, 8, 10, 6.5), QColor(0xF0, 0xE0, 0xC0));
        p.fillRect(QRectF(7, 10, 2.5, 4.5), QColor(0x80, 0x50, 0x20));
        break;
    }
    case 5: // scheduled tasks: an alarm clock
        p.setPen(QPen(amber.darker(130), 1.2));
        p.setBrush(QColor(0xFF, 0xF4, 0xD8));
        p.drawEllipse(QRectF(2, 3, 12, 12));
        p.setBrush(amber);
        p.drawEllipse(QRectF(0.5, 0.5, 4.5, 4.5));
        p.drawEllipse(QRectF(11, 0.5, 4.5, 4.5));
        p.setPen(QPen(Qt::black, 1.2));
        p.drawLine(QPointF(8, 9), QPointF(8, 5.5));
        p.drawLine(QPointF(8, 9), QPointF(10.5, 10));
        break;
    case 6: // calendar marks: a calendar page with a flag
        p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 12));
        p.fillRect(QRectF(2, 3, 12, 3.5), red);
        p.fillRect(QRectF(5, 9, 3, 3), blue);
        break;
    case 7: { // world time: a globe
        p.setPen(QPen(blue.darker(120), 1));
        p.setBrush(QColor(0x7C, 0xC0, 0xF0));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        break;
    }
    default:
        break;
    }
    return QIcon(pm);
}

QIcon TrayIcon(int index) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    QColor face = index == 0 ? QColor(0x1E, 0x64, 0xC8) : QColor(0xE0, 0x8A, 0x10);
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    p.drawEllipse(QRectF(1, 1, 30, 30));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(4, 4, 24, 24));
    p.setPen(QPen(face.darker(140), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 16), QPointF(16, 8));
    p.drawLine(QPointF(16, 16), QPointF(22, 19));
    return QIcon(pm);
}

} // namespace tobu
