// The bar's look on the offscreen platform: the built-in look of a first start (or of a skin
// that does not load) and the skin's colours in the menus.
#include <QCoreApplication>
#include <QEnterEvent>
#include <QMenu>
#include <gtest/gtest.h>

#include "app/qt/bar_test_access.h"
#include "app/qt/bitmap_button.h"
#include "app/qt/frm_led.h"
#include "base/datetime.h"
#include "settings/skin_loaders.h"
#include "settings/temp_dir.h"

using namespace tobu;

namespace {

// Pixels of `where` whose red and blue both exceed green by 60: the colour key, or a smoothed
// edge blended with it.
int KeyTinted(const QImage& image, const QRegion& where) {
    int n = 0;
    for (const QRect& r : where)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                QColor c = image.pixelColor(x, y);
                if (c.red() - c.green() >= 60 && c.blue() - c.green() >= 60) ++n;
            }
    return n;
}

class LookTest : public BarFolderTest {
protected:
    std::unique_ptr<TFrmLED> MakeBar(const std::string& ini) {
        auto bar = NewBar(ini);
        bar->FormCreate();
        Of(bar).TimerClockTimer();
        return bar;
    }
    // What the bar shows on screen: its picture inside its shape.
    static int TintedOnScreen(TFrmLED& bar) {
        QRegion shape = bar.mask().isEmpty() ? QRegion(bar.rect()) : bar.mask();
        return KeyTinted(bar.grab().toImage(), shape);
    }
};

} // namespace

TEST_F(LookTest, BuiltInLookShowsNoColourKey) {
    std::filesystem::create_directories(dir.File("Skin"));
    tobu::testing::TempDir::Put(dir.File("Skin/Broken.sk"), "not a skin package at all");
    for (const char* ini :
         {"", "[SKIN]\r\nSkinFile=Missing.sk\r\n", "[SKIN]\r\nSkinFile=Broken.sk\r\n"}) {
        SCOPED_TRACE(ini);
        auto bar = MakeBar(ini);
        EXPECT_EQ(TintedOnScreen(*bar), 0);
        // The time is lit in a real colour.
        QImage led = bar->grab(QRect(54, 5, 117, 23)).toImage();
        int lit = 0;
        for (int y = 0; y < led.height(); ++y)
            for (int x = 0; x < led.width(); ++x) lit += led.pixel(x, y) == qRgb(110, 226, 255);
        EXPECT_GE(lit, 100);
        // The buttons' pictures under the mouse as well.
        for (TBitmapButton* button : {Of(bar).BtnMenu(), Of(bar).BtnMin()}) {
            QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
            QCoreApplication::sendEvent(button, &enter);
        }
        EXPECT_EQ(TintedOnScreen(*bar), 0);
    }
}

TEST_F(LookTest, MenusIconColumnTakesTheSkinsIconBarGradient) {
    auto bar = MakeBar("");
    BarSkin skin;
    skin.menu.icon_bar_start = 0x0000FF; // red
    skin.menu.icon_bar_stop = 0xFF0000;  // blue
    Of(bar).ApplyBarSkin(skin);
    for (QMenu* menu : {Of(bar).PopupMenu1(), Of(bar).PopupMenu2()}) {
        SCOPED_TRACE(menu->objectName().toStdString());
        menu->ensurePolished();
        menu->resize(menu->sizeHint());
        QImage img = menu->grab().toImage();
        // Above the icon of the last item ("退出"), at both ends of the column, and beside it.
        QRect item = menu->actionGeometry(menu->actions().last());
        int y = item.top() + 1;
        QColor left = img.pixelColor(2, y), right = img.pixelColor(25, y);
        QColor body = img.pixelColor(menu->width() - 8, y);
        EXPECT_GT(left.red(), 200);
        EXPECT_LT(left.blue(), 60);
        EXPECT_GT(right.blue(), 200);
        EXPECT_LT(right.red(), 60);
        EXPECT_EQ(body, QColor(Qt::white));
    }
}
