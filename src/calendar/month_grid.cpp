#include "calendar/month_grid.h"

#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "calendar/calendar_texts.h"
#include "calendar/lunar.h"
#include "calendar/marks.h"

namespace tobu {
namespace {

// Rounding to the nearest integer, halves to the even neighbour.
int RoundInt(double v) {
    return static_cast<int>(std::nearbyint(v));
}

TDateTime IncMonth(TDateTime date, int months) {
    const DateParts d = DecodeDate(date);
    int m = d.year * 12 + (d.month - 1) + months;
    const int year = m / 12, month = m % 12 + 1;
    TDateTime r = 0;
    if (!TryEncodeDate(year, month, std::min(d.day, DaysInMonth(year, month)), r)) return date;
    return r;
}

bool InGridRange(TDateTime date) {
    const int y = DecodeDate(date).year;
    return y >= 1900 && y <= 2100;
}

std::string LunarNames(TDateTime date) {
    const TLunarDate l = SolarToLunar(date);
    if (l.Day == 0) return {};
    return LunarYearName(l.Year) + LunarMonthName(l.Month, l.IsLeap) + LunarDayName(l.Day);
}

} // namespace

TLssCalColors::TLssCalColors() {
    colors = {kClActiveCaption, kClWindow, kClWindow, kClInactiveCaptionText,
              0x800000,         0x0000FF,  0x000080,  kClActiveCaption,
              0xFFFFFF,         0x808080,  0xC0C0C0,  0xFFFFFF};
    fonts[kTitleTextFont] = {"Arial Black", 14, true, false, 0xFFFFFF};
    fonts[kWeekTextFont] = {"宋体", 12, false, false, kClActiveCaption};
    fonts[kDayTextFont] = {"Arial Black", 10, true, false, kClWindowText};
    fonts[kLunarTextFont] = {"宋体", 8, false, false, kClWindowText};
    fonts[kFtvTextFont] = {"宋体", 8, false, false, 0x0000FF};
    fonts[kBackMonthTextFont] = {"Times New Roman", 240, true, true, 0xC0C0C0};
}

const char* BandKindName(BandKind kind) {
    switch (kind) {
    case BandKind::Term:
        return "term";
    case BandKind::GanZhi:
        return "ganzhi";
    case BandKind::Month:
        return "month";
    case BandKind::Day:
        return "day";
    case BandKind::Festival:
        return "festival";
    case BandKind::None:
        break;
    }
    return "none";
}

std::string CutFestivalText(const std::string& text, int limit) {
    if (static_cast<int>(GbkByteCount(text)) <= limit) return text;
    const int a = std::max(0, limit - 2);
    const std::string gbk = Utf8ToGbk(text);
    int low = 0;
    for (int i = 0; i < a && i < static_cast<int>(gbk.size()); ++i)
        if (static_cast<unsigned char>(gbk[static_cast<size_t>(i)]) < 128) ++low;
    const int keep = low % 2 == 1 ? a - 1 : a;
    return GbkTruncate(text, static_cast<size_t>(std::max(0, keep))) + "…";
}

int FitFontSize(const TextMeasure& measure, FontSpec font, std::string_view text, int w, int h) {
    auto fits = [&](int size) {
        font.size = size;
        const TextSize s = measure(font, text);
        return s.cx <= w && s.cy <= h;
    };
    if (!fits(5)) return 4;
    int lo = 5, hi = 1000; // fits(lo) holds
    if (fits(hi)) return hi;
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        (fits(mid) ? lo : hi) = mid;
    }
    return lo;
}

MonthGrid::MonthGrid(TDateTime today) : FtvList(nullptr) {
    date_ = DateOf(today);
    ComputeFirst();
}

int MonthGrid::Year() const {
    return DecodeDate(date_).year;
}
int MonthGrid::Month() const {
    return DecodeDate(date_).month;
}

void MonthGrid::ComputeFirst() {
    const DateParts d = DecodeDate(date_);
    const TDateTime f = EncodeDate(d.year, d.month, 1);
    int w = DayOfWeek(f); // 1 Sunday … 7 Saturday
    if (iso_) w = w == 1 ? 7 : w - 1;
    first_ = w == 1 ? f - 7 : f - (w - 1);
}

