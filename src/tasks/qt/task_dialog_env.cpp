#include "tasks/qt/task_dialog_env.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>

namespace tobu {

void TaskDialogEnv::Dress(QWidget* form, const QString& caption) const {
    form->setWindowTitle(caption);
    form->setFont(QFont(QStringLiteral("宋体"), 9));
    if (applyFrame) applyFrame(form, caption);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->geometry();
        form->move(area.x() + (area.width() - form->width()) / 2,
                   area.y() + (area.height() - form->height()) / 2);
    }
}

MsgAnswer TaskDialogEnv::Ask(const std::string& caption, const std::string& text, MsgIcon icon,
                             MsgButtons buttons) const {
    if (!messages) return EscapeAnswer(buttons);
    return messages->Show(caption, text, icon, buttons);
}

QString TaskDialogEnv::ChooseFile(QWidget* parent, const QString& title, const QString& folder,
                                  const QString& filter) const {
    if (chooseFile) return chooseFile(parent, title, folder, filter);
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

} // namespace tobu
