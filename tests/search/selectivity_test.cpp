// The search's selectivity: the history order of quiet moves, the depth by which late quiet
// moves are reduced, and the soundness of the pruned search on tactics that hide a quiet move
// late in the order or that only a late quiet move defends.
#include "search/search.h"
#include "search/search_internal.h"

#include "board/position.h"
#include "movegen/movegen.h"
#include "support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int squareOf(const char *t) { return (t[0] - 'a') + 8 * ('8' - t[1]); }

std::string text(const move_list &m) {
    std::string s;
    for (int square : {(int)m.from, (int)m.to})
        s += std::string{(char)('a' + (square & 7)), (char)('8' - (square >> 3))};
    return s;
}

// The quiet moves that neither lose material nor castle: the ones the history orders.
bool orderedByHistory(const move_list &m) {
    return !(m.type & (MT_CAPTURE | MT_PROMOTION | MT_ESCAPE | MT_CASTLE_SHORT | MT_CASTLE_LONG)) &&
           m.orderscore >= 15 && m.orderscore <= 114;
}

// Generates the moves of the position at ply 0 as a search does, without killers; they are
// read in the search's order with orderedMove.
void generateRootMoves() {
    ply = 0;
    searchFlags = SF_SEARCH_START;
    for (int k = 0; k < 2; k++)
        killer[k][0] = tempkiller;
    matekiller[0] = tempkiller;
    SEE();
    movgen(0, 0);
}

// The place of from-to in the search's order at ply 0 (-1 when it is not generated).
int placeOf(const char *move) {
    generateRootMoves();
    for (int i = 0; i < mvstore[1]; i++) {
        const move_list &m = orderedMove(i);
        if (m.from == squareOf(move) && m.to == squareOf(move + 2))
            return i;
    }
    return -1;
}

const move_list &generated(const char *move) {
    const int i = placeOf(move);
    EXPECT_GE(i, 0) << move;
    return searchData[0][i < 0 ? 0 : i];
}

// White can take the queen that came out too early (Nxh4), and has many quiet moves; a4
// starts behind most of them.
const char *const OPEN_GAME = "rnb1kbnr/pppp1ppp/8/4p3/4P2q/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";

TEST(QuietHistory, ARefutationRisesAboveTheOtherQuietMovesButNotAboveWinningCaptures) {
    ASSERT_TRUE(setupFEN(OPEN_GAME));
    clearSearchMemory();
    const int before = placeOf("a2a4");
    ASSERT_GT(before, 0);
    const move_list a4 = generated("a2a4");
    ASSERT_TRUE(orderedByHistory(a4)) << "a4 is a quiet move that loses nothing";
    // Some quiet move stands before a4 while there is no history.
    bool quietAhead = false;
    for (int i = 0; i < before; i++)
        quietAhead |= orderedByHistory(searchData[0][i]);
    ASSERT_TRUE(quietAhead);

    updateKillers(a4, 0, 6); // a4 refuted a position six plies deep
    const int after = placeOf("a2a4");
    ASSERT_GE(after, 0);
    for (int i = 0; i < after; i++)
        EXPECT_FALSE(orderedByHistory(searchData[0][i]))
            << text(searchData[0][i]) << " still before a4";
    // The winning capture keeps its place ahead of every quiet move.
    EXPECT_LT(placeOf("f3h4"), placeOf("a2a4"));

    // A new game forgets what the last one learnt.
    clearSearchMemory();
    EXPECT_EQ(placeOf("a2a4"), before);
}

// The history is kept per side: what White learnt does not reorder Black's moves, so that a
// position and its colour mirror are ordered alike.
TEST(QuietHistory, EachSideKeepsItsOwnHistory) {
    const std::string black = mirrorFEN(OPEN_GAME);
    ASSERT_TRUE(setupFEN(black.c_str()));
    clearSearchMemory();
    const int before = placeOf("a7a5");
    ASSERT_GT(before, 0);
    // White refutes, twice, with a move between the very squares of Black's a7-a5.
    move_list sameSquares = generated("a7a5");
    gameFlags ^= GF_WHITE_TO_MOVE;
    ASSERT_TRUE(whiteToMove());
    updateKillers(sameSquares, 0, 6);
    updateKillers(sameSquares, 0, 6);
    gameFlags ^= GF_WHITE_TO_MOVE;
    EXPECT_EQ(placeOf("a7a5"), before);

    // Black's own refutation orders Black's move as the mirrored one orders White's.
    updateKillers(generated("a7a5"), 0, 6);
    const int blackAfter = placeOf("a7a5");
    EXPECT_LT(blackAfter, before);
    ASSERT_TRUE(setupFEN(OPEN_GAME));
    clearSearchMemory();
    updateKillers(generated("a2a4"), 0, 6);
    EXPECT_EQ(placeOf("a2a4"), blackAfter);
}

// Late quiet moves lose more depth the deeper the node and the later the move; the first
// move and the nodes next to the horizon are never reduced this way, and the reduction stays
// a fraction of the depth.
TEST(LateMoveReductions, GrowWithDepthAndLatenessAndStayBounded) {
    for (int d = 0; d < 32; d++)
        for (int i = 0; i < 64; i++) {
            SCOPED_TRACE(::testing::Message() << "depth " << d << " index " << i);
            const int r = lateMoveReduction[d][i];
            if (d < 3 || i == 0) {
                EXPECT_EQ(r, 0);
                continue;
            }
            EXPECT_GE(r, 2);
            EXPECT_LE(r, 2 + d / 2);
            if (i > 1) {
                EXPECT_GE(r, lateMoveReduction[d][i - 1]);
            }
            if (d > 3) {
                EXPECT_GE(r, lateMoveReduction[d - 1][i]);
            }
        }
}

