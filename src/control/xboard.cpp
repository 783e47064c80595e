// xboard front end while the engine is not active, and the commands both handlers share.
#include "control/xboard.h"

#include "board/fen.h"
#include "board/makemove.h"
#include "book/book.h"
#include "control/control.h"
#include "control/game.h"
#include "control/io.h"
#include "control/movetext.h"
#include "control/timecontrol.h"
#include "search/search.h"

#include <cstdio>
#include <cstring>

// playother=1: a GUI that lets the user switch sides mid-game tells the engine so, instead of
// putting it in force mode and waiting for a "go" that never comes while the user is on move.
static const char *const FEATURES = "feature sigint=0 sigterm=0 colors=0 setboard=1 usermove=1 "
                                    "playother=1 myname=\"Morvaquint 3.3\" variants=\"normal\" "
                                    "name=0 ping=1 san=1 done=1\n";

// Words a GUI sends that need no action here: the feature answers, the opponent's name and
// rating, the ICS host, hardware hints (one thread, and the table sizes are fixed at start-up),
// old-style colour commands ("go" and "playother" decide the engine's side), analysis status
// and the end of an analysis that is no longer running.
static const char *const HARMLESS[] = {"random", "accepted", "rejected", "variant", "name",
                                       "rating", "ics",      "memory",   "cores",   "egtpath",
                                       "option", "white",    "black",    ".",       "exit"};

void firstWord(const char *line, char *word, unsigned size) {
    size_t n = 0;
    while (*line == ' ' || *line == '\t')
        line++;
    while (*line && *line != ' ' && *line != '\t' && n + 1 < size)
        word[n++] = *line++;
    word[n] = '\0';
}

const char *restOfLine(const char *line, const char *word) {
    while (*line == ' ' || *line == '\t')
        line++;
    line += std::strlen(word);
    return *line == ' ' || *line == '\t' ? line + 1 : line;
}

// The number formed by the digits of a text (other characters are skipped), at most nine.
static int32_t digitsOf(const char *s) {
    int32_t v = 0;
    for (int n = 0; *s && n < 9; s++)
        if (*s >= '0' && *s <= '9') {
            v = v * 10 + (*s - '0');
            n++;
        }
    return v;
}

// "level MOVES BASE INC": the fields keep their digits, colons and decimal points.
static bool levelCommand(const char *line) {
    timeFlags &= 0xF8;
    char fields[3][16] = {};
    const unsigned widths[3] = {LEVEL_MOVES_MAX, LEVEL_BASE_MAX, LEVEL_INCREMENT_MAX};
    const char *p = restOfLine(line, "level");
    for (int f = 0; f < 3; f++) {
        while (*p == ' ')
            p++;
        unsigned n = 0;
        for (; *p && *p != ' '; p++) {
            if ((*p >= '0' && *p <= '9') || *p == ':' || *p == '.') {
                if (n >= widths[f])
                    return false;
                fields[f][n++] = *p;
            }
        }
    }
    const int32_t budget = chk_time(fields[0], fields[1], fields[2]);
    if (budget < 0)
        return false;
    normalTime.searchTime = budget;
    s_depth = 30;
    return true;
}

// "hint": the reply the engine expects from the user, when it knows one: the move it ponders
// on, or the reply its last search expected to the move it played.
static void hintCommand() {
    const move_list *guess = nullptr;
    if (searchFlags & (SF_PONDERING | SF_PONDER_MOVE_MADE))
        guess = &savedPonderPV;
    else if (!isSearchPolling())
        guess = expectedReply();
    if (guess)
        std::printf("Hint: %s\n", sanstring(*guess));
}

