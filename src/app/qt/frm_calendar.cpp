#include "app/qt/frm_calendar.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "app/qt/bar_art.h"
#include "app/qt/bitmap_button.h"
#include "app/qt/fade_out.h"
#include "app/qt/form_shadow.h"
#include "app/qt/frm_led.h"
#include "app/qt/mark_dialogs.h"
#include "app/qt/menu_colors.h"
#include "app/qt/my_window.h"
#include "app/qt/window_mover.h"
#include "calendar/lunar.h"
#include "calendar/month_grid.h"
#include "calendar/qt/lss_calendar.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/qt/color_key.h"
#include "settings/clock_settings.h"

namespace tobu {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QImage Star(QRgb dark, QRgb light) {
    QImage img(9, 9, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int i = 0; i < 9; ++i) {
        img.setPixel(4, i, light);
        img.setPixel(i, 4, light);
        if (i >= 2 && i <= 6) {
            img.setPixel(i, i, light);
            img.setPixel(i, 8 - i, light);
        }
    }
    for (int y = 3; y <= 5; ++y)
        for (int x = 3; x <= 5; ++x) img.setPixel(x, y, dark);
    img.setPixel(4, 1, dark);
    img.setPixel(4, 7, dark);
    img.setPixel(1, 4, dark);
    img.setPixel(7, 4, dark);
    return img;
}

// A caption or information line: transparent, in the window's text colour.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& bounds) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(bounds);
    l->setAttribute(Qt::WA_TranslucentBackground);
    return l;
}

// The look without a calendar picture in the skin: a pale panel with a thin frame and rounded
// corners (magenta outside them), a band for the captions and one for the information lines.
QImage DefaultBackground() {
    QImage img(332, 390, QImage::Format_ARGB32);
    img.fill(QColor(255, 0, 255));
    QPainter p(&img);
    p.setPen(QColor(0x30, 0x81, 0xD0));
    p.setBrush(QColor(0xEA, 0xF7, 0xFD));
    p.drawRoundedRect(QRectF(0.5, 0.5, 331, 389), 6, 6);
    p.fillRect(QRect(3, 10, 326, 30), QColor(0xDA, 0xF1, 0xFC));
    p.fillRect(QRect(3, 318, 326, 70), QColor(0xDA, 0xF1, 0xFC));
    return img;
}

bool HasPicture(const QImage& img) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) != 0xFF00FF) return true;
    return false;
}

} // namespace

QImage MarkStarImage() {
    return Star(qRgb(0xFC, 0x6E, 0x04), qRgb(0xFD, 0xA0, 0x60));
}
QImage FestivalStarImage() {
    return Star(qRgb(0x98, 0xCC, 0xEB), qRgb(0xC0, 0xE1, 0xF3));
}

