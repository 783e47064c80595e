// Knight, bishop, rook and queen terms of the evaluation, one routine per kind for either colour.
#include "eval/eval_internal.h"

#include "board/position.h"
#include "board/setup.h"
#include "eval/eval.h"
#include "movegen/movegen.h"

// Squares as White sees them (Black's pieces are looked up at the mirrored square).
constexpr int SQ_B1 = 57, SQ_C1 = 58, SQ_F1 = 61, SQ_G1 = 62;
constexpr int SQ_B2 = 49, SQ_C2 = 50, SQ_F2 = 53, SQ_G2 = 54;
constexpr int SQ_B3 = 41, SQ_G3 = 46, SQ_D3 = 43, SQ_E3 = 44;

// Square s as White would see it.
// One step towards colour c's own back rank.
static int backward(int c) { return c == WHITE ? 8 : -8; }

// Resets the per-piece flags of pieceStatus before a piece is scanned.
static void resetPieceFlags() {
    pieceStatus.trappedPiece = 0;
    pieceStatus.pinnedPiece = 0;
    pieceStatus.ableToMove = 0;
    pieceStatus.kingPoint = 0;
    pieceStatus.outpost = 0;
    pieceStatus.weakPawnHit = 0;
    pieceStatus.protectPassPawn = 0;
    pieceStatus.fianchetto = 0;
    pieceStatus.goodPin = 0;
    pieceStatus.openFile = 0;
    pieceStatus.connectedRook = 0;
    pieceStatus.rookInFront = 0;
    pieceStatus.rookBehind = 0;
}

// Move counter of a knight, bishop or rook slot. Only the two original pieces of a kind carry
// one; a promoted piece counts as having moved once (it is no undeveloped piece).
static int pieceCounter(int c, int piece, int slot) {
    if (slot >= 2)
        return 1;
    trak &t = tracker[ply];
    switch (piece) {
    case KNIGHT:
        return c == WHITE ? t.whiteKnightCounter[slot] : t.blackKnightCounter[slot];
    case BISHOP:
        return c == WHITE ? t.whiteBishopCounter[slot] : t.blackBishopCounter[slot];
    default:
        return c == WHITE ? t.whiteRookCounter[slot] : t.blackRookCounter[slot];
    }
}

// Mobility value of n counted moves; counts past the table's last column read that column.
static int32_t mobilityValue(int piece, int n) { return pieceMobility[piece][n > 13 ? 13 : n]; }

// A piece on d3/e3 (d6/e6 for Black) in front of its own unmoved centre pawn blocks it.
static bool blocksCentrePawn(int c, int s) {
    const int r = ownFrameSquare(c, s);
    if (r != SQ_D3 && r != SQ_E3)
        return false;
    return (pawnsOf(boards[ply], c) & mask[s + backward(c)]) != 0;
}

// Outpost: on the enemy half or the fourth/fifth rank, off the edge files, covered by one of
// our pawns, and no enemy pawn on a neighbouring file ahead that could ever chase it away.
static bool isOutpost(int c, int s) {
    const int r = ownFrameSquare(c, s);
    const int f = s & 7;
    if (r < 8 || r > 39 || f == 0 || f == 7)
        return false;
    if (seeOf(c).boardScan[s] < 96)
        return false;
    const int ahead = c == WHITE ? 3 : 2;
    const uint64_t front = rays[s - 1][ahead] | rays[s + 1][ahead];
    return (pawnsOf(boards[ply], c ^ 1) & front) == 0;
}

// Does a line of the piece's kind through s reach a square next to the enemy king? Bishops
// use the diagonals (direction 4..7), rooks the ranks and files (0..3), queens both.
static bool linesHitKingZone(int piece, int s, int enemyKing) {
    const uint64_t *line = rays[s];
    const uint64_t straight = line[0] | line[1] | line[2] | line[3];
    const uint64_t diagonal = line[4] | line[5] | line[6] | line[7];
    const uint64_t reach = piece == BISHOP ? diagonal
                           : piece == ROOK ? straight
                                           : straight | diagonal;
    return (kingattack[enemyKing] & reach) != 0;
}

