// Iterative deepening driver: book, game phase, per-search resets, aspiration windows, timing.
#include "search/search.h"

#include "board/makemove.h"
#include "board/position.h"
#include "book/book.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/search_internal.h"
#include "search/tt.h"

#include <algorithm>
#include <chrono>
#include <cstring>

constexpr int32_t MATERIAL_WINDOW = 500; // recapture window around the root balance
constexpr int32_t ASPIRATION = 150;      // window around the last score
constexpr int32_t ASPIRATION_WIDE = 300; // after a first failure
constexpr int32_t MATE_LIMIT = 9960;     // |score| below this is no mate
constexpr int ATTEMPTS = 3;              // aspiration tries per depth
// The next iteration is predicted to take the last one's time times the growth measured
// between the last two, kept within these bounds (a short iteration's ratio is mostly noise).
constexpr int32_t GROWTH_DEFAULT_X10 = 30, GROWTH_LEAST_X10 = 15, GROWTH_MOST_X10 = 60;
constexpr int32_t GROWTH_MEASURED_MS = 4; // iterations shorter than this give no ratio
// An iteration may be started when it is predicted to end within this share of the target
// (in percent): the hard limit catches the rare one that runs longer.
constexpr int32_t TARGET_OVERSHOOT_PCT = 125;
// An unstable search earns more of the hard limit: a new best move, or a score that fell.
constexpr int32_t NEW_MOVE_PCT = 170, FALLING_SCORE_PCT = 140;
constexpr int32_t FALLING_SCORE = 30;              // centipawns
constexpr uint64_t RANK_7 = 0x000000000000FF00ULL; // squares 8..15
constexpr uint64_t RANK_2 = 0x00FF000000000000ULL; // squares 48..55

int32_t choice = -1;
move_list movePV;
int8_t best_move[MAX_PLY];
int32_t best_score[MAX_PLY];
int32_t searchScore;
int8_t searchDepth;
int32_t LEmargin = 50;
int8_t drawn = -50;
int32_t drawReference;
int8_t PVdeep;
move_list ponderPV, savedPonderPV;
int8_t ponderPVLen;
int8_t multiPV = 1;
move_list rootExcluded[MULTIPV_MOST];
int8_t rootExcludedCount;
// The lines of the iteration under way when several are reported: root move first, with the
// score of the root's side.
struct rootLine {
    move_list moves[MAX_PLY];
    int8_t length;
    int32_t score;
};
static rootLine rootLines[MULTIPV_MOST];
// The clock plan of the running search: the target it aims at (ms from its start), the time
// of the iteration before the last, and what the last iteration showed.
static int32_t targetTime;
static int32_t previousIterationTime;
static bool bestMoveChanged, scoreFell;

// ---------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------

// The standard initial position (the clock-chosen first move only makes sense there).
static bool isInitialPosition() {
    const bboard &b = boards[0];
    return whiteToMove() && b.whpawns == RANK_2 && b.blpawns == RANK_7 &&
           b.whknights == ((1ULL << 57) | (1ULL << 62)) &&
           b.blknights == ((1ULL << 1) | (1ULL << 6)) &&
           b.whbishops == ((1ULL << 58) | (1ULL << 61)) &&
           b.blbishops == ((1ULL << 2) | (1ULL << 5)) &&
           b.whrooks == ((1ULL << 56) | (1ULL << 63)) && b.blrooks == ((1ULL << 0) | (1ULL << 7)) &&
           b.whqueen == (1ULL << 59) && b.blqueen == (1ULL << 3) && b.whking == (1ULL << 60) &&
           b.blking == (1ULL << 4);
}

// Milliseconds of the wall clock. The first move of a game is chosen by it: the search clock
// counts from the engine's start, so under a GUI that starts the engine for every game it
// would read the same few milliseconds each time and open every game alike.
static int64_t wallClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

int32_t openingChoice(int64_t clockMs) {
    const int n = mvstore[1];
    if (n == 0)
        return -1;
    const int wanted = openingMove[((clockMs % 30) + 30) % 30];
    for (int i = 0; i < n; i++) {
        int better = 0; // moves ranked above move i: higher order score, or equal and earlier
        for (int j = 0; j < n; j++)
            better += searchData[0][j].orderscore > searchData[0][i].orderscore ||
                      (searchData[0][j].orderscore == searchData[0][i].orderscore && j < i);
        if (better == wanted)
            return i;
    }
    return 0;
}

