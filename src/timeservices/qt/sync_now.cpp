#include "timeservices/qt/sync_now.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QThread>
#include <memory>

#include "platform/clock.h"
#include "platform/clock_setter.h"
#include "platform/message_box.h"

namespace tobu {

QString LastSyncText(const std::string& app_dir) {
    if (auto line = ReadTimeCheck(app_dir + "TimeCheck.lst"))
        return QString::fromUtf8("最后校正于: ") + QString::fromStdString(*line);
    return QString::fromUtf8("最后校正于:");
}

SyncOutcome SyncTimeNow(const std::string& app_dir, ClockSetter& setter) {
    auto outcome = std::make_shared<SyncOutcome>();
    TSyncTimeDir dir(app_dir + "TimeHost.lst", app_dir + "TimeCheck.lst", setter,
                     SystemClock::Instance());
    QEventLoop loop;
    QThread* worker = QThread::create([&dir, outcome] {
        dir.Run();
        *outcome = dir.Last();
    });
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    // The attempt ends within the connect and read limits (and the setter's 10 s).
    if (!worker->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    delete worker;
    return *outcome;
}

SyncOutcome RunSyncNow(const std::string& app_dir, QAbstractButton* button, QLabel* label,
                       MessageBox& box, ClockSetter& setter) {
    QPointer<QAbstractButton> b(button);
    QPointer<QLabel> l(label);
    if (b) b->setEnabled(false);
    SyncOutcome out = SyncTimeNow(app_dir, setter);
    if (b) b->setEnabled(true);
    if (out.ok()) {
        if (l) l->setText(QString::fromUtf8("最后校正于: ") + QString::fromStdString(out.checked));
    } else if (out.error == TimeError::SetFailed) {
        box.Show("提示", "无法设置系统时间。", MsgIcon::Information, MsgButtons::Ok);
    }
    return out;
}

} // namespace tobu
