// The feed's client loaded from the staged module: it fetches like the linked client, it is
// gone from the process when the client is, and a missing module only fails the request.
#include "online/http_module.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "settings/temp_dir.h"
#include "support/staged_tool.h"
#include "test_server.h"

using namespace tobu;
using tobu::testing::FeedTestServer;
using tobu::testing::TempDir;

namespace {

bool Mapped(const std::string& name) {
    std::ifstream maps("/proc/self/maps");
    std::stringstream all;
    all << maps.rdbuf();
    return all.str().find(name) != std::string::npos;
}

} // namespace

TEST(HttpModule, FetchesAndLeavesWithItsClient) {
    TempDir root;
    std::filesystem::create_directories(root.Dir() + "AD");
    TempDir::Put(root.Dir() + "AD/AD003.txt", "v2|3\r\n$\r\n");
    FeedTestServer server(root.Dir());
    const std::string module = tobu::testing::StageDir() + "/" + kHttpModule;
    for (int round = 0; round < 2; ++round) {
        {
            ModuleHttpClient client(module);
            ASSERT_TRUE(client.Loaded()) << module;
            EXPECT_TRUE(Mapped(kHttpModule));
            HttpResult r = client.Get(server.Base() + "/AD/AD003.txt", {});
            EXPECT_EQ(r.error, HttpError::None);
            EXPECT_EQ(r.body, "v2|3\r\n$\r\n");
            EXPECT_EQ(client.Get(server.Base() + "/s404/AD/AD003.txt", {}).status, 404);
        }
        EXPECT_FALSE(Mapped(kHttpModule)) << "round " << round;
    }

    ModuleHttpClient missing(root.Dir() + "nothing/" + kHttpModule);
    EXPECT_FALSE(missing.Loaded());
    EXPECT_EQ(missing.Get(server.Base() + "/AD/AD003.txt", {}).error, HttpError::Connect);
}
