#include "platform/qt/color_key.h"

#include <gtest/gtest.h>

namespace tobu {
namespace {

TEST(ColorKey, MagentaPixelsAreCutOutExactly) {
    QImage img(6, 4, QImage::Format_RGB32);
    img.fill(qRgb(255, 0, 255));
    // Row 0: shown at x 1..2 and 5; rows 1-2: shown at x 0..5 except 3; row 3: nothing.
    img.setPixel(1, 0, qRgb(0, 0, 0));
    img.setPixel(2, 0, qRgb(255, 0, 254)); // near-magenta is not the key
    img.setPixel(5, 0, qRgb(10, 20, 30));
    for (int y = 1; y <= 2; ++y)
        for (int x = 0; x < 6; ++x)
            if (x != 3) img.setPixel(x, y, qRgb(255, 255, 255));

    QRegion r = ColorKeyRegion(img);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(r.contains(QPoint(x, y)), (img.pixel(x, y) & 0xFFFFFF) != 0xFF00FF)
                << x << "," << y;
    EXPECT_EQ(r.boundingRect(), QRect(0, 0, 6, 3));
    // Rows 1 and 2 are identical and form one band of two rectangles.
    EXPECT_EQ(r.rectCount(), 4);

    QBitmap b = ColorKeyBitmap(img);
    ASSERT_EQ(b.size(), img.size());
    EXPECT_TRUE((QRegion(b) ^ r).isEmpty()); // the same pixels, however banded
    QImage bits = b.toImage();
    EXPECT_NE(bits.pixel(1, 0), bits.pixel(0, 0));
}

TEST(ColorKey, AlphaAndFormatDoNotMatterAndPlainPicturesAreOneRectangle) {
    QImage argb(332, 34, QImage::Format_ARGB32);
    argb.fill(qRgba(255, 0, 255, 0)); // transparent magenta still is the key
    EXPECT_TRUE(ColorKeyRegion(argb).isEmpty());
    argb.fill(qRgb(1, 2, 3));
    QRegion full = ColorKeyRegion(argb);
    EXPECT_EQ(full.rectCount(), 1);
    EXPECT_EQ(full.boundingRect(), QRect(0, 0, 332, 34));

    QImage rgb888 = argb.convertToFormat(QImage::Format_RGB888);
    rgb888.setPixel(0, 0, qRgb(255, 0, 255));
    QRegion r = ColorKeyRegion(rgb888);
    EXPECT_FALSE(r.contains(QPoint(0, 0)));
    EXPECT_TRUE(r.contains(QPoint(1, 0)));
    EXPECT_TRUE(ColorKeyRegion(QImage()).isEmpty());
    EXPECT_TRUE(ColorKeyBitmap(QImage()).isNull());
}

} // namespace
} // namespace tobu
