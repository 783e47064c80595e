// Console front end: board diagram, settings listing and the console command handlers.
#pragma once

#include "board/board.h"

#include <cstdint>

// True when the word is the command, whatever the case of its letters.
bool isCommand(const char *word, const char *command);
// The diagram of a mailbox, rank 8 first, without a prompt.
void printBoardSquares(const tag_sq &sq);
// The diagram of the game position (inPonder 0, with the prompt of the side to move while a
// game is on) or of the pondered position (1).
void print_board(int8_t inPonder);
// The settings listing; ngame non-zero marks a new game ready to play.
void settings(int8_t ngame);
// Reads and handles one console line while the engine is not active; the main loop calls it
// again while DF_KEEP_READING is set. Returns 1, or the index of a move played in force mode.
int16_t userInputGame();
// Reads and handles one console line while the engine is active (searching, pondering or
// waiting for the user's move). Returns -1 when nothing usable was read, the index of a move
// typed while no ponder search runs, else 1.
int16_t userInputSearch();
// The command list.
void printHelp();
// The settings that can change whenever no search runs, before a game and during it:
// pondering, the book, thinking output and the time control ("level", "time", "depth").
bool isSettingCommand(const char *word);
// Runs the setting command of the line and lists the settings; a refused value leaves the
// setting as it was and prints one error.
void runSettingCommand(const char *line);
// "go": the engine plays (its colour, or the side to move in debug mode).
void consoleGo();

// The commands that tell about the game: "show" (the board), "history" (the moves in SAN),
// "hint", "score" (the static evaluation) and "pgn FILE" (the game as a PGN file).
bool isGameCommand(const char *word);
// True for a game command that can be answered while a search runs; the others wait until
// no search runs (runDeferredCommand).
bool canAnswerDuringSearch(const char *word);
// Runs game command `word` with the rest of its line (the file name of "pgn"). A predicted
// reply on the board is taken back first, except for "show" and "hint".
void runGameCommand(const char *word, const char *rest);
// The prediction of a finished ponder search stands on the board as if played: takes it
// back, so that the board is the game the user has seen. Only while no search runs.
void takeBackPrediction();
// The game position as the user sees it, without a predicted reply made to ponder on.
void showGamePosition();
// Keeps the result of a game that ended ("1-0 {White mates}" keeps "1-0") for its PGN.
void noteResult(const char *line);
// A game or setting command typed during a search is answered once the search is over: the
// main loop calls this whenever no search runs. A ponder search is cut short for it.
void runDeferredCommand();
