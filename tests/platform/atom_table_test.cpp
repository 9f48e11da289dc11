#include "platform/atom_table.h"

#include <gtest/gtest.h>

namespace tobu {
namespace {

TEST(AtomTable, SameNameSameAtomAndReferencesCounted) {
    uint16_t a = GlobalAddAtom("TobuClockDefineHotKey");
    ASSERT_GT(a, 0xC000); // atom - 0xC000 is used as a hot-key id, where 0 means none
    EXPECT_EQ(GlobalAddAtom("tobuclockdefinehotkey"), a);
    uint16_t b = GlobalAddAtom("SomethingElse");
    EXPECT_NE(b, a);
    EXPECT_GT(b, 0xC000);
    EXPECT_EQ(GlobalFindAtom("TOBUCLOCKDEFINEHOTKEY"), a);

    EXPECT_EQ(GlobalDeleteAtom(a), 0);
    EXPECT_EQ(GlobalFindAtom("TobuClockDefineHotKey"), a); // one reference left
    EXPECT_EQ(GlobalDeleteAtom(a), 0);
    EXPECT_EQ(GlobalFindAtom("TobuClockDefineHotKey"), 0);
    EXPECT_EQ(GlobalDeleteAtom(a), a); // no longer there
    EXPECT_EQ(GlobalDeleteAtom(b), 0);
}

TEST(AtomTable, BadInput) {
    EXPECT_EQ(GlobalAddAtom(""), 0);
    EXPECT_EQ(GlobalFindAtom(""), 0);
    EXPECT_EQ(GlobalDeleteAtom(0), 0);
    EXPECT_EQ(GlobalDeleteAtom(0x1234), 0x1234);
    EXPECT_EQ(GlobalDeleteAtom(0xFFFF), 0xFFFF);
}

TEST(AtomTable, FreedAtomsAreReusedAndTheTableIsBounded) {
    std::vector<uint16_t> atoms;
    for (int i = 0;; ++i) {
        uint16_t a = GlobalAddAtom("fill" + std::to_string(i));
        if (a == 0) break;
        ASSERT_GT(a, 0xC000);
        atoms.push_back(a);
        ASSERT_LT(i, 0x4000);
    }
    EXPECT_GE(atoms.size(), 0x3FF0u);
    EXPECT_EQ(atoms.back(), 0xFFFF);
    uint16_t freed = atoms[atoms.size() / 2];
    EXPECT_EQ(GlobalDeleteAtom(freed), 0);
    EXPECT_EQ(GlobalAddAtom("again"), freed);
    for (uint16_t a : atoms) GlobalDeleteAtom(a);
    GlobalDeleteAtom(freed);
}

} // namespace
} // namespace tobu
