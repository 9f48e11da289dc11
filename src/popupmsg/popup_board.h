// The logic of the popup program: its command line, the texts it receives, its settings and the
// board of open popups (where each sits, when each closes, whether the tray should blink).
//
// Popups stack upwards from the bottom-right corner of the work area, the newest on top of the
// stack; when a column is full the next column starts to its left, and when no column is left
// the newest popups overlap at the corner. A popup opened while Auto is on closes AutoSec
// seconds later; otherwise it waits to be read and closes on a click. A popup held (the mouse
// rests on it) does not close by itself; once released it stays another full AutoSec. While at
// least one popup waits to be read by hand the bar's tray icon blinks. A text with nothing to
// read (empty, or only blanks and line breaks) opens no popup.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tobu {

class IniFile;

// The bar's handle from the command line: one decimal number 1..4294967295.
std::optional<uint32_t> ParseBarHandle(const std::string& argument);

// A WM_COPYDATA payload as UTF-8: the GBK bytes up to the first zero byte, CR LF and lone CR
// turned into "\n".
std::string DecodePopupText(const std::vector<uint8_t>& data);

struct PopupSettings {
    bool auto_close = true;
    int auto_sec = 5; // 5..3600
    int tran = 200;   // 55..255
    bool operator==(const PopupSettings&) const = default;
};

// MSG Auto, AutoSec and Tran; values outside their ranges are brought inside.
PopupSettings ReadPopupSettings(const IniFile& ini);
PopupSettings ReadPopupSettings(const std::string& appDir); // appDir + "skin.ini"

struct PopupRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const PopupRect&) const = default;
};

class PopupBoard {
public:
    struct Popup {
        int id = 0;
        std::string text;
        bool by_hand = false; // closes on a click only
        int64_t close_at = 0; // ms, when !by_hand and !held
        int64_t stay_ms = 0;  // AutoSec when it opened
        bool held = false;
        int height = 0;
    };

    static constexpr int kMargin = 10; // from the work area's edges
    static constexpr int kGap = 8;     // between popups

    // Whether a text has anything to read.
    static bool HasContent(const std::string& text);
    // Opens a popup of the given height at `nowMs`; returns its id, 0 (and opens nothing) for a
    // text without content.
    int Add(const std::string& text, int height, int64_t nowMs, const PopupSettings& settings);
    // False when there is no such popup.
    bool Close(int id);
    // The mouse entered a popup: it stays while held. Left: its full time starts again.
    void Hold(int id);
    void Release(int id, int64_t nowMs);
    // Closes the popups whose time has come; returns their ids.
    std::vector<int> Expire(int64_t nowMs);

    // Positions for popups `width` wide in `workArea`, in the order of Popups().
    std::vector<PopupRect> Layout(const PopupRect& workArea, int width) const;

    const std::vector<Popup>& Popups() const { return popups_; } // oldest first
    bool WaitingByHand() const;
    // A change of WaitingByHand since the last call: true = start blinking, false = stop.
    std::optional<bool> TakeTrayChange();

private:
    std::vector<Popup> popups_;
    int nextId_ = 1;
    bool trayOn_ = false;
};

} // namespace tobu
