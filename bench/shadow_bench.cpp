// The drop-shadow picture is redrawn whenever a window changes size or opacity, and a skin
// sheet is decoded at every skin load; both should stay well below a frame's time.
#include <benchmark/benchmark.h>

#include "app/chrome.h"
#include "settings/skin_package.h"

namespace {

void BM_ShadowPictureDialog(benchmark::State& state) {
    tobu::Bitmap8 region = tobu::RoundRectMask(382, 266);
    tobu::ShadowForm f;
    f.width = 382;
    f.height = 266;
    f.region = &region;
    for (auto _ : state) benchmark::DoNotOptimize(tobu::DrawShadowPicture(f));
}
BENCHMARK(BM_ShadowPictureDialog)->Unit(benchmark::kMillisecond);

void BM_ShadowPictureColourKeyedBar(benchmark::State& state) {
    tobu::Bitmap32 client(332, 34, tobu::ColorToPixel(0x808080));
    for (int y = 0; y < 34; ++y) client.At(0, y) = tobu::ColorToPixel(tobu::kClFuchsia);
    tobu::ShadowForm f;
    f.width = 332;
    f.height = 34;
    f.transparent_color = tobu::kClFuchsia;
    f.client = &client;
    for (auto _ : state) benchmark::DoNotOptimize(tobu::DrawShadowPicture(f));
}
BENCHMARK(BM_ShadowPictureColourKeyedBar)->Unit(benchmark::kMillisecond);

void BM_DialogFrame(benchmark::State& state) {
    tobu::Bitmap32 frame(100, 50, 0xFF336699);
    for (auto _ : state) benchmark::DoNotOptimize(tobu::PaintFrame(frame, 382, 266));
}
BENCHMARK(BM_DialogFrame)->Unit(benchmark::kMillisecond);

void BM_DecodeSkinSheet(benchmark::State& state) {
    tobu::Bitmap32 sheet(332, 610, 0xFF204060);
    const std::string file = tobu::EncodeBmp24(sheet);
    tobu::Bitmap32 out;
    for (auto _ : state) benchmark::DoNotOptimize(tobu::DecodeBmp(file, out));
}
BENCHMARK(BM_DecodeSkinSheet)->Unit(benchmark::kMillisecond);

} // namespace