// Tropism towards the enemy king, for a piece that is not lost where it stands.
static void addTropism(int c, int s, int enemyKing) {
    if (gameState == 0 || seeBoard[ply][s] < 0)
        return;
    const int distance = kingTropizm[enemyKing][s];
    tropism[c] += gameState == 1 ? pieceTropismMid[distance] : pieceTropismEnd[distance];
}

// Material of one kind, added before its pieces are scanned.
static void addMaterial(int c, int piece, int count) {
    pieceMaterial[c] += count * pieceValue[piece];
    endGameMaterial[c] += count * 3;
}

// Trapped, else pinned, then no counted move: the middlegame and endgame piece-safety terms.
static void addSafetyTerms(int c, int32_t trapped, int32_t pinned) {
    if (pieceStatus.trappedPiece)
        pieceEval[c] += trapped;
    else if (pieceStatus.pinnedPiece)
        pieceEval[c] += pinned;
    if (!pieceStatus.ableToMove)
        pieceEval[c] += profile.unableToMove;
}

// Good-pin term of a bishop or rook that pins an enemy piece to the enemy queen: half of the
// pinned piece's own pin penalty, credited to the pinning side (the pin hurts the side whose
// piece is tied to its queen, so the pinner gains what the pinned side loses).
static int32_t goodPinTerm() {
    switch (pieceStatus.goodPin) {
    case KNIGHT:
        return -(profile.pinnedKnight / 2);
    case BISHOP:
        return -(profile.pinnedBishop / 2);
    case ROOK:
        return -(profile.pinnedRook / 2);
    default:
        return 0;
    }
}

// Work common to every knight, bishop, rook and queen: fresh flags, its square value, whether
// it guards one of its own passed pawns, and the target scan. Returns the counted moves.
static int beginPiece(int c, int piece, int slot, int s, uint64_t attacks) {
    resetPieceFlags();
    pieceEval[c] += pieceSquareValue(c, piece, s);
    if (attacks & passPawnsOf(boards[ply], c))
        pieceStatus.protectPassPawn = 1;
    return scanPieceTargets(c, piece, slot, s, attacks, false);
}

static void scoreKnights(int c) {
    const evaluator &own = seeOf(c);
    const int enemyKing = kingSlot(tracker[ply], c ^ 1);
    const int8_t *slots = knightSlots(tracker[ply], c);
    const int count = own.knightCount;
    addMaterial(c, KNIGHT, count);
    int seen = 0;
    // The attack analysis counted the pieces from these very slots: the walk ends at the last.
    for (int slot = 0; slot < KNIGHT_SLOTS && seen < count; slot++) {
        const int s = slots[slot];
        if (s < 0)
            continue;
        seen += 1;
        const int moves = beginPiece(c, KNIGHT, slot, s, knightattack[s]);
        pieceStatus.outpost = isOutpost(c, s);
        pieceStatus.kingPoint = (knightattack[s] & kingattack[enemyKing]) != 0;
        const int counter = pieceCounter(c, KNIGHT, slot);
        const int r = ownFrameSquare(c, s);
        const int fileIdx = s & 7;
        const bool rim = fileIdx == 0 || fileIdx == 7;
        int32_t &eval = pieceEval[c];

        if (gameState == 0) {
            if (seen == 2)
                eval += profile.knightCountOpen;
            if (counter == 0) {
                // The king's knight is the more urgent piece to develop.
                if (r == SQ_G1)
                    eval += profile.earlyDevelop * 2;
                else if (r == SQ_B1)
                    eval += profile.earlyDevelop;
            }
            if (counter > 1)
                eval += profile.earlyMinorRepeat;
            if (blocksCentrePawn(c, s))
                eval += profile.blockedCentrePawn;
            if (r < 32 && own.boardScan[s] == 0)
                eval += profile.unprotected;
            if (pieceStatus.outpost)
                eval += out_post[0][fileIdx];
            if (pieceStatus.pinnedPiece)
                eval += profile.pinnedKnight;
            if (rim)
                eval += profile.knightOnRim;
            eval += pieceStatus.weakPawnHit * profile.weakPawnAttack;
        } else if (gameState == 1) {
            if (seen == 2)
                eval += profile.knightCountMid;
            if (counter == 0)
                eval += profile.earlyDevelop;
            addSafetyTerms(c, profile.trappedKnight, profile.pinnedKnight);
            if (pieceStatus.outpost)
                eval += out_post[1][fileIdx];
            if (blocksCentrePawn(c, s))
                eval += profile.blockedCentrePawn;
            if (pieceStatus.kingPoint)
                eval += profile.attackKingMid;
            if (rim)
                eval += profile.knightOnRim;
            eval += pieceStatus.weakPawnHit * profile.weakPawnAttack;
            if (pieceStatus.protectPassPawn)
                eval += profile.protectPassedPawn;
        } else {
            if (seen == 2)
                eval += profile.knightCountEnd;
            addSafetyTerms(c, profile.trappedKnight, profile.pinnedKnight);
            if (pieceStatus.outpost)
                eval += out_post[2][fileIdx];
            if (pieceStatus.kingPoint)
                eval += profile.attackKingEnd;
            if (rim)
                eval += profile.knightOnRim;
            eval += pieceStatus.weakPawnHit * profile.weakPawnAttack;
            if (pieceStatus.protectPassPawn)
                eval += profile.protectPassedPawn;
        }
        addTropism(c, s, enemyKing);
        mobility[c] += mobilityValue(KNIGHT, moves);
    }
}

