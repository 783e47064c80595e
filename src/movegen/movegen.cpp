// Legal move generation with ordering scores: king, pieces, castling and the final ordering.
#include "movegen/movegen.h"

#include "board/setup.h"
#include "movegen/movegen_internal.h"

#include <cstring>

gallows killer[2][MAX_PLY];
gallows matekiller[MAX_PLY];
int32_t quietHistory[2][4096];
const gallows tempkiller = {0, -1, -10001};
hashMoveHint orderingHashMove;

// The attack kind piece_scan takes for a piece code (knight to queen).
static const char SCAN_LETTER[] = "..NBRQ";

// Ordering bases of the quiet-move table, by piece code (QUEEN..KNIGHT): a piece that has to
// flee scores by how close it lands to a king, above all ordinary quiet moves.
static int escapeBase(int kind) {
    return kind == QUEEN ? 218 : kind == ROOK ? 194 : kind == BISHOP ? 171 : 149;
}
// In the endgame a piece's quiet moves are ranked by how close they bring it to the enemy king.
static int endgameBase(int kind) {
    return kind == QUEEN ? 96 : kind == ROOK ? 84 : kind == BISHOP ? 72 : 60;
}

static const int32_t (*placementTable(int kind))[64] {
    switch (kind) {
    case KNIGHT:
        return knightorder;
    case BISHOP:
        return bishoporder;
    case ROOK:
        return rookorder;
    case QUEEN:
        return queenorder;
    case KING:
        return kingorder;
    default:
        return pawnorder;
    }
}

// Placement tables are laid out for White; Black reads the mirrored square.
static int placement(const genContext &g, int kind, int8_t t) {
    return placementTable(kind)[gameState][g.c == WHITE ? t : flip[t]];
}

// The x-ray codes select one of three table variants per side.
static int capToCode(int v) { return v > 3 ? 3 : (v < 0 ? 0 : v); }

uint64_t sliderAttackers(int8_t s, uint64_t occ, uint64_t rookLike, uint64_t bishopLike) {
    uint64_t found = 0;
    for (int d = 0; d < 8; d++) {
        uint64_t candidates = d < 4 ? rookLike : bishopLike;
        uint64_t blockers = rays[s][d] & occ;
        if (!candidates || !blockers)
            continue;
        // Even direction codes run toward higher square numbers.
        int nearest = (d & 1) == 0 ? lsb(blockers) : msb(blockers);
        found |= mask[nearest] & candidates;
    }
    return found;
}

bool isAttackedOn(int8_t s, int by, uint64_t occ, uint64_t gone) {
    ASSERT(s >= 0 && s < 64);
    bboard &b = boards[ply];
    uint64_t keep = ~gone;
    if (knightattack[s] & knightsOf(b, by) & keep)
        return true;
    if (kingattack[s] & kingOf(b, by))
        return true;
    // The pawns of `by` that attack s stand where a pawn of the other colour on s would capture.
    uint64_t pawnOrigins = by == WHITE ? blpawnattack[s] : whpawnattack[s];
    if (pawnOrigins & pawnsOf(b, by) & keep)
        return true;
    uint64_t queens = queensOf(b, by);
    return sliderAttackers(s, occ, (rooksOf(b, by) | queens) & keep,
                           (bishopsOf(b, by) | queens) & keep) != 0;
}

discovery discoveryOf(const genContext &g, int8_t f) {
    ASSERT(squares[ply].colsq[f] == g.c);
    const int8_t d = discoveryLineOf[f];
    return {d, discoveryPieceOf[f], d >= 0 ? ~rays[g.E][d] : 0};
}

uint64_t legalTargets(const genContext &g, int8_t f, uint64_t targets) {
    ASSERT(squares[ply].colsq[f] == g.c && squares[ply].insq[f] != KING);
    if (pinLineOf[f] >= 0)
        targets &= rays[g.K][direct[g.K][f]];
    if (g.inCheck)
        targets &= g.own->checkSquares;
    return targets;
}

