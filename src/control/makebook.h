// The book builder: opening lines written in SAN become the book file the engine reads.
#pragma once

// Reads the opening lines of the text file `in` (one variation per line from the initial
// position, moves in SAN, move numbers allowed, comments after '#') and writes the book to
// `out`. Prints a summary, or the first fault (line number and move) and then writes nothing.
// Returns the process status: 0 written, 1 refused.
int makeBook(const char *in, const char *out);
// The "makebook IN OUT" command-line entry.
int makeBookEntry(int argc, char **argv);
