// The analog clock's per-second cost: turning a 20 × 90 hand (the second hand's rotation every
// tick), turning the largest hand of the shipped faces, one tick of the whole clock picture, and
// one tick of the clock window with a shipped face (hands, picture, shape and paint).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFont>
#include <filesystem>
#include <string>

#include "app/qt/frm_clock.h"
#include "faces/clock_dial.h"
#include "faces/rotate_image.h"
#include "platform/clock.h"
#include "settings/clock_face_loader.h"

namespace {

const std::string kFaces = std::string(TOBU_SOURCE_DIR) + "/data/Clock/";

void EnsureApp() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tobu_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    QFont::insertSubstitution("宋体", "AR PL UMing CN");
}

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

// The largest hand (by area) of the faces in data/Clock, turned to a new angle every time.
void BM_RotateBitmapLargestShippedHand(benchmark::State& state) {
    tobu::Bitmap32 largest;
    std::string from;
    for (const auto& entry : std::filesystem::directory_iterator(kFaces)) {
        tobu::ClockFace face;
        if (!tobu::LoadClockFaceSkin(entry.path().string(), face).Applied()) continue;
        for (const tobu::Bitmap32* hand : {&face.hour, &face.minute, &face.second})
            if (hand->width * hand->height > largest.width * largest.height) {
                largest = *hand;
                from = entry.path().filename().string();
            }
    }
    if (largest.Empty()) {
        state.SkipWithError("no shipped clock face found");
        return;
    }
    const std::uint32_t background = tobu::BitmapTransparentPixel(largest);
    int second = 0;
    for (auto _ : state) {
        tobu::Bitmap32 r = tobu::RotateBitmap(largest, background, -6.0 * (second++ % 59 + 1));
        benchmark::DoNotOptimize(r.pixels.data());
    }
    state.SetLabel(from + " " + std::to_string(largest.width) + "x" +
                   std::to_string(largest.height));
}
BENCHMARK(BM_RotateBitmapLargestShippedHand);

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

// One second of the open clock window with the shipped Classic face: the tick's SetClockHands
// (angles, the second hand re-rotated, the picture composed, converted and keyed into the
// window's shape when it changed) and the repaint. The minute and hour hands turn when their
// time comes, as they do every 60 and 720 ticks.
void BM_ClockWindowTickClassic(benchmark::State& state) {
    EnsureApp();
    tobu::FakeClock clock(tobu::EncodeDateTime(2024, 2, 10, 10, 8, 36, 0));
    tobu::TFrmClock w(clock, false);
    if (!w.LoadClockFace(kFaces + "Classic.cl", false)) {
        state.SkipWithError("data/Clock/Classic.cl did not load");
        return;
    }
    w.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        clock.AdvanceMSecs(1000);
        w.SetClockHands(clock.Now());
        w.repaint();
    }
}
BENCHMARK(BM_ClockWindowTickClassic);

} // namespace
