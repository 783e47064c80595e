// Start position, position keys, material draw rules and the position as FEN text.
#include "board/position.h"

#include "board/setup.h"

#include <cctype>
#include <cstdio>

uint64_t file;
uint64_t rank;

// hashMove, materialCount (both full sides, kings 1), exactScored (not evaluated), king
// safety, newPassedPawn, captureSquare, capturedPiece, enPassant, castleRights (all four),
// hangingPiece, threatenedPiece, checkingSquare, stackFlags, fiftyMove, repetitions and the
// two check-extension counts.
const move_tag tempMoveStack = {0, 7942, -9900, 0, 0, 0, -1, 7, -1, 15, 0, 0, -1, 0, 0, 0, 0, 0};
const move_list temp_schdata = {0, 0, 0, 0, 0, 0, 0, 0};

// Every piece-list slot of both sides except the kings and the counters.
static void clearSlots(trak &t) {
    for (int c = WHITE; c <= BLACK; c++) {
        for (int i = 0; i < PAWN_SLOTS; i++) {
            pawnSlots(t, c)[i] = SLOT_UNUSED;
            passPawnSlots(t, c)[i] = SLOT_UNUSED;
        }
        for (int piece = KNIGHT; piece <= QUEEN; piece++)
            for (int i = 0; i < slotCount(piece); i++)
                slotsOf(t, c, piece)[i] = SLOT_UNUSED;
    }
}

bboard bitboardsOf(const tag_sq &sq) {
    bboard b = {};
    for (int s = 0; s < 64; s++) {
        int c = sq.colsq[s];
        if (c == NOCOLOUR)
            continue;
        uint64_t bit = 1ULL << s;
        pieceSet(b, c, sq.insq[s]) |= bit;
        piecesOf(b, c) |= bit;
        b.allpieces |= bit;
        b.rotated90R |= 1ULL << r90R[s];
        b.rotated45R |= 1ULL << r45R[s];
        b.rotated45L |= 1ULL << r45L[s];
    }
    return b;
}

positionKeys keysOf(int p, bool whiteToMove) {
    ASSERT(p >= 0 && p < MAX_PLY);
    positionKeys k = {0, 0, 0, 0};
    const tag_sq &sq = squares[p];
    for (int s = 0; s < 64; s++) {
        int c = sq.colsq[s];
        if (c == NOCOLOUR)
            continue;
        int piece = sq.insq[s];
        k.hash ^= hash_piece[c][piece][s];
        k.hashlock ^= hp_lock[c][piece][s];
        if (piece == WPAWN || piece == BPAWN) { // the pawn keys see pawns only
            k.pnhash ^= hash_piece[c][piece][s];
            k.pnlock ^= hp_lock[c][piece][s];
        }
    }
    if (whiteToMove) {
        k.hash ^= hashblack;
        k.hashlock ^= hbl_lock;
    }
    int ep = moveStack[p].enPassant;
    if (ep != NO_SQUARE) {
        ASSERT(ep >= 0 && ep < 64);
        k.hash ^= hashep[ep];
        k.hashlock ^= hep_lock[ep];
    }
    return k;
}

void clearLastMoveFacts() {
    pieceStatus.promotionImminent = 0;
    pieceStatus.whiteHasCastled = 0;
    pieceStatus.blackHasCastled = 0;
}

// Puts a new game in the initial position at ply 0: resets the game's flags, the per-ply
// stacks, the keys and the game record. Needs setup. What the search remembers of earlier
// positions is its own to forget (clearSearchMemory).
void startpos() {
    // Keep the book switch and xboard mode; no game yet, White to move.
    gameFlags = (gameFlags & 0x82) | GF_NO_GAME | GF_WHITE_TO_MOVE;
    searchFlags = 0;
    timeFlags &= 0x0F;
    detectionFlags |= DF_KEEP_READING;

    mvstore[0] = 0;
    gameState = 0;
    clearLastMoveFacts();

    for (int p = 0; p < MAX_PLY; p++) {
        clearSlots(tracker[p]);
        for (int i = 0; i < MAX_MOVES; i++)
            searchData[p][i] = temp_schdata;
    }

    moveStart = 0;
    histcount = 0;
    allmoves = 0;
    histBase = 0;
    ply = 0;
    generated[0] = 0;
    depthFlags[0] &= (uint8_t)~DPF_IN_CHECK;
    captureSequence[0] = 7;
    moveStack[0] = tempMoveStack;

    for (int p = 0; p < MAX_PLY; p++)
        hash[p] = hashlock[p] = pnhash[p] = pnlock[p] = 0;
    for (int s = 0; s < 64; s++) {
        squares[0].colsq[s] = init_colour[s];
        squares[0].insq[s] = init_piece[s];
    }
    positionKeys k = keysOf(0, true);
    hash[0] = k.hash;
    hashlock[0] = k.hashlock;
    pnhash[0] = k.pnhash;
    pnlock[0] = k.pnlock;

    for (int i = 0; i < HISTLINE_SIZE; i++)
        histline[i] = 0;
    LEwh[0] = LEbl[0] = 3971;

    draw_search &first = drawSearch[recordIndex(0)];
    first.drawKey = hash[0];
    first.drawLock = hashlock[0];
    first.drawCount = 1;
    first.pawnOrCapture = 0;

    boards[0] = bitboardsOf(squares[0]);
    file = 0x0101010101010101ULL;
    rank = 0xFFULL;

    trak &t = tracker[0];
    for (int c = WHITE; c <= BLACK; c++) {
        int back = c == WHITE ? 56 : 0;    // first square of the back rank
        int pawnRow = c == WHITE ? 48 : 8; // pawn slot i starts on file i
        kingSlot(t, c) = (int8_t)(back + 4);
        queenSlots(t, c)[0] = (int8_t)(back + 3);
        rookSlots(t, c)[0] = (int8_t)back;
        rookSlots(t, c)[1] = (int8_t)(back + 7);
        bishopSlots(t, c)[0] = (int8_t)(back + 2);
        bishopSlots(t, c)[1] = (int8_t)(back + 5);
        knightSlots(t, c)[0] = (int8_t)(back + 1);
        knightSlots(t, c)[1] = (int8_t)(back + 6);
        for (int i = 0; i < PAWN_SLOTS; i++) {
            pawnSlots(t, c)[i] = (int8_t)(pawnRow + i);
            passPawnSlots(t, c)[i] = NO_SQUARE;
        }
    }
    t.whiteKnightCounter[0] = t.whiteKnightCounter[1] = 0;
    t.whiteBishopCounter[0] = t.whiteBishopCounter[1] = 0;
    t.whiteRookCounter[0] = t.whiteRookCounter[1] = 0;
    t.whiteQueenCounter = t.whiteKingCounter = 0;
    t.blackKnightCounter[0] = t.blackKnightCounter[1] = 0;
    t.blackBishopCounter[0] = t.blackBishopCounter[1] = 0;
    t.blackRookCounter[0] = t.blackRookCounter[1] = 0;
    t.blackQueenCounter = t.blackKingCounter = 0;

    game_hist &h = history[recordIndex(0)];
    h.histdata = temp_schdata;
    h.histrules = moveStack[0];
    h.histinfo.mvhash = hash[0];
    h.histinfo.mvlock = hashlock[0];
    h.histinfo.mvpnhash = pnhash[0];
    h.histinfo.mvpnlock = pnlock[0];
    h.histinfo.mvboards = boards[0];
    h.histinfo.LEwht = (int16_t)LEwh[0];
    h.histinfo.LEblk = (int16_t)LEbl[0];
    h.histinfo.mvtracks = tracker[0];
    h.histMark = 0;
}

