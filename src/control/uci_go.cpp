// UCI "go": the limits of a search and its clock, the lines answered while it runs, the
// "info" lines it reports and the "bestmove" that ends it.
#include "control/uci.h"

#include "board/makemove.h"
#include "control/control.h"
#include "control/game.h"
#include "control/io.h"
#include "control/movetext.h"
#include "control/timecontrol.h"
#include "control/xboard.h"
#include "search/search.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

constexpr int32_t MATE_BOUND = 9959; // beyond +-9959 a score is a mate score
constexpr int32_t MATE_PLIES = 10001;
constexpr int8_t DEEPEST = 30;   // the deepest iteration the search starts
constexpr int32_t MOVE_NOW = 14; // the stop code that plays the best move found so far
constexpr int32_t OUT_OF_TIME = 11;

// A "go" that names no limit at all (no clock of the side to move, fixed time, depth, nodes or
// mate) still ends by itself, after this long: a GUI that sent it waits for a bestmove.
constexpr int32_t UNLIMITED_GO_MS = 5000;

// The fields of a "go" line; -1 where a number is not given (given ones are 0 or more, and
// depth, nodes, mate and movetime at least 1).
struct goLimits {
    int32_t time[2], inc[2]; // by colour: wtime, btime and winc, binc
    int32_t movesToGo, moveTime, depth, mate;
    int64_t nodes;
    bool infinite, ponder, searchMoves;
};

static uint64_t nodeLimit;            // "go nodes": 0 for none
static bool pondering;                // "go ponder" before its "ponderhit"
static bool holdBestMove;             // "go infinite" / "go ponder": bestmove waits for...
static bool released;                 // ... "stop" or "ponderhit", or a command that needs it
static int32_t ponderBudget;          // the clock's budget that "ponderhit" starts
static int32_t ponderBanked;          // and the time banked with it
static move_list reportedPV[MAX_PLY]; // the variation of the last info line
static int reportedLength;

// The number that follows a field name, cut to the range of a clock. A word that is not a
// number is left unread (it may be the next field's name), and the field counts as absent.
static bool readNumber(char *&p, int64_t &value) {
    char *start = p;
    while (*start == ' ' || *start == '\t')
        start++;
    char *end = nullptr;
    const long long v = std::strtoll(start, &end, 10);
    if (end == start || (*end != '\0' && *end != ' ' && *end != '\t'))
        return false;
    p = end;
    const long long most = (long long)NO_TIME_LIMIT * 1000;
    value = v < -most ? -most : (v > most ? most : v);
    return true;
}

// Reads the fields of "go". Unknown words (and the moves after "searchmoves") are passed over.
static goLimits parseGo(char *p) {
    goLimits g = {{-1, -1}, {-1, -1}, -1, -1, -1, -1, -1, false, false, false};
    struct field {
        const char *name;
        int32_t *value;
        int32_t least; // a smaller number counts as this: 0 plies or nodes still search one
    };
    const field fields[] = {{"wtime", &g.time[WHITE], 0},   {"btime", &g.time[BLACK], 0},
                            {"winc", &g.inc[WHITE], 0},     {"binc", &g.inc[BLACK], 0},
                            {"movestogo", &g.movesToGo, 0}, {"movetime", &g.moveTime, 1},
                            {"depth", &g.depth, 1},         {"mate", &g.mate, 1}};
    for (const char *t = nextToken(p); t; t = nextToken(p)) {
        if (!std::strcmp(t, "infinite"))
            g.infinite = true;
        else if (!std::strcmp(t, "ponder"))
            g.ponder = true;
        else if (!std::strcmp(t, "searchmoves"))
            g.searchMoves = true;
        int64_t v;
        if (!std::strcmp(t, "nodes") && readNumber(p, v))
            g.nodes = v < 1 ? 1 : v;
        // A clock already run below zero (the GUI's lag) still counts as a clock: 0.
        for (const field &f : fields)
            if (!std::strcmp(t, f.name) && readNumber(p, v))
                *f.value =
                    (int32_t)(v < f.least ? f.least : (v > NO_TIME_LIMIT ? NO_TIME_LIMIT : v));
    }
    return g;
}

