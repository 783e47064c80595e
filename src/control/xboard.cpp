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
#include "search/tt.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

// playother=1: a GUI that lets the user switch sides mid-game tells the engine so, instead of
// putting it in force mode and waiting for a "go" that never comes while the user is on move.
// memory=1: the GUI says how much memory the hash tables may take ("memory N").
static const char *const FEATURES = "feature sigint=0 sigterm=0 colors=0 setboard=1 usermove=1 "
                                    "playother=1 memory=1 myname=\"Morvaquint 3.3\" "
                                    "variants=\"normal\" name=0 ping=1 san=1 done=1\n";

// Words a GUI sends that need no action here: the feature answers, the opponent's name and
// rating, the ICS host, the number of cores (the engine runs one thread),
// old-style colour commands ("go" and "playother" decide the engine's side), analysis status
// and the end of an analysis that is no longer running.
static const char *const HARMLESS[] = {"random", "accepted", "rejected", "variant", "name",
                                       "rating", "ics",      "cores",    "egtpath", "option",
                                       "white",  "black",    ".",        "exit"};

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

// The GUI's clocks ("time", "otim") in centiseconds are kept within a hundred hours: a larger
// or negative report is a GUI's error, and in 32 bits of milliseconds it would overflow.
constexpr int64_t CLOCK_MOST_CS = 100LL * 3600 * 100;
// Digits read of a number at most: more would overflow 64 bits, and no setting needs them.
constexpr int NUMBER_DIGITS_MOST = 15;

// The first word of the text when it is a signed decimal number, with a fraction of up to
// three digits when `scale` is 1000 (seconds read as milliseconds); value is the number times
// scale. False for anything else, an empty text included.
static bool readNumber(const char *text, int64_t scale, int64_t &value) {
    while (*text == ' ' || *text == '\t')
        text++;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        text++;
    int64_t whole = 0, part = 0;
    int digits = 0;
    for (; *text >= '0' && *text <= '9'; text++, digits++)
        if (digits < NUMBER_DIGITS_MOST)
            whole = whole * 10 + (*text - '0');
    if (digits == 0)
        return false;
    if (*text == '.' && scale == 1000) {
        int64_t unit = 100;
        text++;
        if (*text < '0' || *text > '9')
            return false;
        for (; *text >= '0' && *text <= '9'; text++, unit /= 10)
            part += (*text - '0') * unit; // digits past the thousandths add nothing
    }
    if (*text != '\0' && *text != ' ' && *text != '\t')
        return false;
    value = whole * scale + part;
    if (negative)
        value = -value;
    return true;
}

static int64_t clampClock(int64_t centiseconds) {
    return centiseconds < 0 ? 0 : (centiseconds > CLOCK_MOST_CS ? CLOCK_MOST_CS : centiseconds);
}

// "ping N": answered with N exactly as the GUI wrote it, however long, so that it recognises
// the answer to its own question.
static bool pingCommand(const char *arg) {
    int64_t ignored;
    if (!readNumber(arg, 1, ignored))
        return false;
    while (*arg == ' ' || *arg == '\t')
        arg++;
    const int length = (int)std::strcspn(arg, " \t");
    std::printf("pong %.*s\n", length, arg);
    return true;
}

// "level MOVES BASE INC": three fields of digits, colons and decimal points; any other text
// refuses the command and leaves the old control in place.
static bool levelCommand(const char *line) {
    char fields[3][16] = {};
    const unsigned widths[3] = {LEVEL_MOVES_MAX, LEVEL_BASE_MAX, LEVEL_INCREMENT_MAX};
    const char *p = restOfLine(line, "level");
    for (int f = 0; f < 3; f++) {
        while (*p == ' ' || *p == '\t')
            p++;
        unsigned n = 0;
        for (; *p && *p != ' ' && *p != '\t'; p++) {
            if (!((*p >= '0' && *p <= '9') || *p == ':' || *p == '.') || n >= widths[f])
                return false;
            fields[f][n++] = *p;
        }
    }
    while (*p == ' ' || *p == '\t')
        p++;
    if (*p != '\0')
        return false;
    const int32_t budget = chk_time(fields[0], fields[1], fields[2]);
    if (budget < 0)
        return false;
    normalTime.searchTime = budget;
    s_depth = 30;
    return true;
}

