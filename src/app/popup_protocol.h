// The bar's side of the popup program: finding and starting PopupMsg, waiting for it to
// register, handing it texts and notifications.
//
// The popup program lies in the program folder, is started on the first notification that
// needs it with the bar's handle in decimal as its only argument, and registers its own
// endpoint with 0x4BC (the bar stores that handle; see PopupWnd below). Texts go as
// WM_COPYDATA in GBK with a closing zero byte; 0x4BD carries code 1 (settings saved) or 2 (the
// bar is closing). Every message's first parameter is the bar's handle.
//
// Waiting for the registration lets pending UI events run, so a timer can ask for the popup
// program again meanwhile: such a nested call does not start a second copy, it waits for the
// same registration. The wait ends after kRegisterWaitMs; the notification is then dropped and
// the next one tries again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/date_line.h"
#include "platform/endpoint.h"
#include "platform/messages.h"

namespace tobu {

constexpr int kRegisterWaitMs = 10000;
constexpr const char* kPopupProgramName = "PopupMsg";

// What the protocol needs from the desktop; tests hand in fakes.
class PopupPlatform {
public:
    virtual ~PopupPlatform() = default;
    // The bar's endpoint and the program folder (ending in "/"), asked when needed.
    virtual WindowHandle BarHandle() const = 0;
    virtual std::string ProgramFolder() const = 0;
    // The popup handle the bar holds (set by the registration message), 0 for none.
    virtual WindowHandle RegisteredPopup() const = 0;
    virtual bool IsWindow(WindowHandle handle) = 0;
    // Synchronous send; the receiver's result, or nothing when no window took it.
    virtual std::optional<int64_t> Send(WindowHandle handle, const Message& msg) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // Starts the program detached; false when it could not be started.
    virtual bool StartProgram(const std::string& program, const std::vector<std::string>& args) = 0;
    // Lets pending UI events run, waiting a little for new ones.
    virtual void ProcessMessages() = 0;
    // A monotonic millisecond count for the bounded wait.
    virtual int64_t SteadyMs() = 0;
};

// The WM_COPYDATA payload of a text: its GBK bytes and one zero byte. Texts whose GBK form would
// not fit a message are cut at a character boundary so that they are still delivered.
std::vector<uint8_t> PopupTextPayload(const std::string& utf8);

class PopupProtocol : public PopupTexts {
public:
    explicit PopupProtocol(PopupPlatform& platform) : platform_(platform) {}

    // The popup program runs and has registered; starts it and waits when needed.
    bool PopupMsgReady() override;
    // WM_COPYDATA to the registered popup program.
    void SendPopupText(const std::string& text) override;
    // 0x4BD with `code`, sent even when no popup program is known (it then reaches no window).
    void NotifyPopupMsg(int64_t code);

    // The popup handle in force: the registered one, or 0 while a start waits for a new one.
    WindowHandle PopupWnd() const;
    std::string ProgramPath() const { return platform_.ProgramFolder() + kPopupProgramName; }
    bool Waiting() const { return waiting_; }
    int StartCount() const { return starts_; }

private:
    bool Registered() const;

    PopupPlatform& platform_;
    // The registration that was in force before the last start; it no longer counts.
    std::optional<WindowHandle> discarded_;
    bool waiting_ = false;
    int64_t deadline_ = 0;
    int starts_ = 0;
};

} // namespace tobu
