// Move text written for generated moves: pawn, piece, capture, disambiguation, castling,
// promotion and check forms.
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
    // Knights on b1 and f3 both reach d2: the origin file is named.
    EXPECT_EQ(sanOf("4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "b1", "d2"), "Nbd2");
    // Rooks on e1 and e3 of one file both reach e2: the origin rank is named.
    EXPECT_EQ(sanOf("k7/8/8/8/8/4R3/8/4R1K1 w - - 0 1", "e1", "e2"), "R1e2");
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
