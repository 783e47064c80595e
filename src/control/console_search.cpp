// Console commands while the engine plays: during its search, while it ponders, and while it
// waits for the user's move. Commands that change the game only post a stop code.
#include "control/console.h"

#include "control/control.h"
#include "control/game.h"
#include "control/io.h"
#include "control/movetext.h"
#include "search/search.h"

#include <cstdio>
#include <cstring>

// End of input while the engine plays. Waiting for a move or pondering, nobody is left to
// answer: the program ends. During its own search the engine still moves: a search with a
// time or depth limit runs to its end, an unlimited one moves at once.
static int16_t consoleInputEnded() {
    if (!isThinkingOnOwnMove())
        quitEngine();
    if (!searchHasLimit())
        stopSearch = 14;
    return -1;
}

// "draw": accepted late in a game the engine does not expect to win.
static void drawOffer() {
    if (isDrawAcceptable()) {
        std::printf("draw accepted\n");
        stopSearch = 3;
    } else {
        std::printf("No draw, play on\n");
    }
}

// "moves": the user's legal moves. While the predicted reply stands on the board they are the
// moves saved when pondering began; otherwise those of the game position.
static void listMoves() {
    const bool predicted = (searchFlags & (SF_PONDERING | SF_PONDER_MOVE_MADE)) != 0;
    const move_list *list = predicted ? ponderStack : searchData[0];
    const int count = predicted ? ponderStore : mvstore[1];
    std::printf("There are %d legal moves.\n", count);
    legalmvList(list, count);
    std::printf("\n");
}

// A word that is no command: the user's move, or nothing usable.
static int16_t typedMove(const char *word) {
    if (searchFlags & (SF_PONDERING | SF_PONDER_MOVE_MADE)) {
        if (answerPredictedReply(word))
            return 1;
        std::printf("Invalid command\n");
        return -1;
    }
    // While the engine thinks on its own move it is not the user's turn.
    const int16_t i = isSearchPolling() ? -1 : enterTypedMove(word);
    if (i < 0) {
        std::printf("Invalid command\n");
        return -1;
    }
    saveChoice = i;
    stopSearch = 15;
    return i;
}

int16_t userInputSearch() {
    char line[256];
    if (!readInputLine(line, sizeof line))
        return consoleInputEnded();
    char word[256];
    if (std::sscanf(line, "%255s", word) != 1)
        return -1;
    if (!std::strcmp(word, "quit"))
        quitEngine();
    const int32_t code = commandStopCode(word, "resign");
    if (code > 0)
        stopSearch = code;
    else if (!std::strcmp(word, "draw"))
        drawOffer();
    else if (!std::strcmp(word, "moves")) {
        listMoves();
        return -1;
    } else if (!std::strcmp(word, "?")) {
        if (isThinkingOnOwnMove())
            stopSearch = 14; // move now; nothing to hurry while pondering or waiting
    } else if (!std::strcmp(word, "go") && (detectionFlags & DF_FORCE) && !isSearchPolling()) {
        consoleGo(); // leaves the force mode an "undo" or "remove" left behind
    } else {
        return typedMove(word);
    }
    return 1;
}
