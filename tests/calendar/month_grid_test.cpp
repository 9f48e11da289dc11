#include "calendar/month_grid.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "calendar/calendar_hint.h"
#include "calendar/marks.h"

namespace tobu {
namespace {

TDateTime D(int y, int m, int d) {
    return EncodeDate(y, m, d);
}

// A monospaced stand-in for the fonts: each GBK byte half the pixel size wide.
TextSize Mono(const FontSpec& font, std::string_view text) {
    const int px = (font.size * 4 + 1) / 3;
    return {static_cast<int>(GbkByteCount(text)) * px / 2, px};
}

MonthGrid WindowGrid(TDateTime date) {
    MonthGrid g(date);
    ConfigureWindowGrid(g);
    g.UpdateLayout(326, 272, Mono);
    return g;
}

TEST(MonthGridDates, FirstCellAlwaysShowsThePreviousMonth) {
    MonthGrid g(D(2024, 9, 15)); // 2024-09-01 is a Sunday
    EXPECT_EQ(g.FirstCellDate(), D(2024, 8, 25));
    g.SetDate(D(2024, 6, 5)); // a Saturday
    EXPECT_EQ(g.FirstCellDate(), D(2024, 5, 26));
    g.SetUseISO8601(true);
    g.SetDate(D(2024, 7, 9)); // 2024-07-01 is a Monday
    EXPECT_EQ(g.FirstCellDate(), D(2024, 6, 24));
    g.SetDate(D(2024, 9, 9)); // Sunday the first: six days before
    EXPECT_EQ(g.FirstCellDate(), D(2024, 8, 26));
    EXPECT_EQ(g.WeekHeads()[0], "星期一");
    EXPECT_EQ(g.WeekHeads()[6], "星期日");
}

TEST(MonthGridDates, SetDateYearMonthAndKeysAtTheEnds) {
    MonthGrid g(D(2100, 12, 31));
    int changes = 0;
    g.OnChange = [&] { ++changes; };
    g.HandleKey(GridKey::Right);
    EXPECT_EQ(g.Date(), D(2100, 12, 31));
    EXPECT_FALSE(g.SetDate(D(1899, 12, 31)));
    EXPECT_FALSE(g.SetDate(D(2100, 12, 31) + 0.5)); // the same date
    EXPECT_EQ(changes, 0);
    g.SetYear(1899);
    EXPECT_EQ(g.Date(), D(1900, 12, 31));
    g.SetDate(D(2024, 2, 29));
    g.SetYear(2023);
    EXPECT_EQ(g.Date(), D(2023, 2, 28));
    g.SetDate(D(2024, 1, 31));
    g.SetMonth(0);
    EXPECT_EQ(g.Date(), D(2024, 1, 31));
    g.SetMonth(13);
    EXPECT_EQ(g.Date(), D(2024, 12, 31));
    g.SetMonth(4);
    EXPECT_EQ(g.Date(), D(2024, 4, 30));
    for (auto [y, feb] : {std::pair{2024, 29}, std::pair{2023, 28}}) {
        g.SetDate(D(y, 3, 31));
        g.HandleKey(GridKey::PageUp);
        EXPECT_EQ(g.Date(), D(y, 2, feb));
    }
    g.HandleKey(GridKey::End);
    EXPECT_EQ(g.Date(), D(2023, 2, 28));
    g.HandleKey(GridKey::Home);
    g.HandleKey(GridKey::Up);
    EXPECT_EQ(g.Date(), D(2023, 1, 25));
    EXPECT_TRUE(g.HandleKey(GridKey::Enter));
    EXPECT_EQ(changes, 12); // End on the 28th and unchanged months changed nothing
}

TEST(MonthGridDates, RepaintsTwoCellsForASelectionInsideTheMonth) {
    MonthGrid g = WindowGrid(D(2024, 5, 15));
    std::vector<GridRepaint> seen;
    g.OnRepaint = [&](const GridRepaint& r) { seen.push_back(r); };
    const TRect old = g.CellRect(D(2024, 5, 15));
    EXPECT_TRUE(g.SelectCellAt(46 * 2 + 5, 38 * 4 + 5)); // row 3, column 2
    EXPECT_EQ(g.Date(), D(2024, 5, 21));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].kind, GridRepaint::TwoCells);
    EXPECT_EQ(seen[0].oldCell, old);
    EXPECT_EQ(seen[0].newCell, Bounds(92, 152, 46, 38));
    g.MouseUp();
    // A right click on another month's day selects nothing.
    EXPECT_FALSE(g.SelectCellInMonth(5, 40));
    EXPECT_EQ(g.Date(), D(2024, 5, 21));
    EXPECT_FALSE(g.SelectCellInMonth(5, 10)); // the week header
    g.SetMonth(6);
    EXPECT_EQ(seen.back().kind, GridRepaint::TitleAndDays);
}

