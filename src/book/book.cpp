// The opening-book file: opened once at start-up, read on every lookup, closed before exit.
#include "book/book.h"

#include "board/makemove.h"
#include "board/setup.h"

#include <climits>
#include <cstring>
#include <ctime>
#include <unistd.h>

static constexpr char HEX_DIGITS[] = "0123456789ABCDEF";

FILE *bookFile = nullptr;
int64_t bookSeedOverride = -1;

// Value of an upper-case hexadecimal digit, or -1 for any other character (lower case too:
// the book is written in upper case, and a character of another form is no digit of it).
static int hexValue(int c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads one line (without its newline) into buf, which holds BOOK_LINE_MAX + 1 bytes. Returns
// its length, BOOK_LINE_MAX + 1 for a longer line (whose rest is consumed, so it can never be
// taken for the start of another line), or -1 at the end of the file. Bytes of any value,
// NUL included, are kept as they are: a binary file is just a file without matching lines.
static int readBookLine(char *buf) {
    int n = 0, c;
    while ((c = std::getc(bookFile)) != EOF && c != '\n') {
        if (n < BOOK_LINE_MAX)
            buf[n] = (char)c;
        if (n <= BOOK_LINE_MAX)
            n++;
    }
    if (c == EOF && n == 0)
        return -1;
    return n;
}

// The move code at column `at` of a line: digits 1-9 and A-F give their values, any other
// character counts as 0.
static uint16_t readMoveCode(const char *at) {
    uint16_t code = 0;
    for (int i = 0; i < 4; i++) {
        const int v = hexValue((unsigned char)at[i]);
        code = (uint16_t)((code << 4) | (v < 0 ? 0 : v));
    }
    return code;
}

// Promotion piece of a move code, tested from the knight up; 0 when it promotes nothing.
static int8_t promotionOf(uint16_t code) {
    if (code <= 0x0FFF)
        return 0;
    if (code & BOOK_PROMOTE_KNIGHT)
        return KNIGHT;
    if (code & BOOK_PROMOTE_BISHOP)
        return BISHOP;
    if (code & BOOK_PROMOTE_ROOK)
        return ROOK;
    return QUEEN;
}

// The draw among n moves of a line. The generator is seeded with the time in seconds before
// every draw, so lookups within one second with the same n draw the same index.
static int drawIndex(int n) {
    const int64_t seconds = bookSeedOverride >= 0 ? bookSeedOverride : (int64_t)std::time(nullptr);
    engineSrand((uint32_t)seconds);
    return engineRand() % n;
}

bool openBookAt(const char *path) {
    close_book();
    bookFile = std::fopen(path, "r");
    return bookFile != nullptr;
}

// Opens the book at the executable's folder joined with `relative` (which ends in '/' or is
// empty). False when the path does not fit or the file cannot be read.
static bool openBookBesideExecutable(const char *relative) {
    char path[PATH_MAX];
    const ssize_t len = readlink("/proc/self/exe", path, sizeof path - 1);
    if (len <= 0)
        return false;
    path[len] = '\0';
    char *slash = std::strrchr(path, '/');
    if (!slash ||
        (size_t)(slash + 1 - path) + std::strlen(relative) + std::strlen(BOOK_NAME) >= sizeof path)
        return false;
    std::strcpy(slash + 1, relative);
    std::strcat(slash + 1, BOOK_NAME);
    return openBookAt(path);
}

bool openBook() {
    return openBookAt(BOOK_NAME) || openBookBesideExecutable("") ||
           openBookBesideExecutable(BOOK_INSTALL_FOLDER);
}

// Finds the line of the position with the given key from the start of the file. Returns its
// move count (1..15) with the line in buf (BOOK_LINE_MAX + 1 bytes) and its length in *len, or
// -1 when the position is not in the book or its count is unreadable (a count of 0 or a
// character that is no digit gives no move: it must never divide).
static int findBookLine(uint64_t position, char *line, int *len) {
    if (!bookFile)
        return -1;
    char key[BOOK_KEY_DIGITS + 1];
    bookKeyText(position, key);
    std::fseek(bookFile, 0, SEEK_SET);
    do {
        *len = readBookLine(line);
        if (*len < 0)
            return -1;
    } while (*len > BOOK_LINE_MAX || *len < BOOK_KEY_DIGITS ||
             std::memcmp(line, key, BOOK_KEY_DIGITS) != 0);
    const int n = *len > BOOK_COUNT_COLUMN ? hexValue((unsigned char)line[BOOK_COUNT_COLUMN]) : -1;
    return n > 0 ? n : -1;
}

int16_t bookMove() {
    char line[BOOK_LINE_MAX + 1];
    int len = 0;
    const int n = findBookLine(hash[ply], line, &len);
    if (n <= 0)
        return -1;
    const int at = BOOK_FIRST_MOVE_COLUMN + BOOK_MOVE_STRIDE * (n == 1 ? 0 : drawIndex(n));
    if (at + 4 > len)
        return -1; // the line ends before the drawn move
    const uint16_t code = readMoveCode(line + at);
    const int8_t from = (int8_t)((code >> 6) & 63), to = (int8_t)(code & 63);
    const int8_t promote = promotionOf(code);

    for (int16_t i = 0; i < mvstore[ply + 1] && i < MAX_MOVES; i++) {
        move_list &m = searchData[ply][i];
        if (m.from == from && m.to == to && m.promote == promote) {
            mvstack(&m, i);
            return i;
        }
    }
    return -1; // not legal here: the engine searches, and the book stays on
}

int listBookMoves(uint64_t position, bookLineMove out[BOOK_MOVES_MAX], int *slots) {
    char line[BOOK_LINE_MAX + 1];
    int len = 0;
    const int n = findBookLine(position, line, &len);
    *slots = n > 0 ? n : 0; // the draw is among all n slots: a share is counted out of n
    int count = 0;
    for (int s = 0; s < n; s++) {
        const int at = BOOK_FIRST_MOVE_COLUMN + BOOK_MOVE_STRIDE * s;
        if (at + 4 > len)
            break; // a short line holds fewer slots than it counts; the draw misses the rest
        const uint16_t code = readMoveCode(line + at);
        int i = 0;
        while (i < count && out[i].code != code)
            i++;
        if (i == count) {
            out[count].code = code;
            out[count].from = (int8_t)((code >> 6) & 63);
            out[count].to = (int8_t)(code & 63);
            out[count].promote = promotionOf(code);
            out[count].slots = 0;
            count++;
        }
        out[i].slots++;
    }
    return count;
}

void close_book() {
    if (bookFile) {
        std::fclose(bookFile);
        bookFile = nullptr;
    }
}

void bookKeyText(uint64_t key, char *out) {
    for (int i = 0; i < BOOK_KEY_DIGITS; i++)
        out[i] = HEX_DIGITS[(key >> (60 - 4 * i)) & 15];
    out[BOOK_KEY_DIGITS] = '\0';
}

uint16_t bookMoveCode(const move_list &m) {
    uint16_t code = (uint16_t)(((m.from & 63) << 6) | (m.to & 63));
    switch (m.promote) {
    case KNIGHT:
        return code | BOOK_PROMOTE_KNIGHT;
    case BISHOP:
        return code | BOOK_PROMOTE_BISHOP;
    case ROOK:
        return code | BOOK_PROMOTE_ROOK;
    case QUEEN:
        return code | BOOK_PROMOTE_QUEEN;
    default:
        return code;
    }
}
