// The test-suite runner of the command line.
#pragma once

#include <cstdint>

// Searches every position of the EPD file for `ms` milliseconds and prints one line per
// position (solved or missed, the move played, the expected moves) and "solved N/M".
int runEPD(const char *path, int32_t ms);