int moveExchangeValue(const genContext &g, int kind, int slot, int8_t f, int8_t t, int captured,
                      bool pawnPush, int &D) {
    const evaluator &own = *g.own, &opp = *g.opp;
    int cls, group, xray = 0; // xray: the opponent's sliders that join in behind the first
    switch (kind) {
    case QUEEN:
        cls = 0, group = SG_QUEEN, xray = opp.oppQueen[t];
        break;
    case ROOK:
        cls = 1, group = SG_ROOK, xray = opp.oppRook[t];
        break;
    case BISHOP:
        cls = 2, group = SG_MINOR, xray = opp.oppBishop[t];
        break;
    case KNIGHT:
        cls = 2, group = SG_MINOR;
        break;
    default: // pawns: a push meets the sliders behind enemy pawns on the file, a capture
             // the bishops and queens behind enemy pawns on the diagonal
        cls = 3, group = SG_PAWN;
        if (pawnPush)
            xray = opp.oppPawnRQ[t];
        else if (opp.boardScan[t] > 0 || f == own.thruPawn[t])
            xray = opp.oppPawnBQ[t];
        break;
    }
    const int A = seeIndexAdd(opp.boardScan[t], xray); // also keeps the index inside the sets
    // The mover no longer defends the square it stands on.
    D = seeIndexMinusOne(own.boardScan[t], group);
    // A bishop or queen behind one of our pawns joins in once the pawn has recaptured.
    if (!pawnPush)
        D = withPawnBackup(D, A, own.oppPawnBQ[t]);

    const uint8_t flags = depthFlags[ply];
    if ((flags & DPF_EVAL_SEE) || (captured != EMPTY && (flags & DPF_THREAT_SEE)))
        return slotExchangeValue(kind, slot, t);
    if (A == 0)
        return pieceValue[captured]; // nothing can take back
    if (kind != QUEEN && (own.ownQueen[t] != 0 || opp.ownQueen[t] != 0))
        return queenObstruct((int8_t)cls, (int16_t)D, (int16_t)A,
                             (int8_t)capToCode(own.ownQueen[t]), (int8_t)capToCode(opp.ownQueen[t]),
                             (int16_t)captured);
    return pieceValue[captured] - 10 * seeTable[cls][D][A];
}

uint16_t markWinning() {
    moveStack[ply].stackFlags |= ST_WINNING_CAPTURE;
    return MT_WINNING_CAPTURE;
}

uint8_t quietScore(const genContext &g, int kind, int8_t t, int v, int e, int D, bool disc,
                   bool doublePush, uint16_t &type) {
    const bool pawn = kind == WPAWN || kind == BPAWN;
    const int base = loseorder[pawn ? 1 : kind][0];
    bool safe = v >= 0;
    // A discovered check gains the tempo to save the piece, unless it lands next to the enemy
    // king with nothing to cover it there. The queen has no such privilege in the ordering.
    const bool discRule = disc && kind != QUEEN;
    if (discRule) {
        if (nextToEnemyKing(g, t) && D <= 0)
            return (uint8_t)base;
        safe = true;
    }
    if (!safe)
        return (uint8_t)base;
    if (pawn) {
        if (e < 0) {
            type |= MT_ESCAPE;
            int score = discRule ? 139 + (D > 0 ? 1 : 0) : 140;
            return (uint8_t)(score + (doublePush ? 1 : 0));
        }
        return (uint8_t)placement(g, kind, t);
    }
    // The nearness ranking breaks its ties by direction (ahead before behind), so it is read
    // in the mover's own frame: Black's squares are mirrored onto White's, and a move ranks
    // the same as its mirror image does for the other colour.
    const int ownT = ownFrameSquare(g.c, t);
    if (e < 0) {
        type |= MT_ESCAPE;
        // The queen flees toward its own king, the other pieces toward the enemy king.
        const int anchor = ownFrameSquare(g.c, kind == QUEEN ? g.K : g.E);
        return (uint8_t)((kingpos[anchor][ownT] + 4) / 5 + escapeBase(kind));
    }
    if (gameState == 2)
        return (uint8_t)(kingpos[ownFrameSquare(g.c, g.E)][ownT] + endgameBase(kind));
    return (uint8_t)placement(g, kind, t);
}

