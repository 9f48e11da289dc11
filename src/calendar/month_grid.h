// The month grid (TLssCalendar) without its window: the selected date and the first cell date,
// the keyboard and mouse selection rules, the layout of the header, the 42 cells and their
// sub-rectangles, and the model of what each cell shows (date, texts, colours, flags). The
// grid's window paints this model; `tobu cal --month` prints it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bitmap.h"
#include "base/datetime.h"
#include "calendar/festival_list.h"

namespace tobu {

class MarkList;

// Colours are 0x00BBGGRR. These stand for the desktop's own colours: window text is black, the
// others are those of the toolkit's default palette.
constexpr std::int32_t kClWindowText = 0x000000;
constexpr std::int32_t kClWindow = 0xFFFFFF;
constexpr std::int32_t kClActiveCaption = 0xC68C30;
constexpr std::int32_t kClInactiveCaptionText = 0x808080;

constexpr std::int32_t kTodayColor = 0x008000;
constexpr std::int32_t kSelectedFrameColor = 0xFF8000;

enum class TLssCalStyle { csBottom, csRight, csNone };

inline TRect Bounds(int x, int y, int w, int h) {
    return {x, y, x + w, y + h};
}
inline bool IsEmpty(const TRect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}
inline bool Contains(const TRect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// A font as the grid uses it: face, size in points (at 96 dots per inch), style and colour.
struct FontSpec {
    std::string name;
    int size = 9;
    bool bold = false;
    bool italic = false;
    std::int32_t color = kClWindowText;
    bool operator==(const FontSpec&) const = default;
};

struct TextSize {
    int cx = 0, cy = 0;
};
// Measures a text (UTF-8) in a font: its width and its line height, in pixels.
using TextMeasure = std::function<TextSize(const FontSpec& font, std::string_view text)>;

// TLssCalColors, by index.
enum CalColorIndex : int {
    kTitleBackColor,
    kWeekBackColor,
    kDayBackColor,
    kTrailingTextColor,
    kLunarTermColor,
    kSundayColor,
    kSaturdayColor,
    kHightlightBackColor,
    kHightlightTextColor,
    kBorderColor,
    kGridColor,
    kArrowColor,
    kCalColorCount
};
enum CalFontIndex : int {
    kTitleTextFont,
    kWeekTextFont,
    kDayTextFont,
    kLunarTextFont,
    kFtvTextFont,
    kBackMonthTextFont,
    kCalFontCount
};

struct TLssCalColors {
    std::array<std::int32_t, kCalColorCount> colors{};
    std::array<FontSpec, kCalFontCount> fonts{};
    TLssCalColors(); // the control's initial colours and fonts
};

// What a cell's band shows.
enum class BandKind { None, Term, GanZhi, Month, Day, Festival };
const char* BandKindName(BandKind kind);

struct GridCell {
    int index = 0;
    TDateTime date = 0;
    int weekday = 0; // 0 Sunday … 6 Saturday
    bool inMonth = false, today = false, selected = false;
    std::string dayText; // "今天" or the day of the month
    std::int32_t dayColor = 0;
    bool dayShadow = false; // days of the displayed month are drawn with shadow
    std::string lunarText;  // term, stem-branch name, month name or day name
    BandKind lunarKind = BandKind::None;
    std::int32_t lunarColor = -1;
    std::string festivals; // the full festival text
    std::string festText;  // cut to the festival text limit
    std::int32_t festColor = -1;
    std::int32_t markColor = -1;
    std::string term;
    // What is drawn: the lunar text in L and the festival text in F (when the two styles are
    // the same area, only one of them).
    bool drawLunar = false, drawFestival = false;
    // The text of the cell's one band in the calendar window's layouts (lunar or festival).
    std::string bandText;
    BandKind bandKind = BandKind::None;
    std::int32_t bandColor = -1;
};

enum class GridKey { PageUp, PageDown, Home, End, Left, Right, Up, Down, Enter };
enum class ArrowZone { None, PrevYear, PrevMonth, NextMonth, NextYear };

// What a date change repaints.
struct GridRepaint {
    enum Kind { TitleAndDays, TwoCells, Title } kind = TitleAndDays;
    TRect oldCell, newCell;
};

// The festival text of a cell cut to `limit` GBK bytes: limit − 2 bytes, one less when an odd
// number of them are below 128, then "…" (never cutting a character).
std::string CutFestivalText(const std::string& text, int limit);
// The largest size from 5 to 1000 at which the text fits w × h; 4 when none does.
int FitFontSize(const TextMeasure& measure, FontSpec font, std::string_view text, int w, int h);

class MonthGrid {
public:
    explicit MonthGrid(TDateTime today);

    // Configuration (the published properties).
    TLssCalColors CalColors;
    TFestivalList FtvList;
    FontSpec Font{"宋体", 9, false, false, kClWindowText}; // the control's font
    bool ChineseEar = false, ShowVertical = false, EnWeekName = false, ShowBackMonth = true;
    bool ShowBackImage = false, ShowArrow = true, ShowBorder = false, ShowGrid = false;
    bool SmoothText = false, ShadowFont = false, AutoFontSize = true, ShowHint = true;

    TLssCalStyle LunarCalStyle() const { return lunar_style_; }
    TLssCalStyle FtvCalStyle() const { return ftv_style_; }
    bool UseISO8601() const { return iso_; }
    double VerticalScale() const { return v_scale_; }
    double HorizonScale() const { return h_scale_; }
    // Setters that change the layout run UpdateLayout with the last size and measure.
    void SetLunarCalStyle(TLssCalStyle s);
    void SetFtvCalStyle(TLssCalStyle s);
    void SetUseISO8601(bool on);
    void SetVerticalScale(double v); // ignored below 0.001 in magnitude or unchanged
    void SetHorizonScale(double v);

    // Selection.
    TDateTime Date() const { return date_; }
    int Year() const;
    int Month() const;
    TDateTime FirstCellDate() const { return first_; }
    // False when the value lies outside 1900..2100 or is the selected date.
    bool SetDate(TDateTime value);
    void SetYear(int year);
    void SetMonth(int month);
    bool SelectCellAt(int x, int y);
    bool SelectCellInMonth(int x, int y);
    TRect CellRect(TDateTime date) const;
    // The date of the cell at a point of the day area (nothing elsewhere).
    std::optional<TDateTime> DateAt(int x, int y) const;
    // Keys without modifiers; true when the key is Enter (the control raises OnClick).
    bool HandleKey(GridKey key);
    ArrowZone ArrowAt(int x, int y) const;
    // A left press: selects a cell, or moves by a year or month in an arrow zone.
    void MouseDown(int x, int y);
    void MouseUp() { user_selecting_ = false; }
    bool UserSelecting() const { return user_selecting_; }

    // Layout.
    void UpdateLayout(int clientWidth, int clientHeight, const TextMeasure& measure);
    int CW() const { return cw_; }
    int CH() const { return ch_; }
    int ClientWidth() const { return width_; }
    int ClientHeight() const { return height_; }
    TRect TitleRect() const { return title_; }
    TRect WeekRect() const { return week_; }
    TRect DayArea() const { return days_; }
    TRect D() const { return d_; }
    TRect L() const { return l_; }
    TRect F() const { return f_; }
    int FestivalLimit() const { return ftv_limit_; }
    TRect ArrowRect(ArrowZone zone) const;

    // The cells as they are drawn, with `today` as today's date.
    GridCell Cell(int index, TDateTime today) const;
    std::array<GridCell, 42> Cells(TDateTime today) const;
    // The column heads, left to right.
    std::array<std::string, 7> WeekHeads() const;

    std::function<void(const GridRepaint&)> OnRepaint;
    std::function<void()> OnChange;
    std::function<void()> OnLayout; // after every UpdateLayout

private:
    void Relayout();
    void ComputeFirst();
    void Repaint(const GridRepaint& r) {
        if (OnRepaint) OnRepaint(r);
    }
    bool SelectUser(TDateTime date);

    TDateTime date_ = 0, first_ = 0;
    TLssCalStyle lunar_style_ = TLssCalStyle::csRight, ftv_style_ = TLssCalStyle::csBottom;
    bool iso_ = false;
    double v_scale_ = 4.0, h_scale_ = 2.5;
    bool user_selecting_ = false;
    int width_ = 0, height_ = 0, cw_ = 0, ch_ = 0;
    TRect title_, week_, days_, d_, l_, f_;
    std::array<TRect, 5> arrows_{};
    int ftv_limit_ = 6;
    TextMeasure measure_;
};

// The calendar window's grid: its stored colours, fonts, lists and switches and the sizes its
// creation sets (festival lists of the window, lunar band at the bottom, no festival band, both
// scales 2.5, hint and arrows off, smooth text with shadow).
void ConfigureWindowGrid(MonthGrid& grid);
// The display modes of the window's "公历-农历" menu by tag: 0 lunar days, 1 stem-branch days,
// 2 festivals.
void SetDisplayMode(MonthGrid& grid, int tag);
const char* DisplayModeCaption(int tag);

// The four information lines of the window for a date ("农历： …", "干支： …", "节日： …",
// "标记： …").
std::array<std::string, 4> InfoLines(TDateTime date, const TFestivalList& festivals,
                                     const MarkList* marks);
// The hover text of a cell (lines joined by LF).
std::string HoverText(TDateTime date, const TFestivalList& festivals, bool iso);
// The years of the year menu: 13 around the selected one, clamped to 1906..2094.
std::array<int, 13> YearMenuYears(int selectedYear);

} // namespace tobu
