// Connects the date line, the hover text, the mark messages, the start balloon and the popup
// program to the bar. Call once after constructing the bar and before FormCreate:
//
//     BindDateLineAndPopups(frm);
//
// The binding follows the bar's tick (showTime) and destruction, owns the MSG options the
// bar's apply step hands over (they drive the calendar-mark timers TimerMsg and TimerWarStep),
// and owns the popup protocol that the chimes, the task scheduler, the options dialog and the
// upgrade notice use through Popup() or ShowPopupText(). The bar itself handles the popup
// program's messages 0x4BC-0x4BF.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "app/date_line.h"
#include "app/popup_protocol.h"
#include "settings/clock_settings.h"

namespace tobu {

class TFrmLED;

struct DateLineBindingOptions {
    const Clock* clock = nullptr;           // null: the system clock
    CalendarTexts* texts = nullptr;         // null: the built-in lunar and festival texts
    PopupPlatform* popupPlatform = nullptr; // null: the real endpoints, program start and events
    TrayBalloon* tray = nullptr;            // null: the bar's tray icon
};

class DateLineBinding : public QObject {
    Q_OBJECT
public:
    DateLineBinding(TFrmLED& bar, const DateLineBindingOptions& options);
    ~DateLineBinding() override;

    DateLine& Line() { return *line_; }
    PopupProtocol& Popup() { return *popup_; }
    // Shows a text in the popup program when it is there to be asked (a message chime).
    void ShowPopupText(const std::string& text);
    // The MSG options in use.
    const MessageOptions& Messages() const { return msg_; }
    // The built-in texts (null when the options handed in other texts); their markText is
    // where the date marks plug in.
    GridCalendarTexts* GridTexts() { return gridTexts_.get(); }

private:
    class Parts;
    TFrmLED& bar_;
    MessageOptions msg_;
    std::unique_ptr<Parts> parts_;
    std::unique_ptr<GridCalendarTexts> gridTexts_;
    std::unique_ptr<PopupPlatform> ownPlatform_;
    std::unique_ptr<PopupProtocol> popup_;
    std::unique_ptr<DateLine> line_;
};

// Creates the binding as a child of the bar, connected to its signals.
DateLineBinding* BindDateLineAndPopups(TFrmLED& bar, const DateLineBindingOptions& options = {});
// The binding installed on a bar, or null.
DateLineBinding* FindDateLineBinding(TFrmLED& bar);

} // namespace tobu
