#include "calendar/marks.h"

#include <algorithm>
#include <fstream>
#include <sys/stat.h>

#include "base/text.h"
#include "calendar/lunar.h"
#include "settings/ini_file.h"

namespace tobu {
namespace {

// Files larger than this are not marks files; they are read as no marks (and never rewritten
// from a truncated reading, since nothing is changed by reading).
constexpr std::streamoff kMaxMarksFileBytes = 64 << 20;

// Byte offset of character n (0-based) of UTF-8 text, or its size when there are fewer.
size_t CharOffset(std::string_view s, size_t n) {
    size_t i = 0;
    while (i < s.size() && n > 0) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
        --n;
    }
    return i;
}

int TwoDigitNumber(std::string_view s) {
    if (s.size() != 2 || s[0] < '0' || s[0] > '9' || s[1] < '0' || s[1] > '9') return -1;
    return (s[0] - '0') * 10 + (s[1] - '0');
}

// A month or day part of an editor key: a whole number, else 1.
int KeyPart(std::string_view s) {
    const std::optional<int> v = ParseInt(s);
    return v ? *v : 1;
}

MarkLine MakeLine(const std::string& text) {
    return MarkLine{Utf8ToGbk(text), text, 0};
}

} // namespace

std::string MarkLine::Chars(size_t first, size_t count) const {
    if (first == 0) return {};
    const size_t b = CharOffset(text, first - 1);
    if (count == std::string::npos) return text.substr(b);
    const size_t e = b + CharOffset(std::string_view(text).substr(b), count);
    return text.substr(b, e - b);
}

int MarkLine::Kind() const {
    return !text.empty() && text[0] >= '0' && text[0] <= '9' ? text[0] - '0' : 0;
}

std::string MarkLine::LookupName() const {
    const size_t eq = text.find('=');
    return eq == std::string::npos ? text : text.substr(0, eq);
}

std::string MarkLine::Value() const {
    const size_t eq = text.find('=');
    return eq == std::string::npos ? std::string() : text.substr(eq + 1);
}

bool MarkLine::Valid() const {
    if (text.size() < 6 || (text[0] != '0' && text[0] != '1') || text[5] != '=') return false;
    const int month = TwoDigitNumber(std::string_view(text).substr(1, 2));
    const int day = TwoDigitNumber(std::string_view(text).substr(3, 2));
    if (month < 1 || month > 12 || day < 1) return false;
    return text[0] == '0' ? day <= DaysInMonth(2000, month) : day <= 30;
}

std::string MarkLine::Row() const {
    return std::string(!text.empty() && text[0] == '0' ? "公历" : "农历") + "\t" + Chars(2, 2) +
           "月" + Chars(4, 2) + "日\t" + Note();
}

