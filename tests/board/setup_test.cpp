// Start-up tables: generator and keys, rays, leapers, sliding tables, geometry, set indexes.
#include "board/setup.h"
#include "support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

int sq(const char *name) { return (name[0] - 'a') + 8 * ('8' - name[1]); }
int rowOf(int s) { return s >> 3; }
int colOf(int s) { return s & 7; }

// Attack set of a slider from s along the given (row, file) steps on a real occupancy,
// walking square by square without any table.
uint64_t slowWalk(int s, const int (*steps)[2], int nsteps, uint64_t occupied) {
    uint64_t set = 0;
    for (int k = 0; k < nsteps; k++) {
        int r = rowOf(s) + steps[k][0], f = colOf(s) + steps[k][1];
        while (r >= 0 && r < 8 && f >= 0 && f < 8) {
            set |= 1ULL << (8 * r + f);
            if (occupied & (1ULL << (8 * r + f)))
                break;
            r += steps[k][0];
            f += steps[k][1];
        }
    }
    return set;
}

const int rankSteps[2][2] = {{0, 1}, {0, -1}};
const int fileSteps[2][2] = {{1, 0}, {-1, 0}};
const int diag9Steps[2][2] = {{1, 1}, {-1, -1}}; // +9 / -9
const int diag7Steps[2][2] = {{1, -1}, {-1, 1}}; // +7 / -7

// Occupancy a 6-bit index stands for on one line through s: bit k marks the square of that
// line whose coordinate (file, or row for files) is k + 1.
uint64_t occupancyOfIndex(int s, const int (*steps)[2], int index, bool byRow) {
    uint64_t line = slowWalk(s, steps, 2, 0), occ = 0;
    for (int t = 0; t < 64; t++) {
        if (!(line & (1ULL << t)))
            continue;
        int c = byRow ? rowOf(t) : colOf(t);
        if (c >= 1 && c <= 6 && ((index >> (c - 1)) & 1))
            occ |= 1ULL << t;
    }
    return occ;
}

// Independent implementation of the stated generator.
struct referenceRand {
    uint32_t state;
    int next() {
        state = state * 214013u + 2531011u;
        return (int)((state >> 16) & 0x7FFF);
    }
    uint64_t key() {
        uint64_t r[6];
        for (auto &x : r)
            x = (uint64_t)next();
        return r[0] ^ (r[1] << 13) ^ (r[2] << 26) ^ (r[3] << 39) ^ (r[4] << 52) ^ (r[5] << 63);
    }
};

} // namespace

TEST(SetupKeys, GeneratorFollowsRecurrenceFromSeed12) {
    ensureSetup();
    referenceRand ref{12};
    engineSrand(12);
    for (int i = 0; i < 20; i++)
        EXPECT_EQ(engineRand(), ref.next()) << "value " << i;
    // The very first value from seed 12 by hand: 12 * 214013 + 2531011 = 5099167, >> 16 = 77.
    engineSrand(12);
    EXPECT_EQ(engineRand(), 77);
}

TEST(SetupKeys, KeysAreDrawnInTheFixedOrder) {
    ensureSetup();
    referenceRand ref{12};
    // Pieces: colour, piece, square, key before lock.
    for (int c = 0; c < 2; c++)
        for (int p = 0; p < 7; p++)
            for (int s = 0; s < 64; s++) {
                ASSERT_EQ(hash_piece[c][p][s], ref.key()) << c << " " << p << " " << s;
                ASSERT_EQ(hp_lock[c][p][s], ref.key()) << c << " " << p << " " << s;
            }
    EXPECT_EQ(hashblack, ref.key());
    EXPECT_EQ(hbl_lock, ref.key());
    for (int s = 0; s < 64; s++) {
        ASSERT_EQ(hashep[s], ref.key()) << s;
        ASSERT_EQ(hep_lock[s], ref.key()) << s;
    }
}

TEST(SetupKeys, HashRandFoldsOnlyLowBitsOfTheLastParts) {
    ensureSetup();
    // Masking the fifth value to 12 bits and the sixth to one bit changes nothing: the
    // shifts already push the rest out of the key.
    engineSrand(12);
    referenceRand ref{12};
    for (int i = 0; i < 50; i++) {
        uint64_t r[6];
        for (auto &x : r)
            x = (uint64_t)ref.next();
        uint64_t expect = r[0] ^ (r[1] << 13) ^ (r[2] << 26) ^ (r[3] << 39) ^
                          ((r[4] & 0xFFF) << 52) ^ ((r[5] & 1) << 63);
        ASSERT_EQ(hash_rand(), expect) << "key " << i;
    }
}

