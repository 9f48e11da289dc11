// The main bar: a borderless 332 × 34 strip with the seven-segment time, the date line, the
// main menu and minimise buttons and the tray icon. It owns the one-second tick, the menus,
// the hot key, the stay-on-top and transparency state, position saving and the orderly
// shutdown. Its creation routine FormCreate is the start-up sequence of the whole program.
#pragma once

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/companions.h"
#include "app/hot_key.h"
#include "platform/clock.h"
#include "platform/endpoint.h"
#include "settings/clock_settings.h"
#include "settings/skin_loaders.h"

namespace tobu {

class TBitmapButton;
class TFlatPanel;
class TLEDFontNum;
class TAAFadeText;
class WindowMover;
class TFormShadow;
class TMyWindow;
class TMagneticWindows;
struct BarSkin;

// Process-wide state set during start-up.
extern bool ShadowsEnabled;
extern std::string AppDir;
extern std::string HeadingFontName;
extern std::string CurrentSkinFile;
extern std::string CurrentClockFile;

// The picture that fills the bar (and cuts its shape through the colour key).
class TImageBk : public QWidget {
    Q_OBJECT
public:
    explicit TImageBk(QWidget* parent) : QWidget(parent) {}
    void SetPicture(const QImage& image);
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QImage picture_;
};

class TFrmLED : public QWidget {
    Q_OBJECT
public:
    // What the bar needs from the desktop; tests hand in doubles.
    struct Services {
        const Clock* clock = nullptr;
        std::function<bool(const std::string& path)> openFile; // open with its program
        std::function<void(const std::string& caption, const std::string& text)> warningBox;
        HotKeySystem* hotKeys = nullptr; // null: no global hot keys on this desktop
        std::function<bool()> hasTray;   // null: ask the desktop (HasSystemTray)
    };

    TFrmLED(const Services& services, std::string firstArgument);
    ~TFrmLED() override;

    // The start-up sequence; runs once after construction.
    void FormCreate();

    // Settings. LoadSettings reads skin.ini and applies it; ApplySettings applies a value
    // already read. The bar applies its own parts (skin, time display, hot key, position,
    // on-top, alpha, start decisions) and hands the others to their owners through the
    // signals below, in the order the start-up has always followed. A damaged package costs
    // only its own step.
    SettingsLoadResult LoadSettings(SettingsScope scope);
    SettingsLoadResult ApplySettings(const ClockSettings& settings, SettingsScope scope);
    // The dialog frame of the skin (null while no frame skin was loaded).
    const TMyWindow* DialogFrame() const { return dialog_frame_.get(); }

    // Hot key.
    void RegisterClockHotKey(const std::string& modifierText, const std::string& letterText);
    void UnregisterClockHotKey();
    // A hot-key message; returns true when it was ours and handled.
    bool HandleHotKey(int id, qint64 lparam);
    const ClockHotKey& HotKey() const { return *hot_key_; }

    // Tray. Without a tray the bar is minimised as an ordinary window instead, so it stays in
    // the window list; restoring brings it back either way, with the open modal dialog.
    void MinimizeToTray();
    void RestoreFromTray();
    bool MinimizedAsWindow() const { return as_window_; }
    bool Minimized() const { return minimized_; }
    bool TrayAnimating() const { return tray_animation_.isActive(); }
    void SetTrayAnimation(bool on);
    // The outcome of a save of skin.ini while the clock runs (position saving, the options
    // dialog). The first failure is told in a warning box; later ones are not, until a save
    // succeeds again (the position is retried every 2 s). The save at exit tells nobody.
    void SettingsSaveDone(bool ok);

    // The tray balloon (the start hint).
    void ShowTrayBalloon(const QString& title, const QString& text, int ms);
    void RemoveTrayBalloon();

    // What the companion windows follow: stay-on-top and alpha (Tr).
    void SetOnTop(bool on);
    bool OnTop() const { return on_top_; }
    void SetBarAlpha(int value);
    int BarAlpha() const { return Tr; }
    // The companion window to open at start (DefWin) and the one visible now.
    int DefaultWindow() const { return DefWin; }
    int ChildWindowIndex() const;
    // Single questions the companion windows answer: the clock window's position while it is
    // visible, and the visible companion's index (0 none, 1 calendar, 2 clock, 3 weather).
    void SetClockWindowQuery(std::function<std::optional<QPoint>()> query);
    void SetChildIndexQuery(std::function<int()> query);
    // Which companion windows are visible; when set, it answers ChildWindowIndex and the
    // mode menu's tick in place of the index question. Each binding adds its own query; the
    // answers are combined.
    void SetCompanionVisibilityQuery(std::function<CompanionVisibility()> query);
    // Where the clock window was asked to go (top -1 when it went above the bar); the position
    // saving writes CHILD Left/Top when the window stands elsewhere.
    void NoteClockWindowPlaced(int left, int top) {
        ClockWinLeft = left;
        ClockWinTop = top;
    }
    // The menus' colours of the skin in use, for the companion windows' menus.
    const MenuColors& MenuLook() const { return menu_look_; }
    // Window snapping (from start-up on). A companion window docks to the bar: it is
    // registered with the bar as its parent and its drag (the mover) snaps and re-docks; it is
    // unregistered when it is destroyed or detached. False before start-up or when refused.
    bool AttachCompanion(QWidget* window, WindowMover* mover);
    bool DetachCompanion(QWidget* window);
    TMagneticWindows* MagneticWindows() const { return magnetic_.get(); }
    // A feature that has landed enables its menu item (by the item's name, e.g. "PM_Clock").
    void EnableMenuItem(const QString& name, bool on = true);

