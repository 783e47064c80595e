// Transposition tables: probing, recording and the hash move for the move generator.
#include "search/tt.h"

#include "board/engine_state.h"
#include "board/setup.h"
#include "board/tableclear.h"
#include "movegen/movegen.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Field layout of an entry.
constexpr uint16_t RDF_FROM_MASK = 0x003F; // bits 0..5: from square of the best move
constexpr int RDF_HASHDEPTH_SHIFT = 6;     // bits 6..10: nominal depth when stored
constexpr int RDF_DRAFT_SHIFT = 11;        // bits 11..15: nominal depth - ply when stored
constexpr uint8_t BTP_TO_MASK = 0x3F;      // bits 0..5: to square of the best move
constexpr uint8_t HF_ESTIMATE = 0x80;      // the stored static score is an estimate
constexpr uint8_t HF_MAIN_SEARCH = 0x40;   // made by the main search (not quiescence)
constexpr int HF_BOUND_SHIFT = 4;          // bits 4..5: bound kind of the search result
constexpr uint8_t HF_STACK_BITS = 0x0F;    // the position's stackFlags 0x01..0x08
constexpr int16_t MATE_BOUND = 9959;       // beyond this a score is a mate score
constexpr int16_t MATE_SCORE = 10000;      // mated at the root; one less per ply
// The bound kinds of a search result: the exact score, an upper bound (no move reached
// alpha), a lower bound (a move reached beta), or none (the entry holds static facts only).
constexpr int BOUND_EXACT = 0, BOUND_UPPER = 1, BOUND_LOWER = 2, BOUND_NONE = 3;
// A checkmate or stalemate is the same at every depth.
constexpr int TERMINAL_DRAFT = 31;

tag_hash *store, *collstore;
uint32_t storeSize, collstoreSize;
int32_t hashMegabytes = HASH_MB_DEFAULT;
alignas(LARGE_PAGE) tag_hash nullstore[NULLSTORE_SIZE], nullcoll[NULLCOLL_SIZE];
const tag_hash temp_store = {}; // lock 0 marks a slot empty
// The tables are zero, that is empty, when they are made; until something is recorded there
// is nothing to clear, so a start or a game that never searches never touches their memory.
// Each table keeps a map of the lines written since it was last emptied, so that a clear
// zeroes only those: every line holding a non-empty entry is marked. The maps of the main
// pair share its mapping, behind the two tables, so they always match the tables' sizes.
static bool tablesWritten = false;
static_assert(TABLE_LINE % sizeof(tag_hash) == 0, "an entry must not straddle two lines");
static uint64_t *storeWritten, *collstoreWritten;
static uint64_t nullstoreWritten[writtenMapWords(sizeof nullstore)],
    nullcollWritten[writtenMapWords(sizeof nullcoll)];
static void *mainMapping; // store, collstore and their two maps, mainMappingBytes long
static size_t mainMappingBytes;
// Whether warmHashTables has touched the fixed tables, and the main pair as now mapped.
static bool fixedTablesWarm, mainTablesWarm;
int8_t scoreType;
uint8_t hashAge;

// ---------------------------------------------------------------------------
// Entry helpers
// ---------------------------------------------------------------------------

// A mate score counts plies from the root, but one position is reached at different plies.
// An entry keeps a mate as counted from its own position (10000 - plies to the mate), and
// every reader gets it back counted from the root of the current search at its own ply.
static bool isMateScore(int32_t v) {
    return (v > MATE_BOUND && v <= MATE_SCORE) || (v < -MATE_BOUND && v >= -MATE_SCORE);
}
static int16_t mateFromNode(int16_t v) {
    if (!isMateScore(v))
        return v;
    return (int16_t)std::clamp(v > 0 ? v + ply : v - ply, -(int)MATE_SCORE, (int)MATE_SCORE);
}
static int16_t mateFromRoot(int16_t v) {
    if (!isMateScore(v))
        return v;
    return (int16_t)(v > 0 ? v - ply : v + ply);
}
struct tablePair {
    tag_hash *primary;
    uint32_t primarySize;
    tag_hash *collision;
    uint32_t collisionSize;
};

// A null-move test searches positions that cannot arise in a game (the same side moved
// twice), so its results live in their own pair of tables.
static tablePair currentTables() {
    if (searchFlags & SF_NULL_SEARCH)
        return {nullstore, NULLSTORE_SIZE, nullcoll, NULLCOLL_SIZE};
    return {store, storeSize, collstore, collstoreSize};
}

