#include "app/qt/frm_options.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>

#include "app/qt/bar_art.h"
#include "app/qt/form_shadow.h"
#include "app/qt/my_window.h"
#include "settings/config_rules.h"

namespace tobu {

namespace {

constexpr int kWidth = 472, kHeight = 353;

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}
QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QColor FromTColor(TColor c) {
    return QColor(ColorR(c), ColorG(c), ColorB(c));
}

template <class W> W* Place(W* w, int x, int y, int width, int height) {
    w->setGeometry(x, y, width, height);
    return w;
}

QLabel* Text(QWidget* parent, const char* text, int x, int y, int w = 120) {
    return Place(new QLabel(Q(text), parent), x, y, w, 20);
}

QCheckBox* Check(QWidget* parent, const char* name, const char* text, int x, int y) {
    auto* c = Place(new QCheckBox(Q(text), parent), x, y, 240, 22);
    c->setObjectName(name);
    return c;
}

QRadioButton* Radio(QWidget* parent, const char* name, const char* text, int x, int y) {
    auto* r = Place(new QRadioButton(Q(text), parent), x, y, 130, 22);
    r->setObjectName(name);
    return r;
}

QSlider* Slider(QWidget* parent, const char* name, int x, int y) {
    auto* s = Place(new QSlider(Qt::Horizontal, parent), x, y, 200, 24);
    s->setObjectName(name);
    s->setRange(55, 255);
    return s;
}

QSpinBox* Spin(QWidget* parent, const char* name, int lo, int hi, int x, int y) {
    auto* s = Place(new QSpinBox(parent), x, y, 70, 22);
    s->setObjectName(name);
    s->setRange(lo, hi);
    return s;
}

TimeFont FontOf(const QFont& f, const TimeFont& old) {
    TimeFont t = old;
    t.name = f.family().toStdString();
    t.size = f.pointSize() > 0 ? f.pointSize() : old.size;
    t.bold = f.bold();
    t.italic = f.italic();
    t.underline = f.underline();
    t.strike_out = f.strikeOut();
    return t;
}

QFont QFontOf(const TimeFont& t) {
    QFont f(Q(t.name));
    f.setPointSize(std::max(1, t.size));
    f.setBold(t.bold);
    f.setItalic(t.italic);
    f.setUnderline(t.underline);
    f.setStrikeOut(t.strike_out);
    return f;
}

} // namespace

TFrmOptions::TFrmOptions(Context context, QWidget* parent)
    : QDialog(parent), ctx_(std::move(context)) {
    setObjectName("FrmOptions");
    setWindowTitle(Q("系统设置"));
    QFont own(Q("宋体"));
    own.setPointSize(9);
    setFont(own);
    setFixedSize(kWidth, kHeight);
    if (!ctx_.clock) ctx_.clock = &SystemClock::Instance();
    font_ = ctx_.bar.font;
    BuildControls();
    SkinDialog(ctx_.frame, this, Q("系统设置"), true);
    if (ctx_.shadow) {
        shadow_ = new TFormShadow();
        shadow_->Attach(this);
    }
    // The autostart box follows the entry; setting it marks it changed like any change.
    if (ctx_.autostart) {
        try {
            RzCheckBox1->setChecked(ctx_.autostart->IsOn());
        } catch (...) {
        }
    }
    if (QScreen* s = QGuiApplication::primaryScreen()) move(CentredOn(s->geometry().size()));
}

TFrmOptions::~TFrmOptions() {
    delete shadow_.data();
}

QPoint TFrmOptions::CentredOn(const QSize& screen) {
    auto half = [](int free) { return free >= 0 ? free / 2 : -((-free + 1) / 2); };
    return {half(screen.width() - kWidth), half(screen.height() - kHeight)};
}

