// Start position, keys, material draw rules, FEN output and the position verifier.
#include "board/position.h"
#include "board/setup.h"
#include "control/control.h"
#include "eval/eval.h"
#include "movegen/movegen_test_util.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <string>

namespace {

int sq(const char *name) { return (name[0] - 'a') + 8 * ('8' - name[1]); }

// The FEN line of the position at ply 0.
std::string fenOf() {
    char buf[128];
    positionToFEN(0, buf);
    return buf;
}

} // namespace

// The side to move and the en passant square are part of the keys; the pawn keys hold
// neither; castling rights are in no key (a lost right is handled as an irreversible move).
TEST(PositionKeys, SideEnPassantAndCastling) {
    ensureSetup();
    uint64_t h = hash[0], hl = hashlock[0], ph = pnhash[0], pl = pnlock[0];
    gameFlags &= (uint8_t)~GF_WHITE_TO_MOVE; // same placement, Black to move
    Zobrist();
    EXPECT_EQ(hash[0] ^ h, hashblack);
    EXPECT_EQ(hashlock[0] ^ hl, hbl_lock);
    EXPECT_EQ(pnhash[0], ph);
    EXPECT_EQ(pnlock[0], pl);
    gameFlags |= GF_WHITE_TO_MOVE;
    for (int ep : {sq("e6"), sq("a3")}) {
        moveStack[0].enPassant = (int8_t)ep;
        Zobrist();
        EXPECT_EQ(hash[0] ^ h, hashep[ep]);
        EXPECT_NE(hashep[ep], 0u);
        EXPECT_EQ(hashlock[0] ^ hl, hep_lock[ep]);
        EXPECT_EQ(pnhash[0], ph);
    }
    moveStack[0].enPassant = -1;
    moveStack[0].castleRights = CR_WHITE_SHORT | CR_BLACK_LONG;
    Zobrist();
    EXPECT_EQ(hash[0], h);
    EXPECT_EQ(hashlock[0], hl);
    ensureSetup();
}

// Which material the game calls insufficient (no mate can ever arise) and which the search
// scores as a draw from the material count alone (-1: not asserted, the count cannot tell two
// bishops or bishop and knight against a bare king, which win, from a minor piece each).
TEST(PositionMaterial, InsufficientAndDrawnMaterial) {
    const struct {
        const char *placement;
        bool insufficient;
        int drawnCount;
    } cases[] = {
        {"4k3/8/8/8/8/8/8/4K3", true, 1},
        {"4k3/8/8/8/8/2N5/8/4K3", true, 1},
        {"4k3/8/8/2b5/8/8/8/4K3", true, 1},
        // c1, e3, a3 and f8 are all dark: such bishops never attack a light square.
        {"4kb2/8/8/8/8/8/8/2B1K3", true, 1},
        {"4k3/8/8/8/8/b3B3/8/2B1K3", true, 0},
        // Material with which a mate can still arise.
        {"2b1k3/8/8/8/8/8/8/2B1K3", false, 1},
        {"4k3/8/8/8/8/8/8/2B1KB2", false, -1},
        {"4k3/8/8/8/8/8/8/1NB1K3", false, -1},
        {"4k3/8/2n5/8/8/2N5/8/4K3", false, 1},
        {"4k3/8/8/8/8/8/P7/4K3", false, 0},
        {"r3k3/8/8/8/8/8/8/4K3", false, 0},
        {"4k3/8/8/8/8/8/8/3QK3", false, 0},
    };
    for (const auto &c : cases) {
        buildPosition(c.placement, true); // the FEN reader refuses insufficient material
        EXPECT_EQ(isInsufficientMaterial(0), c.insufficient) << c.placement;
        int material = 0; // as the move maker and the verifier count it
        for (int s = 0; s < 64; s++)
            material += squares[0].insq[s] == EMPTY ? 0 : pieceValue[squares[0].insq[s]];
        if (c.drawnCount >= 0) {
            EXPECT_EQ(isDrawnMaterialCount(material), c.drawnCount == 1) << c.placement;
        }
    }
    ensureSetup();
    EXPECT_FALSE(isInsufficientMaterial(0));
}

TEST(PositionFEN, WritesTheStartAndChangedFields) {
    ensureSetup();
    EXPECT_EQ(fenOf(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    gameFlags &= (uint8_t)~GF_WHITE_TO_MOVE;
    moveStack[0].castleRights = CR_WHITE_LONG | CR_BLACK_SHORT;
    moveStack[0].enPassant = (int8_t)sq("e3");
    moveStack[0].fiftyMove = 7;
    allmoves = 12;
    EXPECT_EQ(fenOf(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b Qk e3 7 12");
    buildPosition("k7/8/8/8/3p4/8/8/7K", false, "e3");
    allmoves = 0; // no move number yet: written as 1
    EXPECT_EQ(fenOf(), "k7/8/8/8/3p4/8/8/7K b - e3 0 1");
    ensureSetup();
}

TEST(PositionVerify, AcceptsConsistentAndDetectsCorruption) {
    ensureSetup();
    ASSERT_TRUE(verifyPosition("test", 0));
    // Each corruption is made on the start position and undone afterwards.
    const std::function<void()> corruptions[] = {
        [] { boards[0].whknights ^= 1ULL << sq("f3"); },
        [] { boards[0].rotated45L ^= 1ULL << 20; },
        [] { tracker[0].whiteKnight[0] = (int8_t)sq("f3"); },   // empty square
        [] { tracker[0].blackRook[3] = 70; },                   // never a square
        [] { tracker[0].whiteBishop[0] = (int8_t)(58 - 64); },  // c1 marked captured, still there
        [] { tracker[0].blackPawn[3] = (int8_t)sq("e7"); },     // two slots on one pawn
        [] { tracker[0].whitePassPawn[2] = (int8_t)sq("d2"); }, // not the pawn of slot 2
        [] { tracker[0].whitePassPawn[2] = (int8_t)sq("c2"); }, // the board does not know it
        [] { hash[0] ^= 1; },
        [] { pnlock[0] ^= 1ULL << 40; },
        [] { gameFlags ^= GF_WHITE_TO_MOVE; }, // the keys say White is to move
        [] { moveStack[0].materialCount -= 100; },
        [] { squares[0].colsq[sq("e2")] = BLACK; }, // a white pawn code on a black square byte
    };
    for (size_t i = 0; i < std::size(corruptions); i++) {
        ensureSetup();
        corruptions[i]();
        EXPECT_FALSE(verifyPosition("test", 0)) << "corruption " << i;
    }
    // A pass-pawn slot that follows its pawn and agrees with the board is accepted.
    ensureSetup();
    tracker[0].whitePassPawn[2] = (int8_t)sq("c2");
    boards[0].whPassPawns |= 1ULL << sq("c2");
    EXPECT_TRUE(verifyPosition("test", 0));
    ensureSetup();
}

TEST(PositionVerify, ScoreSumsAreComparedWithPlyZero) {
    ensureSetup();
    boards[1] = boards[0];
    squares[1] = squares[0];
    tracker[1] = tracker[0];
    moveStack[1] = moveStack[0];
    hash[1] = hash[0], hashlock[1] = hashlock[0], pnhash[1] = pnhash[0], pnlock[1] = pnlock[0];
    LEwh[1] = LEwh[0];
    LEbl[1] = LEbl[0] - 1;
    EXPECT_FALSE(verifyPosition("test", 1));
    LEbl[1] += 1;
    EXPECT_TRUE(verifyPosition("test", 1));
    LEwh[1] += 3;
    EXPECT_FALSE(verifyPosition("test", 1));
}
