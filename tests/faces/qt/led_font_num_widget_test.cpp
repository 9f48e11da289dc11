// The LED display widget on the offscreen platform: what it shows equals the logic's picture,
// unchanged texts cost no drawing, AutoSize resizes the widget, mouse presses reach the parent.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>

#include "faces/qt/led_font_num_widget.h"

namespace tobu {
namespace {

class CountingLed : public TLEDFontNum {
public:
    using TLEDFontNum::TLEDFontNum;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* e) override {
        ++paints;
        TLEDFontNum::paintEvent(e);
    }
};

class PressCounter : public QWidget {
public:
    int presses = 0, releases = 0;

protected:
    void mousePressEvent(QMouseEvent* e) override {
        ++presses;
        e->accept();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        ++releases;
        e->accept();
    }
};

void SetupBar(TLEDFontNum& led) {
    led.setAutoSize(false);
    led.resize(117, 23);
    led.setOffSetX(6);
    led.setOffSetY(2);
    led.setWordWidth(15);
    led.setWordHeight(19);
    led.setThick(3);
    led.setSpace(3);
    led.setBGColor(kClBlack);
    led.setLightColor(kClFuchsia);
    led.setDarkColor(3618615);
}

void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

TEST(LedWidgetTest, ShowsTheLogicPicture) {
    TLEDFontNum led;
    SetupBar(led);
    led.setText("12:34:56");
    led.setDrawDarkColor(true);
    led.show();
    Settle();

    Bitmap32 want;
    led.display().DrawDigits(want);
    const QImage got = led.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(got.width(), 117);
    ASSERT_EQ(got.height(), 23);
    int differing = 0;
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 117; ++x) differing += got.pixel(x, y) != want.At(x, y);
    EXPECT_EQ(differing, 0);
    // A colon dot pixel and a gap pixel, as the user sees them.
    EXPECT_EQ(got.pixel(38, 7), ColorToPixel(kClFuchsia));
    EXPECT_EQ(got.pixel(36, 7), ColorToPixel(kClBlack));
}

TEST(LedWidgetTest, SameTextDrawsNothing) {
    CountingLed led;
    SetupBar(led);
    led.show();
    Settle();
    led.setText("09:05:07");
    Settle();
    const int afterChange = led.paints;
    EXPECT_GE(afterChange, 1);
    led.setText("09:05:07");
    Settle();
    EXPECT_EQ(led.paints, afterChange);
    led.setText("09:05:08");
    EXPECT_GT(led.paints, afterChange); // drawn at once, before events run
    // A hidden display does not draw.
    led.hide();
    const int hidden = led.paints;
    led.setText("10:00:00");
    Settle();
    EXPECT_EQ(led.paints, hidden);
    EXPECT_EQ(led.text(), "10:00:00");
}

TEST(LedWidgetTest, AutoSizeResizesTheWidget) {
    TLEDFontNum led;
    EXPECT_EQ(led.size(), QSize(47, 38)); // a new control, "00"
    SetupBar(led);
    led.setText("12:34:56");
    led.resize(50, 50);
    led.setAutoSize(true);
    EXPECT_EQ(led.size(), QSize(117, 23));

    led.show();
    Settle();
    led.setText("1.5");
    EXPECT_EQ(led.size(), QSize(45, 23));
    led.setOffSetY(4);
    EXPECT_EQ(led.size(), QSize(45, 27));
    // An empty text never leaves the widget without width.
    led.setSpace(40);
    led.setText("");
    EXPECT_EQ(led.size(), QSize(1, 27));

    led.setAutoSize(false);
    led.setText("12345678");
    EXPECT_EQ(led.size(), QSize(1, 27));
}

TEST(LedWidgetTest, MouseReachesTheParentAndClicks) {
    PressCounter bar;
    bar.resize(200, 40);
    auto* led = new TLEDFontNum(&bar);
    SetupBar(*led);
    bar.show();
    Settle();
    int clicks = 0, doubles = 0;
    QObject::connect(led, &TLEDFontNum::clicked, [&] { ++clicks; });
    QObject::connect(led, &TLEDFontNum::doubleClicked, [&] { ++doubles; });

    const QPointF at(10, 10);
    QMouseEvent press(QEvent::MouseButtonPress, at, led->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(led, &press);
    EXPECT_EQ(bar.presses, 1); // the bar starts its drag
    QMouseEvent release(QEvent::MouseButtonRelease, at, led->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(led, &release);
    EXPECT_EQ(bar.releases, 1);
    EXPECT_EQ(clicks, 1);

    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, led->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(led, &dbl);
    QApplication::sendEvent(led, &release);
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(clicks, 1);

    // A release outside the display is no click.
    QApplication::sendEvent(led, &press);
    const QPointF outside(150, 10);
    QMouseEvent away(QEvent::MouseButtonRelease, outside, led->mapToGlobal(outside), Qt::LeftButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(led, &away);
    EXPECT_EQ(clicks, 1);
}

} // namespace
} // namespace tobu
