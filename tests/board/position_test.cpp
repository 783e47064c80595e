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

TEST(PositionStart, BoardPieceListsAndRecord) {
    ensureSetup();
    const bboard &b = boards[0];
    EXPECT_EQ(b.whpawns, 0x00FF000000000000ULL);
    EXPECT_EQ(b.blpawns, 0x000000000000FF00ULL);
    EXPECT_EQ(b.allpieces, 0xFFFF00000000FFFFULL);
    EXPECT_EQ(b.whPassPawns | b.blPassPawns, 0u);
    for (int i = 0; i < PAWN_SLOTS; i++) {
        EXPECT_EQ(tracker[0].whitePawn[i], 48 + i);
        EXPECT_EQ(tracker[0].blackPassPawn[i], -1);
    }
    EXPECT_EQ(moveStack[0].materialCount, 7942);
    EXPECT_EQ(LEwh[0], 3971);
    EXPECT_EQ(LEbl[0], 3971);
    EXPECT_EQ(gameFlags & (GF_NO_GAME | GF_WHITE_TO_MOVE), GF_NO_GAME | GF_WHITE_TO_MOVE);
    const auto &draw = drawSearch[recordIndex(0)];
    EXPECT_EQ(draw.drawKey ^ draw.drawLock, hash[0] ^ hashlock[0]);
    EXPECT_EQ(draw.drawCount, 1);
    EXPECT_EQ(history[recordIndex(0)].histinfo.mvhash, hash[0]);
    EXPECT_EQ(history[recordIndex(0)].histinfo.mvtracks.whiteKing, 60);
    EXPECT_TRUE(verifyPosition("start position test", 0));
}

TEST(PositionStart, KeysAreThePieceKeysPlusTheSideKey) {
    ensureSetup();
    const int back[8] = {ROOK, KNIGHT, BISHOP, QUEEN, KING, BISHOP, KNIGHT, ROOK};
    uint64_t h = hashblack, hl = hbl_lock, ph = 0, pl = 0;
    for (int f = 0; f < 8; f++) {
        h ^= hash_piece[WHITE][back[f]][56 + f] ^ hash_piece[BLACK][back[f]][f];
        hl ^= hp_lock[WHITE][back[f]][56 + f] ^ hp_lock[BLACK][back[f]][f];
        ph ^= hash_piece[WHITE][WPAWN][48 + f] ^ hash_piece[BLACK][BPAWN][8 + f];
        pl ^= hp_lock[WHITE][WPAWN][48 + f] ^ hp_lock[BLACK][BPAWN][8 + f];
    }
    for (int pass = 0; pass < 2; pass++, Zobrist()) { // as set up, then recomputed
        EXPECT_EQ(hash[0], h ^ ph) << pass;
        EXPECT_EQ(hashlock[0], hl ^ pl) << pass;
        EXPECT_EQ(pnhash[0], ph) << pass;
        EXPECT_EQ(pnlock[0], pl) << pass;
    }
}

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
    for (int ep : {sq("e6"), sq("a3"), sq("h6")}) {
        moveStack[0].enPassant = (int8_t)ep;
        Zobrist();
        EXPECT_EQ(hash[0] ^ h, hashep[ep]);
        EXPECT_NE(hashep[ep], 0u);
        EXPECT_EQ(hashlock[0] ^ hl, hep_lock[ep]);
        EXPECT_EQ(pnhash[0], ph); // the pawn keys carry no en passant term
    }
    moveStack[0].enPassant = -1;
    // Castling rights are not part of the keys.
    moveStack[0].castleRights = CR_WHITE_SHORT | CR_BLACK_LONG;
    Zobrist();
    EXPECT_EQ(hash[0], h);
    EXPECT_EQ(hashlock[0], hl);
    // Bare board: only the side term is left in the full keys.
    std::memset(squares[0].insq, EMPTY, 64);
    std::memset(squares[0].colsq, NOCOLOUR, 64);
    Zobrist();
    EXPECT_EQ(hash[0], hashblack);
    EXPECT_EQ(hashlock[0], hbl_lock);
    EXPECT_EQ(pnhash[0] | pnlock[0], 0u);
    ensureSetup();
}

TEST(PositionMaterial, DrawnMaterialCounts) {
    for (int m : {2, 312, 317, 622, 627, 632})
        EXPECT_TRUE(isDrawnMaterialCount(m)) << m;
    for (int m : {0, 1, 102, 311, 412, 521, 1101, 3971, 7942})
        EXPECT_FALSE(isDrawnMaterialCount(m)) << m;
}

TEST(PositionMaterial, InsufficientMaterial) {
    const struct {
        const char *placement;
        bool insufficient;
    } cases[] = {
        {"4k3/8/8/8/8/8/8/4K3", true},
        {"4k3/8/8/8/8/2N5/8/4K3", true},
        {"4k3/8/8/2b5/8/8/8/4K3", true},
        // c1, e3, a3 and f8 are all dark: such bishops never attack a light square.
        {"4kb2/8/8/8/8/8/8/2B1K3", true},
        {"4k3/8/8/8/8/b3B3/8/2B1K3", true},
        // Material with which a mate can still arise.
        {"2b1k3/8/8/8/8/8/8/2B1K3", false},
        {"4k3/8/8/8/8/8/8/2B1KB2", false},
        {"4k3/8/8/8/8/8/8/1NB1K3", false},
        {"4k3/8/2n5/8/8/2N5/8/4K3", false},
        {"4k3/8/8/8/8/8/P7/4K3", false},
        {"r3k3/8/8/8/8/8/8/4K3", false},
        {"4k3/8/8/8/8/8/8/3QK3", false},
    };
    for (const auto &c : cases) {
        buildPosition(c.placement, true);
        EXPECT_EQ(isInsufficientMaterial(0), c.insufficient) << c.placement;
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

TEST(PositionVerify, AcceptsPositionsSetUpFromFEN) {
    for (const char *fen :
         {"rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 3",
          "8/5k2/8/3P4/8/8/2K5/8 w - - 4 40", "r3k2r/1P6/8/8/8/8/6p1/R3K2R w Kq - 0 25"}) {
        ASSERT_TRUE(setupFEN(fen)) << fen;
        EXPECT_TRUE(verifyPosition("FEN test", 0)) << fen;
        EXPECT_EQ(fenOf(), fen);
    }
    ensureSetup();
}
