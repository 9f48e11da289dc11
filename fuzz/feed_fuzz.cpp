// corpus: tests/online/corpus/feed
// Reads arbitrary bytes as a served feed and as a cache, and checks the feed's promises: a valid
// feed's cache reads back with the same version, interval and records; the link rule only ever
// lets through http, https and mailto links without control characters.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "online/ad_fetch.h"
#include "online/feed.h"

using namespace tobu;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

bool StartsNoCase(const std::string& s, const char* p) {
    for (size_t i = 0; p[i]; ++i)
        if (i >= s.size() || std::tolower(static_cast<unsigned char>(s[i])) != p[i]) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TDateTime now = EncodeDateTime(2026, 12, 9, 7, 5, 3);

    // As a cache: header, records, what a click does.
    const std::vector<std::string> lines = SplitFeedLines(bytes);
    if (!lines.empty()) {
        const FeedHeader h = ParseCacheHeader(lines.front());
        (void)FeedDue(h, now);
        Check(h.version == FeedVersion(lines.front()));
    }
    for (const TADRec& r : LoadAdList(lines)) {
        Check(r.AdKind != 0 && r.AdKind != 2);
        Check(r.AdText.empty() || r.AdKind == 1 || r.AdKind == 3);
        const std::string link = FeedTextToUtf8(r.AdLink);
        if (std::optional<std::string> ok = AllowedLink(link)) {
            Check(StartsNoCase(*ok, "http://") || StartsNoCase(*ok, "https://") ||
                  StartsNoCase(*ok, "mailto:"));
            for (unsigned char c : *ok) Check(c >= 0x20 && c != 0x7F);
        }
        (void)AdActionText(ActionOf(r));
        (void)FeedTextToUtf8(r.AdText);
    }

    // As a served feed: its cache gives back what the summary promised.
    const FeedSummary s = SummarizeFeed(bytes, now);
    if (s.reject == FeedReject::None) {
        const std::vector<std::string> cache = SplitFeedLines(BuildCacheText(lines, now));
        Check(!cache.empty());
        const FeedHeader h = ParseCacheHeader(cache.front());
        Check(h.version == s.version);
        Check(h.days == s.days);
        Check(LoadAdList(cache) == s.announcements);
        (void)ParseStamp(cache.front());
    }
    (void)FeedInt(bytes.substr(0, 64));
    (void)ParseStamp(bytes.substr(0, 64));
    return 0;
}
