// The three lunar texts the calendar window offers the main bar's date line and hover text.
#pragma once

#include <string>

#include "base/datetime.h"

namespace tobu {

// Lunar year, month and day names, a blank and the term of the value itself, e.g.
// "二零二三年腊月廿五 立春" for a date; a value with a time of day gets a trailing blank only.
std::string GetLunarText(TDateTime value);
// Stem-branch year (with its animal), month and day, e.g. "甲辰(龙)年丙寅月戊戌日".
std::string GetGanZhiText(TDateTime value);
// The solar term of the value's day, or empty text.
std::string GetTermText(TDateTime value);

} // namespace tobu
