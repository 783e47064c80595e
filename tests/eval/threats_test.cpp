// The capture-only threat scan, the answered-check threat flag and the new passed-pawn value.
#include "support.h"

#include "board/makemove.h"
#include "control/control.h"
#include "eval/eval.h"
#include "eval/eval_internal.h"
#include "movegen/movegen.h"

#include <gtest/gtest.h>

namespace {

void prepare(const char *fen, int phase = 1) {
    ASSERT_TRUE(setupFEN(fen)) << fen;
    ply = 0;
    gameState = (int8_t)phase;
    for (int a = 0; a < 8; a++)
        PPdetected[a] = 0;
    SEE();
}

// Plays a hand-built move from ply 0 with the move maker, steps to ply 1 and analyses it.
void playToPly1(int from, int to, int moved, int captured = EMPTY, uint16_t type = 0,
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

int32_t evaluateFresh() {
    pawnStore[pnhash[ply] % PAWN_HASH_SIZE].pawnLock = 0;
    return evaluate(0);
}

int slotOn(const int8_t *slots, int count, int square) {
    for (int i = 0; i < count; i++)
        if (slots[i] == square)
            return i;
    return -1;
}

} // namespace

TEST(HangsThreats, QuietPositionsFindNothing) {
    prepare("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    moveStack[0].hangingPiece = 3;
    moveStack[0].threatenedPiece = 3;
    moveStack[0].stackFlags |= ST_HANG_FOUND;
    hangsThreats();
    EXPECT_EQ(moveStack[0].hangingPiece, 0);
    EXPECT_EQ(moveStack[0].threatenedPiece, 0);
    EXPECT_FALSE(moveStack[0].stackFlags & ST_HANG_FOUND);
    EXPECT_TRUE(depthFlags[0] & DPF_THREAT_SEE);
    EXPECT_EQ(underAttack, 0u);
}

TEST(HangsThreats, AttackedPiecesAndTheirCodes) {
    // A white queen attacked by a black pawn, Black to move: the queen hangs; the pawn it
    // could take back is White's threat. evaluate finds the same codes.
    prepare("6k1/8/8/3p4/4Q3/8/8/4K3 b - - 0 1");
    hangsThreats();
    EXPECT_EQ(moveStack[0].hangingPiece, QUEEN);
    EXPECT_EQ(moveStack[0].threatenedPiece, 1);
    evaluateFresh();
    EXPECT_EQ(moveStack[0].hangingPiece, QUEEN);
    EXPECT_EQ(moveStack[0].threatenedPiece, 1);

    // The same with White to move: the side to move's view turns round.
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
    // Mirrored, Black's pawn is scanned after White's rook was already marked: the same code.
    prepare("4k3/8/8/8/8/8/1p6/R5K1 b - - 0 1");
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
    // The b4 bishop checks; c2-c3 blocks and attacks it, guarded by b2 and safe from pawns.
    const char *fen = "4k3/8/8/8/1b6/8/1PP5/4K3 w - - 0 1";
    prepare(fen);
    ASSERT_TRUE(depthFlags[0] & DPF_IN_CHECK);
    ASSERT_EQ(moveStack[0].checkingSquare, 33);
    playToPly1(50, 42, WPAWN);
    hangsThreats();
    EXPECT_TRUE(moveStack[1].stackFlags & ST_HANG_FOUND);
    evaluateFresh();
    EXPECT_TRUE(moveStack[1].stackFlags & ST_HANG_FOUND);

    // With a black pawn on d4 the blocking pawn can simply be taken off: no threat.
    prepare("4k3/8/8/8/1b1p4/8/1PP5/4K3 w - - 0 1");
    playToPly1(50, 42, WPAWN);
    hangsThreats();
    EXPECT_FALSE(moveStack[1].stackFlags & ST_HANG_FOUND);
    evaluateFresh();
    EXPECT_FALSE(moveStack[1].stackFlags & ST_HANG_FOUND);

    // A queen check on the diagonal blocked by Be5-c3, which attacks the queen and is
    // guarded by b2: a threat, unless the a4 knight can take the bishop off.
    prepare("4k3/8/8/4B3/1q6/8/1P6/4K3 w - - 0 1");
    playToPly1(28, 42, BISHOP);
    hangsThreats();
    EXPECT_TRUE(moveStack[1].stackFlags & ST_HANG_FOUND);
    prepare("4k3/8/8/4B3/nq6/8/1P6/4K3 w - - 0 1");
    playToPly1(28, 42, BISHOP);
    hangsThreats();
    EXPECT_FALSE(moveStack[1].stackFlags & ST_HANG_FOUND);
}

// Plays a pawn move and returns PPadjust's value; `fresh` reports whether the move maker
// flagged a newly passed pawn.
static int32_t passerValueAfter(const char *fen, int from, int to, bool &fresh) {
    prepare(fen);
    detectionFlags &= (uint8_t)~DF_NEW_PASSER;
    playToPly1(from, to, whiteToMove() ? WPAWN : BPAWN);
    fresh = (detectionFlags & DF_NEW_PASSER) != 0;
    moveStack[1].newPassedPawn = 999;
    PPadjust();
    return moveStack[1].newPassedPawn;
}

TEST(PassedPawnAdjust, NewPassersAndTheirBlocks) {
    bool fresh = false;
    // b6-b7 leaves the a7 pawn behind: a new passer on the seventh, safe, free to advance.
    EXPECT_EQ(passerValueAfter("8/p6k/1P6/8/8/8/8/K7 w - - 0 1", 17, 9, fresh), 325);
    EXPECT_TRUE(fresh);
    // The mirror image for Black: b3-b2 past the a2 pawn.
    EXPECT_EQ(passerValueAfter("k7/8/8/8/8/1p6/P6K/8 b - - 0 1", 41, 49, fresh), 325);
    EXPECT_TRUE(fresh);
    // c5-c6 past b6, with the black king guarding c7: the only target loses the pawn.
    EXPECT_EQ(passerValueAfter("3k4/8/1p6/2P5/8/8/8/K7 w - - 0 1", 26, 18, fresh), 225 - 38);
    EXPECT_TRUE(fresh);
    // The new passer stands en prise to the b2 rook: worth nothing here.
    EXPECT_EQ(passerValueAfter("8/p6k/1P6/8/8/8/1r6/7K w - - 0 1", 17, 9, fresh), 0);
    EXPECT_TRUE(fresh);
    // b5-b6 between a7 and c7 makes no passer.
    EXPECT_EQ(passerValueAfter("8/p1p4k/8/1P6/8/8/8/K7 w - - 0 1", 25, 17, fresh), 0);
    EXPECT_FALSE(fresh);
}

TEST(PassedPawnAdjust, ScanOrderIsNotAMirrorImage) {
    bool fresh = false;
    // d5-d6 past e6: the push to d7 loses the pawn, the capture on c7 is free. White looks
    // at its targets from the highest square: the push (d7) before the capture (c7), so the
    // blocked term is charged once before the capture clears it.
    EXPECT_EQ(passerValueAfter("4k3/2n5/4p3/3P4/8/8/8/K7 w - - 0 1", 27, 19, fresh), 225 - 38);
    EXPECT_TRUE(fresh);
    // Black, from the lowest square, meets the capture (c2) first on the mirrored board.
    EXPECT_EQ(passerValueAfter("k7/8/8/8/3p4/4P3/2N5/4K3 b - - 0 1", 35, 43, fresh), 225);
    EXPECT_TRUE(fresh);
}
