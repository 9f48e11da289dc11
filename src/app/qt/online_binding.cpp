#include "app/qt/online_binding.h"

#include <QAction>
#include <QMetaObject>
#include <cstdlib>
#include <thread>

#include "app/qt/date_line_binding.h"
#include "app/qt/frm_led.h"
#include "app/qt/my_window.h"
#include "faces/qt/aa_fadetext.h"
#include "online/ad_cache.h"
#include "online/http_module.h"
#include "online/qt/online_dialogs.h"
#include "online/server.h"
#include "online/start_page.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_shell.h"

namespace tobu {

namespace {

int FeedDelay(int asked) {
    if (asked >= 0) return asked;
    if (const char* env = std::getenv("TOBU_FEED_DELAY_MS")) {
        char* end = nullptr;
        const long v = std::strtol(env, &end, 10);
        if (end && *end == '\0' && v >= 0 && v <= 86400000) return static_cast<int>(v);
    }
    return 300000;
}

} // namespace

OnlineBinding::OnlineBinding(TFrmLED& bar, const OnlineBindingOptions& options)
    : QObject(&bar), bar_(bar), options_(options), mailbox_(std::make_shared<Mailbox>()) {
    setObjectName("OnlineBinding");
    if (!options_.clock) options_.clock = &SystemClock::Instance();
    if (!options_.shell) {
        own_shell_ = std::make_unique<QtShellOpen>();
        options_.shell = own_shell_.get();
    }
    if (!options_.box) {
        own_box_ = std::make_unique<QtMessageBox>();
        options_.box = own_box_.get();
    }
    if (options_.profilesIni.empty()) options_.profilesIni = DefaultProfilesIni();
    mailbox_->target = this;

    QTimer& timerAD = bar.AnnouncementTimer();
    timerAD.setSingleShot(true);
    timerAD.setInterval(FeedDelay(options.feedDelayMs));
    connect(&timerAD, &QTimer::timeout, this, [this] {
        bar_.AnnouncementTimer().stop();
        CheckAdFeed();
    });
    connect(&bar, &TFrmLED::startUpStep, this, [this](TFrmLED::StartUpStep step) {
        if (step == TFrmLED::StartUpStep::Announcements) LoadAdList();
    });
    connect(&bar, &TFrmLED::unhandledMessage, this, [this](const Message& m) { HandleMessage(m); });
    bar.DateLineControls().text.OnClick = [this] { AAFadeTextDateClick(); };

    for (const char* name : {"PM_HomePage", "PM_Homepage1"})
        if (auto* a = bar.findChild<QAction*>(name))
            connect(a, &QAction::triggered, this, [this] { HomePageClick(); });
    for (const char* name : {"PM_About", "PM_About1"})
        if (auto* a = bar.findChild<QAction*>(name))
            connect(a, &QAction::triggered, this, [this] { ShowAboutBox(); });
    for (const char* name : {"PM_HomePage", "PM_Homepage1", "PM_About", "PM_About1"})
        bar.EnableMenuItem(name);
}

OnlineBinding::~OnlineBinding() {
    // A worker still running finds nobody to report to.
    std::lock_guard<std::mutex> lock(mailbox_->mutex);
    mailbox_->target = nullptr;
}

std::string OnlineBinding::HomePage() const {
    std::optional<std::string> base = ConfiguredServer();
    return base ? HomePageUrl(*base) : "";
}

void OnlineBinding::LoadAdList() {
    EnsureSupFolder(AppDir);
    records_.clear();
    std::optional<std::vector<std::string>> cache = ReadAdCache(AppDir);
    if (!cache) return;
    records_ = tobu::LoadAdList(*cache);
    TAAFadeText& text = bar_.DateLineControls().text;
    std::vector<std::string> lines;
    lines.push_back(text.Lines().Count() > 0 ? text.Lines().Get(0) : std::string());
    for (const TADRec& r : records_) lines.push_back(kFontAdTag + FeedTextToUtf8(r.AdText));
    text.BeginUpdate();
    text.Lines().Assign(lines);
    text.EndUpdate();
}

void OnlineBinding::CheckAdFeed() {
    if (feed_running_) return;
    const FeedHeader cached = CachedHeader(ReadAdCache(AppDir));
    const TDateTime now = options_.clock->Now();
    if (!FeedDue(cached, now)) return;
    std::optional<std::string> base = ConfiguredServer();
    if (!base) return; // an unusable server: the clock stays silent
    FeedFetchOptions o;
    o.app_dir = AppDir;
    o.url = FeedUrl(*base);
    feed_running_ = true;
    // TADThread: frees itself when it ends; the bar never waits for it, not even at exit.
    std::thread([mailbox = mailbox_, make = options_.makeClient, o, version = cached.version, now] {
        std::unique_ptr<HttpClient> client =
            make ? make() : std::make_unique<ModuleHttpClient>(o.app_dir + kHttpModule);
        FeedFetchReport report = DownloadFeed(*client, o, version, now);
        std::lock_guard<std::mutex> lock(mailbox->mutex);
        if (OnlineBinding* target = mailbox->target)
            QMetaObject::invokeMethod(
                target, [target, report] { target->FeedDone(report); }, Qt::QueuedConnection);
    }).detach();
}

void OnlineBinding::FeedDone(const FeedFetchReport& report) {
    feed_running_ = false;
    // WM_AD_UPDATED: the new cache is shown.
    if (report.CacheReplaced()) LoadAdList();
    emit feedChecked(report);
}

void OnlineBinding::AAFadeTextDateClick() {
    const int i = bar_.DateLineControls().text.LineIndex();
    if (i <= 0 || i > static_cast<int>(records_.size())) return;
    const TADRec record = records_[static_cast<size_t>(i - 1)];
    switch (ActionOf(record)) {
    case AdAction::Open:
        OpenAdLink(FeedTextToUtf8(record.AdLink));
        break;
    case AdAction::StartPage:
        OfferStartPage(TrimLink(FeedTextToUtf8(record.AdLink)));
        break;
    default:
        break;
    }
}

void OnlineBinding::OpenAdLink(const std::string& link) {
    // No program chooser on this platform: a failed open ends there.
    if (std::optional<std::string> allowed = AllowedLink(link)) options_.shell->Open(*allowed);
}

void OnlineBinding::OfferStartPage(const std::string& address) {
    OnlineDialogServices s;
    s.openLink = [this](const std::string& l) { OpenAdLink(l); };
    s.skin = [this](QWidget* w, const QString& caption) {
        SkinDialog(bar_.DialogFrame(), w, caption);
    };
    s.run = options_.runDialog;
    const std::string ini = options_.profilesIni;
    tobu::OfferStartPage(
        address, [ini] { return ReadStartPage(ini); },
        [ini](const std::string& a) { return WriteStartPage(a, ini); }, *options_.box, s);
}

void OnlineBinding::ShowAboutBox() {
    OnlineDialogServices s;
    s.openLink = [this](const std::string& l) { OpenAdLink(l); };
    s.skin = [this](QWidget* w, const QString& caption) {
        SkinDialog(bar_.DialogFrame(), w, caption);
    };
    s.run = options_.runDialog;
    ShowAbout(HomePage(), ContactAddress(), AppDir + "Logo.jpg", s);
}

void OnlineBinding::HomePageClick() {
    const std::string home = HomePage();
    if (!home.empty()) OpenAdLink(home);
}

void OnlineBinding::WriteUpgradeHis() {
    tobu::WriteUpgradeHis(AppDir, options_.clock->Now());
}

void OnlineBinding::HandleMessage(const Message& m) {
    switch (m.msg) {
    case kWmUpgradeNotice: {
        const std::string text = UpgradeMessageText({m.data.begin(), m.data.end()});
        if (!UpgradeTextShowsNotice(text)) return;
        if (DateLineBinding* popups = FindDateLineBinding(bar_))
            popups->ShowPopupText(UpgradeNoticeText(HomePage()));
        WriteUpgradeHis();
        return;
    }
    case kWmUpgradeSeen:
        WriteUpgradeHis();
        return;
    case kWmAdUpdated:
        LoadAdList();
        return;
    default:
        return;
    }
}

OnlineBinding* BindOnline(TFrmLED& bar, const OnlineBindingOptions& options) {
    return new OnlineBinding(bar, options);
}

OnlineBinding* FindOnlineBinding(TFrmLED& bar) {
    return bar.findChild<OnlineBinding*>("OnlineBinding", Qt::FindDirectChildrenOnly);
}

} // namespace tobu
