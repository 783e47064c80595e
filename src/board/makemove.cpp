// Making a move in the search stack: every representation of ply + 1 updated incrementally.
#include "board/makemove.h"

#include "board/setup.h"

int8_t PPdetected[8];

// Toggles one square in allpieces and in the three rotated boards.
static inline void toggleOccupancy(bboard &b, int s) {
    b.allpieces ^= mask[s];
    b.rotated90R ^= mask[r90R[s]];
    b.rotated45R ^= mask[r45R[s]];
    b.rotated45L ^= mask[r45L[s]];
}

// XORs the keys of a piece of colour c on s into the keys of ply q (pawns also into the
// pawn keys, which describe the pawn structure alone).
static inline void toggleKeys(int q, int c, int piece, int s) {
    hash[q] ^= hash_piece[c][piece][s];
    hashlock[q] ^= hp_lock[c][piece][s];
    if (piece == WPAWN || piece == BPAWN) {
        pnhash[q] ^= hash_piece[c][piece][s];
        pnlock[q] ^= hp_lock[c][piece][s];
    }
}

static inline int32_t &runningSum(int q, int c) { return c == WHITE ? LEwh[q] : LEbl[q]; }

// Slot of a list that holds square s, or -1.
static int findSlot(const int8_t *slots, int count, int s) {
    for (int i = 0; i < count; i++)
        if (slots[i] == s)
            return i;
    return -1;
}

// Counters are bytes; a very long game must not wrap them into negative values.
static inline void bumpCounter(int8_t &counter) {
    if (counter < 127)
        counter++;
}

// Moves a piece of colour c from `from` to `to` in the keys, running sum and bitboards of q
// (the occupancy boards and the mailbox are the caller's).
static void shiftPiece(int q, int c, int piece, int from, int to) {
    toggleKeys(q, c, piece, from);
    toggleKeys(q, c, piece, to);
    runningSum(q, c) += pieceSquareValue(c, piece, to) - pieceSquareValue(c, piece, from);
    const uint64_t both = mask[from] | mask[to];
    pieceSet(boards[q], c, piece) ^= both;
    piecesOf(boards[q], c) ^= both;
}

// Takes a piece of colour c off square s at ply q from keys, running sum, bitboards and piece
// list (a captured piece keeps its slot as s - 64). Occupancy and mailbox are the caller's.
static void removePiece(int q, int c, int piece, int s) {
    toggleKeys(q, c, piece, s);
    runningSum(q, c) -= pieceValue[piece] + pieceSquareValue(c, piece, s);
    pieceSet(boards[q], c, piece) ^= mask[s];
    piecesOf(boards[q], c) ^= mask[s];
    int8_t *slots = slotsOf(tracker[q], c, piece);
    const int slot = findSlot(slots, slotCount(piece), s);
    ASSERT(slot >= 0);
    slots[slot] = (int8_t)(s - 64);
    if (piece == WPAWN || piece == BPAWN) {
        // A captured passed pawn leaves the passed-pawn list with it.
        int8_t *passed = passPawnSlots(tracker[q], c);
        if (passed[slot] == s) {
            passed[slot] = NO_SQUARE;
            passPawnsOf(boards[q], c) &= ~mask[s];
        }
    }
}

bool isPassedPawn(const bboard &b, int c, int t) {
    ASSERT(t >= 0 && t < 64);
    const int ahead = c == WHITE ? 3 : 2; // White pawns run toward rank 8 (-8), Black's +8
    const uint64_t enemy = c == WHITE ? b.blpawns : b.whpawns;
    uint64_t span = rays[t][ahead];
    if (pieceSurround[t][3] != -1) // a file to the west exists
        span |= rays[t - 1][ahead];
    if (pieceSurround[t][4] != -1) // a file to the east exists
        span |= rays[t + 1][ahead];
    return (span & enemy) == 0;
}

