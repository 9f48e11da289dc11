// The calendar window's month: the 42-cell model with 40 marks, and one full paint of the
// window's grid offscreen.
#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>

#include "base/text.h"
#include "calendar/marks.h"
#include "calendar/month_report.h"
#include "calendar/qt/lss_calendar.h"

namespace {

tobu::MarkList FortyMarks() {
    std::string file;
    for (int i = 0; i < 20; ++i) {
        file += "0" + std::string(i % 12 < 9 ? "0" : "") + std::to_string(i % 12 + 1) +
                (i < 10 ? "0" : "") + std::to_string(i + 1) + "=solar\r\n";
        file += "1" + std::string(i % 12 < 9 ? "0" : "") + std::to_string(i % 12 + 1) +
                "15=" + tobu::Utf8ToGbk("农历") + "\r\n";
    }
    return tobu::MarkList::FromBytes(file);
}

void BM_MonthCellModel40Marks(benchmark::State& state) {
    const tobu::MarkList marks = FortyMarks();
    const tobu::MonthGrid grid =
        tobu::MakeWindowMonth(tobu::EncodeDate(2024, 2, 10), 0, false, marks);
    for (auto _ : state) benchmark::DoNotOptimize(grid.Cells(tobu::EncodeDate(2024, 2, 10)));
}
BENCHMARK(BM_MonthCellModel40Marks)->Unit(benchmark::kMicrosecond);

void BM_GridFullPaintOffscreen(benchmark::State& state) {
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "tobu_bench";
        static char* argv[] = {name, nullptr};
        static QApplication app(argc, argv);
        QFont::insertSubstitution("宋体", "AR PL UMing CN");
    }
    tobu::TLssCalendar grid(nullptr, [] { return tobu::EncodeDate(2024, 2, 10); });
    tobu::ConfigureWindowGrid(grid.Grid());
    grid.resize(326, 272);
    FortyMarks().ApplyTo(grid.Grid().FtvList, tobu::kDefaultMarkColor);
    grid.Refresh();
    QImage target(326, 272, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        grid.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_GridFullPaintOffscreen)->Unit(benchmark::kMicrosecond);

} // namespace
