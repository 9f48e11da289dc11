// corpus: tests/online/corpus/userjs
// Reads arbitrary bytes as a Firefox profiles.ini and user.js (split at the first zero byte) and
// as a server setting, and checks the start page's promises: a written address reads back, a
// second write changes nothing, and only http or https servers are ever used.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "online/server.h"
#include "online/start_page.h"

using namespace tobu;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const size_t nul = bytes.find('\0');
    const std::string_view ini = bytes.substr(0, nul);
    const std::string_view js = nul == std::string_view::npos ? bytes : bytes.substr(nul + 1);

    (void)ChooseProfile(ini, "/home/u/.mozilla/firefox/");
    (void)ReadHomePagePref(js);
    for (const char* value : {"http://a.example/", "https://x/\"q\\\"", "http://b/'\\n"}) {
        const std::string written = WithHomePagePref(js, value);
        Check(ReadHomePagePref(written) == value);
        Check(WithHomePagePref(written, value) == written);
    }

    if (std::optional<std::string> base = ServerBase(bytes.substr(0, 200))) {
        Check(base->rfind("http://", 0) == 0 || base->rfind("https://", 0) == 0);
        for (unsigned char c : *base) Check(c > 0x20 && c < 0x7F);
    }
    return 0;
}
