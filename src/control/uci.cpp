// UCI front end: entering the mode, the handshake and options, positions and the command loop.
#include "control/uci.h"

#include "board/fen.h"
#include "board/position.h"
#include "book/book.h"
#include "control/control.h"
#include "control/game.h"
#include "control/io.h"
#include "search/search.h"
#include "search/tt.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

// A "position startpos moves ..." line of a long game takes about five bytes a half-move;
// this holds several thousand half-moves, far beyond any game the fifty-move rule allows.
constexpr size_t UCI_LINE_MAX = 65536;
constexpr size_t FEN_TEXT_MAX = 128; // longer than any FEN of a legal position
constexpr size_t OPTION_NAME_MAX = 64;
constexpr int32_t DEFAULT_OVERHEAD = 30;
constexpr int32_t MOST_OVERHEAD = 5000;

bool uciMode = false;
int32_t moveOverhead = DEFAULT_OVERHEAD;

static bool ownBook = true; // "OwnBook": play from Morvabook.bok when it is there
static char uciLine[UCI_LINE_MAX];

char *nextToken(char *&p) {
    while (*p == ' ' || *p == '\t')
        p++;
    if (*p == '\0')
        return nullptr;
    char *word = p;
    while (*p && *p != ' ' && *p != '\t')
        p++;
    if (*p)
        *p++ = '\0';
    return word;
}

// The book is used when the option asks for it and the file could be opened.
static void applyBookOption() {
    if (ownBook && bookFile)
        gameFlags |= GF_BOOK_ON;
    else
        gameFlags &= (uint8_t)~GF_BOOK_ON;
}

void enterUciMode() {
    uciMode = true;
    // A GUI front end: no diagrams or prompts, input polled during the search, and a report
    // after every iteration. The engine never moves or ponders by itself: every search is a
    // "go".
    gameFlags = (uint8_t)((gameFlags & ~GF_ENGINE_ACTIVE) | GF_XBOARD);
    detectionFlags = (uint8_t)((detectionFlags & ~(DF_FORCE | DF_KEEP_READING)) | DF_XBOARD_INPUT |
                               DF_POST | DF_SHOW_PV);
    searchFlags = 0;
    applyBookOption();
}

void uciIdentify() {
    std::printf("id name Morvaquint 3.3\n");
    std::printf("id author the Morvaquint authors\n");
    std::printf("option name Ponder type check default false\n");
    std::printf("option name OwnBook type check default true\n");
    std::printf("option name Move Overhead type spin default %d min 0 max %d\n", DEFAULT_OVERHEAD,
                MOST_OVERHEAD);
    std::printf("option name Hash type spin default %d min %d max %d\n", HASH_MB_DEFAULT,
                HASH_MB_LEAST, HASH_MB_MOST);
    std::printf("option name Clear Hash type button\n");
    std::printf("option name MultiPV type spin default 1 min 1 max %d\n", MULTIPV_MOST);
    std::printf("option name UCI_AnalyseMode type check default false\n");
    std::printf("uciok\n");
    if (!bookFile)
        std::printf("info string Opening book is missing.\n");
}

// A check option's value: 1 for "true", 0 for "false", -1 for anything else.
static int checkValue(const char *v) {
    if (!strcasecmp(v, "true"))
        return 1;
    return strcasecmp(v, "false") ? -1 : 0;
}

// A spin option's value: a whole number in least..most, or false.
static bool spinValue(const char *v, long least, long most, long &value) {
    char *end = nullptr;
    value = std::strtol(v, &end, 10);
    return end != v && *end == '\0' && value >= least && value <= most;
}

