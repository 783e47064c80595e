// The mate prover: an AND-OR search (alpha-beta on mate scores with a window of one) over
// the engine's legal move generator, reading check from the board by its own rules.
#include "search/mate_prover.h"

#include "board/board.h"
#include "board/makemove.h"
#include "board/position.h"
#include "control/control.h"
#include "eval/eval.h"
#include "movegen/movegen.h"

uint64_t proverNodeBudget = 20000000;
uint64_t proverNodes;
bool proverCheckMismatch;
char proverMismatchFEN[128];

static bool budgetSpent;

// --- Check, read from the mailbox alone --------------------------------------------------

static bool onBoard(int row, int col) { return row >= 0 && row < 8 && col >= 0 && col < 8; }

static bool holds(const tag_sq &sq, int row, int col, int colour, int piece) {
    const int s = row * 8 + col;
    return sq.colsq[s] == colour && sq.insq[s] == piece;
}

// Is square (row, col) attacked by a piece of colour `by` on the board at p?
static bool attacked(int p, int row, int col, int by) {
    const tag_sq &sq = squares[p];
    // A white pawn captures toward rank 8 (row - 1), so it attacks from row + 1.
    const int pawnRow = by == WHITE ? row + 1 : row - 1;
    const int pawn = by == WHITE ? WPAWN : BPAWN;
    for (int dc = -1; dc <= 1; dc += 2)
        if (onBoard(pawnRow, col + dc) && holds(sq, pawnRow, col + dc, by, pawn))
            return true;
    static const int knightSteps[8][2] = {{1, 2},  {2, 1},  {-1, 2},  {-2, 1},
                                          {1, -2}, {2, -1}, {-1, -2}, {-2, -1}};
    for (const auto &k : knightSteps)
        if (onBoard(row + k[0], col + k[1]) && holds(sq, row + k[0], col + k[1], by, KNIGHT))
            return true;
    for (int dr = -1; dr <= 1; dr++)
        for (int dc = -1; dc <= 1; dc++)
            if ((dr || dc) && onBoard(row + dr, col + dc) &&
                holds(sq, row + dr, col + dc, by, KING))
                return true;
    for (int dr = -1; dr <= 1; dr++) {
        for (int dc = -1; dc <= 1; dc++) {
            if (!dr && !dc)
                continue;
            const int slider = (dr && dc) ? BISHOP : ROOK;
            for (int r = row + dr, c = col + dc; onBoard(r, c); r += dr, c += dc) {
                const int s = r * 8 + c;
                if (sq.insq[s] == EMPTY)
                    continue;
                if (sq.colsq[s] == by && (sq.insq[s] == slider || sq.insq[s] == QUEEN))
                    return true;
                break;
            }
        }
    }
    return false;
}

// Is the side to move at p in check?
static bool sideToMoveInCheck(int p) {
    const int me = (gameFlags & GF_WHITE_TO_MOVE) ? WHITE : BLACK;
    for (int s = 0; s < 64; s++)
        if (squares[p].insq[s] == KING && squares[p].colsq[s] == me)
            return attacked(p, s >> 3, s & 7, me ^ 1);
    return false;
}

// --- The search ----------------------------------------------------------------------------

// Generates the legal moves at ply into order[] (checks and captures first for the mating
// side, king moves and captures first for the defending side: order only, never a cut).
static int generate(int8_t order[], bool attacker) {
    const bool check = sideToMoveInCheck(ply);
    if (check != ((depthFlags[ply] & DPF_IN_CHECK) != 0) && !proverCheckMismatch) {
        proverCheckMismatch = true;
        positionToFEN(ply, proverMismatchFEN);
    }
    SEE();
    movgen(0, 0);
    const int n = mvstore[ply + 1];
    int k = 0;
    for (int pass = 0; pass < 3; pass++) {
        for (int i = 0; i < n; i++) {
            const move_list &m = searchData[ply][i];
            const bool first = attacker ? (m.type & MT_CHECK) != 0 : m.moved == KING;
            const bool second = (m.type & MT_CAPTURE) != 0;
            const int group = first ? 0 : (second ? 1 : 2);
            if (group == pass)
                order[k++] = (int8_t)i;
        }
    }
    return n;
}

