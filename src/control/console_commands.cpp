// Console commands while the engine is not playing (new game, colours, force mode, FEN and
// perft), and the settings, which also change during a game.
#include "control/console.h"

#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "book/book.h"
#include "control/control.h"
#include "control/game.h"
#include "control/io.h"
#include "control/perft.h"
#include "control/timecontrol.h"
#include "control/uci.h"
#include "control/xboard.h"
#include "movegen/movegen.h"
#include "search/tt.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

static constexpr size_t FEN_MAX = 90; // longest FEN text accepted from the console

static const char *const HELP_TEXT = "new    - new game\n"
                                     "quit   - quit game\n"
                                     "undo   - undo last move\n"
                                     "FEN    - enter FEN position\n"
                                     "moves  - legal moves\n"
                                     "white  - you will play white\n"
                                     "black  - you will play black\n"
                                     "level  - conventional (e.g. level 40 5 0) or incremental "
                                     "(e.g. level 0 2 12) time controls\n"
                                     "time   - seconds per move (e.g. time 30)\n"
                                     "depth  - limit thinking depth (e.g. depth 7)\n"
                                     "easy   - no pondering\n"
                                     "hard   - pondering on\n"
                                     "post   - thinking will be displayed\n"
                                     "nopost - thinking off\n"
                                     "book   - opening book on\n"
                                     "nobook - opening book off\n"
                                     "go     - start playing chess\n"
                                     "?      - move now\n"
                                     "perft  - count the move paths from this position\n"
                                     "force  - the engine stops playing; enter moves for "
                                     "both sides\n"
                                     "draw   - offer a draw\n"
                                     "resign - resign the game\n"
                                     "remove - take back your last move and the reply\n"
                                     "show   - show the board\n"
                                     "history - the moves of the game\n"
                                     "hint   - suggest a move\n"
                                     "score  - evaluation of the position\n"
                                     "pgn    - save the game as PGN (e.g. pgn game.pgn)\n"
                                     "Without a level the engine thinks without limit: "
                                     "\"time 5\" gives it 5 seconds a move,\n"
                                     "and \"?\" makes it move at once.\n";

// The state of a new game with the settings kept ("new", and a refused FEN).
static void newGame() {
    newGamePosition();
    warmHashTables();
    searchFlags = 0;
    gameFlags = (uint8_t)((gameFlags & 0x82) | 0x14);
    detectionFlags = (uint8_t)((detectionFlags & 0xC3) | DF_KEEP_READING);
    s_depth = 30;
    normalTime.savedTime = 0;
    gameFlags |= GF_NO_GAME;
    settings(1);
}

// Splits a line into at most `max` blank-delimited words; returns the count.
static int splitWords(char *line, char *words[], int max) {
    int n = 0;
    char *save = nullptr;
    for (char *w = strtok_r(line, " \t", &save); w && n < max; w = strtok_r(nullptr, " \t", &save))
        words[n++] = w;
    return n;
}

// "level MOVES BASE INC": fields longer than their capacity are refused, not cut. A refused
// level leaves the time control as it was.
static void levelCommand(char *words[], int n) {
    int32_t budget = -1;
    const uint8_t kept = timeFlags;
    if (n >= 4 && std::strlen(words[1]) <= LEVEL_MOVES_MAX &&
        std::strlen(words[2]) <= LEVEL_BASE_MAX && std::strlen(words[3]) <= LEVEL_INCREMENT_MAX) {
        timeFlags = 0;
        budget = chk_time(words[1], words[2], words[3]);
    }
    if (budget == -1) {
        timeFlags = kept;
        std::printf("Invalid command. Try again.\n");
        return;
    }
    normalTime.searchTime = budget;
    s_depth = 30;
    settings(0);
}

// The whole number after the command word, or 0 when there is none or the word is no number.
static long numberArgument(char *words[], int n) {
    if (n < 2)
        return 0;
    char *end = nullptr;
    const long v = std::strtol(words[1], &end, 10);
    return (end == words[1] || *end != '\0') ? 0 : v;
}

// "depth N": a refused depth leaves the settings as they were.
static void depthCommand(char *words[], int n) {
    long v = numberArgument(words, n);
    if (v <= 0) {
        std::printf("Invalid command. Try again.\n");
        return;
    }
    normalTime.searchTime = NO_TIME_LIMIT;
    normalTime.savedTime = 0;
    s_depth = (int8_t)(v > 30 ? 30 : v);
    timeFlags = (uint8_t)((timeFlags & 0xF0) | TF_FIXED_DEPTH);
    settings(0);
}

