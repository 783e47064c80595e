// Shared position types, bit names and the per-ply and game-level position globals.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "board/engine_state.h"

// ---------------------------------------------------------------------------
// Checking
// ---------------------------------------------------------------------------
#ifdef NDEBUG
#define ASSERT(cond) ((void)0)
#else
#define ASSERT(cond)                                                                               \
    ((cond) ? (void)0                                                                              \
            : (std::fprintf(stderr, "assertion failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__),  \
               std::abort()))
#endif

// ---------------------------------------------------------------------------
// Capacities
// ---------------------------------------------------------------------------
constexpr int MAX_PLY = 32;       // search stack: positions at ply 0..31
constexpr int MAX_MOVES = 256;    // legal moves of one position (the most known is 218)
constexpr int GAME_RECORD = 2048; // positions kept in the game record (history, drawSearch)
constexpr int HISTLINE_SIZE = 1024;

// Piece-list slots per side: the set-up pieces plus every pawn promoted to that kind.
constexpr int PAWN_SLOTS = 8;
constexpr int KNIGHT_SLOTS = 10;
constexpr int BISHOP_SLOTS = 10;
constexpr int ROOK_SLOTS = 10;
constexpr int QUEEN_SLOTS = 9;
constexpr int8_t SLOT_UNUSED = -127;

// ---------------------------------------------------------------------------
// Codes
// ---------------------------------------------------------------------------
// Squares: 0 = a8 .. 7 = h8, 56 = a1 .. 63 = h1; -1 = none.
constexpr int8_t NO_SQUARE = -1;

// Piece codes; only pawns carry their colour in the code.
constexpr int8_t WPAWN = 0, BPAWN = 1, KNIGHT = 2, BISHOP = 3, ROOK = 4, QUEEN = 5, KING = 6,
                 EMPTY = 7;
// Colour codes.
constexpr int8_t WHITE = 0, BLACK = 1, NOCOLOUR = 7;

// Direction codes: 0 = +1, 1 = -1, 2 = +8, 3 = -8, 4 = +9, 5 = -9, 6 = +7, 7 = -7.

// move_list.type
constexpr uint16_t MT_CAPTURE = 0x0001, MT_SAME_FILE = 0x0002, MT_OTHER_FILE = 0x0004,
                   MT_PROMOTION = 0x0008, MT_CHECK = 0x0010, MT_EN_PASSANT = 0x0020,
                   MT_CASTLE_SHORT = 0x0040, MT_CASTLE_LONG = 0x0080, MT_DOUBLE_PUSH = 0x0100,
                   MT_ESCAPE = 0x0200, MT_WINNING_CAPTURE = 0x0400;
// move_tag.castleRights
constexpr uint8_t CR_WHITE_SHORT = 0x01, CR_WHITE_LONG = 0x02, CR_BLACK_SHORT = 0x04,
                  CR_BLACK_LONG = 0x08, CR_WHITE_CASTLED = 0x10, CR_BLACK_CASTLED = 0x20;
// move_tag.stackFlags
constexpr uint8_t ST_KING_SAFETY = 0x01, ST_HASH_STORED = 0x02, ST_PAWN_ON_SEVENTH = 0x04,
                  ST_HANG_FOUND = 0x08, ST_TREE_REPEAT = 0x10, ST_IRREVERSIBLE = 0x20,
                  ST_WINNING_CAPTURE = 0x40, ST_HASH_MOVE = 0x80;
// depthFlags
constexpr uint8_t DPF_ESTIMATE = 0x01, DPF_CHILD_ESTIMATE = 0x02, DPF_IN_CHECK = 0x04,
                  DPF_QS_STOP = 0x08, DPF_ALPHA_RAISED = 0x10, DPF_EVAL_SEE = 0x20,
                  DPF_THREAT_SEE = 0x40, DPF_ON_PV = 0x80;

// ---------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------
struct bboard {
    uint64_t whpieces, whpawns, whPassPawns, whknights, whbishops, whrooks, whqueen, whking;
    uint64_t blpieces, blpawns, blPassPawns, blknights, blbishops, blrooks, blqueen, blking;
    uint64_t allpieces, rotated90R, rotated45R, rotated45L;
};

struct tag_sq {
    int8_t insq[64];  // piece code per square, EMPTY when empty
    int8_t colsq[64]; // colour code per square, NOCOLOUR when empty
};

// Piece lists. A live slot holds its square; a captured piece (or promoted pawn) keeps
// its slot as last square - 64; a never-used slot holds SLOT_UNUSED.
struct trak {
    int8_t whitePawn[PAWN_SLOTS], whitePassPawn[PAWN_SLOTS], whiteKnight[KNIGHT_SLOTS],
        whiteBishop[BISHOP_SLOTS], whiteRook[ROOK_SLOTS], whiteQueen[QUEEN_SLOTS], whiteKing;
    int8_t blackPawn[PAWN_SLOTS], blackPassPawn[PAWN_SLOTS], blackKnight[KNIGHT_SLOTS],
        blackBishop[BISHOP_SLOTS], blackRook[ROOK_SLOTS], blackQueen[QUEEN_SLOTS], blackKing;
    // Move counters of the original minor pieces and rooks (slots 0 and 1 only), the first
    // queen and the king.
    int8_t whiteKnightCounter[2], whiteBishopCounter[2], whiteRookCounter[2], whiteQueenCounter,
        whiteKingCounter;
    int8_t blackKnightCounter[2], blackBishopCounter[2], blackRookCounter[2], blackQueenCounter,
        blackKingCounter;
};

struct move_list {
    int8_t from, to, promote, captured, moved, checkSquare;
    uint16_t type;
    uint8_t orderscore;
};

struct move_tag {
    int32_t hashMove;
    int16_t materialCount, exactScored, whiteKingSafety, blackKingSafety, newPassedPawn;
    int8_t captureSquare, capturedPiece, enPassant;
    uint8_t castleRights;
    int8_t hangingPiece, threatenedPiece, checkingSquare;
    uint8_t stackFlags;
    int8_t fiftyMove, repetitions, whiteCheckExtension, blackCheckExtension;
};

struct draw_search {
    uint64_t drawKey, drawLock;
    int8_t drawCount, pawnOrCapture;
};

struct move_info {
    int16_t LEwht, LEblk;
    uint64_t mvhash, mvlock, mvpnhash, mvpnlock;
    bboard mvboards;
    trak mvtracks;
};
using INFO = move_info;

struct game_hist {
    move_tag histrules;
    move_list histdata;
    move_info histinfo;
    int16_t histMark; // histcount before this move's bytes were appended
};

// Transposition entry: the position's cached static facts and what a search learnt of it.
struct tag_hash {
    uint32_t lock;  // the low half of the position's lock key
    int16_t scored; // the static score the node record takes (an exact entry: its search score)
    int16_t value;  // the search result: an exact score or a bound, as the bound bits say
    uint16_t remainingDepthFrom;
    uint8_t threatHang, bType, bToPromoted, hashFlags;
    uint8_t age; // the search that wrote it: entries of older searches are replaced first
    uint8_t spare;
};
static_assert(sizeof(tag_hash) == 16, "four entries to a cache line");

// Pawn-hash entry.
struct tag_pnhash {
    uint64_t pawnLock;
    int16_t whitePawnEval, blackPawnEval;
};

// Killer slot.
struct gallows {
    int16_t killerMove;
    int8_t killerPromote;
    int32_t killerScore;
};

// Attack analysis of one side. The per-square x-ray increments are 16-bit: several
// sliders stacked on one line can push them past an 8-bit range.
struct evaluator {
    int16_t boardScan[64];
    int16_t ownPawn[64], thruPawn[64], ownQueen[64], oppPawnBQ[64], oppPawnRQ[64];
    int16_t oppBishop[64], oppRook[64], oppQueen[64];
    uint64_t enPassSquare, kingsAttackRays, kingWhitePieces, kingBlackPieces, checkSquares,
        kingMoves;
    int8_t pawnCount, knightCount, bishopCountWhite, bishopCountBlack, rookCount, queenCount,
        pieceCount;
};

// Evaluation weights.
struct PROFILE {
    int32_t eightPawnOpen, eightPawnMid, eightPawnEnd;
    int32_t backwardPawnOpen, backwardPawnMid, backwardPawnEnd;
    int32_t doubledPawnOpen, doubledPawnMid, doubledPawnEnd;
    int32_t trebledPawn, connectedPassPawn, protectPassedPawn;
    int32_t connectedPawnOpen, connectedPawnMid, connectedPawnEnd;
    int32_t blockedPawnOpen, blockedPawnMid, blockedPawnEnd;
    int32_t pawnChain, pawnBaseAttack, weakPawnAttack;
    int32_t farPawnOpen, farPawnMid, farPawnAdvance;
    int32_t earlyWingPawn, blockedCentrePawn, earlyDevelop, earlyMinorRepeat;
    int32_t knightCountOpen, knightCountMid, knightCountEnd;
    int32_t knightOnRim, hungPiece, trappedKnight, pinnedKnight;
    int32_t bishopCountOpen, bishopCountMid, bishopCountEnd;
    int32_t trappedBishop, fianchettoBishop, pinnedBishop;
    int32_t rookCountMid, rookCountEnd, rookOpenFile, rookBehindPP, rookInFrontPP;
    int32_t rookConnected, rookMoved, rookSeventh, corneredRook, pinnedRook, trappedRook;
    int32_t pinnedQueen, earlyQueenMove, trappedQueen;
    int32_t attackKingOpen, attackKingMid, attackKingEnd;
    int32_t exposedKing, castled, trappedKing, kingMoved, kingOpenFile, kingDefend;
    int32_t kingSquared, pawnDefenders, earlyCapture, unableToMove, unprotected;
};
using scoreProfile = PROFILE;

// Evaluation scratch flags and the few facts that outlive one evaluation.
struct STATUS {
    int8_t backwardPawn, isolatedPawn, doubledPawn, trebledPawn, passedPawn, connectedPassedPawn,
        promotionImminent, wingPawnAdvance, protectPassPawn, blockedPawn, hangPiece, outpost,
        blockedPassedPawn, connectedPawn, pawnChain, weakPawnHit, farPawn, farAdvance, trappedPiece,
        pinnedPiece, kingPoint, fianchetto, goodPin, openFile, rookInFront, connectedRook,
        rookBehind, cornerRook, kingDefender, kingExposed, whiteHasCastled, blackHasCastled,
        defendWeakPawn, whiteStalemate, kingsPawns, blackStalemate, stalemate, ableToMove;
};

// ---------------------------------------------------------------------------
// Constant tables (board_tables.cpp)
// ---------------------------------------------------------------------------
extern const int8_t squareColour[64];
extern const int32_t pieceValue[8];
extern const char pieceChar[12];
extern const int8_t r90R[64], r45R[64], r45L[64], flip[64];
extern const int32_t shiftRank[64], shift90L[64], shift45R[64], shift45L[64];
extern const int8_t castle_mask[64];

// Piece-square tables [phase][square] (placement_tables.cpp), laid out for White; Black reads
// the flipped square.
extern const int32_t pawnsq[3][64], knightsq[3][64], bishopsq[3][64], rooksq[3][64], queensq[3][64],
    kingsq[3][64];

// ---------------------------------------------------------------------------
// Per-ply position stack and game record (board.cpp)
// ---------------------------------------------------------------------------
extern int8_t ply;
extern bboard boards[MAX_PLY];
extern tag_sq squares[MAX_PLY];
extern trak tracker[MAX_PLY];
extern move_tag moveStack[MAX_PLY];
extern uint64_t hash[MAX_PLY], hashlock[MAX_PLY], pnhash[MAX_PLY], pnlock[MAX_PLY];
extern int32_t LEwh[MAX_PLY], LEbl[MAX_PLY];
extern uint8_t depthFlags[MAX_PLY];
extern int8_t captureSequence[MAX_PLY];
extern move_list searchData[MAX_PLY][MAX_MOVES];
extern int16_t mvstore[MAX_PLY + 1]; // mvstore[p + 1] = moves in searchData[p]
extern int16_t generated[MAX_PLY];

extern int32_t allmoves;  // half-moves since the start (or the FEN move number)
extern int32_t moveStart; // allmoves of the set-up position; takeback stops there
extern int32_t histBase;  // allmoves value held by record entry 0 (see recordIndex)
extern game_hist history[GAME_RECORD];
extern draw_search drawSearch[GAME_RECORD];
extern int8_t histline[HISTLINE_SIZE];
extern int32_t histcount;
extern move_info mvinfo[MAX_MOVES];
extern move_tag mvrules[MAX_MOVES];
extern INFO mvInfoChoice;
extern move_tag mvRuleChoice;
extern int8_t gameState;
extern int8_t lastMovedTo;
extern bboard sideBoards;
extern tag_sq savedSquares, movedSquares;
extern uint64_t nodes;
// The move being searched at each ply: the search writes it, the position verifier shows it
// as the path that led to a fault.
extern move_list currentline[MAX_PLY];

// ---------------------------------------------------------------------------
// Analysis of the position at the current ply, shared by the layers above: the attack
// analysis (filled by SEE in the move generator), the exchange estimates of the side to
// move's pieces and the evaluation's status flags. Move making reads them too.
// ---------------------------------------------------------------------------
extern evaluator seeWhite, seeBlack;
inline evaluator &seeOf(int c) { return c == WHITE ? seeWhite : seeBlack; }
extern STATUS pieceStatus; // scratch flags; promotionImminent, castled flags, stalemate persist
// Exchange estimates of the side to move's pieces by piece-list slot and target square,
// filled by evaluate (depthFlags DPF_EVAL_SEE) and hangsThreats (DPF_THREAT_SEE).
extern int32_t seeBoardPawn[PAWN_SLOTS][64], seeBoardKnight[KNIGHT_SLOTS][64],
    seeBoardBishop[BISHOP_SLOTS][64], seeBoardRook[ROOK_SLOTS][64], seeBoardQueen[QUEEN_SLOTS][64];
// The estimate of the piece of kind `piece` (a pawn code or KNIGHT..QUEEN) in list slot
// `slot` moving to `to`, from the arrays above.
inline int32_t slotExchangeValue(int piece, int slot, int to) {
    ASSERT(slot >= 0 && to >= 0 && to < 64);
    switch (piece) {
    case WPAWN:
    case BPAWN:
        return seeBoardPawn[slot][to];
    case KNIGHT:
        return seeBoardKnight[slot][to];
    case BISHOP:
        return seeBoardBishop[slot][to];
    case ROOK:
        return seeBoardRook[slot][to];
    default:
        ASSERT(piece == QUEEN);
        return seeBoardQueen[slot][to];
    }
}

// Index of the record entry that describes the position after half-move n.
inline int recordIndex(int32_t n) { return n - histBase; }

// ---------------------------------------------------------------------------
// Bit utilities
// ---------------------------------------------------------------------------
// Highest set square of a non-empty set.
inline int32_t msb(uint64_t set) { return 63 - __builtin_clzll(set); }
// Lowest set square of a non-empty set.
inline int32_t lsb(uint64_t set) { return __builtin_ctzll(set); }
// Members of an 11-bit attacker or defender set.
inline int8_t defenders(int32_t bits) { return (int8_t)__builtin_popcount(bits & 0x7FF); }

// ---------------------------------------------------------------------------
// Geometry in a side's own frame: a rule told for White is read for Black on the board turned
// upside down (ranks mirrored), so "ahead" is always towards row 0.
// ---------------------------------------------------------------------------
constexpr uint64_t FILE_A_SET = 0x0101010101010101ULL;
inline uint64_t squareBit(int s) { return 1ULL << s; }
inline uint64_t fileSet(int f) { return FILE_A_SET << f; }
// Square s (or the set) as colour c sees the board.
inline int ownFrameSquare(int c, int s) { return c == WHITE ? s : s ^ 56; }
inline uint64_t ownFrameSet(int c, uint64_t set) {
    return c == WHITE ? set : __builtin_bswap64(set);
}
// Rank 1..8 of square s counted from colour c's side of the board.
inline int relativeRank(int c, int s) { return 8 - (ownFrameSquare(c, s) >> 3); }

// ---------------------------------------------------------------------------
// Colour-parameterised access, so that mirrored White/Black code can be written once.
// ---------------------------------------------------------------------------
inline bool whiteToMoveFlag(uint8_t flags) { return (flags & GF_WHITE_TO_MOVE) != 0; }

inline uint64_t &piecesOf(bboard &b, int c) { return c == WHITE ? b.whpieces : b.blpieces; }
inline uint64_t &pawnsOf(bboard &b, int c) { return c == WHITE ? b.whpawns : b.blpawns; }
inline uint64_t &passPawnsOf(bboard &b, int c) {
    return c == WHITE ? b.whPassPawns : b.blPassPawns;
}
inline uint64_t &knightsOf(bboard &b, int c) { return c == WHITE ? b.whknights : b.blknights; }
inline uint64_t &bishopsOf(bboard &b, int c) { return c == WHITE ? b.whbishops : b.blbishops; }
inline uint64_t &rooksOf(bboard &b, int c) { return c == WHITE ? b.whrooks : b.blrooks; }
inline uint64_t &queensOf(bboard &b, int c) { return c == WHITE ? b.whqueen : b.blqueen; }
inline uint64_t &kingOf(bboard &b, int c) { return c == WHITE ? b.whking : b.blking; }
// Bitboard of a piece code (pawn codes carry their own colour) for colour c.
inline uint64_t &pieceSet(bboard &b, int c, int piece) {
    switch (piece) {
    case WPAWN:
        return b.whpawns;
    case BPAWN:
        return b.blpawns;
    case KNIGHT:
        return knightsOf(b, c);
    case BISHOP:
        return bishopsOf(b, c);
    case ROOK:
        return rooksOf(b, c);
    case QUEEN:
        return queensOf(b, c);
    default:
        ASSERT(piece == KING);
        return kingOf(b, c);
    }
}

// Piece-square value of `piece` (a pawn code or KNIGHT..KING) of colour c on square s in the
// current game phase; the tables are laid out for White.
inline int32_t pieceSquareValue(int c, int piece, int s) {
    ASSERT(s >= 0 && s < 64);
    ASSERT(gameState >= 0 && gameState <= 2);
    const int sq = ownFrameSquare(c, s);
    switch (piece) {
    case WPAWN:
    case BPAWN:
        return pawnsq[gameState][sq];
    case KNIGHT:
        return knightsq[gameState][sq];
    case BISHOP:
        return bishopsq[gameState][sq];
    case ROOK:
        return rooksq[gameState][sq];
    case QUEEN:
        return queensq[gameState][sq];
    case KING:
        return kingsq[gameState][sq];
    default:
        return 0;
    }
}

inline int8_t *pawnSlots(trak &t, int c) { return c == WHITE ? t.whitePawn : t.blackPawn; }
inline int8_t *passPawnSlots(trak &t, int c) {
    return c == WHITE ? t.whitePassPawn : t.blackPassPawn;
}
inline int8_t *knightSlots(trak &t, int c) { return c == WHITE ? t.whiteKnight : t.blackKnight; }
inline int8_t *bishopSlots(trak &t, int c) { return c == WHITE ? t.whiteBishop : t.blackBishop; }
inline int8_t *rookSlots(trak &t, int c) { return c == WHITE ? t.whiteRook : t.blackRook; }
inline int8_t *queenSlots(trak &t, int c) { return c == WHITE ? t.whiteQueen : t.blackQueen; }
inline int8_t &kingSlot(trak &t, int c) { return c == WHITE ? t.whiteKing : t.blackKing; }
// Slots of a piece kind (KNIGHT..QUEEN, or a pawn code) and how many there are.
inline int8_t *slotsOf(trak &t, int c, int piece) {
    switch (piece) {
    case WPAWN:
        return t.whitePawn;
    case BPAWN:
        return t.blackPawn;
    case KNIGHT:
        return knightSlots(t, c);
    case BISHOP:
        return bishopSlots(t, c);
    case ROOK:
        return rookSlots(t, c);
    case QUEEN:
        return queenSlots(t, c);
    default:
        ASSERT(piece == KING);
        return &kingSlot(t, c);
    }
}
constexpr int slotCount(int piece) {
    switch (piece) {
    case WPAWN:
    case BPAWN:
        return PAWN_SLOTS;
    case KNIGHT:
        return KNIGHT_SLOTS;
    case BISHOP:
        return BISHOP_SLOTS;
    case ROOK:
        return ROOK_SLOTS;
    case QUEEN:
        return QUEEN_SLOTS;
    default:
        return 1;
    }
}
