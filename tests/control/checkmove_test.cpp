// Typed moves matched against the legal moves: accepted and refused forms.
#include "control/control.h"
#include "control/movetext.h"
#include "movegen/movegen.h"
#include "support.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Sets the position up as the console does before matching: generated root moves and the
// saved entry position.
void enter(const char *fen) {
    ASSERT_TRUE(setupFEN(fen)) << fen;
    ply = 0;
    SEE();
    movgen(0, 0);
    sideBoards = boards[0];
    savedSquares = squares[0];
    gameFlags = (uint8_t)((gameFlags & ~GF_ENTRY_WHITE) |
                          ((gameFlags & GF_WHITE_TO_MOVE) ? GF_ENTRY_WHITE : 0));
}

// "e2e4"-style name of the matched move, or "-" when the text is refused.
std::string match(const char *text) {
    const int16_t i = checkMove(text, 0);
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

const char *START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

} // namespace

TEST(CheckMove, PawnPushesDoubleStepsAndCoordinates) {
    enter(START);
    EXPECT_EQ(match("e4"), "e2e4");
    EXPECT_EQ(match("e3"), "e2e3");
    EXPECT_EQ(match("e4\n"), "e2e4");
    EXPECT_EQ(match("e4+"), "e2e4");
    EXPECT_EQ(match("e2e4"), "e2e4");
    EXPECT_EQ(match("g1f3"), "g1f3");
    EXPECT_EQ(match("e5"), "-");
    EXPECT_EQ(match("e"), "-");
    EXPECT_EQ(match("Ng1xf3+!"), "-"); // eight characters
}

TEST(CheckMove, PieceMovesAndDisambiguation) {
    enter(START);
    EXPECT_EQ(match("Nf3"), "g1f3");
    EXPECT_EQ(match("Ng1f3"), "g1f3");
    EXPECT_EQ(match("Nf3+"), "g1f3");
    EXPECT_EQ(match("Kbd2"), "-");
    enter("4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1");
    EXPECT_EQ(match("Nbd2"), "b1d2");
    EXPECT_EQ(match("Nfd2"), "f3d2");
    EXPECT_EQ(match("Nb1d2"), "b1d2");
}

TEST(CheckMove, PinnedKnightLeavesTheOtherOne) {
    // The e2 knight is pinned by the rook on e8; Nc3 can only be the b1 knight.
    enter("4r1k1/8/8/8/8/8/4N3/1N2K3 w - - 0 1");
    EXPECT_EQ(match("Nc3"), "b1c3");
}

TEST(CheckMove, CapturesPawnsAndBishops) {
    enter("4k3/8/8/8/8/2n5/1P1P4/2B1K3 w - - 0 1");
    EXPECT_EQ(match("bxc3"), "b2c3");
    EXPECT_EQ(match("dxc3"), "d2c3");
    EXPECT_EQ(match("bc3"), "b2c3");
    EXPECT_EQ(match("Bxc3"), "-"); // the c1 bishop does not reach c3
}

TEST(CheckMove, CastlingSpellings) {
    enter("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    EXPECT_EQ(match("O-O"), "e1g1");
    EXPECT_EQ(match("0-0"), "e1g1");
    EXPECT_EQ(match("o-o"), "e1g1");
    EXPECT_EQ(match("O-O#"), "e1g1");
    EXPECT_EQ(match("O-O-O"), "e1c1");
    EXPECT_EQ(match("O-O-O+"), "e1c1");
}

TEST(CheckMove, PromotionForms) {
    enter("3r4/4P3/8/8/8/8/k7/4K3 w - - 0 1");
    EXPECT_EQ(match("e8=Q"), "e7e8Q");
    EXPECT_EQ(match("e8Q"), "e7e8Q");
    EXPECT_EQ(match("e8=N"), "e7e8N");
    EXPECT_EQ(match("exd8=Q"), "e7d8Q");
    EXPECT_EQ(match("ed8R"), "e7d8R");
    EXPECT_EQ(match("e7e8"), "-"); // no promotion piece named
    EXPECT_EQ(match("exd8"), "-");
    EXPECT_EQ(match("e8"), "-");
}

TEST(CheckMove, BlackMoves) {
    enter("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    EXPECT_EQ(match("e5"), "e7e5");
    EXPECT_EQ(match("Nf6"), "g8f6");
    EXPECT_EQ(match("c6"), "c7c6");
}
