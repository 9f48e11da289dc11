#include "app/qt/frm_led.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstdio>

#include "app/popup_protocol.h"
#include "app/qt/bar_art.h"
#include "app/qt/bitmap_button.h"
#include "app/qt/fade_out.h"
#include "app/qt/flat_panel.h"
#include "app/qt/form_shadow.h"
#include "app/qt/magnetic_host.h"
#include "app/qt/menu_colors.h"
#include "app/qt/my_window.h"
#include "app/qt/window_mover.h"
#include "app/start_up.h"
#include "faces/qt/aa_fadetext.h"
#include "faces/qt/led_font_num_widget.h"
#include "platform/qt/color_key.h"
#include "platform/qt/desktop.h"
#include "platform/qt/fonts.h"
#include "settings/bar_settings_writer.h"
#include "settings/skin_loaders.h"

namespace tobu {

bool ShadowsEnabled = false;
std::string AppDir;
std::string HeadingFontName = "宋体";
std::string CurrentSkinFile;
std::string CurrentClockFile;

namespace {

QColor FromTColor(TColor c) {
    return QColor(ColorR(c), ColorG(c), ColorB(c));
}

// Without global keys nothing registers: the hot key stays off, silently.
class NoHotKeys : public HotKeySystem {
public:
    int AddAtom(const std::string&) override { return 0; }
    void DeleteAtom(int) override {}
    bool RegisterHotKey(int, int, int) override { return false; }
    void UnregisterHotKey(int) override {}
};

} // namespace

void TImageBk::SetPicture(const QImage& image) {
    picture_ = image;
    update();
}

void TImageBk::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!picture_.isNull()) p.drawImage(0, 0, picture_);
}

