// Date marks: notes on a Gregorian or a lunar month and day that recur every year, kept one per
// line in Marks.rec ("0" or "1", month, day, "=", note; GBK, CR LF after every line).
//
// A mark line is held twice: as the bytes it has in the file and as their GBK decoding. Reading
// never changes a line's bytes, so saving writes every line that was read exactly as it came,
// invalid GBK and NUL bytes included; only lines the user edits get new bytes. Positions in a
// line ("characters 2-5") count characters of the decoded text.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "calendar/festival_list.h"

namespace tobu {

// The default colour of a mark in the grid (a skin's CALENDAR MarkColor replaces it).
constexpr std::int32_t kDefaultMarkColor = 0x80FFFF;

struct MarkLine {
    std::string bytes; // as in the file (GBK), without the line end
    std::string text;  // UTF-8; an undecodable byte is U+FFFD
    int line = 0;      // line number in the file counting from 1 (0: added since)

    // Characters first..first+count-1 of the text (1-based; fewer at the end of the text).
    std::string Chars(size_t first, size_t count = std::string::npos) const;
    std::string Name() const { return Chars(1, 5); } // kind digit and key
    std::string Key() const { return Chars(2, 4); }  // "mmdd"
    std::string Note() const { return Chars(7); }    // characters 7 to the end
    // The digit value of character 1; 0 when it is not a digit 0-9.
    int Kind() const;
    // The part before the first "=" (the whole text without one): what look-ups compare.
    std::string LookupName() const;
    // The part after the first "=" (empty without one): what look-ups return.
    std::string Value() const;
    // Exactly what the mark editor writes: "0" or "1", four digits, "=", month 01-12 and day
    // 01 to the month's length in a leap year ("0") or 01-30 ("1").
    bool Valid() const;
    // The list dialog's row: "公历"/"农历", TAB, "MM月DD日", TAB, note.
    std::string Row() const;
};

class MarkList {
public:
    // Splits file bytes into lines at CR, LF or CR LF; empty lines are not marks.
    static MarkList FromBytes(std::string_view bytes);
    // The marks of a file; an empty list when the file does not exist or cannot be read.
    // `exists` (when given) tells whether a readable regular file was there.
    static MarkList FromFile(const std::string& path, bool* exists = nullptr);

    const std::vector<MarkLine>& Lines() const { return lines_; }
    size_t Count() const { return lines_.size(); }
    bool Empty() const { return lines_.empty(); }

    // The first line, in list order, whose LookupName equals name; -1 when there is none.
    int IndexOfName(std::string_view name) const;
    // Value of that line, or nothing.
    std::optional<std::string> ValueOf(std::string_view name) const;

    // Replaces the line named `name` by name "=" note, or adds it at the end.
    void Put(const std::string& name, const std::string& note);
    // Replaces line i (text in UTF-8; its bytes become the GBK form).
    void Replace(size_t i, const std::string& text);
    void Add(const std::string& text);
    // Removes the first line named `name`; false when there is none.
    bool RemoveName(std::string_view name);
    void RemoveAt(size_t i);

    // Sorts by Unicode code points of the text with A-Z folded to a-z; equal lines keep their
    // order.
    void Sort();
    // The file's bytes: every line's bytes followed by CR LF.
    std::string ToBytes() const;

    // The grid's mark entries: AddMark(kind, key, colour) on the list for every line.
    void ApplyTo(TFestivalList& festivals, std::int32_t color) const;

private:
    std::vector<MarkLine> lines_;
};

// The note of the mark of that kind (0 or 1) and key, empty for any other kind or none.
std::string GetMarkText(const MarkList& marks, int kind, std::string_view key);
// The two-digit lunar month and day of a date (a leap month like its ordinary month); nothing
// when the date has no lunar date.
std::optional<std::string> LunarMarkKey(TDateTime date);
// Gregorian note, then two blanks when both are there, then "*" and the lunar note.
std::string GetDayMarksText(const MarkList& marks, TDateTime date);

// The mark editor's type switch. A month or day part that is not a number counts as 1. `today`
// gives the current year (for the lunar key, the lunar year of today). Nothing when the
// Gregorian month and day is not a date of the current year; "0101" for a lunar date that
// does not exist.
std::optional<std::string> SolarKeyToLunarKey(std::string_view key, TDateTime today);
std::string LunarKeyToSolarKey(std::string_view key, TDateTime today);

// Writes the sorted list to the file, replacing it atomically. False when that failed (the
// file is as it was).
bool SaveMarkFile(const std::string& path, MarkList& marks, std::string* why = nullptr);

} // namespace tobu
