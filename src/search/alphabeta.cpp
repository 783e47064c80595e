// Alpha-beta search of the main tree, with the killer and history tables it maintains.
#include "search/search.h"

#include "board/makemove.h"
#include "board/position.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/search_internal.h"
#include "search/tt.h"

// Futility margins of a quiet move one, two and three plies from the horizon.
static const int32_t FUTILITY_MARGIN[4] = {0, 250, 450, 850};
// Moves a node one, two and three plies from the horizon tries before its late quiet moves
// are no longer searched.
static const int LATE_MOVE_COUNT[4] = {0, 4, 7, 12};
constexpr int32_t NULL_MOVE_MARGIN = 85;   // a null-move test only below alpha by this much
constexpr int32_t WIN_TABLE_ESTIMATE = 35; // extra margin when the static score is estimated
constexpr int32_t KING_ATTACK_RISE = 25;   // king-safety rise that extends a move
constexpr int32_t NULL_WINDOW_BOUND = 9500;

int32_t killerHeuristic[MAX_PLY][4096];
int8_t extensionCount, reductionCount, reduceOnce, ABdeep;
int8_t evalStalemate[MAX_PLY];

// What the node's loop knows about one move while it examines the child.
struct childWork {
    move_list *move;
    int index;
    int from, to, promote;
    uint16_t type;
    int winningType;
    int depth;     // remaining depth of the child
    int32_t value; // the move's value from this node's view
    bool decided;  // value is final: no search below the child
    bool record;   // a decided value to be stored as the child's exact score
    bool needQuiesce;
    bool onPV;
    bool evaluated;    // evaluate() ran for the child (its stalemate answer is valid)
    int8_t recordKind; // how a recorded decision is stored: a static score or a checkmate
    int scoreType;     // what the table knew of the child's static score (0, 1 or 2)
    int32_t e;         // the child's static score, from the child's view
    int reduce, extend;
    bool plyCapped;    // cut to the horizon at the iteration's ply limit, not reduced
    int16_t high, low; // material window handed to the child
};

// ---------------------------------------------------------------------------
// Shared helpers (declared in search_internal.h): evaluation and killers
// ---------------------------------------------------------------------------
int32_t evaluateAtPly(int8_t kingSafetyDone) {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    pieceStatus.stalemate = 0;
    const int32_t score = evaluate(kingSafetyDone);
    evalStalemate[ply] = pieceStatus.stalemate ? 1 : 0;
    return score;
}

static bool sameMove(const gallows &k, const move_list &m) {
    return k.killerMove == m.from * 64 + m.to && k.killerPromote == m.promote;
}

// Captures and promotions are ordered by what they take; only the other moves keep a history.
static bool keepsHistory(const move_list &m) { return !(m.type & (MT_CAPTURE | MT_PROMOTION)); }
// What one refutation (or one failed try) at this depth counts.
static int32_t historyStep(int depth) { return depth < 1 ? 1 : depth * depth; }

// A quiet move that refutes a position earns history by the square of the depth it refuted:
// a refutation found deep in the tree says more than one next to the horizon. When a count
// reaches the top, the side's whole table is halved, so recent refutations weigh the most.
static void rewardHistory(const move_list &m, int depth) {
    if (!keepsHistory(m))
        return;
    int32_t *told = historyOf(whiteToMove());
    int32_t &h = told[m.from * 64 + m.to];
    h += historyStep(depth);
    if (h >= HISTORY_MOST)
        for (int i = 0; i < 4096; i++)
            told[i] /= 2;
}

// The quiet moves a node tried before the one that refuted it lose history by as much: they
// were ordered before the refutation and failed.
static void penaliseHistory(const int16_t *tried, int count, int depth) {
    int32_t *told = historyOf(whiteToMove());
    const int32_t step = historyStep(depth);
    for (int k = 0; k < count; k++) {
        int32_t &h = told[tried[k]];
        h = h > step ? h - step : 0;
    }
}

// A cutoff move earns a history count; a quiet (or losing) move that refutes becomes a
// killer, since winning captures and promotions are ordered early without help.
void updateKillers(const move_list &m, int32_t value, int depth) {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    rewardHistory(m, depth);
    const int key = m.from * 64 + m.to;
    const int32_t count = ++killerHeuristic[ply][key];
    if (m.type & (MT_PROMOTION | MT_WINNING_CAPTURE))
        return;
    const gallows candidate = {(int16_t)key, m.promote, count};
    if (value >= 9960 && value <= MATE_SCORE)
        matekiller[ply] = {(int16_t)key, m.promote, value};
    if (sameMove(matekiller[ply], m))
        return;
    gallows &first = killer[0][ply];
    gallows &second = killer[1][ply];
    // The two slots always hold two different moves: the first killer that cuts again only
    // counts its new score, and keeps the second slot's move beside it.
    if (sameMove(first, m)) {
        first.killerScore = count;
    } else if (first.killerScore < count) {
        second = first;
        first = candidate;
    } else if (second.killerScore < count) {
        second = candidate;
    }
}

