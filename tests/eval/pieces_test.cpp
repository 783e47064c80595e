// Knight, bishop, rook and queen terms, through scorePieces and through evaluate.
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

const char *START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

} // namespace

TEST(RookTerms, OpenHalfOpenAndClosedFiles) {
    // A rook on d1; the d-file holds no pawn, only a black pawn, only a white pawn (kept from
    // being passed by the black e4 pawn), or pawns of both colours.
    const char *open = "7k/p7/8/8/8/8/P6K/3R4 w - - 0 1";
    const char *halfOpen = "7k/p7/3p4/8/8/8/P6K/3R4 w - - 0 1";
    const char *ownPawn = "7k/p7/8/8/4p3/3P4/P6K/3R4 w - - 0 1";
    const char *closed = "7k/p7/3p4/8/8/3P4/P6K/3R4 w - - 0 1";
    for (int phase = 0; phase < 3; phase++) {
        const int32_t none = piecesEval(closed, phase);
        EXPECT_EQ(piecesEval(open, phase) - none, 7) << "phase " << phase;
        EXPECT_EQ(piecesEval(halfOpen, phase) - none, 6) << "phase " << phase;
        EXPECT_EQ(piecesEval(ownPawn, phase) - none, 5) << "phase " << phase;
    }
    // In the endgame the rook table is flat, so the open file is the rook's whole term.
    EXPECT_EQ(piecesEval(open, 2), 7);
    // The same for Black's rook on the mirrored board.
    EXPECT_EQ(piecesEval("3r4/p6k/8/8/8/8/P7/7K b - - 0 1", 2, BLACK), 7);
}

TEST(MinorTerms, UndevelopedKnightsInTheOpening) {
    // Each knight at home costs 6 in the middlegame; in the opening b1 costs 6 and g1 12, and a
    // knight that has moved more than once gains the repeat bonus of 15.
    const struct {
        int phase, b1Moves, g1Moves;
        int32_t gain;
    } cases[] = {{0, 1, 0, 6}, {0, 0, 1, 12}, {0, 0, 2, 12 + 15}, {1, 1, 0, 6}, {1, 0, 1, 6}};
    for (const auto &c : cases) {
        prepare(START, c.phase);
        const int b1 = slotOn(tracker[0].whiteKnight, KNIGHT_SLOTS, 57);
        const int g1 = slotOn(tracker[0].whiteKnight, KNIGHT_SLOTS, 62);
        ASSERT_TRUE(b1 >= 0 && b1 < 2 && g1 >= 0 && g1 < 2); // counted slots only
        const int32_t unmoved = evaluateFresh();
        tracker[0].whiteKnightCounter[b1] = (int8_t)c.b1Moves;
        tracker[0].whiteKnightCounter[g1] = (int8_t)c.g1Moves;
        EXPECT_EQ(evaluateFresh() - unmoved, c.gain) << c.phase << c.b1Moves << c.g1Moves;
    }
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
    // Black mirrors it: Re8 stands behind a black passer on e4.
    piecesEval("4r3/8/8/8/4p3/8/K7/7k b - - 0 1", 1, BLACK);
    EXPECT_EQ(pieceStatus.rookBehind, 1);
}

TEST(QueenTerms, ExtraQueensAndEarlyQueenMoves) {
    // The second and third queen cost nothing.
    for (int phase : {0, 1}) {
        piecesEval("6k1/8/8/8/8/7K/8/QQ6 w - - 0 1", phase);
        EXPECT_EQ(pieceMaterial[WHITE], 1800);
        piecesEval("6k1/8/8/8/8/7K/8/QQQ5 w - - 0 1", phase);
        EXPECT_EQ(pieceMaterial[WHITE], 2700);
    }
    // A fourth queen only comes from a promotion in play: a7-a8=Q made by the move maker. It
    // costs 100 in the middlegame and endgame, nothing in the opening.
    for (int phase = 0; phase < 3; phase++) {
        prepare("8/P7/8/7k/8/7K/8/QQQ5 w - - 0 1", phase);
        move_list m{8, 0, QUEEN, EMPTY, WPAWN, NO_SQUARE, MT_PROMOTION, 0};
        mvstack(&m, 0);
        ply = 1;
        gameFlags ^= GF_WHITE_TO_MOVE;
        SEE();
        runPieces(WHITE);
        EXPECT_EQ(pieceMaterial[WHITE], phase == 0 ? 3600 : 3500) << phase;
        if (phase == 1) {
            EXPECT_EQ(endGameMaterial[WHITE], 12);
        }
        ply = 0;
        gameFlags ^= GF_WHITE_TO_MOVE;
    }
    // An unmoved queen next to its king gains 10 - 1 in the opening; one early move costs
    // 40 plus the distance penalty (none at distance 1); more than two moves cost nothing.
    prepare(START, 0);
    const int32_t home = evaluateFresh();
    const int32_t loss[] = {9 + 40, 9 + 20, 9};
    for (int moves = 1; moves <= 3; moves++) {
        tracker[0].whiteQueenCounter = (int8_t)moves;
        EXPECT_EQ(home - evaluateFresh(), loss[moves - 1]) << moves;
    }
}