void MonthGrid::SetLunarCalStyle(TLssCalStyle s) {
    lunar_style_ = s;
    Relayout();
}
void MonthGrid::SetFtvCalStyle(TLssCalStyle s) {
    ftv_style_ = s;
    Relayout();
}
void MonthGrid::SetUseISO8601(bool on) {
    iso_ = on;
    ComputeFirst();
    Repaint({GridRepaint::TitleAndDays, {}, {}});
}
void MonthGrid::SetVerticalScale(double v) {
    if (std::fabs(v) < 0.001 || v == v_scale_) return;
    v_scale_ = v;
    Relayout();
}
void MonthGrid::SetHorizonScale(double v) {
    if (std::fabs(v) < 0.001 || v == h_scale_) return;
    h_scale_ = v;
    Relayout();
}

void MonthGrid::Relayout() {
    if (measure_) UpdateLayout(width_, height_, measure_);
    Repaint({GridRepaint::TitleAndDays, {}, {}});
}

bool MonthGrid::SetDate(TDateTime value) {
    const TDateTime date = DateOf(value);
    if (!InGridRange(date) || date == date_) return false;
    const TRect oldCell = CellRect(date_);
    const TDateTime oldFirst = first_;
    date_ = date;
    ComputeFirst();
    if (first_ != oldFirst)
        Repaint({GridRepaint::TitleAndDays, {}, {}});
    else if (user_selecting_)
        Repaint({GridRepaint::TwoCells, oldCell, CellRect(date_)});
    else if (ChineseEar)
        Repaint({GridRepaint::Title, {}, {}});
    if (OnChange) OnChange();
    return true;
}

void MonthGrid::SetYear(int year) {
    year = std::clamp(year, 1900, 2100);
    const DateParts d = DecodeDate(date_);
    SetDate(EncodeDate(year, d.month, std::min(d.day, DaysInMonth(year, d.month))));
}

void MonthGrid::SetMonth(int month) {
    month = std::clamp(month, 1, 12);
    const DateParts d = DecodeDate(date_);
    SetDate(EncodeDate(d.year, month, std::min(d.day, DaysInMonth(d.year, month))));
}

std::optional<TDateTime> MonthGrid::DateAt(int x, int y) const {
    if (cw_ <= 0 || ch_ <= 0 || !Contains(days_, x, y)) return std::nullopt;
    // The few pixels right of the seventh column and below the sixth row belong to them.
    const int col = std::min(6, (x - days_.left) / cw_);
    const int row = std::min(5, (y - days_.top) / ch_);
    return first_ + col + row * 7;
}

bool MonthGrid::SelectUser(TDateTime date) {
    if (date != date_) user_selecting_ = true;
    SetDate(date);
    return true;
}

bool MonthGrid::SelectCellAt(int x, int y) {
    const std::optional<TDateTime> date = DateAt(x, y);
    if (!date) return false;
    return SelectUser(*date);
}

bool MonthGrid::SelectCellInMonth(int x, int y) {
    const std::optional<TDateTime> date = DateAt(x, y);
    if (!date) return false;
    const DateParts d = DecodeDate(*date), s = DecodeDate(date_);
    if (d.year != s.year || d.month != s.month) return false;
    return SelectUser(*date);
}

TRect MonthGrid::CellRect(TDateTime date) const {
    const int k = static_cast<int>(std::floor(DateOf(date) - first_));
    const int col = ((k % 7) + 7) % 7;
    const int row = (k - col) / 7;
    return Bounds(days_.left + col * cw_, days_.top + row * ch_, cw_, ch_);
}

bool MonthGrid::HandleKey(GridKey key) {
    const DateParts d = DecodeDate(date_);
    TDateTime target = date_;
    switch (key) {
    case GridKey::PageUp:
        target = IncMonth(date_, -1);
        break;
    case GridKey::PageDown:
        target = IncMonth(date_, 1);
        break;
    case GridKey::Home:
        target = EncodeDate(d.year, d.month, 1);
        break;
    case GridKey::End:
        target = EncodeDate(d.year, d.month, DaysInMonth(d.year, d.month));
        break;
    case GridKey::Left:
        target = date_ - 1;
        break;
    case GridKey::Right:
        target = date_ + 1;
        break;
    case GridKey::Up:
        target = date_ - 7;
        break;
    case GridKey::Down:
        target = date_ + 7;
        break;
    case GridKey::Enter:
        return true;
    }
    user_selecting_ = true;
    SetDate(target);
    return false;
}

ArrowZone MonthGrid::ArrowAt(int x, int y) const {
    if (!ShowArrow) return ArrowZone::None;
    for (ArrowZone z :
         {ArrowZone::PrevYear, ArrowZone::PrevMonth, ArrowZone::NextMonth, ArrowZone::NextYear})
        if (Contains(arrows_[static_cast<size_t>(z)], x, y)) return z;
    return ArrowZone::None;
}

