#include "popupmsg/qt/popup_card.h"

#include <QApplication>
#include <QBitmap>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tobu {

namespace {

constexpr int kRadius = 9;
constexpr int kPad = 14;
constexpr int kTitleHeight = 30;
constexpr int kFooterHeight = 22;
constexpr int kBodyTop = kTitleHeight + 10;
// Everything of a card but its body: title, gaps and footer.
constexpr int kChromeHeight = kBodyTop + kFooterHeight + 4;
constexpr int kFade = 18; // where more text lies, the body fades out over this many pixels

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

int LineLeading() {
    return std::max(3, QFontMetrics(BodyFont()).leading());
}

// Lays the text out in `width` pixels: words wrap, a word longer than a line breaks anywhere,
// "\n" starts a new line. Stops once more than `enough` pixels are used. Returns the height used.
int LayoutBody(QTextLayout& layout, const QString& text, int width,
               int enough = std::numeric_limits<int>::max()) {
    QString t = text;
    t.replace(QLatin1Char('\n'), QChar::LineSeparator);
    layout.setText(t);
    layout.setFont(BodyFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    int leading = LineLeading();
    qreal y = 0;
    layout.beginLayout();
    while (y <= enough) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height() + leading;
    }
    layout.endLayout();
    return static_cast<int>(std::ceil(y));
}

int BodyWidth() {
    return TPopupCard::kWidth - 2 * kPad;
}

} // namespace

TPopupCard::TPopupCard(int id, const QString& text, const QString& arrived)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      id_(id), text_(text), arrived_(arrived), body_(std::make_unique<QTextLayout>()) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The window's name carries the first line, for the window list and accessibility tools.
    QString first = text.section(QLatin1Char('\n'), 0, 0).left(60);
    setWindowTitle(first.isEmpty() ? QStringLiteral("Tobu桌面时钟")
                                   : QStringLiteral("Tobu桌面时钟 - ") + first);
    setCursor(Qt::PointingHandCursor);
    contentHeight_ = LayoutBody(*body_, text_, BodyWidth());
    lineStep_ = QFontMetrics(BodyFont()).height() + LineLeading();
    resize(kWidth, std::clamp(kChromeHeight + contentHeight_, kMinHeight, kMaxHeight));
}

TPopupCard::~TPopupCard() = default;

int TPopupCard::HeightFor(const QString& text) {
    QTextLayout layout;
    int body = LayoutBody(layout, text, BodyWidth(), kMaxHeight);
    return std::clamp(kChromeHeight + body, kMinHeight, kMaxHeight);
}

int TPopupCard::ViewHeight() const {
    return std::max(0, height() - kChromeHeight);
}

int TPopupCard::MaxScroll() const {
    return std::max(0, contentHeight_ - ViewHeight());
}

void TPopupCard::ScrollTo(int offset) {
    offset = std::clamp(offset, 0, MaxScroll());
    if (offset == scroll_) return;
    scroll_ = offset;
    update();
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

    PaintBody(p);

    p.setFont(SmallFont());
    p.setPen(QColor(0x9F, 0xB6, 0xD2));
    const QRect footer(kPad, height() - kFooterHeight, width() - 2 * kPad, kFooterHeight - 4);
    if (Scrollable())
        p.drawText(footer, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("滚轮或拖动查看全文"));
    p.drawText(footer, Qt::AlignRight | Qt::AlignVCenter, arrived_);
}

void TPopupCard::PaintBody(QPainter& p) {
    const int view = ViewHeight();
    if (view <= 0) return;
    // The visible lines go to a picture of their own so that its edges can fade out.
    const qreal dpr = devicePixelRatioF();
    QImage body(QSize(BodyWidth(), view) * dpr, QImage::Format_ARGB32_Premultiplied);
    body.setDevicePixelRatio(dpr);
    body.fill(Qt::transparent);
    QPainter b(&body);
    b.setRenderHint(QPainter::TextAntialiasing);
    b.setPen(QColor(0xEA, 0xF1, 0xFA));
    for (int i = 0; i < body_->lineCount(); ++i) {
        QTextLine line = body_->lineAt(i);
        if (line.y() + line.height() < scroll_) continue;
        if (line.y() > scroll_ + view) break;
        line.draw(&b, QPointF(0, -scroll_));
    }
    b.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    if (scroll_ > 0) {
        QLinearGradient g(0, 0, 0, kFade);
        g.setColorAt(0, QColor(0, 0, 0, 0));
        g.setColorAt(1, QColor(0, 0, 0, 255));
        b.fillRect(QRect(0, 0, BodyWidth(), kFade), g);
    }
    if (scroll_ < MaxScroll()) {
        QLinearGradient g(0, view - kFade, 0, view);
        g.setColorAt(0, QColor(0, 0, 0, 255));
        g.setColorAt(1, QColor(0, 0, 0, 0));
        b.fillRect(QRect(0, view - kFade, BodyWidth(), kFade), g);
    }
    b.end();
    p.drawImage(QPointF(kPad, kBodyTop), body);

    if (!Scrollable()) return;
    // Where the view is: a slim bar in the right margin.
    const qreal x = width() - kPad / 2.0 - 2;
    const qreal thumb = std::max(20.0, qreal(view) * view / contentHeight_);
    const qreal y = kBodyTop + (view - thumb) * scroll_ / MaxScroll();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 24));
    p.drawRoundedRect(QRectF(x, kBodyTop, 4, view), 2, 2);
    p.setBrush(QColor(0x9F, 0xC4, 0xEE, 200));
    p.drawRoundedRect(QRectF(x, y, 4, thumb), 2, 2);
}

void TPopupCard::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    pressed_ = true;
    dragging_ = false;
    pressAt_ = e->position().toPoint();
    pressScroll_ = scroll_;
}

void TPopupCard::mouseMoveEvent(QMouseEvent* e) {
    if (!pressed_) return;
    int dy = e->position().toPoint().y() - pressAt_.y();
    if (!dragging_ && Scrollable() && std::abs(dy) >= QApplication::startDragDistance()) {
        dragging_ = true;
        setCursor(Qt::ClosedHandCursor);
    }
    if (dragging_) ScrollTo(pressScroll_ - dy);
}

void TPopupCard::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (dragging_) {
        // A drag reads on; only a click closes.
        dragging_ = false;
        setCursor(Qt::PointingHandCursor);
        return;
    }
    emit clicked(id_);
}

void TPopupCard::wheelEvent(QWheelEvent* e) {
    if (!Scrollable()) {
        e->ignore();
        return;
    }
    // Three lines a notch, or the pixels a touchpad reports.
    int delta =
        !e->pixelDelta().isNull() ? e->pixelDelta().y() : e->angleDelta().y() * 3 * lineStep_ / 120;
    ScrollTo(scroll_ - delta);
    e->accept();
}

void TPopupCard::enterEvent(QEnterEvent*) {
    emit hovered(id_, true);
}

void TPopupCard::leaveEvent(QEvent*) {
    emit hovered(id_, false);
}

} // namespace tobu
