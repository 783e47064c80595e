// Pawn structure: the hashed structure terms, the pawn hash itself and the per-call terms.
#include "board/makemove.h"
#include "board/setup.h"
#include "control/control.h"
#include "eval/eval.h"
#include "eval/eval_internal.h"
#include "movegen/movegen.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int sq(const char *name) { return (name[0] - 'a') + 8 * ('8' - name[1]); }
uint64_t bitOf(const char *name) { return 1ULL << sq(name); }

// Sets up `fen` at ply 0 in phase `phase` with the attack analysis done.
void setUp(const char *fen, int phase) {
    ASSERT_TRUE(setupFEN(fen)) << fen;
    gameState = (int8_t)phase;
    SEE();
}

struct Scores {
    int32_t white, black;
};

// The pawn-hash scores of `fen` in `phase` (startpos has emptied the table, so this scores).
Scores hashed(const char *fen, int phase) {
    setUp(fen, phase);
    int32_t s[2] = {0, 0};
    probePawnHash(s);
    return {s[WHITE], s[BLACK]};
}

// Empties every per-call accumulator and scratch set of the evaluation.
void clearEvalScratch() {
    for (int c = WHITE; c <= BLACK; c++) {
        pawnMaterial[c] = pieceMaterial[c] = endGameMaterial[c] = pieceEval[c] = 0;
        mobility[c] = tropism[c] = weakSquare[c] = canMove[c] = 0;
        sideAttacks[c] = 0;
    }
    std::memset(attacked, 0, sizeof(attacked));
    std::memset(weakPawn, 0, sizeof(weakPawn));
    underAttack = 0;
}

// Runs the per-call pawn terms of both colours on `fen` in `phase`.
void perCall(const char *fen, int phase) {
    setUp(fen, phase);
    clearEvalScratch();
    scorePawns(WHITE);
    scorePawns(BLACK);
}

} // namespace

// Middlegame piece-square values used below (rank 5/4/3 on the d-file: 22, 16, 6; c-file:
// 19, 14, 5; rank 2 d-file -10), doubled -11, backward -11, isolated d-file -20.
TEST(PawnStructure, DoubledAndTrebledPawns) {
    // d4 + d3: the rear pawn is doubled (6 - 11); neither is isolated, the pair covers each
    // other's file. Black's lone d7 pawn is isolated: -10 - 20.
    Scores s = hashed("4k3/3p4/8/8/3P4/3P4/8/4K3 w - - 0 1", 1);
    EXPECT_EQ(s.white, 16 + 6 - 11);
    EXPECT_EQ(s.black, -10 - 20);

    // d5 + d4 + d3: the middle pawn has own pawns ahead and behind and pays nothing; only the
    // rear pawn is doubled.
    s = hashed("4k3/3p4/8/3P4/3P4/3P4/8/4K3 w - - 0 1", 1);
    EXPECT_EQ(s.white, 22 + 16 + 6 - 11);
}

TEST(PawnStructure, IsolatedPawnsByFileAndPhase) {
    // a3 and h3 have no neighbours: 4 - 15 each in the middlegame; Black's a7 and h7 stand on
    // squares worth 0 and are isolated too.
    Scores s = hashed("4k3/p6p/8/8/8/P6P/8/4K3 w - - 0 1", 1);
    EXPECT_EQ(s.white, 2 * (4 - 15));
    EXPECT_EQ(s.black, 2 * (0 - 15));
    // In the endgame the edge files cost -16 and rank 3 is worth 3 and 6.
    s = hashed("4k3/p6p/8/8/8/P6P/8/4K3 w - - 0 1", 2);
    EXPECT_EQ(s.white, (3 - 16) + (6 - 16));
}