TEST(MonthGridLayout, WindowGridAndOtherStylePairs) {
    MonthGrid g = WindowGrid(D(2024, 5, 15));
    EXPECT_EQ(g.CW(), 46);
    EXPECT_EQ(g.CH(), 38);
    EXPECT_EQ(g.D(), Bounds(0, 0, 46, 23));
    EXPECT_EQ(g.L(), Bounds(0, 23, 46, 15));
    EXPECT_TRUE(IsEmpty(g.F()));
    EXPECT_EQ(g.WeekRect(), Bounds(0, 0, 326, 38));
    EXPECT_EQ(g.DayArea(), Bounds(0, 38, 326, 234));
    EXPECT_EQ(g.FestivalLimit(), 6);
    // hw = 46 / 2.5 = 18.4 -> 18.
    g.SetLunarCalStyle(TLssCalStyle::csRight);
    g.SetFtvCalStyle(TLssCalStyle::csBottom);
    EXPECT_EQ(g.D(), Bounds(0, 0, 28, 23));
    EXPECT_EQ(g.L(), Bounds(28, 0, 18, 23));
    EXPECT_EQ(g.F(), Bounds(0, 23, 46, 15));
    g.SetLunarCalStyle(TLssCalStyle::csBottom);
    g.SetFtvCalStyle(TLssCalStyle::csRight);
    EXPECT_EQ(g.F(), Bounds(28, 0, 18, 23));
    g.SetLunarCalStyle(TLssCalStyle::csRight);
    g.SetFtvCalStyle(TLssCalStyle::csRight);
    EXPECT_EQ(g.D(), Bounds(0, 0, 28, 38));
    EXPECT_EQ(g.F(), g.L());
    g.SetLunarCalStyle(TLssCalStyle::csNone);
    g.SetFtvCalStyle(TLssCalStyle::csNone);
    EXPECT_EQ(g.D(), Bounds(0, 0, 46, 38));
    // Scales near zero or unchanged are ignored.
    g.SetVerticalScale(0.0001);
    EXPECT_EQ(g.VerticalScale(), 2.5);
    // The festival band of the festival mode: four 11-pixel characters fit 46 pixels.
    SetDisplayMode(g, 2);
    EXPECT_EQ(g.F(), Bounds(0, 23, 46, 15));
    EXPECT_EQ(g.FestivalLimit(), 8);
    // A band narrower than four characters keeps the limit at 6.
    g.UpdateLayout(250, 272, Mono);
    EXPECT_EQ(g.FestivalLimit(), 6);
}

