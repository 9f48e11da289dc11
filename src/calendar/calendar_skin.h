// The calendar window's part of a skin package: its background, the caption buttons, the menu
// colours, the text colour, three grid colours and the colour of new marks.
#pragma once

#include <string>

#include "base/bitmap.h"
#include "settings/skin_loaders.h"
#include "settings/skin_package.h"

namespace tobu {

struct CalendarSkin {
    Bitmap32 background; // CALENDAR CalendarBk, 332 × 390 by default
    Bitmap32 year_up;    // BUTTON YearBtnUp: BtnYear and BtnGNG
    Bitmap32 month_up;   // BUTTON MonthBtnUp: BtnMonth
    MenuColors menu;
    TColor font_color = 0x000000;      // the captions and the information lines
    TColor day_back_color = 0xFDF7EA;  // grid colour 2
    TColor week_back_color = 0xFCF1DA; // grid colour 1
    TColor highlight_back_color = 0xE4BA5F;
    TColor mark_color = 0x80FFFF; // given to marks applied from now on
};

// Reads the keys in the window's order, defaults for missing keys. Anything but Applied leaves
// `out` as it was.
SkinLoadResult ApplyCalendarSkin(const OpenedSkin& pkg, CalendarSkin& out);
SkinLoadResult LoadCalendarSkin(const std::string& path, CalendarSkin& out);

} // namespace tobu
