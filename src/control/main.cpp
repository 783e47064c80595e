// Program entry: start-up in its fixed order, then the main loop.
#include "board/position.h"
#include "board/setup.h"
#include "book/book.h"
#include "control/cli.h"
#include "control/console.h"
#include "control/control.h"
#include "control/game.h"
#include "control/io.h"
#include "control/xboard.h"

#include <cstdio>
#include <cstring>

// Banner, hint and the settings listing that greet a console user.
static void printBanner() {
    std::printf("\nA Chess Engine by the Morvaquint authors, free to play and to study\n");
    std::printf("Morvaquint  version 3.3\n");
    std::printf("Type \"help\" for a list of commands.\n\n");
    settings(0);
}

int main(int argc, char **argv) {
    s_depth = 30;
    gameFlags = searchFlags = detectionFlags = timeFlags = 0;
    std::fflush(stdout);
    std::setvbuf(stdout, nullptr, _IONBF, 0); // every reply must reach the GUI at once

    setup();
    newGamePosition();
    installSearchHooks();

    if (argc > 1) {
        const int status = runCommandLine(argc, argv);
        if (status >= 0)
            return status;
    }

    std::memset(inputBuffer, 0, sizeof inputBuffer);
    // A GUI that has already written "xboard" gets xboard mode before any banner; any other
    // waiting line is left to the console.
    char first[256];
    if (peekInputLine(first, sizeof first) && !std::strncmp(first, "xboard", 6))
        pollInputGame();
    if (openBook()) {
        gameFlags |= GF_BOOK_ON | GF_IN_BOOK;
    } else {
        std::printf("Opening book is missing.\n");
        gameFlags &= (uint8_t) ~(GF_BOOK_ON | GF_IN_BOOK);
    }
    if (!(gameFlags & GF_XBOARD))
        printBanner();
    runMainLoop();
}
