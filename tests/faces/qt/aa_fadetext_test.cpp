// The fade-text widget on the offscreen platform: the date line's look (real fonts), the fade
// driven by its own timers, transparent mode, clicks, and the date-line configuration.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QMouseEvent>
#include <QWidget>

#include "faces/qt/aa_fadetext.h"

namespace tobu {
namespace {

constexpr QRgb kDarkBlue = 0xFF000060u;

void Pump(int ms, const std::function<bool()>& done = nullptr) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (done && done()) return;
    }
}

class DateLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFont::insertSubstitution("宋体", "AR PL UMing CN");
        bar.resize(400, 44);
        dateLine = new TAAFadeText(&bar);
        ConfigureDateLine(*dateLine);
        QImage skin(400, 44, QImage::Format_RGB32);
        skin.fill(kDarkBlue);
        dateLine->SetBackgroundPicture(skin);
    }
    // Puts a line on display and lets the fade finish.
    QImage Show(const std::string& line) {
        dateLine->Lines().Put(0, line);
        dateLine->ShowLine(0);
        for (int i = 0; i < 100 && dateLine->Core().FadeLevel() < 255; ++i)
            dateLine->Core().FadeTimerTick();
        dateLine->Core().PaintCanvas();
        return dateLine->DisplayImage();
    }
    QWidget bar;
    TAAFadeText* dateLine = nullptr;
};

TEST_F(DateLineTest, ConfiguredAsTheBarNeedsIt) {
    EXPECT_EQ(dateLine->geometry(), QRect(173, 12, 154, 20));
    EXPECT_EQ(dateLine->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(dateLine->ParentColor());
    EXPECT_FALSE(dateLine->Active());
    EXPECT_EQ(dateLine->LineIndex(), -1);
    EXPECT_EQ(dateLine->Text().LineDelay(), 3500u);
    EXPECT_EQ(dateLine->Text().FadeDelay(), 600u);
    EXPECT_TRUE(dateLine->Text().Transparent());
    EXPECT_EQ(dateLine->Text().Quality(), TAAQuality::aqNone);
    ASSERT_EQ(dateLine->Lines().Count(), 1);
    EXPECT_EQ(dateLine->Lines()[0], "");
    ASSERT_EQ(dateLine->Fonts().Count(), 2);
    const TFontLabel& cn = dateLine->Fonts()[0];
    EXPECT_EQ(cn.Name(), "FontCN");
    EXPECT_EQ(cn.Font().name, "宋体");
    EXPECT_EQ(cn.Font().height, 12);
    EXPECT_EQ(cn.Font().color, kClWhite);
    EXPECT_FALSE(cn.Font().underline);
    EXPECT_TRUE(cn.Effect().Shadow().Enabled());
    EXPECT_EQ(cn.Effect().Shadow().OffsetX(), 1);
    EXPECT_EQ(cn.Effect().Shadow().OffsetY(), 1);
    EXPECT_EQ(cn.Effect().Shadow().Blur(), 80);
    EXPECT_EQ(cn.Effect().Shadow().Alpha(), 70);
    EXPECT_EQ(cn.Effect().Shadow().Color(), 0x444444u);
    const TFontLabel& ad = dateLine->Fonts()[1];
    EXPECT_EQ(ad.Name(), "FontAD");
    EXPECT_TRUE(ad.Font().underline);
    EXPECT_FALSE(ad.Effect().Shadow().Enabled());
    const char* names[] = {"Left",         "Center",   "Right", "Owner",
                           "Organization", "AppTitle", "Date",  "Time"};
    ASSERT_EQ(dateLine->Labels().Count(), 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(dateLine->Labels()[i].Name(), names[i]);
    EXPECT_EQ(dateLine->Labels()[6].Style(), TLabelStyle::lsDate);
}

TEST_F(DateLineTest, DateTextIsWhiteOnTheSkinWithItsShadowOneRightAndDown) {
    const QImage img = Show("<FontCN>2024年02月10日 星期六");
    img.scaled(img.width() * 4, img.height() * 4).save("/tmp/aa_dateline_x4.png");
    img.save("/tmp/aa_dateline.png");
    ASSERT_EQ(img.size(), QSize(154, 20));
    EXPECT_EQ(img.pixel(0, 0), kDarkBlue);
    int white = 0, darker = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            if (c == 0xFFFFFFFFu) ++white;
            if (qBlue(c) < qBlue(kDarkBlue)) ++darker; // moved toward the grey shadow
        }
    EXPECT_GT(white, 100);
    EXPECT_GT(darker, 50);

    // With the shadow's blur off, every full-ink pixel whose lower-right neighbour has no ink
    // casts its shadow exactly there: 0x60 blue moved 178/256 toward 0x44.
    dateLine->Fonts()[0].Effect().Shadow().SetBlur(0);
    const QImage sharp = Show("<FontCN>2024年02月10日 星期六");
    dateLine->Fonts()[0].Effect().Shadow().SetAlpha(0); // same box, no shadow ink
    const QImage plain = Show("<FontCN>2024年02月10日 星期六");
    const QRgb shadow = qRgb(0x44 * 178 / 256, 0x44 * 178 / 256, 0x60 - 0x1C * 178 / 256 - 1);
    int checked = 0;
    for (int y = 0; y + 1 < plain.height(); ++y)
        for (int x = 0; x + 1 < plain.width(); ++x) {
            if (plain.pixel(x, y) != 0xFFFFFFFFu || plain.pixel(x + 1, y + 1) != kDarkBlue)
                continue;
            EXPECT_EQ(sharp.pixel(x + 1, y + 1), shadow) << x << "," << y;
            EXPECT_EQ(sharp.pixel(x, y), 0xFFFFFFFFu);
            ++checked;
        }
    EXPECT_GT(checked, 20);
}

TEST_F(DateLineTest, AnnouncementFontIsUnderlinedWithoutShadow) {
    const QImage img = Show("<fontad>ABCDEFGH");
    img.scaled(img.width() * 4, img.height() * 4).save("/tmp/aa_adline_x4.png");
    bool underline = false;
    for (int y = 0; y < img.height(); ++y) {
        int run = 0;
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            EXPECT_GE(qBlue(c), qBlue(kDarkBlue)) << "shadow tone at " << x << "," << y;
            run = qRed(c) > 0x80 ? run + 1 : 0;
            underline |= run >= 40;
        }
    }
    EXPECT_TRUE(underline);
}

