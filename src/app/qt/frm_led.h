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

#include "app/hot_key.h"
#include "platform/clock.h"
#include "platform/endpoint.h"
#include "settings/load_settings.h"

namespace tobu {

class TBitmapButton;
class TFlatPanel;
class TLEDFontNum;
class TAAFadeText;
class WindowMover;
class TFormShadow;

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

class TFrmLED : public QWidget, public SettingsTarget {
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

    // The tick and its first step.
    void TimerClockTimer();
    void ShowClockText(TDateTime now);

    // Hot key (also the settings load's step).
    void RegisterClockHotKey(const std::string& modifierText,
                             const std::string& letterText) override;
    void UnregisterClockHotKey();
    // A hot-key message; returns true when it was ours and handled.
    bool HandleHotKey(int id, qint64 lparam);

    // Tray. Without a tray the bar is minimised as an ordinary window instead, so it stays in
    // the window list; restoring brings it back either way, with the open modal dialog.
    void MinimizeToTray();
    void RestoreFromTray();
    bool MinimizedAsWindow() const { return as_window_; }
    // How long the start in the tray ("/hide") waits for a tray to appear.
    int TrayWaitMs = 5000;
    bool TrayAnimating() const { return tray_animation_.isActive(); }
    void SetTrayAnimation(bool on);

    void SetOnTop(bool on) override;
    // The bar's background picture (a larger picture is shown cut at the bar's size); the
    // colour key of the picture shapes the bar.
    void SetBackground(const QImage& picture);
    void SetBarAlpha(int value);
    void LoadSettings(bool skinOnly);
    void TimerSavePosTimer();
    int ChildWindowIndex() const;

    // Menu handlers.
    void PM_HelpClick();
    void PM_ExitClick();

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
    bool Minimized() const { return minimized_; }

    // Tick hooks that other subsystems fill in start-up order: the date line, the task
    // scheduler and the chime sequencer. Each is called with the tick's one time value.
    std::function<void(bool firstShow, TDateTime now)> showTimeHook;
    std::function<void(TDateTime now)> checkTasksHook;
    std::function<bool(TDateTime now)> chimeCheckHook; // true when a chime moment was handled
    std::function<void(TDateTime now)> announceHook;   // speaks the time (hot key)
    std::function<void(const std::string& text)> chimeMessageHook; // message chime text

    // Start-up steps that belong to other subsystems, called in the order of FormCreate.
    enum class StartUpStep {
        AfterSettings,
        CalendarWindow,
        ChimesAndTasks,
        Announcements,
        DefaultWindow
    };
    std::function<void(StartUpStep)> startUpHook;
    std::function<void(const std::string& path)> loadBarSkinHook;     // may throw
    std::function<void(const std::string& path)> loadDialogFrameHook; // may throw
    std::function<void(bool minimized)> minimizeHook;       // companion windows follow the bar
    std::function<std::optional<QPoint>()> clockWindowHook; // the clock window, when visible
    std::function<int()> childIndexHook;                    // the visible companion window
    std::function<void(int index)> showChildWindowHook;
    std::function<void()> closeCompanionsHook;
    std::function<void()> destroyHook;
    std::function<qint64(const Message&)> messageHook; // messages no built-in handler takes

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

    // Fields the settings load fills.
    int Tr = 200;
    int DefWin = 1;
    bool Alarm = false, HalfAlarm = false;
    int AlarmType = 0;
    MessageOptions Msg;
    bool AutoChcek = false;
    int StepHour = 1;
    bool OnStartHide = false;
    int ChildIndex = 0;
    int SavedLeft = 0, SavedTop = 0;
    int ClockWinLeft = 0, ClockWinTop = 0;
    bool LastLoadFailed = false;
    // The bar's position and Tr are the user's (read from skin.ini, moved or set since), so
    // exit may write them.
    bool PositionKnown = false, TrKnown = false;
    const ClockHotKey& HotKey() const { return *hot_key_; }

    // SettingsTarget: each step of the settings load applies one value.
    void LoadBarSkin(const std::string& path) override;
    void SetCurrentSkinFile(const std::string& name) override;
    void SetCurrentClockFile(const std::string& name) override;
    void ShowLed(bool show) override;
    void SetTimeFont(const TimeFont& font) override;
    void LoadDialogFrame(const std::string& path) override;
    void SetAlarm(bool alarm, bool halfAlarm, int alarmType) override;
    void SetTimeSync(bool autoCheck, int stepHour) override;
    void SetMessageOptions(const MessageOptions& options) override;
    int ScreenWidth() override;
    int BarWidth() override;
    void SetBarLeft(int left) override;
    void SetBarTop(int top) override;
    void SetOnStartHide(bool on) override;
    void SetDefWin(int defWin) override;
    void SetTr(int tr, std::uint8_t alpha) override;
    void SetChildIndex(int index) override;

    // The bar's drop shadow (null without ShadowsEnabled or after close).
    TFormShadow* Shadow() const;

signals:
    void closed();

protected:
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void changeEvent(QEvent*) override;

private:
    void BuildControls();
    void BuildMenus();
    void ApplyColorKey();
    void BtnMenuClick();
    void PopupMenu1Popup();
    void PM_CalendarClick(QAction* item);
    void TimerChildTimer();
    std::string SettingsPath() const;
    void ApplyDefaultSkin();
    bool TrayAvailable() const;
    void MinimizeWhenTrayReady(int waitedMs);

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
    WindowMover* mover_ = nullptr;
    QPointer<TFormShadow> shadow_;
    QTimer tray_animation_;
    int tray_frame_ = 0;
    QList<QAction*> mode_items_;
};

} // namespace tobu