// Exchange value for the mover of colour c (piece `moved` from list slot `slot`) of capturing
// `victim` on `to`: the victim's value less what the opponent's recaptures win back. Reads
// the attack analysis of the position at p (or its per-slot exchange arrays when filled).
static int32_t captureValue(int p, int c, int moved, int slot, int from, int to, int victim) {
    if (moved == KING)
        return pieceValue[victim]; // nothing can recapture a king
    if (depthFlags[p] & (DPF_EVAL_SEE | DPF_THREAT_SEE))
        return slotExchangeValue(moved, slot, to);
    // The mover becomes the target: class 0 queen, 1 rook, 2 minor piece, 3 pawn.
    const int cls = moved <= BPAWN ? 3 : (moved <= BISHOP ? 2 : (moved == ROOK ? 1 : 0));
    const evaluator &own = seeOf(c), &opp = seeOf(c ^ 1);
    // Defenders of the mover on `to` are its own side's attackers without the mover itself.
    int D = seeIndexMinusOne(own.boardScan[to], cls + SG_QUEEN);
    int A = seeIndexAdd(opp.boardScan[to], 0);
    if (cls == 3) {
        // A bishop behind the pawn that just left its diagonal joins the recaptures.
        if (opp.boardScan[to] > 0 || from == own.thruPawn[to])
            A = seeIndexAdd(A, opp.oppPawnBQ[to]);
    } else {
        D = withPawnBackup(D, A, own.oppPawnBQ[to]);
    }
    if (A == 0)
        return pieceValue[victim]; // nothing can take back
    if (own.ownQueen[to] == 0 && opp.ownQueen[to] == 0)
        return pieceValue[victim] - 10 * seeTable[cls][D][A];
    return queenObstruct((int8_t)cls, (int16_t)D, (int16_t)A, (int8_t)own.ownQueen[to],
                         (int8_t)opp.ownQueen[to], (int16_t)victim);
}

// Per-piece bookkeeping of the mover after its slot moved to `to` (counters, castling rights,
// pawn flags and the passed-pawn state of a pawn).
static void moverWork(int p, int q, int c, int moved, int slot, const move_list &m) {
    trak &t = tracker[q];
    move_tag &st = moveStack[q];
    const int from = m.from, to = m.to;
    switch (moved) {
    case WPAWN:
    case BPAWN: {
        st.fiftyMove = 0;
        const bool white = c == WHITE;
        if (white ? to < 16 : to >= 48)
            st.stackFlags |= ST_PAWN_ON_SEVENTH;
        if (white ? (to >= 8 && to < 24) : (to >= 40 && to < 56))
            pieceStatus.promotionImminent = 1;
        int8_t *passed = passPawnSlots(t, c);
        if (passed[slot] == from) {
            passed[slot] = NO_SQUARE;
            passPawnsOf(boards[q], c) &= ~mask[from];
        }
        const bool lastRank = white ? to < 8 : to >= 56;
        if (!lastRank && isPassedPawn(boards[q], c, to)) {
            passed[slot] = (int8_t)to;
            passPawnsOf(boards[q], c) |= mask[to];
            if (passPawnSlots(tracker[p], c)[slot] == NO_SQUARE) {
                PPdetected[slot] = 1;
                detectionFlags |= DF_NEW_PASSER;
            }
        }
        break;
    }
    case KNIGHT:
    case BISHOP: {
        // Only the original two pieces of a kind keep counters; a promoted one has none.
        if (slot >= 2)
            break;
        int8_t *counter = moved == KNIGHT
                              ? (c == WHITE ? t.whiteKnightCounter : t.blackKnightCounter)
                              : (c == WHITE ? t.whiteBishopCounter : t.blackBishopCounter);
        // Early in the game a capture that wins material or a flight from attack is not
        // counted as wasted development time.
        if (allmoves >= 20 || !(m.type & (MT_WINNING_CAPTURE | MT_ESCAPE)))
            bumpCounter(counter[slot]);
        break;
    }
    case ROOK:
        if (slot < 2)
            bumpCounter(c == WHITE ? t.whiteRookCounter[slot] : t.blackRookCounter[slot]);
        st.castleRights &= (uint8_t)castle_mask[from];
        break;
    case QUEEN:
        if (gameState == 0) {
            int8_t &counter = c == WHITE ? t.whiteQueenCounter : t.blackQueenCounter;
            if (slot == 0 && counter == 0 && (m.type & MT_CAPTURE))
                bumpCounter(counter); // an early queen capture counts double
            bumpCounter(counter);
        }
        break;
    default:
        bumpCounter(c == WHITE ? t.whiteKingCounter : t.blackKingCounter);
        st.castleRights &= (uint8_t)castle_mask[from];
        break;
    }
}

