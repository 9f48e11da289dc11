// The date line, the hover text, the mark messages and the start balloon, driven by a fake
// clock, fake timers and a fake fade text.
#include "app/date_line.h"

#include <gmock/gmock.h>

#include "base/text.h"

using namespace tobu;
using ::testing::ElementsAre;

namespace {

const std::string kCrLf = "\r\n";

class FakeDisplay : public DateLineDisplay {
public:
    int LineCount() const override { return static_cast<int>(lines.size()); }
    std::string Line(int i) const override { return lines.at(i); }
    void PutLine(int i, const std::string& t) override {
        EXPECT_GT(lock, 0) << "line changed outside BeginUpdate/EndUpdate";
        lines.at(i) = t;
        ++writes;
    }
    void AddLine(const std::string& t) override {
        EXPECT_GT(lock, 0) << "line added outside BeginUpdate/EndUpdate";
        lines.push_back(t);
        ++writes;
    }
    void BeginUpdate() override { ++lock; }
    void EndUpdate() override { --lock; }
    bool Active() const override { return active; }
    void SetActive(bool on) override {
        active = on;
        // An active fade text with lines starts showing the first one.
        if (on && index < 0 && !lines.empty()) index = 0;
    }
    int LineIndex() const override { return index; }
    void ShowLine(int i) override {
        index = i;
        shown.push_back(i);
    }

    std::vector<std::string> lines{""}; // as at start-up: one empty line
    bool active = false;
    int index = -1;
    int lock = 0;
    int writes = 0;
    std::vector<int> shown;
};

class FakeHint : public HintTarget {
public:
    std::string Hint() const override { return text; }
    void SetHint(const std::string& t) override {
        text = t;
        ++sets;
    }
    std::string text;
    int sets = 0;
};

class FakeTexts : public CalendarTexts {
public:
    std::string GetLunarText(TDateTime) override { return lunar; }
    std::string GetGanZhiText(TDateTime) override { return ganZhi; }
    std::string GetTermText(TDateTime) override { return term; }
    std::string GetFestivalText(TDateTime) override { return festival; }
    std::string GetMarkText(int kind, const std::string& key) override {
        markQueries.push_back(std::to_string(kind) + ":" + key);
        return marks;
    }
    std::string lunar = " 二零二四年正月初一 ", ganZhi = "甲辰(龙)年丙寅月甲辰日 ", term, festival,
                marks;
    std::vector<std::string> markQueries;
};

class FakePopup : public PopupTexts {
public:
    bool PopupMsgReady() override {
        ++readyCalls;
        return ready;
    }
    void SendPopupText(const std::string& t) override { sent.push_back(t); }
    bool ready = true;
    int readyCalls = 0;
    std::vector<std::string> sent;
};

class FakeTray : public TrayBalloon {
public:
    void ShowBalloon(const std::string& t, const std::string& x, int s) override {
        title = t;
        text = x;
        seconds = s;
        shown = true;
    }
    void RemoveBalloon() override { shown = false; }
    std::string title, text;
    int seconds = 0;
    bool shown = false;
};

// A timer that fires when the test's fake time reaches it, as a UI timer would.
class FakeTimer : public SwitchTimer {
public:
    explicit FakeTimer(long long intervalMs, long long* nowMs) : interval(intervalMs), now(nowMs) {}
    void Start() override {
        active = true;
        due = *now + interval;
    }
    void Stop() override { active = false; }
    bool IsActive() const override { return active; }
    bool Due() const { return active && *now >= due; }
    void Rearm() { due = *now + interval; }

    long long interval;
    long long* now;
    long long due = 0;
    bool active = false;
};

class FakeHands : public ClockHands {
public:
    bool Exists() const override { return exists; }
    bool Visible() const override { return visible; }
    void SetClockHands(TDateTime t) override { set.push_back(t); }
    bool exists = true, visible = false;
    std::vector<TDateTime> set;
};

class DateLineTest : public ::testing::Test {
protected:
    DateLine Make() {
        DateLine::Parts p;
        p.display = &display;
        p.hint = &hint;
        p.texts = &texts;
        p.popup = &popup;
        p.tray = &tray;
        p.timerMsg = &timerMsg;
        p.timerWarStep = &timerWarStep;
        p.timerHintClose = &timerHintClose;
        p.clock = &clock;
        return DateLine(p);
    }

    // Runs the bar's timers for `seconds` seconds of fake time, a step of one second.
    void Run(DateLine& line, int seconds, int calendarLX, bool visibleFlag) {
        for (int i = 0; i < seconds; ++i) {
            nowMs += 1000;
            clock.AdvanceMSecs(1000);
            if (timerMsg.Due()) line.TimerMsgTimer(calendarLX, visibleFlag);
            if (timerWarStep.Due()) {
                timerWarStep.Rearm();
                line.TimerWarStepTimer(calendarLX);
            }
            if (timerHintClose.Due()) line.TimerHintCloseTimer();
        }
    }

