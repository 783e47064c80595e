// Constant evaluation tables: mobility, passed-pawn and hanging values, and the default
// evaluation weights.
#include "eval/eval.h"

// clang-format off

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

// The hand-tuned default weights.
static PROFILE defaultProfile() {
    PROFILE w = {};
    w.eightPawnOpen = -4;
    w.eightPawnMid = -10;
    w.eightPawnEnd = -13;
    w.backwardPawnOpen = -8;
    w.backwardPawnMid = -11;
    w.backwardPawnEnd = -15;
    w.doubledPawnOpen = -8;
    w.doubledPawnMid = -11;
    w.doubledPawnEnd = -15;
    w.trebledPawn = -25; // kept for completeness; no term applies it
    w.connectedPassPawn = 5;
    w.protectPassedPawn = 3;
    w.connectedPawnOpen = 2;
    w.connectedPawnMid = 2;
    w.connectedPawnEnd = 1;
    w.blockedPawnOpen = -5;
    w.blockedPawnMid = -8;
    w.blockedPawnEnd = -15;
    w.pawnChain = 2;
    w.pawnBaseAttack = 0;
    w.weakPawnAttack = 3;
    w.farPawnOpen = 1;
    w.farPawnMid = 4;
    w.farPawnAdvance = 1;
    w.earlyWingPawn = -9;
    w.blockedCentrePawn = -48;
    w.earlyDevelop = -6;
    w.earlyMinorRepeat = 15;
    w.knightCountOpen = 1;
    w.knightCountMid = 8;
    w.knightCountEnd = 10;
    w.knightOnRim = -25;
    w.hungPiece = 10; // divisor of the hanging value
    w.trappedKnight = -103;
    w.pinnedKnight = -14;
    w.bishopCountOpen = 4;
    w.bishopCountMid = 15;
    w.bishopCountEnd = 18;
    w.trappedBishop = -105;
    w.fianchettoBishop = 8;
    w.pinnedBishop = -16;
    w.rookCountMid = 2;
    w.rookCountEnd = 6;
    w.rookOpenFile = 2;
    w.rookBehindPP = 6;
    w.rookInFrontPP = -10;
    w.rookConnected = 15;
    w.rookMoved = -10;
    w.rookSeventh = 30;
    w.corneredRook = -25;
    w.pinnedRook = -24;
    w.trappedRook = -170;
    w.pinnedQueen = -50;
    w.earlyQueenMove = -40;
    w.trappedQueen = -300;
    w.attackKingOpen = 1;
    w.attackKingMid = 3;
    w.attackKingEnd = 5;
    w.exposedKing = -4;
    w.castled = 30;
    w.trappedKing = -10;
    w.kingMoved = -10;
    w.kingOpenFile = -25; // kept for completeness; no term applies it
    w.kingDefend = 6;
    w.kingSquared = 50;
    w.pawnDefenders = -5;
    w.earlyCapture = -20;
    w.unableToMove = -8;
    w.unprotected = -10;
    return w;
}

PROFILE profile = defaultProfile();