// ---------------------------------------------------------------------------
// Per-move steps of the node (the numbers are those of the loop in AlphaBeta)
// ---------------------------------------------------------------------------

// Step 5. A repeated position, the fifty-move rule and dead material end the line as a
// draw.
static bool isDrawnChild() {
    const move_tag &c = moveStack[ply];
    return isRepetitionDraw(c) || c.fiftyMove > 99 || isDrawnMaterialCount(c.materialCount);
}

// Step 7. A usable table answer decides the move. The table hands a mate back counted from
// the current ply, wherever it was found.
static void probeChild(childWork &w, int16_t alpha, int16_t beta) {
    const int16_t r = probeHashAB(alpha, beta, (int8_t)w.depth, ABdeep);
    w.needQuiesce = (searchFlags & SF_NEED_QUIESCE) != 0;
    w.scoreType = scoreType;
    if (r == HASH_NO_ENTRY || r == HASH_UNUSABLE || w.needQuiesce)
        return;
    // The root's moves and the old principal line are searched above the horizon, never
    // answered: their lines are the variation the engine reports, plays and ponders on.
    if (w.depth > 0 && (ply == 1 || w.onPV))
        return;
    w.e = r;
    w.decided = true;
    w.value = -r;
    if (w.onPV && w.depth == 0 && ply < PVdeep && (moveStack[ply].stackFlags & ST_HASH_MOVE)) {
        w.value = -PVmoveLine((int16_t)-beta, (int16_t)-alpha);
        w.record = false;
    }
}

static void evaluateChild(childWork &w, int16_t mate, int8_t kingSafetyDone);

// Step 8. The child's static score: cached by the table, or estimated from the material
// change of the move (the parent's static score plus what the move changed). When the
// parent's record holds a mate from the table instead of a static score, the child is
// evaluated: a mate plus a captured piece is no score at all.
static void estimateChild(childWork &w, int16_t mate) {
    move_tag &c = moveStack[ply];
    if (w.scoreType == 0) {
        w.e = c.exactScored;
    } else if (w.scoreType == 1) {
        w.e = c.exactScored;
        depthFlags[ply] |= DPF_ESTIMATE;
    } else if (!isStaticScore(moveStack[ply - 1].exactScored)) {
        SEE();
        evaluateChild(w, mate, 0);
    } else {
        const bool moverWhite = !whiteToMove();
        const int32_t estimate = moveStack[ply - 1].exactScored - balanceAt(ply - 1, moverWhite) +
                                 balanceAt(ply, moverWhite);
        w.e = -estimate;
        c.exactScored = clampScore(w.e);
        depthFlags[ply] |= DPF_ESTIMATE;
    }
}

static void reduceBy(childWork &w, int plies) {
    w.depth -= plies;
    w.reduce += plies;
    reductionCount = (int8_t)(reductionCount + plies);
}

// A quiet move late in the order: no capture, promotion or check, no escape of a threatened
// piece, and not one of the killers (which refuted a sibling position).
static bool isLateQuiet(const childWork &w) {
    const uint8_t order = w.move->orderscore;
    return w.index > 0 && !(w.type & (MT_CAPTURE | MT_PROMOTION | MT_CHECK | MT_ESCAPE)) &&
           order != KILLER_ORDER_FIRST && order != KILLER_ORDER_SECOND &&
           order != MATE_KILLER_ORDER;
}

