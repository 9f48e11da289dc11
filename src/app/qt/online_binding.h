// Connects the online extras to the bar: the announcement list on the date line (LoadAdList at
// start-up and after a new cache), the one feed check when TimerAD fires (CheckAdFeed, with the
// download on a worker thread that the bar never waits for), the date line's click
// (AAFadeTextDateClick, OpenAdLink, the start-page offer), the upgrade messages 0x401-0x403 on
// the bar's endpoint, and the menu items "主页" and "关于".
//
//     BindOnline(frm);   // after BindDateLineAndPopups, before FormCreate
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "online/ad_fetch.h"
#include "online/feed.h"
#include "platform/clock.h"
#include "platform/endpoint.h"

class QDialog;

namespace tobu {

class TFrmLED;
class ShellOpen;
class MessageBox;
class HttpClient;

struct OnlineBindingOptions {
    const Clock* clock = nullptr; // null: the system clock
    ShellOpen* shell = nullptr;   // null: the desktop's default handlers
    MessageBox* box = nullptr;    // null: real message boxes
    // The worker's client (called on the worker thread); null: libcurl.
    std::function<std::unique_ptr<HttpClient>()> makeClient;
    // Modal dialogs; null: exec.
    std::function<int(QDialog&)> runDialog;
    std::string profilesIni; // "": the user's Firefox profiles.ini
    int feedDelayMs = -1;    // TimerAD; < 0: $TOBU_FEED_DELAY_MS, else 300000
};

class OnlineBinding : public QObject {
    Q_OBJECT
public:
    OnlineBinding(TFrmLED& bar, const OnlineBindingOptions& options);
    ~OnlineBinding() override;

    void LoadAdList();
    void CheckAdFeed();
    void AAFadeTextDateClick();
    // Opens an allowed link (the link rule); anything else is dropped silently.
    void OpenAdLink(const std::string& link);
    void WriteUpgradeHis();
    void ShowAboutBox();
    void HomePageClick();
    // The start-page offer of a kind-3 announcement.
    void OfferStartPage(const std::string& address);

    const std::vector<TADRec>& Records() const { return records_; }
    bool FeedRunning() const { return feed_running_; }

signals:
    // The worker's report, on the user-interface thread.
    void feedChecked(const tobu::FeedFetchReport& report);

private:
    void HandleMessage(const Message& message);
    void FeedDone(const FeedFetchReport& report);
    std::string HomePage() const;

    struct Mailbox {
        std::mutex mutex;
        OnlineBinding* target = nullptr;
    };

    TFrmLED& bar_;
    OnlineBindingOptions options_;
    std::unique_ptr<ShellOpen> own_shell_;
    std::unique_ptr<MessageBox> own_box_;
    std::shared_ptr<Mailbox> mailbox_;
    std::vector<TADRec> records_;
    bool feed_running_ = false;
};

OnlineBinding* BindOnline(TFrmLED& bar, const OnlineBindingOptions& options = {});
OnlineBinding* FindOnlineBinding(TFrmLED& bar);

} // namespace tobu