TFrmLED::TFrmLED(const Services& services, std::string firstArgument)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool), services_(services),
      first_argument_(std::move(firstArgument)) {
    if (!services_.clock) services_.clock = &SystemClock::Instance();
    if (!services_.hotKeys) {
        no_hot_keys_ = std::make_unique<NoHotKeys>();
        services_.hotKeys = no_hot_keys_.get();
    }
    hot_key_ = std::make_unique<ClockHotKey>(*services_.hotKeys);
    setWindowTitle(QString::fromUtf8("Tobu桌面时钟"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    // The bar is seldom the active window; its hover text shows all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFixedSize(332, 34);
    BuildControls();
    BuildMenus();
}

TFrmLED::~TFrmLED() {
    if (!destroyed_) FormDestroy();
    delete shadow_.data();
}

void TFrmLED::BuildControls() {
    ImageBk = new TImageBk(this);
    ImageBk->setObjectName("ImageBk");
    ImageBk->setGeometry(0, 0, 332, 34);

    AAFadeTextDate = new TAAFadeText(this);
    AAFadeTextDate->setObjectName("AAFadeTextDate");
    ConfigureDateLine(*AAFadeTextDate);

    RzPanel2 = new TFlatPanel(this);
    RzPanel2->setObjectName("RzPanel2");
    RzPanel2->setGeometry(53, 4, 116, 26);
    RzPanel2->SetBorderColor(FromTColor(13664560));
    QFont timeFont("Tahoma");
    timeFont.setPixelSize(24);
    timeFont.setItalic(true);
    RzPanel2->setFont(timeFont);

    LED = new TLEDFontNum(RzPanel2);
    LED->setObjectName("LED");
    LED->setAutoSize(false);
    LED->setGeometry(1, 1, 117, 23);
    LED->setOffSetX(6);
    LED->setOffSetY(2);
    LED->setWordWidth(15);
    LED->setWordHeight(19);
    LED->setThick(3);
    LED->setSpace(3);
    LED->setBGColor(kClBlack);
    LED->setLightColor(kDefaultLedLightColor);
    LED->setDarkColor(3618615);
    LED->setDrawDarkColor(false);
    LED->setText("00:00:00");

    BtnMenu = new TBitmapButton(this);
    BtnMenu->setObjectName("BtnMenu");
    BtnMenu->setGeometry(8, 4, 43, 27);
    BtnMenu->setToolTip(QString::fromUtf8("主菜单"));
    connect(BtnMenu, &TBitmapButton::clicked, this, [this] { BtnMenuClick(); });

    BtnMin = new TBitmapButton(this);
    BtnMin->setObjectName("BtnMin");
    BtnMin->setGeometry(296, 1, 26, 9);
    BtnMin->setToolTip(QString::fromUtf8("最小化"));
    connect(BtnMin, &TBitmapButton::clicked, this, [this] { MinimizeToTray(); });

    // Dragging the background, the panel or the LED moves the whole bar.
    mover_ = new WindowMover(this);
    mover_->AddHandle(ImageBk);
    mover_->AddHandle(RzPanel2);
    mover_->AddHandle(LED);

    RzTrayIcon1 = new QSystemTrayIcon(TrayIcon(0), this);
    connect(RzTrayIcon1, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason r) {
                if (r == QSystemTrayIcon::Trigger) RestoreFromTray();
            });
    tray_animation_.setInterval(600);
    connect(&tray_animation_, &QTimer::timeout, this, [this] {
        tray_frame_ ^= 1;
        RzTrayIcon1->setIcon(TrayIcon(tray_frame_));
    });

    TimerClock.setInterval(1000);
    connect(&TimerClock, &QTimer::timeout, this, [this] { TimerClockTimer(); });
    TimerChild.setInterval(300);
    connect(&TimerChild, &QTimer::timeout, this, [this] { TimerChildTimer(); });
    TimerSavePos.setInterval(2000);
    connect(&TimerSavePos, &QTimer::timeout, this, [this] { TimerSavePosTimer(); });
    TimerMsg.setInterval(1000);
    TimerMsg.setSingleShot(true);
    TimerHintClose.setInterval(10000);
    TimerAD.setInterval(300000);
    TimerWarStep.setInterval(MessageOptions{}.war_step_interval_ms);

    ApplyDefaultSkin();
}

void TFrmLED::SetBackground(const QImage& picture) {
    ImageBk->SetPicture(picture);
    QImage client(size(), QImage::Format_RGB32);
    client.fill(QColor(255, 0, 255));
    QPainter(&client).drawImage(0, 0, picture);
    AAFadeTextDate->SetBackgroundPicture(client);
    ApplyColorKey();
}

void TFrmLED::ApplyDefaultSkin() {
    SetBackground(DefaultBarBackground());
    BtnMenu->SetPictures(DefaultMenuButton(false), DefaultMenuButton(true));
    BtnMin->SetPictures(DefaultMinButton(false), DefaultMinButton(true));
}

void TFrmLED::ApplyColorKey() {
    // The bar is see-through wherever its background shows the colour key.
    QImage bk = ImageBk->Picture();
    if (bk.isNull()) {
        clearMask();
        return;
    }
    QImage full(size(), QImage::Format_RGB32);
    full.fill(QColor(255, 0, 255));
    QPainter(&full).drawImage(0, 0, bk);
    QRegion region = ColorKeyRegion(full);
    if (region.isEmpty() || region == QRegion(rect()))
        clearMask();
    else
        setMask(region);
}

void TFrmLED::BuildMenus() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");

    auto item = [](QMenu* menu, const char* name, const char* caption, int icon, int tag) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        if (icon >= 0) a->setIcon(MenuIcon(icon));
        a->setData(tag);
        return a;
    };

    auto* modes = new QActionGroup(this);
    modes->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    PM_Smp = item(PopupMenu1, "PM_Smp", "精简", -1, 0);
    PM_Clock = item(PopupMenu1, "PM_Clock", "时钟", -1, 2);
    PM_Calendar = item(PopupMenu1, "PM_Calendar", "日历", -1, 1);
    PM_Weather = item(PopupMenu1, "PM_Weather", "天气", -1, 3);
    mode_items_ = {PM_Smp, PM_Clock, PM_Calendar, PM_Weather};
    for (QAction* a : mode_items_) {
        a->setCheckable(true);
        modes->addAction(a);
        connect(a, &QAction::triggered, this, [this, a] { PM_CalendarClick(a); });
    }
    // The companion windows come with their own windows; until then only "精简" can be chosen.
    PM_Clock->setEnabled(false);
    PM_Calendar->setEnabled(false);
    PM_Weather->setEnabled(false);
    PopupMenu1->addSeparator()->setObjectName("N6");

    struct Common {
        QAction *tasks, *marks, *world, *options, *nor, *bs, *skin, *clock, *msg, *time, *home,
            *help, *about, *exit;
    };
    auto commonItems = [&](QMenu* menu, bool tray) {
        Common c{};
        const char* suffix = tray ? "1" : "";
        auto nm = [&](const char* base) { return QByteArray(base) + suffix; };
        c.tasks = item(menu, nm("PM_TaskOptions"), "定时任务", 5, 0);
        c.marks = item(menu, nm("PM_CalOptions"), "日历标记", 6, 0);
        c.world = item(menu, nm("PM_WorldTime"), "城市时间查询", 7, 0);
        QMenu* sub = menu->addMenu(MenuIcon(0), QString::fromUtf8("系统设置"));
        c.options = sub->menuAction();
        c.options->setObjectName(QString::fromLatin1(nm("PM_Options")));
        c.nor = item(sub, nm("PM_OptionsNor"), "常规设置", -1, 0);
        c.bs = item(sub, nm("PM_OptionsBS"), "报时设置", -1, 1);
        c.skin = item(sub, nm("PM_OptionsSkin"), "皮肤更换", -1, 2);
        c.clock = item(sub, nm("PM_OptionsClock"), "时钟样式", -1, 3);
        c.msg = item(sub, nm("PM_OptionsMsg"), "消息设置", -1, 4);
        c.time = item(sub, nm("PM_OptionsTime"), "时间校正", -1, 5);
        menu->addSeparator()->setObjectName(tray ? "N3" : "N4");
        c.home = item(menu, tray ? "PM_Homepage1" : "PM_HomePage", "主页", 4, 0);
        c.help = item(menu, nm("PM_Help"), "帮助", 1, 0);
        c.about = item(menu, nm("PM_About"), "关于", 3, 0);
        c.exit = item(menu, nm("PM_Exit"), "退出", 2, 0);
        // Dialogs that are not built yet stay visible but disabled.
        for (QAction* a : {c.tasks, c.marks, c.world, c.nor, c.bs, c.skin, c.clock, c.msg, c.time,
                           c.home, c.about})
            a->setEnabled(false);
        // "系统设置" opens only while one of its items can be chosen.
        auto followItems = [options = c.options, sub] {
            const QList<QAction*> items = sub->actions();
            options->setEnabled(std::any_of(items.begin(), items.end(), [](QAction* a) {
                return !a->isSeparator() && a->isEnabled();
            }));
        };
        for (QAction* a : sub->actions()) connect(a, &QAction::changed, c.options, followItems);
        followItems();
        for (QAction* a : {c.nor, c.bs, c.skin, c.clock, c.msg, c.time})
            connect(a, &QAction::triggered, this, [this, a] { PM_OptionsNorClick(a); });
        connect(c.help, &QAction::triggered, this, [this] { PM_HelpClick(); });
        connect(c.exit, &QAction::triggered, this, [this] { PM_ExitClick(); });
        return c;
    };

    Common m = commonItems(PopupMenu1, false);
    PM_TaskOptions = m.tasks, PM_CalOptions = m.marks, PM_WorldTime = m.world;
    PM_Options = m.options, PM_OptionsNor = m.nor, PM_OptionsBS = m.bs;
    PM_OptionsSkin = m.skin, PM_OptionsClock = m.clock, PM_OptionsMsg = m.msg;
    PM_OptionsTime = m.time, PM_HomePage = m.home, PM_Help = m.help, PM_About = m.about;
    PM_Exit = m.exit;

    PM_Open = item(PopupMenu2, "PM_Open", "打开窗口", -1, 0);
    PM_Hide1 = item(PopupMenu2, "PM_Hide1", "隐藏窗口", -1, 0);
    connect(PM_Open, &QAction::triggered, this, [this] { RestoreFromTray(); });
    connect(PM_Hide1, &QAction::triggered, this, [this] { MinimizeToTray(); });
    PopupMenu2->addSeparator();
    Common t = commonItems(PopupMenu2, true);
    PM_TaskOptions1 = t.tasks, PM_CalOptions1 = t.marks, PM_WorldTime1 = t.world;
    PM_Options1 = t.options, PM_OptionsNor1 = t.nor, PM_OptionsBS1 = t.bs;
    PM_OptionsSkin1 = t.skin, PM_OptionsClock1 = t.clock, PM_OptionsMsg1 = t.msg;
    PM_OptionsTime1 = t.time, PM_Homepage1 = t.home, PM_Help1 = t.help, PM_About1 = t.about;
    PM_Exit1 = t.exit;

    // The built-in look's menus until a skin says otherwise.
    SetBarMenuColors(MenuColors{});
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { PopupMenu1Popup(); });
    connect(PopupMenu2, &QMenu::aboutToShow, this, [this] { PopupMenu1Popup(); });
    RzTrayIcon1->setContextMenu(PopupMenu2);
}

