// The search as a tool runs it: mates, forced moves, draws, traps and playable results.
#include "search/search.h"
#include "search/search_internal.h"

#include "board/makemove.h"
#include "board/position.h"
#include "control/control.h"
#include "control/timecontrol.h"
#include "movegen/movegen.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int squareOf(const char *t) { return (t[0] - 'a') + 8 * ('8' - t[1]); }

void searchFEN(const char *fen, int depth) { ASSERT_TRUE(::searchFEN(fen, depth)) << fen; }

// Plays a coordinate move ("b1c3") in the game, as the front ends do.
void playGameMove(const char *text) {
    ply = 0;
    SEE();
    movgen(0, 0);
    const int from = squareOf(text), to = squareOf(text + 2);
    for (int i = 0; i < mvstore[1]; i++) {
        move_list m = searchData[0][i];
        if (m.from == from && m.to == to) {
            mvstack(&searchData[0][i], (int16_t)i);
            makeOppMove(searchData[0][i], (int16_t)i);
            return;
        }
    }
    FAIL() << "illegal game move " << text;
}

bool chose(const char *from, const char *to) {
    return movePV.from == squareOf(from) && movePV.to == squareOf(to);
}

std::string chosenText() {
    std::string s;
    for (int square : {movePV.from, movePV.to})
        s += std::string{(char)('a' + (square & 7)), (char)('8' - (square >> 3))};
    return s;
}

// The chosen move must be playable from its cached position: the game then continues from a
// position that agrees with itself in every representation.
void expectPlayable() {
    const uint8_t side = gameFlags & GF_WHITE_TO_MOVE;
    ply = 0;
    makeMove(movePV);
    EXPECT_NE(side, gameFlags & GF_WHITE_TO_MOVE);
    EXPECT_EQ(history[recordIndex(allmoves)].histdata.from, movePV.from);
    EXPECT_TRUE(verifyPosition("search_test", 0));
}

struct MateCase {
    const char *fen;
    const char *from;
    const char *to;
};

// Every case has exactly one first move that mates in the stated number of moves (checked
// exhaustively with the legal move generator); the line is given in each comment.
void expectMate(const MateCase &c, int moves, int depth) {
    SCOPED_TRACE(c.fen);
    searchFEN(c.fen, depth);
    EXPECT_TRUE(chose(c.from, c.to)) << "chose " << chosenText();
    // A mate delivered at ply p scores 10000 - p; a mate in n is delivered at ply 2n - 1.
    EXPECT_EQ(searchScore, 10000 - (2 * moves - 1));
    // The mate is resolved once the depth reaches past it: the search stops itself (code 1).
    EXPECT_EQ(stopSearch, 1);
    expectPlayable();
}

TEST(SearchMate, MateInOneBothColours) {
    const MateCase cases[] = {
        // Back rank: Rd8#.
        {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "d1", "d8"},
        // Smothered: Nf7#, the king is walled in by its own rook and pawns.
        {"6rk/6pp/8/6N1/8/8/8/6K1 w - - 0 1", "g5", "f7"},
        // Back rank for Black: ...Rd1#.
        {"3r2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", "d8", "d1"},
        // Two rooks: ...Rb1#, the rook on a2 holds the second rank.
        {"1r2k3/8/8/8/8/8/r7/4K3 b - - 0 1", "b8", "b1"},
    };
    for (const MateCase &c : cases)
        expectMate(c, 1, 4);
}

TEST(SearchMate, MateInTwoBothColours) {
    const MateCase cases[] = {
        // 1.Rd8+ Rxd8 2.Rxd8#: the front rook must go first.
        {"r5k1/5ppp/8/8/8/8/3R1PPP/3R2K1 w - - 0 1", "d2", "d8"},
        // 1.Kc7 Ka7 2.Ra5#: a quiet king move takes b8 and b7 away.
        {"k7/8/3K4/6R1/8/8/8/8 w - - 0 1", "d6", "c7"},
        // 1...Rd1+ Rxd1 2...Rxd1#.
        {"3r2k1/3r1ppp/8/8/8/8/5PPP/R5K1 b - - 0 1", "d7", "d1"},
        // 1...Kc7 Ka7 2...Ra1#.
        {"K7/8/3k4/8/8/8/8/6r1 b - - 0 1", "d6", "c7"},
    };
    for (const MateCase &c : cases)
        expectMate(c, 2, 6);
}

