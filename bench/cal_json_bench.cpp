// The work of `tobu cal --json` over 10 000 dates from 1990-01-01 in one call (the tool's whole
// run, start and exit included, is measured by tools/measure.sh): parsing the dates, the lunar
// conversion, terms, stem-branch numbers, festivals and weeks of each, and the JSON lines,
// written to a stream that drops them. The single-date CalJson over the same dates for
// comparison.
#include <benchmark/benchmark.h>

#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/cal_json.h"
#include "calendar/cal_report.h"

namespace {

class CountingBuf : public std::streambuf {
public:
    std::size_t bytes = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize n) override {
        bytes += static_cast<std::size_t>(n);
        return n;
    }
    int_type overflow(int_type c) override {
        ++bytes;
        return c;
    }
};

std::vector<std::string> TenThousandDates() {
    std::vector<std::string> dates;
    const tobu::TDateTime first = tobu::EncodeDate(1990, 1, 1);
    for (int i = 0; i < 10000; ++i) dates.push_back(tobu::FormatIsoDate(first + i));
    return dates;
}

void BM_CalJson10000Dates(benchmark::State& state) {
    const std::vector<std::string> texts = TenThousandDates();
    const std::vector<std::string_view> dates(texts.begin(), texts.end());
    CountingBuf sink;
    std::ostream out(&sink), err(&sink);
    for (auto _ : state) {
        // A new festival list each time, as each run of the tool makes one.
        const tobu::TFestivalList festivals;
        benchmark::DoNotOptimize(tobu::CalJsonLines(dates, festivals, out, err));
    }
    state.counters["bytes"] =
        static_cast<double>(sink.bytes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CalJson10000Dates)->Unit(benchmark::kMillisecond);

void BM_CalJsonOneByOne10000Dates(benchmark::State& state) {
    const std::vector<std::string> dates = TenThousandDates();
    const tobu::TFestivalList festivals;
    for (auto _ : state) {
        for (const std::string& d : dates) {
            tobu::TDateTime v = 0;
            tobu::ParseCalDate(d, v);
            benchmark::DoNotOptimize(tobu::CalJson(v, festivals));
        }
    }
}
BENCHMARK(BM_CalJsonOneByOne10000Dates)->Unit(benchmark::kMillisecond);

} // namespace
