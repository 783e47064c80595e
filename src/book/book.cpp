// The opening-book file: opened once at start-up, closed before every exit.
#include "book/book.h"

FILE *bookFile = nullptr;

bool openBook() {
    bookFile = std::fopen("Morvabook.bok", "r");
    return bookFile != nullptr;
}

// Book positions are not consulted yet: every position is a book miss, so the engine searches.
int16_t bookMove() { return -1; }

void close_book() {
    if (bookFile) {
        std::fclose(bookFile);
        bookFile = nullptr;
    }
}
