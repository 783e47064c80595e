// Move-path counting to check the generator and move making.
#pragma once

#include <cstdint>

// Adds to nodes every node of the legal move tree below the position at ply, to depth d.
void perft(int8_t PerftDepth);
// The console perft dialog.
void perftDialog();
// Prints the perft table header and rows 1..depth for the position at ply 0.
void printPerftRows(int depth);
