// corpus: tests/settings/corpus/ini tests/settings/corpus/settings
// options: -max_len=16384 -len_control=10
//
// Parses arbitrary bytes as skin.ini, reads and writes keys, and checks the file's promises:
// an untouched file serialises to exactly its bytes, a written value reads back, and the
// lines around it survive.
#include "base/text.h"
#include "settings/bar_settings_writer.h"
#include "settings/ini_file.h"
#include "settings/settings_keys.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

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

// Takes a short name from the front of the input (length byte + bytes).
std::string TakeName(std::string_view& in) {
    if (in.empty()) return {};
    std::size_t n = static_cast<unsigned char>(in[0]) % 12;
    in.remove_prefix(1);
    n = std::min(n, in.size());
    std::string s(in.substr(0, n));
    in.remove_prefix(n);
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    IniFile ini = IniFile::FromBytes(bytes);
    Check(ini.Serialize() == bytes);

    // Every key of the table reads without trouble.
    for (const KeyInfo& k : AllKeys()) {
        (void)ini.ReadString(k.section, k.name, "d");
        (void)ini.ReadInteger(k.section, k.name, 7);
    }
    (void)OptionsValuesFrom(ReadClockSettings(ini));
    for (const std::string& s : ini.ReadSections()) (void)ini.ReadSection(s);

    // Names and a value taken from the input itself.
    std::string_view rest = bytes;
    std::string section = GbkToUtf8(TakeName(rest));
    std::string key = GbkToUtf8(TakeName(rest));
    std::string value = GbkToUtf8(TakeName(rest));
    (void)ini.ReadString(section, key);

    IniFile copy = IniFile::FromBytes(bytes);
    if (copy.WriteString(section, key, value)) {
        IniFile again = IniFile::FromBytes(copy.Serialize());
        Check(again.KeyExists(section, key));
        // The value reads back as written, up to line breaks and blanks at its ends.
        // A file with the UTF-8 mark keeps UTF-8; any other is GBK, where a character without
        // a GBK form becomes "?".
        const bool utf8_file = bytes.substr(0, 3) == "\xEF\xBB\xBF";
        std::string flat = utf8_file ? value : Utf8ToGbk(value);
        for (char& c : flat)
            if (c == '\r' || c == '\n' || c == '\0') c = ' ';
        Check(again.ReadString(section, key) == (utf8_file ? Trim(flat) : GbkToUtf8(Trim(flat))));
        Check(again.Serialize() == copy.Serialize());
    }

    IniFile typed = IniFile::FromBytes(bytes);
    Check(Write(typed, keys::BarLeft, -100));
    Check(Write(typed, keys::LedFontName, "宋体"));
    IniFile typed_again = IniFile::FromBytes(typed.Serialize());
    Check(Read(typed_again, keys::BarLeft, 0) == -100);
    Check(Read(typed_again, keys::LedFontName) == "宋体");
    // Appending never changes what the original bytes said elsewhere: every section name of
    // the input is still there, in order, at the front.
    auto before = ini.ReadSections();
    auto after = typed_again.ReadSections();
    Check(after.size() >= before.size());
    for (std::size_t i = 0; i < before.size(); ++i) Check(before[i] == after[i]);
    return 0;
}
