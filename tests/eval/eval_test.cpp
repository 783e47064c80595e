// The evaluation frame: reused king safety, hanging pieces, the early-capture and trade
// adjustments, weak squares; the capture-only threat scan, the answered-check
// threat flag and the new passed-pawn value.
#include "support.h"

#include "board/makemove.h"
#include "board/setup.h"
#include "control/control.h"
#include "eval/eval.h"
#include "eval/eval_internal.h"
#include "movegen/movegen.h"

#include <gtest/gtest.h>

#include <iterator>

namespace {

// Sets a position up at ply 0 in the given phase with a cold pawn-hash entry.
void prepare(const char *fen, int phase = 1) {
    ASSERT_TRUE(setupFEN(fen)) << fen;
    ply = 0;
    gameState = (int8_t)phase;
    for (int a = 0; a < 8; a++)
        PPdetected[a] = 0;
    pawnStore[pnhash[0] % PAWN_HASH_SIZE].pawnLock = 0;
    SEE();
}

int32_t evaluateFresh(int8_t kingSafetyDone = 0) {
    pawnStore[pnhash[ply] % PAWN_HASH_SIZE].pawnLock = 0;
    return evaluate(kingSafetyDone);
}

// Evaluates the current ply with the hanging-piece divisor set to `divisor`.
int32_t evaluateWithHungDivisor(int32_t divisor) {
    const int32_t saved = profile.hungPiece;
    profile.hungPiece = divisor;
    const int32_t score = evaluateFresh();
    profile.hungPiece = saved;
    return score;
}

// Plays a hand-built move from ply 0 with the move maker and steps to ply 1.
void playToPly1(int from, int to, int moved, int captured = EMPTY, uint16_t type = 0,
                int checkSquare = NO_SQUARE) {
    move_list m{(int8_t)from,  (int8_t)to,          0,    (int8_t)captured,
                (int8_t)moved, (int8_t)checkSquare, type, 0};
    mvstack(&m, 0);
    ply = 1;
    gameFlags ^= GF_WHITE_TO_MOVE;
    SEE();
}

int slotOn(const int8_t *slots, int count, int square) {
    for (int i = 0; i < count; i++)
        if (slots[i] == square)
            return i;
    return -1;
}

constexpr int32_t NO_HANG_PENALTY = 1 << 30; // a divisor that turns every hanging value to 0

} // namespace

TEST(EvaluateFrame, HangingPieceOfTheSideNotToMove) {
    // Black to move can take the undefended white queen with the pawn.
    prepare("6k1/8/8/3p4/4Q3/8/8/4K3 b - - 0 1", 1);
    const int32_t withPenalty = evaluateWithHungDivisor(profile.hungPiece);
    EXPECT_EQ(moveStack[0].hangingPiece, QUEEN);
    EXPECT_EQ(moveStack[0].threatenedPiece, 1); // the queen can take the pawn back
    EXPECT_EQ(pieceStatus.hangPiece, 1);
    const int32_t withoutPenalty = evaluateWithHungDivisor(NO_HANG_PENALTY);
    // The score is Black's view: White's hanging queen costs White 900 / 10.
    EXPECT_EQ(withPenalty - withoutPenalty, 90);

    // The side to move's own piece en prise is a threat, not a penalty.
    prepare("6k1/8/8/3p4/4Q3/8/8/4K3 w - - 0 1", 1);
    const int32_t whiteToMove = evaluateWithHungDivisor(profile.hungPiece);
    EXPECT_EQ(moveStack[0].hangingPiece, 1);
    EXPECT_EQ(moveStack[0].threatenedPiece, QUEEN);
    EXPECT_EQ(whiteToMove - evaluateWithHungDivisor(NO_HANG_PENALTY), 10); // Black's pawn

    // A white pawn on the seventh with a free promotion square, White to move: the square
    // is what White can win, and Black pays 800 / 10.
    prepare("7k/P7/8/8/8/8/8/K7 w - - 0 1", 2);
    const int32_t promo = evaluateWithHungDivisor(profile.hungPiece);
    EXPECT_EQ(moveStack[0].hangingPiece, 6);
    EXPECT_EQ(promo - evaluateWithHungDivisor(NO_HANG_PENALTY), 80);
}

