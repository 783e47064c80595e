// Constant evaluation tables: piece-square tables, mobility, passed-pawn and hanging values,
// and the default evaluation weights.
#include "eval/eval.h"

// clang-format off

// Piece-square tables [phase][square], phase 0 opening, 1 middlegame, 2 endgame. Each phase is
// laid out as White sees the board: first line rank 8 (a8..h8, squares 0..7), last line rank 1
// (a1..h1, squares 56..63). Black reads the vertically mirrored square (flip).
const int32_t pawnsq[3][64] = {
    { // opening
           0,    0,    0,    0,    0,    0,    0,    0,
         -28,  -28,  -25,  -26,  -25,  -25,  -25,  -26,
         -18,  -18,  -13,  -14,  -15,  -12,  -18,  -16,
           2,    2,   13,   14,   15,    8,    2,    2,
          -5,   -5,    8,   10,   11,    3,   -5,   -5,
          10,    5,    3,  -16,  -20,   -8,   10,   10,
           0,    0,    0,  -20,  -24,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
    },
    { // middlegame
           0,    0,    0,    0,    0,    0,    0,    0,
          24,   28,   29,   34,   34,   29,   28,   24,
          20,   23,   24,   28,   28,   24,   23,   20,
          16,   18,   19,   22,   22,   19,   18,   16,
          12,   13,   14,   16,   16,   14,   13,   12,
           4,    5,    5,    6,    6,    0,    5,    4,
           0,    0,    0,  -10,  -10,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
    },
    { // endgame
           0,    0,    0,    0,    0,    0,    0,    0,
          27,   33,   34,   40,   40,   35,   35,   30,
          21,   26,   27,   32,   32,   28,   28,   24,
          15,   19,   20,   24,   24,   21,   21,   18,
           9,   12,   13,   16,   16,   14,   14,   12,
           3,    5,    6,    8,    8,    7,    7,    6,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
    },
};

const int32_t knightsq[3][64] = {
    { // opening
         -20,  -20,  -20,  -20,  -20,  -20,  -20,  -20,
         -20,   -5,   -5,   -5,   -5,   -5,   -5,  -20,
         -20,   -4,   -2,    0,    0,   -2,   -4,  -20,
         -15,   -5,    3,    5,    5,    3,   -5,  -15,
         -15,   -5,    6,   10,   10,    6,   -5,  -15,
         -10,    5,   10,    5,    5,   12,    5,  -10,
         -10,    3,    4,    7,    7,    4,    3,  -10,
         -10,  -15,  -10,  -10,  -10,  -10,  -15,  -10,
    },
    { // middlegame
         -20,  -15,  -15,  -15,  -15,  -15,  -15,  -20,
         -15,    5,    8,    8,    8,    8,    5,  -15,
         -15,   10,   12,   15,   15,   12,   10,  -15,
         -10,   12,   14,   16,   16,   14,   12,  -10,
         -10,   12,   14,   16,   16,   14,   12,  -10,
         -10,   12,   17,   15,   15,   17,   12,  -10,
         -10,    8,   10,   10,   10,   10,    8,  -10,
         -15,  -10,  -10,  -10,  -10,  -10,  -10,  -15,
    },
    { // endgame
         -20,  -10,  -10,  -10,  -10,  -10,  -10,  -20,
         -10,    5,    8,    8,    8,    8,    5,  -10,
         -10,    8,   13,   13,   13,   13,    8,  -10,
         -10,    8,   13,   16,   16,   13,    8,  -10,
         -10,    8,   13,   16,   16,   13,    8,  -10,
         -10,    8,   13,   13,   13,   13,    8,  -10,
         -10,    5,    8,    8,    8,    8,    5,  -10,
         -20,  -10,  -10,  -10,  -10,  -10,  -10,  -20,
    },
};

