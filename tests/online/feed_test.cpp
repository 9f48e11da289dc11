#include "online/feed.h"

#include <gtest/gtest.h>

using namespace tobu;

namespace {

std::vector<std::string> L(std::initializer_list<const char*> lines) {
    return {lines.begin(), lines.end()};
}

} // namespace

TEST(FeedLines, BreaksNulAndFinalBreak) {
    EXPECT_EQ(SplitFeedLines("a\r\nb\rc\nd"), L({"a", "b", "c", "d"}));
    EXPECT_EQ(SplitFeedLines("a\n\rb"), L({"a", "", "b"})); // LF CR is two breaks
    EXPECT_EQ(SplitFeedLines("a\r\n"), L({"a"}));           // a final break adds no line
    EXPECT_EQ(SplitFeedLines("a\r\n\r\n"), L({"a", ""}));
    EXPECT_EQ(SplitFeedLines(""), L({}));
    EXPECT_EQ(SplitFeedLines(std::string_view("v|3\n$\0tail\n", 12)), L({"v|3", "$"}));
}

TEST(FeedText, GbkByStructure) {
    EXPECT_EQ(FeedTextToUtf8("\xC4\xE3\xBA\xC3"), "你好");
    // 0x81 0x7C is one character: the "|" inside it is no separator.
    EXPECT_EQ(FeedTextToUtf8("\x81\x7C"), "亅");
    EXPECT_EQ(FeedVersion("\x81\x7C|3"), "\x81\x7C");
    EXPECT_EQ(ParseCacheHeader("v|\x81\x7C|2026/1/1 0:00:00").days, 3); // one field, no stamp
    EXPECT_EQ(StampedHeader("v\x81\x7C", EncodeDate(2026, 1, 1)), "v\x81\x7C|2026/1/1 0:00:00");
    EXPECT_EQ(StampedHeader("v||", EncodeDate(2026, 1, 1)), "v||2026/1/1 0:00:00");
    // A lead byte without a trail, 0x80 and 0xFF are U+FFFD each.
    EXPECT_EQ(FeedTextToUtf8("\x80x\xFF\x81"), "\xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBD");
    // UTF-8 text is read as GBK like any other bytes: pairs, never a crash.
    EXPECT_FALSE(FeedTextToUtf8("日本").empty());
}

TEST(FeedText, IntegersAndStamps) {
    EXPECT_EQ(FeedInt(" \t7 "), 7);
    EXPECT_EQ(FeedInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(FeedInt("$1F"), 31);
    EXPECT_EQ(FeedInt("0X10"), 16);
    EXPECT_EQ(FeedInt("+3"), 3);
    for (const char* bad : {"", " ", "2147483648", "3d", "0x", "$", "1 2", "--1", "0xFFFFFFFF"})
        EXPECT_EQ(FeedInt(bad), std::nullopt) << bad;

    const TDateTime t = EncodeDateTime(2026, 12, 9, 7, 5, 3);
    EXPECT_EQ(FormatStamp(t), "2026/12/9 7:05:03");
    EXPECT_EQ(ParseStamp("2026/12/9 7:05:03"), t);
    EXPECT_EQ(ParseStamp(" 2026/12/09 \t 07:05:03 "), t);
    for (const char* bad :
         {"2026/12/9", "26/12/9 7:05:03", "2026/12/9 7:5:03", "2026/2/30 7:05:03",
          "2026/12/9 24:00:00", "2026/12/97:05:03", "2026/12/9 7:05:03x", "2026/123/9 7:05:03"})
        EXPECT_EQ(ParseStamp(bad), 0) << bad;
}

TEST(FeedHeader, CacheHeaderAndDueDecision) {
    FeedHeader h = ParseCacheHeader("v7|5|2026/12/9 7:05:03");
    EXPECT_EQ(h.version, "v7");
    EXPECT_EQ(h.days, 5);
    EXPECT_EQ(h.stamp, EncodeDateTime(2026, 12, 9, 7, 5, 3));
    h = ParseCacheHeader("only a version");
    EXPECT_EQ(h.version, "only a version");
    EXPECT_EQ(h.days, 3);
    EXPECT_EQ(h.stamp, 0);
    EXPECT_EQ(ParseCacheHeader("v|x|2026/12/9 7:05:03").days, 3);

    const TDateTime stamp = EncodeDateTime(2026, 12, 1, 12, 0, 0);
    FeedHeader c{"v", 3, stamp};
    EXPECT_FALSE(FeedDue(c, stamp + 2)); // two days: fresh
    EXPECT_FALSE(FeedDue(c, stamp + 2.999));
    EXPECT_TRUE(FeedDue(c, stamp + 3));    // three days: due
    EXPECT_FALSE(FeedDue(c, stamp - 2.5)); // the sign is ignored
    EXPECT_TRUE(FeedDue(c, stamp - 3.5));
    EXPECT_TRUE(FeedDue({"", 3, stamp}, stamp));
    EXPECT_TRUE(FeedDue({"v", 3, 0}, stamp));
    EXPECT_TRUE(FeedDue({"v", 0, stamp}, stamp));
}

TEST(FeedCheck, RejectionsAndCache) {
    EXPECT_EQ(CheckFeedLines({}), FeedReject::Empty);
    EXPECT_EQ(CheckFeedLines(L({"v|3", "$ "})), FeedReject::NoEndMark);
    EXPECT_EQ(CheckFeedLines(L({"v|3", " $"})), FeedReject::NoEndMark);
    EXPECT_EQ(CheckFeedLines(L({"v3", "$"})), FeedReject::NoSeparator);
    EXPECT_EQ(CheckFeedLines(L({"v|3", "$"})), FeedReject::None);

    const TDateTime now = EncodeDateTime(2026, 12, 9, 7, 5, 3);
    EXPECT_EQ(BuildCacheText(L({"v|3", "*", "1", "t", "i", "http://a/", "$"}), now),
              "v|3|2026/12/9 7:05:03\r\n*\r\n1\r\nt\r\ni\r\nhttp://a/\r\n");
    EXPECT_EQ(BuildCacheText(L({"v|3|", "$"}), now), "v|3|2026/12/9 7:05:03\r\n");
    EXPECT_EQ(BuildCacheText(L({"", "$"}), now), "2026/12/9 7:05:03\r\n");
    EXPECT_EQ(ParseCacheHeader(StampedHeader("v|", now)).days, 3); // the stamp is read as days
    EXPECT_EQ(ParseCacheHeader(StampedHeader("v|", now)).stamp, 0);
}

TEST(AdList, RecordsKindsAndReuse) {
    // Kinds 1, 0, 3: the kind-0 record is replaced by the kind-3 one.
    auto recs = LoadAdList(L({"h", "junk", "*", "1", "one", "i1", "http://a/", "extra", "*", "0",
                              "zero", "i0", "http://zero/", "*", "3", "three", "i3", "http://c/"}));
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0], (TADRec{1, "one", "i1", "http://a/"}));
    EXPECT_EQ(recs[1], (TADRec{3, "three", "i3", "http://c/"}));

    // A reused record starts empty: a kind-1 record that lists no link never opens the dropped
    // record's link.
    recs = LoadAdList(L({"h", "*", "2", "x", "info2", "http://dropped/", "*", "1", "shown"}));
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0], (TADRec{1, "shown", "", ""}));

    // A missing kind line: the text is read as the kind (0) and the record is dropped; text is
    // kept only for kinds 1 and 3; other kinds show empty.
    EXPECT_TRUE(LoadAdList(L({"h", "*", "text", "i", "l"})).empty());
    recs = LoadAdList(L({"h", "*", "7", "hidden", "i", "http://x/", "*", "$10"}));
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].AdText, "");
    EXPECT_EQ(recs[1].AdKind, 16);
    EXPECT_TRUE(LoadAdList(L({"only header"})).empty());
}

