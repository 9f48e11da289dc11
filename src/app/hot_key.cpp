#include "app/hot_key.h"

#include "base/text.h"

namespace tobu {

std::optional<int> HotKeyModsFromText(const std::string& text) {
    static const struct {
        const char* text;
        int flags;
    } kTable[] = {{"Alt", 1},
                  {"Ctrl", 2},
                  {"Shift", 4},
                  {"Alt + Ctrl", 3},
                  {"Alt + Shift", 5},
                  {"Ctrl + Shift", 6},
                  {"Alt + Ctrl + Shift", 7}};
    for (const auto& row : kTable)
        if (SameText(text, row.text)) return row.flags;
    return std::nullopt;
}

void ClockHotKey::Register(const std::string& modifierText, const std::string& letterText) {
    id_ = 0;
    text1_ = modifierText;
    text2_ = letterText;
    auto mods = HotKeyModsFromText(modifierText);
    if (!mods) return;
    mods_ = *mods;
    if (letterText.empty()) return;
    // Key codes of letters are their capitals: "t" is the T key.
    unsigned char letter = static_cast<unsigned char>(letterText[0]);
    vk_ = letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter;
    int atom = system_.AddAtom("TobuClockDefineHotKey");
    int id = atom - 0xC000;
    if (atom == 0 || id <= 0) return;
    if (!system_.RegisterHotKey(id, mods_, vk_)) {
        system_.DeleteAtom(atom);
        return;
    }
    atom_ = atom;
    id_ = id;
}

void ClockHotKey::Unregister() {
    if (id_ <= 0) return;
    system_.UnregisterHotKey(id_);
    system_.DeleteAtom(atom_);
    id_ = 0;
    atom_ = 0;
}

bool ClockHotKey::Matches(std::int64_t lparam) const {
    if (id_ <= 0) return false;
    int high = static_cast<int>((lparam >> 16) & 0xFFFF);
    int low = static_cast<int>(lparam & 0xFFFF);
    return high == vk_ && low == mods_;
}

} // namespace tobu
