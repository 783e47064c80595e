// Start-up tables: generator and keys, rays, leapers, sliding tables, geometry, set indexes.
#include "board/setup.h"
#include "support.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

int sq(const char *name) { return (name[0] - 'a') + 8 * ('8' - name[1]); }
int rowOf(int s) { return s >> 3; }
int colOf(int s) { return s & 7; }

// The (row, file) steps of the ray directions 0..7: +1, -1, +8, -8, +9, -9, +7, -7. Pairs of
// them are the lines of the rank, file, +9 and +7 diagonal tables.
const int DIRS[8][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}, {1, 1}, {-1, -1}, {1, -1}, {-1, 1}};
const int (*const RANK)[2] = DIRS, (*const FILE_)[2] = DIRS + 2, (*const DIAG9)[2] = DIRS + 4,
                  (*const DIAG7)[2] = DIRS + 6;

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

// Occupancy a 6-bit index stands for on one line through s: bit k marks the square of that
// line whose coordinate (file, or row for files) is k + 1.
uint64_t occupancyOfIndex(int s, const int (*steps)[2], int index, bool byRow) {
    uint64_t line = slowWalk(s, steps, 2, 0), occ = 0;
    for (int t = 0; t < 64; t++) {
        int c = byRow ? rowOf(t) : colOf(t);
        if ((line & (1ULL << t)) && c >= 1 && c <= 6 && ((index >> (c - 1)) & 1))
            occ |= 1ULL << t;
    }
    return occ;
}

} // namespace

TEST(SetupKeys, GeneratorAndDistinctKeys) {
    ensureSetup();
    // The first value from seed 12 by hand: 12 * 214013 + 2531011 = 5099167, >> 16 = 77.
    engineSrand(12);
    EXPECT_EQ(engineRand(), 77);
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

TEST(SetupLeapers, KnightKingAndPawnAttacksAtTheEdges) {
    ensureSetup();
    EXPECT_EQ(knightattack[sq("a1")], mask[sq("b3")] | mask[sq("c2")]);
    EXPECT_EQ(kingattack[sq("h8")], mask[sq("g8")] | mask[sq("g7")] | mask[sq("h7")]);
    EXPECT_EQ(whpawnattack[sq("a2")], mask[sq("b3")]);
    EXPECT_EQ(blpawnattack[sq("h7")], mask[sq("g6")]);
    EXPECT_EQ(blpawnattack[sq("e5")], mask[sq("d4")] | mask[sq("f4")]);
    // The neighbour order is fixed: north-west first, south-east last, -1 off the board.
    EXPECT_EQ(kingsafe[sq("e4")][0], sq("d5"));
    EXPECT_EQ(kingsafe[sq("e4")][7], sq("f3"));
    EXPECT_EQ(kingsafe[sq("a8")][0], -1);
    EXPECT_EQ(knightSurround[sq("e4")][0], sq("d6"));
    EXPECT_EQ(knightSurround[sq("h1")][7], -1);
    // The neighbour lists hold exactly the attacked squares.
    for (int s = 0; s < 64; s++) {
        uint64_t knights = 0, kings = 0;
        for (int k = 0; k < 8; k++) {
            knights |= knightSurround[s][k] >= 0 ? mask[knightSurround[s][k]] : 0;
            kings |= pieceSurround[s][k] >= 0 ? mask[pieceSurround[s][k]] : 0;
        }
        EXPECT_EQ(knights, knightattack[s]) << s;
        EXPECT_EQ(kings, kingattack[s]) << s;
    }
    EXPECT_EQ(__builtin_popcountll(knightattack[sq("e4")]), 8);
}

TEST(SetupSliders, EveryEntryMatchesARayWalkOnItsOccupancy) {
    ensureSetup();
    for (int s = 0; s < 64; s++)
        for (int o = 0; o < 64; o++) {
            ASSERT_EQ(rankAttacks[s][o], slowWalk(s, RANK, 2, occupancyOfIndex(s, RANK, o, false)))
                << s << " " << o;
            ASSERT_EQ(fileAttacks[s][o], slowWalk(s, FILE_, 2, occupancyOfIndex(s, FILE_, o, true)))
                << s << " " << o;
            ASSERT_EQ(diag45LAttacks[s][o],
                      slowWalk(s, DIAG9, 2, occupancyOfIndex(s, DIAG9, o, false)))
                << s << " " << o;
            ASSERT_EQ(diag45RAttacks[s][o],
                      slowWalk(s, DIAG7, 2, occupancyOfIndex(s, DIAG7, o, false)))
                << s << " " << o;
        }
    // The worked example: a rook on a1 sees up to d1 when d1 is occupied (index bit 2).
    EXPECT_EQ(rankAttacks[sq("a1")][4], mask[sq("b1")] | mask[sq("c1")] | mask[sq("d1")]);
}

TEST(SetupSliders, LookupsThroughRotatedBoardsGiveTrueAttacks) {
    ensureSetup();
    std::mt19937_64 gen(20240611);
    for (int trial = 0; trial < 2000; trial++) {
        uint64_t occ = gen() & gen(); // about a quarter of the squares occupied
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
            ASSERT_EQ(bishop, slowWalk(s, DIAG9, 4, occ)) << "bishop on " << s << " occ " << occ;
        }
    }
}

