// Move generator: legality, check marking, exchange-based ordering and the search's ordering.
#include "board/makemove.h"
#include "eval/eval.h"
#include "movegen/movegen_test_util.h"
#include "search/search.h"
#include "search/tt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

int moveCount() { return mvstore[ply + 1]; }
const move_list &moveAt(int i) { return searchData[0][i]; }

// The unsorted list of ply p put in order by the plain exchange sort: each later entry that
// scores higher than the one at place i is swapped into it, for i in turn.
std::vector<move_list> plainExchangeSort(int p) {
    std::vector<move_list> list(searchData[p], searchData[p] + mvstore[p + 1]);
    for (size_t i = 0; i < list.size(); i++)
        for (size_t j = i + 1; j < list.size(); j++)
            if (list[j].orderscore > list[i].orderscore)
                std::swap(list[i], list[j]);
    return list;
}

// Index of a coordinate move ("e2e4", "b7b8q") in the list of ply 0, or -1.
int findMove(const char *text) {
    static const char kinds[] = "nbrq";
    const int promote = text[4] ? KNIGHT + (int)(std::strchr(kinds, text[4]) - kinds) : 0;
    for (int i = 0; i < moveCount(); i++) {
        const move_list &m = moveAt(i);
        if (m.from == sqOf(text) && m.to == sqOf(text + 2) && m.promote == promote)
            return i;
    }
    return -1;
}

// The move of the list; a failure and an empty record when it is missing.
const move_list &mv(const char *text) {
    static const move_list none = {NO_SQUARE, NO_SQUARE, 0, EMPTY, EMPTY, NO_SQUARE, 0, 0};
    const int i = findMove(text);
    if (i < 0) {
        ADD_FAILURE() << "missing move " << text;
        return none;
    }
    return moveAt(i);
}

// The listed moves, optionally only those with one of the type bits.
std::set<std::pair<int, int>> moveSet(uint16_t typeBits = 0) {
    std::set<std::pair<int, int>> out;
    for (int i = 0; i < moveCount(); i++)
        if (typeBits == 0 || (moveAt(i).type & typeBits))
            out.insert({moveAt(i).from * 64 + moveAt(i).to, moveAt(i).promote});
    return out;
}

class MovgenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureSetup();
        searchFlags = 0;
        detectionFlags &= (uint8_t)~DF_AFTER_NULL;
        for (int p = 0; p < MAX_PLY; p++)
            killer[0][p] = killer[1][p] = matekiller[p] = tempkiller;
    }
    void TearDown() override {
        searchFlags = 0;
        detectionFlags &= (uint8_t)~DF_AFTER_NULL;
        depthFlags[0] &= (uint8_t) ~(DPF_EVAL_SEE | DPF_THREAT_SEE);
    }
    // Sets up a position (the start position for nullptr) and generates its moves with the
    // given generator mode and quiescence flag, at the given game phase if any.
    void generate(const char *fen, int8_t gen = 0, int8_t inQS = 0, int phase = -1) {
        if (fen == nullptr)
            ensureSetup();
        else
            ASSERT_TRUE(setupFEN(fen)) << fen;
        if (phase >= 0)
            gameState = (int8_t)phase;
        SEE();
        movgen(gen, inQS);
    }
};

TEST_F(MovgenTest, SearchSortsByDescendingScoreWithoutChangingTheMoves) {
    generate(nullptr, 0, 0, 0);
    auto unsorted = moveSet();
    searchFlags = SF_SEARCH_START;
    SEE();
    movgen(0, 0);
    EXPECT_EQ(moveSet(), unsorted);
    for (int i = 1; i < moveCount(); i++)
        EXPECT_GE(moveAt(i - 1).orderscore, moveAt(i).orderscore) << i;
}

// Entries of equal score keep the order of the plain exchange sort (each later entry that
// scores higher than the one at place i is swapped into it, for i in turn): the search's
// tree depends on it. Lists with many ties and with scores out of order in many ways.
TEST_F(MovgenTest, SearchOrderOfEqualScoresIsThatOfTheExchangeSort) {
    const char *fens[] = {
        "r1bq1rk1/pp2ppbp/2np2p1/2n5/P3PP2/N1P2N2/1PB3PP/R1B1QRK1 b - - 0 1",
        "2q1rr1k/3bbnnp/p2p1pp1/2pPp3/PpP1P1P1/1P2BNNP/2BQ1PRK/7R b - - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/3r1pk1/p5p1/1p1Bp2p/4P2P/1P3KP1/P4P2/3R4 w - - 0 36",
    };
    for (const char *fen : fens) {
        for (int phase = 0; phase <= 2; phase++) {
            generate(fen, 0, 0, phase);
            const std::vector<move_list> expected = plainExchangeSort(0);
            searchFlags = SF_SEARCH_START;
            SEE();
            movgen(0, 0);
            searchFlags = 0;
            ASSERT_EQ((size_t)moveCount(), expected.size()) << fen;
            for (int i = 0; i < moveCount(); i++)
                EXPECT_TRUE(moveAt(i).from == expected[i].from && moveAt(i).to == expected[i].to &&
                            moveAt(i).promote == expected[i].promote)
                    << fen << " phase " << phase << " place " << i;
        }
    }
}

