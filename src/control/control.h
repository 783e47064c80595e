// Front-end control state: the typed move, the xboard line and the pondering lists. The
// flag bytes and the stop code live in the engine state at the bottom of the layers.
#pragma once

#include "board/board.h"
#include "board/fen.h"

extern int32_t saveChoice; // index of a move typed during a search or wait
extern char inputBuffer[256];
extern move_list ponderStack[MAX_MOVES];
extern int16_t ponderStore;
extern uint64_t ponderEntryKey; // key of the position the predicted reply was made in

// 1 when bytes (or a buffered line) are waiting on standard input, else 0; never blocks.
int checkInput();
// Called by the search at every move it makes: lets the front end read waiting input, which
// may post a stop code in stopSearch. Reads nothing while input polling is switched off
// (command-line tools and tests).
void searchInputPoll();
extern bool searchPollEnabled;
// True while an input handler runs from inside the search (the engine thinks or ponders);
// false while the main loop waits for input with no search running.
bool isSearchPolling();
// The start position of a new game (startpos), with the search's memory cleared.
void newGamePosition();
// Sets up a FEN that FENcheck has passed (FENpos under `rules`); the console's rules also
// refuse, with a message, a position where the side to move has no legal move. Clears the
// search's memory and positionRefused. 1 on success, else 0.
int setUpFEN(const char *fen, fenRules rules = FEN_CONSOLE);
// The FEN a GUI sent, with the half-move clock and move number that opening books and test
// suites often leave out taken as 0 and 1; at most size - 1 characters go to out.
void completeGivenFEN(const char *fen, char *out, size_t size);
// True from a GUI's refused position until a new game or an accepted position: the engine
// then has no position it was given, and neither moves nor analyses (the board holds the
// start position as a placeholder).
extern bool positionRefused;
// A GUI's position was refused: the start position stands in, with positionRefused set.
void refuseGivenPosition();
// True when the game position at ply 0 has no legal move or no side can ever mate; leaves
// its root moves generated.
bool isGameDecided();
// Connects the search to this front end: its input polls and its thinking output.
void installSearchHooks();
// The front ends as at program start: no protocol chosen, no analysis, no input poll under
// way, no refused position, one search line and the default table memory. A program that is started again within one process (the protocol
// fuzz target starts it for every input) restores this first; a plain start has it already.
void resetFrontEnds();
