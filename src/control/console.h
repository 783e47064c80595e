// Console front end: board diagram, settings listing and the console command handlers.
#pragma once

#include <cstdint>

void print_board(int8_t inPonder);
void settings(int8_t ngame);
int16_t userInputGame();