// Below the root the list is sorted place by place as the search asks for it: asked for out
// of turn (a later place first, then from the start) it still gives the exchange sort's order.
TEST_F(MovgenTest, ListsBelowTheRootAreSortedOnDemandInTheSameOrder) {
    generate("r1bq1rk1/pp2ppbp/2np2p1/2n5/P3PP2/N1P2N2/1PB3PP/R1B1QRK1 b - - 0 1", 0, 0, 1);
    mvstack(&searchData[0][findMove("a7a6")], 0);
    ply = 1;
    gameFlags ^= GF_WHITE_TO_MOVE;
    SEE();
    movgen(0, 0);
    const std::vector<move_list> expected = plainExchangeSort(1);
    searchFlags = SF_SEARCH_START;
    SEE();
    movgen(0, 0);
    searchFlags = 0;
    ASSERT_EQ((size_t)moveCount(), expected.size());
    ASSERT_GT(expected.size(), 20u);
    EXPECT_EQ(sortedMoves[1], 0);
    (void)orderedMove(5);
    EXPECT_EQ(sortedMoves[1], 6);
    for (int i = 0; i < moveCount(); i++) {
        const move_list &m = orderedMove(i);
        EXPECT_TRUE(m.from == expected[i].from && m.to == expected[i].to &&
                    m.promote == expected[i].promote)
            << " place " << i;
    }
    gameFlags ^= GF_WHITE_TO_MOVE;
    ply = 0;
}

// The most moves known in a legal position: every one of them fits in the list. More than
// three queens: the FEN reader would refuse it.
TEST_F(MovgenTest, PositionWithTwoHundredEighteenMovesIsListedCompletely) {
    buildPosition("R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1", true);
    movgen(0, 0);
    EXPECT_EQ(moveCount(), 218);
    EXPECT_EQ(generated[0], 218);
    EXPECT_EQ(moveSet().size(), 218u); // no move listed twice
}

// The cases of castling and en passant that the perft positions do not meet.
TEST_F(MovgenTest, CastlingAndEnPassantOnlyWhenTheKingStaysSafe) {
    // Queen side: b1 may be attacked (the king does not cross it), d1 may not.
    generate("1r2k3/8/8/8/8/8/8/R3K3 w Q - 0 1");
    EXPECT_TRUE(mv("e1c1").type & MT_CASTLE_LONG);
    generate("3rk3/8/8/8/8/8/8/R3K3 w Q - 0 1");
    EXPECT_LT(findMove("e1c1"), 0);
    // In check from the g8 bishop: taking the f-pawn en passant does not answer it.
    generate("6b1/8/8/4Pp2/2K5/8/8/k7 w - f6 0 1");
    EXPECT_LT(findMove("e5f6"), 0);
    // In check from the pawn that just advanced two: taking it en passant answers the check.
    generate("8/8/8/6k1/4pP2/8/8/4K3 b - f3 0 1");
    EXPECT_GE(findMove("e4f3"), 0);
}

TEST_F(MovgenTest, NoEnPassantRightAfterANullMoveInANullSearch) {
    ASSERT_TRUE(setupFEN("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1"));
    searchFlags = SF_NULL_SEARCH;
    detectionFlags |= DF_AFTER_NULL;
    SEE();
    movgen(0, 0);
    EXPECT_LT(findMove("e5d6"), 0);
    EXPECT_FALSE(detectionFlags & DF_AFTER_NULL); // the generator consumes the mark
    // Deeper in the same null search the capture is available again.
    SEE();
    movgen(0, 0);
    EXPECT_GE(findMove("e5d6"), 0);
}

