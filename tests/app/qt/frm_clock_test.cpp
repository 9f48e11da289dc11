#include "app/qt/frm_clock.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#include "app/qt/form_shadow.h"
#include "platform/clock.h"

using namespace tobu;

namespace {

const std::string kFaces = std::string(TOBU_TEST_SOURCE_DIR) + "/data/Clock/";

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

QStringList Captions(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

} // namespace

TEST(FrmClock, TakesTheFaceSizeAndPlacesHandsAndCapOnThePivot) {
    FakeClock clock(EncodeDateTime(2024, 2, 10, 15, 0, 0, 0));
    QPointer<TFrmClock> w = new TFrmClock(clock);
    // The built-in face: 160 × 160, pivot (80, 80); the 9 × 85 hour hand turns in an 88-pixel
    // square at 80 − 44, the 9 × 9 cap sits at 80 − 5.
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Clock_BK"));
    EXPECT_EQ(w->size(), QSize(160, 160));
    EXPECT_EQ(w->Dial().HourRect(), (TRect{36, 36, 124, 124}));
    EXPECT_EQ(w->Dial().CapBounds(), (TRect{75, 75, 84, 84}));

    // Placed above a bar at y 600 (top −1), hands at the clock's time, see-through corners.
    // The shadow grabs the window's pixels; the menu waits, unlaid-out, until it is opened.
    TFormShadow::ForceCompositing(true);
    w->ShowClock(kFaces + "Night.cl", 200, 40, 600, -1, -1);
    TFormShadow::ForceCompositing(std::nullopt);
    EXPECT_TRUE(w->PopupMenu()->testAttribute(Qt::WA_PendingResizeEvent));
    EXPECT_EQ(w->pos(), QPoint(40, 440));
    EXPECT_EQ(w->Dial().HourHand().Angle(), -450);
    EXPECT_NEAR(w->windowOpacity(), 200 / 255.0, 0.01);
    EXPECT_FALSE(w->mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(w->mask().contains(QPoint(80, 20)));

    // A refused face (ClockVer 1.1) and a missing one keep the current face.
    const QImage night = w->Picture();
    std::string bytes = Slurp(kFaces + "Minimal.cl");
    bytes.replace(bytes.find("ClockVer=1.0"), 12, "ClockVer=1.1");
    const std::string refused = (std::filesystem::temp_directory_path() / "tobu-1.1.cl").string();
    std::ofstream(refused, std::ios::binary) << bytes;
    EXPECT_FALSE(w->LoadClockFace(refused, false));
    EXPECT_FALSE(w->LoadClockFace(kFaces + "NoSuchFace.cl", false));
    std::filesystem::remove(refused);
    EXPECT_EQ(w->Picture(), night);
    EXPECT_TRUE(w->LoadClockFace(kFaces + "Minimal.cl", false));
    EXPECT_NE(w->Picture(), night);

    // A new second turns only the second hand and repaints.
    w->SetClockHands(EncodeDateTime(2024, 2, 10, 15, 0, 1, 0));
    EXPECT_EQ(w->Dial().SecondHand().Angle(), -6);
    EXPECT_NE(w->Picture(), night);

    int closed = 0;
    QObject::connect(w.data(), &TFrmClock::clockClosed, [&] { ++closed; });
    w->CloseClock();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(w.isNull()) << "the window is destroyed when it closes";
}

TEST(FrmClock, PopupMenuCaptionsAndSwitchRequests) {
    FakeClock clock;
    TFrmClock w(clock, false);
    QMenu* menu = w.PopupMenu();
    EXPECT_EQ(Captions(menu), QStringList({"定时任务", "城市时间查询", "-", "时钟样式", "时间校正",
                                           "-", "切换到", "关闭窗口"}));
    QMenu* sub = menu->findChild<QMenu*>("PM_QieHuan");
    ASSERT_TRUE(sub);
    EXPECT_EQ(Captions(sub), QStringList({"日历", "天气"}));
    std::vector<int> spy;
    QObject::connect(&w, &TFrmClock::showChildWindowRequested, [&](int i) { spy.push_back(i); });
    for (QAction* a : sub->actions())
        if (a->text() == QStringLiteral("天气")) a->trigger();
    for (QAction* a : sub->actions())
        if (a->text() == QStringLiteral("日历")) a->trigger();
    EXPECT_EQ(spy, (std::vector<int>{3, 1}));
}
