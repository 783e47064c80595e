// xboard analyze mode: an endless search of the board position with thinking lines. Moves,
// take-backs, a new game and a set-up position restart it on the new position; no move is
// ever played.
#include "control/xboard.h"

#include "control/control.h"
#include "control/game.h"
#include "control/io.h"
#include "control/movetext.h"
#include "search/search.h"

#include <cstdio>
#include <cstring>

bool analyzing = false;
static bool searchWanted;    // the position changed (or analysis began): think about it afresh
static uint64_t analysedKey; // the position the best line (pv[0]) of the analysis belongs to
static bool hasBestLine = false;
static bool nothingToAnalyse; // no legal move, or no valid position: no search ran

void startAnalysis() {
    analyzing = true;
    searchWanted = true;
}

// ".": how far the analysis has got: centiseconds, nodes, depth, the root moves still to
// search at this depth and their number, and the move being searched.
static void statusLine() {
    if (nothingToAnalyse) {
        std::printf("stat01: 0 0 0 0 0\n");
        return;
    }
    int32_t cs = (now() - normalTime.startTime) / 10;
    const int total = mvstore[1];
    const move_list &current = currentline[0];
    int index = -1;
    for (int i = 0; i < total && i < MAX_MOVES; i++)
        if (searchData[0][i].from == current.from && searchData[0][i].to == current.to &&
            searchData[0][i].promote == current.promote)
            index = i;
    if (!isSearchPolling() || index < 0) {
        std::printf("stat01: %d %llu %d 0 %d\n", cs < 0 ? 0 : cs, (unsigned long long)nodes,
                    searchDepth, total);
        return;
    }
    std::printf("stat01: %d %llu %d %d %d %s\n", cs < 0 ? 0 : cs, (unsigned long long)nodes,
                searchDepth, total - index - 1, total, sanstring(current));
}

// "hint" in analysis: the first move of the best line found so far, while the analysed
// position is on the board. During the search its root list is read as it stands.
static void analysisHint() {
    if (!hasBestLine || pvlen[0] < 1 || hash[0] != analysedKey)
        return;
    if (!isSearchPolling())
        generateRootMoves();
    const int16_t i = findRootMove(pv[0][0]);
    if (i >= 0)
        std::printf("Hint: %s\n", sanstring(searchData[0][i]));
}

// The thinking of analysis: no clock, no depth limit short of the deepest, no book, the
// thinking lines shown. The game's own settings are put back afterwards.
static void analysisSearch() {
    generateRootMoves();
    nothingToAnalyse = mvstore[1] == 0 || positionRefused;
    if (nothingToAnalyse)
        return; // mate, stalemate or no valid position: nothing to think about, no move
    const uint8_t control = timeFlags & 0x0F, shown = detectionFlags & (DF_POST | DF_SHOW_PV);
    const uint8_t book = gameFlags & GF_BOOK_ON;
    const int32_t budget = normalTime.searchTime, banked = normalTime.savedTime;
    const int8_t depth = s_depth;
    timeFlags = 0;
    normalTime.searchTime = NO_TIME_LIMIT;
    normalTime.savedTime = 0;
    s_depth = 30;
    detectionFlags |= DF_POST | DF_SHOW_PV;
    gameFlags &= (uint8_t)~GF_BOOK_ON;
    searchFlags &= SF_PONDER_ON;
    analysedKey = hash[0];
    hasBestLine = true;
    search();
    stopSearch = 0;
    ply = 0;
    searchFlags &= SF_PONDER_ON;
    gameFlags |= book;
    detectionFlags = (uint8_t)((detectionFlags & ~(DF_POST | DF_SHOW_PV)) | shown);
    timeFlags = control;
    normalTime.searchTime = budget;
    normalTime.savedTime = banked;
    s_depth = depth;
}

// One line outside the search. The game's own handler does the work of moves, "undo", "new",
// "setboard" and the settings; what it would refuse changes nothing here, and the engine
// never takes a side ("go" is passed over).
static void analysisLine(char *line) {
    char word[32];
    firstWord(line, word, sizeof word);
    if (word[0] == '\0')
        return;
    if (!std::strcmp(word, "exit")) {
        analyzing = false;
        return;
    }
    if (!std::strcmp(word, ".")) {
        statusLine();
        return;
    }
    if (!std::strcmp(word, "hint")) {
        analysisHint();
        return;
    }
    if (std::strcmp(word, "go") != 0)
        xboardGameLine(line);
    // The engine takes no side while it analyses ("new" and "playother" would give it one):
    // after "exit" it waits in force mode for the GUI to say what comes next.
    gameFlags &= (uint8_t)~GF_ENGINE_ACTIVE;
    detectionFlags |= DF_FORCE;
    searchWanted = true;
}

void analyzePosition() {
    if (searchWanted) {
        searchWanted = false;
        analysisSearch();
    }
    // Whether the search was interrupted by a line or ended by itself (a mate, the deepest
    // iteration), the next line decides what follows.
    waitForInput();
    char line[256];
    if (!readInputLine(line, sizeof line))
        quitEngine(); // the GUI has gone
    analysisLine(line);
}

void analysisPollSearch() {
    char head[256]; // a whole line: blanks before the word do not hide it
    if (!peekInputLine(head, sizeof head)) {
        if (inputEnded())
            quitEngine();
        return;
    }
    char word[16];
    firstWord(head, word, sizeof word);
    if (!std::strcmp(word, "quit"))
        quitEngine();
    // Questions that change nothing are answered without stopping the analysis.
    const bool atOnce = word[0] == '\0' || !std::strcmp(word, ".") || !std::strcmp(word, "ping") ||
                        !std::strcmp(word, "hint") || !std::strcmp(word, "bk");
    if (!atOnce) {
        stopSearch = 14; // read once the search has unwound
        return;
    }
    char line[256];
    readInputLine(line, sizeof line);
    if (word[0] == '.')
        statusLine();
    else if (!std::strcmp(word, "hint"))
        analysisHint();
    else if (word[0] != '\0')
        xboardSetting(word, line); // "ping", "bk": answered at once, the analysis goes on
}
