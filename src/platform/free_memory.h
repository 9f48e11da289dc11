// Hands memory the program no longer uses back to the system. Loading a skin or building a
// window frees large pictures that the allocator would otherwise keep as part of the heap for
// good (about 1 MB after the calendar window opens, nearly 2 MB with the options dialog).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tobu {

void ReturnFreeMemory();

// Whether a line of /proc/self/maps is a read-only private mapping of a font file.
bool IsFontFileMapping(std::string_view maps_line);

// Drops the pages of the mapped font files from the process. Drawing Chinese text maps the
// large CJK font files, and the pages the drawing touched (several MB for a month of lunar
// names) would stay counted against the clock for as long as it runs, although the glyphs are
// cached by then. Returns the bytes of the mappings released.
std::size_t ReturnFontPages();

} // namespace tobu
