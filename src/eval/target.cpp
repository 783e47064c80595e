// The evaluation's shared target scan: exchange estimates, pins, discovery pieces, the
// counting of a piece's targets, and the hanging-piece and answered-check findings.
#include "eval/eval_internal.h"

#include "board/setup.h"
#include "eval/eval.h"
#include "movegen/movegen.h"

void markPromotionSquare(int to) {
    ASSERT(to >= 0 && to < 64);
    underAttack |= mask[to];
    // 6 for the promotion itself, plus the code of a piece already found en prise there, so
    // that the result does not depend on whether that piece was scanned first.
    if (attacked[to] >= 6)
        return;
    attacked[to] = (int8_t)(attacked[to] >= KNIGHT ? attacked[to] + 6 : 6);
}

int32_t *exchangeRow(int piece, int slot) {
    ASSERT(slot >= 0);
    switch (piece) {
    case WPAWN:
    case BPAWN:
        ASSERT(slot < PAWN_SLOTS);
        return seeBoardPawn[slot];
    case KNIGHT:
        ASSERT(slot < KNIGHT_SLOTS);
        return seeBoardKnight[slot];
    case BISHOP:
        ASSERT(slot < BISHOP_SLOTS);
        return seeBoardBishop[slot];
    case ROOK:
        ASSERT(slot < ROOK_SLOTS);
        return seeBoardRook[slot];
    default:
        ASSERT(piece == QUEEN && slot < QUEEN_SLOTS);
        return seeBoardQueen[slot];
    }
}

// Good pin: the captured-at target (a knight or rook for a bishop, a knight or bishop for a
// rook) has the enemy queen right behind it on the same line, so it cannot leave the line
// without exposing the queen. Returns the target's code, or 0.
static int8_t goodPinCode(int c, int piece, int from, int to) {
    const tag_sq &sq = squares[ply];
    const int target = sq.insq[to];
    const bool candidate = piece == BISHOP ? (target == KNIGHT || target == ROOK)
                                           : (target == KNIGHT || target == BISHOP);
    if (!candidate)
        return 0;
    const int d = direct[from][to];
    if (d < 0)
        return 0;
    const uint64_t beyond = rays[to][d] & boards[ply].allpieces;
    if (beyond == 0)
        return 0;
    // Directions 0, 2, 4, 6 step to higher square numbers, so the nearest piece is the lowest.
    const int next = (d & 1) == 0 ? lsb(beyond) : msb(beyond);
    if (sq.insq[next] == QUEEN && sq.colsq[next] == (c ^ 1))
        return (int8_t)target;
    return 0;
}

// The scan of one kind of piece: the kind is fixed at compile time, so that the exchange
// estimate's choice of x-ray table, exchange class and defender group is made once per kind
// rather than at every target square. The findings gather in locals and are stored once.
template <int PIECE>
static int scanTargetsOf(int c, int slot, int from, uint64_t attacks, bool capturesOnly) {
    static_assert(PIECE >= KNIGHT && PIECE <= QUEEN);
    ASSERT(from >= 0 && from < 64);
    bboard &b = boards[ply];
    const int o = c ^ 1;
    const int ownKing = kingSlot(tracker[ply], c);

    // 1. Candidates: empty or enemy squares (captures only for the threat scan). The enemy
    // king is never a target: attacking it is a check, not a move of this piece.
    uint64_t targets = attacks & (capturesOnly ? piecesOf(b, o) : ~piecesOf(b, c));
    targets &= ~kingOf(b, o);
    // 2. A pinned piece keeps only its pin line.
    const int8_t pin = pinDirection(c, from);
    if (pin >= 0) {
        targets &= rays[ownKing][pin];
        pieceStatus.pinnedPiece = 1;
    }
    // 3. In check, only the squares that answer the check.
    const bool toMove = sideToMove() == c;
    if (toMove && (depthFlags[ply] & DPF_IN_CHECK))
        targets &= seeOf(c).checkSquares;
    // 4. Standing value; en prise with nowhere to go is trapped.
    if (markStandingValue(from, PIECE) < 0 && targets == 0)
        pieceStatus.trappedPiece = 1;
    if (targets == 0)
        return 0;
    // 5. A piece that shields one of our lines to the enemy king may step anywhere off it
    // with check, except next to the king where the king may simply take it.
    const bool discovery = isDiscoveryPiece(c, from);
    const bool wantPin = (PIECE == BISHOP || PIECE == ROOK) && !discovery;
    const uint64_t enemyKingZone = kingattack[kingSlot(tracker[ply], o)];
    int32_t *store = toMove ? exchangeRow(PIECE, slot) : nullptr;
    const int8_t *insq = squares[ply].insq;

    // 6. Judge every target by its exchange estimate.
    int moves = 0, scanned = 0;
    int weakPawnHit = pieceStatus.weakPawnHit;
    int8_t goodPin = pieceStatus.goodPin;
    uint64_t captured = 0; // counted captures
    while (targets) {
        const int to = nextTarget(targets, c);
        scanned += 1;
        const int victim = insq[to];
        const int32_t estimate = exchangeEstimate(c, PIECE, from, to, victim, false);
        if (store)
            store[to] = estimate;
        const bool capture = victim != EMPTY;
        const bool nearKing = (enemyKingZone & squareBit(to)) != 0;
        bool counts;
        if (capture) {
            weakPawnHit += weakPawn[to] > 0 ? weakPawn[to] : 0;
            counts = discovery ? (!nearKing || estimate >= 0) : estimate >= 0;
            if (wantPin && goodPin == 0)
                goodPin = goodPinCode(c, PIECE, from, to);
        } else {
            counts = discovery ? !nearKing : estimate >= 0;
        }
        if (counts) {
            moves += 1;
            if (capture)
                captured |= squareBit(to);
        }
    }
    canMove[c] += scanned;
    pieceStatus.weakPawnHit = (int8_t)weakPawnHit;
    pieceStatus.goodPin = goodPin;
    if (moves > 0)
        pieceStatus.ableToMove = 1;
    sideAttacks[c] |= captured;
    return moves;
}

