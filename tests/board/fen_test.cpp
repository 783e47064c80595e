// FEN syntax check, position set-up and the refusals with their messages.
#include "board/fen.h"
#include "board/makemove.h"
#include "board/position.h"
#include "board/setup.h"
#include "control/control.h"
#include "movegen/movegen.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char *START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Runs FENpos on a syntactically valid line and returns what it printed.
std::string refusalOf(const char *fen, int *result, fenRules rules = FEN_CONSOLE) {
    ensureSetup();
    EXPECT_TRUE(FENcheck(fen)) << fen;
    testing::internal::CaptureStdout();
    *result = setUpFEN(fen, rules);
    return testing::internal::GetCapturedStdout();
}

bool hasMove(int from, int to, uint16_t typeBit) {
    for (int i = 0; i < mvstore[1]; i++) {
        const move_list &m = searchData[0][i];
        if (m.from == from && m.to == to && (m.type & typeBit) == typeBit)
            return true;
    }
    return false;
}

} // namespace

TEST(FenCheck, AcceptsWellFormedLines) {
    EXPECT_TRUE(FENcheck(START));
    EXPECT_TRUE(FENcheck("4k3/8/8/8/8/8/8/4K2R w K - 12 40"));
    EXPECT_TRUE(FENcheck("4k3/8/8/8/8/8/8/4K2R b Kq e3 0 999"));
    EXPECT_TRUE(FENcheck("r3k2r/8/8/8/8/8/8/R3K2R w Qk - 0 1"));
}

TEST(FenCheck, RefusesMalformedLines) {
    const char *bad[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQqk - 0 1",   // castling order
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KK - 0 1",     // repeated right
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 100 1", // three-digit clock
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 0",   // move number 0
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1000",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 ", // trailing blank
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e4 0 1", // ep on rank 4
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR  w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN w KQkq - 0 1",   // seven squares
        "rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", // nine squares
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1",           // seven ranks
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/8 w KQkq - 0 1",
        "rnbqkbnp/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", // pawn on rank 8
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBXR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - a 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w  - 0 1", // empty castling field
        "QQQQQQQQ/QQQQQQQQ/QQ5k/8/8/8/8/7K w - - 0 1",          // seventeen white men
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 trailing text of a long line",
    };
    for (const char *fen : bad)
        EXPECT_FALSE(FENcheck(fen)) << '"' << fen << '"';
    EXPECT_FALSE(FENcheck(nullptr));
    // A text cut off anywhere (the empty one included) is refused without reading past its end.
    char cut[100];
    for (size_t n = 0; n < std::strlen(START); n++) {
        std::memcpy(cut, START, n);
        cut[n] = '\0';
        EXPECT_FALSE(FENcheck(cut)) << cut;
    }
}

TEST(FenPos, StartPositionMatchesStartpos) {
    ensureSetup();
    const bboard b = boards[0];
    const tag_sq sq = squares[0];
    const trak t = tracker[0];
    const uint64_t key = hash[0], lock = hashlock[0], pawnKey = pnhash[0];
    ASSERT_TRUE(setupFEN(START));
    EXPECT_EQ(0, std::memcmp(&b, &boards[0], sizeof b));
    EXPECT_EQ(0, std::memcmp(&sq, &squares[0], sizeof sq));
    EXPECT_EQ(0, std::memcmp(&t, &tracker[0], sizeof t));
    EXPECT_EQ(key, hash[0]);
    EXPECT_EQ(lock, hashlock[0]);
    EXPECT_EQ(pawnKey, pnhash[0]);
    EXPECT_EQ(moveStack[0].castleRights, 15);
    EXPECT_EQ(moveStack[0].materialCount, 7942);
    EXPECT_EQ(LEwh[0] + LEbl[0], 2 * 3971);
    EXPECT_EQ(mvstore[1], 20);
    EXPECT_EQ(allmoves, 1);
    EXPECT_TRUE(whiteToMove());
}

