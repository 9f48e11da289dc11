#include "app/qt/clock_binding.h"

#include <QAction>
#include <QMenu>
#include <QScreen>

#include "app/companions.h"
#include "app/qt/frm_clock.h"
#include "app/qt/frm_led.h"
#include "settings/clock_settings.h"

namespace tobu {

ClockBinding::ClockBinding(TFrmLED& bar, const Clock& clock)
    : QObject(&bar), bar_(bar), clock_(clock) {
    setObjectName("ClockBinding");
    bar.EnableMenuItem("PM_Clock");
    bar.SetCompanionVisibilityQuery([this] {
        CompanionVisibility v;
        v.clock = ClockVisible();
        return v;
    });
    bar.SetClockWindowQuery([this]() -> std::optional<QPoint> {
        if (!ClockVisible()) return std::nullopt;
        return frm_clock_->pos();
    });
    connect(&bar, &TFrmLED::showChildWindowRequested, this,
            [this](int index) { ShowChildWindow(index); });
    connect(&bar, &TFrmLED::showTime, this, [this](TDateTime now) {
        if (ClockVisible()) frm_clock_->SetClockHands(now);
    });
    connect(&bar, &TFrmLED::minimizedChanged, this, [this](bool minimized) {
        if (!frm_clock_) return;
        if (minimized)
            frm_clock_->hide();
        else
            frm_clock_->show();
    });
    connect(&bar, &TFrmLED::closingCompanions, this, [this] { CloseChildWindows(); });
    connect(&bar, &TFrmLED::destroying, this, [this] { delete frm_clock_.data(); });
}

TFrmClock* ClockBinding::FrmClock() const {
    return frm_clock_.data();
}

bool ClockBinding::ClockVisible() const {
    return frm_clock_ && frm_clock_->isVisible();
}

void ClockBinding::ShowChildWindow(int index) {
    std::optional<ChildMode> mode = ChildModeFromIndex(index);
    if (!mode) return;
    if (*mode == ChildMode::Clock)
        ShowClockWindow(bar_.BarAlpha(), true);
    else
        CloseChildWindows(); // another companion takes the place under the bar
}

void ClockBinding::CloseChildWindows() {
    // The closing window fades out and frees itself; the slot is clear from now on.
    if (TFrmClock* closing = frm_clock_.data()) {
        frm_clock_.clear();
        closing->CloseClock();
    }
}

TFrmClock* ClockBinding::CreateClockWindow() {
    if (frm_clock_) return frm_clock_;
    auto* clock = new TFrmClock(clock_, ShadowsEnabled);
    frm_clock_ = clock;
    clock->SetFaceFileSource(
        [] { return AppDir + "Clock/" + ReadClockSettings(AppDir + "skin.ini").skin.clock_file; });
    clock->SetMenuLook(bar_.MenuLook());
    // Its menu switches to the calendar once that window exists; the weather page is there.
    if (QAction* a = clock->PopupMenu()->findChild<QAction*>("PM_RiLi")) a->setEnabled(false);
    // "切换到" goes through the bar, so every companion's binding hears it.
    connect(clock, &TFrmClock::showChildWindowRequested, &bar_,
            [this](int index) { emit bar_.showChildWindowRequested(index); });
    // A window that cannot dock is still shown; it just does not move with the bar.
    bar_.AttachCompanion(clock, clock->Mover());
    return clock;
}

void ClockBinding::ShowClockWindow(int alpha, bool useSaved) {
    CloseChildWindows();
    const ClockSettings settings = ReadClockSettings(AppDir + "skin.ini");
    const std::string face = AppDir + "Clock/" + settings.skin.clock_file;
    TFrmClock* clock = CreateClockWindow();
    // The face decides the window's height, which places it above the bar.
    clock->LoadClockFace(face, false);
    const QRect screen = bar_.screen() ? bar_.screen()->geometry() : QRect(0, 0, 1280, 768);
    ClockRequest request = ClockWindowRequest(
        ScreenBox{screen.width(), screen.height()}, BarBox{bar_.x(), bar_.y(), bar_.height()},
        useSaved, settings.child.left, settings.child.top, clock->height());
    clock->ShowClock(face, alpha, request.left, request.bottom_anchor, request.top, -1);
    bar_.NoteClockWindowPlaced(request.left, request.top);
}

ClockBinding* BindClockWindow(TFrmLED& bar, const Clock& clock) {
    return new ClockBinding(bar, clock);
}

} // namespace tobu
