// Start-up tables: keys, rays, leapers, sliding lookups, geometry, set indexes.
#include "board/setup.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace {

int rowOf(int s) { return s >> 3; }
int colOf(int s) { return s & 7; }

// The (row, file) steps of the ray directions 0..7: +1, -1, +8, -8, +9, -9, +7, -7; the first
// four are a rook's, the last four a bishop's.
const int DIRS[8][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}, {1, 1}, {-1, -1}, {1, -1}, {-1, 1}};

// Attack set of a slider from s along the given steps on a real occupancy, walking square by
// square without any table.
uint64_t slowWalk(int s, const int (*steps)[2], int nsteps, uint64_t occupied) {
    uint64_t set = 0;
    for (int k = 0; k < nsteps; k++)
        for (int r = rowOf(s) + steps[k][0], f = colOf(s) + steps[k][1];
             r >= 0 && r < 8 && f >= 0 && f < 8; r += steps[k][0], f += steps[k][1]) {
            set |= 1ULL << (8 * r + f);
            if (occupied & (1ULL << (8 * r + f)))
                break;
        }
    return set;
}

} // namespace

TEST(SetupKeys, EveryKeyIsDistinct) {
    ensureSetup();
    // Every key and lock of the position keys is its own: a repeat would merge positions.
    std::set<uint64_t> seen{hashblack, hbl_lock};
    for (int s = 0; s < 64; s++) {
        seen.insert({hashep[s], hep_lock[s]});
        for (int c = 0; c < 2; c++)
            for (int p = 0; p < 7; p++)
                seen.insert({hash_piece[c][p][s], hp_lock[c][p][s]});
    }
    EXPECT_EQ(seen.size(), 2u * (1 + 64 + 2 * 7 * 64));
}

TEST(SetupRays, EveryRayIsTheWalkToTheEdge) {
    ensureSetup();
    for (int s = 0; s < 64; s++)
        for (int k = 0; k < 8; k++)
            ASSERT_EQ(rays[s][k], slowWalk(s, DIRS + k, 1, 0)) << s << " " << k;
}

// The evaluation walks the neighbour lists; the move generator uses the attack sets (checked
// by perft). The two must name the same squares, with no square off the board.
TEST(SetupLeapers, NeighbourListsHoldExactlyTheAttackedSquares) {
    ensureSetup();
    for (int s = 0; s < 64; s++) {
        uint64_t knights = 0, kings = 0;
        for (int k = 0; k < 8; k++) {
            knights |= knightSurround[s][k] >= 0 ? mask[knightSurround[s][k]] : 0;
            kings |= pieceSurround[s][k] >= 0 ? mask[pieceSurround[s][k]] : 0;
        }
        EXPECT_EQ(knights, knightattack[s]) << s;
        EXPECT_EQ(kings, kingattack[s]) << s;
    }
}

// Every lookup of a slider's attacks, through the rotated boards and the shift tables, gives
// the squares a walk on the true occupancy reaches: sparse boards and dense ones, where the
// long runs of blockers are.
TEST(SetupSliders, LookupsThroughRotatedBoardsGiveTrueAttacks) {
    ensureSetup();
    std::mt19937_64 gen(20240611);
    for (int trial = 0; trial < 2000; trial++) {
        uint64_t occ = trial % 2 ? gen() & gen() : gen(); // a quarter or half occupied
        uint64_t rot90 = 0, rot45R = 0, rot45L = 0;
        for (int s = 0; s < 64; s++)
            if (occ & (1ULL << s)) {
                rot90 |= 1ULL << r90R[s];
                rot45R |= 1ULL << r45R[s];
                rot45L |= 1ULL << r45L[s];
            }
        for (int s = 0; s < 64; s++) {
            uint64_t rook = rankAttacks[s][(occ >> shiftRank[s]) & 63] |
                            fileAttacks[s][(rot90 >> shift90L[s]) & 63];
            uint64_t bishop = diag45LAttacks[s][(rot45L >> shift45L[s]) & 63] |
                              diag45RAttacks[s][(rot45R >> shift45R[s]) & 63];
            ASSERT_EQ(rook, slowWalk(s, DIRS, 4, occ)) << "rook on " << s << " occ " << occ;
            ASSERT_EQ(bishop, slowWalk(s, DIRS + 4, 4, occ)) << "bishop on " << s << " occ " << occ;
        }
    }
}

