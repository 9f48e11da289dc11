#include "popupmsg/popup_board.h"

#include <algorithm>

#include "base/text.h"
#include "settings/clock_settings.h"
#include "settings/ini_file.h"
#include "settings/settings_keys.h"

namespace tobu {

std::optional<uint32_t> ParseBarHandle(const std::string& argument) {
    std::string s = Trim(argument);
    if (s.empty() || s.size() > 10) return std::nullopt;
    uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v == 0 || v > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<uint32_t>(v);
}

std::string DecodePopupText(const std::vector<uint8_t>& data) {
    auto end = std::find(data.begin(), data.end(), uint8_t{0});
    std::string gbk(data.begin(), end);
    std::string text = GbkToUtf8(gbk);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

PopupSettings ReadPopupSettings(const IniFile& ini) {
    // The clock's one reader; the popups keep AutoSec and Tran inside the ranges they can show.
    const MessageOptions msg = ReadClockSettings(ini).msg;
    PopupSettings s;
    s.auto_close = msg.auto_close;
    s.auto_sec = keys::MsgAutoSec.Clamp(msg.stored_auto_sec);
    s.tran = keys::MsgTran.Clamp(msg.tran);
    return s;
}

PopupSettings ReadPopupSettings(const std::string& appDir) {
    return ReadPopupSettings(IniFile(appDir + "skin.ini"));
}

bool PopupBoard::HasContent(const std::string& text) {
    return text.find_first_not_of(" \t\r\n\v\f") != std::string::npos;
}

int PopupBoard::Add(const std::string& text, int height, int64_t nowMs,
                    const PopupSettings& settings) {
    if (!HasContent(text)) return 0;
    Popup p;
    p.id = nextId_++;
    p.text = text;
    p.by_hand = !settings.auto_close;
    p.stay_ms = int64_t{settings.auto_sec} * 1000;
    p.close_at = nowMs + p.stay_ms;
    p.height = std::max(1, height);
    popups_.push_back(std::move(p));
    return popups_.back().id;
}

bool PopupBoard::Close(int id) {
    auto it =
        std::find_if(popups_.begin(), popups_.end(), [id](const Popup& p) { return p.id == id; });
    if (it == popups_.end()) return false;
    popups_.erase(it);
    return true;
}

void PopupBoard::Hold(int id) {
    for (Popup& p : popups_)
        if (p.id == id) p.held = true;
}

void PopupBoard::Release(int id, int64_t nowMs) {
    for (Popup& p : popups_) {
        if (p.id != id || !p.held) continue;
        p.held = false;
        p.close_at = nowMs + p.stay_ms;
    }
}

std::vector<int> PopupBoard::Expire(int64_t nowMs) {
    std::vector<int> closed;
    for (const Popup& p : popups_)
        if (!p.by_hand && !p.held && nowMs >= p.close_at) closed.push_back(p.id);
    for (int id : closed) Close(id);
    return closed;
}

std::vector<PopupRect> PopupBoard::Layout(const PopupRect& area, int width) const {
    std::vector<PopupRect> out(popups_.size());
    const int right = area.x + area.w - kMargin;
    const int bottom = area.y + area.h - kMargin;
    const int top = area.y + kMargin;
    int column = 0;
    int y = bottom; // the lower edge of the next popup
    bool overlap = false;
    for (size_t i = 0; i < popups_.size(); ++i) {
        int h = popups_[i].height;
        if (!overlap && y - h < top && y != bottom) {
            // The column is full: the next one starts at the bottom, to the left.
            ++column;
            y = bottom;
        }
        int x = right - width - column * (width + kGap);
        if (!overlap && x < area.x + kMargin && column > 0) overlap = true;
        if (overlap) {
            // No room left: the newest popups overlap at the corner.
            out[i] = {right - width, std::max(top, bottom - h), width, h};
            continue;
        }
        out[i] = {x, std::max(top, y - h), width, h};
        y -= h + kGap;
    }
    return out;
}

bool PopupBoard::WaitingByHand() const {
    return std::any_of(popups_.begin(), popups_.end(), [](const Popup& p) { return p.by_hand; });
}

std::optional<bool> PopupBoard::TakeTrayChange() {
    bool now = WaitingByHand();
    if (now == trayOn_) return std::nullopt;
    trayOn_ = now;
    return now;
}

} // namespace tobu
