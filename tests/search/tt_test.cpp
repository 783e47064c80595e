// Transposition tables: what a probe answers and which record survives in which slot.
#include "search/tt.h"

#include "control/control.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {

constexpr int16_t WIDE = 10001;

// A node at `p` whose keys are chosen by the test, so that slot sharing is under control.
void usePosition(int p, uint64_t key, uint64_t lock) {
    ply = (int8_t)p;
    hash[p] = key;
    hashlock[p] = lock;
    moveStack[p].stackFlags = moveStack[p].threatenedPiece = moveStack[p].hangingPiece = 0;
    moveStack[p].exactScored = 0;
}

// The hash move of the current node, or {-1, -1, -1} when there is none.
struct HashMove {
    int from, to, promote;
    bool operator==(const HashMove &) const = default;
};
HashMove hashMove() {
    int8_t from, to, promote;
    if (!lookupHashMove(from, to, promote))
        return {-1, -1, -1};
    return {from, to, promote};
}
constexpr HashMove NONE{-1, -1, -1};

class TT : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureSetup();
        searchFlags = 0;
        clearHashTables();
    }
    void TearDown() override { searchFlags = ply = 0; }
};

// A mate is kept counted from the stored position and handed back counted from the root at
// the ply where the position is met again: the plies still to go to the mate stay the same.
TEST_F(TT, StoredMateKeepsItsDistanceFromThePosition) {
    usePosition(3, 4242, 99);
    recordHashAB(9995, 0x10, 12, 28, 0, 0, 8); // exact: mate two plies below ply 3
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 8), 9995);
    EXPECT_TRUE(moveStack[3].stackFlags & ST_HASH_MOVE);
    usePosition(7, 4242, 99);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 8), 9991);
    EXPECT_EQ(moveStack[7].exactScored, 9991); // the cached score is re-counted as well
    usePosition(1, 4242, 99);
    EXPECT_EQ(probePVline(), 9997);
    // The losing side: mated right here, met again two plies nearer the root.
    usePosition(4, 5151, 98);
    recordHashExactQS(-9996, 0, 0, 4);
    usePosition(2, 5151, 98);
    EXPECT_EQ(probeHashQS(-WIDE, WIDE), -9998);
    EXPECT_EQ(moveStack[2].exactScored, -9998);
    // A score that is no mate is kept as it is.
    usePosition(3, 4243, 100);
    recordHashAB(250, 0, 12, 28, 0, 0, 8);
    usePosition(9, 4243, 100);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 8), 250);
}

// A main-search entry answers only when it was searched deep enough for the node, but then
// at any remaining depth (it stands for the search below the node, not only for quiescence);
// even an unusable entry hands over what it knows of the position.
TEST_F(TT, MainEntryNeedsEnoughDraft) {
    usePosition(2, 5000, 31);
    moveStack[2].threatenedPiece = 5;
    moveStack[2].hangingPiece = 11;
    moveStack[2].stackFlags = ST_KING_SAFETY | ST_HANG_FOUND;
    moveStack[2].exactScored = 40;
    recordHashAB(40, 0, 0, 0, 0, 0, 4); // draft 2
    usePosition(2, 5000, 31);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 2, 5), -9899); // needs draft 3
    EXPECT_EQ(moveStack[2].exactScored, 40);
    EXPECT_EQ(moveStack[2].threatenedPiece, 5);
    EXPECT_EQ(moveStack[2].hangingPiece, 11);
    EXPECT_EQ(moveStack[2].stackFlags & 0x0F, ST_KING_SAFETY | ST_HANG_FOUND);
    EXPECT_EQ(scoreType, 0);
    EXPECT_TRUE(searchFlags & SF_NEED_QUIESCE);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 2, 4), 40);
    EXPECT_FALSE(searchFlags & SF_NEED_QUIESCE);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 4), 40);
    EXPECT_FALSE(searchFlags & SF_NEED_QUIESCE);
}

