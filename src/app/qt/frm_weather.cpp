#include "app/qt/frm_weather.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QOpenGLContext>
#include <QPainter>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

#include "app/qt/bitmap_button.h"
#include "app/qt/fade_out.h"
#include "app/qt/form_shadow.h"
#include "app/qt/frm_led.h"
#include "app/qt/menu_colors.h"
#include "app/qt/my_window.h"
#include "app/qt/window_mover.h"
#include "online/feed.h"
#include "online/qt/online_dialogs.h"
#include "platform/qt/color_key.h"
#include "settings/skin_loaders.h"

// The toolkit's shared drawing context (exported by Qt GUI, which the web engine reads).
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace tobu {

namespace {

// The look without a skin: a blue card with see-through corners.
QImage DefaultWeatherBackground() {
    QImage img(332, 160, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 255));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(40, 70, 120));
    p.setBrush(QColor(60, 100, 160));
    p.drawRoundedRect(QRect(0, 0, 331, 159), 8, 8);
    return img;
}

} // namespace

std::unique_ptr<WeatherPage> MakeWebEnginePage(QWidget* parent,
                                               std::function<void(const std::string&)> openLink) {
    // The engine's sandbox cannot start as root; it runs without it only when asked to.
    const char* noSandbox = std::getenv("QTWEBENGINE_DISABLE_SANDBOX");
    if (::geteuid() == 0 && !(noSandbox && std::strcmp(noSandbox, "1") == 0)) return nullptr;
    // The engine draws through a drawing context shared with the toolkit. Made here, on first
    // use, rather than before the application starts, a clock that never shows the weather
    // page never loads the OpenGL driver (some 60 MB).
    if (!qt_gl_global_share_context()) {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        auto* shared = new QOpenGLContext(qApp);
        if (!shared->create()) {
            delete shared;
            return nullptr;
        }
        qt_gl_set_global_share_context(shared);
    }
    // The engine is loaded from the program folder on first use only, so a clock without the
    // weather window never maps it.
    const std::string module = AppDir + kWeatherPageModule;
    void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return nullptr;
    using Make = WeatherPage* (*)(QWidget*, const std::function<void(const std::string&)>*);
    auto make = reinterpret_cast<Make>(::dlsym(handle, "TobuMakeWeatherPage"));
    if (!make) return nullptr;
    return std::unique_ptr<WeatherPage>(make(parent, &openLink));
}

TFrmWeather::TFrmWeather(const Clock& clock, std::optional<std::string> pageUrl,
                         WeatherPageFactory factory,
                         std::function<void(const std::string&)> openLink, bool shadows)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool), loads_(clock), url_(std::move(pageUrl)),
      factory_(std::move(factory)), open_link_(std::move(openLink)) {
    setObjectName("FrmWeather");
    setWindowTitle(QStringLiteral("FrmWeather"));
    setFont(QFont(QString::fromUtf8("宋体"), 9));
    setProperty("transparentColor", static_cast<unsigned>(kClFuchsia));

    auto* title = new TLinkLabel(QString::fromUtf8("天气预报"), this);
    connect(title, &TLinkLabel::clicked, this, [this] { OpenMenu2(); });
    RzLabel3 = title;
    RzLabel3->setObjectName("RzLabel3");
    RzLabel3->setGeometry(15, 19, 84, 19);
    RzLabel3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont heading(QString::fromStdString(HeadingFontName.empty() ? "宋体" : HeadingFontName));
    heading.setPixelSize(19);
    heading.setBold(true);
    RzLabel3->setFont(heading);
    RzLabel3->setStyleSheet("color: #FFFFFF; background: transparent;");

    BtnGNG = new TBitmapButton(this);
    BtnGNG->setObjectName("BtnGNG");
    BtnGNG->setGeometry(100, 27, 11, 11);
    BtnGNG->setToolTip(QString::fromUtf8("公历-农历"));
    connect(BtnGNG, &TBitmapButton::clicked, this, [this] { OpenMenu2(); });

    RzPanel1 = new QWidget(this);
    RzPanel1->setObjectName("RzPanel1");
    RzPanel1->setGeometry(6, 44, 320, 109);
    RzPanel1->setAutoFillBackground(true);
    QPalette white = RzPanel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    RzPanel1->setPalette(white);
    BrowserPanel = new QWidget(RzPanel1);
    BrowserPanel->setObjectName("BrowserPanel");
    BrowserPanel->setGeometry(-2, -2, 341, 113);

    BuildMenus();
    mover_ = new WindowMover(this);
    mover_->AddHandle(this);
    if (shadows) {
        shadow_ = new TFormShadow();
        shadow_->Attach(this);
        shadow_->SetShadowVisible(false);
    }
    SetBackground(DefaultWeatherBackground());
    // Creation loads the page (the browser itself comes with the first show).
    LoadPage();
}

TFrmWeather::~TFrmWeather() {
    page_.reset();
    delete shadow_;
}

