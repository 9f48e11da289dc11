#include "online/feed.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <iconv.h>
#include <memory>

namespace tobu {

std::vector<std::string> SplitFeedLines(std::string_view bytes) {
    const size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    std::vector<std::string> lines;
    size_t start = 0, i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(bytes.substr(start, i - start));
            i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

namespace {

// The code point of every two-byte GBK character (lead 0x81-0xFE, trail 0x40-0xFE without
// 0x7F), 0xFFFD where the character set has none. Built once from the C library's tables.
class GbkPairs {
public:
    GbkPairs() {
        table_.fill(0xFFFD);
        iconv_t cd = iconv_open("UTF-32LE", "GBK");
        if (cd == reinterpret_cast<iconv_t>(-1)) return;
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) continue;
                char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                unsigned char out[8] = {};
                char* ip = in;
                char* op = reinterpret_cast<char*>(out);
                size_t il = 2, ol = sizeof out;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il != 0 || ol != 4)
                    continue;
                const char32_t cp =
                    out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
                if (cp != 0 && cp < 0x110000) table_[Index(lead, trail)] = cp;
            }
        }
        iconv_close(cd);
    }
    char32_t At(unsigned lead, unsigned trail) const { return table_[Index(lead, trail)]; }

private:
    static size_t Index(unsigned lead, unsigned trail) {
        return (lead - 0x81) * 191 + (trail - 0x40);
    }
    std::array<char32_t, 126 * 191> table_;
};

const GbkPairs& Pairs() {
    static const GbkPairs pairs;
    return pairs;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsTrail(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Reads 1..max digits at `i`; false when there are none or more than max.
bool Digits(std::string_view s, size_t& i, size_t min, size_t max, int& value) {
    size_t start = i;
    value = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && i - start < max)
        value = value * 10 + (s[i++] - '0');
    const size_t n = i - start;
    if (n < min) return false;
    return !(i < s.size() && s[i] >= '0' && s[i] <= '9');
}

bool Expect(std::string_view s, size_t& i, char c) {
    if (i >= s.size() || s[i] != c) return false;
    ++i;
    return true;
}

// Decodes one code point of UTF-8 at i (a malformed byte counts as itself, one byte long).
char32_t NextCodePoint(std::string_view s, size_t& i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (i + len > s.size()) len = 1;
    char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (size_t k = 1; k < len; ++k) {
        const unsigned char t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) {
            len = 1;
            cp = c;
            break;
        }
        cp = (cp << 6) | (t & 0x3F);
    }
    i += len;
    return cp;
}

bool IsControl(char32_t cp) {
    return cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F);
}

bool StartsNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

} // namespace

size_t FindSeparator(std::string_view s, size_t from) {
    for (size_t i = from; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if (b >= 0x81 && b <= 0xFE && i + 1 < s.size() &&
            IsTrail(static_cast<unsigned char>(s[i + 1])))
            i += 2;
        else if (b == '|')
            return i;
        else
            ++i;
    }
    return std::string_view::npos;
}

bool EndsWithSeparator(std::string_view s) {
    bool last = false;
    for (size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if (b >= 0x81 && b <= 0xFE && i + 1 < s.size() &&
            IsTrail(static_cast<unsigned char>(s[i + 1]))) {
            i += 2;
            last = false;
        } else {
            last = b == '|';
            ++i;
        }
    }
    return last;
}

std::string FeedTextToUtf8(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    for (size_t i = 0; i < gbk.size();) {
        const unsigned char b = static_cast<unsigned char>(gbk[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
        } else if (b >= 0x81 && b <= 0xFE && i + 1 < gbk.size() &&
                   IsTrail(static_cast<unsigned char>(gbk[i + 1]))) {
            AppendUtf8(out, Pairs().At(b, static_cast<unsigned char>(gbk[i + 1])));
            i += 2;
        } else {
            AppendUtf8(out, 0xFFFD);
            ++i;
        }
    }
    return out;
}

std::optional<int> FeedInt(std::string_view text) {
    std::string_view s = TrimBlanks(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty()) return std::nullopt;
    long long magnitude = 0;
    for (char c : s) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > 2147483648LL) return std::nullopt;
    }
    const long long value = negative ? -magnitude : magnitude;
    if (value > 2147483647LL) return std::nullopt;
    return static_cast<int>(value);
}