// Step 8 (continued). Futility at the frontier and one to three plies before it (by the score,
// and by the count of moves tried for late quiet ones), and the reduction of moves that are
// neither the hash move nor winning captures.
static void futility(childWork &w, int16_t alpha) {
    if (inCheckAt(ply) || inCheckAt(ply - 1))
        return;
    const int32_t mover = -w.e;
    // A node one to three plies from the horizon that has tried its table move, captures,
    // killers and first quiet moves without a refutation is rarely saved by a late quiet move:
    // past a count that grows with the depth, the rest are not searched. Not at the root, and
    // not while the node is already mated, where every try counts.
    if (w.depth <= 2 && ply > 1 && alpha > -MATE_BOUND && isLateQuiet(w) &&
        w.index >= LATE_MOVE_COUNT[w.depth + 1]) {
        w.value = mover < alpha ? mover : alpha;
        w.decided = true;
        reduceBy(w, w.depth);
        return;
    }
    if (w.depth == 0) {
        const int32_t margin = w.scoreType == 0 ? 0 : LEmargin;
        if (mover + margin < alpha) {
            w.value = mover;
            w.decided = true;
        }
        return;
    }
    if (w.depth <= 3 && !(w.type & MT_CAPTURE) && mover + FUTILITY_MARGIN[w.depth] < alpha) {
        w.value = mover;
        w.decided = true;
        reduceBy(w, w.depth);
        return;
    }
    const move_tag &node = moveStack[ply - 1];
    if (w.depth <= 2 || node.hashMove == w.from * 64 + w.to || w.winningType != 0)
        return;
    if (isLateQuiet(w)) {
        int r = lateMoveReduction[depthIndex(w.depth + 1)][w.index < 63 ? w.index : 63];
        // A move whose history holds at least one refutation at this node's depth has refuted
        // positions like this one before: it is searched a ply deeper than the other late ones.
        // The child is made: the mover is the side not to move now.
        const int32_t told = historyOf(!whiteToMove())[w.from * 64 + w.to];
        if (told >= historyStep(w.depth + 1))
            r--;
        reduceBy(w, r < w.depth ? r : w.depth - 1);
    } else if (node.stackFlags & (ST_HASH_MOVE | ST_WINNING_CAPTURE)) {
        reduceBy(w, 2);
    }
}

static void kingSafetyOnly(bool testCached) {
    move_tag &c = moveStack[ply];
    if (gameState == 2 || (testCached && (c.stackFlags & ST_KING_SAFETY))) {
        c.whiteKingSafety = 0;
        c.blackKingSafety = 0;
        return;
    }
    kingSafeCheck(seeWhite.queenCount, seeBlack.queenCount);
}

// A full evaluation of the child; a checkmated child decides the move as a mate.
static void evaluateChild(childWork &w, int16_t mate, int8_t kingSafetyDone) {
    const int32_t score = evaluateAtPly(kingSafetyDone);
    w.evaluated = true;
    depthFlags[ply] &= (uint8_t)~DPF_ESTIMATE;
    w.scoreType = 0;
    w.e = score;
    if (score == EVAL_MATED) {
        moveStack[ply].exactScored = (int16_t)-mate;
        w.value = mate;
        w.decided = true;
        w.record = true;
        w.recordKind = RECORD_TERMINAL;
        reduceBy(w, w.depth);
        return;
    }
    moveStack[ply].exactScored = clampScore(score);
    recordHashExactAB(moveStack[ply].exactScored, RECORD_STATIC, 0, ply);
}

// Step 9. The attack analysis of the child and as much static work as the child needs: a
// full evaluation near the horizon, the threat scan and king safety further up.
// A child on the principal variation gets no estimate in step 8; its static score is the one
// the table left in its record when that is a real score, else it is evaluated here, so that
// the frontier and ply-limit rules below always see the child's own static score.
static void staticWork(childWork &w, int16_t mate) {
    if (w.onPV) {
        SEE();
        if (!w.decided && (w.scoreType == 2 || moveStack[ply].exactScored == HASH_NO_ENTRY))
            evaluateChild(w, mate, 0);
        else if (!w.decided)
            w.e = moveStack[ply].exactScored;
        return;
    }
    if (w.decided)
        return;
    w.high = clampScore(w.high - recapture[ply]);
    w.low = clampScore(w.low + recapture[ply]);
    if (w.evaluated)
        return; // in step 8, attack analysis included
    SEE();
    if (w.scoreType == 0) {
        kingSafetyOnly(true);
    } else if (w.scoreType == 1 || w.depth < 2) {
        const bool cached = w.scoreType == 1 && (moveStack[ply].stackFlags & ST_KING_SAFETY);
        if (cached) {
            // A cached "no danger" mark stands for two zero king-safety values; the record
            // still holds the parent's values, copied by the move.
            moveStack[ply].whiteKingSafety = 0;
            moveStack[ply].blackKingSafety = 0;
        }
        evaluateChild(w, mate, cached ? 1 : 0);
    } else {
        hangsThreats();
        kingSafetyOnly(false);
    }
}

