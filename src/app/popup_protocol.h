// The bar's side of the popup program: finding and starting PopupMsg, watching for its
// registration, handing it texts and notifications.
//
// The popup program lies in the program folder, is started on the first notification that
// needs it with the bar's handle in decimal as its only argument, and registers its own
// endpoint with 0x4BC (the bar stores that handle; see PopupWnd below). Texts go as
// WM_COPYDATA in GBK with a closing zero byte; 0x4BD carries code 1 (settings saved) or 2 (the
// bar is closing). Every message's first parameter is the bar's handle.
//
// Nothing here waits. A notification that finds no registered popup program starts one and
// queues its text; the caller (the tick among them) goes on at once. The queue is sent, oldest
// first, as soon as the registration is seen: the platform calls Poll() every kRegisterPollMs
// while a start is pending. Another notification meanwhile joins the queue and starts no second
// copy. A start that has not registered after kRegisterWaitMs gives up: that is reported once on
// standard error (until a start succeeds again), the texts stay queued, and the next
// notification starts the program again. The queue keeps the newest kMaxQueuedTexts texts.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/date_line.h"
#include "platform/endpoint.h"
#include "platform/messages.h"

namespace tobu {

constexpr int kRegisterWaitMs = 10000;
constexpr int kRegisterPollMs = 50;
constexpr size_t kMaxQueuedTexts = 64;
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
    // Asks for one call of PopupProtocol::Poll() about `ms` milliseconds from now.
    virtual void PollIn(int ms) = 0;
    // A monotonic millisecond count for the registration deadline.
    virtual int64_t SteadyMs() = 0;
    // One line on standard error.
    virtual void Report(const std::string& line) = 0;
};

// The handle a registration message (kWmPopupRegister) names in its second parameter, when it
// is one (1..4294967295); any other message or value registers nothing.
std::optional<WindowHandle> PopupRegistration(const Message& msg);

// The WM_COPYDATA payload of a text: its GBK bytes and one zero byte. Texts whose GBK form would
// not fit a message are cut at a character boundary so that they are still delivered.
std::vector<uint8_t> PopupTextPayload(const std::string& utf8);

class PopupProtocol : public PopupTexts {
public:
    explicit PopupProtocol(PopupPlatform& platform) : platform_(platform) {}

    // True when the popup program has registered or a start of it is under way (started here
    // when needed, without waiting); false when it is missing or cannot be started.
    bool PopupMsgReady() override;
    // WM_COPYDATA to the registered popup program; queued while a start is pending.
    void SendPopupText(const std::string& text) override;
    // The platform's call while a start is pending: sends the queue once the registration has
    // arrived, gives the start up after its deadline.
    void Poll();
    // 0x4BD with `code`, sent even when no popup program is known (it then reaches no window).
    void NotifyPopupMsg(int64_t code);

    // The popup handle in force: the registered one, or 0 while a start waits for a new one.
    WindowHandle PopupWnd() const;
    std::string ProgramPath() const { return platform_.ProgramFolder() + kPopupProgramName; }
    // A start waits for its registration.
    bool Waiting() const { return pending_; }
    int StartCount() const { return starts_; }
    const std::deque<std::string>& Queue() const { return queue_; }

private:
    bool Registered() const;
    // Ends a pending start whose registration arrived or whose deadline has passed.
    void Settle();
    void Enqueue(const std::string& text);
    // Sends the queued texts while the popup program takes them.
    void Flush();
    bool Deliver(const std::string& text);
    void ReportOnce(const std::string& line);

    PopupPlatform& platform_;
    // The registration that was in force before the last start; it no longer counts.
    std::optional<WindowHandle> discarded_;
    bool pending_ = false;
    int64_t deadline_ = 0;
    int starts_ = 0;
    std::deque<std::string> queue_;
    bool flushing_ = false;
    bool reported_ = false;
    bool dropNoted_ = false;
};

} // namespace tobu
