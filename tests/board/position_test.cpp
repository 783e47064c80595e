// Start position, keys, material draw rules, FEN output and the position verifier.
#include "board/position.h"
#include "board/setup.h"
#include "control/control.h"
#include "eval/eval.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

namespace {

int sq(const char *name) { return (name[0] - 'a') + 8 * ('8' - name[1]); }

struct placed {
    int colour, piece;
    const char *square;
};

// Puts only the listed pieces into the mailbox and bitboards of ply 0.
void placeOnly(std::initializer_list<placed> pieces) {
    ensureSetup();
    for (int s = 0; s < 64; s++) {
        squares[0].insq[s] = EMPTY;
        squares[0].colsq[s] = NOCOLOUR;
    }
    for (const placed &p : pieces) {
        squares[0].insq[sq(p.square)] = (int8_t)p.piece;
        squares[0].colsq[sq(p.square)] = (int8_t)p.colour;
    }
    boards[0] = bitboardsOf(squares[0]);
}

// Copies every per-ply part of the position at ply 0 to ply 1.
void copyPlyZeroToOne() {
    boards[1] = boards[0];
    squares[1] = squares[0];
    tracker[1] = tracker[0];
    moveStack[1] = moveStack[0];
    hash[1] = hash[0];
    hashlock[1] = hashlock[0];
    pnhash[1] = pnhash[0];
    pnlock[1] = pnlock[0];
    LEwh[1] = LEwh[0];
    LEbl[1] = LEbl[0];
}

} // namespace

TEST(PositionStart, BoardPieceListsAndRecord) {
    ensureSetup();
    const bboard &b = boards[0];
    EXPECT_EQ(b.whpawns, 0x00FF000000000000ULL);
    EXPECT_EQ(b.blpawns, 0x000000000000FF00ULL);
    EXPECT_EQ(b.whking, 1ULL << 60);
    EXPECT_EQ(b.blking, 1ULL << 4);
    EXPECT_EQ(b.allpieces, 0xFFFF00000000FFFFULL);
    EXPECT_EQ(b.whPassPawns | b.blPassPawns, 0u);
    EXPECT_TRUE(b.rotated90R & (1ULL << 56)); // a8
    EXPECT_TRUE(b.rotated90R & (1ULL << 7));  // h1
    EXPECT_EQ(file, 0x0101010101010101ULL);
    EXPECT_EQ(rank, 0xFFULL);

    const trak &t = tracker[0];
    EXPECT_EQ(t.whiteQueen[1], SLOT_UNUSED);
    EXPECT_EQ(t.whiteKnight[2], SLOT_UNUSED);
    for (int i = 0; i < PAWN_SLOTS; i++) {
        EXPECT_EQ(t.whitePawn[i], 48 + i);
        EXPECT_EQ(t.blackPawn[i], 8 + i);
        EXPECT_EQ(t.whitePassPawn[i], -1);
        EXPECT_EQ(t.blackPassPawn[i], -1);
    }

    EXPECT_EQ(moveStack[0].materialCount, 7942);
    EXPECT_EQ(LEwh[0], 3971);
    EXPECT_EQ(LEbl[0], 3971);
    EXPECT_EQ(gameFlags & (GF_NO_GAME | GF_WHITE_TO_MOVE), GF_NO_GAME | GF_WHITE_TO_MOVE);
    EXPECT_EQ(drawSearch[recordIndex(0)].drawKey, hash[0]);
    EXPECT_EQ(drawSearch[recordIndex(0)].drawLock, hashlock[0]);
    EXPECT_EQ(drawSearch[recordIndex(0)].drawCount, 1);
    EXPECT_EQ(history[recordIndex(0)].histinfo.mvhash, hash[0]);
    EXPECT_EQ(history[recordIndex(0)].histinfo.mvtracks.whiteKing, 60);
    EXPECT_TRUE(verifyPosition("start position test", 0));
}

