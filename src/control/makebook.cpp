// The book builder: replays opening lines through the engine's own move reader and keys, and
// writes every position's moves, weighted by how many lines play them.
#include "control/makebook.h"

#include "board/makemove.h"
#include "board/position.h"
#include "book/book.h"
#include "control/control.h"
#include "control/movetext.h"
#include "movegen/movegen.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <numeric>

constexpr int MAX_BOOK_ENTRIES = 1 << 17; // (position, move) pairs of all lines together
constexpr int OPENING_LINE_MAX = 1024;    // characters of one line of the opening file
// Half-moves of one line: the book is consulted until 60 half-moves have been played.
constexpr int MAX_LINE_MOVES = 60;

struct bookEntry {
    uint64_t key;
    uint16_t code;
};

// One move of a position with the number of lines that play it.
struct movePlayed {
    uint16_t code;
    int lines;
};

static bookEntry entries[MAX_BOOK_ENTRIES];
static int entryCount;

// Drops a move number in front of a move ("12.", "12...", "12.e4"); returns the move text.
static char *stripMoveNumber(char *token) {
    char *s = token;
    while (std::isdigit((unsigned char)*s))
        s++;
    if (s == token || *s != '.')
        return token;
    while (*s == '.')
        s++;
    return s;
}

// Plays one move text in the game at ply 0 and records the position's key with the move.
// False when the text names no legal move or more than one.
static bool playBookMove(const char *text) {
    ply = 0;
    SEE();
    movgen(0, 0);
    sideBoards = boards[0];
    savedSquares = squares[0];
    gameFlags = (uint8_t)((gameFlags & ~GF_ENTRY_WHITE) | (whiteToMove() ? GF_ENTRY_WHITE : 0));
    const int16_t index = checkMove(text, 0);
    if (index < 0)
        return false;
    entries[entryCount++] = {hash[0], bookMoveCode(searchData[0][index])};
    mvstack(&searchData[0][index], index);
    makeOppMove(searchData[0][index], index);
    return true;
}

// Replays one line of the opening file from the initial position. Prints the fault and
// returns false when the line cannot be read; returns the number of moves in `moves`.
static bool replayLine(char *line, int lineNo, int &moves) {
    while (allmoves > moveStart)
        takeback();
    moves = 0;
    if (char *comment = std::strchr(line, '#'))
        *comment = '\0';
    char *save = nullptr;
    for (char *token = strtok_r(line, " \t\r\n", &save); token;
         token = strtok_r(nullptr, " \t\r\n", &save)) {
        char *text = stripMoveNumber(token);
        if (*text == '\0')
            continue;
        if (moves == MAX_LINE_MOVES) {
            std::printf("makebook: line %d: more than %d half-moves\n", lineNo, MAX_LINE_MOVES);
            return false;
        }
        if (entryCount == MAX_BOOK_ENTRIES) {
            std::printf("makebook: line %d: more than %d moves in all\n", lineNo, MAX_BOOK_ENTRIES);
            return false;
        }
        if (!playBookMove(text)) {
            std::printf("makebook: line %d: illegal or ambiguous move %s\n", lineNo, text);
            return false;
        }
        moves++;
    }
    return true;
}

// Share of the position's slots for each move. With no more lines than slots every line
// gets its own slot; otherwise the slots are shared in proportion to the lines (largest
// remainders, the more played move first on a tie), so that a move played by one line in a
// hundred is left to the opponent rather than drawn as often as a main line. The shares are
// then reduced by their common divisor (a lone move needs one slot, not fifteen).
static void shareSlots(const movePlayed *played, int count, int *slots) {
    int total = 0;
    for (int i = 0; i < count; i++)
        total += played[i].lines;
    if (total <= BOOK_MOVES_MAX) {
        for (int i = 0; i < count; i++)
            slots[i] = played[i].lines;
    } else {
        int remainder[MAX_MOVES], given = 0;
        for (int i = 0; i < count; i++) {
            slots[i] = played[i].lines * BOOK_MOVES_MAX / total;
            remainder[i] = played[i].lines * BOOK_MOVES_MAX % total;
            given += slots[i];
        }
        for (; given < BOOK_MOVES_MAX; given++) {
            int best = 0;
            for (int i = 1; i < count; i++)
                if (remainder[i] > remainder[best])
                    best = i;
            slots[best]++;
            remainder[best] = -1;
        }
    }
    int divisor = 0;
    for (int i = 0; i < count; i++)
        divisor = std::gcd(divisor, slots[i]);
    for (int i = 0; i < count; i++)
        slots[i] /= divisor;
}

