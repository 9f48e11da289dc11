// What the month grid computes on every repaint, and the slowest single conversion.
#include <benchmark/benchmark.h>

#include "calendar/festival_list.h"
#include "calendar/lunar.h"

namespace {

// 42 cells from the Sunday before 2024-02-01, each with the work a repaint does: two lunar
// conversions (the cell and, for the month eve, the next day, inside GetFestivals) plus the
// cell's own, the term, the stem-branch numbers, the festivals and the mark colour.
void BM_MonthGridRepaint(benchmark::State& state) {
    tobu::TFestivalList list = tobu::MakeGridFestivalList();
    list.AddMark(tobu::kSolarKind, "0214", 0xFC6E04);
    list.AddMark(tobu::kLunarKind, "0115", 0xFC6E04);
    const tobu::TDateTime first = tobu::EncodeDate(2024, 1, 28);
    for (auto _ : state) {
        for (int i = 0; i < 42; ++i) {
            const tobu::TDateTime d = first + i;
            benchmark::DoNotOptimize(tobu::SolarToLunar(d));
            benchmark::DoNotOptimize(tobu::SolarToLunar(d + 1));
            benchmark::DoNotOptimize(tobu::TermNameOf(d));
            benchmark::DoNotOptimize(tobu::GetGanZhi(d));
            benchmark::DoNotOptimize(tobu::GetFestivals(list, d));
            benchmark::DoNotOptimize(tobu::GetMarkColor(list, d));
        }
    }
}
BENCHMARK(BM_MonthGridRepaint)->Unit(benchmark::kMicrosecond);

void BM_SolarToLunar2100(benchmark::State& state) {
    const tobu::TDateTime d = tobu::EncodeDate(2100, 12, 31);
    for (auto _ : state) benchmark::DoNotOptimize(tobu::SolarToLunar(d));
}
BENCHMARK(BM_SolarToLunar2100);

} // namespace
