// Principal variation: the triangular line table and following the old line past the horizon.
#include "search/search.h"

#include "board/makemove.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/search_internal.h"
#include "search/tt.h"

move_list pv[MAX_PLY][MAX_PLY];
int8_t pvlen[MAX_PLY];
const move_list temp_pv = {0, 0, 0, 0, 0, 0, 0, 0};

// The best line from ply becomes m followed by the best line found from ply + 1.
void updatePV(const move_list &m) {
    ASSERT(ply >= 0 && ply < MAX_PLY - 1);
    pv[ply][ply] = m;
    const int end = pvlen[ply + 1] > MAX_PLY ? MAX_PLY : pvlen[ply + 1];
    for (int i = ply + 1; i < end; i++)
        pv[ply][i] = pv[ply + 1][i];
    pvlen[ply] = (int8_t)(end > ply + 1 ? end : ply + 1);
}

// Follows the previous iteration's line beyond the horizon by its hash moves: makes the
// first move of the position at ply (the hash move, ordered first), and scores the result by
// the next stored line position or by its static score. Only that one move is tried and
// there is no beta test: the line is already known to be the best one.
int16_t PVmoveLine(int16_t alpha, int16_t beta) {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    if (ply >= MAX_PLY - 1)
        return alpha; // no room to make another move
    SEE();
    generateSearchMoves(0, 0);
    if (mvstore[ply + 1] == 0)
        return alpha;
    move_list &m = orderedMove(0);
    currentline[ply] = m;
    mvstack(&m, 0);
    ply++;
    gameFlags ^= GF_WHITE_TO_MOVE;
    const int16_t r = probePVline();
    pvlen[ply] = ply;
    int32_t value;
    if (moveStack[ply].exactScored == HASH_NO_ENTRY) {
        // The line position is no longer in the table: its static score is computed here
        // rather than taken from a cached value that belongs to another position.
        SEE();
        moveStack[ply].exactScored = clampScore(evaluateAtPly(0));
        value = -moveStack[ply].exactScored;
    } else if (r == HASH_NO_ENTRY || ply >= PVdeep) {
        value = -moveStack[ply].exactScored;
    } else {
        value = -PVmoveLine((int16_t)-beta, (int16_t)-alpha);
    }
    gameFlags ^= GF_WHITE_TO_MOVE;
    reportLine(value);
    ply--;
    if (value > alpha) {
        alpha = clampScore(value);
        updatePV(m);
        depthFlags[ply] |= DPF_ALPHA_RAISED;
    }
    return alpha;
}
