// King terms: pawn shelter, open lines, a trapped king, a shut-in rook, castling and the
// king's part in king-and-pawn endings.
#include "board/setup.h"
#include "control/control.h"
#include "eval/eval.h"
#include "eval/eval_internal.h"
#include "movegen/movegen.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Sets up `fen` in `phase`, runs the attack analysis, empties the evaluation's accumulators
// (so both sides count as having no pieces) and scores colour c's king.
void scoreKingOf(const char *fen, int phase, int c) {
    ASSERT_TRUE(setupFEN(fen)) << fen;
    gameState = (int8_t)phase;
    SEE();
    for (int side = WHITE; side <= BLACK; side++) {
        pawnMaterial[side] = pieceMaterial[side] = endGameMaterial[side] = pieceEval[side] = 0;
        mobility[side] = tropism[side] = weakSquare[side] = canMove[side] = 0;
        sideAttacks[side] = 0;
    }
    std::memset(attacked, 0, sizeof(attacked));
    std::memset(weakPawn, 0, sizeof(weakPawn));
    underAttack = 0;
    pieceStatus.whiteHasCastled = pieceStatus.blackHasCastled = 0;
    scoreKing(c);
}

// pieceEval of colour c's king terms in `fen` and `phase`.
int32_t kingEval(const char *fen, int phase, int c = WHITE) {
    scoreKingOf(fen, phase, c);
    return pieceEval[c];
}

} // namespace

TEST(KingShelter, KingSideShelter) {
    // g1 behind f2 g2 h2 facing f7 g7 h7: a perfect shield.
    scoreKingOf("6k1/5ppp/8/8/8/8/5PPP/6K1 w - - 0 1", 0, WHITE);
    EXPECT_EQ(pieceStatus.kingsPawns, 0);
    const int32_t full = pieceEval[WHITE];
    // Without g2 the g-file gives 5: -25 in the opening.
    scoreKingOf("6k1/5ppp/8/8/8/8/5P1P/6K1 w - - 0 1", 0, WHITE);
    EXPECT_EQ(pieceStatus.kingsPawns, 5);
    EXPECT_EQ(pieceEval[WHITE] - full, -25);
    // With no pawn on the f-file at all: 5 + 3, halved to 4.
    scoreKingOf("6k1/6pp/8/8/8/8/6PP/6K1 w - - 0 1", 0, WHITE);
    EXPECT_EQ(pieceStatus.kingsPawns, 4);
    // Pawns pushed to rank 3 and an enemy pawn on rank 4: g3 gives 2 + 1 (enemy g4).
    scoreKingOf("6k1/5p1p/8/8/6p1/6P1/5P1P/6K1 w - - 0 1", 0, WHITE);
    EXPECT_EQ(pieceStatus.kingsPawns, 3);
}

TEST(KingShelter, QueenSideAndCentre) {
    // b1 behind a2 b2 c2: 0; without b2 the total 5 + 0 is halved after the c-file: 2.
    scoreKingOf("1k6/ppp5/8/8/8/8/PPP5/1K6 w - - 0 1", 0, WHITE);
    EXPECT_EQ(pieceStatus.kingsPawns, 0);
    scoreKingOf("1k6/ppp5/8/8/8/8/P1P5/1K6 w - - 0 1", 0, WHITE);
    EXPECT_EQ(pieceStatus.kingsPawns, 2);
    // In the centre only open files count: d, e and f empty -> 6; a black e-pawn closes one.
    scoreKingOf("4k3/p7/8/8/8/8/P7/4K3 w - - 0 1", 0, WHITE);
    EXPECT_EQ(pieceStatus.kingsPawns, 6);
    scoreKingOf("4k3/p7/8/4p3/8/8/P7/4K3 w - - 0 1", 0, WHITE);
    EXPECT_EQ(pieceStatus.kingsPawns, 4);
    // Black's shelter is read from Black's side: the mirror of the missing g-pawn.
    scoreKingOf("6k1/5p1p/8/8/8/8/5PPP/6K1 b - - 0 1", 0, BLACK);
    EXPECT_EQ(pieceStatus.kingsPawns, 5);
}