// Marks the line of an entry about to be written in its table's map.
static void markEntryWritten(const tag_hash &e) {
    const tag_hash *p = &e;
    if (p >= store && p < store + storeSize)
        markWritten(storeWritten, (size_t)(p - store) * sizeof(tag_hash));
    else if (p >= collstore && p < collstore + collstoreSize)
        markWritten(collstoreWritten, (size_t)(p - collstore) * sizeof(tag_hash));
    else if (p >= nullstore && p < nullstore + NULLSTORE_SIZE)
        markWritten(nullstoreWritten, (size_t)(p - nullstore) * sizeof(tag_hash));
    else
        markWritten(nullcollWritten, (size_t)(p - nullcoll) * sizeof(tag_hash));
}

// The slot of a key: the key modulo the table size. The sizes are powers of two, so that is
// the key's low bits (a division here would cost more than the rest of the probe).
static_assert((STORE_SIZE & (STORE_SIZE - 1)) == 0 &&
                  (STORE_SIZE_LEAST & (STORE_SIZE_LEAST - 1)) == 0 &&
                  (NULLSTORE_SIZE & (NULLSTORE_SIZE - 1)) == 0 &&
                  (NULLCOLL_SIZE & (NULLCOLL_SIZE - 1)) == 0,
              "table sizes are powers of two");
static uint32_t slotIndex(uint64_t key, uint32_t size) { return (uint32_t)(key & (size - 1)); }

static tag_hash &slotOf(tag_hash *table, uint32_t size) {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    return table[slotIndex(hash[ply], size)];
}

static int boundOf(const tag_hash &e) { return (e.hashFlags >> HF_BOUND_SHIFT) & 3; }
static int draftOf(const tag_hash &e) { return e.remainingDepthFrom >> RDF_DRAFT_SHIFT; }
static bool hasBestMove(const tag_hash &e) {
    return (e.remainingDepthFrom & RDF_FROM_MASK) + (e.bToPromoted & BTP_TO_MASK) != 0;
}
static bool isMainSearchEntry(const tag_hash &e) { return (e.hashFlags & HF_MAIN_SEARCH) != 0; }
static bool isEmpty(const tag_hash &e) { return e.lock == 0; }
static uint32_t lockOf(int p) { return (uint32_t)hashlock[p]; }
static bool isThisPosition(const tag_hash &e) { return e.lock == lockOf(ply); }
static bool hasResult(const tag_hash &e) { return boundOf(e) != BOUND_NONE; }
static bool isCurrent(const tag_hash &e) { return e.age == hashAge; }

// Copies what the entry knows about the position into the node's record (a found entry is
// worth its cached static score and threat summary even when its search score is useless).
static void copyEntryToNode(const tag_hash &e) {
    move_tag &rec = moveStack[ply];
    rec.exactScored = mateFromRoot(e.scored);
    rec.threatenedPiece = (int8_t)(e.threatHang >> 4);
    rec.hangingPiece = (int8_t)(e.threatHang & 15);
    rec.stackFlags = (uint8_t)((rec.stackFlags & ~HF_STACK_BITS) | (e.hashFlags & HF_STACK_BITS));
    scoreType = (e.hashFlags & HF_ESTIMATE) ? 1 : 0;
}

// The answer a found entry gives for the caller's window (the caller negates it; the entry
// speaks for the child, whose window is -beta..-alpha): an exact score always, a lower bound
// only when it fails the child high (the caller's move reaches no more than alpha), an upper
// bound only when it fails the child low (the caller's move reaches beta); else nothing.
static int16_t answerByBound(const tag_hash &e, int16_t alpha, int16_t beta) {
    const int16_t v = mateFromRoot(e.value);
    switch (boundOf(e)) {
    case BOUND_EXACT:
        if (hasBestMove(e))
            moveStack[ply].stackFlags |= ST_HASH_MOVE;
        return v;
    case BOUND_LOWER:
        return (int32_t)v >= -(int32_t)alpha ? v : HASH_UNUSABLE;
    case BOUND_UPPER:
        return (int32_t)v <= -(int32_t)beta ? v : HASH_UNUSABLE;
    default:
        return HASH_UNUSABLE;
    }
}

