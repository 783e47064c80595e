// The speed entry: rates of the per-position work (attack analysis with move generation,
// evaluation with and without pawn-hash hits, clearing the hash tables) on the bench positions.
#include "control/bench.h"

#include "board/fen.h"
#include "board/position.h"
#include "control/control.h"
#include "control/timecontrol.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/search.h"
#include "search/tt.h"

#include <cstdio>

static constexpr int SPEED_ROUNDS = 2000;

// Rate per second of `count` operations that took `ms` milliseconds.
static double ratePerSecond(uint64_t count, int32_t ms) {
    return ms > 0 ? (double)count * 1000.0 / (double)ms : 0.0;
}

int runSpeed() {
    uint64_t generated_moves = 0, calls = 0;
    int32_t genMs = 0, hitMs = 0, missMs = 0;
    for (int i = 0; i < BENCH_POSITIONS; i++) {
        ply = 0;
        newGamePosition();
        if (!FENcheck(benchPositions[i]) || !setUpFEN(benchPositions[i]))
            return 1;
        classifyGamePhase();
        int32_t t = now();
        for (int r = 0; r < SPEED_ROUNDS; r++) {
            SEE();
            movgen(0, 0);
            generated_moves += (uint64_t)mvstore[1];
        }
        genMs += now() - t;
        SEE();
        t = now();
        for (int r = 0; r < SPEED_ROUNDS; r++)
            evaluate(0);
        hitMs += now() - t;
        t = now();
        for (int r = 0; r < SPEED_ROUNDS; r++) {
            pawnStore[pnhash[0] % PAWN_HASH_SIZE] = temp_pnstore; // force the structure scoring
            evaluate(0);
        }
        missMs += now() - t;
        calls += SPEED_ROUNDS;
    }
    std::printf("positions: %d, rounds: %d\n", BENCH_POSITIONS, SPEED_ROUNDS);
    std::printf("SEE+movgen: %.0f positions/s (%.0f moves/s)\n", ratePerSecond(calls, genMs),
                ratePerSecond(generated_moves, genMs));
    std::printf("evaluate, pawn-hash hit: %.0f/s\n", ratePerSecond(calls, hitMs));
    std::printf("evaluate, pawn-hash miss: %.0f/s\n", ratePerSecond(calls, missMs));
    const int32_t t = now();
    for (int r = 0; r < 10; r++)
        clearHashTables();
    std::printf("clearing the four transposition tables: %.1f ms\n", (now() - t) / 10.0);
    return 0;
}
