// Connects the options dialog "系统设置" to the bar: the six items of "系统设置" in both menus
// open TFrmOptions on their page, the dialog's acting-at-once controls reach the bar and the
// companion windows, its close hands the values to the bar's owners (message, chime and
// synchronisation signals, the hot key, the popup program), and message 0x404 from
// `tobu config set` applies skin.ini to the running clock the same way, without writing.
//
//     OptionsBinding* options = BindOptions(frm, clockBinding, dateLine, messageBox);
//     options->SetSyncNowRunner([&] { return sync.RunOnce(); });   // enables "立即校正"
//     options->SetCompanionHooks({...});                            // calendar and weather
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/qt/frm_options.h"
#include "platform/endpoint.h"
#include "settings/autostart_entry.h"

namespace tobu {

class TFrmLED;
class ClockBinding;
class DateLineBinding;

// The companion windows that are not the analog clock; each function is called only when set,
// and does its work only if its window exists.
struct CompanionHooks {
    std::function<void()> reloadCalendarSkin;
    std::function<void()> reloadWeatherSkin;
    std::function<void(int alpha)> setCalendarAlpha; // when it shows
    std::function<void(int alpha)> setWeatherAlpha;
};

class OptionsBinding : public QObject {
    Q_OBJECT
public:
    OptionsBinding(TFrmLED& bar, ClockBinding* clock, DateLineBinding* dateLine,
                   MessageBox& messageBox);
    ~OptionsBinding() override;

    // Opens the dialog on the page (0-5) and returns after it closed and saved.
    void OpenOptions(int page);
    // The open dialog, or null.
    TFrmOptions* Dialog() const { return dialog_.data(); }

    // "立即校正": one synchronisation attempt returning the time text on success. Without a
    // runner the button shows disabled.
    void SetSyncNowRunner(std::function<std::optional<std::string>()> runner);
    void SetCompanionHooks(CompanionHooks hooks);
    // Where the login start is kept (default: the entry for the running TobuClock).
    void SetAutostartStore(AutostartStore* store) { autostart_ = store; }
    // The font dialog (tests script it).
    void SetFontChooser(std::function<std::optional<TimeFont>(const TimeFont&)> chooser) {
        choose_font_ = std::move(chooser);
    }
    // A dialog about to be shown (tests drive it from here).
    std::function<void(TFrmOptions&)> onDialogCreated;

    // Message 0x404: 1 applied, 0 not this clock's skin.ini, 2 the dialog is open.
    qint64 HandleApplySettings(const Message& message);

private:
    class Target;
    TFrmOptions::Context MakeContext();
    void SetAlpha(int alpha);
    void ApplySkin();
    void ApplyClockFace(const std::string& name);

    TFrmLED& bar_;
    QPointer<ClockBinding> clock_;
    DateLineBinding* date_line_;
    MessageBox& message_box_;
    std::unique_ptr<Target> target_;
    std::unique_ptr<FileAutostartStore> own_autostart_;
    AutostartStore* autostart_ = nullptr;
    std::function<std::optional<std::string>()> sync_now_;
    std::function<std::optional<TimeFont>(const TimeFont&)> choose_font_;
    CompanionHooks hooks_;
    QPointer<TFrmOptions> dialog_;
};

// Creates the binding as a child of the bar and switches the twelve menu items on; call
// before FormCreate. `clock` and `dateLine` may be null.
OptionsBinding* BindOptions(TFrmLED& bar, ClockBinding* clock, DateLineBinding* dateLine,
                            MessageBox& messageBox);

} // namespace tobu