    FakeDisplay display;
    FakeHint hint;
    FakeTexts texts;
    FakePopup popup;
    FakeTray tray;
    long long nowMs = 0;
    FakeTimer timerMsg{1000, &nowMs};
    FakeTimer timerWarStep{5 * 60000, &nowMs};
    FakeTimer timerHintClose{10000, &nowMs};
    FakeClock clock{EncodeDateTime(2024, 2, 10, 13, 59, 55)};
};

} // namespace

// --- the date line and the hint -------------------------------------------------------------

TEST(DateLineTexts, FormatsOfTheDateHintAndMarkMessage) {
    TDateTime t = EncodeDateTime(2024, 2, 10, 8, 5, 7);
    EXPECT_EQ(DateText(t), "2024年02月10日 星期六");
    EXPECT_EQ(HintText("D", "L", "G", "", ""), "公历: D\r\n农历: L\r\n干支: G");
    EXPECT_EQ(HintText("D", "L", "G", "T", ""), "公历: D\r\n农历: L\r\n干支: G\r\n节气: T");
    EXPECT_EQ(HintText("D", "L", "G", "", "F"), "公历: D\r\n农历: L\r\n干支: G\r\n节日: F");
    EXPECT_EQ(HintText("D", "", "G", "T", "F"),
              "公历: D\r\n农历: \r\n干支: G\r\n节气: T\r\n节日: F");
    EXPECT_EQ(MarkMessage(t, "生日"), "日历标记：\r\n2024年02月10日 星期六\r\n\r\n生日");
}

TEST_F(DateLineTest, FirstCallFillsLineZeroAndStartsCycling) {
    DateLine line = Make();
    line.ShowTime(false, clock.Now());
    EXPECT_THAT(display.lines, ElementsAre("<FontCN>2024年02月10日 星期六"));
    EXPECT_EQ(display.lock, 0);
    EXPECT_TRUE(display.active);
    EXPECT_EQ(display.index, 0);
    EXPECT_EQ(line.LastDate(), EncodeDate(2024, 2, 10));
}

TEST_F(DateLineTest, AnEmptyDateLineGetsItsFirstLine) {
    display.lines.clear();
    DateLine line = Make();
    line.ShowTime(false, clock.Now());
    EXPECT_THAT(display.lines, ElementsAre("<FontCN>2024年02月10日 星期六"));
}

TEST_F(DateLineTest, HintHasThreeFourOrFiveLines) {
    DateLine line = Make();
    line.ShowTime(false, clock.Now());
    // The lunar text is trimmed, the stem-branch text is not.
    EXPECT_EQ(hint.text, "公历: 2024年02月10日 星期六\r\n农历: 二零二四年正月初一\r\n"
                         "干支: 甲辰(龙)年丙寅月甲辰日 ");

    texts.term = " 雨水 ";
    line.ShowTime(false, EncodeDateTime(2024, 2, 19, 0, 0, 0));
    EXPECT_EQ(hint.text, "公历: 2024年02月19日 星期一\r\n农历: 二零二四年正月初一\r\n"
                         "干支: 甲辰(龙)年丙寅月甲辰日 \r\n节气: 雨水");

    texts.festival = "春节 ";
    line.ShowTime(false, EncodeDateTime(2024, 2, 20, 0, 0, 0));
    EXPECT_EQ(hint.text, "公历: 2024年02月20日 星期二\r\n农历: 二零二四年正月初一\r\n"
                         "干支: 甲辰(龙)年丙寅月甲辰日 \r\n节气: 雨水\r\n节日: 春节");

    texts.term.clear();
    line.ShowTime(false, EncodeDateTime(2024, 2, 21, 0, 0, 0));
    EXPECT_EQ(hint.text, "公历: 2024年02月21日 星期三\r\n农历: 二零二四年正月初一\r\n"
                         "干支: 甲辰(龙)年丙寅月甲辰日 \r\n节日: 春节");
}

TEST_F(DateLineTest, MidnightRebuildsLineZeroAndTheHintOnlyOnce) {
    DateLine line = Make();
    line.ShowTime(false, EncodeDateTime(2024, 2, 10, 23, 59, 58));
    display.lines.push_back("<FontAD>新版本");
    display.lines.push_back("<FontAD>天气");
    int writes = display.writes, sets = hint.sets;

    line.ShowTime(false, EncodeDateTime(2024, 2, 10, 23, 59, 59));
    EXPECT_EQ(display.writes, writes) << "a tick within the day touched the date line";
    EXPECT_EQ(hint.sets, sets);

    line.ShowTime(false, EncodeDateTime(2024, 2, 11, 0, 0, 0));
    EXPECT_THAT(display.lines,
                ElementsAre("<FontCN>2024年02月11日 星期日", "<FontAD>新版本", "<FontAD>天气"));
    EXPECT_EQ(display.writes, writes + 1);
    EXPECT_EQ(hint.sets, sets + 1);
    EXPECT_EQ(line.LastDate(), EncodeDate(2024, 2, 11));

    line.ShowTime(false, EncodeDateTime(2024, 2, 11, 0, 0, 1));
    EXPECT_EQ(display.writes, writes + 1);
    EXPECT_EQ(hint.sets, sets + 1);
}

