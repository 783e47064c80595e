// The book builder: what it writes for opening lines, what it refuses, and the shipped book
// replayed line by line against the file built from it.
#include "control/makebook.h"

#include "board/makemove.h"
#include "board/position.h"
#include "book/book.h"
#include "control/control.h"
#include "control/movetext.h"
#include "movegen/movegen.h"
#include "support.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using bookLines = std::map<std::string, std::vector<uint16_t>>; // key text -> move codes

std::string tempPath(const char *name) { return ::testing::TempDir() + name; }

void writeFile(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Builds the book and returns the builder's printed output.
std::string build(const std::string &in, const std::string &out, int &status) {
    ensureSetup();
    ::testing::internal::CaptureStdout();
    status = makeBook(in.c_str(), out.c_str());
    return ::testing::internal::GetCapturedStdout();
}

// Parses a book file, checking the layout of every line on the way.
bookLines parseBook(const std::string &path) {
    bookLines book;
    std::istringstream in(readFile(path));
    std::string line, lastKey;
    while (std::getline(in, line)) {
        EXPECT_LE(line.size(), (size_t)BOOK_LINE_MAX);
        const std::string key = line.substr(0, BOOK_KEY_DIGITS);
        EXPECT_LT(lastKey, key) << "keys rise through the file";
        lastKey = key;
        const int n = std::stoi(line.substr(BOOK_COUNT_COLUMN, 1), nullptr, 16);
        EXPECT_EQ(line.size(), (size_t)(BOOK_FIRST_MOVE_COLUMN + BOOK_MOVE_STRIDE * n - 1));
        for (int k = 0; k < n; k++)
            book[key].push_back((uint16_t)std::stoi(
                line.substr(BOOK_FIRST_MOVE_COLUMN + BOOK_MOVE_STRIDE * k, 4), nullptr, 16));
    }
    return book;
}

std::string keyHere() {
    char key[BOOK_KEY_DIGITS + 1];
    bookKeyText(hash[0], key);
    return key;
}

// Plays a move text in the game at ply 0; returns its code, or -1 when it is refused.
int playText(const std::string &text) {
    ply = 0;
    SEE();
    movgen(0, 0);
    sideBoards = boards[0];
    savedSquares = squares[0];
    gameFlags = (uint8_t)((gameFlags & ~GF_ENTRY_WHITE) | (whiteToMove() ? GF_ENTRY_WHITE : 0));
    const int16_t i = checkMove(text.c_str(), 0);
    if (i < 0)
        return -1;
    const uint16_t c = bookMoveCode(searchData[0][i]);
    mvstack(&searchData[0][i], i);
    makeOppMove(searchData[0][i], i);
    return c;
}

void toStart() {
    ensureSetup();
    gameFlags &= (uint8_t)~GF_NO_GAME;
}

} // namespace

TEST(MakeBook, WeighsMovesByTheLinesThatPlayThem) {
    std::string text = "# two replies to 1.e4, one twice as popular\n\n";
    for (int i = 0; i < 20; i++)
        text += "1.e4 e5   # open game\n";
    for (int i = 0; i < 10; i++)
        text += "1. e4 c5\n";
    text += "d4 d5\nd4 Nf6\nd4 Nf6\n";
    const std::string in = tempPath("weights.txt"), out = tempPath("weights.bok");
    writeFile(in, text);
    int status;
    EXPECT_NE(build(in, out, status).find("33 lines, 3 positions written"), std::string::npos);
    ASSERT_EQ(status, 0);
    bookLines book = parseBook(out);
    ASSERT_EQ(book.size(), 3u);

    toStart();
    const std::string start = keyHere();
    const uint16_t e4 = (uint16_t)playText("e4");
    const std::string afterE4 = keyHere();
    const uint16_t e5 = (uint16_t)playText("e5");
    takeback();
    const uint16_t c5 = (uint16_t)playText("c5");
    // 30 lines of 1.e4 against 3 of 1.d4 share the 15 slots 14 to 1; 20 e5 against 10 c5
    // reduce to two to one.
    EXPECT_EQ(book[start].size(), 15u);
    EXPECT_EQ(std::count(book[start].begin(), book[start].end(), e4), 14);
    EXPECT_EQ(book[afterE4], (std::vector<uint16_t>{e5, e5, c5}));

    // Few lines keep their exact counts.
    toStart();
    playText("d4");
    const std::string afterD4 = keyHere();
    const uint16_t nf6 = (uint16_t)playText("Nf6");
    takeback();
    const uint16_t d5 = (uint16_t)playText("d5");
    EXPECT_EQ(book[afterD4], (std::vector<uint16_t>{nf6, nf6, d5}));
}

