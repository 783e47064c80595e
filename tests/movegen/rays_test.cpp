// Ray, pin, check-square, promotion-check and x-ray table utilities.
#include "movegen/movegen_test_util.h"

#include <gtest/gtest.h>

namespace {

// The own pieces on the lines of the king of colour c, as the generator offers them.
uint64_t linePieces(int c) {
    const int8_t k = kingSlot(tracker[0], c);
    return piece_scan('Q', c == WHITE ? 'W' : 'X', k);
}

// The enemy pieces and the empty-or-enemy squares on the lines of the king on k.
uint64_t enemyOnLines(int8_t k, int enemy) {
    return piece_scan('Q', enemy == WHITE ? 'W' : 'X', k);
}
uint64_t freeOnLines(int8_t k, int enemy) {
    return piece_scan('Q', '0', k) & (~boards[0].allpieces | piecesOf(boards[0], enemy));
}

} // namespace

TEST(RaysScan, AttackSetsFollowOccupancyAndFilters) {
    buildPosition("4k3/8/8/1B6/Q7/8/8/4K3", true);
    // Queen on a4: the b5 bishop blocks the diagonal, the rank and file run to the edges.
    const uint64_t q = piece_scan('Q', '0', sqOf("a4"));
    EXPECT_TRUE(q & setOf({"b5"}));
    EXPECT_FALSE(q & setOf({"c6"}));
    EXPECT_EQ(q & setOf({"a8", "a1", "h4", "d1"}), setOf({"a8", "a1", "h4", "d1"}));
    // Which White bishops attack c6, and which White pieces a rook on b8 would reach.
    EXPECT_EQ(piece_scan('B', 'B', sqOf("c6")), setOf({"b5"}));
    EXPECT_EQ(piece_scan('R', 'W', sqOf("b8")), setOf({"b5"}));
    EXPECT_EQ(piece_scan('N', 'X', sqOf("f6")), setOf({"e8"}));
    EXPECT_EQ(piece_scan('N', 'X', sqOf("c6")), 0u);
    EXPECT_EQ(piece_scan('K', 'X', sqOf("d7")), setOf({"e8"}));
}

TEST(RaysPin, ShieldAndPinAlongKingLines) {
    // A White bishop on b5 shields the queen on a4 from the Black king on e8.
    buildPosition("4k3/8/8/1B6/Q7/8/8/4K3", true);
    const uint64_t lines = piece_scan('Q', 'W', sqOf("e8"));
    EXPECT_EQ(verifyPin(lines, sqOf("e8"), sqOf("b5")), direct[sqOf("e8")][sqOf("b5")]);
    EXPECT_EQ(hiddenSquare, sqOf("a4"));
    // A square outside the offered set is never a pin.
    EXPECT_EQ(verifyPin(0, sqOf("e8"), sqOf("b5")), -1);
    EXPECT_EQ(hiddenSquare, NO_SQUARE);
    // With a Black piece behind the bishop nothing is shielded.
    buildPosition("4k3/8/8/1B6/q7/8/8/4K3", true);
    EXPECT_EQ(verifyPin(piece_scan('Q', 'W', sqOf("e8")), sqOf("e8"), sqOf("b5")), -1);
    EXPECT_EQ(hiddenSquare, NO_SQUARE);

    // A rook behind a piece on a diagonal pins nothing; a rook on the file does.
    buildPosition("4k3/3n4/2R5/8/8/8/8/4K3", false);
    EXPECT_EQ(verifyPin(linePieces(BLACK), sqOf("e8"), sqOf("d7")), -1);
    EXPECT_EQ(hiddenSquare, NO_SQUARE);
    buildPosition("4k3/8/4n3/8/8/8/8/4R1K1", false);
    EXPECT_EQ(verifyPin(linePieces(BLACK), sqOf("e8"), sqOf("e6")), 2); // +8, down the file
    EXPECT_EQ(hiddenSquare, sqOf("e1"));
    // A piece with nothing behind it is free.
    buildPosition("4k3/8/4n3/8/8/8/8/6K1", false);
    EXPECT_EQ(verifyPin(linePieces(BLACK), sqOf("e8"), sqOf("e6")), -1);
}

