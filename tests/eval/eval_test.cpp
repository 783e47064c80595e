// The evaluation frame: mate and stalemate, king safety by phase, hanging pieces, the
// early-capture and trade adjustments.
#include "support.h"

#include "board/makemove.h"
#include "board/setup.h"
#include "control/control.h"
#include "eval/eval.h"
#include "eval/eval_internal.h"
#include "movegen/movegen.h"

#include <gtest/gtest.h>

namespace {

// Sets a position up at ply 0 in the given phase with a cold pawn-hash entry.
void prepare(const char *fen, int phase) {
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
void playToPly1(int from, int to, int moved, int captured, uint16_t type,
                int checkSquare = NO_SQUARE) {
    move_list m{};
    m.from = (int8_t)from;
    m.to = (int8_t)to;
    m.promote = 0;
    m.captured = (int8_t)captured;
    m.moved = (int8_t)moved;
    m.checkSquare = (int8_t)checkSquare;
    m.type = type;
    mvstack(&m, 0);
    ply = 1;
    gameFlags ^= GF_WHITE_TO_MOVE;
    SEE();
}

constexpr int32_t NO_HANG_PENALTY = 1 << 30; // a divisor that turns every hanging value to 0

} // namespace

TEST(EvaluateFrame, StartPositionIsBalancedAndQuiet) {
    prepare("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0);
    const int32_t score = evaluateFresh();
    // Both sides stand exactly alike, so neither total can exceed the other.
    EXPECT_EQ(score, 0);
    EXPECT_EQ(moveStack[0].exactScored, 0);
    EXPECT_EQ(moveStack[0].hangingPiece, 0);
    EXPECT_EQ(moveStack[0].threatenedPiece, 0);
    EXPECT_EQ(pieceStatus.stalemate, 0);
    EXPECT_EQ(pieceStatus.hangPiece, 0);
    EXPECT_TRUE(depthFlags[0] & DPF_EVAL_SEE);
    EXPECT_FALSE(moveStack[0].stackFlags & ST_HANG_FOUND);
    // Every piece of the side to move has its exchange value on its targets: Nb1-c3 and
    // e2-e4 are safe moves into empty squares.
    int knightSlot = -1, pawnSlot = -1;
    for (int i = 0; i < KNIGHT_SLOTS; i++)
        if (tracker[0].whiteKnight[i] == 57)
            knightSlot = i;
    for (int i = 0; i < PAWN_SLOTS; i++)
        if (tracker[0].whitePawn[i] == 52)
            pawnSlot = i;
    ASSERT_GE(knightSlot, 0);
    ASSERT_GE(pawnSlot, 0);
    seeBoardKnight[knightSlot][42] = -12345;
    seeBoardPawn[pawnSlot][36] = -12345;
    evaluateFresh();
    EXPECT_EQ(seeBoardKnight[knightSlot][42], 0);
    EXPECT_EQ(seeBoardPawn[pawnSlot][36], 0);
}

TEST(EvaluateFrame, MateStalemateAndNormalPositions) {
    // Fool's mate, played with the move maker: White to move is checkmated.
    prepare("rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq g3 0 2", 0);
    playToPly1(3, 39, QUEEN, EMPTY, MT_CHECK, 39);
    EXPECT_EQ(evaluateFresh(), -10000);
    EXPECT_EQ(moveStack[1].exactScored, -10000);

    // After Kf6-g6 Black to move has no move and is not in check: a normal score, and the
    // flag for the caller.
    prepare("7k/5Q2/5K2/8/8/8/8/8 w - - 0 1", 2);
    playToPly1(21, 22, KING, EMPTY, 0);
    const int32_t stalemated = evaluateFresh();
    EXPECT_EQ(pieceStatus.stalemate, 1);
    EXPECT_GT(stalemated, -9000);
    EXPECT_LT(stalemated, 0); // a queen down
    EXPECT_EQ(moveStack[1].exactScored, stalemated);

    // The same material with a move available: no stalemate flag.
    prepare("7k/8/5QK1/8/8/8/8/8 b - - 0 1", 2);
    evaluateFresh();
    EXPECT_EQ(pieceStatus.stalemate, 0);

    // A king in check that can step away is not mated.
    prepare("4k3/8/8/8/8/8/8/r3K3 w - - 0 1", 2);
    EXPECT_GT(evaluateFresh(), -9000);
    EXPECT_EQ(pieceStatus.stalemate, 0);
}

TEST(EvaluateFrame, KingSafetyByPhaseAndReuse) {
    const char *fen = "r1b2rk1/ppq2ppp/2n5/3Q4/8/5N2/PP3PPP/R1B2RK1 w - - 0 1";
    prepare(fen, 2);
    moveStack[0].whiteKingSafety = 77;
    moveStack[0].blackKingSafety = 88;
    evaluateFresh(0);
    EXPECT_EQ(moveStack[0].whiteKingSafety, 0);
    EXPECT_EQ(moveStack[0].blackKingSafety, 0);

    // With kingSafetyDone the stored values are used as they stand: each point of White's
    // danger value is a point off White's total.
    prepare(fen, 1);
    moveStack[0].whiteKingSafety = 0;
    moveStack[0].blackKingSafety = 0;
    const int32_t calm = evaluateFresh(1);
    moveStack[0].whiteKingSafety = 100;
    const int32_t endangered = evaluateFresh(1);
    EXPECT_EQ(calm - endangered, 100);
    moveStack[0].whiteKingSafety = 0;
    moveStack[0].blackKingSafety = 40;
    EXPECT_EQ(evaluateFresh(1) - calm, 40);
}

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
    // Seen from Black (to move at ply 1): middlegame, White clearly ahead after a piece
    // capture of its own is kept from trading down (-20 for White).
    EXPECT_EQ(scoreAfterCapture(1, 0) - scoreAfterCapture(1, 7), 20);
    // Class 1 (Black captured) moves Black's total, which is far behind: +20 for Black.
    EXPECT_EQ(scoreAfterCapture(1, 1) - scoreAfterCapture(1, 7), 20);
    // Pawn classes do nothing outside the opening.
    EXPECT_EQ(scoreAfterCapture(2, 2) - scoreAfterCapture(2, 7), 0);
    EXPECT_EQ(scoreAfterCapture(2, 3) - scoreAfterCapture(2, 7), 0);
    // Opening: early captures cost the capturer 20 (piece) or 10 (pawn).
    EXPECT_EQ(scoreAfterCapture(0, 0) - scoreAfterCapture(0, 7), 20);
    EXPECT_EQ(scoreAfterCapture(0, 1) - scoreAfterCapture(0, 7), -20);
    EXPECT_EQ(scoreAfterCapture(0, 2) - scoreAfterCapture(0, 7), 10);
    EXPECT_EQ(scoreAfterCapture(0, 3) - scoreAfterCapture(0, 7), -10);

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

TEST(EvaluateFrame, RootPositionHasNoLineCapture) {
    // At ply 0 the records of ply 1 belong to no move of a line and are ignored.
    prepare("4k3/8/8/3n4/8/8/8/3RK2R w K - 0 1", 0);
    captureSequence[1] = 7;
    const int32_t plain = evaluateFresh();
    captureSequence[1] = 0;
    moveStack[1].captureSquare = 27;
    EXPECT_EQ(evaluateFresh(), plain);
    captureSequence[1] = 7;
}

TEST(EvaluateFrame, WeakSquaresByPhase) {
    // Kings (and a black pawn outside it): White's counted zone (ranks 5..1, 40 squares) is covered only by its
    // king's neighbours, so the count falls from 35 (king on e1: five neighbours) to 32 (on
    // e3: eight); the middlegame doubles it and the endgame has no such term.
    auto weak = [](const char *fen, int phase) {
        prepare(fen, phase);
        evaluateFresh();
        return weakSquare[WHITE];
    };
    EXPECT_EQ(weak("4k3/7p/8/8/8/8/8/4K3 w - - 0 1", 0), 40 - 5);
    EXPECT_EQ(weak("4k3/7p/8/8/8/8/8/4K3 w - - 0 1", 1), 2 * (40 - 5));
    EXPECT_EQ(weak("4k3/7p/8/8/8/4K3/8/8 w - - 0 1", 0), 40 - 8);
    EXPECT_EQ(weak("4k3/7p/8/8/8/8/8/4K3 w - - 0 1", 2), 0);
}
