// Pawn structure: the pawn hash with its structure-only terms, and the per-call pawn terms.
#include "eval/eval.h"

#include "board/makemove.h"
#include "board/setup.h"
#include "board/tableclear.h"
#include "eval/eval_internal.h"
#include "movegen/movegen.h"

namespace {

constexpr int PAWN_STRUCTURE_COUNT = 8; // a side's eighth pawn is scored as a crowd

} // namespace

alignas(LARGE_PAGE) tag_pnhash pawnStore[PAWN_HASH_SIZE];
const tag_pnhash temp_pnstore = {0, 0, 0};
// Zero at load is empty; the table is cleared only once something has been stored in it, and
// then only in the lines written since (the map marks every line holding an entry).
static bool pawnStoreWritten = false;
static_assert(TABLE_LINE % sizeof(tag_pnhash) == 0, "an entry must not straddle two lines");
static uint64_t pawnStoreLines[writtenMapWords(sizeof pawnStore)];

// ---------------------------------------------------------------------------
// Geometry in a side's own frame. Every rule is told for White; Black's pawns are read on
// the board turned upside down (a byte swap mirrors the ranks), so "ahead" is always
// towards row 0 and rank 2 is always row 6.
// ---------------------------------------------------------------------------
static inline uint64_t neighbourFiles(int f) {
    return (f > 0 ? fileSet(f - 1) : 0) | (f < 7 ? fileSet(f + 1) : 0);
}
// Squares strictly before s in number order: in the own frame, the rows ahead of s's row
// plus the squares to its left on its own row.
static inline uint64_t squaresBelow(int s) { return squareBit(s) - 1; }
// The diagonal squares one row behind (towards rank 1) and one row ahead; only the
// neighbouring files that exist.
static inline uint64_t behindDiagonals(int rs) {
    const int f = rs & 7;
    uint64_t set = 0;
    if ((rs >> 3) < 7) {
        if (f > 0)
            set |= squareBit(rs + 7);
        if (f < 7)
            set |= squareBit(rs + 9);
    }
    return set;
}
static inline uint64_t frontDiagonals(int rs) {
    const int f = rs & 7;
    uint64_t set = 0;
    if ((rs >> 3) > 0) {
        if (f > 0)
            set |= squareBit(rs - 9);
        if (f < 7)
            set |= squareBit(rs - 7);
    }
    return set;
}
static inline int clampMoves(int n) { return n > 13 ? 13 : n; }

// Adds v to a 16-bit pawn score with the wrap of 16-bit arithmetic.
static inline void addPawnTerm(int16_t &score, int32_t v) {
    score = static_cast<int16_t>(static_cast<uint16_t>(score) + static_cast<uint16_t>(v));
}

// A term of a pawn that has just become passed also tells the search how much the move that
// made it passed gained; only when the pawn's side has just moved.
static void creditNewPasser(int c, int slot, int32_t v) {
    if (PPdetected[slot] == 1 && sideToMove() != c)
        moveStack[ply].newPassedPawn = static_cast<int16_t>(moveStack[ply].newPassedPawn + v);
}

// ---------------------------------------------------------------------------
// Hashed layer
// ---------------------------------------------------------------------------

