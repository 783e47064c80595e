// Shared pieces of the move generator's two source files (movegen.cpp, movegen_pawns.cpp).
#pragma once

#include "board/board.h"
#include "board/setup.h"
#include "movegen/movegen.h"

// Everything one call of movgen knows about the position, computed once at its start.
struct genContext {
    int8_t gen, inQS;
    int c, o;          // colour to move and its opponent
    int8_t K, E;       // own king and enemy king
    evaluator *own;    // attack analysis of the side to move
    evaluator *opp;    // attack analysis of the opponent
    uint64_t occ;      // all occupied squares
    uint64_t enemy;    // the opponent's pieces
    uint64_t free;     // empty squares and the opponent's pieces
    uint64_t pinLine;  // own pieces on the own king's lines: pin candidates
    uint64_t discLine; // own pieces on the enemy king's lines: discovered-check candidates
    bool inCheck;
    move_list *list; // searchData[ply]
    int n;           // moves written so far
};

// The line from the enemy king that a piece on f shields for an own slider: every move of
// that piece off the line gives discovered check from `hidden`.
struct discovery {
    int8_t dir;       // direction from the enemy king, -1 when the piece shields nothing
    int8_t hidden;    // the unmasked slider
    uint64_t offLine; // destinations that leave the line (empty when dir is -1)
};
discovery discoveryOf(const genContext &g, int8_t f);

// Destinations of a piece on f that keep the own king safe: on its pin line when pinned, and
// among the check-answering squares when in check.
uint64_t legalTargets(const genContext &g, int8_t f, uint64_t targets);
// Exchange value of moving the piece of `kind` (pawn code, KNIGHT..QUEEN) in list slot `slot`
// from f to t, capturing `captured`; D receives the defender set on t after the move.
int moveExchangeValue(const genContext &g, int kind, int slot, int8_t f, int8_t t, int captured,
                      bool pawnPush, int &D);
// Order score of a quiet move of `kind` (pawn code or KNIGHT..QUEEN) to t; may add MT_ESCAPE.
uint8_t quietScore(const genContext &g, int kind, int8_t t, int v, int e, int D, bool disc,
                   bool doublePush, uint16_t &type);
// Appends a move; returns false (and writes nothing) when the list is full.
bool addMove(genContext &g, int8_t from, int8_t to, int8_t promote, int8_t captured, int8_t moved,
             int8_t checkSquare, uint16_t type, uint8_t score);
// True when t is next to the enemy king.
inline bool nextToEnemyKing(const genContext &g, int8_t t) {
    return (kingattack[g.E] & mask[t]) != 0;
}
// Takes the first square of `set` as the side to move reads the board, from its own first
// rank forward and each rank from the a-file, and removes it from the set. Moves of equal grade
// keep the order they were generated in, so a position and its colour mirror must generate
// them in the mirrored order to be searched alike. Square numbers run from a8, Black's first
// rank: Black takes the lowest square, White the lowest of the set turned upside down.
inline int8_t takeFirstSquare(const genContext &g, uint64_t &set) {
    const int8_t s = (int8_t)(g.c == BLACK ? lsb(set) : lsb(__builtin_bswap64(set)) ^ 56);
    set &= ~mask[s];
    return s;
}
// Sets ST_WINNING_CAPTURE on the ply and returns MT_WINNING_CAPTURE.
uint16_t markWinning();

// Pieces of the sets rookLike / bishopLike that attack s over the occupancy occ.
uint64_t sliderAttackers(int8_t s, uint64_t occ, uint64_t rookLike, uint64_t bishopLike);
// True when a piece of colour `by` attacks s over occ; pieces on `gone` are ignored (captured).
bool isAttackedOn(int8_t s, int by, uint64_t occ, uint64_t gone);

// Pawn moves with promotions, then the en passant captures (movegen_pawns.cpp).
void generatePawnMoves(genContext &g);
void generateEnPassant(genContext &g);
