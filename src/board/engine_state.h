// Engine state shared by every layer: the four control flag bytes, the stop code, the depth
// limit and the search clocks. The front ends set it, the search obeys it, the position code
// keeps the side to move in it.
#pragma once

#include <cstdint>

// gameFlags
constexpr uint8_t GF_NO_GAME = 0x01, GF_BOOK_ON = 0x02, GF_IN_BOOK = 0x04, GF_ENGINE_WHITE = 0x08,
                  GF_WHITE_TO_MOVE = 0x10, GF_ENTRY_WHITE = 0x20, GF_ENGINE_ACTIVE = 0x40,
                  GF_XBOARD = 0x80;
// searchFlags
constexpr uint8_t SF_SEARCH_START = 0x01, SF_NULL_SEARCH = 0x02, SF_NEED_QUIESCE = 0x04,
                  SF_PONDERING = 0x08, SF_PONDER_MOVE = 0x10, SF_PONDER_WHITE = 0x20,
                  SF_PONDER_ON = 0x40, SF_PONDER_MOVE_MADE = 0x80;
// detectionFlags
constexpr uint8_t DF_POST = 0x01, DF_SHOW_PV = 0x02, DF_XBOARD_INPUT = 0x04, DF_FORCE = 0x08,
                  DF_FULL_ANALYSIS = 0x10, DF_NEW_PASSER = 0x20, DF_KEEP_READING = 0x40,
                  DF_AFTER_NULL = 0x80;
// timeFlags
constexpr uint8_t TF_CONVENTIONAL = 0x01, TF_INCREMENTAL = 0x02, TF_FIXED_TIME = 0x04,
                  TF_FIXED_DEPTH = 0x08, TF_PONDER_DEEP = 0x10, TF_PONDER_PV2 = 0x20,
                  TF_KEEP_HASH = 0x40, TF_SEARCH_NOW = 0x80;

// Clock record, all in milliseconds of the engine's wall clock.
struct tag_time {
    int32_t startTime, stopTime, elapsed, searchTime, savedTime, lastTime, iterationTime,
        thisIteration, timeCheck;
    // Under a clock: the most this move may take when its iterations turn out unstable
    // (searchTime is the target a settled search aims at).
    int32_t hardTime;
};
using TIMES = tag_time;

// The per-move budget, in milliseconds, that stands for "no time limit".
constexpr int32_t NO_TIME_LIMIT = 33554432;

extern uint8_t gameFlags, searchFlags, detectionFlags, timeFlags;
extern int32_t stopSearch;  // stop or command code posted for the search and main loop
extern int8_t s_depth;      // deepest iteration the search may start; 30 = unlimited
extern tag_time normalTime; // the engine's own search
extern TIMES ponderTime;    // the search on the opponent's time

inline bool whiteToMove() { return (gameFlags & GF_WHITE_TO_MOVE) != 0; }
inline int sideToMove() { return whiteToMove() ? 0 : 1; }

// Milliseconds of a monotonic wall clock.
int32_t now();