TEST(SetupGeometry, DirectionsAndDistances) {
    ensureSetup();
    EXPECT_EQ(kingTropizm[sq("a1")][sq("h8")], 7);
    EXPECT_EQ(kingTropizm[sq("e4")][sq("f6")], 2);
    for (int a = 0; a < 64; a++)
        for (int b = 0; b < 64; b++) {
            int onLine = -1;
            for (int k = 0; k < 8; k++)
                if (rays[a][k] & mask[b])
                    onLine = k;
            ASSERT_EQ(direct[a][b], onLine) << a << " " << b;
        }
}

TEST(SetupGeometry, SquareOfThePawn) {
    ensureSetup();
    const struct {
        const char *pawn, *king;
        int inside;
    } cases[] = {
        // Pawn on e5: the square reaches b8..h8 and rows down to rank 5, three files each way.
        {"e5", "b8", 1},
        {"e5", "a8", 0},
        {"e5", "h5", 1},
        {"e5", "h4", 0},
        {"e5", "e5", -1},
        // A pawn on its starting rank counts as if on rank 3 (it may advance two).
        {"e2", "a3", 1},
        {"e2", "h3", 1},
        {"e2", "d2", 0},
        {"e3", "e2", 0},
        {"e3", "a3", 1},
        // A pawn on the seventh rank: only the squares on the last two ranks next to it.
        {"a7", "b8", 1},
        {"a7", "c8", 0}};
    for (const auto &c : cases)
        EXPECT_EQ(squareKing[sq(c.pawn)][sq(c.king)], c.inside) << c.pawn << " " << c.king;
    // No pawn stands on rank 1 or 8: those rows are empty but for the square itself.
    for (int k = 0; k < 64; k++) {
        EXPECT_EQ(squareKing[sq("d8")][k], k == sq("d8") ? -1 : 0);
        EXPECT_EQ(squareKing[sq("d1")][k], k == sq("d1") ? -1 : 0);
    }
}

TEST(SetupGeometry, KingposGivenRowsAndRingRule) {
    ensureSetup();
    const int a8[64] = {0,  62, 59, 55, 50, 44, 37, 29, 63, 61, 58, 54, 49, 43, 36, 28,
                        60, 57, 53, 48, 42, 35, 27, 21, 56, 52, 47, 41, 34, 26, 20, 15,
                        51, 46, 40, 33, 25, 19, 14, 10, 45, 39, 32, 24, 18, 13, 9,  6,
                        38, 31, 23, 17, 12, 8,  5,  3,  30, 22, 16, 11, 7,  4,  2,  1};
    const int d5[64] = {8,  16, 28, 42, 29, 17, 9,  4,  20, 32, 44, 54, 45, 33, 21, 12,
                        36, 48, 56, 60, 57, 49, 37, 24, 40, 52, 61, 0,  62, 53, 41, 26,
                        38, 50, 58, 63, 59, 51, 39, 25, 22, 34, 46, 55, 47, 35, 23, 13,
                        10, 18, 30, 43, 31, 19, 11, 5,  2,  6,  14, 27, 15, 7,  3,  1};
    const int e4[64] = {1,  3,  7,  15, 27, 14, 6,  2,  5,  11, 19, 31, 43, 30, 18, 10,
                        13, 23, 35, 47, 55, 46, 34, 22, 25, 39, 51, 59, 63, 58, 50, 38,
                        26, 41, 53, 62, 0,  61, 52, 40, 24, 37, 49, 57, 60, 56, 48, 36,
                        12, 21, 33, 45, 54, 44, 32, 20, 4,  9,  17, 29, 42, 28, 16, 8};
    for (int b = 0; b < 64; b++) {
        EXPECT_EQ(kingpos[sq("a8")][b], a8[b]) << b;
        EXPECT_EQ(kingpos[sq("d5")][b], d5[b]) << b;
        EXPECT_EQ(kingpos[sq("e4")][b], e4[b]) << b;
    }
    // Every row is a permutation of 0..63 with the own square 0, and a square on a nearer
    // ring (Manhattan distance) always ranks above one on a farther ring.
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
    EXPECT_EQ(hangindex[24], 0x040);  // one minor piece
    EXPECT_EQ(hangindex[287], 0x7FF); // everything
    for (int i = 0; i < SEE_SETS; i++) {
        int set = hangindex[i];
        int k = set & 1, q = __builtin_popcount(set & 0x00E), r = __builtin_popcount(set & 0x030);
        int m = __builtin_popcount(set & 0x1C0), p = __builtin_popcount(set & 0x600);
        // Each group fills from its lowest bit.
        EXPECT_EQ(set & 0x00E, ((1 << q) - 1) << 1) << i;
        EXPECT_EQ(set & 0x1C0, ((1 << m) - 1) << 6) << i;
        EXPECT_EQ(k + 2 * q + 8 * r + 24 * m + 96 * p, i);
        EXPECT_EQ(defenders(set), k + q + r + m + p);
    }
    // One more piece of a kind is one step of hang_root.
    EXPECT_EQ(hangindex[hang_root[4]], 0x040);
    EXPECT_EQ(hangindex[hang_root[2] + hang_root[5]], 0x202);
}