MarkList MarkList::FromBytes(std::string_view bytes) {
    MarkList list;
    size_t start = 0;
    int number = 1;
    const size_t n = bytes.size();
    while (start < n) {
        size_t end = start;
        while (end < n && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        if (end > start) {
            std::string raw(bytes.substr(start, end - start));
            std::string text = GbkToUtf8(raw);
            list.lines_.push_back(MarkLine{std::move(raw), std::move(text), number});
        }
        // CR LF is one line end; a lone CR or LF is one too.
        if (end < n && bytes[end] == '\r' && end + 1 < n && bytes[end + 1] == '\n') ++end;
        start = end + 1;
        ++number;
    }
    return list;
}

MarkList MarkList::FromFile(const std::string& path, bool* exists) {
    if (exists) *exists = false;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    if (st.st_size > kMaxMarksFileBytes) return {};
    std::string bytes(static_cast<size_t>(st.st_size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    if (exists) *exists = true;
    return FromBytes(bytes);
}

int MarkList::IndexOfName(std::string_view name) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        const std::string& t = lines_[i].text;
        const size_t eq = t.find('=');
        if (std::string_view(t).substr(0, eq) == name) return static_cast<int>(i);
    }
    return -1;
}

std::optional<std::string> MarkList::ValueOf(std::string_view name) const {
    const int i = IndexOfName(name);
    if (i < 0) return std::nullopt;
    return lines_[static_cast<size_t>(i)].Value();
}

void MarkList::Put(const std::string& name, const std::string& note) {
    const int i = IndexOfName(name);
    if (i >= 0)
        Replace(static_cast<size_t>(i), name + "=" + note);
    else
        Add(name + "=" + note);
}

void MarkList::Replace(size_t i, const std::string& text) {
    if (i < lines_.size()) lines_[i] = MakeLine(text);
}

void MarkList::Add(const std::string& text) {
    lines_.push_back(MakeLine(text));
}

bool MarkList::RemoveName(std::string_view name) {
    const int i = IndexOfName(name);
    if (i < 0) return false;
    RemoveAt(static_cast<size_t>(i));
    return true;
}

void MarkList::RemoveAt(size_t i) {
    if (i < lines_.size()) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
}

void MarkList::Sort() {
    // UTF-8 byte order is code point order; only ASCII capitals are folded. The folded texts
    // are made once, not in every comparison.
    std::vector<std::pair<std::string, size_t>> keys;
    keys.reserve(lines_.size());
    for (size_t i = 0; i < lines_.size(); ++i) keys.emplace_back(AsciiLower(lines_[i].text), i);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<MarkLine> sorted;
    sorted.reserve(lines_.size());
    for (const auto& k : keys) sorted.push_back(std::move(lines_[k.second]));
    lines_ = std::move(sorted);
}

std::string MarkList::ToBytes() const {
    std::string out;
    for (const MarkLine& l : lines_) {
        out += l.bytes;
        out += "\r\n";
    }
    return out;
}

void MarkList::ApplyTo(TFestivalList& festivals, std::int32_t color) const {
    for (const MarkLine& l : lines_) festivals.AddMark(l.Kind(), l.Key(), color);
}

std::string GetMarkText(const MarkList& marks, int kind, std::string_view key) {
    if (kind != 0 && kind != 1) return {};
    return marks.ValueOf(std::to_string(kind) + std::string(key)).value_or(std::string());
}

std::optional<std::string> LunarMarkKey(TDateTime date) {
    const TLunarDate l = SolarToLunar(date);
    if (l.Day == 0) return std::nullopt;
    return LunarKey(l.Month, l.Day);
}

std::string GetDayMarksText(const MarkList& marks, TDateTime date) {
    std::string g = GetMarkText(marks, 0, SolarKey(date));
    const std::optional<std::string> lk = LunarMarkKey(date);
    const std::string n = lk ? GetMarkText(marks, 1, *lk) : std::string();
    if (n.empty()) return g;
    return g + (g.empty() ? "" : "  ") + "*" + n;
}

std::optional<std::string> SolarKeyToLunarKey(std::string_view key, TDateTime today) {
    const int month = KeyPart(key.substr(0, 2));
    const int day = KeyPart(key.size() > 2 ? key.substr(2, 2) : std::string_view());
    TDateTime date = 0;
    if (!TryEncodeDate(DecodeDate(today).year, month, day, date)) return std::nullopt;
    std::optional<std::string> lk = LunarMarkKey(date);
    return lk;
}

std::string LunarKeyToSolarKey(std::string_view key, TDateTime today) {
    const int month = KeyPart(key.substr(0, 2));
    const int day = KeyPart(key.size() > 2 ? key.substr(2, 2) : std::string_view());
    const TLunarDate lunar{SolarToLunar(today).Year, month, day, false};
    if (!IsValidLunarDate(lunar)) return "0101";
    return SolarKey(LunarToSolar(lunar));
}

bool SaveMarkFile(const std::string& path, MarkList& marks, std::string* why) {
    marks.Sort();
    return WriteFileAtomically(path, marks.ToBytes(), LinkPolicy::FollowOwn, why);
}

} // namespace tobu
