// The bar's side of the popup program against a fake desktop: a fake program that registers
// some time after its start, exits, never registers or is missing, and a UI loop that runs the
// protocol's timer.
#include "app/popup_protocol.h"

#include <gmock/gmock.h>
#include <set>

#include "base/text.h"

using namespace tobu;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

constexpr WindowHandle kBar = 0x12345678;

class FakeDesktop : public PopupPlatform {
public:
    WindowHandle BarHandle() const override { return kBar; }
    std::string ProgramFolder() const override { return "/opt/tobu/"; }
    WindowHandle RegisteredPopup() const override { return registered; }
    bool IsWindow(WindowHandle h) override { return h != 0 && windows.count(h) > 0; }
    std::optional<int64_t> Send(WindowHandle h, const Message& m) override {
        sends.push_back({h, m});
        if (!IsWindow(h)) return std::nullopt;
        return 1;
    }
    bool FileExists(const std::string& path) override { return path == existing; }
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override {
        starts.push_back(program + " " + (args.empty() ? "" : args[0]));
        if (args.size() != 1) ADD_FAILURE() << "the program takes exactly one argument";
        if (!startWorks) return false;
        registerAt = registerAfterMs < 0 ? -1 : nowMs + registerAfterMs;
        return true;
    }
    void PollIn(int ms) override { pollAt = nowMs + ms; }
    int64_t SteadyMs() override { return nowMs; }
    void Report(const std::string& line) override { reports.push_back(line); }

    // The UI loop runs for `ms`: the started program registers when its time comes, and the
    // protocol's timer fires when it is due.
    void Run(int ms) {
        for (int64_t end = nowMs + ms; nowMs < end;) {
            nowMs += 10;
            if (registerAt >= 0 && nowMs >= registerAt) {
                registerAt = -1;
                WindowHandle h = nextHandle++;
                windows.insert(h);
                registered = h;
            }
            if (pollAt >= 0 && nowMs >= pollAt) {
                pollAt = -1;
                protocol->Poll();
            }
        }
    }
    std::vector<std::string> TextsTo(WindowHandle h) const {
        std::vector<std::string> out;
        for (const auto& s : sends)
            if (s.to == h && s.msg.msg == kWmCopyData)
                out.push_back(GbkToUtf8(std::string(s.msg.data.begin(), s.msg.data.end() - 1)));
        return out;
    }

    struct Sent {
        WindowHandle to;
        Message msg;
    };
    PopupProtocol* protocol = nullptr;
    WindowHandle registered = 0;
    std::set<WindowHandle> windows;
    std::vector<Sent> sends;
    std::vector<std::string> starts, reports;
    std::string existing = "/opt/tobu/PopupMsg";
    bool startWorks = true;
    int registerAfterMs = 150; // -1: never registers
    int64_t registerAt = -1;
    int64_t pollAt = -1;
    int64_t nowMs = 1000000;
    WindowHandle nextHandle = 0x100;
};

class PopupProtocolTest : public ::testing::Test {
protected:
    void SetUp() override { desktop.protocol = &popup; }
    // A notification as every sender makes it.
    void Notify(const std::string& text) {
        if (popup.PopupMsgReady()) popup.SendPopupText(text);
    }
    FakeDesktop desktop;
    PopupProtocol popup{desktop};
};

} // namespace

TEST_F(PopupProtocolTest, FirstNotificationStartsTheProgramAndNeverWaitsForIt) {
    int64_t before = desktop.nowMs;
    ASSERT_TRUE(popup.PopupMsgReady());
    popup.SendPopupText("时钟报时：14:00:00");
    EXPECT_EQ(desktop.nowMs, before) << "the caller (the tick) goes on at once";
    EXPECT_THAT(desktop.starts, ElementsAre("/opt/tobu/PopupMsg 305419896"));
    EXPECT_TRUE(desktop.sends.empty());
    EXPECT_TRUE(popup.Waiting());
    // The registration arrives while the UI loop runs; the queued text follows it.
    desktop.Run(300);
    EXPECT_FALSE(popup.Waiting());
    EXPECT_EQ(popup.PopupWnd(), 0x100u);
    ASSERT_EQ(desktop.sends.size(), 1u);
    EXPECT_EQ(desktop.sends[0].to, 0x100u);
    EXPECT_EQ(desktop.sends[0].msg.msg, kWmCopyData);
    EXPECT_EQ(desktop.sends[0].msg.wparam, kBar);
    EXPECT_THAT(desktop.TextsTo(0x100), ElementsAre("时钟报时：14:00:00"));
    EXPECT_EQ(desktop.pollAt, -1) << "no timer runs once nothing is pending";
    EXPECT_TRUE(desktop.reports.empty());
}

