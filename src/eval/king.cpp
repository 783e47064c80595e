// King terms: square table, escape squares, pawn shelter, open lines, castling, a rook shut
// in by its king, and the king's part in king-and-pawn endings.
#include "eval/eval.h"

#include "board/setup.h"
#include "eval/eval_internal.h"
#include "movegen/movegen.h"

namespace {

constexpr int D5 = 27, E5 = 28, D4 = 35, E4 = 36;
constexpr int EXPOSED_IN_THE_OPEN = 8;

// Points for each open line from a king on its home squares, by exposure class 0..4 (f_table
// in the side's own frame), in the order of exposureDirection.
// clang-format off
const int8_t exposurePoints[5][5] = {
    // towards h, towards a, forward, forward-a diagonal, forward-h diagonal
    {2, 0, 2, 0, 2}, // a1, b1, a2, b2
    {2, 0, 2, 1, 2}, // c1, c2
    {1, 1, 2, 2, 2}, // d1, e1, d2, e2
    {0, 2, 2, 2, 1}, // f1, f2
    {0, 2, 2, 2, 0}, // g1, h1, g2, h2
};
// clang-format on
// Direction codes in the own frame: +1, -1, -8, -9, -7.
const int8_t exposureDirection[5] = {0, 1, 3, 5, 7};

} // namespace

// A row of the board in the own frame (row 0 is the far side's back rank).
static inline uint64_t rowSet(int row) { return 0xFFULL << (8 * row); }

// Shelter points of one file (own frame): the own pawn's distance from the king's rank and
// how close the enemy pawn has come. 0 is the ideal shield, 8 an empty file.
static int fileShelter(uint64_t own, uint64_t enemy, int f) {
    const uint64_t o = own & fileSet(f), e = enemy & fileSet(f);
    int v;
    if (!o)
        v = 5;
    else if (o & rowSet(6)) // rank 2
        v = 0;
    else if (o & rowSet(5)) // rank 3
        v = 2;
    else
        v = 4;
    if (!e)
        v += 3;
    else if (e & rowSet(5)) // an enemy pawn already on rank 3
        v += 2;
    else if (e & rowSet(4)) // rank 4
        v += 1;
    return v;
}

// kingsPawns: how badly the pawns in front of colour c's king on file kf shield it.
static int8_t pawnShelter(int c, int kf) {
    const uint64_t own = ownFrameSet(c, pawnsOf(boards[ply], c));
    const uint64_t enemy = ownFrameSet(c, pawnsOf(boards[ply], c ^ 1));
    int total = 0;
    if (kf <= 2) {
        for (int f = 0; f <= 2; f++)
            total += fileShelter(own, enemy, f);
        total /= 2;
    } else if (kf >= 5) {
        // The f-pawn is often advanced on purpose behind a castled king: half weight.
        total = fileShelter(own, enemy, 5) / 2;
        total += fileShelter(own, enemy, 6) + fileShelter(own, enemy, 7);
    } else {
        // A king in the centre fears open files, not a missing shield.
        const uint64_t all = own | enemy;
        for (int f = kf - 1; f <= kf + 1; f++) {
            if (!(all & fileSet(f)))
                total += 2;
        }
    }
    return static_cast<int8_t>(total);
}

// True when colour c's king (own-frame square rk) has walked into the corner and shut its
// rook in behind its own pawns or pieces.
static bool isRookCornered(int c, int rk) {
    const uint64_t rooks = ownFrameSet(c, rooksOf(boards[ply], c));
    const uint64_t own = ownFrameSet(c, piecesOf(boards[ply], c));
    switch (rk) {
    case 58: // c1: rook a1 or b1, a2/a3 and b2/b3 taken
        return (rooks & (squareBit(56) | squareBit(57))) &&
               (own & (squareBit(48) | squareBit(40))) && (own & (squareBit(49) | squareBit(41)));
    case 57: // b1: rook a1, a2/a3 taken
        return (rooks & squareBit(56)) && (own & (squareBit(48) | squareBit(40)));
    case 61: // f1: rook h1 or g1, g2/g3 and h2/h3 taken
        return (rooks & (squareBit(63) | squareBit(62))) &&
               (own & (squareBit(54) | squareBit(46))) && (own & (squareBit(55) | squareBit(47)));
    case 62: // g1: rook h1, h2/h3 taken
        return (rooks & squareBit(63)) && (own & (squareBit(55) | squareBit(47)));
    default:
        return false;
    }
}

// kingExposed: points for the lines from colour c's king (own-frame square rk) that no own
// piece closes. Away from its home ranks a king is exposed whatever stands around it.
static int8_t kingExposure(int c, int rk) {
    const int exposureClass = f_table[rk];
    if (exposureClass > 4)
        return EXPOSED_IN_THE_OPEN;
    const uint64_t own = ownFrameSet(c, piecesOf(boards[ply], c));
    int total = 0;
    for (int i = 0; i < 5; i++) {
        const int points = exposurePoints[exposureClass][i];
        if (points && !(rays[rk][exposureDirection[i]] & own))
            total += points;
    }
    return static_cast<int8_t>(total);
}

