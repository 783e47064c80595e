// The search's mate scores against an independent mate prover.
#include "search/search.h"

#include "board/makemove.h"
#include "board/position.h"
#include "control/control.h"
#include "movegen/movegen.h"
#include "search/mate_prover.h"
#include "support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int CLAIM_DEPTH = 3;

// Positions from games, most of them right after a capture next to a king. In each the search
// once reported a mate that does not exist, or reports one that does; the comment gives the
// line the false score rested on.
const char *const gamePositions[] = {
    // 6.Bf7+?? Kxf7: in quiescence Black was made to answer Ng5 with its only capture ...exd3,
    // and then Bf7 is mate.
    "r1bqkb1r/pp1pp1pp/2n2n2/2p5/2B1p3/3P1N2/PPP2PPP/RNBQ1RK1 w kq - 0 6",
    // Nd5 Bxd4 Nxe7+: the king escapes to g7, which the bishop has just left and which White's
    // b2 bishop only sees through the black bishop on d4.
    "r1b2rk1/2p1qnbp/p1pp2p1/5p2/2PQP3/1PN2N1P/PB3PP1/3R1RK1 w - - 0 1",
    "r1b2rk1/2p1qn1p/p1pp2p1/3N1p2/2PbP3/1P3N1P/PB3PP1/3R1RK1 w - - 0 3",
    // Bh7+ Kh8 Nxf7+, and Be3 Qxc3 Qxf7+: Black was held to its captures.
    "r1brnbk1/ppq2pp1/4p2p/4N3/3P4/P1PB1Q2/3B1PPP/R3R1K1 w - - 0 1",
    "r1brnb2/ppq2ppk/4p2p/4N3/3P4/P1P2Q2/3B1PPP/R3R1K1 w - - 0 3",
    // Qg7+ Kxg7.
    "3r3k/1r3p1p/p1pB1p2/8/p1qNP1Q1/P6P/1P4P1/3R3K w - - 0 1",
    "3r4/1r3pkp/p1pB1p2/8/p1qNP3/P6P/1P4P1/3R3K w - - 0 3",
    // Kg1 Qe1+ Kh2: a mate six plies away, taken from the table as four plies away.
    "8/5p1p/p1pr1p2/5k1P/4q3/Pp6/6P1/7K w - - 1 17",
    // Self-play positions with false mates of the same kinds.
    "rnb1k1nr/p2p1ppp/3B4/1p1N1N1P/4P1P1/3P1Q2/PqP5/R4Kb1 w kq - 0 36",
    "r1bbr1k1/pp3ppp/2p4n/2BNP3/3Q1PPq/P2B3P/1PP5/2KR3R w - - 0 37",
    "r2qr1k1/1pp2p1p/p1npbp1B/2b1p3/2B1P3/P1PP1N2/1P2QPPP/R4RK1 w - - 2 18",
    "r1bq1rk1/p2nbpp1/2p1pn2/2pp2Np/3P4/2NBP3/PPQB1PPP/R4RK1 w - - 0 18",
    "r1b1r1k1/q2nb1p1/4NnB1/p1pp3p/N2R1P2/2B5/PPQ1p1PP/R5K1 w - - 0 38",
    "r1bqrk2/3nbNp1/2p1pnB1/p2p3p/3p1P2/2N1P3/PPQB2PP/R2R2K1 b - - 0 27",
    "r2q2k1/1bpp1B2/p4p1p/1pb1nQ2/3p2rB/5N2/PPP2PPP/3R1RK1 b - - 0 36",
    "r3k2r/p1ppqpb1/1n2pnp1/3PN3/4P3/2B2Q1P/PPP1bP1P/R3K2R w KQkq - 0 5",
    // The Evergreen game after 20...Nxe7 and 21.Qxd7+ (mated in three: the search once said
    // in two), the Opera game after 15...Nxd7, a Caro-Kann miniature after 9...Kxd8 and the
    // old knight-and-bishop trap after 5...Bxd1: true mates right after captures next to a king.
    "1r2k1r1/pbppnp1p/1b3P2/8/Q7/B1PB1q2/P4PPP/3R2K1 w - - 0 40",
    "1r2k1r1/pbpQnp1p/1b3P2/8/8/B1PB1q2/P4PPP/3R2K1 b - - 0 41",
    "4kb1r/p2n1ppp/4q3/4p1B1/4P3/1Q6/PPP2PPP/2KR4 w k - 0 30",
    "rnbk1b1r/pp3ppp/2p5/4q3/4n3/8/PPPB1PPP/2KR1BNR w - - 0 18",
    "rn1qkbnr/ppp2p1p/3p2p1/4N3/2B1P3/2N5/PPPP1PPP/R1BbK2R w KQkq - 0 10",
};

// The distinct mate scores of all finished iterations of the last search.
std::vector<int32_t> mateScores() {
    std::vector<int32_t> found;
    for (int d = 1; d < MAX_PLY; d++) {
        const int32_t s = best_score[d];
        if ((s > 9959 || s < -9959) && std::find(found.begin(), found.end(), s) == found.end())
            found.push_back(s);
    }
    return found;
}

