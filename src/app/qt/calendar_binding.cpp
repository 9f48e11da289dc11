#include "app/qt/calendar_binding.h"

#include <QAction>
#include <QScreen>
#include <QTimer>

#include "app/companions.h"
#include "app/qt/date_line_binding.h"
#include "app/qt/frm_calendar.h"
#include "app/qt/frm_led.h"
#include "app/qt/mark_dialogs.h"
#include "calendar/marks.h"
#include "platform/free_memory.h"
#include "platform/qt/qt_message_box.h"

namespace tobu {

CalendarBinding::CalendarBinding(TFrmLED& bar, const CalendarBindingOptions& options)
    : QObject(&bar), bar_(bar) {
    setObjectName("CalendarBinding");
    MessageBox* box = options.messageBox;
    if (!box) {
        own_box_ = std::make_unique<QtMessageBox>();
        box = own_box_.get();
    }
    MarkDialogs* dialogs = options.dialogs;
    if (!dialogs) {
        own_dialogs_ = std::make_unique<QtMarkDialogs>([&bar] { return bar.DialogFrame(); });
        dialogs = own_dialogs_.get();
    }
    services_.clock = options.clock;
    services_.messageBox = box;
    services_.dialogs = dialogs;
    // The window is made when it is first needed: hidden, it would hold its pictures and load
    // the 楷体 heading font for nothing. The date line's marks come from Marks.rec until then.
    bar.EnableMenuItem("PM_Calendar");
    for (const char* name : {"PM_CalOptions", "PM_CalOptions1"}) {
        bar.EnableMenuItem(name);
        if (QAction* a = bar.findChild<QAction*>(name))
            connect(a, &QAction::triggered, this, [this] {
                CreateCalendarWindow();
                frm_->ShowMarkList();
                frm_->SaveMarks();
            });
    }
    bar.SetCompanionVisibilityQuery([this] {
        CompanionVisibility v;
        v.calendar = CalendarVisible();
        return v;
    });
    // The date line announces today's Gregorian marks.
    if (DateLineBinding* line = FindDateLineBinding(bar))
        if (GridCalendarTexts* texts = line->GridTexts())
            texts->markText = [this](int kind, const std::string& key) {
                if (frm_) return frm_->GetMarkText(kind, key);
                return tobu::GetMarkText(MarkList::FromFile(AppDir + "Marks.rec"), kind, key);
            };
    connect(&bar, &TFrmLED::showTime, this, [this](TDateTime now) {
        if (frm_) frm_->FollowDate(now);
    });
    connect(&bar, &TFrmLED::showChildWindowRequested, this, [this](int index) {
        const std::optional<ChildMode> mode = ChildModeFromIndex(index);
        if (!mode) return;
        if (*mode == ChildMode::Calendar)
            ShowCalendarWindow(bar_.BarAlpha());
        else if (frm_)
            frm_->CloseCalendar();
    });
    connect(&bar, &TFrmLED::minimizedChanged, this, [this](bool minimized) {
        if (!frm_) return;
        if (minimized) {
            hidden_for_tray_ = CalendarVisible();
            frm_->hide();
        } else if (hidden_for_tray_) {
            frm_->show();
        }
    });
    connect(&bar, &TFrmLED::closingCompanions, this, [this] {
        if (!frm_) return;
        frm_->CloseCalendar();
        // A save that failed earlier is tried once more at the exit.
        if (frm_->SavePending()) frm_->SaveMarks();
    });
    connect(&bar, &TFrmLED::destroying, this, [this] {
        if (DateLineBinding* line = FindDateLineBinding(bar_))
            if (GridCalendarTexts* texts = line->GridTexts()) texts->markText = nullptr;
        // The window goes with the binding, after the event loop: the bar may end while the
        // window is still inside its own show routine (which lets pending events run).
        if (frm_) frm_->hide();
    });
}

CalendarBinding::~CalendarBinding() = default;

TFrmCalendar* CalendarBinding::CreateCalendarWindow() {
    if (frm_) return frm_.get();
    TFrmCalendar::Services services = services_;
    services.frame = [this] { return bar_.DialogFrame(); };
    services.appDir = AppDir;
    services.shadows = ShadowsEnabled;
    frm_ = std::make_unique<TFrmCalendar>(services);
    TFrmCalendar* frm = frm_.get();
    frm->SetMenuLook(bar_.MenuLook());
    // "城市时间查询" opens the world time window as the bar's own item does, while that item is
    // enabled.
    if (QAction* cssj = frm->findChild<QAction*>("PM_CSSJ")) {
        QAction* world = bar_.findChild<QAction*>("PM_WorldTime");
        cssj->setEnabled(world && world->isEnabled());
        if (world) connect(cssj, &QAction::triggered, world, &QAction::trigger);
    }
    // "切换到" → "天气" while the weather page can be shown.
    if (QAction* a = frm->findChild<QAction*>("PM_TianQi")) {
        const QAction* mode = bar_.findChild<QAction*>("PM_Weather");
        a->setEnabled(mode && mode->isEnabled());
    }
    connect(frm, &TFrmCalendar::showChildWindowRequested, &bar_,
            &TFrmLED::showChildWindowRequested);
    // A window that cannot dock is still shown; it just does not move with the bar.
    bar_.AttachCompanion(frm, frm->Mover());
    return frm;
}

bool CalendarBinding::CalendarVisible() const {
    return frm_ && frm_->isVisible();
}

void CalendarBinding::ShowCalendarWindow(int alpha) {
    CreateCalendarWindow();
    const QRect screen = bar_.screen() ? bar_.screen()->geometry() : QRect(0, 0, 1280, 768);
    const WindowSpot spot =
        CompanionWindowSpot(ScreenBox{screen.width(), screen.height()},
                            BarBox{bar_.x(), bar_.y(), bar_.height()}, frm_->height());
    frm_->ShowCalendar(alpha, spot.left, spot.top);
    // The skin's sprite sheet and the first pictures are freed by now.
    ReturnFreeMemory();
    // Once the month is drawn, its glyphs are cached and the font files' pages can go.
    QTimer::singleShot(1000, frm_.get(), [] { ReturnFontPages(); });
}

CalendarBinding* BindCalendarWindow(TFrmLED& bar, const CalendarBindingOptions& options) {
    return new CalendarBinding(bar, options);
}

} // namespace tobu
