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
// A fixed time per move in milliseconds (console "time", xboard "st"); drops banked time.
void setFixedTime(int32_t milliseconds);
// After a search that ended at its depth limit: banks the rest of the budget for the next
// move under a clock, and nothing without one.
void bankUnusedTime();
