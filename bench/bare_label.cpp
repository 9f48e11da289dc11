// The yardstick of tools/measure.sh: the least a Qt 6 program showing a ticking Chinese text
// costs. One borderless label the size of the bar, its text (date, weekday and time) set again
// every second.
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label;
    label.setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
    label.setWindowTitle("bare_label");
    label.setFixedSize(332, 34);
    label.setAlignment(Qt::AlignCenter);
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const auto show = [&] {
        label.setText(
            chinese.toString(QDateTime::currentDateTime(), "yyyy年MM月dd日 dddd HH:mm:ss"));
    };
    show();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, show);
    tick.start(1000);
    label.show();
    return app.exec();
}
