#include "tasks/qt/frm_shut_down.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <memory>

#include "faces/qt/led_font_num_widget.h"

namespace tobu {

namespace {
// The picture at the left: a power symbol on a soft disc.
QPixmap PowerPicture() {
    QImage img(50, 50, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(233, 141, 39));
    p.drawEllipse(QRectF(2, 2, 46, 46));
    QPen pen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(13, 14, 24, 24), 120 * 16, 300 * 16);
    p.drawLine(QPointF(25, 10), QPointF(25, 25));
    return QPixmap::fromImage(img);
}
} // namespace

TFrmShutDown::TFrmShutDown(const TaskDialogEnv& env) : QDialog(nullptr) {
    setObjectName(QStringLiteral("FrmShutDown"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(312, 156);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(PowerPicture());
    Image1->setGeometry(24, 48, 50, 50);

    LEDFontNum1 = new TLEDFontNum(this);
    LEDFontNum1->setObjectName(QStringLiteral("LEDFontNum1"));
    LEDFontNum1->setAutoSize(true);
    LEDFontNum1->setThick(5);
    LEDFontNum1->setWordWidth(23);
    LEDFontNum1->setWordHeight(31);
    LEDFontNum1->setThick(5);
    LEDFontNum1->setSpace(4);
    LEDFontNum1->setBGColor(0xFFFFFF);
    LEDFontNum1->setLightColor(2592233);
    LEDFontNum1->setDrawDarkColor(false);
    LEDFontNum1->setText(QStringLiteral("10"));
    LEDFontNum1->move(92, 56);

    Label1 = new QLabel(QStringLiteral("秒后关闭计算机..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(92 + LEDFontNum1->width() + 8, 72);

    RzButton2 = new QPushButton(QStringLiteral("立即关机"), this);
    RzButton2->setObjectName(QStringLiteral("RzButton2"));
    RzButton2->setGeometry(116, 116, 80, 25);
    RzButton1 = new QPushButton(QStringLiteral("取消(&C)"), this);
    RzButton1->setObjectName(QStringLiteral("RzButton1"));
    RzButton1->setGeometry(212, 116, 80, 25);
    connect(RzButton2, &QPushButton::clicked, this, [this] { done(1); });
    connect(RzButton1, &QPushButton::clicked, this, [this] { done(2); });

    timer1_.setInterval(1000);
    connect(&timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });

    env.Dress(this, QStringLiteral("定时任务：自动关机"));
    move(360, 273);
}

QString TFrmShutDown::DisplayText() const {
    return LEDFontNum1->text();
}

void TFrmShutDown::Timer1Timer() {
    --seconds_left_;
    if (seconds_left_ < 1) {
        timer1_.stop();
        done(1);
        return;
    }
    LEDFontNum1->setText(QString::asprintf("%02d", seconds_left_));
}

TFrmShutDown* OpenShutdownCountdown(const TaskDialogEnv& env, std::function<void(bool)> answer) {
    auto* dlg = new TFrmShutDown(env);
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dlg, &QDialog::finished, dlg,
                     [dlg, answered, answer = std::move(answer)](int result) {
                         if (*answered) return;
                         *answered = true;
                         dlg->Timer1().stop();
                         dlg->deleteLater();
                         answer(result == 1);
                     });
    dlg->setModal(true);
    dlg->Timer1().start();
    dlg->show();
    dlg->raise();
    return dlg;
}

} // namespace tobu
