// Window snapping on real top-level widgets (offscreen platform): the drag of a registered
// window goes through the snapping, a docked companion follows, and a destroyed window
// leaves the snapping.
#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

#include "app/qt/magnetic_host.h"
#include "app/qt/window_mover.h"

using namespace tobu;

namespace {

std::unique_ptr<QWidget> TopWindow(QRect r) {
    auto w = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint | Qt::Tool);
    w->setGeometry(r);
    w->show();
    return w;
}

void Mouse(QWidget* handle, QEvent::Type type, QPoint global) {
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(handle->mapFromGlobal(global)), QPointF(global), Qt::LeftButton,
                  buttons, Qt::NoModifier);
    QApplication::sendEvent(handle, &e);
}

// A drag from `from` through each of `to`, released at the last point.
void Drag(QWidget* handle, QPoint from, std::initializer_list<QPoint> to) {
    Mouse(handle, QEvent::MouseButtonPress, from);
    QPoint last = from;
    for (QPoint p : to) {
        Mouse(handle, QEvent::MouseMove, p);
        last = p;
    }
    Mouse(handle, QEvent::MouseButtonRelease, last);
}

class MagneticWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        work = QGuiApplication::primaryScreen()->availableGeometry();
        bar = TopWindow(QRect(work.left() + 200, work.top() + 100, 332, 34));
        clock = TopWindow(QRect(bar->x() + 20, bar->y() + 34, 160, 160));
        barMover = new WindowMover(bar.get());
        barMover->AddHandle(bar.get());
        clockMover = new WindowMover(clock.get());
        clockMover->AddHandle(clock.get());
        wins.Magnetic().SetDistance(15);
        ASSERT_TRUE(wins.Attach(bar.get(), nullptr, barMover));
        ASSERT_TRUE(wins.Attach(clock.get(), bar.get(), clockMover));
    }
    bool ClockDocked() { return wins.Magnetic().IsAttached(TMagneticWindows::Handle(clock.get())); }

    QRect work;
    TMagneticWindows wins;
    std::unique_ptr<QWidget> bar, clock;
    WindowMover *barMover = nullptr, *clockMover = nullptr;
};

TEST_F(MagneticWindowsTest, BarDragSnapsToTheWorkAreaAndCarriesTheDockedClock) {
    EXPECT_TRUE(ClockDocked());
    EXPECT_FALSE(wins.Attach(clock.get(), bar.get(), clockMover)); // already registered
    const QPoint grab = bar->pos() + QPoint(50, 10);
    // 14 pixels from the left edge: flush; the clock keeps its offset.
    Drag(bar.get(), grab, {grab + QPoint(-100, 0), grab - QPoint(200 - 14, 0)});
    EXPECT_EQ(bar->x(), work.left());
    EXPECT_EQ(clock->pos(), bar->pos() + QPoint(20, 34));
    EXPECT_TRUE(ClockDocked());
    // 15 pixels from the top edge: stays where it is dropped (no accumulation either).
    const QPoint g2 = bar->pos() + QPoint(50, 10);
    Drag(bar.get(), g2, {g2 + QPoint(60, -(100 - 15))});
    EXPECT_EQ(bar->pos(), QPoint(work.left() + 60, work.top() + 15));
    EXPECT_EQ(clock->pos(), bar->pos() + QPoint(20, 34));
}

TEST_F(MagneticWindowsTest, ClockDraggedAwayStaysBehindAndDocksAgainWhenBroughtNear) {
    const QPoint g = clock->pos() + QPoint(80, 80);
    Drag(clock.get(), g, {g + QPoint(0, 30)});
    EXPECT_FALSE(ClockDocked());
    const QPoint barAt = bar->pos();
    const QPoint b = bar->pos() + QPoint(50, 10);
    Drag(bar.get(), b, {b + QPoint(40, -40)});
    EXPECT_EQ(clock->pos(), barAt + QPoint(20, 64)); // did not follow
    // Back within 10 pixels under the bar: it snaps flush and follows again.
    const QPoint c = clock->pos() + QPoint(80, 80);
    const int gap = clock->y() - (bar->y() + 34);
    Drag(clock.get(), c, {c + QPoint(0, -gap + 10)});
    EXPECT_EQ(clock->y(), bar->y() + 34);
    EXPECT_TRUE(ClockDocked());
}

TEST_F(MagneticWindowsTest, ReRegisteringTheBarKeepsItsCompanionsDockedAndDestroyedOnesLeave) {
    int recreated = 0;
    wins.ReRegister(bar.get(), [&] {
        ++recreated;
        bar->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        bar->show();
    });
    EXPECT_EQ(recreated, 1);
    EXPECT_EQ(wins.Magnetic().ParentOf(TMagneticWindows::Handle(clock.get())),
              TMagneticWindows::Handle(bar.get()));
    EXPECT_TRUE(ClockDocked());
    const QPoint b = bar->pos() + QPoint(50, 10);
    Drag(bar.get(), b, {b + QPoint(30, 30)});
    EXPECT_EQ(clock->pos(), bar->pos() + QPoint(20, 34));
    // Hidden, it is no longer docked; shown again flush, it is.
    clock->hide();
    EXPECT_FALSE(ClockDocked());
    clock->show();
    EXPECT_TRUE(ClockDocked());
    clock.reset();
    EXPECT_EQ(wins.Magnetic().Count(), 1);
    Drag(bar.get(), bar->pos() + QPoint(5, 5), {bar->pos() + QPoint(25, 5)});
    EXPECT_TRUE(wins.Detach(bar.get()));
    EXPECT_EQ(wins.Magnetic().Count(), 0);
}

} // namespace