TEST_F(PopupProtocolTest, SecondNotificationGoesStraightToTheRegisteredProgram) {
    Notify("a");
    desktop.Run(300);
    Notify("b");
    EXPECT_EQ(desktop.starts.size(), 1u);
    EXPECT_THAT(desktop.TextsTo(0x100), ElementsAre("a", "b"));
    EXPECT_EQ(desktop.pollAt, -1);
}

TEST_F(PopupProtocolTest, AnExitedProgramIsStartedAgain) {
    Notify("a");
    desktop.Run(300);
    desktop.windows.clear(); // the program ended; the bar still holds its old handle
    Notify("b");
    EXPECT_EQ(desktop.starts.size(), 2u);
    desktop.Run(300);
    EXPECT_EQ(popup.PopupWnd(), 0x101u);
    EXPECT_THAT(desktop.TextsTo(0x101), ElementsAre("b"));
}

TEST_F(PopupProtocolTest, MissingProgramIsNotStarted) {
    desktop.existing.clear();
    EXPECT_FALSE(popup.PopupMsgReady());
    EXPECT_TRUE(desktop.starts.empty());
    EXPECT_EQ(desktop.pollAt, -1);
    EXPECT_TRUE(desktop.reports.empty()) << "a missing PopupMsg is silent";
}

TEST_F(PopupProtocolTest, AProgramThatFailsToStartIsReportedOnceAndNotWaitedFor) {
    desktop.startWorks = false;
    EXPECT_FALSE(popup.PopupMsgReady());
    EXPECT_FALSE(popup.PopupMsgReady());
    EXPECT_EQ(desktop.pollAt, -1);
    EXPECT_FALSE(popup.Waiting());
    ASSERT_EQ(desktop.reports.size(), 1u);
    EXPECT_THAT(desktop.reports[0], HasSubstr("/opt/tobu/PopupMsg"));
}

TEST_F(PopupProtocolTest, AProgramThatNeverRegistersIsReportedOnceAndRetriedByTheNextNotification) {
    desktop.registerAfterMs = -1; // exits at once
    Notify("first");
    desktop.Run(kRegisterWaitMs - 100);
    EXPECT_TRUE(popup.Waiting());
    EXPECT_TRUE(desktop.reports.empty());
    desktop.Run(200);
    EXPECT_FALSE(popup.Waiting()) << "the timer gives the start up after its deadline";
    ASSERT_EQ(desktop.reports.size(), 1u);
    EXPECT_THAT(desktop.reports[0], HasSubstr("did not register"));
    EXPECT_EQ(desktop.pollAt, -1) << "and stops";
    EXPECT_EQ(desktop.starts.size(), 1u) << "no retry before the next notification";

    // The next notification tries again; another failure is not reported again.
    Notify("second");
    EXPECT_EQ(desktop.starts.size(), 2u);
    desktop.Run(kRegisterWaitMs + 100);
    EXPECT_EQ(desktop.reports.size(), 1u);

    // A start that works delivers what waited, in order.
    desktop.registerAfterMs = 100;
    Notify("third");
    desktop.Run(200);
    EXPECT_THAT(desktop.TextsTo(0x100), ElementsAre("first", "second", "third"));
    EXPECT_TRUE(popup.Queue().empty());

    // After a success, a new failure is worth a report again.
    desktop.windows.clear();
    desktop.registerAfterMs = -1;
    Notify("fourth");
    desktop.Run(kRegisterWaitMs + 100);
    EXPECT_EQ(desktop.reports.size(), 2u);
}

TEST_F(PopupProtocolTest, TheDeadlineIsAlsoCheckedByTheNextCallWithoutTheTimer) {
    desktop.registerAfterMs = -1;
    Notify("a");
    desktop.pollAt = -1; // the timer never came (a busy loop)
    desktop.nowMs += kRegisterWaitMs + 1;
    desktop.registerAfterMs = 100;
    Notify("b");
    EXPECT_EQ(desktop.reports.size(), 1u);
    EXPECT_EQ(desktop.starts.size(), 2u);
    desktop.Run(200);
    EXPECT_THAT(desktop.TextsTo(0x100), ElementsAre("a", "b"));
}

TEST_F(PopupProtocolTest, ARegistrationArrivingLateStillCounts) {
    desktop.registerAfterMs = 12500; // after the start was given up
    Notify("a");
    desktop.Run(13000);
    EXPECT_EQ(desktop.reports.size(), 1u);
    Notify("b");
    EXPECT_EQ(desktop.starts.size(), 1u);
    EXPECT_THAT(desktop.TextsTo(0x100), ElementsAre("a", "b"));
}

