// Move text written for generated moves: pawn, piece, capture, disambiguation, castling,
// promotion and check forms.
#include "board/makemove.h"
#include "control/control.h"
#include "control/movetext.h"
#include "movegen/movegen.h"
#include "support.h"

#include <gtest/gtest.h>
#include <string>

namespace {

int squareOf(const char *name) { return (name[0] - 'a') + 8 * ('8' - name[1]); }

// The generated move from-to (promotion piece code or 0) in the position, or null.
const move_list *generatedMove(const char *fen, const char *from, const char *to, int promote) {
    EXPECT_TRUE(setupFEN(fen)) << fen;
    ply = 0;
    SEE();
    movgen(0, 0);
    for (int i = 0; i < mvstore[1]; i++) {
        const move_list &m = searchData[0][i];
        if (m.from == squareOf(from) && m.to == squareOf(to) && m.promote == promote)
            return &m;
    }
    return nullptr;
}

std::string sanOf(const char *fen, const char *from, const char *to, int promote = 0) {
    const move_list *m = generatedMove(fen, from, to, promote);
    return m ? sanstring(*m) : "(not generated)";
}

std::string coordOf(const char *fen, const char *from, const char *to, int promote = 0) {
    const move_list *m = generatedMove(fen, from, to, promote);
    return m ? coordstring(*m) : "(not generated)";
}

const char *START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

} // namespace

TEST(MoveText, PawnAndPieceMoves) {
    EXPECT_EQ(sanOf(START, "e2", "e4"), "e4");
    EXPECT_EQ(sanOf(START, "g1", "f3"), "Nf3");
    EXPECT_EQ(sanOf("rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2", "e4", "d5"),
              "exd5");
    EXPECT_EQ(sanOf("rnbqkb1r/pppppppp/5n2/8/8/5N2/PPPPPPPP/RNBQKB1R w KQkq - 2 2", "f3", "e5"),
              "Ne5");
}

TEST(MoveText, BlackMovesUseUpperCaseLetters) {
    EXPECT_EQ(sanOf("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", "g8", "f6"),
              "Nf6");
    EXPECT_EQ(sanOf("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", "c7", "c5"),
              "c5");
}