std::string TFrmLED::SettingsPath() const {
    return AppDir + "skin.ini";
}

void TFrmLED::FormCreate() {
    // The bar's own font.
    QFont own("宋体");
    own.setPointSize(9);
    setFont(own);
    // The heading font of the calendar and weather windows.
    HeadingFontName = ChooseHeadingFont(
        [](const std::string& name) { return IsFontInstalled(QString::fromStdString(name)); },
        HeadingFontName);
    // Not shown yet; painting is double-buffered by the toolkit.
    first_show_ = true;
    if (AppDir.empty()) AppDir = CurrentAppDir();
    // Popup program, last date, cycling date line.
    popup_wnd_ = 0;
    last_date_ = 0;
    date_cycling_ = true;
    // Settings and skins.
    LoadSettings(SettingsScope::All);
    // Position saving starts from where the bar is now.
    SavedLeft = x();
    SavedTop = y();
    TimerSavePos.start();
    // The bar's shadow; time synchronisation and window snapping follow it.
    if (ShadowsEnabled && !shadow_) {
        shadow_ = new TFormShadow();
        shadow_->Attach(this);
    }
    // Window snapping: the bar is the top window and snaps within 15 pixels.
    if (!magnetic_) {
        magnetic_ = std::make_unique<TMagneticWindows>();
        magnetic_->Magnetic().SetDistance(kBarSnapDistance);
        magnetic_->Attach(this, nullptr, mover_);
    }
    emit startUpStep(StartUpStep::AfterSettings);
    // The calendar's turn: its window is made when first shown; until then the date line reads
    // the lunar texts and marks without it.
    emit startUpStep(StartUpStep::CalendarWindow);
    // Chime sequencer and task table.
    emit startUpStep(StartUpStep::ChimesAndTasks);
    TimerClock.start();
    // One display update so the bar is filled before it is first shown.
    TDateTime now = services_.clock->Now();
    ShowClockText(now);
    emit showTime(now);
    // Start hidden only with the setting and the "/hide" switch.
    hide_at_start_ = DecideHideAtStart(OnStartHide, first_argument_);
    OnStartHide = hide_at_start_;
    // The one-shot calendar-mark message timer.
    TimerMsg.start();
    // Cached announcement lines and their 5-minute timer.
    emit startUpStep(StartUpStep::Announcements);
    TimerAD.start();
    // The icon is shown even without a tray: the toolkit embeds it when a tray appears later
    // (at login the panel often starts after the clock).
    RzTrayIcon1->show();
}

