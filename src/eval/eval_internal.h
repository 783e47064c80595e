// Per-call scratch and shared routines of the evaluation files (not used outside src/eval).
#pragma once

#include "board/board.h"

// Accumulators of one evaluate call, index WHITE / BLACK (evaluate.cpp).
extern int32_t pawnMaterial[2], pieceMaterial[2], endGameMaterial[2], pieceEval[2];
extern int32_t mobility[2], tropism[2], weakSquare[2];
extern int32_t canMove[2]; // target squares found per side (only zero / non-zero matters)

// Per-square scratch (evaluate.cpp).
extern int8_t attacked[64]; // code of what stands en prise: pawn 1, N+2, B+3, R+4, Q+5, 6 promo
extern int8_t weakPawn[64]; // weakness count of each pawn square (pawns.cpp writes it)
extern uint64_t underAttack;
extern uint64_t sideAttacks[2]; // whiteAttacks, blackAttacks

// Exchange estimate (centipawns) of a move of colour c's piece of class k (queen 0, rook 1,
// minor 2, pawn 3) from `from` to `to` capturing `captured` (EMPTY for a push or quiet move);
// `piece` is the moving piece code, `pawnPush` marks a pawn push. Uses seeWhite/seeBlack
// with saturating set arithmetic (target.cpp).
int32_t exchangeEstimate(int c, int piece, int from, int to, int captured, bool pawnPush);
// Pin direction of colour c's piece on `from` against its own king (-1 when free).
int8_t pinDirection(int c, int from);
// True when colour c's piece on `from` shields a line from its own slider to the enemy king.
bool isDiscoveryPiece(int c, int from);
// Marks the piece on `from` en prise (underAttack, attacked code) when seeBoard[ply][from] < 0;
// returns seeBoard[ply][from].
int32_t markStandingValue(int from, int piece);

// Component scorers called by evaluate in its fixed order.
void probePawnHash(int32_t pawnHashScore[2]); // pawns.cpp: hashed pawn structure
void scorePawns(int c);                        // pawns.cpp: per-call pawn terms of colour c
void scorePieces(int c);                       // pieces.cpp: knights, bishops, rooks, queens
void scoreKing(int c);                         // king.cpp: king terms of colour c
