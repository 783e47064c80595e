// Perft: counts the legal move tree to a depth, and its console dialog.
#include "control/perft.h"

#include "board/makemove.h"
#include "book/book.h"
#include "control/console.h"
#include "control/control.h"
#include "control/io.h"
#include "movegen/movegen.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void perft(int8_t PerftDepth) {
    if (PerftDepth == 0)
        return;
    ASSERT(ply < MAX_PLY - 1);
    SEE();
    movgen(0, 0);
    const int n = mvstore[ply + 1];
    for (int i = 0; i < n; i++) {
        nodes++;
        mvstack(&searchData[ply][i], (int16_t)i);
        ply++;
        gameFlags ^= GF_WHITE_TO_MOVE;
        perft((int8_t)(PerftDepth - 1));
        ply--;
        gameFlags ^= GF_WHITE_TO_MOVE;
    }
}

void printPerftRows(int depth) {
    nodes = 0;
    ply = 0;
    std::printf("Depth\t\tPerft(Depth)\t\tTotal Nodes\n");
    unsigned long long previous = 0;
    for (int d = 1; d <= depth; d++) {
        perft((int8_t)d);
        std::printf("%d\t\t\t%lld\t\t\t%lld\n", d, (long long)(nodes - previous), (long long)nodes);
        std::fflush(stdout);
        previous = nodes;
        nodes = 0;
    }
}

// The depth a line asks for: a whole number from 1 to 30, blanks around it allowed; 0 for
// anything else. Every character counts: a perft deeper than 30, or one read from the first
// digits of "100", would never end.
static int parsePerftDepth(const char *s) {
    while (*s == ' ' || *s == '\t')
        s++;
    int depth = 0, digits = 0;
    for (; std::isdigit((unsigned char)*s); s++, digits++)
        if (depth <= 30)
            depth = depth * 10 + (*s - '0');
    while (*s == ' ' || *s == '\t')
        s++;
    if (digits == 0 || *s != '\0' || depth < 1 || depth > 30)
        return 0;
    return depth;
}

void perftDialog() {
    static const char *const ASK = "Enter depth to search on current position or 'exit' to quit.\n";
    detectionFlags |= DF_KEEP_READING;
    print_board(0);
    std::printf("%sDepth (1 - 30): - ", ASK);
    char line[256];
    for (;;) {
        if (!readInputLine(line, sizeof line)) {
            close_book();
            std::exit(0);
        }
        if (line[0] == '\0')
            continue;
        char word[8] = "";
        std::sscanf(line, "%7s", word);
        if (isCommand(word, "exit") || isCommand(word, "quit"))
            return; // "quit" too: the prompt's "'exit' to quit" means leaving the dialog
        const int depth = parsePerftDepth(line);
        if (depth == 0) {
            std::printf("Invalid depth!\nDepth (1 - 30): - ");
            continue;
        }
        printPerftRows(depth);
        std::printf("\n%sDepth (1 - 30): - ", ASK);
    }
}
