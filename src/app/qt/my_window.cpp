#include "app/qt/my_window.h"

#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QRegion>

#include "app/chrome.h"
#include "app/qt/bitmap_button.h"
#include "app/qt/window_mover.h"

namespace tobu {

QImage ToQImage(const Bitmap32& bmp) {
    if (bmp.Empty()) return {};
    QImage img(bmp.width, bmp.height, QImage::Format_ARGB32);
    for (int y = 0; y < bmp.height; ++y)
        std::copy(bmp.Row(y), bmp.Row(y) + bmp.width, reinterpret_cast<QRgb*>(img.scanLine(y)));
    return img;
}

Bitmap32 FromQImage(const QImage& src) {
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    Bitmap32 out(img.width(), img.height());
    for (int y = 0; y < out.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        std::copy(row, row + out.width, out.Row(y));
    }
    return out;
}

QImage KeyedImage(const Bitmap32& bmp, TColor key) {
    QImage img = ToQImage(bmp);
    const QRgb k = ColorToPixel(key) & 0x00FFFFFFu;
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            row[x] = (row[x] & 0x00FFFFFFu) == k ? 0 : (row[x] | 0xFF000000u);
    }
    return img;
}

// --- TMyWindow --------------------------------------------------------------------------------

namespace {

// Keeps the frame picture, the close button, the drag strip and the shape in step with the
// form's size.
class FrameKeeper : public QObject {
public:
    FrameKeeper(QWidget* form, const TMyWindow& frame, QString caption, QLabel* image,
                TBitmapButton* close, QWidget* strip)
        : QObject(form), form_(form), frame_(frame), caption_(std::move(caption)), image_(image),
          close_(close), strip_(strip) {
        form->installEventFilter(this);
        Layout();
    }

    void Layout() {
        const int w = form_->width(), h = form_->height();
        image_->setGeometry(0, 0, w, h);
        image_->setPixmap(QPixmap::fromImage(frame_.FramePicture(w, h, caption_)));
        image_->lower();
        const TPoint p = CloseButtonPos(w, close_->width());
        close_->move(p.x, p.y);
        close_->raise();
        if (strip_) {
            strip_->setGeometry(0, 0, w, kCaptionStripHeight);
            strip_->raise();
            close_->raise(); // the strip must not swallow the close button's clicks
        }
        const Bitmap8 m = RoundRectMask(w, h);
        QRegion shape;
        for (int y = 0; y < m.height; ++y) {
            int x = 0;
            while (x < m.width) {
                while (x < m.width && !m.At(x, y)) ++x;
                int start = x;
                while (x < m.width && m.At(x, y)) ++x;
                if (x > start) shape += QRect(start, y, x - start, 1);
            }
        }
        form_->setMask(shape);
    }

    bool eventFilter(QObject* o, QEvent* e) override {
        // A hidden form gets its resize event only when it is shown.
        if (o == form_ && (e->type() == QEvent::Resize || e->type() == QEvent::Show)) Layout();
        return false;
    }

private:
    QWidget* form_;
    const TMyWindow frame_; // own copy: the bar may replace its frame while a dialog is open
    QString caption_;
    QLabel* image_;
    TBitmapButton* close_;
    QWidget* strip_;
};

Bitmap32 PlainFramePicture() {
    // Caption strip 28 rows in a steel-blue gradient, a light body, a darker one-pixel rim.
    Bitmap32 f(100, 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) {
            TColor c;
            if (y < 28) {
                int v = 235 - y * 2;
                c = RGBColor(v - 40, v - 15, v);
            } else {
                c = RGBColor(244, 246, 249);
            }
            if (x == 0 || y == 0 || x == 99 || y == 49) c = RGBColor(90, 110, 140);
            f.At(x, y) = ColorToPixel(c);
        }
    return f;
}

Bitmap32 PlainCloseButton(bool hot) {
    Bitmap32 b(43, 17, ColorToPixel(kClFuchsia));
    const TColor bg = hot ? RGBColor(200, 60, 50) : RGBColor(150, 165, 190);
    for (int y = 1; y < 16; ++y)
        for (int x = 2; x < 41; ++x) b.At(x, y) = ColorToPixel(bg);
    for (int i = 0; i < 7; ++i) { // a white cross in the middle
        b.At(18 + i, 5 + i) = ColorToPixel(kClWhite);
        b.At(24 - i, 5 + i) = ColorToPixel(kClWhite);
        b.At(19 + i, 5 + i) = ColorToPixel(kClWhite);
        b.At(25 - i, 5 + i) = ColorToPixel(kClWhite);
    }
    return b;
}

} // namespace

