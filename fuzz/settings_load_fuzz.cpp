// corpus: tests/settings/corpus/ini tests/settings/corpus/settings
// options: -max_len=8192 -len_control=10
//
// The whole settings load on arbitrary skin.ini bytes, in memory: the clock's reading of every
// key with its rules, the popup program's reading, and what the options dialog would write back.
// The loaded values always lie inside the ranges the bar and the popups can use, and writing
// the dialog's values and loading again gives the same values.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/text.h"
#include "popupmsg/popup_board.h"
#include "settings/bar_settings_writer.h"
#include "settings/clock_settings.h"
#include "settings/ini_file.h"

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

void CheckRules(const ClockSettings& s, const ScreenFacts& screen) {
    Check(s.bar.top >= 0);
    Check(s.bar.left <= screen.screen_width - screen.bar_width);
    Check(s.bar.def_win >= 0 && s.bar.def_win <= 3);
    Check(s.bar.alpha == (s.bar.tr & 0xFF));
    Check(s.msg.war_step_interval_ms >= 60000);
}

// A written value is one line: line breaks and zero bytes in it become blanks, and blanks at
// its ends go. A character without a GBK form (U+FFFD, what a malformed GBK sequence reads as)
// is written as "?" to a GBK file.
std::string Flat(std::string v) {
    for (char& c : v)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return GbkToUtf8(Utf8ToGbk(Trim(v)));
}

OptionsValues AsWritten(OptionsValues v) {
    v.hot_key1 = Flat(v.hot_key1);
    v.hot_key2 = Flat(v.hot_key2);
    v.font.name = Flat(v.font.name);
    return v;
}

} // namespace

// A run allocates and frees some hundred kilobytes. A 16 MB quarantine (instead of 256 MB) still
// keeps the freed blocks of a hundred runs poisoned for use-after-free checks, and it reuses
// warm memory instead of touching new pages on every run: a fifth more runs a second.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const IniFile ini = IniFile::FromBytes(bytes);

    // The bar's load, on the usual screen or on one narrower than the bar.
    const ScreenFacts screen =
        size % 4 == 0 ? ScreenFacts{static_cast<int>(size % 400), 332} : ScreenFacts{};
    const ClockSettings s = ReadClockSettings(ini, screen);
    CheckRules(s, screen);

    // The popup program's load.
    const PopupSettings p = ReadPopupSettings(ini);
    Check(p.auto_sec >= 5 && p.auto_sec <= 3600);
    Check(p.tran >= 55 && p.tran <= 255);

    // The options dialog shows what was loaded and saves it: loading the saved file shows the
    // same values again.
    const OptionsValues shown = OptionsValuesFrom(s);
    IniFile saved = ini;
    if (WriteOptionsValues(saved, shown)) {
        const ClockSettings again =
            ReadClockSettings(IniFile::FromBytes(saved.Serialize()), screen);
        Check(AsWritten(OptionsValuesFrom(again)) == AsWritten(shown));
        Check(again.bar.left == s.bar.left && again.bar.top == s.bar.top);
        Check(again.skin == s.skin);
    }
    return 0;
}
