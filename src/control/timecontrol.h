// Time control: budgets per move, the clock and the in-search time check.
#pragma once

#include "board/board.h"

constexpr int32_t NO_TIME_LIMIT = 33554432;

extern tag_time normalTime;
extern TIMES ponderTime;
extern int32_t timeleft, opptimeleft, increment;
extern int8_t movesleft, movesPerTime;

// Milliseconds of a monotonic wall clock.
int32_t now();
// Sets the control from the "level" fields; returns the per-move budget or -1 (unchanged).
int32_t chk_time(const char *s, const char *b, const char *i);
// Per-move budget from the GUI's "time" report of the engine's clock in centiseconds.
void timeReport(int32_t centiseconds);
// Posts stop code 11 when the search's time is up.
void outOfTime();
