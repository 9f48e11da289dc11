// Hands the heap's free memory back to the system. Loading a skin or building a window frees
// large pictures that the allocator would otherwise keep as part of the heap for good (about
// 1 MB after the calendar window opens, nearly 2 MB with the options dialog).
#pragma once

namespace tobu {

void ReturnFreeMemory();

} // namespace tobu
