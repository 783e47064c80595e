// Reading the book: keys, move codes and counts as written, damaged lines and files, the
// random draw, and the engine's book moves at the start of a search.
#include "book/book.h"

#include "board/position.h"
#include "control/control.h"
#include "control/timecontrol.h"
#include "movegen/movegen.h"
#include "search/search.h"
#include "support.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

namespace {

const char *START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char *PROMOTION = "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1"; // b7 pawn, b8 empty

int squareOf(const char *t) { return (t[0] - 'a') + 8 * ('8' - t[1]); }

// The code of a move given as "e2e4" (with an optional promotion bit pattern).
uint16_t code(const char *move, uint16_t promotion = 0) {
    return (uint16_t)((squareOf(move) << 6) | squareOf(move + 2) | promotion);
}

std::string hex4(uint16_t c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", c);
    return buf;
}

// A book line for the position at ply 0: key, count digit, two blanks, the moves.
std::string bookLine(const std::string &count, const std::string &moves) {
    char key[BOOK_KEY_DIGITS + 1];
    bookKeyText(hash[0], key);
    return std::string(key) + count + "  " + moves + "\n";
}

// Writes the text as the book file and opens it.
void useBook(const std::string &text) {
    const std::string path = ::testing::TempDir() + "book_test.bok";
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    ASSERT_TRUE(openBookAt(path.c_str()));
}

// Sets the position up with its root moves generated, as the search does before asking.
void enter(const char *fen) {
    ASSERT_TRUE(setupFEN(fen)) << fen;
    gameFlags &= (uint8_t)~GF_NO_GAME;
    ply = 0;
    SEE();
    movgen(0, 0);
}

// The book move for the current position as "e2e4" / "b7b8Q", or "-" for none.
std::string lookUp(int64_t seed = 7) {
    bookSeedOverride = seed;
    const int16_t i = bookMove();
    bookSeedOverride = -1;
    if (i < 0)
        return "-";
    const move_list &m = searchData[0][i];
    std::string s;
    s += (char)('a' + (m.from & 7));
    s += (char)('8' - (m.from >> 3));
    s += (char)('a' + (m.to & 7));
    s += (char)('8' - (m.to >> 3));
    if (m.promote)
        s += pieceChar[m.promote];
    return s;
}

class Book : public ::testing::Test {
  protected:
    void TearDown() override { close_book(); }
};

} // namespace

TEST_F(Book, KeyAndPromotionCodesRoundTrip) {
    enter(PROMOTION);
    useBook(bookLine("1", hex4(code("b7b8", BOOK_PROMOTE_QUEEN))));
    EXPECT_EQ(lookUp(), "b7b8Q");
    useBook(bookLine("1", hex4(code("b7b8", BOOK_PROMOTE_KNIGHT))));
    EXPECT_EQ(lookUp(), "b7b8N");
    // The builder's codes are the ones the reader decodes.
    for (int i = 0; i < mvstore[1]; i++) {
        useBook(bookLine("1", hex4(bookMoveCode(searchData[0][i]))));
        enter(PROMOTION);
        EXPECT_EQ(bookMove(), i);
    }
    // Origin and destination match, the promotion bits do not: no book move.
    useBook(bookLine("1", hex4(code("b7b8"))));
    EXPECT_EQ(lookUp(), "-");
    enter(START);
    useBook(bookLine("1", hex4(code("e2e4", BOOK_PROMOTE_QUEEN))));
    EXPECT_EQ(lookUp(), "-");
}