TEST(PawnStructure, BackwardPawnNeedsNeighboursTwoRanksAhead) {
    // d3 with c5 two ranks ahead is backward: 19 + (6 - 11).
    EXPECT_EQ(hashed("4k3/2pp4/8/2P5/8/3P4/8/4K3 w - - 0 1", 1).white, 19 + 6 - 11);
    // With c4 only one rank ahead d3 is not backward, and c4 is connected to d3 (+2).
    EXPECT_EQ(hashed("4k3/2pp4/8/8/2P5/3P4/8/4K3 w - - 0 1", 1).white, 14 + 2 + 6);
    // From rank 2 the neighbour must be three ranks ahead: c4 is not enough, c5 is.
    EXPECT_EQ(hashed("4k3/2pp4/8/8/2P5/8/3P4/4K3 w - - 0 1", 1).white, 14 - 10);
    EXPECT_EQ(hashed("4k3/2pp4/8/2P5/8/8/3P4/4K3 w - - 0 1", 1).white, 19 - 10 - 11);
}

TEST(PawnStructure, ConnectedPawnsAndChains) {
    // c3-d4-e5 chain: d4 is connected (c3 behind it) and a chain link (e5 ahead of it);
    // e5 is connected (d4 behind). c3 has nothing behind it. Middlegame: 5 + 16 + 22 plus
    // connected 2 + chain 2 for d4 and connected 2 for e5. Black's c7, d7 and e7 keep every
    // white pawn from being passed.
    Scores s = hashed("4k3/2ppp3/8/4P3/3P4/2P5/8/4K3 w - - 0 1", 1);
    EXPECT_EQ(s.white, 5 + (16 + 2 + 2) + (22 + 2));
}

TEST(PawnStructure, PassedPawnsFromTheMiddlegameOn) {
    // A lone safe passed pawn on e5: 22 + 150 in the middlegame; not isolated (passed pawns
    // are judged by their run).
    EXPECT_EQ(hashed("4k3/8/8/4P3/8/8/8/4K3 w - - 0 1", 1).white, 22 + 150);
    // The opening scores it by the table only (rank 5 e-file: 15).
    EXPECT_EQ(hashed("4k3/8/8/4P3/8/8/8/4K3 w - - 0 1", 0).white, 15);
    // e5 and d4 both passed: e5 is connected (d4 behind it) and gains 5 x rank 5.
    EXPECT_EQ(hashed("4k3/8/8/4P3/3P4/8/8/4K3 w - - 0 1", 1).white, (22 + 150 + 5 * 5) + (16 + 94));
    // Black's passed pawn on d4 is on its rank 5 (own frame d5): 22 + 150.
    EXPECT_EQ(hashed("4k3/8/8/8/3p4/8/8/4K3 w - - 0 1", 1).black, 22 + 150);
}

TEST(PawnStructure, PassedPawnEnPriseGetsNoRunValue) {
    // The black rook on a5 wins the undefended e5 pawn: only its table value remains.
    setUp("4k3/8/8/r3P3/8/8/8/7K w - - 0 1", 1);
    ASSERT_LT(seeBoard[0][sq("e5")], 0);
    int32_t s[2];
    probePawnHash(s);
    EXPECT_EQ(s[WHITE], 22);
    // Defended by the king it keeps its run value.
    EXPECT_EQ(hashed("4k3/8/8/r3P3/5K2/8/8/8 w - - 0 1", 1).white, 22 + 150);
}

TEST(PawnStructure, OpeningTermsOfTheInitialPawns) {
    // Opening: rank 2 table (d2 -20, e2 -24), the eighth pawn (-4), the home e- and d-pawns
    // (-6 and -3); nothing else applies to the initial pawns. Both sides are alike.
    ensureSetup();
    gameState = 0;
    SEE();
    int32_t s[2];
    probePawnHash(s);
    EXPECT_EQ(s[WHITE], -20 - 24 - 4 - 6 - 3);
    EXPECT_EQ(s[BLACK], -20 - 24 - 4 - 6 - 3);
}

