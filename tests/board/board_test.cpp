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

TEST(SetIndexes, LookedUpStepsAndGroupsAgreeWithTheArithmetic) {
    const int unit[SEE_GROUPS] = {1, 2, 8, 24, 96};
    for (int a = 0; a < SEE_SETS; a++) {
        const seeGroups table = splitSeeIndex(a), sum = countSeeGroups(a);
        EXPECT_TRUE(table.king == sum.king && table.queens == sum.queens &&
                    table.rooks == sum.rooks && table.minors == sum.minors &&
                    table.pawns == sum.pawns)
            << a;
        EXPECT_EQ(seeIndexHasPawn(a), a >= 96);
        for (int g = 0; g < SEE_GROUPS; g++) {
            EXPECT_EQ(seeIndexPlusOne(a, g), seeIndexAdd(a, unit[g])) << a << " " << g;
            EXPECT_EQ(seeIndexMinusOne(a, g), seeIndexSub(a, unit[g])) << a << " " << g;
        }
    }
    EXPECT_EQ(seeGroupOfPiece(WPAWN), SG_PAWN);
    EXPECT_EQ(seeGroupOfPiece(KNIGHT), SG_MINOR);
    EXPECT_EQ(seeGroupOfPiece(BISHOP), SG_MINOR);
    EXPECT_EQ(seeGroupOfPiece(QUEEN), SG_QUEEN);
}
