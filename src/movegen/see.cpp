// Attack analysis: attacker sets with pins and x-rays, king lines, check answers, king-move
// limits and the exchange value of every piece on the board.
#include "movegen/movegen.h"

#include "board/setup.h"

#include <cstring>

int32_t seeBoard[MAX_PLY][64];
int8_t pinLineOf[64], discoveryLineOf[64], discoveryPieceOf[64];

// One slider's walk: whose it is, what it may count and where its counts go.
struct walker {
    int colour;       // colour of the walking piece
    int kind;         // BISHOP, ROOK or QUEEN
    int step;         // its set-index step: 24, 8 or 2
    int group;        // its set-index group: SG_MINOR, SG_ROOK or SG_QUEEN
    bool toMove;      // the walker's side is to move: no x-ray support through own pieces
    uint64_t allowed; // squares it may count (restricted while its side is in check)
    uint64_t goesOn;  // the pieces at which its line may go on or leave a mark
    evaluator *own, *other;
};

// The nearest square of a non-empty part of a ray, seen from the ray's origin: directions
// 0, 2, 4, 6 step to higher square numbers.
static int nearestOnRay(uint64_t set, int dir) { return (dir & 1) == 0 ? lsb(set) : msb(set); }

// Next square of a ray walked away from its origin (the ray set shrinks by that square).
static int popNext(uint64_t &ray, int dir) {
    const int s = nearestOnRay(ray, dir);
    ray ^= mask[s];
    return s;
}

// The squares of a ray that lie before its square b.
static uint64_t raySquaresBefore(uint64_t ray, int b, int dir) {
    return ray & ~(rays[b][dir] | mask[b]);
}

// The empty squares one pawn of `colour` on s can advance to: one, or two from its
// starting rank when both are empty.
static uint64_t pushSquares(int colour, int s) {
    const tag_sq &sq = squares[ply];
    const int ahead = colour == WHITE ? -8 : 8;
    const int startRow = colour == WHITE ? 6 : 1;
    const int one = s + ahead;
    if (one < 0 || one > 63 || sq.insq[one] != EMPTY)
        return 0;
    uint64_t set = mask[one];
    const int two = one + ahead;
    if ((s >> 3) == startRow && two >= 0 && two < 64 && sq.insq[two] == EMPTY)
        set |= mask[two];
    return set;
}

// Direction code of a pawn's advance (3 = towards rank 8 for White, 2 for Black).
static int pushDir(int colour) { return colour == WHITE ? 3 : 2; }
// True when dir is one of the two diagonals a pawn of `colour` captures along.
static bool isCaptureDir(int colour, int dir) {
    return colour == WHITE ? (dir == 5 || dir == 7) : (dir == 4 || dir == 6);
}

static void addMark(int16_t *field, uint64_t set, int amount) {
    for (; set; set &= set - 1)
        field[lsb(set)] += (int16_t)amount;
}

// Counts the walker on a set of squares; once it has passed an enemy queen the squares also
// carry the x-ray code that selects the exchange variant.
static void countSquares(const walker &w, uint64_t set, int xray) {
    for (set &= w.allowed; set; set &= set - 1) {
        const int s = lsb(set);
        w.own->boardScan[s] = seeIndexPlusOne(w.own->boardScan[s], w.group);
        if (xray)
            w.own->ownQueen[s] += (int16_t)xray;
    }
}
static void countSquare(const walker &w, int sq, int xray) { countSquares(w, mask[sq], xray); }

// Marks the empty squares behind an own slider with the walker's support; the walk ends at
// the next piece.
static void markBehind(int16_t *field, uint64_t ray, int dir, int amount) {
    const uint64_t blockers = ray & boards[ply].allpieces;
    addMark(field, blockers ? raySquaresBefore(ray, nearestOnRay(blockers, dir), dir) : ray,
            amount);
}

// The walk meets an enemy pawn on b: a diagonal in its capture direction also counts the
// square behind it (the walker recaptures there once the pawn has taken), and a file walk
// from the front marks the pawn's push squares in the walker's ownPawn field (squares the
// walker guards as the pawn advances). The ray always ends at the pawn.
static void markEnemyPawnPushes(const walker &w, int b, int pawnColour, int dir, uint64_t ray,
                                int xray) {
    if (dir >= 4) {
        if (w.kind != ROOK && isCaptureDir(pawnColour, dir) && ray)
            countSquare(w, popNext(ray, dir), xray);
        return;
    }
    if (dir == (pushDir(pawnColour) ^ 1) && w.kind != BISHOP) {
        const uint64_t push = pushSquares(pawnColour, b) & w.allowed;
        addMark(w.own->ownPawn, push, w.step);
    }
}

