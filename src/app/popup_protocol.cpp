#include "app/popup_protocol.h"

#include "base/text.h"

namespace tobu {

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
    if (Registered()) return true;
    if (!waiting_) {
        if (!platform_.FileExists(ProgramPath())) return false;
        // A new registration replaces whatever the bar held before.
        discarded_ = platform_.RegisteredPopup();
        if (!platform_.StartProgram(ProgramPath(), {std::to_string(platform_.BarHandle())}))
            return false;
        ++starts_;
        waiting_ = true;
        deadline_ = platform_.SteadyMs() + kRegisterWaitMs;
        bool ok = false;
        while (!(ok = Registered()) && platform_.SteadyMs() < deadline_)
            platform_.ProcessMessages();
        waiting_ = false;
        if (ok) discarded_.reset();
        return ok;
    }
    // Asked again while a start waits: wait for the same registration, start nothing.
    while (waiting_ && !Registered() && platform_.SteadyMs() < deadline_)
        platform_.ProcessMessages();
    return Registered();
}

void PopupProtocol::SendPopupText(const std::string& text) {
    Message m;
    m.msg = kWmCopyData;
    m.wparam = platform_.BarHandle();
    m.data = PopupTextPayload(text);
    platform_.Send(PopupWnd(), m);
}

void PopupProtocol::NotifyPopupMsg(int64_t code) {
    Message m;
    m.msg = kWmPopupNotify;
    m.wparam = platform_.BarHandle();
    m.lparam = code;
    platform_.Send(PopupWnd(), m);
}

} // namespace tobu