// Book step: the engine's first move of a game from the openingMove table, later moves from
// the book file. A ponder search stands on a guessed reply, so it never plays from the book.
// Returns the root index of the book move (already made with mvstack) or -1.
static int32_t bookChoice() {
    if (!(gameFlags & GF_BOOK_ON) || !(gameFlags & GF_IN_BOOK) || allmoves > 59 ||
        (searchFlags & SF_PONDERING))
        return -1;
    ply = 0;
    const bool firstMove = allmoves == 0 && isInitialPosition();
    // Without the hash move: the first move's rank must be the generator's own ordering, not
    // that of a search left over from an earlier game.
    SEE();
    movgen(0, 0);
    if (mvstore[1] == 0)
        return -1;
    int32_t index;
    if (firstMove) {
        normalTime.startTime = now();
        index = openingChoice(wallClockMs());
        mvstack(&searchData[0][index], (int16_t)index);
    } else {
        index = bookMove();
    }
    if (index >= 0) { // the entry position, as for a move typed in
        sideBoards = boards[0];
        savedSquares = squares[0];
        gameFlags = (uint8_t)((gameFlags & ~GF_ENTRY_WHITE) | (whiteToMove() ? GF_ENTRY_WHITE : 0));
    }
    return index;
}

// The draw score by phase: in the opening a draw is always unwelcome; in the middlegame the
// engine avoids it more when it stands better; in the endgame a draw is simply 0.
static void chooseDrawScore() {
    if (gameState == 0)
        drawn = -50;
    else if (gameState == 2)
        drawn = 0;
    else if (drawReference > 50)
        drawn = -50;
    else if (drawReference < -50)
        drawn = -25;
    else
        drawn = -75;
}

static void resetSearchTables() {
    for (int p = 0; p < MAX_PLY; p++) {
        best_score[p] = 0;
        mvstore[p] = 0;
        for (int i = 0; i < MAX_PLY; i++)
            pv[p][i] = temp_pv;
        std::memset(killerHeuristic[p], 0, sizeof killerHeuristic[p]);
    }
    // The history of the last search still orders this one, at a quarter of its weight.
    for (auto &side : quietHistory)
        for (int32_t &h : side)
            h /= 4;
    captureSequence[1] = 7;
    // At the root the flag marks a pawn of the side to move one step from promotion.
    move_tag &root = moveStack[0];
    root.stackFlags &= (uint8_t)~ST_PAWN_ON_SEVENTH;
    if (whiteToMove() ? (boards[0].whpawns & RANK_7) : (boards[0].blpawns & RANK_2))
        root.stackFlags |= ST_PAWN_ON_SEVENTH;
}

// Rebuilds the cached position of the chosen root move from the root list of the last
// iteration. The root list is re-sorted by every iteration (the hash move goes first), so
// an index remembered from an earlier list may name another move; the move itself does not.
static void adoptRootMove(const move_list &m) {
    ply = 0;
    const int n = mvstore[1];
    if (n == 0)
        return;
    int k = 0;
    for (int i = 0; i < n; i++) {
        const move_list &c = searchData[0][i];
        if (c.from == m.from && c.to == m.to && c.promote == m.promote && c.from != c.to) {
            k = i;
            break;
        }
    }
    SEE();
    depthFlags[0] &= (uint8_t) ~(DPF_EVAL_SEE | DPF_THREAT_SEE);
    mvstack(&searchData[0][k], (int16_t)k);
    choice = k;
    movePV = searchData[0][k];
    mvInfoChoice = mvinfo[k];
    mvRuleChoice = mvrules[k];
}

static bool sameRootMove(const move_list &a, const move_list &b) {
    return a.from == b.from && a.to == b.to && a.promote == b.promote;
}

static void keepRootMove() {
    movePV = pv[0][0];
    PVdeep = pvlen[0];
    if (choice >= 0) {
        mvInfoChoice = mvinfo[choice];
        mvRuleChoice = mvrules[choice];
    }
}

