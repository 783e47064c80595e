// The book builder: the slots it gives, and the shipped book replayed from its lines.
#include "control/makebook.h"

#include "board/makemove.h"
#include "book/book.h"
#include "control/control.h"
#include "control/movetext.h"
#include "movegen/movegen.h"
#include "support.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <sstream>

namespace {

// Builds the book from the lines in `in`; returns it as key text -> move codes, checking that
// the keys rise through the file.
std::map<std::string, std::vector<int>> build(const std::string &in) {
    const std::string out = ::testing::TempDir() + "built.bok";
    ensureSetup();
    ::testing::internal::CaptureStdout();
    const int status = makeBook(in.c_str(), out.c_str());
    const std::string said = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 0) << said;
    std::map<std::string, std::vector<int>> book;
    std::ifstream file(out);
    for (std::string line, last; std::getline(file, line); last = line) {
        EXPECT_LT(last, line);
        for (size_t at = BOOK_FIRST_MOVE_COLUMN; at < line.size(); at += BOOK_MOVE_STRIDE)
            book[line.substr(0, BOOK_KEY_DIGITS)].push_back(std::stoi(line.substr(at, 4), 0, 16));
    }
    return book;
}

// Plays a move text in the game; returns the key it was played from and its code (-1 when
// the text is refused).
std::pair<std::string, int> play(const std::string &text) {
    char key[BOOK_KEY_DIGITS + 1];
    bookKeyText(hash[0], key);
    SEE();
    movgen(0, 0);
    sideBoards = boards[0];
    savedSquares = squares[0];
    gameFlags = (uint8_t)((gameFlags & ~GF_ENTRY_WHITE) | (whiteToMove() ? GF_ENTRY_WHITE : 0));
    const int16_t i = checkMove(text.c_str(), 0);
    if (i < 0)
        return {key, -1};
    mvstack(&searchData[0][i], i);
    makeOppMove(searchData[0][i], i);
    return {key, bookMoveCode(searchData[0][i])};
}

} // namespace

TEST(MakeBook, SlotsFollowTheLinesThatPlayAMove) {
    const std::string in = ::testing::TempDir() + "lines.txt";
    std::ofstream lines(in);
    for (int i = 0; i < 30; i++)
        lines << (i < 20 ? "1.e4 e5   # open game\n" : "1. e4 c5\n");
    lines << "\nd4 d5\nd4 Nf6\nd4 Nf6\n";
    lines.close();
    auto book = build(in);
    ensureSetup();
    const auto [start, e4] = play("e4");
    const auto [afterE4, e5] = play("e5");
    takeback();
    const int c5 = play("c5").second;
    // 30 lines against 3 share the 15 slots 14 to 1; 20 against 10 reduce to 2 to 1; three
    // lines keep their exact counts.
    EXPECT_EQ(std::count(book[start].begin(), book[start].end(), e4), 14);
    EXPECT_EQ(book[start].size(), 15u);
    EXPECT_EQ(book[afterE4], (std::vector<int>{e5, e5, c5}));
    EXPECT_EQ(book.size(), 3u);
}

// Every line of the shipped file is legal and 10 to 20 half-moves long; the book holds exactly
// the positions the lines play a move in, only their moves, and every move that at least one
// line in fifteen plays there.
TEST(MakeBook, ShippedBookReplaysFromItsLines) {
    const std::string in = std::string(MORVA_TEST_DATA) + "/../book/openings.txt";
    auto book = build(in);
    std::map<std::string, std::map<int, int>> played; // key -> move -> lines
    std::ifstream lines(in);
    int variations = 0;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::vector<std::string> moves{std::istream_iterator<std::string>(words), {}};
        if (moves.empty())
            continue;
        variations++;
        EXPECT_TRUE(moves.size() >= 10 && moves.size() <= 20) << line;
        while (allmoves > moveStart)
            takeback();
        for (const std::string &m : moves) {
            const auto [key, code] = play(m);
            ASSERT_GE(code, 0) << line << ": " << m;
            played[key][code]++;
        }
    }
    EXPECT_TRUE(variations >= 400 && variations <= 800) << variations;
    EXPECT_EQ(book.size(), played.size());
    for (const auto &[key, moves] : played) {
        int total = 0;
        for (const auto &move : moves)
            total += move.second;
        for (const auto &[code, count] : moves)
            EXPECT_TRUE(count * BOOK_MOVES_MAX < total ||
                        std::count(book[key].begin(), book[key].end(), code) > 0);
        for (int code : book[key])
            EXPECT_EQ(moves.count(code), 1u) << key;
    }
    // Setting a position up does not clear the move maker's "the last move castled": a quiet
    // last move leaves later tests no castling of the last line.
    ensureSetup();
    play("e4");
    takeback();
}
