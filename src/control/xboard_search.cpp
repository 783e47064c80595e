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

static void userMove(const char *line) {
    const char *move = restOfLine(line, "usermove");
    std::snprintf(inputBuffer, sizeof inputBuffer, "%s", line);
    if (searchFlags & (SF_PONDERING | SF_PONDER_MOVE_MADE)) {
        if (!answerPredictedReply(move))
            refuseMove(move);
        return;
    }
    if (isSearchPolling()) {
        refuseMove(move); // the engine is thinking on its own move: not the opponent's turn
        return;
    }
    const int16_t i = positionRefused ? -1 : enterTypedMove(move);
    if (i < 0) {
        refuseMove(move);
        return;
    }
    saveChoice = i;
    stopSearch = 15;
}

// "draw": accepted late in a game the engine does not expect to win.
static void drawOffer() {
    if (isDrawAcceptable()) {
        std::printf("offer draw\n");
        stopSearch = 3;
    }
}

// "playother": the engine takes the side not to move. While it pondered or waited it played
// that side already; thinking on its own move, it stops without a move and changes sides.
static void playOther(const char *line) {
    if (searchFlags & (SF_PONDERING | SF_PONDER_MOVE_MADE))
        return;
    if (isThinkingOnOwnMove()) {
        stopSearch = 6;
        deferLine(line);
        return;
    }
    xboardPlayOther();
}

static void searchLine(char *line) {
    char word[32];
    firstWord(line, word, sizeof word);
    if (word[0] == '\0')
        return;
    if (!std::strcmp(word, "quit"))
        quitEngine();
    const int32_t code = commandStopCode(word, "result");
    if (code > 0)
        stopSearch = code;
    else if (!std::strcmp(word, "draw"))
        drawOffer();
    else if (!std::strcmp(word, "?")) {
        if (isThinkingOnOwnMove())
            stopSearch = 14; // move now; nothing to hurry while pondering or waiting
    } else if (!std::strcmp(word, "usermove"))
        userMove(line);
    else if (!std::strcmp(word, "go")) {
        // The engine already plays; waiting for a move it takes the side to move instead.
        if (!isSearchPolling() && !(searchFlags & SF_PONDER_MOVE_MADE))
            xboardGo();
    } else if (!std::strcmp(word, "playother")) {
        playOther(line);
    } else if (!std::strcmp(word, "setboard")) {
        stopSearch = 6; // a new position is set up in force mode, as the GUI expects
        deferLine(line);
    } else if (!std::strcmp(word, "analyze")) {
        stopSearch = 6; // force mode first: a predicted reply comes off the board
        startAnalysis();
    } else if (!std::strcmp(word, "easy")) {
        searchFlags &= (uint8_t)~SF_PONDER_ON;
        if (searchFlags & (SF_PONDERING | SF_PONDER_MOVE_MADE))
            stopSearch = 13; // stop pondering: the predicted reply comes off the board
    } else {
        answerSetting(word, line); // errors are answered; the search and the game go on
    }
}

void pollInputSearch() {
    if (!isSearchPolling())
        applyGrantedMemory(); // the engine waits for the opponent's move: no search runs
    if (!inputWaiting() && !inputEnded())
        return;
    char head[256], word[16]; // a whole line: blanks before the word do not hide it
    if (!peekInputLine(head, sizeof head)) {
        if (!inputEnded())
            return; // the rest of the line is on its way
    } else {
        firstWord(head, word, sizeof word);
        if (!std::strcmp(word, "setboard")) {
            // A new position ends the engine's play: force mode (stop code 6) takes a
            // predicted reply back and stops a running search; the line stays unread, and the
            // passive handler sets the position up once the search has unwound.
            stopSearch = 6;
            return;
        }
    }
    char line[256];
    if (!readInputLine(line, sizeof line))
        quitEngine(); // the GUI has gone
    inputBuffer[0] = '\0';
    searchLine(line);
}