// Clock after an attempt: the normal clock prints the thinking line, the ponder clock none.
static void timeAttempt(int32_t scored) {
    if (searchFlags & SF_PONDERING) {
        ponderTime.timeCheck = now();
        ponderTime.elapsed = ponderTime.timeCheck - ponderTime.startTime;
        return;
    }
    normalTime.timeCheck = now();
    normalTime.elapsed = normalTime.timeCheck - normalTime.startTime;
    // Several lines are reported together once all of them are known (reportRootLines).
    if ((detectionFlags & DF_POST) && multiPV == 1)
        reportToFrontEnd(REPORT_THINKING, searchDepth, scored, normalTime.elapsed, nodes, 0);
}

// The expected reply becomes the ponder move; while pondering, a line that no longer holds
// even the reply to the engine's own move means the prediction has become doubtful, and the
// ponder search is given up. A line may end above the depth where the table answered the
// rest of it, which says nothing against the prediction: the search goes on pondering then.
static bool updatePonderMove() {
    if (!(searchFlags & SF_PONDER_ON))
        return true;
    if (!(searchFlags & SF_PONDERING)) {
        if (pvlen[0] >= 2) {
            ponderPV = pv[0][1];
            searchFlags |= SF_PONDER_MOVE;
        } else {
            searchFlags &= (uint8_t)~SF_PONDER_MOVE;
        }
        return true;
    }
    if (pvlen[0] < 2 && searchDepth > 2) {
        searchFlags &= SF_PONDER_ON;
        timeFlags &= 0x0F;
        stopSearch = 13;
        return false;
    }
    if (pvlen[0] >= 2) {
        ponderPV = pv[0][1];
        ponderPVLen = pvlen[0];
    }
    if (searchDepth <= 5) {
        searchFlags &= (uint8_t)~SF_PONDER_MOVE;
        timeFlags &= (uint8_t)~TF_PONDER_DEEP;
    } else {
        timeFlags |= TF_PONDER_DEEP;
        if (pvlen[0] >= 2)
            timeFlags |= TF_PONDER_PV2;
        else
            timeFlags &= (uint8_t)~TF_PONDER_PV2;
    }
    return true;
}

int64_t predictNextIteration(int32_t last) {
    int32_t growth = GROWTH_DEFAULT_X10;
    if (previousIterationTime >= GROWTH_MEASURED_MS)
        growth = (int32_t)std::clamp((int64_t)last * 10 / previousIterationTime,
                                     (int64_t)GROWTH_LEAST_X10, (int64_t)GROWTH_MOST_X10);
    return (int64_t)last * growth / 10;
}

void setSearchDeadlines(int32_t start) {
    const tag_time &t = normalTime;
    const bool clock = (timeFlags & (TF_CONVENTIONAL | TF_INCREMENTAL)) != 0;
    const int64_t target = (int64_t)t.searchTime + t.savedTime;
    const int64_t hard =
        (clock && t.hardTime > t.searchTime ? t.hardTime : t.searchTime) + (int64_t)t.savedTime;
    targetTime = (int32_t)std::min<int64_t>(target, INT32_MAX / 2);
    const int64_t stop = (int64_t)start + hard;
    normalTime.stopTime = stop > INT32_MAX ? INT32_MAX : (int32_t)stop;
}

// After a finished iteration: is there time for the next one? It is predicted from the growth
// measured between the last iterations, and started only when it should end near the target;
// a search whose best move just changed, or whose score fell, may aim further, never past
// the hard limit that ends any iteration.
static bool timeForNextIteration() {
    if (searchFlags & SF_PONDERING) {
        ponderTime.iterationTime = ponderTime.elapsed - ponderTime.lastTime;
        ponderTime.lastTime = ponderTime.elapsed;
        previousIterationTime = ponderTime.iterationTime;
        return true;
    }
    tag_time &t = normalTime;
    t.iterationTime = t.elapsed + t.thisIteration - t.lastTime;
    t.lastTime = t.elapsed;
    t.thisIteration = 0;
    const int64_t predicted = predictNextIteration(t.iterationTime);
    previousIterationTime = t.iterationTime;
    if (timeFlags & TF_FIXED_TIME)
        return true;
    int64_t target = targetTime;
    if (bestMoveChanged)
        target = target * NEW_MOVE_PCT / 100;
    if (scoreFell)
        target = target * FALLING_SCORE_PCT / 100;
    const int64_t end = (int64_t)t.elapsed + predicted;
    if (end * 100 > target * TARGET_OVERSHOOT_PCT || (int64_t)t.startTime + end > t.stopTime) {
        t.savedTime = 0;
        stopSearch = 11;
        return false;
    }
    return true;
}