TEST(MoveText, Disambiguation) {
    const char *const cases[][4] = {
        // Knights on b1 and f3 both reach d2: the origin file is named.
        {"4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "b1", "d2", "Nbd2"},
        // Rooks on e1 and e3 of one file both reach e2: the origin rank is named.
        {"k7/8/8/8/8/4R3/8/4R1K1 w - - 0 1", "e1", "e2", "R1e2"},
        // Three queens reach b2: the file tells each apart.
        {"8/8/8/7k/8/8/K7/QQQRRNNN w - - 0 1", "a1", "b2", "Qab2"},
        // Three knights reach e4; c3 shares its file with c5 and its rank with g3.
        {"4k3/8/8/2N5/8/2N3N1/8/4K3 w - - 0 1", "c3", "e4", "Nc3e4"},
        {"4k3/8/8/2N5/8/2N3N1/8/4K3 w - - 0 1", "c5", "e4", "N5e4"},
        {"4k3/8/8/2N5/8/2N3N1/8/4K3 w - - 0 1", "g3", "e4", "Nge4"},
        // The f2 queen is pinned on the e1-h4 diagonal and cannot go to d4 or f3: nothing to
        // tell apart. Along its own line it still moves, and g3 is its alone as well.
        {"4k3/8/8/8/7q/8/5Q2/3QK3 w - - 0 1", "d1", "d4", "Qd4"},
        {"4k3/8/8/8/7q/8/5Q2/3QK3 w - - 0 1", "d1", "f3", "Qf3"},
        {"4k3/8/8/8/7q/8/5Q2/3QK3 w - - 0 1", "f2", "g3", "Qg3"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(sanOf(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1] << c[2];
}

TEST(MoveText, CastlingPromotionEnPassantAndCheck) {
    EXPECT_EQ(sanOf("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "g1"), "O-O");
    EXPECT_EQ(sanOf("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "c1"), "O-O-O");
    EXPECT_EQ(sanOf("8/4P3/8/8/8/8/k7/4K3 w - - 0 1", "e7", "e8", QUEEN), "e8=Q");
    EXPECT_EQ(sanOf("3r4/4P3/8/8/8/8/k7/4K3 w - - 0 1", "e7", "d8", KNIGHT), "exd8=N");
    EXPECT_EQ(sanOf("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "e5", "d6"), "exd6");
    // Rd8 mates; a mating move is written with "+", never "#".
    EXPECT_EQ(sanOf("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "d1", "d8"), "Rd8+");
}

namespace {

// Makes the position at ply the entry position the reader matches against.
void enterAtPly() {
    SEE();
    movgen(0, 0);
    sideBoards = boards[ply];
    savedSquares = squares[ply];
    gameFlags = (uint8_t)((gameFlags & ~GF_ENTRY_WHITE) |
                          ((gameFlags & GF_WHITE_TO_MOVE) ? GF_ENTRY_WHITE : 0));
}

// Every move's text reads back as that very move, and the text names no more of the origin
// than it must: without its file or its rank the text no longer names one move.
void expectTextsReadBack(const char *fen) {
    const int n = mvstore[ply + 1];
    for (int i = 0; i < n; i++) {
        const std::string text = sanstring(searchData[ply][i]);
        EXPECT_EQ(checkMove(text.c_str(), 0), i) << fen << " ply " << (int)ply << " " << text;
        const uint16_t bits = searchData[ply][i].type & (MT_SAME_FILE | MT_OTHER_FILE);
        if (bits == 0)
            continue;
        // The letter, then the named file and/or rank: drop one of them at a time.
        const int named = bits == (MT_SAME_FILE | MT_OTHER_FILE) ? 2 : 1;
        for (int k = 0; k < named; k++) {
            std::string shorter = text;
            shorter.erase(1 + k, 1);
            EXPECT_EQ(checkMove(shorter.c_str(), 0), -1) << fen << " " << text << " " << shorter;
        }
    }
}

} // namespace

TEST(MoveText, EveryTextReadsBackAsItsMove) {
    const char *const fens[] = {
        START,
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
        "8/8/8/7k/8/8/K7/QQQRRNNN w - - 0 1",
        "4k3/8/8/8/7q/8/5Q2/3QK3 w - - 0 1",
        "r3k3/1P6/8/2NpP3/8/2N3N1/8/R3K2R w KQq d6 0 1",
        "1q2k1q1/8/8/8/8/1q6/8/7K b - - 0 1",
    };
    for (const char *fen : fens) {
        ASSERT_TRUE(setupFEN(fen)) << fen;
        ply = 0;
        enterAtPly();
        expectTextsReadBack(fen);
        // And in every position one move deep.
        const int n = mvstore[1];
        for (int i = 0; i < n; i++) {
            ply = 0;
            mvstack(&searchData[0][i], (int16_t)i);
            ply = 1;
            gameFlags ^= GF_WHITE_TO_MOVE;
            enterAtPly();
            expectTextsReadBack(fen);
            gameFlags ^= GF_WHITE_TO_MOVE;
        }
        ply = 0;
    }
}

TEST(MoveText, LegalMoveListingWritesEveryForm) {
    // Pushes, en passant, promotions with and without capture, castling both ways, knights
    // told apart by file, rank or square, and checking piece moves.
    ASSERT_TRUE(setupFEN("r3k3/1P6/8/2NpP3/8/2N3N1/8/R3K2R w KQq d6 0 1"));
    ply = 0;
    SEE();
    movgen(0, 0);
    testing::internal::CaptureStdout();
    legalmv();
    const std::string out = testing::internal::GetCapturedStdout();
    // Each move is followed by one blank; the castling texts carry no extra one.
    int blanks = 0;
    for (char ch : out)
        blanks += ch == ' ';
    EXPECT_EQ(blanks, mvstore[1]) << out;
    for (const char *token :
         {"e6", "ed6e.p.", "b8=Q", "b8=N", "ba8=Q", "ba8=R", "O-O", "O-O-O", "Nc3e4", "N5e4",
          "Nge4", "Nce2", "Nge2", "N3a4", "N5a4", "Rh8+", "Rxa8+", "Kd1", "Nd7"}) {
        const std::string word = std::string(" ") + token + " ";
        EXPECT_NE((" " + out).find(word), std::string::npos) << token << " in: " << out;
    }
}

// UCI writes the squares: castling as the king's two-square step, promotions with a lower-case
// letter, en passant as a plain capture; no move at all is the null move 0000.
TEST(MoveText, CoordinatesForUci) {
    EXPECT_EQ(coordOf(START, "g1", "f3"), "g1f3");
    EXPECT_EQ(coordOf("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1", "g1"), "e1g1");
    EXPECT_EQ(coordOf("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8", "c8"), "e8c8");
    EXPECT_EQ(coordOf("8/4P3/8/8/8/8/k7/4K3 w - - 0 1", "e7", "e8", QUEEN), "e7e8q");
    EXPECT_EQ(coordOf("3r4/4P3/8/8/8/8/k7/4K3 w - - 0 1", "e7", "d8", KNIGHT), "e7d8n");
    EXPECT_EQ(coordOf("4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a2", "a1", ROOK), "a2a1r");
    EXPECT_EQ(coordOf("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "e5", "d6"), "e5d6");
    move_list none = {};
    EXPECT_STREQ(coordstring(none), "0000");
}
