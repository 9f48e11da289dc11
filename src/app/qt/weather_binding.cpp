#include "app/qt/weather_binding.h"

#include <QCoreApplication>
#include <QScreen>

#include "app/companions.h"
#include "app/qt/frm_clock.h"
#include "app/qt/frm_led.h"
#include "online/server.h"
#include "settings/clock_settings.h"

namespace tobu {

WeatherBinding::WeatherBinding(TFrmLED& bar, const Clock& clock, WeatherPageFactory factory,
                               std::function<void(const std::string&)> openLink)
    : QObject(&bar), bar_(bar), clock_(clock), factory_(std::move(factory)),
      open_link_(std::move(openLink)) {
    setObjectName("WeatherBinding");
    bar.EnableMenuItem("PM_Weather");
    // Each companion's binding answers for its own window.
    bar.SetCompanionVisibilityQuery([this] {
        CompanionVisibility v;
        v.weather = WeatherVisible();
        return v;
    });
    connect(&bar, &TFrmLED::showChildWindowRequested, this, [this](int index) {
        std::optional<ChildMode> mode = ChildModeFromIndex(index);
        if (!mode) return;
        if (*mode == ChildMode::Weather)
            ShowWeatherWindow();
        else
            CloseWeatherWindow();
    });
    connect(&bar, &TFrmLED::minimizedChanged, this, [this](bool minimized) {
        if (!frm_weather_) return;
        if (minimized) {
            hidden_with_bar_ = frm_weather_->isVisible();
            frm_weather_->hide();
        } else if (hidden_with_bar_) {
            hidden_with_bar_ = false;
            frm_weather_->show();
        }
    });
    connect(&bar, &TFrmLED::closingCompanions, this, [this] { CloseWeatherWindow(); });
    connect(&bar, &TFrmLED::destroying, this, [this] { delete frm_weather_.data(); });
}

bool WeatherBinding::WeatherVisible() const {
    return frm_weather_ && frm_weather_->isVisible();
}

TFrmWeather* WeatherBinding::CreateWeatherWindow() {
    if (frm_weather_) return frm_weather_;
    std::optional<std::string> base = ConfiguredServer();
    std::optional<std::string> url;
    if (base) url = WeatherUrl(*base);
    auto* w = new TFrmWeather(clock_, url, factory_, open_link_, ShadowsEnabled);
    frm_weather_ = w;
    w->ReloadSkin(AppDir + "Skin/" + ReadClockSettings(AppDir + "skin.ini").skin.skin_file);
    w->SetMenuLook(bar_.MenuLook());
    // The calendar and the world time window are reached from here while the bar's own items
    // for them are enabled.
    if (QAction* a = w->PopupMenu1()->findChild<QAction*>("PM_Calendar")) {
        const QAction* mode = bar_.findChild<QAction*>("PM_Calendar");
        a->setEnabled(mode && mode->isEnabled());
    }
    if (QAction* cssj = w->PopupMenu1()->findChild<QAction*>("PM_CSSJ")) {
        QAction* world = bar_.findChild<QAction*>("PM_WorldTime");
        cssj->setEnabled(world && world->isEnabled());
        if (world) connect(cssj, &QAction::triggered, world, &QAction::trigger);
    }
    connect(w, &TFrmWeather::showChildWindowRequested, &bar_,
            [this](int index) { emit bar_.showChildWindowRequested(index); });
    bar_.AttachCompanion(w, w->Mover());
    return w;
}

void WeatherBinding::ShowWeatherWindow() {
    TFrmWeather* w = CreateWeatherWindow();
    const QRect screen = bar_.screen() ? bar_.screen()->geometry() : QRect(0, 0, 1280, 768);
    const WindowSpot spot =
        CompanionWindowSpot(ScreenBox{screen.width(), screen.height()},
                            BarBox{bar_.x(), bar_.y(), bar_.height()}, w->height());
    w->move(spot.left, spot.top);
    w->SetOpacity(255);
    w->show();
    QCoreApplication::processEvents();
    w->SetOpacity(bar_.BarAlpha());
}

void WeatherBinding::CloseWeatherWindow() {
    if (WeatherVisible()) frm_weather_->CloseWeather();
}

WeatherBinding* BindWeatherWindow(TFrmLED& bar, const Clock& clock, WeatherPageFactory factory,
                                  std::function<void(const std::string&)> openLink) {
    return new WeatherBinding(bar, clock, std::move(factory), std::move(openLink));
}

} // namespace tobu
