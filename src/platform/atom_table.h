// The global atom table of the hot key: a name gets a number 0xC000 + n with n >= 1, the same
// name (ignoring ASCII letter case) gets the same number while it is referenced. In-process,
// thread-safe. Callers take atom - 0xC000 as a hot-key id where 0 means "none", so no atom is
// ever 0xC000 itself.
#pragma once

#include <cstdint>
#include <string>

namespace tobu {

constexpr uint16_t kAtomBase = 0xC000;
constexpr uint16_t kFirstAtom = 0xC001;

// Adds a reference to the name's atom, creating it when needed. 0 for an empty name or a full
// table.
uint16_t GlobalAddAtom(const std::string& name);
// Drops one reference; the atom is freed with its last reference. Returns 0 on success and the
// atom itself when it was not in the table.
uint16_t GlobalDeleteAtom(uint16_t atom);
// The atom of a name without adding a reference; 0 when absent.
uint16_t GlobalFindAtom(const std::string& name);

} // namespace tobu