// Searches the position from empty tables, with the history of `side` (0 White, 1 Black)
// holding a deep refutation for the from-to of every quiet move the side to move has here;
// returns the nodes searched. The killers the seeding leaves are cleared: only the history
// differs between the runs.
uint64_t nodesWithHistory(const char *fen, int side, int depth) {
    EXPECT_TRUE(setupFEN(fen));
    clearSearchMemory();
    if (side >= 0) {
        generateRootMoves();
        move_list quiet[MAX_MOVES];
        int n = 0;
        for (int i = 0; i < mvstore[1]; i++) {
            const move_list &m = orderedMove(i);
            if (orderedByHistory(m))
                quiet[n++] = m;
        }
        const bool sideToMove = whiteToMove() == (side == 0);
        if (!sideToMove)
            gameFlags ^= GF_WHITE_TO_MOVE;
        for (int i = 0; i < n; i++)
            updateKillers(quiet[i], 0, 12);
        if (!sideToMove)
            gameFlags ^= GF_WHITE_TO_MOVE;
        for (int p = 0; p < MAX_PLY; p++)
            killer[0][p] = killer[1][p] = matekiller[p] = tempkiller;
    }
    prepareSearch(depth);
    search();
    return nodes;
}

// A late quiet move whose history shows past refutations is reduced less than the others:
// the history of the side to move changes the tree, while what the other side learnt about
// moves between the same squares leaves it as it was. The mirror searches the same tree.
TEST(LateMoveReductions, FollowTheHistoryOfTheSideThatMoves) {
    const char *const middlegame =
        "r2q1rk1/1ppnbppp/p2p1nb1/3Pp3/2P1P1P1/2N2N1P/PPB1QP2/R1B2RK1 w - - 0 20";
    const std::string mirrored = mirrorFEN(middlegame);
    const uint64_t plain = nodesWithHistory(middlegame, -1, 7);
    EXPECT_EQ(nodesWithHistory(middlegame, 1, 7), plain);
    const uint64_t learnt = nodesWithHistory(middlegame, 0, 7);
    EXPECT_NE(learnt, plain);
    EXPECT_EQ(nodesWithHistory(mirrored.c_str(), -1, 7), plain);
    EXPECT_EQ(nodesWithHistory(mirrored.c_str(), 0, 7), plain);
    EXPECT_EQ(nodesWithHistory(mirrored.c_str(), 1, 7), learnt);
}

struct Tactic {
    const char *fen;
    int depth;
    const char *best; // from-to of the only winning move
};

// Each winning move gives up material on a defended square (a losing capture by the exchange
// count, or a check the ordering puts behind the safe moves); null move, reductions and the
// quiescence's pruning must not hide it. The colour mirror is searched too.
TEST(SelectiveSearch, FindsSacrificialWinsInBothColours) {
    const Tactic tactics[] = {
        // Qd8+ Bxd8 Re8#: the queen goes to a square the bishop guards.
        {"r1b2k1r/ppp1bppp/8/1B1Q4/5q2/2P5/PPP2PPP/R3R1K1 w - - 0 1", 4, "d5d8"},
        // Qd8+ Rxd8 Rxd8+ Rxd8 Rxd8#, with White's queen attacked and Black a queen ahead:
        // every Black node of the mate is in check and far above any window on its static
        // score, so a rule that lets a checked side pass or stand on that score misses it.
        {"rr4k1/5ppp/8/8/8/1q1Q4/3R1PPP/3R2K1 w - - 0 1", 6, "d3d8"},
    };
    for (const Tactic &t : tactics) {
        for (bool mirror : {false, true}) {
            const std::string fen = mirror ? mirrorFEN(t.fen) : t.fen;
            SCOPED_TRACE(fen);
            ASSERT_TRUE(searchFEN(fen.c_str(), t.depth));
            std::string best = t.best;
            if (mirror)
                for (int k : {1, 3})
                    best[k] = (char)('9' - (best[k] - '0'));
            EXPECT_EQ(text(movePV), best);
            EXPECT_GT(searchScore, MATE_BOUND);
        }
    }
}

// 1.e4 e5 2.Qh5 Nc6 and now 3.Bc4 threatens Qxf7#. Black's defences (...g6, ...Qe7, ...Qf6,
// ...Nh6) are quiet moves that come late in its order, after the moves that allow the mate.
// Near the horizon late quiet moves are not searched, but not in a node whose tries so far
// are all mated: there the search must go on to the defence instead of reporting a mate.
TEST(SelectiveSearch, TriesLateQuietDefencesAgainstMateInBothColours) {
    const char *const scholar = "r1bqkbnr/pppp1ppp/2n5/4p2Q/4P3/8/PPPP1PPP/RNB1KBNR w KQkq - 2 4";
    for (bool mirror : {false, true}) {
        const std::string fen = mirror ? mirrorFEN(scholar) : scholar;
        for (int depth : {3, 4}) {
            SCOPED_TRACE(::testing::Message() << fen << " depth " << depth);
            ASSERT_TRUE(searchFEN(fen.c_str(), depth));
            EXPECT_LT(searchScore, MATE_BOUND);
            EXPECT_GT(searchScore, -MATE_BOUND);
        }
    }
}

} // namespace
