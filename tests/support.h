// Shared helpers of the unit tests: one-time table set-up and FEN positions.
#pragma once

#include "board/board.h"

#include <string>

// Builds the start-up tables once per test binary and puts the start position at ply 0.
void ensureSetup();
// Sets up a FEN position at ply 0 through FENcheck and FENpos; false if refused.
bool setupFEN(const char *fen);
// Sets the flags a command-line tool sets before a fixed-depth search of the position at ply
// 0: no book, no clock, no input polling, no thinking output.
void prepareSearch(int depth);
// Sets the FEN up and searches it to a fixed depth; false if the FEN was refused.
bool searchFEN(const char *fen, int depth);
// The FEN of the colour-mirrored position: board flipped vertically, colours, side to move,
// castling rights and en passant square swapped.
std::string mirrorFEN(const std::string &fen);
