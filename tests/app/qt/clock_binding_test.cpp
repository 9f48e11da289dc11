// The analog clock as the bar's companion window: opened from the mode menu where its saved
// position says, turned by the tick, following the bar into the tray, closed with "精简".
#include "app/qt/clock_binding.h"

#include <QApplication>
#include <QScreen>
#include <filesystem>
#include <gmock/gmock.h>
#include <sys/inotify.h>
#include <unistd.h>

#include "app/qt/bar_test_access.h"
#include "app/qt/frm_clock.h"
#include "app/qt/frm_led.h"
#include "base/datetime.h"
#include "settings/temp_dir.h"

using namespace tobu;

namespace {

class ClockBindingTest : public BarFolderTest {
protected:
    void SetUp() override {
        BarFolderTest::SetUp();
        clock.Set(EncodeDateTime(2024, 2, 10, 3, 0, 0));
    }

    // A bar with its clock binding, started up and shown.
    std::unique_ptr<TFrmLED> MakeBar(const std::string& ini) {
        TFrmLED::Services s;
        s.hasTray = [] { return true; };
        auto bar = NewBar(ini, s);
        binding = BindClockWindow(*bar, clock);
        bar->FormCreate();
        bar->show();
        return bar;
    }

    static void Settle() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    ClockBinding* binding = nullptr;
};

TEST_F(ClockBindingTest, ClockOpensWhereItsPositionSaysTurnsAndFollowsTheBar) {
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    auto bar = MakeBar("[BAR]\r\nLeft=0\r\nTop=0\r\n");

    // The first clock ever: the screen's left edge, under the bar's row, the built-in face.
    emit bar->showChildWindowRequested(2);
    TFrmClock* frm = binding->FrmClock();
    ASSERT_NE(frm, nullptr);
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(frm->pos(), QPoint(0, 34));
    EXPECT_EQ(frm->size(), QSize(160, 160));
    EXPECT_EQ(bar->ChildWindowIndex(), 2);

    // Each tick turns the hands: 03:00:00, then 03:00:15.
    EXPECT_EQ(frm->Dial().HourHand().Angle(), -90);
    clock.AdvanceMSecs(15000);
    BarTestAccess{*bar}.TimerClockTimer();
    EXPECT_EQ(frm->Dial().SecondHand().Angle(), -90);

    // Into the tray and back, the clock with the bar.
    bar->MinimizeToTray();
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(bar->ChildWindowIndex(), 0);
    bar->RestoreFromTray();
    EXPECT_TRUE(frm->isVisible());

    // "精简" closes it and frees it.
    QPointer<TFrmClock> closing(frm);
    emit bar->showChildWindowRequested(0);
    EXPECT_EQ(binding->FrmClock(), nullptr);
    Settle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closing.isNull());
    EXPECT_EQ(bar->ChildWindowIndex(), 0);

    // A saved CHILD Left far right is pulled back to the screen width - 100; CHILD Top is kept.
    tobu::testing::TempDir::Put(
        dir.File("skin.ini"), "[CHILD]\r\nLeft=5000\r\nTop=100\r\n[SKIN]\r\nClockFile=None.cl\r\n");
    binding->ShowClockWindow(200, true);
    ASSERT_NE(binding->FrmClock(), nullptr);
    EXPECT_EQ(binding->FrmClock()->pos(), QPoint(screenWidth - 100, 100));
}

// Opening the clock reads its face package once: its height places the window, and the same
// load is the face it shows.
TEST_F(ClockBindingTest, OpeningTheClockReadsItsFaceOnce) {
    std::filesystem::create_directories(dir.File("Clock"));
    const std::string face = dir.File("Clock/Night.cl");
    std::filesystem::copy_file(std::string(TOBU_TEST_SOURCE_DIR) + "/data/Clock/Night.cl", face);
    auto bar =
        MakeBar("[SKIN]\r\nClockFile=Night.cl\r\n[BAR]\r\nLeft=0\r\nTop=600\r\nDefWin=0\r\n");
    const int fd = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(fd, 0);
    // Closes are watched too: inotify merges repeated events that were not read yet.
    ASSERT_GE(inotify_add_watch(fd, face.c_str(), IN_OPEN | IN_CLOSE), 0);

    binding->ShowClockWindow(200, false);
    ASSERT_NE(binding->FrmClock(), nullptr);
    // Placed above the bar by the loaded face's height.
    EXPECT_EQ(binding->FrmClock()->geometry().bottom() + 1, 600);
    int opens = 0;
    alignas(inotify_event) char buf[4096];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
        for (char* p = buf; p < buf + n;
             p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
            opens += (reinterpret_cast<inotify_event*>(p)->mask & IN_OPEN) != 0;
    close(fd);
    EXPECT_EQ(opens, 1);
}

} // namespace
