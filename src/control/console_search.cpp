// Console commands while the engine plays: during its search, while it ponders, and while it
// waits for the user's move. Commands that change the game only post a stop code.
#include "control/console.h"

#include "control/control.h"
#include "control/game.h"
#include "control/io.h"
#include "control/movetext.h"
#include "search/search.h"

#include <cctype>
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

// Game commands typed while a search runs, answered when it is over.
static char deferredWord[16], deferredRest[256];

// Prints a result line and keeps the result for the game's PGN.
static void announceConsoleResult(const char *line) {
    std::printf("%s", line);
    noteResult(line);
}

// "draw": accepted late in a game the engine does not expect to win.
static void drawOffer() {
    if (isDrawAcceptable()) {
        std::printf("draw accepted\n");
        announceConsoleResult("1/2-1/2 {Draw by agreement}\n");
        stopSearch = 3;
    } else {
        std::printf("No draw, play on\n");
    }
}

// "resign": the user's side gives up; the game ends as every game does, with its result line.
static void resignGame() {
    const bool userWhite = !(gameFlags & GF_ENGINE_WHITE);
    announceConsoleResult(userWhite ? "0-1 {White resigns}\n" : "1-0 {Black resigns}\n");
    stopSearch = 2;
}

// A game command during a search: "show" (and "hint" while pondering) at once; the others
// need the board, which the search holds, and wait for its end. A ponder search is given up
// for them: the user is to move and waits for the answer.
static void gameCommandDuringSearch(const char *word, const char *rest) {
    if (canAnswerDuringSearch(word)) {
        runGameCommand(word, rest);
        return;
    }
    std::snprintf(deferredWord, sizeof deferredWord, "%s", word);
    std::snprintf(deferredRest, sizeof deferredRest, "%s", rest);
    if (searchFlags & SF_PONDERING)
        stopSearch = 13;
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
    int used = 0;
    if (std::sscanf(line, "%255s%n", word, &used) != 1)
        return -1;
    char command[256]; // the word in lower case, for the commands; a move keeps its case
    std::snprintf(command, sizeof command, "%s", word);
    for (char *c = command; *c; c++)
        *c = (char)std::tolower((unsigned char)*c);
    if (!std::strcmp(command, "quit"))
        quitEngine();
    const int32_t code = commandStopCode(command, "resign");
    if (code == 2)
        resignGame();
    else if (code > 0)
        stopSearch = code;
    else if (!std::strcmp(command, "draw"))
        drawOffer();
    else if (!std::strcmp(command, "moves")) {
        listMoves();
        return -1;
    } else if (!std::strcmp(command, "?")) {
        if (isThinkingOnOwnMove())
            stopSearch = 14; // move now; nothing to hurry while pondering or waiting
    } else if (!std::strcmp(command, "go") && (detectionFlags & DF_FORCE) && !isSearchPolling()) {
        consoleGo(); // a force mode the engine is still active in ends
    } else if (isGameCommand(command)) {
        if (isSearchPolling())
            gameCommandDuringSearch(command, line + used);
        else
            runGameCommand(command, line + used);
        return -1;
    } else {
        return typedMove(word);
    }
    return 1;
}

void runDeferredCommand() {
    if (!deferredWord[0] || isSearchPolling())
        return;
    char word[sizeof deferredWord], rest[sizeof deferredRest];
    std::memcpy(word, deferredWord, sizeof word);
    std::memcpy(rest, deferredRest, sizeof rest);
    deferredWord[0] = '\0';
    std::printf("\n"); // the answer starts on a line of its own, after the prompt
    runGameCommand(word, rest);
}
