// The settings load from bytes already in memory (what the bar and the popup program do at
// start and on every live apply), and the GBK conversion of a line of Chinese text.
#include <benchmark/benchmark.h>

#include <string>

#include "base/text.h"
#include "settings/clock_settings.h"
#include "settings/ini_file.h"

namespace {

using namespace tobu;

const char* kSkinIni =
    "[SKIN]\r\nSkinFile=BlueGlass.sk\r\nWinFile=Skin/Window.skw\r\nClockFile=Classic.cl\r\n"
    "[LED]\r\nLEDFont=0\r\nFontName=\xcb\xce\xcc\xe5\r\nFontSize=18\r\n[CLOCK]\r\nAlarm=1\r\n"
    "HalfAlarm=1\r\nAlarmType=2\r\nHotKey=1\r\nHotKey1=Ctrl+Alt\r\nHotKey2=T\r\n[TIME]\r\n"
    "AutoChcek=1\r\nStepHour=6\r\n[MSG]\r\nAuto=0\r\nAutoSec=30\r\nTran=180\r\n[BAR]\r\n"
    "Left=948\r\nTop=0\r\nTr=200\r\nOnTop=1\r\nDefWin=2\r\n[CHILD]\r\nIndex=1\r\nLeft=100\r\n";

void BM_ReadClockSettingsFromBytes(benchmark::State& state) {
    const std::string bytes = kSkinIni;
    for (auto _ : state) {
        ClockSettings s = ReadClockSettings(IniFile::FromBytes(bytes));
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_ReadClockSettingsFromBytes);

void BM_GbkToUtf8Line(benchmark::State& state) {
    const std::string gbk = Utf8ToGbk("二零二四年正月初一 甲辰(龙)年丙寅月甲辰日 春节");
    for (auto _ : state) benchmark::DoNotOptimize(GbkToUtf8(gbk));
}
BENCHMARK(BM_GbkToUtf8Line);

// A long value of characters without a GBK form (what malformed GBK reads back as), written
// back: linear in its length.
void BM_Utf8ToGbkUnmappable(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < state.range(0); ++i) text += "\xEF\xBF\xBD";
    for (auto _ : state) benchmark::DoNotOptimize(Utf8ToGbk(text));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Utf8ToGbkUnmappable)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity();

} // namespace
