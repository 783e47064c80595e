// Setting positions up from Forsyth-Edwards Notation.
#pragma once

// 1 when the text is a syntactically acceptable FEN line, else 0. Changes nothing.
int FENcheck(const char *s);
// Builds the position of a FENcheck-accepted line at the current ply; 1 on success, else 0
// after printing the reason. On failure the caller restores the start position.
int FENpos(const char *s);