// The walk meets an own pawn on b: a bishop or queen behind it supports the pawn's capture
// square (oppPawnBQ), a rook or queen behind it on the file supports its advance (oppPawnRQ).
static void markOwnPawnSupport(const walker &w, int b, int dir, uint64_t ray, int xray) {
    if (dir >= 4) {
        if (w.kind == ROOK || !isCaptureDir(w.colour, dir) || !ray)
            return;
        const int n = popNext(ray, dir);
        if (w.kind == BISHOP)
            w.own->oppPawnBQ[n] += 24;
        else
            w.own->oppPawnRQ[n] += 2;
        // The pawn through which the walker sees n: a capture by that very pawn opens it.
        w.other->thruPawn[n] = (int16_t)b;
        return;
    }
    if (dir == pushDir(w.colour) && w.kind != BISHOP) {
        const uint64_t push = pushSquares(w.colour, b);
        addMark(w.own->oppPawnRQ, push, w.step);
        if (xray)
            addMark(w.own->ownQueen, push, xray);
    }
}

// What a walker does at the piece on b, whose square it has just counted on its way along
// dir: true when its line goes on behind the piece (with the x-ray code it then carries).
// Sliders of a kind pass through enemy sliders that move the same way, an enemy queen is seen
// through (marking the squares behind for the x-ray variants), and the side not to move leaves
// support marks behind its own pieces and walks on behind its own king. The side to move stops
// at its first own piece.
static bool passesPiece(const walker &w, int b, int dir, int &xray) {
    const tag_sq &sq = squares[ply];
    const bool diagonal = dir >= 4;
    const uint64_t ray = rays[b][dir];
    const int piece = sq.insq[b];
    const int colour = sq.colsq[b];
    if (colour != w.colour) {
        switch (piece) {
        case WPAWN:
        case BPAWN:
            markEnemyPawnPushes(w, b, colour, dir, ray, xray);
            return false;
        case KNIGHT:
        case KING:
            return false;
        case BISHOP:
            return w.kind == BISHOP || (w.kind == QUEEN && diagonal);
        case ROOK:
            return w.kind == ROOK || (w.kind == QUEEN && !diagonal);
        default: // QUEEN
            if (w.kind == BISHOP)
                xray = 3;
            else if (w.kind == ROOK)
                xray = 1;
            return true;
        }
    }
    if (w.toMove)
        return false; // own pieces give the side to move no x-ray support
    if (xray && w.kind == ROOK) {
        // Behind an enemy queen a rook's line ends at any own piece.
        if (piece == WPAWN || piece == BPAWN)
            markOwnPawnSupport(w, b, dir, ray, xray);
        return false;
    }
    switch (piece) {
    case WPAWN:
    case BPAWN:
        markOwnPawnSupport(w, b, dir, ray, xray);
        return false;
    case KNIGHT:
        return false;
    case BISHOP:
        if (w.kind == BISHOP)
            markBehind(w.own->oppBishop, ray, dir, 24);
        else if (w.kind == QUEEN && diagonal)
            markBehind(w.own->oppBishop, ray, dir, 2);
        return false;
    case ROOK:
        if (w.kind == ROOK)
            markBehind(w.own->oppRook, ray, dir, 8);
        else if (w.kind == QUEEN && !diagonal)
            markBehind(w.own->oppRook, ray, dir, 2);
        return false;
    case QUEEN:
        markBehind(w.own->oppQueen, ray, dir, w.step);
        return false;
    default: // own KING: the walker's line goes on behind it
        return true;
    }
}

// Walks a slider's line on from the piece on b, which it has reached and counted, counting
// each square up to the next piece; an enemy king ends the line uncounted.
static void walkOn(const walker &w, int b, int dir) {
    const tag_sq &sq = squares[ply];
    const uint64_t occupied = boards[ply].allpieces;
    int xray = 0; // ownQueen code after passing an enemy queen: 3 bishop, 1 rook
    while (passesPiece(w, b, dir, xray)) {
        const uint64_t ray = rays[b][dir];
        const uint64_t blockers = ray & occupied;
        if (blockers == 0) {
            countSquares(w, ray, xray);
            return;
        }
        b = nearestOnRay(blockers, dir);
        countSquares(w, raySquaresBefore(ray, b, dir), xray);
        if (sq.insq[b] == KING && sq.colsq[b] != w.colour)
            return; // the king's own square never carries the attacker's count
        countSquare(w, b, xray);
    }
}

