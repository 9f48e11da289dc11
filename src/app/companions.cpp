#include "app/companions.h"

namespace tobu {

std::optional<ChildMode> ChildModeFromIndex(int index) {
    if (index < 0 || index > 3) return std::nullopt;
    return static_cast<ChildMode>(index);
}

DefWinChoice DefWinFromValue(int defWin) {
    if (defWin < 0 || defWin > 3) return DefWinChoice::Clock;
    return static_cast<DefWinChoice>(defWin);
}

ChildMode ModeOfDefWin(int defWin) {
    switch (DefWinFromValue(defWin)) {
    case DefWinChoice::None:
        return ChildMode::None;
    case DefWinChoice::Clock:
        return ChildMode::Clock;
    case DefWinChoice::Calendar:
        return ChildMode::Calendar;
    case DefWinChoice::Weather:
        return ChildMode::Weather;
    }
    return ChildMode::Clock;
}

int DefWinOfMode(ChildMode mode) {
    switch (mode) {
    case ChildMode::None:
        return static_cast<int>(DefWinChoice::None);
    case ChildMode::Calendar:
        return static_cast<int>(DefWinChoice::Calendar);
    case ChildMode::Clock:
        return static_cast<int>(DefWinChoice::Clock);
    case ChildMode::Weather:
        return static_cast<int>(DefWinChoice::Weather);
    }
    return static_cast<int>(DefWinChoice::Clock);
}

int ChildWindowIndex(const CompanionVisibility& v) {
    if (v.calendar) return static_cast<int>(ChildMode::Calendar);
    if (v.clock) return static_cast<int>(ChildMode::Clock);
    if (v.weather) return static_cast<int>(ChildMode::Weather);
    return static_cast<int>(ChildMode::None);
}

int MenuModeIndex(const CompanionVisibility& v) {
    if (v.clock) return static_cast<int>(ChildMode::Clock);
    if (v.calendar) return static_cast<int>(ChildMode::Calendar);
    if (v.weather) return static_cast<int>(ChildMode::Weather);
    return static_cast<int>(ChildMode::None);
}

namespace {

// The bar sits in the lower half when half the screen height is less than its top.
bool BarInLowerHalf(const ScreenBox& screen, const BarBox& bar) {
    return screen.height / 2 < bar.top;
}

} // namespace

ClockRequest ClockWindowRequest(const ScreenBox& screen, const BarBox& bar, bool useSaved,
                                std::optional<int> childLeft, std::optional<int> childTop,
                                int windowHeight) {
    ClockRequest r;
    if (BarInLowerHalf(screen, bar)) {
        r.top = -1;
        r.bottom_anchor = bar.top;
    } else {
        r.top = bar.top + bar.height;
        r.bottom_anchor = -1;
    }
    if (!useSaved) {
        r.left = bar.left;
        return r;
    }
    // A saved top that puts the window wholly off the screen would lose it; the docking top
    // is used then, as the left is pulled back below.
    if (childTop && *childTop<screen.height&& * childTop + windowHeight> 0) r.top = *childTop;
    r.left = childLeft.value_or(0);
    if (r.left < 0) r.left = 0;
    if (r.left > screen.width - 100) r.left = screen.width - 100;
    return r;
}

int ClockWindowTop(const ClockRequest& request, int windowHeight) {
    if (request.top >= 0 || request.bottom_anchor < 0) return request.top;
    return request.bottom_anchor - windowHeight;
}

WindowSpot CompanionWindowSpot(const ScreenBox& screen, const BarBox& bar, int windowHeight) {
    WindowSpot s;
    s.left = bar.left;
    s.top = BarInLowerHalf(screen, bar) ? bar.top - windowHeight : bar.top + bar.height;
    return s;
}

} // namespace tobu
