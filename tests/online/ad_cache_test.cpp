#include "online/ad_cache.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "online/ad_fetch.h"
#include "settings/temp_dir.h"
#include "support/other_user.h"

using namespace tobu;
using tobu::testing::TempDir;
namespace fs = std::filesystem;

TEST(AdCache, OnlyRegularFilesInSupGo) {
    TempDir app, outside;
    const std::string sup = SupFolder(app.Dir());
    ASSERT_TRUE(EnsureSupFolder(app.Dir()));
    TempDir::Put(sup + "old.txt", "old");
    TempDir::Put(sup + "Ad.his", "old|3|2020/1/1 0:00:00\r\n");
    fs::create_directory(sup + "folder");
    TempDir::Put(sup + "folder/inner", "kept");
    TempDir::Put(outside.File("target"), "outside");
    fs::create_symlink(outside.File("target"), sup + "link");
    ASSERT_EQ(::mkfifo((sup + "fifo").c_str(), 0600), 0);

    ASSERT_TRUE(WriteAdCache(app.Dir(), "new|3|2026/1/1 0:00:00\r\n"));
    EXPECT_EQ(TempDir::Get(sup + "Ad.his"), "new|3|2026/1/1 0:00:00\r\n");
    EXPECT_FALSE(fs::exists(sup + "old.txt"));
    EXPECT_EQ(TempDir::Get(sup + "folder/inner"), "kept");
    EXPECT_TRUE(fs::is_symlink(sup + "link"));
    EXPECT_EQ(TempDir::Get(outside.File("target")), "outside");
    EXPECT_TRUE(fs::is_fifo(sup + "fifo"));
    // No temporary file stays behind.
    int entries = 0;
    for (const auto& e : fs::directory_iterator(sup))
        entries += e.path().filename().string()[0] == '.';
    EXPECT_EQ(entries, 0);
    // Reading a FIFO in place of the cache neither blocks nor counts as a cache.
    fs::remove(sup + "Ad.his");
    ASSERT_EQ(::mkfifo((sup + "Ad.his").c_str(), 0600), 0);
    EXPECT_FALSE(ReadAdCache(app.Dir()));
    EXPECT_EQ(CachedHeader(ReadAdCache(app.Dir())).days, 3);
}

TEST(AdCache, SupAsALinkIsNeverEntered) {
    TempDir app, outside;
    TempDir::Put(outside.File("precious"), "mine");
    fs::create_directory_symlink(outside.Dir(), app.Dir() + "Sup");
    EXPECT_FALSE(WriteAdCache(app.Dir(), "v|3|2026/1/1 0:00:00\r\n"));
    EXPECT_EQ(TempDir::Get(outside.File("precious")), "mine");
    EXPECT_FALSE(fs::exists(outside.File("Ad.his")));
}

TEST(AdCache, ReadOnlySupKeepsTheOldCache) {
    TempDir app;
    ASSERT_TRUE(EnsureSupFolder(app.Dir()));
    const std::string sup = SupFolder(app.Dir());
    TempDir::Put(sup + "Ad.his", "old\r\n");
    fs::permissions(app.Dir(), fs::perms::all);
    fs::permissions(sup, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    fs::permissions(sup + "Ad.his", fs::perms::all);
    const int rc = tobu::testing::RunAsOtherUser([&] {
        if (WriteAdCache(app.Dir(), "new\r\n")) return 1;
        return TempDir::Get(sup + "Ad.his") == "old\r\n" ? 0 : 2;
    });
    EXPECT_EQ(rc, 0);
}

TEST(AdCache, GarbageCacheShowsNothingAndIsDue) {
    TempDir app;
    ASSERT_TRUE(EnsureSupFolder(app.Dir()));
    TempDir::Put(AdCachePath(app.Dir()), std::string("\xFF\xFE<\0g\0a\0r\0b", 12));
    auto cache = ReadAdCache(app.Dir());
    ASSERT_TRUE(cache);
    EXPECT_TRUE(LoadAdList(*cache).empty());
    EXPECT_TRUE(FeedDue(CachedHeader(cache), EncodeDate(2026, 1, 1)));
}

TEST(AdCache, UpgradeHis) {
    TempDir app;
    ASSERT_TRUE(WriteUpgradeHis(app.Dir(), EncodeDateTime(2026, 12, 9, 17, 5, 3)));
    EXPECT_EQ(TempDir::Get(app.Dir() + "Upgrade.his"), "2026/12/9 17:05:03\r\n");
}

TEST(FeedSummary, ServedFeedsAndRejections) {
    const TDateTime now = EncodeDate(2026, 1, 1);
    FeedSummary s = SummarizeFeed("v|7\r\n*\r\n1\r\nt\r\ni\r\nhttp://x/\r\n$", now);
    EXPECT_EQ(s.reject, FeedReject::None);
    EXPECT_EQ(s.version, "v");
    EXPECT_EQ(s.days, 7);
    EXPECT_EQ(s.announcements.size(), 1u);
    EXPECT_EQ(SummarizeFeed("v|\r\n$", now).days, 3);
    EXPECT_EQ(SummarizeFeed(std::string(kFeedMaxBytes + 1, 'a'), now).reject, FeedReject::TooLarge);
    EXPECT_EQ(SummarizeFeed("", now).reject, FeedReject::Empty);
    EXPECT_EQ(SummarizeFeed("v|3\r\n*\r\n1\r\nt", now).reject, FeedReject::NoEndMark); // truncated
    // UTF-16 text: a zero byte ends the text after its first character.
    EXPECT_EQ(SummarizeFeed(std::string("v\0|\0\n\0$\0", 8), now).reject, FeedReject::NoEndMark);
    EXPECT_EQ(SummarizeFeed("\x81 |\r\n$", now).reject, FeedReject::None); // a lone lead byte
    // 0x81 0x7C is one character, not a separator.
    EXPECT_EQ(SummarizeFeed("\x81\x7C\r\n$", now).reject, FeedReject::NoSeparator);
}