// Order score of a capture by a knight, bishop, rook or queen; sets the capture type bits.
static uint8_t pieceCaptureScore(const genContext &g, int m, int x, int v, int e, int D, bool check,
                                 bool disc, int8_t t, uint16_t &type) {
    type |= MT_CAPTURE;
    bool winning = v > 0;
    // A minor piece or rook that unmasks a check while capturing cannot be taken back at once,
    // unless it landed next to the enemy king without support.
    if (disc && m != QUEEN)
        winning = !nextToEnemyKing(g, t) || D > 0 || v > 0;
    if (winning) {
        type |= markWinning();
        if (check)
            return (uint8_t)winCheckOrder[m];
        return (uint8_t)(e < 0 ? hangcap_order[m][x] : caporder[m][x]);
    }
    if (v == 0) {
        if (e < 0) {
            type |= MT_ESCAPE;
            return (uint8_t)hangcap_order[m][x];
        }
        return (uint8_t)caporder[m][x];
    }
    // The losing grades have one column for a pawn victim (column 1), whatever its colour:
    // column 0 is the base of a quiet move that loses material, where a White pawn taken by a
    // Black piece would sort below the same capture made by White.
    const int victim = x == WPAWN ? BPAWN : x;
    return (uint8_t)(e >= 0 ? loseorder[m][victim] : loseorder[0][m]);
}

bool addMove(genContext &g, int8_t from, int8_t to, int8_t promote, int8_t captured, int8_t moved,
             int8_t checkSquare, uint16_t type, uint8_t score) {
    ASSERT(g.n < MAX_MOVES);
    if (g.n >= MAX_MOVES)
        return false;
    move_list &m = g.list[g.n++];
    m.from = from;
    m.to = to;
    m.promote = promote;
    m.captured = captured;
    m.moved = moved;
    m.checkSquare = checkSquare;
    m.type = (uint16_t)(type | (checkSquare >= 0 ? MT_CHECK : 0));
    m.orderscore = score;
    return true;
}

// Move text must name the origin of a piece when another piece of its kind can legally move to
// t as well (a pinned piece that must stay on its line does not count). The file is named
// when it tells the pieces apart, else the rank, else both: MT_OTHER_FILE asks for the file,
// MT_SAME_FILE for the rank.
static uint16_t disambiguation(const genContext &g, int kind, int8_t f, int8_t t) {
    const evaluator &own = *g.own;
    bool several = kind == QUEEN    ? own.queenCount > 1
                   : kind == ROOK   ? own.rookCount > 1
                   : kind == KNIGHT ? own.knightCount > 1
                                    : own.bishopCountWhite > 1 || own.bishopCountBlack > 1;
    if (!several)
        return 0;
    char attack = SCAN_LETTER[kind];
    char filter = g.c == WHITE ? attack : (char)(attack - 'A' + 'a');
    uint64_t others = piece_scan(attack, filter, t) & ~mask[f];
    bool rivals = false, sameFile = false, sameRank = false;
    while (others) {
        const int8_t s = (int8_t)lsb(others);
        others &= ~mask[s];
        if (!legalTargets(g, s, mask[t]))
            continue;
        rivals = true;
        sameFile |= (s & 7) == (f & 7);
        sameRank |= (s >> 3) == (f >> 3);
    }
    if (!rivals)
        return 0;
    if (!sameFile)
        return MT_OTHER_FILE;
    return sameRank ? (uint16_t)(MT_OTHER_FILE | MT_SAME_FILE) : MT_SAME_FILE;
}

// Squares from which a piece of `kind` gives direct check.
static uint64_t checkTargets(const genContext &g, int kind) {
    switch (kind) {
    case QUEEN: {
        // Empty squares on the enemy king's lines, or the enemy pieces that end those lines.
        const evaluator &opp = *g.opp;
        uint64_t enemyOnLines = g.c == WHITE ? opp.kingBlackPieces : opp.kingWhitePieces;
        return (opp.kingsAttackRays & ~g.occ) | enemyOnLines;
    }
    case ROOK:
        return g.free & rookAttacksAt(g.E);
    case BISHOP:
        return g.free & bishopAttacksAt(g.E);
    default:
        return g.free & knightattack[g.E];
    }
}

