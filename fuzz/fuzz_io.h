// The fuzz build's stand-in for the input layer: the same routines (control/io.h), reading
// from a buffer the protocol target fills for each input instead of from fd 0.
#pragma once

#include <cstddef>

// The bytes the next run reads as its standard input; the end of the buffer is end of input.
void fuzzInputBegin(const char *data, size_t size);
// Lines read whole (readInputLine) since fuzzInputBegin: the protocol target pins each line of
// output to the input the program had read when it printed it.
int fuzzLinesRead();