int scanPieceTargets(int c, int piece, int slot, int from, uint64_t attacks, bool capturesOnly) {
    switch (piece) {
    case KNIGHT:
        return scanTargetsOf<KNIGHT>(c, slot, from, attacks, capturesOnly);
    case BISHOP:
        return scanTargetsOf<BISHOP>(c, slot, from, attacks, capturesOnly);
    case ROOK:
        return scanTargetsOf<ROOK>(c, slot, from, attacks, capturesOnly);
    default:
        ASSERT(piece == QUEEN);
        return scanTargetsOf<QUEEN>(c, slot, from, attacks, capturesOnly);
    }
}

// The side that just moved answered a check by bringing a piece onto the checking line, and
// that piece now attacks the checker, which is worth more than itself (a pawn against a
// bishop or queen, a bishop or rook against the queen). It counts as a real counter-threat
// only when the piece is safe where it stands and the opponent cannot simply trade it off
// with a piece of its own kind (a pawn, a bishop or knight, a rook attacking it).
bool isAnsweredCheckThreat() {
    if (ply < 1 || !(depthFlags[ply - 1] & DPF_IN_CHECK))
        return false;
    const int to = moveStack[ply - 1].checkingSquare;
    const int from = lastMovedTo;
    if (to < 0 || to > 63 || from < 0 || from > 63)
        return false;
    const tag_sq &sq = squares[ply];
    const int c = sideToMove() ^ 1; // the side that just moved
    const int o = c ^ 1;
    if (sq.colsq[from] != c || sq.colsq[to] != o)
        return false;
    const int piece = sq.insq[from], target = sq.insq[to];
    const seeGroups enemy = splitSeeIndex(seeOf(o).boardScan[from]);
    uint64_t reach;
    if (piece == WPAWN || piece == BPAWN) {
        if ((target != BISHOP && target != QUEEN) || enemy.pawns > 0)
            return false;
        reach = c == WHITE ? whpawnattack[from] : blpawnattack[from];
    } else if (piece == BISHOP) {
        if (target != QUEEN || enemy.minors > 0)
            return false;
        reach = bishopAttacksAt(from);
    } else if (piece == ROOK) {
        if (target != QUEEN || enemy.rooks > 0)
            return false;
        reach = rookAttacksAt(from);
    } else {
        return false;
    }
    if (!(reach & mask[to]) || seeBoard[ply][from] < 0)
        return false;
    const int8_t pin = pinDirection(c, from);
    if (pin >= 0 && !(rays[kingSlot(tracker[ply], c)][pin] & mask[to]))
        return false;
    return true;
}

int findHangingPieces() {
    const int stm = sideToMove();
    int hung = 0;
    int8_t hanging = 0, threatened = 0;
    if (underAttack) {
        // What the side to move can take, and what the opponent can take from it; only the
        // largest code matters, so the order of the squares does not.
        uint64_t set = underAttack & sideAttacks[stm];
        while (set) {
            const int s = lsb(set);
            set &= set - 1;
            hung += 1;
            if (attacked[s] > hanging)
                hanging = attacked[s];
        }
        set = underAttack & sideAttacks[stm ^ 1];
        while (set) {
            const int s = lsb(set);
            set &= set - 1;
            if (attacked[s] > threatened)
                threatened = attacked[s];
        }
    }
    ASSERT(hanging >= 0 && hanging <= MAX_ATTACKED_CODE);
    ASSERT(threatened >= 0 && threatened <= MAX_ATTACKED_CODE);
    moveStack[ply].hangingPiece = hanging;
    moveStack[ply].threatenedPiece = threatened;
    return hung;
}

void clearTargetScratch() {
    for (int s = 0; s < 64; s++)
        attacked[s] = 0;
    underAttack = 0;
    sideAttacks[WHITE] = sideAttacks[BLACK] = 0;
}