// One depth: up to three aspiration attempts. Returns the last score; the window is left as
// the next depth starts from.
static int32_t searchOneDepth(int16_t &alpha, int16_t &beta, int32_t low, int32_t high) {
    int32_t scored = 0;
    for (int attempt = 0; attempt < ATTEMPTS; attempt++) {
        ply = 0;
        reduceOnce = reductionCount = extensionCount = 0;
        SEE();
        scored = AlphaBeta(searchDepth, alpha, beta, MATE_SCORE, clampScore(-low),
                           clampScore(-high), reduceLimits[gameState][depthIndex(searchDepth)]);
        if (stopSearch > 0) {
            if (searchDepth == 1 && (stopSearch == 11 || stopSearch == 14))
                keepRootMove(); // a move must exist even when the first depth is cut short
            break;
        }
        timeAttempt(scored);
        if (attempt == ATTEMPTS - 1)
            break;
        if (alpha < scored && scored < beta)
            break;
        if (scored > -MATE_LIMIT && scored < MATE_LIMIT) {
            const bool first = attempt == 0;
            alpha = first ? clampScore(scored - ASPIRATION_WIDE) : (int16_t)-FULL_WINDOW;
            beta = first ? clampScore(scored + ASPIRATION_WIDE) : FULL_WINDOW;
        } else {
            alpha = clampScore(scored - 1);
            beta = FULL_WINDOW;
        }
    }
    return scored;
}

static void saveRootLine(rootLine &l, int32_t score) {
    l.length = pvlen[0];
    for (int i = 0; i < l.length; i++)
        l.moves[i] = pv[0][i];
    l.score = score;
}

// Makes the line the root's principal variation again.
static void restoreRootLine(const rootLine &l) {
    for (int i = 0; i < MAX_PLY; i++)
        pv[0][i] = i < l.length ? l.moves[i] : temp_pv;
    pvlen[0] = l.length;
}

// Several best lines (MultiPV): after the iteration's best line, line k is the best root move
// left when the moves of lines 1..k-1 are left out, searched with the full window, so that
// each score is exact. The lines are ordered by score (a line searched later may come out
// better than the one the aspiration window chose: its exact score then ranks it first), and
// the first becomes the iteration's best line in pv[0]. Returns the lines found (fewer when
// the search is stopped) and leaves the best score in `scored`.
static int searchRootLines(int32_t &scored, int32_t low, int32_t high) {
    const int wanted = std::min<int>(multiPV, mvstore[1]);
    saveRootLine(rootLines[0], scored);
    int found = 1;
    for (; found < wanted; found++) {
        rootExcluded[found - 1] = rootLines[found - 1].moves[0];
        rootExcludedCount = (int8_t)found;
        ply = 0;
        reduceOnce = reductionCount = extensionCount = 0;
        SEE();
        const int32_t v =
            AlphaBeta(searchDepth, -FULL_WINDOW, FULL_WINDOW, MATE_SCORE, clampScore(-low),
                      clampScore(-high), reduceLimits[gameState][depthIndex(searchDepth)]);
        if (stopSearch > 0 || pvlen[0] < 1)
            break;
        saveRootLine(rootLines[found], v);
    }
    rootExcludedCount = 0;
    std::stable_sort(rootLines, rootLines + found,
                     [](const rootLine &a, const rootLine &b) { return a.score > b.score; });
    restoreRootLine(rootLines[0]);
    scored = rootLines[0].score;
    // The root list was generated anew by every search: the best move's index in it now.
    ply = 0;
    for (int i = 0; i < mvstore[1]; i++)
        if (sameRootMove(searchData[0][i], rootLines[0].moves[0]))
            choice = i;
    return found;
}

// One thinking line for each of the lines found, best first; pv[0] is left on the best.
static void reportRootLines(int found) {
    if (!(detectionFlags & DF_POST) || (searchFlags & SF_PONDERING))
        return;
    for (int k = 0; k < found; k++) {
        restoreRootLine(rootLines[k]);
        reportToFrontEnd(REPORT_THINKING, searchDepth, rootLines[k].score, normalTime.elapsed,
                         nodes, 0, (int8_t)(k + 1));
    }
    restoreRootLine(rootLines[0]);
}