// Classifies colour c's pawn of slot `slot` on square s into pieceStatus (passed, connected,
// chain, isolated, backward, doubled, trebled, blocked, wing advance). Reads the pawn
// bitboards and the pass-pawn list of ply.
static void classifyPawn(int c, int slot, int s) {
    bboard &b = boards[ply];
    const uint64_t own = ownFrameSet(c, pawnsOf(b, c));
    const uint64_t enemy = ownFrameSet(c, pawnsOf(b, c ^ 1));
    const int rs = ownFrameSquare(c, s), f = rs & 7, row = rs >> 3;
    STATUS &ps = pieceStatus;
    ps.isolatedPawn = ps.backwardPawn = ps.doubledPawn = ps.trebledPawn = 0;
    ps.connectedPawn = ps.pawnChain = ps.blockedPawn = ps.passedPawn = 0;
    ps.connectedPassedPawn = ps.wingPawnAdvance = 0;

    const uint64_t sameFile = own & fileSet(f) & ~squareBit(rs);
    const bool behindSupport = (own & behindDiagonals(rs)) != 0;
    if (passPawnSlots(tracker[ply], c)[slot] == s) {
        // A passed pawn is judged by its run, not by its neighbours.
        ps.passedPawn = 1;
        ps.connectedPassedPawn = behindSupport ? 1 : 0;
    } else {
        ps.connectedPawn = behindSupport ? 1 : 0;
        if (ps.connectedPawn && f > 0 && f < 7 && (own & frontDiagonals(rs)))
            ps.pawnChain = 1;
        const uint64_t neighbours = own & neighbourFiles(f);
        if ((sameFile | neighbours) == 0) {
            ps.isolatedPawn = 1;
        } else if ((sameFile & squaresBelow(rs)) == 0) {
            // No own pawn ahead: backward when the neighbours have already gone on, so this
            // pawn can no longer be guarded by them. From rank 2 the double step covers
            // one extra rank.
            const int lead = row == 6 ? 3 : 2;
            const int lastRow = row - lead;
            if (lastRow >= 0 && (neighbours & squaresBelow((lastRow + 1) * 8)))
                ps.backwardPawn = 1;
        } else {
            ps.doubledPawn = 1;
            // Own pawns ahead and behind: the middle of a triple. Only the rearmost pawn
            // pays the doubled penalty; the middle one is marked trebled, which costs nothing.
            if (sameFile & ~squaresBelow(rs)) {
                ps.doubledPawn = 0;
                ps.trebledPawn = 1;
            }
        }
    }
    // The a-, b- and h-pawns shelter the usual castled kings; pushing them early loosens it.
    ps.wingPawnAdvance = (slot == 0 || slot == 1 || slot == 7) && rs < 48 ? 1 : 0;
    ps.blockedPawn = rs >= 8 && (enemy & squareBit(rs - 8)) ? 1 : 0;
}

// The hashed terms of colour c's pawn in slot `slot` on square s; `counted` is its number
// among the side's pawns so far (1..8). Also credits newPassedPawn for a new passer.
static int32_t hashedPawnTerms(int c, int slot, int s, int counted) {
    ASSERT(s >= 0 && s < 64);
    ASSERT(gameState >= 0 && gameState <= 2);
    classifyPawn(c, slot, s);
    const STATUS &ps = pieceStatus;
    const PROFILE &p = profile;
    const int rs = ownFrameSquare(c, s), f = rs & 7, r = relativeRank(c, s);
    const int phase = gameState;
    int32_t v = pawnsq[phase][rs];

    if (counted == PAWN_STRUCTURE_COUNT)
        v += phase == 0 ? p.eightPawnOpen : (phase == 1 ? p.eightPawnMid : p.eightPawnEnd);
    if (ps.backwardPawn)
        v += phase == 0 ? p.backwardPawnOpen : (phase == 1 ? p.backwardPawnMid : p.backwardPawnEnd);
    if (ps.doubledPawn)
        v += phase == 0 ? p.doubledPawnOpen : (phase == 1 ? p.doubledPawnMid : p.doubledPawnEnd);
    // The trebled flag is kept for the record only: the rear pawns already pay as doubled.

    // A passed pawn is worth its run only once the pieces have thinned out, and only where
    // it is not simply lost.
    if (ps.passedPawn && phase > 0 && seeBoard[ply][s] >= 0) {
        v += passPawnValue[r];
        creditNewPasser(c, slot, passPawnValue[r]);
        if (ps.connectedPassedPawn) {
            v += p.connectedPassPawn * r;
            creditNewPasser(c, slot, p.connectedPassPawn * r);
        }
    }
    if (ps.isolatedPawn && (phase == 0 || !ps.passedPawn))
        v += isol_pawn[phase][f];
    if (ps.connectedPawn) {
        if (phase == 0)
            v += p.connectedPawnOpen;
        else if (!ps.passedPawn && !ps.isolatedPawn)
            v += phase == 1 ? p.connectedPawnMid : p.connectedPawnEnd;
        if (ps.pawnChain && (phase == 0 || (!ps.passedPawn && !ps.isolatedPawn)))
            v += p.pawnChain;
    }
    if (ps.blockedPawn)
        v += phase == 0 ? p.blockedPawnOpen : (phase == 1 ? p.blockedPawnMid : p.blockedPawnEnd);
    if (phase == 0) {
        if (ps.wingPawnAdvance)
            v += p.earlyWingPawn;
        // The centre pawns still at home shut in the bishops.
        if (rs == 52)
            v += p.earlyDevelop; // e2
        else if (rs == 51)
            v += p.earlyDevelop / 2; // d2
    }
    return v;
}

