#include "platform/qt/desktop.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace tobu {
namespace {

TEST(Desktop, OffscreenHasAScreenButNoX11Capabilities) {
    if (QGuiApplication::platformName() != "offscreen") GTEST_SKIP();
    QSize size = ScreenSize();
    EXPECT_GT(size.width(), 0);
    EXPECT_GT(size.height(), 0);
    EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(WorkArea()));
    EXPECT_FALSE(HasCompositingManager());
}

} // namespace
} // namespace tobu