void TFrmWeather::BuildMenus() {
    auto item = [](QMenu* menu, const char* name, const char* caption) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        return a;
    };
    PopupMenu1_ = new QMenu(this);
    PopupMenu1_->setObjectName("PopupMenu1");
    PM_CSSJ = item(PopupMenu1_, "PM_CSSJ", "城市时间查询");
    PM_CSSJ->setEnabled(false); // the world time window wires it when it exists
    connect(PM_CSSJ, &QAction::triggered, this, [this] { emit worldTimeRequested(); });
    PopupMenu1_->addSeparator();
    PM_QieHuan = PopupMenu1_->addMenu(QString::fromUtf8("切换到"));
    PM_QieHuan->setObjectName("PM_QieHuan");
    PM_Clock = item(PM_QieHuan, "PM_Clock", "时钟");
    PM_Calendar = item(PM_QieHuan, "PM_Calendar", "日历");
    PM_Hide = item(PopupMenu1_, "PM_Hide", "关闭窗口");
    connect(PM_Clock, &QAction::triggered, this, [this] { emit showChildWindowRequested(2); });
    connect(PM_Calendar, &QAction::triggered, this, [this] { emit showChildWindowRequested(1); });
    connect(PM_Hide, &QAction::triggered, this, [this] { close(); });
    PopupMenu2_ = new QMenu(this);
    PopupMenu2_->setObjectName("PopupMenu2");
    PM_Refresh = item(PopupMenu2_, "PM_Refresh", "刷新...");
    connect(PM_Refresh, &QAction::triggered, this, [this] {
        loads_.OnRefresh();
        Navigate();
    });
    SetMenuLook(MenuColors{});
}

void TFrmWeather::SetMenuLook(const MenuColors& colors) {
    for (QMenu* m : {PopupMenu1_, PM_QieHuan, PopupMenu2_}) SetMenuColors(*m, colors);
}

void TFrmWeather::LoadPage() {
    loads_.OnCreate();
    Navigate();
}

void TFrmWeather::Navigate() {
    if (!url_) return;
    if (!page_) {
        pending_ = true; // the browser is made at the first show
        return;
    }
    pending_ = false;
    page_->Navigate(*url_);
}

void TFrmWeather::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shadow_) shadow_->SetShadowVisible(true);
    if (!page_made_) {
        page_made_ = true;
        if (factory_) page_ = factory_(BrowserPanel, open_link_);
        if (page_) {
            page_->Widget()->setGeometry(0, 0, 341, 113);
            page_->Widget()->show();
        }
        if (pending_) Navigate();
    }
    if (loads_.OnShow()) Navigate();
}

void TFrmWeather::hideEvent(QHideEvent* event) {
    if (shadow_) shadow_->SetShadowVisible(false);
    QWidget::hideEvent(event);
}

void TFrmWeather::closeEvent(QCloseEvent* event) {
    // Closing only hides the window.
    if (shadow_ && isVisible()) FadeOutForm(this, shadow_);
    event->accept();
}

void TFrmWeather::CloseWeather() {
    setWindowOpacity(1.0);
    if (shadow_) shadow_->RefreshShadow();
    QApplication::processEvents();
    close();
}

void TFrmWeather::SetOpacity(int value) {
    setWindowOpacity((value & 0xFF) / 255.0);
    if (shadow_) shadow_->RefreshShadow();
}

void TFrmWeather::ReloadSkin(const std::string& skinPath) {
    WeatherSkin skin;
    if (!LoadWeatherSkin(skinPath, skin).Applied()) return;
    if (skin.background.width > 0) SetBackground(ToQImage(skin.background));
    if (skin.year_up.width > 0) {
        const QImage pic = KeyedImage(skin.year_up);
        BtnGNG->SetPictures(pic, pic);
    }
    const TColor c = skin.font_color;
    RzLabel3->setStyleSheet(QString("color: rgb(%1,%2,%3); background: transparent;")
                                .arg(c & 0xFF)
                                .arg((c >> 8) & 0xFF)
                                .arg((c >> 16) & 0xFF));
    SetMenuLook(skin.menu);
}

void TFrmWeather::SetBackground(const QImage& picture) {
    background_ = picture.convertToFormat(QImage::Format_RGB32);
    setFixedSize(background_.size());
    const QRegion region = ColorKeyRegion(background_);
    if (region.isEmpty() || region == QRegion(rect()))
        clearMask();
    else
        setMask(region);
    if (shadow_) shadow_->RefreshShadow();
    update();
}

void TFrmWeather::OpenMenu2() {
    PopupMenu2_->popup(RzLabel3->mapToGlobal(QPoint(0, RzLabel3->height())));
}

void TFrmWeather::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu1_->popup(event->globalPos());
}

void TFrmWeather::paintEvent(QPaintEvent*) {
    QPainter(this).drawImage(0, 0, background_);
}

} // namespace tobu
