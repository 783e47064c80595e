// Static evaluation and the search's cheap substitutes for parts of it.
#pragma once

#include "board/board.h"

constexpr int PAWN_HASH_SIZE = 1 << 20;

extern PROFILE profile; // evaluation weights, the hand-tuned defaults from the start
extern tag_pnhash pawnStore[PAWN_HASH_SIZE];
extern const tag_pnhash temp_pnstore; // the empty pawn entry
// Empties the pawn hash (nothing to do while nothing has been stored since the last clear).
void clearPawnHash();
// Starts fetching the pawn-hash entry of the position at ply p, which its evaluation reads.
void prefetchPawnEntry(int8_t p);

// Other constant tables (eval_tables.cpp).
extern const int32_t hangValue[12];
extern const int32_t pieceMobility[6][14];
extern const int32_t queenValue[10], queenPenalty[8];
extern const int32_t passPawnValue[9], blockedPPValue[9];
extern const int8_t isol_pawn[3][8], out_post[3][8];
extern const int8_t pieceTropismMid[8], pieceTropismEnd[8];
extern const int8_t a_table[288], c_table[64], d_table[64], e_table[11], f_table[64];
extern const int32_t b_table[36];

// Score of the position at ply from the side to move's view; SEE must have run for it.
// kingSafetyDone 1 reuses the king-safety values already in moveStack[ply].
int32_t evaluate(int8_t kingSafetyDone);
// Value of the side that just moved's newly passed pawns into moveStack[ply].newPassedPawn.
void PPadjust();
// Hanging and threatened pieces and the capture exchange arrays, without a score.
void hangsThreats();
// King-zone danger of both kings into moveStack[ply].whiteKingSafety / blackKingSafety.
void kingSafeCheck(int8_t whiteQn, int8_t blackQn);