TEST_F(Book, OnlyTheLineOfThisPositionCounts) {
    enter(START);
    const std::string start = bookLine("1", hex4(code("d2d4")));
    enter("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    const std::string afterE4 = bookLine("1", hex4(code("c7c5")));
    useBook(afterE4 + start);
    EXPECT_EQ(lookUp(), "c7c5");
    enter(START);
    EXPECT_EQ(lookUp(), "d2d4");
    enter("rnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR b KQkq d3 0 1");
    EXPECT_EQ(lookUp(), "-");
}

TEST_F(Book, SingleMoveAndDrawsAmongSeveral) {
    enter(START);
    useBook(bookLine("1", hex4(code("g1f3")) + " " + hex4(code("e2e4"))));
    for (int seed = 0; seed < 40; seed++)
        EXPECT_EQ(lookUp(seed), "g1f3") << seed;

    // Three slots, two of them 1.e4: every move is drawn, 1.e4 about twice as often, and one
    // second always draws the same move.
    useBook(
        bookLine("3", hex4(code("e2e4")) + " " + hex4(code("e2e4")) + " " + hex4(code("d2d4"))));
    std::map<std::string, int> picks;
    for (int seed = 1000; seed < 1300; seed++)
        picks[lookUp(seed)]++;
    EXPECT_EQ(picks.size(), 2u);
    EXPECT_GT(picks["e2e4"], 160);
    EXPECT_GT(picks["d2d4"], 70);
    EXPECT_EQ(lookUp(1234567), lookUp(1234567));
}

TEST_F(Book, DigitsOutsideTheUpperCaseSetCountAsZero) {
    enter(START);
    useBook(bookLine("1", "0D24"));
    EXPECT_EQ(lookUp(), "e2e4");
    useBook(bookLine("1", "0d24")); // 'd' counts as 0: a8 to e4, no legal move
    EXPECT_EQ(lookUp(), "-");
}

TEST_F(Book, DamagedLinesGiveNoMoveAndNeverCrash) {
    enter(START);
    const std::string e4 = hex4(code("e2e4"));
    for (const char *count : {"0", "G", "a", " "}) {
        useBook(bookLine(count, e4));
        EXPECT_EQ(lookUp(), "-") << "count " << count;
    }
    // The key alone, the key and its count, a move cut short.
    char key[BOOK_KEY_DIGITS + 1];
    bookKeyText(hash[0], key);
    for (const std::string &cut : {std::string(key) + "\n", std::string(key) + "1\n",
                                   std::string(key) + "1  0D2\n", std::string(key, 10) + "\n"}) {
        useBook(cut);
        EXPECT_EQ(lookUp(), "-") << cut;
    }
    // A count past the moves on the line: the first slot plays, the others give nothing.
    useBook(bookLine("F", e4));
    std::map<std::string, int> picks;
    for (int seed = 0; seed < 200; seed++)
        picks[lookUp(seed)]++;
    EXPECT_EQ(picks.size(), 2u);
    EXPECT_GT(picks["e2e4"], 0);
    EXPECT_GT(picks["-"], 0);
}

TEST_F(Book, OverlongLineIsSkippedWholeAndReadingGoesOn) {
    enter(START);
    // The tail of a 300-character line looks like a line of this position: it must not be
    // read as one. The real line after it is found.
    const std::string fake = bookLine("1", hex4(code("a2a3")));
    const std::string overlong = bookLine("1", std::string(300, 'X'));
    std::string text = overlong.substr(0, overlong.size() - 1) + fake;
    text += bookLine("1", hex4(code("e2e4")));
    ASSERT_GT(text.find(fake), (size_t)BOOK_LINE_MAX);
    useBook(text);
    EXPECT_EQ(lookUp(), "e2e4");
}

TEST_F(Book, BinaryAndEmptyFilesGiveNoMove) {
    enter(START);
    std::string noise;
    uint32_t x = 12345;
    for (int i = 0; i < 20000; i++) {
        x = x * 1103515245u + 12345u;
        noise += (char)(x >> 24); // every byte value, NUL and newline included
    }
    useBook(noise);
    EXPECT_EQ(lookUp(), "-");
    useBook("");
    EXPECT_EQ(lookUp(), "-");
    close_book();
    EXPECT_EQ(lookUp(), "-"); // no file open at all
    EXPECT_FALSE(openBookAt((::testing::TempDir() + "no_such_dir/x.bok").c_str()));
    EXPECT_EQ(bookFile, nullptr);
}

TEST_F(Book, FirstMoveOfTheGameFollowsTheClock) {
    enter(START);
    gameState = 0; // as in a new game: the generator ranks by its opening tables
    SEE();
    movgen(0, 0);
    std::map<std::string, int> firstMoves;
    for (int64_t clock = 0; clock < 30; clock++) {
        const int32_t i = openingChoice(clock);
        ASSERT_GE(i, 0);
        // Its rank among the root moves by order score is 0, 1, 2 or 4.
        int better = 0;
        for (int j = 0; j < mvstore[1]; j++)
            better += searchData[0][j].orderscore > searchData[0][i].orderscore ||
                      (searchData[0][j].orderscore == searchData[0][i].orderscore && j < i);
        EXPECT_TRUE(better == 0 || better == 1 || better == 2 || better == 4) << better;
        const move_list &m = searchData[0][i];
        firstMoves[std::string(1, (char)('a' + (m.to & 7))) + (char)('8' - (m.to >> 3))]++;
    }
    EXPECT_EQ(firstMoves["e4"], 12);
    EXPECT_EQ(firstMoves["d4"], 11);
    EXPECT_EQ(firstMoves["c4"], 5);
    EXPECT_EQ(firstMoves["f3"], 2);
    EXPECT_EQ(openingChoice(-7), openingChoice(23)); // a clock below zero still picks a move
}

TEST_F(Book, SearchPlaysBookMovesAtOnceAndSearchesWithout) {
    enter("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    useBook(bookLine("1", hex4(code("c7c5"))));
    auto searchFrom = [](uint8_t bookFlags, uint8_t extraSearchFlags) {
        gameFlags = (uint8_t)((gameFlags & ~(GF_BOOK_ON | GF_IN_BOOK)) | bookFlags);
        searchFlags = extraSearchFlags;
        detectionFlags = 0;
        timeFlags = TF_FIXED_DEPTH;
        s_depth = 1;
        normalTime.searchTime = NO_TIME_LIMIT;
        searchPollEnabled = false;
        nodes = 0;
        ply = 0;
        search();
        return squareOf("c7") == movePV.from && squareOf("c5") == movePV.to;
    };
    EXPECT_TRUE(searchFrom(GF_BOOK_ON | GF_IN_BOOK, 0));
    EXPECT_EQ(stopSearch, 1);
    EXPECT_EQ(nodes, 0u);
    EXPECT_EQ(savedSquares.insq[squareOf("e4")], WPAWN); // the entry position is saved

    // Book off, or a ponder search on a guessed reply: the engine searches instead.
    searchFrom(GF_IN_BOOK, 0);
    EXPECT_GT(nodes, 0u);
    searchFrom(GF_BOOK_ON | GF_IN_BOOK, SF_PONDERING);
    EXPECT_GT(nodes, 0u);

    // The engine's first move of a new game comes from the table without a search.
    ensureSetup();
    searchFrom(GF_BOOK_ON | GF_IN_BOOK, 0);
    EXPECT_EQ(stopSearch, 1);
    EXPECT_EQ(nodes, 0u);
    EXPECT_TRUE(movePV.from == squareOf("e2") || movePV.from == squareOf("d2") ||
                movePV.from == squareOf("c2") || movePV.from == squareOf("g1"));
}