TEST(SearchMate, MateInThreeBothColours) {
    const MateCase cases[] = {
        // 1.Qd8+ Rxd8 2.Rxd8+ Rxd8 3.Rxd8#: the queen opens the file for the doubled rooks.
        {"rr4k1/5ppp/8/8/8/3Q4/3R1PPP/3R2K1 w - - 0 1", "d3", "d8"},
        // King and rook: 1.Kg3 and the rook mates on the first rank.
        {"8/8/2R5/8/7K/8/8/6k1 w - - 0 1", "h4", "g3"},
        // 1...Qd1+ Rxd1 2...Rxd1+ Rxd1 3...Rxd1#.
        {"3r2k1/3r1ppp/3q4/8/8/8/5PPP/RR4K1 b - - 0 1", "d6", "d1"},
        // 1...Kg6 and the rook mates on the eighth rank.
        {"6K1/8/8/7k/8/2r5/8/8 b - - 0 1", "h5", "g6"},
    };
    for (const MateCase &c : cases)
        expectMate(c, 3, 8);
}

// The only legal move (Kxb2) is answered after one evaluation: no iteration runs past the
// first, the search stops itself, and the move is ready to be played.
TEST(SearchForced, SingleLegalMoveReturnsAfterDepthOne) {
    searchFEN("k7/8/8/8/8/8/1r6/K7 w - - 0 1", 10);
    EXPECT_EQ(stopSearch, 1);
    EXPECT_EQ(searchDepth, 0); // the last depth started (1) minus one
    EXPECT_TRUE(chose("a1", "b2")) << chosenText();
    EXPECT_EQ(pvlen[0], 1);
    EXPECT_GT(searchScore, 0); // a rook up for the side to move
    expectPlayable();
}

TEST(SearchTactics, TakesAFreeQueenAtDepthOne) {
    searchFEN("4k3/8/8/3q4/8/8/8/3RK3 w - - 0 1", 1);
    EXPECT_TRUE(chose("d1", "d5")) << chosenText();
    EXPECT_GT(searchScore, 300);
    expectPlayable();
}

// Qxe5 wins a knight but leaves the black king without a move: a draw. The winning side
// must keep the game going instead.
TEST(SearchTactics, AvoidsStalemateWhenWinning) {
    for (int depth = 1; depth <= 4; depth++) {
        SCOPED_TRACE(depth);
        searchFEN("k7/8/1K6/4n3/8/8/8/4Q3 w - - 0 1", depth);
        EXPECT_FALSE(chose("e1", "e5"));
        EXPECT_GT(searchScore, 300);
    }
}

// Black is two queens down in a middlegame; any quiet piece move makes the hundredth
// half-move without capture or pawn move, which the losing side gladly takes. The draw is
// worth `drawn` to the side that makes it: -75 in a middlegame with an even reference score.
// (White's second queen is the promoted h-pawn.)
TEST(SearchDraws, FiftyMoveRuleScoresDrawn) {
    searchFEN("rnb1kb2/pp6/8/8/8/8/PPPPPPP1/RNBQKQNR b KQq - 99 60", 3);
    EXPECT_EQ(gameState, 1);
    EXPECT_EQ(drawn, -75);
    EXPECT_EQ(searchScore, drawn);
}

// White, far behind, can repeat the position after Nc3 a third time; the position after the
// first move is used because the position a game starts from is never compared.
TEST(SearchDraws, ThreefoldRepetitionScoresDrawn) {
    ASSERT_TRUE(setupFEN("rnbqkb1r/pppppppp/8/8/8/8/PPPPPPPP/RN2K3 w Qkq - 0 40"));
    const char *moves[] = {"b1c3", "b8c6", "c3b1", "c6b8", "b1c3", "b8c6", "c3b1", "c6b8"};
    for (const char *m : moves)
        playGameMove(m);
    prepareSearch(3);
    search();
    EXPECT_EQ(gameState, 1);
    EXPECT_EQ(drawn, -75);
    EXPECT_EQ(searchScore, drawn);
    EXPECT_TRUE(chose("b1", "c3")) << chosenText();
}

