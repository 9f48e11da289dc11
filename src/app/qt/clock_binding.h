// Connects the analog clock window to the bar: "时钟" in the mode menu and DefWin 1 open it
// docked under the bar (above it when the bar sits in the lower half of the screen, or where
// CHILD Left/Top remember it), every tick turns its hands, it follows the bar into the tray and
// back, and it closes with the bar. The window is created on each show and freed when it
// closes; the calendar and the weather page come with their own windows.
#pragma once

#include <QObject>
#include <QPointer>

#include "platform/clock.h"

namespace tobu {

class TFrmLED;
class TFrmClock;

class ClockBinding : public QObject {
    Q_OBJECT
public:
    ClockBinding(TFrmLED& bar, const Clock& clock);

    // The clock window while it exists (null otherwise).
    TFrmClock* FrmClock() const;

    // Mode index 0 closes the companion windows, 2 shows the clock from its saved position;
    // the calendar (1) and the weather page (3) are not built yet and change nothing.
    void ShowChildWindow(int index);
    void CloseChildWindows();
    // Shows the clock window at the bar's transparency, from CHILD Left/Top when useSaved,
    // else docked at the bar's left.
    void ShowClockWindow(int alpha, bool useSaved);

private:
    TFrmClock* CreateClockWindow();
    bool ClockVisible() const;

    TFrmLED& bar_;
    const Clock& clock_;
    QPointer<TFrmClock> frm_clock_;
};

// Creates the binding as a child of the bar; call before FormCreate.
ClockBinding* BindClockWindow(TFrmLED& bar, const Clock& clock);

} // namespace tobu