void TFrmLED::showEvent(QShowEvent* e) {
    // A window manager taking the bar in can leave the toolkit with an old place for it; the
    // position saving must write where the user sees the bar.
    CheckWindowPlaceLater(this, kCheckPlaceMs);
    if (shadow_) shadow_->SetShadowVisible(true);
    QWidget::showEvent(e);
    visible_flag_ = true;
    if (first_show_) {
        first_show_ = false;
        TimerChild.start();
    }
}

TFormShadow* TFrmLED::Shadow() const {
    return shadow_.data();
}

void TFrmLED::hideEvent(QHideEvent* e) {
    if (shadow_) shadow_->SetShadowVisible(false);
    QWidget::hideEvent(e);
}

void TFrmLED::TimerChildTimer() {
    TimerChild.stop();
    emit startUpStep(StartUpStep::DefaultWindow);
    // DefWin counts clock, calendar, weather; the windows are opened by their mode index.
    if (ChildMode mode = ModeOfDefWin(DefWin); mode != ChildMode::None)
        emit showChildWindowRequested(static_cast<int>(mode));
    // Let the companion window settle for a second before going to the tray.
    QTimer::singleShot(1000, this, [this] {
        if (hide_at_start_) {
            hide_at_start_ = false;
            MinimizeWhenTrayReady(0);
        }
    });
}

bool TFrmLED::TrayAvailable() const {
    return services_.hasTray ? services_.hasTray() : HasSystemTray();
}

