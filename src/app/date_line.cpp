#include "app/date_line.h"

#include "base/text.h"
#include "calendar/calendar_texts.h"

namespace tobu {

namespace {
const char* const kCrLf = "\r\n";
} // namespace

GridCalendarTexts::GridCalendarTexts() : festivals_(MakeGridFestivalList()) {}

std::string GridCalendarTexts::GetLunarText(TDateTime value) {
    return tobu::GetLunarText(value);
}

std::string GridCalendarTexts::GetGanZhiText(TDateTime value) {
    return tobu::GetGanZhiText(value);
}

std::string GridCalendarTexts::GetTermText(TDateTime value) {
    return tobu::GetTermText(value);
}

std::string GridCalendarTexts::GetFestivalText(TDateTime value) {
    return tobu::GetFestivalText(festivals_, value);
}

std::string GridCalendarTexts::GetMarkText(int kind, const std::string& key) {
    return markText ? markText(kind, key) : std::string();
}

std::string DateText(TDateTime value) {
    return FormatDateTime("yyyy年mm月dd日 dddd", value);
}

std::string HintText(const std::string& date, const std::string& lunar, const std::string& ganZhi,
                     const std::string& term, const std::string& festival) {
    std::string h = "公历: " + date + kCrLf + "农历: " + lunar + kCrLf + "干支: " + ganZhi;
    if (!term.empty()) h += std::string(kCrLf) + "节气: " + term;
    if (!festival.empty()) h += std::string(kCrLf) + "节日: " + festival;
    return h;
}

std::string MarkMessage(TDateTime now, const std::string& marks) {
    return std::string("日历标记：") + kCrLf + DateText(now) + kCrLf + kCrLf + marks;
}

DateLine::DateLine(const Parts& parts) : parts_(parts) {}

void DateLine::ShowTime(bool firstShow, TDateTime now) {
    DateLineDisplay& display = *parts_.display;
    TDateTime today = DateOf(now);
    if (today != lastDate_) {
        lastDate_ = today;
        std::string d = DateText(now);
        std::string lunar = Trim(parts_.texts->GetLunarText(now));
        std::string term = Trim(parts_.texts->GetTermText(now));
        std::string festival = Trim(parts_.texts->GetFestivalText(now));

        // Only line 0 is the date; announcement lines after it stay as they are.
        std::string line0 = "<FontCN>" + d;
        if (display.LineCount() > 0) {
            if (display.Line(0) != line0) {
                display.BeginUpdate();
                display.PutLine(0, line0);
                display.EndUpdate();
            }
        } else {
            display.BeginUpdate();
            display.AddLine(line0);
            display.EndUpdate();
        }

        std::string h = HintText(d, lunar, parts_.texts->GetGanZhiText(now), term, festival);
        if (h != parts_.hint->Hint()) parts_.hint->SetHint(h);
    }

    // Cycling switched off brings the date back and keeps it there.
    if (display.Active() != dateCycling_) {
        display.SetActive(dateCycling_);
        if (!dateCycling_) display.ShowLine(0);
    } else if (display.LineIndex() < 0) {
        display.ShowLine(0);
    }

    ClockHands* hands = parts_.clockHands;
    if (hands && hands->Exists() && (firstShow || hands->Visible())) hands->SetClockHands(now);
}

void DateLine::TimerMsgTimer(int calendarLX, bool visibleFlag) {
    parts_.timerMsg->Stop();
    if (calendarLX > 0) {
        if (calendarLX == 2) parts_.timerWarStep->Start();
        TimerWarStepTimer(calendarLX);
    } else if (!visibleFlag) {
        ShowStartBalloon();
    }
}

void DateLine::TimerWarStepTimer(int calendarLX) {
    if (calendarLX < 2) parts_.timerWarStep->Stop();
    ShowTodayMarks(parts_.clock->Now());
}

void DateLine::ShowTodayMarks(TDateTime now) {
    std::string marks = parts_.texts->GetMarkText(0, FormatDateTime("mmdd", now));
    if (marks.empty() || !parts_.popup || !parts_.popup->PopupMsgReady()) return;
    parts_.popup->SendPopupText(MarkMessage(parts_.clock->Now(), marks));
}

void DateLine::ShowStartBalloon() {
    TDateTime now = parts_.clock->Now();
    std::string term = parts_.texts->GetTermText(now);
    if (!term.empty()) term = std::string(kCrLf) + "节气: " + term;
    std::string text = "公历: " + DateText(now) + kCrLf +
                       "农历: " + parts_.texts->GetLunarText(now) + kCrLf +
                       "干支: " + parts_.texts->GetGanZhiText(now) + term;
    parts_.tray->ShowBalloon(GbkTruncate(kBalloonTitle, kBalloonTitleBytes),
                             GbkTruncate(text, kBalloonTextBytes), kBalloonSeconds);
    parts_.timerHintClose->Start();
}

void DateLine::TimerHintCloseTimer() {
    parts_.timerHintClose->Stop();
    parts_.tray->RemoveBalloon();
}

} // namespace tobu
