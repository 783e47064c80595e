// Attack analysis: attacker sets, pins, check restriction, king-move limits, x-ray marks and
// the exchange value of each piece.
#include "movegen/movegen_test_util.h"

#include <gtest/gtest.h>

namespace {
int16_t white(const char *s) { return seeWhite.boardScan[sqOf(s)]; }
int16_t black(const char *s) { return seeBlack.boardScan[sqOf(s)]; }
int32_t value(const char *s) { return seeBoard[0][sqOf(s)]; }
} // namespace

TEST(SeeExchange, EnPriseDefendedAndSafePieces) {
    // Undefended pieces lose their whole value.
    buildPosition("4k3/8/8/3p4/4N3/8/8/4K3", true);
    EXPECT_EQ(value("e4"), -310);
    EXPECT_EQ(value("d5"), 0);
    buildPosition("4k3/8/8/8/3R4/8/8/K5b1", true);
    EXPECT_EQ(value("d4"), -510);
    // A rook defended by a pawn and attacked by a knight loses the exchange: 510 - 310.
    buildPosition("4k3/8/8/5n2/3R4/4P3/8/4K3", true);
    EXPECT_EQ(value("d4"), -200);
    EXPECT_EQ(value("f5"), 0); // nothing attacks the knight
    // Kings never carry an exchange value.
    EXPECT_EQ(value("e1"), 0);
}

TEST(SeeExchange, BishopBehindOwnPawnJoinsThePawnDefence) {
    // Black to move: the b2 bishop stands behind the c3 pawn, which defends the d4 knight.
    // The rook d8 and pawn e5 attack it. Without the bishop Black wins the knight for a pawn
    // (310); with it the rook cannot follow up and Black wins knight for pawn only (210).
    buildPosition("3r3k/8/8/4p3/3N4/2P5/1B6/7K", false);
    EXPECT_EQ(seeWhite.oppPawnBQ[sqOf("d4")], 24);
    EXPECT_EQ(seeBlack.thruPawn[sqOf("d4")], sqOf("c3"));
    EXPECT_EQ(white("d4"), 96); // the bishop is support, not an attacker of d4 itself
    EXPECT_EQ(value("d4"), -210);
    buildPosition("3r3k/8/8/4p3/3N4/2P5/8/7K", false);
    EXPECT_EQ(value("d4"), -310);
    EXPECT_EQ(seeBlack.thruPawn[sqOf("d4")], NO_SQUARE);
}

TEST(SeeExchange, BishopBehindThePawnWaitsForAPawnAttacker) {
    // (The case with a pawn among the attackers is the test above.)
    // Black to move; the d4 knight is defended by the c3 pawn with the b2 bishop behind it and
    // attacked by two knights. The bishop joins the defence only when the attackers include a
    // pawn: their index 48 shares a bit with 96 (one pawn) but holds none, so the exchange is
    // looked up with the pawn alone as defender.
    buildPosition("6k1/8/8/1n3n2/3N4/2P5/1B6/6K1", false);
    EXPECT_EQ(seeWhite.oppPawnBQ[sqOf("d4")], 24);
    EXPECT_EQ(black("d4"), 48);
    ASSERT_NE(seeTable[2][96][48], seeTable[2][96 + 24][48]); // the reading matters here
    EXPECT_EQ(value("d4"), -10 * seeTable[2][96][48]);
}

TEST(SeeExchange, SetIndexesSaturatePerGroup) {
    // Six queens, two rooks and four knights hit e4: the set keeps 3 queens, 2 rooks and
    // 3 minor pieces instead of carrying into the next group.
    buildPosition("Q3R3/7Q/k7/2N3N1/Q3p2R/2N3N1/K7/1Q2Q2Q", true);
    const seeGroups g = splitSeeIndex(white("e4"));
    EXPECT_EQ(g.queens, 3);
    EXPECT_EQ(g.rooks, 2);
    EXPECT_EQ(g.minors, 3);
    EXPECT_EQ(g.pawns, 0);
    EXPECT_EQ(g.king, 0);
    EXPECT_EQ(value("e4"), -100);
    EXPECT_EQ(seeWhite.queenCount, 6);
    EXPECT_EQ(seeWhite.pieceCount, 12);
}

TEST(SeePins, PinnedPiecesCountOnlyAlongThePin) {
    // A knight pinned on the e-file counts nothing; free, it covers d4.
    buildPosition("4r1k1/8/8/8/8/8/4N3/4K3", true);
    for (const char *s : {"c3", "d4", "f4", "g3", "c1", "g1"})
        EXPECT_EQ(white(s), 0) << s;
    buildPosition("6k1/8/8/8/8/8/4N3/4K3", true);
    EXPECT_EQ(white("d4"), 24);
    // Pinned on a diagonal it still covers the pin line, up to and beyond the pinner.
    buildPosition("6k1/8/8/8/1b6/8/3B4/4K3", true);
    EXPECT_EQ(white("c3"), 24);
    EXPECT_EQ(white("b4"), 24);
    EXPECT_EQ(white("e3"), 0);
    EXPECT_EQ(white("f4"), 0);
    // A pinned pawn keeps only the capture along its pin line.
    buildPosition("6k1/8/8/8/8/1b6/2P5/3K4", true);
    EXPECT_EQ(white("b3"), 96);
    EXPECT_EQ(white("d3"), 0);
}

