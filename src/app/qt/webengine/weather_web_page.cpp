// The weather page's browser, Qt WebEngine, as a module the clock loads from its program folder
// when the weather window is first shown (MakeWebEnginePage).
#include <QUrl>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "app/qt/frm_weather.h"

namespace tobu {

namespace {

// The page's rules: only our own load and its redirects are shown in the frame.
class GuardedPage : public QWebEnginePage {
public:
    GuardedPage(QWebEngineProfile* profile, QObject* parent,
                std::function<void(const std::string&)> openLink)
        : QWebEnginePage(profile, parent), open_link_(std::move(openLink)) {
        connect(this, &QWebEnginePage::featurePermissionRequested, this,
                [this](const QUrl& origin, QWebEnginePage::Feature feature) {
                    setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
                });
        connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
                [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
        connect(this, &QWebEnginePage::renderProcessTerminated, this,
                [this](RenderProcessTerminationStatus, int) {
                    // A blank frame; the clock runs on.
                    QMetaObject::invokeMethod(
                        this, [this] { setHtml(QString()); }, Qt::QueuedConnection);
                });
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        const QString scheme = url.scheme().toLower();
        const bool web = scheme == "http" || scheme == "https";
        if (type == NavigationTypeTyped || type == NavigationTypeRedirect ||
            type == NavigationTypeReload)
            return web || url.toString() == "about:blank" || url.scheme() == "data";
        if (!isMainFrame) return web; // frames inside the page, from the web only
        // Anything else leaves the page: a web address goes to the link opener.
        if (web && open_link_) open_link_(url.toString().toStdString());
        return false;
    }
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
    QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override {
        return {};
    }

private:
    std::function<void(const std::string&)> open_link_;
};

class WebEngineWeatherPage : public WeatherPage {
public:
    WebEngineWeatherPage(QWidget* parent, std::function<void(const std::string&)> openLink) {
        // A profile of its own that keeps nothing on disk.
        profile_ = new QWebEngineProfile(parent);
        profile_->setHttpUserAgent(QStringLiteral("TobuClock/3.7.5"));
        profile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        QObject::connect(profile_, &QWebEngineProfile::downloadRequested, profile_,
                         [](QWebEngineDownloadRequest* d) { d->cancel(); });
        QWebEngineSettings* s = profile_->settings();
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
        s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
        s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
        s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
        view_ = new QWebEngineView(parent);
        view_->setObjectName("WebBrowser1");
        view_->setPage(new GuardedPage(profile_, view_, std::move(openLink)));
        view_->setContextMenuPolicy(Qt::NoContextMenu);
        view_->setGeometry(0, 0, 341, 113);
        view_->show();
    }
    ~WebEngineWeatherPage() override {
        delete view_;
        delete profile_;
    }
    QWidget* Widget() override { return view_; }
    void Navigate(const std::string& url) override {
        view_->load(QUrl(QString::fromStdString(url)));
    }

private:
    QWebEngineProfile* profile_ = nullptr;
    QWebEngineView* view_ = nullptr;
};

} // namespace

} // namespace tobu

extern "C" __attribute__((visibility("default"))) tobu::WeatherPage*
TobuMakeWeatherPage(QWidget* parent, const std::function<void(const std::string&)>* openLink) {
    return new tobu::WebEngineWeatherPage(parent, openLink ? *openLink : nullptr);
}