// Moves of the queens, rooks, bishops or knights of the side to move, slot by slot.
static void generatePieceMoves(genContext &g, int kind) {
    int8_t *slots = slotsOf(tracker[ply], g.c, kind);
    const int count = slotCount(kind);
    const uint64_t chk = checkTargets(g, kind);
    for (int i = 0; i < count; i++) {
        const int8_t f = slots[i];
        if (f < 0)
            continue;
        ASSERT(f < 64);
        const uint64_t attacks = kind == KNIGHT   ? knightattack[f]
                                 : kind == BISHOP ? bishopAttacksAt(f)
                                 : kind == ROOK   ? rookAttacksAt(f)
                                                  : queenAttacksAt(f);
        uint64_t targets = attacks & g.free;
        targets = legalTargets(g, f, targets);
        if (g.gen == 1)
            targets &= chk | g.enemy;
        else if (g.gen == 2)
            targets &= chk;
        if (!targets)
            continue;
        const discovery dc = discoveryOf(g, f);
        const int e = seeBoard[ply][f];
        while (targets) {
            const int8_t t = takeFirstSquare(g, targets);
            const int8_t captured = squares[ply].insq[t];
            const bool disc = (dc.offLine & mask[t]) != 0;
            const int8_t checkSq = disc ? dc.hidden : ((chk & mask[t]) ? t : NO_SQUARE);
            int D;
            const int v = moveExchangeValue(g, kind, i, f, t, captured, false, D);
            if (g.gen == 1 && captured != EMPTY && v < 0 && checkSq < 0)
                continue;
            uint16_t type = disambiguation(g, kind, f, t);
            uint8_t score = captured != EMPTY ? pieceCaptureScore(g, kind, captured, v, e, D,
                                                                  checkSq >= 0, disc, t, type)
                                              : quietScore(g, kind, t, v, e, D, disc, false, type);
            if (!addMove(g, f, t, 0, captured, (int8_t)kind, checkSq, type, score))
                return;
        }
    }
}

// King steps: never next to the enemy king and never onto a square the opponent attacks once
// the king has left its square (a slider checking along a line also covers the square behind).
static void generateKingMoves(genContext &g) {
    const int8_t K = g.K;
    // Steps that leave the line from the enemy king uncover the own slider behind the king.
    const discovery dc = discoveryOf(g, K);
    const int8_t d = dc.dir, hidden = dc.hidden;
    const uint64_t offLine = dc.offLine;
    uint64_t steps = kingattack[K] & ~kingattack[g.E] & g.free;
    if (g.gen == 1)
        steps &= d >= 0 ? offLine : g.enemy;
    else if (g.gen == 2)
        steps &= offLine;
    const uint64_t occWithoutKing = g.occ & ~mask[K];
    while (steps) {
        const int8_t t = takeFirstSquare(g, steps);
        if (isAttackedOn(t, g.o, occWithoutKing | mask[t], mask[t]))
            continue;
        const int8_t captured = squares[ply].insq[t];
        const int8_t checkSq = (offLine & mask[t]) ? hidden : NO_SQUARE;
        uint16_t type = 0;
        uint8_t score;
        if (captured != EMPTY) {
            type = MT_CAPTURE | markWinning();
            score = (uint8_t)(checkSq >= 0 ? winCheckOrder[KING] : caporder[KING][captured]);
        } else {
            score = (uint8_t)placement(g, KING, t);
        }
        if (!addMove(g, K, t, 0, captured, KING, checkSq, type, score))
            return;
    }
}