// Replaces the pawn that arrived on `to` by the promotion piece n at ply q.
static void promote(int q, int c, int pawn, int pawnSlot, int n, int to) {
    ASSERT(n >= KNIGHT && n <= QUEEN);
    move_tag &st = moveStack[q];
    runningSum(q, c) -= pieceValue[pawn] + pieceSquareValue(c, pawn, to);
    toggleKeys(q, c, pawn, to);
    pawnsOf(boards[q], c) &= ~mask[to];
    // The pawn leaves the board as the new piece arrives, so the material count changes by
    // their difference and keeps matching the pieces on the board after an under-promotion.
    st.materialCount = (int16_t)(st.materialCount + pieceValue[n] - pieceValue[pawn]);
    pawnSlots(tracker[q], c)[pawnSlot] = (int8_t)(to - 64);

    runningSum(q, c) += pieceValue[n] + pieceSquareValue(c, n, to);
    squares[q].insq[to] = (int8_t)n;
    toggleKeys(q, c, n, to);
    pieceSet(boards[q], c, n) |= mask[to];
    seeOf(c).pieceCount++;
    st.newPassedPawn = n == QUEEN ? 575 : (n == ROOK ? 185 : 0);
    int8_t *slots = slotsOf(tracker[q], c, n);
    const int slot = findSlot(slots, slotCount(n), SLOT_UNUSED);
    // The lists hold the set-up pieces plus eight promotions, and the FEN check refuses more
    // promoted pieces than missing pawns, so a free slot is always there. Should one ever
    // lack, the piece stays out of its list rather than be written before the list's start.
    ASSERT(slot >= 0);
    if (slot >= 0)
        slots[slot] = (int8_t)to;
}

// Moves the castling rook with the king at ply q.
static void castleRook(int q, int c, const move_list &m) {
    const bool isShort = (m.type & MT_CASTLE_SHORT) != 0;
    const int rookFrom = isShort ? m.from + 3 : m.from - 4;
    const int rookTo = isShort ? m.to - 1 : m.to + 1;
    shiftPiece(q, c, ROOK, rookFrom, rookTo);
    toggleOccupancy(boards[q], rookFrom);
    toggleOccupancy(boards[q], rookTo);
    tag_sq &sq = squares[q];
    sq.insq[rookTo] = ROOK;
    sq.colsq[rookTo] = (int8_t)c;
    sq.insq[rookFrom] = EMPTY;
    sq.colsq[rookFrom] = NOCOLOUR;
    // A castling right survives only while its corner rook stayed in its own slot (king-side
    // rook in slot 1, queen-side rook in slot 0).
    int8_t *rooks = rookSlots(tracker[q], c);
    ASSERT(rooks[isShort ? 1 : 0] == rookFrom);
    rooks[isShort ? 1 : 0] = (int8_t)rookTo;

    move_tag &st = moveStack[q];
    st.castleRights &= (uint8_t)castle_mask[c == WHITE ? 60 : 4];
    st.castleRights |= c == WHITE ? CR_WHITE_CASTLED : CR_BLACK_CASTLED;
    (c == WHITE ? pieceStatus.whiteHasCastled : pieceStatus.blackHasCastled) = 1;
}