    // What the options dialog and a live apply change at once: the LED or the plain-text time
    // and its font (as it was given, before any font substitution), the start decisions, and
    // the parts the apply step hands out (through the signals below, in the caller's order).
    void ShowLedDisplay(bool led) { ShowLed(led); }
    bool LedDisplayVisible() const;
    void SetPlainTimeFont(const TimeFont& font) { SetTimeFont(font); }
    const TimeFont& PlainTimeFont() const { return time_font_; }
    void SetStartOptions(bool onStartHide, int defWin);
    void HandOutMessageOptions(const MessageOptions& options) {
        emit messageOptionsApplied(options);
    }
    void HandOutChimeOptions(const ClockSettings::Clock& options) {
        emit chimeOptionsApplied(options);
    }
    void HandOutTimeSync(const ClockSettings::Time& options) { emit timeSyncApplied(options); }
    // Who answers message 0x404 (a live apply from `tobu config set`); without one the bar
    // re-reads its settings and answers 1.
    void SetApplySettingsHandler(std::function<qint64(const Message&)> handler) {
        apply_settings_handler_ = std::move(handler);
    }

    // The date line, its hover text and its timers, for the date-line binding.
    struct DateLineParts {
        TAAFadeText& text;
        QTimer& msg;       // TimerMsg: the one-shot calendar-mark message after start
        QTimer& warStep;   // TimerWarStep: repeated calendar-mark messages
        QTimer& hintClose; // TimerHintClose: takes the start balloon down
    };
    DateLineParts DateLineControls();
    // TimerAD: started by FormCreate after the announcements step; the feed binding sets its
    // interval and acts when it fires.
    QTimer& AnnouncementTimer() { return TimerAD; }
    // The hover text of the time display and the tray icon ("\n" between lines).
    QString HintText() const;
    void SetHintText(const QString& text);

    // A message from another process to the bar's endpoint; returns the result for a sender.
    qint64 HandleMessage(const Message& message);
    quint32 PopupWnd() const { return popup_wnd_; }

    // The handle other processes address the bar by (its message endpoint).
    void SetWindowHandle(quint32 handle) { window_handle_ = handle; }
    quint32 WindowHandle() const { return window_handle_; }

    // Shutdown: stop timers, save state, release the hot key, close companion windows.
    void FormClose();
    void FormDestroy();

    // The visible flag: true once the bar has been shown, and still true while it is
    // minimised to the tray.
    bool VisibleFlag() const { return visible_flag_; }
    bool HideAtStart() const { return hide_at_start_; }

    // The bar's drop shadow (null without ShadowsEnabled or after close).
    TFormShadow* Shadow() const;

    // Start-up steps that belong to other subsystems, announced in the order of FormCreate.
    enum class StartUpStep {
        AfterSettings,
        CalendarWindow,
        ChimesAndTasks,
        Announcements,
        DefaultWindow
    };
    Q_ENUM(StartUpStep)

signals:
    // The apply step hands each owner its part, in this order.
    void chimeOptionsApplied(const tobu::ClockSettings::Clock& options); // chime sequencer
    void timeSyncApplied(const tobu::ClockSettings::Time& options);      // time services
    void messageOptionsApplied(const tobu::MessageOptions& options);     // date line, popups
    // The tick, in this order, all with its one time value (see TimerClockTimer).
    void showTime(tobu::TDateTime now);   // date line, hover text, the analog clock's hands
    void checkTasks(tobu::TDateTime now); // task scheduler
    void checkChime(tobu::TDateTime now); // chime sequencer
    // The hot key asks for the time to be spoken.
    void announceTime(tobu::TDateTime now);
    void startUpStep(tobu::TFrmLED::StartUpStep step);
    void minimizedChanged(bool minimized); // companion windows follow the bar
    void showChildWindowRequested(int index);
    // An item of "系统设置" was chosen: the options dialog opens on that page (the item's tag).
    void optionsPageRequested(int page);
    void closingCompanions(); // at close, after the bar saved its state
    void destroying();        // parts release what they hold
    void unhandledMessage(const tobu::Message& message);
    void closed();

protected:
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void changeEvent(QEvent*) override;

private:
    friend struct BarTestAccess; // tests reach the controls by their form names

