// Per-call scratch and shared routines of the evaluation files (not used outside src/eval).
#pragma once

#include "board/board.h"
#include "board/setup.h"
#include "movegen/movegen.h"

// Accumulators of one evaluate call, index WHITE / BLACK (evaluate.cpp).
extern int32_t pawnMaterial[2], pieceMaterial[2], endGameMaterial[2], pieceEval[2];
extern int32_t mobility[2], tropism[2], weakSquare[2];
extern int32_t canMove[2]; // target squares found per side (only zero / non-zero matters)

// Per-square scratch (evaluate.cpp).
extern int8_t attacked[64]; // code of what stands en prise: pawn 1, N+2, B+3, R+4, Q+5, 6 promo
extern int8_t weakPawn[64]; // weakness count of each pawn square (pawns.cpp writes it)
extern uint64_t underAttack;
extern uint64_t sideAttacks[2]; // whiteAttacks, blackAttacks

// Marks `to` as a promotion square (underAttack, attacked 6 plus the code of a piece already
// found en prise there), whatever the order in which the two were found.
void markPromotionSquare(int to);
// Row of the exchange array of the side to move for a piece code and list slot.
int32_t *exchangeRow(int piece, int slot);
// Target scan of colour c's knight, bishop, rook or queen in list `slot` on `from` with the
// attack set `attacks`: pin and check filters, standing value, exchange estimates (stored for
// the side to move), counting by the discovery rule. Sets pieceStatus.pinnedPiece,
// trappedPiece, ableToMove, weakPawnHit and goodPin (bishops and rooks), canMove and
// sideAttacks; returns the counted moves. capturesOnly limits the targets to enemy pieces.
int scanPieceTargets(int c, int piece, int slot, int from, uint64_t attacks, bool capturesOnly);
// True when the side that just moved answered a check with a piece that now attacks the
// checking piece and wins material from it (the ST_HANG_FOUND rule).
bool isAnsweredCheckThreat();
// Sets moveStack[ply].hangingPiece / threatenedPiece from underAttack, attacked and
// sideAttacks; returns how many of the side to move's capturable squares are en prise.
int findHangingPieces();
// Empties attacked, underAttack and sideAttacks.
void clearTargetScratch();

// Component scorers called by evaluate in its fixed order.
void probePawnHash(int32_t pawnHashScore[2]); // pawns.cpp: hashed pawn structure
void scorePawns(int c);                       // pawns.cpp: per-call pawn terms of colour c
void scorePieces(int c);                      // pieces.cpp: knights, bishops, rooks, queens
void scoreKing(int c);                        // king.cpp: king terms of colour c

// Highest code an attacked square can carry: a queen (5) en prise on a promotion square (6).
constexpr int8_t MAX_ATTACKED_CODE = 11;

// ---------------------------------------------------------------------------
// The per-target routines of the target scans, inline: every piece and pawn of both sides
// runs them on each of its target squares at every evaluation.
// ---------------------------------------------------------------------------

// Exchange-table class of a piece code: queen 0, rook 1, knight or bishop 2, pawn 3.
inline int exchangeClass(int piece) {
    switch (piece) {
    case QUEEN:
        return 0;
    case ROOK:
        return 1;
    case KNIGHT:
    case BISHOP:
        return 2;
    default:
        return 3;
    }
}