// The flags a stopped search leaves: a deep enough ponder line is still worth pondering.
static void settleStoppedSearch() {
    if (!(searchFlags & SF_PONDER_MOVE_MADE) && (timeFlags & TF_PONDER_DEEP))
        searchFlags |= SF_PONDER_MOVE;
    searchFlags &= (uint8_t) ~(SF_SEARCH_START | SF_NULL_SEARCH | SF_NEED_QUIESCE);
}

// The iterations up to s_depth. Returns the score of the last finished iteration and
// whether there was one.
static bool iterate(int32_t &lastScore) {
    int16_t alpha = -FULL_WINDOW, beta = FULL_WINDOW;
    nodes = 0;
    // The material window is centred on the balance from the side to move's view; the root
    // hands it on negated, in the view of the side that made the last move, as every node
    // receives it.
    const int32_t balance = balanceAt(0, whiteToMove());
    const int32_t low = balance - MATERIAL_WINDOW, high = balance + MATERIAL_WINDOW;
    bool finished = false;
    move_list previousBest = temp_pv;
    bestMoveChanged = scoreFell = false;
    previousIterationTime = 0;
    for (searchDepth = 1; searchDepth <= s_depth && searchDepth < MAX_PLY; searchDepth++) {
        int32_t scored = searchOneDepth(alpha, beta, low, high);
        int32_t linesStopped = 0;
        if (multiPV > 1 && stopSearch == 0) {
            const int found = searchRootLines(scored, low, high);
            if (!(searchFlags & SF_PONDERING)) {
                normalTime.timeCheck = now();
                normalTime.elapsed = normalTime.timeCheck - normalTime.startTime;
            }
            reportRootLines(found);
            // A stop during the further lines leaves the iteration's best line complete: it
            // is kept, and the search ends after it.
            linesStopped = stopSearch;
            stopSearch = 0;
        }
        if (stopSearch == 1) {
            // Only the search itself posts code 1 inside an iteration: the single legal move,
            // whose score is complete.
            lastScore = scored;
            finished = true;
        }
        if (stopSearch > 0) {
            settleStoppedSearch();
            break;
        }
        movePV = pv[0][0];
        if (!updatePonderMove())
            break;
        PVdeep = pvlen[0];
        if (choice >= 0) {
            mvInfoChoice = mvinfo[choice];
            mvRuleChoice = mvrules[choice];
        }
        bestMoveChanged = searchDepth > 1 && !sameRootMove(movePV, previousBest);
        scoreFell = searchDepth > 1 && scored < lastScore - FALLING_SCORE;
        previousBest = movePV;
        best_move[searchDepth] = (int8_t)choice;
        best_score[searchDepth] = scored;
        lastScore = scored;
        finished = true;
        if (linesStopped > 0) {
            stopSearch = linesStopped;
            settleStoppedSearch();
            searchDepth++; // this depth was finished: it is the one the search leaves behind
            break;
        }
        if (scored > -MATE_LIMIT && scored < MATE_LIMIT) {
            alpha = clampScore(scored - ASPIRATION);
            beta = clampScore(scored + ASPIRATION);
        } else if (scored > FULL_WINDOW - searchDepth || scored < searchDepth - 9999) {
            // A mate this near is fully resolved by the depth searched: nothing deeper changes it.
            stopSearch = (searchFlags & (SF_PONDERING | SF_PONDER_MOVE_MADE)) ? 13 : 1;
            break;
        } else {
            alpha = clampScore(scored - 1);
            beta = FULL_WINDOW;
        }
        depthFlags[0] |= DPF_ON_PV;
        if (!timeForNextIteration())
            break;
    }
    searchDepth--;
    return finished;
}

// Start of the clocks. A ponder search in xboard mode is given up at once when the
// opponent's move is already waiting.
static void startClocks() {
    if (!(searchFlags & SF_PONDERING)) {
        normalTime.startTime = now();
        setSearchDeadlines(normalTime.startTime);
        return;
    }
    if ((gameFlags & GF_XBOARD) && frontEnd.inputWaiting && frontEnd.inputWaiting()) {
        stopSearch = 13;
        return;
    }
    ponderTime.startTime = now();
    if (timeFlags & TF_FIXED_TIME)
        ponderTime.stopTime = ponderTime.startTime + normalTime.searchTime;
}

