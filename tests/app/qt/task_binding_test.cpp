// The scheduled tasks on the bar: loaded at start-up, run by the tick, the countdown open while
// the bar ticks on, power-off only through the double and only when the countdown says so, and
// the task list from the menus writing War.lst and reloading the table on OK.
#include "app/qt/task_binding.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <gmock/gmock.h>

#include "app/qt/bar_test_access.h"
#include "app/qt/bitmap_button.h"
#include "app/qt/clock_binding.h"
#include "app/qt/frm_clock.h"
#include "app/qt/frm_led.h"
#include "base/text.h"
#include "faces/qt/led_font_num_widget.h"
#include "tasks/qt/frm_shut_down.h"
#include "tasks/qt/task_dialogs.h"

using namespace tobu;

namespace {

TFrmShutDown* OpenCountdown() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<TFrmShutDown*>(w); d && d->isVisible()) return d;
    return nullptr;
}

void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class TaskBindingTest : public BarFolderTest {
protected:
    std::unique_ptr<TFrmLED> MakeBar() {
        TFrmLED::Services s;
        s.hasTray = [] { return true; };
        auto bar = NewBar("[BAR]\r\nDefWin=0\r\n", s);
        TaskBindingOptions o;
        o.powerOff = &power;
        o.messages = &boxes;
        binding = BindTasks(*bar, o);
        clockBinding = BindClockWindow(*bar, clock);
        bar->FormCreate();
        return bar;
    }
    void TickAt(TFrmLED& bar, int h, int m, int s) {
        clock.Set(EncodeDateTime(2024, 2, 10, h, m, s));
        BarTestAccess{bar}.TimerClockTimer();
    }

    RecordingPowerOff power;
    ScriptedMessageBox boxes;
    TaskBinding* binding = nullptr;
    ClockBinding* clockBinding = nullptr;
};

} // namespace

TEST_F(TaskBindingTest, TheTickRunsTasksAndTheCountdownLeavesTheBarTicking) {
    tobu::testing::TempDir::Put(dir.File("War.lst"),
                                Utf8ToGbk("*014时00分00秒\r\n4执行 (关机)\r\n"
                                          "*014时00分05秒\r\n4执行 (关机)\r\n"));
    auto bar = MakeBar();
    ASSERT_EQ(binding->Scheduler().Table().size(), 2u);

    TickAt(*bar, 14, 0, 0);
    TFrmShutDown* countdown = OpenCountdown();
    ASSERT_NE(countdown, nullptr);
    // The bar keeps ticking meanwhile, and the same second does not open a second countdown.
    TickAt(*bar, 14, 0, 0);
    TickAt(*bar, 14, 0, 1);
    EXPECT_EQ(BarTestAccess{*bar}.LED()->text(), "14:00:01");
    EXPECT_EQ(binding->Scheduler().Pending(), 1u);
    // The frame's close button is cancel.
    TBitmapButton* close = countdown->findChild<TBitmapButton*>("FrameCloseButton");
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(countdown->windowTitle(), "定时任务：自动关机");
    emit close->clicked();
    Settle();
    EXPECT_EQ(OpenCountdown(), nullptr);
    EXPECT_EQ(power.calls, 0);

    TickAt(*bar, 14, 0, 5);
    countdown = OpenCountdown();
    ASSERT_NE(countdown, nullptr);
    for (int i = 0; i < TFrmShutDown::kSeconds; ++i) countdown->Timer1Timer();
    Settle();
    EXPECT_EQ(power.calls, 1);
    EXPECT_EQ(OpenCountdown(), nullptr);
}

TEST_F(TaskBindingTest, TheMenusOpenTheTaskListAndOnlyOkReloads) {
    tobu::testing::TempDir::Put(dir.File("War.lst"), Utf8ToGbk("*014时\r\n3消息 (x)\r\n"));
    auto bar = MakeBar();
    QAction* item = bar->findChild<QAction*>("PM_TaskOptions");
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());
    EXPECT_TRUE(bar->findChild<QAction*>("PM_TaskOptions1")->isEnabled());

    // The analog clock's "定时任务" follows the bar's item.
    clockBinding->ShowClockWindow(255, false);
    QAction* dingShi = clockBinding->FrmClock()->PopupMenu()->findChild<QAction*>("PM_DingShi");
    ASSERT_NE(dingShi, nullptr);
    EXPECT_TRUE(dingShi->isEnabled());

    // Closed by the frame: the table stays as loaded.
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<TFrmWarnOptions*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->windowTitle(), "定时任务");
        d->Tree()->clear();
        d->reject();
    });
    dingShi->trigger();
    EXPECT_EQ(binding->Scheduler().Table().size(), 1u);

    // OK writes the file and reloads the table.
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<TFrmWarnOptions*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        TaskTreeView::SetImage(d->Tree()->topLevelItem(0), kImgStopped);
        d->findChild<QPushButton*>("BtnClose")->click();
    });
    item->trigger();
    ASSERT_EQ(binding->Scheduler().Table().size(), 1u);
    EXPECT_FALSE(binding->Scheduler().Table()[0].Enabled);
    EXPECT_EQ(tobu::testing::TempDir::Get(dir.File("War.lst")),
              Utf8ToGbk("*114时\r\n3消息 (x)\r\n"));
}