TEST(EvaluateFrame, EarlyCaptureAndTradeAdjustment) {
    // White (a rook up) takes a knight on the first move of the line.
    const char *fen = "4k3/8/8/3n4/8/8/8/3RK2R w K - 0 1";
    auto scoreAfterCapture = [&](int phase, int cls) {
        prepare(fen, phase);
        playToPly1(59, 27, ROOK, KNIGHT, MT_CAPTURE);
        captureSequence[1] = (int8_t)cls;
        return evaluateFresh();
    };
    // Seen from Black (to move at ply 1), against class 7 (no capture in the line).
    // Middlegame: White clearly ahead after a piece capture of its own is kept from trading
    // down (-20 for White); class 1 (Black captured) moves Black's total, far behind: +20.
    // Pawn classes do nothing outside the opening. Opening: early captures cost the capturer
    // 20 (piece) or 10 (pawn).
    const int cases[][3] = {{1, 0, 20}, {1, 1, 20},  {2, 2, 0},  {2, 3, 0},
                            {0, 0, 20}, {0, 1, -20}, {0, 2, 10}, {0, 3, -10}};
    for (const auto &c : cases)
        EXPECT_EQ(scoreAfterCapture(c[0], c[1]) - scoreAfterCapture(c[0], 7), c[2])
            << "phase " << c[0] << " class " << c[1];

    // A recapture on the square where the game's last move captured is no trade decision.
    prepare(fen, 1);
    history[recordIndex(allmoves)].histrules.captureSquare = 27;
    playToPly1(59, 27, ROOK, KNIGHT, MT_CAPTURE);
    captureSequence[1] = 0;
    const int32_t recapture = evaluateFresh();
    captureSequence[1] = 7;
    EXPECT_EQ(recapture - evaluateFresh(), 0);
    history[recordIndex(allmoves)].histrules.captureSquare = NO_SQUARE;
}

TEST(EvaluateFrame, WeakSquaresOfTheKingsZone) {
    // White's counted zone (ranks 5..1, 40 squares) is covered only by its king's neighbours:
    // five on e1, eight on e3. The endgame has no such term.
    const struct {
        const char *fen;
        int phase, expected;
    } cases[] = {{"4k3/7p/8/8/8/8/8/4K3 w - - 0 1", 0, 40 - 5},
                 {"4k3/7p/8/8/8/4K3/8/8 w - - 0 1", 0, 40 - 8},
                 {"4k3/7p/8/8/8/8/8/4K3 w - - 0 1", 2, 0}};
    for (const auto &c : cases) {
        prepare(c.fen, c.phase);
        evaluateFresh();
        EXPECT_EQ(weakSquare[WHITE], c.expected) << c.fen << " phase " << c.phase;
    }
}

