// TLEDFontNum: the seven-segment LED display as a widget. The drawing and the property rules
// live in tobu::LEDFontNum; this class forwards the properties, repaints when a change asks
// for it, and follows the size the display gives itself when AutoSize is on.
#pragma once

#include "faces/led_font_num.h"

#include <QImage>
#include <QString>
#include <QWidget>

namespace tobu {

class TLEDFontNum : public QWidget {
    Q_OBJECT

public:
    explicit TLEDFontNum(QWidget* parent = nullptr);

    int offSetX() const { return led_.OffSetX(); }
    int offSetY() const { return led_.OffSetY(); }
    int wordWidth() const { return led_.WordWidth(); }
    int wordHeight() const { return led_.WordHeight(); }
    int thick() const { return led_.Thick(); }
    int space() const { return led_.Space(); }
    QString text() const { return QString::fromStdString(led_.Text()); }
    TColor bgColor() const { return led_.BGColor(); }
    TColor lightColor() const { return led_.LightColor(); }
    TColor darkColor() const { return led_.DarkColor(); }
    bool autoSize() const { return led_.AutoSize(); }
    bool drawDarkColor() const { return led_.DrawDarkColor(); }
    bool showHint() const { return showHint_; }
    QString hint() const { return toolTip(); }

    void setOffSetX(int value);
    void setOffSetY(int value);
    void setWordWidth(int value);
    void setWordHeight(int value);
    void setThick(int value);
    void setSpace(int value);
    // Draws at once when the text changed; the same text again draws nothing.
    void setText(const QString& value);
    void setBGColor(TColor value);
    void setLightColor(TColor value);
    void setDarkColor(TColor value);
    void setAutoSize(bool value);
    void setDrawDarkColor(bool value);
    // The hover text, shown as a tooltip while showHint is on.
    void setHint(const QString& value) { setToolTip(value); }
    void setShowHint(bool value) { showHint_ = value; }

    // The logic behind the widget, for reading (tests compare its drawing with the screen).
    const LEDFontNum& display() const { return led_; }

signals:
    void clicked();
    void doubleClicked();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    // Tells the logic the current size before it decides anything.
    void syncSize();
    // Carries out what a setter reported (LedChange flags).
    void apply(unsigned change);

    LEDFontNum led_;
    Bitmap32 picture_; // the off-screen picture, reused between paints
    bool showHint_ = true;
    bool pressed_ = false;
};

} // namespace tobu