void mvstack(move_list *move, int16_t mvnum) {
    const int p = ply, q = ply + 1;
    ASSERT(p >= 0 && q < MAX_PLY);
    const int from = move->from, to = move->to, moved = move->moved;
    const uint16_t type = move->type;
    ASSERT(from >= 0 && from < 64 && to >= 0 && to < 64);
    ASSERT(moved >= WPAWN && moved <= KING);
    const int c = whiteToMove() ? WHITE : BLACK, opp = c ^ 1;
    const int victim = (type & MT_CAPTURE) ? move->captured : EMPTY;

    // The new ply starts as a copy of the current one.
    boards[q] = boards[p];
    squares[q] = squares[p];
    tracker[q] = tracker[p];
    moveStack[q] = moveStack[p];
    bboard &b = boards[q];
    tag_sq &sq = squares[q];
    trak &t = tracker[q];
    move_tag &st = moveStack[q];

    // Rook counters: in the opening every rook counts as unmoved; in the middle game a
    // rook that moved once is marked as settled.
    if (gameState == 0) {
        t.whiteRookCounter[0] = t.whiteRookCounter[1] = 0;
        t.blackRookCounter[0] = t.blackRookCounter[1] = 0;
    } else if (gameState == 1) {
        for (int i = 0; i < 2; i++) {
            if (t.whiteRookCounter[i] == 1)
                t.whiteRookCounter[i] = 2;
            if (t.blackRookCounter[i] == 1)
                t.blackRookCounter[i] = 2;
        }
    }

    // The destination, a fresh capture sequence and the placement balances of the parent.
    lastMovedTo = (int8_t)to;
    captureSequence[q] = 7;
    LEwh[q] = LEwh[p];
    LEbl[q] = LEbl[p];

    // Keys: the side to move changes and the old en passant chance expires.
    hash[q] = hash[p] ^ hashblack;
    hashlock[q] = hashlock[p] ^ hbl_lock;
    if (moveStack[p].enPassant != NO_SQUARE) {
        hash[q] ^= hashep[moveStack[p].enPassant];
        hashlock[q] ^= hep_lock[moveStack[p].enPassant];
    }
    pnhash[q] = pnhash[p];
    pnlock[q] = pnlock[p];

    // State record.
    st.enPassant = NO_SQUARE;
    st.stackFlags &= 0xC9;
    bumpCounter(st.fiftyMove);
    st.capturedPiece = EMPTY;
    st.captureSquare = NO_SQUARE;
    st.checkingSquare = move->checkSquare;
    st.hangingPiece = 0;
    st.threatenedPiece = 0;
    st.newPassedPawn = 0;

    // Evaluation facts that describe the last move only.
    pieceStatus.promotionImminent = 0;
    pieceStatus.whiteHasCastled = 0;
    pieceStatus.blackHasCastled = 0;

    // Occupancy (a capture sets the destination again below).
    toggleOccupancy(b, from);
    toggleOccupancy(b, to);

    // Mailbox.
    sq.insq[to] = sq.insq[from];
    sq.colsq[to] = sq.colsq[from];
    sq.insq[from] = EMPTY;
    sq.colsq[from] = NOCOLOUR;

    // The moving piece in keys, sums, bitboards and its list slot.
    detectionFlags &= (uint8_t)~DF_NEW_PASSER;
    for (int i = 0; i < 8; i++)
        PPdetected[i] = 0;
    shiftPiece(q, c, moved, from, to);
    int slot = 0;
    if (moved == KING) {
        kingSlot(t, c) = (int8_t)to;
    } else {
        int8_t *slots = slotsOf(t, c, moved);
        slot = findSlot(slots, slotCount(moved), from);
        ASSERT(slot >= 0);
        slots[slot] = (int8_t)to;
    }
    moverWork(p, q, c, moved, slot, *move);
    int32_t value = 0;
    if (victim < KING)
        value = captureValue(p, c, moved, slot, from, to, victim);

    // Captures.
    if (type & MT_CAPTURE) {
        ASSERT(victim < KING);
        st.fiftyMove = 0;
        st.captureSquare = (int8_t)to;
        st.capturedPiece = (int8_t)victim;
        st.materialCount = (int16_t)(st.materialCount - pieceValue[victim]);
        if (!(type & MT_EN_PASSANT)) {
            toggleOccupancy(b, to);
            removePiece(q, opp, victim, to);
            if (victim >= KNIGHT)
                seeOf(opp).pieceCount--;
            if (victim == ROOK)
                st.castleRights &= (uint8_t)castle_mask[to]; // a corner rook takes its right
        }
        if (victim <= BPAWN && value == 0)
            captureSequence[q] = (int8_t)(c == WHITE ? 2 : 3); // even pawn trade
        else if (victim >= KNIGHT && value < 50)
            captureSequence[q] = (int8_t)(c == WHITE ? 0 : 1); // piece for little gain
    }

    // En passant: the captured pawn stands beside the destination, behind it.
    if (type & MT_EN_PASSANT) {
        const int capSq = c == WHITE ? to + 8 : to - 8;
        const int pawn = opp == WHITE ? WPAWN : BPAWN;
        ASSERT(sq.insq[capSq] == pawn);
        removePiece(q, opp, pawn, capSq);
        toggleOccupancy(b, capSq);
        sq.insq[capSq] = EMPTY;
        sq.colsq[capSq] = NOCOLOUR;
        st.fiftyMove = 0;
    }

    // A double push creates an en passant square only when an enemy pawn can use it,
    // so that equal positions get equal keys.
    if (type & MT_DOUBLE_PUSH) {
        const int over = c == WHITE ? to + 8 : to - 8;
        const uint64_t beside = c == WHITE ? whpawnattack[over] : blpawnattack[over];
        if ((beside & pawnsOf(b, opp)) == 0) {
            move->type &= (uint16_t)~MT_DOUBLE_PUSH;
        } else {
            st.enPassant = (int8_t)over;
            hash[q] ^= hashep[over];
            hashlock[q] ^= hep_lock[over];
        }
    }

    // A promoted pawn becomes its new piece in every representation.
    if (type & MT_PROMOTION)
        promote(q, c, moved, slot, move->promote, to);

    // Castling also moves the rook.
    if (type & (MT_CASTLE_SHORT | MT_CASTLE_LONG))
        castleRook(q, c, *move);

    // The child is in check exactly when the move gives check.
    depthFlags[q] =
        (uint8_t)((depthFlags[q] & ~DPF_IN_CHECK) | ((type & MT_CHECK) ? DPF_IN_CHECK : 0));

    // Positions before a pawn move, a capture or a lost castling right cannot recur.
    // Only the four rights count: the has-castled marks are history, not position.
    if (moved <= BPAWN || victim < EMPTY ||
        ((st.castleRights ^ moveStack[p].castleRights) & 0x0F) != 0)
        st.stackFlags |= ST_IRREVERSIBLE;

    // Repetition count of the new position in the game and the tree.
    st.repetitions = drawScore();

    // At the root, cache the position after each move for the game-level routines.
    if (p == 0) {
        ASSERT(mvnum >= 0 && mvnum < MAX_MOVES);
        move_info &info = mvinfo[mvnum];
        info.LEwht = (int16_t)LEwh[q];
        info.LEblk = (int16_t)LEbl[q];
        info.mvhash = hash[q];
        info.mvlock = hashlock[q];
        info.mvpnhash = pnhash[q];
        info.mvpnlock = pnlock[q];
        info.mvboards = b;
        info.mvtracks = t;
        // The whole state record, so that the board position after the move carries its
        // own check square and capture facts rather than those of an earlier root move; it
        // has not been evaluated and has no hash move of its own yet.
        mvrules[mvnum] = st;
        mvrules[mvnum].exactScored = -9900;
        mvrules[mvnum].hashMove = 0;
    }
}