// The middlegame draw score follows the previous search's result: a side that stood well
// avoids a draw harder than one that stood badly.
TEST(SearchDraws, MiddlegameDrawScoreFollowsTheReference) {
    const struct {
        int32_t reference;
        int expected;
    } bands[] = {{120, -50}, {-120, -25}, {30, -75}};
    for (const auto &b : bands) {
        ASSERT_TRUE(
            setupFEN("r1bqkb1r/pppp1ppp/2n2n2/4p3/4P3/2N2N2/PPPP1PPP/R1BQKB1R w KQkq - 4 20"));
        playGameMove("f1b5");
        playGameMove("f8b4");
        prepareSearch(1);
        drawReference = b.reference;
        search();
        EXPECT_EQ(gameState, 1);
        EXPECT_EQ(drawn, b.expected) << b.reference;
    }
    // The endgame ignores the reference.
    searchFEN("8/8/4k3/8/8/4K3/4P3/8 w - - 0 1", 1);
    EXPECT_EQ(drawn, 0);
}

TEST(SearchPhase, MiddlegameByMoveNumberAndEndgameSticks) {
    // The start position's material at move 20 is a middlegame; once an endgame, always an
    // endgame within the game, whatever the material says.
    ASSERT_TRUE(setupFEN("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 20"));
    classifyGamePhase();
    EXPECT_EQ(gameState, 1);
    EXPECT_EQ(LEmargin, 75);
    gameState = 2;
    classifyGamePhase();
    EXPECT_EQ(gameState, 2);
    EXPECT_EQ(LEmargin, 200);
}

// A search whose time is already spent is cut short by the clock check inside the tree and
// still leaves a legal, playable move.
TEST(SearchResult, SpentTimeStillLeavesAMove) {
    ASSERT_TRUE(setupFEN("r2q1rk1/pp2bppp/2n1pn2/3p4/3P4/2NBPN2/PP3PPP/R2Q1RK1 w - - 0 10"));
    prepareSearch(30);
    timeFlags = TF_FIXED_TIME;
    normalTime.searchTime = -1000000; // the stop time lies in the past
    search();
    EXPECT_EQ(stopSearch, 11);
    ply = 0;
    SEE();
    movgen(0, 0);
    bool legal = false;
    for (int i = 0; i < mvstore[1]; i++)
        legal |= searchData[0][i].from == movePV.from && searchData[0][i].to == movePV.to;
    EXPECT_TRUE(legal) << chosenText();
    expectPlayable();
}

} // namespace

// Killers: the two slots hold two different moves, and the first killer that cuts again
// keeps the second beside it.
TEST(Killers, TheFirstKillerCuttingAgainKeepsTheSecond) {
    ASSERT_TRUE(setupFEN("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"));
    ply = 0;
    for (int k = 0; k < 2; k++)
        killer[k][0] = tempkiller;
    matekiller[0] = tempkiller;
    std::memset(killerHeuristic[0], 0, sizeof killerHeuristic[0]);
    SEE();
    movgen(0, 0);
    const auto find = [](const char *from, const char *to) {
        for (int i = 0; i < mvstore[1]; i++) {
            const move_list &m = searchData[0][i];
            if (m.from == squareOf(from) && m.to == squareOf(to))
                return m;
        }
        ADD_FAILURE() << from << to;
        return searchData[0][0];
    };
    const move_list bc4 = find("f1", "c4"), d4 = find("d2", "d4");
    updateKillers(bc4, 0, 1);
    updateKillers(d4, 0, 1);
    updateKillers(bc4, 0, 1); // the first killer cuts again
    EXPECT_EQ(killer[0][0].killerMove, bc4.from * 64 + bc4.to);
    EXPECT_EQ(killer[1][0].killerMove, d4.from * 64 + d4.to);
}