TEST(SetupRays, EdgesAndLengths) {
    ensureSetup();
    EXPECT_EQ(rays[sq("a1")][0], 0xFEULL << 56);         // b1..h1
    EXPECT_EQ(rays[sq("a1")][1], 0u);                    // nothing west of the a-file
    EXPECT_EQ(rays[sq("h8")][4], 0u);                    // +9 from h8 would wrap
    EXPECT_EQ(rays[sq("h8")][6], 0x0102040810204000ULL); // g7 .. a1
    EXPECT_EQ(rays[sq("a8")][4], 0x8040201008040200ULL); // b7 .. h1
    EXPECT_EQ(rays[sq("e4")][3], 0x0000000010101010ULL); // e5 .. e8
    for (int s = 0; s < 64; s++) {
        int rookLen = 0, bishopLen = 0;
        for (int k = 0; k < 4; k++)
            rookLen += __builtin_popcountll(rays[s][k]);
        for (int k = 4; k < 8; k++)
            bishopLen += __builtin_popcountll(rays[s][k]);
        EXPECT_EQ(rookLen, 14) << s;
        EXPECT_EQ(bishopLen, __builtin_popcountll(slowWalk(s, diag9Steps, 2, 0) |
                                                  slowWalk(s, diag7Steps, 2, 0)))
            << s;
    }
}

TEST(SetupLeapers, KnightKingAndPawnAttacksAtTheEdges) {
    ensureSetup();
    EXPECT_EQ(knightattack[sq("a1")], mask[sq("b3")] | mask[sq("c2")]);
    EXPECT_EQ(kingattack[sq("h8")], mask[sq("g8")] | mask[sq("g7")] | mask[sq("h7")]);
    EXPECT_EQ(whpawnattack[sq("a2")], mask[sq("b3")]);
    EXPECT_EQ(whpawnattack[sq("h2")], mask[sq("g3")]);
    EXPECT_EQ(blpawnattack[sq("h7")], mask[sq("g6")]);
    EXPECT_EQ(blpawnattack[sq("e5")], mask[sq("d4")] | mask[sq("f4")]);
    EXPECT_EQ(__builtin_popcountll(knightattack[sq("e4")]), 8);
    EXPECT_EQ(__builtin_popcountll(kingattack[sq("e4")]), 8);
    // The neighbour order is fixed: north-west first, south-east last, -1 off the board.
    EXPECT_EQ(kingsafe[sq("e4")][0], sq("d5"));
    EXPECT_EQ(kingsafe[sq("e4")][7], sq("f3"));
    EXPECT_EQ(kingsafe[sq("a8")][0], -1);
    EXPECT_EQ(kingsafe[sq("a8")][4], sq("b8"));
    EXPECT_EQ(knightSurround[sq("e4")][0], sq("d6"));
    EXPECT_EQ(knightSurround[sq("e4")][7], sq("f2"));
    EXPECT_EQ(knightSurround[sq("h1")][7], -1);
    for (int s = 0; s < 64; s++) {
        int knights = 0, kings = 0;
        for (int k = 0; k < 8; k++) {
            knights += knightSurround[s][k] >= 0;
            kings += pieceSurround[s][k] >= 0;
        }
        EXPECT_EQ(knights, __builtin_popcountll(knightattack[s])) << s;
        EXPECT_EQ(kings, __builtin_popcountll(kingattack[s])) << s;
    }
}

TEST(SetupSliders, EveryEntryMatchesARayWalkOnItsOccupancy) {
    ensureSetup();
    for (int s = 0; s < 64; s++)
        for (int o = 0; o < 64; o++) {
            ASSERT_EQ(rankAttacks[s][o],
                      slowWalk(s, rankSteps, 2, occupancyOfIndex(s, rankSteps, o, false)))
                << s << " " << o;
            ASSERT_EQ(fileAttacks[s][o],
                      slowWalk(s, fileSteps, 2, occupancyOfIndex(s, fileSteps, o, true)))
                << s << " " << o;
            ASSERT_EQ(diag45LAttacks[s][o],
                      slowWalk(s, diag9Steps, 2, occupancyOfIndex(s, diag9Steps, o, false)))
                << s << " " << o;
            ASSERT_EQ(diag45RAttacks[s][o],
                      slowWalk(s, diag7Steps, 2, occupancyOfIndex(s, diag7Steps, o, false)))
                << s << " " << o;
        }
    // The worked examples: a rook on a1 sees the whole first rank, or up to d1 when d1 is
    // occupied (index bit 2 = file d); edge squares are reached through an empty file.
    EXPECT_EQ(rankAttacks[sq("a1")][0], 0xFEULL << 56);
    EXPECT_EQ(rankAttacks[sq("a1")][4], mask[sq("b1")] | mask[sq("c1")] | mask[sq("d1")]);
    EXPECT_EQ(fileAttacks[sq("e4")][0], (0x1010101010101010ULL) & ~mask[sq("e4")]);
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
            ASSERT_EQ(rook, slowWalk(s, rankSteps, 2, occ) | slowWalk(s, fileSteps, 2, occ))
                << "rook on " << s << " occupancy " << occ;
            ASSERT_EQ(bishop, slowWalk(s, diag9Steps, 2, occ) | slowWalk(s, diag7Steps, 2, occ))
                << "bishop on " << s << " occupancy " << occ;
        }
    }
}

