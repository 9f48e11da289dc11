// The world time list TimeZone.lst and what the world time window shows for a city.
//
// The file is GBK, one city per line (CR LF, CR or LF). Each line is decoded, then split on
// "|": fields 1 to 7 end at the next "|", the eighth is the rest of the line; missing fields
// are empty; every field loses characters <= U+0020 at both ends; a line of nothing but such
// characters is skipped.
//     1 UTC offset in hours ("8", "-3.5", "5.75"; anything else, or beyond +-24, reads 0)
//     2 country   3 second city name   4 city name   5 zone description   6 position
//     7, 8 daylight-saving start and end, "M/D H:MM" in the city's standard time
// Consecutive lines of the same country form one country; the same country again after
// another is a second entry. A city has daylight saving only when both dates are set. An
// impossible daylight-saving date (for the year the list is read for), an empty country on the
// first city line, or an unreadable file stops the loading.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"

namespace tobu {

struct DstRule {
    int month = 0, day = 0, hour = 0, minute = 0;
    bool operator==(const DstRule&) const = default;
};

struct WorldCity {
    std::string city, second, zone, position; // fields 4, 3, 5, 6
    double offset = 0;                        // field 1 as read
    std::optional<DstRule> start, end;        // fields 7 and 8 (both set: daylight saving)
    bool HasDst() const { return start && end; }
};

struct WorldCountry {
    std::string name;
    std::vector<WorldCity> cities;
};

struct WorldTimeList {
    enum class Status { Ok, Unreadable, Error } status = Status::Ok;
    std::vector<WorldCountry> countries; // empty unless Ok
    int error_line = 0;                  // 1-based, counting every line
    std::string reason;
};

// The field readers.
double ParseOffset(std::string_view text);
int ParseSmallInt(std::string_view text); // [+-]?[0-9]{1,9}, else 0
// A daylight-saving field: nothing when a "/", " " or ":" is missing; `impossible` is set when
// the parts do not make a date and time of `year`.
std::optional<DstRule> ParseDstField(std::string_view text, int year, bool& impossible);
// The rule's date and time in `year`, when it exists in that year.
std::optional<TDateTime> DstDate(const DstRule& rule, int year);

WorldTimeList ParseTimeZoneList(std::string_view bytes, int year);
WorldTimeList ReadTimeZoneList(const std::string& path, int year);

// Whole hours (truncated toward zero) and minutes (rounded, halves away from zero).
struct OffsetParts {
    int hours = 0, minutes = 0;
};
OffsetParts SplitOffset(double offset);
// The city's time: UTC plus the offset, one hour more with daylight saving in force.
TDateTime CityTime(TDateTime utc, double offset, bool dst);
// Daylight saving in force at `utc` for the dates of `year`, compared in standard time,
// inclusive at both ends, across the turn of the year when the end lies before the start.
bool DstInForce(const WorldCity& city, TDateTime utc, int year);

// What the window shows for a selected city.
struct CityView {
    std::string title, time_line, zone_line, position_line;
    std::optional<std::string> start_line, end_line; // only with daylight saving
    std::optional<TDateTime> dst_start, dst_end;
    bool dst = false;
    TDateTime local = 0; // the city's time, daylight hour included
};
CityView ViewCity(const std::string& country, const WorldCity& city, TDateTime utc, int year);

// UTC now as a date-time value.
TDateTime UtcNow();
// Conversions between seconds since 1970 and date-time values.
TDateTime FromUnix(std::int64_t seconds);
// The year of the local date at that instant (UTC seconds), in the process's time zone.
int LocalYearAt(std::int64_t unix_seconds);

} // namespace tobu
