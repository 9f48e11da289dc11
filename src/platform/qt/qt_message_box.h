// Message boxes shown with QMessageBox, buttons labelled in Chinese.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/message_box.h"

namespace tobu {

class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    MsgAnswer Show(const std::string& caption, const std::string& text, MsgIcon icon,
                   MsgButtons buttons) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace tobu
