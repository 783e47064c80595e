// The search's cheap substitutes for parts of the evaluation: the capture-only threat scan
// (hanging and threatened pieces) and the value of newly created passed pawns.
#include "eval/eval.h"

#include "board/makemove.h"
#include "board/setup.h"
#include "eval/eval_internal.h"
#include "movegen/movegen.h"

// A pawn of colour c on s stands on its seventh rank (one step from promotion).
static bool onSeventhRank(int c, int s) {
    return c == WHITE ? (s >= 8 && s < 16) : (s >= 48 && s < 56);
}
// Squares a pawn of colour c on s attacks.
static uint64_t pawnAttacks(int c, int s) { return c == WHITE ? whpawnattack[s] : blpawnattack[s]; }
// Relative rank (2..7) of a pawn of colour c on s.

// Pawn captures of colour c for the threat scan, en passant included for the side to move.
static void scanPawnCaptures(int c) {
    bboard &b = boards[ply];
    const int o = c ^ 1;
    const int pawn = c == WHITE ? WPAWN : BPAWN;
    const int enemyPawn = c == WHITE ? BPAWN : WPAWN;
    const int ownKing = kingSlot(tracker[ply], c);
    const bool toMove = sideToMove() == c;
    const bool inCheck = toMove && (depthFlags[ply] & DPF_IN_CHECK);
    const int ep = toMove ? moveStack[ply].enPassant : NO_SQUARE;
    const int8_t *slots = pawnSlots(tracker[ply], c);

    for (int slot = 0; slot < PAWN_SLOTS; slot++) {
        const int s = slots[slot];
        if (s < 0)
            continue;
        // A pawn never captures the king; attacking it is a check.
        uint64_t targets = pawnAttacks(c, s) & piecesOf(b, o) & ~kingOf(b, o);
        const int8_t pin = pinDirection(c, s);
        if (pin >= 0)
            targets &= rays[ownKing][pin];
        if (inCheck)
            targets &= seeOf(c).checkSquares;
        markStandingValue(s, pawn);
        const bool seventh = onSeventhRank(c, s);
        while (targets) {
            const int to = nextTarget(targets, c);
            const int32_t estimate = exchangeEstimate(c, pawn, s, to, squares[ply].insq[to], false);
            if (toMove)
                seeBoardPawn[slot][to] = estimate;
            // A pawn capture is always worth looking at; from the seventh it also promotes.
            sideAttacks[c] |= mask[to];
            if (seventh)
                markPromotionSquare(to);
        }
        if (ep < 0 || !(pawnAttacks(c, s) & mask[ep]))
            continue;
        bool allowed = pin < 0 || (rays[ownKing][pin] & mask[ep]) != 0;
        if (allowed && inCheck) {
            // In check, taking en passant helps only by removing the checking pawn or by
            // landing on a square that blocks the check.
            const int victim = ep + (c == WHITE ? 8 : -8);
            allowed = (seeOf(c).checkSquares & (mask[ep] | mask[victim])) != 0;
        }
        if (!allowed)
            continue;
        seeBoardPawn[slot][ep] = exchangeEstimate(c, pawn, s, ep, enemyPawn, false);
        sideAttacks[c] |= mask[ep];
        underAttack |= mask[ep];
        attacked[ep] = 1;
    }
}

// Knights, bishops, rooks and queens of colour c, captures only.
static void scanPieceCaptures(int c) {
    bboard &b = boards[ply];
    trak &t = tracker[ply];
    for (int piece = KNIGHT; piece <= QUEEN; piece++) {
        if (!pieceSet(b, c, piece))
            continue;
        const int8_t *slots = slotsOf(t, c, piece);
        for (int slot = 0; slot < slotCount(piece); slot++) {
            const int s = slots[slot];
            if (s < 0)
                continue;
            uint64_t attacks;
            switch (piece) {
            case KNIGHT:
                attacks = knightattack[s];
                break;
            case BISHOP:
                attacks = bishopAttacksAt(s);
                break;
            case ROOK:
                attacks = rookAttacksAt(s);
                break;
            default:
                attacks = queenAttacksAt(s);
                break;
            }
            scanPieceTargets(c, piece, slot, s, attacks, true);
        }
    }
}

