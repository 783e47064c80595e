// Playing moves on the game board from the root cache, the game record and take-back.
#include "board/makemove.h"

// Entries kept when the game record is compacted: far more than the hundred half-moves a
// repetition can reach back under the fifty-move rule.
constexpr int KEPT_RECORD = 256;

// Drops the oldest record entries so that a game longer than the record can go on: keeps the
// newest KEPT_RECORD positions at the front and moves the index base with them. Take-back can
// no longer reach the dropped positions.
static void compactRecord() {
    const int newest = recordIndex(allmoves);
    const int first = newest + 1 - KEPT_RECORD;
    ASSERT(first > 0);
    for (int i = 0; i < KEPT_RECORD; i++) {
        history[i] = history[first + i];
        drawSearch[i] = drawSearch[first + i];
    }
    histBase += first;
    if (moveStart < histBase)
        moveStart = histBase;
}

// Letter byte of a promotion piece in the move line (its letter plus 48, as the book reads).
static int8_t promotionByte(int piece) {
    static const char letters[6] = {0, 0, 'N', 'B', 'R', 'Q'};
    return (int8_t)(letters[piece] + 48);
}

// Appends the move's bytes to histline when all of them fit (a partial move would corrupt
// the line the book matches).
static void appendHistline(const move_list &m) {
    const bool promotion = (m.type & MT_PROMOTION) != 0;
    const int bytes = promotion ? 3 : 2;
    if (histcount + bytes > HISTLINE_SIZE)
        return;
    histline[histcount++] = (int8_t)(m.from + 48);
    histline[histcount++] = (int8_t)(m.to + 48);
    if (promotion)
        histline[histcount++] = promotionByte(m.promote);
}

// Mailbox edits of the game board.
static void putOnSquare(tag_sq &sq, int s, int piece, int colour) {
    sq.insq[s] = (int8_t)piece;
    sq.colsq[s] = (int8_t)colour;
}
static void clearSquare(tag_sq &sq, int s) { putOnSquare(sq, s, EMPTY, NOCOLOUR); }

// Home and destination of the rook that castles with the king move m (h1-f1, a1-d1 and
// the same on rank 8).
static void castlingRook(const move_list &m, int &home, int &after) {
    const bool isShort = (m.type & MT_CASTLE_SHORT) != 0;
    home = isShort ? m.to + 1 : m.to - 2;
    after = isShort ? m.to - 1 : m.to + 1;
}

// Square of the pawn taken en passant by the mover's pawn landing on `to`.
static int enPassantVictim(const move_list &m, int mover) {
    return mover == WHITE ? m.to + 8 : m.to - 8;
}

// Moves the pieces of m on the ply-0 mailbox (the mover is the side to move).
static void editMailbox(const move_list &m) {
    tag_sq &sq = squares[0];
    const int mover = sq.colsq[m.from];
    ASSERT(mover == WHITE || mover == BLACK);
    putOnSquare(sq, m.to, (m.type & MT_PROMOTION) ? m.promote : sq.insq[m.from], mover);
    clearSquare(sq, m.from);
    if (m.type & (MT_CASTLE_SHORT | MT_CASTLE_LONG)) {
        int home, after;
        castlingRook(m, home, after);
        putOnSquare(sq, after, ROOK, mover);
        clearSquare(sq, home);
    }
    if (m.type & MT_EN_PASSANT)
        clearSquare(sq, enPassantVictim(m, mover));
}

// Loads the position of a record entry into ply 0 (all but the mailbox).
static void loadPosition(const move_info &info, const move_tag &rules) {
    moveStack[0] = rules;
    boards[0] = info.mvboards;
    tracker[0] = info.mvtracks;
    hash[0] = info.mvhash;
    hashlock[0] = info.mvlock;
    pnhash[0] = info.mvpnhash;
    pnlock[0] = info.mvpnlock;
    LEwh[0] = info.LEwht;
    LEbl[0] = info.LEblk;
}

// Sets the in-check bit of ply 0 and drops the exchange arrays of the old position.
static void setRootFlags(uint16_t moveType) {
    uint8_t flags = depthFlags[0] & (uint8_t) ~(DPF_IN_CHECK | DPF_EVAL_SEE | DPF_THREAT_SEE);
    if (moveType & MT_CHECK)
        flags |= DPF_IN_CHECK;
    depthFlags[0] = flags;
}

// Plays a move whose resulting position mvstack cached: appends it to the game record and
// the repetition record and makes it the position at ply 0.
static void playCachedMove(const move_list &move, const move_info &info, const move_tag &rules) {
    ASSERT(ply == 0);
    // The search writes repetition entries up to MAX_PLY beyond the new position.
    if (GAME_RECORD - 1 - recordIndex(allmoves + 1) < MAX_PLY + 2)
        compactRecord();
    const int16_t mark = (int16_t)histcount;
    allmoves++;
    appendHistline(move);

    const int k = recordIndex(allmoves);
    ASSERT(k > 0 && k < GAME_RECORD);
    game_hist &entry = history[k];
    entry.histrules = rules;
    entry.histdata = move;
    entry.histinfo = info;
    entry.histMark = mark;
    draw_search &draw = drawSearch[k];
    draw.drawKey = info.mvhash;
    draw.drawLock = info.mvlock;
    draw.drawCount = rules.repetitions;
    draw.pawnOrCapture = (rules.stackFlags & ST_IRREVERSIBLE) ? 1 : 0;

    loadPosition(info, rules);
    editMailbox(move);
    setRootFlags(move.type);
    gameFlags ^= GF_WHITE_TO_MOVE;
}

void makeMove(move_list move) { playCachedMove(move, mvInfoChoice, mvRuleChoice); }

void makeOppMove(move_list move, int16_t mvno) {
    ASSERT(mvno >= 0 && mvno < MAX_MOVES);
    playCachedMove(move, mvinfo[mvno], mvrules[mvno]);
}

void takeback() {
    if (allmoves <= moveStart)
        return;
    ASSERT(ply == 0);
    const game_hist &last = history[recordIndex(allmoves)];
    const move_list m = last.histdata;
    histcount = last.histMark;

    // The mover of m is the side not to move now.
    const int toMove = whiteToMove() ? WHITE : BLACK, mover = toMove ^ 1;
    tag_sq &sq = squares[0];
    putOnSquare(sq, m.from,
                (m.type & MT_PROMOTION) ? (mover == WHITE ? WPAWN : BPAWN) : sq.insq[m.to], mover);
    if ((m.type & MT_CAPTURE) && !(m.type & MT_EN_PASSANT)) {
        ASSERT(m.captured < KING);
        putOnSquare(sq, m.to, m.captured, toMove);
    } else {
        clearSquare(sq, m.to);
    }
    if (m.type & (MT_CASTLE_SHORT | MT_CASTLE_LONG)) {
        int home, after;
        castlingRook(m, home, after);
        putOnSquare(sq, home, ROOK, mover);
        clearSquare(sq, after);
    }
    if (m.type & MT_EN_PASSANT)
        putOnSquare(sq, enPassantVictim(m, mover), toMove == WHITE ? WPAWN : BPAWN, toMove);

    allmoves--;
    const game_hist &now = history[recordIndex(allmoves)];
    loadPosition(now.histinfo, now.histrules);
    setRootFlags(now.histdata.type);
    gameFlags |= GF_IN_BOOK;
    gameFlags ^= GF_WHITE_TO_MOVE;
}