void TFrmOptions::BuildControls() {
    PageList = Place(new QListWidget(this), 6, 36, 74, 184);
    PageList->setObjectName("PageList");
    PageList->setIconSize(QSize(16, 16));
    PageList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PageList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const char* tabs[] = {"常规", "报时", "皮肤", "时钟", "消息", "校时"};
    const int icons[] = {0, 7, 3, 7, 6, 4};
    for (int i = 0; i < kOptionsPageCount; ++i) {
        auto* item = new QListWidgetItem(MenuIcon(icons[i]), Q(tabs[i]), PageList);
        item->setSizeHint(QSize(70, 30));
    }
    Pages = Place(new QStackedWidget(this), 86, 36, 378, 272);
    Pages->setObjectName("Pages");
    Pages->addWidget(BuildGeneral());
    Pages->addWidget(BuildChime());
    Pages->addWidget(BuildSkin());
    Pages->addWidget(BuildClock());
    Pages->addWidget(BuildMessage());
    Pages->addWidget(BuildTime());
    connect(PageList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) PageChanged(row);
    });

    BtnClose = Place(new QPushButton(Q("关闭(&C)"), this), 380, 318, 82, 26);
    BtnClose->setObjectName("BtnClose");
    connect(BtnClose, &QPushButton::clicked, this, [this] { close(); });
    BtnClose->setAutoDefault(false);

    // Tab order: each page's controls in table order, "关闭(&C)", then the tab column; hidden
    // pages drop out of the chain by themselves.
    QList<QWidget*> chain = {RzCheckBox1, RzCheckBox8, RzCheckBox2, RzComboBox3,
                             RzCheckBox7, RzCheckBox3, RzCheckBox4};
    for (QRadioButton* r : AlarmTypeItems) chain << r;
    chain << RzCheckBox6 << RzComboBox1 << RzComboBox2 << RzListView1 << BtnApplySkin << RzTrackBar1
          << RzListView2 << BtnApplyClock << RzRadioButton6 << RzRadioButton7 << RzButton5
          << RzRadioButton1 << RzRadioButton2 << RzSpinEdit1 << RzRadioButton3 << RzRadioButton4
          << RzRadioButton5 << RzSpinEdit2 << RzTrackBar2 << RzCheckBox5 << RzSpinEdit3 << RzButton4
          << BtnClose << PageList;
    for (int i = 0; i + 1 < chain.size(); ++i) setTabOrder(chain[i], chain[i + 1]);
}

QWidget* TFrmOptions::BuildGeneral() {
    auto* page = new QWidget;
    page->setObjectName("TabGeneral");
    RzCheckBox1 = Check(page, "RzCheckBox1", "Windows启动时运行", 16, 16);
    connect(RzCheckBox1, &QCheckBox::toggled, this, [this] { autostart_changed_ = true; });
    RzCheckBox8 = Check(page, "RzCheckBox8", "随系统启动时最小化", 16, 44);
    RzCheckBox2 = Check(page, "RzCheckBox2", "总在最前面", 16, 72);
    connect(RzCheckBox2, &QCheckBox::toggled, this, [this](bool on) {
        if (!loading_ && ctx_.setOnTop) ctx_.setOnTop(on);
    });
    Text(page, "运行时默认界面", 16, 104, 100);
    RzComboBox3 = Place(new QComboBox(page), 120, 102, 100, 22);
    RzComboBox3->setObjectName("RzComboBox3");
    for (std::string_view item : kDefWinItems) RzComboBox3->addItem(Q(std::string(item)));
    RzCheckBox7 = Check(page, "RzCheckBox7", "日期 - 公历农历循环显示", 16, 132);
    RzCheckBox7->setVisible(false);
    connect(RzCheckBox7, &QCheckBox::toggled, this, [this](bool on) {
        if (!loading_ && ctx_.setDateCycling) ctx_.setDateCycling(on);
    });
    return page;
}

