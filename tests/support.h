// Shared helpers of the unit tests: one-time table set-up and FEN positions.
#pragma once

#include "board/board.h"

// Builds the start-up tables once per test binary and puts the start position at ply 0.
void ensureSetup();
// Sets up a FEN position at ply 0 through FENcheck and FENpos; false if refused.
bool setupFEN(const char *fen);
