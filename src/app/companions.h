// The companion windows under (or above) the bar: the analog clock, the month calendar and
// the weather page. This is where their two numberings meet and where they are placed.
//
// Mode index (menu items, ShowChildWindow, ChildWindowIndex, CHILD Index):
//   0 none, 1 calendar, 2 clock, 3 weather.
// DefWin (BAR DefWin, the start-up choice, the options dialog's list):
//   0 none, 1 clock, 2 calendar, 3 weather; outside 0..3 read as 1.
// Only the functions below convert between them.
#pragma once

#include <optional>

namespace tobu {

// The snapping distance the bar sets (the snapping's own default is 10).
inline constexpr int kBarSnapDistance = 15;

enum class ChildMode { None = 0, Calendar = 1, Clock = 2, Weather = 3 };
enum class DefWinChoice { None = 0, Clock = 1, Calendar = 2, Weather = 3 };

// A mode index outside 0..3 is no mode at all (nothing to show).
std::optional<ChildMode> ChildModeFromIndex(int index);
DefWinChoice DefWinFromValue(int defWin);
ChildMode ModeOfDefWin(int defWin);
int DefWinOfMode(ChildMode mode);

struct CompanionVisibility {
    bool calendar = false;
    bool clock = false;
    bool weather = false;
};

// ChildWindowIndex: the calendar first, then the clock, then the weather.
int ChildWindowIndex(const CompanionVisibility& v);
// The mode the menu ticks when it opens: the clock first, then the calendar, then the weather.
int MenuModeIndex(const CompanionVisibility& v);

struct ScreenBox {
    int width = 0;
    int height = 0;
};
struct BarBox {
    int left = 0;
    int top = 0;
    int height = 0;
};

// Where the clock window is asked to go. `top` is -1 when it goes above the bar; then
// `bottom_anchor` is the bar's top (else -1).
struct ClockRequest {
    int left = 0;
    int top = -1;
    int bottom_anchor = -1;
};

// The requested position of the clock window. With the saved position, CHILD Left (default
// 0, the screen's left edge) is pulled into 0 .. screen width - 100 and CHILD Top (default
// the docking top) is used unless it would put the window entirely off the screen; without
// it, the clock docks at the bar's left.
ClockRequest ClockWindowRequest(const ScreenBox& screen, const BarBox& bar, bool useSaved,
                                std::optional<int> childLeft, std::optional<int> childTop,
                                int windowHeight);
// The top the clock window takes for a request (above the bar: the anchor minus its height).
int ClockWindowTop(const ClockRequest& request, int windowHeight);

struct WindowSpot {
    int left = 0;
    int top = 0;
};
// The calendar and the weather page: at the bar's left, under the bar, or above it when the
// bar sits in the lower half of the screen.
WindowSpot CompanionWindowSpot(const ScreenBox& screen, const BarBox& bar, int windowHeight);

} // namespace tobu
