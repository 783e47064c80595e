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
// Marks `to` as a promotion square (underAttack, attacked 6 plus the code of a piece already
// found en prise there), whatever the order in which the two were found.
void markPromotionSquare(int to);
// Exchange-table class of a piece code: queen 0, rook 1, knight or bishop 2, pawn 3.
int exchangeClass(int piece);
// Takes the next square out of a non-empty target set in colour c's scan order (White
// highest square first, Black lowest first) and returns it.
int nextTarget(uint64_t &set, int c);
// True when sq is next to colour c's king.
bool nextToKing(int c, int sq);
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