// Castling on one side: the right is held, the king is not in check, the squares between king
// and rook are empty and neither the king's square nor the two squares it crosses are attacked.
static void generateCastling(genContext &g, bool kingSide) {
    const uint8_t right = g.c == WHITE ? (kingSide ? CR_WHITE_SHORT : CR_WHITE_LONG)
                                       : (kingSide ? CR_BLACK_SHORT : CR_BLACK_LONG);
    if (!(moveStack[ply].castleRights & right) || g.inCheck)
        return;
    const int8_t home = g.c == WHITE ? 60 : 4;
    const int side = kingSide ? 1 : -1;
    const int8_t kingTo = (int8_t)(home + 2 * side), rookTo = (int8_t)(home + side);
    const int8_t rookFrom = (int8_t)(kingSide ? home + 3 : home - 4);
    if (g.K != home || !(rooksOf(boards[ply], g.c) & mask[rookFrom]))
        return;
    uint64_t between = mask[home + side] | mask[home + 2 * side];
    if (!kingSide)
        between |= mask[home - 3];
    if (g.occ & between)
        return;
    if (isAttackedOn(home, g.o, g.occ, 0) || isAttackedOn(rookTo, g.o, g.occ, 0) ||
        isAttackedOn(kingTo, g.o, g.occ, 0))
        return;
    // The rook checks along the file, or along the rank through the square the king left.
    const uint64_t occAfter = (g.occ & ~mask[home] & ~mask[rookFrom]) | mask[kingTo] | mask[rookTo];
    const bool check = sliderAttackers(g.E, occAfter, mask[rookTo], 0) != 0;
    if (g.gen >= 1 && !check && !(g.opp->kingsAttackRays & mask[rookTo]))
        return;
    addMove(g, home, kingTo, 0, EMPTY, KING, check ? rookTo : NO_SQUARE,
            kingSide ? MT_CASTLE_SHORT : MT_CASTLE_LONG, kingSide ? 124 : 123);
}

// Hash move, mate killer and killers of the ply get their fixed keys; among the killers a
// later match overwrites an earlier one, but the hash move always comes first: it is the
// best move the last search of the position found, whatever else it is.
static void markHashAndKillers(const genContext &g, const hashMoveHint &h) {
    const int hashKey = h.found ? h.from * 64 + h.to : -1;
    const int8_t hp = h.found ? h.promote : 0;
    for (int i = 0; i < g.n; i++) {
        move_list &m = g.list[i];
        const int key = m.from * 64 + m.to;
        if (key == matekiller[ply].killerMove && m.promote == matekiller[ply].killerPromote)
            m.orderscore = MATE_KILLER_ORDER;
        if (key == killer[0][ply].killerMove)
            m.orderscore = KILLER_ORDER_FIRST;
        if (key == killer[1][ply].killerMove)
            m.orderscore = KILLER_ORDER_SECOND;
        if (key == hashKey && m.promote == hp) {
            m.orderscore = HASH_MOVE_ORDER;
            moveStack[ply].stackFlags |= ST_HASH_MOVE;
            moveStack[ply].hashMove = key;
        }
    }
}

int16_t sortedMoves[MAX_PLY];

// The generated list of each ply as it came from the generator, and its sort keys (the move's
// class, its history and its score above the list index); the list itself is filled in sorted
// order place by place.
static move_list unsortedMoves[MAX_PLY][MAX_MOVES];
static uint64_t sortKeys[MAX_PLY][MAX_MOVES];
static int16_t sortCount[MAX_PLY];

// Exchange sort by descending score; the exact swap pattern fixes the order of equal scores:
// for every place i in turn, each later entry that scores higher than the one now at i is
// swapped into it. Place i depends only on the passes for the places before it, so a node
// that is cut off after its first moves never pays for sorting the rest: the passes run
// when the search asks for a place (orderedMove). Which entry wins a comparison is
// unpredictable, so the passes run on the keys with each swap done as arithmetic rather than
// a branch.
// The quiet moves ordered by history: no capture, promotion, escape or castling, and an order
// score among the placements (below it lie the quiet moves that lose material).
constexpr uint16_t QUIET_EXCLUDED =
    MT_CAPTURE | MT_PROMOTION | MT_ESCAPE | MT_CASTLE_SHORT | MT_CASTLE_LONG;
constexpr uint8_t QUIET_LEAST = 15, QUIET_MOST = 114;

