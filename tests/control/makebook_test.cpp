// The book builder: the weights it writes, what it refuses, and the shipped book replayed from
// its opening lines.
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
#include <string>
#include <vector>

namespace {

using codes = std::vector<uint16_t>;

std::string readFile(const std::string &path) {
    std::stringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

// Builds `out` from `in`; returns the builder's output and status.
std::string build(const std::string &in, const std::string &out, int &status) {
    ensureSetup();
    ::testing::internal::CaptureStdout();
    status = makeBook(in.c_str(), out.c_str());
    return ::testing::internal::GetCapturedStdout();
}

// The book's lines by key text, checking that keys rise and that each line holds its count.
std::map<std::string, codes> parseBook(const std::string &path) {
    std::map<std::string, codes> book;
    std::istringstream in(readFile(path));
    std::string line, last;
    while (std::getline(in, line)) {
        const int n = std::stoi(line.substr(BOOK_COUNT_COLUMN, 1), nullptr, 16);
        EXPECT_EQ(line.size(), (size_t)(BOOK_FIRST_MOVE_COLUMN + BOOK_MOVE_STRIDE * n - 1));
        EXPECT_LT(last, line.substr(0, BOOK_KEY_DIGITS));
        last = line.substr(0, BOOK_KEY_DIGITS);
        for (int k = 0; k < n; k++)
            book[last].push_back((uint16_t)std::stoi(
                line.substr(BOOK_FIRST_MOVE_COLUMN + BOOK_MOVE_STRIDE * k, 4), nullptr, 16));
    }
    return book;
}

// Plays a move text in the game from the position's key; returns that key and the move code
// (-1 when the text is refused).
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

TEST(MakeBook, WeightsRefusalsAndNothingWrittenOnAFault) {
    const std::string in = ::testing::TempDir() + "lines.txt", out = in + ".bok";
    std::string text = "# 1.e4 thirty times, 1.d4 three\n\n";
    for (int i = 0; i < 20; i++)
        text += "1.e4 e5   # open game\n";
    for (int i = 0; i < 10; i++)
        text += "1. e4 c5\n";
    std::ofstream(in) << text << "d4 d5\nd4 Nf6\nd4 Nf6\n";
    int status;
    EXPECT_EQ(build(in, out, status), "makebook: 33 lines, 3 positions written to " + out + "\n");
    std::map<std::string, codes> book = parseBook(out);
    ensureSetup();
    const auto [start, e4] = play("e4");
    const auto [afterE4, e5] = play("e5");
    takeback();
    const int c5 = play("c5").second;
    takeback();
    takeback();
    const int d4 = play("d4").second;
    // 30 lines against 3 share the 15 slots 14 to 1; 20 against 10 reduce to 2 to 1; the
    // three lines after 1.d4 keep their exact counts.
    EXPECT_EQ(book[start].size(), 15u);
    EXPECT_EQ(std::count(book[start].begin(), book[start].end(), e4), 14);
    EXPECT_EQ(std::count(book[start].begin(), book[start].end(), d4), 1);
    EXPECT_EQ(book[afterE4], (codes{(uint16_t)e5, (uint16_t)e5, (uint16_t)c5}));
    EXPECT_EQ(book[play("Nf6").first].size(), 3u);
    EXPECT_EQ(status, 0);

    const std::pair<const char *, const char *> faults[] = {
        {"e4 e5\n# two\ne4 e5 Ke3\n", "line 3: illegal or ambiguous move Ke3\n"},
        {"d4 d5 Nf3 Nf6 Nd2\n", "line 1: illegal or ambiguous move Nd2\n"}};
    for (const auto &[lines, message] : faults) {
        std::ofstream(in) << lines;
        std::ofstream(out) << "the old book\n";
        EXPECT_EQ(build(in, out, status), std::string("makebook: ") + message);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(readFile(out), "the old book\n");
    }
}

// Every line of the shipped file is legal and 10 to 20 half-moves long; the book holds exactly
// the positions the lines play a move in, only their moves, and every move that at least one
// line in fifteen plays there.
TEST(MakeBook, ShippedBookReplaysFromItsLines) {
    const std::string in = std::string(MORVA_TEST_DATA) + "/../book/openings.txt";
    int status;
    const std::string said = build(in, ::testing::TempDir() + "shipped.bok", status);
    ASSERT_EQ(status, 0) << said;
    std::map<std::string, codes> book = parseBook(::testing::TempDir() + "shipped.bok");
    std::map<std::string, std::map<int, int>> played; // key -> move -> lines
    std::istringstream lines(readFile(in));
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
        for (uint16_t code : book[key])
            EXPECT_EQ(moves.count(code), 1u) << key;
    }
    // Setting a position up does not clear the move maker's "the last move castled": a quiet
    // last move leaves later tests no castling of the last line.
    ensureSetup();
    play("e4");
    takeback();
}
