// The analog clock's per-second cost: turning a 20 × 90 hand (the second hand's rotation every
// tick) and one tick of the whole clock picture.
#include <benchmark/benchmark.h>

#include "faces/clock_dial.h"
#include "faces/rotate_image.h"

namespace {

tobu::Bitmap32 Hand(int w, int h) {
    tobu::Bitmap32 b(w, h, 0xFFFF00FF);
    for (int y = 0; y < h * 2 / 3; ++y)
        for (int x = w / 3; x < w - w / 3; ++x) b.At(x, y) = 0xFF202020 + std::uint32_t(y);
    return b;
}

void BM_RotateBitmapHand20x90(benchmark::State& state) {
    const tobu::Bitmap32 hand = Hand(20, 90);
    int second = 0;
    for (auto _ : state) {
        tobu::Bitmap32 r = tobu::RotateBitmap(hand, 0xFFFF00FF, -6.0 * (second++ % 60 + 1));
        benchmark::DoNotOptimize(r.pixels.data());
    }
}
BENCHMARK(BM_RotateBitmapHand20x90);

// A 180-pixel face: every iteration is one second later, so the second hand turns each time.
void BM_ClockTick180(benchmark::State& state) {
    tobu::ClockFace f;
    f.face = tobu::Bitmap32(180, 180, 0xFFFFFFFF);
    f.hour = Hand(12, 70);
    f.minute = Hand(10, 110);
    f.second = Hand(4, 130);
    f.cap = tobu::Bitmap32(9, 9, 0xFF800000);
    f.pivot = {90, 90};
    tobu::ClockDial dial(f);
    tobu::Bitmap32 canvas(180, 180);
    int t = 0;
    for (auto _ : state) {
        ++t;
        dial.SetClockHands(t / 3600 % 24, t / 60 % 60, t % 60);
        dial.Paint(canvas);
        benchmark::DoNotOptimize(canvas.pixels.data());
    }
}
BENCHMARK(BM_ClockTick180);

} // namespace
