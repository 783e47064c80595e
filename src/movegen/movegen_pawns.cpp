// Pawn moves of the move generator: pushes, captures, promotions and en passant.
#include "movegen/movegen_internal.h"

#include "board/setup.h"

static const int8_t promotionPieces[4] = {KNIGHT, BISHOP, ROOK, QUEEN};

// A pawn that still covers its own king on the wing it stands on (king on a- to d-file with the
// a- or b-pawn, king on e- to h-file with the g- or h-pawn, both on their home squares).
static bool isWingPawn(const genContext &g, int8_t f) {
    // Written for White; Black's squares are mirrored onto White's.
    const int k = g.c == WHITE ? g.K : flip[g.K];
    const int p = g.c == WHITE ? f : flip[f];
    return (k >= 56 && k <= 59 && (p == 48 || p == 49)) ||
           (k >= 60 && k <= 63 && (p == 54 || p == 55));
}

// Order score of a pawn capture that does not promote; sets the capture type bits.
static uint8_t pawnCaptureScore(const genContext &g, int8_t f, int x, int v, int e, bool check,
                                uint16_t &type) {
    type |= MT_CAPTURE;
    const int m = g.c; // the pawn's own code
    const bool wing = isWingPawn(g, f);
    // A pawn capture counts as winning when the exchange value shows it wins, for either
    // colour; the others sort among the ordinary captures. (A colour that graded every pawn
    // capture as winning would search a position and its mirror image differently.)
    if (v > 0) {
        type |= markWinning();
        if (check)
            return (uint8_t)winCheckOrder[m];
        if (wing)
            return (uint8_t)wingPawnOrder[x];
        return (uint8_t)(e < 0 ? hangcap_order[m][x] : caporder[m][x]);
    }
    if (v == 0) {
        if (e < 0) {
            type |= MT_ESCAPE;
            return (uint8_t)(wing ? wingPawnOrder[x] : hangcap_order[m][x]);
        }
        return (uint8_t)(wing ? wingPawnOrder[x] : caporder[m][x]);
    }
    if (e < 0) {
        type |= MT_ESCAPE;
        return (uint8_t)hangcap_order[m][x];
    }
    return (uint8_t)(wing ? wingPawnOrder[x] : caporder[m][x]);
}

// Whether the promoted piece on t checks the enemy king, directly or along the line the pawn
// leaves.
static bool promotionChecks(const genContext &g, int8_t f, int8_t t, int8_t piece) {
    return verifyProm(g.opp->kingsAttackRays, g.E, f, t, piece) >= 0;
}

// One entry per promotion piece (the queen only in the quiescence search).
static bool generatePromotions(genContext &g, int8_t f, int8_t t, int8_t captured, int v, int D,
                               bool disc, int8_t hidden) {
    for (int k = g.inQS == 1 ? 3 : 0; k < 4; k++) {
        const int8_t piece = promotionPieces[k];
        const int8_t checkSq = disc ? hidden : (promotionChecks(g, f, t, piece) ? t : NO_SQUARE);
        if (g.gen == 1 && v < 0 && checkSq < 0)
            continue;
        if (g.gen == 2 && checkSq < 0)
            continue;
        uint16_t type = MT_PROMOTION;
        uint8_t score;
        if (captured != EMPTY) {
            type |= MT_CAPTURE | markWinning();
            score = (uint8_t)prom_order[piece][captured];
        } else if (v >= 0 || (disc && (!nextToEnemyKing(g, t) || D > 0))) {
            type |= markWinning();
            score = (uint8_t)prom_order[piece][7];
        } else {
            score = (uint8_t)loseorder[1][0];
        }
        if (!addMove(g, f, t, piece, captured, (int8_t)g.c, checkSq, type, score))
            return false;
    }
    return true;
}