TEST(PositionStart, KeysAreThePieceKeysPlusTheSideKey) {
    ensureSetup();
    const char *back = "RNBQKBNR";
    const int codes[8] = {ROOK, KNIGHT, BISHOP, QUEEN, KING, BISHOP, KNIGHT, ROOK};
    uint64_t h = hashblack, hl = hbl_lock, ph = 0, pl = 0;
    for (int f = 0; f < 8; f++) {
        ASSERT_EQ(pieceChar[codes[f]], back[f]);
        h ^= hash_piece[WHITE][codes[f]][56 + f] ^ hash_piece[BLACK][codes[f]][f];
        hl ^= hp_lock[WHITE][codes[f]][56 + f] ^ hp_lock[BLACK][codes[f]][f];
        uint64_t pawnKeys = hash_piece[WHITE][WPAWN][48 + f] ^ hash_piece[BLACK][BPAWN][8 + f];
        uint64_t pawnLocks = hp_lock[WHITE][WPAWN][48 + f] ^ hp_lock[BLACK][BPAWN][8 + f];
        h ^= pawnKeys;
        hl ^= pawnLocks;
        ph ^= pawnKeys;
        pl ^= pawnLocks;
    }
    EXPECT_EQ(hash[0], h);
    EXPECT_EQ(hashlock[0], hl);
    EXPECT_EQ(pnhash[0], ph);
    EXPECT_EQ(pnlock[0], pl);
    Zobrist();
    EXPECT_EQ(hash[0], h);
    EXPECT_EQ(hashlock[0], hl);
    EXPECT_EQ(pnhash[0], ph);
    EXPECT_EQ(pnlock[0], pl);
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
        EXPECT_NE(hash[0], h);
        EXPECT_EQ(hash[0] ^ h, hashep[ep]);
        EXPECT_EQ(hashlock[0] ^ hl, hep_lock[ep]);
        EXPECT_EQ(pnhash[0], ph); // the pawn keys carry no en passant term
    }
    moveStack[0].enPassant = -1;

    moveStack[0].castleRights = 0;
    Zobrist();
    EXPECT_EQ(hash[0], h);
    EXPECT_EQ(hashlock[0], hl);
    moveStack[0].castleRights = CR_WHITE_SHORT | CR_BLACK_LONG;
    Zobrist();
    EXPECT_EQ(hash[0], h);
    moveStack[0].castleRights = 15;

    // Bare board: only the side term is left in the full keys.
    placeOnly({});
    Zobrist();
    EXPECT_EQ(hash[0], hashblack);
    EXPECT_EQ(hashlock[0], hbl_lock);
    EXPECT_EQ(pnhash[0], 0u);
    EXPECT_EQ(pnlock[0], 0u);
    ensureSetup();
}

TEST(PositionMaterial, DrawnMaterialCounts) {
    for (int m : {2, 312, 317, 622, 627, 632})
        EXPECT_TRUE(isDrawnMaterialCount(m)) << m;
    for (int m : {0, 1, 102, 311, 412, 521, 1101, 3971, 7942})
        EXPECT_FALSE(isDrawnMaterialCount(m)) << m;
}

