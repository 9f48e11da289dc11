#include "platform/atom_table.h"

#include <mutex>
#include <vector>

#include "base/text.h"

namespace tobu {

namespace {

struct Entry {
    std::string name; // empty = free slot
    unsigned refs = 0;
};

constexpr size_t kMaxAtoms = 0x10000 - kFirstAtom;

std::mutex& TableMutex() {
    static std::mutex m;
    return m;
}

std::vector<Entry>& Table() {
    static std::vector<Entry> t;
    return t;
}

long FindLocked(const std::string& name) {
    auto& t = Table();
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i].refs > 0 && SameText(t[i].name, name)) return static_cast<long>(i);
    return -1;
}

} // namespace

uint16_t GlobalAddAtom(const std::string& name) {
    if (name.empty()) return 0;
    std::lock_guard lock(TableMutex());
    auto& t = Table();
    if (long i = FindLocked(name); i >= 0) {
        ++t[i].refs;
        return static_cast<uint16_t>(kFirstAtom + i);
    }
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i].refs == 0) {
            t[i] = Entry{name, 1};
            return static_cast<uint16_t>(kFirstAtom + i);
        }
    }
    if (t.size() >= kMaxAtoms) return 0;
    t.push_back(Entry{name, 1});
    return static_cast<uint16_t>(kFirstAtom + t.size() - 1);
}

uint16_t GlobalDeleteAtom(uint16_t atom) {
    std::lock_guard lock(TableMutex());
    auto& t = Table();
    if (atom < kFirstAtom || atom - kFirstAtom >= static_cast<int>(t.size())) return atom;
    Entry& e = t[atom - kFirstAtom];
    if (e.refs == 0) return atom;
    if (--e.refs == 0) e.name.clear();
    return 0;
}

uint16_t GlobalFindAtom(const std::string& name) {
    if (name.empty()) return 0;
    std::lock_guard lock(TableMutex());
    long i = FindLocked(name);
    return i < 0 ? 0 : static_cast<uint16_t>(kFirstAtom + i);
}

} // namespace tobu