// The entry of the position at ply in the table pair: the primary slot, else the collision
// slot; nullptr when neither holds it.
static const tag_hash *findEntry(const tablePair &t) {
    const tag_hash *e = &slotOf(t.primary, t.primarySize);
    if (!isEmpty(*e) && isThisPosition(*e))
        return e;
    e = &slotOf(t.collision, t.collisionSize);
    return !isEmpty(*e) && isThisPosition(*e) ? e : nullptr;
}

// Every probe starts from "nothing known": no hash move, nothing found, quiescence needed.
static void startProbe() {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    moveStack[ply].stackFlags &= (uint8_t)~ST_HASH_MOVE;
    moveStack[ply].hashMove = 0;
    scoreType = 2;
    searchFlags |= SF_NEED_QUIESCE;
}

static int16_t noEntry() {
    moveStack[ply].exactScored = HASH_NO_ENTRY;
    return HASH_NO_ENTRY;
}

// The depth fields hold five bits each; a value outside 0..31 is clamped rather than
// allowed to spill into the neighbouring field.
static uint16_t packDepthFrom(int hashDepth, int from) {
    const int draft = std::clamp(hashDepth - (int)ply, 0, 31);
    const int nominal = std::clamp(hashDepth, 0, 31);
    return (uint16_t)((draft << RDF_DRAFT_SHIFT) | (nominal << RDF_HASHDEPTH_SHIFT) |
                      (from & RDF_FROM_MASK));
}

static uint8_t packThreatHang() {
    const move_tag &rec = moveStack[ply];
    return (uint8_t)(((rec.threatenedPiece & 15) << 4) | (rec.hangingPiece & 15));
}

// The score the node record takes from an entry: the static score a static record stores,
// or the exact search score; a bound is no score of the position, so a bound record keeps
// the node's static score (or, when the node has none, the bound itself).
static int16_t recordScore(int16_t value, int bound) {
    const int16_t stat = moveStack[ply].exactScored;
    if (bound == BOUND_EXACT || bound == BOUND_NONE || stat == HASH_NO_ENTRY ||
        stat == HASH_UNUSABLE || stat > MATE_BOUND || stat < -MATE_BOUND)
        return value;
    return stat;
}

// Fills an entry for the position at ply.
static void writeEntry(tag_hash &e, int16_t scored, int16_t value, int bound, uint8_t bestType,
                       int bestFrom, uint8_t bestTo, int LEscore, int draft, uint8_t stackBits,
                       bool mainSearch) {
    tablesWritten = true;
    markEntryWritten(e);
    e.lock = lockOf(ply);
    e.scored = mateFromNode(scored);
    e.value = mateFromNode(value);
    e.remainingDepthFrom = packDepthFrom(draft + ply, bestFrom);
    e.threatHang = packThreatHang();
    e.bType = bestType;
    e.bToPromoted = bestTo;
    e.hashFlags = (uint8_t)((stackBits & HF_STACK_BITS) | ((LEscore & 1) << 7) |
                            (mainSearch ? HF_MAIN_SEARCH : 0) | ((bound & 3) << HF_BOUND_SHIFT));
    e.age = hashAge;
}

// A position that repeats inside the tree is marked, so that its entry can later be
// replaced by a shallower but repetition-free result.
static void markTreeRepeat() {
    if (moveStack[ply].stackFlags & ST_TREE_REPEAT)
        moveStack[ply].stackFlags |= ST_HASH_STORED;
}

// The slot a search result of the position at ply goes to. The primary slot keeps the most
// valuable entry: this position's, an empty or stale one, or one searched no deeper; anything
// else goes to the collision slot, which always takes the newest result. A main-search entry
// never gives way to a quiescence one.
static tag_hash *resultSlot(const tablePair &t, int draft, bool mainSearch) {
    tag_hash *p = &slotOf(t.primary, t.primarySize);
    tag_hash *c = &slotOf(t.collision, t.collisionSize);
    if (isThisPosition(*c) && !isThisPosition(*p))
        return c;
    if (isEmpty(*p) || isThisPosition(*p) || !isCurrent(*p))
        return p;
    if (isMainSearchEntry(*p) == mainSearch && draftOf(*p) <= draft)
        return p;
    if (!mainSearch && isMainSearchEntry(*c) && isCurrent(*c))
        return nullptr;
    return c;
}

