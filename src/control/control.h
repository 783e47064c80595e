// Engine control state: the four flag bytes, stop codes and pondering state.
#pragma once

#include "board/board.h"

extern uint8_t gameFlags, searchFlags, detectionFlags, timeFlags;
extern int32_t stopSearch; // stop or command code posted for the search and main loop
extern int32_t saveChoice; // index of a move typed during a search or wait
extern int8_t s_depth;     // deepest iteration the search may start; 30 = unlimited
extern char inputBuffer[256];
extern move_list ponderStack[MAX_MOVES];
extern int16_t ponderStore;

inline bool whiteToMove() { return (gameFlags & GF_WHITE_TO_MOVE) != 0; }
inline int sideToMove() { return whiteToMove() ? WHITE : BLACK; }

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