static void extendBy(childWork &w, int plies) {
    w.depth += plies;
    w.extend += plies;
    extensionCount = (int8_t)(extensionCount + plies);
}

// Step 10. Extensions: repeated checks by one side, even recaptures, a pawn reaching the
// seventh rank, a sharp rise in the danger to the king, and the only reply to a check.
static void extendChild(childWork &w) {
    move_tag &c = moveStack[ply];
    const move_tag &node = moveStack[ply - 1];
    const bool moverWhite = !whiteToMove();
    const int limit = max_extn[depthIndex(searchDepth)];
    if (inCheckAt(ply)) {
        int8_t &counter = moverWhite ? c.whiteCheckExtension : c.blackCheckExtension;
        counter++;
        // The first check of a side is often a harmless spite check; a side that keeps
        // checking is hunting the king. Past four checks the chase is left to the search.
        if (extensionCount < limit) {
            if (counter == 2 || counter == 3)
                extendBy(w, 1);
            else if (counter == 4)
                extendBy(w, 2);
        }
    }
    if (w.extend == 0 && extensionCount < limit && node.captureSquare == w.to &&
        w.winningType != 0) {
        // The window comes in the view of the side that moved into this node; the mover
        // sees it negated. A recapture that keeps the balance near the root's is extended.
        const int32_t balance = balanceAt(ply, moverWhite);
        const int32_t lowMover = -w.high, highMover = -w.low;
        const int victim = c.capturedPiece >= 0 && c.capturedPiece < 8 ? c.capturedPiece : EMPTY;
        if (lowMover < balance && balance < highMover + pieceValue[victim])
            extendBy(w, 1);
    }
    if (w.extend == 0 && extensionCount < limit && (c.stackFlags & ST_PAWN_ON_SEVENTH))
        extendBy(w, 1);
    if (!inCheckAt(ply)) {
        const bool childWhite = whiteToMove();
        const int32_t now16 = childWhite ? c.whiteKingSafety : c.blackKingSafety;
        const int32_t before = childWhite ? node.whiteKingSafety : node.blackKingSafety;
        if (now16 - before > KING_ATTACK_RISE)
            extendBy(w, 1);
    }
    if (w.extend == 0 && inCheckAt(ply - 1) && mvstore[ply] == 1)
        extendBy(w, 1);
}

// Step 11. Beyond the ply limit of this iteration a line goes no deeper than the horizon:
// extensions are taken back and the child is treated as a frontier node.
static void plyLimit(childWork &w) {
    if (ply <= ABSearchDepth[depthIndex(searchDepth)])
        return;
    if (w.extend) {
        extensionCount = (int8_t)(extensionCount - w.extend);
        w.depth -= w.extend;
        w.extend = 0;
    }
    if (w.depth > 0) {
        reduceBy(w, w.depth);
        w.plyCapped = true;
    }
    w.value = -w.e;
}

static void pruneAsHopeless(childWork &w) {
    w.value = -w.e;
    w.decided = true;
    if (w.depth > 0)
        reduceBy(w, w.depth);
}

// Step 12a. The null-move test of a move: the opponent passes and the mover moves again. If
// even that free move leaves the mover at or below alpha, the move itself is hopeless.
static void nullMoveTest(childWork &w, int16_t alpha, int16_t mate, int8_t xDepth) {
    const move_tag savedRecord = moveStack[ply];
    const uint8_t savedFlags = depthFlags[ply];
    gameFlags ^= GF_WHITE_TO_MOVE;
    SEE();
    searchFlags |= SF_NULL_SEARCH;
    detectionFlags |= DF_AFTER_NULL;
    const int nullDepth = w.depth - nullR[gameState][depthIndex(ply)];
    const int16_t v =
        AlphaBeta((int8_t)(nullDepth < 0 ? 0 : nullDepth), alpha, (int16_t)(alpha + 1), mate,
                  (int16_t)-w.low, (int16_t)-w.high, xDepth);
    searchFlags &= (uint8_t)~SF_NULL_SEARCH;
    gameFlags ^= GF_WHITE_TO_MOVE;
    // The test searched the child's position with the other side to move; the child's own
    // record and flags are put back as they were.
    moveStack[ply] = savedRecord;
    depthFlags[ply] = savedFlags;
    pvlen[ply] = ply; // a line found with the other side to move is no line of this child
    SEE();
    if (stopSearch > 0)
        return;
    if (v <= alpha)
        pruneAsHopeless(w);
}

