// Builds a position at ply 0 straight from a FEN piece placement, so that the attack
// analysis can be tested on positions (including ones with no legal move) without the FEN
// reader's own checks.
#pragma once

#include "board/position.h"
#include "board/setup.h"
#include "control/control.h"
#include "movegen/movegen.h"
#include "support.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <initializer_list>

// Square from algebraic text such as "e4".
inline int8_t sqOf(const char *name) { return (int8_t)(8 * ('8' - name[1]) + (name[0] - 'a')); }

// Sets up `placement` (FEN field 1) at ply 0 with the side to move, the en passant target
// (or nullptr) and the in-check flag, no castling, then runs the attack analysis. Unlike the
// FEN reader it accepts any placement (more pieces than a game allows, no legal move).
inline void buildPosition(const char *placement, bool whiteToMove, const char *ep = nullptr,
                          bool inCheck = false) {
    ensureSetup();
    ply = 0;
    tag_sq &sq = squares[0];
    std::memset(sq.insq, EMPTY, sizeof(sq.insq));
    std::memset(sq.colsq, NOCOLOUR, sizeof(sq.colsq));
    trak &t = tracker[0];
    std::memset(&t, 0, sizeof(t));
    for (int c = WHITE; c <= BLACK; c++) {
        for (int i = 0; i < PAWN_SLOTS; i++) {
            pawnSlots(t, c)[i] = SLOT_UNUSED;
            passPawnSlots(t, c)[i] = NO_SQUARE;
        }
        for (int piece = KNIGHT; piece <= QUEEN; piece++)
            for (int i = 0; i < slotCount(piece); i++)
                slotsOf(t, c, piece)[i] = SLOT_UNUSED;
        kingSlot(t, c) = SLOT_UNUSED;
    }
    int s = 0;
    for (const char *p = placement; *p && s < 64; p++) {
        if (*p == '/')
            continue;
        if (std::isdigit((unsigned char)*p)) {
            s += *p - '0';
            continue;
        }
        const int c = std::isupper((unsigned char)*p) ? WHITE : BLACK;
        // "pnbrqk" follows the piece codes from KNIGHT on; a pawn's code is its colour's.
        static const char kinds[] = "pnbrqk";
        const int kind = (int)(std::strchr(kinds, std::tolower((unsigned char)*p)) - kinds);
        const int piece = kind == 0 ? (c == WHITE ? WPAWN : BPAWN) : KNIGHT + kind - 1;
        sq.insq[s] = (int8_t)piece;
        sq.colsq[s] = (int8_t)c;
        int8_t *slots = slotsOf(t, c, piece);
        *std::find(slots, slots + slotCount(piece), SLOT_UNUSED) = (int8_t)s++;
    }
    boards[0] = bitboardsOf(sq);
    moveStack[0].enPassant = ep ? sqOf(ep) : NO_SQUARE;
    moveStack[0].castleRights = 0;
    depthFlags[0] = inCheck ? DPF_IN_CHECK : 0;
    gameFlags = whiteToMove ? (uint8_t)(gameFlags | GF_WHITE_TO_MOVE)
                            : (uint8_t)(gameFlags & ~GF_WHITE_TO_MOVE);
    SEE();
}

// The set of the named squares.
inline uint64_t setOf(std::initializer_list<const char *> names) {
    uint64_t set = 0;
    for (const char *n : names)
        set |= 1ULL << sqOf(n);
    return set;
}
