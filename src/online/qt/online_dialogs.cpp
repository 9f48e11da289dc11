#include "online/qt/online_dialogs.h"

#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include "platform/message_box.h"

namespace tobu {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

void Centre(QWidget* w) {
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect area = s->geometry();
        w->move(area.x() + (area.width() - w->width()) / 2,
                area.y() + (area.height() - w->height()) / 2);
    }
}

void DialogFont(QWidget* w) {
    QFont f(QString::fromUtf8("宋体"));
    f.setPointSize(9);
    w->setFont(f);
}

TLinkLabel* Link(QWidget* parent, const char* name, const QString& text) {
    auto* l = new TLinkLabel(text, parent);
    l->setObjectName(name);
    l->setCursor(Qt::PointingHandCursor);
    l->setStyleSheet("color: #0000FF; text-decoration: underline;");
    l->setTextFormat(Qt::PlainText);
    return l;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    return b;
}

int Run(const OnlineDialogServices& s, QDialog& d) {
    return s.run ? s.run(d) : d.exec();
}

} // namespace

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

TFrmAbout::TFrmAbout(const std::string& homePage, const std::string& contact,
                     const std::string& logoPath, const OnlineDialogServices& services,
                     QWidget* parent)
    : QDialog(parent) {
    setObjectName("FrmAbout");
    DialogFont(this);
    setFixedSize(332, 246);
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(32, 35, 260, 75);
    QImage logo(Q(logoPath), "JPEG");
    if (!logo.isNull()) Image1->setPixmap(QPixmap::fromImage(logo.scaled(260, 75)));

    LabelVer = new QLabel(QStringLiteral("V3.7.5"), this);
    LabelVer->setObjectName("LabelVer");
    QFont ver(QStringLiteral("Arial"));
    ver.setPixelSize(12);
    ver.setBold(true);
    LabelVer->setFont(ver);
    LabelVer->setAlignment(Qt::AlignRight | Qt::AlignTop);
    LabelVer->setGeometry(185, 104, 100, 16); // right edge at x 285

    LabelHome = Link(this, "LabelHome", QStringLiteral("Homepage:  ") + Q(homePage));
    LabelHome->setAlignment(Qt::AlignRight | Qt::AlignTop);
    LabelHome->setGeometry(16, 130, 269, 16);
    connect(LabelHome, &TLinkLabel::clicked, this, [services, homePage] {
        if (services.openLink) services.openLink(homePage);
    });
    LabelMail = Link(this, "LabelMail", Q(contact));
    LabelMail->setAlignment(Qt::AlignRight | Qt::AlignTop);
    LabelMail->setGeometry(16, 154, 269, 16);
    connect(LabelMail, &TLinkLabel::clicked, this, [services, contact] {
        if (services.openLink) services.openLink("mailto:" + contact);
    });
    LabelNotice = new QLabel(QString::fromUtf8("本软件是免费软件，欢迎使用和传播。"), this);
    LabelNotice->setObjectName("LabelNotice");
    QFont small(QString::fromUtf8("宋体"));
    small.setPixelSize(9);
    LabelNotice->setFont(small);
    LabelNotice->setAlignment(Qt::AlignRight | Qt::AlignTop);
    LabelNotice->setGeometry(16, 179, 269, 12);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(12, 200, 308, 2);
    BtnOK = Button(this, "BtnOK", "确定(&O)", QRect(126, 210, 80, 25));
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    Centre(this);
}

bool TFrmAbout::HasLogo() const {
    return !Image1->pixmap().isNull();
}

TFormHomePage::TFormHomePage(const std::string& current, const std::string& address,
                             const OnlineDialogServices& services, QWidget* parent)
    : QDialog(parent) {
    setObjectName("FormHomePage");
    DialogFont(this);
    setFixedSize(362, 216);
    auto* text1 =
        new QLabel(QString::fromUtf8("本软件是免费软件，为支持作者的艰辛工作......"), this);
    text1->setObjectName("Label1");
    text1->setGeometry(24, 44, 320, 16);
    auto* text2 =
        new QLabel(QString::fromUtf8("请点击“确定”按钮，将下列网址设为浏览器主页，谢谢！"), this);
    text2->setObjectName("Label2");
    text2->setGeometry(24, 68, 330, 16);
    LabelCurrent = Link(this, "LabelCurrent", QString::fromUtf8("当前主页: ") + Q(current));
    LabelCurrent->setGeometry(24, 100, 320, 16);
    connect(LabelCurrent, &TLinkLabel::clicked, this, [services, current] {
        if (services.openLink) services.openLink(current);
    });
    LabelNew = Link(this, "LabelNew", QString::fromUtf8("修改为: ") + Q(address));
    LabelNew->setGeometry(24, 124, 320, 16);
    connect(LabelNew, &TLinkLabel::clicked, this, [services, address] {
        if (services.openLink) services.openLink(address);
    });
    BtnOK = Button(this, "BtnOK", "确定(&O)", QRect(180, 172, 75, 25));
    BtnOK->setDefault(true);
    BtnOK->setAutoDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    BtnCancel = Button(this, "BtnCancel", "取消(&C)", QRect(266, 172, 75, 25));
    BtnCancel->setAutoDefault(false);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    Centre(this);
}

void ShowAbout(const std::string& homePage, const std::string& contact, const std::string& logoPath,
               const OnlineDialogServices& services) {
    TFrmAbout about(homePage, contact, logoPath, services);
    if (services.skin) services.skin(&about, QString::fromUtf8("关于"));
    Run(services, about);
}

bool OfferStartPage(const std::string& address, const std::function<std::string()>& readStartPage,
                    const std::function<bool(const std::string&)>& writeStartPage, MessageBox& box,
                    const OnlineDialogServices& services) {
    const std::string current = readStartPage ? readStartPage() : "";
    if (current == address) {
        box.Show("信息", "您已经赞助过软件作者，谢谢！", MsgIcon::Information, MsgButtons::Ok);
        return false;
    }
    TFormHomePage dialog(current, address, services);
    if (services.skin) services.skin(&dialog, QString::fromUtf8("赞助软件作者"));
    if (Run(services, dialog) != QDialog::Accepted) return false;
    return writeStartPage && writeStartPage(address);
}

} // namespace tobu
