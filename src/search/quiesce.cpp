// Quiescence search: captures, then a few checks, and every evasion when in check.
#include "search/search.h"

#include "board/makemove.h"
#include "board/position.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/search_internal.h"
#include "search/tt.h"

constexpr int32_t QS_ESTIMATE_MARGIN = 50; // an estimated static score is trusted to 50
constexpr int32_t QS_STOP_MARGIN = 65;     // gain beyond which the parent stops early
constexpr int32_t QS_HANG_MARGIN = 30;     // the same when a hanging piece was found

int32_t passThreshhold[MAX_PLY];
int8_t QSdeep, horizonDepth;

// What the node's loop knows about one move while it examines the child.
struct qsChild {
    int32_t value;
    int32_t e; // the child's static score, from the child's view
    bool decided;
    bool record;
    bool evaluated;
    int8_t recordKind; // a recorded decision: a static judgement, or a checkmate or stalemate
};

// Leaves the value a node returns, negated, in its passThreshhold.
static int16_t leave(int32_t value) {
    passThreshhold[ply] = -value;
    return clampScore(value);
}

// Records a terminal or static answer of a node without moves: as a main-search result at
// the first quiescence ply (it stands in for the frontier node), else as a quiescence one.
static void recordTerminal(int16_t value, int8_t kind) {
    if (horizonDepth == ply)
        recordHashExactAB(value, kind, 0, QSdeep);
    else
        recordHashExactQS(value, kind, 0, QSdeep);
}

// Step 4. Generates the moves of the node. Returns true with *result set when the node ends
// here for want of moves.
static bool generateMoves(int8_t QSdepth, int8_t &checksDepth, int16_t mate, int &evasionBonus,
                          int16_t &result) {
    const bool inCheck = inCheckAt(ply);
    const int16_t stat = moveStack[ply].exactScored;
    evasionBonus = 0;
    // A side in check gets every evasion below, however deep the line: with only its checking
    // evasions it would be scored as mated when its one good answer is a quiet one.
    if (QSdepth == 0 && checksDepth > 0 && !inCheck) {
        generateSearchMoves(2, 1);
        if (generated[ply] > 0)
            return false;
        QSdeep = ply;
        depthFlags[ply] &= (uint8_t)~DPF_CHILD_ESTIMATE;
        if (evalStalemate[ply]) {
            recordHashExactQS(drawValueAt(ply), RECORD_TERMINAL, 0, QSdeep);
            result = leave(drawValueAt(ply));
        } else {
            recordHashExactQS(stat, RECORD_RESULT, 0, QSdeep);
            result = leave(stat);
        }
        return true;
    }
    if (!inCheck) {
        generateSearchMoves(1, 1);
        if (generated[ply] > 0)
            return false;
        depthFlags[ply] &= (uint8_t)~DPF_CHILD_ESTIMATE;
        if (evalStalemate[ply]) {
            recordTerminal(drawValueAt(ply), RECORD_TERMINAL);
            result = leave(drawValueAt(ply));
        } else {
            recordTerminal(stat, RECORD_RESULT);
            result = leave(stat);
        }
        return true;
    }
    generateSearchMoves(0, 1);
    if (generated[ply] == 0) {
        depthFlags[ply] &= (uint8_t)~DPF_CHILD_ESTIMATE;
        recordTerminal((int16_t)-mate, RECORD_TERMINAL);
        result = leave(-mate);
        return true;
    }
    // A forced reply keeps the line going: one evasion earns two more plies of checks, two
    // evasions one more.
    if (generated[ply] == 1)
        evasionBonus = 2;
    else if (generated[ply] == 2)
        evasionBonus = 1;
    checksDepth = (int8_t)(checksDepth + evasionBonus);
    return false;
}

// Step 5 of the move loop: a usable table answer decides the move without a record (the
// table counts a mate from the current ply).
static void probeChild(qsChild &w, int16_t alpha, int16_t beta) {
    const int16_t r = probeHashQS(alpha, beta);
    if (r == HASH_NO_ENTRY || (searchFlags & SF_NEED_QUIESCE))
        return;
    w.e = r;
    w.decided = true;
    w.value = -r;
}

