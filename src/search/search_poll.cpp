// The search's polls: the clock every 256 nodes, waiting input at every move, ponder hits.
#include "search/search.h"

#include "search/search_internal.h"

frontEndHooks frontEnd = {nullptr, nullptr, nullptr};

void reportToFrontEnd(int8_t kind, int32_t depth, int32_t score, int32_t millis, uint64_t count,
                      int8_t ponderLine, int8_t multipv) {
    if (!frontEnd.report)
        return;
    searchReport r;
    r.kind = kind;
    r.ponderLine = ponderLine;
    r.multipv = multipv;
    r.depth = depth;
    r.score = score;
    r.millis = millis;
    r.nodes = count;
    frontEnd.report(r);
}

void reportLine(int32_t value) { reportToFrontEnd(REPORT_LINE_SEARCHED, ply, value, 0, nodes, 0); }

// Checked every 256 nodes. A ponder search has no clock of its own except under a fixed
// time per move. The comparison is signed: a budget already overdrawn (a stop time in the
// past, even before the clock's origin) must stop the search, not wrap into the far future.
void outOfTime() {
    const int32_t t = now();
    if (!(searchFlags & SF_PONDERING)) {
        if (t >= normalTime.stopTime)
            stopSearch = 11;
    } else if ((timeFlags & TF_FIXED_TIME) && t >= ponderTime.stopTime) {
        stopSearch = 11;
    }
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
    setSearchDeadlines(t);
    normalTime.startTime = t;
    normalTime.thisIteration = ponderTime.thisIteration;
    const int64_t predicted =
        (int64_t)t + predictNextIteration(ponderTime.iterationTime) - ponderTime.thisIteration;
    bool decided = false;
    if (normalTime.stopTime < predicted) {
        normalTime.savedTime = normalTime.stopTime - t;
        if (timeFlags & TF_PONDER_DEEP)
            searchFlags |= SF_PONDER_MOVE;
        stopSearch = 11;
        value = alpha;
        decided = true;
    } else {
        reportToFrontEnd(REPORT_PONDER_HIT, searchDepth, 0, 0, nodes, 0);
        searchFlags &= (uint8_t)(SF_SEARCH_START | SF_NULL_SEARCH | SF_NEED_QUIESCE | SF_PONDER_ON);
        if (timeFlags & TF_PONDER_DEEP)
            searchFlags |= SF_PONDER_MOVE;
        stopSearch = 0;
    }
    reportToFrontEnd(REPORT_THINKING, searchDepth - 1, best_score[searchDepth - 1], 0, nodes, 1);
    return decided;
}

bool pollInput(int16_t &alpha, int32_t &value) {
    if (stopSearch != 0)
        return false;
    if (frontEnd.readInput)
        frontEnd.readInput();
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
    reportToFrontEnd(REPORT_PONDER_ENDED, searchDepth, 0, 0, nodes, 0);
    return true;
}
