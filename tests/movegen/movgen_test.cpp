// Move generator: legality, check marking, exchange-based ordering and the search's ordering.
#include "board/board.h"
#include "board/setup.h"
#include "control/control.h"
#include "eval/eval.h"
#include "board/position.h"
#include "movegen/movegen.h"
#include "search/search.h"
#include "search/tt.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <utility>

namespace {

// Square number of algebraic text such as "e2" (a8 = 0, h1 = 63).
int sq(const char *s) { return (8 - (s[1] - '0')) * 8 + (s[0] - 'a'); }

int moveCount() { return mvstore[ply + 1]; }

// Index of the move from-to (with the given promotion piece) in the list of ply 0, or -1.
int findMove(const char *from, const char *to, int promote = 0) {
    for (int i = 0; i < moveCount(); i++) {
        const move_list &m = searchData[0][i];
        if (m.from == sq(from) && m.to == sq(to) && m.promote == promote)
            return i;
    }
    return -1;
}

const move_list &moveAt(int i) { return searchData[0][i]; }

// The move from-to of the list; a failure and an empty record when it is missing.
const move_list &mv(const char *from, const char *to, int promote = 0) {
    static const move_list none = {NO_SQUARE, NO_SQUARE, 0, EMPTY, EMPTY, NO_SQUARE, 0, 0};
    int i = findMove(from, to, promote);
    if (i < 0) {
        ADD_FAILURE() << "missing move " << from << to;
        return none;
    }
    return moveAt(i);
}

// Destinations of the moves from one square.
std::set<int> targetsFrom(const char *from) {
    std::set<int> out;
    for (int i = 0; i < moveCount(); i++)
        if (searchData[0][i].from == sq(from))
            out.insert(searchData[0][i].to);
    return out;
}

std::set<std::pair<int, int>> moveSet() {
    std::set<std::pair<int, int>> out;
    for (int i = 0; i < moveCount(); i++)
        out.insert({searchData[0][i].from * 64 + searchData[0][i].to, searchData[0][i].promote});
    return out;
}

// Writes a placement that the FEN refusals would not accept (more than three queens) straight
// into ply 0: mailbox, bitboards and piece lists; White to move, no castling, no en passant.
void placePosition(const char *placement) {
    ensureSetup();
    tag_sq &board = squares[0];
    trak &lists = tracker[0];
    for (int c = WHITE; c <= BLACK; c++)
        for (int piece : {c == WHITE ? WPAWN : BPAWN, KNIGHT, BISHOP, ROOK, QUEEN})
            std::fill(slotsOf(lists, c, piece), slotsOf(lists, c, piece) + slotCount(piece),
                      SLOT_UNUSED);
    int s = 0;
    for (const char *p = placement; *p && s < 64; p++) {
        if (*p == '/')
            continue;
        if (*p >= '1' && *p <= '8') {
            for (int k = 0; k < *p - '0'; k++, s++)
                board.insq[s] = EMPTY, board.colsq[s] = NOCOLOUR;
            continue;
        }
        const int colour = std::isupper((unsigned char)*p) ? WHITE : BLACK;
        const int piece = std::string("pnbrqk").find((char)std::tolower((unsigned char)*p)) + 1;
        const int code = piece == 1 ? colour : piece; // the pawn code carries its colour
        board.insq[s] = (int8_t)code;
        board.colsq[s] = (int8_t)colour;
        if (code == KING) {
            kingSlot(lists, colour) = (int8_t)s;
        } else {
            int8_t *slots = slotsOf(lists, colour, code);
            *std::find(slots, slots + slotCount(code), SLOT_UNUSED) = (int8_t)s;
        }
        s++;
    }
    boards[0] = bitboardsOf(board);
    moveStack[0].enPassant = NO_SQUARE;
    moveStack[0].castleRights = 0;
    depthFlags[0] = 0;
    gameFlags |= GF_WHITE_TO_MOVE;
}

class MovgenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureSetup();
        searchFlags = 0;
        detectionFlags &= (uint8_t)~DF_AFTER_NULL;
        for (int p = 0; p < MAX_PLY; p++) {
            killer[0][p] = killer[1][p] = matekiller[p] = tempkiller;
        }
    }
    void TearDown() override {
        searchFlags = 0;
        detectionFlags &= (uint8_t)~DF_AFTER_NULL;
        depthFlags[0] &= (uint8_t) ~(DPF_EVAL_SEE | DPF_THREAT_SEE);
    }
    // Sets up a position and generates its moves with the given phase and generator mode.
    void generate(const char *fen, int8_t gen = 0, int8_t inQS = 0, int phase = -1) {
        ASSERT_TRUE(setupFEN(fen)) << fen;
        if (phase >= 0)
            gameState = (int8_t)phase;
        SEE();
        movgen(gen, inQS);
    }
};

