// The per-ply position stack, the game record and the colour-parameterised accessors.
#include "board/board.h"

int8_t ply;
bboard boards[MAX_PLY];
tag_sq squares[MAX_PLY];
trak tracker[MAX_PLY];
move_tag moveStack[MAX_PLY];
uint64_t hash[MAX_PLY], hashlock[MAX_PLY], pnhash[MAX_PLY], pnlock[MAX_PLY];
int32_t LEwh[MAX_PLY], LEbl[MAX_PLY];
uint8_t depthFlags[MAX_PLY];
int8_t captureSequence[MAX_PLY];
move_list searchData[MAX_PLY][MAX_MOVES];
int16_t mvstore[MAX_PLY + 1];
int16_t generated[MAX_PLY];

int32_t allmoves;
int32_t moveStart;
int32_t histBase;
game_hist history[GAME_RECORD];
draw_search drawSearch[GAME_RECORD];
int8_t histline[HISTLINE_SIZE];
int32_t histcount;
move_info mvinfo[MAX_MOVES];
move_tag mvrules[MAX_MOVES];
INFO mvInfoChoice;
move_tag mvRuleChoice;
int8_t gameState;
int8_t lastMovedTo;
bboard sideBoards;
tag_sq savedSquares, movedSquares;
uint64_t nodes;
move_list currentline[MAX_PLY];

evaluator seeWhite, seeBlack;
STATUS pieceStatus;
int32_t seeBoardPawn[PAWN_SLOTS][64], seeBoardKnight[KNIGHT_SLOTS][64],
    seeBoardBishop[BISHOP_SLOTS][64], seeBoardRook[ROOK_SLOTS][64], seeBoardQueen[QUEEN_SLOTS][64];