TEST_F(MovgenTest, UncoveredChecksByEnPassantCastlingAndKingSteps) {
    // The d5 pawn had just blocked the h1 bishop's check: taking it reopens the diagonal.
    generate("8/1k6/8/3pP3/8/8/8/4K2B w - d6 0 1");
    EXPECT_TRUE(mv("e5d6").type & MT_CHECK);
    EXPECT_EQ(mv("e5d6").checkSquare, sqOf("h1"));
    // Castling checks along the file, or along the rank through the square the king has left.
    generate("5k2/8/8/8/8/8/8/4K2R w K - 0 1");
    EXPECT_TRUE(mv("e1g1").type & MT_CHECK);
    EXPECT_EQ(mv("e1g1").checkSquare, sqOf("f1"));
    generate("8/8/8/8/8/8/8/2k1K2R w K - 0 1");
    EXPECT_EQ(mv("e1g1").checkSquare, sqOf("f1"));
    generate("k7/8/8/8/8/8/8/4K2R w K - 0 1");
    EXPECT_EQ(mv("e1g1").checkSquare, NO_SQUARE);
    // White king d4 shields the d1 rook from the d8 king; staying on the file keeps it closed.
    generate("3k4/8/8/8/3K4/8/8/3R4 w - - 0 1");
    EXPECT_EQ(mv("d4e4").checkSquare, sqOf("d1"));
    EXPECT_EQ(mv("d4d5").checkSquare, NO_SQUARE);
    EXPECT_EQ(mv("d4d3").checkSquare, NO_SQUARE);
}

TEST_F(MovgenTest, QuiescencePromotesToAQueenOnly) {
    generate("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", 0, 1);
    EXPECT_GE(findMove("b7b8q"), 0);
    EXPECT_LT(findMove("b7b8n"), 0);
    EXPECT_LT(findMove("b7b8r"), 0);
}

TEST_F(MovgenTest, CheckOnlyModeKeepsExactlyTheCheckingMoves) {
    // No pawns near the enemy king, no castling: the checking moves of the full list.
    const char *fen = "4k3/8/8/8/8/2N5/8/R3K2B w - - 0 1";
    generate(fen, 0);
    const auto checks = moveSet(MT_CHECK);
    EXPECT_FALSE(checks.empty());
    generate(fen, 2);
    EXPECT_EQ(moveSet(), checks);
}

TEST_F(MovgenTest, TacticalModeDropsQuietMovesAndLosingCaptures) {
    // Qxd5 wins a free pawn; Qxa4 gives the queen for the pawn the b5 pawn defends.
    const char *fen = "4k3/8/8/1p1p4/p7/8/8/3QK3 w - - 0 1";
    generate(fen, 0);
    auto all = moveSet();
    EXPECT_GE(findMove("d1a4"), 0);
    generate(fen, 1);
    auto tactical = moveSet();
    EXPECT_TRUE(std::includes(all.begin(), all.end(), tactical.begin(), tactical.end()));
    EXPECT_GE(findMove("d1d5"), 0);
    EXPECT_LT(findMove("d1a4"), 0); // losing capture without check
    EXPECT_LT(findMove("d1d2"), 0); // quiet, no check
    EXPECT_GE(findMove("d1h5"), 0); // quiet check
    EXPECT_EQ(moveSet(MT_CAPTURE | MT_CHECK), tactical);
}

TEST_F(MovgenTest, QueenMovesOntoLosingSquaresKeepTheLowestScore) {
    generate("4k3/8/8/4p3/8/8/8/3QK3 w - - 0 1", 0, 0, 0);
    EXPECT_EQ(mv("d1d4").orderscore, 1); // guarded by the e5 pawn
    EXPECT_GT(mv("d1f3").orderscore, 1);
    EXPECT_EQ(mv("d1d2").orderscore, queenorder[0][sqOf("d2")]);
    // When the evaluation says d2 loses the queen, its value replaces the table lookup.
    for (int s = 0; s < 64; s++)
        seeBoardQueen[0][s] = 0;
    seeBoardQueen[0][sqOf("d2")] = -900;
    depthFlags[0] |= DPF_EVAL_SEE;
    SEE();
    movgen(0, 0);
    EXPECT_EQ(mv("d1d2").orderscore, 1);
    EXPECT_GT(mv("d1d3").orderscore, 1);
    seeBoardQueen[0][sqOf("d2")] = 0;
}

TEST_F(MovgenTest, CapturesAreGradedByTheirExchangeValue) {
    // Knight takes an undefended rook: a winning capture. Knight takes a pawn defended by a
    // pawn: a losing capture.
    generate("4k3/8/2p5/1p6/4r3/2N5/8/6K1 w - - 0 1");
    EXPECT_TRUE(mv("c3e4").type & MT_WINNING_CAPTURE);
    EXPECT_TRUE(moveStack[0].stackFlags & ST_WINNING_CAPTURE);
    EXPECT_EQ(mv("c3b5").type & (MT_CAPTURE | MT_WINNING_CAPTURE), MT_CAPTURE);
    EXPECT_GT(mv("c3e4").orderscore, mv("c3b5").orderscore);
    // Without anything to win the ply carries no winning-capture mark.
    generate("4k3/7p/8/8/8/2N5/P7/4K3 w - - 0 1");
    EXPECT_FALSE(moveStack[0].stackFlags & ST_WINNING_CAPTURE);
}