// ---------------------------------------------------------------------------
// The initial position and the list bookkeeping
// ---------------------------------------------------------------------------
TEST_F(MovgenTest, InitialPositionHasTwentyMovesAndDevelopingKnightsRankHigh) {
    ensureSetup();
    gameState = 0;
    SEE();
    movgen(0, 0);
    EXPECT_EQ(moveCount(), 20);
    EXPECT_EQ(generated[0], 20);
    EXPECT_EQ(mv("g1", "f3").orderscore, 112);
    EXPECT_EQ(mv("b1", "c3").orderscore, 111);
    // e2-e4 is a double push, e2-e3 is not; no move checks or captures.
    EXPECT_TRUE(mv("e2", "e4").type & MT_DOUBLE_PUSH);
    EXPECT_FALSE(mv("e2", "e3").type & MT_DOUBLE_PUSH);
    for (int i = 0; i < moveCount(); i++) {
        EXPECT_EQ(moveAt(i).checkSquare, NO_SQUARE);
        EXPECT_EQ(moveAt(i).captured, EMPTY);
        EXPECT_FALSE(moveAt(i).type & (MT_CHECK | MT_CAPTURE));
    }
}

TEST_F(MovgenTest, SearchSortsByDescendingScoreWithoutChangingTheMoves) {
    ensureSetup();
    gameState = 0;
    SEE();
    movgen(0, 0);
    auto unsorted = moveSet();
    searchFlags = SF_SEARCH_START;
    SEE();
    movgen(0, 0);
    EXPECT_EQ(moveSet(), unsorted);
    for (int i = 1; i < moveCount(); i++)
        EXPECT_GE(moveAt(i - 1).orderscore, moveAt(i).orderscore) << i;
    EXPECT_EQ(moveAt(0).from, sq("e2")); // the central double steps lead the opening table
    EXPECT_EQ(moveAt(0).to, sq("e4"));
    EXPECT_EQ(moveAt(1).to, sq("d4"));
}

// The most moves known in a legal position: every one of them fits in the list.
TEST_F(MovgenTest, PositionWithTwoHundredEighteenMovesIsListedCompletely) {
    placePosition("R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1");
    SEE();
    movgen(0, 0);
    EXPECT_EQ(moveCount(), 218);
    EXPECT_EQ(generated[0], 218);
    EXPECT_EQ(moveSet().size(), 218u); // no move listed twice
}

// ---------------------------------------------------------------------------
// Legality: pins, checks, king safety, castling and en passant
// ---------------------------------------------------------------------------
TEST_F(MovgenTest, PinnedPiecesStayOnTheirLine) {
    // Rook e2 pinned on the e-file, knight d2 pinned by the bishop on b4.
    generate("4r1k1/8/8/8/1b6/8/3NR3/4K3 w - - 0 1");
    EXPECT_EQ(targetsFrom("e2"),
              (std::set<int>{sq("e8"), sq("e7"), sq("e6"), sq("e5"), sq("e4"), sq("e3")}));
    EXPECT_TRUE(targetsFrom("d2").empty());
    // A bishop pinned on a diagonal may move along it, including capturing the pinner.
    generate("4k3/7p/8/8/1b6/8/3B3P/4K3 w - - 0 1");
    EXPECT_EQ(targetsFrom("d2"), (std::set<int>{sq("b4"), sq("c3")}));
}

