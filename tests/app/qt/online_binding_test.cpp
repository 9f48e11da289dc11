// The online extras on the bar: cached announcements on the date line, clicks on them, the one
// feed check at TimerAD, the upgrade messages, the about box and the start-page offer.
#include "app/qt/online_binding.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QThread>
#include <filesystem>
#include <gmock/gmock.h>

#include "app/qt/bar_test_access.h"
#include "faces/qt/aa_fadetext.h"
#include "online/ad_cache.h"
#include "online/qt/online_dialogs.h"
#include "online/start_page.h"
#include "platform/http_client.h"
#include "platform/message_box.h"
#include "platform/shell.h"

using namespace tobu;
using tobu::testing::TempDir;

namespace {

const char* kCache =
    "v1|3|2024/2/10 12:00:00\r\n*\r\n1\r\n\xD2\xBB one\r\ni\r\nhttp://a.example/\r\n"
    "*\r\n0\r\nzero\r\ni\r\nhttp://zero/\r\n*\r\n3\r\nthree\r\ni\r\n"
    "http://start.example/\r\n*\r\n1\r\nbad\r\ni\r\nfile:///etc/passwd\r\n";

class OnlineBindingTest : public BarFolderTest {
protected:
    void SetUp() override {
        BarFolderTest::SetUp();
        setenv("TOBU_SERVER", "http://127.0.0.1:9/", 1);
    }
    void TearDown() override {
        unsetenv("TOBU_SERVER");
        BarFolderTest::TearDown();
    }

    std::unique_ptr<TFrmLED> MakeBar(OnlineBindingOptions o = {}) {
        TFrmLED::Services s;
        s.hasTray = [] { return true; };
        auto bar = NewBar("", s);
        o.clock = &clock;
        o.shell = &shell;
        o.box = &box;
        o.profilesIni = profiles.Dir() + "profiles.ini";
        if (o.feedDelayMs < 0) o.feedDelayMs = 3600000;
        o.runDialog = [this](QDialog& d) { return runDialog ? runDialog(d) : 0; };
        binding = BindOnline(*bar, o);
        bar->FormCreate();
        return bar;
    }
    std::vector<std::string> Lines(TFrmLED& bar) { return Of(bar).AAFadeTextDate()->Lines().All(); }
    void MakeProfile(const std::string& userJs) {
        TempDir::Put(profiles.Dir() + "profiles.ini", "[Profile0]\nPath=p\nIsRelative=1\n");
        std::filesystem::create_directory(profiles.Dir() + "p");
        if (!userJs.empty()) TempDir::Put(profiles.Dir() + "p/user.js", userJs);
    }

    RecordingShellOpen shell;
    ScriptedMessageBox box;
    TempDir profiles;
    std::function<int(QDialog&)> runDialog;
    OnlineBinding* binding = nullptr;
};

TEST_F(OnlineBindingTest, CachedAnnouncementsShowAndClicksActOnTheLineOnDisplay) {
    std::filesystem::create_directory(dir.Dir() + "Sup");
    TempDir::Put(dir.Dir() + "Sup/Ad.his", kCache);
    auto bar = MakeBar();
    const auto lines = Lines(*bar);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "<FontAD>一 one");
    EXPECT_EQ(lines[2], "<FontAD>three");
    EXPECT_EQ(lines[3], "<FontAD>bad");
    EXPECT_TRUE(Of(*bar).Item("PM_About")->isEnabled());
    EXPECT_TRUE(Of(*bar).Item("PM_Homepage1")->isEnabled());

    TAAFadeText* text = Of(*bar).AAFadeTextDate();
    text->ShowLine(0); // the date: nothing
    binding->AAFadeTextDateClick();
    EXPECT_TRUE(shell.calls.empty());
    text->ShowLine(1); // the first record
    binding->AAFadeTextDateClick();
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].target, "http://a.example/");
    text->ShowLine(3); // a file: link is dropped silently
    binding->AAFadeTextDateClick();
    EXPECT_EQ(shell.calls.size(), 1u);
    EXPECT_TRUE(box.calls.empty());

    // Kind 3 offers the start page; "取消(&C)" changes nothing.
    MakeProfile("user_pref(\"a\", 1);\n");
    std::string shown;
    runDialog = [&](QDialog& d) {
        auto& page = dynamic_cast<TFormHomePage&>(d);
        shown = (page.CurrentLink()->text() + "|" + page.NewLink()->text()).toStdString();
        EXPECT_TRUE(page.OkButton()->isDefault());
        page.CancelButton()->click();
        return d.result();
    };
    text->ShowLine(2);
    binding->AAFadeTextDateClick();
    EXPECT_EQ(shown, "当前主页: |修改为: http://start.example/");
    EXPECT_EQ(ReadStartPage(profiles.Dir() + "profiles.ini"), "");
    // "确定(&O)" writes it; the next offer only thanks.
    runDialog = [](QDialog& d) {
        dynamic_cast<TFormHomePage&>(d).OkButton()->click();
        return d.result();
    };
    binding->AAFadeTextDateClick();
    EXPECT_EQ(ReadStartPage(profiles.Dir() + "profiles.ini"), "http://start.example/");
    EXPECT_EQ(TempDir::Get(profiles.Dir() + "p/user.js").substr(0, 18), "user_pref(\"a\", 1);");
    runDialog = [](QDialog&) -> int {
        ADD_FAILURE() << "no dialog when already set";
        return 0;
    };
    binding->AAFadeTextDateClick();
    ASSERT_EQ(box.calls.size(), 1u);
    EXPECT_EQ(box.calls[0].text, "您已经赞助过软件作者，谢谢！");
    EXPECT_EQ(box.calls[0].caption, "信息");
    // Past the end of the list: nothing.
    text->Lines().Add("<FontAD>not a record");
    text->ShowLine(4);
    binding->AAFadeTextDateClick();
    EXPECT_EQ(shell.calls.size(), 1u);
}

