// Making moves in the search stack, the game record, repetition counting and take-back.
#include "board/makemove.h"
#include "board/position.h"
#include "board/setup.h"
#include "control/control.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int squareOf(const char *t) { return (t[0] - 'a') + 8 * ('8' - t[1]); }

// Generates the moves at ply and returns the index of the coordinate move ("e2e4", "a7a8q"),
// or -1 when it is not legal here.
int findMove(const char *text) {
    SEE();
    movgen(0, 0);
    const int from = squareOf(text), to = squareOf(text + 2);
    int promote = 0;
    switch (text[4]) {
    case 'n':
        promote = KNIGHT;
        break;
    case 'b':
        promote = BISHOP;
        break;
    case 'r':
        promote = ROOK;
        break;
    case 'q':
        promote = QUEEN;
        break;
    default:
        break;
    }
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

void pop() {
    ply--;
    gameFlags ^= GF_WHITE_TO_MOVE;
}

// Plays a move on the game board as the move parser does: every root move is made first so
// that the cache is filled, then the chosen one is played.
void play(const char *text) {
    ASSERT_EQ(ply, 0);
    const int i = findMove(text);
    ASSERT_GE(i, 0) << text;
    for (int k = 0; k < mvstore[1]; k++)
        mvstack(&searchData[0][k], (int16_t)k);
    makeOppMove(searchData[0][i], (int16_t)i);
    ASSERT_TRUE(verifyPosition("makemove_test play", 0)) << text;
}

// Everything a take-back must restore at ply 0.
struct snapshot {
    bboard b;
    tag_sq sq;
    trak t;
    move_tag st;
    uint64_t keys[4];
    int32_t le[2];
    int32_t moves, histcount;
    uint8_t side, inCheck;
};

snapshot take() {
    return {boards[0],
            squares[0],
            tracker[0],
            moveStack[0],
            {hash[0], hashlock[0], pnhash[0], pnlock[0]},
            {LEwh[0], LEbl[0]},
            allmoves,
            histcount,
            (uint8_t)(gameFlags & GF_WHITE_TO_MOVE),
            (uint8_t)(depthFlags[0] & DPF_IN_CHECK)};
}

void expectSame(const snapshot &a, const snapshot &b) {
    EXPECT_EQ(0, std::memcmp(&a.b, &b.b, sizeof a.b));
    EXPECT_EQ(0, std::memcmp(&a.sq, &b.sq, sizeof a.sq));
    EXPECT_EQ(0, std::memcmp(&a.t, &b.t, sizeof a.t));
    EXPECT_EQ(0, std::memcmp(a.keys, b.keys, sizeof a.keys));
    EXPECT_EQ(a.le[0], b.le[0]);
    EXPECT_EQ(a.le[1], b.le[1]);
    EXPECT_EQ(a.st.castleRights, b.st.castleRights);
    EXPECT_EQ(a.st.enPassant, b.st.enPassant);
    EXPECT_EQ(a.st.fiftyMove, b.st.fiftyMove);
    EXPECT_EQ(a.st.materialCount, b.st.materialCount);
    EXPECT_EQ(a.moves, b.moves);
    EXPECT_EQ(a.histcount, b.histcount);
    EXPECT_EQ(a.side, b.side);
    EXPECT_EQ(a.inCheck, b.inCheck);
}

// Deterministic generator for the random games (its own, not the engine's).
uint32_t lcgState;
uint32_t nextRandom() {
    lcgState = lcgState * 1664525u + 1013904223u;
    return lcgState >> 8;
}

} // namespace

TEST(MakeMoveDoublePush, NoEnemyPawnBesideMeansNoEnPassant) {
    ensureSetup();
    const int i = findMove("e2e4");
    ASSERT_GE(i, 0);
    ASSERT_TRUE(searchData[0][i].type & MT_DOUBLE_PUSH);
    mvstack(&searchData[0][i], (int16_t)i);
    EXPECT_EQ(moveStack[1].enPassant, NO_SQUARE);
    EXPECT_FALSE(searchData[0][i].type & MT_DOUBLE_PUSH);
    // The key is the one of the placement and side alone.
    EXPECT_EQ(hash[1], keysOf(1, false).hash);
    EXPECT_EQ(hashlock[1], keysOf(1, false).hashlock);
    EXPECT_EQ(pnhash[1], pnhash[0] ^ hash_piece[WHITE][WPAWN][52] ^ hash_piece[WHITE][WPAWN][36]);
}