// Step 12. Null-move test, threat pruning and the reductions of moves that look bad.
static void nullMoveAndReductions(childWork &w, int16_t alpha, int16_t beta, int16_t mate,
                                  int8_t xDepth) {
    if (w.decided || w.extend || w.reduce || w.depth <= 0 ||
        !windowInside(alpha, beta, NULL_WINDOW_BOUND) || inCheckAt(ply) || inCheckAt(ply - 1) ||
        w.winningType != 0)
        return;
    const move_tag &c = moveStack[ply];
    const move_tag &node = moveStack[ply - 1];
    const int32_t mover = -w.e;
    const int threat = c.threatenedPiece >= 0 && c.threatenedPiece < 12 ? c.threatenedPiece : 0;
    const int nIndex = n_moveTable[gameState][depthIndex(ABdeep)];
    if (w.scoreType == 0 && gameState == 1 && !(searchFlags & SF_NULL_SEARCH) && w.depth > 1) {
        if (threat > 0 && ply > nIndex) {
            if (!pieceStatus.promotionImminent &&
                mover + hangValue[threat] + reduceMargin[depthIndex(w.depth)] < alpha)
                pruneAsHopeless(w);
        } else if ((threat == 0 && mover + NULL_MOVE_MARGIN < alpha) ||
                   (threat > 0 && mover + hangValue[threat] < alpha)) {
            nullMoveTest(w, alpha, mate, xDepth);
        }
        if (w.decided || stopSearch > 0)
            return;
    }
    if (w.depth > 2 && w.reduce == 0 && reduceOnce == 0) {
        const int32_t margin =
            winTable[depthIndex(w.depth)] + (w.scoreType == 0 ? 0 : WIN_TABLE_ESTIMATE);
        if (mover + margin < alpha) {
            reduceBy(w, 1);
            reduceOnce = 1;
        }
    }
    if (reductionCount != 0 || node.hashMove == w.from * 64 + w.to)
        return;
    if (w.scoreType == 2) {
        if (mover < alpha) {
            reduceBy(w, 1);
            if (w.depth == 0) {
                w.value = mover;
                w.decided = true;
            }
        }
        return;
    }
    if (w.scoreType != 0)
        return;
    if (threat > 0 && w.reduce == 0 && w.depth > 1 && w.depth <= xDepth &&
        alpha > mover + hangValue[threat] + reduceMargin[depthIndex(w.depth)])
        reduceBy(w, 1);
    if (w.depth > 2 && w.reduce == 0 && (node.stackFlags & ST_WINNING_CAPTURE) &&
        !(w.type & MT_CAPTURE) && c.threatenedPiece < c.hangingPiece && mover < alpha)
        reduceBy(w, 1);
}

// Step 14. At the frontier, once a mate at least this near is known, the child cannot
// matter: its static score stands.
static void frontierMateDistance(childWork &w, int16_t alpha, int16_t mate) {
    if (w.decided || w.onPV || w.depth >= 1)
        return;
    const bool winning = alpha > MATE_BOUND && alpha < FULL_WINDOW && alpha >= mate;
    const bool losing = alpha > -FULL_WINDOW && alpha < -MATE_BOUND && alpha <= -mate;
    if (winning || losing) {
        w.value = -moveStack[ply].exactScored;
        w.decided = true;
        w.record = true;
        w.recordKind = RECORD_STATIC;
    }
}

// Step 15, frontier. Quiescence runs unless the table answered, the child is a stalemate,
// the line is too deep, or the static score is far enough outside the window.
static void scoreFrontier(childWork &w, int16_t alpha, int16_t beta, int16_t mate) {
    move_tag &c = moveStack[ply];
    const int hanging = c.hangingPiece >= 0 && c.hangingPiece < 12 ? c.hangingPiece : 0;
    w.value = -w.e;
    bool quiesce = w.needQuiesce;
    if (w.evaluated && evalStalemate[ply]) {
        c.exactScored = drawValueAt(ply);
        w.value = -drawValueAt(ply);
        recordHashExactAB(drawValueAt(ply), RECORD_TERMINAL, 0, ply);
        return;
    }
    if (ply > schdth[depthIndex(searchDepth)]) {
        // What hangs is added to a static score, never to a mate the table handed over.
        w.value = -(w.e + (isStaticScore(w.e) ? hangValue[hanging] : 0));
        return;
    }
    if (quiesce && windowInside(alpha, beta, MATE_BOUND + 1) && !inCheckAt(ply)) {
        const bool nodeInCheck = inCheckAt(ply - 1);
        const bool seventh = (c.stackFlags & ST_PAWN_ON_SEVENTH) != 0;
        const int32_t margin = nodeInCheck ? 900 : (seventh ? 600 : hangValue[hanging] + 50);
        if (w.e + margin < -beta)
            quiesce = false;
        else if (alpha < -MATE_SCORE || alpha <= 50 - w.e)
            quiesce = !(!nodeInCheck && !seventh && w.e + 900 < -beta);
        else
            quiesce = false;
    }
    if (!quiesce)
        return;
    horizonDepth = ply;
    w.value = -Quiesce(6, (int8_t)(ply + 2), (int16_t)-beta, (int16_t)-alpha, mate);
    if (depthFlags[ply] & DPF_CHILD_ESTIMATE)
        depthFlags[ply] |= DPF_ESTIMATE;
    else
        depthFlags[ply] &= (uint8_t)~DPF_ESTIMATE;
}

