// The date line beside the LED, the hover text of the time and of the tray icon, the mark
// messages after start-up and the start balloon of a minimised launch.
//
// Every tick hands its time value to DateLine::ShowTime. Line 0 of the date line and the hint
// are rebuilt only when the date changes (LastDate); announcement lines (1 and later) are never
// touched here. The mark message runs once 1 s after start-up (mode 1) or then and every
// CalendarStep minutes (mode 2); mode 0 shows the tray balloon instead, but only when the bar
// has never been shown.
#pragma once

#include <functional>
#include <string>

#include "base/datetime.h"
#include "calendar/festival_list.h"
#include "platform/clock.h"

namespace tobu {

// The fade-text control as the date line drives it.
class DateLineDisplay {
public:
    virtual ~DateLineDisplay() = default;
    virtual int LineCount() const = 0;
    virtual std::string Line(int index) const = 0;
    virtual void PutLine(int index, const std::string& text) = 0;
    virtual void AddLine(const std::string& text) = 0;
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    virtual bool Active() const = 0;
    virtual void SetActive(bool on) = 0;
    virtual int LineIndex() const = 0;
    virtual void ShowLine(int index) = 0;
};

// Where the hover text goes: the LED's hint, the time panel's hint and the tray tooltip.
// Hint() answers what was last set (lines separated by CR LF).
class HintTarget {
public:
    virtual ~HintTarget() = default;
    virtual std::string Hint() const = 0;
    virtual void SetHint(const std::string& text) = 0;
};

// The texts the calendar window offers; each is empty when the day has nothing.
class CalendarTexts {
public:
    virtual ~CalendarTexts() = default;
    virtual std::string GetLunarText(TDateTime value) = 0;
    virtual std::string GetGanZhiText(TDateTime value) = 0;
    virtual std::string GetTermText(TDateTime value) = 0;
    virtual std::string GetFestivalText(TDateTime value) = 0;
    // kind 0 = Gregorian marks, 1 = lunar marks; key "mmdd".
    virtual std::string GetMarkText(int kind, const std::string& key) = 0;
};

// The lunar texts of the calendar engine and the festivals of the calendar window's month grid
// (built-in festivals, week entry 0520 reading 母亲节). Marks come from `markText` when set,
// otherwise there are none.
class GridCalendarTexts : public CalendarTexts {
public:
    GridCalendarTexts();
    std::string GetLunarText(TDateTime value) override;
    std::string GetGanZhiText(TDateTime value) override;
    std::string GetTermText(TDateTime value) override;
    std::string GetFestivalText(TDateTime value) override;
    std::string GetMarkText(int kind, const std::string& key) override;

    std::function<std::string(int kind, const std::string& key)> markText;

private:
    TFestivalList festivals_;
};

// The popup program as the date line uses it.
class PopupTexts {
public:
    virtual ~PopupTexts() = default;
    virtual bool PopupMsgReady() = 0;
    virtual void SendPopupText(const std::string& text) = 0;
};

// The tray icon's balloon.
class TrayBalloon {
public:
    virtual ~TrayBalloon() = default;
    // Information icon; the title and text arrive already cut to their byte limits.
    virtual void ShowBalloon(const std::string& title, const std::string& text, int seconds) = 0;
    virtual void RemoveBalloon() = 0;
};

// A UI timer the date line switches on and off (its interval is set elsewhere).
class SwitchTimer {
public:
    virtual ~SwitchTimer() = default;
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
};

// The analog clock window, when one exists.
class ClockHands {
public:
    virtual ~ClockHands() = default;
    virtual bool Exists() const = 0;
    virtual bool Visible() const = 0;
    virtual void SetClockHands(TDateTime now) = 0;
};

constexpr const char* kBalloonTitle = "Tobu桌面时钟 3.7.5";
constexpr size_t kBalloonTitleBytes = 63; // GBK bytes
constexpr size_t kBalloonTextBytes = 255; // GBK bytes
constexpr int kBalloonSeconds = 10;

// "2024年02月10日 星期六".
std::string DateText(TDateTime value);
// The hover text: 公历, 农历 and 干支 lines, then 节气 and 节日 lines when not empty.
std::string HintText(const std::string& date, const std::string& lunar, const std::string& ganZhi,
                     const std::string& term, const std::string& festival);
// The mark message: "日历标记：", the date, an empty line, the marks.
std::string MarkMessage(TDateTime now, const std::string& marks);

class DateLine {
public:
    struct Parts {
        DateLineDisplay* display = nullptr;
        HintTarget* hint = nullptr;
        CalendarTexts* texts = nullptr;
        PopupTexts* popup = nullptr;
        TrayBalloon* tray = nullptr;
        SwitchTimer* timerMsg = nullptr;
        SwitchTimer* timerWarStep = nullptr;
        SwitchTimer* timerHintClose = nullptr;
        const Clock* clock = nullptr;     // "the current date-time" of the mark text and balloon
        ClockHands* clockHands = nullptr; // optional
    };

    explicit DateLine(const Parts& parts);

    // The tick's step after the LED: date line, hint, cycling, clock hands.
    void ShowTime(bool firstShow, TDateTime now);
    // The one-shot timer 1 s after start-up. `visibleFlag`: the bar has been shown.
    void TimerMsgTimer(int calendarLX, bool visibleFlag);
    void TimerWarStepTimer(int calendarLX);
    void ShowTodayMarks(TDateTime now);
    void ShowStartBalloon();
    void TimerHintCloseTimer();

    TDateTime LastDate() const { return lastDate_; }
    bool DateCycling() const { return dateCycling_; }
    // The options dialog's "日期 - 公历农历循环显示"; takes effect at the next tick.
    void SetDateCycling(bool on) { dateCycling_ = on; }
    void SetClockHands(ClockHands* hands) { parts_.clockHands = hands; }

private:
    Parts parts_;
    TDateTime lastDate_ = 0;
    bool dateCycling_ = true;
};

} // namespace tobu
