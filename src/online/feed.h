// The announcement feed: the text the server sends, the cache it becomes in Sup/Ad.his, the
// records the date line shows and what a click on one does.
//
// Served feed (GBK bytes, lines ended by CR LF, CR or LF):
//   version|days[|]        the header; the version is any text without "|"
//   *                      a record: kind, display text, info (kept, never used), link
//   ...
//   $                      the end mark, exactly
// The cache is the feed without its end mark, the header extended by "|" (unless it is empty or
// already ends with one) and the local download time "yyyy/M/d H:mm:ss".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"

namespace tobu {

constexpr std::size_t kFeedMaxBytes = 1048576;
constexpr int kDefaultFeedDays = 3;
constexpr const char* kFontAdTag = "<FontAD>";

// Lines as the feed and the cache hold them: CR LF, CR or LF end a line (LF CR is two breaks),
// a final break adds no empty line, a NUL byte ends the text. Linear in the size.
std::vector<std::string> SplitFeedLines(std::string_view bytes);

// GBK bytes read by structure: a byte 0x81-0xFE followed by 0x40-0x7E or 0x80-0xFE is one
// character (U+FFFD when it has no mapping); any other byte from 0x80 is U+FFFD. UTF-8 out.
std::string FeedTextToUtf8(std::string_view gbk);

// The first "|" at or after `from` (a character boundary) that is not the second byte of a GBK
// character; npos when there is none. EndsWithSeparator: the last character is "|".
size_t FindSeparator(std::string_view text, size_t from = 0);
bool EndsWithSeparator(std::string_view text);

// An integer of the feed (kind, interval): blanks (space, tab) around ignored, an optional sign
// with decimal digits or with hexadecimal digits after "0x", "0X" or "$", within 32 bits.
std::optional<int> FeedInt(std::string_view text);

// "2026/12/9 7:05:03", and back: four-digit year, month, day and hour of one or two digits,
// minutes and seconds of two, blanks between date and time, blanks around ignored, a real date
// and time; anything else is 0.
std::string FormatStamp(TDateTime value);
TDateTime ParseStamp(std::string_view text);
// floor(|a - b|) in days.
long long WholeDaysBetween(TDateTime a, TDateTime b);

// The cache's first line: version|days|stamp. Without "|" it is all version.
struct FeedHeader {
    std::string version;
    int days = kDefaultFeedDays;
    TDateTime stamp = 0; // 0 when missing or unreadable
};
FeedHeader ParseCacheHeader(std::string_view line);
// The text before the first "|".
std::string FeedVersion(std::string_view header);

// Whether the check downloads: unless the cached version is not empty, its stamp is readable
// and fewer whole days than its interval have passed since it.
bool FeedDue(const FeedHeader& cached, TDateTime now);

enum class FeedReject { None, Unreadable, TooLarge, Empty, NoEndMark, NoSeparator };
// "", "unreadable", "too-large", "empty", "no-end-mark", "no-separator".
const char* FeedRejectText(FeedReject reject);
// Why the served lines are not a feed (None when they are).
FeedReject CheckFeedLines(const std::vector<std::string>& lines);

// The cache file's bytes made from a valid feed's lines at `now`: the end mark dropped, the
// header stamped, every line ended by CR LF.
std::string BuildCacheText(std::vector<std::string> feedLines, TDateTime now);
// The header the cache of a feed's header line gets at `now`.
std::string StampedHeader(std::string header, TDateTime now);

// One shown announcement, as the feed gave its bytes (GBK).
struct TADRec {
    int AdKind = 0;
    std::string AdText; // only for kinds 1 and 3
    std::string AdInfo;
    std::string AdLink;
    bool operator==(const TADRec&) const = default;
};

// The records of the cache's lines (the header is skipped). A record of kind 0 or 2 is dropped:
// the next "*" reuses it, starting empty, and a last one is removed.
std::vector<TADRec> LoadAdList(const std::vector<std::string>& cacheLines);

// The link rule: a link (UTF-8), trimmed of code points up to U+0020 at both ends, may be opened
// only when it is http:// or https:// with a host without blanks, or mailto: with an address
// (schemes in any letter case), and it holds no control character. Everything else (file:,
// javascript:, data:, paths, other schemes) is refused. Returns the trimmed link to open.
std::optional<std::string> AllowedLink(std::string_view link);
// An allowed http or https address (trimmed).
std::optional<std::string> AllowedWebAddress(std::string_view link);
// The link trimmed of code points up to U+0020.
std::string TrimLink(std::string_view link);

// What a click on a record does.
enum class AdAction { None, Open, StartPage, Refused };
AdAction ActionOf(const TADRec& record);
const char* AdActionText(AdAction action); // "none", "open", "startpage", "refused"

// The upgrade notice shown through the popup program, and the line of Upgrade.his.
std::string UpgradeNoticeText(const std::string& homePage);
std::string UpgradeHisText(TDateTime now);
// The text of an upgrade message's data bytes: up to the first zero byte or the end.
std::string UpgradeMessageText(const std::vector<unsigned char>& data);
// Whether an upgrade message's text shows the notice: more than two lines.
bool UpgradeTextShowsNotice(std::string_view text);

} // namespace tobu
