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

TEST(RookTerms, MobilityPastTheTableUsesItsLastColumn) {
    // A rook on d4 of an otherwise empty board reaches 14 squares; a queen on d4 27.
    prepare("7k/8/8/8/3R4/8/8/K7 w - - 0 1", 2);
    runPieces(WHITE);
    EXPECT_EQ(mobility[WHITE], pieceMobility[ROOK][13]);
    prepare("1K6/7k/8/8/3Q4/8/8/8 w - - 0 1", 2);
    runPieces(WHITE);
    EXPECT_EQ(mobility[WHITE], pieceMobility[QUEEN][13]);
}

TEST(MinorTerms, UndevelopedKnightsInTheOpening) {
    prepare(START, 0);
    const int b1 = slotOn(tracker[0].whiteKnight, KNIGHT_SLOTS, 57);
    const int g1 = slotOn(tracker[0].whiteKnight, KNIGHT_SLOTS, 62);
    ASSERT_GE(b1, 0);
    ASSERT_GE(g1, 0);
    ASSERT_LT(b1, 2);
    ASSERT_LT(g1, 2);
    const int32_t unmoved = evaluateFresh();
    tracker[0].whiteKnightCounter[b1] = 1;
    EXPECT_EQ(evaluateFresh() - unmoved, 6);
    tracker[0].whiteKnightCounter[b1] = 0;
    tracker[0].whiteKnightCounter[g1] = 1;
    EXPECT_EQ(evaluateFresh() - unmoved, 12);
    // A knight that has moved more than once gains the repeat bonus (only in the opening).
    tracker[0].whiteKnightCounter[g1] = 2;
    EXPECT_EQ(evaluateFresh() - unmoved, 12 + 15);

    // In the middlegame either knight at home costs 6.
    prepare(START, 1);
    const int32_t mid = evaluateFresh();
    tracker[0].whiteKnightCounter[b1] = 1;
    EXPECT_EQ(evaluateFresh() - mid, 6);
    tracker[0].whiteKnightCounter[b1] = 0;
    tracker[0].whiteKnightCounter[g1] = 1;
    EXPECT_EQ(evaluateFresh() - mid, 6);
}

TEST(MinorTerms, TrappedPieceGetsOnlyTheTrappedTerm) {
    // The e2 bishop is pinned on the file by the e8 rook (a line it cannot move along) and
    // attacked by the d3 pawn: en prise with no target.
    const char *trapped = "4r1k1/8/8/8/8/3p4/4B3/4K3 w - - 0 1";
    const char *pinnedOnly = "4r1k1/8/8/8/8/8/4B3/4K3 w - - 0 1";
    auto bishopTerms = [](const char *fen, int phase) {
        prepare(fen, phase);
        const int slot = slotOn(tracker[0].whiteBishop, BISHOP_SLOTS, 52);
        EXPECT_GE(slot, 0);
        EXPECT_LT(slot, 2);
        tracker[0].whiteBishopCounter[slot] = 1; // developed, so not scored as undeveloped
        runPieces(WHITE);
        return pieceEval[WHITE];
    };
    const int32_t e2Mid = bishopsq[1][52], e2End = bishopsq[2][52], e2Open = bishopsq[0][52];
    EXPECT_EQ(bishopTerms(trapped, 1), e2Mid + profile.trappedBishop + profile.unableToMove);
    EXPECT_EQ(pieceStatus.trappedPiece, 1);
    EXPECT_EQ(pieceStatus.pinnedPiece, 1);
    EXPECT_EQ(bishopTerms(trapped, 2), e2End + profile.trappedBishop + profile.unableToMove);
    EXPECT_EQ(bishopTerms(pinnedOnly, 1), e2Mid + profile.pinnedBishop + profile.unableToMove);
    EXPECT_EQ(pieceStatus.trappedPiece, 0);
    // The opening has no trapped term for minor pieces, only the pin.
    EXPECT_EQ(bishopTerms(trapped, 0), e2Open + profile.pinnedBishop);
}