// Walks every line of a slider on s (only those of its pin line when pinned): the squares up
// to the first piece of each line come from one attack look-up, and the walk goes on only
// from the pieces that do not end it.
static void walkSlider(const walker &w, int s, int pin) {
    uint64_t att = w.kind == BISHOP ? bishopAttacksAt(s)
                   : w.kind == ROOK ? rookAttacksAt(s)
                                    : queenAttacksAt(s);
    if (pin >= 0)
        att &= rays[s][pin] | rays[s][pin ^ 1];
    const bboard &b = boards[ply];
    att &= ~(w.colour == WHITE ? b.blking : b.whking);
    countSquares(w, att, 0);
    for (uint64_t blockers = att & w.goesOn; blockers; blockers &= blockers - 1) {
        const int blocker = lsb(blockers);
        walkOn(w, blocker, direct[s][blocker]);
    }
}

// Every square a side attacks, as the other king must see it: pinned pieces still attack,
// and sliders see through the other king, so that it cannot step back along a checking line.
static uint64_t attackedBy(int c) {
    const bboard &b = boards[ply];
    // The occupancy without the other king, in the plain and the three rotated boards.
    uint64_t all = b.allpieces, r90 = b.rotated90R, diagR = b.rotated45R, diagL = b.rotated45L;
    const uint64_t otherKing = c == WHITE ? b.blking : b.whking;
    if (otherKing) {
        const int k = lsb(otherKing);
        all &= ~mask[k];
        r90 &= ~mask[r90R[k]];
        diagR &= ~mask[r45R[k]];
        diagL &= ~mask[r45L[k]];
    }
    uint64_t att;
    if (c == WHITE) {
        att = ((b.whpawns & ~fileSet(0)) >> 9) | ((b.whpawns & ~fileSet(7)) >> 7);
    } else {
        att = ((b.blpawns & ~fileSet(7)) << 9) | ((b.blpawns & ~fileSet(0)) << 7);
    }
    const uint64_t queens = c == WHITE ? b.whqueen : b.blqueen;
    for (uint64_t set = c == WHITE ? b.whknights : b.blknights; set; set &= set - 1)
        att |= knightattack[lsb(set)];
    for (uint64_t set = (c == WHITE ? b.whbishops : b.blbishops) | queens; set; set &= set - 1)
        att |= bishopAttacksOver(diagR, diagL, lsb(set));
    for (uint64_t set = (c == WHITE ? b.whrooks : b.blrooks) | queens; set; set &= set - 1)
        att |= rookAttacksOver(all, r90, lsb(set));
    const uint64_t king = c == WHITE ? b.whking : b.blking;
    if (king)
        att |= kingattack[lsb(king)];
    return att;
}

// Lines from a king, the pieces on them and, for the side to move in check, the squares on
// which the check can be answered.
static void kingLines(int c, bool inCheck) {
    evaluator &e = seeOf(c);
    bboard &b = boards[ply];
    const int8_t k = kingSlot(tracker[ply], c);
    if (k < 0)
        return;
    e.kingsAttackRays = queenAttacksAt(k);
    e.kingWhitePieces = e.kingsAttackRays & b.whpieces;
    e.kingBlackPieces = e.kingsAttackRays & b.blpieces;
    if (!inCheck)
        return;
    const uint64_t enemy = piecesOf(b, c ^ 1);
    e.checkSquares =
        verifyChSq(e.kingsAttackRays & enemy, e.kingsAttackRays & (~b.allpieces | enemy), k);
    // En passant answers the check only when the pawn that just advanced two squares is
    // itself the single checker; a check it uncovered stays on after the capture.
    const int ep = moveStack[ply].enPassant;
    if (ep >= 0) {
        const int pawn = c == WHITE ? ep + 8 : ep - 8;
        if (pawn >= 0 && pawn < 64 && (e.checkSquares & mask[pawn]))
            seeOf(c ^ 1).enPassSquare = mask[ep];
    }
}

// The discovery line of every piece of colour c (its king included): only the pieces on the
// enemy king's lines can shield one of their own line pieces from it.
static void discoveryLines(int c) {
    bboard &b = boards[ply];
    const evaluator &opp = seeOf(c ^ 1);
    const uint64_t candidates = c == WHITE ? opp.kingWhitePieces : opp.kingBlackPieces;
    const int8_t enemyKing = kingSlot(tracker[ply], c ^ 1);
    for (uint64_t set = piecesOf(b, c); set; set &= set - 1) {
        const int s = lsb(set);
        discoveryLineOf[s] = NO_SQUARE;
        discoveryPieceOf[s] = NO_SQUARE;
    }
    if (enemyKing < 0)
        return;
    for (uint64_t set = candidates & piecesOf(b, c); set; set &= set - 1) {
        const int s = lsb(set);
        discoveryLineOf[s] = verifyPin(candidates, enemyKing, (int8_t)s);
        discoveryPieceOf[s] = hiddenSquare;
    }
}