// Hashed pawn score of colour c at ply: the sum of the hashed terms of its pawns in slot
// order, added with 16-bit wrap.
static int16_t scorePawnStructure(int c) {
    int16_t score = 0;
    int counted = 0;
    const int8_t *slots = pawnSlots(tracker[ply], c);
    for (int a = 0; a < PAWN_SLOTS; a++) {
        const int s = slots[a];
        if (s < 0)
            continue;
        counted++;
        addPawnTerm(score, hashedPawnTerms(c, a, s, counted));
    }
    return score;
}

// ---------------------------------------------------------------------------
// Per-call layer
// ---------------------------------------------------------------------------

// What every pawn of a side reads alike in one evaluation, gathered once per side.
struct pawnSide {
    int king, enemyKing;
    bool toMove;
    const int8_t *passers; // the side's passed pawns by slot
    int enPassant;         // the en passant square when this side may take there, else none
    uint64_t ownPawns, enemyPieces, occupied;
    uint64_t legal;    // the check squares when the side to move is in check, else all squares
    uint64_t farFiles; // with the kings castled on opposite wings, the files of the storm pawns
    bool farAdvance;   // ... and whether the enemy king sits in the corner they storm
    int32_t kingHitValue;
};

static pawnSide sideOfPawns(int c) {
    const int other = c ^ 1;
    bboard &b = boards[ply];
    trak &t = tracker[ply];
    pawnSide side;
    side.king = kingSlot(t, c);
    side.enemyKing = kingSlot(t, other);
    ASSERT(side.king >= 0 && side.king < 64 && side.enemyKing >= 0 && side.enemyKing < 64);
    side.toMove = sideToMove() == c;
    side.passers = passPawnSlots(t, c);
    side.enPassant = side.toMove ? moveStack[ply].enPassant : NO_SQUARE;
    side.ownPawns = pawnsOf(b, c);
    side.enemyPieces = piecesOf(b, other);
    side.occupied = b.allpieces;
    side.legal = side.toMove && (depthFlags[ply] & DPF_IN_CHECK) ? seeOf(c).checkSquares : ~0ULL;

    // Far pawns: with the kings castled on opposite wings, the pawns facing the enemy king
    // are the storm that counts.
    const int ownKing = ownFrameSquare(c, side.king), theirKing = ownFrameSquare(c, side.enemyKing);
    side.farFiles = 0;
    side.farAdvance = false;
    if (ownKing == 62 || ownKing == 63) {
        side.farFiles = fileSet(0) | fileSet(1) | fileSet(2);
        side.farAdvance = theirKing <= 2;
    } else if (ownKing >= 56 && ownKing <= 58) {
        side.farFiles = fileSet(5) | fileSet(6) | fileSet(7);
        side.farAdvance = theirKing == 6 || theirKing == 7;
    }
    side.kingHitValue = gameState == 1 ? profile.attackKingMid : profile.attackKingEnd;
    return side;
}

// Weakness of colour c's pawn on s for the opponent's pieces: 1 when no own pawn guards it
// (unless a pawn beside it can still step up to guard it), 2 more when it is the base that
// holds up an own pawn diagonally ahead.
template <int c> static void markWeakPawn(const pawnSide &side, int s) {
    if (seeOf(c).boardScan[s] >= 96)
        return;
    constexpr int forward = c == WHITE ? -8 : 8;
    const uint64_t *pawnAttack = c == WHITE ? whpawnattack : blpawnattack;
    const int f = s & 7;
    const uint64_t beside = (f > 0 ? squareBit(s - 1) : 0) | (f < 7 ? squareBit(s + 1) : 0);
    ASSERT(s + forward >= 0 && s + forward < 64);
    const bool aheadEmpty = !(side.occupied & squareBit(s + forward));
    if ((side.ownPawns & beside) && aheadEmpty)
        return;
    weakPawn[s] = 1;
    // The squares this pawn guards are the diagonals ahead of it.
    if (side.ownPawns & pawnAttack[s])
        weakPawn[s] += 2;
}

