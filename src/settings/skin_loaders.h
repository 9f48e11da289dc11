// The loaders of skin packages: the bar skin (sections BAR, BUTTON, MENU), the dialog frame
// (section WIN) and the weather window (sections WEATHER, BUTTON, MENU).
//
// Each loader runs the common sequence of skin_package.h and reads its keys in a fixed order,
// cutting each sprite and taking each colour into a plain struct. The window applies the
// struct only when the load returned Applied, so a damaged package never leaves a window half
// reskinned: it keeps its look.
#pragma once

#include <string>
#include <vector>

#include "base/bitmap.h"
#include "settings/skin_package.h"

namespace tobu {

// Gradient and frame colours of the owner-drawn popup menus.
struct MenuColors {
    TColor icon_bar_start = 0xF5DEAD; // IconBarColorStart
    TColor icon_bar_stop = 0xE4BA5F;  // IconBarColorStop
    TColor selection_start = 0xF5DEAD;
    TColor selection_stop = 0xE4BA5F;
    TColor selection_frame = 0xC56A31;
    bool operator==(const MenuColors&) const = default;
};

// The bar's default layout: the LED panel RzPanel2 is 116 × 26.
constexpr int kLedPanelWidth = 116;
constexpr int kLedPanelHeight = 26;

struct BarSkin {
    Bitmap32 background;                // ImageBk (the bar shows its top-left 332 × 34)
    Bitmap32 menu_up;                   // BtnMenu normal
    Bitmap32 menu_hot;                  // BtnMenu under the mouse
    Bitmap32 min_up;                    // BtnMin normal
    Bitmap32 min_hot;                   // BtnMin under the mouse
    TColor led_bk_color = 0x000000;     // LED BGColor
    TColor led_dark_color = 0x373737;   // LED DarkColor (unlit segments)
    TColor led_font_color = 0x00FFFF;   // LED LightColor (lit segments)
    TColor led_border_color = 0xD08130; // RzPanel2 FlatColor
    TColor font_color = 0x000000;       // FontCN colour
    MenuColors menu;                    // takes effect the next time a menu pops up

    // What follows the keys: the panel takes the LED background colour, the LED sits at (1, 1)
    // inside the panel with the panel's size less 2, and FontAD gets FontCN's colour.
    TColor panel_color = 0x000000;
    TRect led_bounds{1, 1, kLedPanelWidth - 1, kLedPanelHeight - 1}; // in panel coordinates
    TColor font_cn_color = 0x000000;
    TColor font_ad_color = 0x000000;
};

struct WinSkin {
    TColor caption_color = 0x000000;
    Bitmap32 frame;     // frame picture, 100 × 50 by default
    Bitmap32 close;     // close button
    Bitmap32 close_hot; // close button under the mouse
};

struct WeatherSkin {
    Bitmap32 background; // Image1, 332 × 160 by default
    Bitmap32 year_up;    // BtnGNG normal picture
    TColor font_color = 0xFFFFFF;
    MenuColors menu;
};

// One key (or four-key sprite rectangle) of a loader, in the order the loader reads them.
struct SkinKeyInfo {
    std::string section;
    std::string key; // a sprite's prefix (e.g. "BarBk"), or the colour key
    bool sprite = false;
    SpriteRect def_rect;
    TColor def_color = 0;
    std::string target;
};

const std::vector<SkinKeyInfo>& BarSkinKeys();
const std::vector<SkinKeyInfo>& WinSkinKeys();
const std::vector<SkinKeyInfo>& WeatherSkinKeys();

// `path` is the package's full path. On Applied `out` holds the new look; otherwise `out` is
// untouched. `panel_width`/`panel_height` are RzPanel2's current size.
SkinLoadResult LoadBarSkin(const std::string& path, BarSkin& out, int panel_width = kLedPanelWidth,
                           int panel_height = kLedPanelHeight);
SkinLoadResult LoadWinSkin(const std::string& path, WinSkin& out);
SkinLoadResult LoadWeatherSkin(const std::string& path, WeatherSkin& out);

// The same on a package already open (tests, the fuzz target, `tobu skin`).
SkinLoadResult ApplyBarSkin(const OpenedSkin& pkg, BarSkin& out, int panel_width = kLedPanelWidth,
                            int panel_height = kLedPanelHeight);
SkinLoadResult ApplyWinSkin(const OpenedSkin& pkg, WinSkin& out);
SkinLoadResult ApplyWeatherSkin(const OpenedSkin& pkg, WeatherSkin& out);

// For the settings load: a Damaged result becomes a SkinError so the steps after the skin are
// skipped as for any error; Missing and WrongVersion are silent.
void ThrowIfDamaged(const SkinLoadResult& r);

} // namespace tobu
