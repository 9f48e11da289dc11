// The LED display's per-second cost on the main bar: a full drawing of "12:34:56" and one
// tick (format the time, set the text, draw only when it changed).
#include <benchmark/benchmark.h>

#include "base/datetime.h"
#include "faces/led_font_num.h"

namespace {

tobu::LEDFontNum BarLed() {
    tobu::LEDFontNum led;
    led.SetAutoSize(false);
    led.SetOffSetX(6);
    led.SetOffSetY(2);
    led.SetWordWidth(15);
    led.SetWordHeight(19);
    led.SetThick(3);
    led.SetSpace(3);
    led.SetBGColor(tobu::kClBlack);
    led.SetLightColor(tobu::kClFuchsia);
    led.SetDarkColor(3618615);
    led.SetSize(117, 23);
    led.SetText("12:34:56");
    return led;
}

void BM_LedDrawDigits(benchmark::State& state) {
    tobu::LEDFontNum led = BarLed();
    tobu::Bitmap32 picture;
    for (auto _ : state) {
        led.DrawDigits(picture);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}
BENCHMARK(BM_LedDrawDigits);

// Every iteration is one second later, so every tick draws (the bar's steady state).
void BM_LedBarTick(benchmark::State& state) {
    tobu::LEDFontNum led = BarLed();
    tobu::Bitmap32 picture;
    tobu::TDateTime now = tobu::EncodeDateTime(2024, 2, 10, 13, 59, 52);
    for (auto _ : state) {
        now += 1.0 / 86400;
        if (led.SetText(tobu::FormatDateTime("hh:mm:ss", now)) != tobu::kLedNone)
            led.DrawDigits(picture);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}
BENCHMARK(BM_LedBarTick);

// A tick within the same second: only the format and the comparison.
void BM_LedBarTickUnchanged(benchmark::State& state) {
    tobu::LEDFontNum led = BarLed();
    tobu::Bitmap32 picture;
    const tobu::TDateTime now = tobu::EncodeDateTime(2024, 2, 10, 12, 34, 56);
    for (auto _ : state) {
        if (led.SetText(tobu::FormatDateTime("hh:mm:ss", now)) != tobu::kLedNone)
            led.DrawDigits(picture);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
}
BENCHMARK(BM_LedBarTickUnchanged);

} // namespace
