// The stop codes posted by the search and the input handlers, and the end of the game.
#include "control/game.h"

#include "board/makemove.h"
#include "board/position.h"
#include "control/console.h"
#include "control/control.h"
#include "control/io.h"
#include "control/movetext.h"
#include "control/timecontrol.h"
#include "movegen/movegen.h"
#include "search/search.h"

#include <cstdio>
#include <cstring>

// True when movePV is a move of the side to move in the game position. A search always
// leaves one when a legal move exists; the test keeps an empty or stale record off the board.
static bool isPlayable(const move_list &m) {
    if (m.from == m.to || m.from < 0 || m.from > 63 || m.to < 0 || m.to > 63)
        return false;
    return squares[0].colsq[m.from] == sideToMove();
}

// The reply the engine's last search expected to its move (the second move of its principal
// variation), and the key of the position it answers.
static move_list expected;
static uint64_t expectedKey;
static bool hasExpectation = false;

// Remembers the expected reply to movePV before it is played; none when the variation ends
// there or belongs to another move (a book move plays without a search).
static void noteExpectedReply() {
    const move_list &first = pv[0][0];
    hasExpectation = pvlen[0] >= 2 && first.from == movePV.from && first.to == movePV.to &&
                     first.promote == movePV.promote;
    if (hasExpectation)
        expected = pv[0][1];
}

// Announces the engine's move ("move e4" to the GUI, "e4" or "...e5" on the console) and
// plays it; the console shows the new position.
static void playBestMove() {
    ply = 0;
    if (!isPlayable(movePV))
        return;
    const char *text = sanstring(movePV);
    if (gameFlags & GF_XBOARD)
        std::printf("move %s\n", text);
    else
        std::printf(whiteToMove() ? "%s\n" : "...%s\n", text);
    noteExpectedReply();
    makeMove(movePV);
    expectedKey = hash[0];
    if (!(gameFlags & GF_XBOARD))
        print_board(0);
}

// The predicted reply stands on the board until the opponent's move confirms it.
static void takeBackPredictedReply() {
    if (searchFlags & SF_PONDER_MOVE_MADE)
        takeback();
}

// Codes 2 and 3: the game is over by command; the engine stays passive in force mode.
static void endGameByCommand() {
    takeBackPredictedReply();
    endGameFlags();
    searchFlags = 0;
    detectionFlags = (uint8_t)((detectionFlags & 0x17) | DF_FORCE);
}

// Code 5: a new game in the initial position. A GUI's engine plays Black and answers the
// user's first move without a "go".
static void newGameDuringSearch() {
    newGamePosition();
    searchFlags = 0;
    s_depth = 30;
    normalTime.savedTime = 0;
    detectionFlags &= 0x17;
    if (!(gameFlags & GF_XBOARD)) {
        gameFlags |= GF_NO_GAME;
        std::printf("New game\n");
        settings(1);
    }
    gameFlags = (uint8_t)((gameFlags & 0x82) | 0x14);
    if (gameFlags & GF_XBOARD)
        gameFlags |= GF_ENGINE_ACTIVE;
}

// Codes 17 and 18: take back one or two half-moves. xboard's "undo" leaves the engine in
// force mode; its "remove" retracts a move pair and the engine plays on. At the console the
// engine plays on after both: it answers the user's next move, or moves itself when the
// take-back left its own colour to move.
static void takeBackMoves(int halfMoves) {
    takeBackPredictedReply();
    searchFlags &= 0x40;
    if ((gameFlags & GF_XBOARD) && halfMoves == 1)
        detectionFlags |= DF_FORCE;
    for (int i = 0; i < halfMoves; i++)
        takeback();
    if (!(gameFlags & GF_XBOARD))
        print_board(0);
}

// Code 10: the opponent played another move than the predicted one.
static void ponderMiss() {
    searchFlags &= 0x40;
    takeback();
    ply = 0;
    SEE(); // the exchange data of the position the typed move is made from
    const int16_t i = (int16_t)saveChoice;
    mvstack(&ponderStack[i], i);
    mvInfoChoice = mvinfo[i];
    mvRuleChoice = mvrules[i];
    makeOppMove(ponderStack[i], i);
    if (!(gameFlags & GF_XBOARD))
        print_board(0);
    timeFlags |= TF_SEARCH_NOW;
}

// The clock of a search that continues or restarts after a ponder hit starts now.
static void restartClock() {
    normalTime.startTime = now();
    setSearchDeadlines(normalTime.startTime);
}

