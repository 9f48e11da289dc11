// The popup program on the offscreen platform, with a fake bar: registration, cards for the
// texts it receives, closing by time and by click, tray requests, settings reload and ending.
#include "popupmsg/qt/popup_app.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cstdlib>
#include <gmock/gmock.h>

#include "base/text.h"
#include "popupmsg/qt/popup_card.h"
#include "settings/temp_dir.h"

using namespace tobu;
using ::testing::ElementsAre;

namespace {

constexpr WindowHandle kBar = 9001;

void Mouse(QWidget* w, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
void Click(QWidget* w, QPointF at) {
    Mouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, at, Qt::NoButton);
}
void Wheel(QWidget* w, int notches) {
    QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

class PopupAppTest : public ::testing::Test {
protected:
    std::unique_ptr<PopupApp> Make(const std::string& ini) {
        if (!ini.empty()) tobu::testing::TempDir::Put(dir.File("skin.ini"), ini);
        PopupApp::Services s;
        s.send = [this](WindowHandle h, const Message& m) -> std::optional<int64_t> {
            sent.push_back({h, m});
            if (!barAlive) return std::nullopt;
            return 0;
        };
        s.post = [this](WindowHandle h, const Message& m) {
            EXPECT_EQ(h, kBar);
            posted.push_back(m.msg);
            return true;
        };
        s.isWindow = [this](WindowHandle h) { return h == kBar && barAlive; };
        s.workArea = [] { return QRect(0, 0, 1280, 740); };
        s.nowMs = [this] { return now; };
        s.quit = [this] { ++quits; };
        return std::make_unique<PopupApp>(kBar, dir.Dir(), s);
    }

    static Message Text(const std::string& utf8) {
        Message m;
        m.msg = kWmCopyData;
        m.wparam = kBar;
        std::string gbk = Utf8ToGbk(utf8);
        m.data.assign(gbk.begin(), gbk.end());
        m.data.push_back(0);
        return m;
    }
    static Message Notify(int code) { return Message{kWmPopupNotify, kBar, code, {}}; }

    tobu::testing::TempDir dir;
    std::vector<std::pair<WindowHandle, Message>> sent;
    std::vector<uint32_t> posted;
    bool barAlive = true;
    int64_t now = 0;
    int quits = 0;
};

} // namespace

TEST_F(PopupAppTest, RegistersItsEndpointWithTheBar) {
    auto app = Make("");
    ASSERT_TRUE(app->Register(4711));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].first, kBar);
    EXPECT_EQ(sent[0].second.msg, kWmPopupRegister);
    EXPECT_EQ(sent[0].second.lparam, 4711);

    barAlive = false;
    EXPECT_FALSE(Make("")->Register(4712)) << "no bar to register with";
}

TEST_F(PopupAppTest, EachTextGetsACardAtTheBottomRightNewestOnTop) {
    auto app = Make("");
    EXPECT_EQ(app->HandleMessage(Text("时钟报时：14:00:00")), 1);
    EXPECT_EQ(app->HandleMessage(Text("日历标记：\r\n2024年02月10日 星期六\r\n\r\n生日")), 1);
    const auto& popups = app->Board().Popups();
    ASSERT_EQ(popups.size(), 2u);
    TPopupCard* first = app->Card(popups[0].id);
    TPopupCard* second = app->Card(popups[1].id);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->Text(), QString::fromUtf8("时钟报时：14:00:00"));
    EXPECT_EQ(second->Text(), QString::fromUtf8("日历标记：\n2024年02月10日 星期六\n\n生日"));
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(first->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(first->windowTitle(), QString::fromUtf8("Tobu桌面时钟 - 时钟报时：14:00:00"));
    EXPECT_EQ(second->windowTitle(), QString::fromUtf8("Tobu桌面时钟 - 日历标记："));
    EXPECT_EQ(first->width(), 300);
    // Ten pixels from the right and bottom edges of the work area; the newer one above it.
    EXPECT_EQ(first->geometry().right(), 1280 - 10 - 1);
    EXPECT_EQ(first->geometry().bottom(), 740 - 10 - 1);
    EXPECT_EQ(second->geometry().bottom(), first->geometry().top() - 8 - 1);
    EXPECT_GT(second->height(), first->height()) << "four lines need more room than one";
    EXPECT_TRUE(posted.empty()) << "self-closing popups do not blink the tray";
}