// Counts one side's pawns and knights; pinned ones keep only squares on their pin line
// (a knight can never stay on one). Pawns and knights do not count their own king's square.
static void scanLeapers(int c, uint64_t allowed, uint64_t pawnAllowed) {
    evaluator &e = seeOf(c);
    trak &t = tracker[ply];
    const int8_t k = kingSlot(t, c);
    const uint64_t lines = c == WHITE ? e.kingWhitePieces : e.kingBlackPieces;
    const uint64_t kingSq = k >= 0 ? mask[k] : 0;
    const int8_t *pawns = pawnSlots(t, c);
    for (int i = 0; i < PAWN_SLOTS; i++) {
        const int s = pawns[i];
        if (s < 0)
            continue;
        e.pawnCount++;
        uint64_t att = (c == WHITE ? whpawnattack[s] : blpawnattack[s]) & ~kingSq & pawnAllowed;
        const int pin = k >= 0 ? verifyPin(lines, k, (int8_t)s) : -1;
        pinLineOf[s] = (int8_t)pin;
        if (pin >= 0)
            att &= rays[k][pin];
        for (; att; att &= att - 1)
            e.boardScan[lsb(att)] = seeIndexPlusOne(e.boardScan[lsb(att)], SG_PAWN);
    }
    const int8_t *knights = knightSlots(t, c);
    for (int i = 0; i < KNIGHT_SLOTS; i++) {
        const int s = knights[i];
        if (s < 0)
            continue;
        e.knightCount++;
        pinLineOf[s] = k >= 0 ? verifyPin(lines, k, (int8_t)s) : NO_SQUARE;
        if (pinLineOf[s] >= 0)
            continue;
        for (uint64_t att = knightattack[s] & ~kingSq & allowed; att; att &= att - 1)
            e.boardScan[lsb(att)] = seeIndexPlusOne(e.boardScan[lsb(att)], SG_MINOR);
    }
}

// The pieces of colour c that a walker of a kind may pass, or mark behind when they are its
// own: queens, and bishops or rooks when it moves along their lines too.
static uint64_t lineMates(bboard &b, int c, int kind) {
    return queensOf(b, c) | (kind != ROOK ? bishopsOf(b, c) : 0) |
           (kind != BISHOP ? rooksOf(b, c) : 0);
}

// The pieces at which a walk of colour c and a kind may go on or leave a mark: enemy pawns and
// line mates, and for the side not to move its own pawns, line mates and king. At any other
// piece (knights, the enemy king, the other line pieces, all own pieces of the side to move)
// the walk just ends there.
static uint64_t piecesThatMatter(int c, int kind, bool toMove) {
    bboard &b = boards[ply];
    const uint64_t enemy = pawnsOf(b, c ^ 1) | lineMates(b, c ^ 1, kind);
    return toMove ? enemy : enemy | pawnsOf(b, c) | kingOf(b, c) | lineMates(b, c, kind);
}

// Counts one side's bishops, rooks and queens by walking their rays; a pinned slider walks
// only the two rays of its pin line, and none when the line is not one it moves along.
static void scanSliders(int c, bool toMove, uint64_t allowed) {
    evaluator &e = seeOf(c);
    trak &t = tracker[ply];
    const int8_t k = kingSlot(t, c);
    const uint64_t lines = c == WHITE ? e.kingWhitePieces : e.kingBlackPieces;
    static const int steps[3] = {24, 8, 2}, groups[3] = {SG_MINOR, SG_ROOK, SG_QUEEN};
    for (int piece = BISHOP; piece <= QUEEN; piece++) {
        const walker w = {c,
                          piece,
                          steps[piece - BISHOP],
                          groups[piece - BISHOP],
                          toMove,
                          allowed,
                          piecesThatMatter(c, piece, toMove),
                          &e,
                          &seeOf(c ^ 1)};
        const int8_t *slots = slotsOf(t, c, piece);
        for (int i = 0; i < slotCount(piece); i++) {
            const int s = slots[i];
            if (s < 0)
                continue;
            if (piece == BISHOP) {
                if (squareColour[s] == 0)
                    e.bishopCountWhite++;
                else
                    e.bishopCountBlack++;
            } else if (piece == ROOK) {
                e.rookCount++;
            } else {
                e.queenCount++;
            }
            const int pin = k >= 0 ? verifyPin(lines, k, (int8_t)s) : -1;
            pinLineOf[s] = (int8_t)pin;
            walkSlider(w, s, pin);
        }
    }
}

