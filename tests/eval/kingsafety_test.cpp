// King-zone danger: the zone counts, the attacker weights, the queen rule and the flag.
#include "board/setup.h"
#include "control/control.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {

struct Danger {
    int white, black;
    bool flagged;
};

// kingSafeCheck on `fen` with the queen counts of the attack analysis. `flagBefore` is put
// into stackFlags first, so that both setting and clearing ST_KING_SAFETY show.
Danger danger(const char *fen, uint8_t flagBefore) {
    EXPECT_TRUE(setupFEN(fen)) << fen;
    SEE();
    moveStack[0].stackFlags = flagBefore;
    kingSafeCheck(seeWhite.queenCount, seeBlack.queenCount);
    return {moveStack[0].whiteKingSafety, moveStack[0].blackKingSafety,
            (moveStack[0].stackFlags & ST_KING_SAFETY) != 0};
}

} // namespace

TEST(KingSafety, QuietKingsAndTheStartingCount) {
    // g1 and g8 with nothing near: the starting count of both squares is 0.
    Danger d = danger("6k1/p7/8/8/8/8/P7/6K1 w - - 0 1", 0);
    EXPECT_EQ(d.white, 0);
    EXPECT_EQ(d.black, 0);
    EXPECT_TRUE(d.flagged);
    // A king on g3 starts at 3 (value 6) even unattacked; the flag is then cleared.
    d = danger("6k1/p7/8/8/8/6K1/P7/8 w - - 0 1", ST_KING_SAFETY);
    EXPECT_EQ(d.white, 6);
    EXPECT_EQ(d.black, 0);
    EXPECT_FALSE(d.flagged);
    // A king in the corner square a8 starts at 2 (value 4).
    d = danger("k7/8/8/8/8/8/P7/6K1 w - - 0 1", ST_KING_SAFETY);
    EXPECT_EQ(d.black, 4);
}

TEST(KingSafety, AttackersOnTheZone) {
    // Knight f4 and bishop c6 against g1: g2 (near row, empty, covered by the king alone)
    // counts 3, h1 (beside, king alone) 2, f3 and h3 only reveal attackers. Two minor pieces
    // weigh 48, whose increment is 1: b_table[5 + 1] = 15. Black's a8 king: 4.
    Danger d = danger("k7/8/2b5/8/5n2/8/5P1P/6K1 w - - 0 1", ST_KING_SAFETY);
    EXPECT_EQ(d.white, 15);
    EXPECT_EQ(d.black, 4);
    EXPECT_FALSE(d.flagged);
    // A pawn on g2 fills the near square (2 instead of 3) and stops the bishop short of h1:
    // 2 + increment 1 = 3, value 6.
    d = danger("k7/8/2b5/8/5n2/8/5PPP/6K1 w - - 0 1", 0);
    EXPECT_EQ(d.white, 6);
    // The mirror image with Black to move.
    d = danger("6k1/5p1p/8/5N2/8/2B5/8/K7 b - - 0 1", 0);
    EXPECT_EQ(d.black, 15);
    EXPECT_EQ(d.white, 4);
    // A heavy assault stays within the table.
    d = danger("1k3rr1/8/3b4/8/4n2q/7p/5PPP/6K1 w - - 0 1", 0);
    EXPECT_GT(d.white, 15);
    EXPECT_LE(d.white, 600);
}

TEST(KingSafety, QueenlessAttackerCountsNothing) {
    // With no queens on the board both kings are measured (the case above). A white queen
    // against a queenless Black: White's king is safe whatever attacks it.
    Danger d = danger("k7/8/2b5/8/5n2/8/5P1P/4Q1K1 w - - 0 1", 0);
    EXPECT_EQ(d.white, 0);
    EXPECT_EQ(d.black, 4);
    // And the other way round: Black's queen alone on the board keeps Black's value 0.
    d = danger("k3q3/8/2b5/8/5n2/8/5P1P/6K1 w - - 0 1", 0);
    EXPECT_EQ(d.white, 15);
    EXPECT_EQ(d.black, 0);
}