void TFrmLED::MinimizeWhenTrayReady(int waitedMs) {
    // A tray that is not there yet gets a few seconds to appear before the bar goes away.
    constexpr int kPollMs = 250;
    if (closing_done_ || minimized_) return;
    if (TrayAvailable() || waitedMs >= TrayWaitMs) {
        MinimizeToTray();
        return;
    }
    QTimer::singleShot(kPollMs, this,
                       [this, waitedMs] { MinimizeWhenTrayReady(waitedMs + kPollMs); });
}

void TFrmLED::TimerClockTimer() {
    // One reading of the clock serves every step of this tick, and the steps run in this
    // order: the LED and the plain-text time; the date line, hover text and the analog
    // clock's hands; scheduled tasks; the chimes (a message chime goes to the popup program).
    TDateTime now = services_.clock->Now();
    ShowClockText(now);
    emit showTime(now);
    emit checkTasks(now);
    emit checkChime(now);
}

void TFrmLED::ShowClockText(TDateTime now) {
    QString text = QString::fromStdString(ClockText(now));
    LED->setText(text);
    RzPanel2->SetCaption(text);
}

void TFrmLED::RegisterClockHotKey(const std::string& modifierText, const std::string& letterText) {
    hot_key_->Register(modifierText, letterText);
}

void TFrmLED::UnregisterClockHotKey() {
    hot_key_->Unregister();
}

bool TFrmLED::HandleHotKey(int id, qint64 lparam) {
    if (id != hot_key_->Id() || !hot_key_->Matches(lparam)) return false;
    emit announceTime(services_.clock->Now());
    return true;
}

void TFrmLED::MinimizeToTray() {
    // The bar and every companion window leave the screen; the visible flag stays set.
    minimized_ = true;
    bool wasVisible = visible_flag_;
    if (TrayAvailable()) {
        hide();
    } else {
        // Nothing to click in a tray: minimise as an ordinary window, which the window list
        // shows. Window managers do not minimise tool windows, so the bar drops that kind
        // until it is restored.
        as_window_ = true;
        setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Window);
        showMinimized();
    }
    visible_flag_ = wasVisible;
    // An open modal dialog goes with the bar. Minimising keeps it open, where hiding it would
    // end it.
    if (QWidget* dialog = QApplication::activeModalWidget(); dialog && dialog != this)
        dialog->showMinimized();
    if (magnetic_) magnetic_->SysCommand(this, MagneticSysCommand::Minimize);
    emit minimizedChanged(true);
}

void TFrmLED::RestoreFromTray() {
    minimized_ = false;
    if (as_window_) {
        as_window_ = false;
        setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Tool);
        ClearStartMinimizedHint(windowHandle());
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
    if (magnetic_) magnetic_->SysCommand(this, MagneticSysCommand::Restore);
    emit minimizedChanged(false);
    // The open modal dialog comes back in front of the bar, where the user left it.
    if (QWidget* dialog = QApplication::activeModalWidget(); dialog && dialog != this) {
        if (dialog->isMinimized()) dialog->showNormal();
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
    }
}

void TFrmLED::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    // Restored from the window list while minimised as a window: become the tool window
    // again once the window manager is done with the change.
    if (e->type() == QEvent::WindowStateChange && as_window_ && !isMinimized())
        QTimer::singleShot(0, this, [this] {
            if (as_window_ && !isMinimized()) RestoreFromTray();
        });
}

void TFrmLED::SetTrayAnimation(bool on) {
    if (on) {
        if (!tray_animation_.isActive()) tray_animation_.start();
    } else {
        tray_animation_.stop();
        tray_frame_ = 0;
        RzTrayIcon1->setIcon(TrayIcon(0));
    }
}

qint64 TFrmLED::HandleMessage(const Message& message) {
    switch (message.msg) {
    case kWmSysCommand: // a second start asks for the program on the screen
        if (message.wparam == kScRestore) RestoreFromTray();
        return 0;
    case kWmPopupRegister: // the popup program registers its window
        if (auto popup = PopupRegistration(message)) popup_wnd_ = *popup;
        return 0;
    case kWmTrayAnimateOn: // a popup waits to be read: animate the tray icon
        SetTrayAnimation(true);
        return 0;
    case kWmTrayAnimateOff:
        SetTrayAnimation(false);
        return 0;
    case kWmApplySettings: // skin.ini changed outside: read it again and apply it live
        if (apply_settings_handler_) return apply_settings_handler_(message);
        LoadSettings(SettingsScope::All);
        return 1;
    default:
        emit unhandledMessage(message);
        return 0;
    }
}

