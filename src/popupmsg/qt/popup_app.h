// The popup program: registers its endpoint with the bar, shows each text it receives in a card
// at the bottom-right of the work area (an empty text shows none), closes the cards (after
// AutoSec seconds, counted again from when the mouse leaves a card it rested on, or on a click),
// asks the bar to blink its tray icon while a card waits to be read, reloads the MSG settings on
// code 1 and ends on code 2 or when the bar's endpoint is gone.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QRect>
#include <QTimer>
#include <functional>
#include <map>
#include <string>

#include "platform/endpoint.h"
#include "popupmsg/popup_board.h"

namespace tobu {

class QtEndpoint;
class TPopupCard;

class PopupApp : public QObject {
    Q_OBJECT
public:
    // What the program needs from the desktop; tests replace any of them.
    struct Services {
        std::function<std::optional<int64_t>(WindowHandle, const Message&)> send;
        std::function<bool(WindowHandle, const Message&)> post;
        std::function<bool(WindowHandle)> isWindow;
        std::function<QRect()> workArea;
        std::function<int64_t()> nowMs;
        std::function<void()> quit;
    };
    // The real endpoints, the primary screen's work area, a steady clock, the application's quit.
    static Services DesktopServices();

    PopupApp(WindowHandle bar, std::string appDir, Services services);
    ~PopupApp() override;

    // Reads the settings, creates the endpoint and registers it with the bar (0x4BC). False when
    // either fails; the program then ends.
    bool Start();
    // Registers an endpoint created elsewhere (tests).
    bool Register(WindowHandle own);

    // A message to the program's endpoint; the result goes back to a sender.
    int64_t HandleMessage(const Message& msg);
    void ShowText(const std::string& utf8);
    void CloseCard(int id);
    // The self-closing check (every 250 ms) and the check that the bar still runs (every 1 s).
    void CheckExpiry();
    void CheckBar();

    const PopupBoard& Board() const { return board_; }
    const PopupSettings& Settings() const { return settings_; }
    TPopupCard* Card(int id) const;
    WindowHandle Handle() const { return own_; }

private:
    void Relayout();
    void TellTray();

    WindowHandle bar_;
    std::string appDir_;
    Services services_;
    WindowHandle own_ = 0;
    QtEndpoint* endpoint_ = nullptr;
    PopupSettings settings_;
    PopupBoard board_;
    std::map<int, TPopupCard*> cards_;
    QTimer expiry_, barCheck_;
    bool quitting_ = false;
};

} // namespace tobu
