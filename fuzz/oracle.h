// An independent, deliberately simple reference for the fuzz targets: legal moves from the
// mailbox alone, and a reader of move text that works from the end of the text backwards.
#pragma once

#include "board/board.h"

struct oracleMove {
    int8_t from, to, promote; // promote: piece code 2..5, 0 when none
    bool castle;
};

constexpr int ORACLE_MAX = 256;

// The legal moves of `white` (true: White) on the mailbox sq, with the castling bits and the
// en passant target square (-1 none) of the position. Returns the count.
int oracleMoves(const tag_sq &sq, bool white, uint8_t castleRights, int ep, oracleMove *out);

// The one move of `moves` that the text names, or -1 when it names none or several. Accepts the
// forms the engine documents: castling (O, o or 0), piece moves with optional origin file,
// rank or square and optional "x", pawn pushes and captures with optional "x" and a
// promotion piece with optional "=", the coordinate form with an optional promotion letter,
// each with an optional final "+" or "#"; 2 to 7 characters after a final newline is cut.
int oracleReadText(const char *text, const tag_sq &sq, const oracleMove *moves, int n);

// A position as a GUI states it: the mailbox, the side to move, the castling bits and the en
// passant target square (-1 none). The protocol target follows the positions it sends with it.
struct oraclePosition {
    tag_sq sq;
    bool white;
    uint8_t castleRights;
    int ep;
};

// The initial position.
void oracleStartPosition(oraclePosition &pos);
// Reads the placement, side, castling and en passant fields of a FEN (the clocks are not
// needed); false when they are malformed or a side has no king or several.
bool oracleReadFEN(const char *fen, oraclePosition &pos);
// Plays a move of oracleMoves on the position: captures, en passant, promotion, the castling
// rook, and the rights and en passant square that follow.
void oraclePlay(oraclePosition &pos, const oracleMove &m);
// Plays the coordinate move (e2e4, e7e8q) when it is legal in the position; false otherwise.
bool oraclePlayCoordinates(oraclePosition &pos, const char *text);

// Aborts with the message and the FEN of ply p on stderr when the condition fails.
void oracleCheck(bool ok, const char *what, int p);
