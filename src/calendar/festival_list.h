// Festival and mark lists of a month grid: festivals and marked days keyed by Gregorian month
// and day ("mmdd"), by lunar month and day ("mmdd", day 00 = the eve of month mm) and by the
// n-th weekday of a Gregorian month ("mmNW", N >= 5 counted from the month's end, W 0 =
// Sunday), each entry with a colour (0x00BBGGRR). A new list holds the built-in festivals.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "calendar/lunar.h"

namespace tobu {

class TLssCalendar; // the month grid control that owns a festival list

// A list of strings kept in case-insensitive order, each string with a colour attached. An
// equal string (ignoring letter case) is never held twice: adding it again is ignored.
class TColorStringList {
public:
    struct Item {
        std::string Text;
        std::int32_t Color = 0;
        bool operator==(const Item&) const = default;
    };

    size_t Count() const { return items_.size(); }
    const Item& operator[](size_t i) const { return items_[i]; }
    const std::vector<Item>& Items() const { return items_; }
    std::vector<std::string> Texts() const;

    // Inserts in order; false (and nothing changes) when an equal string is already held.
    bool Add(std::string text, std::int32_t color);
    // Index of the string equal to text ignoring letter case, or -1.
    int IndexOf(std::string_view text) const;
    void Delete(size_t index);
    void Clear() { items_.clear(); }
    // Replaces the contents with stored strings, each with colour 0 (a restored layout).
    void SetTexts(const std::vector<std::string>& texts);
    // Replaces the contents with another list's entries and colours, re-sorted.
    void Assign(const TColorStringList& other);

private:
    std::vector<Item> items_;
};

// Kinds of festival and mark lists.
enum : int { kSolarKind = 0, kLunarKind = 1, kWeekKind = 2 };

// Colours of the built-in festivals.
constexpr std::int32_t kSolarFestivalColor = 0x0000FF; // red
constexpr std::int32_t kLunarFestivalColor = 0x800080; // purple
constexpr std::int32_t kWeekFestivalColor = 0x800000;  // navy

// The result of a festival query: name text (blank-separated names) and colour, -1 for none.
struct TFestival {
    std::string Name;
    std::int32_t Color = -1;
    bool operator==(const TFestival&) const = default;
};

class TFestivalList {
public:
    // Creates the six lists and adds the built-in Gregorian, lunar and week festivals. Table
    // rows that repeat a key become one entry: the first row's names and colour, then the names
    // of the later rows that it lacks.
    explicit TFestivalList(TLssCalendar* owner = nullptr);

    TLssCalendar* Owner() const { return owner_; }

    // False (nothing changes) for a kind outside 0..2, an empty key or an empty name. Replaces
    // the entry of that kind with the same key.
    bool AddFestival(int kind, std::string_view key, std::int32_t color, std::string_view name);
    // False (nothing changes) for a kind outside 0..2 or an empty key.
    bool AddMark(int kind, std::string_view key, std::int32_t color);
    void DeleteMark(int kind, std::string_view key);

    TFestival GetSolarFestival(TDateTime date) const;
    TFestival GetLunarFestival(const TLunarDate& date) const;
    TFestival GetWeekFestival(TDateTime date) const;
    std::int32_t GetSolarMarkColor(TDateTime date) const;
    std::int32_t GetLunarMarkColor(const TLunarDate& date) const;
    std::int32_t GetWeekMarkColor(TDateTime date) const;

    // Copies the six lists, entries and colours, of another list into this one.
    void Assign(const TFestivalList& other);

    const TColorStringList& SolarFestivals() const { return festivals_[kSolarKind]; }
    const TColorStringList& LunarFestivals() const { return festivals_[kLunarKind]; }
    const TColorStringList& WeekFestivals() const { return festivals_[kWeekKind]; }
    const TColorStringList& SolarMarks() const { return marks_[kSolarKind]; }
    const TColorStringList& LunarMarks() const { return marks_[kLunarKind]; }
    const TColorStringList& WeekMarks() const { return marks_[kWeekKind]; }
    // The property setters: copy the given list into festival list / mark list `index` (0..2;
    // other indexes are ignored).
    void SetFestivalList(int index, const TColorStringList& list);
    void SetMarkList(int index, const TColorStringList& list);

private:
    TFestival FindFestival(int kind, const std::string& key) const;
    std::int32_t FindMark(int kind, const std::string& key) const;

    TLssCalendar* owner_;
    TColorStringList festivals_[3];
    TColorStringList marks_[3];
};

// All festivals of a date: the month-eve festival, the lunar, the Gregorian and the week
// festival, blank-separated; the colour is that of the first part found (-1 for none).
TFestival GetFestivals(const TFestivalList& list, TDateTime date);
// The festival text of the day of a date-time value (the calendar window's GetFestivalText);
// empty when the day has none.
std::string GetFestivalText(const TFestivalList& list, TDateTime value);
// The mark colour of a date: lunar mark, else Gregorian mark, else week mark, else -1.
std::int32_t GetMarkColor(const TFestivalList& list, TDateTime date);

// The festival list the calendar window's month grid uses: the built-in festivals, the week
// entry 0520 reading 母亲节, every entry in colour 0; no marks.
TFestivalList MakeGridFestivalList();

// Keys of a date, as the look-ups build them.
std::string SolarKey(TDateTime date);                        // "mmdd"
std::string LunarKey(int month, int day);                    // "mmdd"
std::string WeekKey(int month, int occurrence, int weekday); // "mmNW"

} // namespace tobu
