#include "app/qt/flat_panel.h"

#include <QPainter>

namespace tobu {

TFlatPanel::TFlatPanel(QWidget* parent) : QWidget(parent) {}

void TFlatPanel::SetBorderColor(const QColor& c) {
    if (c == border_) return;
    border_ = c;
    update();
}

void TFlatPanel::SetCaption(const QString& text) {
    if (text == caption_) return;
    caption_ = text;
    if (show_caption_) update();
}

void TFlatPanel::SetCaptionColor(const QColor& c) {
    caption_color_ = c;
    if (show_caption_) update();
}

void TFlatPanel::SetShowCaption(bool on) {
    show_caption_ = on;
    update();
}

void TFlatPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (show_caption_) {
        p.fillRect(rect(), Qt::black);
        p.setPen(caption_color_);
        p.setFont(font());
        p.drawText(rect(), Qt::AlignCenter, caption_);
    }
    p.setPen(border_);
    p.drawRect(0, 0, width() - 1, height() - 1);
}

} // namespace tobu