TFrmCalendar::TFrmCalendar(const Services& services)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool), services_(services) {
    setObjectName("FrmCalendar");
    setWindowTitle(QStringLiteral("日历"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    setFixedSize(332, 390);
    setProperty("transparentColor", static_cast<unsigned>(kClFuchsia));
    background_ = DefaultBackground();
    BuildControls();
    BuildMenus();
    mover_ = new WindowMover(this);
    mover_->AddHandle(this);
    for (QLabel* l : {Label1, Label2, Label3, Label4}) mover_->AddHandle(l);
    if (services_.shadows) {
        shadow_ = new TFormShadow();
        shadow_->Attach(this);
        shadow_->SetShadowVisible(false);
    }
    ReloadSkin();
    BuildDateMenus();
    LoadMarks();
    shown_today_ = Today();
    LssCalendar1->SetDate(shown_today_);
    LssCalendar1Change();
    const QFont heading(Q(HeadingFontName.empty() ? "宋体" : HeadingFontName));
    for (QLabel* l : {RzLabel3, RzLabel1, RzLabel2}) {
        QFont f = heading;
        f.setBold(true);
        f.setPixelSize(14);
        l->setFont(f);
    }
    UpdateMask();
}

TFrmCalendar::~TFrmCalendar() {
    delete shadow_;
}

TDateTime TFrmCalendar::Today() const {
    const TDateTime now = services_.clock ? services_.clock->Now() : SystemClock::Instance().Now();
    return DateOf(now);
}

void TFrmCalendar::FollowDate(TDateTime now) {
    const TDateTime today = DateOf(now);
    if (today == shown_today_) return;
    shown_today_ = today;
    LssCalendar1->update();
}

void TFrmCalendar::BuildControls() {
    RzLabel3 = MakeLabel(this, "RzLabel3", QStringLiteral("公历-农历"), QRect(15, 19, 95, 19));
    RzLabel1 = MakeLabel(this, "RzLabel1", QStringLiteral("2009年"), QRect(189, 19, 65, 19));
    RzLabel2 = MakeLabel(this, "RzLabel2", QStringLiteral("10月"), QRect(267, 19, 43, 19));
    RzLabel1->setToolTip(QStringLiteral("选择年"));
    RzLabel2->setToolTip(QStringLiteral("选择月"));
    for (QLabel* l : {RzLabel3, RzLabel1, RzLabel2}) {
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->installEventFilter(this);
    }
    BtnGNG = new TBitmapButton(this);
    BtnGNG->setObjectName("BtnGNG");
    BtnGNG->setGeometry(111, 27, 11, 11);
    BtnGNG->setToolTip(QStringLiteral("公历-农历"));
    BtnYear = new TBitmapButton(this);
    BtnYear->setObjectName("BtnYear");
    BtnYear->setGeometry(254, 27, 11, 11);
    BtnYear->setToolTip(QStringLiteral("选择年"));
    BtnMonth = new TBitmapButton(this);
    BtnMonth->setObjectName("BtnMonth");
    BtnMonth->setGeometry(308, 27, 11, 11);
    BtnMonth->setToolTip(QStringLiteral("选择月"));

    LssCalendar1 = new TLssCalendar(this, [this] { return Today(); });
    ConfigureWindowGrid(LssCalendar1->Grid());
    LssCalendar1->setGeometry(3, 43, 326, 272);
    LssCalendar1->SetMarkImage(MarkStarImage());
    LssCalendar1->SetFtvImage(FestivalStarImage());
    LssCalendar1->Refresh();
    connect(LssCalendar1, &TLssCalendar::changed, this, [this] { LssCalendar1Change(); });
    connect(LssCalendar1, &TLssCalendar::rightPressed, this, [this](const QPoint& pos) {
        if (LssCalendar1->Grid().SelectCellInMonth(pos.x(), pos.y())) LssCalendar1->repaint();
        LssCalendar1->Grid().MouseUp();
        PopupMark(LssCalendar1->mapToGlobal(pos), true);
    });

    Label1 = MakeLabel(this, "Label1", QStringLiteral("农历"), QRect(12, 321, 309, 17));
    Label2 = MakeLabel(this, "Label2", QStringLiteral("干支"), QRect(12, 338, 309, 17));
    Label3 = MakeLabel(this, "Label3", QStringLiteral("节日"), QRect(12, 355, 309, 17));
    Label4 = MakeLabel(this, "Label4", QStringLiteral("标记"), QRect(12, 372, 309, 17));
}

void TFrmCalendar::BuildMenus() {
    auto item = [](QMenu* menu, const char* name, const char* caption) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        return a;
    };
    PopupMenuY_ = new QMenu(this);
    PopupMenuY_->setObjectName("PopupMenuY");
    PopupMenuY_->addSeparator()->setObjectName("N1");
    QAction* other = item(PopupMenuY_, "PM_YOther", "其他...");
    connect(other, &QAction::triggered, this, [this] { PM_YOtherClick(); });
    connect(PopupMenuY_, &QMenu::aboutToShow, this, [this] { BuildDateMenus(); });
    PopupMenuM = new QMenu(this);
    PopupMenuM->setObjectName("PopupMenuM");
    PopupMenuGNG = new QMenu(this);
    PopupMenuGNG->setObjectName("PopupMenuGNG");
    auto* modes = new QActionGroup(this);
    PM_GN = item(PopupMenuGNG, "PM_GN", "公历-农历");
    PM_GG = item(PopupMenuGNG, "PM_GG", "公历-干支");
    PM_JR = item(PopupMenuGNG, "PM_JR", "公历-节日");
    int tag = 0;
    for (QAction* a : {PM_GN, PM_GG, PM_JR}) {
        a->setCheckable(true);
        a->setData(tag);
        modes->addAction(a);
        connect(a, &QAction::triggered, this, [this, tag] { PM_GNClick(tag); });
        ++tag;
    }
    PM_GN->setChecked(true);

    PopupMenuMark_ = new QMenu(this);
    PopupMenuMark_->setObjectName("PopupMenuMark");
    PM_Mark = item(PopupMenuMark_, "PM_Mark", "标记当日");
    PM_DelMark = item(PopupMenuMark_, "PM_DelMark", "取消标记");
    PM_AllMark = item(PopupMenuMark_, "PM_AllMark", "所有日历标记");
    PM_AllMark->setIcon(MenuIcon(6));
    PopupMenuMark_->addSeparator()->setObjectName("N2");
    PM_CSSJ = item(PopupMenuMark_, "PM_CSSJ", "城市时间查询");
    PM_CSSJ->setIcon(MenuIcon(7));
    // Its owner enables it when the world time window can be opened.
    PM_CSSJ->setEnabled(false);
    PopupMenuMark_->addSeparator()->setObjectName("N6");
    PM_QieHuan = PopupMenuMark_->addMenu(QStringLiteral("切换到"));
    PM_QieHuan->setObjectName("PM_QieHuan");
    PM_ShiZhong = item(PM_QieHuan, "PM_ShiZhong", "时钟");
    PM_TianQi = item(PM_QieHuan, "PM_TianQi", "天气");
    // The weather page has no window yet.
    PM_TianQi->setEnabled(false);
    PM_Close = item(PopupMenuMark_, "PM_Close", "关闭窗口");
    connect(PM_Mark, &QAction::triggered, this, [this] { PM_MarkClick(); });
    connect(PM_DelMark, &QAction::triggered, this, [this] { PM_DelMarkClick(); });
    connect(PM_AllMark, &QAction::triggered, this, [this] { PM_AllMarkClick(); });
    connect(PM_ShiZhong, &QAction::triggered, this, [this] { emit showChildWindowRequested(2); });
    connect(PM_TianQi, &QAction::triggered, this, [this] { emit showChildWindowRequested(3); });
    connect(PM_Close, &QAction::triggered, this, [this] { CloseCalendar(); });
    connect(PopupMenuMark_, &QMenu::aboutToShow, this, [this] { PopupMenuMarkPopup(); });

    auto popupAt = [this](QMenu* menu, QLabel* label) {
        menu->popup(mapToGlobal(QPoint(label->x(), label->y() + label->height())));
    };
    connect(BtnGNG, &TBitmapButton::clicked, this, [=, this] { popupAt(PopupMenuGNG, RzLabel3); });
    connect(BtnYear, &TBitmapButton::clicked, this, [=, this] { popupAt(PopupMenuY_, RzLabel1); });
    connect(BtnMonth, &TBitmapButton::clicked, this, [=, this] { popupAt(PopupMenuM, RzLabel2); });
    for (QMenu* m : {PopupMenuY_, PopupMenuM, PopupMenuGNG, PopupMenuMark_, PM_QieHuan})
        SetMenuColors(*m, MenuColors{});
}

void TFrmCalendar::SetMenuLook(const MenuColors& colors) {
    for (QMenu* m : {PopupMenuY_, PopupMenuM, PopupMenuGNG, PopupMenuMark_, PM_QieHuan})
        SetMenuColors(*m, colors);
}

void TFrmCalendar::BuildDateMenus() {
    if (PopupMenuM->isEmpty()) {
        for (int m = 1; m <= 12; ++m) {
            QAction* a = PopupMenuM->addAction(QString::asprintf("%02d", m) + QStringLiteral("月"));
            a->setData(m);
            connect(a, &QAction::triggered, this,
                    [this, a] { LssCalendar1->Grid().SetMonth(a->data().toInt()); });
        }
    }
    QList<QAction*> items = PopupMenuY_->actions();
    if (items.size() <= 2) {
        QAction* before = items.isEmpty() ? nullptr : items.first();
        for (int k = 0; k < 13; ++k) {
            auto* a = new QAction(PopupMenuY_);
            PopupMenuY_->insertAction(before, a);
            connect(a, &QAction::triggered, this,
                    [this, a] { LssCalendar1->Grid().SetYear(a->data().toInt()); });
        }
        items = PopupMenuY_->actions();
    }
    const auto years = YearMenuYears(LssCalendar1->Grid().Year());
    for (int k = 0; k < 13; ++k) {
        items[k]->setText(QString::number(years[static_cast<size_t>(k)]) + QStringLiteral("年"));
        items[k]->setData(years[static_cast<size_t>(k)]);
    }
}

void TFrmCalendar::LssCalendar1Change() {
    const MonthGrid& g = LssCalendar1->Grid();
    RzLabel1->setText(QString::number(g.Year()) + QStringLiteral("年"));
    RzLabel2->setText(QString::asprintf("%02d", g.Month()) + QStringLiteral("月"));
    const auto lines = InfoLines(g.Date(), g.FtvList, &marks_);
    Label1->setText(Q(lines[0]));
    Label2->setText(Q(lines[1]));
    Label3->setText(Q(lines[2]));
    Label4->setText(Q(lines[3]));
}

void TFrmCalendar::PM_GNClick(int tag) {
    static const char* const kCaptions[] = {"公历-农历", "公历-干支", "公历-节日"};
    if (tag < 0 || tag > 2) return;
    RzLabel3->setText(QString::fromUtf8(kCaptions[tag]));
    BtnGNG->setToolTip(RzLabel3->text());
    (tag == 0 ? PM_GN : tag == 1 ? PM_GG : PM_JR)->setChecked(true);
    SetDisplayMode(LssCalendar1->Grid(), tag);
    LssCalendar1->Refresh();
}

void TFrmCalendar::PopupMark(const QPoint& global, bool fromGrid) {
    menu_tag_ = fromGrid ? 1 : 0;
    PopupMenuMarkPopup();
    PopupMenuMark_->exec(global);
    menu_tag_ = 0;
}

void TFrmCalendar::PopupMenuMarkPopup() {
    const bool grid = menu_tag_ == 1;
    PM_Mark->setVisible(grid);
    PM_DelMark->setVisible(grid);
    if (!grid) return;
    const TDateTime d = LssCalendar1->Date();
    const TFestivalList& list = LssCalendar1->Grid().FtvList;
    const std::optional<std::string> lk = LunarMarkKey(d);
    PM_DelMark->setEnabled(list.SolarMarks().IndexOf(SolarKey(d)) >= 0 ||
                           (lk && list.LunarMarks().IndexOf(*lk) >= 0));
}

void TFrmCalendar::PM_MarkClick() {
    if (!services_.dialogs) return;
    std::string name = "0" + SolarKey(LssCalendar1->Date()), note;
    if (!services_.dialogs->EditMark(
            this, name, note, Today(),
            [this](int k, const std::string& key) { return GetMarkText(k, key); }))
        return;
    marks_.Put(name, note);
    ApplyMark(name);
    SaveMarks();
}

void TFrmCalendar::PM_DelMarkClick() {
    if (!services_.dialogs) return;
    const TDateTime d = LssCalendar1->Date();
    const std::string k = SolarKey(d);
    // The lunar month and day of the selected date itself (not of its day in this year).
    const std::optional<std::string> lk = LunarMarkKey(d);
    const std::string l = lk.value_or("----");
    const std::string text = "公历：" + k.substr(0, 2) + "月" + k.substr(2, 2) + "日   农历：" +
                             l.substr(0, 2) + "月" + l.substr(2, 2) + "日";
    bool solar = true, lunar = true;
    if (!services_.dialogs->ConfirmDeleteMark(this, text, solar, lunar)) return;
    TFestivalList& list = LssCalendar1->Grid().FtvList;
    if (solar) {
        list.DeleteMark(0, k);
        marks_.RemoveName("0" + k);
    }
    if (lunar && lk) {
        list.DeleteMark(1, *lk);
        marks_.RemoveName("1" + *lk);
    }
    LssCalendar1->update();
    LssCalendar1Change();
    SaveMarks();
}

void TFrmCalendar::ShowMarkList() {
    TFrmMark::Hooks hooks;
    hooks.dialogs = services_.dialogs;
    hooks.messageBox = services_.messageBox;
    hooks.applyMark = [this](const std::string& n) { ApplyMark(n); };
    hooks.removeMark = [this](const std::string& n) { RemoveMark(n); };
    hooks.markText = [this](int k, const std::string& key) { return GetMarkText(k, key); };
    hooks.today = Today();
    hooks.frame = services_.frame ? services_.frame() : nullptr;
    TFrmMark dialog(isVisible() ? this : nullptr, marks_, hooks);
    dialog.exec();
}

void TFrmCalendar::PM_AllMarkClick() {
    ShowMarkList();
    SaveMarks();
}

void TFrmCalendar::PM_YOtherClick() {
    if (!services_.dialogs) return;
    const int year = services_.dialogs->InputYear(this, DecodeDate(Today()).year);
    if (year > 0) LssCalendar1->Grid().SetYear(year);
}

void TFrmCalendar::LoadMarks() {
    marks_ = MarkList::FromFile(services_.appDir + "Marks.rec");
    marks_.ApplyTo(LssCalendar1->Grid().FtvList, mark_color_);
    LssCalendar1->update();
}

bool TFrmCalendar::SaveMarks() {
    const std::string path = services_.appDir + "Marks.rec";
    if (SaveMarkFile(path, marks_)) {
        save_pending_ = false;
        warned_ = false;
        return true;
    }
    save_pending_ = true;
    if (!warned_ && services_.messageBox) {
        warned_ = true;
        services_.messageBox->Show(
            "警告", "无法保存日历标记文件 " + path + "，标记将在下次修改或退出时再次保存。",
            MsgIcon::Warning, MsgButtons::Ok);
    }
    return false;
}

std::string TFrmCalendar::GetMarkText(int kind, const std::string& key) const {
    return tobu::GetMarkText(marks_, kind, key);
}

void TFrmCalendar::ApplyMark(const std::string& name) {
    const MarkLine line{{}, name, 0};
    LssCalendar1->Grid().FtvList.AddMark(line.Kind(), line.Key(), mark_color_);
    LssCalendar1->update();
    LssCalendar1Change();
}

void TFrmCalendar::RemoveMark(const std::string& name) {
    const MarkLine line{{}, name, 0};
    LssCalendar1->Grid().FtvList.DeleteMark(line.Kind(), line.Key());
    LssCalendar1->update();
    LssCalendar1Change();
}

void TFrmCalendar::ReloadSkin() {
    try {
        const ClockSettings s = ReadClockSettings(services_.appDir + "skin.ini");
        LoadSkin(services_.appDir + "Skin/" + s.skin.skin_file);
    } catch (...) {
        // A settings file that cannot be read leaves the look as it is.
    }
}

bool TFrmCalendar::LoadSkin(const std::string& path) {
    CalendarSkin skin;
    if (!LoadCalendarSkin(path, skin).Applied()) return false;
    // A package without a calendar picture keeps the built-in one.
    const QImage picture = ToQImage(skin.background);
    if (HasPicture(picture)) background_ = picture;
    const QImage year = ToQImage(skin.year_up), month = ToQImage(skin.month_up);
    BtnYear->SetPictures(year, year);
    BtnGNG->SetPictures(year, year);
    BtnMonth->SetPictures(month, month);
    SetMenuLook(skin.menu);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, GridColor(static_cast<std::int32_t>(skin.font_color)));
    for (QLabel* l : {RzLabel1, RzLabel2, RzLabel3, Label1, Label2, Label3, Label4})
        l->setPalette(pal);
    auto& c = LssCalendar1->Grid().CalColors.colors;
    c[kDayBackColor] = static_cast<std::int32_t>(skin.day_back_color);
    c[kWeekBackColor] = static_cast<std::int32_t>(skin.week_back_color);
    c[kHightlightBackColor] = static_cast<std::int32_t>(skin.highlight_back_color);
    mark_color_ = static_cast<std::int32_t>(skin.mark_color);
    LssCalendar1->update();
    UpdateMask();
    update();
    return true;
}

