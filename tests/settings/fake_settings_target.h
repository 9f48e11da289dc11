// A SettingsTarget that records every call in order, for tests of the settings load and of
// anything that drives the bar through it.
#pragma once

#include "settings/load_settings.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tobu::testing {

class FakeSettingsTarget : public SettingsTarget {
public:
    // Screen and bar as the bar window would report them.
    int screen_width = 1280;
    int bar_width = 332;
    // When set, the call with this name throws std::runtime_error.
    std::string throw_in;

    std::vector<std::string> calls; // call names in order

    // What the bar's fields hold after the load. Unset fields were never assigned; the rest
    // start at the form's design values.
    std::optional<std::string> skin_path, current_skin, current_clock, dialog_frame;
    std::optional<bool> led_shown;
    std::optional<TimeFont> font;
    std::optional<bool> alarm, half_alarm;
    std::optional<int> alarm_type;
    std::optional<std::string> hot_key1, hot_key2;
    int hot_key_registrations = 0;
    std::optional<bool> auto_check;
    std::optional<int> step_hour;
    std::optional<MessageOptions> messages;
    std::optional<int> left, top, def_win, tr, child_index;
    std::optional<bool> on_top, on_start_hide;
    std::optional<int> alpha;

    void LoadBarSkin(const std::string& path) override {
        Call("LoadBarSkin");
        skin_path = path;
    }
    void SetCurrentSkinFile(const std::string& name) override {
        Call("SetCurrentSkinFile");
        current_skin = name;
    }
    void SetCurrentClockFile(const std::string& name) override {
        Call("SetCurrentClockFile");
        current_clock = name;
    }
    void ShowLed(bool show) override {
        Call("ShowLed");
        led_shown = show;
    }
    void SetTimeFont(const TimeFont& f) override {
        Call("SetTimeFont");
        font = f;
    }
    void LoadDialogFrame(const std::string& path) override {
        Call("LoadDialogFrame");
        dialog_frame = path;
    }
    void SetAlarm(bool a, bool half, int type) override {
        Call("SetAlarm");
        alarm = a;
        half_alarm = half;
        alarm_type = type;
    }
    void RegisterClockHotKey(const std::string& modifiers, const std::string& letter) override {
        Call("RegisterClockHotKey");
        hot_key1 = modifiers;
        hot_key2 = letter;
        ++hot_key_registrations;
    }
    void SetTimeSync(bool a, int hours) override {
        Call("SetTimeSync");
        auto_check = a;
        step_hour = hours;
    }
    void SetMessageOptions(const MessageOptions& m) override {
        Call("SetMessageOptions");
        messages = m;
    }
    int ScreenWidth() override {
        Call("ScreenWidth");
        return screen_width;
    }
    int BarWidth() override {
        Call("BarWidth");
        return bar_width;
    }
    void SetBarLeft(int v) override {
        Call("SetBarLeft");
        left = v;
    }
    void SetBarTop(int v) override {
        Call("SetBarTop");
        top = v;
    }
    void SetOnTop(bool v) override {
        Call("SetOnTop");
        on_top = v;
    }
    void SetOnStartHide(bool v) override {
        Call("SetOnStartHide");
        on_start_hide = v;
    }
    void SetDefWin(int v) override {
        Call("SetDefWin");
        def_win = v;
    }
    void SetTr(int v, std::uint8_t a) override {
        Call("SetTr");
        tr = v;
        alpha = a;
    }
    void SetChildIndex(int v) override {
        Call("SetChildIndex");
        child_index = v;
    }

private:
    void Call(const char* name) {
        calls.emplace_back(name);
        if (throw_in == name) throw std::runtime_error(std::string("failed in ") + name);
    }
};

} // namespace tobu::testing