// Stores a search result (or, with BOUND_NONE, static facts only) of the position at ply.
// One entry holds one result: draft, bound kind and score are written together. A result
// of this search does not give way to a shallower one of the same position, but lends it its
// best move when it has none; static facts never displace a result.
static void storeResult(int16_t value, int bound, uint8_t bestType, int bestFrom, uint8_t bestTo,
                        int LEscore, int draft, uint8_t stackBits, bool mainSearch) {
    const tablePair t = currentTables();
    draft = std::clamp(draft, 0, 31);
    tag_hash *e = resultSlot(t, draft, mainSearch);
    if (!e)
        return;
    if (isThisPosition(*e) && hasResult(*e)) {
        const bool keep =
            isCurrent(*e) && ((isMainSearchEntry(*e) && !mainSearch) ||
                              (isMainSearchEntry(*e) == mainSearch && draftOf(*e) > draft &&
                               !(e->hashFlags & ST_HASH_STORED)));
        if (bound == BOUND_NONE || keep) {
            if (bound != BOUND_NONE && !hasBestMove(*e) && (bestFrom > 0 || bestTo != 0)) {
                markEntryWritten(*e);
                e->remainingDepthFrom = (uint16_t)((e->remainingDepthFrom & ~RDF_FROM_MASK) |
                                                   (bestFrom & RDF_FROM_MASK));
                e->bToPromoted = bestTo;
                e->bType = bestType;
            }
            return;
        }
    }
    writeEntry(*e, recordScore(value, bound), value, bound, bestType, bestFrom, bestTo, LEscore,
               draft, stackBits, mainSearch);
}

// Maps a main pair of `size` entries with its maps, all zero (empty), and advises large
// pages before anything touches it. The old pair stays in use when the system refuses.
static bool mapMainTables(uint32_t size) {
    const uint32_t coll = size / 8;
    const size_t storeBytes = (size_t)size * sizeof(tag_hash);
    const size_t collBytes = (size_t)coll * sizeof(tag_hash);
    const size_t bytes =
        storeBytes + collBytes + (writtenMapWords(storeBytes) + writtenMapWords(collBytes)) * 8;
    char *base = static_cast<char *>(mapTableMemory(bytes));
    if (!base)
        return false;
    adviseLargePages(base, storeBytes + collBytes);
    unmapTableMemory(mainMapping, mainMappingBytes);
    mainMapping = base;
    mainMappingBytes = bytes;
    store = reinterpret_cast<tag_hash *>(base);
    collstore = reinterpret_cast<tag_hash *>(base + storeBytes);
    storeWritten = reinterpret_cast<uint64_t *>(base + storeBytes + collBytes);
    collstoreWritten = storeWritten + writtenMapWords(storeBytes);
    storeSize = size;
    collstoreSize = coll;
    mainTablesWarm = false;
    return true;
}

// The main pair of the default size exists from the program's load, so that every routine
// (and every test) finds tables; mapping costs address space only until a page is written.
static bool mapDefaultTables() {
    if (mapMainTables(STORE_SIZE))
        return true;
    std::fprintf(stderr, "The system refused the memory of the hash tables.\n");
    std::abort();
}
[[maybe_unused]] static const bool defaultTablesMapped = mapDefaultTables();

// ---------------------------------------------------------------------------
// Public routines
// ---------------------------------------------------------------------------
bool resizeHashTables(int32_t megabytes) {
    megabytes = std::clamp(megabytes, HASH_MB_LEAST, HASH_MB_MOST);
    const uint32_t size = storeSizeFor(megabytes);
    if (size != storeSize && !mapMainTables(size))
        return false;
    hashMegabytes = megabytes;
    return true;
}

void warmHashTables() {
    // Once the memory is backed there is nothing to do: a GUI may ask (UCI "isready") before
    // every search, and what the game's searches learnt must stay.
    if (mainTablesWarm && fixedTablesWarm)
        return;
    clearHashTables();
    // Zeroing every line makes the system back each page now, before any clock runs: a first
    // search that touched the pages itself would spend its first moves doing so.
    if (!mainTablesWarm) {
        std::memset(store, 0, (size_t)storeSize * sizeof(tag_hash));
        std::memset(collstore, 0, (size_t)collstoreSize * sizeof(tag_hash));
        mainTablesWarm = true;
    }
    if (!fixedTablesWarm) {
        std::memset(nullstore, 0, sizeof nullstore);
        std::memset(nullcoll, 0, sizeof nullcoll);
        fixedTablesWarm = true;
    }
}

