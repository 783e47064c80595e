// Constant tables of the search: depth limits, margins, reductions and the first-move table.
#include "search/search.h"

// clang-format off

// Indexed by the iteration depth searchDepth (0..31), 16 entries per line.

// Plies of check, recapture and pawn extensions allowed along one line: a few in the middle
// iterations, none in the deepest ones where the tree is already large.
const int8_t max_extn[32] = {
    0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 5, 5, 5, 4, 3,
    2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

// Deepest ply of the full-width search; beyond it a line is cut to the horizon.
const int8_t ABSearchDepth[32] = {
    0, 2,  3,  5,  6,  8,  9,  12, 13, 15, 16, 17, 18, 19, 19, 19,
    18, 18, 18, 19, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20,
};

// Deepest ply of the quiescence search (also read by the ply at which quiescence began).
const int8_t schdth[32] = {
    0,  12, 13, 17, 18, 20, 21, 24, 25, 26, 27, 28, 29, 30, 30, 30,
    30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30,
};

// Indexed by ply: how much each ply narrows the material window of the recapture extension.
const int32_t recapture[32] = {
    0, 0, 50, 50, 50, 50, 25, 25, 25, 25, 0, 0, 0, 0, 0, 0,
    0, 0, 0,  0,  0,  0,  0,  0,  0,  0,  0, 0, 0, 0, 0, 0,
};

// Indexed by the remaining depth: safety margin of the threat reductions and pruning.
const int32_t reduceMargin[32] = {
    0,  0,  10, 15, 20, 25, 25, 25, 25, 25, 25, 25, 25, 25, 25, 25,
    25, 25, 25, 25, 25, 25, 25, 25, 25, 25, 25, 25, 25, 25, 25, 25,
};

// Indexed by the remaining depth: how far below alpha a move must stand to lose one ply.
const int32_t winTable[32] = {
    0,    0,    0,    500,  500,  700,  700,  900,  900,  1500, 1500, 1500, 1500, 1500, 1500, 1500,
    1500, 1500, 1500, 1500, 1500, 1500, 1500, 1500, 1500, 1500, 1500, 1500, 1500, 1500, 1500, 1500,
};

// [gameState][ply]: depth reduction of the null-move test. No null move in the opening,
// where zugzwang is unknown but the test costs more than it saves.
const int8_t nullR[3][32] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
     0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 0, 1, 1, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3,
     3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3},
    {0, 0, 0, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
     2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2},
};

// [gameState][nominal depth]: deepest ply at which a threatened piece still gets a
// null-move test; deeper, the threat prunes directly.
const int8_t n_moveTable[3][32] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
     0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 1, 1, 1, 2,  2,  3,  3,  3,  4,  4,  5,  5,  6,  6,  7,
     8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23},
    {0,  1,  1,  1,  2,  2,  3,  3,  4,  5,  6,  7,  8,  9,  10, 11,
     12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 0},
};

// [gameState][searchDepth]: remaining depth up to which a threatened piece may reduce.
const int8_t reduceLimits[3][32] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
     0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 1, 1, 1, 2, 2, 3, 3, 3, 4, 4, 5, 5, 6, 6, 7,
     8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8},
    {0, 1, 1, 1, 2, 2, 3, 3, 3, 4, 4, 4, 4, 4, 4, 4,
     4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4},
};

// The engine's first move of a game, chosen by the clock: ranks among the moves of the
// initial position as the generator orders them (0 e4, 1 d4, 2 Nf3, 4 c4), so that 1.e4 comes
// 12 times in 30, 1.d4 11, 1.c4 5 and 1.Nf3 2: variety without a book lookup.
const int32_t openingMove[30] = {
    1, 0, 1, 0, 1, 2, 0, 4, 1, 1, 0, 0, 0, 1, 4,
    0, 0, 1, 1, 0, 4, 0, 4, 0, 0, 1, 1, 4, 2, 1,
};

// clang-format on