// "setoption name NAME [value VALUE]": names may hold blanks and are matched without regard
// to case. A value that does not fit the option changes nothing.
static void setOption(char *p) {
    const char *t = nextToken(p);
    if (!t || std::strcmp(t, "name") != 0)
        return;
    char name[OPTION_NAME_MAX] = "";
    while ((t = nextToken(p)) && std::strcmp(t, "value") != 0) {
        if (std::strlen(name) + std::strlen(t) + 2 > sizeof name)
            return; // no option has so long a name
        if (name[0])
            std::strcat(name, " ");
        std::strcat(name, t);
    }
    const char *value = t ? nextToken(p) : nullptr;
    if (!value)
        value = "";
    if (!strcasecmp(name, "Ponder")) {
        // Only tells whether "go ponder" may come: the engine never ponders by itself, and
        // its budgets do not count on ponder hits, so nothing changes.
    } else if (!strcasecmp(name, "OwnBook")) {
        if (checkValue(value) >= 0)
            ownBook = checkValue(value) == 1;
        applyBookOption();
    } else if (!strcasecmp(name, "Move Overhead")) {
        char *end = nullptr;
        const long ms = std::strtol(value, &end, 10);
        if (end != value && *end == '\0')
            moveOverhead = (int32_t)(ms < 0 ? 0 : (ms > MOST_OVERHEAD ? MOST_OVERHEAD : ms));
    } else if (!strcasecmp(name, "Hash")) {
        // The tables are mapped anew now, between searches; the GUI's "isready" that follows
        // has their memory touched before a clock runs.
        long mb = 0;
        if (!spinValue(value, HASH_MB_LEAST, HASH_MB_MOST, mb))
            std::printf("info string Hash must be a number of megabytes from %d to %d: %s\n",
                        HASH_MB_LEAST, HASH_MB_MOST, value);
        else if (!resizeHashTables((int32_t)mb))
            std::printf("info string Not enough memory for %ld MB of hash tables\n", mb);
    } else if (!strcasecmp(name, "MultiPV")) {
        long n = 0;
        if (spinValue(value, 1, MULTIPV_MOST, n))
            multiPV = (int8_t)n;
        else
            std::printf("info string MultiPV must be a number from 1 to %d: %s\n", MULTIPV_MOST,
                        value);
    } else if (!strcasecmp(name, "Clear Hash")) {
        clearSearchMemory();
    } else if (!strcasecmp(name, "UCI_AnalyseMode")) {
        // GUIs set it before an analysis; the engine searches alike for play and analysis
        // ("go infinite" is its analysis), so there is nothing to switch.
    } else if (name[0]) {
        std::printf("info string No such option: %s\n", name);
    }
}

// A coordinate move of UCI (e2e4, e7e8q) as the root move it names, or -1.
static int16_t rootIndexOfText(const char *t) {
    const size_t n = std::strlen(t);
    if (n != 4 && n != 5)
        return -1;
    for (int i = 0; i < 4; i += 2)
        if (t[i] < 'a' || t[i] > 'h' || t[i + 1] < '1' || t[i + 1] > '8')
            return -1;
    move_list m = {};
    m.from = (int8_t)((t[0] - 'a') + 8 * ('8' - t[1]));
    m.to = (int8_t)((t[2] - 'a') + 8 * ('8' - t[3]));
    if (n == 5) {
        static const char letters[] = "nbrq"; // KNIGHT, BISHOP, ROOK, QUEEN in code order
        const char *at = std::strchr(letters, t[4] | 0x20);
        if (!at)
            return -1;
        m.promote = (int8_t)(KNIGHT + (at - letters));
    }
    generateRootMoves();
    return findRootMove(m);
}

// The game position stands ready for a "go": the book may answer it again.
static void readyForPlay() {
    gameFlags |= GF_IN_BOOK;
    applyBookOption();
}

// Sets up the FEN of a "position" line: any position a legal game can reach. Refusals go out
// as info strings, as UCI wants every line of the engine's own.
static bool setUpGivenFEN(const char *given) {
    if (given[0] == '\0') {
        std::printf("info string Invalid position: no FEN given\n");
        return false;
    }
    char fen[FEN_TEXT_MAX + 8];
    completeGivenFEN(given, fen, sizeof fen);
    if (!FENcheck(fen)) {
        std::printf("info string Invalid position: %s\n", fen);
        return false;
    }
    fenMessagePrefix = "info string ";
    const int accepted = setUpFEN(fen, FEN_ANY_LEGAL);
    fenMessagePrefix = "";
    if (!accepted)
        std::printf("info string Invalid position: %s\n", fen);
    return accepted != 0;
}

// "position startpos|fen FEN [moves ...]". A line that does not give a position the engine
// can set up (a malformed or impossible FEN, an illegal move in the list) is refused as a
// whole: "go" then answers "bestmove 0000" until a valid position arrives, never a move of
// another position.
// The last position line accepted, its words joined by single blanks and always holding
// "moves": a line that extends it continues the same game.
static char lastPosition[UCI_LINE_MAX + 16];