TEST(MonthGridLayout, FestivalCutFitAndArrowZones) {
    EXPECT_EQ(CutFestivalText("国际劳动节", 6), "国际…");
    EXPECT_EQ(CutFestivalText("国际劳动节", 8), "国际劳…");
    EXPECT_EQ(CutFestivalText("国际劳动", 8), "国际劳动");
    EXPECT_EQ(CutFestivalText("A国际劳动节", 8), "A国际…"); // odd count below 128: 5 bytes
    EXPECT_EQ(CutFestivalText("AB国际劳动节", 8), "AB国际…");
    const FontSpec f{"x", 9};
    EXPECT_EQ(FitFontSize(Mono, f, "九九九", 33, 11), 8);
    EXPECT_EQ(FitFontSize(Mono, f, "九九九", 3, 3), 4);
    MonthGrid g(D(2024, 5, 15));
    g.UpdateLayout(326, 272, Mono);
    // Zones straddle the top edge: the title band has no height.
    const TRect py = g.ArrowRect(ArrowZone::PrevYear);
    EXPECT_LT(py.top, 0);
    EXPECT_EQ(py.left, 5);
    EXPECT_EQ(g.ArrowRect(ArrowZone::NextYear).right, 321);
    EXPECT_EQ(g.ArrowRect(ArrowZone::PrevMonth).left, py.right + 1);
    g.MouseDown(py.left, py.bottom - 1);
    EXPECT_EQ(g.Date(), D(2023, 5, 15));
    g.MouseDown(g.ArrowRect(ArrowZone::NextMonth).left, 0);
    EXPECT_EQ(g.Date(), D(2023, 6, 15));
}

TEST(MonthGridCells, WholeMonthsInTheThreeModes) {
    MonthGrid g = WindowGrid(D(2023, 3, 22));
    auto cells = g.Cells(D(2023, 3, 10));
    // 2023-03-01 is a Wednesday: the grid starts on Sunday 26 February.
    EXPECT_EQ(cells[0].date, D(2023, 2, 26));
    EXPECT_FALSE(cells[0].inMonth);
    EXPECT_EQ(cells[0].dayColor, 0xC8C8C8);
    EXPECT_EQ(cells[0].lunarColor, 0xC8C8C8);
    EXPECT_EQ(cells[3].dayColor, 0x313131);
    EXPECT_EQ(cells[7].dayColor, 255);  // Sunday
    EXPECT_EQ(cells[13].dayColor, 255); // Saturday
    const GridCell today = cells[12];
    EXPECT_EQ(today.date, D(2023, 3, 10));
    EXPECT_EQ(today.dayText, "今天");
    EXPECT_EQ(today.dayColor, 0x008000);
    const GridCell leap = g.Cell(static_cast<int>(D(2023, 3, 22) - cells[0].date), 0);
    EXPECT_TRUE(leap.selected);
    EXPECT_EQ(leap.bandText, "闰二月");
    EXPECT_EQ(leap.bandKind, BandKind::Month);
    const GridCell term = g.Cell(static_cast<int>(D(2023, 3, 21) - cells[0].date), 0);
    EXPECT_EQ(term.bandText, "春分");
    EXPECT_EQ(term.bandColor, 255);
    EXPECT_EQ(g.Cell(4, 0).bandText, "十一"); // 2023-03-02: lunar 02-11

    SetDisplayMode(g, 1);
    EXPECT_EQ(g.Cell(static_cast<int>(D(2023, 3, 21) - cells[0].date), 0).bandText, "春分");
    const GridCell gz = g.Cell(4, 0);
    EXPECT_EQ(gz.bandKind, BandKind::GanZhi);
    EXPECT_EQ(gz.bandColor, 0);
    EXPECT_EQ(gz.bandText.size(), 6u);

    SetDisplayMode(g, 2);
    const GridCell women = g.Cell(static_cast<int>(D(2023, 3, 8) - cells[0].date), 0);
    EXPECT_EQ(women.bandKind, BandKind::Festival);
    EXPECT_EQ(women.bandText, "国际妇…");
    EXPECT_EQ(women.bandColor, 0);
    EXPECT_EQ(g.Cell(4, 0).bandKind, BandKind::None);

    // 1900-01: no lunar dates before the 31st.
    MonthGrid old = WindowGrid(D(1900, 1, 15));
    for (const GridCell& c : old.Cells(0)) {
        if (c.date < D(1900, 1, 31)) {
            EXPECT_EQ(c.bandText, "") << FormatDateTime("yyyy-mm-dd", c.date);
        }
    }
    EXPECT_EQ(old.Cell(static_cast<int>(D(1900, 1, 31) - old.FirstCellDate()), 0).bandText, "正月");
    // Both styles at the bottom: the festival wins where there is one.
    MonthGrid both(D(2024, 10, 1));
    both.SetLunarCalStyle(TLssCalStyle::csBottom);
    both.UpdateLayout(326, 272, Mono);
    EXPECT_EQ(both.Cell(static_cast<int>(D(2024, 10, 1) - both.FirstCellDate()), 0).bandKind,
              BandKind::Festival);
    for (const GridCell& c : both.Cells(0))
        EXPECT_EQ(c.bandKind == BandKind::Festival, !c.festivals.empty());
}

