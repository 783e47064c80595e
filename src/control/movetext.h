// Move text: SAN and coordinate output, SAN and coordinate input, legal-move listing, thinking lines.
#pragma once

#include "board/board.h"

// The move in standard algebraic notation (a static buffer overwritten by each call).
char *sanstring(move_list san);
// The move in coordinates as UCI writes it: e2e4, e7e8q, e1g1 for castling, 0000 for none
// (a static buffer overwritten by each call).
char *coordstring(move_list m);
// Index of the legal move the text names in the root list (pond 0) or the ponder list
// (pond 1), matched on the saved entry position; -1 when none.
int16_t checkMove(const char *s, int8_t pond);
// Prints the root moves on one line, each followed by a blank.
void legalmv();
// The same for the first `count` moves of a list (the ponder list keeps the user's moves).
void legalmvList(const move_list *list, int count);
// One thinking line: depth, score, time (s), nodes and the principal variation.
void pvline(int32_t pvdepth, int32_t pvval, int32_t pvtime, uint64_t pvnodes, int8_t pondPV);
// One full-analysis line: the line searched so far.
void moveline(uint64_t movenodes, int32_t moveval, int32_t moveply);
