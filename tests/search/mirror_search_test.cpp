// Colour symmetry of the search: a position and its colour mirror are searched alike, so
// that at every depth they get the same score and the mirrored move. A rule that treats one
// colour's moves differently (in the move order, the pruning or the extensions) shows here.
#include "support.h"

#include "search/search.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Square index of the same square seen from the other side (rank mirrored).
int mirrored(int sq) { return sq ^ 56; }

struct Result {
    int32_t score;
    move_list move;
};

Result searchTo(const std::string &fen, int depth) {
    EXPECT_TRUE(searchFEN(fen.c_str(), depth)) << fen;
    return {searchScore, movePV};
}

TEST(SearchMirror, PositionAndMirrorSearchAlike) {
    const char *positions[] = {
        // Pawn captures on both wings, both sides castled.
        "r1bq1rk1/pp2bppp/2n1pn2/2pp4/2PP4/2N1PN2/PP2BPPP/R1BQ1RK1 w - - 0 8",
        // An open centre with pieces hanging after an exchange.
        "r2qkb1r/ppp2ppp/2n2n2/3pp3/2B1P1b1/3P1N2/PPP2PPP/RNBQK2R w KQkq - 2 6",
        // A sharp middlegame with opposite castling.
        "2kr3r/ppp2ppp/2n1bn2/2b1p3/4P3/2NP1N2/PPPBBPPP/R3K2R b KQ - 4 9",
        // A rook ending with passed pawns.
        "8/5pk1/6p1/1P5p/r6P/6P1/5PK1/1R6 w - - 0 40",
        // Minor pieces and pawn captures en prise.
        "4k3/pp3ppp/2n1b3/3pP3/3P4/2NB4/PP3PPP/4K3 b - - 1 20",
        // A rook ending where the quiescence search weighs rook checks beside the king
        // against rook captures of pawns: in the endgame quiet piece moves are graded by
        // nearness to the enemy king, and a losing rook capture of a pawn by its victim.
        "8/8/p1p5/1p5p/1P5p/4R3/PPP2K1p/6rk b - - 0 1",
        // The same ending a move earlier, with White's rook still on the first rank.
        "8/8/p1p5/1p5p/1P5p/8/PPP2K1p/4R1rk w - - 0 1",
    };
    for (const char *fen : positions) {
        const std::string mirror = mirrorFEN(fen);
        for (int depth = 1; depth <= 6; depth++) {
            SCOPED_TRACE(std::string(fen) + " depth " + std::to_string(depth));
            const Result a = searchTo(fen, depth);
            const Result b = searchTo(mirror, depth);
            EXPECT_EQ(a.score, b.score);
            EXPECT_EQ(a.move.from, mirrored(b.move.from));
            EXPECT_EQ(a.move.to, mirrored(b.move.to));
            EXPECT_EQ(a.move.promote, b.move.promote);
        }
    }
}

} // namespace