// Fianchetto: a bishop on g2 (b2) behind its pawns on g3 and f2 (b3 and c2), with the king
// still on its back rank behind that pawn shield.
static int fianchettoCount(int c, int s) {
    const uint64_t pawns = pawnsOf(boards[ply], c);
    if (ownFrameSquare(c, kingSlot(tracker[ply], c)) < 56)
        return 0;
    const int r = ownFrameSquare(c, s);
    auto has = [&](int whiteSquare) { return (pawns & mask[ownFrameSquare(c, whiteSquare)]) != 0; };
    int n = 0;
    if (r == SQ_G2 && has(SQ_G3) && has(SQ_F2))
        n += 1;
    if (r == SQ_B2 && has(SQ_B3) && has(SQ_C2))
        n += 1;
    return n;
}

static void scoreBishops(int c) {
    const evaluator &own = seeOf(c);
    const int enemyKing = kingSlot(tracker[ply], c ^ 1);
    const int8_t *slots = bishopSlots(tracker[ply], c);
    const int count = own.bishopCountWhite + own.bishopCountBlack;
    addMaterial(c, BISHOP, count);
    int seen = 0;
    for (int slot = 0; slot < BISHOP_SLOTS && seen < count; slot++) {
        const int s = slots[slot];
        if (s < 0)
            continue;
        seen += 1;
        const int moves = beginPiece(c, BISHOP, slot, s, bishopAttacksAt(s));
        pieceStatus.outpost = isOutpost(c, s);
        pieceStatus.kingPoint = linesHitKingZone(BISHOP, s, enemyKing);
        pieceStatus.fianchetto = (int8_t)fianchettoCount(c, s);
        const int counter = pieceCounter(c, BISHOP, slot);
        const int r = ownFrameSquare(c, s);
        const int fileIdx = s & 7;
        int32_t &eval = pieceEval[c];

        if (gameState == 0) {
            if (seen == 2)
                eval += profile.bishopCountOpen;
            if (counter == 0) {
                if (r == SQ_F1)
                    eval += profile.earlyDevelop;
                else if (r == SQ_C1)
                    eval += profile.earlyDevelop / 2;
            }
            if (counter > 1)
                eval += profile.earlyMinorRepeat;
            if (blocksCentrePawn(c, s))
                eval += profile.blockedCentrePawn;
            if (pieceStatus.outpost)
                eval += out_post[0][fileIdx] - 2;
            if (pieceStatus.pinnedPiece)
                eval += profile.pinnedBishop;
            if (pieceStatus.kingPoint)
                eval += profile.attackKingOpen;
            eval += pieceStatus.fianchetto * profile.fianchettoBishop;
            eval += goodPinTerm();
        } else if (gameState == 1) {
            if (seen == 2)
                eval += profile.bishopCountMid;
            // An undeveloped bishop is scored as such and not also as trapped or pinned.
            if (counter == 0)
                eval += profile.earlyDevelop;
            else if (pieceStatus.trappedPiece)
                eval += profile.trappedBishop;
            else if (pieceStatus.pinnedPiece)
                eval += profile.pinnedBishop;
            if (!pieceStatus.ableToMove)
                eval += profile.unableToMove;
            if (pieceStatus.outpost)
                eval += out_post[1][fileIdx] - 3;
            if (blocksCentrePawn(c, s))
                eval += profile.blockedCentrePawn;
            if (pieceStatus.kingPoint)
                eval += profile.attackKingMid;
            eval += pieceStatus.weakPawnHit * profile.weakPawnAttack;
            if (pieceStatus.protectPassPawn)
                eval += profile.protectPassedPawn;
            eval += pieceStatus.fianchetto * profile.fianchettoBishop;
            eval += goodPinTerm();
        } else {
            if (seen == 2)
                eval += profile.bishopCountEnd;
            addSafetyTerms(c, profile.trappedBishop, profile.pinnedBishop);
            if (pieceStatus.outpost)
                eval += out_post[2][fileIdx] - 1;
            if (pieceStatus.kingPoint)
                eval += profile.attackKingEnd;
            eval += pieceStatus.weakPawnHit * profile.weakPawnAttack;
            if (pieceStatus.protectPassPawn)
                eval += profile.protectPassedPawn;
            eval += goodPinTerm();
        }
        addTropism(c, s, enemyKing);
        mobility[c] += mobilityValue(BISHOP, moves);
    }
}