// "time N" (seconds a move): a refused time leaves the settings as they were.
static void timeCommand(char *words[], int n) {
    long v = numberArgument(words, n);
    if (v <= 0) {
        std::printf("Invalid command. Try again.\n");
        return;
    }
    s_depth = 30;
    if (v > NO_TIME_LIMIT / 1000)
        v = NO_TIME_LIMIT / 1000; // longer than the clock can express: no practical limit
    setFixedTime((int32_t)(v * 1000));
    settings(0);
}

bool isSettingCommand(const char *word) {
    static const char *const words[] = {"hard",   "easy",  "book",  "nobook", "post",
                                        "nopost", "level", "depth", "time"};
    for (const char *w : words)
        if (isCommand(word, w))
            return true;
    return false;
}

void runSettingCommand(const char *line) {
    char copy[256];
    std::snprintf(copy, sizeof copy, "%s", line);
    char *words[8] = {};
    const int n = splitWords(copy, words, 8);
    if (n == 0)
        return; // a blank line names no setting
    const char *w = words[0];
    if (isCommand(w, "level")) {
        levelCommand(words, n);
        return;
    }
    if (isCommand(w, "depth")) {
        depthCommand(words, n);
        return;
    }
    if (isCommand(w, "time")) {
        timeCommand(words, n);
        return;
    }
    if (isCommand(w, "hard")) {
        searchFlags |= SF_PONDER_ON;
    } else if (isCommand(w, "easy")) {
        searchFlags &= (uint8_t)~SF_PONDER_ON;
    } else if (isCommand(w, "book")) {
        if (bookFile)
            gameFlags |= GF_BOOK_ON | GF_IN_BOOK;
        else
            gameFlags &= (uint8_t) ~(GF_BOOK_ON | GF_IN_BOOK);
    } else if (isCommand(w, "nobook")) {
        gameFlags &= (uint8_t) ~(GF_BOOK_ON | GF_IN_BOOK);
    } else if (isCommand(w, "post")) {
        detectionFlags |= DF_POST | DF_SHOW_PV;
    } else if (isCommand(w, "nopost")) {
        detectionFlags &= (uint8_t) ~(DF_POST | DF_SHOW_PV);
    }
    settings(0);
}

void printHelp() { std::printf("%s", HELP_TEXT); }

// The engine starts playing the position the FEN dialog set up.
static void activateFromFen() {
    gameFlags |= GF_ENGINE_ACTIVE | GF_IN_BOOK;
    detectionFlags &= (uint8_t) ~(DF_FORCE | DF_KEEP_READING); // the active handler reads on
}

// With the engine to move, the user confirms with "go" or leaves the program with "quit".
static void confirmFenStart() {
    std::printf("\nType'go' to start or 'quit' to exit\n:- ");
    char word[256];
    for (;;) {
        if (!readInputWord(word, sizeof word))
            quitEngine();
        if (isCommand(word, "go")) {
            activateFromFen();
            return;
        }
        if (isCommand(word, "quit"))
            quitEngine();
    }
}

// The FEN dialog: a refused position restores a new game. With the user to move the engine
// plays at once and waits for the user's move.
static void fenDialog() {
    char line[256];
    std::printf("Enter FEN position.\n:- ");
    do {
        if (!readInputLine(line, sizeof line))
            quitEngine();
    } while (line[0] == '\0');
    ply = 0;
    if (std::strlen(line) >= FEN_MAX || !FENcheck(line) || !setUpFEN(line)) {
        std::printf("Invalid command\n:- ");
        newGame();
        return;
    }
    gameFlags &= (uint8_t)~GF_NO_GAME;
    print_board(0);
    const bool engineWhite = (gameFlags & GF_ENGINE_WHITE) != 0;
    if (engineWhite != whiteToMove())
        activateFromFen();
    else
        confirmFenStart();
}

void consoleGo() {
    const bool wasForced = (detectionFlags & DF_FORCE) != 0;
    gameFlags |= GF_ENGINE_ACTIVE;
    if (detectionFlags & DF_FULL_ANALYSIS) {
        playSideToMove();
        detectionFlags &= 0x13;
    } else {
        detectionFlags &= 0x03;
    }
    if (!wasForced)
        std::printf(whiteToMove() ? "White to move> " : "Black to move> ");
    generateRootMoves();
}