TEST(AdLinks, TheLinkRule) {
    for (const char* ok : {"http://example.com/a", "HTTPS://x", " \thttp://x/y z\t ",
                           "mailto:a@b.c", "MailTo:me@x?subject=a b"})
        EXPECT_TRUE(AllowedLink(ok)) << ok;
    for (const char* bad : {"file:///etc/passwd", "javascript:alert(1)", "data:text/html,x",
                            "/bin/sh", "C:\\x.htm", "ftp://x/", "http://", "http:// x/",
                            "http://a\x01/", "http://a/\x7F", "mailto:", "mailto: a@b", "xhttp://a",
                            "", "   ", "http://a/\xC2\x85", "about:blank", "http:x"})
        EXPECT_FALSE(AllowedLink(bad)) << bad;
    EXPECT_EQ(AllowedLink("  http://x/  "), "http://x/");
    EXPECT_FALSE(AllowedWebAddress("mailto:a@b"));

    EXPECT_EQ(ActionOf({1, "", "", "http://a"}), AdAction::Open);
    EXPECT_EQ(ActionOf({1, "", "", "mailto:a@b"}), AdAction::Open);
    EXPECT_EQ(ActionOf({1, "", "", "file:///etc/passwd"}), AdAction::Refused);
    EXPECT_EQ(ActionOf({1, "", "", " \t"}), AdAction::None);
    EXPECT_EQ(ActionOf({3, "", "", "https://start/"}), AdAction::StartPage);
    EXPECT_EQ(ActionOf({3, "", "", "mailto:a@b"}), AdAction::Refused);
    EXPECT_EQ(ActionOf({3, "", "", ""}), AdAction::None);
    EXPECT_EQ(ActionOf({5, "", "", "http://a"}), AdAction::None);
}

TEST(Upgrade, NoticeAndMessageText) {
    EXPECT_EQ(UpgradeNoticeText("http://h/"), "Tobu有新版本啦，快来升级吧!\r\n\r\nhttp://h/");
    EXPECT_EQ(UpgradeHisText(EncodeDateTime(2026, 1, 2, 3, 4, 5)), "2026/1/2 3:04:05\r\n");
    EXPECT_EQ(UpgradeMessageText({'a', '\n', 'b', 0, 'c'}), "a\nb");
    EXPECT_EQ(UpgradeMessageText({'a', 'b'}), "ab"); // no zero byte: ends at the data's end
    EXPECT_FALSE(UpgradeTextShowsNotice("a\r\nb"));
    EXPECT_FALSE(UpgradeTextShowsNotice("a\r\nb\r\n"));
    EXPECT_TRUE(UpgradeTextShowsNotice("a\r\nb\r\nc"));
}