// A position and its colour mirror get the mirrored list: the same moves with the same types
// and grades, in the mirrored order, since the order of equal grades is kept by the search's
// sort. Pieces of a kind on different ranks, endgame grades by nearness to the enemy king,
// losing captures of pawns, castling and en passant, in every phase and generator mode.
TEST_F(MovgenTest, MirrorPositionGetsTheMirroredListInTheMirroredOrder) {
    const char *fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r1bq1rk1/pp2bppp/2n1pn2/2pp4/2PP4/2N1PN2/PP2BPPP/R1BQ1RK1 w - - 0 8",
        "8/8/p1p5/1p5p/1P5p/4R3/PPP2K1p/6rk b - - 0 1",
        "8/8/p1p5/1p5p/1P5p/8/PPP2K1p/4R1rk w - - 0 1",
        "4k3/8/2p5/1p6/4r3/2N5/8/6K1 w - - 0 1",
        "rnbqkbnr/ppppp1pp/8/4PpP1/8/8/PPPP1P1P/RNBQKBNR w KQkq f6 0 3",
    };
    for (const char *fen : fens) {
        const std::string mirror = mirrorFEN(fen);
        for (int phase = 0; phase <= 2; phase++)
            for (int8_t gen = 0; gen <= 2; gen++) {
                SCOPED_TRACE(std::string(fen) + " phase " + std::to_string(phase) + " mode " +
                             std::to_string(gen));
                generate(fen, gen, 0, phase);
                const std::vector<move_list> own(searchData[0], searchData[0] + moveCount());
                generate(mirror.c_str(), gen, 0, phase);
                ASSERT_EQ((size_t)moveCount(), own.size());
                for (int i = 0; i < moveCount(); i++) {
                    const move_list &a = own[i], &b = moveAt(i);
                    const int checkSquare = b.checkSquare < 0 ? b.checkSquare : b.checkSquare ^ 56;
                    EXPECT_TRUE(a.from == (b.from ^ 56) && a.to == (b.to ^ 56) &&
                                a.promote == b.promote && a.type == b.type &&
                                a.checkSquare == checkSquare && a.orderscore == b.orderscore)
                        << "place " << i << ": " << (int)a.from << "-" << (int)a.to << " grade "
                        << (int)a.orderscore << " against " << (int)b.from << "-" << (int)b.to
                        << " grade " << (int)b.orderscore;
                }
            }
    }
}

TEST_F(MovgenTest, HashMoveAndKillersTakeTheirKeysInTheStatedOrder) {
    gameState = 0;
    searchFlags = SF_SEARCH_START;
    recordHashAB(0, 0, sqOf("e2"), (uint8_t)sqOf("e4"), 1, 0, 1); // hash move e2-e4
    killer[0][0].killerMove = (int16_t)(sqOf("d2") * 64 + sqOf("d4"));
    killer[1][0].killerMove = (int16_t)(sqOf("g1") * 64 + sqOf("f3"));
    matekiller[0].killerMove = (int16_t)(sqOf("b1") * 64 + sqOf("c3"));
    matekiller[0].killerPromote = 0;
    SEE();
    generateSearchMoves(0, 0); // the search hands the table's move to the generator
    EXPECT_EQ(moveAt(0).from * 64 + moveAt(0).to, sqOf("e2") * 64 + sqOf("e4"));
    EXPECT_EQ(moveAt(0).orderscore, 255);
    EXPECT_TRUE(moveStack[0].stackFlags & ST_HASH_MOVE);
    EXPECT_EQ(moveStack[0].hashMove, sqOf("e2") * 64 + sqOf("e4"));
    EXPECT_EQ(moveAt(1).orderscore, 254); // mate killer Nc3
    EXPECT_EQ(moveAt(1).to, sqOf("c3"));
    EXPECT_EQ(mv("d2d4").orderscore, 126);
    EXPECT_EQ(mv("g1f3").orderscore, 125);
    // A killer that is also the hash move: the hash move's key stands, and it sorts first.
    killer[0][0].killerMove = (int16_t)(sqOf("e2") * 64 + sqOf("e4"));
    SEE();
    generateSearchMoves(0, 0); // the search hands the table's move to the generator
    EXPECT_EQ(mv("e2e4").orderscore, 255);
    EXPECT_EQ(moveAt(0).from * 64 + moveAt(0).to, sqOf("e2") * 64 + sqOf("e4"));
    EXPECT_TRUE(moveStack[0].stackFlags & ST_HASH_MOVE);
    clearHashTables();
}

TEST_F(MovgenTest, OrderingIsLeftAloneOutsideTheSearch) {
    killer[0][0].killerMove = (int16_t)(sqOf("a2") * 64 + sqOf("a3"));
    SEE();
    movgen(0, 0);
    EXPECT_EQ(mv("a2a3").orderscore, pawnorder[0][sqOf("a3")]);
    EXPECT_FALSE(moveStack[0].stackFlags & ST_HASH_MOVE);
}

} // namespace
