// Making moves in the search stack and in the game, repetition bookkeeping and take-back.
#pragma once

#include "board/board.h"

extern int8_t PPdetected[8]; // pawn slots that became passed pawns with the last move

// Writes the position after `move` (a generated move of the position at ply) into ply + 1.
// Does not change ply or the side to move. At ply 0 also caches the result at mvnum.
void mvstack(move_list *move, int16_t mvnum);
// Records the position just written at ply + 1 in the repetition record; returns its count.
int8_t drawScore();
// Plays the engine's move from mvInfoChoice / mvRuleChoice.
void makeMove(move_list move);
// Plays the opponent's move from the root cache entry mvno.
void makeOppMove(move_list move, int16_t mvno);
// Takes the last half-move of the game back (nothing at the start or set-up position).
void takeback();
// True when no enemy pawn stands ahead of a pawn of colour c on t, on its own file or on an
// adjacent one (the test the move maker and the FEN set-up use for passed pawns).
bool isPassedPawn(const bboard &b, int c, int t);