TEST(CalendarTexts, InformationLinesYearMenuAndHints) {
    const TFestivalList f = MakeGridFestivalList();
    const MarkList marks = MarkList::FromBytes(Utf8ToGbk("00210=mark\r\n10101=春\r\n"));
    auto lines = InfoLines(D(2024, 2, 10), f, &marks);
    EXPECT_EQ(lines[0], "农历： 二零二四年正月初一");
    EXPECT_EQ(lines[1], "干支： 甲辰(龙)年丙寅月甲辰日");
    EXPECT_EQ(lines[2].rfind("节日： 春节", 0), 0u);
    EXPECT_EQ(lines[3], "标记： mark  *春");
    EXPECT_EQ(InfoLines(D(2024, 2, 4), f, nullptr)[0], "农历： 二零二三年腊月廿五 (立春)");
    EXPECT_EQ(InfoLines(D(2023, 3, 22), f, nullptr)[0], "农历： 二零二三年闰二月初一");
    // No lunar date: no lunar text (and no garbage).
    EXPECT_EQ(InfoLines(D(1900, 1, 10), f, nullptr)[0], "农历： ");

    EXPECT_EQ(YearMenuYears(1900)[0], 1900);
    EXPECT_EQ(YearMenuYears(1900)[12], 1912);
    EXPECT_EQ(YearMenuYears(2024)[0], 2018);
    EXPECT_EQ(YearMenuYears(2024)[12], 2030);
    EXPECT_EQ(YearMenuYears(2100)[0], 2088);

    const std::string hover = HoverText(D(2023, 3, 22), f, false);
    EXPECT_EQ(hover.substr(0, hover.find('\n')), "公元= 2023年3月22日 星期三  第12周");
    EXPECT_NE(hover.find("\n农历= 二零二三年闰二月初一\n干支= "), std::string::npos);
    for (TDateTime d : {D(2023, 3, 22), D(2023, 3, 2)})
        EXPECT_EQ(HoverText(d, f, false).find("\n节日= ") == std::string::npos,
                  GetFestivals(f, d).Name.empty());
    EXPECT_NE(HoverText(D(2024, 10, 1), f, true).find("\n节日= 国庆节"), std::string::npos);

    const HintLayout h = MeasureHint("公元= 2024\r\n\r\n农历 = 正月\nplain", Mono, {"x", 9});
    ASSERT_EQ(h.values.size(), 3u);
    EXPECT_EQ(h.labels[0], "公元:");
    EXPECT_EQ(h.labels[1], "农历:");
    EXPECT_EQ(h.labels[2], "");
    EXPECT_EQ(h.values[1], " 正月");
    EXPECT_EQ(h.labelWidth, 5 * 6);  // "农历:" 5 bytes at 12 px
    EXPECT_EQ(h.width, 11 * 6 + 10); // the widest line
    EXPECT_EQ(h.height, 12 * 3 + 10);
    const HintLayout arrow = MeasureHint("上一年", Mono, {"x", 9});
    EXPECT_TRUE(arrow.labels.empty());
    EXPECT_FALSE(MeasureHint("", Mono, {"x", 9}).Visible());
    const TRect screen{0, 0, 1280, 768};
    EXPECT_EQ(PlaceHint(100, 200, 50, 40, screen).x, 116);
    EXPECT_EQ(PlaceHint(100, 200, 50, 40, screen).y, 216);
    EXPECT_EQ(PlaceHint(1270, 760, 50, 40, screen).x, 1230);
    EXPECT_EQ(PlaceHint(1270, 760, 50, 40, screen).y, 728);
}

} // namespace
} // namespace tobu