TEST_F(PopupAppTest, SelfClosingAfterAutoSecondsAndTheRestMovesDown) {
    auto app = Make("[MSG]\nAuto=1\nAutoSec=5\n");
    app->HandleMessage(Text("a"));
    now = 3000;
    app->HandleMessage(Text("b"));
    int bId = app->Board().Popups()[1].id;
    now = 4999;
    app->CheckExpiry();
    EXPECT_EQ(app->Board().Popups().size(), 2u);
    now = 5000;
    app->CheckExpiry();
    ASSERT_EQ(app->Board().Popups().size(), 1u);
    EXPECT_EQ(app->Card(bId)->geometry().bottom(), 740 - 10 - 1);
    now = 8000;
    app->CheckExpiry();
    EXPECT_TRUE(app->Board().Popups().empty());
}

TEST_F(PopupAppTest, ByHandPopupsWaitForAClickAndBlinkTheTray) {
    auto app = Make("[MSG]\nAuto=0\n");
    app->HandleMessage(Text("任务：开会"));
    app->HandleMessage(Text("second"));
    EXPECT_THAT(posted, ElementsAre(kWmTrayAnimateOn));
    now = 10'000'000;
    app->CheckExpiry();
    ASSERT_EQ(app->Board().Popups().size(), 2u) << "closed by itself without Auto";
    TPopupCard* card = app->Card(app->Board().Popups()[0].id);
    Click(card, QPointF(card->width() / 2.0, card->height() / 2.0));
    EXPECT_EQ(app->Board().Popups().size(), 1u);
    EXPECT_THAT(posted, ElementsAre(kWmTrayAnimateOn));
    app->CloseCard(app->Board().Popups()[0].id);
    EXPECT_THAT(posted, ElementsAre(kWmTrayAnimateOn, kWmTrayAnimateOff));
}

TEST_F(PopupAppTest, CodeOneReloadsTheSettings) {
    auto app = Make("[MSG]\nAuto=1\nAutoSec=5\nTran=200\n");
    app->HandleMessage(Text("a"));
    TPopupCard* card = app->Card(app->Board().Popups()[0].id);
    EXPECT_NEAR(card->windowOpacity(), 200 / 255.0, 0.01);
    tobu::testing::TempDir::Put(dir.File("skin.ini"), "[MSG]\nAuto=0\nAutoSec=60\nTran=100\n");
    EXPECT_EQ(app->Settings().tran, 200) << "read only at start and on code 1";
    app->HandleMessage(Notify(1));
    EXPECT_EQ(app->Settings(), (PopupSettings{false, 60, 100}));
    EXPECT_NEAR(card->windowOpacity(), 100 / 255.0, 0.01);
    app->HandleMessage(Text("b"));
    EXPECT_TRUE(app->Board().Popups()[1].by_hand);
    EXPECT_EQ(quits, 0);
}

TEST_F(PopupAppTest, EndsOnCodeTwoAfterAnswering) {
    auto app = Make("");
    EXPECT_EQ(app->HandleMessage(Notify(2)), 0);
    EXPECT_EQ(quits, 0) << "the answer to the bar comes first";
    QCoreApplication::processEvents();
    EXPECT_EQ(quits, 1);
    app->HandleMessage(Notify(2));
    QCoreApplication::processEvents();
    EXPECT_EQ(quits, 1);
}

TEST_F(PopupAppTest, EndsWhenTheBarIsGone) {
    auto app = Make("");
    app->CheckBar();
    EXPECT_EQ(quits, 0);
    barAlive = false;
    app->CheckBar();
    app->CheckBar();
    EXPECT_EQ(quits, 1);
}

TEST_F(PopupAppTest, OtherMessagesAndBrokenTextsDoNoHarm) {
    auto app = Make("");
    EXPECT_EQ(app->HandleMessage(Message{0x1234, 0, 0, {}}), 0);
    EXPECT_EQ(app->HandleMessage(Notify(77)), 0);
    Message broken{kWmCopyData, kBar, 0, {0x81, 0xFF, 'x'}}; // bad GBK, no zero byte
    EXPECT_EQ(app->HandleMessage(broken), 1);
    ASSERT_EQ(app->Board().Popups().size(), 1u);
    EXPECT_TRUE(IsValidUtf8(app->Board().Popups()[0].text));
    EXPECT_EQ(quits, 0);
}

TEST(PopupCardTest, HeightFollowsTheTextWithinItsBounds) {
    int one = TPopupCard::HeightFor("x");
    EXPECT_EQ(one, TPopupCard::kMinHeight);
    QString lines;
    for (int i = 0; i < 8; ++i) lines += QString::fromUtf8("第%1行\n").arg(i);
    int eight = TPopupCard::HeightFor(lines);
    EXPECT_GT(eight, one);
    // A long line without blanks wraps rather than running off the card.
    EXPECT_GT(TPopupCard::HeightFor(QString(200, 'w')), one);
    EXPECT_EQ(TPopupCard::HeightFor(QString(100000, 'w')), TPopupCard::kMaxHeight);
}