// A static score is a cached fact, never a search result: it answers no probe, not even at
// the horizon, where the position still needs its quiescence search; a checkmate or
// stalemate answers at every depth.
TEST_F(TT, StaticScoresAnswerNoProbe) {
    usePosition(3, 6100, 61);
    recordHashExactAB(55, RECORD_STATIC, 0, 3);
    usePosition(3, 6100, 61);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 3), -9899);
    EXPECT_TRUE(searchFlags & SF_NEED_QUIESCE);
    EXPECT_EQ(moveStack[3].exactScored, 55); // but the static score is handed over
    EXPECT_EQ(scoreType, 0);
    EXPECT_EQ(probeHashQS(-WIDE, WIDE), -9899);
    usePosition(3, 6101, 62);
    recordHashExactAB(-9997, RECORD_TERMINAL, 0, 3); // mated right here
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 6, 20), -9997);
    // A quiescence result stored at the horizon holds at remaining depth 0 only, however
    // deep the quiescence line went.
    usePosition(3, 6102, 63);
    recordHashExactAB(-12, RECORD_RESULT, 0, 12);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 1, 4), -9899);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 3), -12);
}

// A quiescence entry is a horizon answer: the main search uses it only at remaining depth 0
// and only when its static score is exact, never an estimate.
TEST_F(TT, QuiescenceEntryAnswersOnlyAtTheHorizon) {
    usePosition(4, 777777, 4);
    recordHashExactQS(-30, 0, 0, 6);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 1, 6), -9899);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 6), -30);
    EXPECT_FALSE(searchFlags & SF_NEED_QUIESCE);
    EXPECT_EQ(probeHashQS(-WIDE, WIDE), -30);
    usePosition(4, 777778, 5);
    recordHashExactQS(-30, 0, 1, 6); // an estimated static score
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 6), -9899);
    EXPECT_EQ(scoreType, 1);
}

// A bound answers only when it decides the caller's window (the entry speaks for the child,
// the caller for its parent), and the node record keeps the position's static score.
TEST_F(TT, BoundsAnswerOnlyWhenTheyDecideTheWindow) {
    usePosition(1, 8888, 8);
    moveStack[1].exactScored = 35;
    recordHashAB(200, 0, 0, 0, 2, 0, 3); // the child failed high: it scores at least 200
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 2, 3), -9899);
    EXPECT_EQ(moveStack[1].exactScored, 35);
    EXPECT_EQ(probeHashAB(-300, WIDE, 2, 3), -9899); // the parent needs the child <= 300
    EXPECT_EQ(probeHashAB(-150, WIDE, 2, 3), 200);   // the parent's move stays below alpha
    usePosition(1, 8889, 9);
    moveStack[1].exactScored = 35;
    recordHashAB(-60, 0, 0, 0, 1, 0, 3); // the child failed low: it scores at most -60
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 2, 3), -9899);
    EXPECT_EQ(probeHashAB(-WIDE, 100, 2, 3), -9899);
    EXPECT_EQ(probeHashAB(-WIDE, 50, 2, 3), -60); // the parent's move reaches beta
    EXPECT_EQ(moveStack[1].exactScored, 35);
}

TEST_F(TT, SecondPositionOfASlotGoesToTheCollisionTable) {
    const uint64_t slot = 1234567;
    usePosition(0, slot, 1);
    recordHashAB(11, 0, 8, 16, 0, 0, 5);
    usePosition(0, slot + STORE_SIZE, 2); // same primary and collision slot, shallower
    recordHashAB(22, 0, 9, 17, 0, 0, 3);
    usePosition(0, slot, 1);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 5), 11);
    usePosition(0, slot + STORE_SIZE, 2);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 3), 22);
    EXPECT_EQ(hashMove(), (HashMove{9, 17, 0}));
    // A third shallow position replaces whatever the collision slot holds; the primary stays.
    usePosition(0, slot + 2 * STORE_SIZE, 3);
    recordHashAB(33, 0, 10, 18, 0, 0, 3);
    usePosition(0, slot + STORE_SIZE, 2);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 3), -9900);
    usePosition(0, slot + 2 * STORE_SIZE, 3);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 3), 33);
    usePosition(0, slot, 1);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 5), 11);
    // A result at least as deep takes the primary slot.
    usePosition(0, slot + 3 * STORE_SIZE, 4);
    recordHashAB(44, 0, 10, 18, 0, 0, 6);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 6), 44);
    usePosition(0, slot, 1);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 5), -9900); // pushed out of the primary slot
}

