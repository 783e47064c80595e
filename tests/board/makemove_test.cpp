// Making moves in the search stack, the game record, repetition counting and take-back.
#include "board/makemove.h"
#include "board/position.h"
#include "board/setup.h"
#include "control/control.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

int squareOf(const char *t) { return (t[0] - 'a') + 8 * ('8' - t[1]); }

// Generates the moves at ply and returns the index of the coordinate move ("e2e4", "a7a8q"),
// or -1 when it is not legal here.
int findMove(const char *text) {
    SEE();
    movgen(0, 0);
    static const char kinds[] = "nbrq";
    const int from = squareOf(text), to = squareOf(text + 2);
    const int promote = text[4] ? KNIGHT + (int)(std::strchr(kinds, text[4]) - kinds) : 0;
    for (int i = 0; i < mvstore[ply + 1]; i++) {
        const move_list &m = searchData[ply][i];
        if (m.from == from && m.to == to && m.promote == promote)
            return i;
    }
    return -1;
}

// Makes a move in the search stack as the search does and checks the new position.
void push(const char *text) {
    const int i = findMove(text);
    ASSERT_GE(i, 0) << text;
    mvstack(&searchData[ply][i], (int16_t)i);
    ply++;
    gameFlags ^= GF_WHITE_TO_MOVE;
    ASSERT_TRUE(verifyPosition("makemove_test push", ply)) << text;
}

// Takes back `n` search-stack moves, or all of them.
void pop(int n = MAX_PLY) {
    for (; n > 0 && ply > 0; n--) {
        ply--;
        gameFlags ^= GF_WHITE_TO_MOVE;
    }
}

// Plays root move i of the list just generated on the game board as the move parser does:
// every root move is made first so that the cache is filled, then the chosen one is played.
// The hand-edited board must agree with the one the move maker built.
void playIndex(int i) {
    for (int k = 0; k < mvstore[1]; k++)
        mvstack(&searchData[0][k], (int16_t)k);
    mvstack(&searchData[0][i], (int16_t)i);
    const tag_sq after = squares[1];
    makeOppMove(searchData[0][i], (int16_t)i);
    ASSERT_TRUE(verifyPosition("makemove_test play", 0));
    ASSERT_EQ(0, std::memcmp(&after, &squares[0], sizeof after));
}

void play(const char *text) {
    ASSERT_EQ(ply, 0);
    const int i = findMove(text);
    ASSERT_GE(i, 0) << text;
    playIndex(i);
}

// Everything a take-back must restore at ply 0.
struct snapshot {
    bboard b;
    tag_sq sq;
    trak t;
    std::array<int64_t, 14> values;
};

snapshot take() {
    const move_tag &st = moveStack[0];
    return {boards[0],
            squares[0],
            tracker[0],
            {(int64_t)hash[0], (int64_t)hashlock[0], (int64_t)pnhash[0], (int64_t)pnlock[0],
             LEwh[0], LEbl[0], st.castleRights, st.enPassant, st.fiftyMove, st.materialCount,
             allmoves, histcount, gameFlags & GF_WHITE_TO_MOVE, depthFlags[0] & DPF_IN_CHECK}};
}

void expectSame(const snapshot &a, const snapshot &b) {
    EXPECT_EQ(0, std::memcmp(&a.b, &b.b, sizeof a.b));
    EXPECT_EQ(0, std::memcmp(&a.sq, &b.sq, sizeof a.sq));
    EXPECT_EQ(0, std::memcmp(&a.t, &b.t, sizeof a.t));
    EXPECT_EQ(a.values, b.values); // keys, running sums, state, counters, side, check
}

// Deterministic generator for the random games (its own, not the engine's).
uint32_t lcgState;
uint32_t nextRandom() {
    lcgState = lcgState * 1664525u + 1013904223u;
    return lcgState >> 8;
}

} // namespace

TEST(MakeMoveDoublePush, EnPassantSquareOnlyWithAnEnemyPawnBeside) {
    // No black pawn beside e4: no en passant square, and the key is that of the placement
    // alone (push() compares it with the recomputed one).
    ensureSetup();
    int i = findMove("e2e4");
    push("e2e4");
    EXPECT_EQ(moveStack[1].enPassant, NO_SQUARE);
    EXPECT_FALSE(searchData[0][i].type & MT_DOUBLE_PUSH); // the mark is dropped
    pop();
    ASSERT_TRUE(setupFEN("rnbqkbnr/ppp1pppp/8/8/3p4/8/PPPPPPPP/RNBQKBNR w KQkq - 0 3"));
    i = findMove("e2e4");
    push("e2e4");
    EXPECT_TRUE(searchData[0][i].type & MT_DOUBLE_PUSH);
    EXPECT_EQ(moveStack[1].enPassant, 44);
    moveStack[1].enPassant = NO_SQUARE;
    EXPECT_EQ(hash[1] ^ hashep[44], keysOf(1, false).hash);
    moveStack[1].enPassant = 44;
    // The chance lasts one move: any Black reply removes the square and its key.
    push("g8f6");
    EXPECT_EQ(moveStack[2].enPassant, NO_SQUARE);
    pop();
}