const int32_t bishopsq[3][64] = {
    { // opening
         -10,  -10,  -10,  -10,  -10,  -10,  -10,  -10,
         -10,   -8,   -8,   -8,   -8,   -8,   -8,  -10,
         -10,    0,   -5,    0,    0,   -5,    0,  -10,
         -10,    6,    3,    7,    7,    3,    6,  -10,
         -10,    5,   10,   12,   12,   10,    5,  -10,
          -5,    3,    8,   10,   10,    8,    3,   -5,
          -5,   12,    6,   10,   10,    5,   17,   -5,
         -10,  -10,  -15,  -10,  -10,  -15,  -10,  -10,
    },
    { // middlegame
         -10,   -8,   -8,   -8,   -8,   -8,   -8,  -10,
          -8,    3,    3,    3,    3,    3,    3,   -8,
          -7,   10,   14,   14,   14,   14,   10,   -7,
          -7,   10,   14,   15,   15,   14,   10,   -7,
          -6,   10,   17,   15,   15,   17,   10,   -6,
          -6,   10,   16,   16,   16,   16,   10,   -6,
          -6,   10,    8,    8,    8,    8,   10,   -6,
          -8,   -6,   -6,   -6,   -6,   -6,   -6,   -8,
    },
    { // endgame
         -10,   -8,   -8,   -8,   -8,   -8,   -8,  -10,
          -8,    3,    3,    3,    3,    3,    3,   -8,
          -8,    3,   14,   14,   14,   14,    3,   -8,
          -8,    3,   14,   16,   16,   14,    3,   -8,
          -8,    3,   14,   16,   16,   14,    3,   -8,
          -8,    3,   14,   14,   14,   14,    3,   -8,
          -8,    3,    3,    3,    3,    3,    3,   -8,
         -10,   -8,   -8,   -8,   -8,   -8,   -8,  -10,
    },
};

const int32_t rooksq[3][64] = {
    { // opening
          -5,   -5,   -5,   -5,   -5,   -5,   -5,   -5,
          -5,   -5,   -5,   -5,   -5,   -5,   -5,   -5,
          -5,   -5,   -5,   -5,   -5,   -5,   -5,   -5,
          -5,   -5,   -5,   -5,   -5,   -5,   -5,   -5,
          -5,   -5,   -5,   -5,   -5,   -5,   -5,   -5,
          -5,   -5,   -5,   -5,   -5,   -5,   -5,   -5,
          -5,   -5,   -5,   -5,   -5,   -5,   -5,   -5,
           7,   -4,    3,    4,    3,    4,  -10,    7,
    },
    { // middlegame
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
    },
    { // endgame
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
    },
};

const int32_t queensq[3][64] = {
    { // opening
          -5,   -5,   -5,   -2,   -5,   -5,   -5,   -5,
          -5,   -5,   -5,   -5,   -5,   -5,   -5,   -5,
          -5,   -5,   -5,   -5,   -5,   -5,   -5,   -5,
          -5,   -4,   -4,   -4,   -4,   -4,   -4,   -5,
           3,   -3,   -3,   -2,   -3,   -3,   -1,   -3,
          -2,    5,    2,    5,    3,    5,    3,   -2,
          -1,    1,    8,    7,    7,   -2,   -1,   -1,
          -1,    1,    4,   15,    4,    3,    1,   -1,
    },
    { // middlegame
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    1,
           3,    0,    2,    3,    0,    0,    2,    0,
           0,    4,    2,    4,    0,    4,    0,    0,
           0,    0,    5,    5,    5,    0,    0,    0,
           0,    0,    1,    2,    2,    0,    0,    0,
    },
    { // endgame
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
           0,    0,    0,    0,    0,    0,    0,    0,
    },
};

