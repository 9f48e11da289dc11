#include "app/qt/date_line_binding.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

#include "app/qt/frm_led.h"
#include "faces/qt/aa_fadetext.h"
#include "platform/qt/qt_shell.h"

namespace tobu {

namespace {

class FadeTextDisplay : public DateLineDisplay {
public:
    explicit FadeTextDisplay(TAAFadeText* text) : text_(text) {}
    int LineCount() const override { return text_->Lines().Count(); }
    std::string Line(int i) const override { return text_->Lines().Get(i); }
    void PutLine(int i, const std::string& t) override { text_->Lines().Put(i, t); }
    void AddLine(const std::string& t) override { text_->Lines().Add(t); }
    void BeginUpdate() override { text_->BeginUpdate(); }
    void EndUpdate() override { text_->EndUpdate(); }
    bool Active() const override { return text_->Active(); }
    void SetActive(bool on) override { text_->SetActive(on); }
    int LineIndex() const override { return text_->LineIndex(); }
    void ShowLine(int i) override { text_->ShowLine(i); }

private:
    TAAFadeText* text_;
};

// The hover text of the LED, of the time panel and of the tray icon. Tooltips break lines at
// "\n"; the hint itself keeps CR LF.
class BarHint : public HintTarget {
public:
    explicit BarHint(TFrmLED& bar) : bar_(bar) {}
    std::string Hint() const override {
        return bar_.HintText().replace("\n", "\r\n").toStdString();
    }
    void SetHint(const std::string& text) override {
        bar_.SetHintText(QString::fromStdString(text).replace("\r\n", "\n"));
    }

private:
    TFrmLED& bar_;
};

class BarTrayBalloon : public TrayBalloon {
public:
    explicit BarTrayBalloon(TFrmLED& bar) : bar_(bar) {}
    void ShowBalloon(const std::string& title, const std::string& text, int seconds) override {
        bar_.ShowTrayBalloon(QString::fromStdString(title), QString::fromStdString(text),
                             seconds * 1000);
    }
    void RemoveBalloon() override { bar_.RemoveTrayBalloon(); }

private:
    TFrmLED& bar_;
};

class QtSwitchTimer : public SwitchTimer {
public:
    explicit QtSwitchTimer(QTimer& timer) : timer_(timer) {}
    void Start() override { timer_.start(); }
    void Stop() override { timer_.stop(); }
    bool IsActive() const override { return timer_.isActive(); }

private:
    QTimer& timer_;
};

// The desktop behind the popup protocol: message endpoints, the program folder, a detached
// program start, a one-shot timer for the protocol's checks and standard error.
class EndpointPopupPlatform : public PopupPlatform {
public:
    explicit EndpointPopupPlatform(TFrmLED& bar) : bar_(bar) {
        clock_.start();
        poll_.setSingleShot(true);
    }
    // Where the timer's call goes; set once the protocol exists.
    void SetPoll(std::function<void()> poll) {
        QObject::connect(&poll_, &QTimer::timeout, &poll_, std::move(poll));
    }
    WindowHandle BarHandle() const override { return bar_.WindowHandle(); }
    std::string ProgramFolder() const override { return AppDir; }
    WindowHandle RegisteredPopup() const override { return bar_.PopupWnd(); }
    bool IsWindow(WindowHandle h) override { return h != 0 && tobu::IsWindow(h); }
    std::optional<int64_t> Send(WindowHandle h, const Message& m) override {
        if (h == 0) return std::nullopt;
        return SendMessage(h, m);
    }
    bool FileExists(const std::string& path) override {
        return QFileInfo(QString::fromStdString(path)).isFile();
    }
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override {
        return shell_.Run(program, args);
    }
    void PollIn(int ms) override { poll_.start(ms); }
    int64_t SteadyMs() override { return clock_.elapsed(); }
    void Report(const std::string& line) override { std::fprintf(stderr, "%s\n", line.c_str()); }

private:
    TFrmLED& bar_;
    QtShellOpen shell_;
    QElapsedTimer clock_;
    QTimer poll_;
};

} // namespace

class DateLineBinding::Parts {
public:
    explicit Parts(TFrmLED& bar)
        : timers(bar.DateLineControls()), display(&timers.text), hint(bar), tray(bar),
          timerMsg(timers.msg), timerWarStep(timers.warStep), timerHintClose(timers.hintClose) {}
    TFrmLED::DateLineParts timers;
    FadeTextDisplay display;
    BarHint hint;
    BarTrayBalloon tray;
    QtSwitchTimer timerMsg, timerWarStep, timerHintClose;
};

DateLineBinding::DateLineBinding(TFrmLED& bar, const DateLineBindingOptions& options)
    : QObject(&bar), bar_(bar), parts_(std::make_unique<Parts>(bar)) {
    setObjectName("DateLineBinding");
    PopupPlatform* platform = options.popupPlatform;
    EndpointPopupPlatform* own = nullptr;
    if (!platform) {
        auto made = std::make_unique<EndpointPopupPlatform>(bar);
        own = made.get();
        ownPlatform_ = std::move(made);
        platform = own;
    }
    popup_ = std::make_unique<PopupProtocol>(*platform);
    if (own) own->SetPoll([this] { popup_->Poll(); });

    CalendarTexts* texts = options.texts;
    if (!texts) {
        gridTexts_ = std::make_unique<GridCalendarTexts>();
        texts = gridTexts_.get();
    }
    DateLine::Parts p;
    p.display = &parts_->display;
    p.hint = &parts_->hint;
    p.texts = texts;
    p.popup = popup_.get();
    p.tray = options.tray ? options.tray : &parts_->tray;
    p.timerMsg = &parts_->timerMsg;
    p.timerWarStep = &parts_->timerWarStep;
    p.timerHintClose = &parts_->timerHintClose;
    p.clock = options.clock ? options.clock : &SystemClock::Instance();
    line_ = std::make_unique<DateLine>(p);

    TFrmLED::DateLineParts& t = parts_->timers;
    connect(&t.msg, &QTimer::timeout, this,
            [this] { line_->TimerMsgTimer(msg_.calendar_lx, bar_.VisibleFlag()); });
    connect(&t.warStep, &QTimer::timeout, this,
            [this] { line_->TimerWarStepTimer(msg_.calendar_lx); });
    connect(&t.hintClose, &QTimer::timeout, this, [this] { line_->TimerHintCloseTimer(); });
    connect(&bar, &TFrmLED::messageOptionsApplied, this, [this](const MessageOptions& o) {
        msg_ = o;
        parts_->timers.warStep.setInterval(o.war_step_interval_ms);
    });
    connect(&bar, &TFrmLED::showTime, this, [this](TDateTime now) { line_->ShowTime(false, now); });
    connect(&bar, &TFrmLED::destroying, this, [this] { popup_->NotifyPopupMsg(kPopupBarClosing); });
}

DateLineBinding::~DateLineBinding() = default;

void DateLineBinding::ShowPopupText(const std::string& text) {
    if (popup_->PopupMsgReady()) popup_->SendPopupText(text);
}

DateLineBinding* BindDateLineAndPopups(TFrmLED& bar, const DateLineBindingOptions& options) {
    return new DateLineBinding(bar, options);
}

DateLineBinding* FindDateLineBinding(TFrmLED& bar) {
    return bar.findChild<DateLineBinding*>("DateLineBinding", Qt::FindDirectChildrenOnly);
}

} // namespace tobu
