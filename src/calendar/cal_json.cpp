#include "calendar/cal_json.h"

#include <charconv>
#include <cstring>
#include <ostream>

#include "base/text.h"
#include "calendar/cal_report.h"
#include "calendar/lunar.h"

namespace tobu {
namespace {

constexpr int kFirstYear = 1900;
constexpr int kYears = 201; // 1900 .. 2100

// A line under construction in a buffer large enough for every part but the festival names.
class LineBuffer {
public:
    void Put(std::string_view s) {
        std::memcpy(p_, s.data(), s.size());
        p_ += s.size();
    }
    void Put(char c) { *p_++ = c; }
    void Int(long long v) { p_ = std::to_chars(p_, end_, v).ptr; }
    void Two(int v) {
        *p_++ = static_cast<char>('0' + v / 10);
        *p_++ = static_cast<char>('0' + v % 10);
    }
    // Moves what was put to `out`.
    void MoveTo(std::string& out) {
        out.append(buf_, static_cast<size_t>(p_ - buf_));
        p_ = buf_;
    }

private:
    char buf_[768];
    char* p_ = buf_;
    char* end_ = buf_ + sizeof buf_;
};

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
    std::array<std::string, kYears> years; // lunar years from 1900

    Names() {
        for (int n = 0; n < 24; ++n) terms[static_cast<size_t>(n)] = SolarTermName(n);
        for (int n = 0; n < 60; ++n) ganzhi[static_cast<size_t>(n)] = GanZhiName(n);
        for (int n = 0; n < 12; ++n) zodiac[static_cast<size_t>(n)] = ZodiacName(n);
        for (int m = 0; m <= 12; ++m)
            for (int leap = 0; leap < 2; ++leap)
                months[static_cast<size_t>(2 * m + leap)] = LunarMonthName(m, leap != 0);
        for (int d = 0; d <= 30; ++d) days[static_cast<size_t>(d)] = LunarDayName(d);
        for (int y = 0; y < kYears; ++y)
            years[static_cast<size_t>(y)] = LunarYearName(kFirstYear + y);
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
    : festivals_(festivals), years_(kYears) {
    found_.emplace_back(); // the answer of no festival
    solar_.fill(-1);
    lunar_.fill(-1);
    week_.fill(-1);
}

CalJsonWriter::~CalJsonWriter() = default;

const TFestival& CalJsonWriter::Remembered(std::int16_t& slot, const TFestival& looked_up) {
    if (!Matched(looked_up)) {
        slot = 0;
    } else {
        slot = static_cast<std::int16_t>(found_.size());
        found_.push_back(looked_up);
    }
    return found_[static_cast<size_t>(slot)];
}

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
    std::int16_t& slot = solar_[static_cast<size_t>((d.month - 1) * 31 + d.day - 1)];
    if (slot >= 0) return found_[static_cast<size_t>(slot)];
    return Remembered(slot, festivals_.GetSolarFestival(day));
}

const TFestival& CalJsonWriter::Lunar(int month, int day) {
    std::int16_t& slot = lunar_[static_cast<size_t>(month * 31 + day)];
    if (slot >= 0) return found_[static_cast<size_t>(slot)];
    return Remembered(slot, festivals_.GetLunarFestival(TLunarDate{0, month, day, false}));
}

const TFestival& CalJsonWriter::Week(const DateParts& d, int weekday, TDateTime day) {
    // The week festival of a day depends on its month, weekday and place in the month counted
    // from the start and from the end.
    const int fromStart = (d.day - 1) / 7;
    const int fromEnd = (DaysInMonth(d.year, d.month) - d.day) / 7;
    std::int16_t& slot =
        week_[static_cast<size_t>(((d.month - 1) * 5 + fromStart) * 35 + fromEnd * 7 + weekday)];
    if (slot >= 0) return found_[static_cast<size_t>(slot)];
    return Remembered(slot, festivals_.GetWeekFestival(day));
}

void CalJsonWriter::AppendLine(std::string& out, TDateTime value) {
    if (!(value >= kCalFirstDate && value < kCalLastDate + 1)) {
        out += CalJson(value, festivals_);
        out += '\n';
        return;
    }
    const Names& names = TheNames();
    const DateParts dp = DecodeDate(value);
    const TDateTime day = DateOf(value);
    const TimeParts tp = value == day ? TimeParts{} : DecodeTime(value);
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

    LineBuffer b;
    b.Put("{\"date\":\"");
    b.Int(dp.year);
    b.Put('-');
    b.Two(dp.month);
    b.Put('-');
    b.Two(dp.day);
    b.Put('T');
    b.Two(tp.hour);
    b.Put(':');
    b.Two(tp.minute);
    b.Put(':');
    b.Two(tp.second);
    b.Put("\",\"lunar\":{\"year\":");
    b.Int(l.Year);
    b.Put(",\"month\":");
    b.Int(l.Month);
    b.Put(",\"day\":");
    b.Int(l.Day);
    b.Put(l.IsLeap ? ",\"leap\":true}" : ",\"leap\":false}");
    b.Put(",\"lunarText\":\"");
    b.Put(names.years[static_cast<size_t>(l.Year - kFirstYear)]);
    b.Put(names.months[static_cast<size_t>(2 * l.Month + (l.IsLeap ? 1 : 0))]);
    b.Put(names.days[static_cast<size_t>(l.Day)]);
    b.Put(' ');
    if (term) b.Put(*term);
    b.Put("\",\"ganzhi\":{\"year\":");
    b.Int(yearCycle);
    b.Put(",\"month\":");
    b.Int(monthCycle);
    b.Put(",\"day\":");
    b.Int(dayCycle);
    b.Put("},\"ganzhiText\":\"");
    b.Put(names.ganzhi[static_cast<size_t>(yearCycle)]);
    b.Put('(');
    b.Put(names.zodiac[static_cast<size_t>(yearCycle % 12)]);
    b.Put(")年");
    b.Put(names.ganzhi[static_cast<size_t>(monthCycle)]);
    b.Put("月");
    b.Put(names.ganzhi[static_cast<size_t>(dayCycle)]);
    b.Put("日\",\"term\":\"");
    if (term) b.Put(*term);
    b.Put("\",\"termText\":\"");
    if (dayTerm) b.Put(*dayTerm);
    b.Put("\",\"festivals\":");
    if (f.Name.empty()) {
        b.Put("\"\"");
    } else {
        b.MoveTo(out);
        AppendJsonString(out, f.Name);
    }
    b.Put(",\"festivalColor\":");
    b.Int(f.Color);
    b.Put(",\"week\":");
    b.Int(week);
    b.Put(",\"isoWeek\":");
    b.Int(isoWeek);
    b.Put("}\n");
    b.MoveTo(out);
}

int CalJsonLines(const std::vector<std::string_view>& dates, const TFestivalList& festivals,
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
    for (const std::string_view arg : dates) {
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
