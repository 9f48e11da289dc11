// Connects the weather window to the bar: "天气" in the mode menu and DefWin 3 show it docked
// at the bar's left, under the bar (above it when the bar sits in the lower half of the
// screen); it follows the bar into the tray and back, another mode or the bar's close hides it
// (closing only hides), and it is freed with the bar.
#pragma once

#include <QObject>
#include <QPointer>

#include "app/qt/frm_weather.h"
#include "platform/clock.h"

namespace tobu {

class TFrmLED;

class WeatherBinding : public QObject {
    Q_OBJECT
public:
    // `factory` makes the browser (null: Qt WebEngine); links leave through `openLink`.
    WeatherBinding(TFrmLED& bar, const Clock& clock, WeatherPageFactory factory,
                   std::function<void(const std::string&)> openLink);

    TFrmWeather* FrmWeather() const { return frm_weather_.data(); }
    void ShowWeatherWindow();
    void CloseWeatherWindow();
    bool WeatherVisible() const;

private:
    TFrmWeather* CreateWeatherWindow();

    TFrmLED& bar_;
    const Clock& clock_;
    WeatherPageFactory factory_;
    std::function<void(const std::string&)> open_link_;
    QPointer<TFrmWeather> frm_weather_;
    bool hidden_with_bar_ = false;
};

WeatherBinding* BindWeatherWindow(TFrmLED& bar, const Clock& clock,
                                  WeatherPageFactory factory = MakeWebEnginePage,
                                  std::function<void(const std::string&)> openLink = {});

} // namespace tobu
