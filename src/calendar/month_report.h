// What `tobu cal --month` and `tobu marks` print: the calendar window's month view as text or
// as one JSON line per cell, and the marks of a Marks.rec as the list dialog shows them or as
// JSON.
#pragma once

#include <string>
#include <string_view>

#include "base/datetime.h"
#include "calendar/marks.h"
#include "calendar/month_grid.h"

namespace tobu {

// The calendar window's grid (326 × 272, its stored look) in a display mode (0 lunar, 1
// stem-branch, 2 festivals), with the marks applied and `selected` selected.
MonthGrid MakeWindowMonth(TDateTime selected, int mode, bool iso, const MarkList& marks);

// Terminal columns of a text: wide and full-width characters 2, any other 1.
int TerminalWidth(std::string_view utf8);

// The month as text: title with the mode caption, the column heads, six week rows of day texts
// and band texts, an empty line and the four information lines. ANSI colours with `color`.
std::string MonthText(const MonthGrid& grid, TDateTime today, int mode, const MarkList& marks,
                      bool color);
// 42 JSON lines, one per cell.
std::string MonthJson(const MonthGrid& grid, TDateTime today, const MarkList& marks);

// The marks in the list dialog's order: rows as the dialog shows them, or JSON lines.
std::string MarksListText(const MarkList& marks);
std::string MarksListJson(const MarkList& marks);
// The marks of one date: "YYYY-MM-DD", TAB and the day's marks text, or a JSON object.
std::string MarksOnText(const MarkList& marks, TDateTime date);
std::string MarksOnJson(const MarkList& marks, TDateTime date);

void AppendJson(std::string& out, std::string_view s);

} // namespace tobu