TMyWindow::TMyWindow(TColor caption_color, const Bitmap32& frame, const Bitmap32& close,
                     const Bitmap32& close_hot)
    : caption_color_(caption_color), frame_(frame), close_(close), close_hot_(close_hot) {}

std::unique_ptr<TMyWindow> TMyWindow::FromSkin(const WinSkin& s) {
    return std::make_unique<TMyWindow>(s.caption_color, s.frame, s.close, s.close_hot);
}

std::unique_ptr<TMyWindow> TMyWindow::Plain() {
    return std::make_unique<TMyWindow>(RGBColor(255, 255, 255), PlainFramePicture(),
                                       PlainCloseButton(false), PlainCloseButton(true));
}

QImage TMyWindow::FramePicture(int w, int h, const QString& caption) const {
    QImage img = ToQImage(PaintFrame(frame_, w, h));
    if (img.isNull() || caption.isEmpty()) return img;
    // The caption's top comes from the height of the default 8-point font, then the text is
    // drawn in 宋体 10 pt bold.
    QFont measuring;
    measuring.setPointSize(8);
    const int text_h = QFontMetrics(measuring).height();
    QFont font(QStringLiteral("宋体"));
    font.setPointSize(10);
    font.setBold(true);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(QColor(ColorR(caption_color_), ColorG(caption_color_), ColorB(caption_color_)));
    p.drawText(QRect(kCaptionLeft, CaptionTop(text_h), std::max(w - kCaptionLeft, 1), 40),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption);
    return img;
}

void TMyWindow::ApplyFrame(QWidget* form, const QString& caption, bool drag_strip) const {
    if (!form) return;
    form->setWindowFlags(form->windowFlags() | Qt::FramelessWindowHint);
    form->setWindowTitle(caption);

    auto* image = new QLabel(form);
    image->setObjectName(QStringLiteral("FrameImage"));
    image->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* close = new TBitmapButton(form);
    close->setObjectName(QStringLiteral("FrameCloseButton"));
    close->SetPictures(ToQImage(close_), ToQImage(close_hot_));
    close->resize(std::max(close_.width, 1), std::max(close_.height, 1));
    close->setToolTip(QStringLiteral("关闭"));
    close->setFocusPolicy(Qt::NoFocus);
    QObject::connect(close, &TBitmapButton::clicked, form, [form] {
        if (auto* d = qobject_cast<QDialog*>(form))
            d->reject();
        else
            form->close();
    });

    QWidget* strip = nullptr;
    if (drag_strip) {
        strip = new QWidget(form); // no background of its own: the caption shows through
        strip->setObjectName(QStringLiteral("FrameDragStrip"));
        auto* mover = new WindowMover(form);
        mover->AddHandle(strip);
    }
    new FrameKeeper(form, *this, caption, image, close, strip);
}

void SkinDialog(const TMyWindow* frame, QWidget* form, const QString& caption, bool drag_strip) {
    if (frame) {
        frame->ApplyFrame(form, caption, drag_strip);
        return;
    }
    static const std::unique_ptr<TMyWindow> plain = TMyWindow::Plain();
    plain->ApplyFrame(form, caption, drag_strip);
}

} // namespace tobu