// "bk": the book moves of the user's position with the share of the draws each gets, one per
// line indented as the GUI's book window wants them, and an empty line at the end. While the
// predicted reply stands on the board the user's position is the one pondering started from,
// with its moves kept in ponderStack; a running search's root list is only read.
static void bookCommand() {
    const bool predicted = (searchFlags & SF_PONDER_MOVE_MADE) != 0;
    if (!predicted && !isSearchPolling())
        generateRootMoves();
    const move_list *list = predicted ? ponderStack : searchData[0];
    const int listed = predicted ? ponderStore : mvstore[1];
    bookLineMove choices[BOOK_MOVES_MAX];
    int slots = 0;
    const int count = listBookMoves(predicted ? ponderEntryKey : hash[0], choices, &slots);
    int shown = 0;
    for (int i = 0; i < count; i++) {
        const bookLineMove &c = choices[i];
        for (int j = 0; j < listed && j < MAX_MOVES; j++) {
            // A move the position does not allow is never played from the book: not shown.
            const move_list &m = list[j];
            if (m.from != c.from || m.to != c.to || m.promote != c.promote)
                continue;
            std::printf("\t%s %d%%\n", sanstring(m), (c.slots * 100 + slots / 2) / slots);
            shown++;
            break;
        }
    }
    if (shown == 0)
        std::printf("\tNo book moves for this position.\n");
    std::printf("\n");
}

xbSetting xboardSetting(const char *word, char *line) {
    for (const char *h : HARMLESS)
        if (!std::strcmp(word, h))
            return xbSetting::DONE;
    if (!std::strcmp(word, "post"))
        detectionFlags |= DF_POST | DF_SHOW_PV;
    else if (!std::strcmp(word, "nopost"))
        detectionFlags &= (uint8_t) ~(DF_POST | DF_SHOW_PV);
    else if (!std::strcmp(word, "hard"))
        searchFlags |= SF_PONDER_ON;
    else if (!std::strcmp(word, "computer"))
        detectionFlags |= DF_FULL_ANALYSIS;
    else if (!std::strcmp(word, "level"))
        return levelCommand(line) ? xbSetting::DONE : xbSetting::REFUSED;
    else if (!std::strcmp(word, "time"))
        timeReport(digitsOf(restOfLine(line, word)));
    else if (!std::strcmp(word, "otim"))
        opptimeleft = digitsOf(restOfLine(line, word)) * 10;
    else if (!std::strcmp(word, "ping"))
        std::printf("pong %d\n", digitsOf(restOfLine(line, word)));
    else if (!std::strcmp(word, "st")) {
        const int32_t seconds = digitsOf(restOfLine(line, word));
        if (seconds > 0) {
            setFixedTime(seconds < NO_TIME_LIMIT / 1000 ? seconds * 1000 : NO_TIME_LIMIT);
            s_depth = 30;
        }
    } else if (!std::strcmp(word, "sd")) {
        // A depth limit on top of the clock, which keeps running.
        const int32_t depth = digitsOf(restOfLine(line, word));
        if (depth > 0)
            s_depth = (int8_t)(depth > 30 ? 30 : depth);
    } else if (!std::strcmp(word, "hint"))
        hintCommand();
    else if (!std::strcmp(word, "bk"))
        bookCommand();
    else
        return xbSetting::NONE;
    return xbSetting::DONE;
}

void answerSetting(const char *word, char *line) {
    // A line the engine does not know is answered and changes nothing: the game goes on.
    const xbSetting s = xboardSetting(word, line);
    if (s == xbSetting::NONE)
        std::printf("Error (unknown command): %s\n", line);
    else if (s == xbSetting::REFUSED)
        std::printf("Error (bad argument): %s\n", line);
}

void refuseMove(const char *move) { std::printf("Illegal move: %s\n", move); }

// A line the engine can only handle once the search has unwound and it is in force mode. One
// line at most: the search stops polling as soon as a stop code is posted.
static char deferredLine[256];
static bool lineDeferred = false;

void deferLine(const char *line) {
    std::snprintf(deferredLine, sizeof deferredLine, "%s", line);
    lineDeferred = true;
}

bool hasDeferredLine() { return lineDeferred; }

// "new": the initial position, a game in progress, the engine playing Black and out of force
// mode, so that the user's first move as White gets a reply without a "go".
static void newGame() {
    newGamePosition();
    gameFlags = (uint8_t)((gameFlags & 0x82) | 0x14 | GF_ENGINE_ACTIVE);
    searchFlags = 0;
    detectionFlags = (uint8_t)((detectionFlags & 0x17) | DF_XBOARD_INPUT);
    s_depth = 30;
    normalTime.savedTime = 0;
}