// In force mode a word that is no command is a move, played for the side to move.
static int16_t forcedMove(const char *word) {
    const int16_t i = enterTypedMove(word);
    if (i < 0) {
        std::printf("Invalid command. Try again.\n");
        return 1;
    }
    playRootMove(i);
    print_board(0);
    detectionFlags &= (uint8_t)~DF_KEEP_READING;
    return i;
}

// "undo" / "remove" while the engine does not play: the last half-moves go back, and the
// user enters the moves from there.
static void takeBackForced(int halfMoves) {
    for (int i = 0; i < halfMoves; i++)
        takeback();
    print_board(0);
}

// "resign" while the engine does not play: the side to move gives up, and the game ends as
// every game does.
static void resignForced() {
    const char *line = whiteToMove() ? "0-1 {White resigns}\n" : "1-0 {Black resigns}\n";
    std::printf("%s", line);
    noteResult(line);
    stopSearch = 2;
    searchStopped();
    checkGame();
}

// "white" / "black": the user's colour. The side to move stays that of the position on the
// board: the flag follows the position, never the other way round.
static void chooseColour(bool engineWhite) {
    gameFlags = (uint8_t)((gameFlags & (0x02 | GF_WHITE_TO_MOVE)) | GF_IN_BOOK |
                          (engineWhite ? GF_ENGINE_WHITE : 0));
    detectionFlags &= 0xC3;
}

int16_t userInputGame() {
    char line[256];
    detectionFlags &= (uint8_t)~DF_KEEP_READING;
    stopSearch = 0;
    if (!readInputLine(line, sizeof line))
        quitEngine();
    char copy[256];
    std::memcpy(copy, line, sizeof copy);
    char *words[8];
    const int n = splitWords(copy, words, 8);
    if (n == 0) {
        detectionFlags |= DF_KEEP_READING;
        return 1;
    }
    const char *w = words[0];
    const bool blocked = (gameFlags & GF_NO_GAME) != 0;
    detectionFlags |= DF_KEEP_READING;

    if (isCommand(w, "quit"))
        quitEngine();
    if (isCommand(w, "new")) {
        newGame();
        return 1;
    }
    if (isCommand(w, "perft")) {
        perftDialog();
        return 1;
    }
    if (isCommand(w, "fen")) {
        fenDialog();
        return 1;
    }
    if (isCommand(w, "help")) {
        printHelp();
        return 1;
    }
    if (isGameCommand(w)) {
        runGameCommand(w, line + (words[0] - copy) + std::strlen(w));
        return 1;
    }
    if (!std::strcmp(w, "xboard")) {
        switchToXboard(); // a GUI whose "xboard" came after the start-up poll
        return 1;
    }
    if (!std::strcmp(w, "uci")) {
        // A GUI whose "uci" came after the start-up poll: the answer starts on a line of its
        // own, after the prompt.
        enterUciMode();
        std::printf("\n");
        uciIdentify();
        return 1;
    }
    if (blocked) {
        std::printf("Type 'new' to start a new game :- ");
        return 1;
    }
    if (isSettingCommand(w)) {
        runSettingCommand(line);
        return 1;
    }
    if (isCommand(w, "force")) {
        searchFlags &= 0x40;
        gameFlags &= (uint8_t)~GF_ENGINE_ACTIVE;
        detectionFlags |= DF_FORCE;
        detectionFlags &= (uint8_t)~DF_KEEP_READING;
    } else if (isCommand(w, "white")) {
        chooseColour(false);
    } else if (isCommand(w, "black")) {
        chooseColour(true);
    } else if (isCommand(w, "debug")) {
        detectionFlags |= DF_FULL_ANALYSIS;
    } else if (isCommand(w, "undo") || isCommand(w, "remove")) {
        takeBackForced(isCommand(w, "undo") ? 1 : 2);
        return 1;
    } else if (isCommand(w, "resign")) {
        resignForced();
        return 1;
    } else if (isCommand(w, "go")) {
        detectionFlags &= (uint8_t)~DF_KEEP_READING;
        consoleGo();
        return 1;
    } else if (detectionFlags & DF_FORCE) {
        return forcedMove(w);
    } else {
        std::printf("Invalid command. Try again.\n");
        return 1;
    }
    settings(0);
    return 1;
}
