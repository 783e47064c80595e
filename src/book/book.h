// Opening book file.
#pragma once

#include <cstdint>
#include <cstdio>

extern FILE *bookFile;

// Opens Morvabook.bok in the working directory; false when missing.
bool openBook();
// Index of the book move in the root list (already made with mvstack), or -1.
int16_t bookMove();
void close_book();