// "setboard FEN": a refused position leaves the initial position and no game.
static void setBoard(const char *fen) {
    gameFlags = (uint8_t)((gameFlags & 0x8A) | 0x15);
    ply = 0;
    if (fen[0] != '\0' && FENcheck(fen) && setUpFEN(fen)) {
        gameFlags &= (uint8_t)~GF_NO_GAME;
        return;
    }
    std::printf("tellusererror Invalid position\n");
    newGamePosition();
    gameFlags = (uint8_t)((gameFlags & 0x82) | 0x15);
    // The GUI goes on talking xboard: the input mode survives the refusal.
    detectionFlags = (uint8_t)((detectionFlags & 0xC7) | DF_KEEP_READING);
    searchFlags = 0;
    s_depth = 30;
}

void xboardGo() {
    gameFlags |= GF_ENGINE_ACTIVE;
    detectionFlags &= 0x17;
    playSideToMove();
    generateRootMoves();
}

void xboardPlayOther() {
    gameFlags |= GF_ENGINE_ACTIVE;
    detectionFlags &= 0x17;
    gameFlags = (uint8_t)((gameFlags & ~GF_ENGINE_WHITE) | (whiteToMove() ? 0 : GF_ENGINE_WHITE));
    generateRootMoves();
}

// "usermove" while the engine is passive: the move is played without a reply; a text that
// names no legal move is refused and changes nothing.
static void userMove(const char *move) {
    const int16_t i = enterTypedMove(move);
    if (i < 0) {
        refuseMove(move);
        detectionFlags |= DF_KEEP_READING;
        return;
    }
    playRootMove(i);
}

void xboardGameLine(char *line) {
    char word[32];
    firstWord(line, word, sizeof word);
    if (word[0] == '\0')
        return;
    if (!std::strcmp(word, "xboard")) {
        switchToXboard();
        return;
    }
    if (!std::strcmp(word, "protover")) {
        std::printf("%s", FEATURES);
    } else if (!std::strcmp(word, "new")) {
        newGame();
    } else if (!std::strcmp(word, "result")) {
        endGameFlags();
        gameFlags |= GF_IN_BOOK;
        searchFlags = 0;
        detectionFlags = (uint8_t)((detectionFlags & 0x17) | DF_KEEP_READING);
    } else if (!std::strcmp(word, "force")) {
        gameFlags &= (uint8_t)~GF_ENGINE_ACTIVE;
        detectionFlags |= DF_FORCE;
        if (!(gameFlags & GF_NO_GAME))
            detectionFlags &= (uint8_t)~DF_KEEP_READING;
        return;
    } else if (!std::strcmp(word, "easy")) {
        searchFlags &= (uint8_t)~SF_PONDER_ON;
    } else if (!std::strcmp(word, "setboard")) {
        setBoard(restOfLine(line, word));
    } else if (!std::strcmp(word, "quit")) {
        quitEngine();
    } else if (!std::strcmp(word, "go")) {
        xboardGo();
        return;
    } else if (!std::strcmp(word, "playother")) {
        xboardPlayOther();
        return;
    } else if (!std::strcmp(word, "analyze")) {
        startAnalysis();
        return; // the main loop starts thinking
    } else if (!std::strcmp(word, "usermove")) {
        userMove(restOfLine(line, word));
        return;
    } else if (!std::strcmp(word, "undo") || !std::strcmp(word, "remove")) {
        takeback();
        if (word[0] == 'r')
            takeback();
    } else if (!std::strcmp(word, "draw") || !std::strcmp(word, "?")) {
        // No game is being played by the engine: nothing to accept, nothing to hurry.
    } else {
        answerSetting(word, line);
    }
    detectionFlags |= DF_KEEP_READING;
}

void switchToXboard() {
    gameFlags = (uint8_t)((gameFlags & (0x02 | GF_WHITE_TO_MOVE)) | 0x85);
    detectionFlags = (uint8_t)((detectionFlags & 0x17) | 0x44);
    std::printf("\n");
}

void pollInputGame() {
    stopSearch = 0;
    detectionFlags &= (uint8_t)~DF_KEEP_READING;
    char line[256];
    if (lineDeferred) {
        // Read during the search that has just stopped for it; handled before any newer line.
        lineDeferred = false;
        std::snprintf(line, sizeof line, "%s", deferredLine);
        xboardGameLine(line);
        return;
    }
    if (!inputWaiting() && !inputEnded())
        return;
    if (!readInputLine(line, sizeof line))
        quitEngine(); // the GUI has gone
    xboardGameLine(line);
}
