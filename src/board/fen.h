// Setting positions up from Forsyth-Edwards Notation.
#pragma once

#include <cstdint>

// Which positions a set-up accepts. The console's FEN dialog keeps its own refusals: material
// with which nobody can mate, more than three knights or bishops (two rooks, three queens), and
// more minor pieces on one square colour than the exchange tables count apart. A GUI may send
// any position a legal game can reach, and gets it accepted: only impossible material (more
// promoted pieces than lost pawns, counting bishops by square colour), missing or extra kings,
// impossible checks and castling rights without their king and rook are refused.
enum fenRules : uint8_t { FEN_CONSOLE, FEN_ANY_LEGAL };

// Put before every refusal message: "info string " under UCI, where a GUI takes any other
// line for noise; empty otherwise.
extern const char *fenMessagePrefix;

// 1 when the text is a syntactically acceptable FEN line, else 0. Changes nothing.
int FENcheck(const char *s);
// Builds the position of a FENcheck-accepted line at the current ply; 1 on success, else 0
// after printing the reason. On failure the caller restores the start position.
int FENpos(const char *s, fenRules rules = FEN_CONSOLE);
