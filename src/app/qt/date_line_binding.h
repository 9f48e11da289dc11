// Connects the date line, the hover text, the mark messages, the start balloon and the popup
// program to the bar. Call once after constructing the bar and before FormCreate:
//
//     BindDateLineAndPopups(frm);
//
// The binding fills the bar's showTimeHook, chimeMessageHook and destroyHook (a destroyHook
// already set keeps running first), connects TimerMsg, TimerWarStep and TimerHintClose, and
// owns the popup protocol that the task scheduler, the options dialog and the upgrade notice
// use through Popup(). The bar itself handles the popup program's messages 0x4BC-0x4BF.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "app/date_line.h"
#include "app/popup_protocol.h"

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
    // The built-in texts (null when the options handed in other texts); their markText is
    // where the date marks plug in.
    GridCalendarTexts* GridTexts() { return gridTexts_.get(); }

private:
    class Parts;
    TFrmLED& bar_;
    std::unique_ptr<Parts> parts_;
    std::unique_ptr<GridCalendarTexts> gridTexts_;
    std::unique_ptr<PopupPlatform> ownPlatform_;
    std::unique_ptr<PopupProtocol> popup_;
    std::unique_ptr<DateLine> line_;
};

// Creates the binding as a child of the bar and installs its hooks.
DateLineBinding* BindDateLineAndPopups(TFrmLED& bar, const DateLineBindingOptions& options = {});
// The binding installed on a bar, or null.
DateLineBinding* FindDateLineBinding(TFrmLED& bar);

} // namespace tobu
