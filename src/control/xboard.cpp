// xboard front end while the engine is not active, and the commands both handlers share.
#include "control/xboard.h"

#include "board/fen.h"
#include "board/makemove.h"
#include "control/control.h"
#include "control/game.h"
#include "control/io.h"
#include "control/movetext.h"
#include "control/timecontrol.h"
#include "search/search.h"

#include <cstdio>
#include <cstring>

static const char *const FEATURES = "feature sigint=0 sigterm=0 colors=0 setboard=1 usermove=1 "
                                    "myname=\"Morvaquint 3.3\" variants=\"normal\" name=0 ping=1 "
                                    "san=1 done=1\n";

// Words a GUI sends that need no action here: the feature answers, the opponent's name and
// rating, the ICS host, hardware hints, old-style colour commands, analysis status and the end
// of an analysis that is no longer running.
static const char *const HARMLESS[] = {
    "random", "playother", "accepted", "rejected", "variant", "name",  "rating", "ics",
    "memory", "cores",     "egtpath",  "option",   "white",   "black", ".",      "exit"};

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

// "hint": the reply the engine expects from the user, when it knows one.
static void hintCommand() {
    const move_list *guess = nullptr;
    if (searchFlags & (SF_PONDERING | SF_PONDER_MOVE_MADE)) {
        guess = &savedPonderPV;
    } else if (!isSearchPolling() && (searchFlags & SF_PONDER_MOVE)) {
        // Named through the root list, whose notation bits belong to this position.
        for (int i = 0; i < mvstore[1]; i++) {
            const move_list &m = searchData[0][i];
            if (m.from == ponderPV.from && m.to == ponderPV.to && m.promote == ponderPV.promote)
                guess = &m;
        }
    }
    if (guess)
        std::printf("Hint: %s\n", sanstring(*guess));
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
        std::printf("\tNo book moves for this position.\n\n");
    else
        return xbSetting::NONE;
    return xbSetting::DONE;
}

void refuseMove(const char *move) { std::printf("Invalid move %s\n", move); }

// "new": the initial position, a game in progress, the engine passive and playing Black.
static void newGame() {
    newGamePosition();
    gameFlags = (uint8_t)((gameFlags & 0x82) | 0x14);
    searchFlags = 0;
    detectionFlags = (uint8_t)((detectionFlags & 0x17) | 0x44);
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

// "usermove" while the engine is passive: the move is played without a reply. Returns
// false when the text names no legal move.
static bool userMove(const char *move) {
    const int16_t i = enterTypedMove(move);
    if (i < 0) {
        refuseMove(move);
        return false;
    }
    playRootMove(i);
    return true;
}

bool xboardGameLine(char *line) {
    char word[32];
    firstWord(line, word, sizeof word);
    if (word[0] == '\0')
        return true;
    if (!std::strcmp(word, "xboard")) {
        switchToXboard();
        return true;
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
        return true;
    } else if (!std::strcmp(word, "easy")) {
        searchFlags &= (uint8_t)~SF_PONDER_ON;
    } else if (!std::strcmp(word, "setboard")) {
        setBoard(restOfLine(line, word));
    } else if (!std::strcmp(word, "quit")) {
        quitEngine();
    } else if (!std::strcmp(word, "go")) {
        xboardGo();
        return true;
    } else if (!std::strcmp(word, "analyze")) {
        startAnalysis();
        return true; // the main loop starts thinking
    } else if (!std::strcmp(word, "usermove")) {
        if (!userMove(restOfLine(line, word)))
            return false;
        return true;
    } else if (!std::strcmp(word, "undo") || !std::strcmp(word, "remove")) {
        takeback();
        if (word[0] == 'r')
            takeback();
    } else if (!std::strcmp(word, "draw") || !std::strcmp(word, "?")) {
        // No game is being played by the engine: nothing to accept, nothing to hurry.
    } else {
        const xbSetting s = xboardSetting(word, line);
        if (s != xbSetting::DONE)
            return false;
    }
    detectionFlags |= DF_KEEP_READING;
    return true;
}

void switchToXboard() {
    gameFlags = (uint8_t)((gameFlags & (0x02 | GF_WHITE_TO_MOVE)) | 0x85);
    detectionFlags = (uint8_t)((detectionFlags & 0x17) | 0x44);
    std::printf("\n");
}

void pollInputGame() {
    stopSearch = 0;
    detectionFlags &= (uint8_t)~DF_KEEP_READING;
    if (!inputWaiting() && !inputEnded())
        return;
    char line[256];
    if (!readInputLine(line, sizeof line))
        quitEngine(); // the GUI has gone
    if (!xboardGameLine(line)) {
        // An unrecognised line ends the game.
        detectionFlags &= 0x17;
        searchFlags = 0;
        gameFlags |= GF_NO_GAME;
    }
}
