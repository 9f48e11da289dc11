// The calendar as the bar's companion window: made on first use, docked by "日历" (above the
// bar in the lower half of the screen), closing the clock and closed by it, answering the date
// line's mark question.
#include "app/qt/calendar_binding.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <gmock/gmock.h>

#include "app/qt/bar_test_access.h"
#include "app/qt/clock_binding.h"
#include "app/qt/date_line_binding.h"
#include "app/qt/frm_clock.h"
#include "app/qt/frm_led.h"
#include "base/text.h"
#include "platform/message_box.h"
#include "settings/temp_dir.h"

using namespace tobu;

namespace {

class CalendarBindingTest : public BarFolderTest {
protected:
    std::unique_ptr<TFrmLED> MakeBar(const std::string& ini) {
        TFrmLED::Services s;
        s.hasTray = [] { return true; };
        auto bar = NewBar(ini, s);
        dateLine = BindDateLineAndPopups(*bar);
        clockBinding = BindClockWindow(*bar, clock);
        binding = BindCalendarWindow(*bar, {&clock, &box, nullptr});
        bar->FormCreate();
        bar->show();
        return bar;
    }
    static void Settle() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ScriptedMessageBox box;
    DateLineBinding* dateLine = nullptr;
    ClockBinding* clockBinding = nullptr;
    CalendarBinding* binding = nullptr;
};

TEST_F(CalendarBindingTest, DocksSwitchesWithTheClockAndAnswersMarks) {
    tobu::testing::TempDir::Put(dir.File("Marks.rec"), Utf8ToGbk("00210=生日\r\n"));
    auto bar = MakeBar("[BAR]\r\nLeft=0\r\nTop=0\r\nDefWin=0\r\n");
    // Not made at start-up: the date line reads the marks from the file meanwhile.
    EXPECT_EQ(binding->FrmCalendar(), nullptr);
    EXPECT_FALSE(binding->CalendarVisible());
    EXPECT_TRUE(bar->findChild<QAction*>("PM_Calendar")->isEnabled());
    EXPECT_TRUE(bar->findChild<QAction*>("PM_CalOptions")->isEnabled());
    EXPECT_EQ(dateLine->GridTexts()->GetMarkText(0, "0210"), "生日");
    bar->MinimizeToTray();
    bar->RestoreFromTray();
    EXPECT_EQ(binding->FrmCalendar(), nullptr);

    emit bar->showChildWindowRequested(1);
    TFrmCalendar* frm = binding->FrmCalendar();
    ASSERT_NE(frm, nullptr);
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(dateLine->GridTexts()->GetMarkText(0, "0210"), "生日");
    EXPECT_EQ(frm->geometry(), QRect(0, 34, 332, 390));
    EXPECT_EQ(bar->ChildWindowIndex(), 1);
    // The clock closes the calendar, the calendar the clock.
    emit bar->showChildWindowRequested(2);
    Settle();
    EXPECT_FALSE(frm->isVisible());
    ASSERT_NE(clockBinding->FrmClock(), nullptr);
    QAction* riLi = clockBinding->FrmClock()->PopupMenu()->findChild<QAction*>("PM_RiLi");
    ASSERT_NE(riLi, nullptr);
    EXPECT_TRUE(riLi->isEnabled());
    riLi->trigger();
    Settle();
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(clockBinding->FrmClock(), nullptr);
    EXPECT_EQ(bar->ChildWindowIndex(), 1);
    emit bar->showChildWindowRequested(0);
    Settle();
    EXPECT_FALSE(frm->isVisible());

    // In the lower half of the screen the window goes above the bar.
    bar->move(0, 600);
    emit bar->showChildWindowRequested(1);
    EXPECT_EQ(frm->geometry(), QRect(0, 600 - 390, 332, 390));
}

} // namespace

namespace {

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// An open calendar follows the clock across midnight: the first tick of the new day draws the
// grid again (so "今天" moves), the ticks within a day leave it alone.
TEST_F(CalendarBindingTest, AnOpenCalendarRedrawsTodayAtMidnightOnly) {
    clock.Set(EncodeDateTime(2024, 2, 10, 23, 59, 58));
    auto bar = MakeBar("[BAR]\r\nLeft=0\r\nTop=0\r\nDefWin=0\r\n");
    emit bar->showChildWindowRequested(1);
    Settle();
    QWidget* grid = binding->FrmCalendar()->findChild<QWidget*>("LssCalendar1");
    ASSERT_NE(grid, nullptr);
    PaintCounter counter;
    grid->installEventFilter(&counter);
    auto tick = [&] {
        clock.AdvanceMSecs(1000);
        emit bar->showTime(clock.Now());
        Settle();
    };
    tick(); // 23:59:59
    EXPECT_EQ(counter.paints, 0);
    tick(); // 00:00:00
    EXPECT_GE(counter.paints, 1);
    const int afterMidnight = counter.paints;
    tick(); // 00:00:01
    EXPECT_EQ(counter.paints, afterMidnight);
}

} // namespace
