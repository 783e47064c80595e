// Setting a position up for play: the start position of a new game, or a FEN position.
// Either way the search forgets what it learnt from earlier positions.
#include "board/fen.h"
#include "board/position.h"
#include "control/control.h"
#include "movegen/movegen.h"
#include "search/search.h"

#include <cstdio>
#include <cstring>

bool positionRefused = false;

void newGamePosition() {
    startpos();
    clearSearchMemory();
    positionRefused = false;
}

int setUpFEN(const char *fen, fenRules rules) {
    if (!FENpos(fen, rules))
        return 0;
    // The console plays games from its positions: one without a legal move (mate or
    // stalemate) is no start for one. A GUI may set up a finished game to see its result.
    SEE();
    movgen(0, 0);
    if (rules == FEN_CONSOLE && mvstore[ply + 1] == 0) {
        std::printf("Error. Not a valid position.\n");
        return 0;
    }
    clearSearchMemory();
    positionRefused = false;
    return 1;
}

void refuseGivenPosition() {
    newGamePosition();
    positionRefused = true;
}

bool isGameDecided() {
    ply = 0;
    SEE();
    movgen(0, 0);
    return mvstore[1] == 0 || isInsufficientMaterial(0);
}

void completeGivenFEN(const char *fen, char *out, size_t size) {
    int fields = 0;
    for (const char *c = fen; *c; c++)
        if (*c != ' ' && (c == fen || c[-1] == ' '))
            fields++;
    const char *missing = fields == 4 ? " 0 1" : fields == 5 ? " 1" : "";
    std::snprintf(out, size, "%s%s", fen, missing);
}