TEST(MakeMoveDoublePush, EnemyPawnBesideSetsEnPassantAndKey) {
    ASSERT_TRUE(setupFEN("rnbqkbnr/ppp1pppp/8/8/3p4/8/PPPPPPPP/RNBQKBNR w KQkq - 0 3"));
    const int i = findMove("e2e4");
    ASSERT_GE(i, 0);
    mvstack(&searchData[0][i], (int16_t)i);
    EXPECT_EQ(moveStack[1].enPassant, 44);
    EXPECT_TRUE(searchData[0][i].type & MT_DOUBLE_PUSH);
    ply = 1;
    gameFlags ^= GF_WHITE_TO_MOVE;
    EXPECT_TRUE(verifyPosition("ep key", 1)); // recomputes the key with hashep of e3
    moveStack[1].enPassant = NO_SQUARE;
    EXPECT_EQ(hash[1] ^ hashep[44], keysOf(1, false).hash);
    moveStack[1].enPassant = 44;
    // The chance lasts one move: any Black reply removes the square and its key.
    push("g8f6");
    EXPECT_EQ(moveStack[2].enPassant, NO_SQUARE);
    pop();
    pop();
}

TEST(MakeMoveCapture, EnPassantRemovesThePawnEverywhere) {
    ASSERT_TRUE(setupFEN("4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1"));
    push("d7d5");
    ASSERT_EQ(moveStack[1].enPassant, 19);
    const int blackSlot = 3; // the d-pawn keeps the slot of its file
    ASSERT_EQ(tracker[1].blackPawn[blackSlot], 27);
    push("e5d6");
    EXPECT_EQ(squares[2].insq[27], EMPTY);
    EXPECT_EQ(squares[2].colsq[27], NOCOLOUR);
    EXPECT_EQ(boards[2].blpawns, 0u);
    EXPECT_FALSE(boards[2].allpieces & (1ULL << 27));
    EXPECT_EQ(tracker[2].blackPawn[blackSlot], 27 - 64);
    EXPECT_EQ(moveStack[2].captureSquare, 19);
    EXPECT_EQ(moveStack[2].capturedPiece, BPAWN);
    EXPECT_EQ(moveStack[2].fiftyMove, 0);
    EXPECT_EQ(moveStack[2].materialCount, moveStack[1].materialCount - 100);
    EXPECT_EQ(pnhash[2], keysOf(2, false).pnhash);
    EXPECT_TRUE(moveStack[2].stackFlags & ST_IRREVERSIBLE);
    pop();
    pop();
}

TEST(MakeMoveCastling, RookFollowsTheKingInEveryStructure) {
    ASSERT_TRUE(setupFEN("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1"));
    push("e1g1");
    EXPECT_EQ(squares[1].insq[61], ROOK);
    EXPECT_EQ(squares[1].colsq[61], WHITE);
    EXPECT_EQ(squares[1].insq[63], EMPTY);
    EXPECT_EQ(boards[1].whrooks, (1ULL << 56) | (1ULL << 61));
    EXPECT_EQ(tracker[1].whiteRook[1], 61);
    EXPECT_EQ(tracker[1].whiteKing, 62);
    EXPECT_EQ(moveStack[1].castleRights, CR_WHITE_CASTLED | CR_BLACK_SHORT | CR_BLACK_LONG);
    EXPECT_EQ(pieceStatus.whiteHasCastled, 1);
    push("e8c8");
    EXPECT_EQ(squares[2].insq[3], ROOK);
    EXPECT_EQ(squares[2].colsq[3], BLACK);
    EXPECT_EQ(squares[2].insq[0], EMPTY);
    EXPECT_EQ(tracker[2].blackRook[0], 3);
    EXPECT_EQ(tracker[2].blackKing, 2);
    EXPECT_EQ(moveStack[2].castleRights & 0x0F, 0);
    EXPECT_TRUE(moveStack[2].castleRights & CR_BLACK_CASTLED);
    pop();
    // A later rook move applies the castling mask and so clears the has-castled mark.
    push("a7a6");
    EXPECT_TRUE(moveStack[2].castleRights & CR_WHITE_CASTLED);
    push("f1e1");
    EXPECT_FALSE(moveStack[3].castleRights & CR_WHITE_CASTLED);
    pop();
    pop();
    pop();
}

TEST(MakeMoveCastling, CapturedCornerRookTakesItsRight) {
    ASSERT_TRUE(setupFEN("r3k2r/8/8/8/8/8/6B1/R3K2R w KQkq - 0 1"));
    push("g2a8");
    EXPECT_EQ(moveStack[1].castleRights, CR_WHITE_SHORT | CR_WHITE_LONG | CR_BLACK_SHORT);
    EXPECT_EQ(tracker[1].blackRook[0], 0 - 64);
    EXPECT_EQ(moveStack[1].capturedPiece, ROOK);
    pop();
}

