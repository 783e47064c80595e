// Attack analysis, legal move generation with ordering, and the ray and pin utilities.
#pragma once

#include "board/board.h"

// ---------------------------------------------------------------------------
// Attack analysis (see.cpp)
// ---------------------------------------------------------------------------
// Exchange value of the piece on each square at each ply: -10 x what the opponent wins by
// starting captures there (0 safe, negative en prise).
extern int32_t seeBoard[MAX_PLY][64];
// The lines of the piece on each square, as verifyPin finds them, for every piece of both
// sides in the position SEE analysed last (meaningless on empty squares): pinLineOf, the
// direction from its own king along which it is pinned (never set for a king);
// discoveryLineOf, the direction from the enemy king along which it shields one of its own
// line pieces, and discoveryPieceOf, that line piece; -1 when there is none. The generator
// and the evaluation read them for every piece instead of testing the lines again.
extern int8_t pinLineOf[64], discoveryLineOf[64], discoveryPieceOf[64];

// Analyses the position at ply: attacker sets, pins, king rays, check squares, king-move
// limits, piece counts and the exchange value of every piece.
void SEE();

// ---------------------------------------------------------------------------
// Move generator (movegen.cpp)
// ---------------------------------------------------------------------------
// Writes the legal moves of the side to move at ply into searchData[ply] with type bits,
// check squares and ordering scores. gen 0 all moves, 1 captures and checks, 2 checks only;
// inQS 1 generates queen promotions only. SEE must have run for this position.
void movgen(int8_t gen, int8_t inQS);

// The search's move order at ply: searchData[ply][i] holds its place for i < sortedMoves[ply];
// the rest of a list below the root is sorted only when the search asks for it.
extern int16_t sortedMoves[MAX_PLY];
void sortMovesThrough(int place);
// The move at place i of the list at ply in the search's order.
inline move_list &orderedMove(int i) {
    ASSERT(ply >= 0 && ply < MAX_PLY && i >= 0 && i < MAX_MOVES);
    if (i >= sortedMoves[ply])
        sortMovesThrough(i);
    return searchData[ply][i];
}

// Move-ordering memory the generator reads and the search fills: two killers and a mate
// killer per ply (kept from search to search), and the transposition table's best move for
// the position about to be generated, which movgen uses once and then forgets.
extern gallows killer[2][MAX_PLY];
extern gallows matekiller[MAX_PLY];
extern const gallows tempkiller; // the empty killer
// History of quiet moves by side (0 White, 1 Black) and from * 64 + to: how often, and how
// deep, the move refuted a position. Quiet moves that neither lose material nor hold a
// killer's or the table's place are tried in its order, their placement scores breaking ties.
constexpr int32_t HISTORY_MOST = 0xFFFF;
// The order scores that the table's move and the killers take over in their ply's list.
constexpr uint8_t HASH_MOVE_ORDER = 255, MATE_KILLER_ORDER = 254, KILLER_ORDER_FIRST = 126,
                  KILLER_ORDER_SECOND = 125;
extern int32_t quietHistory[2][4096];
// The history of one side's quiet moves (White's or Black's).
inline int32_t *historyOf(bool white) { return quietHistory[white ? 0 : 1]; }
struct hashMoveHint {
    bool found;
    int8_t from, to, promote;
};
extern hashMoveHint orderingHashMove;

// True when the side to move's pawn on f may take en passant at ply: its king is not attacked
// once both pawns have left their squares. A check that the double step gave or uncovered,
// and a rank pin through both pawns, forbid it; the pin and check sets cannot show either.
bool isLegalEnPassant(int8_t f);

// Ordering tables (movegen_tables.cpp).
extern const int32_t caporder[7][6], hangcap_order[6][6], loseorder[6][6], prom_order[6][8];
extern const int32_t wingPawnOrder[6], winCheckOrder[7];
extern const int32_t pawnorder[3][64], knightorder[3][64], bishoporder[3][64], rookorder[3][64],
    queenorder[3][64], kingorder[3][64];

// ---------------------------------------------------------------------------
// Ray, pin and square utilities (rays.cpp)
// ---------------------------------------------------------------------------

extern int8_t hiddenSquare; // the line piece found behind a pinned or shielding piece

// Attack set of a piece of kind attack_t ('B', 'R', 'Q', 'N', 'K') on `to` over the current
// ply's occupancy, filtered by piece_t ('0' none, 'W'/'X' White/Black pieces, 'K','Q','R',
// 'B','N' White kinds, 'q','r','b','n' Black kinds).
uint64_t piece_scan(char attack_t, char piece_t, int8_t to);
// The same on the saved entry position (sideBoards).
uint64_t ponderScan(char attack_p, char piece_p, int8_t to);
// Direction from kpos along which the piece on xmark shields a line piece, or -1. Most pieces
// stand on no line of the king at all, so that test is made inline.
int8_t verifyPinOnLine(uint64_t kattack, int8_t kpos, int8_t xmark);
inline int8_t verifyPin(uint64_t kattack, int8_t kpos, int8_t xmark) {
    ASSERT(kpos >= 0 && kpos < 64 && xmark >= 0 && xmark < 64);
    if ((kattack & squareBit(xmark)) == 0) {
        hiddenSquare = NO_SQUARE;
        return -1;
    }
    return verifyPinOnLine(kattack, kpos, xmark);
}
int8_t verifySavedPin(uint64_t kattack, int8_t kpos, int8_t xmark);
// Squares on which a check on the king at kpos can be answered by a piece other than the king.
uint64_t verifyChSq(uint64_t kattack, uint64_t allsq, int8_t kpos);
// >= 0 when the promotion xfrom-xto to xpiece checks the king on kpos.
int8_t verifyProm(uint64_t kattack, int8_t kpos, int8_t xfrom, int8_t xto, int8_t xpiece);
