// TFrmOptions, the options dialog "系统设置": 472 × 353, centred on the screen, with the skinned
// frame and its own shadow, six pages with tabs on the left (常规, 报时, 皮肤, 时钟, 消息, 校时)
// and "关闭(&C)". It is a thin window on options_model.h: opening loads the values by the
// model's rules, a few controls act at once through the Context's functions, and closing,
// whichever way, saves everything and hands it to the bar (CloseOptions). There is no cancel.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/message_box.h"
#include "settings/options_model.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QStackedWidget;
class QGroupBox;

namespace tobu {

class TMyWindow;
class TFormShadow;

class TFrmOptions : public QDialog {
    Q_OBJECT
public:
    // What the dialog works on; functions left empty are features not on this desktop (their
    // controls still show and change the saved value, or show disabled: "立即校正").
    struct Context {
        std::string appDir; // with a trailing "/"
        const Clock* clock = nullptr;
        const TMyWindow* frame = nullptr; // the bar's dialog frame (null: the plain frame)
        bool shadow = false;
        MessageBox* messageBox = nullptr;
        AutostartStore* autostart = nullptr;
        OptionsTarget* target = nullptr; // what the close hands the values to
        BarFacts bar;                    // the bar's opacity, LED state and font now
        std::string currentSkin, currentClock;
        std::function<void(int)> setAlpha;  // the bar and the companions that show
        std::function<void(bool)> setOnTop; // SetOnTop
        std::function<void(bool led, const TimeFont&)> setTimeDisplay;
        std::function<void(bool)> setDateCycling;
        std::function<void()> applySkin;                        // after SKIN SkinFile was written
        std::function<void(const std::string&)> applyClockFace; // after ClockFile was written
        std::function<std::optional<std::string>()> syncNow;    // one attempt; the time on success
        // The font dialog; null: the toolkit's.
        std::function<std::optional<TimeFont>(const TimeFont&)> chooseFont;
    };

    explicit TFrmOptions(Context context, QWidget* parent = nullptr);
    ~TFrmOptions() override;

    // Open(page): makes the page active, loads the values, shows the dialog modally, then saves.
    static CloseResult Open(Context context, int page, QPointer<TFrmOptions>* open = nullptr);

    // The parts of Open, for tests that drive the dialog without a nested loop.
    void SetPage(int page);
    void LoadValues();
    CloseResult Save();

    int Page() const;
    // The values the controls hold now.
    OptionsValues Values() const;
    bool AutostartChanged() const { return autostart_changed_; }
    // Where the dialog stands on the screen of the given size.
    static QPoint CentredOn(const QSize& screen);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    friend struct OptionsTestAccess;

    void BuildControls();
    QWidget* BuildGeneral();
    QWidget* BuildChime();
    QWidget* BuildSkin();
    QWidget* BuildClock();
    QWidget* BuildMessage();
    QWidget* BuildTime();
    void PageChanged(int page);
    void FocusPage();
    void FillPackages(int page);
    void UpdateEnabling();
    void SkinSelected();
    void FaceSelected();
    void ApplySkinClick();
    void ApplyFaceClick();
    void FontClick();
    void SyncNowClick();
    void WarnVersion();

    Context ctx_;
    bool loading_ = false;
    bool autostart_changed_ = false;
    bool syncing_ = false; // "立即校正" runs: the dialog cannot close
    bool filled_[2] = {false, false};
    bool saved_ = false;
    std::string skin_path_, face_path_; // selected for applying ("" when none)
    TimeFont font_;
    QPointer<TFormShadow> shadow_;

    // Controls, with their form names.
    QListWidget* PageList = nullptr;
    QStackedWidget* Pages = nullptr;
    QPushButton* BtnClose = nullptr;
    QCheckBox *RzCheckBox1 = nullptr, *RzCheckBox8 = nullptr, *RzCheckBox2 = nullptr,
              *RzCheckBox7 = nullptr;
    QComboBox* RzComboBox3 = nullptr;
    QCheckBox *RzCheckBox3 = nullptr, *RzCheckBox4 = nullptr, *RzCheckBox6 = nullptr;
    QGroupBox* RzRadioGroup1 = nullptr;
    QRadioButton* AlarmTypeItems[4] = {};
    QComboBox *RzComboBox1 = nullptr, *RzComboBox2 = nullptr;
    QListWidget* RzListView1 = nullptr;
    QLabel* ImageSkin = nullptr;
    QPushButton* BtnApplySkin = nullptr;
    QSlider* RzTrackBar1 = nullptr;
    QLabel* LabelTr1 = nullptr;
    QListWidget* RzListView2 = nullptr;
    QLabel* ImageClock = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* BtnApplyClock = nullptr;
    QRadioButton *RzRadioButton6 = nullptr, *RzRadioButton7 = nullptr;
    QPushButton* RzButton5 = nullptr;
    QRadioButton *RzRadioButton1 = nullptr, *RzRadioButton2 = nullptr;
    QLabel* LabelAutoSec = nullptr;
    QSpinBox* RzSpinEdit1 = nullptr;
    QRadioButton *RzRadioButton3 = nullptr, *RzRadioButton4 = nullptr, *RzRadioButton5 = nullptr;
    QLabel* LabelStep = nullptr;
    QSpinBox* RzSpinEdit2 = nullptr;
    QSlider* RzTrackBar2 = nullptr;
    QLabel* LabelTr2 = nullptr;
    QCheckBox* RzCheckBox5 = nullptr;
    QLabel *LabelEvery = nullptr, *LabelHours = nullptr;
    QSpinBox* RzSpinEdit3 = nullptr;
    QPushButton* RzButton4 = nullptr;
    QLabel* Label13 = nullptr;
};

} // namespace tobu
