#include "app/qt/task_binding.h"

#include <QAction>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#include "app/qt/date_line_binding.h"
#include "app/qt/form_shadow.h"
#include "app/qt/frm_led.h"
#include "app/qt/my_window.h"
#include "app/qt/sound_binding.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_power_off.h"
#include "sound/clock_alarm.h"
#include "tasks/qt/frm_shut_down.h"
#include "tasks/qt/task_dialogs.h"

namespace tobu {

class TaskBinding::Effects : public TaskEffects {
public:
    explicit Effects(TaskBinding& b) : b_(b) {}

    void PlayFile(const std::string& list) override {
        auto* sound = b_.bar_.findChild<SoundBinding*>();
        if (sound && sound->Alarm()) sound->Alarm()->PlayFile(list);
    }
    bool PopupMsgReady() override {
        DateLineBinding* line = FindDateLineBinding(b_.bar_);
        return line && line->Popup().PopupMsgReady();
    }
    void SendPopupText(const std::string& text) override {
        if (DateLineBinding* line = FindDateLineBinding(b_.bar_)) line->Popup().SendPopupText(text);
    }
    void ConfirmShutdown(std::function<void(bool)> answer) override {
        OpenShutdownCountdown(b_.DialogEnv(), std::move(answer));
    }
    void ShutDownComputer() override { b_.options_.powerOff->ShutDownComputer(); }
    void RunProgram(const std::string& path) override {
        QProcess::startDetached(QString::fromStdString(path), {});
    }
    void OpenDocument(const std::string& path) override {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    }

private:
    TaskBinding& b_;
};

TaskBinding::TaskBinding(TFrmLED& bar, const TaskBindingOptions& options)
    : QObject(&bar), bar_(bar), options_(options) {
    setObjectName("TaskBinding");
    if (!options_.powerOff) {
        ownPowerOff_ = std::make_unique<SystemPowerOff>();
        options_.powerOff = ownPowerOff_.get();
    }
    if (!options_.messages) {
        ownMessages_ = std::make_unique<QtMessageBox>();
        options_.messages = ownMessages_.get();
    }
    effects_ = std::make_unique<Effects>(*this);
    scheduler_ = std::make_unique<TaskScheduler>(*effects_);
    connect(&bar, &TFrmLED::startUpStep, this, [this](TFrmLED::StartUpStep step) {
        if (step == TFrmLED::StartUpStep::ChimesAndTasks) LoadTaskList();
    });
    connect(&bar, &TFrmLED::checkTasks, this,
            [this](TDateTime now) { scheduler_->CheckTasks(now); });
    connect(&bar, &TFrmLED::destroying, this, [this] { ClearTaskList(scheduler_->Table()); });
    for (const char* name : {"PM_TaskOptions", "PM_TaskOptions1"}) {
        bar.EnableMenuItem(name);
        if (auto* item = bar.findChild<QAction*>(name))
            connect(item, &QAction::triggered, this, [this] { PM_TaskOptionsClick(); });
    }
}

TaskBinding::~TaskBinding() = default;

void TaskBinding::LoadTaskList() {
    LoadTaskListFile(AppDir + kTaskFileName, scheduler_->Table());
}

TaskDialogEnv TaskBinding::DialogEnv() const {
    TaskDialogEnv env;
    const TFrmLED* bar = &bar_;
    env.applyFrame = [bar](QWidget* form, const QString& caption) {
        SkinDialog(bar->DialogFrame(), form, caption);
        if (!ShadowsEnabled) return;
        auto* shadow = new TFormShadow();
        shadow->Attach(form);
        QObject::connect(form, &QObject::destroyed, shadow, &QObject::deleteLater);
    };
    env.messages = options_.messages;
    env.chooseFile = options_.chooseFile;
    env.appDir = AppDir;
    return env;
}

void TaskBinding::PM_TaskOptionsClick() {
    // One task list at a time (the menus stay reachable from the tray while it is open).
    if (listOpen_) return;
    listOpen_ = true;
    bool ok = ShowTaskList(DialogEnv(), AppDir + kTaskFileName);
    listOpen_ = false;
    if (ok) LoadTaskList();
}

TaskBinding* BindTasks(TFrmLED& bar, const TaskBindingOptions& options) {
    return new TaskBinding(bar, options);
}

} // namespace tobu
