// Global hot keys on X11: a key combination grabbed on the root window, so it reaches the
// program whichever window has the focus. Modifier flags: Alt = 1, Ctrl = 2, Shift = 4; keys are
// given by their virtual-key code ('A'..'Z' = 65..90, '0'..'9' = 48..57). Num Lock and Caps Lock
// do not matter. A press emits hotKey(id, (vk << 16) | mods).
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>
#include <vector>

namespace tobu {

class GlobalHotKey : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    enum Modifier : unsigned { Alt = 1, Ctrl = 2, Shift = 4 };

    explicit GlobalHotKey(QObject* parent = nullptr);
    ~GlobalHotKey() override; // releases every grab

    // False, silently, when the id is 0 or taken, the flags or key are not supported, the
    // platform is not X11, or another client holds the combination.
    bool Register(int id, unsigned mods, unsigned vk);
    bool Unregister(int id);
    // True when the platform can grab keys at all (the xcb platform).
    static bool IsAvailable();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void hotKey(int id, qint64 lparam);

private:
    struct Grab {
        int id;
        unsigned mods;
        unsigned vk;
        uint8_t keycode;
        uint16_t xmods;
    };
    void Ungrab(const Grab& grab, int variants);

    std::vector<Grab> grabs_;
    bool filter_installed_ = false;
};

} // namespace tobu