// Target scan and per-call terms of colour c's pawn in slot `slot` on square s; `side` holds
// what all of c's pawns share. One copy per colour: the frame flips and the scan order are
// then fixed.
template <int c> static void scoreOnePawn(const pawnSide &side, int slot, int s) {
    ASSERT(s >= 0 && s < 64);
    const PROFILE &p = profile;
    constexpr int pawnCode = c == WHITE ? WPAWN : BPAWN;
    constexpr int mobilityRow = c == WHITE ? 0 : 1;
    constexpr int forward = c == WHITE ? -8 : 8;
    const uint64_t *pawnAttack = c == WHITE ? whpawnattack : blpawnattack;
    const int rs = ownFrameSquare(c, s), r = relativeRank(c, s);
    const bool onSeventh = (rs >> 3) == 1;
    const int phase = gameState;

    bool blockedPassedPawn = true;
    const bool passedPawn = side.passers[slot] == s;
    int moves = 0;

    // 1. Targets: the push squares and the captures of enemy pieces.
    uint64_t targets = 0;
    const int push = s + forward;
    ASSERT(push >= 0 && push < 64);
    if (!(side.occupied & squareBit(push))) {
        targets |= squareBit(push);
        const int doublePush = push + forward;
        if ((rs >> 3) == 6 && !(side.occupied & squareBit(doublePush)))
            targets |= squareBit(doublePush);
    }
    targets |= pawnAttack[s] & side.enemyPieces;
    const int8_t pin = pinDirection(c, s);
    if (pin >= 0)
        targets &= rays[side.king][pin];
    targets &= side.legal;
    markStandingValue(s, pawnCode);
    const bool discovery = isDiscoveryPiece(c, s);

    // 2. Count the targets.
    while (targets) {
        const int to = nextTarget(targets, c);
        canMove[c] += 1;
        const int victim = squares[ply].insq[to];
        if (victim != EMPTY) {
            // A capture counts whatever it risks: only the side to move, which keeps the
            // exchange values for its move ordering, needs its estimate.
            if (side.toMove)
                seeBoardPawn[slot][to] = exchangeEstimate(c, pawnCode, s, to, victim, false);
            if (victim == KING)
                continue;
            moves++;
            sideAttacks[c] |= squareBit(to);
            if (passedPawn) {
                blockedPassedPawn = false;
                if (onSeventh)
                    markPromotionSquare(to);
            }
            continue;
        }
        const int32_t statusTo = exchangeEstimate(c, pawnCode, s, to, EMPTY, true);
        if (side.toMove)
            seeBoardPawn[slot][to] = statusTo;
        // A push that uncovers a line to the enemy king is played for the check: its own
        // exchange value matters only when it lands next to that king.
        const bool freePush = discovery && !(kingattack[side.enemyKing] & squareBit(to));
        if (freePush || statusTo >= 0) {
            moves++;
            if (passedPawn)
                blockedPassedPawn = false;
        }
        // On the seventh rank the promotion square is a threat whatever the push's own value.
        if (passedPawn && onSeventh && (!discovery || freePush || statusTo >= 0)) {
            markPromotionSquare(to);
            sideAttacks[c] |= squareBit(to);
        }
    }

    // 3. Weakness for the opponent's pieces.
    markWeakPawn<c>(side, s);

    // 4. Terms by phase.
    const bool farPawn = (side.farFiles & squareBit(rs)) != 0;
    if (phase == 0) {
        if (farPawn)
            pieceEval[c] += p.farPawnOpen;
        if (side.farAdvance)
            pieceEval[c] += p.farPawnAdvance * r;
    } else {
        // A passed pawn that cannot step on safely is worth much less than its run.
        if (passedPawn && blockedPassedPawn && seeBoard[ply][s] >= 0) {
            const int32_t blocked = (passPawnValue[r] / 5) * -4;
            pieceEval[c] += blocked;
            creditNewPasser(c, slot, blocked);
        }
        if (phase == 1) {
            if (farPawn)
                pieceEval[c] += p.farPawnMid;
            if (side.farAdvance)
                pieceEval[c] += p.farPawnAdvance * r;
        }
        const uint64_t kingHits = pawnAttack[s] & kingattack[side.enemyKing];
        if (kingHits)
            pieceEval[c] += __builtin_popcountll(kingHits) * side.kingHitValue;
    }
    mobility[c] += pieceMobility[mobilityRow][clampMoves(moves)];

    // 5. En passant: the capture is scored again on its own, and only when it is legal. The
    // pin and check sets above do not fit it: taking the double-stepped checker answers a
    // check though the target square is no check square, while a capture that leaves another
    // check standing, or opens a rank through both pawns, is no move at all.
    const int ep = side.enPassant;
    if (ep != NO_SQUARE) {
        ASSERT(ep >= 0 && ep < 64);
        moves = 0;
        if ((pawnAttack[s] & squareBit(ep)) && isLegalEnPassant((int8_t)s)) {
            const int enemyPawn = c == WHITE ? BPAWN : WPAWN;
            seeBoardPawn[slot][ep] = exchangeEstimate(c, pawnCode, s, ep, enemyPawn, false);
            canMove[c] += 1;
            sideAttacks[c] |= squareBit(ep);
            underAttack |= squareBit(ep);
            attacked[ep] = 1;
            moves = 1;
        }
        mobility[c] += pieceMobility[mobilityRow][moves];
    }
}

