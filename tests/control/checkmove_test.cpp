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
    EXPECT_EQ(match("bc3+"), "b2c3");
    EXPECT_EQ(match("bxc3#"), "b2c3");
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
    // Every spelling: with or without "x", with or without "=", with or without a check mark,
    // and the coordinate form with the letter GUIs send.
    const char *const texts[][2] = {
        {"e8=Q", "e7e8Q"},  {"e8Q", "e7e8Q"},    {"e8=N", "e7e8N"},    {"e8Q+", "e7e8Q"},
        {"e8=Q+", "e7e8Q"}, {"exd8=Q", "e7d8Q"}, {"ed8R", "e7d8R"},    {"exd8Q", "e7d8Q"},
        {"ed8=Q", "e7d8Q"}, {"ed8Q+", "e7d8Q"},  {"exd8=B+", "e7d8B"}, {"e7e8q", "e7e8Q"},
        {"e7d8N", "e7d8N"}, {"e7e8", "-"},       {"exd8", "-"},        {"e8", "-"},
        {"e8=K", "-"},      {"e8=", "-"},        {"e7e8k", "-"},       {"exe8Q", "-"},
    };
    for (const auto &t : texts)
        EXPECT_EQ(match(t[0]), t[1]) << t[0];
}

TEST(CheckMove, PawnTextMovesOnlyPawns) {
    // After 1.e4 e5: "e2" is no pawn move (it once moved the king); "ee5" and "exe6" write
    // a capture onto the pawn's own file.
    enter("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2");
    EXPECT_EQ(match("e2"), "-");
    EXPECT_EQ(match("Ke2"), "e1e2");
    // Black to move: no pawn captures onto e7, though the queen on d8 goes there.
    enter("rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2");
    EXPECT_EQ(match("dxe7"), "-");
    EXPECT_EQ(match("Qe7"), "d8e7");
    // A rook and a king behind the target of a pawn text.
    enter("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    EXPECT_EQ(match("a2"), "-");
    EXPECT_EQ(match("exd2"), "-");
    EXPECT_EQ(match("Ra2"), "a1a2");
    enter("4k3/8/8/4P3/3P4/8/8/4K3 w - - 0 1");
    EXPECT_EQ(match("exe6"), "-");
    EXPECT_EQ(match("dd5"), "-");
    EXPECT_EQ(match("e6"), "e5e6");
    EXPECT_EQ(match("d5"), "d4d5");
}

TEST(CheckMove, AmbiguousTextIsRefused) {
    const struct {
        const char *fen, *ambiguous, *first, *firstMove, *second, *secondMove;
    } cases[] = {
        {"4k3/8/8/8/8/R7/8/R3K3 w - - 0 1", "Raa2", "R1a2", "a1a2", "R3a2", "a3a2"},
        {"4k3/8/8/8/8/8/3R1R2/4K3 w - - 0 1", "R2e2", "Rde2", "d2e2", "Rfe2", "f2e2"},
        {"4k3/8/8/8/8/8/8/4KN1N w - - 0 1", "N1g3", "Nfg3", "f1g3", "Nhg3", "h1g3"},
        {"4k3/8/8/8/8/8/8/Q3KQ2 w - - 0 1", "Q1a6", "Qaa6", "a1a6", "Qfa6", "f1a6"},
        {"4k3/8/8/8/8/8/8/Q3KQ2 w - - 0 1", "Qa6", "Qa1a6", "a1a6", "Qf1a6", "f1a6"},
    };
    for (const auto &c : cases) {
        enter(c.fen);
        EXPECT_EQ(match(c.ambiguous), "-") << c.fen;
        EXPECT_EQ(match(c.first), c.firstMove) << c.fen;
        EXPECT_EQ(match(c.second), c.secondMove) << c.fen;
    }
}

TEST(CheckMove, PinnedAndPromotedPiecesResolveToTheLegalMove) {
    // Three queens reach b2; only the a1 queen stands on the a-file.
    enter("8/8/8/7k/8/8/K7/QQQRRNNN w - - 0 1");
    EXPECT_EQ(match("Qab2"), "a1b2");
    EXPECT_EQ(match("Qcb2"), "c1b2");
    EXPECT_EQ(match("Qb2"), "-");
    // The f2 queen is pinned on the e1-h4 diagonal: d4 and f3 are the d1 queen's alone,
    // while g3 is the pinned queen's (it stays on its line).
    enter("4k3/8/8/8/7q/8/5Q2/3QK3 w - - 0 1");
    EXPECT_EQ(match("Qd4"), "d1d4");
    EXPECT_EQ(match("Qf3"), "d1f3");
    EXPECT_EQ(match("Qg3"), "f2g3");
    EXPECT_EQ(match("Qfd4"), "-");
}

TEST(CheckMove, BlackMoves) {
    enter("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    EXPECT_EQ(match("e5"), "e7e5");
    EXPECT_EQ(match("Nf6"), "g8f6");
    EXPECT_EQ(match("c6"), "c7c6");
}
