// The world time list's costs: reading a large TimeZone.lst (the shipped list repeated to
// 20,000 lines, decoded from GBK and split into countries) and one refresh of a city's view.
#include <benchmark/benchmark.h>

#include <string>

#include "base/text.h"
#include "timeservices/world_time.h"

namespace {

using namespace tobu;

std::string BigList() {
    std::string one;
    for (int i = 0; i < 100; ++i)
        one += Utf8ToGbk("1|法国|Paris|巴黎|UTC/GMT +1 小时 (东一区)|北纬 48°51', 东经 2°21'|3/29 "
                         "2:00|10/25 2:00\r\n8|中国|Beijing|北京|UTC/GMT +8 小时 (东八区)|北纬 "
                         "39°54', 东经 116°23'||\r\n");
    std::string all;
    for (int i = 0; i < 100; ++i) all += one;
    return all; // 20,000 lines
}

void BM_ReadTimeZoneList20000Lines(benchmark::State& state) {
    const std::string data = BigList();
    for (auto _ : state) {
        auto list = ParseTimeZoneList(data, 2026);
        benchmark::DoNotOptimize(list.countries.size());
    }
}
BENCHMARK(BM_ReadTimeZoneList20000Lines)->Unit(benchmark::kMillisecond);

void BM_CityViewRefresh(benchmark::State& state) {
    WorldCity paris{"巴黎", "Paris", "z", "p", 1, DstRule{3, 29, 2, 0}, DstRule{10, 25, 2, 0}};
    TDateTime utc = EncodeDateTime(2026, 7, 1, 12, 0, 0);
    for (auto _ : state) {
        auto view = ViewCity("法国", paris, utc, 2026);
        benchmark::DoNotOptimize(view.time_line.data());
    }
}
BENCHMARK(BM_CityViewRefresh);

} // namespace
