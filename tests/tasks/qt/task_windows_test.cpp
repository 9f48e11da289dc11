// The countdown and the task dialogs, offscreen, with scripted message boxes.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gmock/gmock.h>

#include "base/text.h"
#include "platform/power_off.h"
#include "settings/temp_dir.h"
#include "tasks/qt/frm_shut_down.h"
#include "tasks/qt/task_dialogs.h"
#include "tasks/task_scheduler.h"

using namespace tobu;
using tobu::testing::TempDir;

namespace {

struct Env {
    ScriptedMessageBox boxes;
    TaskDialogEnv env;
    Env() { env.messages = &boxes; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (auto& c : boxes.calls) out.push_back(c.text);
        return out;
    }
};

void KeyClick(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

template <typename T> T* Child(QWidget* w, const char* name) {
    return w->findChild<T*>(QString::fromLatin1(name));
}

// Runs `act` on the modal dialog that the next exec() opens.
template <typename D> void OnModal(std::function<void(D*)> act) {
    QTimer::singleShot(0, [act] {
        auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        act(d);
    });
}

// The scheduler's effects with the real countdown and a power-off double.
class CountdownEffects : public TaskEffects {
public:
    explicit CountdownEffects(const TaskDialogEnv& env) : env_(env) {}
    void PlayFile(const std::string& list) override { played.push_back(list); }
    bool PopupMsgReady() override { return false; }
    void SendPopupText(const std::string&) override {}
    void ConfirmShutdown(std::function<void(bool)> answer) override {
        open = OpenShutdownCountdown(env_, std::move(answer));
    }
    void ShutDownComputer() override { power.ShutDownComputer(); }
    void RunProgram(const std::string&) override {}
    void OpenDocument(const std::string&) override {}

    const TaskDialogEnv& env_;
    RecordingPowerOff power;
    std::vector<std::string> played;
    TFrmShutDown* open = nullptr;
};

} // namespace

TEST(ShutdownCountdown, CountsDownTenSecondsAndPowersOffOnlyWhenItAnswersTrue) {
    Env e;
    CountdownEffects fx(e.env);
    TaskScheduler s(fx);
    TTaskRec task{true, -1, -1, -1, 8, 0, 0, {{0, "a.wav"}, {2, "关机"}}};

    s.RunTask(task);
    ASSERT_NE(fx.open, nullptr);
    EXPECT_EQ(fx.open->windowTitle(), QString::fromUtf8("定时任务：自动关机"));
    EXPECT_TRUE(fx.open->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(fx.open->DisplayText(), "10");
    EXPECT_TRUE(fx.played.empty()); // sounds wait for the answer
    QStringList seen;
    for (int i = 0; i < 9; ++i) {
        fx.open->Timer1Timer();
        seen << fx.open->DisplayText();
    }
    EXPECT_EQ(seen.join(","), "09,08,07,06,05,04,03,02,01");
    EXPECT_TRUE(fx.open->isVisible());
    EXPECT_EQ(fx.power.calls, 0);
    fx.open->Timer1Timer();
    EXPECT_EQ(fx.power.calls, 1);
    EXPECT_EQ(fx.played, std::vector<std::string>{"a.wav*"});

    // "立即关机" answers true at once.
    s.RunTask(task);
    Child<QPushButton>(fx.open, "RzButton2")->click();
    EXPECT_EQ(fx.power.calls, 2);

    // "取消(&C)", Esc and the frame's close (a reject) answer false.
    s.RunTask(task);
    Child<QPushButton>(fx.open, "RzButton1")->click();
    s.RunTask(task);
    KeyClick(fx.open, Qt::Key_Escape);
    s.RunTask(task);
    fx.open->reject();
    EXPECT_EQ(fx.power.calls, 2);
    EXPECT_EQ(fx.played.size(), 5u);
    EXPECT_EQ(s.Pending(), 0u);
}

TEST(TaskEditor, OkRefusesAnEmptyPatternAndATaskWithoutActions) {
    Env e;
    TFrmEditTask dlg(e.env, nullptr, true, nullptr);
    dlg.RzButton1Click();
    Child<QComboBox>(&dlg, "ComboBoxYear")->setCurrentIndex(1); // only a date is accepted
    dlg.RzButton1Click();
    EXPECT_THAT(e.Texts(), ::testing::ElementsAre("请选择时间。", "请添加声音、消息或命令。"));
    EXPECT_EQ(e.boxes.calls[0].caption, "提示");
    EXPECT_EQ(e.boxes.calls[0].icon, MsgIcon::Information);
    EXPECT_EQ(dlg.result(), 0);
    dlg.Tree()->AddAction(dlg.TaskNode(), "消息 (x)", kImgMsg);
    dlg.RzButton1Click();
    EXPECT_EQ(dlg.result(), 1);
}

TEST(TaskEditor, AnEarlierYearStaysUntilAListChangesAndEscClearsAList) {
    Env e;
    TaskTreeView list(nullptr);
    QTreeWidgetItem* node = list.AddTask("1999年05月01日12时00分00秒", kImgStopped);
    list.AddAction(node, "消息 (hi)", kImgMsg);
    TFrmEditTask dlg(e.env, nullptr, false, node);
    auto* year = Child<QComboBox>(&dlg, "ComboBoxYear");
    auto* hour = Child<QComboBox>(&dlg, "ComboBoxHour");
    EXPECT_EQ(year->currentIndex(), -1);
    EXPECT_EQ(hour->currentText(), "12");
    EXPECT_EQ(year->count(), 13);
    EXPECT_EQ(dlg.TaskNode()->text(0), "1999年05月01日12时00分00秒");
    EXPECT_EQ(TaskTreeView::Image(dlg.TaskNode()), kImgStopped);
    hour->setCurrentIndex(hour->findText("13"));
    EXPECT_EQ(dlg.TaskNode()->text(0), "05月01日13时00分00秒");
    KeyClick(Child<QComboBox>(&dlg, "ComboBoxDay"), Qt::Key_Delete);
    EXPECT_EQ(dlg.TaskNode()->text(0), "05月13时00分00秒");
}

TEST(TaskEditor, CancelLeavesTheListAndOkCopiesBackByPosition) {
    Env e;
    TaskTreeView list(nullptr);
    QTreeWidgetItem* node = list.AddTask("08时00分00秒", kImgEnabled);
    list.AddAction(node, "消息 (a)", kImgMsg);
    list.AddAction(node, "消息 (b)", kImgMsg);
    list.AddAction(node, "消息 (c)", kImgMsg);
    TaskTree before = list.Tree();

    OnModal<TFrmEditTask>([](TFrmEditTask* d) {
        d->Tree()->AddAction(d->TaskNode(), "播放 (x.wav)", kImgSound);
        Child<QComboBox>(d, "ComboBoxSec")->setCurrentIndex(5);
        d->done(2);
    });
    EXPECT_FALSE(EditTask(e.env, nullptr, false, node, &list));
    EXPECT_EQ(list.Tree(), before);

    OnModal<TFrmEditTask>([](TFrmEditTask* d) {
        delete d->TaskNode()->child(0);
        d->RzButton1Click();
    });
    EXPECT_TRUE(EditTask(e.env, nullptr, false, node, &list));
    ASSERT_EQ(node->childCount(), 2);
    EXPECT_EQ(node->child(0)->text(0), "消息 (b)");
    EXPECT_EQ(node->child(1)->text(0), "消息 (c)");

    // Add mode appends a new task at the end.
    OnModal<TFrmEditTask>([](TFrmEditTask* d) {
        Child<QComboBox>(d, "ComboBoxMin")->setCurrentIndex(31);
        d->Tree()->AddAction(d->TaskNode(), "执行 (关机)", kImgAct);
        d->RzButton1Click();
    });
    EXPECT_TRUE(EditTask(e.env, nullptr, true, nullptr, &list));
    ASSERT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(list.topLevelItem(1)->text(0), "30分");
}

TEST(TaskEntries, MessageLinesJoinAndTheCounterCountsBreaksAsTwoBytes) {
    Env e;
    TFrmInputMsg add(e.env, nullptr, true, "ignored");
    EXPECT_EQ(add.CounterText(), "0/200字节");
    auto* memo = Child<QPlainTextEdit>(&add, "RzMemo1");
    memo->setPlainText("第一行\nsecond\nthird");
    EXPECT_EQ(add.CounterText(), "21/200字节");
    EXPECT_EQ(add.Result(), "第一行secondthird");
    EXPECT_EQ(add.windowTitle(), "添加消息");

    QString longText(300, QLatin1Char('x'));
    TFrmInputMsg change(e.env, nullptr, false, longText);
    EXPECT_EQ(change.CounterText(), "300/200字节"); // a long message from the file stays whole
    EXPECT_EQ(change.Result(), longText);
}

TEST(TaskEntries, CommandEntryChecksItsChoiceAndThePath) {
    Env e;
    TempDir dir;
    TFrmAct dlg(e.env, nullptr, true, "");
    auto* path = Child<QLineEdit>(&dlg, "RzButtonEdit1");
    EXPECT_FALSE(path->isEnabled());
    dlg.RzButton1Click();
    Child<QRadioButton>(&dlg, "RzRadioButton2")->setChecked(true);
    EXPECT_TRUE(path->isEnabled());
    std::string missing = dir.File("nothing here");
    path->setText(QString::fromStdString(missing));
    dlg.RzButton1Click();
    EXPECT_THAT(e.Texts(),
                ::testing::ElementsAre("请选择一个执行项目", "\"" + missing + "\"\r\n文件不存在"));
    EXPECT_EQ(dlg.result(), 0);
    TempDir::Put(missing, "x");
    dlg.RzButton1Click();
    EXPECT_EQ(dlg.result(), 1);
    EXPECT_EQ(dlg.Result().toStdString(), missing);

    TFrmAct change(e.env, nullptr, false, "关机");
    EXPECT_TRUE(Child<QRadioButton>(&change, "RzRadioButton1")->isChecked());
    EXPECT_FALSE(Child<QLineEdit>(&change, "RzButtonEdit1")->isEnabled());
    EXPECT_EQ(change.Result(), "关机");
}

TEST(TaskList, DragMovesActionsOnlyAndOnlyOkWritesTheFile) {
    Env e;
    TempDir dir;
    std::string path = dir.File("War.lst");
    std::string original = Utf8ToGbk("*008时00分00秒\r\n3消息 (a)\r\n*112时\r\n3消息 (b)\r\n");
    TempDir::Put(path, original);

    // Closed by the frame (a reject): nothing written.
    OnModal<TFrmWarnOptions>([](TFrmWarnOptions* d) {
        d->Tree()->clear();
        d->reject();
    });
    EXPECT_FALSE(ShowTaskList(e.env, path));
    EXPECT_EQ(TempDir::Get(path), original);

    OnModal<TFrmWarnOptions>([](TFrmWarnOptions* d) {
        TaskTreeView* t = d->Tree();
        QTreeWidgetItem* a = t->topLevelItem(0)->child(0);
        QTreeWidgetItem* b = t->topLevelItem(1)->child(0);
        EXPECT_FALSE(t->MoveAction(t->topLevelItem(0), b)); // tasks are not dragged
        EXPECT_FALSE(t->MoveAction(a, t->topLevelItem(1))); // nor dropped on a task
        EXPECT_FALSE(t->MoveAction(a, a));
        EXPECT_TRUE(t->MoveAction(a, b)); // into the other task, before the target
        EXPECT_EQ(t->topLevelItem(1)->child(0), a);
        // The right-click menu over the stopped task offers "启用".
        t->setCurrentItem(nullptr);
        d->ShowContextMenu(t->visualItemRect(t->topLevelItem(1)).center());
        QMenu* menu = d->ContextMenu();
        EXPECT_EQ(menu->findChild<QAction*>("PM_ActStop")->text(), "启用");
        EXPECT_FALSE(menu->findChild<QAction*>("PM_AddTask")->isVisible());
        menu->close();
        Child<QPushButton>(d, "BtnClose")->click();
    });
    EXPECT_TRUE(ShowTaskList(e.env, path));
    EXPECT_EQ(TempDir::Get(path),
              Utf8ToGbk("*008时00分00秒\r\n*112时\r\n3消息 (a)\r\n3消息 (b)\r\n"));

    // OK on a file that cannot be written (its folder is gone): the user is told.
    const std::string lost = dir.File("gone") + "/War.lst";
    OnModal<TFrmWarnOptions>(
        [](TFrmWarnOptions* d) { Child<QPushButton>(d, "BtnClose")->click(); });
    EXPECT_TRUE(ShowTaskList(e.env, lost));
    EXPECT_THAT(e.Texts(),
                ::testing::ElementsAre("无法保存定时任务文件 " + lost + "，本次修改没有保存。"));
    e.boxes.calls.clear();

    // Deleting asks first; "No" keeps the node.
    e.boxes.answers = {MsgAnswer::No, MsgAnswer::Yes};
    TFrmWarnOptions list(e.env, nullptr);
    list.Tree()->SetTree(LoadTreeFile(path));
    list.Tree()->setCurrentItem(list.Tree()->topLevelItem(1));
    list.BtnDelClick();
    list.BtnDelClick();
    EXPECT_THAT(e.Texts(),
                ::testing::ElementsAre("确实要删除选择的任务吗？", "确实要删除选择的任务吗？"));
    EXPECT_EQ(list.Tree()->topLevelItemCount(), 1);
}