// The search's limits and clock for the side to move. Without a clock, a fixed time or a
// depth the search runs until its deepest iteration (or until "stop").
static void setLimits(const goLimits &g) {
    const int side = sideToMove();
    timeFlags = 0;
    s_depth = DEEPEST;
    normalTime.searchTime = NO_TIME_LIMIT;
    nodeLimit = g.nodes > 0 ? (uint64_t)g.nodes : 0;
    if (g.depth > 0) {
        s_depth = (int8_t)(g.depth < DEEPEST ? g.depth : DEEPEST);
        timeFlags = TF_FIXED_DEPTH;
    }
    if (g.mate > 0 && 2 * g.mate - 1 < s_depth)
        s_depth = (int8_t)(2 * g.mate - 1); // a mate in n moves lies within 2n - 1 plies
    if (g.infinite) {
        normalTime.savedTime = 0;
    } else if (g.moveTime >= 0) {
        moveTimeBudget(g.moveTime, moveOverhead);
    } else if (g.time[side] >= 0) {
        const int32_t inc = g.inc[side] > 0 ? g.inc[side] : 0;
        clockBudget(g.time[side], inc, g.movesToGo, allmoves, moveOverhead);
    } else if (g.depth < 0 && g.nodes < 0 && g.mate < 0 && !g.ponder) {
        moveTimeBudget(UNLIMITED_GO_MS, moveOverhead);
    } else {
        normalTime.savedTime = 0;
    }
    // A ponder search has no clock until "ponderhit" starts the budget just worked out.
    pondering = g.ponder;
    if (pondering) {
        ponderBudget = normalTime.searchTime;
        ponderBanked = normalTime.savedTime;
        normalTime.searchTime = NO_TIME_LIMIT;
        normalTime.savedTime = 0;
    }
}

// "ponderhit": the predicted move was played, the engine's clock runs from now.
static void ponderHit() {
    if (!pondering)
        return;
    pondering = false;
    normalTime.searchTime = ponderBudget;
    normalTime.savedTime = ponderBanked;
    setSearchDeadlines(now());
}

// Commands that need the position or the search's settings: a search still running is
// stopped (its best move answered), then the command loop reads them.
static bool needsIdleEngine(const char *word) {
    return !std::strcmp(word, "position") || !std::strcmp(word, "go") ||
           !std::strcmp(word, "ucinewgame") || !std::strcmp(word, "setoption");
}

// One line while a "go" is under way: during the search (from its input poll) or while the
// best move waits for "stop" or "ponderhit". Returns at once when no line is known yet.
static void answerDuringGo() {
    char head[256]; // a whole line: blanks before the word do not hide it
    if (!peekInputLine(head, sizeof head)) {
        if (inputEnded())
            quitEngine(); // the GUI has gone
        return;
    }
    char word[16];
    firstWord(head, word, sizeof word);
    const bool searching = isSearchPolling();
    if (needsIdleEngine(word)) {
        released = true;
        if (searching)
            stopSearch = MOVE_NOW;
        return;
    }
    char line[64];
    readInputLine(line, sizeof line); // the rest of a long line is dropped with it
    if (!std::strcmp(word, "isready")) {
        std::printf("readyok\n");
    } else if (!std::strcmp(word, "stop")) {
        released = true;
        if (searching)
            stopSearch = MOVE_NOW;
    } else if (!std::strcmp(word, "ponderhit")) {
        if (pondering)
            released = true;
        ponderHit();
    } else if (!std::strcmp(word, "quit")) {
        quitEngine();
    } else if (!std::strcmp(word, "uci")) {
        uciIdentify();
    }
}

bool isNodeLimitReached() {
    if (nodeLimit == 0 || nodes < nodeLimit)
        return false;
    stopSearch = OUT_OF_TIME;
    return true;
}

void uciPollSearch() { answerDuringGo(); }

// The score from the side to move: centipawns, or a mate in moves (negative when mated).
static void printScore(int32_t score) {
    if (score > MATE_BOUND) {
        const int32_t n = (MATE_PLIES - score) / 2;
        std::printf("score mate %d", n > 0 ? n : 1);
    } else if (score < -MATE_BOUND) {
        const int32_t n = (MATE_PLIES + score) / 2;
        std::printf("score mate -%d", n > 0 ? n : 1);
    } else {
        std::printf("score cp %d", score);
    }
}

