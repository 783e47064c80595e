// King terms: pawn shelter, open lines, a trapped king, a rook shut in by its king and the
// king's part in king-and-pawn endings; king-zone danger: the zone counts, the attacker
// weights, the queen rule and the flag.
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

TEST(KingShelter, ShelterCountsInTheOpening) {
    const struct {
        const char *fen;
        int colour, kingsPawns;
    } cases[] = {
        // g1 behind f2 g2 h2 facing f7 g7 h7: a perfect shield; without g2 the g-file gives 5.
        {"6k1/5ppp/8/8/8/8/5PPP/6K1 w - - 0 1", WHITE, 0},
        {"6k1/5ppp/8/8/8/8/5P1P/6K1 w - - 0 1", WHITE, 5},
        // With no pawn on the f-file at all: 5 + 3, halved to 4.
        {"6k1/6pp/8/8/8/8/6PP/6K1 w - - 0 1", WHITE, 4},
        // Pawns pushed to rank 3 and an enemy pawn on rank 4: g3 gives 2 + 1 (enemy g4).
        {"6k1/5p1p/8/8/6p1/6P1/5P1P/6K1 w - - 0 1", WHITE, 3},
        // b1 behind a2 and c2: the total 5 + 0 is halved after the c-file: 2.
        {"1k6/ppp5/8/8/8/8/P1P5/1K6 w - - 0 1", WHITE, 2},
        // In the centre only open files count: d, e and f empty -> 6; a black e-pawn closes one.
        {"4k3/p7/8/8/8/8/P7/4K3 w - - 0 1", WHITE, 6},
        {"4k3/p7/8/4p3/8/8/P7/4K3 w - - 0 1", WHITE, 4},
    };
    for (const auto &c : cases) {
        scoreKingOf(c.fen, 0, c.colour);
        EXPECT_EQ(pieceStatus.kingsPawns, c.kingsPawns) << c.fen;
    }
}

TEST(KingExposure, OpenLinesAroundTheKing) {
    // A king in the middle of the board is exposed 8, which costs 32 in the middlegame only:
    // e4 -25 (table), shelter d/e/f open 6 x -5, exposure 8 x -4.
    const char *centre = "4k3/p7/8/8/4K3/8/P7/8 w - - 0 1";
    EXPECT_EQ(kingEval(centre, 1), -25 - 30 - 32);
    EXPECT_EQ(pieceStatus.kingExposed, 8);
    EXPECT_EQ(kingEval(centre, 0), -25 - 30);
    const struct {
        const char *fen;
        int colour, exposed;
    } cases[] = {
        // On e1 behind its whole army every line is closed.
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", WHITE, 0},
        // A bare king on e1: h-side 1, a-side 1, file 2 (the black king is no cover), both
        // diagonals 2.
        {"4k3/p7/8/8/8/8/P7/4K3 w - - 0 1", WHITE, 8},
        // g1 behind f2 g2 h2 is open only towards the a-file.
        {"6k1/5ppp/8/8/8/8/5PPP/6K1 w - - 0 1", WHITE, 2},
        // Far from its home ranks a king is as exposed as in the open.
        {"8/p3K3/8/8/8/8/P7/k7 w - - 0 1", BLACK, 8},
    };
    for (const auto &c : cases) {
        scoreKingOf(c.fen, 1, c.colour);
        EXPECT_EQ(pieceStatus.kingExposed, c.exposed) << c.fen;
    }
}

TEST(KingTrapped, NoSafeSquareCostsInMiddlegameAndEndgame) {
    // h1 with g2 and h2 in front, g1 covered by the knight on f3: trapped.
    const char *trapped = "4k3/p7/8/8/8/5n2/6PP/7K w - - 0 1";
    // The knight on a3 leaves g1 free.
    const char *free = "4k3/p7/8/8/8/n7/6PP/7K w - - 0 1";
    scoreKingOf(trapped, 1, WHITE);
    EXPECT_EQ(pieceStatus.trappedPiece, 1);
    const int32_t cost[] = {0, -10, -10};
    for (int phase = 0; phase < 3; phase++) {
        const int32_t trappedEval = kingEval(trapped, phase);
        EXPECT_EQ(trappedEval - kingEval(free, phase), cost[phase]) << phase;
        EXPECT_EQ(pieceStatus.trappedPiece, 0);
    }
    // Every safe escape square is a target for the stalemate test.
    scoreKingOf(free, 1, WHITE);
    EXPECT_EQ(canMove[WHITE], 1);
}

TEST(KingCastling, RookShutInByItsOwnKing) {
    // f1 with the rook on h1 behind g2 and h2: the rook is shut in.
    scoreKingOf("6k1/5ppp/8/8/8/8/5PPP/5K1R w - - 0 1", 0, WHITE);
    EXPECT_EQ(pieceStatus.cornerRook, 1);
    // With the h-pawn on h4 the rook can get out; the pawn moved off the shield costs 4 x -5.
    const int32_t shutIn = pieceEval[WHITE];
    scoreKingOf("6k1/5ppp/8/8/7P/8/5PP1/5K1R w - - 0 1", 0, WHITE);
    EXPECT_EQ(pieceStatus.cornerRook, 0);
    EXPECT_EQ(shutIn - pieceEval[WHITE], -25 + 20);
    // g1 with the rook on h1 and the h-pawn only on h3: the rook is as stuck.
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
    // A side without pawns has nothing to race with or to support.
    EXPECT_EQ(pawnEndingTerms("7k/8/8/p7/8/4K3/8/8 w - - 0 1", WHITE), 0);
}

TEST(KingSafety, AttackersOnTheZone) {
    // g1 and g8 with nothing near: nothing to measure, and the flag says so.
    Danger d = danger("6k1/p7/8/8/8/8/P7/6K1 w - - 0 1", 0);
    EXPECT_EQ(d.white + d.black, 0);
    EXPECT_TRUE(d.flagged);
    // Knight f4 and bishop c6 against g1: g2 (near row, empty, covered by the king alone)
    // counts 3, h1 (beside, king alone) 2, f3 and h3 only reveal attackers. Two minor pieces
    // weigh 48, whose increment is 1: b_table[5 + 1] = 15. Black's a8 king: 4.
    d = danger("k7/8/2b5/8/5n2/8/5P1P/6K1 w - - 0 1", ST_KING_SAFETY);
    EXPECT_EQ(d.white, 15);
    EXPECT_EQ(d.black, 4);
    EXPECT_FALSE(d.flagged);
    // A pawn on g2 fills the near square (2 instead of 3) and stops the bishop short of h1:
    // 2 + increment 1 = 3, value 6.
    d = danger("k7/8/2b5/8/5n2/8/5PPP/6K1 w - - 0 1", 0);
    EXPECT_EQ(d.white, 6);
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