TEST(RaysCheckSquares, AnswersToOneCheckNoneToTwo) {
    // The answers to the checks of `enemy` against the king on k.
    auto answers = [](const char *king, int enemy) {
        const int8_t k = sqOf(king);
        return verifyChSq(enemyOnLines(k, enemy), freeOnLines(k, enemy), k);
    };
    // Bishop check from b4: capture on b4 or block on c3 or d2.
    buildPosition("4k3/8/8/8/1b6/8/8/4K3", true);
    EXPECT_EQ(answers("e1", BLACK), setOf({"b4", "c3", "d2"}));
    // Knight and rook at once: only the king can answer.
    buildPosition("4k3/8/3N4/8/8/8/8/4RK2", false);
    EXPECT_EQ(answers("e8", WHITE), 0u);
    // A pawn check is answered on the pawn's square only, a knight check on the knight's.
    buildPosition("4k3/8/8/3p4/4K3/8/8/8", true);
    EXPECT_EQ(answers("e4", BLACK), setOf({"d5"}));
    buildPosition("4k3/8/8/8/4K3/8/3n4/8", true);
    EXPECT_EQ(answers("e4", BLACK), setOf({"d2"}));
    // A pawn and a queen checking together leave nothing; so do two leapers, which no game
    // reaches but which must never let the capture of one checker pass for an answer.
    for (const char *placement : {"4k3/8/8/3p4/4K3/8/8/4q3", "4k3/8/8/3p1p2/4K3/8/8/8",
                                  "4k3/8/8/3p4/4K3/2n5/8/8", "4k3/8/8/8/4K3/2n5/3n4/8"}) {
        buildPosition(placement, true);
        EXPECT_EQ(answers("e4", BLACK), 0u) << placement;
    }
}

TEST(RaysPromotion, CheckByThePromotedPiece) {
    // The checking direction of the piece a pawn promotes to, against the king on `king`.
    auto prom = [](const char *king, const char *move, int piece) {
        const int8_t k = sqOf(king);
        return verifyProm(piece_scan('Q', '0', k), k, sqOf(move), sqOf(move + 2), piece);
    };
    // e7-e8=N with the Black king on f6: a knight check.
    buildPosition("8/4P3/5k2/8/8/8/8/K7", true);
    EXPECT_EQ(prom("f6", "e7e8", KNIGHT), 9);
    EXPECT_EQ(prom("f6", "e7e8", BISHOP), -1);
    // e7-e8 with the Black king on e2 and the file open: queen and rook check from behind.
    buildPosition("8/4P3/8/8/8/8/4k3/K7", true);
    EXPECT_EQ(prom("e2", "e7e8", QUEEN), 3);
    EXPECT_EQ(prom("e2", "e7e8", ROOK), 3);
    EXPECT_EQ(prom("e2", "e7e8", BISHOP), -1);
    EXPECT_EQ(prom("e2", "e7e8", KNIGHT), -1);
    // A piece still standing between them blocks the new queen.
    buildPosition("8/4P3/8/8/4n3/8/4k3/K7", true);
    EXPECT_EQ(prom("e2", "e7e8", QUEEN), -1);
    // b7xc8=Q onto the open diagonal of the king on h3.
    buildPosition("2r5/1P6/8/8/8/7k/8/K7", true);
    EXPECT_EQ(prom("h3", "b7c8", QUEEN), 5);
    EXPECT_EQ(prom("h3", "b7c8", BISHOP), 5);
    EXPECT_EQ(prom("h3", "b7c8", ROOK), -1);
    // Black: d2-d1=R with the White king up the d-file.
    buildPosition("k7/8/3K4/8/8/8/3p4/8", false);
    EXPECT_EQ(prom("d6", "d2d1", ROOK), 2);
}

TEST(RaysQueenObstruct, VariantChosenByTheXrayCodes) {
    ensureSetup();
    // A rook attacked by queen and rook, defended by a pawn. Plain order: the rook takes,
    // the pawn retakes and the queen wins the pawn: 10. With the rook hidden behind the
    // queen, the queen must go first and the attacker stops after losing it: 0.
    const int16_t defPawn = 96, attQR = 2 + 8;
    EXPECT_EQ(seeTable[1][defPawn][attQR], 10);
    EXPECT_EQ(queenObstruct(1, defPawn, attQR, 0, 1, EMPTY), 0);
    // Codes 0/0 fall back to the plain table instead of indexing no variant.
    EXPECT_EQ(queenObstruct(1, defPawn, attQR, 0, 0, EMPTY), -100);
    // The captured piece's value is credited.
    EXPECT_EQ(queenObstruct(1, defPawn, attQR, 0, 0, ROOK), 510 - 100);
    // A rook attacked by queen and minor piece, defended by a pawn: plainly the minor piece
    // takes first and the queen wins the pawn back (30); with the minor piece behind the
    // queen the attack stops after the first capture (0). Codes above 3 mean the same.
    const int16_t attQM = 2 + 24;
    EXPECT_EQ(seeTable[1][defPawn][attQM], 30);
    EXPECT_EQ(queenObstruct(1, defPawn, attQM, 0, 3, EMPTY), 0);
    EXPECT_EQ(queenObstruct(1, defPawn, attQM, 0, 7, EMPTY), 0);
}
