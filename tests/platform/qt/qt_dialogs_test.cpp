#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_shell.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace tobu {
namespace {

// Presses the button with the given label on the message box once it is up; an empty label
// closes the box with Escape.
void PressLater(const QString& label) {
    QTimer::singleShot(50, [label] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return PressLater(label);
        if (label.isEmpty()) return box->reject();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == label) return b->click();
        box->reject();
    });
}

TEST(QtMessageBox, ButtonsAreChineseAndAnswersMapBack) {
    QtMessageBox mb;
    PressLater("否(&N)");
    EXPECT_EQ(mb.Show("确认", "继续吗？", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::No);
    PressLater("是(&Y)");
    EXPECT_EQ(mb.Show("确认", "继续吗？", MsgIcon::Question, MsgButtons::YesNoCancel),
              MsgAnswer::Yes);
    PressLater("确定");
    EXPECT_EQ(
        mb.Show("警告", "\"TobuClockHelp.chm\" 文件不存在。", MsgIcon::Warning, MsgButtons::Ok),
        MsgAnswer::Ok);
    PressLater(""); // closed without a button
    EXPECT_EQ(mb.Show("提示", "x", MsgIcon::Information, MsgButtons::OkCancel), MsgAnswer::Cancel);
    PressLater("");
    EXPECT_EQ(mb.Show("确认", "x", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::No);
}

TEST(QtShellOpen, RunStartsDetachedAndBadInputFails) {
    QtShellOpen shell;
    QTemporaryDir dir;
    QString marker = dir.filePath("ran");
    ASSERT_TRUE(shell.Run("/bin/sh", {"-c", "echo \"$1\" > \"$0\"", marker.toStdString(), "参数"}));
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(marker) && t.elapsed() < 5000) QCoreApplication::processEvents();
    QFile f(marker);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()).trimmed(), "参数");

    EXPECT_FALSE(shell.Run("", {}));
    EXPECT_FALSE(shell.Run(dir.filePath("no-such-program").toStdString(), {}));
    EXPECT_FALSE(shell.Open(""));
}

} // namespace
} // namespace tobu