// Open-file code of a rook's file: 5 open, 4 only enemy pawns, 3 only own pawns, 0 both.
static int8_t openFileCode(int c, int s) {
    const uint64_t line = file << (s & 7);
    const bool ownPawns = (pawnsOf(boards[ply], c) & line) != 0;
    const bool enemyPawns = (pawnsOf(boards[ply], c ^ 1) & line) != 0;
    if (!ownPawns && !enemyPawns)
        return 5;
    if (!enemyPawns)
        return 3;
    if (!ownPawns)
        return 4;
    return 0;
}

// Passed-pawn support of a rook that sees one of its own passed pawns: protectPassPawn, and
// whether the rook stands in front of the passer, blocking its path (rookInFront, a penalty),
// or behind it, pushing it on and defending it all the way (rookBehind, a bonus).
static void rookPassedPawnFlags(int c, int s, uint64_t attacks) {
    const uint64_t passers = passPawnsOf(boards[ply], c);
    if (!(attacks & passers))
        return;
    pieceStatus.protectPassPawn = 1;
    const int forward = c == WHITE ? 3 : 2;
    if (rays[s][forward ^ 1] & passers)
        pieceStatus.rookInFront = 1;
    else if (rays[s][forward] & passers)
        pieceStatus.rookBehind = 1;
}

static void scoreRooks(int c) {
    const evaluator &own = seeOf(c);
    bboard &b = boards[ply];
    const int enemyKing = kingSlot(tracker[ply], c ^ 1);
    const int8_t *slots = rookSlots(tracker[ply], c);
    const uint8_t castledBit = c == WHITE ? CR_WHITE_CASTLED : CR_BLACK_CASTLED;
    const bool castled = (moveStack[ply].castleRights & castledBit) != 0;
    const int count = own.rookCount;
    addMaterial(c, ROOK, count);
    int seen = 0;
    for (int slot = 0; slot < ROOK_SLOTS && seen < count; slot++) {
        const int s = slots[slot];
        if (s < 0)
            continue;
        seen += 1;
        const uint64_t attacks = rookAttacksAt(s);
        const int moves = beginPiece(c, ROOK, slot, s, attacks);
        rookPassedPawnFlags(c, s, attacks);
        if (attacks & (rooksOf(b, c) | queensOf(b, c)))
            pieceStatus.connectedRook = 1;
        pieceStatus.kingPoint = linesHitKingZone(ROOK, s, enemyKing);
        pieceStatus.openFile = openFileCode(c, s);
        const int32_t openFileTerm =
            pieceStatus.openFile > 0 ? pieceStatus.openFile + profile.rookOpenFile : 0;
        const int counter = pieceCounter(c, ROOK, slot);
        const int r = ownFrameSquare(c, s);
        const bool onSeventh = r >= 8 && r <= 15;
        int32_t &eval = pieceEval[c];
        // A passed pawn's rook: support, then in front of or behind it.
        int32_t passerTerm = 0;
        if (pieceStatus.protectPassPawn) {
            passerTerm = profile.protectPassedPawn;
            if (pieceStatus.rookInFront)
                passerTerm += profile.rookInFrontPP;
            else if (pieceStatus.rookBehind)
                passerTerm += profile.rookBehindPP;
        }

        if (gameState == 0) {
            // A rook that moves before the king has castled has given up castling on its side.
            if (!castled && counter > 0)
                eval += profile.rookMoved;
            if (blocksCentrePawn(c, s))
                eval += profile.blockedCentrePawn;
            if (pieceStatus.pinnedPiece)
                eval += profile.pinnedRook;
            if (pieceStatus.kingPoint)
                eval += profile.attackKingOpen;
            eval += openFileTerm;
            eval += goodPinTerm();
        } else {
            // Middlegame and endgame share their rook terms; only the middlegame still
            // minds an early rook move and a blocked centre pawn.
            const bool mid = gameState == 1;
            if (seen == 2)
                eval += mid ? profile.rookCountMid : profile.rookCountEnd;
            if (mid && !castled && counter == 1)
                eval += profile.rookMoved;
            addSafetyTerms(c, profile.trappedRook, profile.pinnedRook);
            if (mid && blocksCentrePawn(c, s))
                eval += profile.blockedCentrePawn;
            if (pieceStatus.kingPoint)
                eval += mid ? profile.attackKingMid : profile.attackKingEnd;
            eval += pieceStatus.weakPawnHit * profile.weakPawnAttack;
            eval += openFileTerm;
            if (pieceStatus.connectedRook)
                eval += profile.rookConnected;
            if (onSeventh)
                eval += profile.rookSeventh;
            eval += passerTerm;
            eval += goodPinTerm();
        }
        addTropism(c, s, enemyKing);
        mobility[c] += mobilityValue(ROOK, moves);
    }
}