QWidget* TFrmOptions::BuildChime() {
    auto* page = new QWidget;
    page->setObjectName("TabChime");
    RzCheckBox3 = Check(page, "RzCheckBox3", "整点报时", 16, 12);
    RzCheckBox4 = Check(page, "RzCheckBox4", "半点报时", 16, 38);
    RzRadioGroup1 = Place(new QGroupBox(Q("报时类型"), page), 16, 66, 340, 96);
    RzRadioGroup1->setObjectName("RzRadioGroup1");
    for (int i = 0; i < 4; ++i) {
        AlarmTypeItems[i] =
            Place(new QRadioButton(Q(std::string(kAlarmTypeItems[i])), RzRadioGroup1),
                  12 + (i % 2) * 160, 22 + (i / 2) * 30, 150, 22);
        AlarmTypeItems[i]->setObjectName(QString("AlarmType%1").arg(i));
    }
    auto* hot = Place(new QGroupBox(Q("热键报时"), page), 16, 172, 340, 60);
    hot->setObjectName("GroupHotKey");
    RzCheckBox6 = Place(new QCheckBox(Q("启用"), hot), 12, 24, 60, 22);
    RzCheckBox6->setObjectName("RzCheckBox6");
    RzComboBox1 = Place(new QComboBox(hot), 80, 24, 140, 22);
    RzComboBox1->setObjectName("RzComboBox1");
    for (std::string_view item : kHotKey1Items) RzComboBox1->addItem(Q(std::string(item)));
    Text(hot, "+", 226, 24, 12);
    RzComboBox2 = Place(new QComboBox(hot), 242, 24, 60, 22);
    RzComboBox2->setObjectName("RzComboBox2");
    for (char c = 'A'; c <= 'Z'; ++c) RzComboBox2->addItem(QString(QChar(c)));
    for (QCheckBox* c : {RzCheckBox3, RzCheckBox4, RzCheckBox6})
        connect(c, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
    return page;
}

QWidget* TFrmOptions::BuildSkin() {
    auto* page = new QWidget;
    page->setObjectName("TabSkin");
    Text(page, "皮肤样式", 8, 4);
    RzListView1 = Place(new QListWidget(page), 8, 26, 362, 128);
    RzListView1->setObjectName("RzListView1");
    ImageSkin = Place(new QLabel(page), 8, 160, kSkinPreviewWidth, kSkinPreviewHeight);
    ImageSkin->setObjectName("ImageSkin");
    BtnApplySkin = Place(new QPushButton(Q("应用(&A)"), page), 288, 200, 82, 26);
    BtnApplySkin->setObjectName("BtnApplySkin");
    BtnApplySkin->setEnabled(false);
    BtnApplySkin->setAutoDefault(false);
    Text(page, "透明度", 8, 238, 50);
    RzTrackBar1 = Slider(page, "RzTrackBar1", 60, 236);
    LabelTr1 = Text(page, "", 266, 238, 50);
    LabelTr1->setObjectName("LabelTr1");
    connect(RzListView1, &QListWidget::itemSelectionChanged, this, [this] { SkinSelected(); });
    connect(BtnApplySkin, &QPushButton::clicked, this, [this] { ApplySkinClick(); });
    connect(RzTrackBar1, &QSlider::valueChanged, this, [this](int v) {
        LabelTr1->setText(Q(TransparencyLabel(v)));
        if (loading_) return;
        QCoreApplication::processEvents();
        if (ctx_.setAlpha) ctx_.setAlpha(v);
    });
    return page;
}

QWidget* TFrmOptions::BuildClock() {
    auto* page = new QWidget;
    page->setObjectName("TabClock");
    Text(page, "指针时钟", 8, 4);
    RzListView2 = Place(new QListWidget(page), 8, 26, 230, 150);
    RzListView2->setObjectName("RzListView2");
    ImageClock = Place(new QLabel(page), 250, 26, 100, 100);
    ImageClock->setObjectName("ImageClock");
    ImageClock->setScaledContents(true);
    Label5 = Place(new QLabel(page), 250, 130, 120, 20);
    Label5->setObjectName("Label5");
    BtnApplyClock = Place(new QPushButton(Q("应用(&A)"), page), 270, 150, 82, 26);
    BtnApplyClock->setObjectName("BtnApplyClock");
    BtnApplyClock->setEnabled(false);
    BtnApplyClock->setAutoDefault(false);
    auto* digital = Place(new QGroupBox(Q("电子时钟"), page), 8, 186, 362, 56);
    digital->setObjectName("GroupDigital");
    RzRadioButton6 = Radio(digital, "RzRadioButton6", "LED", 12, 24);
    RzRadioButton7 = Radio(digital, "RzRadioButton7", "普通", 120, 24);
    RzButton5 = Place(new QPushButton(Q("字体(&F)"), digital), 250, 22, 82, 26);
    RzButton5->setObjectName("RzButton5");
    RzButton5->setAutoDefault(false);
    connect(RzListView2, &QListWidget::itemSelectionChanged, this, [this] { FaceSelected(); });
    connect(BtnApplyClock, &QPushButton::clicked, this, [this] { ApplyFaceClick(); });
    connect(RzRadioButton6, &QRadioButton::toggled, this, [this](bool led) {
        UpdateEnabling();
        if (!loading_ && ctx_.setTimeDisplay) ctx_.setTimeDisplay(led, font_);
    });
    connect(RzButton5, &QPushButton::clicked, this, [this] { FontClick(); });
    return page;
}

QWidget* TFrmOptions::BuildMessage() {
    auto* page = new QWidget;
    page->setObjectName("TabMessage");
    auto* closing = Place(new QGroupBox(Q("消息窗口关闭方式"), page), 8, 4, 362, 56);
    RzRadioButton1 = Radio(closing, "RzRadioButton1", "手动关闭", 12, 24);
    RzRadioButton2 = Radio(closing, "RzRadioButton2", "自动关闭", 110, 24);
    LabelAutoSec = Text(closing, "停留时间(秒)", 210, 26, 80);
    RzSpinEdit1 = Spin(closing, "RzSpinEdit1", 5, 3600, 290, 24);
    auto* marks = Place(new QGroupBox(Q("日历标记消息"), page), 8, 66, 362, 86);
    RzRadioButton3 = Radio(marks, "RzRadioButton3", "不显示", 12, 24);
    RzRadioButton4 = Radio(marks, "RzRadioButton4", "启动时显示", 110, 24);
    RzRadioButton5 = Radio(marks, "RzRadioButton5", "循环显示", 230, 24);
    LabelStep = Text(marks, "间隔时间(分)", 110, 54, 80);
    RzSpinEdit2 = Spin(marks, "RzSpinEdit2", 1, 600, 200, 52);
    Text(page, "消息窗口透明度", 8, 168, 100);
    RzTrackBar2 = Slider(page, "RzTrackBar2", 110, 166);
    RzTrackBar2->setFixedWidth(190);
    LabelTr2 = Text(page, "", 306, 168, 50);
    LabelTr2->setObjectName("LabelTr2");
    for (QRadioButton* r : {RzRadioButton2, RzRadioButton5})
        connect(r, &QRadioButton::toggled, this, [this] { UpdateEnabling(); });
    connect(RzTrackBar2, &QSlider::valueChanged, this,
            [this](int v) { LabelTr2->setText(Q(TransparencyLabel(v))); });
    return page;
}

QWidget* TFrmOptions::BuildTime() {
    auto* page = new QWidget;
    page->setObjectName("TabTime");
    RzCheckBox5 = Check(page, "RzCheckBox5", "自动网络校时", 16, 16);
    LabelEvery = Text(page, "每", 36, 48, 20);
    RzSpinEdit3 = Spin(page, "RzSpinEdit3", 1, 1000, 58, 46);
    LabelHours = Text(page, "小时校正一次", 134, 48, 100);
    RzButton4 = Place(new QPushButton(Q("立即校正"), page), 16, 84, 90, 26);
    RzButton4->setObjectName("RzButton4");
    RzButton4->setAutoDefault(false);
    RzButton4->setEnabled(static_cast<bool>(ctx_.syncNow));
    Label13 = Text(page, "最后校正于:", 16, 124, 340);
    Label13->setObjectName("Label13");
    connect(RzCheckBox5, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
    connect(RzButton4, &QPushButton::clicked, this, [this] { SyncNowClick(); });
    return page;
}

int TFrmOptions::Page() const {
    return Pages->currentIndex();
}

void TFrmOptions::SetPage(int page) {
    if (page < 0 || page >= kOptionsPageCount) return;
    {
        QSignalBlocker block(PageList);
        PageList->setCurrentRow(page);
    }
    Pages->setCurrentIndex(page);
    if (page == kPageSkin || page == kPageClock) FillPackages(page);
}

void TFrmOptions::PageChanged(int page) {
    Pages->setCurrentIndex(page);
    if (page == kPageSkin || page == kPageClock) {
        FillPackages(page);
        FocusPage();
    }
}

void TFrmOptions::FocusPage() {
    QWidget* first = nullptr;
    switch (Page()) {
    case kPageGeneral:
        first = RzCheckBox1;
        break;
    case kPageChime:
        first = RzCheckBox3;
        break;
    case kPageSkin:
        first = RzListView1;
        break;
    case kPageClock:
        first = RzListView2;
        break;
    case kPageMessage:
        first = RzRadioButton1->isChecked() ? RzRadioButton1 : RzRadioButton2;
        break;
    case kPageTime:
        first = RzCheckBox5;
        break;
    }
    if (QListWidget* list = qobject_cast<QListWidget*>(first); list && list->currentItem())
        list->scrollToItem(list->currentItem());
    if (first) first->setFocus(Qt::OtherFocusReason);
}

void TFrmOptions::keyPressEvent(QKeyEvent* event) {
    // Ctrl+Tab and Ctrl+Shift+Tab change the page from anywhere: no control of the dialog
    // takes them, so they arrive here.
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (ctrl && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)) {
        const bool back =
            event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        SetPage((Page() + (back ? kOptionsPageCount - 1 : 1)) % kOptionsPageCount);
        FocusPage();
        return;
    }
    QDialog::keyPressEvent(event);
}

// While "立即校正" waits for its server (its wait keeps the dialog painting), neither Escape, the
// close button nor a session end closes the dialog under it.
void TFrmOptions::closeEvent(QCloseEvent* event) {
    if (syncing_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFrmOptions::done(int result) {
    if (!syncing_) QDialog::done(result);
}

void TFrmOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shadow_) shadow_->SetShadowVisible(true);
    FocusPage();
}

void TFrmOptions::FillPackages(int page) {
    bool& filled = filled_[page == kPageSkin ? 0 : 1];
    if (filled) return;
    filled = true;
    const bool skin = page == kPageSkin;
    QListWidget* list = skin ? RzListView1 : RzListView2;
    const std::string folder = ctx_.appDir + (skin ? "Skin/" : "Clock/");
    std::vector<std::string> names = ListPackages(folder, skin ? ".sk" : ".cl");
    {
        QSignalBlocker block(list);
        for (const std::string& n : names) {
            auto* item = new QListWidgetItem(Q(n), list);
            item->setData(Qt::UserRole, Q(folder + n));
        }
    }
    int sel = SelectedPackage(names, skin ? ctx_.currentSkin : ctx_.currentClock);
    if (sel >= 0) list->setCurrentRow(sel);
}

void TFrmOptions::WarnVersion() {
    if (ctx_.messageBox)
        ctx_.messageBox->Show(kVersionWarningCaption, kVersionWarningText, MsgIcon::Warning,
                              MsgButtons::Ok);
}

void TFrmOptions::SkinSelected() {
    ImageSkin->clear();
    BtnApplySkin->setEnabled(false);
    skin_path_.clear();
    QListWidgetItem* item = RzListView1->currentItem();
    if (!item || !item->isSelected()) return;
    const std::string path = item->data(Qt::UserRole).toString().toStdString();
    SkinPreview p = MakeSkinPreview(path, ctx_.clock->Now());
    if (p.status == PreviewStatus::WrongVersion) {
        WarnVersion();
        return;
    }
    if (p.status != PreviewStatus::Shown) return;
    QImage img = ToQImage(p.picture).convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&img);
        QFont f(Q("宋体"));
        f.setPointSize(9);
        painter.setFont(f);
        painter.setPen(FromTColor(p.font_color));
        painter.drawText(QRect(kPreviewDateX, kPreviewDateY, kSkinPreviewWidth, 20),
                         Qt::AlignLeft | Qt::AlignTop, Q(p.date_text));
    }
    ImageSkin->setPixmap(QPixmap::fromImage(img));
    BtnApplySkin->setEnabled(true);
    skin_path_ = path;
}

