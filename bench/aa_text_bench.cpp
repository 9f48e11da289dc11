// The date line's costs: one fade step's paint of the transparent date line (two lines rendered
// over the background, then the cross-fade), rendering one date line through the engine, and
// the cross-fade alone.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QWidget>
#include <memory>

#include "faces/qt/aa_fadetext.h"

namespace {

using namespace tobu;

const char* kDate = "<FontCN>2024年02月10日 星期六";

void EnsureApp() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tobu_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    QFont::insertSubstitution("宋体", "AR PL UMing CN");
}

void BM_DateLineFadeStepPaint(benchmark::State& state) {
    EnsureApp();
    QWidget bar;
    bar.resize(400, 44);
    auto* line = new TAAFadeText(&bar);
    ConfigureDateLine(*line);
    QImage skin(400, 44, QImage::Format_RGB32);
    skin.fill(0xFF000060u);
    line->SetBackgroundPicture(skin);
    line->Lines().Assign({kDate, "<FontAD>今日公告：桌面时钟新版本"});
    line->ShowLine(0);
    line->ShowLine(1);
    for (int i = 0; i < 12; ++i) line->Core().FadeTimerTick(); // half way through the fade
    for (auto _ : state) {
        line->Core().PaintCanvas();
        benchmark::DoNotOptimize(line->Core().Display().pixels.data());
    }
}
BENCHMARK(BM_DateLineFadeStepPaint)->Unit(benchmark::kMicrosecond);

void BM_RenderDateLine(benchmark::State& state) {
    EnsureApp();
    TQtGlyphSource glyphs;
    TAAFontEx engine(&glyphs);
    engine.SetQuality(TAAQuality::aqNone);
    engine.Effect().Shadow().SetEnabled(true);
    engine.Effect().Shadow().SetOffsetX(1);
    engine.Effect().Shadow().SetOffsetY(1);
    Bitmap32 bmp(154, 20, 0xFF000060u);
    TAACanvas canvas;
    canvas.bitmap = &bmp;
    canvas.font.height = 12;
    canvas.font.color = kClWhite;
    canvas.brushStyle = TBrushStyle::bsClear;
    engine.SetCanvas(&canvas);
    const std::string text = "2024年02月10日 星期六";
    for (auto _ : state) {
        const TSize size = engine.Measure(text);
        engine.Draw((154 - size.cx) / 2, (20 - size.cy) / 2, text);
        benchmark::DoNotOptimize(bmp.pixels.data());
    }
}
BENCHMARK(BM_RenderDateLine)->Unit(benchmark::kMicrosecond);

void BM_CrossFade154x20(benchmark::State& state) {
    Bitmap32 o(154, 20, 0xFF000060u), n(154, 20, 0xFFFFFFFFu), d;
    int level = 1;
    for (auto _ : state) {
        AACrossFade(o, n, level, d);
        level = level % 254 + 1;
        benchmark::DoNotOptimize(d.pixels.data());
    }
}
BENCHMARK(BM_CrossFade154x20)->Unit(benchmark::kMicrosecond);

} // namespace
