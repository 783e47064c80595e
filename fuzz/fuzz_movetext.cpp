// Fuzz target: a FEN line, a newline, then move text. Every legal move's own text must read
// back as that move (from the root list and from the ponder list, and one move deep), and the
// fuzzed text must name exactly the move the reference reader finds, or none when it finds none.
#include "oracle.h"

#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "board/setup.h"
#include "control/control.h"
#include "control/movetext.h"
#include "movegen/movegen.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

// Generates the moves of the position at ply and makes it the entry position texts are
// matched against.
static void enterPosition() {
    depthFlags[ply] &= (uint8_t) ~(DPF_EVAL_SEE | DPF_THREAT_SEE);
    SEE();
    movgen(0, 0);
    sideBoards = boards[ply];
    savedSquares = squares[ply];
    gameFlags = (uint8_t)((gameFlags & ~GF_ENTRY_WHITE) | (whiteToMove() ? GF_ENTRY_WHITE : 0));
}

static void checkOwnTexts() {
    const int n = mvstore[ply + 1];
    for (int i = 0; i < n; i++) {
        const char *text = sanstring(searchData[ply][i]);
        oracleCheck(std::strlen(text) >= 2 && std::strlen(text) <= 7, "text length", ply);
        oracleCheck(checkMove(text, 0) == i, "own text does not read back", ply);
    }
    // The same texts against the ponder list, which holds these moves in the same order.
    std::memcpy(ponderStack, searchData[ply], sizeof(move_list) * (size_t)n);
    ponderStore = (int16_t)n;
    for (int i = 0; i < n; i++)
        oracleCheck(checkMove(sanstring(searchData[ply][i]), 1) == i, "ponder list read-back", ply);
}

static void checkFuzzedText(const char *text) {
    oracleMove ref[ORACLE_MAX];
    const int n = oracleMoves(squares[ply], whiteToMove(), moveStack[ply].castleRights,
                              moveStack[ply].enPassant, ref);
    const int want = oracleReadText(text, squares[ply], ref, n);
    const int got = checkMove(text, 0);
    if (want < 0) {
        oracleCheck(got < 0, "text accepted that names no single legal move", ply);
        return;
    }
    oracleCheck(got >= 0, "text refused that names a legal move", ply);
    const move_list &m = searchData[ply][got];
    oracleCheck(m.from == ref[want].from && m.to == ref[want].to && m.promote == ref[want].promote,
                "text read as another move", ply);
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    setup();
    startpos();
    gameFlags &= (uint8_t)~GF_NO_GAME;
    std::freopen("/dev/null", "w", stdout);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const uint8_t *nl = (const uint8_t *)std::memchr(data, '\n', size);
    if (!nl)
        return 0;
    char fen[128], text[32];
    const size_t fenLen = std::min((size_t)(nl - data), sizeof fen - 1);
    std::memcpy(fen, data, fenLen);
    fen[fenLen] = '\0';
    const size_t textLen = std::min(size - (size_t)(nl - data) - 1, sizeof text - 1);
    std::memcpy(text, nl + 1, textLen);
    text[textLen] = '\0';

    // FENpos rather than the game set-up, which also clears the hash tables: 70 ms an input.
    ply = 0;
    if (!FENcheck(fen) || !FENpos(fen))
        return 0;
    enterPosition();
    checkOwnTexts();
    checkFuzzedText(text);

    // One move deep, along the move the text's first byte picks.
    const int n = mvstore[1];
    if (n > 0) {
        const int i = (unsigned char)text[0] % n;
        mvstack(&searchData[0][i], (int16_t)i);
        ply = 1;
        gameFlags ^= GF_WHITE_TO_MOVE;
        enterPosition();
        checkOwnTexts();
        checkFuzzedText(text);
        ply = 0;
        gameFlags ^= GF_WHITE_TO_MOVE;
    }
    return 0;
}
