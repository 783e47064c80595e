// Game actions shared by the front ends and the stop codes: typed moves, the end of a game by
// command, and leaving the program.
#include "control/game.h"

#include "board/makemove.h"
#include "book/book.h"
#include "control/console.h"
#include "control/control.h"
#include "control/movetext.h"
#include "movegen/movegen.h"
#include "search/search.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

void generateRootMoves() {
    ply = 0;
    SEE();
    movgen(0, 0);
}

void playSideToMove() {
    gameFlags = (uint8_t)((gameFlags & ~GF_ENGINE_WHITE) | (whiteToMove() ? GF_ENGINE_WHITE : 0));
}

int16_t enterTypedMove(const char *text) {
    ASSERT(!isSearchPolling());
    generateRootMoves();
    saveEntryPosition();
    return checkMove(text, 0);
}

// Matched against the list saved when pondering started, on the position saved then.
static bool isPredictedReply(int16_t index) {
    const move_list &m = ponderStack[index];
    return m.from == savedPonderPV.from && m.to == savedPonderPV.to &&
           m.promote == savedPonderPV.promote;
}

bool answerPredictedReply(const char *text) {
    const int16_t i = checkMove(text, 1);
    if (i < 0)
        return false;
    const bool hit = isPredictedReply(i);
    if (searchFlags & SF_PONDERING) {
        saveChoice = i;
        stopSearch = hit ? 12 : 10;
        return true;
    }
    searchFlags &= 0x40;
    timeFlags &= (uint8_t)~TF_KEEP_HASH;
    if (!hit) {
        saveChoice = i;
        stopSearch = 10;
        timeFlags &= 0x0F;
        return true;
    }
    const bool console = !(gameFlags & GF_XBOARD);
    if (console)
        print_board(0);
    const bool deep = (timeFlags & TF_PONDER_DEEP) != 0;
    // The GUI gets the finished ponder search's line on every hit, the console when the
    // move is played at once.
    if ((detectionFlags & DF_POST) && searchDepth > 0 && (deep || !console))
        pvline(searchDepth, best_score[searchDepth], 0, 1, 1);
    if (deep) {
        stopSearch = 1; // the ponder search went deep enough: its move is played at once
        if (timeFlags & TF_PONDER_PV2)
            searchFlags |= SF_PONDER_MOVE;
    } else {
        stopSearch = 8;
        timeFlags = (uint8_t)((timeFlags & 0x0F) | TF_KEEP_HASH);
    }
    return true;
}

int16_t findRootMove(const move_list &m) {
    for (int i = 0; i < mvstore[1] && i < MAX_MOVES; i++) {
        const move_list &c = searchData[0][i];
        if (c.from == m.from && c.to == m.to && c.promote == m.promote)
            return (int16_t)i;
    }
    return -1;
}

void playRootMove(int16_t index) {
    ASSERT(index >= 0 && index < mvstore[1]);
    ply = 0;
    mvstack(&searchData[0][index], index);
    makeOppMove(searchData[0][index], index);
}

void endGameFlags() { gameFlags = (uint8_t)((gameFlags & (0x82 | GF_WHITE_TO_MOVE)) | GF_NO_GAME); }

int32_t commandStopCode(const char *word, const char *endWord) {
    static const struct {
        const char *word;
        int32_t code;
    } codes[] = {{"new", 5}, {"force", 6}, {"undo", 17}, {"remove", 18}};
    if (!std::strcmp(word, endWord))
        return 2;
    for (const auto &c : codes)
        if (!std::strcmp(word, c.word))
            return c.code;
    return 0;
}

bool isDrawAcceptable() {
    return allmoves > 20 && searchDepth > 1 && best_score[searchDepth - 1] < 50;
}

bool isThinkingOnOwnMove() { return isSearchPolling() && !(searchFlags & SF_PONDERING); }

bool searchHasLimit() {
    return (timeFlags & (TF_CONVENTIONAL | TF_INCREMENTAL | TF_FIXED_TIME)) != 0 || s_depth < 30;
}
