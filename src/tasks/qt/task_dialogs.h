// The task dialogs: the task list TFrmWarnOptions, the task editor TFrmEditTask, the message
// entry TFrmInputMsg and the command entry TFrmAct. They work on the tree form of War.lst: task
// nodes with image 0 (enabled) or 1 (stopped) and action nodes with image 2 (sound), 3 (message)
// or 4 (command) whose texts are "播放 (…)", "消息 (…)" and "执行 (…)". Only the task list reads
// and writes the file: on OK it writes the whole tree, any other close writes nothing.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>
#include <QTreeWidget>
#include <string>

#include "tasks/qt/task_dialog_env.h"
#include "tasks/task_file.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace tobu {

// The six 16 × 16 pictures: enabled task, stopped task, sound, message, command, new task.
QIcon TaskIcon(int image);

// The tree control of the task list and the editor: actions can be dragged before another
// action, also into another task; tasks are not dragged.
class TaskTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TaskTreeView(QWidget* parent);
    static int Image(const QTreeWidgetItem* item);
    static void SetImage(QTreeWidgetItem* item, int image);
    static bool IsTask(const QTreeWidgetItem* item) { return item && !item->parent(); }
    QTreeWidgetItem* AddTask(const QString& text, int image);
    QTreeWidgetItem* AddAction(QTreeWidgetItem* task, const QString& text, int image);
    // The drop rule: both actions, different nodes; the dragged action moves before the target.
    bool MoveAction(QTreeWidgetItem* dragged, QTreeWidgetItem* target);
    void SetTree(const TaskTree& tree);
    TaskTree Tree() const;

protected:
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
};

// Message entry: returns true on OK with the lines joined without breaks in `text`.
bool InputMessage(const TaskDialogEnv& env, QWidget* parent, bool add, QString& text);
// Command entry: returns true on OK with "关机" or the path in `text`.
bool InputCommand(const TaskDialogEnv& env, QWidget* parent, bool add, QString& text);
// Task editor: adds a task to `list` (add) or changes `node`; false leaves the list unchanged.
bool EditTask(const TaskDialogEnv& env, QWidget* parent, bool add, QTreeWidgetItem* node,
              TaskTreeView* list);
// The task list over the file at `path`; on OK the tree is written there (a write that fails
// is told in a warning box) and true returned.
bool ShowTaskList(const TaskDialogEnv& env, const std::string& path);

class TFrmInputMsg : public QDialog {
    Q_OBJECT
public:
    TFrmInputMsg(const TaskDialogEnv& env, QWidget* parent, bool add, const QString& text);
    QString Result() const;
    QString CounterText() const;

private:
    void RzMemo1Change();
    QPlainTextEdit* RzMemo1 = nullptr;
    QLabel* Label1 = nullptr;
    QString last_;
};

class TFrmAct : public QDialog {
    Q_OBJECT
public:
    TFrmAct(const TaskDialogEnv& env, QWidget* parent, bool add, const QString& text);
    QString Result() const;
    void RzButton1Click();

private:
    void FollowRadio();
    const TaskDialogEnv& env_;
    QRadioButton *RzRadioButton1 = nullptr, *RzRadioButton2 = nullptr;
    QLineEdit* RzButtonEdit1 = nullptr;
    QPushButton* folder_ = nullptr;
};

// Shared by the task list and the editor: add, change, delete and toggle on a tree.
class TaskTreeDialog : public QDialog {
    Q_OBJECT
public:
    TaskTreeDialog(const TaskDialogEnv& env, QWidget* parent);
    TaskTreeView* Tree() const { return RzTreeView1; }

protected:
    // Appends a new action of `image` to `task` through its dialog; false when cancelled.
    bool AddAction(QTreeWidgetItem* task, int image);
    // Changes an action node through its dialog.
    void ChangeAction(QTreeWidgetItem* act);
    void ToggleState(QTreeWidgetItem* task);
    QMenu* ActionMenu(QWidget* parent, bool withTask);
    QString ChooseSound();

    const TaskDialogEnv& env_;
    TaskTreeView* RzTreeView1 = nullptr;
};

class TFrmEditTask : public TaskTreeDialog {
    Q_OBJECT
public:
    TFrmEditTask(const TaskDialogEnv& env, QWidget* parent, bool add, QTreeWidgetItem* node);
    QTreeWidgetItem* TaskNode() const { return RzTreeView1->topLevelItem(0); }
    void RzButton1Click();
    void BtnDelClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ListChange();
    void UpdateButtons();
    void ShowContextMenu(const QPoint& pos);
    QComboBox* lists_[6] = {};
    QPushButton *BtnAdd = nullptr, *BtnEdit = nullptr, *BtnDel = nullptr;
};

class TFrmWarnOptions : public TaskTreeDialog {
    Q_OBJECT
public:
    TFrmWarnOptions(const TaskDialogEnv& env, QWidget* parent);
    void PM_NewTaskClick();
    void NewAction(int image);
    void BtnEditClick();
    void BtnDelClick();
    void ShowContextMenu(const QPoint& pos);
    QMenu* ContextMenu() const { return PopupMenu2; }

private:
    void UpdateButtons();
    QPushButton *RzMenuButton1 = nullptr, *BtnEdit = nullptr, *BtnDel = nullptr,
                *BtnClose = nullptr;
    QMenu *PopupMenu1 = nullptr, *PopupMenu2 = nullptr;
};

} // namespace tobu