// Exchange estimate (centipawns) of a move of colour c's `piece` from `from` to `to`
// capturing `captured` (EMPTY for a push or quiet move); `pawnPush` marks a pawn push. Uses
// seeWhite/seeBlack with saturating set arithmetic.
inline int32_t exchangeEstimate(int c, int piece, int from, int to, int captured, bool pawnPush) {
    ASSERT(c == WHITE || c == BLACK);
    ASSERT(from >= 0 && from < 64 && to >= 0 && to < 64);
    ASSERT(captured >= 0 && captured <= EMPTY);
    const evaluator &own = seeOf(c);
    const evaluator &opp = seeOf(c ^ 1);
    // The enemy's recapturing set first: where nothing can take back, the move keeps what it
    // takes and our own defenders need not be read.
    int oppSet = clampSeeIndex(opp.boardScan[to]);
    if (pawnPush) {
        // The enemy's heavy pieces behind its own pawn join in.
        oppSet = seeIndexAdd(oppSet, opp.oppPawnRQ[to]);
    } else {
        // Sliders the enemy stacks behind its own like piece on the line join the attack
        // once the front piece has recaptured.
        switch (piece) {
        case BISHOP:
            oppSet = seeIndexAdd(oppSet, opp.oppBishop[to]);
            break;
        case ROOK:
            oppSet = seeIndexAdd(oppSet, opp.oppRook[to]);
            break;
        case QUEEN:
            oppSet = seeIndexAdd(oppSet, opp.oppQueen[to]);
            break;
        case WPAWN:
        case BPAWN:
            // A bishop behind the enemy pawn that covers `to` backs the pawn's recapture
            // when the enemy defends the square at all, or when the line to it runs
            // through this very pawn (thruPawn names the pawn the x-ray passes).
            if (opp.boardScan[to] > 0 || own.thruPawn[to] == from)
                oppSet = seeIndexAdd(oppSet, opp.oppPawnBQ[to]);
            break;
        default:
            break;
        }
    }
    if (oppSet == 0)
        return pieceValue[captured]; // nothing can take back
    // The pushed pawn attacks nothing on its new square, but a rook or queen behind it on
    // the file follows it up; any other mover leaves its own defender set.
    int ownSet = pawnPush ? seeIndexAdd(own.boardScan[to], own.ownPawn[to])
                          : seeIndexMinusOne(own.boardScan[to], seeGroupOfPiece(piece));
    // Our bishop behind our own pawn supports the square once the pawns have been traded.
    ownSet = withPawnBackup(ownSet, oppSet, own.oppPawnBQ[to]);

    const int k = exchangeClass(piece);
    if (own.ownQueen[to] == 0 && opp.ownQueen[to] == 0)
        return pieceValue[captured] - 10 * seeTable[k][ownSet][oppSet];
    // Codes above 3 mean nothing more than 3 to the x-ray tables.
    const int8_t ownCode = (int8_t)(own.ownQueen[to] > 3 ? 3 : own.ownQueen[to]);
    const int8_t oppCode = (int8_t)(opp.ownQueen[to] > 3 ? 3 : opp.ownQueen[to]);
    return queenObstruct((int8_t)k, (int16_t)ownSet, (int16_t)oppSet, ownCode, oppCode,
                         (int16_t)captured);
}

// Pin direction of colour c's piece (not the king) on `from` against its own king (-1 when
// free), as the attack analysis found it.
inline int8_t pinDirection(int c, int from) {
    ASSERT(from >= 0 && from < 64 && squares[ply].colsq[from] == c);
    ASSERT(squares[ply].insq[from] != KING);
    (void)c;
    return pinLineOf[from];
}

// True when colour c's piece on `from` shields a line from its own slider to the enemy king.
inline bool isDiscoveryPiece(int c, int from) {
    ASSERT(from >= 0 && from < 64 && squares[ply].colsq[from] == c);
    (void)c;
    return discoveryLineOf[from] != -1;
}

// Marks the piece on `from` en prise (underAttack, attacked code) when seeBoard[ply][from] < 0;
// returns seeBoard[ply][from].
inline int32_t markStandingValue(int from, int piece) {
    ASSERT(from >= 0 && from < 64);
    const int32_t standing = seeBoard[ply][from];
    if (standing < 0) {
        underAttack |= squareBit(from);
        if (piece == WPAWN || piece == BPAWN) {
            attacked[from] = 1;
        } else {
            // A piece adds its code to a promotion mark (6) already standing on its square.
            const int code = attacked[from] + piece;
            attacked[from] = (int8_t)(code > MAX_ATTACKED_CODE ? MAX_ATTACKED_CODE : code);
        }
    }
    return standing;
}

// Takes the next square out of a non-empty target set in colour c's scan order (White
// highest square first, Black lowest first) and returns it. The two orders are not mirror
// images inside a rank, which matters only where the first find wins.
inline int nextTarget(uint64_t &set, int c) {
    ASSERT(set != 0);
    const int to = c == WHITE ? msb(set) : lsb(set);
    set &= ~squareBit(to);
    return to;
}

// True when sq is next to colour c's king.
inline bool nextToKing(int c, int sq) {
    return (kingattack[kingSlot(tracker[ply], c)] & squareBit(sq)) != 0;
}