// Step 16. A reduced move that beats alpha is searched again without its reductions: it was
// searched shallower on the guess that it would not matter, and it did. A line cut at the
// ply limit keeps its cap and gets one more ply when it lands inside the window.
static void researchReduced(childWork &w, int16_t alpha, int16_t beta, int16_t mate,
                            int8_t xDepth) {
    if (w.decided || w.reduce <= 0 || w.value <= alpha || stopSearch > 0)
        return;
    SEE();
    if (!w.plyCapped) {
        reductionCount = (int8_t)(reductionCount - w.reduce);
        w.depth += w.reduce;
        w.reduce = 0;
        if (w.depth < 1) {
            scoreFrontier(w, alpha, beta, mate);
            return;
        }
        w.value = -AlphaBeta((int8_t)w.depth, (int16_t)-beta, (int16_t)-alpha, mate,
                             (int16_t)-w.low, (int16_t)-w.high, xDepth);
        return;
    }
    if (w.depth != 0 || w.value >= beta)
        return;
    if (ply < searchDepth + extensionCount && ply < schdth[depthIndex(searchDepth)]) {
        reductionCount--;
        w.value = -AlphaBeta(1, (int16_t)-beta, (int16_t)-alpha, mate, (int16_t)-w.low,
                             (int16_t)-w.high, xDepth);
    } else {
        horizonDepth = ply;
        w.value = -Quiesce(6, (int8_t)(ply + 2), (int16_t)-beta, (int16_t)-alpha, mate);
    }
}

// Steps 1 to 16 for one move: make it, decide how (and whether) the child is searched, and
// return its value from this node's view. The caller takes the move back.
static int32_t examineMove(childWork &w, int16_t &alpha, int16_t beta, int16_t mate,
                           int8_t xDepth) {
    // Step 1. Make the move.
    nodes++;
    depthFlags[ply + 1] = 0;
    w.from = w.move->from;
    w.to = w.move->to;
    w.promote = w.move->promote;
    w.type = w.move->type;
    w.winningType = w.type & MT_WINNING_CAPTURE;
    mvstack(w.move, (int16_t)w.index);
    prefetchHashSlots((int8_t)(ply + 1));
    prefetchPawnEntry((int8_t)(ply + 1));
    currentline[ply] = *w.move;
    // Step 2. Nominal depth of this line, handed to the table.
    ABdeep = (int8_t)(searchDepth + extensionCount - reductionCount);
    // Step 3. Only the first move of a node on the old line continues it.
    w.onPV = (depthFlags[ply] & DPF_ON_PV) && ply < PVdeep &&
             w.from + w.to == pv[0][ply].from + pv[0][ply].to;
    if (w.onPV)
        depthFlags[ply + 1] |= DPF_ON_PV;
    // Step 4. Enter the child.
    ply++;
    passThreshhold[ply] = FULL_WINDOW;
    gameFlags ^= GF_WHITE_TO_MOVE;
    pvlen[ply] = ply;
    evalStalemate[ply] = 0; // known only once the child is evaluated
    // Step 5. Draws.
    if (isDrawnChild()) {
        moveStack[ply].exactScored = drawValueAt(ply);
        w.value = -drawValueAt(ply);
        w.decided = true;
    }
    // Step 6. Clock.
    if (pollClock()) {
        w.value = alpha;
        return w.value;
    }
    if (!w.decided) {
        probeChild(w, alpha, beta); // Step 7: the table's answer
        if (!w.decided && !w.onPV) {
            estimateChild(w, mate); // Step 8: estimate and futility
            if (!w.decided)
                futility(w, alpha);
        }
    }
    staticWork(w, mate); // Step 9: the child's static work
    if (!w.decided)
        extendChild(w); // Step 10: extensions
    if (!w.decided)
        plyLimit(w);                                     // Step 11: the ply limit
    nullMoveAndReductions(w, alpha, beta, mate, xDepth); // Step 12: null move, reductions
    if (stopSearch > 0) {
        w.value = alpha;
        return w.value;
    }
    int32_t inputValue = 0;
    if (pollInput(alpha, inputValue)) { // Step 13: input
        w.value = inputValue;
        return w.value;
    }
    frontierMateDistance(w, alpha, mate); // Step 14: mate distance at the frontier
    // Step 15. Score the child.
    if (w.decided) {
        if (w.record && stopSearch == 0) {
            const int8_t estimated = (depthFlags[ply] & DPF_CHILD_ESTIMATE) ? 1 : 0;
            recordHashExactAB(clampScore(-w.value), w.recordKind, estimated, ply);
        }
        return w.value;
    }
    if (w.depth < 1)
        scoreFrontier(w, alpha, beta, mate);
    else
        w.value = -AlphaBeta((int8_t)w.depth, (int16_t)-beta, (int16_t)-alpha, mate,
                             (int16_t)-w.low, (int16_t)-w.high, xDepth);
    researchReduced(w, alpha, beta, mate, xDepth); // Step 16: re-search of a reduced move
    return w.value;
}