TEST(FenPos, FieldsAndPassedPawns) {
    ASSERT_TRUE(setupFEN("4k3/8/8/3p4/4P3/8/7P/4K3 b - - 17 42"));
    EXPECT_FALSE(whiteToMove());
    EXPECT_EQ(moveStack[0].fiftyMove, 17);
    EXPECT_EQ(allmoves, 42);
    EXPECT_EQ(moveStart, 42);
    EXPECT_EQ(recordIndex(allmoves), 0);
    EXPECT_EQ(moveStack[0].castleRights, 0);
    // e4 and d5 block each other's files; h2 has no black pawn ahead on the g- or h-file.
    EXPECT_EQ(boards[0].whPassPawns, 1ULL << 55);
    EXPECT_EQ(boards[0].blPassPawns, 0u);
    EXPECT_EQ(tracker[0].whitePassPawn[7], 55);
    EXPECT_EQ(gameState, 2);
    EXPECT_TRUE(verifyPosition("fen fields", 0));
}

TEST(FenPos, CastlingRookSlotsAreSwapped) {
    // The lone h1 rook is listed first; the king-side right needs it in the second slot.
    ASSERT_TRUE(setupFEN("4k3/8/8/8/8/8/8/4K2R w K - 0 1"));
    EXPECT_EQ(tracker[0].whiteRook[1], 63);
    EXPECT_TRUE(verifyPosition("fen swap", 0));
    EXPECT_TRUE(hasMove(60, 62, MT_CASTLE_SHORT));
    // The a2 rook comes before the a1 rook; the queen-side right needs a1 in the first slot.
    ASSERT_TRUE(setupFEN("4k3/8/8/8/8/8/R7/R3K3 w Q - 0 1"));
    EXPECT_EQ(tracker[0].whiteRook[0], 56);
    EXPECT_EQ(tracker[0].whiteRook[1], 48);
    for (int i = 0; i < mvstore[1]; i++)
        if (searchData[0][i].type & MT_CASTLE_LONG) { // the one castling move, to c1
            ASSERT_EQ(searchData[0][i].to, 58);
            mvstack(&searchData[0][i], (int16_t)i);
            EXPECT_EQ(tracker[1].whiteRook[0], 59);
            EXPECT_EQ(tracker[1].whiteRook[1], 48);
            gameFlags ^= GF_WHITE_TO_MOVE;
            EXPECT_TRUE(verifyPosition("castle after swap", 1));
            gameFlags ^= GF_WHITE_TO_MOVE;
        }
    EXPECT_TRUE(hasMove(60, 58, MT_CASTLE_LONG));
}

TEST(FenPos, SideToMoveInCheck) {
    ASSERT_TRUE(setupFEN("4k3/8/8/8/8/8/8/r3K3 w - - 0 1"));
    EXPECT_TRUE(depthFlags[0] & DPF_IN_CHECK);
    EXPECT_EQ(moveStack[0].checkingSquare, 56);
    // Double check by the d3 knight and the a1 rook: the higher square is recorded.
    ASSERT_TRUE(setupFEN("4k3/8/8/8/8/3n4/8/r3K3 w - - 0 1"));
    EXPECT_EQ(moveStack[0].checkingSquare, 56);
    for (int i = 0; i < mvstore[1]; i++)
        EXPECT_EQ(searchData[0][i].moved, KING); // only the king can answer a double check
    ASSERT_TRUE(setupFEN("4k3/8/8/8/8/8/8/4K2R w - - 0 1"));
    EXPECT_FALSE(depthFlags[0] & DPF_IN_CHECK);
    EXPECT_EQ(moveStack[0].checkingSquare, NO_SQUARE);
}

