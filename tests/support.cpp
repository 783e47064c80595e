// Shared helpers of the unit tests.
#include "support.h"

#include "board/fen.h"
#include "board/position.h"
#include "board/setup.h"
#include "control/control.h"
#include "control/timecontrol.h"
#include "search/search.h"

void ensureSetup() {
    static bool done = false;
    if (!done) {
        setup();
        done = true;
    }
    ply = 0;
    newGamePosition();
}

bool setupFEN(const char *fen) {
    ensureSetup();
    ply = 0;
    if (!FENcheck(fen))
        return false;
    return setUpFEN(fen) != 0;
}

void prepareSearch(int depth) {
    gameFlags &= (uint8_t) ~(GF_BOOK_ON | GF_IN_BOOK | GF_NO_GAME | GF_XBOARD);
    searchFlags = 0;
    detectionFlags = 0;
    timeFlags = TF_FIXED_DEPTH;
    s_depth = (int8_t)depth;
    normalTime.searchTime = NO_TIME_LIMIT;
    normalTime.savedTime = 0;
    searchPollEnabled = false;
    drawReference = 0;
    ply = 0;
}

bool searchFEN(const char *fen, int depth) {
    if (!setupFEN(fen))
        return false;
    prepareSearch(depth);
    search();
    return true;
}
