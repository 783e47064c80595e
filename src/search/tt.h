// Transposition tables: two for the main search, two for the null-move test.
#pragma once

#include "board/board.h"

constexpr uint32_t STORE_SIZE = 4194304, COLLSTORE_SIZE = 524288, NULLSTORE_SIZE = 2097152,
                   NULLCOLL_SIZE = 262144;
constexpr int16_t HASH_NO_ENTRY = -9900, HASH_UNUSABLE = -9899;

extern tag_hash store[STORE_SIZE], collstore[COLLSTORE_SIZE], nullstore[NULLSTORE_SIZE],
    nullcoll[NULLCOLL_SIZE];
extern const tag_hash temp_store; // the empty entry
extern int8_t scoreType;          // 0 exact static score, 1 estimated, 2 nothing found
extern uint8_t hashAge;           // the search under way, as the entries it writes record it

// What a record without a search stores: the position's static score only (it answers no
// probe), a result of the position that holds at the draft given (a quiescence result at
// the horizon), or a checkmate or stalemate, which holds at every depth.
constexpr int8_t RECORD_STATIC = 3, RECORD_RESULT = 0, RECORD_TERMINAL = 1;

// Starts fetching the table slots the position at ply p will probe, so that the memory access
// overlaps the work done before the probe.
void prefetchHashSlots(int8_t p);
// The same for the child of move m of the position at ply, before the move is made: the key
// is guessed from the move.
void prefetchChildSlots(const move_list &m);
// Empties all four tables (nothing to do while nothing has been recorded since the last clear).
void clearHashTables();
// Empties the tables and, the first time, touches all of their memory, so that the system
// backs it before a clock runs; called while a game is being set up, never at start-up.
void warmHashTables();
// Best move stored for the position at ply (primary table, then collision table; the null
// tables while SF_NULL_SEARCH). Returns false when none; promote is 0 or 2..5.
bool lookupHashMove(int8_t &from, int8_t &to, int8_t &promote);

// movgen for the position at ply with the table's best move handed to the generator, which
// orders it first.
void generateSearchMoves(int8_t gen, int8_t inQS);

int16_t probeHashAB(int16_t alpha, int16_t beta, int8_t abDepth, int8_t hashDepth);
int16_t probeHashQS(int16_t alpha, int16_t beta);
int16_t probePVline();
void recordHashAB(int16_t abValue, uint8_t bestType, int8_t bestFrom, uint8_t bestTo,
                  int8_t hashFlag, int8_t LEscore, int8_t hashDepth);
void recordHashQS(int16_t exValue, uint8_t bestType, int8_t bestFrom, uint8_t bestTo,
                  int8_t hashFlag, int8_t LEscore, int8_t hashDepth);
void recordHashExactAB(int16_t exValue, int8_t kind, int8_t LEscore, int8_t hashDepth);
void recordHashExactQS(int16_t exValue, int8_t kind, int8_t LEscore, int8_t hashDepth);
// A new search begins: what earlier searches stored stays usable but gives way first.
void ageHashTables();
