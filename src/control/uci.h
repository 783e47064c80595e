// UCI front end: the handshake and options, positions, "go" with its clock, the lines the
// engine answers while it searches, and the "info" and "bestmove" lines.
#pragma once

#include "search/search.h"

extern bool uciMode;         // set by the first "uci"; UCI for the rest of the run
extern int32_t moveOverhead; // "Move Overhead": milliseconds kept back from every budget

// "uci" was read (at the start-up poll or as a console command): UCI from now on, with no
// banner, prompts or diagrams. Prints nothing itself.
void enterUciMode();
// The answer to "uci": name, author, the options, "uciok".
void uciIdentify();
// Reads and handles UCI commands until "quit" or the end of input.
[[noreturn]] void runUciLoop();

// The next blank-delimited word of p, cut off in place; p moves past it. Null at the end.
char *nextToken(char *&p);

// "go ...": searches the game position within the limits of the line and answers
// "bestmove"; under "go infinite" and "go ponder" only after "stop" or "ponderhit".
void uciGo(char *args);
// True when the search has spent the node budget of "go nodes N".
bool isNodeLimitReached();
// The search's input poll in UCI mode: answers "isready", "stop", "ponderhit" and "quit" at
// once; a command that needs the position ("position", "go", ...) stops the search and is
// left unread for the command loop.
void uciPollSearch();
// A thinking report of the search as an "info" line.
void uciReport(const searchReport &r);
