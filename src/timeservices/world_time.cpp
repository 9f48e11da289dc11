#include "timeservices/world_time.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>

#include "base/text.h"
#include "timeservices/time_host.h"

namespace tobu {
namespace {

std::string_view TrimLow(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.remove_suffix(1);
    return s;
}

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

// Fields 1 to 7 end at the next "|"; the eighth is the rest.
std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    while (fields.size() < 7) {
        auto bar = line.find('|');
        if (bar == std::string_view::npos) break;
        fields.emplace_back(TrimLow(line.substr(0, bar)));
        line.remove_prefix(bar + 1);
    }
    fields.emplace_back(TrimLow(line));
    fields.resize(8);
    return fields;
}

} // namespace

double ParseOffset(std::string_view text) {
    std::string_view s = text;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) s.remove_prefix(1);
    std::size_t i = 0, int_digits = 0, frac_digits = 0;
    while (i < s.size() && Digit(s[i])) ++i, ++int_digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && Digit(s[i])) ++i, ++frac_digits;
    }
    if (i != s.size() || (int_digits == 0 && frac_digits == 0)) return 0;
    // from_chars reads "5." and ".5" as strtod does, in every locale.
    double value = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range) return 0;
    if (ec != std::errc() || p != s.data() + s.size()) return 0;
    if (!text.empty() && text.front() == '-') value = -value;
    if (!(std::fabs(value) <= 24)) return 0;
    return value;
}

int ParseSmallInt(std::string_view text) {
    std::string_view s = text;
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 9) return 0;
    int value = 0;
    for (char c : s) {
        if (!Digit(c)) return 0;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

std::optional<TDateTime> DstDate(const DstRule& r, int year) {
    if (r.month < 1 || r.month > 12 || r.day < 1 || r.day > DaysInMonth(year, r.month) ||
        r.hour < 0 || r.hour > 23 || r.minute < 0 || r.minute > 59)
        return std::nullopt;
    TDateTime date = 0, time = 0;
    if (!TryEncodeDate(year, r.month, r.day, date) || !TryEncodeTime(r.hour, r.minute, 0, 0, time))
        return std::nullopt;
    return date + time;
}

std::optional<DstRule> ParseDstField(std::string_view text, int year, bool& impossible) {
    impossible = false;
    auto slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    std::string_view rest = text.substr(slash + 1);
    auto space = rest.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    std::string_view time = rest.substr(space + 1);
    auto colon = time.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    DstRule r{ParseSmallInt(text.substr(0, slash)), ParseSmallInt(rest.substr(0, space)),
              ParseSmallInt(time.substr(0, colon)), ParseSmallInt(time.substr(colon + 1))};
    if (!DstDate(r, year)) {
        impossible = true;
        return std::nullopt;
    }
    return r;
}

WorldTimeList ParseTimeZoneList(std::string_view bytes, int year) {
    WorldTimeList out;
    std::vector<WorldCountry> countries;
    const auto lines = SplitLines(bytes);
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string line = GbkToUtf8(lines[n]);
        if (TrimLow(line).empty()) continue;
        auto f = SplitFields(line);
        auto fail = [&](std::string reason) {
            out.status = WorldTimeList::Status::Error;
            out.error_line = static_cast<int>(n + 1);
            out.reason = std::move(reason);
            return out;
        };
        WorldCity city;
        city.offset = ParseOffset(f[0]);
        city.second = f[2];
        city.city = f[3];
        city.zone = f[4];
        city.position = f[5];
        bool bad = false;
        city.start = ParseDstField(f[6], year, bad);
        if (bad) return fail("impossible daylight-saving start '" + f[6] + "'");
        city.end = ParseDstField(f[7], year, bad);
        if (bad) return fail("impossible daylight-saving end '" + f[7] + "'");
        if (countries.empty() && f[1].empty()) return fail("the first city line has no country");
        if (countries.empty() || countries.back().name != f[1])
            countries.push_back(WorldCountry{f[1], {}});
        countries.back().cities.push_back(std::move(city));
    }
    out.countries = std::move(countries);
    return out;
}

WorldTimeList ReadTimeZoneList(const std::string& path, int year) {
    auto data = ReadFileBytes(path);
    if (!data) {
        WorldTimeList out;
        out.status = WorldTimeList::Status::Unreadable;
        out.reason = "cannot read " + path;
        return out;
    }
    return ParseTimeZoneList(*data, year);
}

OffsetParts SplitOffset(double offset) {
    const int h = static_cast<int>(std::trunc(offset));
    return {h, static_cast<int>(std::round((offset - h) * 60))};
}

TDateTime CityTime(TDateTime utc, double offset, bool dst) {
    const auto p = SplitOffset(offset);
    const long long minutes = (p.hours + (dst ? 1 : 0)) * 60LL + p.minutes;
    return FromMSecs(ToMSecs(utc) + minutes * 60000);
}

bool DstInForce(const WorldCity& city, TDateTime utc, int year) {
    if (!city.HasDst()) return false;
    auto start = DstDate(*city.start, year), end = DstDate(*city.end, year);
    if (!start || !end) return false;
    const auto now = ToMSecs(CityTime(utc, city.offset, false));
    const auto s = ToMSecs(*start), e = ToMSecs(*end);
    return e >= s ? (s <= now && now <= e) : (now >= s || now <= e);
}

CityView ViewCity(const std::string& country, const WorldCity& city, TDateTime utc, int year) {
    CityView v;
    v.title = country + " - " + city.city + " " + city.second;
    v.zone_line = "时区: " + city.zone;
    v.position_line = "位置: " + city.position;
    if (city.HasDst()) {
        v.dst_start = DstDate(*city.start, year);
        v.dst_end = DstDate(*city.end, year);
    }
    if (v.dst_start && v.dst_end) {
        v.dst = DstInForce(city, utc, year);
        v.start_line = "夏时制开始日期: " + FormatDateTime("yyyy年mm月dd日 hh:nn", *v.dst_start);
        v.end_line = "夏时制结束日期: " + FormatDateTime("yyyy年mm月dd日 hh:nn", *v.dst_end);
    } else {
        v.dst_start.reset();
        v.dst_end.reset();
    }
    v.local = CityTime(utc, city.offset, v.dst);
    v.time_line =
        FormatDateTime("yyyy年mm月dd日 hh:nn:ss", v.local) + " " + (v.dst ? "(夏时制)" : "");
    return v;
}

TDateTime FromUnix(std::int64_t seconds) {
    return FromMSecs((seconds + 25569LL * 86400) * 1000);
}

TDateTime UtcNow() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
    return FromMSecs(ms + 25569LL * kMSecsPerDay);
}

int LocalYearAt(std::int64_t unix_seconds) {
    std::time_t t = static_cast<std::time_t>(unix_seconds);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return 1970;
    return tm.tm_year + 1900;
}

} // namespace tobu
