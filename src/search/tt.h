// Transposition tables: two for the main search, two for the null-move test.
#pragma once

#include "board/board.h"
#include "eval/eval.h"

// Entries of the tables. The main table and its collision table can be resized (the
// collision table always holds an eighth of the main table's entries); STORE_SIZE and
// COLLSTORE_SIZE are their sizes until a GUI asks for another. The null-move pair is fixed.
constexpr uint32_t STORE_SIZE = 4194304, COLLSTORE_SIZE = STORE_SIZE / 8, NULLSTORE_SIZE = 2097152,
                   NULLCOLL_SIZE = 262144;
constexpr uint32_t STORE_SIZE_LEAST = 65536; // 1 MB: below this the main table is all collisions
constexpr int16_t HASH_NO_ENTRY = -9900, HASH_UNUSABLE = -9899;

// Memory a GUI grants counts all hash tables together, in megabytes: the null-move pair and
// the pawn hash keep their sizes and the rest goes to the main pair.
constexpr int64_t HASH_MB = 1024 * 1024;
constexpr int64_t FIXED_HASH_BYTES = (int64_t)(NULLSTORE_SIZE + NULLCOLL_SIZE) * sizeof(tag_hash) +
                                     (int64_t)PAWN_HASH_SIZE * sizeof(tag_pnhash);
constexpr int32_t HASH_MB_DEFAULT =
    (int32_t)((FIXED_HASH_BYTES + (int64_t)(STORE_SIZE + COLLSTORE_SIZE) * sizeof(tag_hash)) /
              HASH_MB);
// At about half a million nodes a second one thread fills the largest main table (2^25
// entries, 512 MB, from 1 GB granted) only after a minute or more of thought: more memory would
// lie idle, while its warm-up costs time at every new game.
constexpr int32_t HASH_MB_LEAST = 1, HASH_MB_MOST = 1024;

extern tag_hash *store, *collstore; // the main pair, storeSize and collstoreSize entries
extern uint32_t storeSize, collstoreSize;
extern int32_t hashMegabytes; // the memory the main pair was last sized for
extern tag_hash nullstore[NULLSTORE_SIZE], nullcoll[NULLCOLL_SIZE];
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
// Touches all of the tables' memory the first time (and after a resize), so that the system
// backs it before a clock runs; later calls keep the tables as they are. Called while a game
// is being set up, never at start-up; a new game empties the tables on its own.
void warmHashTables();
// Main-table entries for `megabytes` of all tables together: the largest power of two whose
// pair (9/8 of its entries) fits beside the fixed tables, never fewer than STORE_SIZE_LEAST.
constexpr uint32_t storeSizeFor(int32_t megabytes) {
    const int64_t bytes = (int64_t)megabytes * HASH_MB - FIXED_HASH_BYTES;
    uint32_t size = STORE_SIZE_LEAST;
    while ((int64_t)size * 2 * 9 / 8 * (int64_t)sizeof(tag_hash) <= bytes && size < (1u << 30))
        size *= 2;
    return size;
}
static_assert(storeSizeFor(HASH_MB_DEFAULT) == STORE_SIZE, "the default memory is today's tables");
// Sizes the main pair for `megabytes` (HASH_MB_LEAST..HASH_MB_MOST) of all tables together.
// A new size gets new, empty tables, whose memory is touched by the next warmHashTables; the
// same size keeps the tables as they are. False, with the old tables kept, when the system
// refuses the memory. Never called while a search runs.
bool resizeHashTables(int32_t megabytes);
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