// The side to move's king may take an enemy piece next to it that nothing defends.
static void scanKingCaptures(int c) {
    const int k = kingSlot(tracker[ply], c);
    uint64_t victims = kingattack[k] & piecesOf(boards[ply], c ^ 1) & ~seeOf(c).kingMoves;
    while (victims) {
        const int s = lsb(victims);
        victims &= victims - 1;
        if (seeOf(c ^ 1).boardScan[s] <= 0)
            sideAttacks[c] |= mask[s];
    }
}

void hangsThreats() {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    move_tag &state = moveStack[ply];
    state.stackFlags &= (uint8_t)~ST_HANG_FOUND;
    depthFlags[ply] |= DPF_THREAT_SEE;
    state.hangingPiece = 0;
    state.threatenedPiece = 0;
    clearTargetScratch();

    for (int c = WHITE; c <= BLACK; c++) {
        scanPawnCaptures(c);
        scanPieceCaptures(c);
    }
    if (isAnsweredCheckThreat())
        state.stackFlags |= ST_HANG_FOUND;
    scanKingCaptures(sideToMove());
    findHangingPieces();
}

void PPadjust() {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    move_tag &state = moveStack[ply];
    pieceStatus.blockedPassedPawn = 1;
    pieceStatus.connectedPassedPawn = 0;
    state.newPassedPawn = 0;

    // The pawns that just became passed belong to the side that has just moved.
    const int c = sideToMove() ^ 1;
    const int o = c ^ 1;
    const int pawn = c == WHITE ? WPAWN : BPAWN;
    const int forward = c == WHITE ? -8 : 8;
    const int ownKing = kingSlot(tracker[ply], c);
    const tag_sq &sq = squares[ply];
    const uint64_t ownPawns = pawnsOf(boards[ply], c);
    const int8_t *passers = passPawnSlots(tracker[ply], c);
    int32_t value = 0;

    for (int a = 0; a < PAWN_SLOTS; a++) {
        const int p = passers[a];
        if (p < 0 || PPdetected[a] != 1 || seeBoard[ply][p] < 0)
            continue;
        const int r = relativeRank(c, p);
        value += passPawnValue[r];
        // Connected: an own pawn diagonally behind it (the squares that an enemy pawn on p
        // would attack).
        if (ownPawns & pawnAttacks(o, p))
            pieceStatus.connectedPassedPawn = 1;

        // Targets: the push (two from the second rank) and captures of enemy pieces.
        uint64_t targets = pawnAttacks(c, p) & piecesOf(boards[ply], o);
        const int one = p + forward;
        if (one >= 0 && one < 64 && sq.insq[one] == EMPTY) {
            targets |= mask[one];
            const int two = one + forward;
            if (r == 2 && sq.insq[two] == EMPTY)
                targets |= mask[two];
        }
        const int8_t pin = pinDirection(c, p);
        if (pin >= 0)
            targets &= rays[ownKing][pin];

        while (targets) {
            const int to = nextTarget(targets, c);
            const bool capture = sq.insq[to] != EMPTY;
            const int32_t estimate = exchangeEstimate(c, pawn, p, to, sq.insq[to], !capture);
            if (capture || estimate >= 0)
                pieceStatus.blockedPassedPawn = 0;
            // The blocked term is charged per examined target while nothing has freed the
            // flag; it is set once for all the new passers, so the first free pawn ends it.
            if (pieceStatus.blockedPassedPawn)
                value += blockedPPValue[r];
        }
    }
    state.newPassedPawn = (int16_t)value;
}
