// Pawn structure: the hashed structure terms, the pawn hash itself and the per-call terms.
#include "board/makemove.h"
#include "board/setup.h"
#include "control/control.h"
#include "eval/eval.h"
#include "eval/eval_internal.h"
#include "movegen/movegen.h"
#include "support.h"

#include <gtest/gtest.h>

#include <climits>
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
TEST(PawnStructure, HashedStructureTerms) {
    constexpr int32_t ANY = INT32_MIN;
    const struct {
        const char *fen;
        int phase;
        int32_t white, black;
    } cases[] = {
        // Doubled: d4 + d3, the rear pawn pays (6 - 11); the pair covers each other's file, so
        // neither is isolated. Black's lone d7 pawn is isolated: -10 - 20.
        {"4k3/3p4/8/8/3P4/3P4/8/4K3 w - - 0 1", 1, 16 + 6 - 11, -10 - 20},
        // Isolated on the edge files: 4 - 15 each for a3/h3, 0 - 15 for a7/h7.
        {"4k3/p6p/8/8/8/P6P/8/4K3 w - - 0 1", 1, 2 * (4 - 15), 2 * (0 - 15)},
        // Backward: d3 with c5 two ranks ahead; with c4 one rank ahead it is not, and c4 is
        // connected to d3 (+2). From rank 2 even a neighbour three ranks ahead leaves it behind.
        {"4k3/2pp4/8/2P5/8/3P4/8/4K3 w - - 0 1", 1, 19 + 6 - 11, ANY},
        {"4k3/2pp4/8/8/2P5/3P4/8/4K3 w - - 0 1", 1, 14 + 2 + 6, ANY},
        {"4k3/2pp4/8/2P5/8/8/3P4/4K3 w - - 0 1", 1, 19 - 10 - 11, ANY},
        // c3-d4-e5 chain: d4 connected (+2) and a chain link (+2), e5 connected (+2).
        {"4k3/2ppp3/8/4P3/3P4/2P5/8/4K3 w - - 0 1", 1, 5 + (16 + 2 + 2) + (22 + 2), ANY},
        // Passed: a lone safe e5 pawn is 22 + 150 in the middlegame (not isolated: passers are
        // judged by their run).
        {"4k3/8/8/4P3/8/8/8/4K3 w - - 0 1", 1, 22 + 150, ANY},
        // e5 and d4 both passed: e5 is connected (d4 behind it) and gains 5 x rank 5.
        {"4k3/8/8/4P3/3P4/8/8/4K3 w - - 0 1", 1, (22 + 150 + 5 * 5) + (16 + 94), ANY},
        // Black's passed pawn on d4 is on its rank 5 (own frame d5).
        {"4k3/8/8/8/3p4/8/8/4K3 w - - 0 1", 1, ANY, 22 + 150},
        // A passer en prise to the a5 rook keeps only its table value; defended, its run too.
        {"4k3/8/8/r3P3/8/8/8/7K w - - 0 1", 1, 22, ANY},
        {"4k3/8/8/r3P3/5K2/8/8/8 w - - 0 1", 1, 22 + 150, ANY},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fen);
        const Scores s = hashed(c.fen, c.phase);
        EXPECT_TRUE(c.white == ANY || s.white == c.white) << s.white << " phase " << c.phase;
        EXPECT_TRUE(c.black == ANY || s.black == c.black) << s.black << " phase " << c.phase;
    }
}

TEST(PawnHash, HitReturnsTheStoredScoresUnchanged) {
    setUp("4k3/3p4/8/8/3P4/3P4/8/4K3 w - - 0 1", 1);
    int32_t s[2];
    probePawnHash(s);
    tag_pnhash &entry = pawnStore[pnhash[0] % PAWN_HASH_SIZE];
    ASSERT_EQ(entry.pawnLock, pnlock[0]);
    // A poisoned entry comes back as it is, in any phase: a hit never rescores.
    entry.whitePawnEval = 1234;
    entry.blackPawnEval = -777;
    gameState = 2;
    probePawnHash(s);
    EXPECT_EQ(s[WHITE], 1234);
    EXPECT_EQ(s[BLACK], -777);
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
    int32_t s[2];
    // The safe passer on rank 5 is worth 150 to the move that made it; a hit adds nothing.
    for (int expected : {150, 0}) {
        moveStack[1].newPassedPawn = 0;
        probePawnHash(s);
        EXPECT_EQ(moveStack[1].newPassedPawn, expected);
    }
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
    EXPECT_TRUE(underAttack & sideAttacks[WHITE] & bitOf("e6"));
    // No black piece guards e6, so each capture (slots of the files d = 3, f = 5) wins it.
    EXPECT_EQ(seeBoardPawn[3][sq("e6")], 100);
    EXPECT_EQ(seeBoardPawn[5][sq("e6")], 100);
    // A pawn pinned on the diagonal cannot take en passant off its pin line; f5 still can.
    perCall("b3k3/8/8/3PpP2/8/8/6K1/8 w - - 0 1", 1);
    const int32_t without = mobility[WHITE];
    perCall("b3k3/8/8/3PpP2/8/8/6K1/8 w - e6 0 1", 1);
    EXPECT_EQ(mobility[WHITE] - without, 1);
}