TEST_F(DateLineTest, FadesOnItsOwnTimerAndReportsPaints) {
    bar.show();
    dateLine->Lines().Assign({"<FontCN>2024年02月10日 星期六", "<FontAD>announcement"});
    std::vector<int> levels;
    dateLine->OnPainted = [&] { levels.push_back(dateLine->Core().FadeLevel()); };
    dateLine->SetActive(true); // the first line at once
    EXPECT_EQ(dateLine->LineIndex(), 0);
    Pump(2000, [&] { return dateLine->Core().FadeLevel() == 255; });
    Pump(60);
    EXPECT_EQ(dateLine->Core().FadeLevel(), 255);
    ASSERT_FALSE(levels.empty());
    EXPECT_NE(std::find(levels.begin(), levels.end(), 10), levels.end());
    EXPECT_EQ(levels.back(), 255);
    dateLine->SetActive(false);
    // What the bar shows is the display picture, copied 1:1 at the control's place.
    const QImage screen = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(screen.copy(dateLine->geometry()), dateLine->DisplayImage());
    screen.scaled(screen.width() * 3, screen.height() * 3).save("/tmp/aa_bar_x3.png");
}

TEST_F(DateLineTest, ClickReportsTheLineOnDisplay) {
    bar.show();
    dateLine->Lines().Assign({"<FontCN>date", "<FontAD>ad"});
    dateLine->ShowLine(1);
    int clickedLine = -2;
    dateLine->OnClick = [&] { clickedLine = dateLine->LineIndex(); };
    const QPointF at(10, 10);
    QMouseEvent press(QEvent::MouseButtonPress, at, dateLine->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, dateLine->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(dateLine, &press);
    QApplication::sendEvent(dateLine, &release);
    EXPECT_EQ(clickedLine, 1);
}

TEST(FadeTextWidgetTest, TransparentWithoutPictureCopiesTheParentAndLowerSiblings) {
    QWidget parent;
    parent.resize(200, 40);
    parent.setAutoFillBackground(true);
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(0x20, 0x80, 0x20));
    parent.setPalette(pal);
    auto* below = new QWidget(&parent);
    below->setGeometry(0, 0, 20, 40);
    below->setAutoFillBackground(true);
    QPalette red = below->palette();
    red.setColor(QPalette::Window, QColor(0xC0, 0, 0));
    below->setPalette(red);
    auto* text = new TAAFadeText(&parent);
    text->setGeometry(10, 5, 100, 20);
    text->Text().SetTransparent(true);
    text->SetActive(false);
    text->Lines().Assign({"x"});
    text->Loaded();
    parent.show();
    QApplication::processEvents();
    text->ShowLine(0);
    text->Core().PaintCanvas();
    const QImage img = text->DisplayImage();
    EXPECT_EQ(img.pixel(5, 2), qRgb(0xC0, 0, 0));        // the sibling below
    EXPECT_EQ(img.pixel(95, 2), qRgb(0x20, 0x80, 0x20)); // the parent
}

TEST(FadeTextWidgetTest, FirstPaintRunsTheLoadedResetOfADefaultControl) {
    QWidget parent;
    parent.resize(100, 30);
    auto* text = new TAAFadeText(&parent);
    text->setGeometry(0, 0, 100, 30);
    EXPECT_TRUE(text->Active());
    EXPECT_FALSE(text->IsLoaded());
    parent.show();
    Pump(50, [&] { return text->IsLoaded(); });
    EXPECT_TRUE(text->IsLoaded());
    EXPECT_EQ(text->LineIndex(), 0); // active: the first line came at once
}

} // namespace
} // namespace tobu