TEST(MakeMovePromotion, NewPieceTakesFirstUnusedSlot) {
    ASSERT_TRUE(setupFEN("8/P7/8/8/8/1Q6/8/K6k w - - 0 1"));
    const int before = moveStack[0].materialCount;
    push("a7a8q");
    EXPECT_EQ(tracker[1].whiteQueen[0], 41);
    EXPECT_EQ(tracker[1].whiteQueen[1], 0);
    EXPECT_EQ(tracker[1].whitePawn[0], 0 - 64);
    EXPECT_EQ(squares[1].insq[0], QUEEN);
    EXPECT_EQ(moveStack[1].newPassedPawn, 575);
    // The count follows the board: a queen arrives, a pawn leaves.
    EXPECT_EQ(moveStack[1].materialCount, before + 900 - 100);
    pop();
    push("a7a8n");
    EXPECT_EQ(tracker[1].whiteKnight[0], 0);
    EXPECT_EQ(moveStack[1].materialCount, before + 310 - 100);
    EXPECT_EQ(moveStack[1].newPassedPawn, 0);
    pop();
    push("a7a8r");
    EXPECT_EQ(moveStack[1].newPassedPawn, 185);
    pop();
}

TEST(MakeMovePromotion, PromotedPiecesBeyondTheSetUpLimits) {
    // Three knights and two rooks already: the promotions add a fourth knight and a third
    // rook, which must land in new slots without disturbing the others.
    ASSERT_TRUE(setupFEN("8/PP6/8/7k/8/8/K7/1RR1NNN1 w - - 0 1"));
    push("a7a8n");
    EXPECT_EQ(tracker[1].whiteKnight[3], 0);
    push("h5h4");
    push("b7b8r");
    EXPECT_EQ(tracker[3].whiteRook[2], 1);
    EXPECT_EQ(tracker[3].whiteRook[0], 57);
    EXPECT_EQ(tracker[3].whiteRook[1], 58);
    push("h4g4");
    // The new pieces move like any other.
    push("a8b6");
    EXPECT_EQ(tracker[5].whiteKnight[3], 17);
    pop();
    pop();
    pop();
    pop();
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
    while (ply > 0)
        pop();
}

TEST(MakeMoveRepetition, GameOccurrencesAreNotTreeRepeats) {
    ensureSetup();
    play("g1f3");
    play("g8f6");
    play("f3g1");
    play("f6g8");
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
    push("b1c3");
    push("e8d8");
    push("c3b1");
    push("d8e8");
    const uint64_t key = hash[ply];
    push("h1h2");
    EXPECT_TRUE(moveStack[ply].stackFlags & ST_IRREVERSIBLE);
    EXPECT_EQ(moveStack[ply].repetitions, 1);
    push("e8d8");
    push("h2h1");
    push("d8e8");
    ASSERT_EQ(hash[ply], key);
    EXPECT_EQ(moveStack[ply].repetitions, 1);
    // A pawn move likewise starts afresh.
    while (ply > 0)
        pop();
    ASSERT_TRUE(setupFEN("4k3/4p3/8/8/8/8/8/4K3 b - - 0 1"));
    push("e7e6");
    EXPECT_EQ(drawSearch[recordIndex(allmoves) + 1].pawnOrCapture, 1);
    EXPECT_EQ(moveStack[1].repetitions, 1);
    pop();
}

TEST(MakeMoveGame, TakebackOfCaptureRestoresThePiece) {
    ASSERT_TRUE(setupFEN("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1"));
    const snapshot before = take();
    play("e4d5");
    EXPECT_EQ(squares[0].insq[27], WPAWN);
    EXPECT_EQ(moveStack[0].capturedPiece, BPAWN);
    takeback();
    EXPECT_EQ(squares[0].insq[27], BPAWN);
    EXPECT_EQ(squares[0].colsq[27], BLACK);
    EXPECT_EQ(squares[0].insq[36], WPAWN);
    EXPECT_TRUE(verifyPosition("takeback", 0));
    expectSame(before, take());
    EXPECT_TRUE(gameFlags & GF_IN_BOOK);
    // Nothing before the set-up position.
    takeback();
    expectSame(before, take());
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
            const int i = (int)(nextRandom() % (uint32_t)count);
            for (int k = 0; k < count; k++) {
                mvstack(&searchData[0][k], (int16_t)k);
                ply = 1;
                gameFlags ^= GF_WHITE_TO_MOVE;
                ASSERT_TRUE(verifyPosition("random root move", 1));
                ply = 0;
                gameFlags ^= GF_WHITE_TO_MOVE;
            }
            const move_list chosen = searchData[0][i];
            mvstack(&searchData[0][i], (int16_t)i);
            const tag_sq after = squares[1];
            makeOppMove(chosen, (int16_t)i);
            ASSERT_TRUE(verifyPosition("random game move", 0));
            // The hand-edited board must agree with the one the move maker built.
            ASSERT_EQ(0, std::memcmp(&after, &squares[0], sizeof after));
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
    while (ply > 0)
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
    const char *line[] = {"e2e4", "e8d7", "e4e5", "d7e6", "e1d2"};
    for (const char *m : line)
        play(m);
    EXPECT_EQ(allmoves, 1004);
    EXPECT_EQ(recordIndex(allmoves), 5);
    push("e6f5"); // the search indexes the record from the same base
    pop();
    for (int i = 0; i < 5; i++)
        takeback();
    expectSame(start, take());
}