void TFrmOptions::FaceSelected() {
    ImageClock->clear();
    Label5->clear();
    BtnApplyClock->setEnabled(false);
    face_path_.clear();
    QListWidgetItem* item = RzListView2->currentItem();
    if (!item || !item->isSelected()) return;
    const std::string path = item->data(Qt::UserRole).toString().toStdString();
    FacePreview p = MakeFacePreview(path);
    if (p.status == PreviewStatus::WrongVersion) {
        WarnVersion();
        return;
    }
    if (p.status != PreviewStatus::Shown) return;
    ImageClock->resize(p.size.width, p.size.height);
    if (!p.picture.Empty()) ImageClock->setPixmap(QPixmap::fromImage(ToQImage(p.picture)));
    BtnApplyClock->setEnabled(true);
    face_path_ = path;
}

void TFrmOptions::ApplySkinClick() {
    if (skin_path_.empty() || !IsRegularFile(skin_path_)) return;
    const std::string name = skin_path_.substr(skin_path_.find_last_of('/') + 1);
    if (!SaveSkinFileName(ctx_.appDir + "skin.ini", name)) return;
    ctx_.currentSkin = name;
    if (ctx_.applySkin) ctx_.applySkin();
}

void TFrmOptions::ApplyFaceClick() {
    if (face_path_.empty() || !IsRegularFile(face_path_)) return;
    const std::string name = face_path_.substr(face_path_.find_last_of('/') + 1);
    if (!SaveClockFileName(ctx_.appDir + "skin.ini", name)) return;
    ctx_.currentClock = name;
    if (ctx_.applyClockFace) ctx_.applyClockFace(name);
}

