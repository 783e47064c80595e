// The single input layer on standard input (fd 0) for every front end, and output helpers.
#pragma once

#include <cstddef>

// Reads one line (without its newline) into buf, blocking. Returns false at end of input.
// A longer line is cut to size - 1 characters; the rest of it is discarded.
bool readInputLine(char *buf, size_t size);
// True when a complete line is buffered or bytes are waiting on fd 0 (zero-timeout poll).
bool inputWaiting();
// True once end of input has been seen and no buffered text remains.
bool inputEnded();
// True when a complete line is already buffered (no system call).
bool lineBuffered();
// Blocks until bytes are waiting on fd 0 or input has ended: the engine has nothing else to do.
void waitForInput();
// The same for at most `ms` milliseconds; true when something is waiting.
bool waitForInputFor(int ms);
// Copies the first line into buf without consuming it when it is known without blocking
// (bytes already waiting are read into the buffer): a complete line, the last text before the
// end of input, or the beginning of a line longer than the input buffer. False otherwise.
bool peekInputLine(char *buf, size_t size);
// Reads the next blank-delimited word (scanf "%s" style), blocking. False at end of input.
bool readInputWord(char *buf, size_t size);
