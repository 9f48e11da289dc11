// The date line and popup binding on a real bar (offscreen): what start-up and the tick put on
// the date line and into the hints, the message chime and the closing code reaching a fake
// popup program that registers through the bar, the timers wired to their handlers.
#include "app/qt/date_line_binding.h"

#include <gmock/gmock.h>
#include <set>

#include "app/qt/bar_test_access.h"
#include "app/qt/flat_panel.h"
#include "app/qt/frm_led.h"
#include "app/qt/sound_binding.h"
#include "base/text.h"
#include "faces/qt/aa_fadetext.h"
#include "faces/qt/led_font_num_widget.h"
#include "settings/temp_dir.h"

using namespace tobu;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// A popup program that registers with the bar (0x4BC through the bar's own handler) when the
// test says so; the protocol's timer fires when the test runs it.
class FakePopupDesktop : public PopupPlatform {
public:
    WindowHandle BarHandle() const override { return 777; }
    std::string ProgramFolder() const override { return AppDir; }
    WindowHandle RegisteredPopup() const override { return bar ? bar->PopupWnd() : 0; }
    bool IsWindow(WindowHandle h) override { return windows.count(h) > 0; }
    std::optional<int64_t> Send(WindowHandle h, const Message& m) override {
        sent.push_back({h, m});
        return IsWindow(h) ? std::optional<int64_t>(1) : std::nullopt;
    }
    bool FileExists(const std::string& path) override { return path == AppDir + "PopupMsg"; }
    bool StartProgram(const std::string& p, const std::vector<std::string>& a) override {
        started.push_back(p + " " + a.at(0));
        return true;
    }
    void PollIn(int ms) override { pollIn.push_back(ms); }
    int64_t SteadyMs() override { return now; }
    void Report(const std::string& line) override { reports.push_back(line); }

    // The started program registers, and the protocol's next check runs.
    void Register(PopupProtocol& protocol) {
        windows.insert(4242);
        bar->HandleMessage(Message{kWmPopupRegister, 0, 4242, {}});
        now += 50;
        protocol.Poll();
    }

    TFrmLED* bar = nullptr;
    std::set<WindowHandle> windows;
    std::vector<std::pair<WindowHandle, Message>> sent;
    std::vector<std::string> started, reports;
    std::vector<int> pollIn;
    int64_t now = 0;
};

// Delivers a timer's timeout as the event loop would.
void Fire(QTimer& timer) {
    ASSERT_TRUE(QMetaObject::invokeMethod(&timer, "timeout", Qt::DirectConnection));
}

class RecordingTray : public TrayBalloon {
public:
    void ShowBalloon(const std::string& t, const std::string& x, int s) override {
        calls.push_back("show " + t + " " + std::to_string(s) + " " + x);
    }
    void RemoveBalloon() override { calls.push_back("remove"); }
    std::vector<std::string> calls;
};

class DateLineBindingTest : public ::testing::Test {
protected:
    void SetUp() override { AppDir = dir.Dir(); }
    void TearDown() override { AppDir.clear(); }

    std::unique_ptr<TFrmLED> MakeBar(const std::string& ini, bool withChimes = false) {
        if (!ini.empty()) tobu::testing::TempDir::Put(dir.File("skin.ini"), ini);
        tobu::testing::TempDir::Put(dir.File("PopupMsg"), "#!/bin/sh\n");
        TFrmLED::Services s;
        s.clock = &clock;
        auto bar = std::make_unique<TFrmLED>(s, "");
        desktop.bar = bar.get();
        DateLineBindingOptions o;
        o.clock = &clock;
        o.popupPlatform = &desktop;
        o.tray = &tray;
        binding = BindDateLineAndPopups(*bar, o);
        if (withChimes) // as the program connects them
            QObject::connect(BindSound(*bar), &SoundBinding::chimeMessage, binding,
                             &DateLineBinding::ShowPopupText);
        bar->FormCreate();
        return bar;
    }

    tobu::testing::TempDir dir;
    FakeClock clock{EncodeDateTime(2024, 2, 10, 13, 59, 52)};
    FakePopupDesktop desktop;
    RecordingTray tray;
    DateLineBinding* binding = nullptr;
};

} // namespace

TEST_F(DateLineBindingTest, StartUpFillsTheDateLineAndTheHints) {
    auto bar = MakeBar("");
    ASSERT_EQ(FindDateLineBinding(*bar), binding);
    ASSERT_GE(Of(bar).AAFadeTextDate()->Lines().Count(), 1);
    EXPECT_EQ(Of(bar).AAFadeTextDate()->Lines().Get(0), "<FontCN>2024年02月10日 星期六");
    EXPECT_TRUE(Of(bar).AAFadeTextDate()->Active());
    EXPECT_EQ(Of(bar).AAFadeTextDate()->LineIndex(), 0);

    // 2024-02-10 is the Spring Festival: five lines, shown with "\n" breaks.
    QString tip = Of(bar).LED()->toolTip();
    EXPECT_TRUE(tip.startsWith(QString::fromUtf8("公历: 2024年02月10日 星期六\n农历: ")));
    EXPECT_EQ(tip.count('\n'), 3) << tip.toStdString(); // no solar term that day
    EXPECT_THAT(tip.toStdString(), HasSubstr("\n节日: "));
    EXPECT_THAT(tip.toStdString(), HasSubstr("春节"));
    EXPECT_FALSE(tip.contains('\r'));
    EXPECT_EQ(Of(bar).RzPanel2()->toolTip(), tip);
    EXPECT_EQ(Of(bar).RzTrayIcon1()->toolTip(), tip);
}

