// Time control: the clock, "level" parsing, the per-move budget and the in-search time check.
#include "control/timecontrol.h"

#include "control/control.h"

#include <cstring>

// Clock reserve kept back from the GUI's report, in centiseconds: two seconds under a
// conventional control, one and a half under an incremental one, against transmission lag.
constexpr int32_t CONVENTIONAL_RESERVE_CS = 200;
constexpr int32_t INCREMENTAL_RESERVE_CS = 150;
constexpr int8_t INCREMENTAL_COUNTDOWN = 61; // an incremental game is planned as 60 moves
// The incremental budget shares the clock among at least this many moves: once the planned
// 60 moves are played the game goes on, and spending the whole clock on one move (or dividing
// by a countdown that has run out) would lose on time.
constexpr int8_t INCREMENTAL_MIN_SHARE = 20;

int32_t timeleft, opptimeleft, increment;
int8_t movesleft, movesPerTime;

static bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Base time: one or two digits of minutes, optionally ":" and exactly two digits of
// seconds. Returns the seconds, or -1 when the field has another shape.
static int32_t parseBase(const char *b) {
    int minutes = 0, n = 0;
    while (isDigit(b[n]) && n < 2) {
        minutes = minutes * 10 + (b[n] - '0');
        n++;
    }
    if (n == 0)
        return -1;
    if (b[n] == '\0')
        return minutes * 60;
    if (b[n] != ':' || !isDigit(b[n + 1]) || !isDigit(b[n + 2]) || b[n + 3] != '\0')
        return -1;
    return minutes * 60 + (b[n + 1] - '0') * 10 + (b[n + 2] - '0');
}

// Moves per period of a conventional control: one or two digits, the first not 0.
static int32_t parseMoves(const char *s) {
    if (!isDigit(s[0]) || s[0] == '0')
        return -1;
    if (s[1] == '\0')
        return s[0] - '0';
    if (!isDigit(s[1]) || s[2] != '\0')
        return -1;
    return (s[0] - '0') * 10 + (s[1] - '0');
}

// Increment of an incremental control: one to three digits of seconds.
static int32_t parseIncrement(const char *i) {
    int value = 0, n = 0;
    while (isDigit(i[n]) && n < 3) {
        value = value * 10 + (i[n] - '0');
        n++;
    }
    if (n == 0 || i[n] != '\0')
        return -1;
    return value;
}

static void selectControl(uint8_t control) { timeFlags = (uint8_t)((timeFlags & 0xF0) | control); }

// "level MOVES BASE INC". A conventional control (MOVES > 0) shares the base among the moves
// of the period and allows no increment; an incremental one (MOVES = 0) plans for 60 moves.
int32_t chk_time(const char *s, const char *b, const char *i) {
    int32_t base = parseBase(b);
    if (base < 0)
        return -1;
    if (std::strcmp(s, "0") != 0) {
        const int32_t moves = parseMoves(s);
        if (moves < 0 || i[0] != '0')
            return -1;
        selectControl(TF_CONVENTIONAL);
        timeleft = base * 1000 / moves;
        movesPerTime = (int8_t)moves;
        opptimeleft = base * 1000;
        movesleft = (int8_t)(moves + 1);
        return timeleft;
    }
    const int32_t inc = parseIncrement(i);
    if (inc < 0)
        return -1;
    if (base == 0)
        base = 10; // a game of pure increment still gets a small float
    increment = inc * 1000;
    selectControl(TF_INCREMENTAL);
    opptimeleft = base * 1000;
    timeleft = base * 1000 / 60;
    movesleft = INCREMENTAL_COUNTDOWN;
    return timeleft;
}

// The GUI reports the engine's clock before each move; the budget shares what is left
// (less a reserve) among the moves still to play before the next control.
void timeReport(int32_t centiseconds) {
    const uint8_t control = timeFlags & 0x0F;
    if (control & TF_CONVENTIONAL) {
        movesleft = (int8_t)(movesleft - 1);
        if (movesleft == 1)
            normalTime.savedTime = 0; // the last move of a period must not spend banked time
        timeleft = (centiseconds - CONVENTIONAL_RESERVE_CS) * 10;
        if (movesleft <= 0)
            movesleft = movesPerTime;
        normalTime.searchTime = timeleft / (movesleft + 1);
    } else if (control & TF_INCREMENTAL) {
        if (movesleft > 0)
            movesleft = (int8_t)(movesleft - 1);
        if (movesleft == 1 || movesleft == 2)
            normalTime.savedTime = 0;
        timeleft = (centiseconds - INCREMENTAL_RESERVE_CS) * 10;
        const int32_t share = movesleft < INCREMENTAL_MIN_SHARE ? INCREMENTAL_MIN_SHARE : movesleft;
        normalTime.searchTime = timeleft / share + increment;
    } else {
        timeleft = centiseconds * 10;
    }
}
