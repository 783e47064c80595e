// The bench run: a fixed list of positions searched to a fixed depth from fresh tables.
#include "control/bench.h"

#include "board/fen.h"
#include "board/position.h"
#include "control/cli.h"
#include "control/control.h"
#include "control/movetext.h"
#include "control/timecontrol.h"
#include "search/search.h"

#include <cstdio>

int runBench(int depth) {
    uint64_t total = 0;
    const int32_t start = now();
    for (int i = 0; i < BENCH_POSITIONS; i++) {
        ply = 0;
        newGamePosition(); // every position starts from empty tables and no killers
        if (!FENcheck(benchPositions[i]) || !setUpFEN(benchPositions[i])) {
            std::printf("bench position %d refused: %s\n", i + 1, benchPositions[i]);
            return 1;
        }
        prepareToolSearch(depth, 0);
        detectionFlags = 0; // no thinking lines: one summary line per position
        search();
        total += nodes;
        std::printf("%2d %-72s %10llu nodes  move %s\n", i + 1, benchPositions[i],
                    (unsigned long long)nodes, sanstring(movePV));
    }
    const int32_t elapsed = now() - start;
    const unsigned long long nps =
        elapsed > 0 ? (unsigned long long)(total * 1000 / (uint64_t)elapsed) : 0;
    std::printf("bench: %llu nodes, %d ms, %llu nps\n", (unsigned long long)total, elapsed, nps);
    return 0;
}