TEST_F(DateLineTest, SameTextsWriteNothing) {
    DateLine line = Make();
    line.ShowTime(false, clock.Now());
    // A new day whose line 0 and hint come out the same (as after a clock set back and forth).
    DateLine again = Make();
    int writes = display.writes, sets = hint.sets;
    again.ShowTime(false, clock.Now());
    EXPECT_EQ(display.writes, writes);
    EXPECT_EQ(hint.sets, sets);
}

TEST_F(DateLineTest, CyclingSwitchedOffReturnsToTheDateAndStaysThere) {
    DateLine line = Make();
    line.ShowTime(false, clock.Now());
    display.lines.push_back("<FontAD>公告");
    display.index = 1; // the announcement is on display
    line.SetDateCycling(false);
    line.ShowTime(false, clock.Now());
    EXPECT_FALSE(display.active);
    EXPECT_EQ(display.index, 0);
    display.shown.clear();
    line.ShowTime(false, clock.Now());
    EXPECT_TRUE(display.shown.empty()) << "the next tick showed a line again";

    line.SetDateCycling(true);
    line.ShowTime(false, clock.Now());
    EXPECT_TRUE(display.active);
}

TEST_F(DateLineTest, NothingOnDisplayShowsLineZero) {
    DateLine line = Make();
    line.ShowTime(false, clock.Now());
    display.index = -1;
    display.shown.clear();
    line.ShowTime(false, clock.Now());
    EXPECT_THAT(display.shown, ElementsAre(0));
}

TEST_F(DateLineTest, ClockHandsFollowTheTickWhenShownOrAtFirstShow) {
    DateLine line = Make();
    FakeHands hands;
    line.SetClockHands(&hands);
    TDateTime t = clock.Now();
    line.ShowTime(false, t);
    EXPECT_TRUE(hands.set.empty()) << "hidden clock window got its hands set by the tick";
    line.ShowTime(true, t);
    EXPECT_THAT(hands.set, ElementsAre(t));
    hands.visible = true;
    line.ShowTime(false, t);
    EXPECT_EQ(hands.set.size(), 2u);
    hands.exists = false;
    line.ShowTime(true, t);
    EXPECT_EQ(hands.set.size(), 2u);
}

// --- mark messages --------------------------------------------------------------------------

TEST_F(DateLineTest, MarksOnceOneSecondAfterStart) {
    texts.marks = "妈妈生日";
    DateLine line = Make();
    timerMsg.Start();
    Run(line, 1, 1, true);
    ASSERT_EQ(popup.sent.size(), 1u);
    EXPECT_EQ(popup.sent[0], "日历标记：\r\n2024年02月10日 星期六\r\n\r\n妈妈生日");
    EXPECT_THAT(texts.markQueries, ElementsAre("0:0210"));
    EXPECT_FALSE(timerMsg.active);
    EXPECT_FALSE(timerWarStep.active);
    Run(line, 3600, 1, true);
    EXPECT_EQ(popup.sent.size(), 1u);
}

TEST_F(DateLineTest, MarksEveryCalendarStepMinutesInModeTwo) {
    texts.marks = "交房租";
    DateLine line = Make();
    timerMsg.Start();
    Run(line, 1, 2, true);
    EXPECT_EQ(popup.sent.size(), 1u);
    Run(line, 5 * 60 - 1, 2, true);
    EXPECT_EQ(popup.sent.size(), 1u) << "before 5 minutes";
    Run(line, 1, 2, true);
    EXPECT_EQ(popup.sent.size(), 2u) << "at 5 minutes";
    Run(line, 10 * 60, 2, true);
    EXPECT_EQ(popup.sent.size(), 4u);
    // The options dialog switches to mode 1: the next firing is the last one.
    Run(line, 5 * 60, 1, true);
    EXPECT_EQ(popup.sent.size(), 5u);
    EXPECT_FALSE(timerWarStep.active);
    Run(line, 15 * 60, 1, true);
    EXPECT_EQ(popup.sent.size(), 5u);
}