TRect MonthGrid::ArrowRect(ArrowZone zone) const {
    return arrows_[static_cast<size_t>(zone)];
}

void MonthGrid::MouseDown(int x, int y) {
    if (Contains(days_, x, y)) {
        SelectCellAt(x, y);
        return;
    }
    switch (ArrowAt(x, y)) {
    case ArrowZone::PrevYear:
        SetDate(IncMonth(date_, -12));
        break;
    case ArrowZone::PrevMonth:
        SetDate(IncMonth(date_, -1));
        break;
    case ArrowZone::NextMonth:
        SetDate(IncMonth(date_, 1));
        break;
    case ArrowZone::NextYear:
        SetDate(IncMonth(date_, 12));
        break;
    case ArrowZone::None:
        break;
    }
}

void MonthGrid::UpdateLayout(int clientWidth, int clientHeight, const TextMeasure& measure) {
    measure_ = measure;
    width_ = clientWidth;
    height_ = clientHeight;
    cw_ = clientWidth / 7;
    ch_ = clientHeight / 7;
    title_ = {0, 0, clientWidth, 0};
    week_ = Bounds(0, 0, clientWidth, ch_);
    days_ = Bounds(0, week_.bottom, clientWidth, clientHeight - week_.bottom);

    const int CW = cw_, CH = ch_;
    const int hw = RoundInt(CW / h_scale_), hh = RoundInt(CH / v_scale_);
    using S = TLssCalStyle;
    const S ls = lunar_style_, fs = ftv_style_;
    TRect d = Bounds(0, 0, CW, CH), l{}, f{};
    if (ls == S::csBottom) {
        d = fs == S::csRight ? Bounds(0, 0, CW - hw, CH - hh) : Bounds(0, 0, CW, CH - hh);
        l = Bounds(0, d.bottom, CW, hh);
        if (fs == S::csBottom) f = l;
        if (fs == S::csRight) f = Bounds(d.right, 0, hw, CH - hh);
    } else if (ls == S::csRight) {
        if (fs == S::csBottom) {
            d = Bounds(0, 0, CW - hw, CH - hh);
            l = Bounds(d.right, 0, hw, CH - hh);
            f = Bounds(0, d.bottom, CW, hh);
        } else {
            d = Bounds(0, 0, CW - hw, CH);
            l = Bounds(d.right, 0, hw, CH);
            if (fs == S::csRight) f = l;
        }
    } else {
        if (fs == S::csBottom) {
            d = Bounds(0, 0, CW, CH - hh);
            f = Bounds(0, d.bottom, CW, hh);
        } else if (fs == S::csRight) {
            d = Bounds(0, 0, CW - hw, CH);
            f = Bounds(d.right, 0, hw, CH);
        }
    }
    d_ = d, l_ = l, f_ = f;

    auto& fonts = CalColors.fonts;
    if (AutoFontSize && measure) {
        FontSpec canvas = Font;
        auto fit = [&](CalFontIndex i, std::string_view text, int w, int h) {
            fonts[i].size = FitFontSize(measure, canvas, text, w, h);
        };
        fit(kBackMonthTextFont, "9", days_.right, RoundInt(days_.Height() * 0.9));
        fit(kTitleTextFont, FormatDateTime("yyyy年mm月", date_), title_.right,
            RoundInt(title_.Height() * 0.8));
        fit(kWeekTextFont, FormatDateTime("ddd", date_), RoundInt(CW * 0.9), CH);
        fit(kDayTextFont, FormatDateTime("dd", date_), d.right, d.bottom);
        if (!IsEmpty(l)) {
            if (ls == S::csRight && ShowVertical)
                fit(kLunarTextFont, "九", l.Width(), l.Height() / 3);
            else
                fit(kLunarTextFont, "九九九", l.Width(), l.Height());
        }
        if (!IsEmpty(f)) {
            if (fs != S::csRight)
                fit(kFtvTextFont, "九九九九九九", f.Width(), f.Height());
            else if (ShowVertical)
                fit(kFtvTextFont, "九", f.Width(), f.Height() / 3);
            else
                fit(kFtvTextFont, "九九九", f.Width(), f.Height());
        }
    }

    ftv_limit_ = 6;
    if (measure && !IsEmpty(f) && !(fs == S::csRight && ShowVertical)) {
        FontSpec canvas = Font;
        canvas.size = fonts[kFtvTextFont].size;
        std::string text = "九九九";
        for (int guard = 0; guard < 4096; ++guard) {
            text += "九";
            const TextSize s = measure(canvas, text);
            if (s.cx > f.Width() || s.cy > f.Height()) break;
        }
        ftv_limit_ = static_cast<int>(GbkByteCount(text)) - 2;
    }

    arrows_ = {};
    if (ShowArrow && measure) {
        FontSpec font = fonts[kTitleTextFont];
        font.size = font.size * 3 / 5;
        const TextSize s = measure(font, "《");
        const int top = (title_.bottom - s.cy) / 2;
        const TRect py = Bounds(title_.left + 5, top, s.cx, s.cy);
        const TRect pm = Bounds(py.right + 1, top, s.cx, s.cy);
        const TRect ny = Bounds(title_.right - 5 - s.cx, top, s.cx, s.cy);
        const TRect nm = Bounds(ny.left - 1 - s.cx, top, s.cx, s.cy);
        arrows_[static_cast<size_t>(ArrowZone::PrevYear)] = py;
        arrows_[static_cast<size_t>(ArrowZone::PrevMonth)] = pm;
        arrows_[static_cast<size_t>(ArrowZone::NextMonth)] = nm;
        arrows_[static_cast<size_t>(ArrowZone::NextYear)] = ny;
    }
    if (OnLayout) OnLayout();
}

