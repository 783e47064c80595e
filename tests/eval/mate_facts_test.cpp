// The evaluation's "no legal move" facts (mated, stalemated) against the legal moves.
#include "eval/eval.h"

#include "board/makemove.h"
#include "board/position.h"
#include "control/control.h"
#include "control/movetext.h"
#include "movegen/movegen.h"
#include "search/mate_prover.h"
#include "support.h"

#include <gtest/gtest.h>
#include <string>

namespace {

void failVerdict(const EvalVerdict &v) {
    ADD_FAILURE() << v.fen << ": evaluation " << v.score << " (stalemate " << v.stalemate << "), "
                  << v.legalMoves << " legal moves, in check " << v.inCheck
                  << (v.consistent ? "" : ", incremental state wrong");
}

// The evaluation scores a side to move without a legal move as mated (in check) or flags it
// stalemated, and nothing else: around positions where a king's only squares are seen by an
// x-ray through another piece, where en passant is or is not an answer to check, and where a
// king is walled in.
TEST(EvalMateFacts, AgreeWithTheLegalMoves) {
    const char *const fens[] = {
        // The rook on e7 only x-rays a7 through its own king.
        "k7/2K1R3/8/8/8/8/8/8 b - - 25 24",
        // Nd5 Bxd4 Nxe7+ Kg7 from above, and the same after Bxd4.
        "r1b2rk1/2p1qnbp/p1pp2p1/3N1p2/2PQP3/1P3N1P/PB3PP1/3R1RK1 b - - 1 1",
        "r1b2rk1/2p1qn1p/p1pp2p1/3N1p2/2PbP3/1P3N1P/PB3PP1/3R1RK1 w - - 0 2",
        // En passant next to a king that is in check from a pawn, a bishop or along a rank.
        "b3k3/1p6/8/P7/8/6p1/4n3/7K b - - 0 1",
        "7k/1p6/2p5/P2n4/K7/7r/8/8 b - - 0 1",
        "8/8/8/8/k2p3Q/8/2P5/1K6 w - - 0 1",
        // A king boxed in by its own pieces, and one boxed in on the edge.
        "6rk/6pp/8/6N1/8/8/8/6K1 w - - 0 1",
        "7k/8/6KP/8/8/8/8/8 w - - 0 1",
    };
    uint64_t checked = 0;
    for (const char *fen : fens) {
        SCOPED_TRACE(fen);
        ASSERT_TRUE(setupFEN(fen));
        checked += walkEvalVerdicts(2, failVerdict);
    }
    EXPECT_GT(checked, 3000u);
}

// Plays `san` (a move of the position at ply 0) into the game; evaluates the result and
// generates its legal moves.
int32_t evaluateAfter(const char *fen, const char *san) {
    EXPECT_TRUE(setupFEN(fen));
    ply = 0;
    SEE();
    movgen(0, 0);
    for (int i = 0; i < mvstore[1]; i++) {
        move_list m = searchData[0][i];
        std::string text = sanstring(m);
        while (!text.empty() && (text.back() == '+' || text.back() == '#'))
            text.pop_back();
        if (text == san) {
            mvstack(&searchData[0][i], (int16_t)i);
            makeOppMove(searchData[0][i], (int16_t)i);
            ply = 0;
            SEE();
            const int32_t score = evaluate(0);
            movgen(0, 0);
            return score;
        }
    }
    ADD_FAILURE() << "no move " << san;
    return 0;
}

// An en passant capture is a legal answer to a check only when it removes the pawn that gave
// the check by its double step.
TEST(EvalMateFacts, EnPassantCountsOnlyWhenItAnswersTheCheck) {
    // ...b7-b5 uncovers the bishop on a8: axb6 would leave the king in check, so White is mated.
    EXPECT_EQ(evaluateAfter("b3k3/1p6/8/P7/8/6p1/4n3/7K b - - 0 1", "b5"), -10000);
    EXPECT_EQ(pieceStatus.stalemate, 0);
    // ...b7-b5+ gives the check itself: axb6 takes the checker, the only legal move.
    EXPECT_GT(evaluateAfter("7k/1p6/2p5/P2n4/K7/7r/8/8 b - - 0 1", "b5"), -10000);
    EXPECT_EQ(mvstore[1], 1);
}

} // namespace