static void announceMate(int32_t score) {
    if (score <= MATE_BOUND && score >= -MATE_BOUND)
        return;
    if (gameFlags & GF_XBOARD) {
        searchFlags &= (uint8_t)~SF_PONDER_MOVE; // nothing to ponder on in a mate
        return;
    }
    reportToFrontEnd(REPORT_MATE, searchDepth, score, 0, nodes, 0);
}

// ---------------------------------------------------------------------------
// Public routines
// ---------------------------------------------------------------------------

// The phase by the material on the board: an endgame once either side is down to about
// four pieces' worth, the opening for the first 15 half-moves, the middlegame otherwise.
// The endgame is never left within a game.
void classifyGamePhase() {
    if (gameState == 2) {
        LEmargin = 200;
        return;
    }
    int count[2];
    for (int c = 0; c < 2; c++) {
        bboard &b = boards[0];
        const uint64_t pieces = knightsOf(b, c) | bishopsOf(b, c) | rooksOf(b, c) | queensOf(b, c);
        count[c] = 3 * __builtin_popcountll(pawnsOf(b, c)) + 9 * __builtin_popcountll(pieces);
    }
    if (count[0] < 41 || count[1] < 41) {
        gameState = 2;
        LEmargin = 200;
    } else if (allmoves < 15) {
        gameState = 0;
        LEmargin = 50;
    } else {
        gameState = 1;
        LEmargin = 75;
    }
}

void clearSearchMemory() {
    clearHashTables();
    clearPawnHash();
    for (int p = 0; p < MAX_PLY; p++)
        killer[0][p] = killer[1][p] = matekiller[p] = tempkiller;
    std::memset(quietHistory, 0, sizeof quietHistory);
    drawn = -50;
}

// Chooses the move for the position at ply 0: from the book, or by iterative deepening.
// Leaves the move in movePV with its cached position in mvInfoChoice / mvRuleChoice, the
// reason for stopping in stopSearch (0 when the depth limit was reached).
void search() {
    ply = 0;
    ponderPVLen = 0;
    stopSearch = 0;
    ponderTime.thisIteration = ponderTime.lastTime = 0;
    normalTime.thisIteration = normalTime.lastTime = 0;
    searchFlags |= SF_SEARCH_START;
    if ((timeFlags & TF_FIXED_TIME) || allmoves < 2)
        normalTime.savedTime = 0;
    choice = bookChoice();
    if (choice != -1) {
        searchFlags &= (uint8_t) ~(SF_PONDERING | SF_PONDER_MOVE);
        gameFlags |= GF_IN_BOOK;
        movePV = searchData[0][choice];
        mvInfoChoice = mvinfo[choice];
        mvRuleChoice = mvrules[choice];
        stopSearch = 1;
        return;
    }
    movePV = temp_pv; // no move of an earlier search may stand in for this one
    if (allmoves > 54)
        gameFlags &= (uint8_t)~GF_IN_BOOK;
    // What the last searches of this game learnt stays in the tables (they are emptied for a
    // new game or a set-up position); it is marked old, so that it gives way first.
    ageHashTables();
    startClocks();
    if (stopSearch != 0)
        return;

    classifyGamePhase();
    // The middlegame draw score is chosen from the previous search's final score (the
    // engine's own view, as the root side is the engine's); the first search of a game or
    // of a set-up position has no previous score and starts from 0.
    if (allmoves <= moveStart + 1)
        drawReference = 0;
    chooseDrawScore();
    resetSearchTables();
    ply = 0;
    SEE();
    best_score[0] = evaluateAtPly(0);
    moveStack[0].exactScored = clampScore(best_score[0]);
    depthFlags[0] &= DPF_IN_CHECK;
    recordHashExactAB(moveStack[0].exactScored, RECORD_STATIC, 0, 0);

    const uint8_t sideBefore = gameFlags & GF_WHITE_TO_MOVE;
    int32_t lastScore = 0;
    searchScore = best_score[0];
    const bool finished = iterate(lastScore);
    gameFlags = (uint8_t)((gameFlags & ~GF_WHITE_TO_MOVE) | sideBefore);
    ply = 0;
    if (stopSearch != 13)
        adoptRootMove(movePV);
    if (finished) {
        searchScore = lastScore;
        drawReference = lastScore;
        announceMate(lastScore);
    }
}