TEST(PawnStructure, WingPawnAdvanceFollowsTheSlot) {
    // After 1.a4 (made by the move maker, so the a-pawn keeps slot 0): a4 in the opening
    // table is -5 and the early wing advance costs -9; the a2 square's 0 is gone.
    ensureSetup();
    move_list m = {(int8_t)sq("a2"), (int8_t)sq("a4"), 0, EMPTY, WPAWN, -1, MT_DOUBLE_PUSH, 0};
    mvstack(&m, 0);
    ply = 1;
    gameFlags &= (uint8_t)~GF_WHITE_TO_MOVE;
    gameState = 0;
    SEE();
    int32_t s[2];
    probePawnHash(s);
    EXPECT_EQ(s[WHITE], -5 - 9 - 20 - 24 - 4 - 6 - 3);
    ply = 0;
}

TEST(PawnHash, HitReturnsTheStoredScoresUnchanged) {
    setUp("4k3/3p4/8/8/3P4/3P4/8/4K3 w - - 0 1", 1);
    int32_t s[2];
    probePawnHash(s);
    tag_pnhash &entry = pawnStore[pnhash[0] % PAWN_HASH_SIZE];
    ASSERT_EQ(entry.pawnLock, pnlock[0]);
    EXPECT_EQ(entry.whitePawnEval, s[WHITE]);
    EXPECT_EQ(entry.blackPawnEval, s[BLACK]);

    // A poisoned entry comes back as it is: a hit never rescores.
    entry.whitePawnEval = 1234;
    entry.blackPawnEval = -777;
    probePawnHash(s);
    EXPECT_EQ(s[WHITE], 1234);
    EXPECT_EQ(s[BLACK], -777);

    // The same pawns in another phase reuse the stored score too.
    gameState = 2;
    probePawnHash(s);
    EXPECT_EQ(s[WHITE], 1234);

    // A lock that does not match is a miss: the structure is scored again.
    entry.pawnLock ^= 1;
    gameState = 1;
    probePawnHash(s);
    EXPECT_EQ(s[WHITE], 16 + 6 - 11);
    EXPECT_EQ(entry.pawnLock, pnlock[0]);
}

TEST(PawnHash, NewPassedPawnIsCreditedOnlyWhenScored) {
    // f4-f5 passes the e5 pawn: the move maker flags the f-pawn as a new passer. Black's
    // passed f3 pawn shares the f-file slot but did not just move: it earns nothing.
    ASSERT_TRUE(setupFEN("4k3/8/8/4p3/5P2/5p2/8/4K3 w - - 0 1"));
    move_list m = {(int8_t)sq("f4"), (int8_t)sq("f5"), 0, EMPTY, WPAWN, -1, 0, 0};
    mvstack(&m, 0);
    ply = 1;
    gameFlags &= (uint8_t)~GF_WHITE_TO_MOVE;
    gameState = 1;
    SEE();
    ASSERT_EQ(tracker[1].whitePassPawn[5], sq("f5")); // the f-pawn keeps the f-file slot
    ASSERT_EQ(PPdetected[5], 1);
    moveStack[1].newPassedPawn = 0;
    int32_t s[2];
    probePawnHash(s);
    // The safe passer on rank 5 is worth 150 to the move that made it.
    EXPECT_EQ(moveStack[1].newPassedPawn, 150);
    // A hit does not add it again.
    moveStack[1].newPassedPawn = 0;
    probePawnHash(s);
    EXPECT_EQ(moveStack[1].newPassedPawn, 0);
    ply = 0;
}

