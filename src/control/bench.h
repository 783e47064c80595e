// Bench positions and the bench run whose node count is the search's behaviour signature.
#pragma once

constexpr int BENCH_POSITIONS = 49;
constexpr int BENCH_DEFAULT_DEPTH = 8; // about 20 M nodes: 10 to 20 s in the release build here

extern const char *const benchPositions[BENCH_POSITIONS];

// Searches every bench position to `depth` with fresh tables, prints one line per position and
// the total "bench: N nodes, T ms, S nps". Returns 0, or 1 if a position was refused.
int runBench(int depth);
// Prints the rates of move generation, evaluation and table clearing (the speed entry).
int runSpeed();
