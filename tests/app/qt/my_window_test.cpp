#include "app/qt/my_window.h"

#include <QApplication>
#include <QDialog>
#include <gtest/gtest.h>

#include "app/qt/bitmap_button.h"
#include "app/qt/fade_out.h"
#include "app/qt/form_shadow.h"

using namespace tobu;

namespace {

std::unique_ptr<TMyWindow> TestFrame() {
    Bitmap32 frame(100, 50, ColorToPixel(RGBColor(10, 20, 30)));
    Bitmap32 close(43, 17, ColorToPixel(RGBColor(200, 0, 0)));
    Bitmap32 hot(43, 17, ColorToPixel(RGBColor(0, 200, 0)));
    close.At(0, 0) = ColorToPixel(kClFuchsia);
    return std::make_unique<TMyWindow>(RGBColor(255, 255, 255), frame, close, hot);
}

} // namespace

TEST(MyWindow, FramedDialogLayoutFollowsItsSize) {
    auto frame = TestFrame();
    QDialog d;
    d.resize(382, 266);
    SkinDialog(frame.get(), &d, QStringLiteral("城市时间查询"));
    EXPECT_TRUE(d.windowFlags() & Qt::FramelessWindowHint);

    auto* close = d.findChild<TBitmapButton*>(QStringLiteral("FrameCloseButton"));
    auto* strip = d.findChild<QWidget*>(QStringLiteral("FrameDragStrip"));
    ASSERT_TRUE(close);
    ASSERT_TRUE(strip);
    EXPECT_EQ(close->geometry(), QRect(382 - 43 - 10, 1, 43, 17));
    EXPECT_EQ(close->toolTip(), QStringLiteral("关闭"));
    EXPECT_EQ(strip->geometry(), QRect(0, 0, 382, 28));
    // Rounded shape over the painted frame inside its one-pixel margin.
    EXPECT_EQ(d.mask().boundingRect(), QRect(1, 1, 380, 264));
    EXPECT_FALSE(d.mask().contains(QPoint(1, 1)));
    EXPECT_TRUE(d.mask().contains(QPoint(1, 100)));

    // The close button stays at the top right when the dialog is resized.
    d.show();
    d.resize(500, 300);
    EXPECT_EQ(close->geometry().topLeft(), QPoint(500 - 43 - 10, 1));
    EXPECT_EQ(strip->width(), 500);
    EXPECT_EQ(d.mask().boundingRect(), QRect(1, 1, 498, 298));

    // Closing with the frame's button is a cancel.
    int rejected = 0;
    QObject::connect(&d, &QDialog::rejected, [&] { ++rejected; });
    emit close->clicked();
    EXPECT_EQ(rejected, 1);
}

TEST(MyWindow, FramePictureCarriesTheCaption) {
    auto frame = TestFrame();
    QImage plain = frame->FramePicture(200, 100, QString());
    QImage titled = frame->FramePicture(200, 100, QStringLiteral("关于"));
    ASSERT_EQ(plain.size(), QSize(200, 100));
    EXPECT_EQ(plain.pixel(0, 0), 0xFFFF00FFu);
    EXPECT_EQ(plain.pixel(50, 50), 0xFF0A141Eu);
    // Caption pixels only in the caption strip, right of x 10.
    int changed = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            if (plain.pixel(x, y) != titled.pixel(x, y)) {
                ++changed;
                EXPECT_GE(x, 10);
                EXPECT_LT(y, 28);
            }
    EXPECT_GT(changed, 20);
}

TEST(MyWindow, WithoutASkinADialogStillGetsAPlainFrame) {
    QDialog d;
    d.resize(300, 200);
    SkinDialog(nullptr, &d, QStringLiteral("提示"));
    auto* close = d.findChild<TBitmapButton*>(QStringLiteral("FrameCloseButton"));
    ASSERT_TRUE(close);
    EXPECT_EQ(close->geometry().topRight(), QPoint(300 - 10 - 1, 1));
    EXPECT_TRUE(d.findChild<QWidget*>(QStringLiteral("FrameDragStrip")));
}

TEST(FormShadow, FollowsTheFormAndOnlyRedrawsWhenNeeded) {
    TFormShadow::ForceCompositing(true);
    QWidget form(nullptr, Qt::FramelessWindowHint);
    form.setGeometry(100, 50, 382, 266);
    TFormShadow shadow(&form);
    shadow.Attach(&form);
    shadow.SetShadowVisible(true);
    form.show();
    EXPECT_TRUE(shadow.isVisible());
    EXPECT_EQ(shadow.geometry(), QRect(84, 34, 414, 298));
    EXPECT_EQ(shadow.Picture().size(), QSize(414, 298));
    const int draws = shadow.RedrawCount();
    EXPECT_GE(draws, 1);

    form.move(200, 60); // moving only moves
    EXPECT_EQ(shadow.pos(), QPoint(184, 44));
    EXPECT_EQ(shadow.RedrawCount(), draws);

    form.setWindowOpacity(0.5); // a new opacity shows after a refresh
    shadow.RefreshShadow();
    EXPECT_EQ(shadow.RedrawCount(), draws + 1);
    EXPECT_NEAR(shadow.windowOpacity(), 128 / 255.0, 0.01);

    shadow.SetShadowVisible(false);
    EXPECT_FALSE(shadow.isVisible());
    shadow.SetShadowVisible(true);
    EXPECT_TRUE(shadow.isVisible());
    form.hide();
    EXPECT_FALSE(shadow.isVisible());

    TFormShadow::ForceCompositing(false); // no compositor: never shown
    form.show();
    EXPECT_FALSE(shadow.isVisible());
    TFormShadow::ForceCompositing(std::nullopt);
}

// Without a compositing manager the shadow never shows, so its picture (a grab of the form
// and a blur) waits until one runs.
TEST(FormShadow, DrawsItsPictureOnlyWhenItCanShow) {
    TFormShadow::ForceCompositing(false);
    QWidget form(nullptr, Qt::FramelessWindowHint);
    form.setGeometry(100, 50, 120, 80);
    TFormShadow shadow(&form);
    shadow.Attach(&form);
    shadow.SetShadowVisible(true);
    form.show();
    shadow.RefreshShadow();
    form.move(110, 60);
    EXPECT_EQ(shadow.RedrawCount(), 0);
    EXPECT_FALSE(shadow.isVisible());

    TFormShadow::ForceCompositing(true); // a compositing manager starts
    form.move(120, 70);
    EXPECT_EQ(shadow.RedrawCount(), 1);
    EXPECT_TRUE(shadow.isVisible());
    EXPECT_EQ(shadow.Picture().size(), shadow.size());
    TFormShadow::ForceCompositing(std::nullopt);
}

TEST(FormShadow, FadeOutLowersOpacityInStepsAndHidesTheShadow) {
    TFormShadow::ForceCompositing(true);
    QWidget form(nullptr, Qt::FramelessWindowHint);
    form.setGeometry(10, 10, 50, 50);
    form.setWindowOpacity(200 / 255.0);
    TFormShadow shadow(&form);
    shadow.Attach(&form);
    shadow.SetShadowVisible(true);
    form.show();
    FadeOutForm(&form, &shadow);
    EXPECT_FALSE(shadow.isVisible());
    EXPECT_NEAR(form.windowOpacity(), 20 / 255.0, 0.01);
    TFormShadow::ForceCompositing(std::nullopt);
}