TEST(HangsThreats, QuietPositionsFindNothing) {
    prepare("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    moveStack[0].hangingPiece = moveStack[0].threatenedPiece = 3; // stale values are cleared
    moveStack[0].stackFlags |= ST_HANG_FOUND;
    hangsThreats();
    EXPECT_EQ(moveStack[0].hangingPiece, 0);
    EXPECT_EQ(moveStack[0].threatenedPiece, 0);
    EXPECT_FALSE(moveStack[0].stackFlags & ST_HANG_FOUND);
}

TEST(HangsThreats, AttackedPiecesAndTheirCodes) {
    // A white queen attacked by a black pawn, White to move: the pawn is the queen's target,
    // the queen is White's threatened piece (the codes the evaluation finds, above).
    prepare("6k1/8/8/3p4/4Q3/8/8/4K3 w - - 0 1");
    hangsThreats();
    EXPECT_EQ(moveStack[0].hangingPiece, 1);
    EXPECT_EQ(moveStack[0].threatenedPiece, QUEEN);
    // The queen's capture is stored for the side to move: it wins the pawn outright.
    const int q = slotOn(tracker[0].whiteQueen, QUEEN_SLOTS, 36);
    ASSERT_GE(q, 0);
    EXPECT_EQ(seeBoardQueen[q][27], 100);

    // A defended pawn is no gain for the queen: the capture is not counted as a threat.
    prepare("6k1/8/2p5/3p4/4Q3/8/8/4K3 w - - 0 1");
    hangsThreats();
    EXPECT_EQ(moveStack[0].hangingPiece, 0);
    EXPECT_EQ(moveStack[0].threatenedPiece, QUEEN);
    EXPECT_LT(seeBoardQueen[slotOn(tracker[0].whiteQueen, QUEEN_SLOTS, 36)][27], 0);
}

TEST(HangsThreats, PromotionCapturesCombineWithTheVictimsCode) {
    // b7xa8 promotes and takes an undefended rook: 6 for the promotion plus 4.
    prepare("r5k1/1P6/8/8/8/8/8/4K3 w - - 0 1");
    hangsThreats();
    EXPECT_EQ(moveStack[0].hangingPiece, 6 + ROOK);
}

TEST(HangsThreats, EnPassantCapture) {
    // After d7-d5 the e5 pawn may take en passant: the passed-over square counts as a pawn.
    prepare("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    ASSERT_EQ(moveStack[0].enPassant, 19);
    hangsThreats();
    EXPECT_EQ(moveStack[0].hangingPiece, 1);
    EXPECT_TRUE(underAttack & (1ULL << 19));
    const int e5 = slotOn(tracker[0].whitePawn, PAWN_SLOTS, 28);
    ASSERT_GE(e5, 0);
    EXPECT_EQ(seeBoardPawn[e5][19], 100);

    // A pawn pinned on its file cannot take en passant off the file.
    prepare("4r1k1/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    hangsThreats();
    EXPECT_EQ(moveStack[0].hangingPiece, 0);
}

TEST(HangsThreats, AnsweredCheckThreat) {
    ASSERT_TRUE(setupFEN("4k3/8/8/8/1b6/8/1PP5/4K3 w - - 0 1"));
    ASSERT_TRUE(depthFlags[0] & DPF_IN_CHECK);
    ASSERT_EQ(moveStack[0].checkingSquare, 33);
    const struct {
        const char *fen;
        int from, to, moved;
        bool threat;
    } cases[] = {
        // The b4 bishop checks; c2-c3 blocks and attacks it, guarded by b2 and safe from pawns.
        {"4k3/8/8/8/1b6/8/1PP5/4K3 w - - 0 1", 50, 42, WPAWN, true},
        // With a black pawn on d4 the blocking pawn can simply be taken off: no threat.
        {"4k3/8/8/8/1b1p4/8/1PP5/4K3 w - - 0 1", 50, 42, WPAWN, false},
        // A queen check on the diagonal blocked by Be5-c3, which attacks the queen and is
        // guarded by b2: a threat, unless the a4 knight can take the bishop off.
        {"4k3/8/8/4B3/1q6/8/1P6/4K3 w - - 0 1", 28, 42, BISHOP, true},
        {"4k3/8/8/4B3/nq6/8/1P6/4K3 w - - 0 1", 28, 42, BISHOP, false},
    };
    for (const auto &c : cases) {
        prepare(c.fen);
        playToPly1(c.from, c.to, c.moved);
        hangsThreats();
        EXPECT_EQ((moveStack[1].stackFlags & ST_HANG_FOUND) != 0, c.threat) << c.fen;
    }
}

namespace {

struct PasserCase {
    const char *fen;
    int from, to;
    int32_t value;
    bool fresh; // whether the move maker flags a newly passed pawn
};

// Plays each pawn move and checks PPadjust's value.
void expectPasserValues(const PasserCase *cases, size_t n) {
    for (size_t i = 0; i < n; i++) {
        const PasserCase &c = cases[i];
        prepare(c.fen);
        detectionFlags &= (uint8_t)~DF_NEW_PASSER;
        playToPly1(c.from, c.to, whiteToMove() ? WPAWN : BPAWN);
        EXPECT_EQ((detectionFlags & DF_NEW_PASSER) != 0, c.fresh) << c.fen;
        moveStack[1].newPassedPawn = 999;
        PPadjust();
        EXPECT_EQ(moveStack[1].newPassedPawn, c.value) << c.fen;
    }
}

} // namespace

TEST(PassedPawnAdjust, NewPassersAndTheirBlocks) {
    const PasserCase cases[] = {
        // b6-b7 leaves the a7 pawn behind: a new passer on the seventh, safe, free to advance;
        // and the mirror image for Black, b3-b2 past the a2 pawn.
        {"8/p6k/1P6/8/8/8/8/K7 w - - 0 1", 17, 9, 325, true},
        {"k7/8/8/8/8/1p6/P6K/8 b - - 0 1", 41, 49, 325, true},
        // c5-c6 past b6, with the black king guarding c7: the only target loses the pawn.
        {"3k4/8/1p6/2P5/8/8/8/K7 w - - 0 1", 26, 18, 225 - 38, true},
        // The new passer stands en prise to the b2 rook: worth nothing here.
        {"8/p6k/1P6/8/8/8/1r6/7K w - - 0 1", 17, 9, 0, true},
        // b5-b6 between a7 and c7 makes no passer.
        {"8/p1p4k/8/1P6/8/8/8/K7 w - - 0 1", 25, 17, 0, false},
    };
    expectPasserValues(cases, std::size(cases));
}