void TFrmLED::SetOnTop(bool on) {
    on_top_ = on;
    // Changing the flag re-creates the window; a live apply that keeps it leaves it alone.
    if (on == windowFlags().testFlag(Qt::WindowStaysOnTopHint)) return;
    auto recreate = [this, on] {
        bool wasVisible = isVisible();
        setWindowFlag(Qt::WindowStaysOnTopHint, on);
        if (wasVisible) show();
    };
    // The companions and then the bar leave the snapping while the bar's window is
    // re-created, and come back in the reverse order, so they stay docked.
    if (magnetic_)
        magnetic_->ReRegister(this, recreate);
    else
        recreate();
}

void TFrmLED::SetBarAlpha(int value) {
    Tr = value;
    TrKnown = true;
    setWindowOpacity((value & 0xFF) / 255.0);
    if (shadow_) shadow_->RefreshShadow();
}

SettingsLoadResult TFrmLED::LoadSettings(SettingsScope scope) {
    ScreenFacts screen{tobu::ScreenSize().width(), width()};
    return ApplySettings(ReadClockSettings(SettingsPath(), screen), scope);
}

SettingsLoadResult TFrmLED::ApplySettings(const ClockSettings& s, SettingsScope scope) {
    SettingsLoadResult result;
    // A step that fails (a skin loader meeting a damaged package) is skipped like a missing
    // package would be; the steps after it still run.
    auto step = [&result](auto&& apply) {
        try {
            apply();
            return true;
        } catch (...) {
            ++result.failed_steps;
            return false;
        }
    };
    auto finish = [&] {
        LastLoadFailed = !result.Complete();
        // Defaults of a file that could not be read are not the user's values.
        result.position = result.position && s.from_file;
        result.tr = result.tr && s.from_file;
        PositionKnown = PositionKnown || result.position;
        TrKnown = TrKnown || result.tr;
        return result;
    };

    step([&] { LoadBarSkin(AppDir + "Skin/" + s.skin.skin_file); });
    step([&] { CurrentSkinFile = s.skin.skin_file; });
    step([&] { CurrentClockFile = s.skin.clock_file; });
    if (scope == SettingsScope::SkinOnly) return finish();

    step([&] { ShowLed(s.led.led_font); });
    step([&] { SetTimeFont(s.led.font); });
    step([&] { LoadDialogFrame(AppDir + s.skin.win_file); });
    step([&] { emit chimeOptionsApplied(s.clock); });
    step([&] {
        UnregisterClockHotKey();
        if (s.clock.hot_key) RegisterClockHotKey(s.clock.hot_key1, s.clock.hot_key2);
    });
    step([&] { emit timeSyncApplied(s.time); });
    step([&] { emit messageOptionsApplied(s.msg); });
    result.position = step([&] { move(s.bar.left, s.bar.top); });
    step([&] { SetOnTop(s.bar.on_top); });
    step([&] { OnStartHide = s.bar.on_start_hide; });
    step([&] { DefWin = s.bar.def_win; });
    result.tr = step([&] { SetTr(s.bar.tr, s.bar.alpha); });
    step([&] { ChildIndex = s.child.index; });
    return finish();
}

void TFrmLED::TimerSavePosTimer() {
    std::optional<WindowPos> clock;
    bool clockMoved = false;
    if (clock_window_query_) {
        if (auto pos = clock_window_query_()) {
            clock = WindowPos{pos->x(), pos->y()};
            clockMoved = pos->x() != ClockWinLeft || pos->y() != ClockWinTop;
        }
    }
    if (x() == SavedLeft && y() == SavedTop && !clockMoved) return;
    if (x() != SavedLeft || y() != SavedTop) PositionKnown = true; // the user moved the bar
    const bool saved = SaveBarPosition(SettingsPath(), x(), y(), clock);
    SettingsSaveDone(saved);
    if (saved) {
        SavedLeft = x();
        SavedTop = y();
        if (clock) {
            ClockWinLeft = clock->left;
            ClockWinTop = clock->top;
        }
    }
}

void TFrmLED::SettingsSaveDone(bool ok) {
    if (ok) {
        settings_save_warned_ = false;
        return;
    }
    if (settings_save_warned_) return;
    // Set before the box: its event loop runs the 2 s retries, which must not open another.
    settings_save_warned_ = true;
    if (services_.warningBox)
        services_.warningBox("警告", SettingsSaveFailedMessage(SettingsPath()));
}