TEST(KingExposure, OpenLinesAroundTheKing) {
    // A king in the middle of the board is exposed 8, which costs 32 in the middlegame only:
    // e4 -25 (table), shelter d/e/f open 6 x -5, exposure 8 x -4.
    const char *centre = "4k3/p7/8/8/4K3/8/P7/8 w - - 0 1";
    EXPECT_EQ(kingEval(centre, 1), -25 - 30 - 32);
    EXPECT_EQ(pieceStatus.kingExposed, 8);
    EXPECT_EQ(kingEval(centre, 0), -25 - 30);
    // On e1 behind its whole army every line is closed.
    ensureSetup();
    gameState = 1;
    SEE();
    scoreKing(WHITE);
    EXPECT_EQ(pieceStatus.kingExposed, 0);
    // A bare king on e1: h-side 1, a-side 1, file 2 (the black king is no cover), both
    // diagonals 2.
    scoreKingOf("4k3/p7/8/8/8/8/P7/4K3 w - - 0 1", 1, WHITE);
    EXPECT_EQ(pieceStatus.kingExposed, 8);
    // g1 behind f2 g2 h2 is open only towards the a-file.
    scoreKingOf("6k1/5ppp/8/8/8/8/5PPP/6K1 w - - 0 1", 1, WHITE);
    EXPECT_EQ(pieceStatus.kingExposed, 2);
    // Far from its home ranks a king is as exposed as in the open, for either colour.
    scoreKingOf("8/p3K3/8/8/8/8/P7/k7 w - - 0 1", 1, WHITE);
    EXPECT_EQ(pieceStatus.kingExposed, 8);
    scoreKingOf("8/p3K3/8/8/8/8/P7/k7 w - - 0 1", 1, BLACK);
    EXPECT_EQ(pieceStatus.kingExposed, 8);
    // The same for Black on g8.
    scoreKingOf("6k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", 1, BLACK);
    EXPECT_EQ(pieceStatus.kingExposed, 2);
}

TEST(KingTrapped, NoSafeSquareCostsInMiddlegameAndEndgame) {
    // h1 with g2 and h2 in front, g1 covered by the knight on f3: trapped.
    const char *trapped = "4k3/p7/8/8/8/5n2/6PP/7K w - - 0 1";
    // The knight on a3 leaves g1 free.
    const char *free = "4k3/p7/8/8/8/n7/6PP/7K w - - 0 1";
    scoreKingOf(trapped, 1, WHITE);
    EXPECT_EQ(pieceStatus.trappedPiece, 1);
    scoreKingOf(free, 1, WHITE);
    EXPECT_EQ(pieceStatus.trappedPiece, 0);
    EXPECT_EQ(kingEval(trapped, 1) - kingEval(free, 1), -10);
    EXPECT_EQ(kingEval(trapped, 2) - kingEval(free, 2), -10);
    EXPECT_EQ(kingEval(trapped, 0) - kingEval(free, 0), 0);
    // Every safe escape square is a target for the stalemate test.
    scoreKingOf(free, 1, WHITE);
    EXPECT_EQ(canMove[WHITE], 1);
}