std::string FormatStamp(TDateTime value) {
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d/%d/%d %d:%02d:%02d", d.year, d.month, d.day, t.hour,
                  t.minute, t.second);
    return buf;
}

TDateTime ParseStamp(std::string_view text) {
    const std::string_view s = TrimBlanks(text);
    size_t i = 0;
    int year, month, day, hour, minute, second;
    if (!Digits(s, i, 4, 4, year) || !Expect(s, i, '/') || !Digits(s, i, 1, 2, month) ||
        !Expect(s, i, '/') || !Digits(s, i, 1, 2, day))
        return 0;
    const size_t blanks = i;
    while (i < s.size() && IsBlank(s[i])) ++i;
    if (i == blanks) return 0;
    if (!Digits(s, i, 1, 2, hour) || !Expect(s, i, ':') || !Digits(s, i, 2, 2, minute) ||
        !Expect(s, i, ':') || !Digits(s, i, 2, 2, second) || i != s.size())
        return 0;
    TDateTime date, time;
    if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hour, minute, second, 0, time))
        return 0;
    return FromMSecs(ToMSecs(date) + ToMSecs(time));
}

long long WholeDaysBetween(TDateTime a, TDateTime b) {
    const long long diff = ToMSecs(a) - ToMSecs(b);
    return (diff < 0 ? -diff : diff) / kMSecsPerDay;
}

FeedHeader ParseCacheHeader(std::string_view line) {
    FeedHeader h;
    const size_t bar = FindSeparator(line);
    if (bar == std::string_view::npos) {
        h.version = std::string(line);
        return h;
    }
    h.version = std::string(line.substr(0, bar));
    const std::string_view rest = line.substr(bar + 1);
    const size_t next = FindSeparator(rest);
    h.days = FeedInt(rest.substr(0, next)).value_or(kDefaultFeedDays);
    if (next != std::string_view::npos) h.stamp = ParseStamp(rest.substr(next + 1));
    return h;
}

std::string FeedVersion(std::string_view header) {
    return std::string(header.substr(0, FindSeparator(header)));
}

bool FeedDue(const FeedHeader& cached, TDateTime now) {
    return cached.version.empty() || cached.stamp == 0 ||
           WholeDaysBetween(now, cached.stamp) >= cached.days;
}

const char* FeedRejectText(FeedReject reject) {
    switch (reject) {
    case FeedReject::None:
        return "";
    case FeedReject::Unreadable:
        return "unreadable";
    case FeedReject::TooLarge:
        return "too-large";
    case FeedReject::Empty:
        return "empty";
    case FeedReject::NoEndMark:
        return "no-end-mark";
    case FeedReject::NoSeparator:
        return "no-separator";
    }
    return "unreadable";
}

FeedReject CheckFeedLines(const std::vector<std::string>& lines) {
    if (lines.empty()) return FeedReject::Empty;
    if (lines.back() != "$") return FeedReject::NoEndMark;
    if (FindSeparator(lines.front()) == std::string::npos) return FeedReject::NoSeparator;
    return FeedReject::None;
}

std::string StampedHeader(std::string header, TDateTime now) {
    if (!header.empty() && !EndsWithSeparator(header)) header += '|';
    return header + FormatStamp(now);
}

std::string BuildCacheText(std::vector<std::string> lines, TDateTime now) {
    if (!lines.empty()) lines.pop_back();
    if (!lines.empty()) lines.front() = StampedHeader(std::move(lines.front()), now);
    size_t size = 0;
    for (const std::string& l : lines) size += l.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& l : lines) {
        text += l;
        text += "\r\n";
    }
    return text;
}