void generatePawnMoves(genContext &g) {
    int8_t *slots = pawnSlots(tracker[ply], g.c);
    const int step = g.c == WHITE ? -8 : 8;
    const int homeRow = g.c == WHITE ? 6 : 1, lastRow = g.c == WHITE ? 0 : 7;
    // Squares from which one of our pawns attacks the enemy king.
    const uint64_t checkFrom = g.c == WHITE ? blpawnattack[g.E] : whpawnattack[g.E];
    for (int i = 0; i < PAWN_SLOTS; i++) {
        const int8_t f = slots[i];
        if (f < 0)
            continue;
        ASSERT(f >= 8 && f < 56);
        const int8_t one = (int8_t)(f + step);
        uint64_t pushes = 0;
        if (!(g.occ & mask[one])) {
            pushes |= mask[one];
            if ((f >> 3) == homeRow && !(g.occ & mask[one + step]))
                pushes |= mask[one + step];
        }
        const uint64_t captures = (g.c == WHITE ? whpawnattack[f] : blpawnattack[f]) & g.enemy;
        const bool promoting = (one >> 3) == lastRow;
        uint64_t targets = pushes | captures;
        if (!promoting) {
            // Quiet pushes are only worth a look in the tactical generations when they can
            // check: they must land next to the enemy king.
            if (g.gen == 1)
                targets = (pushes & kingattack[g.E]) | captures;
            else if (g.gen == 2)
                targets = pushes & kingattack[g.E];
        }
        targets = legalTargets(g, f, targets);
        if (!targets)
            continue;
        const discovery dc = discoveryOf(g, f);
        const int8_t d = dc.dir, hidden = dc.hidden;
        const uint64_t offLine = dc.offLine;
        const int e = seeBoard[ply][f];
        while (targets) {
            const int8_t t = takeFirstSquare(g, targets);
            const int8_t captured = squares[ply].insq[t];
            const bool capture = captured != EMPTY;
            const bool disc = (offLine & mask[t]) != 0;
            int D;
            const int v = moveExchangeValue(g, g.c, i, f, t, captured, !capture, D);
            if (promoting) {
                if (!generatePromotions(g, f, t, captured, v, D, disc, hidden))
                    return;
                continue;
            }
            const int8_t checkSq =
                disc ? hidden : ((d < 0 && (checkFrom & mask[t])) ? t : NO_SQUARE);
            if (g.gen == 1 && checkSq < 0 && (!capture || v < 0))
                continue;
            const bool doublePush = t - f == 2 * step;
            uint16_t type = doublePush ? MT_DOUBLE_PUSH : 0;
            uint8_t score = capture ? pawnCaptureScore(g, f, captured, v, e, checkSq >= 0, type)
                                    : quietScore(g, g.c, t, v, e, D, disc, doublePush, type);
            if (!addMove(g, f, t, 0, captured, (int8_t)g.c, checkSq, type, score))
                return;
        }
    }
}

bool isLegalEnPassant(int8_t f) {
    ASSERT(f >= 0 && f < 64);
    const int8_t ep = moveStack[ply].enPassant;
    ASSERT(ep >= 0 && ep < 64);
    bboard &b = boards[ply];
    const int c = whiteToMove() ? WHITE : BLACK;
    const int8_t victim = (int8_t)(c == WHITE ? ep + 8 : ep - 8);
    const uint64_t occAfter = (b.allpieces & ~mask[f] & ~mask[victim]) | mask[ep];
    return !isAttackedOn((int8_t)kingSlot(tracker[ply], c), c ^ 1, occAfter, mask[victim]);
}

// En passant is decided on the board after the capture: both pawns leave their squares, so a
// rank or diagonal through either of them may open onto the own king (illegal) or onto the
// enemy king (check), which the pin and check sets of the position before cannot show.
void generateEnPassant(genContext &g) {
    const int8_t ep = moveStack[ply].enPassant;
    if (ep < 0)
        return;
    // After a null move the target square belongs to the previous real move.
    if ((searchFlags & SF_NULL_SEARCH) && (detectionFlags & DF_AFTER_NULL))
        return;
    ASSERT(ep < 64);
    bboard &b = boards[ply];
    const int8_t victim = (int8_t)(g.c == WHITE ? ep + 8 : ep - 8);
    if (victim < 0 || victim > 63 || !(pawnsOf(b, g.o) & mask[victim]) || (g.occ & mask[ep]))
        return;
    uint64_t takers = (g.c == WHITE ? blpawnattack[ep] : whpawnattack[ep]) & pawnsOf(b, g.c);
    const uint64_t ownQueens = queensOf(b, g.c);
    const uint64_t ownRookLike = rooksOf(b, g.c) | ownQueens;
    const uint64_t ownBishopLike = bishopsOf(b, g.c) | ownQueens;
    const uint64_t pawnChecks = (g.c == WHITE ? whpawnattack[ep] : blpawnattack[ep]) & mask[g.E];
    while (takers) {
        const int8_t f = takeFirstSquare(g, takers);
        if (!isLegalEnPassant(f))
            continue;
        const uint64_t occAfter = (g.occ & ~mask[f] & ~mask[victim]) | mask[ep];
        int8_t checkSq = NO_SQUARE;
        if (pawnChecks) {
            checkSq = ep;
        } else {
            uint64_t unmasked = sliderAttackers(g.E, occAfter, ownRookLike, ownBishopLike);
            if (unmasked)
                checkSq = (int8_t)lsb(unmasked);
        }
        if (g.gen == 2 && checkSq < 0)
            continue;
        // Graded by the capturing pawn's own exchange value: a pawn en prise escapes with it.
        const int e = seeBoard[ply][f];
        uint16_t type = MT_CAPTURE | MT_EN_PASSANT;
        uint8_t score = (uint8_t)caporder[g.c][g.o];
        if (e < 0) {
            type |= MT_ESCAPE;
            score = (uint8_t)hangcap_order[g.c][g.o];
        } else if (e > 0) {
            type |= markWinning();
            if (checkSq >= 0)
                score = (uint8_t)winCheckOrder[g.c];
        }
        if (!addMove(g, f, ep, 0, (int8_t)g.o, (int8_t)g.c, checkSq, type, score))
            return;
    }
}
