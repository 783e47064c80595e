// Constant start-up data: set-index steps, exchange target values, the initial position and
// the hand-ranked king-nearness rows.
#include "board/setup.h"

// clang-format off

// Index step of one more king, queen, rook, minor piece, pawn (entry 0 unused).
const int8_t hang_root[6] = {0, 1, 2, 8, 24, 96};

// Exchange target classes queen, rook, minor piece, pawn in units of 10 centipawns.
const int8_t see_val[4] = {90, 51, 31, 10};

// The 64-entry tables below are laid out rank 8 first, one rank per line, files a to h
// (index 0 = a8, 63 = h1).

// Piece codes of the initial position (7 = empty).
const int8_t init_piece[64] = {
    4, 2, 3, 5, 6, 3, 2, 4,
    1, 1, 1, 1, 1, 1, 1, 1,
    7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7,
    0, 0, 0, 0, 0, 0, 0, 0,
    4, 2, 3, 5, 6, 3, 2, 4,
};

// Colour codes of the initial position (0 White, 1 Black, 7 empty).
const int8_t init_colour[64] = {
    1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1,
    7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
};

// Nearness ranks seen from a8, d5 and e4. These rows are tuned by hand: the king-and-pawn
// endgame terms read them for the corner and the centre, so their order inside a distance
// ring differs from the generic rule used for the other squares.
const int8_t kingposA8[64] = {
     0, 62, 59, 55, 50, 44, 37, 29,
    63, 61, 58, 54, 49, 43, 36, 28,
    60, 57, 53, 48, 42, 35, 27, 21,
    56, 52, 47, 41, 34, 26, 20, 15,
    51, 46, 40, 33, 25, 19, 14, 10,
    45, 39, 32, 24, 18, 13,  9,  6,
    38, 31, 23, 17, 12,  8,  5,  3,
    30, 22, 16, 11,  7,  4,  2,  1,
};

const int8_t kingposD5[64] = {
     8, 16, 28, 42, 29, 17,  9,  4,
    20, 32, 44, 54, 45, 33, 21, 12,
    36, 48, 56, 60, 57, 49, 37, 24,
    40, 52, 61,  0, 62, 53, 41, 26,
    38, 50, 58, 63, 59, 51, 39, 25,
    22, 34, 46, 55, 47, 35, 23, 13,
    10, 18, 30, 43, 31, 19, 11,  5,
     2,  6, 14, 27, 15,  7,  3,  1,
};

const int8_t kingposE4[64] = {
     1,  3,  7, 15, 27, 14,  6,  2,
     5, 11, 19, 31, 43, 30, 18, 10,
    13, 23, 35, 47, 55, 46, 34, 22,
    25, 39, 51, 59, 63, 58, 50, 38,
    26, 41, 53, 62,  0, 61, 52, 40,
    24, 37, 49, 57, 60, 56, 48, 36,
    12, 21, 33, 45, 54, 44, 32, 20,
     4,  9, 17, 29, 42, 28, 16,  8,
};

// clang-format on