// Whether the position line p continues the game of the last accepted one (the same start and
// its moves followed by more). Fills `normal` with the line's normal form.
static bool continuesGame(const char *p, char *normal, size_t size) {
    size_t n = 0;
    bool hasMoves = false;
    while (*p) {
        while (*p == ' ' || *p == '\t')
            p++;
        const char *w = p;
        while (*p && *p != ' ' && *p != '\t')
            p++;
        const size_t len = (size_t)(p - w);
        if (len == 0 || n + len + 2 >= size)
            break;
        if (n)
            normal[n++] = ' ';
        std::memcpy(normal + n, w, len);
        n += len;
        hasMoves = hasMoves || (len == 5 && !std::strncmp(w, "moves", 5));
    }
    normal[n] = '\0';
    if (!hasMoves && n + 7 < size)
        std::strcat(normal, n ? " moves" : "moves");
    const size_t old = std::strlen(lastPosition);
    return old > 0 && !std::strncmp(normal, lastPosition, old) &&
           (normal[old] == '\0' || normal[old] == ' ');
}

static void setPosition(char *p) {
    ply = 0;
    char normal[sizeof lastPosition];
    const bool continues = continuesGame(p, normal, sizeof normal);
    lastPosition[0] = '\0'; // until this line is accepted
    const char *t = nextToken(p);
    if (t && !std::strcmp(t, "startpos")) {
        startpos();
        // What the search learnt stays while the GUI goes on with the same game; another
        // game or position starts from empty tables.
        if (!continues)
            clearSearchMemory();
        t = nextToken(p);
    } else if (t && !std::strcmp(t, "fen")) {
        char fen[FEN_TEXT_MAX] = "";
        bool tooLong = false;
        while ((t = nextToken(p)) && std::strcmp(t, "moves") != 0) {
            if (std::strlen(fen) + std::strlen(t) + 2 > sizeof fen)
                tooLong = true;
            else {
                if (fen[0])
                    std::strcat(fen, " ");
                std::strcat(fen, t);
            }
        }
        if (tooLong || !setUpGivenFEN(fen)) {
            if (tooLong)
                std::printf("info string Invalid position: the FEN is too long\n");
            refuseGivenPosition();
            return;
        }
    } else {
        std::printf("info string Invalid position: startpos or fen expected\n");
        refuseGivenPosition();
        return;
    }
    positionRefused = false;
    readyForPlay();
    if (t && std::strcmp(t, "moves") != 0) {
        std::printf("info string Invalid position: moves expected, not %s\n", t);
        refuseGivenPosition();
        return;
    }
    while (t && (t = nextToken(p))) {
        const int16_t i = rootIndexOfText(t);
        if (i < 0) {
            std::printf("info string Invalid position: illegal move %s\n", t);
            refuseGivenPosition();
            return;
        }
        playRootMove(i);
    }
    std::strcpy(lastPosition, normal);
}

// One command line while no search runs. Unknown words and "stop" or "ponderhit" without a
// search are ignored, as the protocol asks.
static void uciCommand(char *line) {
    char *p = line;
    const char *word = nextToken(p);
    if (!word)
        return;
    if (!std::strcmp(word, "uci")) {
        uciIdentify();
    } else if (!std::strcmp(word, "isready")) {
        // The GUI waits for the answer before it starts a clock: the tables' memory is
        // touched now, not in the first search.
        warmHashTables();
        std::printf("readyok\n");
    } else if (!std::strcmp(word, "ucinewgame")) {
        ply = 0;
        newGamePosition();
        warmHashTables();
        normalTime.savedTime = 0; // time banked in the last game is no time of this one
        readyForPlay();
    } else if (!std::strcmp(word, "setoption")) {
        setOption(p);
    } else if (!std::strcmp(word, "position")) {
        setPosition(p);
    } else if (!std::strcmp(word, "go")) {
        uciGo(p);
    } else if (!std::strcmp(word, "quit")) {
        quitEngine();
    }
}

void runUciLoop() {
    for (;;) {
        ply = 0;
        if (!readInputLine(uciLine, sizeof uciLine))
            quitEngine(); // the GUI has gone
        uciCommand(uciLine);
    }
}
