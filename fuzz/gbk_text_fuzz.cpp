// corpus: tests/base/corpus/text
//
// The text helpers every reader goes through: GBK to UTF-8 and back, the GBK byte count and
// the cut at a byte limit, and the settings files' integers, trimming and letter case.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/text.h"

using namespace tobu;

namespace {

// A broken promise stops the run, naming itself.
#define Check(ok)                                                                                  \
    do {                                                                                           \
        if (!(ok)) {                                                                               \
            std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #ok);                          \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of the UTF-8 character at s[i] of a valid text.
std::size_t CharLength(std::string_view s, std::size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    return c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Any bytes read as GBK give UTF-8.
    const std::string utf8 = GbkToUtf8(bytes);
    Check(IsValidUtf8(utf8));

    // Any text written as GBK reads back as UTF-8 without new damage.
    const std::string gbk = Utf8ToGbk(bytes);
    const std::string back = GbkToUtf8(gbk);
    Check(IsValidUtf8(back));
    if (IsValidUtf8(bytes) && bytes.find(kReplacement) == std::string_view::npos)
        Check(back.find(kReplacement) == std::string::npos);
    Check(GbkByteCount(bytes) == gbk.size());

    // The cut at a byte limit: a prefix that fits, and for a valid text the longest one.
    const std::size_t limit = size == 0 ? 0 : data[0] % 64;
    const std::string cut = GbkTruncate(bytes, limit);
    Check(bytes.substr(0, cut.size()) == cut);
    Check(GbkByteCount(cut) <= limit);
    if (IsValidUtf8(bytes) && cut.size() < bytes.size()) {
        Check(IsValidUtf8(cut));
        const std::size_t next = CharLength(bytes, cut.size());
        Check(GbkByteCount(bytes.substr(0, cut.size() + next)) > limit);
    }

    // Integers as the settings files hold them print back to themselves.
    if (auto v = ParseInt(bytes)) Check(ParseInt(std::to_string(*v)) == v);
    Check(StrToIntDef(bytes, 7) == ParseInt(bytes).value_or(7));

    // Trimming, letter case and splitting.
    const std::string trimmed = Trim(bytes);
    Check(Trim(trimmed) == trimmed);
    Check(bytes.find(trimmed) != std::string_view::npos);
    Check(SameText(AsciiLower(bytes), AsciiUpper(bytes)));
    Check(AsciiLower(bytes).size() == size);
    std::string joined;
    for (const std::string& part : Split(bytes, ',')) joined += part + ",";
    if (!joined.empty()) joined.pop_back();
    Check(joined == bytes);
    return 0;
}
