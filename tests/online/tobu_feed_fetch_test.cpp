// `tobu feed fetch` loads the HTTP module beside the tool only when it makes a request; a tool
// whose module is missing or broken says so and fails instead of crashing.
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>

#include "online/http_module.h"
#include "settings/temp_dir.h"
#include "support/staged_tool.h"
#include "test_server.h"

using namespace tobu;
using tobu::testing::CommandRun;
using tobu::testing::FeedTestServer;
using tobu::testing::RunCommand;
using tobu::testing::StageDir;
using tobu::testing::TempDir;
namespace fs = std::filesystem;

namespace {

CommandRun Fetch(const std::string& tool, const FeedTestServer& server, const std::string& dir,
                 const std::string& err, const std::string& more = "") {
    return RunCommand("TOBU_SERVER='" + server.Base() + "/' '" + tool + "' feed fetch --dir '" +
                      dir + "' " + more + " 2>'" + err + "'");
}

} // namespace

TEST(TobuFeedFetch, LoadsTheModuleBesideTheToolOnlyForARequest) {
    TempDir www, app, copy;
    fs::create_directories(www.Dir() + "AD");
    TempDir::Put(www.Dir() + "AD/AD003.txt", "v2|3\r\n$\r\n");
    FeedTestServer server(www.Dir());
    const std::string err = copy.File("err");

    // The staged tool, reached through a link as the package's /usr/bin/tobu is.
    fs::create_directory(copy.Dir() + "bin");
    fs::create_symlink(StageDir() + "/tobu", copy.Dir() + "bin/tobu");
    CommandRun r = Fetch(copy.Dir() + "bin/tobu", server, app.Dir(), err);
    EXPECT_EQ(r.status, 0) << r.out << TempDir::Get(err);
    EXPECT_NE(r.out.find("result: new"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::exists(app.Dir() + "Sup/Ad.his"));

    // A copy of the tool without its module: a fresh cache needs no request and no module...
    fs::copy_file(StageDir() + "/tobu", copy.Dir() + "tobu");
    fs::permissions(copy.Dir() + "tobu", fs::perms::owner_exec, fs::perm_options::add);
    const std::string tool = copy.Dir() + "tobu";
    r = Fetch(tool, server, app.Dir(), err);
    EXPECT_EQ(r.status, 0) << TempDir::Get(err);
    EXPECT_NE(r.out.find("result: fresh"), std::string::npos) << r.out;

    // ...a request names the missing module and fails, printing no result.
    r = Fetch(tool, server, app.Dir(), err, "--force --json");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    const std::string module = copy.Dir() + kHttpModule;
    EXPECT_EQ(TempDir::Get(err).rfind("tobu feed fetch: cannot load the HTTP module: " + module, 0),
              0u)
        << TempDir::Get(err);

    // A module that is no library, or a library that is no HTTP module.
    fs::create_directory(copy.Dir() + "Modules");
    TempDir::Put(module, "not a library");
    r = Fetch(tool, server, app.Dir(), err, "--force");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(TempDir::Get(err).find("cannot load the HTTP module: " + module), std::string::npos)
        << TempDir::Get(err);
    fs::remove(module);
    Dl_info libc{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&::abort), &libc), 0);
    fs::copy_file(libc.dli_fname, module);
    r = Fetch(tool, server, app.Dir(), err, "--force");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(TempDir::Get(err).find("not an HTTP module"), std::string::npos) << TempDir::Get(err);
}
