// Command-line entries: set a position up, run one engine routine, print its facts, exit.
#include "control/cli.h"

#include "board/fen.h"
#include "board/position.h"
#include "control/bench.h"
#include "control/control.h"
#include "control/epd.h"
#include "control/makebook.h"
#include "control/movetext.h"
#include "control/perft.h"
#include "control/timecontrol.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/search.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// Joins argv[first..] with blanks (a FEN may come as one argument or as six).
static void joinArguments(int argc, char **argv, int first, char *out, size_t size) {
    out[0] = '\0';
    size_t used = 0;
    for (int i = first; i < argc; i++) {
        const size_t len = std::strlen(argv[i]);
        if (used + len + 2 > size)
            break;
        if (used > 0)
            out[used++] = ' ';
        std::memcpy(out + used, argv[i], len);
        used += len;
        out[used] = '\0';
    }
}

// Sets up the start position or the FEN at argv[first..]; false (after a message) if refused.
static bool setUpPosition(int argc, char **argv, int first) {
    ply = 0;
    newGamePosition();
    gameFlags &= (uint8_t)~GF_NO_GAME;
    if (argc <= first)
        return true;
    char fen[512];
    joinArguments(argc, argv, first, fen, sizeof fen);
    if (!FENcheck(fen)) {
        std::printf("Invalid position\n");
        return false;
    }
    if (!setUpFEN(fen))
        return false;
    gameFlags &= (uint8_t)~GF_NO_GAME;
    return true;
}

// A whole number argument within [lo, hi], or -1.
static int numberInRange(const char *s, int lo, int hi) {
    char *end = nullptr;
    long v = std::strtol(s, &end, 10);
    if (end == s || *end != '\0' || v < lo || v > hi)
        return -1;
    return (int)v;
}

void prepareToolSearch(int depth, int32_t milliseconds) {
    gameFlags &= (uint8_t) ~(GF_BOOK_ON | GF_IN_BOOK | GF_XBOARD | GF_NO_GAME);
    searchFlags = 0;
    detectionFlags = DF_POST | DF_SHOW_PV;
    searchPollEnabled = false;
    if (milliseconds > 0) {
        timeFlags = TF_FIXED_TIME;
        s_depth = 30;
        normalTime.searchTime = milliseconds;
    } else {
        timeFlags = TF_FIXED_DEPTH;
        s_depth = (int8_t)depth;
        normalTime.searchTime = NO_TIME_LIMIT;
    }
    normalTime.savedTime = 0;
}

static int perftEntry(int argc, char **argv) {
    const int depth = argc > 2 ? numberInRange(argv[2], 1, 30) : -1;
    if (depth < 0) {
        std::printf("usage: morvaquint perft DEPTH [FEN]\n");
        return 2;
    }
    if (!setUpPosition(argc, argv, 3))
        return 1;
    printPerftRows(depth);
    return 0;
}

static int evalEntry(int argc, char **argv) {
    if (!setUpPosition(argc, argv, 2))
        return 1;
    ply = 0;
    classifyGamePhase();
    SEE();
    const int32_t score = evaluate(0);
    std::printf("score: %d\n", score);
    std::printf("hanging: %d\n", moveStack[0].hangingPiece);
    std::printf("threatened: %d\n", moveStack[0].threatenedPiece);
    std::printf("stalemate: %d\n", pieceStatus.stalemate);
    std::printf("kingsafety: %d %d\n", moveStack[0].whiteKingSafety, moveStack[0].blackKingSafety);
    std::printf("phase: %d\n", gameState);
    return 0;
}

// Searches and prints the thinking lines, the mate announcement and "move X".
static int searchEntry(int argc, char **argv, bool timed) {
    const int limit = argc > 2 ? numberInRange(argv[2], 1, timed ? 3600000 : 30) : -1;
    if (limit < 0) {
        std::printf(timed ? "usage: morvaquint movetime MILLISECONDS [FEN]\n"
                          : "usage: morvaquint search DEPTH [FEN]\n");
        return 2;
    }
    if (!setUpPosition(argc, argv, 3))
        return 1;
    ply = 0;
    SEE();
    movgen(0, 0);
    if (mvstore[1] == 0) {
        std::printf("no legal move\n");
        return 1;
    }
    prepareToolSearch(timed ? 30 : limit, timed ? limit : 0);
    search();
    std::printf("move %s\n", sanstring(movePV));
    return 0;
}

int runCommandLine(int argc, char **argv) {
    const char *entry = argv[1];
    if (!std::strcmp(entry, "perft"))
        return perftEntry(argc, argv);
    if (!std::strcmp(entry, "eval"))
        return evalEntry(argc, argv);
    if (!std::strcmp(entry, "search"))
        return searchEntry(argc, argv, false);
    if (!std::strcmp(entry, "movetime"))
        return searchEntry(argc, argv, true);
    if (!std::strcmp(entry, "bench")) {
        const int depth = argc > 2 ? numberInRange(argv[2], 1, 30) : BENCH_DEFAULT_DEPTH;
        if (depth < 0) {
            std::printf("usage: morvaquint bench [DEPTH]\n");
            return 2;
        }
        return runBench(depth);
    }
    if (!std::strcmp(entry, "makebook"))
        return makeBookEntry(argc, argv);
    if (!std::strcmp(entry, "epd")) {
        const int ms = argc > 3 ? numberInRange(argv[3], 1, 3600000) : -1;
        if (ms < 0) {
            std::printf("usage: morvaquint epd FILE MILLISECONDS\n");
            return 2;
        }
        return runEPD(argv[2], ms);
    }
    if (!std::strcmp(entry, "speed"))
        return runSpeed();
    return -1;
}