static void startSort(const move_list *list, int n) {
    static_assert(MAX_MOVES <= 256, "a list index fits in the low byte of a key");
    std::memcpy(unsortedMoves[ply], list, (size_t)n * sizeof(move_list));
    uint64_t *key = sortKeys[ply];
    const int32_t *told = historyOf(whiteToMove());
    for (int i = 0; i < n; i++) {
        const move_list &m = list[i];
        // A key is the move's class, its history, its own order score and its list index.
        // Only the quiet moves that lose nothing share one class, ordered by history.
        uint64_t band = m.orderscore, told16 = 0;
        if (!(m.type & QUIET_EXCLUDED) && m.orderscore >= QUIET_LEAST &&
            m.orderscore <= QUIET_MOST) {
            band = QUIET_MOST;
            told16 = (uint64_t)told[m.from * 64 + m.to];
        }
        key[i] = band << 40 | told16 << 24 | (uint64_t)m.orderscore << 8 | (uint64_t)i;
    }
    sortCount[ply] = (int16_t)n;
    sortedMoves[ply] = 0;
}

void sortMovesThrough(int place) {
    ASSERT(ply >= 0 && ply < MAX_PLY && place < sortCount[ply]);
    uint64_t *key = sortKeys[ply];
    const int n = sortCount[ply];
    for (int i = sortedMoves[ply]; i <= place; i++) {
        uint64_t held = key[i]; // the key at place i while the later ones are compared
        for (int j = i + 1; j < n; j++) {
            // A key above (held | 0xFF) scores higher: the two are swapped.
            const uint64_t other = key[j];
            const uint64_t swap = (held ^ other) & (0 - (uint64_t)(other > (held | 0xFF)));
            key[j] = other ^ swap;
            held ^= swap;
        }
        key[i] = held;
        searchData[ply][i] = unsortedMoves[ply][held & 0xFF];
    }
    sortedMoves[ply] = (int16_t)(place + 1);
}

void movgen(int8_t gen, int8_t inQS) {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    ASSERT(gameState >= 0 && gameState <= 2);
    const hashMoveHint hint = orderingHashMove;
    orderingHashMove.found = false;
    genContext g;
    g.gen = gen;
    g.inQS = inQS;
    g.c = whiteToMove() ? WHITE : BLACK;
    g.o = 1 - g.c;
    bboard &b = boards[ply];
    g.K = kingSlot(tracker[ply], g.c);
    g.E = kingSlot(tracker[ply], g.o);
    ASSERT(g.K >= 0 && g.K < 64 && g.E >= 0 && g.E < 64);
    g.own = &seeOf(g.c);
    g.opp = &seeOf(g.o);
    g.occ = b.allpieces;
    // The enemy king is never a target: in a position that left it in check the generator
    // would otherwise offer its capture, which no move record or exchange table can hold.
    g.enemy = piecesOf(b, g.o) & ~kingOf(b, g.o);
    g.free = ~piecesOf(b, g.c) & ~kingOf(b, g.o);
    g.pinLine = g.c == WHITE ? g.own->kingWhitePieces : g.own->kingBlackPieces;
    g.discLine = g.c == WHITE ? g.opp->kingWhitePieces : g.opp->kingBlackPieces;
    g.inCheck = (depthFlags[ply] & DPF_IN_CHECK) != 0;
    g.list = searchData[ply];
    g.n = 0;

    generated[ply] = 0;
    moveStack[ply].stackFlags &= (uint8_t) ~(ST_WINNING_CAPTURE | ST_HASH_MOVE);

    generateKingMoves(g);
    const evaluator &own = *g.own;
    if (own.queenCount > 0)
        generatePieceMoves(g, QUEEN);
    if (own.rookCount > 0)
        generatePieceMoves(g, ROOK);
    if (own.bishopCountWhite + own.bishopCountBlack > 0)
        generatePieceMoves(g, BISHOP);
    if (own.knightCount > 0)
        generatePieceMoves(g, KNIGHT);
    generatePawnMoves(g);
    generateEnPassant(g);
    generateCastling(g, true);
    generateCastling(g, false);

    detectionFlags &= (uint8_t)~DF_AFTER_NULL;
    generated[ply] = (int16_t)g.n;
    mvstore[ply + 1] = (int16_t)g.n;
    sortedMoves[ply] = MAX_MOVES; // unsorted lists are read as they stand
    if ((searchFlags & (SF_SEARCH_START | SF_PONDER_ON)) && g.n > 0) {
        markHashAndKillers(g, hint);
        startSort(g.list, g.n);
        // The root's list is read whole (reports, book, the user's moves): sort it at once.
        if (ply == 0)
            sortMovesThrough(g.n - 1);
    }
}