// Step 5 of the node entry. The only legal move at the root is played without a search:
// it is made, evaluated once and reported, and the search stops with code 1.
static int16_t singleRootMove(int16_t mate) {
    move_list &m = searchData[0][0];
    mvstack(&m, 0);
    const bool pondering = (searchFlags & SF_PONDERING) != 0;
    if (!pondering) {
        pv[0][0] = m;
        movePV = m;
        currentline[0] = m;
        choice = 0;
        mvInfoChoice = mvinfo[0];
        mvRuleChoice = mvrules[0];
        pvlen[0] = pvlen[1] = 1;
        PVdeep = pvlen[0];
    }
    ply = 1;
    gameFlags ^= GF_WHITE_TO_MOVE;
    depthFlags[1] &= (uint8_t)~DPF_CHILD_ESTIMATE;
    SEE();
    const int32_t childScore = evaluateAtPly(0);
    moveStack[1].exactScored = clampScore(childScore);
    // The root's score is the child's static score from the root's side; a mating reply is a
    // mate in one.
    const int32_t score = childScore == EVAL_MATED ? mate - 1 : -childScore;
    if (!pondering)
        recordHashExactAB(moveStack[1].exactScored, RECORD_STATIC, 0, 1);
    gameFlags ^= GF_WHITE_TO_MOVE;
    ply = 0;
    if (pondering) {
        stopSearch = 13;
        return clampScore(score);
    }
    if (detectionFlags & DF_POST)
        reportToFrontEnd(REPORT_THINKING, searchDepth, score, 0, 1, 0);
    stopSearch = 1;
    return clampScore(score);
}

