// Ray, pin and square utilities shared by the attack analysis, generator, evaluation and parser.
#include "movegen/movegen.h"

#include "board/setup.h"

int8_t hiddenSquare;

static uint64_t bishopAttacks(const bboard &b, int to) {
    return bishopAttacksOver(b.rotated45R, b.rotated45L, to);
}
static uint64_t rookAttacks(const bboard &b, int to) {
    return rookAttacksOver(b.allpieces, b.rotated90R, to);
}

// Attacks of one piece kind from `to` over the occupancy of the given boards.
static uint64_t attacksOf(char kind, const bboard &b, int to) {
    switch (kind) {
    case 'B':
        return bishopAttacks(b, to);
    case 'R':
        return rookAttacks(b, to);
    case 'Q':
        return bishopAttacks(b, to) | rookAttacks(b, to);
    case 'N':
        return knightattack[to];
    case 'K':
        return kingattack[to];
    default:
        return 0;
    }
}

// The pieces a filter letter selects: '0' every square, 'W'/'X' a whole side, upper-case
// letters White pieces of a kind and lower-case letters Black pieces of a kind.
static uint64_t filterSet(char filter, const bboard &b) {
    switch (filter) {
    case '0':
        return ~0ULL;
    case 'W':
        return b.whpieces;
    case 'X':
        return b.blpieces;
    case 'K':
        return b.whking;
    case 'Q':
        return b.whqueen;
    case 'R':
        return b.whrooks;
    case 'B':
        return b.whbishops;
    case 'N':
        return b.whknights;
    case 'P':
        return b.whpawns;
    case 'k':
        return b.blking;
    case 'q':
        return b.blqueen;
    case 'r':
        return b.blrooks;
    case 'b':
        return b.blbishops;
    case 'n':
        return b.blknights;
    case 'p':
        return b.blpawns;
    default:
        return 0;
    }
}

// Pin test on an arbitrary position (the current ply or the saved entry position).
static int8_t pinOn(uint64_t kattack, int8_t kpos, int8_t xmark, uint64_t occupied,
                    const tag_sq &sq) {
    hiddenSquare = NO_SQUARE;
    ASSERT(kpos >= 0 && kpos < 64 && xmark >= 0 && xmark < 64);
    if ((kattack & mask[xmark]) == 0)
        return -1;
    const int d = direct[kpos][xmark];
    if (d < 0)
        return -1;
    const uint64_t beyond = occupied & rays[xmark][d];
    if (beyond == 0)
        return -1;
    // The nearest piece beyond xmark, seen from the king.
    const int s = xmark < kpos ? msb(beyond) : lsb(beyond);
    if (sq.colsq[s] == sq.colsq[kpos])
        return -1;
    const int piece = sq.insq[s];
    if ((d <= 3 && (piece == ROOK || piece == QUEEN)) ||
        (d >= 4 && (piece == BISHOP || piece == QUEEN))) {
        hiddenSquare = (int8_t)s;
        return (int8_t)d;
    }
    return -1;
}

uint64_t piece_scan(char attack_t, char piece_t, int8_t to) {
    ASSERT(to >= 0 && to < 64);
    const bboard &b = boards[ply];
    return attacksOf(attack_t, b, to) & filterSet(piece_t, b);
}

uint64_t ponderScan(char attack_p, char piece_p, int8_t to) {
    ASSERT(to >= 0 && to < 64);
    return attacksOf(attack_p, sideBoards, to) & filterSet(piece_p, sideBoards);
}

int8_t verifyPinOnLine(uint64_t kattack, int8_t kpos, int8_t xmark) {
    return pinOn(kattack, kpos, xmark, boards[ply].allpieces, squares[ply]);
}

int8_t verifySavedPin(uint64_t kattack, int8_t kpos, int8_t xmark) {
    return pinOn(kattack, kpos, xmark, sideBoards.allpieces, savedSquares);
}

// A check by a pawn or knight is answered on the checker's square; a line check on any square
// from the king to the checker. Two checkers at once leave only king moves: the empty set.
// Every checker counts, leapers included, so no capture of one of two checkers slips through.
// The enemy is the colour opposing the king on kpos.
uint64_t verifyChSq(uint64_t kattack, uint64_t allsq, int8_t kpos) {
    ASSERT(kpos >= 0 && kpos < 64);
    const bboard &b = boards[ply];
    const tag_sq &sq = squares[ply];
    int kingColour = sq.colsq[kpos];
    if (kingColour == NOCOLOUR)
        kingColour = whiteToMoveFlag(gameFlags) ? WHITE : BLACK;
    // An enemy pawn attacks kpos from the squares an own pawn on kpos would attack.
    const uint64_t p =
        (kingColour == BLACK ? blpawnattack[kpos] & b.whpawns : whpawnattack[kpos] & b.blpawns) |
        (knightattack[kpos] & (kingColour == BLACK ? b.whknights : b.blknights));
    if (p & (p - 1))
        return 0;
    kattack &= ~p; // a checking pawn is no line piece
    uint64_t r = 0;
    while (kattack) {
        const int s = msb(kattack);
        kattack ^= mask[s];
        const int d = direct[kpos][s];
        const int piece = sq.insq[s];
        if (d >= 0 && ((d <= 3 && (piece == ROOK || piece == QUEEN)) ||
                       (d >= 4 && (piece == BISHOP || piece == QUEEN)))) {
            if (p != 0 || r != 0)
                return 0;
            r = allsq & rays[kpos][d];
        }
    }
    return r | p;
}

// Check by a promotion: the new piece sees the king along a clear line, jumps to it as a
// knight, or the pawn advances straight away from the king along the line it stood on. In the
// last case the pawn itself must have been the first piece on that line (xfrom in kattack),
// since otherwise another piece still blocks the new piece's view of the king.
int8_t verifyProm(uint64_t kattack, int8_t kpos, int8_t xfrom, int8_t xto, int8_t xpiece) {
    ASSERT(kpos >= 0 && kpos < 64 && xfrom >= 0 && xfrom < 64 && xto >= 0 && xto < 64);
    const bool lineMover = xpiece == ROOK || xpiece == QUEEN;
    const bool diagMover = xpiece == BISHOP || xpiece == QUEEN;
    if (kattack & mask[xto]) {
        const int d = direct[kpos][xto];
        if ((d >= 0 && d <= 3 && lineMover) || (d >= 4 && diagMover))
            return (int8_t)d;
        return -1;
    }
    if (xpiece == KNIGHT && (knightattack[xto] & mask[kpos]))
        return 9;
    const int d = direct[kpos][xfrom];
    if (d >= 0 && d == direct[xfrom][xto] && (kattack & mask[xfrom])) {
        // A pawn only moves forward, so the direction fixes its colour: codes 2, 4, 6 point
        // towards rank 1 (a Black promotion), codes 3, 5, 7 towards rank 8 (a White one).
        if (d <= 3 ? lineMover : diagMover)
            return (int8_t)d;
    }
    return -1;
}