void searchStopped() {
    ply = 0;
    const int32_t code = stopSearch;
    stopSearch = 0;
    switch (code) {
    case 0:
        if (searchFlags & SF_PONDERING) {
            searchFlags &= (uint8_t)~SF_PONDERING;
            if (timeFlags & TF_PONDER_DEEP) {
                // A deep ponder search keeps its predicted reply and waits for the real one.
                searchFlags = (uint8_t)((searchFlags | SF_PONDER_MOVE) & 0xD0);
            } else {
                takeback();
                searchFlags &= 0x40;
                timeFlags &= 0x0F;
            }
            break;
        }
        bankUnusedTime();
        playBestMove();
        break;
    case 1:
    case 14:
        playBestMove();
        break;
    case 2:
    case 3:
        endGameByCommand();
        break;
    case 5:
        newGameDuringSearch();
        break;
    case 6:
        takeBackPredictedReply();
        gameFlags &= (uint8_t)~GF_ENGINE_ACTIVE;
        searchFlags &= 0x40;
        detectionFlags |= DF_FORCE;
        break;
    case 8:
        searchFlags &= (searchFlags & SF_PONDER_MOVE_MADE) ? 0xC0 : 0x40;
        break;
    case 9:
        searchFlags &= 0xD0;
        break;
    case 10:
        ponderMiss();
        break;
    case 11:
        searchFlags &= 0x50;
        playBestMove();
        break;
    case 12:
        // The predicted reply was played: it is the game's move now, no longer taken back.
        if (detectionFlags & DF_POST)
            pvline(searchDepth, best_score[searchDepth], 0, 1, 1);
        restartClock();
        searchFlags = (uint8_t)((searchFlags & 0x70) | SF_PONDER_WHITE);
        break;
    case 13:
        takeback();
        searchFlags &= 0x40;
        timeFlags &= 0x0F;
        break;
    case 15:
        timeFlags &= (uint8_t)~TF_KEEP_HASH;
        searchFlags &= 0x40;
        playRootMove((int16_t)saveChoice);
        if (!(gameFlags & GF_XBOARD))
            print_board(0);
        break;
    case 16:
        restartClock();
        searchFlags = (uint8_t)((searchFlags & 0x40) | SF_PONDER_WHITE);
        timeFlags = (uint8_t)((timeFlags & 0x0F) | TF_KEEP_HASH | TF_SEARCH_NOW);
        break;
    case 17:
        takeBackMoves(1);
        break;
    case 18:
        takeBackMoves(2);
        break;
    default:
        break;
    }
    ply = 0;
}

const move_list *expectedReply() {
    if (!hasExpectation || hash[0] != expectedKey)
        return nullptr; // moves were made or taken back since
    generateRootMoves();
    const int16_t i = findRootMove(expected);
    return i < 0 ? nullptr : &searchData[0][i];
}

// Ends the game with its result line.
static void announceResult(const char *line) {
    searchFlags = 0;
    gameFlags |= GF_NO_GAME;
    std::printf("%s", line);
    noteResult(line);
}

// The tests of the end of the game, in their fixed order; two draw rules met at once print
// both lines.
static void judgePosition() {
    const move_tag &st = moveStack[0];
    if (st.fiftyMove >= 100)
        announceResult("1/2-1/2 {Draw by 50 move rule}\n");
    if (st.repetitions >= 3)
        announceResult("1/2-1/2 {Draw by 3-fold repetition}\n");
    // Only material with which neither side can ever mate ends the game; the search's cheaper
    // material-sum rule (which counts two knights as a draw) is for scoring, not for claims.
    if (isInsufficientMaterial(0))
        announceResult("1/2-1/2 {Insufficient material}\n");
    if (gameFlags & GF_NO_GAME)
        return;
    generateRootMoves();
    if (generated[0] == 0) {
        if (depthFlags[0] & DPF_IN_CHECK)
            announceResult(whiteToMove() ? "0-1 {Black mates}\n" : "1-0 {White mates}\n");
        else
            announceResult("1/2-1/2 {Stalemate}\n");
    } else if (generated[0] == 1) {
        searchFlags &= (uint8_t)~SF_PONDER_MOVE; // one reply: nothing to ponder on
    }
}

// "Would you like to play another game?": "no" or the end of input ends the program, "yes"
// sets up a new game; the finished game can still be shown, listed or saved ("pgn FILE"),
// after which the question is asked again; other words are read again without a new prompt.
static void askForAnotherGame() {
    static const char *const QUESTION = "Would you like to play another game? (yes/no) ";
    std::printf("%s", QUESTION);
    char word[256], rest[256];
    for (;;) {
        if (!readInputWord(word, sizeof word) || isCommand(word, "no"))
            quitEngine();
        if (isCommand(word, "yes"))
            break;
        if (isGameCommand(word)) {
            readInputLine(rest, sizeof rest); // the rest of the command's line
            runGameCommand(word, rest);
            std::printf("\n%s", QUESTION);
        }
    }
    std::printf("New game\n");
    newGamePosition();
    detectionFlags &= (uint8_t)~DF_FORCE; // a game ended by command left force mode on
    print_board(0);
    settings(1);
    gameFlags |= GF_IN_BOOK;
}

void checkGame() {
    ply = 0;
    // A predicted reply on the board is no move of the game: its position is not judged.
    if (searchFlags & SF_PONDER_MOVE_MADE)
        return;
    if (!(gameFlags & GF_NO_GAME))
        judgePosition();
    if (!(gameFlags & GF_NO_GAME))
        return;
    if (gameFlags & GF_XBOARD) {
        searchFlags = 0;
        gameFlags = (uint8_t)((gameFlags & 0x93) | GF_IN_BOOK);
        detectionFlags |= DF_FORCE;
        return;
    }
    askForAnotherGame();
}