// Recomputes the keys of the position at ply from scratch (after a FEN set-up). The keys of
// every other ply are cleared: they belong to positions that no longer follow from this one.
void Zobrist() {
    for (int p = 0; p < MAX_PLY; p++)
        hash[p] = hashlock[p] = pnhash[p] = pnlock[p] = 0;
    positionKeys k = keysOf(ply, whiteToMove());
    hash[ply] = k.hash;
    hashlock[ply] = k.hashlock;
    pnhash[ply] = k.pnhash;
    pnlock[ply] = k.pnlock;
}

// Bare kings (2), a king and one minor against a bare king (312, 317), or a minor on each
// side or two minors on one side (622, 627, 632) by the pieceValue sums.
bool isDrawnMaterialCount(int32_t materialCount) {
    switch (materialCount) {
    case 2:
    case 312:
    case 317:
    case 622:
    case 627:
    case 632:
        return true;
    default:
        return false;
    }
}

bool isInsufficientMaterial(int p) {
    ASSERT(p >= 0 && p < MAX_PLY);
    const bboard &b = boards[p];
    if (b.whpawns | b.blpawns | b.whrooks | b.blrooks | b.whqueen | b.blqueen)
        return false;
    uint64_t knights = b.whknights | b.blknights, bishops = b.whbishops | b.blbishops;
    int minors = __builtin_popcountll(knights | bishops);
    if (minors <= 1)
        return true; // a single minor piece cannot force or even help a mate alone
    if (knights)
        return false; // a knight with any other minor piece can take part in a mate
    // Bishops that all move on one square colour can never cover a king's escape squares
    // of the other colour, whichever side they belong to.
    bool light = false, dark = false;
    for (uint64_t set = bishops; set; set &= set - 1)
        (squareColour[lsb(set)] == 0 ? light : dark) = true;
    return !(light && dark);
}

void positionToFEN(int p, char *buf) {
    ASSERT(p >= 0 && p < MAX_PLY);
    const tag_sq &sq = squares[p];
    const move_tag &st = moveStack[p];
    char *out = buf;
    for (int row = 0; row < 8; row++) {
        int empty = 0;
        for (int f = 0; f < 8; f++) {
            int s = 8 * row + f;
            if (sq.colsq[s] == NOCOLOUR) {
                empty++;
                continue;
            }
            if (empty)
                *out++ = (char)('0' + empty);
            empty = 0;
            // A corrupt mailbox is still printable: the verifier reports through here.
            char letter = sq.insq[s] >= 0 && sq.insq[s] < EMPTY ? pieceChar[sq.insq[s]] : '?';
            *out++ = sq.colsq[s] == BLACK ? (char)std::tolower(letter) : letter;
        }
        if (empty)
            *out++ = (char)('0' + empty);
        if (row < 7)
            *out++ = '/';
    }
    *out++ = ' ';
    *out++ = whiteToMove() ? 'w' : 'b';
    *out++ = ' ';
    const char *rightLetters = "KQkq";
    char *rightsStart = out;
    for (int i = 0; i < 4; i++)
        if (st.castleRights & (1 << i))
            *out++ = rightLetters[i];
    if (out == rightsStart)
        *out++ = '-';
    *out++ = ' ';
    if (st.enPassant >= 0 && st.enPassant < 64) {
        *out++ = (char)('a' + (st.enPassant & 7));
        *out++ = (char)('8' - (st.enPassant >> 3));
    } else {
        *out++ = '-';
    }
    std::snprintf(out, 24, " %d %d", (int)st.fiftyMove, allmoves ? (int)allmoves : 1);
}
