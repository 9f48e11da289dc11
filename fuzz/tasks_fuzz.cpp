// corpus: tests/tasks/corpus/tasks
//
// Reads arbitrary bytes as War.lst, into the bar's table and into the dialogs' tree, and checks
// the file's promises: every loaded task has six fields in range of the rules and a normalised
// time, the tree written back reads back to the same bytes, and the scheduler and `tobu tasks
// due` pick the same task.
#include "tasks/task_file.h"
#include "tasks/task_report.h"
#include "tasks/task_scheduler.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tobu;

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    TaskTable table = LoadTaskList(bytes);
    for (const TTaskRec& t : table) {
        // The normalisation leaves no set hour with an open minute or second.
        Check(!(t.Hour != -1 && t.Minute == -1 && t.Second == -1));
        Check(!(t.Minute != -1 && t.Second == -1));
        for (const TActRec& a : t.Acts) Check(a.Kind >= -2 && a.Kind <= 7);
    }

    TaskTree tree = LoadTree(bytes);
    Check(tree.size() == table.size());
    std::string saved = SaveTree(tree);
    Check(SaveTree(LoadTree(saved)) == saved);
    // The saved file holds the same tasks (texts with undecodable bytes aside, which became
    // "?").
    Check(LoadTaskList(saved).size() == table.size());

    // Two minutes of seconds, the scheduler against the listing.
    if (table.size() <= 64) {
        int64_t from = *ParseTaskTime("2024-02-29 23:59:00");
        int64_t next = from;
        ForEachDue(table, from, from + 119, [&](int64_t second, int index) {
            for (; next < second; ++next) Check(MatchTask(table, FromSecond(next)) == -1);
            Check(MatchTask(table, FromSecond(second)) == index);
            next = second + 1;
        });
        for (; next <= from + 119; ++next) Check(MatchTask(table, FromSecond(next)) == -1);
    }
    (void)ListText(table);
    (void)ListJson(table);
    return 0;
}
