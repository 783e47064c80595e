// Reading the book: codes and keys as written, the draw, damaged files, and the book moves the
// search plays at once.
#include "book/book.h"

#include "board/position.h"
#include "control/control.h"
#include "movegen/movegen.h"
#include "search/search.h"
#include "support.h"

#include <gtest/gtest.h>
#include <map>
#include <string>

namespace {

int sq(const char *t) { return (t[0] - 'a') + 8 * ('8' - t[1]); }

// A move code as the book's four hexadecimal digits; hex("b7b8", bits) codes a move.
std::string hex(uint16_t code) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", code);
    return buf;
}
std::string hex(const char *m, uint16_t promotion = 0) {
    return hex((uint16_t)((sq(m) << 6) | sq(m + 2) | promotion));
}

// Sets the position up with its root moves generated, as the search does before asking.
void enter(const char *fen) {
    ASSERT_TRUE(setupFEN(fen)) << fen;
    SEE();
    movgen(0, 0);
}

// Writes `text` as the book, with KEY standing for the current position's key, and opens it.
void useBook(std::string text) {
    char key[BOOK_KEY_DIGITS + 1];
    bookKeyText(hash[0], key);
    for (size_t at; (at = text.find("KEY")) != std::string::npos;)
        text.replace(at, 3, key);
    const std::string path = ::testing::TempDir() + "book_test.bok";
    FILE *f = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    ASSERT_TRUE(openBookAt(path.c_str()));
}

// The book move drawn in second `seed`, as "e2e4" / "b7b8Q", or "-" for none.
std::string lookUp(int64_t seed = 7) {
    bookSeedOverride = seed;
    const int16_t i = bookMove();
    bookSeedOverride = -1;
    if (i < 0)
        return "-";
    const move_list &m = searchData[0][i];
    std::string s = {(char)('a' + (m.from & 7)), (char)('8' - (m.from >> 3)),
                     (char)('a' + (m.to & 7)), (char)('8' - (m.to >> 3))};
    return m.promote ? s + pieceChar[m.promote] : s;
}

const char *START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

} // namespace

TEST(Book, CodesKeysAndTheDraw) {
    enter("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    useBook("0123456789ABCDEF1  " + hex("b7b8", BOOK_PROMOTE_ROOK) + "\nKEY1  " +
            hex("b7b8", BOOK_PROMOTE_KNIGHT) + "\n");
    EXPECT_EQ(lookUp(), "b7b8N");          // the line of this position, not the first line
    for (int i = 0; i < mvstore[1]; i++) { // the builder's codes read back as their moves
        useBook("KEY1  " + hex(bookMoveCode(searchData[0][i])) + "\n");
        EXPECT_EQ(bookMove(), i);
    }
    useBook("KEY1  " + hex("b7b8") + "\n"); // from and to match, the promotion does not
    EXPECT_EQ(lookUp(), "-");

    enter(START);
    useBook("KEY1  " + hex("e2e4", BOOK_PROMOTE_QUEEN) + "\n");
    EXPECT_EQ(lookUp(), "-");
    useBook("KEY1  0d24\n"); // lower case counts as 0: a8-e4, no legal move (0D24 is e2e4)
    EXPECT_EQ(lookUp(), "-");
    useBook("KEY1  0D24 " + hex("d2d4") + "\n");
    for (int seed = 0; seed < 30; seed++)
        EXPECT_EQ(lookUp(seed), "e2e4");
    // Two slots of three for 1.e4: both moves come, e4 about twice as often, the same in
    // one second.
    useBook("KEY3  0D24 0D24 " + hex("d2d4") + "\n");
    std::map<std::string, int> picks;
    for (int seed = 1000; seed < 1300; seed++)
        picks[lookUp(seed)]++;
    EXPECT_GT(picks["e2e4"], 160);
    EXPECT_GT(picks["d2d4"], 70);
    EXPECT_EQ(picks.size(), 2u);
    close_book();
}

TEST(Book, DamagedBooksGiveNoMoveAndNeverCrash) {
    enter(START);
    for (const char *text : {"KEY0  0D24\n", "KEYG  0D24\n", "KEYa  0D24\n", "KEY\n", "KEY1\n",
                             "KEY1  0D2", "0123\n", ""}) {
        useBook(text);
        EXPECT_EQ(lookUp(), "-") << text;
    }
    useBook("KEYF  0D24\n"); // slots past the line's end give nothing, the first plays
    std::map<std::string, int> picks;
    for (int seed = 0; seed < 100; seed++)
        picks[lookUp(seed)]++;
    EXPECT_EQ(picks.size(), 2u);
    // The tail of a line over 255 characters is never read as a line of its own, not even
    // when it starts right where a 255-character read would stop.
    const std::string filler(BOOK_LINE_MAX - BOOK_FIRST_MOVE_COLUMN, 'X');
    useBook("KEY1  " + filler + "KEY1  " + hex("a2a3") + "\nKEY1  0D24\n");
    EXPECT_EQ(lookUp(), "e2e4");
    std::string noise;
    for (uint32_t x = 1, i = 0; i < 20000; i++)
        noise += (char)((x = x * 1103515245u + 12345u) >> 24); // NULs and newlines too
    useBook(noise);
    EXPECT_EQ(lookUp(), "-");
    close_book();
    EXPECT_EQ(lookUp(), "-");
}

TEST(Book, SearchPlaysBookMovesAtOnce) {
    ensureSetup(); // a new game: the engine's first move comes from the clock's table
    SEE();
    movgen(0, 0);
    std::map<int, int> firstMoves; // destination -> clock readings of 30
    for (int64_t clock = 0; clock < 30; clock++)
        firstMoves[searchData[0][openingChoice(clock)].to]++;
    EXPECT_EQ(firstMoves.size(), 4u);
    EXPECT_EQ(firstMoves[sq("e4")], 12);
    EXPECT_EQ(firstMoves[sq("d4")], 11);
    EXPECT_EQ(firstMoves[sq("c4")], 5);
    EXPECT_EQ(firstMoves[sq("f3")], 2);

    enter("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    useBook("KEY1  " + hex("c7c5") + "\n");
    for (const uint8_t pondering : {(uint8_t)0, SF_PONDERING}) {
        gameFlags |= GF_BOOK_ON | GF_IN_BOOK;
        searchFlags = pondering;
        detectionFlags = 0;
        timeFlags = TF_FIXED_DEPTH;
        s_depth = 1;
        searchPollEnabled = false;
        nodes = 0;
        search();
        // A ponder search stands on a guessed reply and never plays from the book.
        EXPECT_EQ(nodes > 0, pondering != 0);
        EXPECT_TRUE(pondering ||
                    (stopSearch == 1 && movePV.from == sq("c7") && movePV.to == sq("c5")));
    }
    close_book();
}