TEST_F(DateLineBindingTest, TheTickRebuildsTheDateAtMidnightOnly) {
    auto bar = MakeBar("");
    Of(bar).AAFadeTextDate()->Lines().Add("<FontAD>公告");
    clock.Set(EncodeDateTime(2024, 2, 11, 0, 0, 0));
    Of(bar).TimerClockTimer();
    EXPECT_EQ(Of(bar).AAFadeTextDate()->Lines().Get(0), "<FontCN>2024年02月11日 星期日");
    EXPECT_EQ(Of(bar).AAFadeTextDate()->Lines().Get(1), "<FontAD>公告");
    EXPECT_TRUE(Of(bar).LED()->toolTip().startsWith(QString::fromUtf8("公历: 2024年02月11日")));
}

TEST_F(DateLineBindingTest, MessageChimeStartsThePopupProgramAndDeliversTheTime) {
    auto bar = MakeBar("[CLOCK]\nAlarm=1\nAlarmType=3\n", true);
    clock.Set(EncodeDateTime(2024, 2, 10, 13, 59, 59));
    Of(bar).TimerClockTimer();
    EXPECT_TRUE(desktop.started.empty());
    clock.Set(EncodeDateTime(2024, 2, 10, 14, 0, 0));
    Of(bar).TimerClockTimer();
    EXPECT_THAT(desktop.started, ElementsAre(AppDir + "PopupMsg 777"));
    EXPECT_TRUE(desktop.sent.empty()) << "the tick hands the text over and goes on";
    EXPECT_FALSE(desktop.pollIn.empty()) << "a timer watches for the registration";
    // The next tick runs while PopupMsg starts, and starts no second copy.
    clock.Set(EncodeDateTime(2024, 2, 10, 14, 0, 1));
    Of(bar).TimerClockTimer();
    EXPECT_EQ(Of(bar).LED()->text(), QString("14:00:01"));
    EXPECT_EQ(desktop.started.size(), 1u);
    desktop.Register(binding->Popup());
    ASSERT_EQ(desktop.sent.size(), 1u);
    EXPECT_EQ(desktop.sent[0].first, 4242u);
    const Message& m = desktop.sent[0].second;
    EXPECT_EQ(m.msg, kWmCopyData);
    EXPECT_EQ(m.wparam, 777u);
    EXPECT_EQ(std::string(m.data.begin(), m.data.end()), Utf8ToGbk("时钟报时：14:00:00") + '\0');
}

TEST_F(DateLineBindingTest, DestroyingTheBarSendsCodeTwoAfterEarlierHooks) {
    TFrmLED::Services services;
    services.clock = &clock;
    TFrmLED bar(services, "");
    std::vector<std::string> order;
    // A hook installed before the binding (chimes, tasks) still runs, first.
    QObject::connect(&bar, &TFrmLED::destroying, [&] { order.push_back("earlier"); });
    DateLineBindingOptions o;
    o.clock = &clock;
    o.popupPlatform = &desktop;
    o.tray = &tray;
    desktop.bar = &bar;
    BindDateLineAndPopups(bar, o);
    bar.FormDestroy();
    EXPECT_THAT(order, ElementsAre("earlier"));
    ASSERT_EQ(desktop.sent.size(), 1u);
    EXPECT_EQ(desktop.sent[0].first, 0u) << "no popup program ever ran";
    EXPECT_EQ(desktop.sent[0].second.msg, kWmPopupNotify);
    EXPECT_EQ(desktop.sent[0].second.wparam, 777u);
    EXPECT_EQ(desktop.sent[0].second.lparam, 2);
    EXPECT_TRUE(desktop.started.empty());
}

TEST_F(DateLineBindingTest, TimersReachTheirHandlers) {
    auto bar = MakeBar("[MSG]\nCalendarLX=0\n");
    // Never shown (a minimised launch): the one-shot timer shows the balloon.
    ASSERT_TRUE(Of(bar).TimerMsg().isActive());
    Fire(Of(bar).TimerMsg());
    EXPECT_FALSE(Of(bar).TimerMsg().isActive());
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_THAT(tray.calls[0], HasSubstr("show Tobu桌面时钟 3.7.5 10 公历: 2024年02月10日 星期六"));
    EXPECT_TRUE(Of(bar).TimerHintClose().isActive());
    Fire(Of(bar).TimerHintClose());
    EXPECT_FALSE(Of(bar).TimerHintClose().isActive());
    EXPECT_EQ(tray.calls.back(), "remove");
}

TEST_F(DateLineBindingTest, ModeTwoStartsTheRepeatingMarkTimer) {
    auto bar = MakeBar("[MSG]\nCalendarLX=2\nCalendarStep=7\n");
    Fire(Of(bar).TimerMsg());
    EXPECT_TRUE(Of(bar).TimerWarStep().isActive());
    EXPECT_EQ(Of(bar).TimerWarStep().interval(), 7 * 60000);
    EXPECT_TRUE(tray.calls.empty());
    EXPECT_TRUE(desktop.started.empty()) << "no marks: the popup program is not started";
    tobu::testing::TempDir::Put(dir.File("skin.ini"), "[MSG]\nCalendarLX=1\n");
    bar->LoadSettings(SettingsScope::All); // the options dialog switched to once
    Fire(Of(bar).TimerWarStep());
    EXPECT_FALSE(Of(bar).TimerWarStep().isActive());
}
