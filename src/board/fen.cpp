// Setting positions up from Forsyth-Edwards Notation, with the checks that refuse them.
#include "board/fen.h"

#include "board/makemove.h"
#include "board/position.h"
#include "board/setup.h"

#include <cstdio>

const char *fenMessagePrefix = "";

// Kind index of a piece code for the counts: both pawn codes count as kind 0.
static inline int kindOf(int piece) { return piece <= BPAWN ? 0 : piece; }

// Piece code and colour of a FEN letter; false for any other character.
static bool pieceOfLetter(char ch, int &piece, int &colour) {
    switch (ch) {
    case 'P':
        piece = WPAWN;
        colour = WHITE;
        return true;
    case 'N':
        piece = KNIGHT;
        colour = WHITE;
        return true;
    case 'B':
        piece = BISHOP;
        colour = WHITE;
        return true;
    case 'R':
        piece = ROOK;
        colour = WHITE;
        return true;
    case 'Q':
        piece = QUEEN;
        colour = WHITE;
        return true;
    case 'K':
        piece = KING;
        colour = WHITE;
        return true;
    case 'p':
        piece = BPAWN;
        colour = BLACK;
        return true;
    case 'n':
        piece = KNIGHT;
        colour = BLACK;
        return true;
    case 'b':
        piece = BISHOP;
        colour = BLACK;
        return true;
    case 'r':
        piece = ROOK;
        colour = BLACK;
        return true;
    case 'q':
        piece = QUEEN;
        colour = BLACK;
        return true;
    case 'k':
        piece = KING;
        colour = BLACK;
        return true;
    default:
        return false;
    }
}

static inline bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }

// The piece placement: eight ranks of eight squares, at most sixteen men a side, no pawn on
// the first or last rank. Leaves s after the blank that follows it.
static bool checkPlacement(const char *&s) {
    int men[2] = {0, 0};
    for (int row = 0; row < 8; row++) {
        int filled = 0;
        for (;; s++) {
            int piece, colour;
            if (*s >= '1' && *s <= '8') {
                filled += *s - '0';
            } else if (pieceOfLetter(*s, piece, colour)) {
                if (kindOf(piece) == 0 && (row == 0 || row == 7))
                    return false; // a pawn can neither start nor stay on a back rank
                men[colour]++;
                filled++;
            } else {
                break;
            }
            if (filled > 8)
                return false;
        }
        if (filled != 8 || *s != (row < 7 ? '/' : ' '))
            return false;
        s++;
    }
    return men[WHITE] <= 16 && men[BLACK] <= 16;
}

int FENcheck(const char *s) {
    if (s == nullptr || !checkPlacement(s))
        return 0;
    // Side to move.
    if ((*s != 'w' && *s != 'b') || s[1] != ' ')
        return 0;
    s += 2;
    // Castling: "-" or the rights in the fixed order K, Q, k, q.
    if (*s == '-') {
        s++;
    } else {
        const char *order = "KQkq";
        const char *start = s;
        for (int i = 0; i < 4; i++)
            if (*s == order[i])
                s++;
        if (s == start)
            return 0;
    }
    if (*s++ != ' ')
        return 0;
    // En passant: "-" or a square on rank 3 or 6.
    if (*s == '-') {
        s++;
    } else {
        if (*s < 'a' || *s > 'h' || (s[1] != '3' && s[1] != '6'))
            return 0;
        s += 2;
    }
    if (*s++ != ' ')
        return 0;
    // Half-move clock: one or two digits.
    if (!isDigit(*s))
        return 0;
    s++;
    if (isDigit(*s))
        s++;
    if (*s++ != ' ')
        return 0;
    // Full-move number: 1 to 999 and the end of the text.
    if (*s < '1' || *s > '9')
        return 0;
    s++;
    for (int i = 0; i < 2 && isDigit(*s); i++)
        s++;
    return *s == '\0' ? 1 : 0;
}

