#include "online/ad_fetch.h"

#include "online/ad_cache.h"

namespace tobu {

FeedSummary SummarizeFeed(std::string_view bytes, TDateTime now) {
    FeedSummary s;
    if (bytes.size() > kFeedMaxBytes) {
        s.reject = FeedReject::TooLarge;
        return s;
    }
    std::vector<std::string> lines = SplitFeedLines(bytes);
    s.reject = CheckFeedLines(lines);
    if (s.reject != FeedReject::None) return s;
    s.version = FeedVersion(lines.front());
    lines.pop_back();
    lines.front() = StampedHeader(std::move(lines.front()), now);
    s.days = ParseCacheHeader(lines.front()).days;
    s.announcements = LoadAdList(lines);
    return s;
}

FeedFetchReport DownloadFeed(HttpClient& client, const FeedFetchOptions& options,
                             const std::string& cachedVersion, TDateTime now) {
    FeedFetchReport r;
    r.due = true;
    if (!options.url) {
        r.result = "failed";
        r.error = "bad-server";
        return r;
    }
    r.requested = true;
    HttpResult got = client.Get(*options.url, options.limits);
    r.status = got.status;
    r.bytes = got.bytes;
    if (got.error != HttpError::None) {
        r.result = "failed";
        r.error = got.error == HttpError::BadUrl ? "bad-server" : HttpErrorText(got);
        return r;
    }
    const FeedSummary s = SummarizeFeed(got.body, now);
    if (s.reject != FeedReject::None) {
        r.result = "rejected";
        r.error = FeedRejectText(s.reject);
        return r;
    }
    r.version = s.version;
    r.days = s.days;
    r.announcements = s.announcements;
    if (s.version == cachedVersion) {
        r.result = "unchanged";
        return r;
    }
    r.result = "new";
    if (options.write)
        r.wrote = WriteAdCache(options.app_dir, BuildCacheText(SplitFeedLines(got.body), now));
    return r;
}

FeedFetchReport RunFeedCheck(HttpClient& client, const FeedFetchOptions& options, TDateTime now) {
    const FeedHeader cached = CachedHeader(ReadAdCache(options.app_dir));
    if (!options.url) {
        FeedFetchReport r;
        r.result = "failed";
        r.error = "bad-server";
        return r;
    }
    const bool due = FeedDue(cached, now);
    if (!due && !options.force) {
        FeedFetchReport r;
        r.due = false;
        r.result = "fresh";
        return r;
    }
    FeedFetchReport r = DownloadFeed(client, options, cached.version, now);
    r.due = due;
    return r;
}

} // namespace tobu
