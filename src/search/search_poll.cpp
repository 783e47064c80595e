// The search's polls: the clock every 256 nodes, waiting input at every move, ponder hits.
#include "search/search.h"

#include "control/console.h"
#include "control/control.h"
#include "control/movetext.h"
#include "control/timecontrol.h"
#include "search/search_internal.h"

#include <cstdio>

void reportLine(int32_t value) {
    if (isConsoleMode())
        moveline(nodes, value, ply);
}

// Every 256 nodes the clock is read. A ponder search that runs out of its fixed time keeps
// its result when it went deep enough (code 9) and is abandoned otherwise (code 13).
bool pollClock() {
    if ((nodes & 255) != 0)
        return stopSearch > 0;
    outOfTime();
    if (stopSearch == 11 && (searchFlags & SF_PONDERING)) {
        searchFlags &= (uint8_t)~SF_PONDERING;
        if (timeFlags & TF_PONDER_DEEP) {
            stopSearch = 9;
            searchFlags |= SF_PONDER_MOVE;
        } else {
            stopSearch = 13;
        }
    }
    return stopSearch > 0;
}

// The value a normal search gives a move interrupted by input: in the first iterations the
// score of the last finished one (there may be no better), later alpha.
static int32_t interruptedValue(int16_t &alpha) {
    if (searchDepth < 3) {
        alpha = clampScore(best_score[searchDepth - 1]);
        return alpha;
    }
    return alpha;
}

// A ponder hit turns the ponder clock into the normal clock: the time already thought counts
// for the current iteration, and the move is played at once when the next iteration could
// not finish in the budget.
static bool ponderHitContinues(int16_t &alpha, int32_t &value) {
    const int32_t t = now();
    ponderTime.timeCheck = t;
    ponderTime.thisIteration = t - ponderTime.startTime - ponderTime.lastTime;
    normalTime.stopTime = t + normalTime.searchTime + normalTime.savedTime;
    normalTime.startTime = t;
    normalTime.thisIteration = ponderTime.thisIteration;
    const int64_t predicted =
        (int64_t)t + 6 * (int64_t)ponderTime.iterationTime - ponderTime.thisIteration;
    bool decided = false;
    if (normalTime.stopTime < predicted) {
        normalTime.savedTime = normalTime.stopTime - t;
        if (timeFlags & TF_PONDER_DEEP)
            searchFlags |= SF_PONDER_MOVE;
        stopSearch = 11;
        value = alpha;
        decided = true;
    } else {
        if (isConsoleMode()) {
            print_board(1);
            std::printf("\n");
        }
        searchFlags &= (uint8_t)(SF_SEARCH_START | SF_NULL_SEARCH | SF_NEED_QUIESCE | SF_PONDER_ON);
        if (timeFlags & TF_PONDER_DEEP)
            searchFlags |= SF_PONDER_MOVE;
        stopSearch = 0;
    }
    pvline(searchDepth - 1, best_score[searchDepth - 1], 0, nodes, 1);
    return decided;
}

bool pollInput(int16_t &alpha, int32_t &value) {
    if (stopSearch != 0)
        return false;
    searchInputPoll();
    if (stopSearch <= 0)
        return false;
    if (!(searchFlags & SF_PONDERING)) {
        value = interruptedValue(alpha);
        return true;
    }
    searchFlags &= (uint8_t)~SF_PONDERING;
    if (detectionFlags & DF_POST)
        detectionFlags |= DF_SHOW_PV;
    if (stopSearch == 12) {
        if (searchDepth == 1) {
            // The search restarts as a normal one with a fresh budget.
            stopSearch = 16;
            value = best_score[0];
            return true;
        }
        return ponderHitContinues(alpha, value);
    }
    searchFlags &= (uint8_t) ~(SF_PONDERING | SF_PONDER_MOVE | SF_PONDER_WHITE);
    value = interruptedValue(alpha);
    if (isConsoleMode())
        std::printf("\n");
    return true;
}
