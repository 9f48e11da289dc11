#include "calendar/cal_json.h"

#include <charconv>
#include <ostream>

#include "base/text.h"
#include "calendar/cal_report.h"
#include "calendar/lunar.h"

namespace tobu {
namespace {

constexpr int kFirstYear = 1900;
constexpr int kYears = 201; // 1900 .. 2100

void AppendJsonString(std::string& out, std::string_view s) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    out += '"';
}

void AppendInt(std::string& out, long long v) {
    char buf[24];
    const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
    out.append(buf, end);
}

void AppendTwo(std::string& out, int v) {
    out += static_cast<char>('0' + v / 10);
    out += static_cast<char>('0' + v % 10);
}

int Mod(long long n, int m) {
    const int r = static_cast<int>(n % m);
    return r < 0 ? r + m : r;
}

// A look-up that found nothing answers empty text and -1.
bool Matched(const TFestival& f) {
    return !f.Name.empty() || f.Color != -1;
}

int IsoWeeksInYear(int year) {
    const int dow = DayOfWeek(EncodeDate(year, 1, 1)); // 1 = Sunday
    return dow == 5 || (dow == 4 && IsLeapYear(year)) ? 53 : 52;
}

// The names, made once by the engine's own functions.
struct Names {
    std::array<std::string, 24> terms;
    std::array<std::string, 60> ganzhi;
    std::array<std::string, 12> zodiac;
    std::array<std::string, 26> months; // 2 * month + leap, months 0 .. 12
    std::array<std::string, 31> days;

    Names() {
        for (int n = 0; n < 24; ++n) terms[static_cast<size_t>(n)] = SolarTermName(n);
        for (int n = 0; n < 60; ++n) ganzhi[static_cast<size_t>(n)] = GanZhiName(n);
        for (int n = 0; n < 12; ++n) zodiac[static_cast<size_t>(n)] = ZodiacName(n);
        for (int m = 0; m <= 12; ++m)
            for (int leap = 0; leap < 2; ++leap)
                months[static_cast<size_t>(2 * m + leap)] = LunarMonthName(m, leap != 0);
        for (int d = 0; d <= 30; ++d) days[static_cast<size_t>(d)] = LunarDayName(d);
    }
};

const Names& TheNames() {
    static const Names names;
    return names;
}

} // namespace

// What the dates of one Gregorian year share.
struct CalJsonWriter::Year {
    std::array<TDateTime, 24> termMoment{}; // GetTermDate of each term
    std::array<TDateTime, 24> termDay{};    // and its day
    TDateTime jan1 = 0;
    int jan1Weekday = 0;  // 1 = Sunday
    int jan1IsoWeek = 0;  // the ISO week of 1 January
    int isoWeeks = 0;     // ISO weeks in the year
    int isoWeeksPrev = 0; // and in the year before
};

CalJsonWriter::CalJsonWriter(const TFestivalList& festivals)
    : festivals_(festivals), years_(kYears), lunarYearNames_(kYears) {}

CalJsonWriter::~CalJsonWriter() = default;

const CalJsonWriter::Year& CalJsonWriter::YearFacts(int year) {
    std::unique_ptr<Year>& slot = years_[static_cast<size_t>(year - kFirstYear)];
    if (slot) return *slot;
    slot = std::make_unique<Year>();
    Year& y = *slot;
    for (int n = 0; n < 24; ++n) {
        y.termMoment[static_cast<size_t>(n)] = GetTermDate(year, n);
        y.termDay[static_cast<size_t>(n)] = DateOf(y.termMoment[static_cast<size_t>(n)]);
    }
    y.jan1 = EncodeDate(year, 1, 1);
    y.jan1Weekday = DayOfWeek(y.jan1);
    y.jan1IsoWeek = WeekNumber(y.jan1, true);
    y.isoWeeks = IsoWeeksInYear(year);
    y.isoWeeksPrev = IsoWeeksInYear(year - 1);
    return y;
}