TEST(MakeBook, RefusesIllegalAmbiguousAndOverlongLinesAndWritesNothing) {
    const std::string in = tempPath("refused.txt"), out = tempPath("refused.bok");
    const struct {
        const char *text, *message;
    } cases[] = {
        {"e4 e5\n# comment\ne4 e5 Ke3\n", "line 3: illegal or ambiguous move Ke3"},
        {"d4 d5 Nf3 Nf6 Nd2 c5\n", "line 1: illegal or ambiguous move Nd2"},
        {"e4 e5 Nf3 Nc6 Bb5 a6 Bxc6 dxc6 O-O-O\n", "line 1: illegal or ambiguous move O-O-O"},
        {"e4 e9\n", "line 1: illegal or ambiguous move e9"},
    };
    for (const auto &c : cases) {
        writeFile(in, c.text);
        writeFile(out, "the old book\n");
        int status;
        const std::string said = build(in, out, status);
        EXPECT_EQ(status, 1) << c.text;
        EXPECT_NE(said.find(c.message), std::string::npos) << said;
        EXPECT_EQ(readFile(out), "the old book\n") << c.text;
        EXPECT_EQ(allmoves, moveStart) << "the builder leaves no game behind";
    }
    writeFile(in, "e4 " + std::string(2000, ' ') + "e5\n");
    int status;
    EXPECT_NE(build(in, out, status).find("line 1: longer than"), std::string::npos);
    EXPECT_EQ(status, 1);
    std::remove(in.c_str());
    EXPECT_NE(build(in, out, status).find("cannot read"), std::string::npos);
    EXPECT_EQ(status, 1);
}

// Every line of the shipped opening file is legal; the book holds exactly the positions the
// lines play a move in, only moves the lines play there, and every move that at least one
// variation in fifteen plays there.
TEST(MakeBook, ShippedBookReplaysFromItsLines) {
    const std::string in = std::string(MORVA_TEST_DATA) + "/../book/openings.txt";
    const std::string out = tempPath("shipped.bok");
    int status;
    const std::string said = build(in, out, status);
    ASSERT_EQ(status, 0) << said;
    bookLines book = parseBook(out);

    std::map<std::string, std::map<uint16_t, int>> played; // key -> move -> lines
    std::istringstream lines(readFile(in));
    std::string line;
    int variations = 0, lineNo = 0;
    toStart();
    while (std::getline(lines, line)) {
        lineNo++;
        std::istringstream words(line.substr(0, line.find('#')));
        std::vector<std::string> moves;
        for (std::string w; words >> w;)
            moves.push_back(w);
        if (moves.empty())
            continue;
        variations++;
        EXPECT_GE(moves.size(), 10u) << "line " << lineNo;
        EXPECT_LE(moves.size(), 20u) << "line " << lineNo;
        while (allmoves > moveStart)
            takeback();
        for (const std::string &m : moves) {
            const std::string key = keyHere();
            const int c = playText(m);
            ASSERT_GE(c, 0) << "line " << lineNo << ": " << m;
            played[key][(uint16_t)c]++;
        }
    }
    EXPECT_GE(variations, 400);
    EXPECT_LE(variations, 800);
    EXPECT_EQ(book.size(), played.size());
    for (const auto &[key, moves] : played) {
        const std::vector<uint16_t> &slots = book[key];
        EXPECT_LE(slots.size(), (size_t)BOOK_MOVES_MAX);
        int total = 0;
        for (const auto &move : moves)
            total += move.second;
        for (const auto &[code, count] : moves) {
            const bool inBook = std::find(slots.begin(), slots.end(), code) != slots.end();
            EXPECT_TRUE(inBook || count * BOOK_MOVES_MAX < total) << key << " " << code;
        }
        for (uint16_t code : slots)
            EXPECT_EQ(moves.count(code), 1u) << key << " " << code;
    }
    // The move maker keeps "the last move castled" for the evaluation, and setting a position
    // up does not clear it: a quiet move leaves later tests no castling of the last line.
    toStart();
    playText("e4");
    takeback();
}