int TFrmLED::ChildWindowIndex() const {
    if (visibility_query_) return tobu::ChildWindowIndex(visibility_query_());
    return child_index_query_ ? child_index_query_() : 0;
}

void TFrmLED::SetCompanionVisibilityQuery(std::function<CompanionVisibility()> query) {
    // Each companion's binding answers for its own window: a window counts as visible when
    // any query says so.
    if (visibility_query_ && query) {
        query = [first = std::move(visibility_query_), second = std::move(query)] {
            const CompanionVisibility a = first(), b = second();
            return CompanionVisibility{a.calendar || b.calendar, a.clock || b.clock,
                                       a.weather || b.weather};
        };
    }
    visibility_query_ = std::move(query);
}

bool TFrmLED::AttachCompanion(QWidget* window, WindowMover* mover) {
    return magnetic_ && magnetic_->Attach(window, this, mover);
}

bool TFrmLED::DetachCompanion(QWidget* window) {
    return magnetic_ && magnetic_->Detach(window);
}

void TFrmLED::SetClockWindowQuery(std::function<std::optional<QPoint>()> query) {
    clock_window_query_ = std::move(query);
}

void TFrmLED::SetChildIndexQuery(std::function<int()> query) {
    child_index_query_ = std::move(query);
}

void TFrmLED::EnableMenuItem(const QString& name, bool on) {
    for (QMenu* menu : {PopupMenu1, PopupMenu2})
        if (auto* item = menu->findChild<QAction*>(name)) item->setEnabled(on);
}

TFrmLED::DateLineParts TFrmLED::DateLineControls() {
    return {*AAFadeTextDate, TimerMsg, TimerWarStep, TimerHintClose};
}

QString TFrmLED::HintText() const {
    return LED->toolTip();
}

void TFrmLED::SetHintText(const QString& text) {
    LED->setToolTip(text);
    RzPanel2->setToolTip(text);
    RzTrayIcon1->setToolTip(text);
}

void TFrmLED::ShowTrayBalloon(const QString& title, const QString& text, int ms) {
    RzTrayIcon1->showMessage(title, text, QSystemTrayIcon::Information, ms);
}

void TFrmLED::RemoveTrayBalloon() {
    // An empty message takes the balloon down.
    RzTrayIcon1->showMessage(QString(), QString(), QSystemTrayIcon::NoIcon, 0);
}

void TFrmLED::BtnMenuClick() {
    PopupMenu1->popup(BtnMenu->mapToGlobal(QPoint(0, BtnMenu->height())));
}

void TFrmLED::PopupMenu1Popup() {
    // The clock is ticked before the calendar.
    int index = visibility_query_ ? MenuModeIndex(visibility_query_()) : ChildWindowIndex();
    QAction* tick = index == 2   ? PM_Clock
                    : index == 1 ? PM_Calendar
                    : index == 3 ? PM_Weather
                                 : PM_Smp;
    tick->setChecked(true);
}

void TFrmLED::PM_CalendarClick(QAction* item) {
    if (item->isChecked()) emit showChildWindowRequested(item->data().toInt());
}

void TFrmLED::PM_OptionsNorClick(QAction* item) {
    emit optionsPageRequested(item->data().toInt());
}

bool TFrmLED::LedDisplayVisible() const {
    return !LED->isHidden();
}

void TFrmLED::SetStartOptions(bool onStartHide, int defWin) {
    OnStartHide = onStartHide;
    DefWin = defWin;
}

void TFrmLED::PM_HelpClick() {
    const HelpChoice help = ChooseHelp(AppDir, [](const std::string& path) {
        const QFileInfo file(QString::fromStdString(path));
        return file.isFile() && file.isReadable();
    });
    if (help.kind != HelpChoice::Missing) {
        if (services_.openFile) services_.openFile(help.path);
        return;
    }
    if (services_.warningBox) services_.warningBox("警告", MissingHelpFileMessage(kHelpFileName));
}

void TFrmLED::PM_ExitClick() {
    close();
}

void TFrmLED::closeEvent(QCloseEvent* e) {
    FormClose();
    e->accept();
    emit closed();
}

