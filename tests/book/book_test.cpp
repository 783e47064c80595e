// Reading the book (codes, keys, the draw, damaged files) and the book moves of the search.
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

// A move code as four hexadecimal digits: hex(c), or hex("b7b8", promotion bits).
std::string hex(int code) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", code);
    return buf;
}
std::string hex(const char *m, int promotion = 0) {
    return hex((sq(m) << 6) | sq(m + 2) | promotion);
}

// Sets the position up and generates its root moves, as the search does before asking.
void enter(const char *fen) {
    ASSERT_TRUE(setupFEN(fen)) << fen;
    SEE();
    movgen(0, 0);
}

// Opens `text` as the book, KEY standing for the key of the position at ply 0.
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

// The destination (and promotion) of the move drawn in second `seed`, or "-" for none.
std::string lookUp(int64_t seed = 7) {
    bookSeedOverride = seed;
    const int16_t i = bookMove();
    bookSeedOverride = -1;
    if (i < 0)
        return "-";
    const move_list &m = searchData[0][i];
    std::string s = {(char)('a' + (m.to & 7)), (char)('8' - (m.to >> 3))};
    return m.promote ? s + pieceChar[m.promote] : s;
}

} // namespace

TEST(Book, CodesKeysDrawsAndDamagedBooks) {
    enter("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    useBook("0123456789ABCDEF1  " + hex("b7b8", BOOK_PROMOTE_ROOK) + "\nKEY1  " +
            hex("b7b8", BOOK_PROMOTE_KNIGHT) + "\n");
    EXPECT_EQ(lookUp(), "b8N");            // the line of this position, not the first line
    for (int i = 0; i < mvstore[1]; i++) { // the builder's codes read back as their moves
        useBook("KEY1  " + hex(bookMoveCode(searchData[0][i])) + "\n");
        EXPECT_EQ(bookMove(), i);
    }
    useBook("KEY1  " + hex("b7b8") + "\n"); // from and to match, the promotion does not
    EXPECT_EQ(lookUp(), "-");

    enter("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    // No move: promotion bits on a pawn push, lower case (0d24 reads as a8-e4), a count of 0
    // or of no digit, lines cut short, an empty file.
    for (const std::string &text :
         {"KEY1  " + hex("e2e4", BOOK_PROMOTE_QUEEN) + "\n", std::string("KEY1  0d24\n"),
          std::string("KEY0  0D24\n"), std::string("KEYG  0D24\n"), std::string("KEY1\n"),
          std::string("KEY1  0D2"), std::string("")}) {
        useBook(text);
        EXPECT_EQ(lookUp(), "-") << text;
    }
    useBook("KEY1  0D24 " + hex("d2d4") + "\n"); // one move: always it
    for (int seed = 0; seed < 30; seed++)
        EXPECT_EQ(lookUp(seed), "e4");
    // 1.e4 in two slots of three is drawn about twice as often; the same in one second. A
    // count past the line's end gives nothing for the missing slots.
    std::map<std::string, int> picks;
    for (const char *count : {"3", "F"}) {
        useBook("KEY" + std::string(count) + "  0D24 0D24 " + hex("d2d4") + "\n");
        for (int seed = 1000; seed < 1300; seed++)
            picks[count + lookUp(seed)]++;
    }
    EXPECT_TRUE(picks["3e4"] > 160 && picks["3d4"] > 70 && picks["F-"] > 200) << picks.size();
    EXPECT_EQ(picks.size(), 5u);

    // The tail of a line over 255 characters is never read as a line, even where it starts
    // right at the end of a 255-character read; a binary file is no book.
    const std::string filler(BOOK_LINE_MAX - BOOK_FIRST_MOVE_COLUMN, 'X');
    useBook("KEY1  " + filler + "KEY1  " + hex("a2a3") + "\nKEY1  0D24\n");
    EXPECT_EQ(lookUp(), "e4");
    std::string noise;
    for (uint32_t x = 1, i = 0; i < 20000; i++)
        noise += (char)((x = x * 1103515245u + 12345u) >> 24);
    useBook(noise);
    EXPECT_EQ(lookUp(), "-");
    close_book();
    EXPECT_EQ(lookUp(), "-");
}

TEST(Book, SearchPlaysBookMovesAtOnce) {
    ensureSetup(); // a new game: the engine's first move comes from the clock's table
    SEE();
    movgen(0, 0);
    std::map<std::string, int> firstMoves;
    for (int64_t clock = 0; clock < 30; clock++) {
        const move_list &m = searchData[0][openingChoice(clock)];
        firstMoves[{(char)('a' + (m.to & 7)), (char)('8' - (m.to >> 3))}]++;
    }
    EXPECT_EQ(firstMoves,
              (std::map<std::string, int>{{"e4", 12}, {"d4", 11}, {"c4", 5}, {"f3", 2}}));

    enter("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    useBook("KEY1  " + hex("c7c5") + "\n");
    for (const uint8_t pondering : {(uint8_t)0, SF_PONDERING}) {
        gameFlags |= GF_BOOK_ON | GF_IN_BOOK;
        searchFlags = pondering;
        timeFlags = TF_FIXED_DEPTH;
        s_depth = 1;
        detectionFlags = nodes = 0;
        searchPollEnabled = false;
        search();
        // A ponder search stands on a guessed reply and never plays from the book.
        EXPECT_EQ(nodes > 0, pondering != 0);
        EXPECT_TRUE(pondering || (stopSearch == 1 && movePV.to == sq("c5")));
    }
    close_book();
}

TEST(Book, ListsTheMovesOfAPositionWithTheirSlots) {
    enter("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    bookLineMove out[BOOK_MOVES_MAX];
    int slots = -1;
    useBook("0123456789ABCDEF1  " + hex("g1f3") + "\nKEY3  0D24 " + hex("d2d4") + " 0D24\n");
    ASSERT_EQ(listBookMoves(hash[0], out, &slots), 2); // the line of this position only
    EXPECT_EQ(slots, 3);
    EXPECT_EQ((int)out[0].from, sq("e2"));
    EXPECT_EQ((int)out[0].to, sq("e4"));
    EXPECT_EQ((int)out[0].slots, 2); // one move in two slots, in the order first named
    EXPECT_EQ((int)out[1].from, sq("d2"));
    EXPECT_EQ((int)out[1].slots, 1);
    EXPECT_EQ(lookUp(), lookUp()); // listing leaves the draw as it was
    // A count past the line's end: the draw misses the absent slots, so they count.
    useBook("KEYF  0D24\n");
    ASSERT_EQ(listBookMoves(hash[0], out, &slots), 1);
    EXPECT_EQ(slots, 15);
    EXPECT_EQ((int)out[0].slots, 1);
    // No line, a count of no digit, no book: nothing.
    for (const char *text : {"0123456789ABCDEF1  0D24\n", "KEYG  0D24\n"}) {
        useBook(text);
        EXPECT_EQ(listBookMoves(hash[0], out, &slots), 0) << text;
        EXPECT_EQ(slots, 0);
    }
    close_book();
    EXPECT_EQ(listBookMoves(hash[0], out, &slots), 0);

    enter("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    useBook("KEY2  " + hex("b7b8", BOOK_PROMOTE_ROOK) + " " + hex("b7b8", BOOK_PROMOTE_QUEEN) +
            "\n");
    ASSERT_EQ(listBookMoves(hash[0], out, &slots), 2); // promotions to two pieces: two moves
    EXPECT_EQ((int)out[0].promote, ROOK);
    EXPECT_EQ((int)out[1].promote, QUEEN);
    close_book();
}