void clearHashTables() {
    // The first clear comes while a game is set up, before any search has touched the tables.
    static bool advised = false;
    if (!advised) {
        adviseLargePages(nullstore, sizeof nullstore);
        adviseLargePages(nullcoll, sizeof nullcoll);
        advised = true;
    }
    if (!tablesWritten)
        return;
    clearWrittenLines(store, (size_t)storeSize * sizeof(tag_hash), storeWritten);
    clearWrittenLines(collstore, (size_t)collstoreSize * sizeof(tag_hash), collstoreWritten);
    clearWrittenLines(nullstore, sizeof nullstore, nullstoreWritten);
    clearWrittenLines(nullcoll, sizeof nullcoll, nullcollWritten);
    tablesWritten = false;
}

// A knight promotion stores 0 in the promotion bits, so it reads back as no promotion and
// never matches a generated move: a known blind spot of the compact entry.
bool lookupHashMove(int8_t &from, int8_t &to, int8_t &promote) {
    const tag_hash *e = findEntry(currentTables());
    if (!e || !hasBestMove(*e))
        return false;
    from = (int8_t)(e->remainingDepthFrom & RDF_FROM_MASK);
    to = (int8_t)(e->bToPromoted & BTP_TO_MASK);
    const int promoBits = e->bToPromoted >> 6;
    promote = (int8_t)(promoBits ? promoBits + 2 : 0);
    return true;
}

// Probe for the main search. Any found entry lends the node its static facts. A main-search
// result answers at any depth when it was searched at least as deep as the node needs and
// its bound decides the window; a quiescence result answers only at the horizon. An answer
// clears SF_NEED_QUIESCE: it replaces the search (or the quiescence) of the position.
int16_t probeHashAB(int16_t alpha, int16_t beta, int8_t abDepth, int8_t hashDepth) {
    startProbe();
    const tablePair t = currentTables();
    const tag_hash *e = findEntry(t);
    if (!e)
        return noEntry();
    copyEntryToNode(*e);
    if (!hasResult(*e))
        return HASH_UNUSABLE;
    if (!isMainSearchEntry(*e) && (abDepth != 0 || scoreType != 0))
        return HASH_UNUSABLE;
    if (isMainSearchEntry(*e) && draftOf(*e) < hashDepth - ply)
        return HASH_UNUSABLE;
    const int16_t r = answerByBound(*e, alpha, beta);
    if (r != HASH_UNUSABLE)
        searchFlags &= (uint8_t)~SF_NEED_QUIESCE;
    return r;
}

// Probe for the quiescence search: only quiescence results answer, at any depth; any entry
// of the position lends its static facts.
int16_t probeHashQS(int16_t alpha, int16_t beta) {
    startProbe();
    const tablePair t = currentTables();
    const tag_hash *e = findEntry(t);
    if (!e)
        return noEntry();
    copyEntryToNode(*e);
    if (isMainSearchEntry(*e) || !hasResult(*e))
        return HASH_UNUSABLE;
    const int16_t r = answerByBound(*e, alpha, beta);
    if (r != HASH_UNUSABLE)
        searchFlags &= (uint8_t)~SF_NEED_QUIESCE;
    return r;
}

// Probe used to follow the principal variation past the horizon: only exact entries of the
// primary main table with a best move count. An absent entry leaves -9900 as the node's
// static score so that the caller knows it has none.
int16_t probePVline() {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    moveStack[ply].stackFlags &= (uint8_t)~ST_HASH_MOVE;
    moveStack[ply].hashMove = 0;
    const tag_hash &e = store[slotIndex(hash[ply], storeSize)];
    if (isEmpty(e) || !isThisPosition(e))
        return noEntry();
    moveStack[ply].exactScored = mateFromRoot(e.scored);
    searchFlags &= (uint8_t)~SF_NEED_QUIESCE;
    if (boundOf(e) != BOUND_EXACT || !hasBestMove(e))
        return HASH_NO_ENTRY;
    moveStack[ply].stackFlags |= ST_HASH_MOVE;
    return mateFromRoot(e.value);
}

