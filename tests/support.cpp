// Shared helpers of the unit tests.
#include "support.h"

#include "board/fen.h"
#include "board/position.h"
#include "board/setup.h"
#include "control/control.h"

void ensureSetup() {
    static bool done = false;
    if (!done) {
        setup();
        done = true;
    }
    ply = 0;
    newGamePosition();
}

bool setupFEN(const char *fen) {
    ensureSetup();
    ply = 0;
    if (!FENcheck(fen))
        return false;
    return setUpFEN(fen) != 0;
}