TEST(FenPos, EnPassantSquares) {
    const char *withEp = "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3";
    const char *without = "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq - 0 3";
    ASSERT_TRUE(setupFEN(without));
    const uint64_t plain = hash[0];
    EXPECT_FALSE(hasMove(28, 21, MT_EN_PASSANT));
    ASSERT_TRUE(setupFEN(withEp));
    EXPECT_EQ(moveStack[0].enPassant, 21);
    EXPECT_EQ(hash[0], plain ^ hashep[21]);
    EXPECT_TRUE(hasMove(28, 21, MT_EN_PASSANT));
    EXPECT_TRUE(verifyPosition("fen ep", 0));

    // Squares no double step can have produced count as "-".
    const char *impossible[] = {
        // d6: the d-pawn did not come from d7 in one step of two (d7 is occupied).
        "rnbqkbnr/pppp2pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3",
        // c6: no black pawn on c5.
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq c6 0 3",
        // e3 with White to move: the last move was Black's.
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq e3 0 3",
        // f6 occupied.
        "rnbqkb1r/ppp1p1pp/5n2/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    };
    for (const char *fen : impossible) {
        ASSERT_TRUE(setupFEN(fen)) << fen;
        EXPECT_EQ(moveStack[0].enPassant, NO_SQUARE) << fen;
        EXPECT_EQ(hash[0], keysOf(0, true).hash) << fen;
    }
    // A real double step that no pawn can answer leaves no square, as the move maker does.
    ASSERT_TRUE(setupFEN("rnbqkbnr/pppp1ppp/8/4p3/8/8/PPPPPPPP/RNBQKBNR w KQkq e6 0 2"));
    EXPECT_EQ(moveStack[0].enPassant, NO_SQUARE);
    ASSERT_TRUE(setupFEN("rnbqkbnr/pppp1ppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 3"));
    EXPECT_EQ(moveStack[0].enPassant, 44);
    EXPECT_TRUE(hasMove(35, 44, MT_EN_PASSANT));
}

TEST(FenPos, RefusalMessages) {
    const struct {
        const char *fen, *message;
    } cases[] = {
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "Error. Insufficient material.\n"},
        // The king refusals come before insufficient material.
        {"8/8/8/8/8/8/8/4K3 w - - 0 1", "Error. No black king.\n"},
        {"4k3/8/8/8/8/8/8/4N3 w - - 0 1", "Error. No white king.\n"},
        {"4k3/pppppppp/p7/8/8/8/8/4K3 w - - 0 1", "Error. Too many black pawns.\n"},
        {"4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - - 0 1", "Error. Too many white pawns.\n"},
        {"nnnnk3/8/8/8/8/8/8/4K3 w - - 0 1", "Error. Too many black knights.\n"},
        {"4k3/8/8/8/8/8/8/NNNNK3 w - - 0 1", "Error. Too many white knights.\n"},
        {"bbbbk3/8/8/8/8/8/8/4K3 w - - 0 1", "Error. Too many black bishops.\n"},
        {"4k3/8/8/8/8/8/8/BBBBK3 w - - 0 1", "Error. Too many white bishops.\n"},
        {"rrr1k3/8/8/8/8/8/8/4K3 w - - 0 1", "Error. Too many black rooks.\n"},
        {"4k3/8/8/8/8/8/8/RRR1K3 w - - 0 1", "Error. Too many white rooks.\n"},
        {"qqqqk3/8/8/8/8/8/8/4K3 w - - 0 1", "Error. Too many black queens.\n"},
        {"4k3/8/8/8/8/8/8/QQQQK3 w - - 0 1", "Error. Too many white queens.\n"},
        // Black is reported before White in every pair.
        {"4k3/pppppppp/p7/8/8/P7/PPPPPPPP/4K3 w - - 0 1", "Error. Too many black pawns.\n"},
        {"k3k3/8/8/8/8/8/8/4K2R w - - 0 1", "Error. Too many black kings.\n"},
        {"4k3/8/8/8/8/8/8/K3K2R w - - 0 1", "Error. Too many white kings.\n"},
        {"8/8/8/8/8/8/8/4K2R w - - 0 1", "Error. No black king.\n"},
        {"4k3/8/8/8/8/8/8/7R w - - 0 1", "Error. No white king.\n"},
        // More promoted pieces than missing pawns: the kind at which the surplus runs past
        // the missing pawns is named (knights, bishops, rooks, queens in that order).
        {"4k3/8/8/8/8/8/PPPPPPPP/QQQ1K3 w - - 0 1", "Error. Too many white queens.\n"},
        {"4k3/pppppppp/8/8/8/8/PPPPPPPP/QQQNNNK1 w - - 0 1", "Error. Too many white knights.\n"},
        {"4k3/8/8/8/8/8/1PPPPPPP/QQ1NNNK1 w - - 0 1", "Error. Too many white queens.\n"},
        {"4k3/8/8/8/8/8/PPPPPPP1/NNNBBBK1 w - - 0 1", "Error. Too many white bishops.\n"},
        {"qqk5/pppppppp/8/8/8/8/8/4K3 w - - 0 1", "Error. Too many black queens.\n"},
        {"8/PPPPPPPP/8/7k/8/8/8/NNN4K w - - 0 1", "Error. Too many white knights.\n"},
        // Bishops count by square colour: two on dark squares beside eight pawns.
        {"4k3/8/8/8/8/8/PPPPPPPP/B1B1K3 w - - 0 1", "Error. Too many white bishops.\n"},
        {"b1b1k3/pppppppp/8/8/8/8/8/4K3 w - - 0 1", "Error. Too many black bishops.\n"},
        // Three on dark squares with one pawn missing: the total alone would allow them.
        {"4k3/8/8/8/8/8/1PPPPPPP/B1B1K1B1 w - - 0 1", "Error. Too many white bishops.\n"},
        // Knights plus bishops of one square colour (a8 light, b8 dark).
        {"nnnbk3/8/8/8/8/8/8/4K3 w - - 0 1", "Error. Too many black squared black bishops.\n"},
        {"nnbnk3/8/8/8/8/8/8/4K3 w - - 0 1", "Error. Too many white squared black bishops.\n"},
        {"4k3/8/8/8/8/8/8/NNBNK3 w - - 0 1", "Error. Too many black squared white bishops.\n"},
        {"4k3/8/8/8/8/8/8/NNNBK3 w - - 0 1", "Error. Too many white squared white bishops.\n"},
        {"r3k2r/8/8/8/8/8/8/R3K3 w KQkq - 0 1", "Error. Incorrect castle rights.\n"},
        {"r3k3/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "Error. Incorrect castle rights.\n"},
        {"r3k2r/8/8/8/8/8/8/R2K3R w Q - 0 1", "Error. Incorrect castle rights.\n"},
        // Black to move with the White king attacked.
        {"4k3/8/8/8/8/8/8/r3K3 b - - 0 1", "Error. Invalid position.\n"},
        // Kings side by side: the side not to move stands in check by a king.
        {"8/8/8/8/8/8/3kK3/7R w - - 0 1", "Error. Invalid position.\n"},
        {"8/8/8/8/8/5k2/4K3/7R b - - 0 1", "Error. Invalid position.\n"},
        // Checks no move can give: by two leapers at once, or by three pieces.
        {"4k3/8/8/8/8/8/2np4/3QK3 w - - 0 1", "Error. Not a valid position.\n"},
        {"4k3/8/8/8/8/3n4/2n5/3QK3 w - - 0 1", "Error. Not a valid position.\n"},
        {"4k3/8/8/8/8/8/3p1p2/3QK3 w - - 0 1", "Error. Not a valid position.\n"},
        {"8/8/8/8/4k3/3P1P2/8/4K3 b - - 0 1", "Error. Not a valid position.\n"},
        {"r3k3/8/8/8/7b/3n4/8/r3K3 w - - 0 1", "Error. Not a valid position.\n"},
        // A king on the third rank attacked by a pawn that never moved.
        {"8/3p4/4K3/8/8/8/8/4k3 w - - 0 1", "Error. Invalid position.\n"},
        {"4K3/8/8/8/8/4k3/3P4/8 b - - 0 1", "Error. Invalid position.\n"},
        // Mated and stalemated.
        {"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3",
         "Error. Not a valid position.\n"},
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "Error. Not a valid position.\n"},
    };
    for (const auto &c : cases) {
        int result = -1;
        EXPECT_EQ(refusalOf(c.fen, &result), c.message) << c.fen;
        EXPECT_EQ(result, 0) << c.fen;
    }
}

