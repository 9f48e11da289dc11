#include "app/qt/frm_clock.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "app/qt/fade_out.h"
#include "app/qt/form_shadow.h"
#include "app/qt/menu_colors.h"
#include "app/qt/window_mover.h"
#include "faces/builtin_face.h"
#include "platform/clock.h"
#include "platform/qt/color_key.h"
#include "settings/clock_face_loader.h"
#include "settings/skin_loaders.h"

namespace tobu {

ClockFace BuiltinClockFace() {
    ClockFace face;
    LoadClockFaceBytes(BuiltinClockFacePackage(), face);
    return face;
}

TFrmClock::TFrmClock(const Clock& clock, bool shadows)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool), clock_(clock) {
    setObjectName("FrmClock");
    setWindowTitle("Clock_BK");
    setAttribute(Qt::WA_DeleteOnClose, true);
    setFont(QFont(QString::fromUtf8("宋体"), 9));
    // The shadow follows the visible pixels, not the rectangle.
    setProperty("transparentColor", static_cast<unsigned>(kClFuchsia));
    BuildMenu();
    mover_ = new WindowMover(this);
    mover_->AddHandle(this);
    if (shadows) {
        shadow_ = new TFormShadow();
        shadow_->Attach(this);
        shadow_->SetShadowVisible(false);
    }
    ApplyFace(BuiltinClockFace());
}

TFrmClock::~TFrmClock() {
    delete PopupMenu1;
    delete shadow_;
}

void TFrmClock::BuildMenu() {
    // The menu is a window of its own, not one of the clock's children: grabbing the clock's
    // pixels for its shadow would otherwise lay the menu out, loading its fonts, long before
    // anyone opens it. It takes the clock's font and goes with the clock.
    PopupMenu1 = new QMenu();
    PopupMenu1->setObjectName("PopupMenu1");
    PopupMenu1->setFont(font());
    auto item = [](QMenu* menu, const char* name, const char* caption) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        return a;
    };
    // The task list, world time and options dialogs belong to other windows; until they are
    // reachable from here their items stay disabled.
    PM_DingShi = item(PopupMenu1, "PM_DingShi", "定时任务");
    PM_CSSJ = item(PopupMenu1, "PM_CSSJ", "城市时间查询");
    PopupMenu1->addSeparator();
    PM_OptionType = item(PopupMenu1, "PM_OptionType", "时钟样式");
    PM_OptionTime = item(PopupMenu1, "PM_OptionTime", "时间校正");
    PopupMenu1->addSeparator();
    for (QAction* a : {PM_DingShi, PM_CSSJ, PM_OptionType, PM_OptionTime}) a->setEnabled(false);
    PM_QieHuan = PopupMenu1->addMenu(QString::fromUtf8("切换到"));
    PM_QieHuan->setObjectName("PM_QieHuan");
    PM_RiLi = item(PM_QieHuan, "PM_RiLi", "日历");
    PM_TianQi = item(PM_QieHuan, "PM_TianQi", "天气");
    PM_Hide = item(PopupMenu1, "PM_Hide", "关闭窗口");
    connect(PM_RiLi, &QAction::triggered, this, [this] { emit showChildWindowRequested(1); });
    connect(PM_TianQi, &QAction::triggered, this, [this] { emit showChildWindowRequested(3); });
    connect(PM_Hide, &QAction::triggered, this, [this] { CloseClock(); });
    SetMenuColors(*PopupMenu1, MenuColors{});
    SetMenuColors(*PM_QieHuan, MenuColors{});
}

void TFrmClock::SetMenuLook(const MenuColors& colors) {
    SetMenuColors(*PopupMenu1, colors);
    SetMenuColors(*PM_QieHuan, colors);
}

void TFrmClock::ApplyFace(ClockFace face) {
    dial_.SetFace(std::move(face));
    setFixedSize(std::max(dial_.Face().face.width, 1), std::max(dial_.Face().face.height, 1));
    Recompose();
}