// Stores a main-search result: bound 0 exact, 1 upper (alpha never raised), 2 lower (a
// cut-off by the best move given).
void recordHashAB(int16_t abValue, uint8_t bestType, int8_t bestFrom, uint8_t bestTo,
                  int8_t hashFlag, int8_t LEscore, int8_t hashDepth) {
    markTreeRepeat();
    storeResult(abValue, hashFlag & 3, bestType, bestFrom, bestTo, LEscore, hashDepth - ply,
                moveStack[ply].stackFlags, true);
}

// Stores what the main search knows of a position without searching it: its static score
// (RECORD_STATIC), a quiescence result at the horizon (RECORD_RESULT) or a checkmate or
// stalemate (RECORD_TERMINAL).
void recordHashExactAB(int16_t exValue, int8_t kind, int8_t LEscore, int8_t hashDepth) {
    const uint8_t stackBits = moveStack[ply].stackFlags & 0x0D;
    if (kind == RECORD_STATIC) {
        storeResult(exValue, BOUND_NONE, 0, 0, 0, LEscore, 0, stackBits, true);
        return;
    }
    // A result below the horizon is a quiescence result: it holds at remaining depth 0 only
    // (hashDepth is the deepest ply of the quiescence line, no depth of this position).
    (void)hashDepth;
    const int draft = kind == RECORD_TERMINAL ? TERMINAL_DRAFT : 0;
    storeResult(exValue, BOUND_EXACT, 0, 0, 0, LEscore, draft, stackBits, true);
}

void recordHashQS(int16_t exValue, uint8_t bestType, int8_t bestFrom, uint8_t bestTo,
                  int8_t hashFlag, int8_t LEscore, int8_t hashDepth) {
    markTreeRepeat();
    storeResult(exValue, hashFlag & 3, bestType, bestFrom, bestTo, LEscore, hashDepth - ply,
                moveStack[ply].stackFlags, false);
}

void recordHashExactQS(int16_t exValue, int8_t kind, int8_t LEscore, int8_t hashDepth) {
    const uint8_t stackBits = moveStack[ply].stackFlags & 0x0D;
    if (kind == RECORD_STATIC) {
        storeResult(exValue, BOUND_NONE, 0, 0, 0, LEscore, 0, stackBits, false);
        return;
    }
    const int draft = kind == RECORD_TERMINAL ? TERMINAL_DRAFT : hashDepth - ply;
    storeResult(exValue, BOUND_EXACT, 0, 0, 0, LEscore, draft, stackBits, false);
}

void ageHashTables() { hashAge = (uint8_t)(hashAge + 1); }

void prefetchHashSlots(int8_t p) {
    ASSERT(p >= 0 && p < MAX_PLY);
    const tablePair t = currentTables();
    __builtin_prefetch(&t.primary[slotIndex(hash[p], t.primarySize)]);
    __builtin_prefetch(&t.collision[slotIndex(hash[p], t.collisionSize)]);
}

void prefetchChildSlots(const move_list &m) {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    ASSERT(m.from >= 0 && m.from < 64 && m.to >= 0 && m.to < 64);
    ASSERT(m.moved >= WPAWN && m.moved <= KING);
    // The child's key as far as the move itself decides it: the side to move, the expiring en
    // passant chance, the mover and a piece taken on its destination. A castling rook, a new
    // en passant chance or a promotion make the guess miss, which only wastes one fetch.
    const int c = whiteToMove() ? WHITE : BLACK;
    uint64_t key =
        hash[ply] ^ hashblack ^ hash_piece[c][m.moved][m.from] ^ hash_piece[c][m.moved][m.to];
    if (moveStack[ply].enPassant != NO_SQUARE)
        key ^= hashep[moveStack[ply].enPassant];
    if ((m.type & MT_CAPTURE) && !(m.type & MT_EN_PASSANT) && m.captured < KING)
        key ^= hash_piece[c ^ 1][m.captured][m.to];
    const tablePair t = currentTables();
    __builtin_prefetch(&t.primary[slotIndex(key, t.primarySize)]);
    __builtin_prefetch(&t.collision[slotIndex(key, t.collisionSize)]);
}

void generateSearchMoves(int8_t gen, int8_t inQS) {
    hashMoveHint &h = orderingHashMove;
    h.found = lookupHashMove(h.from, h.to, h.promote);
    movgen(gen, inQS);
}
