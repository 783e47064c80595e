// Helpers shared by the alpha-beta search, the quiescence search and the principal variation.
#pragma once

#include "board/board.h"
#include "search/search.h"
#include "search/tt.h"

constexpr int16_t FULL_WINDOW = 10001; // the window sentinels +-10001
constexpr int16_t MATE_SCORE = 10000;  // mate at the root; one less per ply
constexpr int16_t MATE_BOUND = 9959;   // beyond +-9959 a score is a mate score
constexpr int16_t EVAL_MATED = -10000; // what evaluate returns for a checkmated side to move

// 1 when the last evaluate() of the position at that ply found the side to move stalemated.
// The evaluation's own flag is a single scratch value that any later evaluation overwrites,
// so the search keeps the answer per ply and trusts it only for the ply that was evaluated.
extern int8_t evalStalemate[MAX_PLY];

// The score of a drawn position at ply p for its side to move. A draw is scored from the
// engine's own view, the side to move at the root: `drawn` for it and the negation for its
// opponent, whoever brings the draw about, so that the engine never counts on the opponent's
// perpetual check as good for itself.
inline int16_t drawValueAt(int p) { return (int16_t)((p & 1) ? -drawn : drawn); }
// A repeated position is a draw at its first repetition, whether it repeats one of the line
// searched or one of the game since the last irreversible move: a side that can repeat once
// can repeat again.
inline bool isRepetitionDraw(const move_tag &c) { return c.repetitions > 1; }

// Narrows a score computed in 32 bits to the 16-bit score type without wrapping.
inline int16_t clampScore(int32_t v) {
    return (int16_t)(v > 32000 ? 32000 : (v < -32000 ? -32000 : v));
}

// True for a static score a child's score can be estimated from: not a table code, and no
// mate that a table entry carried into the position's record (a mate is no material balance).
inline bool isStaticScore(int32_t s) {
    return s >= -MATE_BOUND && s <= MATE_BOUND && s != HASH_NO_ENTRY && s != HASH_UNUSABLE;
}
// A table indexed by a remaining or nominal depth has 32 entries; extensions can carry the
// depth past them, where the last entry stands for every deeper value.
inline int depthIndex(int d) { return d < 0 ? 0 : (d > MAX_PLY - 1 ? MAX_PLY - 1 : d); }
// True when both window ends are the full-window sentinels or lie strictly inside +-bound.
inline bool windowInside(int32_t alpha, int32_t beta, int32_t bound) {
    const bool a =
        alpha == -FULL_WINDOW || alpha == FULL_WINDOW || (alpha > -bound && alpha < bound);
    const bool b = beta == -FULL_WINDOW || beta == FULL_WINDOW || (beta > -bound && beta < bound);
    return a && b;
}
// Material-and-placement balance of the position at p seen by White (white true) or Black.
inline int32_t balanceAt(int p, bool white) {
    return white ? LEwh[p] - LEbl[p] : LEbl[p] - LEwh[p];
}
inline bool inCheckAt(int p) { return (depthFlags[p] & DPF_IN_CHECK) != 0; }

// Evaluates the position at ply (SEE must have run) and remembers its stalemate answer.
int32_t evaluateAtPly(int8_t kingSafetyDone);
// Copies the line found below ply + 1 behind move m into the row of ply.
void updatePV(const move_list &m);
// History, mate killer and the two killers of ply after a beta cutoff by m at this depth.
void updateKillers(const move_list &m, int32_t value, int depth);
// Time check every 256 nodes; true when the search must unwind.
bool pollClock();
// Input poll at a made move; true when the move's value was decided by the input (value set).
bool pollInput(int16_t &alpha, int32_t &value);
// Root moves a search leaves out: those of the better lines already found (MultiPV).
extern move_list rootExcluded[MULTIPV_MOST];
extern int8_t rootExcludedCount;
inline bool isRootExcluded(const move_list &m) {
    for (int k = 0; k < rootExcludedCount; k++)
        if (rootExcluded[k].from == m.from && rootExcluded[k].to == m.to &&
            rootExcluded[k].promote == m.promote)
            return true;
    return false;
}
// Hands one event to the front end, if one is installed.
void reportToFrontEnd(int8_t kind, int32_t depth, int32_t score, int32_t millis, uint64_t count,
                      int8_t ponderLine, int8_t multipv = 0);
// Full-analysis output of the line searched down to ply, with its value.
void reportLine(int32_t value);