void TFrmOptions::FontClick() {
    std::optional<TimeFont> chosen;
    if (ctx_.chooseFont) {
        chosen = ctx_.chooseFont(font_);
    } else {
        bool ok = false;
        QFont f = QFontDialog::getFont(&ok, QFontOf(font_), this, Q("字体"));
        if (ok) chosen = FontOf(f, font_);
    }
    if (!chosen) return;
    font_ = *chosen;
    if (ctx_.setTimeDisplay) ctx_.setTimeDisplay(RzRadioButton6->isChecked(), font_);
}

void TFrmOptions::SyncNowClick() {
    if (!ctx_.syncNow) return;
    // Synchronous: the dialog takes no input (and cannot close) until the attempt is over.
    RzButton4->setEnabled(false);
    syncing_ = true;
    std::optional<std::string> time;
    try {
        time = ctx_.syncNow();
    } catch (...) {
    }
    syncing_ = false;
    RzButton4->setEnabled(true);
    if (time) Label13->setText(Q(LastSyncLabelWith(*time)));
}

void TFrmOptions::UpdateEnabling() {
    OptionsEnabling e = EnablingOf(Values());
    RzRadioGroup1->setEnabled(e.alarm_type);
    RzComboBox1->setEnabled(e.hot_key_lists);
    RzComboBox2->setEnabled(e.hot_key_lists);
    LabelAutoSec->setEnabled(e.auto_sec);
    RzSpinEdit1->setEnabled(e.auto_sec);
    LabelStep->setEnabled(e.calendar_step);
    RzSpinEdit2->setEnabled(e.calendar_step);
    LabelEvery->setEnabled(e.step_hour);
    RzSpinEdit3->setEnabled(e.step_hour);
    LabelHours->setEnabled(e.step_hour);
    RzButton5->setEnabled(e.font_button);
}