void TFrmCalendar::UpdateMask() {
    QRegion region = ColorKeyRegion(background_);
    region += LssCalendar1->geometry();
    setMask(region);
    if (shadow_ && shown_once_) shadow_->RefreshShadow();
}

void TFrmCalendar::ShowCalendar(int alpha, int left, int top) {
    setWindowOpacity(1.0);
    move(left, top);
    show();
    QApplication::processEvents();
    SetAlpha(alpha);
    if (shadow_) {
        shadow_->SetShadowVisible(true);
        shadow_->RefreshShadow();
        shown_once_ = true;
    }
}

void TFrmCalendar::CloseCalendar() {
    if (!isVisible()) return;
    setWindowOpacity(1.0);
    if (shadow_) shadow_->RefreshShadow();
    QApplication::processEvents();
    close();
}

void TFrmCalendar::SetAlpha(int alpha) {
    setWindowOpacity((alpha & 0xFF) / 255.0);
    if (shadow_) shadow_->RefreshShadow();
}

void TFrmCalendar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (background_.isNull())
        p.fillRect(rect(), QColor(255, 0, 255));
    else
        p.drawImage(0, 0, background_);
}

void TFrmCalendar::closeEvent(QCloseEvent* e) {
    if (isVisible()) FadeOutForm(this, shadow_);
    e->accept();
}

void TFrmCalendar::showEvent(QShowEvent* e) {
    if (shadow_) shadow_->SetShadowVisible(true);
    QWidget::showEvent(e);
}

void TFrmCalendar::hideEvent(QHideEvent* e) {
    if (shadow_) shadow_->SetShadowVisible(false);
    QWidget::hideEvent(e);
}

bool TFrmCalendar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == RzLabel3) BtnGNG->clicked();
        if (watched == RzLabel1) BtnYear->clicked();
        if (watched == RzLabel2) BtnMonth->clicked();
        if (watched == RzLabel3 || watched == RzLabel1 || watched == RzLabel2) return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TFrmCalendar::contextMenuEvent(QContextMenuEvent* e) {
    PopupMark(e->globalPos(), false);
}

} // namespace tobu
