// Console front end: board diagram, settings listing and the console command handlers.
#pragma once

#include <cstdint>

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
// "go": the engine plays (its colour, or the side to move in debug mode).
void consoleGo();