std::vector<TADRec> LoadAdList(const std::vector<std::string>& lines) {
    std::vector<TADRec> records;
    int field = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line == "*") {
            if (records.empty() || (records.back().AdKind != 0 && records.back().AdKind != 2))
                records.emplace_back();
            else
                records.back() = TADRec{}; // a dropped record never lends its fields
            field = 0;
            continue;
        }
        if (records.empty()) continue;
        TADRec& r = records.back();
        switch (field) {
        case 0:
            r.AdKind = FeedInt(line).value_or(0);
            break;
        case 1:
            if (r.AdKind == 1 || r.AdKind == 3) r.AdText = line;
            break;
        case 2:
            r.AdInfo = line;
            break;
        case 3:
            r.AdLink = line;
            break;
        default:
            break;
        }
        if (field < 4) ++field;
    }
    if (!records.empty() && (records.back().AdKind == 0 || records.back().AdKind == 2))
        records.pop_back();
    return records;
}

std::string TrimLink(std::string_view link) {
    // Code points up to U+0020 are single bytes in UTF-8.
    while (!link.empty() && static_cast<unsigned char>(link.front()) <= 0x20) link.remove_prefix(1);
    while (!link.empty() && static_cast<unsigned char>(link.back()) <= 0x20) link.remove_suffix(1);
    return std::string(link);
}

std::optional<std::string> AllowedLink(std::string_view link) {
    std::string t = TrimLink(link);
    for (size_t i = 0; i < t.size();)
        if (IsControl(NextCodePoint(t, i))) return std::nullopt;
    std::string_view v = t;
    size_t schemeLength = 0;
    if (StartsNoCase(v, "http://"))
        schemeLength = 7;
    else if (StartsNoCase(v, "https://"))
        schemeLength = 8;
    if (schemeLength) {
        const std::string_view rest = v.substr(schemeLength);
        const std::string_view host = rest.substr(0, rest.find_first_of("/?#"));
        if (host.empty() || host.find_first_of(" \t") != std::string_view::npos ||
            host.find("\xE3\x80\x80") != std::string_view::npos)
            return std::nullopt;
        return t;
    }
    if (StartsNoCase(v, "mailto:")) {
        const std::string_view rest = v.substr(7);
        const std::string_view address = rest.substr(0, rest.find('?'));
        if (address.empty() || address.find_first_of(" \t") != std::string_view::npos)
            return std::nullopt;
        return t;
    }
    return std::nullopt;
}

std::optional<std::string> AllowedWebAddress(std::string_view link) {
    std::optional<std::string> allowed = AllowedLink(link);
    if (!allowed || StartsNoCase(*allowed, "mailto:")) return std::nullopt;
    return allowed;
}

AdAction ActionOf(const TADRec& record) {
    if (record.AdKind != 1 && record.AdKind != 3) return AdAction::None;
    const std::string link = FeedTextToUtf8(record.AdLink);
    if (TrimLink(link).empty()) return AdAction::None;
    if (record.AdKind == 1) return AllowedLink(link) ? AdAction::Open : AdAction::Refused;
    return AllowedWebAddress(link) ? AdAction::StartPage : AdAction::Refused;
}

const char* AdActionText(AdAction action) {
    switch (action) {
    case AdAction::None:
        return "none";
    case AdAction::Open:
        return "open";
    case AdAction::StartPage:
        return "startpage";
    case AdAction::Refused:
        return "refused";
    }
    return "none";
}

std::string UpgradeNoticeText(const std::string& homePage) {
    return "Tobu有新版本啦，快来升级吧!\r\n\r\n" + homePage;
}

std::string UpgradeHisText(TDateTime now) {
    return FormatStamp(now) + "\r\n";
}

std::string UpgradeMessageText(const std::vector<unsigned char>& data) {
    std::string text(data.begin(), data.end());
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

bool UpgradeTextShowsNotice(std::string_view text) {
    return SplitFeedLines(text).size() > 2;
}

} // namespace tobu
