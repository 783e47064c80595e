// Engine control state shared by the front ends, the main loop and the search.
#include "control/control.h"

#include "control/io.h"

int32_t saveChoice;
char inputBuffer[256];
move_list ponderStack[MAX_MOVES];
int16_t ponderStore;
bool searchPollEnabled = false;

int checkInput() { return inputWaiting() ? 1 : 0; }

// The interactive front ends switch polling on once they hand control to the engine; the
// command-line tools leave it off so that a search never consumes their standard input.
void searchInputPoll() {
    if (!searchPollEnabled)
        return;
}