// The king-and-pawn ending terms of colour c's king on k: it belongs in the centre, or in the
// square of an enemy passed pawn, and next to its own last pawns. The nearness ranking breaks
// its ties by direction (ahead before behind), so it is read in the side's own frame, like
// every table laid out from White's side.
static int32_t pawnEndingTerms(int c, int k) {
    const int other = c ^ 1;
    bboard &b = boards[ply];
    const uint64_t ownPawns = ownFrameSet(c, pawnsOf(b, c));
    if (!ownPawns)
        return 0;
    const int rk = ownFrameSquare(c, k);
    int32_t v = 0;
    uint64_t passers = passPawnsOf(b, other);
    if (!passers) {
        v += (kingpos[D5][rk] + kingpos[E5][rk] + kingpos[D4][rk] + kingpos[E4][rk]) / 2;
    } else {
        // The square of a passed pawn is read from the pawn owner's side.
        const int kingSeenByOwner = ownFrameSquare(other, k);
        while (passers) {
            const int p = lsb(passers);
            passers &= ~squareBit(p);
            if (squareKing[ownFrameSquare(other, p)][kingSeenByOwner] == 1)
                v += profile.kingSquared;
        }
    }
    const int pawnCount = __builtin_popcountll(ownPawns);
    if (pawnCount == 1) {
        v += 5 * kingpos[lsb(ownPawns)][rk];
    } else if (pawnCount == 2) {
        v += (2 * kingpos[lsb(ownPawns)][rk] + 2 * kingpos[msb(ownPawns)][rk]) / 2;
    }
    return v;
}

// Adds colour c's king terms to pieceMaterial[c], pieceEval[c] and, for its safe escape
// squares, canMove[c] and sideAttacks[c]. SEE must have run; pawnMaterial and
// endGameMaterial of both sides are complete (steps 3 and 4 of evaluate).
void scoreKing(int c) {
    ASSERT(c == WHITE || c == BLACK);
    ASSERT(ply >= 0 && ply < MAX_PLY);
    ASSERT(gameState >= 0 && gameState <= 2);
    const int other = c ^ 1;
    trak &t = tracker[ply];
    const tag_sq &sq = squares[ply];
    const int k = kingSlot(t, c), enemyKing = kingSlot(t, other);
    ASSERT(k >= 0 && k < 64 && enemyKing >= 0 && enemyKing < 64);
    const int rk = ownFrameSquare(c, k);
    const PROFILE &p = profile;
    STATUS &ps = pieceStatus;
    ps.trappedPiece = 1;
    ps.kingDefender = ps.kingsPawns = ps.cornerRook = ps.kingExposed = 0;

    // 1. Material and square table.
    pieceMaterial[c] += pieceValue[KING];
    pieceEval[c] += kingsq[gameState][rk];

    // 2. Escape squares: next to the king, not next to the enemy king, not barred by SEE.
    // The king-move limits hold the own pieces and every square the opponent really attacks,
    // so each escape square is a legal king move and counts as one. The opponent's attacker
    // counts also carry x-ray attackers standing behind other pieces (a bishop behind an
    // enemy bishop): they judge only whether the square is safe enough to be no trap.
    uint64_t escapes = kingattack[k] & ~kingattack[enemyKing] & ~seeOf(c).kingMoves;
    while (escapes) {
        const int to = lsb(escapes);
        escapes &= ~squareBit(to);
        if (sq.colsq[to] == c && sq.insq[to] != WPAWN && sq.insq[to] != BPAWN)
            ps.kingDefender++;
        canMove[c] += 1;
        if (seeOf(other).boardScan[to] <= 0) {
            if (sq.colsq[to] != c) {
                ps.trappedPiece = 0;
                if (sq.colsq[to] == other && sideToMove() == c)
                    sideAttacks[c] |= squareBit(to);
            }
        }
    }

    // 3.-5. Shelter, cornered rook, open lines. The pawn shield scores only before the
    // ending and the open lines only in the middle game: elsewhere neither is worked out.
    ps.kingsPawns = gameState < 2 ? pawnShelter(c, k & 7) : 0;
    ps.cornerRook = isRookCornered(c, rk) ? 1 : 0;
    ps.kingExposed = gameState == 1 ? kingExposure(c, rk) : 0;

    // 6. Terms by phase.
    const bool hasCastled = (c == WHITE ? ps.whiteHasCastled : ps.blackHasCastled) == 1;
    int32_t v = 0;
    if (gameState == 0) {
        v += p.pawnDefenders * ps.kingsPawns;
        if (hasCastled)
            v += p.castled;
        const uint8_t castledBit = c == WHITE ? CR_WHITE_CASTLED : CR_BLACK_CASTLED;
        const int8_t kingCounter = c == WHITE ? t.whiteKingCounter : t.blackKingCounter;
        // A king that walked without castling has given the right away for nothing.
        if (!(moveStack[ply].castleRights & castledBit) && kingCounter > 0)
            v += p.kingMoved;
        if (ps.kingDefender > 0)
            v += p.kingDefend;
        if (ps.cornerRook)
            v += p.corneredRook;
    } else if (gameState == 1) {
        v += p.pawnDefenders * ps.kingsPawns;
        if (hasCastled)
            v += p.castled;
        if (ps.trappedPiece)
            v += p.trappedKing;
        if (ps.kingDefender > 0)
            v += p.kingDefend;
        if (ps.cornerRook)
            v += p.corneredRook;
        if (ps.kingExposed > 0)
            v += ps.kingExposed * p.exposedKing;
    } else {
        if (endGameMaterial[c] == 0)
            v += pawnEndingTerms(c, k);
        if (ps.trappedPiece)
            v += p.trappedKing;
        if (ps.cornerRook)
            v += p.corneredRook;
    }
    pieceEval[c] += v;
}