// Pieces of colour `by` other than the king that attack square s on the board b.
static uint64_t attackersOf(bboard &b, int s, int by) {
    uint64_t found = knightattack[s] & knightsOf(b, by);
    // A White pawn attacks s from the squares a Black pawn on s would attack, and vice versa.
    found |= (by == WHITE ? blpawnattack[s] : whpawnattack[s]) & pawnsOf(b, by);
    const uint64_t straight = rooksOf(b, by) | queensOf(b, by);
    const uint64_t diagonal = bishopsOf(b, by) | queensOf(b, by);
    for (int d = 0; d < 8; d++) {
        const uint64_t blockers = rays[s][d] & b.allpieces;
        if (blockers == 0)
            continue;
        // Even direction codes step to higher square numbers: the nearest blocker is the
        // lowest one; odd codes step down.
        const int nearest = (d & 1) == 0 ? lsb(blockers) : msb(blockers);
        found |= mask[nearest] & (d < 4 ? straight : diagonal);
    }
    return found;
}

// Adds a piece to the mailbox, bitboards, piece list and sums of ply p. A piece beyond its
// list's capacity is left out of the list; the count refusals turn such a position away.
static void placePiece(int p, int colour, int piece, int s) {
    squares[p].insq[s] = (int8_t)piece;
    squares[p].colsq[s] = (int8_t)colour;
    bboard &b = boards[p];
    pieceSet(b, colour, piece) |= mask[s];
    piecesOf(b, colour) |= mask[s];
    b.allpieces |= mask[s];
    b.rotated90R |= mask[r90R[s]];
    b.rotated45R |= mask[r45R[s]];
    b.rotated45L |= mask[r45L[s]];
    moveStack[p].materialCount = (int16_t)(moveStack[p].materialCount + pieceValue[piece]);
    (colour == WHITE ? LEwh[p] : LEbl[p]) += pieceValue[piece];

    trak &t = tracker[p];
    if (piece == KING) {
        kingSlot(t, colour) = (int8_t)s;
        return;
    }
    // Pawns and pieces get their slots once all are on the board (assignPawnSlots,
    // assignPieceSlots).
}

// The i-th square (0..63) as colour c reads the board: from its own first rank forward, each
// rank from the a-file. Square numbers run from a8, so Black reads them in order.
static int readingSquare(int c, int i) { return c == WHITE ? i ^ 56 : i; }

// The pieces of a kind are generated slot by slot, and moves of equal grade are searched in
// the order they were generated, so a position and its colour mirror must give their pieces
// the mirrored slots. Like the pawns, each side's pieces are taken from its own first rank
// forward. (Taken in board order from a8 instead, two pieces of a kind on different ranks
// would take their slots the other way round in the mirror.)
static void assignPieceSlots(int p) {
    for (int c = WHITE; c <= BLACK; c++)
        for (int i = 0; i < 64; i++) {
            const int s = readingSquare(c, i);
            const int piece = squares[p].insq[s];
            if (squares[p].colsq[s] != c || piece < KNIGHT || piece > QUEEN)
                continue;
            int8_t *slots = slotsOf(tracker[p], c, piece);
            for (int k = 0; k < slotCount(piece); k++)
                if (slots[k] == SLOT_UNUSED) {
                    slots[k] = (int8_t)s;
                    break;
                }
        }
}

// A pawn's slot stands for the file it started on, which a FEN does not tell. Each side's
// pawns are taken from its own first rank forward, so that a position and its colour mirror
// get the same slots: first every pawn takes the slot of its file while that is free, then the
// others take the free slots in order. (Taken in board order instead, one side's advanced
// pawns would come first and push the pawns behind them out of their files' slots.)
static void assignPawnSlots(int p) {
    for (int c = WHITE; c <= BLACK; c++) {
        int8_t *slots = pawnSlots(tracker[p], c);
        const uint64_t pawns = pawnsOf(boards[p], c);
        int8_t order[PAWN_SLOTS];
        bool placed[PAWN_SLOTS] = {};
        int n = 0;
        for (int i = 0; i < 64; i++) {
            const int s = readingSquare(c, i);
            if ((pawns & mask[s]) && n < PAWN_SLOTS)
                order[n++] = (int8_t)s;
        }
        for (int i = 0; i < n; i++)
            if (slots[order[i] & 7] == SLOT_UNUSED) {
                slots[order[i] & 7] = order[i];
                placed[i] = true;
            }
        for (int i = 0; i < n; i++)
            for (int k = 0; k < PAWN_SLOTS && !placed[i]; k++)
                if (slots[k] == SLOT_UNUSED) {
                    slots[k] = order[i];
                    placed[i] = true;
                }
    }
}