void TFrmOptions::LoadValues() {
    loading_ = true;
    OptionsValues v;
    try {
        v = LoadOptionsValues(IniFile(ctx_.appDir + "skin.ini"), ctx_.bar);
    } catch (...) {
    }
    font_ = v.font;
    (v.led_font ? RzRadioButton6 : RzRadioButton7)->setChecked(true);
    RzCheckBox8->setChecked(v.on_start_hide);
    RzCheckBox2->setChecked(v.on_top);
    RzComboBox3->setCurrentIndex(v.def_win);
    RzCheckBox7->setChecked(v.date_loop);
    RzCheckBox3->setChecked(v.alarm);
    RzCheckBox4->setChecked(v.half_alarm);
    AlarmTypeItems[v.alarm_type]->setChecked(true);
    RzCheckBox6->setChecked(v.hot_key);
    RzComboBox1->setCurrentIndex(
        RzComboBox1->findText(Q(v.hot_key1), Qt::MatchExactly | Qt::MatchCaseSensitive));
    RzComboBox2->setCurrentIndex(
        RzComboBox2->findText(Q(v.hot_key2), Qt::MatchExactly | Qt::MatchCaseSensitive));
    (v.msg_auto ? RzRadioButton2 : RzRadioButton1)->setChecked(true);
    RzSpinEdit1->setValue(v.auto_sec);
    (v.calendar_lx == 0   ? RzRadioButton3
     : v.calendar_lx == 2 ? RzRadioButton5
                          : RzRadioButton4)
        ->setChecked(true);
    RzSpinEdit2->setValue(v.calendar_step);
    // Both sliders announce their value so the percentage labels show it.
    RzTrackBar2->setValue(v.tran);
    emit RzTrackBar2->valueChanged(RzTrackBar2->value());
    RzCheckBox5->setChecked(v.auto_check);
    RzSpinEdit3->setValue(v.step_hour);
    RzTrackBar1->setValue(v.tr);
    emit RzTrackBar1->valueChanged(RzTrackBar1->value());
    loading_ = false;
    Label13->setText(Q(LastSyncLabel(ctx_.appDir + "TimeCheck.lst")));
    UpdateEnabling();
}