// One entry holds one result: a shallower result of this search does not overwrite a deeper
// one (draft, bound and score stay together), and lends it only a best move it lacks; a
// deeper result, or any result of a later search, replaces the entry whole.
TEST_F(TT, ShallowerResultKeepsTheDeeperEntryWhole) {
    usePosition(0, 4444, 44);
    recordHashAB(100, 0x01, 0, 0, 0, 0, 8); // exact, draft 8, no best move
    recordHashAB(50, 0x00, 9, 17, 2, 0, 5); // a shallower lower bound with a move
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 8), 100);
    EXPECT_EQ(hashMove(), (HashMove{9, 17, 0}));
    recordHashAB(20, 0, 12, 20, 0, 0, 4); // the entry has a move now: nothing changes
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 8), 100);
    EXPECT_EQ(hashMove().from, 9);
    recordHashAB(70, 0, 10, 18, 1, 0, 9); // deeper: the new upper bound replaces it all
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 9), -9899);
    EXPECT_EQ(probeHashAB(-WIDE, -80, 0, 9), 70);
    EXPECT_EQ(hashMove().from, 10);
    // A position that repeated inside the tree may be replaced by a shallower result.
    moveStack[0].stackFlags = ST_TREE_REPEAT;
    recordHashAB(60, 0, 11, 19, 0, 0, 9);
    moveStack[0].stackFlags = 0;
    recordHashAB(-15, 0, 12, 20, 0, 0, 2);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 2), -15);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 9), -9899);
    // The next search: the old deep entry gives way to a shallow new result.
    recordHashAB(90, 0, 13, 21, 0, 0, 9);
    ageHashTables();
    recordHashAB(-25, 0, 14, 22, 0, 0, 3);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 3), -25);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 9), -9899);
}

// A static score never displaces a search result of the position.
TEST_F(TT, StaticRecordKeepsTheSearchResult) {
    usePosition(0, 3131, 31);
    recordHashAB(90, 0, 8, 16, 0, 0, 6);
    recordHashExactAB(-5, RECORD_STATIC, 0, 7);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 6), 90);
    EXPECT_EQ(hashMove().from, 8);
}

// Quiescence results never push out a main-search entry: they wait in the collision table.
TEST_F(TT, QuiescenceLeavesMainEntriesInPlace) {
    usePosition(5, 6060, 60);
    recordHashAB(80, 0, 8, 16, 0, 0, 9);
    usePosition(5, 6060 + STORE_SIZE, 61);
    recordHashQS(-45, 0, 0, 0, 0, 0, 9);
    usePosition(5, 6060, 60);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 9), 80);
    usePosition(5, 6060 + STORE_SIZE, 61);
    EXPECT_EQ(probeHashQS(-WIDE, WIDE), -45);
    EXPECT_FALSE(searchFlags & SF_NEED_QUIESCE);
    // Nor does a quiescence result of the same position replace its main-search result.
    usePosition(5, 6060, 60);
    recordHashQS(-45, 0, 0, 0, 0, 0, 9);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 9), 80);
}

// The null-move test keeps its positions apart from the game's.
TEST_F(TT, NullMoveSearchUsesItsOwnTables) {
    usePosition(2, 9191, 91);
    searchFlags = SF_NULL_SEARCH;
    recordHashAB(66, 0, 8, 16, 0, 0, 4);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 4), 66);
    searchFlags = 0;
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 4), -9900);
    EXPECT_EQ(hashMove(), NONE);
    clearHashTables();
    searchFlags = SF_NULL_SEARCH;
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 4), -9900);
}

// The promotion piece travels with the hash move (as piece - 2 in two bits).
TEST_F(TT, HashMoveKeepsItsPromotion) {
    usePosition(0, 2021, 21);
    recordHashAB(300, 0x08, 12, 4 + (4 - 2) * 64, 0, 0, 3); // e7-e8=R
    EXPECT_EQ(hashMove(), (HashMove{12, 4, ROOK}));
}

// The principal-variation probe follows only exact entries with a best move.
TEST_F(TT, PrincipalVariationProbeNeedsAnExactMove) {
    usePosition(1, 1111, 11);
    recordHashAB(25, 0, 8, 16, 0, 0, 3);
    EXPECT_EQ(probePVline(), 25);
    EXPECT_TRUE(moveStack[1].stackFlags & ST_HASH_MOVE);
    usePosition(1, 1112, 12);
    moveStack[1].exactScored = 7;
    recordHashAB(25, 0, 8, 16, 2, 0, 3);
    moveStack[1].exactScored = 0;
    EXPECT_EQ(probePVline(), -9900);
    EXPECT_EQ(moveStack[1].exactScored, 7); // the static score is still handed over
    EXPECT_FALSE(moveStack[1].stackFlags & ST_HASH_MOVE);
}

