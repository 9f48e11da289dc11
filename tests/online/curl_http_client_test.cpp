// The feed's client against a real server on 127.0.0.1 that misbehaves on request.
#include "online/curl/curl_http_client.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

#include "online/ad_cache.h"
#include "online/ad_fetch.h"
#include "online/server.h"
#include "settings/temp_dir.h"
#include "test_server.h"

using namespace tobu;
using tobu::testing::FeedTestServer;
using tobu::testing::TempDir;

namespace {

const std::string kFeed = "v2|3\r\n*\r\n1\r\nhello\r\ninfo\r\nhttp://a/\r\n$\r\n";

class HttpFixture : public ::testing::Test {
protected:
    HttpFixture() {
        std::filesystem::create_directories(root_.Dir() + "AD");
        TempDir::Put(root_.Dir() + "AD/AD003.txt", kFeed);
        server_ = std::make_unique<FeedTestServer>(root_.Dir());
    }
    HttpResult Get(const std::string& mode, HttpLimits limits = {}) {
        return client_.Get(server_->Base() + mode + "/AD/AD003.txt", limits);
    }
    TempDir root_;
    std::unique_ptr<FeedTestServer> server_;
    CurlHttpClient client_;
};

} // namespace

TEST_F(HttpFixture, BodiesAndStatuses) {
    ASSERT_GT(server_->Port(), 0);
    for (const char* mode : {"", "/chunked", "/close", "/redir"}) {
        HttpResult r = Get(mode);
        EXPECT_EQ(r.error, HttpError::None) << mode;
        EXPECT_EQ(r.status, 200) << mode;
        EXPECT_EQ(r.body, kFeed) << mode;
    }
    HttpResult r = Get("/s404");
    EXPECT_EQ(HttpErrorText(r), "http 404");
    EXPECT_TRUE(r.body.empty());
    EXPECT_EQ(HttpErrorText(Get("/s500")), "http 500");
    EXPECT_EQ(HttpErrorText(Get("/short")), "transfer");
    EXPECT_EQ(HttpErrorText(Get("/redirfile")), "redirect");
    EXPECT_EQ(HttpErrorText(Get("/redirftp")), "redirect");
    EXPECT_EQ(HttpErrorText(Get("/loop")), "redirect");
    EXPECT_EQ(client_.Get("file:///etc/passwd", {}).error, HttpError::BadUrl);
    // The request as the server saw it: no Accept-Encoding, our User-Agent.
    const std::string log = server_->Log();
    EXPECT_NE(log.find("GET /AD/AD003.txt\n"), std::string::npos);
    EXPECT_NE(log.find("User-Agent: TobuClock/3.7.5"), std::string::npos);
    EXPECT_EQ(log.find("Accept-Encoding"), std::string::npos);
}

TEST_F(HttpFixture, SizeLimitHoldsWithAndWithoutLength) {
    HttpResult exact = client_.Get(server_->Base() + "/size/1048576/AD/AD003.txt", {});
    EXPECT_EQ(exact.error, HttpError::None);
    EXPECT_EQ(exact.body.size(), 1048576u);
    HttpResult over = client_.Get(server_->Base() + "/size/1048577/AD/AD003.txt", {});
    EXPECT_EQ(HttpErrorText(over), "too-large");
    for (const char* mode : {"/bigcl", "/bignocl"}) {
        HttpResult r = Get(mode);
        EXPECT_EQ(HttpErrorText(r), "too-large") << mode;
        EXPECT_LE(r.bytes, 1048576u) << mode;
        EXPECT_TRUE(r.body.empty());
    }
}

TEST_F(HttpFixture, SlowAndSilentServersEndWithinTheTimeLimit) {
    HttpLimits limits;
    limits.total_timeout_ms = 1500;
    for (const char* mode : {"/drip", "/silence", "/silenthead"}) {
        const auto start = std::chrono::steady_clock::now();
        HttpResult r = Get(mode, limits);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(HttpErrorText(r), "timeout") << mode;
        EXPECT_LT(took, std::chrono::seconds(5)) << mode;
    }
    // A closed port refuses at once.
    EXPECT_EQ(HttpErrorText(client_.Get("http://127.0.0.1:1/AD/AD003.txt", {})), "connect");
}

TEST_F(HttpFixture, CheckWritesOnceAndLeavesAnUnchangedCacheAlone) {
    TempDir app;
    FeedFetchOptions o;
    o.app_dir = app.Dir();
    // A trailing "/" of the server setting gives the same request path.
    o.url = FeedUrl(*ServerBase(server_->Base() + "/"));
    const TDateTime now = EncodeDateTime(2026, 12, 9, 7, 5, 3);
    FeedFetchReport r = RunFeedCheck(client_, o, now);
    EXPECT_EQ(r.result, "new");
    EXPECT_TRUE(r.wrote);
    const std::string cache = TempDir::Get(AdCachePath(app.Dir()));
    EXPECT_EQ(cache.substr(0, 28), "v2|3|2026/12/9 7:05:03\r\n*\r\n1");

    // Fresh a day later: no request.
    r = RunFeedCheck(client_, o, now + 1);
    EXPECT_EQ(r.result, "fresh");
    EXPECT_FALSE(r.requested);
    // Stale after three days, same version: nothing written, byte for byte.
    r = RunFeedCheck(client_, o, now + 3);
    EXPECT_EQ(r.result, "unchanged");
    EXPECT_EQ(TempDir::Get(AdCachePath(app.Dir())), cache);
    // A 404 with a valid body never reaches the cache.
    o.force = true;
    TempDir::Put(root_.Dir() + "AD/AD003.txt", "v3|3\r\n$\r\n");
    o.url = server_->Base() + "/s404/AD/AD003.txt";
    r = RunFeedCheck(client_, o, now + 3);
    EXPECT_EQ(r.error, "http 404");
    EXPECT_EQ(TempDir::Get(AdCachePath(app.Dir())), cache);
    const std::string log = server_->Log();
    EXPECT_EQ(log.find("GET //"), std::string::npos);
}
