// Engine state shared by every layer: flag bytes, stop code, depth limit and clocks.
#include "board/engine_state.h"

#include <chrono>

uint8_t gameFlags, searchFlags, detectionFlags, timeFlags;
int32_t stopSearch;
int8_t s_depth = 30;
tag_time normalTime = {0, 0, 0, NO_TIME_LIMIT, 0, 0, 0, 0, 0, NO_TIME_LIMIT};
TIMES ponderTime;

// The clock is std::chrono::steady_clock scaled to milliseconds, counted from the first
// call: a monotonic clock never jumps when the system time is set, and counting from the
// first call keeps every clock value of a run small and positive.
int32_t now() {
    using namespace std::chrono;
    static const steady_clock::time_point origin = steady_clock::now();
    return (int32_t)duration_cast<milliseconds>(steady_clock::now() - origin).count();
}