OptionsValues TFrmOptions::Values() const {
    OptionsValues v;
    v.led_font = RzRadioButton6->isChecked();
    v.font = font_;
    v.tr = RzTrackBar1->value();
    v.on_top = RzCheckBox2->isChecked();
    v.on_start_hide = RzCheckBox8->isChecked();
    v.def_win = std::max(0, RzComboBox3->currentIndex());
    v.date_loop = RzCheckBox7->isChecked();
    v.alarm = RzCheckBox3->isChecked();
    v.half_alarm = RzCheckBox4->isChecked();
    v.alarm_type = 0;
    for (int i = 0; i < 4; ++i)
        if (AlarmTypeItems[i]->isChecked()) v.alarm_type = i;
    v.hot_key = RzCheckBox6->isChecked();
    v.hot_key1 = RzComboBox1->currentIndex() < 0 ? "" : RzComboBox1->currentText().toStdString();
    v.hot_key2 = RzComboBox2->currentIndex() < 0 ? "" : RzComboBox2->currentText().toStdString();
    v.msg_auto = RzRadioButton2->isChecked();
    v.auto_sec = RzSpinEdit1->value();
    v.tran = RzTrackBar2->value();
    v.calendar_lx = RzRadioButton3->isChecked() ? 0 : RzRadioButton5->isChecked() ? 2 : 1;
    v.calendar_step = RzSpinEdit2->value();
    v.auto_check = RzCheckBox5->isChecked();
    v.step_hour = RzSpinEdit3->value();
    return v;
}

CloseResult TFrmOptions::Save() {
    if (saved_) return {};
    saved_ = true;
    OptionsCloseState state;
    state.values = Values();
    state.autostart_changed = autostart_changed_;
    state.autostart_checked = RzCheckBox1->isChecked();
    struct NoAutostart : AutostartStore {
        bool IsOn() const override { return false; }
        bool Enable(std::string*) override { return false; }
        bool Disable(std::string*) override { return false; }
    } none;
    struct NoTarget : OptionsTarget {
        void SetMessageOptions(const MessageOptions&) override {}
        void SetChimeOptions(const ClockSettings::Clock&) override {}
        void SetTimeSync(const ClockSettings::Time&) override {}
        bool HotKeyRegisteredAs(const std::string&, const std::string&) const override {
            return false;
        }
        void RegisterHotKey(const std::string&, const std::string&) override {}
        void UnregisterHotKey() override {}
        void NotifySettingsSaved() override {}
    } nobody;
    return CloseOptions(state, ctx_.appDir + "skin.ini", ctx_.autostart ? *ctx_.autostart : none,
                        ctx_.target ? *ctx_.target : nobody);
}

CloseResult TFrmOptions::Open(Context context, int page, QPointer<TFrmOptions>* open) {
    auto* dialog = new TFrmOptions(std::move(context));
    if (open) *open = dialog;
    dialog->SetPage(page >= 0 ? page : 0);
    dialog->LoadValues();
    dialog->exec();
    CloseResult r = dialog->Save();
    delete dialog;
    return r;
}

} // namespace tobu
