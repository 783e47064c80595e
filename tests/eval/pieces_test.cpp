// Rook, bishop, knight and queen terms through the piece scorer.
#include "support.h"

#include "board/makemove.h"
#include "control/control.h"
#include "eval/eval.h"
#include "eval/eval_internal.h"
#include "movegen/movegen.h"

#include <gtest/gtest.h>

namespace {

void prepare(const char *fen, int phase) {
    ASSERT_TRUE(setupFEN(fen)) << fen;
    ply = 0;
    gameState = (int8_t)phase;
    for (int a = 0; a < 8; a++)
        PPdetected[a] = 0;
    SEE();
}

// Runs only the piece scorer of colour c on fresh accumulators (no pawn weaknesses).
void runPieces(int c) {
    for (int i = 0; i < 2; i++) {
        pawnMaterial[i] = pieceMaterial[i] = endGameMaterial[i] = pieceEval[i] = 0;
        mobility[i] = tropism[i] = weakSquare[i] = canMove[i] = 0;
    }
    for (int s = 0; s < 64; s++)
        weakPawn[s] = 0;
    clearTargetScratch();
    scorePieces(c);
}

int32_t piecesEval(const char *fen, int phase, int c = WHITE) {
    prepare(fen, phase);
    runPieces(c);
    return pieceEval[c];
}

int slotOn(const int8_t *slots, int count, int square) {
    for (int i = 0; i < count; i++)
        if (slots[i] == square)
            return i;
    return -1;
}

} // namespace

TEST(RookTerms, OpenHalfOpenAndClosedFiles) {
    // A rook on d1; the d-file holds no pawn, only a black pawn, only a white pawn (kept from
    // being passed by the black e4 pawn), or pawns of both colours.
    const char *open = "7k/p7/8/8/8/8/P6K/3R4 w - - 0 1";
    const char *halfOpen = "7k/p7/3p4/8/8/8/P6K/3R4 w - - 0 1";
    const char *ownPawn = "7k/p7/8/8/4p3/3P4/P6K/3R4 w - - 0 1";
    const char *closed = "7k/p7/3p4/8/8/3P4/P6K/3R4 w - - 0 1";
    const int32_t none = piecesEval(closed, 1);
    EXPECT_EQ(piecesEval(open, 1) - none, 7);
    EXPECT_EQ(piecesEval(halfOpen, 1) - none, 6);
    EXPECT_EQ(piecesEval(ownPawn, 1) - none, 5);
    // In the endgame the rook table is flat, so the open file is the rook's whole term.
    EXPECT_EQ(piecesEval(open, 2), 7);
}

TEST(MinorTerms, TrappedPieceGetsOnlyTheTrappedTerm) {
    // The e2 bishop is pinned on the file by the e8 rook (a line it cannot move along) and
    // attacked by the d3 pawn: en prise with no target.
    const char *trapped = "4r1k1/8/8/8/8/3p4/4B3/4K3 w - - 0 1";
    const char *pinnedOnly = "4r1k1/8/8/8/8/8/4B3/4K3 w - - 0 1";
    auto bishopTerms = [](const char *fen, int phase) {
        prepare(fen, phase);
        const int slot = slotOn(tracker[0].whiteBishop, BISHOP_SLOTS, 52);
        EXPECT_TRUE(slot >= 0 && slot < 2);
        tracker[0].whiteBishopCounter[slot] = 1; // developed, so not scored as undeveloped
        runPieces(WHITE);
        return pieceEval[WHITE] - bishopsq[phase][52];
    };
    EXPECT_EQ(bishopTerms(trapped, 1), profile.trappedBishop + profile.unableToMove);
    EXPECT_EQ(pieceStatus.trappedPiece, 1);
    EXPECT_EQ(pieceStatus.pinnedPiece, 1);
    EXPECT_EQ(bishopTerms(trapped, 2), profile.trappedBishop + profile.unableToMove);
    EXPECT_EQ(bishopTerms(pinnedOnly, 1), profile.pinnedBishop + profile.unableToMove);
    EXPECT_EQ(pieceStatus.trappedPiece, 0);
    // The opening has no trapped term for minor pieces, only the pin.
    EXPECT_EQ(bishopTerms(trapped, 0), profile.pinnedBishop);
}

TEST(MinorTerms, GoodPinAgainstTheQueen) {
    // Bb5 against Nc6 with the queen right behind on d7; with a rook there it is no such pin.
    const int32_t pinning = piecesEval("3k4/3q4/2n5/1B6/8/8/8/4K3 w - - 0 1", 1);
    EXPECT_EQ(pieceStatus.goodPin, KNIGHT);
    const int32_t plain = piecesEval("3k4/3r4/2n5/1B6/8/8/8/4K3 w - - 0 1", 1);
    EXPECT_EQ(pieceStatus.goodPin, 0);
    // The pin is worth half the knight's pin penalty to the pinning side, not against it.
    EXPECT_EQ(pinning - plain, -(profile.pinnedKnight / 2));
    EXPECT_GT(pinning, plain);
    // A piece of either colour between target and queen breaks it.
    piecesEval("4k3/4q3/3P4/2n5/1B6/8/8/4K3 w - - 0 1", 1);
    EXPECT_EQ(pieceStatus.goodPin, 0);
}

TEST(RookTerms, RookBehindAPassedPawnNotInFrontOfIt) {
    // Re1 behind the passer on e5 pushes it on; Re8 in front of it blocks its path.
    const int32_t behind = piecesEval("k7/8/8/4P3/8/8/8/K3R3 w - - 0 1", 1);
    EXPECT_EQ(pieceStatus.rookBehind, 1);
    EXPECT_EQ(pieceStatus.rookInFront, 0);
    const int32_t inFront = piecesEval("4R3/8/8/4P3/8/8/8/K6k w - - 0 1", 1);
    EXPECT_EQ(pieceStatus.rookInFront, 1);
    EXPECT_EQ(pieceStatus.rookBehind, 0);
    EXPECT_GT(behind, inFront);
}

// A fourth queen only comes from a promotion in play (a7-a8=Q made by the move maker): the
// scorer must count it from its slot beyond the set-up limits, with the 100 it costs outside
// the opening.
TEST(QueenTerms, FourthQueenFromAPromotion) {
    for (int phase : {0, 1}) {
        prepare("8/P7/8/7k/8/7K/8/QQQ5 w - - 0 1", phase);
        move_list m{8, 0, QUEEN, EMPTY, WPAWN, NO_SQUARE, MT_PROMOTION, 0};
        mvstack(&m, 0);
        ply = 1;
        gameFlags ^= GF_WHITE_TO_MOVE;
        SEE();
        runPieces(WHITE);
        EXPECT_EQ(pieceMaterial[WHITE], phase == 0 ? 3600 : 3500) << phase;
        ply = 0;
        gameFlags ^= GF_WHITE_TO_MOVE;
    }
}
