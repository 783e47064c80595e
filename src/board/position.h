// Start position, position keys, the material draw rule and the debug position verifier.
#pragma once

#include "board/board.h"

extern uint64_t file; // the a-file
extern uint64_t rank; // rank 8 (squares 0..7)

extern const move_tag tempMoveStack; // the state record of a new game
extern const move_list temp_schdata; // the empty move record

// Puts the engine into a new game in the initial position at ply 0: clears the hash tables,
// resets the game flags, the per-ply stacks, the keys and the game record.
void startpos();
// Forgets the evaluation facts that describe the last move made (a promotion about to
// happen, a side that has just castled): a position set up from scratch has no last move.
void clearLastMoveFacts();
// Recomputes the four keys of the position at ply from the mailbox, side and en passant.
void Zobrist();

struct positionKeys {
    uint64_t hash, hashlock, pnhash, pnlock;
};
// The four keys of the position at `p` as Zobrist builds them, for the given side to move and
// moveStack[p].enPassant. Reads only; writes nothing.
positionKeys keysOf(int p, bool whiteToMove);
// The piece, colour and rotated bitboards of a mailbox (the pass-pawn sets are left empty).
bboard bitboardsOf(const tag_sq &sq);
// True when neither side can ever give mate with the material on the board at `p`:
// bare kings, a lone knight or bishop against a bare king, or only bishops that all stand on
// squares of one colour. (The search's cheaper material-sum shortcut is separate.)
bool isInsufficientMaterial(int p);
// True when the material count is one of the sums the search scores as a dead draw.
bool isDrawnMaterialCount(int32_t materialCount);
// Recomputes bitboards, rotated boards, piece lists, material sums, LEwh/LEbl and the four
// keys of the position at `p` from its mailbox and compares them with the incremental
// state. On a mismatch prints the field, the position and `caller` to stderr; returns false.
bool verifyPosition(const char *caller, int p);
// Writes the position at `p` as FEN into buf (at least 100 bytes).
void positionToFEN(int p, char *buf);
