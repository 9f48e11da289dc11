// Connects the calendar window to the bar: the window is made on its first use and then lives,
// shown or hidden, until the bar ends; "日历" in the mode menu and DefWin 2 show it docked under
// the bar (above it when the bar sits in the lower half of the screen), the other modes, "精简" and
// the bar's close hide it, it follows the bar into the tray and back, the date line asks it for
// today's Gregorian marks, and "日历标记" opens the list of all marks and saves them.
#pragma once

#include <QObject>
#include <memory>

#include "app/qt/frm_calendar.h"

namespace tobu {

class Clock;
class MarkDialogs;
class MessageBox;
class TFrmCalendar;
class TFrmLED;

struct CalendarBindingOptions {
    const Clock* clock = nullptr;     // null: the system clock
    MessageBox* messageBox = nullptr; // null: the desktop's message boxes
    MarkDialogs* dialogs = nullptr;   // null: the real dialogs
};

class CalendarBinding : public QObject {
    Q_OBJECT
public:
    CalendarBinding(TFrmLED& bar, const CalendarBindingOptions& options);
    ~CalendarBinding() override;

    TFrmCalendar* FrmCalendar() const { return frm_.get(); }
    // Creates the window (hidden) unless it exists; showing it or the mark list does it.
    TFrmCalendar* CreateCalendarWindow();
    void ShowCalendarWindow(int alpha);
    bool CalendarVisible() const;

private:
    TFrmLED& bar_;
    std::unique_ptr<MessageBox> own_box_;
    std::unique_ptr<MarkDialogs> own_dialogs_;
    TFrmCalendar::Services services_;
    std::unique_ptr<TFrmCalendar> frm_;
    bool hidden_for_tray_ = false;
};

CalendarBinding* BindCalendarWindow(TFrmLED& bar, const CalendarBindingOptions& options = {});

} // namespace tobu
