#include "popupmsg/qt/popup_app.h"

#include <QCoreApplication>
#include <QTime>
#include <chrono>

#include "platform/messages.h"
#include "platform/qt/desktop.h"
#include "platform/qt/qt_endpoint.h"
#include "popupmsg/qt/popup_card.h"

namespace tobu {

PopupApp::Services PopupApp::DesktopServices() {
    Services s;
    s.send = [](WindowHandle h, const Message& m) { return SendMessage(h, m); };
    s.post = [](WindowHandle h, const Message& m) { return PostMessage(h, m); };
    s.isWindow = [](WindowHandle h) { return IsWindow(h); };
    s.workArea = [] { return WorkArea(); };
    s.nowMs = [] {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    };
    s.quit = [] { QCoreApplication::quit(); };
    return s;
}

PopupApp::PopupApp(WindowHandle bar, std::string appDir, Services services)
    : bar_(bar), appDir_(std::move(appDir)), services_(std::move(services)) {
    settings_ = ReadPopupSettings(appDir_);
    expiry_.setInterval(250);
    connect(&expiry_, &QTimer::timeout, this, &PopupApp::CheckExpiry);
    barCheck_.setInterval(1000);
    connect(&barCheck_, &QTimer::timeout, this, &PopupApp::CheckBar);
}

PopupApp::~PopupApp() {
    for (auto& [id, card] : cards_) delete card;
}

bool PopupApp::Start() {
    endpoint_ = new QtEndpoint(this);
    WindowHandle own = endpoint_->Create();
    if (own == 0) return false;
    endpoint_->SetHandler([this](const Message& m) { return HandleMessage(m); });
    return Register(own);
}

bool PopupApp::Register(WindowHandle own) {
    own_ = own;
    Message m;
    m.msg = kWmPopupRegister;
    m.lparam = own;
    if (!services_.send(bar_, m)) return false;
    barCheck_.start();
    expiry_.start();
    return true;
}

int64_t PopupApp::HandleMessage(const Message& msg) {
    switch (msg.msg) {
    case kWmCopyData:
        ShowText(DecodePopupText(msg.data));
        return 1;
    case kWmPopupNotify:
        if (msg.lparam == kPopupSettingsSaved) {
            settings_ = ReadPopupSettings(appDir_);
            for (auto& [id, card] : cards_) card->setWindowOpacity(settings_.tran / 255.0);
        } else if (msg.lparam == kPopupBarClosing && !quitting_) {
            quitting_ = true;
            // The bar waits for this answer; end after it has been given.
            QTimer::singleShot(0, this, [this] { services_.quit(); });
        }
        return 0;
    default:
        return 0;
    }
}

void PopupApp::ShowText(const std::string& utf8) {
    if (!PopupBoard::HasContent(utf8)) return;
    QString text = QString::fromStdString(utf8);
    int id = board_.Add(utf8, TPopupCard::HeightFor(text), services_.nowMs(), settings_);
    auto* card = new TPopupCard(id, text, QTime::currentTime().toString("H:mm:ss"));
    card->setWindowOpacity(settings_.tran / 255.0);
    connect(card, &TPopupCard::clicked, this, &PopupApp::CloseCard);
    // A card being read does not close; it gets its full time again when the mouse leaves.
    connect(card, &TPopupCard::hovered, this, [this](int cardId, bool inside) {
        if (inside)
            board_.Hold(cardId);
        else
            board_.Release(cardId, services_.nowMs());
    });
    cards_[id] = card;
    Relayout();
    card->show();
    card->raise(); // the newest lies on top
    TellTray();
}

void PopupApp::CloseCard(int id) {
    if (!board_.Close(id)) return;
    auto it = cards_.find(id);
    if (it != cards_.end()) {
        it->second->hide();
        it->second->deleteLater();
        cards_.erase(it);
    }
    Relayout();
    TellTray();
}

void PopupApp::CheckExpiry() {
    std::vector<int> closed = board_.Expire(services_.nowMs());
    if (closed.empty()) return;
    for (int id : closed) {
        auto it = cards_.find(id);
        if (it == cards_.end()) continue;
        it->second->hide();
        it->second->deleteLater();
        cards_.erase(it);
    }
    Relayout();
    TellTray();
}

void PopupApp::CheckBar() {
    if (quitting_ || services_.isWindow(bar_)) return;
    quitting_ = true;
    services_.quit();
}

TPopupCard* PopupApp::Card(int id) const {
    auto it = cards_.find(id);
    return it == cards_.end() ? nullptr : it->second;
}

void PopupApp::Relayout() {
    QRect area = services_.workArea();
    std::vector<PopupRect> places = board_.Layout(
        PopupRect{area.x(), area.y(), area.width(), area.height()}, TPopupCard::kWidth);
    const auto& popups = board_.Popups();
    for (size_t i = 0; i < popups.size(); ++i) {
        TPopupCard* card = Card(popups[i].id);
        if (!card) continue;
        card->setGeometry(places[i].x, places[i].y, places[i].w, places[i].h);
    }
}

void PopupApp::TellTray() {
    if (auto change = board_.TakeTrayChange()) {
        Message m;
        m.msg = *change ? kWmTrayAnimateOn : kWmTrayAnimateOff;
        services_.post(bar_, m);
    }
}

} // namespace tobu