void TFrmLED::FormClose() {
    if (closing_done_) return;
    closing_done_ = true;
    try {
        TimerChild.stop();
        TimerMsg.stop();
        TimerWarStep.stop();
        TimerClock.stop();
        TimerSavePos.stop();
        SyncWindowPos(this);
        std::optional<WindowPos> clock;
        if (clock_window_query_)
            if (auto pos = clock_window_query_()) clock = WindowPos{pos->x(), pos->y()};
        // Only values the user stored or set go back; a load that never reached them leaves
        // the file's own.
        if (x() != SavedLeft || y() != SavedTop) PositionKnown = true;
        std::optional<WindowPos> bar;
        if (PositionKnown) bar = WindowPos{x(), y()};
        SaveBarState(SettingsPath(), ChildWindowIndex(), bar,
                     TrKnown ? std::optional<int>(Tr) : std::nullopt, clock);
        UnregisterClockHotKey();
        emit closingCompanions();
        // The shadow exists only with ShadowsEnabled.
        if (shadow_) {
            if (isVisible()) FadeOutForm(this, shadow_);
            delete shadow_.data();
        }
    } catch (...) {
        // Shutdown always completes.
    }
}

void TFrmLED::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    try {
        emit destroying();
        dialog_frame_.reset();
        std::remove((AppDir + "SkinDone.tmp").c_str());
    } catch (...) {
    }
}

// The bar's own parts of the settings.

void TFrmLED::LoadBarSkin(const std::string& path) {
    BarSkin skin;
    SkinLoadResult r = tobu::LoadBarSkin(path, skin, RzPanel2->width(), RzPanel2->height());
    if (r.Applied()) ApplyBarSkin(skin);
    ThrowIfDamaged(r);
}

void TFrmLED::ApplyBarSkin(const BarSkin& skin) {
    QImage background = ToQImage(skin.background);
    if (!background.isNull()) SetBackground(background);
    if (!skin.menu_up.Empty())
        BtnMenu->SetPictures(ToQImage(skin.menu_up), ToQImage(skin.menu_hot));
    if (!skin.min_up.Empty()) BtnMin->SetPictures(ToQImage(skin.min_up), ToQImage(skin.min_hot));
    LED->setBGColor(skin.led_bk_color);
    LED->setDarkColor(skin.led_dark_color);
    LED->setLightColor(skin.led_font_color);
    RzPanel2->SetBorderColor(FromTColor(skin.led_border_color));
    LED->setGeometry(skin.led_bounds.left, skin.led_bounds.top, skin.led_bounds.Width(),
                     skin.led_bounds.Height());
    // The date line's two fonts take the skin's text colour.
    const std::pair<const char*, TColor> colors[] = {{"FontCN", skin.font_cn_color},
                                                     {"FontAD", skin.font_ad_color}};
    for (const auto& [name, color] : colors) {
        if (TFontLabel* label = AAFadeTextDate->Fonts().Find(name)) {
            TAACanvasFont font = label->Font();
            font.color = color;
            label->SetFont(font);
        }
    }
    AAFadeTextDate->update();
    // Menu colours take effect the next time a menu opens.
    menu_look_ = skin.menu;
    SetBarMenuColors(skin.menu);
}

void TFrmLED::SetBarMenuColors(const MenuColors& colors) {
    // The "系统设置" submenus take the colours too: they paint no background of their own.
    for (QMenu* menu : {PopupMenu1, PopupMenu2, PM_Options->menu(), PM_Options1->menu()})
        if (menu) SetMenuColors(*menu, colors);
}

void TFrmLED::LoadDialogFrame(const std::string& path) {
    WinSkin skin;
    SkinLoadResult r = LoadWinSkin(path, skin);
    if (r.Applied()) dialog_frame_ = TMyWindow::FromSkin(skin);
    ThrowIfDamaged(r);
}

void TFrmLED::ShowLed(bool show) {
    LED->setVisible(show);
    RzPanel2->SetShowCaption(!show);
}

void TFrmLED::SetTimeFont(const TimeFont& f) {
    time_font_ = f;
    QFont font(QString::fromStdString(f.name));
    font.setPointSize(std::max(1, f.size));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strike_out);
    RzPanel2->setFont(font);
    RzPanel2->SetCaptionColor(FromTColor(static_cast<TColor>(f.color)));
}

void TFrmLED::SetTr(int tr, std::uint8_t alpha) {
    Tr = tr;
    setWindowOpacity(alpha / 255.0);
}

} // namespace tobu