const char *verdictText(MateVerdict v) {
    return v == MateVerdict::Proven ? "proven" : v == MateVerdict::Refuted ? "false" : "undecided";
}

// Every mate score the search reports must be a forced mate at most that far away, found by a
// search that sees nothing but the legal moves; the prover also checks the check flags.
TEST(MateClaims, EveryReportedMateIsForced) {
    proverNodeBudget = 3000000;
    int claims = 0;
    for (const char *fen : gamePositions) {
        SCOPED_TRACE(fen);
        ASSERT_TRUE(searchFEN(fen, CLAIM_DEPTH));
        for (const int32_t score : mateScores()) {
            claims++;
            ASSERT_TRUE(setupFEN(fen));
            proverCheckMismatch = false;
            const MateVerdict v = checkMateScore(score);
            EXPECT_EQ(v, MateVerdict::Proven) << "score " << score << " is " << verdictText(v);
            EXPECT_FALSE(proverCheckMismatch) << proverMismatchFEN;
        }
    }
    // The true mates of the game positions must still be found.
    EXPECT_GE(claims, 6);
}

struct KnownMate {
    const char *fen;
    int moves; // mate in this many moves of the winning side
};

// Plays the search's chosen move in the game from the position `fen`; false when the move is
// not among the legal moves.
bool playChosenMove(const char *fen) {
    const move_list chosen = movePV;
    if (!setupFEN(fen))
        return false;
    ply = 0;
    SEE();
    movgen(0, 0);
    for (int i = 0; i < mvstore[1]; i++) {
        move_list &m = searchData[0][i];
        if (m.from == chosen.from && m.to == chosen.to && m.promote == chosen.promote) {
            mvstack(&m, (int16_t)i);
            makeOppMove(m, (int16_t)i);
            return true;
        }
    }
    return false;
}

// On forced mates the search and the prover agree on the distance, at every position of the
// mating line the search itself plays out for both sides: the winner's mate is the shortest
// there is, the loser's defence delays it as long as any defence can. (With a single legal
// move the search answers from the static score without searching, so it claims nothing.)
TEST(MateClaims, KnownMatesAgreeOnTheDistance) {
    proverNodeBudget = 3000000;
    const KnownMate cases[] = {
        {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", 1}, // Qxf7#
        {"rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq - 0 2", 1},       // ...Qh4#
        // Opera game: 16.Qb8+ Nxb8 17.Rd8#.
        {"4kb1r/p2n1ppp/4q3/4p1B1/4P3/1Q6/PPP2PPP/2KR4 w k - 0 16", 2},
        // Immortal game: 22.Qf6+ Nxf6 23.Be7#.
        {"r1bk2nr/p2p1pNp/n2B4/1p1NP2P/6P1/3P1Q2/P1P1K3/q5b1 w - - 1 22", 2},
        // The old trap: 5...Bxd1?? 6.Bxf7+ Ke7 7.Nd5#.
        {"rn1qkbnr/ppp2p1p/3p2p1/4N3/2B1P3/2N5/PPPP1PPP/R1BbK2R w KQkq - 0 6", 2},
        // A Caro-Kann miniature: 9.Qd8+ Kxd8 10.Bg5+ and 11.Bd8# or 11.Rd8#.
        {"rnb1kb1r/pp3ppp/2p5/4q3/4n3/3Q4/PPPB1PPP/2KR1BNR w kq - 0 9", 3},
        // Evergreen game: 21.Qxd7+ Kxd7 22.Bf5+ Ke8 23.Bd7+ Kf8 24.Bxe7#.
        {"1r2k1r1/pbppnp1p/1b3P2/8/Q7/B1PB1q2/P4PPP/3R2K1 w - - 0 21", 4},
    };
    int compared = 0;
    for (const KnownMate &c : cases) {
        SCOPED_TRACE(c.fen);
        char fen[128];
        std::snprintf(fen, sizeof fen, "%s", c.fen);
        const int plies = 2 * c.moves - 1;
        for (int left = plies; left > 0; left--) {
            SCOPED_TRACE(fen);
            const bool winner = (plies - left) % 2 == 0;
            ASSERT_TRUE(setupFEN(fen));
            if (winner) {
                EXPECT_EQ(shortestMate(left), left);
            } else {
                EXPECT_EQ(proveMated(left), MateVerdict::Proven);
                EXPECT_EQ(proveMated(left - 2), MateVerdict::Refuted);
            }
            ASSERT_TRUE(searchFEN(fen, left + 1));
            if (mvstore[1] > 1) {
                compared++;
                EXPECT_EQ(searchScore, winner ? 10000 - left : -(10000 - left));
            }
            ASSERT_TRUE(playChosenMove(fen));
            positionToFEN(0, fen);
        }
        // The line the search played ends in mate.
        EXPECT_EQ(proveMated(0), MateVerdict::Proven) << fen;
    }
    EXPECT_GE(compared, 10);
}

} // namespace
