#include "platform/free_memory.h"

#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <string_view>
#include <sys/mman.h>

namespace tobu {

void ReturnFreeMemory() {
    malloc_trim(0);
}

bool IsFontFileMapping(std::string_view maps_line) {
    // "start-end perms offset dev inode path": read-only, private, and a font file.
    const std::size_t perms = maps_line.find(' ');
    if (perms == std::string_view::npos || maps_line.size() < perms + 5) return false;
    if (maps_line[perms + 2] != '-' || maps_line[perms + 4] != 'p') return false;
    std::string_view path = maps_line;
    while (!path.empty() && (path.back() == '\n' || path.back() == ' ')) path.remove_suffix(1);
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find('/') == std::string_view::npos) return false;
    std::string ext(path.substr(dot + 1));
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == "ttf" || ext == "ttc" || ext == "otf" || ext == "otc" || ext == "pfb";
}

std::size_t ReturnFontPages() {
    std::FILE* maps = std::fopen("/proc/self/maps", "re");
    if (!maps) return 0;
    std::size_t released = 0;
    char line[4096];
    while (std::fgets(line, sizeof line, maps)) {
        if (!IsFontFileMapping(line)) continue;
        unsigned long start = 0, end = 0;
        if (std::sscanf(line, "%lx-%lx", &start, &end) != 2 || end <= start) continue;
        // The pages are the file's own and unchanged: dropping them from this process loses
        // nothing, and a later paint that needs one reads it from the page cache again.
        if (madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED) == 0)
            released += end - start;
    }
    std::fclose(maps);
    return released;
}

} // namespace tobu
