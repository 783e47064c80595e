// Fuzz target: a FEN line is set up (or refused); an accepted position must agree with the
// reference generator at the root and one move deep, survive making and taking back every move
// with its incremental state intact, evaluate, and count the same depth-2 perft.
#include "oracle.h"

#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "board/setup.h"
#include "control/control.h"
#include "control/perft.h"
#include "eval/eval.h"
#include "movegen/movegen.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

static int moveKey(int from, int to, int promote) { return (from * 64 + to) * 8 + promote; }

// The generated list of the position at ply (after SEE and movgen) against the reference.
static int checkMovesAgainstOracle() {
    const int p = ply;
    oracleMove ref[ORACLE_MAX];
    const int n = oracleMoves(squares[p], whiteToMove(), moveStack[p].castleRights,
                              moveStack[p].enPassant, ref);
    const int got = mvstore[p + 1];
    oracleCheck(got == n, "move count differs from the reference generator", p);
    int a[ORACLE_MAX], b[ORACLE_MAX];
    for (int i = 0; i < n; i++) {
        const move_list &m = searchData[p][i];
        a[i] = moveKey(m.from, m.to, m.promote);
        b[i] = moveKey(ref[i].from, ref[i].to, ref[i].promote);
    }
    std::sort(a, a + n);
    std::sort(b, b + n);
    oracleCheck(std::equal(a, a + n, b), "moves differ from the reference generator", p);
    return n;
}

// The attack analysis, moves and evaluation of the position at ply, with stale exchange
// arrays of an earlier position at this ply switched off as the search does.
static int analyse() {
    depthFlags[ply] &= (uint8_t) ~(DPF_EVAL_SEE | DPF_THREAT_SEE);
    SEE();
    movgen(0, 0);
    const int n = checkMovesAgainstOracle();
    evaluate(0);
    depthFlags[ply] &= (uint8_t) ~(DPF_EVAL_SEE | DPF_THREAT_SEE);
    return n;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    setup();
    startpos();
    gameFlags &= (uint8_t)~GF_NO_GAME;
    std::freopen("/dev/null", "w", stdout); // refusal messages are expected output
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    char fen[128];
    const size_t len = std::min(size, sizeof fen - 1);
    std::memcpy(fen, data, len);
    fen[len] = '\0';
    // FENpos rather than the game set-up, which also clears the hash tables: 70 ms an input.
    ply = 0;
    if (!FENcheck(fen) || !FENpos(fen, FEN_ANY_LEGAL))
        return 0;
    oracleCheck(verifyPosition("fuzz set-up", 0), "set-up state", 0);

    const int n = analyse();
    uint64_t expected = (uint64_t)n;
    for (int i = 0; i < n; i++) {
        mvstack(&searchData[0][i], (int16_t)i);
        ply = 1;
        gameFlags ^= GF_WHITE_TO_MOVE;
        oracleCheck(verifyPosition("fuzz make", 1), "state after a move", 1);
        expected += (uint64_t)analyse();
        ply = 0;
        gameFlags ^= GF_WHITE_TO_MOVE;
    }
    oracleCheck(verifyPosition("fuzz unmake", 0), "state after taking moves back", 0);

    // The game-level make and take-back of one root move chosen by the input.
    if (n > 0) {
        const int i = (int)(len * 131 + (unsigned)fen[len / 2]) % n;
        const move_list m = searchData[0][i];
        const uint64_t key = hash[0], lock = hashlock[0];
        makeOppMove(m, (int16_t)i);
        oracleCheck(verifyPosition("fuzz game move", 0), "state after a game move", 0);
        takeback();
        oracleCheck(verifyPosition("fuzz takeback", 0), "state after taking a game move back", 0);
        oracleCheck(hash[0] == key && hashlock[0] == lock, "keys after a take-back", 0);
        analyse();
    }

    // The perft routine itself counts both plies.
    nodes = 0;
    ply = 0;
    perft(2);
    oracleCheck(nodes == expected, "perft 2 differs from the reference count", 0);
    return 0;
}
