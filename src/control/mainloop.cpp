// The main loop: on every pass the engine searches its own move, ponders on the opponent's
// time, or reads input from the console or the GUI.
#include "control/game.h"

#include "board/makemove.h"
#include "control/console.h"
#include "control/control.h"
#include "control/io.h"
#include "control/uci.h"
#include "control/xboard.h"
#include "search/search.h"

// Step 1: the engine plays and its colour is to move. No search starts while a predicted
// reply stands on the board (the opponent's move decides what happens next); a prediction
// left over when the engine is to move answers nothing and is dropped.
static bool isEnginesTurn() {
    if (!(gameFlags & GF_ENGINE_ACTIVE) || (detectionFlags & DF_FORCE) || positionRefused)
        return false;
    if (searchFlags & SF_PONDER_MOVE_MADE)
        return false;
    if (((gameFlags & GF_ENGINE_WHITE) != 0) != whiteToMove())
        return false;
    searchFlags &= (uint8_t)~SF_PONDER_MOVE;
    return true;
}

static void thinkOnOwnMove() {
    searchFlags &= 0x60;
    timeFlags &= 0x4F;
    search();
    searchStopped();
    checkGame();
}

// Step 2: pondering is on, a reply is predicted and not yet on the board, and the opponent is
// to move (the prediction answers the engine's own last move, never the engine's turn).
static bool isOpponentsTurnToPonder() {
    if (!(searchFlags & SF_PONDER_ON) || !(searchFlags & SF_PONDER_MOVE) ||
        (searchFlags & SF_PONDER_MOVE_MADE))
        return false;
    return ((gameFlags & GF_ENGINE_WHITE) != 0) != whiteToMove();
}

// Index of the predicted reply in the user's move list, or -1 (the last match wins).
static int predictedIndex(int count) {
    int index = -1;
    for (int i = 0; i < count; i++) {
        const move_list &m = ponderStack[i];
        if (m.from == ponderPV.from && m.to == ponderPV.to && m.promote == ponderPV.promote)
            index = i;
    }
    return index;
}

// Step 2: makes the predicted reply and searches on the opponent's time; the opponent's move
// arrives through the input polls of that search (or later, if it finishes first).
static void ponder() {
    generateRootMoves();
    const int count = mvstore[1];
    for (int i = 0; i < count; i++)
        ponderStack[i] = searchData[0][i];
    const int index = predictedIndex(count);
    if (index < 0) {
        searchFlags &= (uint8_t)~SF_PONDER_MOVE; // no such reply here: nothing to ponder on
        return;
    }
    detectionFlags &= (uint8_t)~DF_SHOW_PV;
    searchFlags = (uint8_t)((searchFlags & SF_PONDER_ON) | SF_PONDERING | SF_PONDER_MOVE_MADE);
    gameFlags = (uint8_t)((gameFlags & ~GF_ENTRY_WHITE) | (whiteToMove() ? GF_ENTRY_WHITE : 0));
    sideBoards = boards[0];
    savedSquares = squares[0];
    savedPonderPV = ponderStack[index];
    ponderStore = (int16_t)count;
    ponderEntryKey = hash[0];

    const int16_t i = (int16_t)index;
    mvstack(&ponderStack[i], i);
    mvInfoChoice = mvinfo[i];
    mvRuleChoice = mvrules[i];
    makeOppMove(ponderStack[i], i);
    if (!(gameFlags & GF_XBOARD)) {
        movedSquares = squares[0];
        searchFlags =
            (uint8_t)((searchFlags & ~SF_PONDER_WHITE) | (whiteToMove() ? SF_PONDER_WHITE : 0));
    }
    // The book answers positions of the game only: the predicted reply is not one yet.
    const uint8_t book = gameFlags & GF_BOOK_ON;
    gameFlags &= (uint8_t)~GF_BOOK_ON;
    search();
    gameFlags |= book;
    if (detectionFlags & DF_POST)
        detectionFlags |= DF_SHOW_PV;
    searchStopped();
    checkGame();
}

// Step 3: input. The console blocks on its lines; xboard input is waited for without a busy
// loop (nothing else is to be done until a line comes), then read without blocking.
static void readInput() {
    detectionFlags |= DF_KEEP_READING;
    const bool active = (gameFlags & GF_ENGINE_ACTIVE) != 0;
    if (!(detectionFlags & DF_XBOARD_INPUT)) {
        if (!active) {
            while ((detectionFlags & DF_KEEP_READING) && !(detectionFlags & DF_XBOARD_INPUT))
                userInputGame();
            return;
        }
        runDeferredCommand();
        while (userInputSearch() == -1) {
        }
        if (stopSearch > 0) {
            searchStopped();
            // A game ended by "resign" or an accepted draw asks for another, as every end does.
            if (gameFlags & GF_NO_GAME)
                checkGame();
        }
        return;
    } else if (!active) {
        do {
            if (!hasDeferredLine()) // a line kept from the search that just stopped for it
                waitForInput();
            pollInputGame();
        } while ((detectionFlags & DF_KEEP_READING) && (gameFlags & GF_NO_GAME));
        return;
    } else {
        waitForInput();
        pollInputSearch();
    }
    if (stopSearch > 0)
        searchStopped();
}

void runMainLoop() {
    searchPollEnabled = true;
    for (;;) {
        ply = 0;
        if (uciMode)
            runUciLoop();
        if (analyzing) {
            analyzePosition();
            continue;
        }
        if (isEnginesTurn())
            thinkOnOwnMove();
        runDeferredCommand(); // a console command typed during that search, before pondering
        if ((gameFlags & GF_ENGINE_ACTIVE) && !(gameFlags & GF_NO_GAME)) {
            if (detectionFlags & DF_FORCE) {
                generateRootMoves();
            } else if (isOpponentsTurnToPonder()) {
                ponder();
                if (timeFlags & TF_SEARCH_NOW) {
                    timeFlags &= 0x4F;
                    continue;
                }
            }
        }
        if (!analyzing) // "analyze" came during the search: analysis begins at once
            readInput();
        if (!(gameFlags & GF_NO_GAME))
            checkGame();
    }
}