// Step 6. Cheap cut-offs on the cached or estimated static score of the child.
static void estimateChild(qsChild &w, int16_t alpha) {
    move_tag &c = moveStack[ply];
    if (scoreType == 0) {
        w.e = c.exactScored;
        if (-w.e < alpha) {
            w.value = -w.e;
            w.decided = true;
        }
    } else if (scoreType == 1) {
        w.e = c.exactScored;
        if (-w.e + QS_ESTIMATE_MARGIN < alpha) {
            w.value = -w.e;
            w.decided = true;
            depthFlags[ply] |= DPF_CHILD_ESTIMATE;
        }
    } else if (!inCheckAt(ply) && !inCheckAt(ply - 1) &&
               isStaticScore(moveStack[ply - 1].exactScored)) {
        // (A mate from the table in the node's record is no base for an estimate: the child
        // is evaluated instead.)
        const bool moverWhite = !whiteToMove();
        const int32_t estimate = moveStack[ply - 1].exactScored - balanceAt(ply - 1, moverWhite) +
                                 balanceAt(ply, moverWhite);
        w.e = -estimate;
        c.exactScored = clampScore(w.e);
        if (estimate + QS_ESTIMATE_MARGIN < alpha) {
            w.value = estimate;
            w.decided = true;
            w.record = true;
            depthFlags[ply] |= DPF_CHILD_ESTIMATE;
        }
    }
}

// Step 7. Static work on the child and the stand-pat decisions.
static void evaluateChild(qsChild &w, int8_t QSdepth, int8_t checksDepth, int16_t alpha,
                          int16_t beta, int16_t mate) {
    move_tag &c = moveStack[ply];
    SEE();
    if (scoreType == 0) {
        if (detectionFlags & DF_NEW_PASSER)
            PPadjust();
    } else {
        w.e = evaluateAtPly(0);
        w.evaluated = true;
        c.exactScored = clampScore(w.e);
    }
    if (w.evaluated && w.e == EVAL_MATED) {
        c.exactScored = (int16_t)-mate;
        w.value = mate;
        w.decided = w.record = true;
        w.recordKind = RECORD_TERMINAL;
        return;
    }
    if (w.evaluated && evalStalemate[ply]) {
        w.value = -drawValueAt(ply);
        w.decided = w.record = true;
        w.recordKind = RECORD_TERMINAL;
        return;
    }
    w.record = w.evaluated; // a decision below keeps a freshly evaluated score
    if (QSdepth == 0) {
        if (checksDepth == 0 || ply >= schdth[depthIndex(horizonDepth)]) {
            w.value = -w.e;
            w.decided = true;
        }
        return;
    }
    if (!windowInside(alpha, beta, MATE_BOUND + 1) || inCheckAt(ply))
        return;
    const bool nodeInCheck = inCheckAt(ply - 1);
    const bool seventh = (c.stackFlags & ST_PAWN_ON_SEVENTH) != 0;
    const int hanging = c.hangingPiece >= 0 && c.hangingPiece < 12 ? c.hangingPiece : 0;
    const int32_t margin = nodeInCheck ? 900 : (seventh ? 600 : hangValue[hanging] + 50);
    if (w.e + margin < -beta) {
        w.value = -w.e;
        w.decided = true;
    } else if (alpha < -MATE_SCORE || alpha <= 50 - w.e) {
        if (!nodeInCheck && !seventh && w.e + 900 < -beta) {
            w.value = -w.e;
            w.decided = true;
        }
    } else {
        w.value = -w.e;
        w.decided = true;
    }
    if (!w.decided)
        w.record = false;
}

// Step 13. Tells the parent to stop early when this move already gained clearly more than
// the material the move into this node took.
static void signalParent(int16_t alpha, int16_t beta) {
    if (stopSearch != 0 || ply - 1 - horizonDepth < 2 || !windowInside(alpha, beta, MATE_BOUND + 1))
        return;
    const move_tag &node = moveStack[ply - 1];
    const int victim =
        node.capturedPiece >= 0 && node.capturedPiece < 8 ? node.capturedPiece : EMPTY;
    const int32_t gain = node.exactScored + node.newPassedPawn + pieceValue[victim];
    const bool hangFound = (moveStack[ply].stackFlags & ST_HANG_FOUND) != 0;
    if ((!hangFound && gain + QS_STOP_MARGIN < passThreshhold[ply]) ||
        (hangFound && gain - QS_HANG_MARGIN < -moveStack[ply].exactScored))
        depthFlags[ply - 1] |= DPF_QS_STOP;
}

