#include "app/popup_protocol.h"

#include "base/text.h"

namespace tobu {

std::optional<WindowHandle> PopupRegistration(const Message& msg) {
    if (msg.msg != kWmPopupRegister || msg.lparam <= 0 || msg.lparam > 0xFFFFFFFFll)
        return std::nullopt;
    return static_cast<WindowHandle>(msg.lparam);
}

std::vector<uint8_t> PopupTextPayload(const std::string& utf8) {
    std::string gbk = Utf8ToGbk(GbkTruncate(utf8, kMaxMessageData - 1));
    std::vector<uint8_t> data(gbk.begin(), gbk.end());
    data.push_back(0);
    return data;
}

WindowHandle PopupProtocol::PopupWnd() const {
    WindowHandle h = platform_.RegisteredPopup();
    if (discarded_ && h == *discarded_) return 0;
    return h;
}

bool PopupProtocol::Registered() const {
    WindowHandle h = PopupWnd();
    return h != 0 && platform_.IsWindow(h);
}

bool PopupProtocol::PopupMsgReady() {
    Settle();
    if (Registered()) {
        Flush();
        return true;
    }
    // A start is under way: the text waits for the same registration.
    if (pending_) return true;
    if (!platform_.FileExists(ProgramPath())) return false;
    // A new registration replaces whatever the bar held before.
    discarded_ = platform_.RegisteredPopup();
    if (!platform_.StartProgram(ProgramPath(), {std::to_string(platform_.BarHandle())})) {
        ReportOnce("TobuClock: " + ProgramPath() + " could not be started");
        return false;
    }
    ++starts_;
    pending_ = true;
    deadline_ = platform_.SteadyMs() + kRegisterWaitMs;
    platform_.PollIn(kRegisterPollMs);
    return true;
}

void PopupProtocol::SendPopupText(const std::string& text) {
    Settle();
    if (pending_ || flushing_) {
        Enqueue(text);
        return;
    }
    if (Registered()) {
        Flush();
        if (queue_.empty() && Deliver(text)) return;
        Enqueue(text);
        return;
    }
    // Nobody asked PopupMsgReady first: the text reaches no window.
    Deliver(text);
}

void PopupProtocol::Poll() {
    if (!pending_) return;
    Settle();
    if (pending_) {
        platform_.PollIn(kRegisterPollMs);
        return;
    }
    if (Registered()) Flush();
}

void PopupProtocol::Settle() {
    if (!pending_) return;
    if (Registered()) {
        pending_ = false;
        discarded_.reset();
        reported_ = false;
        return;
    }
    if (platform_.SteadyMs() < deadline_) return;
    pending_ = false;
    ReportOnce("TobuClock: " + ProgramPath() + " did not register within " +
               std::to_string(kRegisterWaitMs / 1000) + " s; " + std::to_string(queue_.size()) +
               " notification(s) wait for its next start");
}

void PopupProtocol::Enqueue(const std::string& text) {
    if (queue_.size() >= kMaxQueuedTexts) {
        queue_.pop_front();
        if (!dropNoted_)
            platform_.Report("TobuClock: more than " + std::to_string(kMaxQueuedTexts) +
                             " notifications wait for PopupMsg; the oldest are dropped");
        dropNoted_ = true;
    }
    queue_.push_back(text);
}

void PopupProtocol::Flush() {
    // A nested call while texts go out only joins the queue, so the order holds.
    if (flushing_) return;
    flushing_ = true;
    while (!queue_.empty()) {
        std::string text = queue_.front();
        queue_.pop_front();
        if (!Deliver(text)) {
            // The popup program went away: the text waits for the next start.
            queue_.push_front(text);
            break;
        }
    }
    if (queue_.empty()) dropNoted_ = false;
    flushing_ = false;
}

bool PopupProtocol::Deliver(const std::string& text) {
    Message m;
    m.msg = kWmCopyData;
    m.wparam = platform_.BarHandle();
    m.data = PopupTextPayload(text);
    return platform_.Send(PopupWnd(), m).has_value();
}

void PopupProtocol::ReportOnce(const std::string& line) {
    if (reported_) return;
    reported_ = true;
    platform_.Report(line);
}

void PopupProtocol::NotifyPopupMsg(int64_t code) {
    Message m;
    m.msg = kWmPopupNotify;
    m.wparam = platform_.BarHandle();
    m.lparam = code;
    platform_.Send(PopupWnd(), m);
}

} // namespace tobu
