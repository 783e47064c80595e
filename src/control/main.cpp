// Program entry: start-up in its fixed order, then the main loop.
#include "board/position.h"
#include "board/setup.h"
#include "book/book.h"
#include "control/cli.h"
#include "control/console.h"
#include "control/control.h"
#include "control/game.h"
#include "control/io.h"
#include "control/uci.h"
#include "control/xboard.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

// How long start-up waits for a GUI's first line on a pipe before greeting a console user.
constexpr int GUI_FIRST_LINE_MS = 500;

// Banner, hint and the settings listing that greet a console user.
static void printBanner() {
    std::printf("\nA Chess Engine by the Morvaquint authors, free to play and to study\n");
    std::printf("Morvaquint  version 3.3\n");
    std::printf("Type \"help\" for a list of commands.\n");
    // The default is to think without limit: say how to play at a human pace.
    std::printf("Without a level the engine thinks without limit: \"time 5\" gives it 5 seconds"
                " a move,\nand \"?\" makes it move at once.\n\n");
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
    // A GUI gets its protocol before any banner: it writes "xboard" or "uci" as soon as it has
    // started the engine, so input from a pipe is given a moment to arrive; a person at a
    // terminal is greeted at once. Any other first line is left to the console.
    if (!isatty(0))
        waitForInputFor(GUI_FIRST_LINE_MS);
    char first[256] = "", word[8];
    const bool waiting = peekInputLine(first, sizeof first);
    firstWord(first, word, sizeof word);
    if (waiting && !std::strncmp(first, "xboard", 6)) {
        pollInputGame();
    } else if (waiting && !std::strcmp(word, "uci")) {
        readInputLine(first, sizeof first);
        enterUciMode();
    }
    if (openBook()) {
        gameFlags |= GF_BOOK_ON | GF_IN_BOOK;
    } else {
        if (!uciMode) // UCI says it after the handshake, as an info string
            std::printf("Opening book is missing.\n");
        gameFlags &= (uint8_t) ~(GF_BOOK_ON | GF_IN_BOOK);
    }
    if (uciMode)
        uciIdentify();
    else if (!(gameFlags & GF_XBOARD))
        printBanner();
    runMainLoop();
}