// The settings that take one number. False when the argument is no number the command can
// use; the old setting stays then.
static bool numberSetting(const char *word, const char *arg) {
    int64_t v = 0;
    if (!std::strcmp(word, "time") || !std::strcmp(word, "otim")) {
        if (!readNumber(arg, 1, v))
            return false;
        if (word[0] == 't')
            timeReport((int32_t)clampClock(v));
        else
            opptimeleft = (int32_t)(clampClock(v) * 10);
    } else if (!std::strcmp(word, "st")) {
        // Seconds per move, fractions included ("st 0.5").
        if (!readNumber(arg, 1000, v) || v <= 0)
            return false;
        setFixedTime((int32_t)(v < NO_TIME_LIMIT ? v : NO_TIME_LIMIT));
        s_depth = 30;
    } else if (!std::strcmp(word, "sd")) {
        // A depth limit on top of the clock, which keeps running.
        if (!readNumber(arg, 1, v) || v <= 0)
            return false;
        s_depth = (int8_t)(v > 30 ? 30 : v);
    } else {
        return false;
    }
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

// Megabytes granted by a "memory" that came while a search ran, which must not lose its
// tables: 0 when none waits.
static int32_t grantedMemory;

// Sizes the hash tables to the memory granted, at once unless a search is running.
static bool memoryCommand(const char *arg) {
    int64_t v = 0;
    if (!readNumber(arg, 1, v) || v <= 0)
        return false;
    grantedMemory = (int32_t)std::clamp<int64_t>(v, HASH_MB_LEAST, HASH_MB_MOST);
    if (!isSearchPolling())
        applyGrantedMemory();
    return true;
}

void applyGrantedMemory() {
    if (grantedMemory == 0)
        return;
    // Refused by the system, the tables stay as they were: the engine plays on with them.
    if (!resizeHashTables(grantedMemory))
        std::printf("telluser Not enough memory for %d MB of hash tables\n", grantedMemory);
    grantedMemory = 0;
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
    else if (!std::strcmp(word, "level") || !std::strcmp(word, "time") ||
             !std::strcmp(word, "otim") || !std::strcmp(word, "st") || !std::strcmp(word, "sd") ||
             !std::strcmp(word, "ping") || !std::strcmp(word, "memory")) {
        const char *arg = restOfLine(line, word);
        const bool read = word[0] == 'l'   ? levelCommand(line)
                          : word[0] == 'p' ? pingCommand(arg)
                          : word[0] == 'm' ? memoryCommand(arg)
                                           : numberSetting(word, arg);
        if (!read) {
            std::printf("Error (bad argument): %s\n", line);
            return xbSetting::REFUSED;
        }
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
    // (A refused argument has had its own answer.)
    if (xboardSetting(word, line) == xbSetting::NONE)
        std::printf("Error (unknown command): %s\n", line);
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
    warmHashTables();
    gameFlags = (uint8_t)((gameFlags & 0x82) | 0x14 | GF_ENGINE_ACTIVE);
    searchFlags = 0;
    detectionFlags = (uint8_t)((detectionFlags & 0x17) | DF_XBOARD_INPUT);
    s_depth = 30;
    normalTime.savedTime = 0;
}

// "setboard FEN", at any time: the engine is in force mode, and every position a legal game
// can reach is set up (the GUI may send K v K, three knights, a mate). A position whose game is
// already decided stays without a game: "go" answers it with the result. A refused one leaves
// the engine without a position to play until "new" or an accepted "setboard".
static void setBoard(const char *fen) {
    ply = 0;
    gameFlags = (uint8_t)((gameFlags & 0x8A) | 0x15);
    searchFlags &= SF_PONDER_ON;
    detectionFlags = (uint8_t)((detectionFlags & 0x17) | DF_FORCE | DF_KEEP_READING);
    char full[256];
    completeGivenFEN(fen, full, sizeof full);
    if (full[0] != '\0' && FENcheck(full) && setUpFEN(full, FEN_ANY_LEGAL)) {
        if (!isGameDecided())
            gameFlags &= (uint8_t)~GF_NO_GAME;
        return;
    }
    std::printf("tellusererror Invalid position\n");
    refuseGivenPosition();
    gameFlags = (uint8_t)((gameFlags & 0x82) | 0x15);
    s_depth = 30;
}

// "go" on a game already decided (a mate, stalemate or bare kings that was set up, or a game
// that has ended): the result is the answer, and the engine stays passive.
static bool answerDecidedGame() {
    if (!isGameDecided())
        return false;
    gameFlags &= (uint8_t)~GF_NO_GAME;
    checkGame();
    return true;
}

void xboardGo() {
    if (positionRefused) {
        std::printf("Error (no valid position): go\n");
        return;
    }
    if (answerDecidedGame())
        return;
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

// "usermove" while the engine is passive: the move is played without a reply. A text that
// names no legal move, or comes when no valid position stands, is refused and changes
// nothing.
static void userMove(const char *move) {
    const int16_t i = positionRefused ? -1 : enterTypedMove(move);
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
        warmHashTables(); // a game is being set up: the tables' memory is touched before any clock
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
    applyGrantedMemory(); // the search that kept its tables has ended
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