TEST(SeeCheck, CheckedSideCountsOnlyAnsweringSquares) {
    // The e8 rook checks the e1 king; the c3 knight only counts where it answers the check
    // (e2, e4) and on its own pieces (a2).
    buildPosition("4r1k1/8/8/8/8/2N5/P7/4K3", true, nullptr, true);
    EXPECT_EQ(seeWhite.checkSquares, setOf({"e2", "e3", "e4", "e5", "e6", "e7", "e8"}));
    EXPECT_EQ(white("e4"), 24);
    EXPECT_EQ(white("e2"), 24 + 1); // and the king
    EXPECT_EQ(white("a2"), 24);
    for (const char *s : {"d5", "b5", "a4", "b1", "b3"})
        EXPECT_EQ(white(s), 0) << s;
    EXPECT_EQ(seeBlack.checkSquares, 0u);
}

// Which king steps are legal is left to perft; these are the counts behind them.
TEST(SeeKings, KingCountsAndForbiddenSquares) {
    // Squares next to both kings count for neither side's exchanges.
    buildPosition("8/8/4k3/8/4K3/8/8/8", true);
    for (const char *s : {"d5", "e5", "f5"}) {
        EXPECT_EQ(white(s), 0) << s;
        EXPECT_EQ(black(s), 0) << s;
    }
    EXPECT_EQ(white("d4"), 1);

    // A piece pinned to its own king still guards squares against the other king.
    buildPosition("8/8/8/4b3/8/2N2k2/8/K7", false);
    EXPECT_EQ(white("e4"), 0);
    EXPECT_EQ(seeBlack.kingMoves & setOf({"e4", "e2"}), setOf({"e4", "e2"}));
    EXPECT_EQ(seeBlack.kingMoves & setOf({"e3", "f4", "g4"}), 0u);

    // An x-ray count is exchange support, not an attack: e1 is counted for the b4 bishop
    // through the d2 bishop, yet the f1 king may go there.
    buildPosition("6k1/8/8/8/1b6/8/3B4/5K2", true);
    EXPECT_EQ(black("e1"), 24);
    EXPECT_EQ(seeWhite.kingMoves & setOf({"e1"}), 0u);
}

TEST(SeeXray, SliderMarksThroughAndBehindPieces) {
    // A bishop looks past an enemy pawn onto the square that pawn would capture on.
    buildPosition("4k3/8/5B2/8/3p4/8/8/4K3", true);
    EXPECT_EQ(white("c3"), 24);
    EXPECT_EQ(white("b2"), 0);
    // A rook looks through an enemy queen and marks the squares behind it.
    buildPosition("4r1k1/8/8/4Q3/8/8/8/K7", true);
    EXPECT_EQ(black("e4"), 8);
    EXPECT_EQ(seeBlack.ownQueen[sqOf("e4")], 1);
    EXPECT_EQ(seeBlack.ownQueen[sqOf("e6")], 0);
    EXPECT_EQ(value("e5"), -900);
    // Doubled rooks of the side not to move: the rear one supports the front one's squares.
    buildPosition("k7/8/8/8/8/8/R7/R6K", false);
    EXPECT_EQ(seeWhite.oppRook[sqOf("a5")], 8);
    EXPECT_EQ(white("a5"), 8);
    buildPosition("k7/8/8/8/8/8/R7/R6K", true);
    EXPECT_EQ(seeWhite.oppRook[sqOf("a5")], 0);
    // A rook in front of an enemy pawn marks the pawn's advance squares.
    buildPosition("4k3/4p3/8/8/8/8/8/4R1K1", true);
    EXPECT_EQ(seeWhite.ownPawn[sqOf("e6")], 8);
    EXPECT_EQ(seeWhite.ownPawn[sqOf("e5")], 8);
    EXPECT_EQ(seeWhite.ownPawn[sqOf("e4")], 0);
    // A rook behind its own pawn supports the pawn's advance.
    buildPosition("4k3/8/8/8/8/8/4P3/4R1K1", false);
    EXPECT_EQ(seeWhite.oppPawnRQ[sqOf("e3")], 8);
    EXPECT_EQ(seeWhite.oppPawnRQ[sqOf("e4")], 8);
    EXPECT_EQ(white("e3"), 0);
}
