// Checks of the engine's mate facts for the tests and tools: an independent mate prover for the
// search's mate scores (a plain full-width search over the engine's legal move generator that
// knows nothing but mate and stalemate), and a walk that holds the evaluation's "no legal
// move" verdicts against the generator.
#pragma once

#include <cstdint>

enum class MateVerdict { Proven, Refuted, Undecided };

// Nodes the prover may visit for one question before it answers Undecided.
extern uint64_t proverNodeBudget;
// Nodes the last question visited.
extern uint64_t proverNodes;
// Set when the prover found the engine's check flag of a position (DPF_IN_CHECK) at odds
// with its own reading of the board; the board at that point is left in proverMismatchFEN.
extern bool proverCheckMismatch;
extern char proverMismatchFEN[128];

// Does the side to move at ply 0 give mate within `plies` half-moves (an odd count: its
// mating move is the last)? Every line is searched to the end; no hash, no evaluation.
MateVerdict proveMates(int plies);
// Is the side to move at ply 0 mated within `plies` half-moves (an even count, 0 = mated
// now), whatever it plays?
MateVerdict proveMated(int plies);
// The verdict on a search score of the position at ply 0: a win scored 10000 - p claims a
// mate delivered at ply p at the latest, a loss scored -(10000 - p) claims being mated at ply
// p at the latest. Shorter distances are tried first.
MateVerdict checkMateScore(int32_t score);
// The shortest forced mate for the side to move at ply 0 within maxPlies half-moves, as the
// ply the mate is delivered at (1, 3, 5, ...), or -1 when there is none that short.
int shortestMate(int maxPlies);

// What the evaluation and the move generator say about one position.
struct EvalVerdict {
    char fen[128];
    int32_t score; // evaluate(0); -10000 for a mated side to move
    bool stalemate;
    int legalMoves;
    bool inCheck;
    bool consistent; // the incremental state passed verifyPosition
};
// Walks every line `depth` plies deep from the position at ply 0 and calls `report` for each
// position where the evaluation's verdict (mated, stalemated, neither) disagrees with the
// legal moves and the check flag, or whose incremental state fails verifyPosition. Returns
// the number of positions visited.
uint64_t walkEvalVerdicts(int depth, void (*report)(const EvalVerdict &));
