// The global hot key that speaks the time: modifier texts of the settings file, registration
// with the system under the atom "TobuClockDefineHotKey", and the test a hot-key message must
// pass before the bar acts on it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tobu {

// Windows modifier flags: Alt = 1, Ctrl = 2, Shift = 4.
constexpr int kModAlt = 1;
constexpr int kModCtrl = 2;
constexpr int kModShift = 4;

// "Alt", "Ctrl", "Shift", "Alt + Ctrl", "Alt + Shift", "Ctrl + Shift", "Alt + Ctrl + Shift",
// compared ignoring letter case; any other text gives nothing.
std::optional<int> HotKeyModsFromText(const std::string& text);

// What registering needs from the system.
class HotKeySystem {
public:
    virtual ~HotKeySystem() = default;
    virtual int AddAtom(const std::string& name) = 0; // 0 on failure, else 0xC000 and above
    virtual void DeleteAtom(int atom) = 0;
    virtual bool RegisterHotKey(int id, int mods, int vk) = 0;
    virtual void UnregisterHotKey(int id) = 0;
};

class ClockHotKey {
public:
    explicit ClockHotKey(HotKeySystem& system) : system_(system) {}

    // Registers the key; failures are silent and leave Id() at 0. The letter's case does not
    // matter.
    void Register(const std::string& modifierText, const std::string& letterText);
    void Unregister();

    // True when a hot-key message with this second parameter (key code in the high word,
    // modifiers in the low word) is ours.
    bool Matches(std::int64_t lparam) const;

    int Id() const { return id_; }
    int Mods() const { return mods_; }
    int Vk() const { return vk_; }
    const std::string& ModifierText() const { return text1_; }
    const std::string& LetterText() const { return text2_; }

private:
    HotKeySystem& system_;
    int id_ = 0;
    int atom_ = 0;
    int mods_ = 0;
    int vk_ = 0;
    std::string text1_, text2_;
};

} // namespace tobu