static void make(int i) {
    proverNodes++;
    if (proverNodes > proverNodeBudget)
        budgetSpent = true;
    depthFlags[ply + 1] = 0;
    mvstack(&searchData[ply][i], (int16_t)i);
    ply++;
    gameFlags ^= GF_WHITE_TO_MOVE;
}

static void unmake() {
    ply--;
    gameFlags ^= GF_WHITE_TO_MOVE;
}

static bool mated(int plies);

// The side to move gives mate within `plies` half-moves.
static bool mates(int plies) {
    if (budgetSpent || plies < 1)
        return false;
    int8_t order[MAX_MOVES];
    const int n = generate(order, true);
    for (int k = 0; k < n; k++) {
        make(order[k]);
        const bool won = mated(plies - 1);
        unmake();
        if (won)
            return true;
    }
    return false;
}

// The side to move is mated within `plies` half-moves, whatever it plays.
static bool mated(int plies) {
    if (budgetSpent)
        return false;
    // The last half-move of a mate must leave the king in check: nothing else to look at.
    if (plies == 0 && !sideToMoveInCheck(ply))
        return false;
    int8_t order[MAX_MOVES];
    const int n = generate(order, false);
    if (n == 0)
        return sideToMoveInCheck(ply); // else stalemate
    if (plies < 2)
        return false;
    for (int k = 0; k < n; k++) {
        make(order[k]);
        const bool lost = mates(plies - 1);
        unmake();
        if (!lost)
            return false;
    }
    return true;
}

// Runs one question on the position at ply 0 with the search's flags out of the way.
static MateVerdict ask(bool (*question)(int), int plies) {
    const uint8_t savedSearch = searchFlags, savedDetection = detectionFlags;
    searchFlags = 0;
    detectionFlags &= (uint8_t)~DF_AFTER_NULL;
    ply = 0;
    proverNodes = 0;
    budgetSpent = false;
    const bool yes = question(plies);
    searchFlags = savedSearch;
    detectionFlags = savedDetection;
    ply = 0;
    if (yes)
        return MateVerdict::Proven; // a yes never rests on a line cut by the budget
    return budgetSpent ? MateVerdict::Undecided : MateVerdict::Refuted;
}

MateVerdict proveMates(int plies) { return ask(mates, plies); }

MateVerdict proveMated(int plies) { return ask(mated, plies); }

MateVerdict checkMateScore(int32_t score) {
    if (score <= 9959 && score >= -9959)
        return MateVerdict::Refuted;
    // A nearer mate proves the claim too, and is found far sooner: deepen to the distance.
    const int distance = score > 0 ? 10000 - score : 10000 + score;
    MateVerdict v = MateVerdict::Refuted;
    for (int p = distance % 2; p <= distance && v != MateVerdict::Proven; p += 2)
        v = score > 0 ? proveMates(p) : proveMated(p);
    return v;
}

int shortestMate(int maxPlies) {
    for (int p = 1; p <= maxPlies; p += 2)
        if (proveMates(p) == MateVerdict::Proven)
            return p;
    return -1;
}

// --- The evaluation's verdicts ---------------------------------------------------------

static uint64_t walkVerdicts(int depth, void (*report)(const EvalVerdict &), bool consistent) {
    EvalVerdict v{};
    SEE();
    v.score = evaluate(0);
    v.stalemate = pieceStatus.stalemate != 0;
    movgen(0, 0);
    v.legalMoves = mvstore[ply + 1];
    v.inCheck = (depthFlags[ply] & DPF_IN_CHECK) != 0;
    v.consistent = consistent;
    const bool none = v.legalMoves == 0;
    if (!consistent || (v.score == -10000) != (none && v.inCheck) ||
        v.stalemate != (none && !v.inCheck)) {
        positionToFEN(ply, v.fen);
        report(v);
    }
    uint64_t visited = 1;
    for (int i = 0; i < v.legalMoves && depth > 0; i++) {
        make(i);
        visited += walkVerdicts(depth - 1, report, verifyPosition("walkEvalVerdicts", ply));
        unmake();
    }
    return visited;
}

uint64_t walkEvalVerdicts(int depth, void (*report)(const EvalVerdict &)) {
    const uint8_t savedSearch = searchFlags;
    searchFlags = 0;
    ply = 0;
    const uint64_t visited = walkVerdicts(depth, report, true);
    searchFlags = savedSearch;
    return visited;
}
