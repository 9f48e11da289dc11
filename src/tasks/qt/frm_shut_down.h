// TFrmShutDown: the ten-second countdown before a scheduled power-off. It stays on top of all
// windows at (360, 273); the display reads 10, 09 … 01, one step a second, and the dialog closes
// with result 1 ten seconds after it opened. "立即关机" closes it at once with result 1;
// "取消(&C)", Esc and the frame's close button close it with another result.
//
// The countdown never blocks its caller: OpenShutdownCountdown shows it and returns, and the
// answer arrives through a callback, so the clock's tick runs on while it is open.
#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>

#include "tasks/qt/task_dialog_env.h"

class QLabel;
class QPushButton;

namespace tobu {

class TLEDFontNum;

class TFrmShutDown : public QDialog {
    Q_OBJECT
public:
    static constexpr int kSeconds = 10;
    explicit TFrmShutDown(const TaskDialogEnv& env);

    // One step of the countdown (Timer1's tick).
    void Timer1Timer();
    QTimer& Timer1() { return timer1_; }
    int SecondsLeft() const { return seconds_left_; }
    QString DisplayText() const;

private:
    friend struct ShutDownTestAccess;
    QLabel* Image1 = nullptr;
    TLEDFontNum* LEDFontNum1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* RzButton2 = nullptr; // 立即关机
    QPushButton* RzButton1 = nullptr; // 取消(&C)
    QTimer timer1_;
    int seconds_left_ = kSeconds;
};

// Shows the countdown (modal, not waiting) and calls `answer` once with true when it closed
// with result 1. The dialog frees itself.
TFrmShutDown* OpenShutdownCountdown(const TaskDialogEnv& env, std::function<void(bool)> answer);

} // namespace tobu