TEST(PositionMaterial, InsufficientMaterial) {
    placeOnly({{WHITE, KING, "e1"}, {BLACK, KING, "e8"}});
    EXPECT_TRUE(isInsufficientMaterial(0));
    placeOnly({{WHITE, KING, "e1"}, {BLACK, KING, "e8"}, {WHITE, KNIGHT, "c3"}});
    EXPECT_TRUE(isInsufficientMaterial(0));
    placeOnly({{WHITE, KING, "e1"}, {BLACK, KING, "e8"}, {BLACK, BISHOP, "c5"}});
    EXPECT_TRUE(isInsufficientMaterial(0));
    // c1 and f8 are both dark: such bishops never attack a light square.
    placeOnly(
        {{WHITE, KING, "e1"}, {BLACK, KING, "e8"}, {WHITE, BISHOP, "c1"}, {BLACK, BISHOP, "f8"}});
    EXPECT_TRUE(isInsufficientMaterial(0));
    placeOnly({{WHITE, KING, "e1"},
               {BLACK, KING, "e8"},
               {WHITE, BISHOP, "c1"},
               {WHITE, BISHOP, "e3"},
               {BLACK, BISHOP, "a3"}});
    EXPECT_TRUE(isInsufficientMaterial(0));

    // Material with which a mate can still arise.
    placeOnly(
        {{WHITE, KING, "e1"}, {BLACK, KING, "e8"}, {WHITE, BISHOP, "c1"}, {BLACK, BISHOP, "c8"}});
    EXPECT_FALSE(isInsufficientMaterial(0));
    placeOnly(
        {{WHITE, KING, "e1"}, {BLACK, KING, "e8"}, {WHITE, BISHOP, "c1"}, {WHITE, BISHOP, "f1"}});
    EXPECT_FALSE(isInsufficientMaterial(0));
    placeOnly(
        {{WHITE, KING, "e1"}, {BLACK, KING, "e8"}, {WHITE, BISHOP, "c1"}, {WHITE, KNIGHT, "b1"}});
    EXPECT_FALSE(isInsufficientMaterial(0));
    placeOnly(
        {{WHITE, KING, "e1"}, {BLACK, KING, "e8"}, {WHITE, KNIGHT, "c3"}, {BLACK, KNIGHT, "c6"}});
    EXPECT_FALSE(isInsufficientMaterial(0));
    placeOnly({{WHITE, KING, "e1"}, {BLACK, KING, "e8"}, {WHITE, WPAWN, "a2"}});
    EXPECT_FALSE(isInsufficientMaterial(0));
    placeOnly({{WHITE, KING, "e1"}, {BLACK, KING, "e8"}, {BLACK, ROOK, "a8"}});
    EXPECT_FALSE(isInsufficientMaterial(0));
    placeOnly({{WHITE, KING, "e1"}, {BLACK, KING, "e8"}, {WHITE, QUEEN, "d1"}});
    EXPECT_FALSE(isInsufficientMaterial(0));
    ensureSetup();
    EXPECT_FALSE(isInsufficientMaterial(0));
}

