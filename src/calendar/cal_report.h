// What `tobu cal` prints: a month as a terminal grid with lunar days, one JSON line of
// calendar facts per date, and the parsing of the dates it is given.
#pragma once

#include <string>
#include <string_view>

#include "base/datetime.h"
#include "calendar/festival_list.h"

namespace tobu {

// The first and last day the lunar engine covers.
constexpr TDateTime kCalFirstDate = 32;   // 1900-01-31
constexpr TDateTime kCalLastDate = 73415; // 2100-12-31

enum class CalDateError { None, NotADate, OutOfRange };

// Parses "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM[:SS]" (local time of the calendar) into a value
// whose date lies between kCalFirstDate and kCalLastDate.
CalDateError ParseCalDate(std::string_view text, TDateTime& value);

// One JSON object (no line break) describing the value: lunar date, stem-branch numbers and
// texts, term, festivals of its date in `festivals`, and week numbers. UTF-8.
std::string CalJson(TDateTime value, const TFestivalList& festivals);

// Appends `s` as a JSON string: quotes and backslashes escaped, control characters as \u00XX.
void AppendJsonString(std::string& out, std::string_view s);

// The month as a grid of 7 columns (Sunday first, or Monday first when iso), each day with its
// lunar day below it: the term name on a term's day, else the month name on the first day of a
// lunar month, else the day name. With colour, `today` is shown in reverse video and term
// names in green (for terminals only). With festivals, a day that has one is shown in the
// nearest terminal colour of its festival colour, or, without colour, with a "+" after its
// number.
std::string FormatMonthGrid(int year, int month, TDateTime today, bool iso, bool color,
                            const TFestivalList* festivals = nullptr);

// "YYYY-MM-DD" of a date.
std::string FormatIsoDate(TDateTime date);

// The number of terminal columns a text takes (a Chinese character takes two).
int DisplayWidth(std::string_view utf8);

} // namespace tobu
