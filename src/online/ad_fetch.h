// One run of the feed check: what the clock does when TimerAD fires (CheckAdFeed, then the
// download worker TADThread), and what `tobu feed fetch` reports.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "online/feed.h"
#include "platform/http_client.h"

namespace tobu {

struct FeedFetchOptions {
    std::string app_dir;            // the program folder, ending in "/"
    std::optional<std::string> url; // the feed address; nothing for an unusable server
    bool force = false;             // skip the freshness check
    bool write = true;              // write and clean Sup/
    HttpLimits limits;
};

struct FeedFetchReport {
    std::optional<bool> due; // nothing for an unusable server
    bool requested = false;
    int status = 0;
    std::size_t bytes = 0;
    std::string result; // "fresh", "new", "unchanged", "rejected", "failed"
    std::string error;  // the parse reason or the failure
    // A valid downloaded feed.
    std::optional<std::string> version;
    std::optional<int> days;
    std::vector<TADRec> announcements;
    bool wrote = false;

    // Whether the clock reloads its list (a new cache was written).
    bool CacheReplaced() const { return result == "new" && wrote; }
};

// The summary of a served feed: its lines checked, its version, the interval its cache will
// give, its records as the clock will read them from that cache.
struct FeedSummary {
    FeedReject reject = FeedReject::None;
    std::string version;
    int days = kDefaultFeedDays;
    std::vector<TADRec> announcements;
};
FeedSummary SummarizeFeed(std::string_view bytes, TDateTime now);

// The download part (TADThread): GET, check, compare with the cached version, write. Runs on any
// thread; touches only Sup/.
FeedFetchReport DownloadFeed(HttpClient& client, const FeedFetchOptions& options,
                             const std::string& cachedVersion, TDateTime now);

// The whole check: the cache's header decides (unless forced), then the download.
FeedFetchReport RunFeedCheck(HttpClient& client, const FeedFetchOptions& options, TDateTime now);

} // namespace tobu