// Empty piece lists (pass-pawn slots -1) and zeroed counters.
static void clearLists(trak &t) {
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
    for (int i = 0; i < 2; i++) {
        t.whiteKnightCounter[i] = t.whiteBishopCounter[i] = t.whiteRookCounter[i] = 0;
        t.blackKnightCounter[i] = t.blackBishopCounter[i] = t.blackRookCounter[i] = 0;
    }
    t.whiteQueenCounter = t.whiteKingCounter = t.blackQueenCounter = t.blackKingCounter = 0;
}

// Prints a refusal; always 0 so that callers can return it.
static int refuse(const char *message) {
    std::fputs(fenMessagePrefix, stdout);
    std::fputs(message, stdout);
    return 0;
}

// The king refusals come before any other: a position without its kings (or with two of a
// colour) is no chess position at all, whatever else stands on the board.
static int checkKings(const int counts[2][7]) {
    if (counts[BLACK][KING] > 1)
        return refuse("Error. Too many black kings.\n");
    if (counts[WHITE][KING] > 1)
        return refuse("Error. Too many white kings.\n");
    if (counts[BLACK][KING] == 0)
        return refuse("Error. No black king.\n");
    if (counts[WHITE][KING] == 0)
        return refuse("Error. No white king.\n");
    return 1;
}

// Every knight or rook beyond two, every bishop beyond one on each square colour and every
// queen beyond one is a promoted pawn, so a side cannot have more of them than pawns it has
// lost. Names the kind at which the surplus runs past the missing pawns (knights, bishops,
// rooks, queens in that order). This bounds every piece list to the set-up pieces plus eight
// promotions. counts[colour][kind]; bishops by square colour in bishopsOn[colour][colour].
static int checkPromotedSurplus(const int counts[2][7], const int bishopsOn[2][2]) {
    static const char *const messages[2][6] = {
        {"", "", "Error. Too many white knights.\n", "Error. Too many white bishops.\n",
         "Error. Too many white rooks.\n", "Error. Too many white queens.\n"},
        {"", "", "Error. Too many black knights.\n", "Error. Too many black bishops.\n",
         "Error. Too many black rooks.\n", "Error. Too many black queens.\n"}};
    const int sides[2] = {BLACK, WHITE};
    for (const int c : sides) {
        const int missingPawns = 8 - counts[c][0];
        int surplus = 0;
        for (int kind = KNIGHT; kind <= QUEEN; kind++) {
            if (kind == BISHOP) {
                // A side starts with one bishop on each colour, and a bishop never changes
                // the colour of its squares: two on one colour mean a promotion.
                for (int colour = 0; colour < 2; colour++)
                    if (bishopsOn[c][colour] > 1)
                        surplus += bishopsOn[c][colour] - 1;
            } else {
                const int original = kind == QUEEN ? 1 : 2;
                if (counts[c][kind] > original)
                    surplus += counts[c][kind] - original;
            }
            if (surplus > missingPawns)
                return refuse(messages[c][kind]);
        }
    }
    return 1;
}