const TFestival& CalJsonWriter::Solar(const DateParts& d, TDateTime day) {
    auto& slot = solar_[static_cast<size_t>((d.month - 1) * 31 + d.day - 1)];
    if (!slot) slot = festivals_.GetSolarFestival(day);
    return *slot;
}

const TFestival& CalJsonWriter::Lunar(int month, int day) {
    auto& slot = lunar_[static_cast<size_t>(month * 31 + day)];
    if (!slot) slot = festivals_.GetLunarFestival(TLunarDate{0, month, day, false});
    return *slot;
}

const TFestival& CalJsonWriter::Week(const DateParts& d, int weekday, TDateTime day) {
    // The week festival of a day depends on its month, weekday and place in the month counted
    // from the start and from the end.
    const int fromStart = (d.day - 1) / 7;
    const int fromEnd = (DaysInMonth(d.year, d.month) - d.day) / 7;
    auto& slot =
        week_[static_cast<size_t>(((d.month - 1) * 5 + fromStart) * 35 + fromEnd * 7 + weekday)];
    if (!slot) slot = festivals_.GetWeekFestival(day);
    return *slot;
}

void CalJsonWriter::AppendLine(std::string& out, TDateTime value) {
    if (!(value >= kCalFirstDate && value < kCalLastDate + 1)) {
        out += CalJson(value, festivals_);
        out += '\n';
        return;
    }
    const Names& names = TheNames();
    const DateParts dp = DecodeDate(value);
    const TimeParts tp = DecodeTime(value);
    const TDateTime day = DateOf(value);
    const Year& year = YearFacts(dp.year);
    const int weekday = DayOfWeek(day); // 1 = Sunday
    const TLunarDate l = SolarToLunar(value);
    const TLunarDate next = SolarToLunar(day + 1);

    // Terms: the one of the value itself and the one of its day.
    const size_t even = static_cast<size_t>(2 * dp.month - 2);
    auto termOf = [&](TDateTime v) -> const std::string* {
        if (v == year.termDay[even]) return &names.terms[even];
        if (v == year.termDay[even + 1]) return &names.terms[even + 1];
        return nullptr;
    };
    const std::string* term = termOf(value);
    const std::string* dayTerm = termOf(day);

    // Stem-branch numbers: the year changes at the moment of 立春, the month on the day of its
    // 节.
    const int y = dp.year - 1900;
    int yearCycle = y + 36;
    if (dp.month == 1 || (dp.month == 2 && value < year.termMoment[even])) yearCycle = y + 35;
    int monthCycle = y * 12 + dp.month + 11;
    if (year.termDay[even] <= value) monthCycle = y * 12 + dp.month + 12;
    yearCycle = Mod(yearCycle, 60);
    monthCycle = Mod(monthCycle, 60);
    const int dayCycle = Mod(static_cast<long long>(day) - 2 + 10, 60);

    // Festivals: the month-eve festival, the lunar, the Gregorian and the week festival.
    TFestival f;
    if (l.Month != next.Month) {
        const TFestival& eve = Lunar(next.Month, 0);
        if (Matched(eve)) f = eve;
    }
    auto add = [&f](const TFestival& more) {
        if (!Matched(more)) return;
        f.Name = Trim(f.Name + " " + more.Name);
        if (f.Color == -1) f.Color = more.Color;
    };
    add(Lunar(l.Month, l.Day));
    add(Solar(dp, day));
    add(Week(dp, weekday - 1, day));

    // Week numbers: ISO 8601, and with weeks starting on Sunday.
    const int isoWeekday = Mod(weekday - 2, 7) + 1; // 1 = Monday
    const int dayOfYear = static_cast<int>(day - year.jan1) + 1;
    int isoWeek = (dayOfYear - isoWeekday + 10) / 7;
    if (isoWeek < 1)
        isoWeek = year.isoWeeksPrev;
    else if (isoWeek > year.isoWeeks)
        isoWeek = 1;
    int week = isoWeek;
    const bool sunday = weekday == 1;
    if (isoWeek > 50 && dp.month == 1) {
        week = sunday && dp.day != 1 ? 2 : 1;
    } else {
        if (year.jan1IsoWeek > 50 && year.jan1Weekday != 1) ++week;
        if (week == 1 && dp.month == 12)
            week = year.isoWeeks + 1;
        else if (sunday)
            ++week;
    }

    std::string& lunarYear = lunarYearNames_[static_cast<size_t>(l.Year - kFirstYear)];
    if (lunarYear.empty()) lunarYear = LunarYearName(l.Year);

    out += "{\"date\":\"";
    AppendInt(out, dp.year);
    out += '-';
    AppendTwo(out, dp.month);
    out += '-';
    AppendTwo(out, dp.day);
    out += 'T';
    AppendTwo(out, tp.hour);
    out += ':';
    AppendTwo(out, tp.minute);
    out += ':';
    AppendTwo(out, tp.second);
    out += "\",\"lunar\":{\"year\":";
    AppendInt(out, l.Year);
    out += ",\"month\":";
    AppendInt(out, l.Month);
    out += ",\"day\":";
    AppendInt(out, l.Day);
    out += l.IsLeap ? ",\"leap\":true}" : ",\"leap\":false}";
    out += ",\"lunarText\":\"";
    out += lunarYear;
    out += names.months[static_cast<size_t>(2 * l.Month + (l.IsLeap ? 1 : 0))];
    out += names.days[static_cast<size_t>(l.Day)];
    out += ' ';
    if (term) out += *term;
    out += "\",\"ganzhi\":{\"year\":";
    AppendInt(out, yearCycle);
    out += ",\"month\":";
    AppendInt(out, monthCycle);
    out += ",\"day\":";
    AppendInt(out, dayCycle);
    out += "},\"ganzhiText\":\"";
    out += names.ganzhi[static_cast<size_t>(yearCycle)];
    out += '(';
    out += names.zodiac[static_cast<size_t>(yearCycle % 12)];
    out += ")年";
    out += names.ganzhi[static_cast<size_t>(monthCycle)];
    out += "月";
    out += names.ganzhi[static_cast<size_t>(dayCycle)];
    out += "日\",\"term\":\"";
    if (term) out += *term;
    out += "\",\"termText\":\"";
    if (dayTerm) out += *dayTerm;
    out += "\",\"festivals\":";
    AppendJsonString(out, f.Name);
    out += ",\"festivalColor\":";
    AppendInt(out, f.Color);
    out += ",\"week\":";
    AppendInt(out, week);
    out += ",\"isoWeek\":";
    AppendInt(out, isoWeek);
    out += "}\n";
}

int CalJsonLines(const std::vector<std::string>& dates, const TFestivalList& festivals,
                 std::ostream& out, std::ostream& err) {
    constexpr size_t kBlock = 64 * 1024;
    CalJsonWriter writer(festivals);
    std::string block;
    block.reserve(kBlock + 1024);
    auto flush = [&] {
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
        block.clear();
    };
    int status = 0;
    for (const std::string& arg : dates) {
        TDateTime value = 0;
        switch (ParseCalDate(arg, value)) {
        case CalDateError::None:
            writer.AppendLine(block, value);
            if (block.size() >= kBlock) flush();
            break;
        case CalDateError::NotADate:
            err << "tobu cal: not a date: '" << arg
                << "' (expected YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS])\n";
            status = 1;
            break;
        case CalDateError::OutOfRange:
            err << "tobu cal: outside the calendar's range 1900-01-31 to 2100-12-31: '" << arg
                << "'\n";
            status = 1;
            break;
        }
    }
    flush();
    out.flush();
    return status;
}

} // namespace tobu