TEST(MinorTerms, GoodPinAgainstTheQueen) {
    // Bb5 against Nc6 with the queen right behind on d7; with a rook there it is no such pin.
    prepare("3k4/3q4/2n5/1B6/8/8/8/4K3 w - - 0 1", 1);
    runPieces(WHITE);
    EXPECT_EQ(pieceStatus.goodPin, KNIGHT);
    prepare("3k4/3r4/2n5/1B6/8/8/8/4K3 w - - 0 1", 1);
    runPieces(WHITE);
    EXPECT_EQ(pieceStatus.goodPin, 0);
    // A piece of either colour between target and queen breaks it.
    prepare("4k3/4q3/3P4/2n5/1B6/8/8/4K3 w - - 0 1", 1);
    runPieces(WHITE);
    EXPECT_EQ(pieceStatus.goodPin, 0);
    // The pin is worth half the knight's pin penalty to the pinning side, not against it.
    const int32_t pinning = piecesEval("3k4/3q4/2n5/1B6/8/8/8/4K3 w - - 0 1", 1);
    const int32_t plain = piecesEval("3k4/3r4/2n5/1B6/8/8/8/4K3 w - - 0 1", 1);
    EXPECT_EQ(pinning - plain, -(profile.pinnedKnight / 2));
    EXPECT_GT(pinning, plain);
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
    auto material = [](const char *fen, int phase) {
        prepare(fen, phase);
        runPieces(WHITE);
        return pieceMaterial[WHITE];
    };
    const char *two = "6k1/8/8/8/8/7K/8/QQ6 w - - 0 1";
    const char *three = "6k1/8/8/8/8/7K/8/QQQ5 w - - 0 1";
    // The second and third queen cost nothing.
    EXPECT_EQ(material(two, 1), 1800);
    EXPECT_EQ(material(three, 1), 2700);
    EXPECT_EQ(material(three, 0), 2700);
    // A fourth queen only comes from a promotion in play: a7-a8=Q made by the move maker.
    auto fourQueens = [](int phase) {
        prepare("8/P7/8/7k/8/7K/8/QQQ5 w - - 0 1", phase);
        move_list m{};
        m.from = 8;
        m.to = 0;
        m.promote = QUEEN;
        m.captured = EMPTY;
        m.moved = WPAWN;
        m.checkSquare = NO_SQUARE;
        m.type = MT_PROMOTION;
        mvstack(&m, 0);
        ply = 1;
        gameFlags ^= GF_WHITE_TO_MOVE;
        SEE();
        runPieces(WHITE);
        const int32_t result = pieceMaterial[WHITE];
        ply = 0;
        gameFlags ^= GF_WHITE_TO_MOVE;
        return result;
    };
    // The fourth costs 100 in the middlegame and endgame, nothing in the opening.
    EXPECT_EQ(fourQueens(1), 3500);
    EXPECT_EQ(endGameMaterial[WHITE], 12);
    EXPECT_EQ(fourQueens(2), 3500);
    EXPECT_EQ(fourQueens(0), 3600);

    // An unmoved queen next to its king gains 10 - 1 in the opening; one early move costs
    // 40 plus the distance penalty (none at distance 1); more than two moves cost nothing.
    prepare(START, 0);
    const int32_t home = evaluateFresh();
    tracker[0].whiteQueenCounter = 1;
    EXPECT_EQ(home - evaluateFresh(), 9 + 40);
    tracker[0].whiteQueenCounter = 2;
    EXPECT_EQ(home - evaluateFresh(), 9 + 20);
    tracker[0].whiteQueenCounter = 3;
    EXPECT_EQ(home - evaluateFresh(), 9);
}

TEST(RookTerms, MovedRookBeforeCastling) {
    prepare(START, 0);
    const int h1 = slotOn(tracker[0].whiteRook, ROOK_SLOTS, 63);
    ASSERT_GE(h1, 0);
    ASSERT_LT(h1, 2);
    const int32_t home = evaluateFresh();
    tracker[0].whiteRookCounter[h1] = 1;
    EXPECT_EQ(home - evaluateFresh(), 10);
    // Once the king has castled a rook may move freely.
    moveStack[0].castleRights |= CR_WHITE_CASTLED;
    const int32_t castledHome = (tracker[0].whiteRookCounter[h1] = 0, evaluateFresh());
    tracker[0].whiteRookCounter[h1] = 1;
    EXPECT_EQ(castledHome - evaluateFresh(), 0);
}
