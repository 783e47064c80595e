// Debug verifier: recomputes a position from its mailbox and compares the incremental state.
#include "board/position.h"

#include <cstdio>

// The piece bitboards checked against the mailbox; the pass-pawn sets are checked against
// the pass-pawn slots instead.
struct boardField {
    const char *name;
    uint64_t bboard::*member;
};
static const boardField boardFields[] = {
    {"whpieces", &bboard::whpieces},     {"whpawns", &bboard::whpawns},
    {"whknights", &bboard::whknights},   {"whbishops", &bboard::whbishops},
    {"whrooks", &bboard::whrooks},       {"whqueen", &bboard::whqueen},
    {"whking", &bboard::whking},         {"blpieces", &bboard::blpieces},
    {"blpawns", &bboard::blpawns},       {"blknights", &bboard::blknights},
    {"blbishops", &bboard::blbishops},   {"blrooks", &bboard::blrooks},
    {"blqueen", &bboard::blqueen},       {"blking", &bboard::blking},
    {"allpieces", &bboard::allpieces},   {"rotated90R", &bboard::rotated90R},
    {"rotated45R", &bboard::rotated45R}, {"rotated45L", &bboard::rotated45L},
};

static const char *colourName(int c) { return c == WHITE ? "white" : "black"; }

static void squareName(int s, char *out) {
    out[0] = (char)('a' + (s & 7));
    out[1] = (char)('8' - (s >> 3));
    out[2] = '\0';
}

// Prints what disagrees, where, and how the search got there; always returns false.
static bool reportMismatch(const char *caller, int p, const char *field, const char *detail) {
    char fen[128];
    positionToFEN(p, fen);
    std::fprintf(stderr, "verifyPosition: %s mismatch%s%s at ply %d (called from %s)\n", field,
                 detail[0] ? ": " : "", detail, p, caller);
    std::fprintf(stderr, "  position: %s\n  path:", fen);
    for (int i = 0; i < p; i++) {
        char from[3], to[3];
        squareName(currentline[i].from & 63, from);
        squareName(currentline[i].to & 63, to);
        std::fprintf(stderr, " %s%s", from, to);
    }
    std::fprintf(stderr, "\n");
    return false;
}

// Material of colour c and its sum of piece-square values at the current game phase.
static int32_t materialOf(int p, int c) {
    int32_t sum = 0;
    for (int s = 0; s < 64; s++)
        if (squares[p].colsq[s] == c)
            sum += pieceValue[squares[p].insq[s]];
    return sum;
}

static int32_t squareValuesOf(int p, int c) {
    int32_t sum = 0;
    for (int s = 0; s < 64; s++)
        if (squares[p].colsq[s] == c)
            sum += pieceSquareValue(c, squares[p].insq[s], s);
    return sum;
}

// LE minus what it is built from: constant while moves are made at one game phase.
static int32_t scoreOffset(int p, int c) {
    int32_t le = c == WHITE ? LEwh[p] : LEbl[p];
    return le - materialOf(p, c) - squareValuesOf(p, c);
}

static bool checkMailbox(const char *caller, int p) {
    const tag_sq &sq = squares[p];
    char detail[64];
    for (int s = 0; s < 64; s++) {
        int piece = sq.insq[s], c = sq.colsq[s];
        bool valid = (piece == EMPTY) == (c == NOCOLOUR) && piece >= 0 && piece <= EMPTY &&
                     (c == WHITE || c == BLACK || c == NOCOLOUR);
        // Pawn codes carry their colour, so the colour byte must agree with them.
        if (valid && (piece == WPAWN || piece == BPAWN))
            valid = c == (piece == WPAWN ? WHITE : BLACK);
        if (!valid) {
            char name[3];
            squareName(s, name);
            std::snprintf(detail, sizeof detail, "%s holds piece %d colour %d", name, piece, c);
            return reportMismatch(caller, p, "mailbox", detail);
        }
    }
    return true;
}

static bool checkBitboards(const char *caller, int p) {
    bboard expect = bitboardsOf(squares[p]);
    for (const boardField &f : boardFields)
        if (boards[p].*f.member != expect.*f.member) {
            char detail[64];
            std::snprintf(detail, sizeof detail, "%016llx expected %016llx",
                          (unsigned long long)(boards[p].*f.member),
                          (unsigned long long)(expect.*f.member));
            return reportMismatch(caller, p, f.name, detail);
        }
    return true;
}

