// Shared helpers of the unit tests.
#include "support.h"

#include "board/fen.h"
#include "board/position.h"
#include "board/setup.h"
#include "control/control.h"
#include "control/timecontrol.h"
#include "search/search.h"

#include <cctype>
#include <sstream>

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

void prepareSearch(int depth) {
    gameFlags &= (uint8_t) ~(GF_BOOK_ON | GF_IN_BOOK | GF_NO_GAME | GF_XBOARD);
    searchFlags = 0;
    detectionFlags = 0;
    timeFlags = TF_FIXED_DEPTH;
    s_depth = (int8_t)depth;
    normalTime.searchTime = NO_TIME_LIMIT;
    normalTime.savedTime = 0;
    searchPollEnabled = false;
    drawReference = 0;
    ply = 0;
}

bool searchFEN(const char *fen, int depth) {
    if (!setupFEN(fen))
        return false;
    prepareSearch(depth);
    search();
    return true;
}

std::string mirrorFEN(const std::string &fen) {
    std::istringstream in(fen);
    std::string board, side, castle, ep, half = "0", full = "1";
    in >> board >> side >> castle >> ep >> half >> full;
    auto swapCase = [](char ch) {
        return std::isupper((unsigned char)ch) ? (char)std::tolower(ch) : (char)std::toupper(ch);
    };
    std::string ranks, row;
    std::istringstream rows(board);
    while (std::getline(rows, row, '/')) // the last rank read comes first
        ranks = row + (ranks.empty() ? "" : "/") + ranks;
    for (char &ch : ranks)
        ch = swapCase(ch);
    std::string rights;
    for (char want : std::string("KQkq"))
        if (castle.find(swapCase(want)) != std::string::npos)
            rights += want;
    if (ep != "-")
        ep[1] = ep[1] == '3' ? '6' : '3';
    return ranks + (side == "w" ? " b " : " w ") + (rights.empty() ? "-" : rights) + " " + ep +
           " " + half + " " + full;
}