TEST_F(MovgenTest, InCheckOnlyMovesThatAnswerTheCheck) {
    // Rook a1 checks along the first rank: block on b1 or d1, or step off the rank. f1 lies
    // behind the king on the checking line and stays attacked.
    generate("4k3/8/8/8/8/2N5/8/r3K2R w K - 0 1");
    EXPECT_EQ(moveCount(), 5);
    EXPECT_GE(findMove("c3", "b1"), 0);
    EXPECT_GE(findMove("c3", "d1"), 0);
    EXPECT_GE(findMove("e1", "d2"), 0);
    EXPECT_GE(findMove("e1", "e2"), 0);
    EXPECT_GE(findMove("e1", "f2"), 0);
    // Knight f3 and rook a1 give double check: only the king may move.
    generate("4k3/8/8/8/8/2N2n2/8/r3K3 w - - 0 1");
    EXPECT_EQ(moveCount(), 2);
    EXPECT_GE(findMove("e1", "e2"), 0);
    EXPECT_GE(findMove("e1", "f2"), 0);
}

TEST_F(MovgenTest, KingStepsDependOnRealAttacksOnly) {
    // The a8 bishop's diagonal is blocked by the White bishop: f3 and h1 are free squares.
    generate("b3k3/7p/8/3B4/8/8/P5K1/8 w - - 0 1");
    EXPECT_EQ(targetsFrom("g2").size(), 8u);
    // The knight on d2 is defended by the e3 pawn, which also covers f2; the knight covers f1.
    generate("4k3/8/8/8/8/4p3/3n4/4K3 w - - 0 1");
    EXPECT_EQ(targetsFrom("e1"), (std::set<int>{sq("d1"), sq("e2")}));
    // Undefended, the knight can be taken.
    generate("4k3/7p/8/8/8/8/P2n4/4K3 w - - 0 1");
    EXPECT_TRUE(mv("e1", "d2").type & MT_CAPTURE);
}

TEST_F(MovgenTest, CastlingNeedsEmptyAndUnattackedSquares) {
    // The f-file rook is blocked by the White rook on f2: castling is legal.
    generate("4kr2/8/8/8/8/8/5R2/4K2R w K - 0 1");
    EXPECT_TRUE(mv("e1", "g1").type & MT_CASTLE_SHORT);
    EXPECT_EQ(mv("e1", "g1").orderscore, 124);
    // Without the blocker f1 is attacked.
    generate("4kr2/8/8/8/8/8/8/4K2R w K - 0 1");
    EXPECT_LT(findMove("e1", "g1"), 0);
    // Queen side: b1 may be attacked (the king does not cross it), d1 may not.
    generate("1r2k3/8/8/8/8/8/8/R3K3 w Q - 0 1");
    EXPECT_TRUE(mv("e1", "c1").type & MT_CASTLE_LONG);
    EXPECT_EQ(mv("e1", "c1").orderscore, 123);
    generate("3rk3/8/8/8/8/8/8/R3K3 w Q - 0 1");
    EXPECT_LT(findMove("e1", "c1"), 0);
    // A piece between king and rook forbids it.
    generate("4k3/8/8/8/8/8/8/RN2K3 w Q - 0 1");
    EXPECT_LT(findMove("e1", "c1"), 0);
}

