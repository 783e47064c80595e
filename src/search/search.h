// Iterative deepening, alpha-beta and quiescence search, killers and principal variation.
#pragma once

#include "board/board.h"

extern int32_t choice;            // root index of the chosen move, -1 while none
extern move_list movePV;          // the move to play
extern int8_t best_move[MAX_PLY]; // choice after each iteration
extern int32_t best_score[MAX_PLY];
extern int32_t searchScore; // score of the last finished iteration (side to move's view)
extern int8_t searchDepth;
extern int32_t LEmargin;
extern int8_t drawn;          // score of a draw for the side to move at the root
extern int32_t drawReference; // score the middlegame draw score is chosen from
extern int8_t PVdeep;
extern move_list ponderPV, savedPonderPV;
extern int8_t ponderPVLen;
extern const int32_t openingMove[30];
// Root moves reported with their lines after each iteration (UCI "MultiPV"), 1..MULTIPV_MOST;
// with 1 the search runs exactly as a single-line search.
constexpr int MULTIPV_MOST = 8;
extern int8_t multiPV;

extern move_list pv[MAX_PLY][MAX_PLY];
extern int8_t pvlen[MAX_PLY];
extern const move_list temp_pv;

extern int32_t killerHeuristic[MAX_PLY][4096];

extern int8_t extensionCount, reductionCount, reduceOnce, ABdeep, horizonDepth, QSdeep;
extern int32_t passThreshhold[MAX_PLY];

// Depth tables (search_tables.cpp).
extern const int8_t max_extn[32], ABSearchDepth[32], schdth[32];
extern const int32_t recapture[32], reduceMargin[32], winTable[32];
extern const int8_t nullR[3][32], n_moveTable[3][32], reduceLimits[3][32];
extern const int8_t lateMoveReduction[32][64];

// ---------------------------------------------------------------------------
// The front end's side of a search. The control layer installs these hooks; with none
// installed (command-line tools, tests) the search reads no input and reports nothing.
// ---------------------------------------------------------------------------
enum searchReportKind : int8_t {
    REPORT_THINKING,      // one thinking line: depth, score, time, nodes, the variation
    REPORT_LINE_SEARCHED, // full analysis: the line searched so far (depth = its length)
    REPORT_PONDER_HIT,    // the predicted reply came: the pondered position is now the game
    REPORT_PONDER_ENDED,  // a ponder search was cut short by the opponent's input
    REPORT_MATE,          // the finished search found a forced mate (score)
};

struct searchReport {
    int8_t kind;
    int8_t ponderLine;            // a thinking line of the ponder search's own variation
    int8_t multipv;               // the line's rank among several (MultiPV), 0 when one line
    int32_t depth, score, millis; // millis: the search's time so far
    uint64_t nodes;
};

struct frontEndHooks {
    bool (*inputWaiting)();                // input is waiting; never blocks
    void (*readInput)();                   // handles waiting input; may post a stop code
    void (*report)(const searchReport &r); // tells the user what the search is doing
};
extern frontEndHooks frontEnd;

// Chooses the move for the position at ply 0 (or ponders); results in movePV, stopSearch.
void search();
// Root index of the engine's first move in the initial position for a clock reading in
// milliseconds: openingMove[clock mod 30] names a rank among the generated root moves ordered
// by their order score (0 = the move the generator rates best). Needs the root list generated
// in the opening phase (gameState 0).
int32_t openingChoice(int64_t clockMs);
int16_t AlphaBeta(int8_t depth, int16_t alpha, int16_t beta, int16_t mate, int16_t high,
                  int16_t low, int8_t xDepth);
int16_t Quiesce(int8_t QSdepth, int8_t checksDepth, int16_t alpha, int16_t beta, int16_t mate);
int16_t PVmoveLine(int16_t alpha, int16_t beta);
// Forgets what earlier positions taught the search: transposition and pawn tables, killers,
// the draw score. Called for every new game and every position set up from FEN, so that a
// search depends only on its position.
void clearSearchMemory();
// Game phase of the position at ply 0 as the search driver classifies it (sets gameState
// and LEmargin).
void classifyGamePhase();
// The clock plan of a search that starts (or turns from pondering into a normal search) at
// time `start`: its target and its hard stop time (normalTime.stopTime) from the budget in
// normalTime.
void setSearchDeadlines(int32_t start);
// The predicted time of the next iteration after one that took `last` milliseconds, from the
// growth measured between the iterations of the running search.
int64_t predictNextIteration(int32_t last);
// Posts stop code 11 when the search's time is up.
void outOfTime();
