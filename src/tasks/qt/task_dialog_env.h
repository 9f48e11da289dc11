// What the task windows need from the rest of the program: the skinned dialog frame with its
// drop shadow, message boxes and file choosers. The bar's task binding hands in the real ones;
// tests hand in a scripted message box and chooser.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "platform/message_box.h"

namespace tobu {

struct TaskDialogEnv {
    // Gives a dialog the skinned frame with its caption, close button and drop shadow; null: the
    // caption is only the window title.
    std::function<void(QWidget* form, const QString& caption)> applyFrame;
    MessageBox* messages = nullptr; // null: answers as if every box were closed
    // A file dialog: title, starting folder, filters ("a (*.x);;b (*.y)"); "" when cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& folder,
                          const QString& filter)>
        chooseFile;
    std::string appDir; // the program folder, ending in "/"

    // Frame, title, font, centring: the common dress of every task dialog.
    void Dress(QWidget* form, const QString& caption) const;
    MsgAnswer Ask(const std::string& caption, const std::string& text, MsgIcon icon,
                  MsgButtons buttons) const;
    QString ChooseFile(QWidget* parent, const QString& title, const QString& folder,
                       const QString& filter) const;
};

} // namespace tobu