TEST_F(DateLineTest, NoMarksOrNoPopupProgramSendsNothing) {
    DateLine line = Make();
    line.ShowTodayMarks(clock.Now());
    EXPECT_TRUE(popup.sent.empty());
    EXPECT_EQ(popup.readyCalls, 0) << "the popup program was started for nothing";
    texts.marks = "x";
    popup.ready = false;
    line.ShowTodayMarks(clock.Now());
    EXPECT_TRUE(popup.sent.empty());
}

TEST_F(DateLineTest, ModeZeroSendsNoMarks) {
    texts.marks = "x";
    DateLine line = Make();
    timerMsg.Start();
    Run(line, 600, 0, true);
    EXPECT_TRUE(popup.sent.empty());
    EXPECT_TRUE(texts.markQueries.empty());
}

// --- the start balloon ----------------------------------------------------------------------

TEST_F(DateLineTest, BalloonOnlyAfterAMinimisedLaunch) {
    DateLine shown = Make();
    timerMsg.Start();
    Run(shown, 20, 0, true);
    EXPECT_FALSE(tray.shown);
    EXPECT_TRUE(tray.title.empty());

    DateLine minimised = Make();
    texts.term = "雨水";
    texts.festival = "不在气球里";
    timerMsg.Start();
    Run(minimised, 1, 0, false);
    EXPECT_TRUE(tray.shown);
    EXPECT_EQ(tray.title, "Tobu桌面时钟 3.7.5");
    EXPECT_EQ(tray.seconds, 10);
    // The lunar text stays untrimmed, no festival line.
    EXPECT_EQ(tray.text, "公历: 2024年02月10日 星期六\r\n农历:  二零二四年正月初一 \r\n"
                         "干支: 甲辰(龙)年丙寅月甲辰日 \r\n节气: 雨水");
    Run(minimised, 9, 0, false);
    EXPECT_TRUE(tray.shown);
    Run(minimised, 1, 0, false);
    EXPECT_FALSE(tray.shown) << "the balloon stays longer than 10 s";
    EXPECT_FALSE(timerHintClose.active);

    // Marks are on: no balloon even after a minimised launch.
    tray = FakeTray();
    DateLine withMarks = Make();
    timerMsg.Start();
    Run(withMarks, 2, 1, false);
    EXPECT_FALSE(tray.shown);
}

TEST_F(DateLineTest, BalloonTextIsCutTo255GbkBytes) {
    texts.lunar = std::string(300, 'x');
    DateLine line = Make();
    line.ShowStartBalloon();
    EXPECT_EQ(GbkByteCount(tray.text), 255u);
    EXPECT_EQ(tray.text.substr(0, 6 + 2), "公历: "); // nothing cut at the front

    // A cut never splits a double-byte character.
    texts.lunar = std::string(1, 'x') + std::string(200, ' ');
    texts.ganZhi = "甲辰甲辰甲辰甲辰甲辰甲辰甲辰甲辰甲辰甲辰甲辰甲辰甲辰甲辰甲辰甲辰甲辰甲辰甲辰";
    line.ShowStartBalloon();
    EXPECT_LE(GbkByteCount(tray.text), 255u);
    EXPECT_GE(GbkByteCount(tray.text), 254u);
    EXPECT_TRUE(IsValidUtf8(tray.text));
    EXPECT_LE(GbkByteCount(tray.title), 63u);
}

// --- the texts of the calendar window ------------------------------------------------------

TEST(GridCalendarTextsTest, FestivalsOfTheMonthGridAndNoMarksByDefault) {
    GridCalendarTexts texts;
    // 2024-02-10 is the Spring Festival (lunar 0101).
    EXPECT_NE(texts.GetFestivalText(EncodeDateTime(2024, 2, 10, 12, 0, 0)).find("春节"),
              std::string::npos);
    // Mother's Day: the second Sunday of May, from the week entry 0520.
    EXPECT_NE(texts.GetFestivalText(EncodeDate(2024, 5, 12)).find("母亲节"), std::string::npos);
    EXPECT_EQ(texts.GetFestivalText(EncodeDate(2024, 5, 13)), "");
    // National Day shares its key with three other rows of the built-in table.
    EXPECT_EQ(texts.GetFestivalText(EncodeDateTime(2024, 10, 1, 8, 0, 0)),
              "国庆节 世界音乐日 国际老人节 国际音乐日");
    EXPECT_EQ(texts.GetMarkText(0, "0210"), "");
    texts.markText = [](int kind, const std::string& key) {
        return kind == 0 && key == "0210" ? std::string("M") : std::string();
    };
    EXPECT_EQ(texts.GetMarkText(0, "0210"), "M");
    EXPECT_FALSE(texts.GetGanZhiText(EncodeDate(2024, 2, 10)).empty());
    EXPECT_EQ(texts.GetTermText(EncodeDate(2024, 2, 4)), "立春");
}