TEST(KingCastling, CastledMovedAndCorneredRook) {
    const char *fen = "6k1/5ppp/8/8/8/8/5PPP/6K1 w - - 0 1";
    const int32_t base = kingEval(fen, 0);
    // Having castled is worth 30 in the opening.
    scoreKingOf(fen, 0, WHITE);
    pieceEval[WHITE] = 0;
    pieceStatus.whiteHasCastled = 1;
    scoreKing(WHITE);
    EXPECT_EQ(pieceEval[WHITE] - base, 30);
    // A king that has walked without castling costs 10 in the opening.
    scoreKingOf(fen, 0, WHITE);
    pieceEval[WHITE] = 0;
    tracker[0].whiteKingCounter = 1;
    scoreKing(WHITE);
    EXPECT_EQ(pieceEval[WHITE] - base, -10);
    // ... but not once it has castled.
    pieceEval[WHITE] = 0;
    moveStack[0].castleRights |= CR_WHITE_CASTLED;
    scoreKing(WHITE);
    EXPECT_EQ(pieceEval[WHITE], base);

    // f1 with the rook on h1 behind g2 and h2: the rook is shut in.
    scoreKingOf("6k1/5ppp/8/8/8/8/5PPP/5K1R w - - 0 1", 0, WHITE);
    EXPECT_EQ(pieceStatus.cornerRook, 1);
    // With the h-pawn on h4 the rook can get out; the pawn moved off the shield costs 4 x -5.
    const int32_t shutIn = pieceEval[WHITE];
    scoreKingOf("6k1/5ppp/8/8/7P/8/5PP1/5K1R w - - 0 1", 0, WHITE);
    EXPECT_EQ(pieceStatus.cornerRook, 0);
    EXPECT_EQ(shutIn - pieceEval[WHITE], -25 + 20);
    // g1 with the rook still on h1 and h2 taken; with h3 instead the rook is as stuck.
    scoreKingOf("6k1/5ppp/8/8/8/8/5PPP/6KR w - - 0 1", 0, WHITE);
    EXPECT_EQ(pieceStatus.cornerRook, 1);
    scoreKingOf("6k1/5ppp/8/8/8/7P/5PP1/6KR w - - 0 1", 0, WHITE);
    EXPECT_EQ(pieceStatus.cornerRook, 1);
    // The queen side for Black: king b8, rook a8, a7 taken.
    scoreKingOf("rk6/ppp5/8/8/8/8/PPP5/1K6 b - - 0 1", 0, BLACK);
    EXPECT_EQ(pieceStatus.cornerRook, 1);
}

TEST(KingPawnEnding, KingRacesAndSupports) {
    // The terms apply only to a side without pieces; compare with one piece counted.
    auto pawnEndingTerms = [](const char *fen, int c) {
        scoreKingOf(fen, 2, c);
        const int32_t without = pieceEval[c];
        pieceEval[c] = 0;
        endGameMaterial[c] = 3;
        scoreKing(c);
        return without - pieceEval[c];
    };
    // Ke3 stands in the square of the black a5 pawn (+50) and next to its own e4 pawn:
    // 5 x 60 (nearness of e3 to e4).
    EXPECT_EQ(pawnEndingTerms("7k/8/8/p7/4P3/4K3/8/8 w - - 0 1", WHITE), 50 + 5 * 60);
    // Kf3 is outside the square (five files from the a-pawn); nearness of f3 to e4 is 56.
    EXPECT_EQ(pawnEndingTerms("7k/8/8/p7/4P3/5K2/8/8 w - - 0 1", WHITE), 5 * 56);
    // Without enemy passed pawns the king is drawn to the centre: beyond the pawn term
    // (nearness to e4: d3 57, a1 4) the king on d3 gains more than one in the corner.
    const int32_t nearCentre = pawnEndingTerms("7k/8/8/4p3/4P3/3K4/8/8 w - - 0 1", WHITE);
    const int32_t inCorner = pawnEndingTerms("7k/8/8/4p3/4P3/8/8/K7 w - - 0 1", WHITE);
    EXPECT_GT(nearCentre - 5 * 57, inCorner - 5 * 4);
    EXPECT_GT(inCorner - 5 * 4, 0);
    // Black's king in the square of White's a4 pawn (e6: rank 6, four files away).
    EXPECT_GE(pawnEndingTerms("8/8/4k3/4p3/P7/8/8/7K b - - 0 1", BLACK), 50);
    // A side without pawns has nothing to race with or to support.
    EXPECT_EQ(pawnEndingTerms("7k/8/8/p7/8/4K3/8/8 w - - 0 1", WHITE), 0);
}