static void scoreQueens(int c) {
    const evaluator &own = seeOf(c);
    trak &t = tracker[ply];
    const int enemyKing = kingSlot(t, c ^ 1);
    const int ownKing = kingSlot(t, c);
    const int8_t *slots = queenSlots(t, c);
    const int count = own.queenCount;
    addMaterial(c, QUEEN, count);
    int seen = 0;
    for (int slot = 0; slot < QUEEN_SLOTS && seen < count; slot++) {
        const int s = slots[slot];
        if (s < 0)
            continue;
        seen += 1;
        const int moves = beginPiece(c, QUEEN, slot, s, queenAttacksAt(s));
        pieceStatus.kingPoint = linesHitKingZone(QUEEN, s, enemyKing);
        int32_t &eval = pieceEval[c];

        if (gameState == 0) {
            if (blocksCentrePawn(c, s))
                eval += profile.blockedCentrePawn;
            if (pieceStatus.pinnedPiece)
                eval += profile.pinnedQueen;
            // Only the original queen carries a move counter; a promoted queen is no early
            // queen sortie and gets no development term.
            if (slot == 0) {
                const int counter = c == WHITE ? t.whiteQueenCounter : t.blackQueenCounter;
                const int distance = kingTropizm[ownKing][s];
                if (counter == 0)
                    eval += 10 - distance;
                else if (counter == 1)
                    eval += profile.earlyQueenMove + queenPenalty[distance];
                else if (counter == 2)
                    eval += profile.earlyQueenMove / 2 + queenPenalty[distance];
            }
        } else {
            // Every queen after the third adds less than its material value.
            if (seen >= 2)
                pieceMaterial[c] += queenValue[seen > 9 ? 9 : seen];
            addSafetyTerms(c, profile.trappedQueen, profile.pinnedQueen);
            if (gameState == 1 && blocksCentrePawn(c, s))
                eval += profile.blockedCentrePawn;
            if (pieceStatus.kingPoint)
                eval += gameState == 1 ? profile.attackKingMid : profile.attackKingEnd;
            eval += pieceStatus.weakPawnHit * profile.weakPawnAttack;
            if (pieceStatus.protectPassPawn)
                eval += profile.protectPassedPawn;
        }
        addTropism(c, s, enemyKing);
        mobility[c] += mobilityValue(QUEEN, moves);
    }
}

void scorePieces(int c) {
    ASSERT(c == WHITE || c == BLACK);
    ASSERT(gameState >= 0 && gameState <= 2);
    scoreKnights(c);
    scoreBishops(c);
    scoreRooks(c);
    scoreQueens(c);
}
