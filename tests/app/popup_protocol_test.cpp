// The bar's side of the popup program against a fake desktop: a fake program that registers
// when the UI events run, exits, hangs or is missing.
#include "app/popup_protocol.h"

#include <gmock/gmock.h>
#include <set>

#include "base/text.h"

using namespace tobu;
using ::testing::ElementsAre;

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
        pendingRegistration = registerAfterPumps;
        return true;
    }
    void ProcessMessages() override {
        ++pumps;
        nowMs += 50;
        if (onPump) onPump();
        if (pendingRegistration > 0 && --pendingRegistration == 0) {
            // The started program creates its window and registers it with the bar.
            WindowHandle h = nextHandle++;
            windows.insert(h);
            registered = h;
        }
    }
    int64_t SteadyMs() override { return nowMs; }

    struct Sent {
        WindowHandle to;
        Message msg;
    };
    WindowHandle registered = 0;
    std::set<WindowHandle> windows;
    std::vector<Sent> sends;
    std::vector<std::string> starts;
    std::string existing = "/opt/tobu/PopupMsg";
    bool startWorks = true;
    int registerAfterPumps = 3; // -1: never registers
    int pendingRegistration = 0;
    int pumps = 0;
    int64_t nowMs = 1000000;
    WindowHandle nextHandle = 0x100;
    std::function<void()> onPump;
};

class PopupProtocolTest : public ::testing::Test {
protected:
    FakeDesktop desktop;
    PopupProtocol popup{desktop};
};

} // namespace

TEST_F(PopupProtocolTest, FirstNotificationStartsTheProgramWithTheBarHandle) {
    ASSERT_TRUE(popup.PopupMsgReady());
    EXPECT_THAT(desktop.starts, ElementsAre("/opt/tobu/PopupMsg 305419896"));
    EXPECT_EQ(popup.PopupWnd(), 0x100u);
    // The text goes to the window that registered, after the registration.
    popup.SendPopupText("时钟报时：14:00:00");
    ASSERT_EQ(desktop.sends.size(), 1u);
    EXPECT_EQ(desktop.sends[0].to, 0x100u);
    EXPECT_EQ(desktop.sends[0].msg.msg, kWmCopyData);
    EXPECT_EQ(desktop.sends[0].msg.wparam, kBar);
}

TEST_F(PopupProtocolTest, SecondNotificationStartsNothing) {
    ASSERT_TRUE(popup.PopupMsgReady());
    int pumps = desktop.pumps;
    ASSERT_TRUE(popup.PopupMsgReady());
    EXPECT_EQ(desktop.starts.size(), 1u);
    EXPECT_EQ(desktop.pumps, pumps) << "a registered program needs no waiting";
}

TEST_F(PopupProtocolTest, AnExitedProgramIsStartedAgain) {
    ASSERT_TRUE(popup.PopupMsgReady());
    desktop.windows.clear(); // the program ended; the bar still holds its old handle
    ASSERT_TRUE(popup.PopupMsgReady());
    EXPECT_EQ(desktop.starts.size(), 2u);
    EXPECT_EQ(popup.PopupWnd(), 0x101u);
    popup.SendPopupText("x");
    EXPECT_EQ(desktop.sends.back().to, 0x101u);
}

TEST_F(PopupProtocolTest, MissingProgramIsNotStarted) {
    desktop.existing.clear();
    EXPECT_FALSE(popup.PopupMsgReady());
    EXPECT_TRUE(desktop.starts.empty());
    EXPECT_EQ(desktop.pumps, 0);
}

TEST_F(PopupProtocolTest, AProgramThatFailsToStartIsNotWaitedFor) {
    desktop.startWorks = false;
    EXPECT_FALSE(popup.PopupMsgReady());
    EXPECT_EQ(desktop.pumps, 0);
    EXPECT_FALSE(popup.Waiting());
}

TEST_F(PopupProtocolTest, TheWaitForARegistrationEndsAfterTenSeconds) {
    desktop.registerAfterPumps = -1;
    int64_t start = desktop.nowMs;
    EXPECT_FALSE(popup.PopupMsgReady());
    EXPECT_GE(desktop.nowMs - start, 10000);
    EXPECT_LT(desktop.nowMs - start, 10100);
    EXPECT_FALSE(popup.Waiting());
    // The next notification tries again.
    desktop.registerAfterPumps = 2;
    EXPECT_TRUE(popup.PopupMsgReady());
    EXPECT_EQ(desktop.starts.size(), 2u);
}

TEST_F(PopupProtocolTest, ARegistrationArrivingLateStillCounts) {
    desktop.registerAfterPumps = 250; // 12.5 s of pumping: after the wait gave up
    EXPECT_FALSE(popup.PopupMsgReady());
    for (int i = 0; i < 60; ++i) desktop.ProcessMessages(); // the UI loop runs on
    EXPECT_TRUE(popup.PopupMsgReady());
    EXPECT_EQ(desktop.starts.size(), 1u);
}

TEST_F(PopupProtocolTest, ANestedRequestWhileWaitingStartsNoSecondCopy) {
    desktop.registerAfterPumps = 5;
    std::vector<bool> nested;
    desktop.onPump = [&] {
        // A timer that needs the popup program fires while the first start waits.
        if (desktop.pumps == 2) {
            nested.push_back(popup.PopupMsgReady());
            popup.SendPopupText("nested");
        }
    };
    EXPECT_TRUE(popup.PopupMsgReady());
    EXPECT_EQ(desktop.starts.size(), 1u);
    EXPECT_THAT(nested, ElementsAre(true));
    ASSERT_EQ(desktop.sends.size(), 1u);
    EXPECT_EQ(desktop.sends[0].to, 0x100u) << "the nested text went nowhere";
}

TEST_F(PopupProtocolTest, AStaleRegistrationIsNotTakenForTheNewOne) {
    desktop.registered = 0x77; // left from a program that ended
    desktop.registerAfterPumps = 4;
    ASSERT_TRUE(popup.PopupMsgReady());
    EXPECT_EQ(popup.PopupWnd(), 0x100u);
    // While a start waits, the old handle counts as no popup program.
    desktop.windows.clear();
    desktop.registerAfterPumps = -1;
    desktop.onPump = [&] { EXPECT_EQ(popup.PopupWnd(), 0u); };
    EXPECT_FALSE(popup.PopupMsgReady());
}

TEST_F(PopupProtocolTest, TextsTravelAsGbkWithOneClosingZeroByte) {
    ASSERT_TRUE(popup.PopupMsgReady());
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
