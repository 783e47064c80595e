// Move-path counts against reference values, and a walk that checks every position it makes.
#include "board/makemove.h"
#include "board/position.h"
#include "control/control.h"
#include "control/perft.h"
#include "movegen/movegen.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Depths whose count exceeds this are left to the release build: the sanitizer build is
// many times slower.
#ifdef NDEBUG
constexpr uint64_t NODE_LIMIT = 5000000;
#else
constexpr uint64_t NODE_LIMIT = 100000;
#endif

struct suiteEntry {
    std::string fen;
    std::vector<uint64_t> counts; // counts[d - 1] = positions exactly d plies deep
};

// Reads "FEN ;D1 n ;D2 n ..." lines; '#' starts a comment line.
std::vector<suiteEntry> readSuite() {
    std::vector<suiteEntry> suite;
    std::ifstream in(std::string(MORVA_TEST_DATA) + "/board/perft_suite.txt");
    for (std::string line; std::getline(in, line);) {
        const size_t sep = line.find(';');
        if (line.empty() || line[0] == '#' || sep == std::string::npos || sep == 0)
            continue;
        suiteEntry e{line.substr(0, line.find_last_not_of(' ', sep - 1) + 1), {}};
        for (size_t p = sep; p != std::string::npos; p = line.find(';', p + 1)) {
            int depth = 0;
            unsigned long long count = 0;
            if (std::sscanf(line.c_str() + p, ";D%d %llu", &depth, &count) == 2 &&
                depth == (int)e.counts.size() + 1)
                e.counts.push_back(count);
        }
        suite.push_back(e);
    }
    return suite;
}

// Independent of the engine's tables: whether colour `by` attacks square s on the mailbox.
bool attackedOnMailbox(const tag_sq &sq, int s, int by) {
    const int row = s >> 3, file = s & 7;
    auto pieceAt = [&](int r, int f, int piece) {
        if (r < 0 || r > 7 || f < 0 || f > 7)
            return false;
        const int t = 8 * r + f;
        return sq.colsq[t] == by && sq.insq[t] == piece;
    };
    // Pawns of `by` attack toward the other side: a White pawn on row + 1 attacks row.
    const int pawnRow = by == WHITE ? row + 1 : row - 1;
    const int pawn = by == WHITE ? WPAWN : BPAWN;
    if (pieceAt(pawnRow, file - 1, pawn) || pieceAt(pawnRow, file + 1, pawn))
        return true;
    for (const auto &j :
         {std::pair{1, 2}, {2, 1}, {-1, 2}, {-2, 1}, {1, -2}, {2, -1}, {-1, -2}, {-2, -1}})
        if (pieceAt(row + j.first, file + j.second, KNIGHT))
            return true;
    for (int dr = -1; dr <= 1; dr++)
        for (int df = -1; df <= 1; df++) {
            if (dr == 0 && df == 0)
                continue;
            if (pieceAt(row + dr, file + df, KING))
                return true;
            const int slider = (dr == 0 || df == 0) ? ROOK : BISHOP;
            for (int r = row + dr, f = file + df; r >= 0 && r < 8 && f >= 0 && f < 8;
                 r += dr, f += df) {
                const int t = 8 * r + f;
                if (sq.colsq[t] == NOCOLOUR)
                    continue;
                if (sq.colsq[t] == by && (sq.insq[t] == slider || sq.insq[t] == QUEEN))
                    return true;
                break;
            }
        }
    return false;
}

