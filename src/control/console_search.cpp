// Console commands while the engine plays: during its search, while it ponders, and while it
// waits for the user's move. Commands that change the game only post a stop code.
#include "control/console.h"

#include "control/control.h"
#include "control/game.h"
#include "control/io.h"
#include "control/movetext.h"
#include "control/perft.h"
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

// A game or setting command typed while a search runs, answered when it is over.
static char deferredLine[256];

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

// Runs a game or setting command, or the perft dialog, while no search runs.
static void runQuietCommand(const char *line) {
    char word[16] = "";
    int used = 0;
    std::sscanf(line, "%15s%n", word, &used);
    if (isCommand(word, "perft")) {
        takeBackPrediction();
        perftDialog();
        generateRootMoves(); // the game position's moves, as the handlers expect them
    } else if (isGameCommand(word)) {
        runGameCommand(word, line + used);
    } else {
        runSettingCommand(line);
    }
}

// A game or setting command during a search: "show" (and "hint" while pondering) at once; the
// others need the board or the clock, which the search holds, and wait for its end. A ponder
// search is given up for them: the user is to move and waits for the answer.
static void quietCommandDuringSearch(const char *word, const char *line) {
    if (canAnswerDuringSearch(word)) {
        runQuietCommand(line);
        return;
    }
    std::snprintf(deferredLine, sizeof deferredLine, "%s", line);
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
    if (std::sscanf(line, "%255s", word) != 1)
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
    } else if (!std::strcmp(command, "help")) {
        printHelp();
        return -1;
    } else if (isGameCommand(command) || isSettingCommand(command) ||
               !std::strcmp(command, "perft")) {
        if (isSearchPolling())
            quietCommandDuringSearch(command, line);
        else
            runQuietCommand(line);
        return -1;
    } else {
        return typedMove(word);
    }
    return 1;
}

void runDeferredCommand() {
    if (!deferredLine[0] || isSearchPolling())
        return;
    char line[sizeof deferredLine];
    std::memcpy(line, deferredLine, sizeof line);
    deferredLine[0] = '\0';
    std::printf("\n"); // the answer starts on a line of its own, after the prompt
    runQuietCommand(line);
}
