#include "calendar/calendar_texts.h"

#include "calendar/lunar.h"

namespace tobu {

std::string GetLunarText(TDateTime value) {
    const TLunarDate l = SolarToLunar(value);
    // Outside the engine's range there is no lunar date to name (not "日零零零年月").
    if (l.Day == 0) return {};
    return LunarYearName(l.Year) + LunarMonthName(l.Month, l.IsLeap) + LunarDayName(l.Day) + " " +
           TermNameOf(value);
}

std::string GetGanZhiText(TDateTime value) {
    const TGanZhi g = GetGanZhi(value);
    return GanZhiName(g.YearCycle) + "(" + ZodiacName(g.YearCycle) + ")年" +
           GanZhiName(g.MonthCycle) + "月" + GanZhiName(g.DayCycle) + "日";
}

std::string GetTermText(TDateTime value) {
    if (!(value >= -693593.0 && value < 2958466.0)) return {}; // years 1 .. 9999 only
    return TermNameOf(DateOf(value));
}

} // namespace tobu
