// Time control: the "level" fields and the per-move budget from the GUI's clock reports.
#pragma once

#include "board/board.h"

extern int32_t timeleft, opptimeleft, increment;
extern int8_t movesleft, movesPerTime;

// Sets the control from the "level" fields; returns the per-move budget or -1 (unchanged).
int32_t chk_time(const char *s, const char *b, const char *i);
// Per-move budget from the GUI's "time" report of the engine's clock in centiseconds.
void timeReport(int32_t centiseconds);