void TFrmClock::Recompose() {
    Bitmap32 pic = dial_.Picture();
    QRegion region;
    if (pic.Empty()) {
        picture_ = QImage();
    } else {
        picture_ = QImage(reinterpret_cast<const uchar*>(pic.pixels.data()), pic.width, pic.height,
                          pic.width * 4, QImage::Format_RGB32)
                       .copy();
        // The colour key applies to the composed picture: hands over fuchsia stay visible.
        region = ColorKeyRegion(picture_);
        if (region == QRegion(rect())) region = QRegion();
    }
    update();
    // The outline changes only with the face (or a hand reaching past the dial): the window's
    // shape and its shadow are redone then, not every second the hands turn.
    if (region == mask_) return;
    mask_ = region;
    if (mask_.isEmpty())
        clearMask();
    else
        setMask(mask_);
    if (shadow_ && shadow_shown_once_) shadow_->RefreshShadow();
}

bool TFrmClock::LoadClockFace(const std::string& path, bool keep_layout) {
    ClockFace face;
    const SkinLoadResult r = LoadClockFaceSkin(path, face);
    if (r.status == SkinLoadStatus::Missing) return false;
    // Callers that changed the face show the shadow again with ShowClockShadow.
    if (shadow_) shadow_->SetShadowVisible(false);
    if (!r.Applied()) return false;
    if (!keep_layout) ApplyFace(std::move(face));
    return true;
}

void TFrmClock::ReloadClockFace(bool keep_layout) {
    if (face_file_) LoadClockFace(face_file_(), keep_layout);
}

void TFrmClock::SetClockHands(TDateTime time) {
    const TimeParts t = DecodeTime(time);
    const double h = dial_.HourHand().Angle(), m = dial_.MinuteHand().Angle(),
                 s = dial_.SecondHand().Angle();
    dial_.SetClockHands(t.hour, t.minute, t.second);
    // The picture (and its mask) is composed again only when a hand turned.
    if (h != dial_.HourHand().Angle() || m != dial_.MinuteHand().Angle() ||
        s != dial_.SecondHand().Angle())
        Recompose();
}

void TFrmClock::ShowClock(const std::string& face_path, int alpha, int left, int bottom_anchor,
                          int top, int right_anchor) {
    LoadClockFace(face_path, false);
    PlaceAndShow(alpha, left, bottom_anchor, top, right_anchor);
}

void TFrmClock::PlaceAndShow(int alpha, int left, int bottom_anchor, int top, int right_anchor) {
    setWindowOpacity(1.0);
    const int x = (left >= 0 || right_anchor == -1) ? left : right_anchor - width();
    const int y = (top >= 0 || bottom_anchor == -1) ? top : bottom_anchor - height();
    move(x, y);
    SetClockHands(clock_.Now());
    show();
    QApplication::processEvents();
    SetClockAlpha(alpha);
    ShowClockShadow();
}

void TFrmClock::CloseClock() {
    setWindowOpacity(1.0);
    if (shadow_) shadow_->RefreshShadow();
    QApplication::processEvents();
    close();
}

void TFrmClock::SetClockAlpha(int alpha) {
    setWindowOpacity((alpha & 0xFF) / 255.0);
    if (shadow_) shadow_->RefreshShadow();
}

void TFrmClock::ShowClockShadow() {
    if (!shadow_) return;
    shadow_->SetShadowVisible(true);
    shadow_->RefreshShadow();
    shadow_shown_once_ = true;
}

void TFrmClock::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (picture_.isNull())
        p.fillRect(rect(), QColor(255, 0, 255));
    else
        p.drawImage(0, 0, picture_);
}

void TFrmClock::closeEvent(QCloseEvent* event) {
    if (isVisible()) FadeOutForm(this, shadow_);
    emit clockClosed();
    event->accept();
}

void TFrmClock::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu1->popup(event->globalPos());
}

} // namespace tobu