int8_t drawScore() {
    const int q = ply + 1;
    const int i = recordIndex(allmoves) + 1 + ply;
    ASSERT(q < MAX_PLY && i > 0 && i < GAME_RECORD);
    const bool irreversible = (moveStack[q].stackFlags & ST_IRREVERSIBLE) != 0;
    draw_search &entry = drawSearch[i];
    entry.drawKey = hash[q];
    entry.drawLock = hashlock[q];
    entry.drawCount = 1;
    entry.pawnOrCapture = irreversible ? 1 : 0;
    if (irreversible)
        return 1;
    // Only the last hundred half-moves can hold a repetition under the fifty-move rule.
    const int floor = i <= 100 ? 0 : i - 100;
    for (int j = i - 1; j > floor; j--) {
        const draw_search &earlier = drawSearch[j];
        if (earlier.drawKey == entry.drawKey && earlier.drawLock == entry.drawLock) {
            entry.drawCount = (int8_t)(earlier.drawCount < 126 ? earlier.drawCount + 1 : 127);
            if (j > recordIndex(allmoves))
                moveStack[q].stackFlags |= ST_TREE_REPEAT;
            break;
        }
        if (earlier.pawnOrCapture)
            break; // nothing before an irreversible move can recur
    }
    return entry.drawCount;
}