TEST(PawnTargets, PinsAndChecksCutThePawnsTargets) {
    const struct {
        const char *fen;
        int32_t moves;
    } cases[] = {
        {"4k3/4r3/8/8/8/8/4P3/4K3 w - - 0 1", 2}, // pinned on its file: it may advance
        {"4k3/8/8/b7/8/8/3P4/4K3 w - - 0 1", 0},  // pinned on a diagonal: no push
        {"4k3/8/8/8/8/2b5/3P4/4K3 w - - 0 1", 1}, // ... but it may take the pinner
        {"4k3/8/8/8/8/8/3P4/4K2r w - - 0 1", 0},  // in check on the first rank: no block
    };
    for (const auto &c : cases) {
        perCall(c.fen, 1);
        EXPECT_EQ(canMove[WHITE], c.moves) << c.fen;
    }
}

TEST(PawnTargets, WeakPawns) {
    const struct {
        const char *fen, *square;
        int expected;
    } cases[] = {
        // A lone pawn no pawn guards is weak.
        {"4k3/8/8/8/3P4/8/8/4K3 w - - 0 1", "d4", 1},
        // Side by side with free squares ahead, either can still step up to guard the other;
        // with its square ahead blocked d4 cannot.
        {"4k3/8/8/8/2PP4/8/8/4K3 w - - 0 1", "d4", 0},
        {"4k3/8/8/3p4/2PP4/8/8/4K3 w - - 0 1", "d4", 1},
        // The unguarded base of a chain counts 3.
        {"4k3/8/8/2P5/3P4/8/8/4K3 w - - 0 1", "d4", 3},
        // Black's pawns are read the same way from Black's side.
        {"4k3/8/3p4/2p5/8/8/8/4K3 w - - 0 1", "d6", 3},
    };
    for (const auto &c : cases) {
        perCall(c.fen, 1);
        EXPECT_EQ(weakPawn[sq(c.square)], c.expected) << c.fen << " " << c.square;
    }
}

// Per-call terms that land in pieceEval, by phase (opening, middlegame, endgame).
TEST(PawnTargets, PerCallTermsByPhase) {
    const struct {
        const char *fen;
        int32_t byPhase[3];
    } cases[] = {
        // e5 is passed and safe, but the e6 knight stops it and it has nothing to take:
        // (150 / 5) x -4 outside the opening.
        {"4k3/8/4n3/4P3/8/8/8/K7 w - - 0 1", {0, -120, -120}},
        // g5 hits f6 and h6 next to the black king on g7: 2 x 3 middlegame, 2 x 5 endgame.
        {"8/6kp/8/6P1/8/8/8/3K4 w - - 0 1", {0, 6, 10}},
        // Kings on opposite wings: a3 is a far pawn (+1 opening, +4 middlegame) and advances
        // against the king (+1 x rank 3).
        {"1k6/8/8/8/8/P7/8/6K1 w - - 0 1", {1 + 3, 4 + 3, 0}},
    };
    for (const auto &c : cases)
        for (int phase = 0; phase < 3; phase++) {
            perCall(c.fen, phase);
            EXPECT_EQ(pieceEval[WHITE], c.byPhase[phase]) << c.fen << " phase " << phase;
        }
}

TEST(PawnHash, ClearEmptiesTheEntriesWritten) {
    setUp("4k3/3p4/8/8/3P4/3P4/8/4K3 w - - 0 1", 1);
    int32_t s[2];
    probePawnHash(s);
    const tag_pnhash &entry = pawnStore[pnhash[0] % PAWN_HASH_SIZE];
    ASSERT_EQ(entry.pawnLock, pnlock[0]);
    clearPawnHash();
    EXPECT_EQ(entry.pawnLock, 0u);
    EXPECT_EQ(entry.whitePawnEval, 0);
    EXPECT_EQ(entry.blackPawnEval, 0);
}
