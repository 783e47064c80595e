// Console output: the board diagram and the settings listing.
#include "control/console.h"

#include "board/board.h"
#include "control/control.h"
#include "control/timecontrol.h"

#include <cstdio>
#include <strings.h>

// Console users type commands in any case ("FEN", "fen"); moves keep their case (b4, B4).
bool isCommand(const char *word, const char *command) { return !strcasecmp(word, command); }

static const char *const SEPARATOR = "\n    +----+----+----+----+----+----+----+----+\n";

// Black pieces carry an asterisk before the letter.
void printBoardSquares(const tag_sq &sq) {
    std::printf("%s", SEPARATOR);
    for (int row = 0; row < 8; row++) {
        std::printf("  %d |", 8 - row);
        for (int f = 0; f < 8; f++) {
            const int s = row * 8 + f;
            if (sq.colsq[s] == NOCOLOUR)
                std::printf("    |");
            else if (sq.colsq[s] == WHITE)
                std::printf("  %c |", pieceChar[sq.insq[s]]);
            else
                std::printf(" *%c |", pieceChar[sq.insq[s]]);
        }
        std::printf("%s", SEPARATOR);
    }
    std::printf("\n      a    b    c    d    e    f    g    h\n\n");
}

void print_board(int8_t inPonder) {
    if (inPonder) {
        printBoardSquares(movedSquares);
        std::printf((searchFlags & SF_PONDER_WHITE) ? "\nWhite to move>  " : "\nBlack to move>  ");
        return;
    }
    printBoardSquares(squares[ply]);
    if (!(gameFlags & GF_NO_GAME)) {
        std::printf(whiteToMove() ? "\nWhite to move>  " : "\nBlack to move>  ");
        if (detectionFlags & DF_POST)
            std::printf("\n");
    }
}

// The time-control line: the kind in the low nibble of timeFlags, first set bit first.
static void printTimeControl() {
    const int kind = timeFlags & 0x0F;
    if (kind == 0)
        std::printf(s_depth < 30 ? "Time control .............. Depth\n"
                                 : "Time control .............. Infinite\n");
    else if (kind & TF_CONVENTIONAL)
        std::printf("Time control .............. Conventional\n");
    else if (kind & TF_INCREMENTAL)
        std::printf("Time control .............. Incremental\n");
    else if (kind & TF_FIXED_TIME)
        std::printf("Time control .............. %d seconds per move\n",
                    normalTime.searchTime / 1000);
    else
        std::printf("Time control is ........... Limited depth\n");
}

void settings(int8_t ngame) {
    print_board(0);
    if (ngame)
        gameFlags &= (uint8_t)~GF_NO_GAME;
    std::printf("Current settings are: -\n");
    std::printf((gameFlags & GF_NO_GAME) ? "Ready to play a new game .. No\n"
                                         : "Ready to play a new game .. Yes\n");
    std::printf((gameFlags & GF_ENGINE_WHITE) ? "Morvaquint will play ...... White\n"
                                              : "Morvaquint will play ...... Black\n");
    std::printf((searchFlags & SF_PONDER_ON) ? "Pondering is .............. On\n"
                                             : "Pondering is .............. Off\n");
    if (!(detectionFlags & DF_POST))
        std::printf("Display thinking .......... Off\n");
    else if (detectionFlags & DF_FULL_ANALYSIS)
        std::printf("Display thinking .......... Full analysis\n");
    else
        std::printf("Display thinking .......... PV Lines\n");
    printTimeControl();
    std::printf("Depth level ............... %d ply\n", s_depth);
    std::printf((gameFlags & GF_BOOK_ON) ? "Opening book is ........... On\n"
                                         : "Opening book is ........... Off\n");
    if (detectionFlags & DF_FORCE)
        std::printf("Force mode is ............. On\n");
    if (detectionFlags & DF_FULL_ANALYSIS)
        std::printf("Debug mode is ............. On\n");
    std::printf((gameFlags & GF_NO_GAME) ? "Type 'new' for a new game or 'quit' to exit\n"
                                         : "For a list of commands type 'help' or 'go' to start\n");
    std::printf(":- ");
}