TEST_F(PopupAppTest, ACardBeingReadWaitsAndGetsItsFullTimeWhenTheMouseLeaves) {
    auto app = Make("[MSG]\nAuto=1\nAutoSec=5\n");
    app->HandleMessage(Text("一条要慢慢读的消息"));
    int id = app->Board().Popups()[0].id;
    TPopupCard* card = app->Card(id);
    now = 4000;
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), card->mapToGlobal(QPointF(10, 10)));
    QApplication::sendEvent(card, &enter);
    now = 60000;
    app->CheckExpiry();
    ASSERT_EQ(app->Card(id), card) << "the mouse rests on it";
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(card, &leave);
    now = 64999;
    app->CheckExpiry();
    EXPECT_EQ(app->Card(id), card);
    now = 65000;
    app->CheckExpiry();
    EXPECT_EQ(app->Card(id), nullptr) << "five seconds after the mouse left";
}

TEST_F(PopupAppTest, AnEmptyTextOpensNoCard) {
    auto app = Make("[MSG]\nAuto=0\n");
    EXPECT_EQ(app->HandleMessage(Text("")), 1);
    EXPECT_EQ(app->HandleMessage(Text("\r\n \r\n")), 1);
    EXPECT_TRUE(app->Board().Popups().empty());
    EXPECT_TRUE(posted.empty()) << "nothing waits to be read";
}

TEST_F(PopupAppTest, ALongTextScrollsWithWheelAndDragAndStaysWhole) {
    auto app = Make("[MSG]\nAuto=0\n");
    std::string text = "日历标记：\r\n2024年02月10日 星期六\r\n\r\n";
    for (int i = 1; i <= 200; ++i)
        text += "第" + std::to_string(i) +
                "条：今天下午三点在二号会议室讨论新版本的发布计划，请准时参加。\r\n";
    text += "最后一行";
    app->HandleMessage(Text(text));
    TPopupCard* card = app->Card(app->Board().Popups()[0].id);
    ASSERT_TRUE(card);
    EXPECT_EQ(card->height(), TPopupCard::kMaxHeight);
    ASSERT_TRUE(card->Scrollable());
    // Two lines of 14 pixels at least for each of the 200 entries: nothing is cut.
    EXPECT_GT(card->ContentHeight(), 200 * 2 * 14);
    EXPECT_EQ(card->MaxScroll(), card->ContentHeight() - card->ViewHeight());
    EXPECT_EQ(card->ScrollOffset(), 0);
    const char* shot = std::getenv("TOBU_POPUP_CARD_SHOT");
    if (shot) card->grab().save(QString::fromUtf8(shot) + "-top.png");

    Wheel(card, -1); // one notch down
    int oneNotch = card->ScrollOffset();
    EXPECT_GT(oneNotch, 30);
    Wheel(card, 1);
    EXPECT_EQ(card->ScrollOffset(), 0);
    Wheel(card, 1);
    EXPECT_EQ(card->ScrollOffset(), 0) << "not above the first line";
    Wheel(card, -1000);
    EXPECT_EQ(card->ScrollOffset(), card->MaxScroll()) << "down to the last line, no further";
    if (shot) card->grab().save(QString::fromUtf8(shot) + "-end.png");

    // Dragging the text down moves the view up, and does not close the card.
    QPointF from(150, 200), to(150, 300);
    Mouse(card, QEvent::MouseButtonPress, from, Qt::LeftButton);
    Mouse(card, QEvent::MouseMove, to, Qt::LeftButton);
    EXPECT_EQ(card->ScrollOffset(), card->MaxScroll() - 100);
    Mouse(card, QEvent::MouseButtonRelease, to, Qt::NoButton);
    ASSERT_EQ(app->Board().Popups().size(), 1u);
    // A click still closes it.
    Click(card, from);
    EXPECT_TRUE(app->Board().Popups().empty());

    // A short text does not scroll; the wheel goes to whoever wants it.
    app->HandleMessage(Text("短消息"));
    TPopupCard* small = app->Card(app->Board().Popups()[0].id);
    EXPECT_FALSE(small->Scrollable());
    Wheel(small, -3);
    EXPECT_EQ(small->ScrollOffset(), 0);
}