// Every live slot names a square holding its kind and colour, every piece on the board is in
// exactly one live slot, and the pass-pawn slots follow their pawns and their bitboards.
static bool checkPieceLists(const char *caller, int p) {
    trak &t = tracker[p];
    int inSlots[64] = {};
    char detail[80];
    for (int c = WHITE; c <= BLACK; c++) {
        const int kinds[6] = {c == WHITE ? WPAWN : BPAWN, KNIGHT, BISHOP, ROOK, QUEEN, KING};
        for (int piece : kinds) {
            const int8_t *slots = slotsOf(t, c, piece);
            for (int i = 0; i < slotCount(piece); i++) {
                int v = slots[i];
                // Live squares, captured pieces (last square - 64) or never used.
                bool inRange = v < 64 && (v >= -64 || v == SLOT_UNUSED);
                if (inRange && v >= 0 && (squares[p].insq[v] != piece || squares[p].colsq[v] != c))
                    inRange = false;
                if (!inRange) {
                    std::snprintf(detail, sizeof detail, "%s %c slot %d holds %d", colourName(c),
                                  pieceChar[piece], i, v);
                    return reportMismatch(caller, p, "piece list", detail);
                }
                if (v >= 0)
                    inSlots[v]++;
            }
        }
        if (kingSlot(t, c) < 0) {
            std::snprintf(detail, sizeof detail, "%s king slot %d", colourName(c), kingSlot(t, c));
            return reportMismatch(caller, p, "king", detail);
        }
        uint64_t passed = 0;
        for (int i = 0; i < PAWN_SLOTS; i++) {
            int v = passPawnSlots(t, c)[i];
            if (v != NO_SQUARE && (v < 0 || v != pawnSlots(t, c)[i])) {
                std::snprintf(detail, sizeof detail, "%s slot %d holds %d, pawn slot %d",
                              colourName(c), i, v, pawnSlots(t, c)[i]);
                return reportMismatch(caller, p, "pass-pawn list", detail);
            }
            if (v != NO_SQUARE)
                passed |= 1ULL << v;
        }
        if (passPawnsOf(boards[p], c) != passed) {
            std::snprintf(detail, sizeof detail, "%s %016llx, slots give %016llx", colourName(c),
                          (unsigned long long)passPawnsOf(boards[p], c),
                          (unsigned long long)passed);
            return reportMismatch(caller, p, "pass-pawn board", detail);
        }
    }
    for (int s = 0; s < 64; s++) {
        int expected = squares[p].colsq[s] == NOCOLOUR ? 0 : 1;
        if (inSlots[s] != expected) {
            char name[3];
            squareName(s, name);
            std::snprintf(detail, sizeof detail, "%s is in %d live slots", name, inSlots[s]);
            return reportMismatch(caller, p, "piece list", detail);
        }
    }
    return true;
}

static bool checkKeys(const char *caller, int p) {
    positionKeys k = keysOf(p, whiteToMove());
    const struct {
        const char *name;
        uint64_t have, want;
    } keys[4] = {{"hash", hash[p], k.hash},
                 {"hashlock", hashlock[p], k.hashlock},
                 {"pnhash", pnhash[p], k.pnhash},
                 {"pnlock", pnlock[p], k.pnlock}};
    for (const auto &key : keys)
        if (key.have != key.want) {
            char detail[64];
            std::snprintf(detail, sizeof detail, "%016llx expected %016llx",
                          (unsigned long long)key.have, (unsigned long long)key.want);
            return reportMismatch(caller, p, key.name, detail);
        }
    return true;
}

static bool checkMaterial(const char *caller, int p) {
    char detail[64];
    int32_t total = materialOf(p, WHITE) + materialOf(p, BLACK);
    if (moveStack[p].materialCount != total) {
        std::snprintf(detail, sizeof detail, "%d expected %d", moveStack[p].materialCount, total);
        return reportMismatch(caller, p, "materialCount", detail);
    }
    if (p == 0)
        return true; // ply 0 is the reference the offsets are compared with
    for (int c = WHITE; c <= BLACK; c++) {
        int32_t have = scoreOffset(p, c), want = scoreOffset(0, c);
        if (have != want) {
            std::snprintf(detail, sizeof detail, "offset %d, ply 0 offset %d", have, want);
            return reportMismatch(caller, p, c == WHITE ? "LEwh" : "LEbl", detail);
        }
    }
    return true;
}

bool verifyPosition(const char *caller, int p) {
    ASSERT(p >= 0 && p < MAX_PLY);
    return checkMailbox(caller, p) && checkBitboards(caller, p) && checkPieceLists(caller, p) &&
           checkKeys(caller, p) && checkMaterial(caller, p);
}