GridCell MonthGrid::Cell(int index, TDateTime today) const {
    GridCell c;
    c.index = index;
    c.date = first_ + index;
    const int a = (iso_ ? 1 : 0) + index % 7;
    c.weekday = a % 7;
    const DateParts d = DecodeDate(c.date), s = DecodeDate(date_);
    c.inMonth = d.year == s.year && d.month == s.month;
    c.today = c.date == DateOf(today);
    c.selected = c.date == date_;
    const auto& col = CalColors.colors;
    const auto& fonts = CalColors.fonts;

    if (!c.inMonth)
        c.dayColor = col[kTrailingTextColor];
    else if (a == 0 || a == 7)
        c.dayColor = col[kSundayColor];
    else if (a == 6)
        c.dayColor = col[kSaturdayColor];
    else
        c.dayColor = fonts[kDayTextFont].color;
    c.dayText = c.today ? "今天" : std::to_string(d.day);
    if (c.today) c.dayColor = kTodayColor;
    c.dayShadow = c.inMonth;

    c.markColor = GetMarkColor(FtvList, c.date);
    c.term = TermNameOf(c.date);

    // The lunar text: term, else the stem-branch day, else the month or the day name; nothing
    // for a date without a lunar date.
    const TLunarDate l = SolarToLunar(c.date);
    if (l.Day != 0 && !c.term.empty()) {
        c.lunarText = c.term;
        c.lunarKind = BandKind::Term;
        c.lunarColor = col[kLunarTermColor];
    } else if (l.Day != 0 && ChineseEar) {
        c.lunarText = GanZhiName(GetGanZhi(c.date).DayCycle);
        c.lunarKind = BandKind::GanZhi;
    } else if (l.Day != 0) {
        if (l.Day == 1) {
            c.lunarText = LunarMonthName(l.Month, l.IsLeap);
            c.lunarKind = BandKind::Month;
        } else {
            c.lunarText = LunarDayName(l.Day);
            c.lunarKind = BandKind::Day;
        }
    }
    if (c.lunarKind != BandKind::None && c.lunarKind != BandKind::Term)
        c.lunarColor = fonts[kLunarTextFont].color;
    if (!c.inMonth && c.lunarKind != BandKind::None) c.lunarColor = col[kTrailingTextColor];

    const TFestival f = GetFestivals(FtvList, c.date);
    c.festivals = f.Name;
    if (!f.Name.empty()) {
        c.festText = CutFestivalText(f.Name, ftv_limit_);
        c.festColor = !c.inMonth     ? col[kTrailingTextColor]
                      : f.Color >= 0 ? f.Color
                                     : fonts[kFtvTextFont].color;
    }

    if (IsEmpty(f_) || lunar_style_ != ftv_style_) {
        c.drawLunar = !IsEmpty(l_) && !c.lunarText.empty();
        c.drawFestival = !IsEmpty(f_) && !c.festText.empty();
    } else if (!c.festText.empty()) {
        c.drawFestival = true;
    } else {
        c.drawLunar = !c.lunarText.empty();
    }
    if (c.drawLunar) {
        c.bandText = c.lunarText;
        c.bandKind = c.lunarKind;
        c.bandColor = c.lunarColor;
    } else if (c.drawFestival) {
        c.bandText = c.festText;
        c.bandKind = BandKind::Festival;
        c.bandColor = c.festColor;
    }
    return c;
}