TEST(FenPos, AcceptedBorderlinePositions) {
    const char *good[] = {
        // Two knights cannot force mate but can mate: the position is playable.
        "4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1",
        // Bishops on both square colours.
        "4k3/8/8/8/8/8/8/2B1KB2 w - - 0 1",
        // The full permitted set of promoted pieces.
        "8/8/8/7k/8/8/K7/QQQRRNNN w - - 0 1",
        // The side to move in check by a pawn is fine; only the side not to move may not be.
        "8/8/8/8/8/3p4/4K3/k7 w - - 0 1",
    };
    for (const char *fen : good) {
        int result = -1;
        EXPECT_EQ(refusalOf(fen, &result), "") << fen;
        EXPECT_EQ(result, 1) << fen;
        EXPECT_TRUE(verifyPosition("fen accepted", 0)) << fen;
    }
}

TEST(FenPos, SeventeenMenRefusedEvenWithoutTheSyntaxCheck) {
    // The syntax check already refuses this line; the set-up refuses it as well, since a side
    // with all its pawns cannot have promoted its third bishop.
    const char *fen = "qqqk1rrb/pppppppp/8/8/8/8/8/b3K2b w - - 0 1";
    EXPECT_FALSE(FENcheck(fen));
    ensureSetup();
    testing::internal::CaptureStdout();
    EXPECT_EQ(FENpos(fen), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error. Too many black bishops.\n");
}

TEST(FenPos, AnyLegalRulesAcceptWhatGamesReach) {
    // Refused at the console with its message, set up for a GUI.
    const struct {
        const char *fen, *consoleMessage;
    } cases[] = {
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "Error. Insufficient material.\n"},
        {"4k3/8/8/8/8/8/8/4KN2 w - - 0 1", "Error. Insufficient material.\n"},
        {"4k3/8/8/8/8/8/8/4KB2 b - - 0 1", "Error. Insufficient material.\n"},
        {"4k3/8/8/8/8/8/8/NN1BKB2 b - - 0 1", "Error. Too many white squared white bishops.\n"},
        {"4k3/8/8/8/8/8/8/NN1NKB2 w - - 0 1", "Error. Too many white squared white bishops.\n"},
        {"n3k1n1/8/8/8/8/8/8/NN2K1NN b - - 0 1", "Error. Too many white knights.\n"},
        {"4k3/8/8/8/8/8/8/RR2K1R1 w - - 0 1", "Error. Too many white rooks.\n"},
        {"8/8/8/k7/8/8/8/1QQQKQQQ w - - 0 1", "Error. Too many white queens.\n"},
        {"2b1kb2/1ppppp2/8/8/8/8/8/R3K1b1 w Q - 0 1", ""}, // accepted by both
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "Error. Not a valid position.\n"},
        {"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3",
         "Error. Not a valid position.\n"},
    };
    for (const auto &c : cases) {
        int result = -1;
        EXPECT_EQ(refusalOf(c.fen, &result), c.consoleMessage) << c.fen;
        EXPECT_EQ(result, c.consoleMessage[0] == '\0' ? 1 : 0) << c.fen;
        EXPECT_EQ(refusalOf(c.fen, &result, FEN_ANY_LEGAL), "") << c.fen;
        EXPECT_EQ(result, 1) << c.fen;
        EXPECT_TRUE(verifyPosition("fen any legal", 0)) << c.fen;
    }
    // What no game reaches stays refused for a GUI too.
    const struct {
        const char *fen, *message;
    } impossible[] = {
        {"4k3/8/8/8/8/8/PPPPPPPP/B1B1K3 w - - 0 1", "Error. Too many white bishops.\n"},
        {"4k3/8/8/8/8/8/PPPPPPPP/RR2K1R1 w - - 0 1", "Error. Too many white rooks.\n"},
        {"4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - - 0 1", "Error. Too many white pawns.\n"},
        {"8/8/8/8/8/8/8/4K3 w - - 0 1", "Error. No black king.\n"},
        {"4k3/8/8/8/8/8/8/r3K3 b - - 0 1", "Error. Invalid position.\n"},
        {"4k3/8/8/8/8/8/2np4/3QK3 w - - 0 1", "Error. Not a valid position.\n"},
        {"r3k2r/8/8/8/8/8/8/R3K3 w KQkq - 0 1", "Error. Incorrect castle rights.\n"},
    };
    for (const auto &c : impossible) {
        int result = -1;
        EXPECT_EQ(refusalOf(c.fen, &result, FEN_ANY_LEGAL), c.message) << c.fen;
        EXPECT_EQ(result, 0) << c.fen;
    }
}

TEST(FenPos, CastlingRookFoundAmongPromotedRooks) {
    // The h1 rook is listed third of three; the king-side right needs it in the second slot.
    int result = -1;
    EXPECT_EQ(refusalOf("r3k2r/pppppp2/8/8/8/8/3PPP2/RR2K2R w Kkq - 0 1", &result, FEN_ANY_LEGAL),
              "");
    ASSERT_EQ(result, 1);
    EXPECT_EQ(tracker[0].whiteRook[1], 63);
    EXPECT_TRUE(verifyPosition("fen three rooks", 0));
    bool castled = false;
    for (int i = 0; i < mvstore[1]; i++)
        if (searchData[0][i].type & MT_CASTLE_SHORT) {
            mvstack(&searchData[0][i], (int16_t)i);
            EXPECT_EQ(tracker[1].whiteRook[1], 61);
            gameFlags ^= GF_WHITE_TO_MOVE;
            EXPECT_TRUE(verifyPosition("castle among three rooks", 1));
            gameFlags ^= GF_WHITE_TO_MOVE;
            castled = true;
        }
    EXPECT_TRUE(castled);
}