// Searches captures (QSdepth plies), then checks (while checksDepth lasts), and all evasions
// when in check, for the position at ply. Keeps the fail-soft best in passThreshhold.
int16_t Quiesce(int8_t QSdepth, int8_t checksDepth, int16_t alpha, int16_t beta, int16_t mate) {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    // Step 1. Locals.
    int hashFlag = 1;
    int bmfrom = 0, bmto = 0, bmtype = 0;
    move_tag &node = moveStack[ply];
    // Step 2. Mate-distance pruning, as in the main search.
    if (alpha >= mate || beta <= -mate) {
        depthFlags[ply] &= (uint8_t)~DPF_CHILD_ESTIMATE;
        return leave(alpha >= mate ? alpha : beta);
    }
    // Step 3. The end of the stack: the static score.
    if (ply >= MAX_PLY - 1) {
        depthFlags[ply] &= (uint8_t)~DPF_CHILD_ESTIMATE;
        recordHashExactQS(node.exactScored, RECORD_RESULT, 0, QSdeep);
        return leave(node.exactScored);
    }
    // Step 4. Generate.
    int evasionBonus = 0;
    int16_t result = 0;
    if (generateMoves(QSdepth, checksDepth, mate, evasionBonus, result))
        return result;
    // Standing pat: a side that is not in check may decline every capture and check that the
    // quiescence search offers it, so its static score bounds what it gets from below. Without
    // it a side with one capture on offer is made to play it, and a capture that walks into a
    // mate would be scored as forced mate.
    if (!inCheckAt(ply) && node.exactScored != HASH_NO_ENTRY) {
        const int16_t stand = node.exactScored;
        if (stand >= beta) {
            depthFlags[ply] &= (uint8_t)~DPF_CHILD_ESTIMATE;
            return leave(stand);
        }
        if (stand > alpha)
            alpha = stand;
        if (-stand < passThreshhold[ply])
            passThreshhold[ply] = -stand;
    }
    // Step 5. The loop.
    mate--;
    const int count = mvstore[ply + 1];
    for (int i = 0; i < count; i++) {
        const move_list m = orderedMove(i);
        qsChild w = {};
        w.recordKind = RECORD_STATIC;
        // Step 1 of the move. Make it.
        nodes++;
        depthFlags[ply + 1] = 0;
        mvstack(&searchData[ply][i], (int16_t)i);
        prefetchHashSlots((int8_t)(ply + 1));
        prefetchPawnEntry((int8_t)(ply + 1));
        currentline[ply] = m;
        ply++;
        gameFlags ^= GF_WHITE_TO_MOVE;
        pvlen[ply] = ply;
        QSdeep = ply;
        passThreshhold[ply] = FULL_WINDOW;
        evalStalemate[ply] = 0; // known only once the child is evaluated
        // Step 2. Consume a ply of each budget.
        const int8_t savedQS = QSdepth, savedChecks = checksDepth;
        if (checksDepth > 0)
            checksDepth--;
        if (QSdepth > 0)
            QSdepth--;
        // Step 3. Draws.
        const move_tag &c = moveStack[ply];
        if (isRepetitionDraw(c) || c.fiftyMove > 99 || isDrawnMaterialCount(c.materialCount)) {
            w.value = -drawValueAt(ply);
            w.decided = true;
            // Dead material is a draw wherever the position is met; a repetition or the
            // fifty-move count belongs to the path and is not stored.
            w.record = isDrawnMaterialCount(c.materialCount);
            w.recordKind = RECORD_TERMINAL;
        }
        // Step 4. Clock.
        if (pollClock()) {
            w.value = alpha;
            w.decided = true;
            w.record = false;
        }
        if (!w.decided)
            probeChild(w, alpha, beta); // Step 5: the table's answer
        if (!w.decided)
            estimateChild(w, alpha); // Step 6: cut-offs on the estimate
        if (!w.decided)
            evaluateChild(w, QSdepth, checksDepth, alpha, beta, mate); // Step 7: stand-pat work
        // Step 8. Input.
        int32_t inputValue = 0;
        if (pollInput(alpha, inputValue)) {
            w.value = inputValue;
            w.decided = true;
            w.record = false;
        }
        // Step 9. Record a decided move or search the child.
        if (stopSearch == 0) {
            if (w.decided) {
                if (w.record) {
                    const int8_t f = (depthFlags[ply] & DPF_CHILD_ESTIMATE) ? 1 : 0;
                    recordHashExactQS(clampScore(-w.value), w.recordKind, f, QSdeep);
                }
                passThreshhold[ply] = w.value;
            } else {
                w.value = -Quiesce(QSdepth, checksDepth, (int16_t)-beta, (int16_t)-alpha, mate);
            }
        }
        // Step 10. Restore the budgets; the evasion bonus lasts for the first move only.
        if (depthFlags[ply] & DPF_CHILD_ESTIMATE)
            depthFlags[ply - 1] |= DPF_CHILD_ESTIMATE;
        else
            depthFlags[ply - 1] &= (uint8_t)~DPF_CHILD_ESTIMATE;
        QSdepth = savedQS;
        checksDepth = savedChecks;
        if (evasionBonus) {
            checksDepth = (int8_t)(checksDepth - evasionBonus);
            evasionBonus = 0;
        }
        // Step 11. Early stop requested by the child.
        if (stopSearch == 0 && (depthFlags[ply] & DPF_QS_STOP) && !inCheckAt(ply - 1)) {
            QSdeep = pvlen[ply];
            recordHashExactQS(clampScore(-passThreshhold[ply]), RECORD_RESULT, 0, QSdeep);
            const bool childRaised = (depthFlags[ply] & DPF_ALPHA_RAISED) != 0;
            gameFlags ^= GF_WHITE_TO_MOVE;
            reportLine(w.value);
            ply--;
            if (childRaised)
                pvlen[ply] = ply;
            QSdeep = pvlen[ply];
            if (pvlen[ply] == ply)
                passThreshhold[ply] = -moveStack[ply].exactScored;
            recordHashQS(clampScore(-passThreshhold[ply]), (uint8_t)bmtype, (int8_t)bmfrom,
                         (uint8_t)bmto, 0, (depthFlags[ply] & DPF_ESTIMATE) ? 1 : 0, QSdeep);
            return clampScore(-passThreshhold[ply]);
        }
        // Step 12. Fail-soft best of this node.
        if (stopSearch == 0 && -passThreshhold[ply] < passThreshhold[ply - 1])
            passThreshhold[ply - 1] = -passThreshhold[ply];
        signalParent(alpha, beta); // Step 13: early stop of the parent
        // Step 14. Take the move back.
        gameFlags ^= GF_WHITE_TO_MOVE;
        if (stopSearch == 0)
            reportLine(w.value);
        ply--;
        if (stopSearch > 0)
            return alpha;
        depthFlags[ply] &= (uint8_t) ~(DPF_EVAL_SEE | DPF_THREAT_SEE);
        // Step 15. Result.
        if (w.value >= beta) {
            updateKillers(m, w.value, 0);
            depthFlags[ply] &= (uint8_t) ~(DPF_ESTIMATE | DPF_CHILD_ESTIMATE);
            recordHashQS(clampScore(-passThreshhold[ply]), (uint8_t)bmtype, (int8_t)bmfrom,
                         (uint8_t)bmto, 2, 0, QSdeep);
            return beta;
        }
        if (w.value > alpha) {
            alpha = clampScore(w.value);
            updatePV(m);
            hashFlag = 0;
            depthFlags[ply] |= DPF_ALPHA_RAISED;
            bmfrom = m.from;
            bmto = (m.type & MT_PROMOTION) ? m.to + (m.promote - 2) * 64 : m.to;
            bmtype = m.type & 0xFF;
        }
    }
    // Node exit.
    recordHashQS(clampScore(-passThreshhold[ply]), (uint8_t)bmtype, (int8_t)bmfrom, (uint8_t)bmto,
                 (int8_t)hashFlag, (depthFlags[ply] & DPF_ESTIMATE) ? 1 : 0, QSdeep);
    return alpha;
}
