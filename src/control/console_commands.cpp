// Console commands while the engine is not playing: new game, settings, FEN and perft.
#include "control/console.h"

#include "board/fen.h"
#include "board/position.h"
#include "book/book.h"
#include "control/control.h"
#include "control/io.h"
#include "control/perft.h"
#include "control/timecontrol.h"

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
                                     "go     - start playing chess\n";

// End of console input ends the process cleanly: there is nobody left to answer.
[[noreturn]] static void quitEngine() {
    close_book();
    std::fflush(stdout);
    std::exit(0);
}

// The state of a new game with the settings kept ("new", and a refused FEN).
static void newGame() {
    newGamePosition();
    searchFlags = 0;
    gameFlags = (uint8_t)((gameFlags & 0x82) | 0x14);
    detectionFlags = (uint8_t)((detectionFlags & 0xC3) | DF_KEEP_READING);
    s_depth = 30;
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

// "level MOVES BASE INC": fields longer than their capacity are refused, not cut.
static void levelCommand(char *words[], int n) {
    timeFlags = 0;
    int32_t budget = -1;
    if (n >= 4 && std::strlen(words[1]) <= 3 && std::strlen(words[2]) <= 9 &&
        std::strlen(words[3]) <= 3)
        budget = chk_time(words[1], words[2], words[3]);
    if (budget == -1) {
        std::printf("Error (unknown command): level\n");
        normalTime.searchTime = NO_TIME_LIMIT;
    } else {
        normalTime.searchTime = budget;
    }
    s_depth = 30;
    settings(0);
    if (budget == -1)
        std::printf("Invalid command. Try again.\n");
}

// Whole number after the command word, or 0 when there is none.
static long numberArgument(char *words[], int n) {
    if (n < 2)
        return 0;
    return std::strtol(words[1], nullptr, 10);
}

static void depthCommand(char *words[], int n) {
    long v = numberArgument(words, n);
    normalTime.searchTime = NO_TIME_LIMIT;
    if (v <= 0) {
        s_depth = 30;
        std::printf("Invalid command. Try again.\n");
        return;
    }
    s_depth = (int8_t)(v > 30 ? 30 : v);
    timeFlags = (uint8_t)((timeFlags & 0xF0) | TF_FIXED_DEPTH);
    settings(0);
}

static void timeCommand(char *words[], int n) {
    long v = numberArgument(words, n);
    s_depth = 30;
    if (v <= 0) {
        normalTime.searchTime = NO_TIME_LIMIT;
        std::printf("Invalid command. Try again.\n");
        return;
    }
    if (v > NO_TIME_LIMIT / 1000)
        v = NO_TIME_LIMIT / 1000; // longer than the clock can express: no practical limit
    normalTime.searchTime = (int32_t)(v * 1000);
    timeFlags = (uint8_t)((timeFlags & 0xF0) | TF_FIXED_TIME);
    settings(0);
}

// The FEN dialog: a refused position restores a new game.
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
    gameFlags |= GF_IN_BOOK;
    print_board(0);
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

    if (!std::strcmp(w, "quit"))
        quitEngine();
    if (!std::strcmp(w, "new")) {
        newGame();
        return 1;
    }
    if (!std::strcmp(w, "perft")) {
        perftDialog();
        return 1;
    }
    if (!std::strcmp(w, "fen")) {
        fenDialog();
        return 1;
    }
    if (!std::strcmp(w, "help")) {
        std::printf("%s", HELP_TEXT);
        return 1;
    }
    if (blocked) {
        std::printf("Type 'new' to start a new game :- ");
        return 1;
    }
    if (!std::strcmp(w, "hard")) {
        searchFlags |= SF_PONDER_ON;
    } else if (!std::strcmp(w, "easy")) {
        searchFlags &= (uint8_t)~SF_PONDER_ON;
    } else if (!std::strcmp(w, "book")) {
        if (bookFile)
            gameFlags |= GF_BOOK_ON | GF_IN_BOOK;
        else
            gameFlags &= (uint8_t) ~(GF_BOOK_ON | GF_IN_BOOK);
    } else if (!std::strcmp(w, "nobook")) {
        gameFlags &= (uint8_t) ~(GF_BOOK_ON | GF_IN_BOOK);
    } else if (!std::strcmp(w, "force")) {
        searchFlags &= 0x40;
        gameFlags &= (uint8_t)~GF_ENGINE_ACTIVE;
        detectionFlags |= DF_FORCE;
        detectionFlags &= (uint8_t)~DF_KEEP_READING;
    } else if (!std::strcmp(w, "post")) {
        detectionFlags |= DF_POST | DF_SHOW_PV;
    } else if (!std::strcmp(w, "nopost")) {
        detectionFlags &= (uint8_t) ~(DF_POST | DF_SHOW_PV);
    } else if (!std::strcmp(w, "level")) {
        levelCommand(words, n);
        return 1;
    } else if (!std::strcmp(w, "depth")) {
        depthCommand(words, n);
        return 1;
    } else if (!std::strcmp(w, "time")) {
        timeCommand(words, n);
        return 1;
    } else if (!std::strcmp(w, "white")) {
        gameFlags = (uint8_t)((gameFlags & 0x02) | 0x14);
        detectionFlags &= 0xC3;
    } else if (!std::strcmp(w, "black")) {
        gameFlags = (uint8_t)((gameFlags & 0x02) | 0x1C);
        detectionFlags &= 0xC3;
    } else if (!std::strcmp(w, "debug")) {
        detectionFlags |= DF_FULL_ANALYSIS;
    } else {
        std::printf("Invalid command. Try again.\n");
        return 1;
    }
    settings(0);
    return 1;
}
