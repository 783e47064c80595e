// xboard (protocol 2) front end: the handlers of the GUI's command lines.
#pragma once

// Reads and handles one waiting line while the engine is not active (set-up, force mode,
// between games); returns at once when no line is waiting. Clears DF_KEEP_READING and sets
// it again for every command that keeps the engine passive.
void pollInputGame();
// Reads and handles one waiting line while the engine is active (searching, pondering or
// waiting for the opponent's move); commands that change the game post a stop code.
void pollInputSearch();

// "xboard": xboard mode from now on (no game, input polled without blocking); prints the
// empty line. Also reached from the console when the GUI's "xboard" came late.
void switchToXboard();

// "go": the engine plays the side to move, from now on.
void xboardGo();
// "playother": the engine plays the side not to move and waits for the opponent's move.
void xboardPlayOther();
// Handles one line of the passive engine (set-up, force mode, between games). A line it does
// not know, a refused move or setting is answered with the protocol's error text and changes
// nothing else.
void xboardGameLine(char *line);
// Keeps a line that needs the passive engine ("setboard", "playother" during the engine's own
// search) for pollInputGame, which handles it before reading anything newer. The caller posts
// the stop code that makes the engine passive.
void deferLine(const char *line);
bool hasDeferredLine();

// Analyze mode (xboard_analyze.cpp): an endless search of the board position, restarted
// whenever the position changes; no move is played.
extern bool analyzing;
// "analyze": analysis begins with the next pass of the main loop.
void startAnalysis();
// One pass of the main loop in analyze mode: searches the position when it has changed, then
// reads and handles one line ("exit" leaves the mode).
void analyzePosition();
// The search's input poll in analyze mode: "." and "ping" are answered at once, any other
// line stops the search and is read after it.
void analysisPollSearch();

// Shared by the two handlers (xboard.cpp).
enum class xbSetting { NONE, DONE, REFUSED };
// Commands that act at once in either state: settings, clocks, "ping", "hint" and the
// harmless words GUIs send. NONE when the word is none of them; REFUSED when its argument
// cannot be read: "Error (bad argument): LINE" is printed then and the old setting stays.
xbSetting xboardSetting(const char *word, char *line);
// Sizes the hash tables as a "memory" asked while a search ran; nothing when none is waiting.
// Called where no search runs.
void applyGrantedMemory();
// The first blank-delimited word of a line.
void firstWord(const char *line, char *word, unsigned size);
// The text after the command word and one blank ("" when there is none).
const char *restOfLine(const char *line, const char *word);
// Answers a "usermove" whose text names no legal move.
void refuseMove(const char *move);
// xboardSetting for a line no handler took before it: a word it does not know is answered
// "Error (unknown command): LINE", a refused setting "Error (bad argument): LINE".
void answerSetting(const char *word, char *line);