std::array<GridCell, 42> MonthGrid::Cells(TDateTime today) const {
    std::array<GridCell, 42> cells;
    for (int i = 0; i < 42; ++i) cells[static_cast<size_t>(i)] = Cell(i, today);
    return cells;
}

std::array<std::string, 7> MonthGrid::WeekHeads() const {
    std::array<std::string, 7> heads;
    for (int i = 0; i < 7; ++i) {
        const int a = i + (iso_ ? 1 : 0);
        heads[static_cast<size_t>(i)] =
            EnWeekName ? EnglishWeekName(a % 7, false) : ChineseWeekName(a);
    }
    return heads;
}

void ConfigureWindowGrid(MonthGrid& grid) {
    auto& c = grid.CalColors.colors;
    c[kTitleBackColor] = 0x808000;
    c[kWeekBackColor] = 0xFFFFFF;
    c[kDayBackColor] = 0xFFFFFF;
    c[kTrailingTextColor] = 0xC8C8C8;
    c[kLunarTermColor] = 0x0000FF;
    c[kSaturdayColor] = 0x0000FF;
    c[kHightlightBackColor] = 0xE4BA5F;
    auto& f = grid.CalColors.fonts;
    // Sizes in points; the creation of the window sets the day, lunar, festival and week fonts.
    f[kTitleTextFont] = {"楷体_GB2312", 4, false, false, 0xFF00FF};
    f[kWeekTextFont] = {"宋体", 10, false, false, kClActiveCaption};
    f[kDayTextFont] = {"Arial", 16, true, false, 0x313131};
    f[kLunarTextFont] = {"宋体", 8, false, false, kClWindowText};
    f[kFtvTextFont] = {"宋体", 8, false, false, 0x008000};
    f[kBackMonthTextFont] = {"Times New Roman", 158, true, true, 0xE6E6E6};
    grid.FtvList = MakeGridFestivalList();
    grid.Font = {"宋体", 9, true, false, kClWindowText};
    grid.ShowHint = false;
    grid.ShowArrow = false;
    grid.AutoFontSize = false;
    grid.SmoothText = true;
    grid.ShadowFont = true;
    grid.SetLunarCalStyle(TLssCalStyle::csBottom);
    grid.SetFtvCalStyle(TLssCalStyle::csNone);
    grid.SetVerticalScale(2.5);
    grid.SetHorizonScale(2.5);
}

void SetDisplayMode(MonthGrid& grid, int tag) {
    if (tag == 0 || tag == 1) {
        grid.ChineseEar = tag == 1;
        grid.SetFtvCalStyle(TLssCalStyle::csNone);
        grid.SetLunarCalStyle(TLssCalStyle::csBottom);
    } else if (tag == 2) {
        grid.SetLunarCalStyle(TLssCalStyle::csNone);
        grid.SetFtvCalStyle(TLssCalStyle::csBottom);
    }
}

const char* DisplayModeCaption(int tag) {
    return tag == 1 ? "公历-干支" : tag == 2 ? "公历-节日" : "公历-农历";
}

std::array<std::string, 4> InfoLines(TDateTime date, const TFestivalList& festivals,
                                     const MarkList* marks) {
    std::array<std::string, 4> lines;
    const std::string term = TermNameOf(date);
    lines[0] = "农历： " + LunarNames(date) + (term.empty() ? "" : " (" + term + ")");
    lines[1] = "干支： " + GetGanZhiText(date);
    lines[2] = "节日： " + GetFestivals(festivals, date).Name;
    lines[3] = "标记： " + (marks ? GetDayMarksText(*marks, date) : std::string());
    return lines;
}

std::string HoverText(TDateTime date, const TFestivalList& festivals, bool iso) {
    std::string text = "公元= " + FormatDateTime("yyyy年m月d日 dddd", date) + "  第" +
                       std::to_string(WeekNumber(date, iso)) + "周\n农历= " + LunarNames(date) +
                       "\n干支= " + GetGanZhiText(date);
    const std::string f = GetFestivals(festivals, date).Name;
    if (!f.empty()) text += "\n节日= " + f;
    return text;
}

std::array<int, 13> YearMenuYears(int selectedYear) {
    const int y = std::clamp(selectedYear, 1906, 2094);
    std::array<int, 13> years{};
    for (int k = 0; k < 13; ++k) years[static_cast<size_t>(k)] = y - 6 + k;
    return years;
}

} // namespace tobu
