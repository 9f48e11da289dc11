// What scheduled tasks cost: the check every tick does with a realistic list, and loading
// War.lst at start-up and after the task list's OK.
#include <benchmark/benchmark.h>

#include "base/text.h"
#include "tasks/task_scheduler.h"

namespace {

class QuietEffects : public tobu::TaskEffects {
public:
    void PlayFile(const std::string&) override {}
    bool PopupMsgReady() override { return false; }
    void SendPopupText(const std::string&) override {}
    void ConfirmShutdown(std::function<void(bool)> answer) override { answer(false); }
    void ShutDownComputer() override {}
    void RunProgram(const std::string&) override {}
    void OpenDocument(const std::string&) override {}
};

// 200 tasks of every kind of pattern, each with a sound and a message.
std::string TwoHundredTasks() {
    std::string text;
    for (int i = 0; i < 200; ++i) {
        int h = i % 24, m = (i * 7) % 60, s = (i * 13) % 60;
        switch (i % 4) {
        case 0:
            text += "*0" + tobu::PatternText(-1, -1, -1, h, m, s);
            break;
        case 1:
            text += "*0" + tobu::PatternText(-1, 5, 1 + i % 28, h, m, s);
            break;
        case 2:
            text += "*1" + tobu::PatternText(-1, -1, -1, h, -1, -1);
            break;
        default:
            text += "*0" + tobu::PatternText(2030, 1 + i % 12, 1 + i % 28, h, m, s);
            break;
        }
        text += "\r\n2播放 (/home/user/声音/提醒" + std::to_string(i) + ".wav)\r\n";
        text += "3消息 (第" + std::to_string(i) + "个提醒：开会)\r\n";
    }
    return tobu::Utf8ToGbk(text);
}

// One tick: the once-per-second rule and the scan of the table (a second that runs nothing,
// as almost every second is).
void BM_CheckTasksPerTick(benchmark::State& state) {
    QuietEffects fx;
    tobu::TaskScheduler scheduler(fx);
    scheduler.SetTable(tobu::LoadTaskList(TwoHundredTasks()));
    tobu::TDateTime now = tobu::EncodeDateTime(2024, 2, 10, 13, 0, 30);
    const tobu::TDateTime second = 1.0 / 86400;
    for (auto _ : state) {
        now += second;
        benchmark::DoNotOptimize(scheduler.CheckTasks(now));
    }
}
BENCHMARK(BM_CheckTasksPerTick)->Unit(benchmark::kMicrosecond);

void BM_LoadTaskList200(benchmark::State& state) {
    const std::string bytes = TwoHundredTasks();
    for (auto _ : state) benchmark::DoNotOptimize(tobu::LoadTaskList(bytes));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadTaskList200)->Unit(benchmark::kMicrosecond);

// A damaged file of a megabyte on one line: bounded time and memory.
void BM_LoadTaskListDamagedMegabyte(benchmark::State& state) {
    std::string bytes = "*0";
    while (bytes.size() < (1u << 20))
        bytes += "\x81(\xFF\xA1\xA1"
                 "12";
    for (auto _ : state) benchmark::DoNotOptimize(tobu::LoadTaskList(bytes));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadTaskListDamagedMegabyte)->Unit(benchmark::kMillisecond);

} // namespace