TEST_F(MovgenTest, EnPassantIsLegalOnlyWhenTheKingStaysSafe) {
    // Ordinary en passant.
    generate("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
    EXPECT_EQ(mv("e5", "d6").type & (MT_CAPTURE | MT_EN_PASSANT), MT_CAPTURE | MT_EN_PASSANT);
    EXPECT_EQ(mv("e5", "d6").captured, BPAWN);
    // Both pawns leave the fifth rank and would open it to the rook on h5.
    generate("4k3/8/8/K2pP2r/8/8/8/8 w - d6 0 1");
    EXPECT_LT(findMove("e5", "d6"), 0);
    EXPECT_GE(findMove("e5", "e6"), 0);
    // In check from the g8 bishop: taking the f-pawn en passant does not answer it.
    generate("6b1/8/8/4Pp2/2K5/8/8/k7 w - f6 0 1");
    EXPECT_LT(findMove("e5", "f6"), 0);
    // In check from the pawn that just advanced two: taking it en passant answers the check.
    generate("8/8/8/6k1/4pP2/8/8/4K3 b - f3 0 1");
    EXPECT_GE(findMove("e4", "f3"), 0);
}

TEST_F(MovgenTest, NoEnPassantRightAfterANullMoveInANullSearch) {
    const char *fen = "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1";
    ASSERT_TRUE(setupFEN(fen));
    searchFlags = SF_NULL_SEARCH;
    detectionFlags |= DF_AFTER_NULL;
    SEE();
    movgen(0, 0);
    EXPECT_LT(findMove("e5", "d6"), 0);
    EXPECT_FALSE(detectionFlags & DF_AFTER_NULL); // the generator consumes the mark
    // Deeper in the same null search the capture is available again.
    SEE();
    movgen(0, 0);
    EXPECT_GE(findMove("e5", "d6"), 0);
}

// ---------------------------------------------------------------------------
// Check marking
// ---------------------------------------------------------------------------
TEST_F(MovgenTest, DirectAndDiscoveredChecksNameTheCheckingPiece) {
    // Knight e2 shields the e1 rook: every knight move checks from e1.
    generate("4k3/8/8/8/8/8/4N3/4R1K1 w - - 0 1");
    for (int i = 0; i < moveCount(); i++) {
        const move_list &m = moveAt(i);
        if (m.from != sq("e2"))
            continue;
        EXPECT_TRUE(m.type & MT_CHECK);
        EXPECT_EQ(m.checkSquare, sq("e1"));
    }
    // The rook leaving the file gives no check.
    EXPECT_FALSE(mv("e1", "d1").type & MT_CHECK);
    EXPECT_EQ(mv("e1", "d1").checkSquare, NO_SQUARE);

    // Direct checks of a bishop and a queen.
    generate("4k3/8/8/8/8/8/8/3BK2Q w - - 0 1");
    EXPECT_EQ(mv("d1", "a4").checkSquare, sq("a4"));
    EXPECT_TRUE(mv("d1", "a4").type & MT_CHECK);
    EXPECT_EQ(mv("d1", "b3").checkSquare, NO_SQUARE);
    EXPECT_EQ(mv("h1", "h5").checkSquare, sq("h5"));
    EXPECT_EQ(mv("h1", "e4").checkSquare, sq("e4"));
    EXPECT_EQ(mv("h1", "f3").checkSquare, NO_SQUARE);
}

TEST_F(MovgenTest, EnPassantCanUncoverACheckThroughTheCapturedPawn) {
    // The d5 pawn had just blocked the h1 bishop's check: taking it reopens the diagonal.
    generate("8/1k6/8/3pP3/8/8/8/4K2B w - d6 0 1");
    EXPECT_TRUE(mv("e5", "d6").type & MT_CHECK);
    EXPECT_EQ(mv("e5", "d6").checkSquare, sq("h1"));
}

TEST_F(MovgenTest, CastlingChecksAlongTheFileAndAlongTheRank) {
    generate("5k2/8/8/8/8/8/8/4K2R w K - 0 1");
    EXPECT_EQ(mv("e1", "g1").checkSquare, sq("f1"));
    EXPECT_TRUE(mv("e1", "g1").type & MT_CHECK);
    // The rook on f1 sees c1 through the square the king has left.
    generate("8/8/8/8/8/8/8/2k1K2R w K - 0 1");
    EXPECT_EQ(mv("e1", "g1").checkSquare, sq("f1"));
    // No check when the enemy king is elsewhere.
    generate("k7/8/8/8/8/8/8/4K2R w K - 0 1");
    EXPECT_EQ(mv("e1", "g1").checkSquare, NO_SQUARE);
}

TEST_F(MovgenTest, KingStepOffTheLineUncoversACheck) {
    // White king d4 shields the d1 rook from the d8 king.
    generate("3k4/8/8/8/3K4/8/8/3R4 w - - 0 1");
    EXPECT_EQ(mv("d4", "e4").checkSquare, sq("d1"));
    // Staying on the file, in either direction, keeps the line closed.
    EXPECT_EQ(mv("d4", "d5").checkSquare, NO_SQUARE);
    EXPECT_EQ(mv("d4", "d3").checkSquare, NO_SQUARE);
}

// ---------------------------------------------------------------------------
// Promotions and generation modes
// ---------------------------------------------------------------------------
TEST_F(MovgenTest, PromotionsAllFourOrQueenOnlyInQuiescence) {
    generate("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", 0, 0);
    int previous = -1;
    for (int piece : {KNIGHT, BISHOP, ROOK, QUEEN}) { // generated in this order
        int i = findMove("b7", "b8", piece);
        ASSERT_GT(i, previous) << piece;
        EXPECT_TRUE(moveAt(i).type & MT_PROMOTION);
        previous = i;
    }
    // The queen and the rook on b8 check along the rank; the knight and bishop do not.
    EXPECT_TRUE(mv("b7", "b8", QUEEN).type & MT_CHECK);
    EXPECT_TRUE(mv("b7", "b8", ROOK).type & MT_CHECK);
    EXPECT_FALSE(mv("b7", "b8", KNIGHT).type & MT_CHECK);
    EXPECT_FALSE(mv("b7", "b8", BISHOP).type & MT_CHECK);
    EXPECT_EQ(moveCount(), 4 + 5); // four promotions and five king steps
    generate("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", 0, 1);
    EXPECT_GE(findMove("b7", "b8", QUEEN), 0);
    EXPECT_LT(findMove("b7", "b8", KNIGHT), 0);
    EXPECT_LT(findMove("b7", "b8", ROOK), 0);
}

TEST_F(MovgenTest, CheckOnlyModeKeepsExactlyTheCheckingMoves) {
    // No pawns near the enemy king, no castling: the checking moves of the full list.
    const char *fen = "4k3/8/8/8/8/2N5/8/R3K2B w - - 0 1";
    generate(fen, 0);
    std::set<std::pair<int, int>> checks;
    for (int i = 0; i < moveCount(); i++)
        if (moveAt(i).type & MT_CHECK)
            checks.insert({moveAt(i).from * 64 + moveAt(i).to, moveAt(i).promote});
    EXPECT_FALSE(checks.empty());
    generate(fen, 2);
    EXPECT_EQ(moveSet(), checks);
}

TEST_F(MovgenTest, TacticalModeDropsQuietMovesAndLosingCaptures) {
    // Qxd5 wins a free pawn; Qxa4 gives the queen for the pawn the b5 pawn defends.
    const char *fen = "4k3/8/8/1p1p4/p7/8/8/3QK3 w - - 0 1";
    generate(fen, 0);
    auto all = moveSet();
    EXPECT_GE(findMove("d1", "a4"), 0);
    generate(fen, 1);
    auto tactical = moveSet();
    EXPECT_TRUE(std::includes(all.begin(), all.end(), tactical.begin(), tactical.end()));
    EXPECT_GE(findMove("d1", "d5"), 0);
    EXPECT_LT(findMove("d1", "a4"), 0); // losing capture without check
    EXPECT_LT(findMove("d1", "d2"), 0); // quiet, no check
    EXPECT_GE(findMove("d1", "h5"), 0); // quiet check
    for (int i = 0; i < moveCount(); i++)
        EXPECT_TRUE(moveAt(i).type & (MT_CAPTURE | MT_CHECK)) << i;
}

// ---------------------------------------------------------------------------
// Ordering scores
// ---------------------------------------------------------------------------
TEST_F(MovgenTest, QuietQueenMoveOntoAPawnGuardedSquareKeepsTheLowestScore) {
    generate("4k3/8/8/4p3/8/8/8/3QK3 w - - 0 1", 0, 0, 0);
    EXPECT_EQ(mv("d1", "d4").orderscore, 1);
    EXPECT_GT(mv("d1", "f3").orderscore, 1);
    EXPECT_EQ(mv("d1", "d2").orderscore, queenorder[0][sq("d2")]);
}

TEST_F(MovgenTest, EvaluationExchangeValuesReplaceTheTableLookup) {
    generate("4k3/8/8/8/8/8/8/3QK3 w - - 0 1", 0, 0, 0);
    ASSERT_GT(mv("d1", "d2").orderscore, 1);
    // The evaluation says d2 loses the queen: the move falls to the queen's base score.
    for (int s = 0; s < 64; s++)
        seeBoardQueen[0][s] = 0;
    seeBoardQueen[0][sq("d2")] = -900;
    depthFlags[0] |= DPF_EVAL_SEE;
    SEE();
    movgen(0, 0);
    EXPECT_EQ(mv("d1", "d2").orderscore, 1);
    EXPECT_GT(mv("d1", "d3").orderscore, 1);
    seeBoardQueen[0][sq("d2")] = 0;
}

TEST_F(MovgenTest, CapturesAreGradedByTheirExchangeValue) {
    // Knight takes an undefended rook: a winning capture. Knight takes a pawn defended by a
    // pawn: a losing capture.
    generate("4k3/8/2p5/1p6/4r3/2N5/8/6K1 w - - 0 1");
    EXPECT_TRUE(mv("c3", "e4").type & MT_WINNING_CAPTURE);
    EXPECT_EQ(mv("c3", "e4").orderscore, caporder[KNIGHT][ROOK]);
    EXPECT_TRUE(moveStack[0].stackFlags & ST_WINNING_CAPTURE);
    EXPECT_TRUE(mv("c3", "b5").type & MT_CAPTURE);
    EXPECT_FALSE(mv("c3", "b5").type & MT_WINNING_CAPTURE);
    EXPECT_EQ(mv("c3", "b5").orderscore, loseorder[KNIGHT][BPAWN]);
    // Without anything to win the ply carries no winning-capture mark.
    generate("4k3/7p/8/8/8/2N5/P7/4K3 w - - 0 1");
    EXPECT_FALSE(moveStack[0].stackFlags & ST_WINNING_CAPTURE);
}

TEST_F(MovgenTest, HashMoveAndKillersTakeTheirKeysInTheStatedOrder) {
    ensureSetup();
    gameState = 0;
    searchFlags = SF_SEARCH_START;
    // Hash move e2-e4.
    recordHashAB(0, 0, (int8_t)sq("e2"), (uint8_t)sq("e4"), 1, 0, 1);
    killer[0][0].killerMove = (int16_t)(sq("d2") * 64 + sq("d4"));
    killer[1][0].killerMove = (int16_t)(sq("g1") * 64 + sq("f3"));
    matekiller[0].killerMove = (int16_t)(sq("b1") * 64 + sq("c3"));
    matekiller[0].killerPromote = 0;
    SEE();
    movgen(0, 0);
    EXPECT_EQ(moveAt(0).from, sq("e2"));
    EXPECT_EQ(moveAt(0).to, sq("e4"));
    EXPECT_EQ(moveAt(0).orderscore, 255);
    EXPECT_TRUE(moveStack[0].stackFlags & ST_HASH_MOVE);
    EXPECT_EQ(moveStack[0].hashMove, sq("e2") * 64 + sq("e4"));
    EXPECT_EQ(moveAt(1).orderscore, 254); // mate killer Nc3
    EXPECT_EQ(moveAt(1).to, sq("c3"));
    EXPECT_EQ(mv("d2", "d4").orderscore, 126);
    EXPECT_EQ(mv("g1", "f3").orderscore, 125);

    // A killer that is also the hash move: the killer test comes later and its key stands.
    killer[0][0].killerMove = (int16_t)(sq("e2") * 64 + sq("e4"));
    SEE();
    movgen(0, 0);
    EXPECT_EQ(mv("e2", "e4").orderscore, 126);
    EXPECT_TRUE(moveStack[0].stackFlags & ST_HASH_MOVE);
    clearHashTables();
}

TEST_F(MovgenTest, OrderingIsLeftAloneOutsideTheSearch) {
    ensureSetup();
    killer[0][0].killerMove = (int16_t)(sq("a2") * 64 + sq("a3"));
    SEE();
    movgen(0, 0);
    EXPECT_EQ(mv("a2", "a3").orderscore, pawnorder[0][sq("a3")]);
    EXPECT_FALSE(moveStack[0].stackFlags & ST_HASH_MOVE);
}

// ---------------------------------------------------------------------------
// Move text support
// ---------------------------------------------------------------------------
TEST_F(MovgenTest, DisambiguationBitsNameFileOrRank) {
    // Knights b1 and f3 both reach d2: the text needs the origin file.
    generate("4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1");
    const uint16_t bits = MT_SAME_FILE | MT_OTHER_FILE;
    EXPECT_EQ(mv("b1", "d2").type & bits, MT_OTHER_FILE);
    EXPECT_EQ(mv("f3", "d2").type & bits, MT_OTHER_FILE);
    EXPECT_EQ(mv("b1", "a3").type & bits, 0);
    // Rooks a1 and a5 on one file both reach a3: the text needs the origin rank.
    generate("4k3/8/8/R7/8/8/8/R3K3 w - - 0 1");
    EXPECT_EQ(mv("a1", "a3").type & bits, MT_SAME_FILE);
    EXPECT_EQ(mv("a5", "a3").type & bits, MT_SAME_FILE);
    EXPECT_EQ(mv("a1", "b1").type & bits, 0);
}

} // namespace
