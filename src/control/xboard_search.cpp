// xboard front end while the engine is active: searching, pondering, or waiting for the
// opponent's move. Commands that change the game only post a stop code; the search unwinds
// and the main loop executes it.
#include "control/xboard.h"

#include "control/control.h"
#include "control/game.h"
#include "control/io.h"
#include "control/movetext.h"
#include "search/search.h"

#include <cstdio>
#include <cstring>

// The opponent's move while the predicted reply stands on the board: during the ponder
// search (hit or miss at once), or after it finished deep (the flags are reset here).
static void moveAgainstPrediction(const char *move) {
    const int16_t i = enterPonderReply(move);
    if (i < 0) {
        refuseMove(move);
        return;
    }
    if (searchFlags & SF_PONDERING) {
        if (isPredictedReply(i)) {
            stopSearch = 12;
        } else {
            saveChoice = i;
            stopSearch = 10;
        }
        return;
    }
    searchFlags &= 0x40;
    timeFlags &= (uint8_t)~TF_KEEP_HASH;
    if (!isPredictedReply(i)) {
        saveChoice = i;
        stopSearch = 10;
        timeFlags &= 0x0F;
        return;
    }
    if ((detectionFlags & DF_POST) && searchDepth > 0)
        pvline(searchDepth, best_score[searchDepth], 0, 1, 1);
    if (timeFlags & TF_PONDER_DEEP) {
        stopSearch = 1; // the ponder search went deep enough: its move is played at once
        if (timeFlags & TF_PONDER_PV2)
            searchFlags |= SF_PONDER_MOVE;
    } else {
        stopSearch = 8;
        timeFlags = (uint8_t)((timeFlags & 0x0F) | TF_KEEP_HASH);
    }
}

static void userMove(const char *line) {
    const char *move = restOfLine(line, "usermove");
    std::snprintf(inputBuffer, sizeof inputBuffer, "%s", line);
    if (searchFlags & (SF_PONDERING | SF_PONDER_MOVE_MADE)) {
        moveAgainstPrediction(move);
        return;
    }
    if (isSearchPolling()) {
        refuseMove(move); // the engine is thinking on its own move: not the opponent's turn
        return;
    }
    const int16_t i = enterTypedMove(move);
    if (i < 0) {
        refuseMove(move);
        return;
    }
    saveChoice = i;
    stopSearch = 15;
}

// "draw": accepted late in a game the engine does not expect to win.
static void drawOffer() {
    if (allmoves > 20 && searchDepth > 1 && best_score[searchDepth - 1] < 50) {
        std::printf("offer draw\n");
        stopSearch = 3;
    }
}

static void searchLine(char *line) {
    char word[32];
    firstWord(line, word, sizeof word);
    if (word[0] == '\0')
        return;
    if (!std::strcmp(word, "quit"))
        quitEngine();
    if (!std::strcmp(word, "new"))
        stopSearch = 5;
    else if (!std::strcmp(word, "force"))
        stopSearch = 6;
    else if (!std::strcmp(word, "result"))
        stopSearch = 2;
    else if (!std::strcmp(word, "draw"))
        drawOffer();
    else if (!std::strcmp(word, "?")) {
        if (isThinkingOnOwnMove())
            stopSearch = 14; // move now; nothing to hurry while pondering or waiting
    } else if (!std::strcmp(word, "usermove"))
        userMove(line);
    else if (!std::strcmp(word, "undo"))
        stopSearch = 17;
    else if (!std::strcmp(word, "remove"))
        stopSearch = 18;
    else if (!std::strcmp(word, "easy")) {
        searchFlags &= (uint8_t)~SF_PONDER_ON;
        if (searchFlags & (SF_PONDERING | SF_PONDER_MOVE_MADE))
            stopSearch = 13; // stop pondering: the predicted reply comes off the board
    } else if (xboardSetting(word, line) != xbSetting::DONE) {
        std::printf("Invalid command %s\n", line);
        stopSearch = 4;
    }
}

void pollInputSearch() {
    if (!inputWaiting() && !inputEnded())
        return;
    char line[256];
    if (!readInputLine(line, sizeof line))
        quitEngine(); // the GUI has gone
    inputBuffer[0] = '\0';
    searchLine(line);
}