TEST(PawnTargets, EnPassantByTwoPawnsOntoOneSquare) {
    // d5 and f5 can both take on e6: each gets one more pawn mobility point and one more
    // target, and e6 is marked as an en prise pawn square once.
    perCall("4k3/8/8/3PpP2/8/8/8/4K3 w - - 0 1", 1);
    const int32_t mobilityWithout = mobility[WHITE], movesWithout = canMove[WHITE];
    perCall("4k3/8/8/3PpP2/8/8/8/4K3 w - e6 0 1", 1);
    EXPECT_EQ(mobility[WHITE] - mobilityWithout, 2);
    EXPECT_EQ(canMove[WHITE] - movesWithout, 2);
    EXPECT_TRUE(underAttack & bitOf("e6"));
    EXPECT_TRUE(sideAttacks[WHITE] & bitOf("e6"));
    EXPECT_EQ(attacked[sq("e6")], 1);
    // No black piece guards e6, so each capture wins the pawn outright.
    // The set-up pawns keep the slots of their files (d = 3, f = 5).
    EXPECT_EQ(seeBoardPawn[3][sq("e6")], 100);
    EXPECT_EQ(seeBoardPawn[5][sq("e6")], 100);
}

TEST(PawnTargets, PinsAndChecksCutThePawnsTargets) {
    // Pinned on its file the pawn may still advance along the pin.
    perCall("4k3/4r3/8/8/8/8/4P3/4K3 w - - 0 1", 1);
    EXPECT_EQ(canMove[WHITE], 2);
    // Pinned on a diagonal it cannot push at all.
    perCall("4k3/8/8/b7/8/8/3P4/4K3 w - - 0 1", 1);
    EXPECT_EQ(canMove[WHITE], 0);
    // ... but it may take the pinning piece.
    perCall("4k3/8/8/8/8/2b5/3P4/4K3 w - - 0 1", 1);
    EXPECT_EQ(canMove[WHITE], 1);
    // In check from a rook on the first rank the d2 pawn cannot block.
    perCall("4k3/8/8/8/8/8/3P4/4K2r w - - 0 1", 1);
    EXPECT_EQ(canMove[WHITE], 0);
    // A pinned pawn cannot take en passant off its pin line; the free f5 pawn still can.
    perCall("b3k3/8/8/3PpP2/8/8/6K1/8 w - - 0 1", 1);
    const int32_t without = mobility[WHITE];
    perCall("b3k3/8/8/3PpP2/8/8/6K1/8 w - e6 0 1", 1);
    EXPECT_EQ(mobility[WHITE] - without, 1);
}

TEST(PawnTargets, WeakPawns) {
    // A lone pawn no pawn guards is weak.
    perCall("4k3/8/8/8/3P4/8/8/4K3 w - - 0 1", 1);
    EXPECT_EQ(weakPawn[sq("d4")], 1);
    // Side by side with free squares ahead, either can still step up to guard the other.
    perCall("4k3/8/8/8/2PP4/8/8/4K3 w - - 0 1", 1);
    EXPECT_EQ(weakPawn[sq("c4")], 0);
    EXPECT_EQ(weakPawn[sq("d4")], 0);
    // With its square ahead blocked d4 cannot: weak, while c4 still can.
    perCall("4k3/8/8/3p4/2PP4/8/8/4K3 w - - 0 1", 1);
    EXPECT_EQ(weakPawn[sq("d4")], 1);
    EXPECT_EQ(weakPawn[sq("c4")], 0);
    // The unguarded base of a chain counts 3; the pawn it guards is not weak.
    perCall("4k3/8/8/2P5/3P4/8/8/4K3 w - - 0 1", 1);
    EXPECT_EQ(weakPawn[sq("d4")], 3);
    EXPECT_EQ(weakPawn[sq("c5")], 0);
    // Black's pawns are read the same way from Black's side.
    perCall("4k3/8/3p4/2p5/8/8/8/4K3 w - - 0 1", 1);
    EXPECT_EQ(weakPawn[sq("d6")], 3);
    EXPECT_EQ(weakPawn[sq("c5")], 0);
}

