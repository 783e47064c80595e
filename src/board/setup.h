// Start-up tables: masks, position keys, rays, leaper and slider attacks, exchange tables.
#pragma once

#include "board/board.h"

// Attacker/defender set index: K + 2Q + 8R + 24M + 96P with at most 1 king, 3 queens,
// 2 rooks, 3 minor pieces and 2 pawns, so 288 sets.
constexpr int SEE_SETS = 288;
constexpr int SEE_TARGETS = 4; // queen, rook, minor piece, pawn

// ---------------------------------------------------------------------------
// Computed tables (setup.cpp, exchange.cpp)
// ---------------------------------------------------------------------------
extern uint64_t mask[64];
extern uint64_t hash_piece[2][7][64], hp_lock[2][7][64];
extern uint64_t hashblack, hbl_lock;
extern uint64_t hashep[64], hep_lock[64];
extern uint64_t rays[64][8];
extern uint64_t knightattack[64], kingattack[64];
extern int32_t kingsafe[64][8];
extern uint64_t whpawnattack[64], blpawnattack[64];
extern uint64_t rankAttacks[64][64], fileAttacks[64][64];
extern uint64_t diag45LAttacks[64][64], diag45RAttacks[64][64];

// Exchange outcomes in units of 10 centipawns, [target class][defender set][attacker set].
// seeTable is the plain table; the others hold x-ray pieces behind a queen (A = attacker
// side, D = defender side; r = one rook, rr = two rooks, b = a minor piece).
typedef int8_t seeTableType[SEE_TARGETS][SEE_SETS][SEE_SETS];
extern seeTableType seeTable, seeTableAr, seeTableArr, seeTableAb, seeTableArDr, seeTableArrDr,
    seeTableAbDr, seeTableArDrr, seeTableArrDrr, seeTableAbDrr, seeTableArDb, seeTableArrDb,
    seeTableAbDb, seeTableDr, seeTableDrr, seeTableDb;

// Attacks of a rook or bishop on s over an occupancy given as its plain and rotated boards.
inline uint64_t rookAttacksOver(uint64_t all, uint64_t rotated90R, int s) {
    return rankAttacks[s][(all >> shiftRank[s]) & 63] |
           fileAttacks[s][(rotated90R >> shift90L[s]) & 63];
}
inline uint64_t bishopAttacksOver(uint64_t rotated45R, uint64_t rotated45L, int s) {
    return diag45RAttacks[s][(rotated45R >> shift45R[s]) & 63] |
           diag45LAttacks[s][(rotated45L >> shift45L[s]) & 63];
}

// Attacks of a bishop, rook or queen on s over the position at the current ply.
inline uint64_t bishopAttacksAt(int s) {
    const bboard &b = boards[ply];
    return bishopAttacksOver(b.rotated45R, b.rotated45L, s);
}
inline uint64_t rookAttacksAt(int s) {
    const bboard &b = boards[ply];
    return rookAttacksOver(b.allpieces, b.rotated90R, s);
}
inline uint64_t queenAttacksAt(int s) { return bishopAttacksAt(s) | rookAttacksAt(s); }

// Rule-built geometry (filled by setup from the rules that define them).
extern int8_t pieceSurround[64][8];  // s-9, s-8, s-7, s-1, s+1, s+7, s+8, s+9; -1 off board
extern int8_t knightSurround[64][8]; // s-17, s-15, s-10, s-6, s+6, s+10, s+15, s+17
extern int8_t direct[64][64];        // direction code from the first square to the second
extern int8_t kingTropizm[64][64];   // king distance
extern int8_t squareKing[64][64];    // square of a White pawn racing to rank 8
extern int8_t kingpos[64][64];       // nearness rank of the second square from the first
extern int32_t hangindex[SEE_SETS];  // 11-bit piece set of each set index

// Constant data (setup_tables.cpp).
extern const int8_t hang_root[6]; // index step of a king, queen, rook, minor, pawn (1..5)
extern const int8_t see_val[4];   // target values in units of 10 centipawns
extern const int8_t init_piece[64], init_colour[64]; // the initial position
// Hand-ranked kingpos rows of a8, d5 and e4; setup copies them over the generic rows.
extern const int8_t kingposA8[64], kingposD5[64], kingposE4[64];

// Builds every table above (and the profile defaults) in the fixed order that fixes the keys.
void setup();
// The plain exchange table, computed from hangindex on first use: the attack analysis calls
// this before it reads seeTable (exchange.cpp). Needs setup.
void ensureExchangeTables();
// Computes all sixteen exchange tables at once (the x-ray variants are otherwise computed on
// their first look-up through queenObstruct).
void buildExchangeTables();
// No table holds anything for an empty attacker set: a square nobody attacks costs nothing,
// and the exchange look-ups skip the table for it.
// Exchange value (centipawns) looked up in the x-ray variant chosen by the two ownQueen codes.
int16_t queenObstruct(int8_t seePiece, int16_t Aboard, int16_t Bboard, int8_t obstructionA,
                      int8_t obstructionB, int16_t seeCapture);
