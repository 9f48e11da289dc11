#include "platform/qt/qt_shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace tobu {

bool QtShellOpen::Open(const std::string& target) {
    if (target.empty()) return false;
    QString text = QString::fromStdString(target);
    QUrl url = LooksLikeUrl(target) ? QUrl(text, QUrl::TolerantMode) : QUrl::fromLocalFile(text);
    if (!url.isValid()) return false;
    return QDesktopServices::openUrl(url);
}

bool QtShellOpen::Run(const std::string& program, const std::vector<std::string>& args) {
    if (program.empty()) return false;
    QStringList list;
    for (const std::string& a : args) list << QString::fromStdString(a);
    return QProcess::startDetached(QString::fromStdString(program), list);
}

} // namespace tobu
