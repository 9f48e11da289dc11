#include "platform/qt/qt_message_box.h"

#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

namespace tobu {

namespace {

QMessageBox::Icon IconOf(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::None:
        return QMessageBox::NoIcon;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

std::vector<MsgAnswer> AnswersOf(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok:
        return {MsgAnswer::Ok};
    case MsgButtons::OkCancel:
        return {MsgAnswer::Ok, MsgAnswer::Cancel};
    case MsgButtons::YesNo:
        return {MsgAnswer::Yes, MsgAnswer::No};
    case MsgButtons::YesNoCancel:
        return {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Cancel};
    case MsgButtons::RetryCancel:
        return {MsgAnswer::Retry, MsgAnswer::Cancel};
    }
    return {MsgAnswer::Ok};
}

std::pair<QString, QMessageBox::ButtonRole> LabelOf(MsgAnswer answer) {
    switch (answer) {
    case MsgAnswer::Ok:
        return {QStringLiteral("确定"), QMessageBox::AcceptRole};
    case MsgAnswer::Cancel:
        return {QStringLiteral("取消"), QMessageBox::RejectRole};
    case MsgAnswer::Retry:
        return {QStringLiteral("重试(&R)"), QMessageBox::AcceptRole};
    case MsgAnswer::Yes:
        return {QStringLiteral("是(&Y)"), QMessageBox::YesRole};
    case MsgAnswer::No:
        return {QStringLiteral("否(&N)"), QMessageBox::NoRole};
    }
    return {QStringLiteral("确定"), QMessageBox::AcceptRole};
}

} // namespace

MsgAnswer QtMessageBox::Show(const std::string& caption, const std::string& text, MsgIcon icon,
                             MsgButtons buttons) {
    QMessageBox box(IconOf(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::NoButton, parent_.data());
    std::vector<std::pair<QAbstractButton*, MsgAnswer>> made;
    for (MsgAnswer answer : AnswersOf(buttons)) {
        auto [label, role] = LabelOf(answer);
        made.emplace_back(box.addButton(label, role), answer);
    }
    box.setDefaultButton(static_cast<QPushButton*>(made.front().first));
    MsgAnswer escape = EscapeAnswer(buttons);
    for (auto& [button, answer] : made)
        if (answer == escape) box.setEscapeButton(button);
    box.exec();
    for (auto& [button, answer] : made)
        if (box.clickedButton() == button) return answer;
    return escape;
}

} // namespace tobu
