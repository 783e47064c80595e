// Game actions shared by the front ends and the stop codes: typed moves, the end of a game by
// command, and leaving the program.
#include "control/game.h"

#include "board/makemove.h"
#include "book/book.h"
#include "control/control.h"
#include "control/movetext.h"
#include "movegen/movegen.h"
#include "search/search.h"

#include <cstdio>
#include <cstdlib>

void quitEngine() {
    close_book();
    std::fflush(stdout);
    std::exit(0);
}

// A typed move is read on the position the user saw: the game position at ply 0.
static void saveEntryPosition() {
    sideBoards = boards[0];
    savedSquares = squares[0];
    gameFlags = (uint8_t)((gameFlags & ~GF_ENTRY_WHITE) | (whiteToMove() ? GF_ENTRY_WHITE : 0));
}

int16_t enterTypedMove(const char *text) {
    ASSERT(!isSearchPolling());
    ply = 0;
    SEE();
    movgen(0, 0);
    saveEntryPosition();
    return checkMove(text, 0);
}

int16_t enterPonderReply(const char *text) { return checkMove(text, 1); }

bool isPredictedReply(int16_t index) {
    const move_list &m = ponderStack[index];
    return m.from == savedPonderPV.from && m.to == savedPonderPV.to &&
           m.promote == savedPonderPV.promote;
}

void playRootMove(int16_t index) {
    ASSERT(index >= 0 && index < mvstore[1]);
    ply = 0;
    mvstack(&searchData[0][index], index);
    makeOppMove(searchData[0][index], index);
}

void endGameFlags() { gameFlags = (uint8_t)((gameFlags & (0x82 | GF_WHITE_TO_MOVE)) | GF_NO_GAME); }

bool isThinkingOnOwnMove() { return isSearchPolling() && !(searchFlags & SF_PONDERING); }

bool searchHasLimit() {
    return (timeFlags & (TF_CONVENTIONAL | TF_INCREMENTAL | TF_FIXED_TIME)) != 0 || s_depth < 30;
}