const int32_t kingsq[3][64] = {
    { // opening
         -25,  -25,  -25,  -25,  -25,  -25,  -25,  -25,
         -25,  -25,  -25,  -25,  -25,  -25,  -25,  -25,
         -25,  -25,  -25,  -25,  -25,  -25,  -25,  -25,
         -25,  -25,  -25,  -25,  -25,  -25,  -25,  -25,
         -25,  -25,  -25,  -25,  -25,  -25,  -25,  -25,
         -20,  -20,  -20,  -20,  -20,  -20,  -20,  -20,
         -20,  -20,  -20,  -20,  -20,  -20,  -20,  -20,
           2,   30,   20,  -20,    0,  -20,   35,    2,
    },
    { // middlegame
         -25,  -25,  -25,  -25,  -25,  -25,  -25,  -25,
         -25,  -25,  -25,  -25,  -25,  -25,  -25,  -25,
         -25,  -25,  -25,  -25,  -25,  -25,  -25,  -25,
         -25,  -25,  -25,  -25,  -25,  -25,  -25,  -25,
         -25,  -25,  -25,  -25,  -25,  -25,  -25,  -25,
         -20,  -20,  -20,  -20,  -20,  -20,  -20,  -20,
         -20,  -15,  -20,  -20,  -20,  -20,  -15,  -20,
           2,   20,   15,  -20,  -10,  -20,   25,    2,
    },
    { // endgame
         -30,  -20,  -10,    0,    0,  -10,  -20,  -30,
         -20,    5,   15,   20,   20,   15,    5,  -20,
         -10,   15,   30,   40,   40,   30,   15,  -10,
           0,   20,   40,   60,   60,   40,   20,    0,
           0,   20,   40,   60,   60,   40,   20,    0,
         -10,   15,   30,   40,   40,   30,   15,  -10,
         -20,    5,   15,   20,   20,   15,    5,  -20,
         -30,  -20,  -10,    0,    0,  -10,  -20,  -30,
    },
};

// Hanging value by attacked code: pawn 1, knight 2, bishop 3, rook 4, queen 5, a promotion
// square 6, and 8..11 for a knight, bishop, rook or queen en prise on a promotion square.
const int32_t hangValue[12] = {0, 100, 310, 315, 510, 900, 800, 0, 1110, 1115, 1310, 1700};

// Mobility value [piece code][counted moves 0..13]; longer counts read the last column.
const int32_t pieceMobility[6][14] = {
    { 0,  1,  1,  1,  1,  0,  0,  0,  0,  0,  0,  0,  0,  0}, // white pawn
    { 0,  1,  1,  1,  1,  0,  0,  0,  0,  0,  0,  0,  0,  0}, // black pawn
    { 0,  3,  3,  3,  3,  3,  3,  3,  3,  0,  0,  0,  0,  0}, // knight
    {-4, -2,  0,  2,  4,  6,  8, 10, 12, 14, 16, 17, 18, 18}, // bishop
    { 0,  2,  4,  6,  8, 10, 12, 14, 16, 18, 19, 20, 20, 20}, // rook
    { 0,  5,  5,  5,  5,  5,  5,  5,  5,  5,  5,  5,  5,  5}, // queen
};

// Material correction for the n-th queen of a side (index = queens counted so far): a fourth
// or later queen adds little that the third did not already bring.
const int32_t queenValue[10] = {0, 0, 0, 0, -100, -200, -200, -200, -200, -200};
// Opening penalty by king distance of an early-moved queen from its own king.
const int32_t queenPenalty[8] = {0, 0, -5, -10, -15, -20, -25, -30};

// Passed pawn bonus and blocked passed pawn penalty by relative rank (rank 2 = 2 .. rank 7 = 7).
const int32_t passPawnValue[9] = {0, 0, 21, 52, 94, 150, 225, 325, 0};
const int32_t blockedPPValue[9] = {0, 0, -10, -15, -21, -28, -38, -50, 0};

