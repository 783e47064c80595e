// The main loop, the stop codes, the end of the game, and the game actions the console and
// xboard front ends share.
#pragma once

#include "board/board.h"

#include <cstdint>

// Runs the engine for the rest of the process: on every pass it searches its own move,
// ponders on the opponent's time, or reads input. Ends only through quitEngine.
[[noreturn]] void runMainLoop();
// Executes the code posted in stopSearch (play the best move, new game, force mode, take
// back, ponder hit or miss, ...) at ply 0 and leaves stopSearch at 0.
void searchStopped();
// Tests the game position for its end (fifty moves, repetition, material, mate, stalemate),
// prints the result line and, in console mode, offers another game. Regenerates the root
// moves of a game that goes on.
void checkGame();

// The reply the engine's last search expected to the move it played, as the root move of the
// game position (with its notation), while that position is still on the board; else null.
// Generates the root moves: only while no search runs.
const move_list *expectedReply();

// Closes the book and ends the process with status 0 ("quit", end of input).
[[noreturn]] void quitEngine();
// Root index of the typed move in the current game position, or -1. Generates the root moves
// afresh and saves the entry position first: lines can arrive faster than the main loop
// regenerates. Only while no search runs (the search owns the ply-0 move list then).
int16_t enterTypedMove(const char *text);
// Index of the root move with the origin, target and promotion of m in the root list the last
// generation left (searchData[0]), or -1.
int16_t findRootMove(const move_list &m);
// Plays root move `index` as the opponent's move at ply 0.
void playRootMove(int16_t index);
// The opponent's move while the predicted reply stands on the board: during the ponder search
// a hit (12) or a miss (10) at once; after a ponder search that finished, the hit plays the
// engine's prepared move (1) or searches on (8), the miss takes the prediction back (10).
// False, with nothing posted, when the text names no legal move.
bool answerPredictedReply(const char *text);
// The root moves of the game position, generated at ply 0.
void generateRootMoves();
// The engine takes the colour of the side to move.
void playSideToMove();
// The state of a game ended by a command ("resign", "result", an accepted draw): no game,
// engine passive; the side to move is kept, since the position stays on the board.
void endGameFlags();
// The stop code a command word posts while the engine plays, or 0: new game, force mode,
// take back one or two half-moves, and `endWord` ("resign" at the console, "result" from a
// GUI) ends the game.
int32_t commandStopCode(const char *word, const char *endWord);
// A draw offer is accepted late in a game (more than 20 half-moves) when the last finished
// iteration does not expect the engine to win.
bool isDrawAcceptable();
// True while the engine searches its own move (a search runs and it is not a ponder search).
bool isThinkingOnOwnMove();
// True when the engine's own search ends by itself: a time control or a depth limit.
bool searchHasLimit();