// The piece-count refusals, in their fixed order. counts[colour][kind]; bishops by the colour
// of their square in bishopsOn[colour][squareColour]. Under FEN_ANY_LEGAL only what no game can
// reach is refused: nine pawns, more promotions than lost pawns, seventeen men.
static int checkCounts(const int counts[2][7], const int bishopsOn[2][2], fenRules rules) {
    struct limit {
        int kind, most;
        const char *black, *white;
    };
    static const limit limits[] = {
        {0, 8, "Error. Too many black pawns.\n", "Error. Too many white pawns.\n"},
        {KNIGHT, 3, "Error. Too many black knights.\n", "Error. Too many white knights.\n"},
        {BISHOP, 3, "Error. Too many black bishops.\n", "Error. Too many white bishops.\n"},
        {ROOK, 2, "Error. Too many black rooks.\n", "Error. Too many white rooks.\n"},
        {QUEEN, 3, "Error. Too many black queens.\n", "Error. Too many white queens.\n"},
    };
    for (const limit &l : limits) {
        if (rules == FEN_ANY_LEGAL && l.kind != 0)
            break;
        if (counts[BLACK][l.kind] > l.most)
            return refuse(l.black);
        if (counts[WHITE][l.kind] > l.most)
            return refuse(l.white);
    }
    if (!checkPromotedSurplus(counts, bishopsOn))
        return 0;
    // The console keeps its limit of three minor pieces that can meet on one square (the
    // knights with the bishops of one square colour; light squares are colour 0, as a8; dark
    // 1). The exchange tables count no more than three of them and play on soundly with more,
    // so a position from a GUI is not refused for it.
    const char *minorMessages[2][2] = {{"Error. Too many black squared black bishops.\n",
                                        "Error. Too many white squared black bishops.\n"},
                                       {"Error. Too many black squared white bishops.\n",
                                        "Error. Too many white squared white bishops.\n"}};
    const int sides[2] = {BLACK, WHITE};
    for (int i = 0; i < 2 && rules == FEN_CONSOLE; i++) {
        const int c = sides[i];
        if (counts[c][KNIGHT] + bishopsOn[c][1] > 3)
            return refuse(minorMessages[i][0]);
        if (counts[c][KNIGHT] + bishopsOn[c][0] > 3)
            return refuse(minorMessages[i][1]);
    }
    for (int c = BLACK; c >= WHITE; c--) {
        int men = 0;
        for (int kind = 0; kind <= KING; kind++)
            men += counts[c][kind];
        if (men > 16)
            return refuse(c == BLACK ? "Error. Too many black pieces.\n"
                                     : "Error. Too many white pieces.\n");
    }
    return 1;
}

// Checks one castling right against the king and its corner rook, and puts that rook into
// the slot the move maker expects (0 queen-side, 1 king-side) by swapping it with that slot.
static bool castlingRightHolds(int p, int colour, int kingHome, int corner, int slot) {
    const tag_sq &sq = squares[p];
    if (sq.insq[kingHome] != KING || sq.colsq[kingHome] != colour || sq.insq[corner] != ROOK ||
        sq.colsq[corner] != colour)
        return false;
    // With promoted rooks on the board the corner rook may stand in any slot.
    int8_t *rooks = rookSlots(tracker[p], colour);
    for (int i = 0; i < ROOK_SLOTS; i++)
        if (i != slot && rooks[i] == corner) {
            rooks[i] = rooks[slot];
            rooks[slot] = (int8_t)corner;
        }
    return true;
}

// The en passant square of the text if a double step can have produced it and a pawn of the
// side to move can use it; NO_SQUARE otherwise. A square nobody can capture on is dropped so
// that the position gets the same key as when reached by the double step itself.
static int8_t usableEnPassant(int p, int ep, bool whiteMoves) {
    const tag_sq &sq = squares[p];
    bboard &b = boards[p];
    const int row = ep >> 3;
    if (row != (whiteMoves ? 2 : 5))
        return NO_SQUARE; // the pawn that just moved two belongs to the side not to move
    const int pusher = whiteMoves ? BPAWN : WPAWN;
    const int landed = whiteMoves ? ep + 8 : ep - 8, origin = whiteMoves ? ep - 8 : ep + 8;
    if (sq.insq[landed] != pusher || sq.colsq[ep] != NOCOLOUR || sq.colsq[origin] != NOCOLOUR)
        return NO_SQUARE;
    const uint64_t capturers =
        (whiteMoves ? blpawnattack[ep] : whpawnattack[ep]) & pawnsOf(b, whiteMoves ? WHITE : BLACK);
    return capturers ? (int8_t)ep : NO_SQUARE;
}

// Passed-pawn slots and boards of ply p from the pawns on the board.
static void markPassedPawns(int p) {
    for (int c = WHITE; c <= BLACK; c++) {
        const int8_t *pawns = pawnSlots(tracker[p], c);
        int8_t *passed = passPawnSlots(tracker[p], c);
        for (int i = 0; i < PAWN_SLOTS; i++)
            if (pawns[i] >= 0 && isPassedPawn(boards[p], c, pawns[i])) {
                passed[i] = pawns[i];
                passPawnsOf(boards[p], c) |= mask[pawns[i]];
            }
    }
}

