// Command-line entries for tools, tests and benchmarks: perft, eval, search, movetime, bench.
#pragma once

// Runs the entry named by argv[1]; returns the process exit status, or -1 when argv[1] names
// no entry.
int runCommandLine(int argc, char **argv);

#include <cstdint>

// Sets the flags of an engine thinking alone (no book, no input polling, thinking lines on):
// to a fixed depth, or for a fixed time when milliseconds > 0.
void prepareToolSearch(int depth, int32_t milliseconds);