TEST_F(PopupProtocolTest, ANotificationWhileAStartIsPendingStartsNoSecondCopy) {
    desktop.registerAfterMs = 500;
    Notify("a");
    desktop.Run(100);
    // Other timers need the popup program meanwhile.
    Notify("b");
    desktop.Run(100);
    Notify("c");
    EXPECT_EQ(desktop.starts.size(), 1u);
    EXPECT_TRUE(desktop.sends.empty());
    EXPECT_THAT(popup.Queue(), ElementsAre("a", "b", "c"));
    desktop.Run(400);
    EXPECT_THAT(desktop.TextsTo(0x100), ElementsAre("a", "b", "c"));
}

TEST_F(PopupProtocolTest, TheQueueKeepsTheNewestTexts) {
    desktop.registerAfterMs = -1;
    for (int i = 0; i < 70; ++i) Notify("text " + std::to_string(i));
    ASSERT_EQ(popup.Queue().size(), kMaxQueuedTexts);
    EXPECT_EQ(popup.Queue().front(), "text 6");
    EXPECT_EQ(popup.Queue().back(), "text 69");
    ASSERT_EQ(desktop.reports.size(), 1u) << "one note for the dropped texts";
    EXPECT_THAT(desktop.reports[0], HasSubstr("oldest"));
    EXPECT_EQ(desktop.starts.size(), 1u);
}

TEST_F(PopupProtocolTest, AStaleRegistrationIsNotTakenForTheNewOne) {
    desktop.registered = 0x77; // left from a program that ended
    Notify("a");
    EXPECT_EQ(popup.PopupWnd(), 0u) << "while a start waits, the old handle counts as none";
    desktop.windows.insert(0x77); // the old handle answers again meanwhile
    EXPECT_TRUE(desktop.sends.empty());
    desktop.Run(300);
    EXPECT_EQ(popup.PopupWnd(), 0x100u);
    EXPECT_THAT(desktop.TextsTo(0x100), ElementsAre("a"));
    EXPECT_TRUE(desktop.TextsTo(0x77).empty());
}

TEST_F(PopupProtocolTest, TextsTravelAsGbkWithOneClosingZeroByte) {
    ASSERT_TRUE(popup.PopupMsgReady());
    desktop.Run(300);
    std::string text = "日历标记：\r\n生日 ab";
    popup.SendPopupText(text);
    const Message& m = desktop.sends.back().msg;
    std::string gbk = Utf8ToGbk(text);
    ASSERT_EQ(m.data.size(), gbk.size() + 1);
    EXPECT_EQ(gbk.size(), 19u); // 7 Chinese characters, CR LF, blank, "ab"
    EXPECT_EQ(std::string(m.data.begin(), m.data.end() - 1), gbk);
    EXPECT_EQ(m.data.back(), 0);

    popup.SendPopupText("");
    EXPECT_THAT(desktop.sends.back().msg.data, ElementsAre(0));
}

TEST_F(PopupProtocolTest, AnOversizeTextIsCutToFitOneMessage) {
    std::string text = "a" + std::string(40000, 'x');
    for (int i = 0; i < 20000; ++i) text += "字";
    std::vector<uint8_t> data = PopupTextPayload(text);
    EXPECT_LE(data.size(), kMaxMessageData);
    EXPECT_GE(data.size(), kMaxMessageData - 1);
    EXPECT_EQ(data.back(), 0);
    EXPECT_EQ(data.front(), 'a');
    // No half character before the zero byte.
    std::string gbk(data.begin(), data.end() - 1);
    EXPECT_EQ(Utf8ToGbk(GbkToUtf8(gbk)), gbk);
}

TEST_F(PopupProtocolTest, NotificationsCarryTheBarHandleAndTheCode) {
    ASSERT_TRUE(popup.PopupMsgReady());
    desktop.Run(300);
    popup.NotifyPopupMsg(1);
    popup.NotifyPopupMsg(2);
    ASSERT_EQ(desktop.sends.size(), 2u);
    for (const auto& s : desktop.sends) {
        EXPECT_EQ(s.to, 0x100u);
        EXPECT_EQ(s.msg.msg, kWmPopupNotify);
        EXPECT_EQ(s.msg.wparam, kBar);
        EXPECT_TRUE(s.msg.data.empty());
    }
    EXPECT_EQ(desktop.sends[0].msg.lparam, 1);
    EXPECT_EQ(desktop.sends[1].msg.lparam, 2);
}

TEST_F(PopupProtocolTest, ClosingCodeIsSentEvenWithoutAPopupProgram) {
    popup.NotifyPopupMsg(2);
    ASSERT_EQ(desktop.sends.size(), 1u);
    EXPECT_EQ(desktop.sends[0].to, 0u);
    EXPECT_EQ(desktop.sends[0].msg.lparam, 2);
    EXPECT_TRUE(desktop.starts.empty()) << "closing must not start the popup program";
}
