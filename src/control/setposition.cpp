// Setting a position up for play: the start position of a new game, or a FEN position.
// Either way the search forgets what it learnt from earlier positions.
#include "board/fen.h"
#include "board/position.h"
#include "control/control.h"
#include "movegen/movegen.h"
#include "search/search.h"

#include <cstdio>

void newGamePosition() {
    startpos();
    clearSearchMemory();
}

int setUpFEN(const char *fen) {
    if (!FENpos(fen))
        return 0;
    // A position without a legal move (mate or stalemate) is not one to play from.
    SEE();
    movgen(0, 0);
    if (mvstore[ply + 1] == 0) {
        std::printf("Error. Not a valid position.\n");
        return 0;
    }
    clearSearchMemory();
    return 1;
}
