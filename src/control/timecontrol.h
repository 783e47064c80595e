// Time control: the "level" fields and the per-move budget from the GUI's clock reports.
#pragma once

#include "board/board.h"

// Widths of the "level" fields: moves per period, base time (M:SS), increment (seconds with
// up to three decimals). Longer words are refused.
constexpr unsigned LEVEL_MOVES_MAX = 3, LEVEL_BASE_MAX = 9, LEVEL_INCREMENT_MAX = 7;

extern int32_t timeleft, opptimeleft, increment;
extern int8_t movesleft, movesPerTime;
extern int32_t fixedMoveTime; // the fixed time per move of the "time" / "st" control

// Sets the control from the "level" fields; returns the per-move budget or -1 (unchanged).
int32_t chk_time(const char *s, const char *b, const char *i);
// Per-move budget from the GUI's "time" report of the engine's clock in centiseconds; never
// negative, and with the banked time never more than the clock minus a safety margin.
void timeReport(int32_t centiseconds);
// The budget from a clock given in milliseconds with each move (UCI "go wtime ..."): a
// conventional control when movesToGo > 0 (the moves left before the next control), else an
// incremental one that plans by the game's half-moves played. `overhead` milliseconds are
// kept back from the clock and from the budget; the safety of timeReport applies.
void clockBudget(int32_t clockMs, int32_t incrementMs, int32_t movesToGo, int32_t halfMoves,
                 int32_t overhead);
// A fixed time per move less `overhead` milliseconds (never below the smallest budget).
void moveTimeBudget(int32_t milliseconds, int32_t overhead);
// A fixed time per move in milliseconds (console "time", xboard "st"); drops banked time.
void setFixedTime(int32_t milliseconds);
// After a search that ended at its depth limit: banks the rest of the budget for the next
// move under a clock, and nothing without one.
void bankUnusedTime();
