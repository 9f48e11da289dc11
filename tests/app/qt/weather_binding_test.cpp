// The weather window as the bar's companion, with a fake browser and a fake clock: loads on
// creation, on the first show of a day and on "刷新...", docked under the bar, hidden by
// another mode and by the tray.
#include "app/qt/weather_binding.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <gmock/gmock.h>

#include "app/qt/bar_test_access.h"
#include "app/qt/frm_weather.h"

using namespace tobu;

namespace {

class FakePage : public WeatherPage {
public:
    explicit FakePage(QWidget* parent, std::vector<std::string>& log)
        : widget_(parent), log_(log) {}
    QWidget* Widget() override { return &widget_; }
    void Navigate(const std::string& url) override { log_.push_back(url); }

private:
    QWidget widget_;
    std::vector<std::string>& log_;
};

class WeatherBindingTest : public BarFolderTest {
protected:
    void SetUp() override {
        BarFolderTest::SetUp();
        setenv("TOBU_SERVER", "http://127.0.0.1:9/w", 1);
    }
    void TearDown() override {
        unsetenv("TOBU_SERVER");
        BarFolderTest::TearDown();
    }
    std::unique_ptr<TFrmLED> MakeBar(const std::string& ini) {
        TFrmLED::Services s;
        s.hasTray = [] { return true; };
        auto bar = NewBar(ini, s);
        binding = BindWeatherWindow(
            *bar, clock,
            [this](QWidget* parent, std::function<void(const std::string&)>) {
                ++pagesMade;
                return std::make_unique<FakePage>(parent, loads);
            },
            [](const std::string&) {});
        bar->FormCreate();
        bar->show();
        return bar;
    }

    WeatherBinding* binding = nullptr;
    std::vector<std::string> loads;
    int pagesMade = 0;
};

TEST_F(WeatherBindingTest, LoadsOncePerDayAndOnRefresh) {
    auto bar = MakeBar("[BAR]\r\nLeft=0\r\nTop=0\r\n");
    EXPECT_TRUE(Of(*bar).Item("PM_Weather")->isEnabled());
    emit bar->showChildWindowRequested(3);
    TFrmWeather* w = binding->FrmWeather();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->pos(), QPoint(0, 34));
    EXPECT_EQ(w->size(), QSize(332, 160));
    EXPECT_EQ(bar->ChildWindowIndex(), 3);
    EXPECT_EQ(pagesMade, 1);
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(loads[0], "http://127.0.0.1:9/w/Weather_TobuClock.htm");
    // The browser sits at (-2, -2) in the 320 x 109 frame.
    EXPECT_EQ(w->findChild<QWidget*>("RzPanel1")->geometry(), QRect(6, 44, 320, 109));
    EXPECT_EQ(w->findChild<QWidget*>("BrowserPanel")->geometry(), QRect(-2, -2, 341, 113));

    // "精简" hides it (closing only hides), a second show the same day does not load again.
    emit bar->showChildWindowRequested(0);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(binding->FrmWeather(), w);
    emit bar->showChildWindowRequested(3);
    EXPECT_EQ(loads.size(), 1u);
    // After midnight the next show loads again.
    emit bar->showChildWindowRequested(0);
    clock.Set(EncodeDateTime(2024, 2, 11, 0, 0, 1));
    emit bar->showChildWindowRequested(3);
    EXPECT_EQ(loads.size(), 2u);
    // "刷新..." always loads.
    w->PopupMenu2()->findChild<QAction*>("PM_Refresh")->trigger();
    w->PopupMenu2()->findChild<QAction*>("PM_Refresh")->trigger();
    EXPECT_EQ(loads.size(), 4u);
    EXPECT_EQ(pagesMade, 1);
    // "城市时间查询" waits for the world time window.
    EXPECT_FALSE(w->PopupMenu1()->findChild<QAction*>("PM_CSSJ")->isEnabled());

    // The tray takes it along and brings it back.
    bar->MinimizeToTray();
    EXPECT_FALSE(w->isVisible());
    bar->RestoreFromTray();
    EXPECT_TRUE(w->isVisible());
    // Its menu switches to the clock: the weather window goes.
    w->PopupMenu1()->findChild<QAction*>("PM_Clock")->trigger();
    EXPECT_FALSE(w->isVisible());
}

TEST_F(WeatherBindingTest, AnUnusableServerMakesNoRequest) {
    setenv("TOBU_SERVER", "file:///etc/passwd", 1);
    auto bar = MakeBar("");
    emit bar->showChildWindowRequested(3);
    ASSERT_NE(binding->FrmWeather(), nullptr);
    EXPECT_TRUE(loads.empty());
    binding->FrmWeather()->PopupMenu2()->findChild<QAction*>("PM_Refresh")->trigger();
    EXPECT_TRUE(loads.empty());
}

} // namespace
