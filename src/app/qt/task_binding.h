// Connects the scheduled tasks to the bar. The bar's task table is loaded from War.lst in the
// program folder at the start-up step of the chimes and tasks (after the chime sequencer,
// before the clock timer) and again after the task list closes with OK; every tick's checkTasks
// runs the scheduler. Sounds go to the chime sequencer's PlayFile, messages to the popup program
// through the date-line binding, "关机" opens the countdown and then powers off through the
// platform, other commands start a program or open a document. "定时任务" in the bar's menu,
// the tray menu and the analog clock's menu opens the task list (PM_TaskOptionsClick).
//
//     BindTasks(frm);   // after BindSound and BindDateLineAndPopups, before FormCreate
#pragma once

#include <QObject>
#include <memory>

#include "base/datetime.h"
#include "platform/message_box.h"
#include "platform/power_off.h"
#include "tasks/qt/task_dialog_env.h"
#include "tasks/task_scheduler.h"

namespace tobu {

class TFrmLED;

struct TaskBindingOptions {
    PowerOff* powerOff = nullptr;   // null: the system's power-off (or its stand-in)
    MessageBox* messages = nullptr; // null: real message boxes
    // null: the real file dialogs
    std::function<QString(QWidget*, const QString&, const QString&, const QString&)> chooseFile;
};

class TaskBinding : public QObject {
    Q_OBJECT
public:
    TaskBinding(TFrmLED& bar, const TaskBindingOptions& options);
    ~TaskBinding() override;

    TaskScheduler& Scheduler() { return *scheduler_; }
    void LoadTaskList();
    // Opens the task list; on OK War.lst is written and the table reloaded.
    void PM_TaskOptionsClick();
    TaskDialogEnv DialogEnv() const;

private:
    class Effects;
    TFrmLED& bar_;
    TaskBindingOptions options_;
    std::unique_ptr<PowerOff> ownPowerOff_;
    std::unique_ptr<MessageBox> ownMessages_;
    std::unique_ptr<Effects> effects_;
    std::unique_ptr<TaskScheduler> scheduler_;
    bool listOpen_ = false;
};

// Creates the binding as a child of the bar, connected to its signals.
TaskBinding* BindTasks(TFrmLED& bar, const TaskBindingOptions& options = {});

} // namespace tobu
