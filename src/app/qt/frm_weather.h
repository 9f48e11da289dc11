// The weather window TFrmWeather: a companion of the bar showing the weather page of the maker's
// server in a skinned frame. It lives from its first use to the end of the program; closing it
// only hides it (after fading out). The browser is created when the window is first shown:
// creation asks for the page and remembers the day, a show asks again only on another day,
// "刷新..." always asks.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "online/weather_loads.h"

class QAction;
class QLabel;
class QMenu;

namespace tobu {

class Clock;
class TBitmapButton;
class TFormShadow;
class WindowMover;
struct MenuColors;

// The browser in the page frame.
class WeatherPage {
public:
    virtual ~WeatherPage() = default;
    virtual QWidget* Widget() = 0;
    virtual void Navigate(const std::string& url) = 0;
};
// Makes the browser inside `parent` (341 × 113); a link elsewhere goes to `openLink`. Null when
// no browser can run here (the frame stays empty).
using WeatherPageFactory = std::function<std::unique_ptr<WeatherPage>(
    QWidget* parent, std::function<void(const std::string&)> openLink)>;

class TFrmWeather : public QWidget {
    Q_OBJECT
public:
    // `pageUrl`: nothing for an unusable server (no request is ever made).
    TFrmWeather(const Clock& clock, std::optional<std::string> pageUrl, WeatherPageFactory factory,
                std::function<void(const std::string&)> openLink, bool shadows = true);
    ~TFrmWeather() override;

    // Load page: remember today, ask the browser for the page.
    void LoadPage();
    // Reload skin: the weather sections of the package (a missing or damaged one keeps the
    // look); also the options dialog's skin apply.
    void ReloadSkin(const std::string& skinPath);
    // Set opacity 0..255, then the shadow (the options dialog's transparency slider).
    void SetOpacity(int value);
    // The close routine of the bar's CloseChildWindows: alpha 255, shadow, pending events, close.
    void CloseWeather();
    void SetMenuLook(const MenuColors& colors);

    QMenu* PopupMenu1() const { return PopupMenu1_; }
    QMenu* PopupMenu2() const { return PopupMenu2_; }
    WindowMover* Mover() const { return mover_; }
    TFormShadow* Shadow() const { return shadow_; }
    WeatherPage* Page() const { return page_.get(); }
    const QImage& Background() const { return background_; }

signals:
    void showChildWindowRequested(int mode_index); // "切换到": 2 clock, 1 calendar
    void worldTimeRequested();                     // "城市时间查询"

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildMenus();
    void SetBackground(const QImage& picture);
    void OpenMenu2();
    void Navigate();

    WeatherLoads loads_;
    std::optional<std::string> url_;
    WeatherPageFactory factory_;
    std::function<void(const std::string&)> open_link_;
    std::unique_ptr<WeatherPage> page_;
    bool page_made_ = false;
    bool pending_ = false;
    QImage background_;
    TFormShadow* shadow_ = nullptr;
    WindowMover* mover_ = nullptr;

    QLabel* RzLabel3 = nullptr;
    TBitmapButton* BtnGNG = nullptr;
    QWidget* RzPanel1 = nullptr;
    QWidget* BrowserPanel = nullptr;
    QMenu* PopupMenu1_ = nullptr;
    QMenu* PopupMenu2_ = nullptr;
    QAction* PM_CSSJ = nullptr;
    QMenu* PM_QieHuan = nullptr;
    QAction* PM_Clock = nullptr;
    QAction* PM_Calendar = nullptr;
    QAction* PM_Hide = nullptr;
    QAction* PM_Refresh = nullptr;
};

// The Qt WebEngine browser: only the weather page is shown; a navigation elsewhere goes to the
// link opener when http or https and is dropped otherwise; new windows, downloads, file access
// and permission requests are refused; a crashed renderer leaves a blank frame. As root the
// engine runs only with QTWEBENGINE_DISABLE_SANDBOX=1 (else null: the frame stays empty).
// The module holding the engine, in the program folder.
constexpr const char* kWeatherPageModule = "Modules/TobuWeatherPage.so";
std::unique_ptr<WeatherPage> MakeWebEnginePage(QWidget* parent,
                                               std::function<void(const std::string&)> openLink);

} // namespace tobu
