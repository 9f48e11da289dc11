#include "settings/skin_loaders.h"

#include <map>

namespace tobu {

namespace {

SkinKeyInfo Sprite(const char* section, const char* prefix, SpriteRect r, const char* target) {
    return {section, prefix, true, r, 0, target};
}
SkinKeyInfo Color(const char* section, const char* key, TColor def, const char* target) {
    return {section, key, false, {}, def, target};
}

void AddMenuKeys(std::vector<SkinKeyInfo>& v) {
    v.push_back(Color("MENU", "IconBarColor1", 0xF5DEAD, "menu icon bar gradient start"));
    v.push_back(Color("MENU", "IconBarColor2", 0xE4BA5F, "menu icon bar gradient end"));
    v.push_back(Color("MENU", "SelectionColor1", 0xF5DEAD, "menu selection gradient start"));
    v.push_back(Color("MENU", "SelectionColor2", 0xE4BA5F, "menu selection gradient end"));
    v.push_back(Color("MENU", "SelectionFrameColor", 0xC56A31, "menu selection frame"));
}

// Reads the keys of a table in order: sprites are cut, colours taken. The results are keyed by
// the key name so the loaders can move them into their structs.
struct ReadValues {
    std::map<std::string, Bitmap32> sprites;
    std::map<std::string, TColor> colors;
};

SkinLoadResult ReadKeys(const OpenedSkin& pkg, const std::vector<SkinKeyInfo>& keys,
                        ReadValues& out) {
    try {
        for (const auto& k : keys) {
            if (k.sprite) {
                CutSprite(pkg.sheet, out.sprites[k.section + "/" + k.key],
                          ReadSpriteRect(pkg.ini, k.section, k.key, k.def_rect));
            } else {
                out.colors[k.section + "/" + k.key] = static_cast<TColor>(
                    pkg.ini.ReadInteger(k.section, k.key, static_cast<int>(k.def_color)));
            }
        }
    } catch (const SkinError& e) {
        return {SkinLoadStatus::Damaged, e.what()};
    }
    return {SkinLoadStatus::Applied, {}};
}

MenuColors TakeMenu(ReadValues& v) {
    MenuColors m;
    m.icon_bar_start = v.colors["MENU/IconBarColor1"];
    m.icon_bar_stop = v.colors["MENU/IconBarColor2"];
    m.selection_start = v.colors["MENU/SelectionColor1"];
    m.selection_stop = v.colors["MENU/SelectionColor2"];
    m.selection_frame = v.colors["MENU/SelectionFrameColor"];
    return m;
}

template <typename Fn> SkinLoadResult LoadWith(const std::string& path, Fn apply) {
    OpenedSkin pkg;
    SkinLoadResult r = OpenSkinPackage(path, SkinVersionKey::Skin, pkg);
    if (!r.Applied()) return r;
    return apply(pkg);
}

} // namespace

const std::vector<SkinKeyInfo>& BarSkinKeys() {
    static const std::vector<SkinKeyInfo> keys = [] {
        std::vector<SkinKeyInfo> v;
        v.push_back(Sprite("BAR", "BarBk", {0, 0, 332, 34}, "bar background ImageBk"));
        v.push_back(Sprite("BUTTON", "MenuBtnUp", {0, 584, 43, 26}, "BtnMenu normal"));
        v.push_back(Sprite("BUTTON", "MenuBtnHot", {43, 584, 43, 26}, "BtnMenu hot"));
        v.push_back(Sprite("BUTTON", "MinBtnUp", {86, 584, 26, 9}, "BtnMin normal"));
        v.push_back(Sprite("BUTTON", "MinBtnHot", {112, 584, 26, 9}, "BtnMin hot"));
        v.push_back(Color("BAR", "LEDBkColor", 0x000000, "LED background"));
        v.push_back(Color("BAR", "LEDDarkColor", 0x373737, "LED unlit segments"));
        v.push_back(Color("BAR", "LEDFontColor", 0x00FFFF, "LED lit segments"));
        v.push_back(Color("BAR", "LEDBorderColor", 0xD08130, "LED panel border"));
        v.push_back(Color("BAR", "FontColor", 0x000000, "date line text"));
        AddMenuKeys(v);
        return v;
    }();
    return keys;
}

const std::vector<SkinKeyInfo>& WinSkinKeys() {
    static const std::vector<SkinKeyInfo> keys = {
        Sprite("WIN", "Win", {0, 0, 100, 50}, "dialog frame picture"),
        Sprite("WIN", "CloseBtn", {0, 50, 43, 17}, "close button normal"),
        Sprite("WIN", "CloseBtnHot", {43, 50, 43, 17}, "close button hot"),
        Color("WIN", "CaptionColor", 0x000000, "caption text"),
    };
    return keys;
}

const std::vector<SkinKeyInfo>& WeatherSkinKeys() {
    static const std::vector<SkinKeyInfo> keys = [] {
        std::vector<SkinKeyInfo> v;
        v.push_back(Sprite("WEATHER", "WeatherBk", {0, 424, 332, 160}, "weather background"));
        v.push_back(Sprite("BUTTON", "YearBtnUp", {138, 584, 11, 11}, "weather menu button"));
        v.push_back(Color("WEATHER", "FontColor", 0xFFFFFF, "weather title"));
        AddMenuKeys(v);
        return v;
    }();
    return keys;
}

SkinLoadResult ApplyBarSkin(const OpenedSkin& pkg, BarSkin& out, int panel_width,
                            int panel_height) {
    ReadValues v;
    SkinLoadResult r = ReadKeys(pkg, BarSkinKeys(), v);
    if (!r.Applied()) return r;
    BarSkin s;
    s.background = std::move(v.sprites["BAR/BarBk"]);
    s.menu_up = std::move(v.sprites["BUTTON/MenuBtnUp"]);
    s.menu_hot = std::move(v.sprites["BUTTON/MenuBtnHot"]);
    s.min_up = std::move(v.sprites["BUTTON/MinBtnUp"]);
    s.min_hot = std::move(v.sprites["BUTTON/MinBtnHot"]);
    s.led_bk_color = v.colors["BAR/LEDBkColor"];
    s.led_dark_color = v.colors["BAR/LEDDarkColor"];
    s.led_font_color = v.colors["BAR/LEDFontColor"];
    s.led_border_color = v.colors["BAR/LEDBorderColor"];
    s.font_color = v.colors["BAR/FontColor"];
    s.menu = TakeMenu(v);
    s.panel_color = s.led_bk_color;
    s.led_bounds = {1, 1, 1 + panel_width - 2, 1 + panel_height - 2};
    s.font_cn_color = s.font_color;
    s.font_ad_color = s.font_cn_color;
    out = std::move(s);
    return r;
}

SkinLoadResult ApplyWinSkin(const OpenedSkin& pkg, WinSkin& out) {
    ReadValues v;
    SkinLoadResult r = ReadKeys(pkg, WinSkinKeys(), v);
    if (!r.Applied()) return r;
    WinSkin s;
    s.frame = std::move(v.sprites["WIN/Win"]);
    s.close = std::move(v.sprites["WIN/CloseBtn"]);
    s.close_hot = std::move(v.sprites["WIN/CloseBtnHot"]);
    s.caption_color = v.colors["WIN/CaptionColor"];
    out = std::move(s);
    return r;
}

SkinLoadResult ApplyWeatherSkin(const OpenedSkin& pkg, WeatherSkin& out) {
    ReadValues v;
    SkinLoadResult r = ReadKeys(pkg, WeatherSkinKeys(), v);
    if (!r.Applied()) return r;
    WeatherSkin s;
    s.background = std::move(v.sprites["WEATHER/WeatherBk"]);
    s.year_up = std::move(v.sprites["BUTTON/YearBtnUp"]);
    s.font_color = v.colors["WEATHER/FontColor"];
    s.menu = TakeMenu(v);
    out = std::move(s);
    return r;
}

SkinLoadResult LoadBarSkin(const std::string& path, BarSkin& out, int panel_width,
                           int panel_height) {
    return LoadWith(
        path, [&](const OpenedSkin& p) { return ApplyBarSkin(p, out, panel_width, panel_height); });
}

SkinLoadResult LoadWinSkin(const std::string& path, WinSkin& out) {
    return LoadWith(path, [&](const OpenedSkin& p) { return ApplyWinSkin(p, out); });
}

SkinLoadResult LoadWeatherSkin(const std::string& path, WeatherSkin& out) {
    return LoadWith(path, [&](const OpenedSkin& p) { return ApplyWeatherSkin(p, out); });
}

void ThrowIfDamaged(const SkinLoadResult& r) {
    if (r.status == SkinLoadStatus::Damaged) throw SkinError(r.error);
}

} // namespace tobu