TEST(MakeMoveCapture, EnPassantRemovesThePawnEverywhere) {
    ASSERT_TRUE(setupFEN("4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1"));
    push("d7d5");
    ASSERT_EQ(moveStack[1].enPassant, 19);
    push("e5d6");
    // push() has checked that mailbox, bitboards, lists and keys agree; they must also agree
    // that d5 is empty.
    EXPECT_EQ(squares[2].insq[27], EMPTY);
    EXPECT_EQ(moveStack[2].captureSquare, 19);
    EXPECT_EQ(moveStack[2].capturedPiece, BPAWN);
    EXPECT_EQ(moveStack[2].fiftyMove, 0);
    EXPECT_TRUE(moveStack[2].stackFlags & ST_IRREVERSIBLE);
    pop();
}

TEST(MakeMoveCastling, RookFollowsTheKingAndRightsFollowTheRooks) {
    ASSERT_TRUE(setupFEN("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1"));
    push("e1g1");
    EXPECT_EQ(squares[1].insq[61], ROOK);
    EXPECT_EQ(moveStack[1].castleRights, CR_WHITE_CASTLED | CR_BLACK_SHORT | CR_BLACK_LONG);
    EXPECT_EQ(pieceStatus.whiteHasCastled, 1);
    push("e8c8");
    EXPECT_EQ(squares[2].insq[3], ROOK);
    EXPECT_EQ(moveStack[2].castleRights & 0x0F, 0);
    EXPECT_TRUE(moveStack[2].castleRights & CR_BLACK_CASTLED);
    pop(1);
    // A later rook move applies the castling mask and so clears the has-castled mark.
    push("a7a6");
    EXPECT_TRUE(moveStack[2].castleRights & CR_WHITE_CASTLED);
    push("f1e1");
    EXPECT_FALSE(moveStack[3].castleRights & CR_WHITE_CASTLED);
    pop();
    // A captured corner rook takes its right with it.
    ASSERT_TRUE(setupFEN("r3k2r/8/8/8/8/8/6B1/R3K2R w KQkq - 0 1"));
    push("g2a8");
    EXPECT_EQ(moveStack[1].castleRights, CR_WHITE_SHORT | CR_WHITE_LONG | CR_BLACK_SHORT);
    pop();
}

TEST(MakeMovePromotion, EveryPawnPromotesToTheSameKind) {
    // Two knights and eight pawns: all eight promote to knights, so the list must hold ten.
    ASSERT_TRUE(setupFEN("8/PPPPPPPP/8/k7/8/8/8/1N4NK w - - 0 1"));
    const char *promotions[] = {"a7a8n", "b7b8n", "c7c8n", "d7d8n",
                                "e7e8n", "f7f8n", "g7g8n", "h7h8n"};
    for (int i = 0; i < 8; i++) {
        push(promotions[i]);
        push(i % 2 == 0 ? "a5a4" : "a4a5");
    }
    int live = 0;
    for (int i = 0; i < KNIGHT_SLOTS; i++)
        live += tracker[ply].whiteKnight[i] >= 0;
    EXPECT_EQ(live, 10);
    EXPECT_EQ(__builtin_popcountll(boards[ply].whknights), 10);
    pop();
}

TEST(MakeMoveRepetition, ThirdOccurrenceInTheSearchCountsThree) {
    ensureSetup();
    const char *shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8", "g1f3",
                             "g8f6", "f3g1", "f6g8", "g1f3"};
    // The start position itself (record entry 0) is never compared, so the first repetition
    // found is of the position after g1f3.
    const int expected[] = {1, 1, 1, 1, 2, 2, 2, 2, 3};
    for (int i = 0; i < 9; i++) {
        push(shuffle[i]);
        EXPECT_EQ(moveStack[ply].repetitions, expected[i]) << i;
        EXPECT_EQ(expected[i] > 1, (moveStack[ply].stackFlags & ST_TREE_REPEAT) != 0) << i;
    }
    pop();
}

TEST(MakeMoveRepetition, GameOccurrencesAreNotTreeRepeats) {
    ensureSetup();
    for (const char *m : {"g1f3", "g8f6", "f3g1", "f6g8"})
        play(m);
    EXPECT_EQ(drawSearch[recordIndex(allmoves)].drawCount, 1);
    push("g1f3");
    EXPECT_EQ(moveStack[1].repetitions, 2);
    EXPECT_FALSE(moveStack[1].stackFlags & ST_TREE_REPEAT);
    pop();
}

