#include "calendar/calendar_skin.h"

namespace tobu {

SkinLoadResult ApplyCalendarSkin(const OpenedSkin& pkg, CalendarSkin& out) {
    const SkinIni& ini = pkg.ini;
    CalendarSkin s;
    try {
        CutSprite(pkg.sheet, s.background,
                  ReadSpriteRect(ini, "CALENDAR", "CalendarBk", {0, 34, 332, 390}));
        CutSprite(pkg.sheet, s.year_up,
                  ReadSpriteRect(ini, "BUTTON", "YearBtnUp", {138, 584, 11, 11}));
        CutSprite(pkg.sheet, s.month_up,
                  ReadSpriteRect(ini, "BUTTON", "MonthBtnUp", {138, 584, 11, 11}));
    } catch (const SkinError& e) {
        return {SkinLoadStatus::Damaged, e.what()};
    }
    auto color = [&](const char* section, const char* key, TColor def) {
        return static_cast<TColor>(ini.ReadInteger(section, key, static_cast<int>(def)));
    };
    s.menu.icon_bar_start = color("MENU", "IconBarColor1", 16113325);
    s.menu.icon_bar_stop = color("MENU", "IconBarColor2", 14989919);
    s.menu.selection_start = color("MENU", "SelectionColor1", 16113325);
    s.menu.selection_stop = color("MENU", "SelectionColor2", 14989919);
    s.menu.selection_frame = color("MENU", "SelectionFrameColor", 12937777);
    s.font_color = color("CALENDAR", "FontColor", 0);
    s.day_back_color = color("CALENDAR", "DayBackColor", 16644074);
    s.week_back_color = color("CALENDAR", "WeekBackColor", 16576986);
    s.highlight_back_color = color("CALENDAR", "HightlightBackColor", 14989919);
    s.mark_color = color("CALENDAR", "MarkColor", 8454143);
    out = std::move(s);
    return {SkinLoadStatus::Applied, {}};
}

SkinLoadResult LoadCalendarSkin(const std::string& path, CalendarSkin& out) {
    OpenedSkin pkg;
    SkinLoadResult r = OpenSkinPackage(path, SkinVersionKey::Skin, pkg);
    if (!r.Applied()) return r;
    return ApplyCalendarSkin(pkg, out);
}

} // namespace tobu