// ---------------------------------------------------------------------------
// Public routines
// ---------------------------------------------------------------------------

void prefetchPawnEntry(int8_t p) {
    ASSERT(p >= 0 && p < MAX_PLY);
    __builtin_prefetch(&pawnStore[pnhash[p] % PAWN_HASH_SIZE]);
}

void clearPawnHash() {
    // The first clear comes at start-up, before any evaluation has touched the table.
    static bool advised = false;
    if (!advised) {
        adviseLargePages(pawnStore, sizeof pawnStore);
        advised = true;
    }
    if (!pawnStoreWritten)
        return;
    clearWrittenLines(pawnStore, sizeof pawnStore, pawnStoreLines);
    pawnStoreWritten = false;
}

// Looks up the pawn structure of ply in pawnStore; on a miss scores both colours' hashed
// terms into the entry (which may add to moveStack[ply].newPassedPawn). Returns the entry's
// scores in pawnHashScore[WHITE] / [BLACK].
void probePawnHash(int32_t pawnHashScore[2]) {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    tag_pnhash &entry = pawnStore[pnhash[ply] % PAWN_HASH_SIZE];
    if (entry.pawnLock == 0 || entry.pawnLock != pnlock[ply]) {
        pawnStoreWritten = true;
        markWritten(pawnStoreLines, (size_t)(&entry - pawnStore) * sizeof(tag_pnhash));
        entry.pawnLock = pnlock[ply];
        entry.whitePawnEval = scorePawnStructure(WHITE);
        entry.blackPawnEval = scorePawnStructure(BLACK);
    }
    pawnHashScore[WHITE] = entry.whitePawnEval;
    pawnHashScore[BLACK] = entry.blackPawnEval;
}

// Per-call pawn terms of colour c: material, targets and mobility, weak pawns, far pawns,
// blocked passed pawns, attacks next to the enemy king and en passant. SEE must have run.
void scorePawns(int c) {
    ASSERT(c == WHITE || c == BLACK);
    ASSERT(ply >= 0 && ply < MAX_PLY);
    pawnMaterial[c] += pieceValue[c == WHITE ? WPAWN : BPAWN] * seeOf(c).pawnCount;
    const pawnSide side = sideOfPawns(c);
    const int8_t *slots = pawnSlots(tracker[ply], c);
    for (int a = 0; a < PAWN_SLOTS; a++) {
        if (slots[a] < 0)
            continue;
        if (c == WHITE)
            scoreOnePawn<WHITE>(side, a, slots[a]);
        else
            scoreOnePawn<BLACK>(side, a, slots[a]);
    }
}
