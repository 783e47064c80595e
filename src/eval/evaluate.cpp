// The static evaluation: the frame that runs the component scorers in order and turns their
// accumulators into the side to move's score, with weak squares, early captures, hanging
// pieces, stalemate flags and the trade adjustment.
#include "eval/eval.h"

#include "board/position.h"
#include "board/setup.h"
#include "eval/eval_internal.h"
#include "movegen/movegen.h"

// Score of the side to move when it is checkmated.
constexpr int32_t MATED = -10000;
// Material lead beyond which the first capture of the line is judged a trade (see step 11).
constexpr int32_t TRADE_MARGIN = 150;

int32_t pawnMaterial[2], pieceMaterial[2], endGameMaterial[2], pieceEval[2];
int32_t mobility[2], tropism[2], weakSquare[2];
int32_t canMove[2];
int8_t attacked[64];
int8_t weakPawn[64];
uint64_t underAttack;
uint64_t sideAttacks[2];

// Step 1: empty every accumulator and square scratch of the previous call.
static void clearAccumulators() {
    for (int c = 0; c < 2; c++) {
        pawnMaterial[c] = pieceMaterial[c] = endGameMaterial[c] = pieceEval[c] = 0;
        mobility[c] = tropism[c] = weakSquare[c] = 0;
        canMove[c] = 0;
    }
    for (int s = 0; s < 64; s++)
        weakPawn[s] = 0;
    clearTargetScratch();
}

// The first move of the line below the root captured (class of captureSequence[1]) and is no
// recapture on the square where the game's last move captured. Returns the class, or -1.
static int firstCaptureOfLine() {
    // At the root there is no line yet, and the records of ply 1 belong to no move.
    if (ply < 1)
        return -1;
    const int cls = captureSequence[1];
    if (cls < 0 || cls > 3)
        return -1;
    if (history[recordIndex(allmoves)].histrules.captureSquare == moveStack[1].captureSquare)
        return -1;
    return cls;
}

// How many of the 40 squares from `scan` on no piece of the side covers. Counted without
// a branch per square, so that the compiler can compare many squares at once.
static int uncoveredSquares(const int16_t *scan) {
    int n = 0;
    for (int i = 0; i < 40; i++)
        n += scan[i] == 0;
    return n;
}

// Step 6: squares of their own half and the middle that no piece of a side covers (opening and
// middlegame; doubled in the middlegame), and the opening penalty for an early capture.
static void scoreWeakSquaresAndEarlyCapture() {
    if (gameState == 2)
        return;
    // White counts ranks 5 to 1 (squares 24..63), Black ranks 8 to 4 (squares 0..39).
    weakSquare[WHITE] += uncoveredSquares(seeWhite.boardScan + 24);
    weakSquare[BLACK] += uncoveredSquares(seeBlack.boardScan);
    if (gameState == 1) {
        weakSquare[WHITE] *= 2;
        weakSquare[BLACK] *= 2;
        return;
    }
    // Trading off pieces (classes 0/1) or snatching a pawn (2/3) this early gives up
    // development; the capture classes are per side, not mirror images of one another.
    switch (firstCaptureOfLine()) {
    case 0:
        pieceEval[WHITE] += profile.earlyCapture;
        break;
    case 1:
        pieceEval[BLACK] += profile.earlyCapture;
        break;
    case 2:
        pieceEval[WHITE] += profile.earlyCapture / 2;
        break;
    case 3:
        pieceEval[BLACK] += profile.earlyCapture / 2;
        break;
    default:
        break;
    }
}

// Step 7: the most valuable piece the side to move can win and the most valuable of its own
// that is threatened; the side not to move pays for what it leaves hanging.
static void scoreHangingPieces() {
    pieceStatus.hangPiece = 0;
    const int hung = findHangingPieces();
    pieceStatus.hangPiece = (int8_t)(hung > 64 ? 64 : hung);
    if (hung > 0) {
        const int loser = sideToMove() ^ 1;
        const int code = moveStack[ply].hangingPiece;
        ASSERT(code >= 0 && code < 12);
        pieceEval[loser] -= hangValue[code] / profile.hungPiece;
    }
}

// Step 11: after the first capture of the line, a side that is clearly ahead is nudged away
// from trading down into it and a side that is clearly behind towards it, so that the search
// does not trade merely because the capture happened first.
static void adjustForTrade(int32_t total[2]) {
    if (gameState == 0)
        return;
    const int cls = firstCaptureOfLine();
    // Class 0 is a piece captured by White, class 1 by Black; pawn classes do nothing here.
    if (cls != 0 && cls != 1)
        return;
    const int c = cls == 0 ? WHITE : BLACK;
    const int32_t lead = total[c] - total[c ^ 1];
    if (lead > TRADE_MARGIN)
        total[c] += profile.earlyCapture;
    else if (lead < -TRADE_MARGIN)
        total[c] -= profile.earlyCapture;
}

int32_t evaluate(int8_t kingSafetyDone) {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    ASSERT(gameState >= 0 && gameState <= 2);
    move_tag &state = moveStack[ply];

    // 1. Fresh accumulators and findings.
    clearAccumulators();
    state.hangingPiece = 0;
    state.threatenedPiece = 0;
    pieceStatus.stalemate = 0;
    state.stackFlags &= (uint8_t)~ST_HANG_FOUND;
    depthFlags[ply] |= DPF_EVAL_SEE;

    // 2. Pawn structure from the pawn hash (computed on a miss).
    int32_t pawnHashScore[2] = {0, 0};
    probePawnHash(pawnHashScore);

    // 3. Pawns, 4. pieces, 5. kings: White before Black in each step.
    scorePawns(WHITE);
    scorePawns(BLACK);
    scorePieces(WHITE);
    scorePieces(BLACK);
    if (isAnsweredCheckThreat())
        state.stackFlags |= ST_HANG_FOUND;
    scoreKing(WHITE);
    scoreKing(BLACK);

    // 6. Weak squares and early captures, 7. hanging pieces.
    scoreWeakSquaresAndEarlyCapture();
    scoreHangingPieces();

    // 8. No target square at all: stalemated, or mated when in check.
    pieceStatus.whiteStalemate = canMove[WHITE] == 0;
    pieceStatus.blackStalemate = canMove[BLACK] == 0;

    // 9. King safety is computed here unless the caller already has it; in the endgame the
    // kings are meant to be active and carry no danger value.
    if (!kingSafetyDone) {
        if (gameState == 2) {
            state.whiteKingSafety = 0;
            state.blackKingSafety = 0;
        } else {
            kingSafeCheck(seeWhite.queenCount, seeBlack.queenCount);
        }
    }

    // 10. Totals per side.
    int32_t total[2];
    const int16_t safety[2] = {state.whiteKingSafety, state.blackKingSafety};
    for (int c = 0; c < 2; c++)
        total[c] = pieceMaterial[c] + pawnMaterial[c] + pieceEval[c] + pawnHashScore[c] +
                   tropism[c] + mobility[c] - weakSquare[c] - safety[c];

    // 11. Trade adjustment.
    adjustForTrade(total);

    // 12. The side to move's view.
    const int stm = sideToMove();
    const int8_t stuck = stm == WHITE ? pieceStatus.whiteStalemate : pieceStatus.blackStalemate;
    if (stuck && (depthFlags[ply] & DPF_IN_CHECK)) {
        state.exactScored = (int16_t)MATED;
        return MATED;
    }
    pieceStatus.stalemate = stuck;
    const int32_t score = total[stm] - total[stm ^ 1];
    state.exactScored = (int16_t)score;
    return score;
}