TEST(MakeMoveRepetition, IrreversibleMoveBreaksTheChain) {
    // Castling rights are not in the key: the rook's round trip restores the key of an
    // earlier position, but a lost right is as final as a pawn move.
    ASSERT_TRUE(setupFEN("4k3/8/8/8/8/8/8/1N2K2R w K - 0 1"));
    for (const char *m : {"b1c3", "e8d8", "c3b1", "d8e8"})
        push(m);
    const uint64_t key = hash[ply];
    push("h1h2");
    EXPECT_TRUE(moveStack[ply].stackFlags & ST_IRREVERSIBLE);
    EXPECT_EQ(moveStack[ply].repetitions, 1);
    for (const char *m : {"e8d8", "h2h1", "d8e8"})
        push(m);
    ASSERT_EQ(hash[ply], key);
    EXPECT_EQ(moveStack[ply].repetitions, 1);
    // A pawn move likewise starts afresh.
    pop();
    ASSERT_TRUE(setupFEN("4k3/4p3/8/8/8/8/8/4K3 b - - 0 1"));
    push("e7e6");
    EXPECT_EQ(drawSearch[recordIndex(allmoves) + 1].pawnOrCapture, 1);
    EXPECT_EQ(moveStack[1].repetitions, 1);
    pop();
}

TEST(MakeMoveGame, SpecialMovesTakenBack) {
    ASSERT_TRUE(setupFEN("r3k2r/1P6/8/8/3p4/8/4P3/R3K2R w KQkq - 0 1"));
    const char *line[] = {"e2e4", "d4e3", "e1c1", "e8g8", "b7b8q", "a8b8"};
    snapshot states[7];
    states[0] = take();
    for (int i = 0; i < 6; i++) {
        play(line[i]);
        states[i + 1] = take();
    }
    EXPECT_EQ(histcount, 13); // two bytes a move, three for the promotion
    EXPECT_EQ(histline[10], (int8_t)('Q' + 48));
    for (int i = 5; i >= 0; i--) {
        takeback();
        ASSERT_TRUE(verifyPosition("special takeback", 0)) << line[i];
        expectSame(states[i], take());
    }
    EXPECT_TRUE(gameFlags & GF_IN_BOOK);
    // Nothing before the set-up position.
    takeback();
    expectSame(states[0], take());
}

TEST(MakeMoveGame, RandomGamesMakeAndTakeBack) {
    lcgState = 20240611u;
    for (int game = 0; game < 8; game++) {
        ensureSetup();
        static snapshot states[200];
        int n = 0;
        states[0] = take();
        for (int half = 0; half < 120 && n < 199; half++) {
            SEE();
            movgen(0, 0);
            const int count = mvstore[1];
            if (count == 0 || moveStack[0].fiftyMove >= 100)
                break;
            // Now and then go back a few moves and check the restored position.
            if (n > 0 && nextRandom() % 8 == 0) {
                int back = 1 + (int)(nextRandom() % 3);
                for (; back > 0 && n > 0; back--) {
                    takeback();
                    n--;
                    ASSERT_TRUE(verifyPosition("random takeback", 0));
                    expectSame(states[n], take());
                }
                continue;
            }
            playIndex((int)(nextRandom() % (uint32_t)count));
            if (HasFatalFailure())
                return;
            states[++n] = take();
        }
        while (n > 0) {
            takeback();
            n--;
            ASSERT_TRUE(verifyPosition("random unwind", 0));
            expectSame(states[n], take());
        }
    }
}

TEST(MakeMoveGame, LongGameCompactsTheRecord) {
    ensureSetup();
    const char *cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    uint64_t keys[4];
    for (int i = 0; i < 4; i++) {
        play(cycle[i]);
        keys[(i + 1) % 4] = hash[0];
    }
    const int total = GAME_RECORD + 300;
    for (int half = 4; half < total; half++) {
        play(cycle[half % 4]);
        ASSERT_LT(recordIndex(allmoves), GAME_RECORD - MAX_PLY - 1);
        ASSERT_LE(histcount, HISTLINE_SIZE);
    }
    EXPECT_EQ(allmoves, total);
    EXPECT_GT(histBase, 0);
    EXPECT_GE(moveStart, histBase);
    // A search from here writes repetition entries at its deepest plies.
    for (int i = 0; i < MAX_PLY - 1; i++)
        push(cycle[(total + i) % 4]);
    pop();
    int undone = 0;
    while (allmoves > moveStart) {
        takeback();
        undone++;
        ASSERT_TRUE(verifyPosition("long takeback", 0));
        ASSERT_EQ(hash[0], keys[allmoves % 4]) << allmoves;
    }
    EXPECT_GE(undone, 255);
    const int32_t limit = allmoves;
    takeback();
    EXPECT_EQ(allmoves, limit);
}

TEST(MakeMoveGame, HighMoveNumberFromFen) {
    ASSERT_TRUE(setupFEN("4k3/8/8/8/8/8/4P3/4K3 w - - 0 999"));
    EXPECT_EQ(allmoves, 999);
    EXPECT_EQ(moveStart, 999);
    EXPECT_EQ(recordIndex(allmoves), 0);
    const snapshot start = take();
    for (const char *m : {"e2e4", "e8d7", "e4e5", "d7e6", "e1d2"})
        play(m);
    EXPECT_EQ(allmoves, 1004);
    EXPECT_EQ(recordIndex(allmoves), 5);
    push("e6f5"); // the search indexes the record from the same base
    pop();
    for (int i = 0; i < 5; i++)
        takeback();
    expectSame(start, take());
}