// Each king counts on its neighbours, except those next to both kings (neither may go there).
static void scanKings() {
    const int8_t wk = tracker[ply].whiteKing, bk = tracker[ply].blackKing;
    for (int c = WHITE; c <= BLACK; c++) {
        const int8_t k = c == WHITE ? wk : bk, other = c == WHITE ? bk : wk;
        if (k < 0)
            continue;
        uint64_t near = kingattack[k] & ~(other >= 0 ? kingattack[other] : 0);
        evaluator &e = seeOf(c);
        for (; near; near &= near - 1)
            e.boardScan[lsb(near)] = seeIndexPlusOne(e.boardScan[lsb(near)], SG_KING);
    }
}

// Exchange value of every piece but the kings: what the opponent wins by starting captures
// on its square, with the own bishop behind an own pawn joining the defence once a pawn
// exchange has begun there.
static void exchangeValues() {
    const tag_sq &sq = squares[ply];
    const bboard &b = boards[ply];
    int32_t *row = seeBoard[ply];
    for (uint64_t set = b.allpieces & ~(b.whking | b.blking); set; set &= set - 1) {
        const int s = lsb(set);
        const int piece = sq.insq[s];
        const int c = sq.colsq[s];
        const evaluator &own = seeOf(c), &opp = seeOf(c ^ 1);
        const int a = opp.boardScan[s];
        if (a == 0)
            continue; // unattacked: safe, and the row already says 0
        const int cls = piece == QUEEN ? 0 : piece == ROOK ? 1 : piece >= KNIGHT ? 2 : 3;
        const int d = withPawnBackup(own.boardScan[s], a, own.oppPawnBQ[s]);
        if (own.ownQueen[s] == 0 && opp.ownQueen[s] == 0) {
            row[s] = -10 * seeTable[cls][d][a];
        } else {
            row[s] = queenObstruct((int8_t)cls, (int16_t)d, (int16_t)a,
                                   (int8_t)(own.ownQueen[s] > 3 ? 3 : own.ownQueen[s]),
                                   (int8_t)(opp.ownQueen[s] > 3 ? 3 : opp.ownQueen[s]), EMPTY);
        }
    }
}

void SEE() {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    ensureExchangeTables();
    const int mover = whiteToMoveFlag(gameFlags) ? WHITE : BLACK;
    const bool inCheck = (depthFlags[ply] & DPF_IN_CHECK) != 0;
    bboard &b = boards[ply];

    // Step 1. Clear both records and the exchange row.
    for (int c = WHITE; c <= BLACK; c++) {
        evaluator &e = seeOf(c);
        std::memset(&e, 0, sizeof(e));
        static_assert(NO_SQUARE == -1, "every byte of a 16-bit -1 is 0xFF");
        std::memset(e.thruPawn, 0xFF, sizeof e.thruPawn);
    }
    std::memset(seeBoard[ply], 0, sizeof(seeBoard[ply]));

    // Steps 2 and 3. King lines; check answers for the side to move.
    kingLines(WHITE, inCheck && mover == WHITE);
    kingLines(BLACK, inCheck && mover == BLACK);

    discoveryLines(WHITE);
    discoveryLines(BLACK);

    // Step 4. Attackers, White first. While in check the side to move counts only the
    // squares that answer the check and its own pieces (and, for pawns, en passant).
    for (int c = WHITE; c <= BLACK; c++) {
        const bool toMove = c == mover;
        uint64_t allowed = ~0ULL, pawnAllowed = ~0ULL;
        if (toMove && inCheck) {
            allowed = seeOf(c).checkSquares | piecesOf(b, c);
            pawnAllowed = allowed;
            if (moveStack[ply].enPassant >= 0)
                pawnAllowed |= mask[moveStack[ply].enPassant];
        }
        scanLeapers(c, allowed, pawnAllowed);
        scanSliders(c, toMove, allowed);
    }

    // The squares each king may not enter: its own pieces and all the enemy attacks.
    seeWhite.kingMoves = b.whpieces | attackedBy(BLACK);
    seeBlack.kingMoves = b.blpieces | attackedBy(WHITE);

    // Steps 5 and 6. King counts and piece totals.
    scanKings();
    for (int c = WHITE; c <= BLACK; c++) {
        evaluator &e = seeOf(c);
        e.pieceCount = (int8_t)(e.knightCount + e.bishopCountWhite + e.bishopCountBlack +
                                e.rookCount + e.queenCount);
    }

    // Step 7. Exchange values of all pieces.
    exchangeValues();
}