TEST(SetupGeometry, DirectionsFollowTheRays) {
    ensureSetup();
    for (int a = 0; a < 64; a++)
        for (int b = 0; b < 64; b++) {
            int onLine = -1;
            for (int k = 0; k < 8; k++)
                if (rays[a][k] & mask[b])
                    onLine = k;
            ASSERT_EQ(direct[a][b], onLine) << a << " " << b;
        }
}

// The rule of the square: a king stands inside it when it reaches the promotion square no
// later than the pawn does, a pawn on its starting rank counting its double step. Ranks 1 and
// 8 hold no pawn, so their rows are empty.
TEST(SetupGeometry, SquareOfThePawn) {
    ensureSetup();
    for (int p = 0; p < 64; p++)
        for (int k = 0; k < 64; k++) {
            const int pawnMoves = rowOf(p) == 6 ? 5 : rowOf(p);
            const int kingMoves = std::max(rowOf(k), abs(colOf(k) - colOf(p)));
            const bool hasPawn = rowOf(p) >= 1 && rowOf(p) <= 6;
            const int expected = k == p ? -1 : (hasPawn && kingMoves <= pawnMoves ? 1 : 0);
            ASSERT_EQ(squareKing[p][k], expected) << "pawn " << p << " king " << k;
        }
}

// Every row ranks all squares 0..63, the own square 0, and a square on a nearer ring
// (row-plus-file distance) always above one on a farther ring, the hand-ranked rows included.
TEST(SetupGeometry, KingposRanksNearerRingsHigher) {
    ensureSetup();
    auto ring = [](int a, int b) { return abs(rowOf(a) - rowOf(b)) + abs(colOf(a) - colOf(b)); };
    for (int a = 0; a < 64; a++) {
        uint64_t used = 0;
        EXPECT_EQ(kingpos[a][a], 0);
        for (int b = 0; b < 64; b++) {
            const int v = kingpos[a][b];
            ASSERT_TRUE(v >= 0 && v <= 63);
            used |= 1ULL << v;
            for (int c = 0; c < 64; c++) {
                if (b != a && ring(a, b) < ring(a, c)) {
                    ASSERT_GT(v, kingpos[a][c]) << "row " << a << ": " << b << " vs " << c;
                }
            }
        }
        EXPECT_EQ(used, ~0ULL) << "row " << a;
    }
}

TEST(SetupSets, HangindexRoundTrips) {
    ensureSetup();
    // Bits: king 0x001, queens 0x00E, rooks 0x030, minors 0x1C0, pawns 0x600.
    for (int i = 0; i < SEE_SETS; i++) {
        int set = hangindex[i];
        int k = set & 1, q = __builtin_popcount(set & 0x00E), r = __builtin_popcount(set & 0x030);
        int m = __builtin_popcount(set & 0x1C0), p = __builtin_popcount(set & 0x600);
        // Each group fills from its lowest bit.
        EXPECT_EQ(set & 0x00E, ((1 << q) - 1) << 1) << i;
        EXPECT_EQ(set & 0x1C0, ((1 << m) - 1) << 6) << i;
        EXPECT_EQ(k + 2 * q + 8 * r + 24 * m + 96 * p, i);
        // Only the eleven set bits count as defenders, whatever lies above them.
        EXPECT_EQ(defenders(set | ~0x7FF), k + q + r + m + p);
    }
    // One more piece of a kind is one step of hang_root.
    EXPECT_EQ(hangindex[hang_root[4]], 0x040);
    EXPECT_EQ(hangindex[hang_root[2] + hang_root[5]], 0x202);
}
