// Start-up tables: masks, position keys, rays, leaper and slider attacks, board geometry.
#include "board/setup.h"

// Row and file steps of the eight direction codes (+1, -1, +8, -8, +9, -9, +7, -7).
static const int dirRow[8] = {0, 0, 1, -1, 1, -1, 1, -1};
static const int dirFile[8] = {1, -1, 0, 0, 1, -1, -1, 1};

// Row and file steps of the pieceSurround and knightSurround orders.
static const int surroundRow[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
static const int surroundFile[8] = {-1, 0, 1, -1, 1, -1, 0, 1};
static const int knightRow[8] = {-2, -2, -1, -1, 1, 1, 2, 2};
static const int knightFile[8] = {-1, 1, -2, 2, -2, 2, -1, 1};

uint64_t mask[64];
uint64_t hash_piece[2][7][64], hp_lock[2][7][64];
uint64_t hashblack, hbl_lock;
uint64_t hashep[64], hep_lock[64];
uint64_t rays[64][8];
uint64_t knightattack[64], kingattack[64];
int32_t kingsafe[64][8];
uint64_t whpawnattack[64], blpawnattack[64];
uint64_t rankAttacks[64][64], fileAttacks[64][64];
uint64_t diag45LAttacks[64][64], diag45RAttacks[64][64];

int8_t pieceSurround[64][8];
int8_t knightSurround[64][8];
int8_t direct[64][64];
int8_t kingTropizm[64][64];
int8_t squareKing[64][64];
int8_t kingpos[64][64];
int32_t hangindex[SEE_SETS];

static uint32_t randState;

static int rowOf(int s) { return s >> 3; }
static int fileOf(int s) { return s & 7; }
static int absDiff(int a, int b) { return a > b ? a - b : b - a; }
static bool onBoard(int row, int fileNo) {
    return row >= 0 && row < 8 && fileNo >= 0 && fileNo < 8;
}

// Neighbour and knight-target lists in their fixed orders, -1 off the board.
static void buildSurrounds() {
    for (int s = 0; s < 64; s++) {
        for (int k = 0; k < 8; k++) {
            int r = rowOf(s) + surroundRow[k], f = fileOf(s) + surroundFile[k];
            pieceSurround[s][k] = onBoard(r, f) ? (int8_t)(8 * r + f) : NO_SQUARE;
            r = rowOf(s) + knightRow[k];
            f = fileOf(s) + knightFile[k];
            knightSurround[s][k] = onBoard(r, f) ? (int8_t)(8 * r + f) : NO_SQUARE;
        }
    }
}

// Line directions and king distances between every pair of squares.
static void buildDirections() {
    for (int a = 0; a < 64; a++) {
        for (int b = 0; b < 64; b++) {
            int dr = rowOf(b) - rowOf(a), df = fileOf(b) - fileOf(a);
            int adr = absDiff(rowOf(a), rowOf(b)), adf = absDiff(fileOf(a), fileOf(b));
            kingTropizm[a][b] = (int8_t)(adr > adf ? adr : adf);
            direct[a][b] = NO_SQUARE;
            if (a == b || (dr != 0 && df != 0 && adr != adf))
                continue;
            int sr = dr > 0 ? 1 : (dr < 0 ? -1 : 0), sf = df > 0 ? 1 : (df < 0 ? -1 : 0);
            for (int k = 0; k < 8; k++)
                if (dirRow[k] == sr && dirFile[k] == sf)
                    direct[a][b] = (int8_t)k;
        }
    }
}

// The square of a White pawn: the king squares from which a defending king catches the pawn
// on its way to rank 8. A pawn on its starting rank may advance two, so it counts as if it
// stood one rank further up.
static void buildSquareKing() {
    for (int p = 0; p < 64; p++) {
        int r = rowOf(p);
        int reach = r == 6 ? 5 : r;
        for (int k = 0; k < 64; k++) {
            bool inside =
                r >= 1 && r <= 6 && rowOf(k) <= reach && absDiff(fileOf(k), fileOf(p)) <= reach;
            squareKing[p][k] = (int8_t)(inside ? 1 : 0);
        }
        squareKing[p][p] = -1;
    }
}

// Nearness ranks: rings of equal row-plus-file distance, nearer rings higher; inside a ring
// squares a king reaches sooner come first, then lower square numbers. The corner and centre
// rows the endgame relies on are the hand-ranked ones.
static void buildKingpos() {
    for (int a = 0; a < 64; a++) {
        int order[64], n = 0;
        for (int b = 0; b < 64; b++)
            if (b != a)
                order[n++] = b;
        auto rankKey = [a](int b) {
            int ring = absDiff(rowOf(a), rowOf(b)) + absDiff(fileOf(a), fileOf(b));
            return (ring * 8 + kingTropizm[a][b]) * 64 + b;
        };
        for (int i = 1; i < n; i++) // insertion sort: 63 entries, once at start-up
            for (int j = i; j > 0 && rankKey(order[j]) < rankKey(order[j - 1]); j--) {
                int t = order[j];
                order[j] = order[j - 1];
                order[j - 1] = t;
            }
        kingpos[a][a] = 0;
        for (int i = 0; i < n; i++)
            kingpos[a][order[i]] = (int8_t)(63 - i);
    }
    for (int b = 0; b < 64; b++) {
        kingpos[0][b] = kingposA8[b];
        kingpos[27][b] = kingposD5[b];
        kingpos[36][b] = kingposE4[b];
    }
}

// Attacker and defender sets: each group fills its bits from the lowest (king bit 0, queens
// 1-3, rooks 4-5, minors 6-8, pawns 9-10).
static void buildHangindex() {
    for (int i = 0; i < SEE_SETS; i++) {
        seeGroups g = splitSeeIndex(i);
        hangindex[i] = g.king | (((1 << g.queens) - 1) << 1) | (((1 << g.rooks) - 1) << 4) |
                       (((1 << g.minors) - 1) << 6) | (((1 << g.pawns) - 1) << 9);
    }
}

// All squares from s (exclusive) to the edge in each direction, without wrapping files.
static void buildRays() {
    for (int s = 0; s < 64; s++) {
        for (int k = 0; k < 8; k++) {
            uint64_t set = 0;
            int r = rowOf(s) + dirRow[k], f = fileOf(s) + dirFile[k];
            for (; onBoard(r, f); r += dirRow[k], f += dirFile[k])
                set |= mask[8 * r + f];
            rays[s][k] = set;
        }
    }
}

static void buildLeapers() {
    for (int s = 0; s < 64; s++) {
        knightattack[s] = kingattack[s] = whpawnattack[s] = blpawnattack[s] = 0;
        for (int k = 0; k < 8; k++) {
            if (knightSurround[s][k] >= 0)
                knightattack[s] |= mask[knightSurround[s][k]];
            if (pieceSurround[s][k] >= 0)
                kingattack[s] |= mask[pieceSurround[s][k]];
            kingsafe[s][k] = pieceSurround[s][k];
        }
        // Black pawns capture toward rank 1 (s+7, s+9), White toward rank 8 (s-9, s-7).
        for (int k = 0; k < 8; k++) {
            if (pieceSurround[s][k] < 0)
                continue;
            if (k == 5 || k == 7)
                blpawnattack[s] |= mask[pieceSurround[s][k]];
            if (k == 0 || k == 2)
                whpawnattack[s] |= mask[pieceSurround[s][k]];
        }
    }
}

// Walks one ray away from s, stopping after the first square the occupancy index marks as
// occupied. The index covers only the six inner squares of a line (coordinate 1..6): the edge
// squares are reached whenever nothing stands before them, whatever is on them.
static uint64_t lineAttacksForOccupancy(int s, int dir, int occupancy, bool byRow) {
    uint64_t set = 0, ray = rays[s][dir];
    bool increasing = (dir & 1) == 0;
    while (ray) {
        int t = increasing ? lsb(ray) : msb(ray);
        ray &= ~mask[t];
        set |= mask[t];
        int c = byRow ? rowOf(t) : fileOf(t);
        if (c >= 1 && c <= 6 && (occupancy >> (c - 1)) & 1)
            break;
    }
    return set;
}

static void buildSliders() {
    for (int s = 0; s < 64; s++) {
        for (int o = 0; o < 64; o++) {
            rankAttacks[s][o] =
                lineAttacksForOccupancy(s, 0, o, false) | lineAttacksForOccupancy(s, 1, o, false);
            fileAttacks[s][o] =
                lineAttacksForOccupancy(s, 2, o, true) | lineAttacksForOccupancy(s, 3, o, true);
            diag45LAttacks[s][o] =
                lineAttacksForOccupancy(s, 4, o, false) | lineAttacksForOccupancy(s, 5, o, false);
            diag45RAttacks[s][o] =
                lineAttacksForOccupancy(s, 6, o, false) | lineAttacksForOccupancy(s, 7, o, false);
        }
    }
}

void engineSrand(uint32_t seed) { randState = seed; }

// Linear congruential generator with fixed constants, so the keys (and the opening book,
// which is keyed by them) are the same on every platform and library.
int32_t engineRand() {
    randState = randState * 214013u + 2531011u;
    return (int32_t)((randState >> 16) & 0x7FFF);
}

// Six 15-bit values folded into 64 bits; the parts overlap by two bits and only the lowest
// bit of the sixth value reaches the key.
uint64_t hash_rand() {
    uint64_t r[6];
    for (int i = 0; i < 6; i++)
        r[i] = (uint64_t)engineRand();
    return r[0] ^ (r[1] << 13) ^ (r[2] << 26) ^ (r[3] << 39) ^ (r[4] << 52) ^ (r[5] << 63);
}

// Builds every start-up table once, before the first position is set up. The order of the
// random draws fixes the position keys and must not change.
void setup() {
    for (int s = 0; s < 64; s++)
        mask[s] = 1ULL << s;
    // Geometry draws no random numbers; built first because everything else reads it.
    buildSurrounds();
    buildDirections();
    buildSquareKing();
    buildKingpos();
    buildHangindex();

    engineSrand(12);
    for (int c = 0; c < 2; c++)
        for (int p = 0; p < 7; p++)
            for (int s = 0; s < 64; s++) {
                hash_piece[c][p][s] = hash_rand();
                hp_lock[c][p][s] = hash_rand();
            }
    hashblack = hash_rand();
    hbl_lock = hash_rand();
    for (int s = 0; s < 64; s++) {
        hashep[s] = hash_rand();
        hep_lock[s] = hash_rand();
    }

    buildRays();
    buildLeapers();
    buildSliders();
}
