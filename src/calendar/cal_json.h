// `tobu cal --json` over many dates: the same lines as CalJson, made from what the dates of one
// year share (its solar terms and week facts) and from the festival look-ups remembered per key,
// so that ten thousand dates take milliseconds.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "calendar/festival_list.h"

namespace tobu {

class CalJsonWriter {
public:
    // The festivals are looked up in `festivals`, which must outlive the writer.
    explicit CalJsonWriter(const TFestivalList& festivals);
    ~CalJsonWriter();
    CalJsonWriter(const CalJsonWriter&) = delete;
    CalJsonWriter& operator=(const CalJsonWriter&) = delete;

    // Appends CalJson(value, festivals) and a line break.
    void AppendLine(std::string& out, TDateTime value);

private:
    struct Year;
    const Year& YearFacts(int year);
    const TFestival& Solar(const DateParts& d, TDateTime day);
    const TFestival& Lunar(int month, int day);
    const TFestival& Week(const DateParts& d, int weekday, TDateTime day);

    const TFestival& Remembered(std::int16_t& slot, const TFestival& looked_up);

    const TFestivalList& festivals_;
    std::vector<std::unique_ptr<Year>> years_; // by Gregorian year from 1900
    // The festivals found, the first one standing for none; the look-ups by key point into it
    // (-1: not looked up yet).
    std::deque<TFestival> found_;
    std::array<std::int16_t, 12 * 31> solar_;       // by month and day
    std::array<std::int16_t, 13 * 31> lunar_;       // by lunar month (0: none) and day (0: eve)
    std::array<std::int16_t, 12 * 5 * 5 * 7> week_; // by month, place from start, end, weekday
};

// The answer of `tobu cal --json DATE...`: one JSON line per date on `out`, written in blocks
// of 64 KiB (a buffer that stays in the cache, and a pipe's size), and for each argument that
// is not a date or lies outside the calendar's range a message line on `err`. Returns the exit
// status: 0, or 1 when a date was refused.
int CalJsonLines(const std::vector<std::string_view>& dates, const TFestivalList& festivals,
                 std::ostream& out, std::ostream& err);

} // namespace tobu
