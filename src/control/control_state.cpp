// Engine control state shared by the front ends, the main loop and the search, and the
// search's one entry into the front ends.
#include "control/control.h"

#include "control/console.h"
#include "control/io.h"
#include "control/uci.h"
#include "control/xboard.h"
#include "search/search.h"
#include "search/tt.h"

int32_t saveChoice;
char inputBuffer[256];
move_list ponderStack[MAX_MOVES];
int16_t ponderStore;
uint64_t ponderEntryKey;
bool searchPollEnabled = false;

// The search polls at every move it makes; asking the system whether bytes are waiting costs
// a call each time, so only every POLL_INTERVAL-th poll asks (a few hundred microseconds at
// most). A line already buffered is handled at once.
static constexpr uint32_t POLL_INTERVAL = 64;
static uint32_t pollCalls;
static bool polling;

int checkInput() { return inputWaiting() ? 1 : 0; }

bool isSearchPolling() { return polling; }

// The interactive front ends switch polling on once they hand control to the engine; the
// command-line tools leave it off so that a search never consumes their standard input.
void searchInputPoll() {
    if (!searchPollEnabled)
        return;
    if (uciMode && isNodeLimitReached())
        return;
    if (!lineBuffered() && !inputEnded() && ++pollCalls % POLL_INTERVAL != 0)
        return;
    if (!inputEnded() && !inputWaiting())
        return;
    polling = true;
    if (uciMode)
        uciPollSearch();
    else if (analyzing)
        analysisPollSearch();
    else if (detectionFlags & DF_XBOARD_INPUT)
        pollInputSearch();
    else
        userInputSearch();
    polling = false;
}

void resetFrontEnds() {
    polling = false;
    pollCalls = 0;
    searchPollEnabled = false;
    uciMode = false;
    analyzing = false;
    positionRefused = false;
    // The GUI's options of search lines and table memory start from their defaults too.
    multiPV = 1;
    resizeHashTables(HASH_MB_DEFAULT);
}