// Restarts the game record with the position at ply 0 as its only entry. A position set up
// in check records a checking "move" so that take-back to it restores the check.
static void restartRecord(int p, int32_t moveNumber) {
    allmoves = moveStart = histBase = moveNumber;
    histcount = 0;
    for (int i = 0; i < HISTLINE_SIZE; i++)
        histline[i] = 0;
    game_hist &h = history[0];
    h.histdata = temp_schdata;
    if (depthFlags[p] & DPF_IN_CHECK) {
        h.histdata.type = MT_CHECK;
        h.histdata.checkSquare = moveStack[p].checkingSquare;
    }
    h.histrules = moveStack[p];
    h.histinfo.LEwht = (int16_t)LEwh[p];
    h.histinfo.LEblk = (int16_t)LEbl[p];
    h.histinfo.mvhash = hash[p];
    h.histinfo.mvlock = hashlock[p];
    h.histinfo.mvpnhash = pnhash[p];
    h.histinfo.mvpnlock = pnlock[p];
    h.histinfo.mvboards = boards[p];
    h.histinfo.mvtracks = tracker[p];
    h.histMark = 0;
    draw_search &d = drawSearch[0];
    d.drawKey = hash[p];
    d.drawLock = hashlock[p];
    d.drawCount = 1;
    d.pawnOrCapture = 0;
}