TEST(SetupGeometry, DirectionsAndDistances) {
    ensureSetup();
    EXPECT_EQ(direct[sq("a1")][sq("h8")], 7);
    EXPECT_EQ(direct[sq("h8")][sq("a1")], 6);
    EXPECT_EQ(direct[sq("e1")][sq("e8")], 3);
    EXPECT_EQ(direct[sq("a8")][sq("h1")], 4);
    EXPECT_EQ(direct[sq("h4")][sq("a4")], 1);
    EXPECT_EQ(direct[sq("a1")][sq("b3")], -1);
    EXPECT_EQ(kingTropizm[sq("a1")][sq("h8")], 7);
    EXPECT_EQ(kingTropizm[sq("e4")][sq("f6")], 2);
    for (int a = 0; a < 64; a++) {
        EXPECT_EQ(direct[a][a], -1);
        EXPECT_EQ(kingTropizm[a][a], 0);
        for (int b = 0; b < 64; b++) {
            int onLine = -1;
            for (int k = 0; k < 8; k++)
                if (rays[a][k] & mask[b])
                    onLine = k;
            ASSERT_EQ(direct[a][b], onLine) << a << " " << b;
            ASSERT_EQ(kingTropizm[a][b], kingTropizm[b][a]);
        }
    }
}

TEST(SetupGeometry, SquareOfThePawn) {
    ensureSetup();
    // Pawn on e5: the square reaches b8..h8 and rows down to rank 5, three files each way.
    EXPECT_EQ(squareKing[sq("e5")][sq("b8")], 1);
    EXPECT_EQ(squareKing[sq("e5")][sq("a8")], 0);
    EXPECT_EQ(squareKing[sq("e5")][sq("h5")], 1);
    EXPECT_EQ(squareKing[sq("e5")][sq("h4")], 0);
    EXPECT_EQ(squareKing[sq("e5")][sq("e5")], -1);
    // A pawn on its starting rank counts as if on rank 3 (it may advance two).
    EXPECT_EQ(squareKing[sq("e2")][sq("a3")], 1);
    EXPECT_EQ(squareKing[sq("e2")][sq("h3")], 1);
    EXPECT_EQ(squareKing[sq("e2")][sq("d2")], 0);
    EXPECT_EQ(squareKing[sq("e2")][sq("e2")], -1);
    EXPECT_EQ(squareKing[sq("e3")][sq("e2")], 0);
    EXPECT_EQ(squareKing[sq("e3")][sq("a3")], 1);
    // A pawn on the seventh rank: only the squares on the last two ranks next to it.
    EXPECT_EQ(squareKing[sq("a7")][sq("b8")], 1);
    EXPECT_EQ(squareKing[sq("a7")][sq("c8")], 0);
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
    for (int a = 0; a < 64; a++) {
        bool used[64] = {};
        EXPECT_EQ(kingpos[a][a], 0);
        for (int b = 0; b < 64; b++) {
            int v = kingpos[a][b];
            ASSERT_TRUE(v >= 0 && v <= 63);
            EXPECT_FALSE(used[v]) << "row " << a << " repeats " << v;
            used[v] = true;
            int ringB = abs(rowOf(a) - rowOf(b)) + abs(colOf(a) - colOf(b));
            for (int c = 0; c < 64; c++) {
                int ringC = abs(rowOf(a) - rowOf(c)) + abs(colOf(a) - colOf(c));
                if (b != a && ringB < ringC) {
                    ASSERT_GT(v, kingpos[a][c]) << "row " << a << ": " << b << " vs " << c;
                }
            }
        }
    }
}

TEST(SetupSets, HangindexRoundTrips) {
    ensureSetup();
    EXPECT_EQ(hangindex[0], 0);
    EXPECT_EQ(hangindex[1], 0x001);   // the king alone
    EXPECT_EQ(hangindex[2], 0x002);   // one queen
    EXPECT_EQ(hangindex[8], 0x010);   // one rook
    EXPECT_EQ(hangindex[24], 0x040);  // one minor piece
    EXPECT_EQ(hangindex[96], 0x200);  // one pawn
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