// The memory granted sizes the main pair: the largest power of two of entries that fits
// beside the fixed tables, never below the least size; the default is the built-in size.
TEST_F(TT, GrantedMemorySizesTheMainPair) {
    EXPECT_EQ(storeSizeFor(HASH_MB_DEFAULT), STORE_SIZE);
    EXPECT_EQ(storeSizeFor(HASH_MB_LEAST), STORE_SIZE_LEAST);
    EXPECT_EQ(storeSizeFor(53), STORE_SIZE_LEAST);   // 1 MB left: the least pair, 1.125 MB
    EXPECT_EQ(storeSizeFor(52 + 18), 1u << 20);      // 18 MB hold 2^20 entries and their eighth
    EXPECT_EQ(storeSizeFor(52 + 18 - 1), 1u << 19);  // one megabyte less does not
    EXPECT_EQ(storeSizeFor(HASH_MB_MOST), 1u << 25); // 576 MB of the 972 MB left

    // A new size brings new, empty tables that serve at once, slots taken from the new size;
    // the same size keeps what they hold.
    usePosition(1, 4242, 42);
    recordHashAB(33, 0, 8, 16, 0, 0, 5);
    ASSERT_TRUE(resizeHashTables(16));
    EXPECT_EQ(storeSize, STORE_SIZE_LEAST);
    EXPECT_EQ(collstoreSize, STORE_SIZE_LEAST / 8);
    EXPECT_EQ(hashMegabytes, 16);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 5), -9900);
    const uint64_t wide = 4242 + 5ULL * STORE_SIZE_LEAST; // the same slots in the small pair
    recordHashAB(33, 0, 8, 16, 0, 0, 5);
    usePosition(1, wide, 43);
    recordHashAB(-21, 0, 9, 17, 0, 0, 4); // shallower, so to the collision table
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 4), -21);
    EXPECT_EQ(hashMove(), (HashMove{9, 17, 0}));
    ASSERT_TRUE(resizeHashTables(16));
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 4), -21);
    // A third position of the same slots takes the collision slot over: the pair is small.
    usePosition(1, 4242 + 7ULL * STORE_SIZE_LEAST, 44);
    recordHashAB(7, 0, 10, 18, 0, 0, 3);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 3), 7);
    usePosition(1, wide, 43);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 4), -9900);
    usePosition(1, 4242, 42);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 5), 33);
    warmHashTables(); // touches the new pair and empties it
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 5), -9900);
    ASSERT_TRUE(resizeHashTables(HASH_MB_DEFAULT));
    EXPECT_EQ(storeSize, STORE_SIZE);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 5), -9900);
}

} // namespace

// Clearing empties every table completely, whatever was written where: entries at the ends
// of the tables, both tables of a slot, and the null-move pair.
TEST_F(TT, ClearLeavesEveryTableEmpty) {
    const uint64_t keys[] = {0, 1, 5, STORE_SIZE - 1, 777777, 777777 + STORE_SIZE};
    for (int null = 0; null < 2; null++) {
        searchFlags = null ? SF_NULL_SEARCH : 0;
        for (uint64_t key : keys) {
            usePosition(1, key, key + 100);
            recordHashAB(12, 0, 8, 16, 0, 0, 5);
            recordHashQS(-3, 0, 0, 0, 0, 0, 5);
        }
    }
    searchFlags = 0;
    clearHashTables();
    const auto isZero = [](const tag_hash *table, uint32_t size) {
        for (uint32_t i = 0; i < size; i++)
            if (table[i].lock != 0 || table[i].scored != 0 || table[i].remainingDepthFrom != 0 ||
                table[i].threatHang != 0 || table[i].bType != 0 || table[i].bToPromoted != 0 ||
                table[i].hashFlags != 0)
                return false;
        return true;
    };
    EXPECT_TRUE(isZero(store, STORE_SIZE));
    EXPECT_TRUE(isZero(collstore, COLLSTORE_SIZE));
    EXPECT_TRUE(isZero(nullstore, NULLSTORE_SIZE));
    EXPECT_TRUE(isZero(nullcoll, NULLCOLL_SIZE));
    // And the tables take entries again after the clear.
    usePosition(1, 777777, 777877);
    recordHashAB(12, 0, 8, 16, 0, 0, 5);
    EXPECT_EQ(probeHashAB(-WIDE, WIDE, 0, 5), 12);
}
