// The kill test's writer: saves one of the program's writable files in a program folder with
// the program's own saving code, alternating between two versions as fast as it can until it is
// killed.
//
//   tobu_save_loop KIND DIR once A|B     one save of version A or B
//   tobu_save_loop KIND DIR loop         A, B, A, ... forever
//   tobu_save_loop KIND DIR watch SECONDS FILE_A FILE_B
//                                        reads the file over and over while another writer
//                                        saves; exits 1 when a read found it missing or
//                                        neither version
//
// KIND is ini (skin.ini, the bar's state at exit), tasks (War.lst, the task list dialog's OK),
// marks (Marks.rec, the calendar's marks) or feed (Sup/Ad.his, the announcement cache).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "calendar/marks.h"
#include "online/ad_cache.h"
#include "settings/bar_settings_writer.h"
#include "tasks/task_file.h"

namespace {

// The two versions of each kind differ in length, so a mix of the two could never pass for
// either.
bool Save(const std::string& kind, const std::string& dir, bool a) {
    if (kind == "ini")
        return a ? tobu::SaveBarState(dir + "skin.ini", 1, 100, 20, 200, tobu::WindowPos{100, 54})
                 : tobu::SaveBarState(dir + "skin.ini", 2, -123456, 700, 55, std::nullopt);
    if (kind == "tasks") {
        tobu::TaskTree tree{{"08时30分00秒", tobu::kImgEnabled, false, {{"消息 (开会)", 3}}}};
        if (!a) {
            tree[0].image = tobu::kImgStopped;
            tree.push_back({"2026年12月31日23时59分00秒",
                            tobu::kImgEnabled,
                            false,
                            {{"播放 (" + dir + "MySound/bell.wav)", 2}, {"执行 (关机)", 4}}});
        }
        return tobu::SaveTreeFile(dir + tobu::kTaskFileName, tree);
    }
    if (kind == "marks") {
        tobu::MarkList marks;
        marks.Put("01001", "纪念日");
        if (a)
            marks.Put("00101", "新年计划");
        else
            marks.Put("00214", "情人节，记得买花");
        return tobu::SaveMarkFile(dir + "Marks.rec", marks);
    }
    if (kind == "feed")
        return tobu::WriteAdCache(dir, a ? "7|3|2026/5/1 8:00:00\r\n公告一\r\n"
                                         : "8|3|2026/5/2 9:30:00\r\n公告二\r\n更多公告\r\n");
    return false;
}

std::string FileOf(const std::string& kind, const std::string& dir) {
    if (kind == "ini") return dir + "skin.ini";
    if (kind == "tasks") return dir + tobu::kTaskFileName;
    if (kind == "marks") return dir + "Marks.rec";
    return tobu::AdCachePath(dir);
}

bool Read(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

int Watch(const std::string& path, double seconds, const std::string& pathA,
          const std::string& pathB) {
    std::string a, b, got;
    if (!Read(pathA, a) || !Read(pathB, b)) return 2;
    long reads = 0, missing = 0, other = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        ++reads;
        if (!Read(path, got))
            ++missing;
        else if (got != a && got != b)
            ++other;
    }
    std::printf("%ld reads: %ld found no file, %ld another content\n", reads, missing, other);
    return missing + other == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const std::string kind = argv[1], mode = argv[3];
    std::string dir = argv[2];
    if (dir.empty() || dir.back() != '/') dir += '/';
    if (mode == "once" && argc == 5) return Save(kind, dir, std::strcmp(argv[4], "A") == 0) ? 0 : 1;
    if (mode == "loop" && argc == 4)
        for (bool a = true;; a = !a) Save(kind, dir, a);
    if (mode == "watch" && argc == 7)
        return Watch(FileOf(kind, dir), std::atof(argv[4]), argv[5], argv[6]);
    return 2;
}
