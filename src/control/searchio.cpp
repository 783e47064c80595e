// The front end's side of a running search: its input polls and what it shows the user.
#include "board/engine_state.h"
#include "control/console.h"
#include "control/control.h"
#include "control/movetext.h"
#include "control/uci.h"
#include "search/search.h"

#include <cstdio>

// The console shows the lines searched and the pondered position; a GUI gets thinking lines.
static bool isConsoleMode() { return (gameFlags & GF_XBOARD) == 0; }

static void showSearchReport(const searchReport &r) {
    if (uciMode) {
        uciReport(r);
        return;
    }
    switch (r.kind) {
    case REPORT_THINKING:
        // xboard counts thinking time in centiseconds; the console shows whole seconds.
        pvline(r.depth, r.score, isConsoleMode() ? r.millis / 1000 : r.millis / 10, r.nodes,
               r.ponderLine);
        break;
    case REPORT_LINE_SEARCHED:
        if (isConsoleMode())
            moveline(r.nodes, r.score, r.depth);
        break;
    case REPORT_PONDER_HIT:
        if (isConsoleMode()) {
            print_board(1);
            std::printf("\n");
        }
        break;
    case REPORT_PONDER_ENDED:
        if (isConsoleMode())
            std::printf("\n");
        break;
    case REPORT_MATE:
        // Mate distance in moves of the side to move, from the score at the root.
        if (isConsoleMode())
            std::printf("Mate in %d\n",
                        r.score > 0 ? (10001 - r.score) / 2 : (r.score + 10001) / 2);
        break;
    }
}

static bool inputIsWaiting() { return checkInput() != 0; }

void installSearchHooks() {
    frontEnd.inputWaiting = inputIsWaiting;
    frontEnd.readInput = searchInputPoll;
    frontEnd.report = showSearchReport;
}