    void BuildControls();
    void BuildMenus();
    void ApplyColorKey();
    void SetBackground(const QImage& picture);
    void ApplyDefaultSkin();
    void ApplyBarSkin(const BarSkin& skin);
    void LoadBarSkin(const std::string& path);
    void LoadDialogFrame(const std::string& path);
    void ShowLed(bool show);
    void SetTimeFont(const TimeFont& font);
    void SetTr(int tr, std::uint8_t alpha);

    // The tick and its first step.
    void TimerClockTimer();
    void ShowClockText(TDateTime now);
    void TimerSavePosTimer();
    void TimerChildTimer();

    void BtnMenuClick();
    void PopupMenu1Popup();
    void PM_CalendarClick(QAction* item);
    void PM_OptionsNorClick(QAction* item);
    void SetBarMenuColors(const MenuColors& colors);
    void PM_HelpClick();
    void PM_ExitClick();

    std::string SettingsPath() const;
    bool TrayAvailable() const;
    void MinimizeWhenTrayReady(int waitedMs);

    // Controls, with the names they have on the form.
    TImageBk* ImageBk = nullptr;
    TAAFadeText* AAFadeTextDate = nullptr;
    TFlatPanel* RzPanel2 = nullptr;
    TLEDFontNum* LED = nullptr;
    TBitmapButton* BtnMenu = nullptr;
    TBitmapButton* BtnMin = nullptr;
    QSystemTrayIcon* RzTrayIcon1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QTimer TimerClock, TimerChild, TimerWarStep, TimerMsg, TimerHintClose, TimerAD, TimerSavePos;

    // Menu items.
    QAction *PM_Smp, *PM_Clock, *PM_Calendar, *PM_Weather;
    QAction *PM_TaskOptions, *PM_CalOptions, *PM_WorldTime, *PM_Options;
    QAction *PM_OptionsNor, *PM_OptionsBS, *PM_OptionsSkin, *PM_OptionsClock, *PM_OptionsMsg,
        *PM_OptionsTime;
    QAction *PM_HomePage, *PM_Help, *PM_About, *PM_Exit;
    QAction *PM_Open, *PM_Hide1;
    QAction *PM_TaskOptions1, *PM_CalOptions1, *PM_WorldTime1, *PM_Options1;
    QAction *PM_OptionsNor1, *PM_OptionsBS1, *PM_OptionsSkin1, *PM_OptionsClock1, *PM_OptionsMsg1,
        *PM_OptionsTime1;
    QAction *PM_Homepage1, *PM_Help1, *PM_About1, *PM_Exit1;

    // The bar's own state from the settings.
    int Tr = 200;
    int DefWin = 1;
    bool OnStartHide = false;
    int ChildIndex = 0;
    int SavedLeft = 0, SavedTop = 0;
    int ClockWinLeft = 0, ClockWinTop = 0;
    MenuColors menu_look_;
    bool LastLoadFailed = false;
    // The bar's position and Tr are the user's (read from skin.ini, moved or set since), so
    // exit may write them.
    bool PositionKnown = false, TrKnown = false;
    bool settings_save_warned_ = false;
    // How long the start in the tray ("/hide") waits for a tray to appear.
    int TrayWaitMs = 5000;

    Services services_;
    std::string first_argument_;
    quint32 window_handle_ = 0;
    bool first_show_ = true;
    bool hide_at_start_ = false;
    bool visible_flag_ = false;
    bool minimized_ = false;
    bool as_window_ = false; // minimised as an ordinary window (no tray)
    bool closing_done_ = false;
    bool destroyed_ = false;
    bool on_top_ = false;
    TDateTime last_date_ = 0;
    bool date_cycling_ = true;
    quint32 popup_wnd_ = 0;
    std::unique_ptr<HotKeySystem> no_hot_keys_;
    std::unique_ptr<ClockHotKey> hot_key_;
    std::unique_ptr<TMyWindow> dialog_frame_;
    std::function<std::optional<QPoint>()> clock_window_query_;
    std::function<int()> child_index_query_;
    std::function<CompanionVisibility()> visibility_query_;
    std::unique_ptr<TMagneticWindows> magnetic_;
    WindowMover* mover_ = nullptr;
    QPointer<TFormShadow> shadow_;
    QTimer tray_animation_;
    int tray_frame_ = 0;
    QList<QAction*> mode_items_;
    TimeFont time_font_;
    std::function<qint64(const Message&)> apply_settings_handler_;
};

} // namespace tobu
