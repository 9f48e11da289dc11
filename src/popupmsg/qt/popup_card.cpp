#include "popupmsg/qt/popup_card.h"

#include <QBitmap>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <algorithm>

namespace tobu {

namespace {

constexpr int kRadius = 9;
constexpr int kPad = 14;
constexpr int kTitleHeight = 30;
constexpr int kFooterHeight = 22;
constexpr int kMaxLaidOutChars = 4000;

QFont TitleFont() {
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(13);
    f.setBold(true);
    return f;
}

QFont BodyFont() {
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(14);
    return f;
}

QFont SmallFont() {
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(11);
    return f;
}

// Lays the text out in `width` pixels: words wrap, a word longer than a line breaks anywhere,
// "\n" starts a new line. Returns the height used.
int LayoutBody(QTextLayout& layout, const QString& text, int width) {
    // More than a full card of text is never seen; laying it all out would only cost time.
    QString t = text.left(kMaxLaidOutChars);
    t.replace(QLatin1Char('\n'), QChar::LineSeparator);
    layout.setText(t);
    layout.setFont(BodyFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QFontMetrics fm(BodyFont());
    int leading = std::max(3, fm.leading());
    qreal y = 0;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height() + leading;
    }
    layout.endLayout();
    return static_cast<int>(y);
}

int BodyWidth() {
    return TPopupCard::kWidth - 2 * kPad;
}

} // namespace

TPopupCard::TPopupCard(int id, const QString& text, const QString& arrived)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      id_(id), text_(text), arrived_(arrived) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The window's name carries the first line, for the window list and accessibility tools.
    QString first = text.section(QLatin1Char('\n'), 0, 0).left(60);
    setWindowTitle(first.isEmpty() ? QStringLiteral("Tobu桌面时钟")
                                   : QStringLiteral("Tobu桌面时钟 - ") + first);
    setCursor(Qt::PointingHandCursor);
    resize(kWidth, HeightFor(text));
}

int TPopupCard::HeightFor(const QString& text) {
    QTextLayout layout;
    int body = LayoutBody(layout, text, BodyWidth());
    int h = kTitleHeight + 10 + body + kFooterHeight + 4;
    return std::clamp(h, kMinHeight, kMaxHeight);
}

void TPopupCard::resizeEvent(QResizeEvent*) {
    // The rounded shape, so the corners show the desktop without a compositing manager.
    QBitmap mask(size());
    mask.fill(Qt::color0);
    QPainter p(&mask);
    p.setBrush(Qt::color1);
    p.setPen(Qt::color1);
    p.drawRoundedRect(QRect(0, 0, width() - 1, height() - 1), kRadius, kRadius);
    p.end();
    setMask(mask);
}

void TPopupCard::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    // Card: a deep blue gradient with a lighter rim.
    QLinearGradient bg(0, 0, 0, height());
    bg.setColorAt(0, QColor(0x2A, 0x52, 0x84));
    bg.setColorAt(1, QColor(0x12, 0x27, 0x44));
    p.setPen(QPen(QColor(0x6E, 0x9C, 0xD4), 1));
    p.setBrush(bg);
    p.drawRoundedRect(card, kRadius, kRadius);

    // Title strip with a small clock face.
    QPainterPath title;
    title.addRoundedRect(card.adjusted(1, 1, -1, 0), kRadius - 1, kRadius - 1);
    QPainterPath strip;
    strip.addRect(QRectF(0, 0, width(), kTitleHeight));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 28));
    p.drawPath(title.intersected(strip));
    QPointF c(kPad + 7, kTitleHeight / 2.0);
    p.setPen(QPen(QColor(0xF5, 0xC4, 0x51), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 6.5, 6.5);
    p.drawLine(c, c + QPointF(0, -4));
    p.drawLine(c, c + QPointF(3, 0));

    p.setFont(TitleFont());
    p.setPen(QColor(0xF2, 0xF6, 0xFC));
    p.drawText(QRect(kPad + 20, 0, width() - 2 * kPad - 40, kTitleHeight),
               Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Tobu桌面时钟"));
    // Close mark.
    QPointF x(width() - kPad - 4, kTitleHeight / 2.0);
    p.setPen(QPen(QColor(0xC8, 0xD8, 0xEC), 1.5));
    p.drawLine(x + QPointF(-4, -4), x + QPointF(4, 4));
    p.drawLine(x + QPointF(-4, 4), x + QPointF(4, -4));
    p.setPen(QPen(QColor(0x6E, 0x9C, 0xD4, 140), 1));
    p.drawLine(QPointF(kPad, kTitleHeight), QPointF(width() - kPad, kTitleHeight));

    // Body, clipped above the footer.
    const int bodyTop = kTitleHeight + 10;
    const int bodyBottom = height() - kFooterHeight - 2;
    QTextLayout layout;
    LayoutBody(layout, text_, BodyWidth());
    p.save();
    p.setClipRect(QRect(kPad, bodyTop, BodyWidth(), bodyBottom - bodyTop));
    p.setPen(QColor(0xEA, 0xF1, 0xFA));
    layout.draw(&p, QPointF(kPad, bodyTop));
    p.restore();

    p.setFont(SmallFont());
    p.setPen(QColor(0x9F, 0xB6, 0xD2));
    p.drawText(QRect(kPad, height() - kFooterHeight, width() - 2 * kPad, kFooterHeight - 4),
               Qt::AlignRight | Qt::AlignVCenter, arrived_);
}

void TPopupCard::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) emit clicked(id_);
}

} // namespace tobu
