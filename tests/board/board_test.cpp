// The saturating arithmetic on attacker-set indexes.
#include "board/board.h"
#include "board/setup.h"

#include <gtest/gtest.h>

TEST(SetIndexes, GroupsSaturateAndNeverLeaveTheTable) {
    const int queen = 2, rook = 8, minor = 24, pawn = 96;
    // A third rook or pawn stays at two; a fourth minor piece stays at three.
    EXPECT_EQ(seeIndexAdd(2 * rook, rook), 2 * rook);
    EXPECT_EQ(seeIndexAdd(2 * pawn, pawn), 2 * pawn);
    EXPECT_EQ(seeIndexAdd(3 * minor, minor), 3 * minor);
    // A full group does not carry into its neighbour (3 minors + 1 is not a pawn).
    EXPECT_EQ(seeIndexAdd(3 * minor + 1, minor + queen), 3 * minor + queen + 1);
    int all = 0;
    for (int i = 0; i < 20; i++)
        all = seeIndexAdd(all, 1 + queen + rook + minor + pawn);
    EXPECT_EQ(all, SEE_SETS - 1);
    // Subtraction floors each group at zero instead of borrowing from the next.
    EXPECT_EQ(seeIndexSub(pawn, minor), pawn);
    EXPECT_EQ(seeIndexSub(pawn + minor, minor), pawn);
    EXPECT_EQ(seeIndexSub(0, pawn), 0);
    for (int a = 0; a < SEE_SETS; a += 7)
        for (int b = 0; b < SEE_SETS; b += 11) {
            EXPECT_GE(seeIndexAdd(a, b), 0);
            EXPECT_LT(seeIndexAdd(a, b), SEE_SETS);
            EXPECT_GE(seeIndexSub(a, b), 0);
            EXPECT_LE(seeIndexSub(a, b), a);
        }
}
