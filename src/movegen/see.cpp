// Attack analysis: attacker sets with pins and x-rays, king lines, check answers, king-move
// limits and the exchange value of every piece on the board.
#include "movegen/movegen.h"

#include "board/setup.h"

#include <cstring>

int32_t seeBoard[MAX_PLY][64];

// One slider's walk: whose it is, what it may count and where its counts go.
struct walker {
    int colour;       // colour of the walking piece
    int kind;         // BISHOP, ROOK or QUEEN
    int step;         // its set-index step: 24, 8 or 2
    bool toMove;      // the walker's side is to move: no x-ray support through own pieces
    uint64_t allowed; // squares it may count (restricted while its side is in check)
    evaluator *own, *other;
};

// Next square of a ray walked away from its origin (the ray set shrinks by that square).
static int popNext(uint64_t &ray, int dir) {
    const int s = (dir & 1) == 0 ? lsb(ray) : msb(ray);
    ray ^= mask[s];
    return s;
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

// Counts the walker on sq; once it has passed an enemy queen the square also carries the
// x-ray code that selects the exchange variant.
static void countSquare(const walker &w, int sq, int xray) {
    if ((w.allowed & mask[sq]) == 0)
        return;
    w.own->boardScan[sq] = (int16_t)seeIndexAdd(w.own->boardScan[sq], w.step);
    if (xray)
        w.own->ownQueen[sq] += (int16_t)xray;
}

// Marks the empty squares behind an own slider with the walker's support; the walk ends at
// the next piece.
static void markBehind(int16_t *field, uint64_t ray, int dir, int amount) {
    const tag_sq &sq = squares[ply];
    while (ray) {
        const int s = popNext(ray, dir);
        if (sq.insq[s] != EMPTY)
            return;
        field[s] += (int16_t)amount;
    }
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

// Walks one ray of a slider, counting each square up to the first blocker and applying the
// blocker rules: sliders of a kind pass through enemy sliders that move the same way, an
// enemy queen is seen through (marking the squares behind for the x-ray variants), an enemy
// king ends the ray uncounted, and the side not to move leaves support marks behind its own
// pieces. The side to move stops at its first own piece.
static void walkSliderRay(const walker &w, int from, int dir) {
    const tag_sq &sq = squares[ply];
    const bool diagonal = dir >= 4;
    uint64_t ray = rays[from][dir];
    int xray = 0; // ownQueen code after passing an enemy queen: 3 bishop, 1 rook
    while (ray) {
        const int b = popNext(ray, dir);
        const int piece = sq.insq[b];
        const int colour = sq.colsq[b];
        if (piece == EMPTY) {
            countSquare(w, b, xray);
            continue;
        }
        if (colour != w.colour) {
            if (piece == KING)
                return; // the king's own square never carries the attacker's count
            countSquare(w, b, xray);
            switch (piece) {
            case WPAWN:
            case BPAWN:
                markEnemyPawnPushes(w, b, colour, dir, ray, xray);
                return;
            case KNIGHT:
                return;
            case BISHOP:
                if (w.kind == ROOK || (w.kind == QUEEN && !diagonal))
                    return;
                continue;
            case ROOK:
                if (w.kind == BISHOP || (w.kind == QUEEN && diagonal))
                    return;
                continue;
            default: // QUEEN
                if (w.kind == BISHOP)
                    xray = 3;
                else if (w.kind == ROOK)
                    xray = 1;
                continue;
            }
        }
        countSquare(w, b, xray);
        if (w.toMove)
            return; // own pieces give the side to move no x-ray support
        if (xray && w.kind == ROOK) {
            // Behind an enemy queen a rook's line ends at any own piece.
            if (piece == WPAWN || piece == BPAWN)
                markOwnPawnSupport(w, b, dir, ray, xray);
            return;
        }
        switch (piece) {
        case WPAWN:
        case BPAWN:
            markOwnPawnSupport(w, b, dir, ray, xray);
            return;
        case KNIGHT:
            return;
        case BISHOP:
            if (w.kind == BISHOP)
                markBehind(w.own->oppBishop, ray, dir, 24);
            else if (w.kind == QUEEN && diagonal)
                markBehind(w.own->oppBishop, ray, dir, 2);
            return;
        case ROOK:
            if (w.kind == ROOK)
                markBehind(w.own->oppRook, ray, dir, 8);
            else if (w.kind == QUEEN && !diagonal)
                markBehind(w.own->oppRook, ray, dir, 2);
            return;
        case QUEEN:
            markBehind(w.own->oppQueen, ray, dir, w.step);
            return;
        default: // own KING: the walker's line goes on behind it
            continue;
        }
    }
}

// Squares attacked by a slider of `kind` on s over `occupied` (for the king-move limits).
static uint64_t sliderAttacks(int kind, int s, uint64_t occupied) {
    uint64_t att = 0;
    for (int dir = 0; dir < 8; dir++) {
        if ((kind == ROOK && dir >= 4) || (kind == BISHOP && dir < 4))
            continue;
        att |= rays[s][dir];
        const uint64_t blockers = rays[s][dir] & occupied;
        if (blockers)
            att &= ~rays[(dir & 1) == 0 ? lsb(blockers) : msb(blockers)][dir];
    }
    return att;
}

// Every square a side attacks, as the other king must see it: pinned pieces still attack,
// and sliders see through the other king, so that it cannot step back along a checking line.
static uint64_t attackedBy(int c) {
    bboard &b = boards[ply];
    trak &t = tracker[ply];
    const uint64_t occupied = b.allpieces & ~kingOf(b, c ^ 1);
    uint64_t att = 0;
    const int8_t *pawns = pawnSlots(t, c);
    for (int i = 0; i < PAWN_SLOTS; i++)
        if (pawns[i] >= 0)
            att |= c == WHITE ? whpawnattack[pawns[i]] : blpawnattack[pawns[i]];
    for (int piece = KNIGHT; piece <= QUEEN; piece++) {
        const int8_t *slots = slotsOf(t, c, piece);
        for (int i = 0; i < slotCount(piece); i++) {
            const int s = slots[i];
            if (s < 0)
                continue;
            att |= piece == KNIGHT ? knightattack[s] : sliderAttacks(piece, s, occupied);
        }
    }
    if (kingSlot(t, c) >= 0)
        att |= kingattack[kingSlot(t, c)];
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
    e.kingsAttackRays = piece_scan('Q', '0', k);
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
        if (pin >= 0)
            att &= rays[k][pin];
        for (; att; att &= att - 1)
            e.boardScan[lsb(att)] = (int16_t)seeIndexAdd(e.boardScan[lsb(att)], 96);
    }
    const int8_t *knights = knightSlots(t, c);
    for (int i = 0; i < KNIGHT_SLOTS; i++) {
        const int s = knights[i];
        if (s < 0)
            continue;
        e.knightCount++;
        if (k >= 0 && verifyPin(lines, k, (int8_t)s) >= 0)
            continue;
        for (uint64_t att = knightattack[s] & ~kingSq & allowed; att; att &= att - 1)
            e.boardScan[lsb(att)] = (int16_t)seeIndexAdd(e.boardScan[lsb(att)], 24);
    }
}

// Counts one side's bishops, rooks and queens by walking their rays; a pinned slider walks
// only the two rays of its pin line, and none when the line is not one it moves along.
static void scanSliders(int c, bool toMove, uint64_t allowed) {
    evaluator &e = seeOf(c);
    trak &t = tracker[ply];
    const int8_t k = kingSlot(t, c);
    const uint64_t lines = c == WHITE ? e.kingWhitePieces : e.kingBlackPieces;
    static const int steps[3] = {24, 8, 2};
    for (int piece = BISHOP; piece <= QUEEN; piece++) {
        const walker w = {c, piece, steps[piece - BISHOP], toMove, allowed, &e, &seeOf(c ^ 1)};
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
            for (int dir = 0; dir < 8; dir++) {
                if ((piece == BISHOP && dir < 4) || (piece == ROOK && dir >= 4))
                    continue;
                if (pin >= 0 && dir != pin && dir != (pin ^ 1))
                    continue;
                walkSliderRay(w, s, dir);
            }
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
            e.boardScan[lsb(near)] = (int16_t)seeIndexAdd(e.boardScan[lsb(near)], 1);
    }
}

// Exchange value of every piece but the kings: what the opponent wins by starting captures
// on its square, with the own bishop behind an own pawn joining the defence once a pawn
// exchange has begun there.
static void exchangeValues() {
    const tag_sq &sq = squares[ply];
    int32_t *row = seeBoard[ply];
    for (int s = 0; s < 64; s++) {
        const int piece = sq.insq[s];
        if (piece == EMPTY || piece == KING)
            continue;
        const int c = sq.colsq[s];
        const evaluator &own = seeOf(c), &opp = seeOf(c ^ 1);
        const int cls = piece == QUEEN ? 0 : piece == ROOK ? 1 : piece >= KNIGHT ? 2 : 3;
        const int a = opp.boardScan[s];
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
        for (int s = 0; s < 64; s++)
            e.thruPawn[s] = NO_SQUARE;
    }
    std::memset(seeBoard[ply], 0, sizeof(seeBoard[ply]));

    // Steps 2 and 3. King lines; check answers for the side to move.
    kingLines(WHITE, inCheck && mover == WHITE);
    kingLines(BLACK, inCheck && mover == BLACK);

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