void uciReport(const searchReport &r) {
    if (r.kind != REPORT_THINKING || r.ponderLine)
        return;
    int32_t ms = now() - normalTime.startTime;
    if (ms < 0)
        ms = 0;
    const unsigned long long nps = (unsigned long long)r.nodes * 1000 / (ms > 0 ? ms : 1);
    std::printf("info depth %d ", r.depth);
    if (r.multipv > 0)
        std::printf("multipv %d ", r.multipv);
    printScore(r.score);
    std::printf(" nodes %llu nps %llu time %d pv", (unsigned long long)r.nodes, nps, ms);
    // The best line is the one the expected reply is taken from.
    const bool best = r.multipv <= 1;
    if (best)
        reportedLength = 0;
    for (int i = 0; i < pvlen[0] && i < MAX_PLY; i++) {
        const move_list &m = pv[0][i];
        if (m.from == m.to)
            break; // the rest of the line was not searched
        if (best)
            reportedPV[reportedLength++] = m;
        std::printf(" %s", coordstring(m));
    }
    std::printf("\n");
}

// The reply the engine expects to its move `best` (root index): the second move of the last
// reported variation when that began with `best` and the reply is legal after it.
static bool expectedReply(int16_t best, char *out, size_t size) {
    if (reportedLength < 2 || findRootMove(reportedPV[0]) != best)
        return false;
    playRootMove(best);
    generateRootMoves();
    const bool legal = findRootMove(reportedPV[1]) >= 0;
    takeback();
    if (legal)
        std::snprintf(out, size, "%s", coordstring(reportedPV[1]));
    return legal;
}

// "bestmove": the search's move, checked against the legal moves of the position (the first
// of them stands in should the search have left none).
static void announceBestMove() {
    ply = 0;
    generateRootMoves();
    if (mvstore[1] == 0 || positionRefused) {
        std::printf("bestmove 0000\n");
        return;
    }
    int16_t best = findRootMove(movePV);
    if (best < 0)
        best = 0;
    char text[8], reply[8];
    std::snprintf(text, sizeof text, "%s", coordstring(searchData[0][best]));
    if (expectedReply(best, reply, sizeof reply))
        std::printf("bestmove %s ponder %s\n", text, reply);
    else
        std::printf("bestmove %s\n", text);
}

// Time a move leaves unused stays on the engine's clock, which the GUI reports with the next
// "go": the next move's share already counts it, so nothing is banked on top.
static void bankTimeLeft() { normalTime.savedTime = 0; }

void uciGo(char *args) {
    const goLimits g = parseGo(args);
    if (g.searchMoves)
        std::printf("info string searchmoves is not supported: all moves are searched\n");
    holdBestMove = g.infinite || g.ponder;
    released = false;
    reportedLength = 0;
    ply = 0;
    generateRootMoves();
    if (positionRefused) {
        // No position was given that the engine could accept: there is nothing to answer
        // but the null move.
        pondering = g.ponder;
    } else if (mvstore[1] == 0) {
        // Mate or stalemate on the board: there is nothing to search.
        std::printf((depthFlags[0] & DPF_IN_CHECK) ? "info depth 0 score mate 0\n"
                                                   : "info depth 0 score cp 0\n");
        pondering = g.ponder;
    } else {
        setLimits(g);
        // Analysis and mate searches think about the position; the book would only name a move.
        const uint8_t book = gameFlags & GF_BOOK_ON;
        if (g.infinite || g.mate > 0)
            gameFlags &= (uint8_t)~GF_BOOK_ON;
        searchFlags = 0;
        normalTime.stopTime = now(); // a book move runs no clock: nothing of it to bank
        search();
        gameFlags |= book;
        stopSearch = 0;
        searchFlags = 0;
        nodeLimit = 0;
        ply = 0;
        bankTimeLeft();
    }
    while (holdBestMove && !released) {
        waitForInput();
        answerDuringGo();
    }
    pondering = false;
    announceBestMove();
}