// Writes the line of one position: its moves from the most played, each as often as its slots.
// Returns the number of moves that were left without a slot.
static int writePosition(FILE *out, uint64_t key, movePlayed *played, int count) {
    std::stable_sort(played, played + count,
                     [](const movePlayed &a, const movePlayed &b) { return a.lines > b.lines; });
    int slots[MAX_MOVES];
    shareSlots(played, count, slots);
    int n = 0, dropped = 0;
    for (int i = 0; i < count; i++) {
        n += slots[i];
        dropped += slots[i] == 0;
    }
    char keyText[BOOK_KEY_DIGITS + 1];
    bookKeyText(key, keyText);
    std::fprintf(out, "%s%X  ", keyText, n);
    int written = 0;
    for (int i = 0; i < count; i++)
        for (int s = 0; s < slots[i]; s++)
            std::fprintf(out, "%04X%c", played[i].code, ++written == n ? '\n' : ' ');
    return dropped;
}

// Writes all positions, sorted by key; returns the number of positions.
static int writeBook(FILE *out, int &dropped) {
    std::sort(entries, entries + entryCount, [](const bookEntry &a, const bookEntry &b) {
        return a.key != b.key ? a.key < b.key : a.code < b.code;
    });
    int positions = 0;
    dropped = 0;
    for (int i = 0; i < entryCount;) {
        movePlayed played[MAX_MOVES]; // distinct moves are legal moves of one position
        int count = 0;
        const uint64_t key = entries[i].key;
        for (; i < entryCount && entries[i].key == key; i++) {
            if (count > 0 && played[count - 1].code == entries[i].code)
                played[count - 1].lines++;
            else if (count < MAX_MOVES)
                played[count++] = {entries[i].code, 1};
        }
        dropped += writePosition(out, key, played, count);
        positions++;
    }
    return positions;
}

int makeBook(const char *in, const char *out) {
    FILE *text = std::fopen(in, "r");
    if (!text) {
        std::printf("makebook: cannot read %s\n", in);
        return 1;
    }
    ply = 0;
    startpos();
    gameFlags &= (uint8_t)~GF_NO_GAME;
    entryCount = 0;
    char line[OPENING_LINE_MAX + 2];
    int lineNo = 0, lines = 0;
    bool ok = true;
    while (ok && std::fgets(line, sizeof line, text)) {
        lineNo++;
        if (!std::strchr(line, '\n') && !std::feof(text)) {
            std::printf("makebook: line %d: longer than %d characters\n", lineNo, OPENING_LINE_MAX);
            ok = false;
            break;
        }
        int moves = 0;
        ok = replayLine(line, lineNo, moves);
        lines += moves > 0;
    }
    std::fclose(text);
    while (allmoves > moveStart)
        takeback();
    if (!ok)
        return 1;

    // Written under a temporary name and renamed, so that a failed write leaves no half book.
    char temp[4096];
    if (std::snprintf(temp, sizeof temp, "%s.tmp", out) >= (int)sizeof temp) {
        std::printf("makebook: cannot write %s\n", out);
        return 1;
    }
    FILE *book = std::fopen(temp, "w");
    if (!book) {
        std::printf("makebook: cannot write %s\n", out);
        return 1;
    }
    int dropped = 0;
    const int positions = writeBook(book, dropped);
    const bool written = !std::ferror(book);
    if (std::fclose(book) != 0 || !written || std::rename(temp, out) != 0) {
        std::remove(temp);
        std::printf("makebook: cannot write %s\n", out);
        return 1;
    }
    std::printf("makebook: %d lines, %d positions written to %s\n", lines, positions, out);
    if (dropped > 0)
        std::printf("makebook: %d rarely played moves left to the opponent (%d slots a position)\n",
                    dropped, BOOK_MOVES_MAX);
    return 0;
}

int makeBookEntry(int argc, char **argv) {
    if (argc != 4) {
        std::printf("usage: morvaquint makebook IN OUT\n");
        return 2;
    }
    return makeBook(argv[2], argv[3]);
}