TEST(PositionFEN, WritesTheStartAndChangedFields) {
    ensureSetup();
    char buf[128];
    positionToFEN(0, buf);
    EXPECT_STREQ(buf, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");

    gameFlags &= (uint8_t)~GF_WHITE_TO_MOVE;
    moveStack[0].castleRights = CR_WHITE_LONG | CR_BLACK_SHORT;
    moveStack[0].enPassant = (int8_t)sq("e3");
    moveStack[0].fiftyMove = 7;
    allmoves = 12;
    positionToFEN(0, buf);
    EXPECT_STREQ(buf, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b Qk e3 7 12");
    placeOnly({{WHITE, KING, "h1"}, {BLACK, KING, "a8"}, {BLACK, BPAWN, "d4"}});
    moveStack[0].castleRights = 0;
    moveStack[0].enPassant = (int8_t)sq("e3");
    gameFlags &= (uint8_t)~GF_WHITE_TO_MOVE;
    allmoves = 0; // no move number yet: written as 1
    positionToFEN(0, buf);
    EXPECT_STREQ(buf, "k7/8/8/8/3p4/8/8/7K b - e3 0 1");
    ensureSetup();
}

TEST(PositionVerify, AcceptsConsistentAndDetectsCorruption) {
    ensureSetup();
    ASSERT_TRUE(verifyPosition("test", 0));

    // Each corruption is made on a saved copy's original and undone afterwards.
    bboard savedBoards = boards[0];
    boards[0].whknights ^= 1ULL << sq("f3");
    EXPECT_FALSE(verifyPosition("test", 0));
    boards[0] = savedBoards;
    boards[0].rotated45L ^= 1ULL << 20;
    EXPECT_FALSE(verifyPosition("test", 0));
    boards[0] = savedBoards;

    trak savedTracker = tracker[0];
    tracker[0].whiteKnight[0] = (int8_t)sq("f3"); // empty square
    EXPECT_FALSE(verifyPosition("test", 0));
    tracker[0] = savedTracker;
    tracker[0].blackRook[3] = 70; // never a square
    EXPECT_FALSE(verifyPosition("test", 0));
    tracker[0] = savedTracker;
    tracker[0].whiteBishop[0] = (int8_t)(58 - 64); // c1 bishop marked captured, still there
    EXPECT_FALSE(verifyPosition("test", 0));
    tracker[0] = savedTracker;
    tracker[0].blackPawn[3] = (int8_t)sq("e7"); // two slots on one pawn
    EXPECT_FALSE(verifyPosition("test", 0));
    tracker[0] = savedTracker;
    tracker[0].whitePassPawn[2] = (int8_t)sq("d2"); // not the pawn of slot 2
    EXPECT_FALSE(verifyPosition("test", 0));
    tracker[0] = savedTracker;

    // A pass-pawn slot that follows its pawn and agrees with the board is accepted.
    tracker[0].whitePassPawn[2] = (int8_t)sq("c2");
    EXPECT_FALSE(verifyPosition("test", 0)); // the board does not know it yet
    boards[0].whPassPawns |= 1ULL << sq("c2");
    EXPECT_TRUE(verifyPosition("test", 0));
    tracker[0] = savedTracker;
    boards[0] = savedBoards;

    hash[0] ^= 1;
    EXPECT_FALSE(verifyPosition("test", 0));
    hash[0] ^= 1;
    pnlock[0] ^= 1ULL << 40;
    EXPECT_FALSE(verifyPosition("test", 0));
    pnlock[0] ^= 1ULL << 40;
    gameFlags ^= GF_WHITE_TO_MOVE; // the keys say White is to move
    EXPECT_FALSE(verifyPosition("test", 0));
    gameFlags ^= GF_WHITE_TO_MOVE;

    moveStack[0].materialCount -= 100;
    EXPECT_FALSE(verifyPosition("test", 0));
    moveStack[0].materialCount += 100;

    squares[0].colsq[sq("e2")] = BLACK; // a white pawn code on a black square byte
    EXPECT_FALSE(verifyPosition("test", 0));
    squares[0].colsq[sq("e2")] = WHITE;
    EXPECT_TRUE(verifyPosition("test", 0));
}

TEST(PositionVerify, ScoreSumsFollowPieceSquareValues) {
    ensureSetup();
    copyPlyZeroToOne();
    EXPECT_TRUE(verifyPosition("test", 1));

    // Ng1-f3 made by hand at ply 1, with LEwh moved by the piece-square difference.
    int from = sq("g1"), to = sq("f3");
    squares[1].insq[to] = KNIGHT;
    squares[1].colsq[to] = WHITE;
    squares[1].insq[from] = EMPTY;
    squares[1].colsq[from] = NOCOLOUR;
    boards[1] = bitboardsOf(squares[1]);
    tracker[1].whiteKnight[1] = (int8_t)to;
    positionKeys k = keysOf(1, true);
    hash[1] = k.hash;
    hashlock[1] = k.hashlock;
    pnhash[1] = k.pnhash;
    pnlock[1] = k.pnlock;
    LEwh[1] += pieceSquareValue(WHITE, KNIGHT, to) - pieceSquareValue(WHITE, KNIGHT, from);
    EXPECT_TRUE(verifyPosition("test", 1));
    LEwh[1] += 3;
    EXPECT_FALSE(verifyPosition("test", 1));
    LEwh[1] -= 3;
    LEbl[1] -= 1;
    EXPECT_FALSE(verifyPosition("test", 1));
    LEbl[1] += 1;
    EXPECT_TRUE(verifyPosition("test", 1));
}

TEST(PositionVerify, AcceptsPositionsSetUpFromFEN) {
    const char *fens[] = {
        "rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 3",
        "8/5k2/8/3P4/8/8/2K5/8 w - - 4 40",
        "r3k2r/1P6/8/8/8/8/6p1/R3K2R w Kq - 0 25",
    };
    for (const char *fen : fens) {
        ASSERT_TRUE(setupFEN(fen)) << fen;
        EXPECT_TRUE(verifyPosition("FEN test", 0)) << fen;
        char buf[128];
        positionToFEN(0, buf);
        EXPECT_STREQ(buf, fen);
    }
    ensureSetup();
}