int FENpos(const char *s, fenRules rules) {
    const int p = ply;
    ASSERT(p >= 0 && p < MAX_PLY - 1);

    // 1. Clear the state of this ply.
    clearLists(tracker[p]);
    clearLastMoveFacts();
    LEwh[p] = LEbl[p] = 0;
    moveStack[p] = tempMoveStack;
    moveStack[p].materialCount = 0;
    moveStack[p].castleRights = 0;
    boards[p] = bboard{};
    captureSequence[p] = 7;

    // 2. Placement, rank 8 first.
    int counts[2][7] = {}, bishopsOn[2][2] = {};
    int sq = 0;
    while (sq < 64) {
        const char ch = *s++;
        int piece, colour;
        if (ch == '/')
            continue;
        if (ch >= '1' && ch <= '8') {
            for (int n = ch - '0'; n > 0 && sq < 64; n--, sq++) {
                squares[p].insq[sq] = EMPTY;
                squares[p].colsq[sq] = NOCOLOUR;
            }
            continue;
        }
        if (!pieceOfLetter(ch, piece, colour))
            return 0; // only reached with text FENcheck refused
        placePiece(p, colour, piece, sq);
        counts[colour][kindOf(piece)]++;
        if (piece == BISHOP)
            bishopsOn[colour][squareColour[sq]]++;
        sq++;
    }
    assignPawnSlots(p);
    assignPieceSlots(p);

    // 3. Refusals of impossible or unplayable material.
    if (!checkKings(counts))
        return 0;
    if (rules == FEN_CONSOLE && isInsufficientMaterial(p))
        return refuse("Error. Insufficient material.\n");
    if (!checkCounts(counts, bishopsOn, rules))
        return 0;

    // 4. Side to move.
    if (*s++ != ' ')
        return 0;
    bool whiteMoves;
    if (*s == 'w')
        whiteMoves = true;
    else if (*s == 'b')
        whiteMoves = false;
    else
        return 0;
    if (whiteMoves)
        gameFlags |= GF_WHITE_TO_MOVE;
    else
        gameFlags &= (uint8_t)~GF_WHITE_TO_MOVE;
    s++;
    if (*s++ != ' ')
        return 0;

    // 5. Castling rights.
    uint8_t rights = 0;
    for (; *s && *s != ' '; s++) {
        switch (*s) {
        case 'K':
            rights |= CR_WHITE_SHORT;
            break;
        case 'Q':
            rights |= CR_WHITE_LONG;
            break;
        case 'k':
            rights |= CR_BLACK_SHORT;
            break;
        case 'q':
            rights |= CR_BLACK_LONG;
            break;
        case '-':
            break;
        default:
            return 0;
        }
    }
    if (*s++ != ' ')
        return 0;
    moveStack[p].castleRights = rights;

    // 6. En passant square as written (checked against the board below).
    int ep = NO_SQUARE;
    if (*s == '-') {
        s++;
    } else {
        if (*s < 'a' || *s > 'h' || s[1] < '1' || s[1] > '8')
            return 0;
        ep = (s[0] - 'a') + 8 * ('8' - s[1]);
        s += 2;
    }
    if (*s++ != ' ')
        return 0;

    // 7. Half-move clock and full-move number.
    int fifty = 0, moveNumber = 0;
    if (!isDigit(*s))
        return 0;
    for (int i = 0; i < 2 && isDigit(*s); i++)
        fifty = fifty * 10 + (*s++ - '0');
    if (*s++ != ' ' || !isDigit(*s))
        return 0;
    for (int i = 0; i < 3 && isDigit(*s); i++)
        moveNumber = moveNumber * 10 + (*s++ - '0');
    moveStack[p].fiftyMove = (int8_t)fifty;

    // 8. Each castling right needs its king and corner rook at home.
    const struct {
        uint8_t bit;
        int colour, kingHome, corner, slot;
    } castles[4] = {{CR_BLACK_LONG, BLACK, 4, 0, 0},
                    {CR_BLACK_SHORT, BLACK, 4, 7, 1},
                    {CR_WHITE_LONG, WHITE, 60, 56, 0},
                    {CR_WHITE_SHORT, WHITE, 60, 63, 1}};
    for (const auto &cr : castles)
        if ((rights & cr.bit) && !castlingRightHolds(p, cr.colour, cr.kingHome, cr.corner, cr.slot))
            return refuse("Error. Incorrect castle rights.\n");

    // 9. Passed pawns, game phase and keys.
    markPassedPawns(p);
    int phaseCount[2] = {0, 0};
    for (int c = WHITE; c <= BLACK; c++)
        phaseCount[c] = 3 * counts[c][0] + 9 * (counts[c][KNIGHT] + counts[c][BISHOP] +
                                                counts[c][ROOK] + counts[c][QUEEN]);
    gameState = (phaseCount[WHITE] < 41 || phaseCount[BLACK] < 41) ? 2 : 1;
    moveStack[p].enPassant = ep == NO_SQUARE ? NO_SQUARE : usableEnPassant(p, ep, whiteMoves);
    Zobrist();

    // 10. Positions no legal game can reach.
    bboard &b = boards[p];
    const int whiteKing = kingSlot(tracker[p], WHITE), blackKing = kingSlot(tracker[p], BLACK);
    // A pawn on its start square attacking the king on the third rank in front of it: the
    // check was there before the king's own side moved.
    if ((whiteKing >> 3) == 2 && (whpawnattack[whiteKing] & b.blpawns))
        return refuse("Error. Invalid position.\n");
    if ((blackKing >> 3) == 5 && (blpawnattack[blackKing] & b.whpawns))
        return refuse("Error. Invalid position.\n");
    const int mover = whiteMoves ? WHITE : BLACK;
    // The side not to move in check, by the king as well: kings never stand side by side.
    if (attackersOf(b, mover == WHITE ? blackKing : whiteKing, mover) ||
        (kingattack[whiteKing] & mask[blackKing]))
        return refuse("Error. Invalid position.\n");

    // 11. The side to move in check.
    const uint64_t checkers = attackersOf(b, mover == WHITE ? whiteKing : blackKing, mover ^ 1);
    // A check comes from the piece that moved or from a slider it uncovered. A pawn or knight
    // cannot be uncovered, so two of them never check together; and no move checks with more
    // than two pieces.
    const uint64_t leapers = checkers & (b.whpawns | b.blpawns | b.whknights | b.blknights);
    if (__builtin_popcountll(checkers) > 2 || __builtin_popcountll(leapers) > 1)
        return refuse("Error. Not a valid position.\n");
    // Exchange arrays of an earlier position must not be taken for this one's.
    depthFlags[p] = checkers ? DPF_IN_CHECK : 0;
    moveStack[p].checkingSquare = checkers ? (int8_t)msb(checkers) : NO_SQUARE;
    restartRecord(p, moveNumber);
    return 1;
}