// Isolated pawn penalty [phase][file a..h].
const int8_t isol_pawn[3][8] = {
    {-11, -13, -15, -16, -16, -15, -13, -11},
    {-15, -17, -19, -20, -20, -19, -17, -15},
    {-16, -18, -20, -21, -21, -20, -18, -16},
};
// Outpost bonus for knights and bishops [phase][file a..h].
const int8_t out_post[3][8] = {
    {0, 6,  9, 10, 10,  9, 6, 0},
    {0, 8, 10, 11, 11, 10, 8, 0},
    {0, 5,  7,  8,  8,  7, 5, 0},
};
// Tropism of a piece towards the enemy king by king distance 0..7.
const int8_t pieceTropismMid[8] = {0, 15, 11, 8, 6, 4, 2, 1};
const int8_t pieceTropismEnd[8] = {0, 20, 15, 11, 8, 5, 2, 1};

// clang-format on

// Loads the default weights into profile; called once by setup before any evaluation.
void loadProfile() {
    profile = PROFILE{};
    profile.eightPawnOpen = -4;
    profile.eightPawnMid = -10;
    profile.eightPawnEnd = -13;
    profile.backwardPawnOpen = -8;
    profile.backwardPawnMid = -11;
    profile.backwardPawnEnd = -15;
    profile.doubledPawnOpen = -8;
    profile.doubledPawnMid = -11;
    profile.doubledPawnEnd = -15;
    profile.trebledPawn = -25; // kept for completeness; no term applies it
    profile.connectedPassPawn = 5;
    profile.protectPassedPawn = 3;
    profile.connectedPawnOpen = 2;
    profile.connectedPawnMid = 2;
    profile.connectedPawnEnd = 1;
    profile.blockedPawnOpen = -5;
    profile.blockedPawnMid = -8;
    profile.blockedPawnEnd = -15;
    profile.pawnChain = 2;
    profile.pawnBaseAttack = 0;
    profile.weakPawnAttack = 3;
    profile.farPawnOpen = 1;
    profile.farPawnMid = 4;
    profile.farPawnAdvance = 1;
    profile.earlyWingPawn = -9;
    profile.blockedCentrePawn = -48;
    profile.earlyDevelop = -6;
    profile.earlyMinorRepeat = 15;
    profile.knightCountOpen = 1;
    profile.knightCountMid = 8;
    profile.knightCountEnd = 10;
    profile.knightOnRim = -25;
    profile.hungPiece = 10; // divisor of the hanging value
    profile.trappedKnight = -103;
    profile.pinnedKnight = -14;
    profile.bishopCountOpen = 4;
    profile.bishopCountMid = 15;
    profile.bishopCountEnd = 18;
    profile.trappedBishop = -105;
    profile.fianchettoBishop = 8;
    profile.pinnedBishop = -16;
    profile.rookCountMid = 2;
    profile.rookCountEnd = 6;
    profile.rookOpenFile = 2;
    profile.rookBehindPP = 6;
    profile.rookInFrontPP = -10;
    profile.rookConnected = 15;
    profile.rookMoved = -10;
    profile.rookSeventh = 30;
    profile.corneredRook = -25;
    profile.pinnedRook = -24;
    profile.trappedRook = -170;
    profile.pinnedQueen = -50;
    profile.earlyQueenMove = -40;
    profile.trappedQueen = -300;
    profile.attackKingOpen = 1;
    profile.attackKingMid = 3;
    profile.attackKingEnd = 5;
    profile.exposedKing = -4;
    profile.castled = 30;
    profile.trappedKing = -10;
    profile.kingMoved = -10;
    profile.kingOpenFile = -25; // kept for completeness; no term applies it
    profile.kingDefend = 6;
    profile.kingSquared = 50;
    profile.pawnDefenders = -5;
    profile.earlyCapture = -20;
    profile.unableToMove = -8;
    profile.unprotected = -10;
}

// Piece-square value of a pawn (either pawn code) or a knight..king of colour c on square s in
// the current phase; Black reads White's layout at the mirrored square.
int32_t pieceSquareValue(int c, int piece, int s) {
    ASSERT(s >= 0 && s < 64);
    ASSERT(gameState >= 0 && gameState <= 2);
    int sq = c == WHITE ? s : flip[s];
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
