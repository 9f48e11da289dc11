// A flat panel with a one-pixel border in its own colour and an optional centred caption:
// the frame around the LED, and the plain-text clock when the LED is switched off.
#pragma once

#include <QColor>
#include <QWidget>

namespace tobu {

class TFlatPanel : public QWidget {
    Q_OBJECT
public:
    explicit TFlatPanel(QWidget* parent = nullptr);
    void SetBorderColor(const QColor& c);
    QColor BorderColor() const { return border_; }
    void SetCaption(const QString& text);
    QString Caption() const { return caption_; }
    void SetCaptionColor(const QColor& c);
    void SetShowCaption(bool on);
    bool ShowsCaption() const { return show_caption_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor border_{0x30, 0x80, 0xD0};
    QColor caption_color_{Qt::white};
    QString caption_;
    bool show_caption_ = false;
};

} // namespace tobu
