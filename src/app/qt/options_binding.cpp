#include "app/qt/options_binding.h"

#include <QCoreApplication>
#include <QTimer>

#include "app/qt/clock_binding.h"
#include "app/qt/date_line_binding.h"
#include "app/qt/frm_clock.h"
#include "app/qt/frm_led.h"
#include "platform/free_memory.h"
#include "platform/messages.h"

namespace tobu {

// The bar as the close and a live apply see it.
class OptionsBinding::Target : public LiveTarget {
public:
    explicit Target(OptionsBinding& b) : b_(b) {}

    void SetMessageOptions(const MessageOptions& m) override {
        b_.bar_.HandOutMessageOptions(m);
        // The repeated calendar-mark message runs only in "循环显示".
        QTimer& warStep = b_.bar_.DateLineControls().warStep;
        if (m.calendar_lx != 2)
            warStep.stop();
        else if (!warStep.isActive())
            warStep.start();
    }
    void SetChimeOptions(const ClockSettings::Clock& c) override { b_.bar_.HandOutChimeOptions(c); }
    void SetTimeSync(const ClockSettings::Time& t) override { b_.bar_.HandOutTimeSync(t); }
    bool HotKeyRegisteredAs(const std::string& m, const std::string& l) const override {
        const ClockHotKey& k = b_.bar_.HotKey();
        return k.Id() != 0 && k.ModifierText() == m && k.LetterText() == l;
    }
    void RegisterHotKey(const std::string& m, const std::string& l) override {
        b_.bar_.RegisterClockHotKey(m, l);
    }
    void UnregisterHotKey() override { b_.bar_.UnregisterClockHotKey(); }
    void NotifySettingsSaved() override {
        if (b_.date_line_) b_.date_line_->Popup().NotifyPopupMsg(kPopupSettingsSaved);
    }
    void SetTimeDisplay(bool led, const TimeFont& font) override {
        b_.bar_.SetPlainTimeFont(font);
        b_.bar_.ShowLedDisplay(led);
    }
    void SetAlpha(int alpha) override { b_.SetAlpha(alpha); }
    void SetOnTop(bool on) override { b_.bar_.SetOnTop(on); }
    std::string SkinFileInUse() const override { return CurrentSkinFile; }
    void ApplySkin() override { b_.ApplySkin(); }
    std::string ClockFileInUse() const override { return CurrentClockFile; }
    void ApplyClockFace(const std::string& name) override { b_.ApplyClockFace(name); }
    void SetStartOptions(bool hide, int def_win) override {
        b_.bar_.SetStartOptions(hide, def_win);
    }

private:
    OptionsBinding& b_;
};

OptionsBinding::OptionsBinding(TFrmLED& bar, ClockBinding* clock, DateLineBinding* dateLine,
                               MessageBox& messageBox)
    : QObject(&bar), bar_(bar), clock_(clock), date_line_(dateLine), message_box_(messageBox),
      target_(std::make_unique<Target>(*this)) {
    setObjectName("OptionsBinding");
    for (const char* name : {"PM_OptionsNor", "PM_OptionsBS", "PM_OptionsSkin", "PM_OptionsClock",
                             "PM_OptionsMsg", "PM_OptionsTime"}) {
        bar.EnableMenuItem(name);
        bar.EnableMenuItem(QString::fromLatin1(name) + "1");
    }
    connect(&bar, &TFrmLED::optionsPageRequested, this, [this](int page) { OpenOptions(page); });
    bar.SetApplySettingsHandler([this](const Message& m) { return HandleApplySettings(m); });
    connect(&bar, &TFrmLED::destroying, this, [this] { bar_.SetApplySettingsHandler(nullptr); });
}

OptionsBinding::~OptionsBinding() = default;

void OptionsBinding::SetSyncNowRunner(std::function<std::optional<std::string>()> runner) {
    sync_now_ = std::move(runner);
}

void OptionsBinding::SetCompanionHooks(CompanionHooks hooks) {
    hooks_ = std::move(hooks);
}

void OptionsBinding::SetAlpha(int alpha) {
    bar_.SetBarAlpha(alpha);
    if (clock_)
        if (TFrmClock* c = clock_->FrmClock(); c && c->isVisible()) c->SetClockAlpha(alpha);
    if (hooks_.setCalendarAlpha) hooks_.setCalendarAlpha(alpha);
    if (hooks_.setWeatherAlpha) hooks_.setWeatherAlpha(alpha);
}

void OptionsBinding::ApplySkin() {
    bar_.LoadSettings(SettingsScope::SkinOnly);
    if (clock_)
        if (TFrmClock* c = clock_->FrmClock()) {
            c->SetMenuLook(bar_.MenuLook());
            c->ReloadClockFace(true);
        }
    if (hooks_.reloadCalendarSkin) hooks_.reloadCalendarSkin();
    if (hooks_.reloadWeatherSkin) hooks_.reloadWeatherSkin();
}

void OptionsBinding::ApplyClockFace(const std::string& name) {
    CurrentClockFile = name;
    if (clock_)
        if (TFrmClock* c = clock_->FrmClock()) {
            c->ReloadClockFace(false);
            c->update();
        }
}

TFrmOptions::Context OptionsBinding::MakeContext() {
    if (!autostart_) {
        if (!own_autostart_) {
            std::string exe = ResolvedPath(QCoreApplication::applicationFilePath().toStdString());
            own_autostart_ = std::make_unique<FileAutostartStore>(AutostartEntryPath(), exe);
        }
        autostart_ = own_autostart_.get();
    }
    TFrmOptions::Context c;
    c.appDir = AppDir;
    c.frame = bar_.DialogFrame();
    c.shadow = ShadowsEnabled;
    c.messageBox = &message_box_;
    c.autostart = autostart_;
    c.target = target_.get();
    c.bar.alpha = bar_.BarAlpha();
    c.bar.led_visible = bar_.LedDisplayVisible();
    c.bar.font = bar_.PlainTimeFont();
    c.currentSkin = CurrentSkinFile;
    c.currentClock = CurrentClockFile;
    c.setAlpha = [this](int a) { SetAlpha(a); };
    c.setOnTop = [this](bool on) { bar_.SetOnTop(on); };
    c.setTimeDisplay = [this](bool led, const TimeFont& f) { target_->SetTimeDisplay(led, f); };
    if (date_line_) c.setDateCycling = [this](bool on) { date_line_->Line().SetDateCycling(on); };
    c.applySkin = [this] { ApplySkin(); };
    c.applyClockFace = [this](const std::string& name) { ApplyClockFace(name); };
    c.syncNow = sync_now_;
    c.chooseFont = choose_font_;
    return c;
}

void OptionsBinding::OpenOptions(int page) {
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    auto* dialog = new TFrmOptions(MakeContext());
    dialog_ = dialog;
    dialog->SetPage(page);
    dialog->LoadValues();
    if (onDialogCreated) onDialogCreated(*dialog);
    // Once the dialog is up, what building it freed goes back to the system; so does the
    // dialog itself when it is gone.
    QTimer::singleShot(0, dialog, [] { ReturnFreeMemory(); });
    dialog->exec();
    const CloseResult result = dialog->Save();
    delete dialog;
    ReturnFreeMemory();
    ReturnFontPages();
    bar_.SettingsSaveDone(result.saved);
}

qint64 OptionsBinding::HandleApplySettings(const Message& message) {
    const std::string sent(message.data.begin(), message.data.end());
    const std::string own = AppDir + "skin.ini";
    if (sent.empty() || ResolvedPath(sent) != ResolvedPath(own)) return 0;
    if (dialog_) return 2;
    ApplyLiveSettings(ReadLiveSettings(IniFile(own)), *target_);
    return 1;
}

OptionsBinding* BindOptions(TFrmLED& bar, ClockBinding* clock, DateLineBinding* dateLine,
                            MessageBox& messageBox) {
    return new OptionsBinding(bar, clock, dateLine, messageBox);
}

} // namespace tobu