TEST_F(OnlineBindingTest, TimerAdChecksOnceAndANewVersionReloadsTheList) {
    OnlineBindingOptions o;
    o.feedDelayMs = 0;
    auto answers = std::make_shared<std::vector<std::string>>();
    o.makeClient = [answers] {
        auto c = std::make_unique<ScriptedHttpClient>();
        c->answers.push_back(HttpOk("v9|3\r\n*\r\n1\r\nfresh news\r\ni\r\nhttp://n/\r\n$\r\n"));
        return c;
    };
    auto bar = MakeBar(o);
    EXPECT_LE(Lines(*bar).size(), 1u); // no cache: the date line is left alone
    EXPECT_TRUE(std::filesystem::is_directory(dir.Dir() + "Sup"));
    std::vector<FeedFetchReport> reports;
    QObject::connect(binding, &OnlineBinding::feedChecked,
                     [&](const FeedFetchReport& r) { reports.push_back(r); });
    for (int i = 0; i < 500 && reports.empty(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].result, "new");
    EXPECT_FALSE(Of(*bar).TimerAD().isActive()); // once per run
    ASSERT_EQ(Lines(*bar).size(), 2u);
    EXPECT_EQ(Lines(*bar)[1], "<FontAD>fresh news");
    EXPECT_EQ(TempDir::Get(dir.Dir() + "Sup/Ad.his").substr(0, 5), "v9|3|");
}

TEST_F(OnlineBindingTest, UpgradeMessagesRecordTheMomentAndAboutShowsTheAddresses) {
    auto bar = MakeBar();
    auto send = [&](uint32_t msg, std::string text) {
        bar->HandleMessage(Message{msg, 0, 0, std::vector<uint8_t>(text.begin(), text.end())});
    };
    send(kWmUpgradeNotice, "two\r\nlines");
    EXPECT_FALSE(std::filesystem::exists(dir.Dir() + "Upgrade.his"));
    send(kWmUpgradeNotice, std::string("a\r\nb\r\nc\0d", 10));
    EXPECT_EQ(TempDir::Get(dir.Dir() + "Upgrade.his"), "2024/2/10 13:59:52\r\n");
    clock.AdvanceMSecs(1000);
    send(kWmUpgradeSeen, "");
    EXPECT_EQ(TempDir::Get(dir.Dir() + "Upgrade.his"), "2024/2/10 13:59:53\r\n");

    std::string version, home, mail;
    runDialog = [&](QDialog& d) {
        auto& about = dynamic_cast<TFrmAbout&>(d);
        version = about.Version()->text().toStdString();
        home = about.HomeLink()->text().toStdString();
        mail = about.MailLink()->text().toStdString();
        EXPECT_EQ(about.size(), QSize(332, 246));
        EXPECT_EQ(about.Version()->geometry().right() + 1, 285);
        about.HomeLink()->clicked();
        about.MailLink()->clicked();
        about.OkButton()->click();
        return d.result();
    };
    Of(*bar).Item("PM_About1")->trigger();
    EXPECT_EQ(version, "V3.7.5");
    EXPECT_EQ(home, "Homepage:  http://127.0.0.1:9/");
    EXPECT_EQ(mail, TOBU_CONTACT);
    Of(*bar).Item("PM_HomePage")->trigger();
    ASSERT_EQ(shell.calls.size(), 3u);
    EXPECT_EQ(shell.calls[0].target, "http://127.0.0.1:9/");
    EXPECT_EQ(shell.calls[1].target, std::string("mailto:") + TOBU_CONTACT);
    EXPECT_EQ(shell.calls[2].target, "http://127.0.0.1:9/");
}

} // namespace