// Next 64-bit random key from the engine's own generator.
uint64_t hash_rand();
// The engine's portable 15-bit generator (state * 214013 + 2531011, value bits 16..30).
void engineSrand(uint32_t seed);
int32_t engineRand();

// ---------------------------------------------------------------------------
// Saturating arithmetic on set indexes: a side can have more pieces of a kind than the
// 288 sets describe (promotions, x-ray supporters), so every group is capped at its
// capacity and never borrows from or carries into its neighbour.
// ---------------------------------------------------------------------------
struct seeGroups {
    int king, queens, rooks, minors, pawns;
};
// The groups of any index by arithmetic (also beyond the 288 sets).
constexpr seeGroups countSeeGroups(int index) {
    return {index & 1, (index % 8) / 2, (index % 24) / 8, (index % 96) / 24, index / 96};
}
constexpr int joinSeeIndex(int k, int q, int r, int m, int p) {
    k = k < 0 ? 0 : (k > 1 ? 1 : k);
    q = q < 0 ? 0 : (q > 3 ? 3 : q);
    r = r < 0 ? 0 : (r > 2 ? 2 : r);
    m = m < 0 ? 0 : (m > 3 ? 3 : m);
    p = p < 0 ? 0 : (p > 2 ? 2 : p);
    return k + 2 * q + 8 * r + 24 * m + 96 * p;
}

// The attack analysis and every exchange estimate add or remove one piece at a time, at every
// square of every position, so those steps and the groups of the 288 sets are looked up
// (exchange.cpp) rather than worked out with divisions. Group codes index the step tables.
constexpr int SG_KING = 0, SG_QUEEN = 1, SG_ROOK = 2, SG_MINOR = 3, SG_PAWN = 4, SEE_GROUPS = 5;
struct seeIndexTables {
    int8_t groups[SEE_SETS][SEE_GROUPS];    // king, queens, rooks, minors, pawns of each set
    int16_t plusOne[SEE_GROUPS][SEE_SETS];  // the set with one more piece of a group (capped)
    int16_t minusOne[SEE_GROUPS][SEE_SETS]; // the set with one fewer (floored at none)
};
extern const seeIndexTables seeIndexSteps;

inline seeGroups splitSeeIndex(int index) {
    if (index < 0 || index >= SEE_SETS)
        return countSeeGroups(index);
    const int8_t *g = seeIndexSteps.groups[index];
    return {g[SG_KING], g[SG_QUEEN], g[SG_ROOK], g[SG_MINOR], g[SG_PAWN]};
}
inline int clampSeeIndex(int index) {
    return index < 0 ? 0 : (index >= SEE_SETS ? SEE_SETS - 1 : index);
}
// a + b groupwise, each group capped (b may be any sum of steps 1, 2, 8, 24, 96).
inline int seeIndexAdd(int a, int b) {
    if (b <= 0)
        return clampSeeIndex(a);
    seeGroups x = splitSeeIndex(a < 0 ? 0 : a), y = splitSeeIndex(b);
    return joinSeeIndex(x.king + y.king, x.queens + y.queens, x.rooks + y.rooks,
                        x.minors + y.minors, x.pawns + y.pawns);
}
// The defender set D on a square that one of the defender's own pawns covers with a bishop or
// queen standing behind it (`backup`, the x-ray step of that piece): the piece behind joins in
// once the pawn has recaptured, which happens when the attacker set A includes a pawn (pawns
// capture first, so the exchange reaches the defending pawn) and either a lone pawn attacks
// or the square has other defenders. A is a set index, so "includes a pawn" is its pawn
// group, never a bit test on the index.
inline int withPawnBackup(int D, int A, int backup) {
    if (backup != 0 && splitSeeIndex(A).pawns > 0 && (A == 96 || D > 0))
        return seeIndexAdd(D, backup);
    return D;
}
// a - b groupwise, each group floored at 0.
inline int seeIndexSub(int a, int b) {
    seeGroups x = splitSeeIndex(clampSeeIndex(a));
    seeGroups y = splitSeeIndex(b < 0 ? 0 : b);
    return joinSeeIndex(x.king - y.king, x.queens - y.queens, x.rooks - y.rooks,
                        x.minors - y.minors, x.pawns - y.pawns);
}
// One more or one fewer piece of group g in a set index (0..287).
inline int16_t seeIndexPlusOne(int index, int g) {
    ASSERT(index >= 0 && index < SEE_SETS && g >= 0 && g < SEE_GROUPS);
    return seeIndexSteps.plusOne[g][index];
}
inline int16_t seeIndexMinusOne(int index, int g) {
    ASSERT(index >= 0 && index < SEE_SETS && g >= 0 && g < SEE_GROUPS);
    return seeIndexSteps.minusOne[g][index];
}
// The group of a piece code.
inline int seeGroupOfPiece(int piece) {
    return piece <= BPAWN    ? SG_PAWN
           : piece <= BISHOP ? SG_MINOR
           : piece == ROOK   ? SG_ROOK
           : piece == QUEEN  ? SG_QUEEN
                             : SG_KING;
}
// True when a set index holds a pawn.
inline bool seeIndexHasPawn(int index) { return splitSeeIndex(index).pawns > 0; }