// Walks the legal move tree to `depth` as perft does, checking after every make that the new
// position is consistent, that the mover did not leave its king attacked, and that the
// parent position is untouched. Returns the number of leaves.
uint64_t walk(int depth, bool &ok) {
    if (depth == 0)
        return 1;
    SEE();
    movgen(0, 0);
    const int n = mvstore[ply + 1];
    const uint64_t parentKey = hash[ply];
    const tag_sq parentSquares = squares[ply];
    uint64_t leaves = 0;
    for (int i = 0; i < n && ok; i++) {
        const int mover = whiteToMove() ? WHITE : BLACK;
        mvstack(&searchData[ply][i], (int16_t)i);
        ply++;
        gameFlags ^= GF_WHITE_TO_MOVE;
        if (!verifyPosition("perft walk", ply)) {
            ok = false;
        } else if (attackedOnMailbox(squares[ply], kingSlot(tracker[ply], mover), mover ^ 1)) {
            char fen[128];
            positionToFEN(ply, fen);
            ADD_FAILURE() << "king left in check: " << fen;
            ok = false;
        } else {
            leaves += walk(depth - 1, ok);
        }
        ply--;
        gameFlags ^= GF_WHITE_TO_MOVE;
    }
    if (ok && (hash[ply] != parentKey ||
               std::memcmp(&parentSquares, &squares[ply], sizeof parentSquares) != 0)) {
        ADD_FAILURE() << "making moves changed the parent position at ply " << (int)ply;
        ok = false;
    }
    return leaves;
}

} // namespace

TEST(Perft, ReferenceSuite) {
    const std::vector<suiteEntry> suite = readSuite();
    ASSERT_GE(suite.size(), 6u) << "perft_suite.txt not found or incomplete";
    for (const suiteEntry &e : suite) {
        ASSERT_TRUE(setupFEN(e.fen.c_str())) << e.fen;
        uint64_t previous = 0;
        for (size_t d = 1; d <= e.counts.size() && e.counts[d - 1] <= NODE_LIMIT; d++) {
            // perft adds every node down to the depth: the count at depth d is the increase.
            nodes = 0;
            ply = 0;
            perft((int8_t)d);
            const uint64_t atDepth = nodes - previous;
            previous = nodes;
            ASSERT_EQ(atDepth, e.counts[d - 1]) << e.fen << " depth " << d;
        }
    }
}

TEST(Perft, VerifiedWalk) {
    const struct {
        const char *fen;
        int depth;
        uint64_t leaves; // 0 when there is no reference count
    } cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 3, 8902},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 2, 2039},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 3, 2812},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3, 9467},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 2, 1486},
        // Counted by hand: 8 pawns x 4 promotions + 3 king moves; then Black's king has its
        // three squares except where a queen or rook on the g- or h-file covers them.
        {"8/PPPPPPPP/8/8/8/8/8/K6k w - - 0 1", 1, 35},
        {"8/PPPPPPPP/8/8/8/8/8/K6k w - - 0 1", 2, 99},
        // Promotions beyond the pieces of the initial position: a fourth queen and knight, a
        // third rook, for both colours.
        {"8/PPP5/8/7k/8/8/K7/QQQRRNNN w - - 0 1", 3, 0},
        {"qqqrrnnn/k7/8/8/7K/8/ppp5/8 b - - 0 1", 3, 0},
        {"8/PPPPPPPP/8/8/8/8/8/K6k w - - 0 1", 3, 0},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(setupFEN(c.fen)) << c.fen;
        bool ok = true;
        const uint64_t leaves = walk(c.depth, ok);
        EXPECT_TRUE(ok) << c.fen;
        EXPECT_TRUE(c.leaves == 0 || leaves == c.leaves) << c.fen << ": " << leaves;
    }
}

TEST(Perft, NoLegalMoveCountsNothing) {
    // Mate and stalemate are refused as set-up positions; reach one by a move instead.
    ASSERT_TRUE(setupFEN("7k/3Q4/6K1/8/8/8/8/8 w - - 0 1"));
    SEE();
    movgen(0, 0);
    int i = 0;
    while (i < mvstore[1] && !(searchData[0][i].from == 11 && searchData[0][i].to == 13))
        i++;
    ASSERT_LT(i, mvstore[1]) << "Qd7-f7 not generated";
    mvstack(&searchData[0][i], (int16_t)i); // Qf7 stalemates the h8 king
    ply = 1;
    gameFlags ^= GF_WHITE_TO_MOVE;
    nodes = 0;
    perft(3);
    EXPECT_EQ(nodes, 0u);
    ply = 0;
    gameFlags ^= GF_WHITE_TO_MOVE;
}
