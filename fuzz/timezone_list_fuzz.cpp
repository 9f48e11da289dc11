// corpus: tests/timeservices/corpus/timezone
//
// Feeds arbitrary bytes to the TimeZone.lst reader for a year taken from the input, then
// shows every city as the window would at an instant taken from the input: loading either
// succeeds with non-empty countries or names a line, and no city's view misbehaves.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "timeservices/world_time.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::uint32_t seed = 0;
    for (size_t i = 0; i < size && i < 4; ++i) seed = seed << 8 | data[i];
    const int year = 1900 + static_cast<int>(seed % 8099);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto list = tobu::ParseTimeZoneList(text, year);
    if (list.status == tobu::WorldTimeList::Status::Error &&
        (list.error_line < 1 || !list.countries.empty()))
        __builtin_trap();
    const tobu::TDateTime utc =
        tobu::EncodeDate(year, 1, 1) + static_cast<double>(seed % (366 * 1440)) / 1440;
    for (size_t ci = 0; ci < list.countries.size(); ++ci) {
        const auto& country = list.countries[ci];
        if (country.cities.empty() || (ci == 0 && country.name.empty())) __builtin_trap();
        for (const auto& city : country.cities) {
            if (!(city.offset >= -24 && city.offset <= 24)) __builtin_trap();
            const auto view = tobu::ViewCity(country.name, city, utc, year);
            if (view.dst && !city.HasDst()) __builtin_trap();
        }
    }
    return 0;
}
