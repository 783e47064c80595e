// The fuzz build's stand-in for the input layer: the same routines (control/io.h), reading
// from a buffer the protocol target fills for each input instead of from fd 0.
#pragma once

#include <cstddef>

// The bytes the next run reads as its standard input; the end of the buffer is end of input.
void fuzzInputBegin(const char *data, size_t size);
// Lines read whole (readInputLine) since fuzzInputBegin: the protocol target pins each line of
// output to the input the program had read when it printed it.
int fuzzLinesRead();
// Set while the program searches (the protocol target wraps the search to say so). A GUI that
// has sent its last line still reads the answers: at the end of the input a search is told of
// the end only after a grace of further polls, so that it can finish and print its move; a
// search without a limit is ended by the end of input then. Outside a search the end is told
// at once.
extern bool fuzzSearching;
