#include "platform/qt/qt_power_off.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QProcess>

namespace tobu {

void SystemPowerOff::ShutDownComputer() {
    if (std::optional<std::string> standIn = PowerOffStandIn()) {
        if (standIn->empty()) return;
        QProcess sh;
        sh.setProgram(QStringLiteral("/bin/sh"));
        sh.setArguments({QStringLiteral("-c"), QString::fromStdString(*standIn)});
        sh.setStandardInputFile(QProcess::nullDevice());
        sh.setStandardOutputFile(QProcess::nullDevice());
        sh.setStandardErrorFile(QProcess::nullDevice());
        sh.startDetached();
        return;
    }
    QDBusInterface login(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QDBusConnection::systemBus());
    if (login.isValid()) {
        QDBusReply<void> reply = login.call(QStringLiteral("PowerOff"), false);
        if (reply.isValid()) return;
    }
    QProcess::startDetached(QStringLiteral("systemctl"), {QStringLiteral("poweroff")});
}

} // namespace tobu