TEST(PawnTargets, BlockedPassedPawn) {
    // e5 is passed and safe, but the knight on e6 stops it and it has nothing to take:
    // (150 / 5) x -4 in the middlegame and the endgame, nothing in the opening.
    const char *blocked = "4k3/8/4n3/4P3/8/8/8/K7 w - - 0 1";
    perCall(blocked, 1);
    EXPECT_EQ(pieceEval[WHITE], -120);
    perCall(blocked, 2);
    EXPECT_EQ(pieceEval[WHITE], -120);
    perCall(blocked, 0);
    EXPECT_EQ(pieceEval[WHITE], 0);
    // With e6 free and safe the pawn runs.
    perCall("4k3/8/n7/4P3/8/8/8/K7 w - - 0 1", 1);
    EXPECT_EQ(pieceEval[WHITE], 0);
    // A blocked passer that is lost anyway gets no extra penalty.
    perCall("4k3/8/4n3/r3P3/8/8/8/7K w - - 0 1", 1);
    EXPECT_EQ(pieceEval[WHITE], 0);
}

TEST(PawnTargets, SeventhRankPawnMarksItsPromotionSquare) {
    // e8 is guarded by the black king, so the push is not counted, yet the promotion square
    // is a threat: marked 6, en prise set and White's attacks.
    perCall("8/4Pk2/8/8/8/8/8/4K3 w - - 0 1", 2);
    EXPECT_EQ(attacked[sq("e8")], 6);
    EXPECT_TRUE(underAttack & bitOf("e8"));
    EXPECT_TRUE(sideAttacks[WHITE] & bitOf("e8"));
    // The e7 pawn itself is en prise to the king.
    EXPECT_EQ(attacked[sq("e7")], 1);
    EXPECT_TRUE(underAttack & bitOf("e7"));
}

TEST(PawnTargets, AttacksNextToTheEnemyKing) {
    // g5 hits f6 and h6 next to the black king on g7: 2 x 3 in the middlegame, 2 x 5 in the
    // endgame, nothing in the opening.
    const char *fen = "8/6kp/8/6P1/8/8/8/3K4 w - - 0 1";
    perCall(fen, 1);
    EXPECT_EQ(pieceEval[WHITE], 6);
    perCall(fen, 2);
    EXPECT_EQ(pieceEval[WHITE], 10);
    perCall(fen, 0);
    EXPECT_EQ(pieceEval[WHITE], 0);
}

TEST(PawnTargets, FarPawnsFacingTheEnemyKing) {
    // King g1 and Black's king on b8: the a3 pawn is a far pawn (+1 opening, +4 middlegame)
    // and advances against the king (+1 x rank 3).
    const char *fen = "1k6/8/8/8/8/P7/8/6K1 w - - 0 1";
    perCall(fen, 0);
    EXPECT_EQ(pieceEval[WHITE], 1 + 3);
    perCall(fen, 1);
    EXPECT_EQ(pieceEval[WHITE], 4 + 3);
    perCall(fen, 2);
    EXPECT_EQ(pieceEval[WHITE], 0);
    // The other wing for White, and Black's mirror image.
    perCall("6k1/8/8/8/8/7P/8/2K5 w - - 0 1", 0);
    EXPECT_EQ(pieceEval[WHITE], 1 + 3);
    perCall("6k1/8/p7/8/8/8/8/1K6 b - - 0 1", 0);
    EXPECT_EQ(pieceEval[BLACK], 1 + 3);
}

TEST(PawnTargets, MaterialCountsEveryPawn) {
    ensureSetup();
    gameState = 0;
    SEE();
    clearEvalScratch();
    scorePawns(WHITE);
    scorePawns(BLACK);
    EXPECT_EQ(pawnMaterial[WHITE], 800);
    EXPECT_EQ(pawnMaterial[BLACK], 800);
    // Every pawn has its single and double step, both safe: 16 targets, and two counted
    // moves are worth 1 mobility point per pawn.
    EXPECT_EQ(canMove[WHITE], 16);
    EXPECT_EQ(mobility[WHITE], 8 * 1);
}
