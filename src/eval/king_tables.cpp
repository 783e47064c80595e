// King-safety and king-exposure constant tables.
#include "eval/eval.h"

// clang-format off

// Danger added by the weighted set of pieces attacking the king zone, by the sum of
// e_table over the attacker bits (0..287), twelve sums per line.
const int8_t a_table[288] = {
     0,  0,  1,  3,  4,  5,  6,  7,  1,  1,  4,  4,  // 0-11
     6,  6,  8,  8,  3,  4,  5,  6,  7,  8,  9, 10,  // 12-23
     0,  1,  2,  3,  5,  5,  7,  7,  2,  2,  4,  5,  // 24-35
     6,  7,  8,  9,  4,  4,  6,  6,  8,  8, 10, 10,  // 36-47
     1,  2,  3,  4,  5,  6,  7,  8,  3,  3,  5,  5,  // 48-59
     7,  7,  9,  9,  4,  5,  6,  7,  9,  9, 10, 11,  // 60-71
     2,  2,  4,  4,  6,  6,  7,  8,  3,  4,  5,  6,  // 72-83
     7,  8,  9,  9,  5,  5,  7,  7,  9,  9, 11, 11,  // 84-95
     0,  0,  1,  3,  4,  5,  6,  7,  1,  2,  4,  4,  // 96-107
     6,  6,  8,  8,  3,  4,  5,  6,  7,  8,  9, 10,  // 108-119
     1,  1,  2,  3,  5,  5,  7,  7,  1,  2,  4,  5,  // 120-131
     6,  7,  8,  9,  4,  4,  6,  6,  8,  8, 10, 10,  // 132-143
     1,  2,  3,  4,  5,  6,  7,  8,  3,  3,  5,  5,  // 144-155
     7,  7,  9,  9,  4,  5,  6,  7,  8,  9, 10, 11,  // 156-167
     2,  3,  4,  5,  6,  7,  8,  9,  4,  4,  6,  6,  // 168-179
     8,  8, 10, 10,  5,  6,  7,  8,  9, 10, 11, 12,  // 180-191
     0,  1,  1,  3,  4,  5,  6,  7,  1,  2,  4,  4,  // 192-203
     6,  6,  8,  8,  3,  4,  5,  6,  7,  8,  9, 10,  // 204-215
     1,  1,  3,  4,  5,  6,  7,  8,  2,  3,  5,  5,  // 216-227
     7,  7,  9,  9,  4,  5,  6,  7,  8,  9, 10, 11,  // 228-239
     2,  2,  4,  4,  6,  6,  8,  8,  3,  4,  5,  6,  // 240-251
     7,  8,  9, 10,  5,  5,  7,  7,  9,  9, 11, 11,  // 252-263
     2,  3,  4,  5,  6,  7,  8,  9,  4,  4,  6,  6,  // 264-275
     8,  8, 10, 10,  5,  6,  7, 10,  9, 10, 11, 12,  // 276-287
};

// Danger value by danger count 0..35 (centipawns).
const int32_t b_table[36] = {
      0,   2,   4,   6,   8,  10,  15,  20,  25,  35,  45,  55,
     70,  85, 100, 125, 150, 175, 200, 225, 250, 275, 300, 325,
    350, 375, 400, 425, 450, 475, 500, 525, 550, 575, 600, 600,
};

// Starting danger count by the king's square, seen from White (Black reads flip[square]):
// the further the king stands from its home corner, the more it counts. Rank 8 first
// (square 0 = a8), files a..h.
const int8_t c_table[64] = {
    4, 4, 4, 4, 4, 4, 4, 4,
    4, 4, 4, 4, 4, 4, 4, 4,
    4, 4, 4, 4, 4, 4, 4, 4,
    4, 4, 4, 4, 4, 4, 4, 4,
    4, 4, 4, 4, 4, 4, 4, 4,
    4, 3, 3, 3, 3, 3, 3, 4,
    2, 1, 1, 1, 1, 1, 1, 2,
    2, 0, 0, 0, 0, 0, 0, 2,
};

// Zone class of the king's square, read at the real square for both colours: it chooses
// which neighbourhood of the king is examined (rank 8 first, square 0 = a8).
const int8_t d_table[64] = {
     6,  3,  3,  3,  3,  3,  3,  7,
     4,  1,  1,  1,  1,  1,  1, 11,
     4,  1,  1,  1,  1,  1,  1, 11,
     4,  1,  1,  1,  1,  1,  1, 11,
    10,  0,  0,  0,  0,  0,  0,  5,
    10,  0,  0,  0,  0,  0,  0,  5,
    10,  0,  0,  0,  0,  0,  0,  5,
     8,  2,  2,  2,  2,  2,  2,  9,
};

// Weight of each attacker bit of hangindex (bit 0 king, 1..3 queens, 4..5 rooks, 6..8 minor
// pieces, 9..10 pawns) in the sum that indexes a_table. The weights are shifted against the
// bits from the third minor piece on, so a second pawn adds nothing; a_table is laid out for
// exactly these sums (the largest is 263).
const int8_t e_table[11] = {1, 2, 2, 2, 8, 8, 24, 24, 96, 96, 0};

// Exposure class of the king's square: 0..4 White's home squares, 5..9 Black's (the
// mirror), 10 the middle of the board (rank 8 first, square 0 = a8).
const int8_t f_table[64] = {
     5,  5,  6,  7,  7,  8,  9,  9,
     5,  5,  6,  7,  7,  8,  9,  9,
    10, 10, 10, 10, 10, 10, 10, 10,
    10, 10, 10, 10, 10, 10, 10, 10,
    10, 10, 10, 10, 10, 10, 10, 10,
    10, 10, 10, 10, 10, 10, 10, 10,
     0,  0,  1,  2,  2,  3,  4,  4,
     0,  0,  1,  2,  2,  3,  4,  4,
};

// clang-format on
