// The announcement feed's costs: reading a 1 MiB feed of 25 000 records (the clock's whole
// path: lines, checks, its cache's header and records), and one paint of the date line showing a
// 60 000-character announcement, which is drawn clipped to the control.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QWidget>
#include <string>

#include "faces/qt/aa_fadetext.h"
#include "online/ad_fetch.h"
#include "online/feed.h"

namespace {

using namespace tobu;

std::string BigFeed() {
    std::string feed = "v-bench|3\r\n";
    for (int i = 0; feed.size() < 1048576 - 64; ++i) {
        feed += "*\r\n1\r\n\xC4\xE3\xBA\xC3 " + std::to_string(i) + "\r\ni\r\nhttp://e/" +
                std::to_string(i) + "\r\n";
    }
    feed += "$";
    return feed.substr(0, 1048576);
}

void BM_ParseFeed1MiB(benchmark::State& state) {
    // About 25 000 records in 1 MiB; the end mark is set at the exact size.
    std::string feed = BigFeed();
    feed.resize(feed.rfind("*\r\n"));
    feed += "$";
    const TDateTime now = EncodeDate(2026, 1, 1);
    size_t records = 0;
    for (auto _ : state) {
        FeedSummary s = SummarizeFeed(feed, now);
        records = s.announcements.size();
        benchmark::DoNotOptimize(records);
    }
    state.counters["records"] = static_cast<double>(records);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * feed.size()));
}
BENCHMARK(BM_ParseFeed1MiB)->Unit(benchmark::kMillisecond);

void EnsureApp() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tobu_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    QFont::insertSubstitution("宋体", "AR PL UMing CN");
}

void BM_DateLineLongAnnouncement(benchmark::State& state) {
    EnsureApp();
    QWidget bar;
    bar.resize(400, 44);
    auto* line = new TAAFadeText(&bar);
    ConfigureDateLine(*line);
    QImage skin(400, 44, QImage::Format_RGB32);
    skin.fill(0xFF000060u);
    line->SetBackgroundPicture(skin);
    std::string text = "<FontAD>";
    for (int i = 0; i < 60000; ++i) text += (i % 10) ? "告" : "1";
    line->Lines().Assign({"<FontCN>2024年02月10日 星期六", text});
    line->ShowLine(1);
    for (auto _ : state) {
        line->Core().PaintCanvas();
        benchmark::DoNotOptimize(line->Core().Display().pixels.data());
    }
}
BENCHMARK(BM_DateLineLongAnnouncement)->Unit(benchmark::kMillisecond);

} // namespace
