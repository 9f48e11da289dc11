#include "platform/free_memory.h"

#include <cstdio>
#include <cstdlib>
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
    // smaps rather than maps: a mapping with pages of its own (copied on a write) keeps them,
    // since dropping those would bring back the file's bytes in their place.
    std::FILE* smaps = std::fopen("/proc/self/smaps", "re");
    if (!smaps) return 0;
    std::size_t released = 0;
    unsigned long start = 0, end = 0;
    bool font = false;
    char line[4096];
    auto release = [&] {
        if (font && madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED) == 0)
            released += end - start;
        font = false;
    };
    while (std::fgets(line, sizeof line, smaps)) {
        unsigned long a = 0, b = 0;
        char dash = 0;
        if (std::sscanf(line, "%lx%c%lx ", &a, &dash, &b) == 3 && dash == '-' && b > a &&
            std::strchr(line, ':') != nullptr && std::strncmp(line, "VmFlags", 7) != 0 &&
            std::strstr(line, " kB") == nullptr) {
            // A mapping's first line; the one before it is complete.
            release();
            start = a;
            end = b;
            font = IsFontFileMapping(line);
        } else if (font && std::strncmp(line, "Anonymous:", 10) == 0) {
            font = std::strtoul(line + 10, nullptr, 10) == 0;
        }
    }
    release();
    std::fclose(smaps);
    return released;
}

} // namespace tobu