// Searches the position at ply in negamax form and returns its score for the side to move.
// `mate` is the score of being mated here; high/low the material window of the recapture
// extension in the view of the side that moved into this node; xDepth the depth limit of the
// threat reduction. Reads and writes the per-ply stacks above ply; unwinds with alpha as
// soon as stopSearch is posted.
int16_t AlphaBeta(int8_t depth, int16_t alpha, int16_t beta, int16_t mate, int16_t high,
                  int16_t low, int8_t xDepth) {
    ASSERT(ply >= 0 && ply < MAX_PLY - 1);
    // Step 1. Locals.
    int hashFlag = 1;
    int bmfrom = 0, bmto = 0, bmtype = 0;
    // Step 2. Mate-distance pruning: no score here can exceed a mate delivered next move or
    // fall below being mated now, so a window beyond those bounds is already decided.
    if (alpha >= mate || beta <= -mate) {
        depthFlags[ply] &= (uint8_t)~DPF_CHILD_ESTIMATE;
        return alpha >= mate ? alpha : beta;
    }
    // Step 3. Generate.
    generateSearchMoves(0, 0);
    // Step 4. Checkmate or stalemate.
    if (generated[ply] == 0) {
        if (ply == 0 && (searchFlags & SF_PONDERING)) {
            stopSearch = 13;
            return alpha;
        }
        depthFlags[ply] &= (uint8_t)~DPF_CHILD_ESTIMATE;
        const int16_t score = inCheckAt(ply) ? (int16_t)-mate : drawValueAt(ply);
        recordHashExactAB(score, RECORD_TERMINAL, 0, ply);
        return score;
    }
    // Step 5. A single legal move at the root.
    if (ply == 0 && generated[0] == 1)
        return singleRootMove(mate);
    // Step 6. The loop over the moves in generated order.
    mate--;
    const int count = mvstore[ply + 1];
    int16_t quietTried[64]; // from * 64 + to of the quiet moves searched here so far
    int quietCount = 0;
    for (int i = 0; i < count; i++) {
        if (ply == 0 && rootExcludedCount > 0 && isRootExcluded(orderedMove(i)))
            continue; // the move of a better line, already reported
        childWork w = {};
        w.move = &orderedMove(i);
        // The next move's table slots are fetched while this one is searched: most children
        // are settled quickly, and the next probe then finds its slots in the cache.
        if (i + 1 < count)
            prefetchChildSlots(orderedMove(i + 1));
        w.index = i;
        w.depth = depth > 0 ? depth - 1 : 0; // a null-move test may arrive with depth 0
        w.high = high;
        w.low = low;
        const int8_t savedExt = extensionCount, savedRed = reductionCount, savedOnce = reduceOnce;
        const move_list m = *w.move;
        int32_t value = examineMove(w, alpha, beta, mate, xDepth);
        // Step 17. Take the move back.
        if (depthFlags[ply] & DPF_CHILD_ESTIMATE)
            depthFlags[ply - 1] |= DPF_CHILD_ESTIMATE;
        else
            depthFlags[ply - 1] &= (uint8_t)~DPF_CHILD_ESTIMATE;
        gameFlags ^= GF_WHITE_TO_MOVE;
        if (stopSearch == 0)
            reportLine(value);
        ply--;
        if (stopSearch > 0)
            return alpha;
        // Only the first move of a node continues the old line; and the exchange arrays of
        // this position were overwritten by the evaluations below it.
        depthFlags[ply] &= (uint8_t) ~(DPF_ON_PV | DPF_EVAL_SEE | DPF_THREAT_SEE);
        extensionCount = savedExt;
        reductionCount = savedRed;
        reduceOnce = savedOnce;
        // Step 18. Result.
        if (value >= beta) {
            // The refutation is the move to try first when the position comes back: it is
            // stored, not the best move found before it.
            updateKillers(m, value, depth);
            if (keepsHistory(m))
                penaliseHistory(quietTried, quietCount, depth);
            depthFlags[ply] &= (uint8_t) ~(DPF_ESTIMATE | DPF_CHILD_ESTIMATE);
            ABdeep = (int8_t)(searchDepth + extensionCount - reductionCount);
            const uint8_t cutTo =
                (uint8_t)((m.type & MT_PROMOTION) ? m.to + (m.promote - 2) * 64 : m.to);
            recordHashAB(beta, (uint8_t)(m.type & 0xFF), m.from, cutTo, 2, 0, ABdeep);
            if (ply == 0) {
                // An aspiration fail-high at the root: the move that broke the window is the
                // best known, and the next attempt starts from it.
                updatePV(m);
                choice = i;
            }
            return beta;
        }
        if (keepsHistory(m) && quietCount < 64)
            quietTried[quietCount++] = (int16_t)(m.from * 64 + m.to);
        if (value > alpha) {
            alpha = clampScore(value);
            if (depthFlags[ply] & DPF_CHILD_ESTIMATE)
                depthFlags[ply] |= DPF_ESTIMATE;
            else
                depthFlags[ply] &= (uint8_t)~DPF_ESTIMATE;
            updatePV(m);
            hashFlag = 0;
            depthFlags[ply] |= DPF_ALPHA_RAISED;
            if (ply == 0)
                choice = i;
            bmfrom = m.from;
            bmto = (m.type & MT_PROMOTION) ? m.to + (m.promote - 2) * 64 : m.to;
            bmtype = m.type & 0xFF;
        }
    }
    // Node exit. The nominal depth is this node's own: the global may have been moved by the
    // lines below it.
    ABdeep = (int8_t)(searchDepth + extensionCount - reductionCount);
    // A root searched without some of its moves has no score of its own to store.
    if (ply > 0 || rootExcludedCount == 0)
        recordHashAB(alpha, (uint8_t)bmtype, (int8_t)bmfrom, (uint8_t)bmto, (int8_t)hashFlag,
                     (depthFlags[ply] & DPF_ESTIMATE) ? 1 : 0, ABdeep);
    return alpha;
}
