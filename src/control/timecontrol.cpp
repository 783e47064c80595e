// Time control: the clock, "level" parsing, the per-move budget and the in-search time check.
#include "control/timecontrol.h"

#include "control/control.h"

#include <cstring>

// Clock reserve kept back from the GUI's report, in centiseconds: two seconds under a
// conventional control, one and a half under an incremental one, against transmission lag.
constexpr int32_t CONVENTIONAL_RESERVE_CS = 200;
constexpr int32_t INCREMENTAL_RESERVE_CS = 150;
constexpr int8_t INCREMENTAL_COUNTDOWN = 61; // an incremental game is planned as 60 moves
// A move ends at least this long before the clock would run out: a tenth of the clock, and
// never less than 50 ms. A budget is at least 5 ms, enough for a first iteration to start.
constexpr int32_t SAFETY_DIVISOR = 10;
constexpr int32_t MIN_SAFETY_MS = 50;
constexpr int32_t MIN_BUDGET_MS = 5;
constexpr int32_t LEVEL_MOVES_MOST = 99; // moves per period: two digits, as "level" reads them
// With no time control near, the rest of the game is planned as this many more moves: the
// clock then shrinks geometrically and never runs dry, however long the game lasts.
constexpr int32_t MOVES_HORIZON = 25;
// The hard limit of an unstable move: four targets, and never more than the clock shared
// among the moves to go (at most five of them): a move in trouble may think longer, but the
// moves after it must not be starved.
constexpr int32_t HARD_TARGETS = 4;
constexpr int32_t HARD_SHARE_MOST = 5;

int32_t timeleft, opptimeleft, increment;
int8_t movesleft, movesPerTime;
int32_t fixedMoveTime = NO_TIME_LIMIT;

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

// Increment of an incremental control in milliseconds: one to three digits of seconds,
// optionally followed by "." and one to three digits of a fraction (GUIs send 0.1).
static int32_t parseIncrement(const char *i) {
    int32_t seconds = 0;
    int n = 0;
    while (isDigit(i[n]) && n < 3) {
        seconds = seconds * 10 + (i[n] - '0');
        n++;
    }
    if (n == 0)
        return -1;
    int32_t millis = 0;
    if (i[n] == '.') {
        int scale = 100, digits = 0;
        for (n++; isDigit(i[n]) && digits < 3; n++, digits++, scale /= 10)
            millis += (i[n] - '0') * scale;
        if (digits == 0)
            return -1;
    }
    if (i[n] != '\0')
        return -1;
    return seconds * 1000 + millis;
}

// A new control starts afresh: time banked under the old one is not carried into it.
static void selectControl(uint8_t control) {
    timeFlags = (uint8_t)((timeFlags & 0xF0) | control);
    normalTime.savedTime = 0;
}

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
    increment = inc;
    selectControl(TF_INCREMENTAL);
    opptimeleft = base * 1000;
    timeleft = base * 1000 / 60;
    movesleft = INCREMENTAL_COUNTDOWN;
    return timeleft;
}

// What the clock can spend beyond a reserve kept against the end of the period: with less
// than twice the reserve left, half of the clock, so the budget never turns negative.
static int32_t spendable(int32_t clock, int32_t reserve) {
    return clock - (clock / 2 < reserve ? clock / 2 : reserve);
}

// No move may spend the clock down to nothing: whatever the formulas and the banked time ask,
// a move ends a safety margin before the flag would fall (the GUI's lag and a loaded
// machine's scheduling are paid from it).
static void capBudget(int32_t clock) {
    int32_t safety = clock / SAFETY_DIVISOR;
    if (safety < MIN_SAFETY_MS)
        safety = MIN_SAFETY_MS;
    int32_t limit = clock - safety;
    if (limit < MIN_BUDGET_MS)
        limit = MIN_BUDGET_MS;
    if (normalTime.searchTime > limit)
        normalTime.searchTime = limit;
    if (normalTime.searchTime < MIN_BUDGET_MS)
        normalTime.searchTime = MIN_BUDGET_MS;
    if (normalTime.hardTime > limit)
        normalTime.hardTime = limit;
    if (normalTime.hardTime < normalTime.searchTime)
        normalTime.hardTime = normalTime.searchTime;
    if (normalTime.savedTime < 0)
        normalTime.savedTime = 0;
    if (normalTime.savedTime > limit - normalTime.searchTime)
        normalTime.savedTime = limit - normalTime.searchTime;
}

static int32_t clampMs(int32_t ms, int32_t most) { return ms < 0 ? 0 : (ms > most ? most : ms); }

// The hard limit for a target: HARD_TARGETS targets, at most the clock that is left (after its
// reserve) over the moves to go up to HARD_SHARE_MOST, plus the increment a move brings.
static int32_t hardLimit(int32_t target, int32_t available, int32_t movesToGo, int32_t inc) {
    const int32_t share = movesToGo > HARD_SHARE_MOST ? HARD_SHARE_MOST : movesToGo;
    const int64_t cap = (int64_t)available / (share < 1 ? 1 : share) + inc;
    const int64_t hard = (int64_t)target * HARD_TARGETS;
    const int64_t h = hard < cap ? hard : cap;
    return (int32_t)(h < target ? target : h);
}

// The budget of this move from the engine's clock in milliseconds: a target of what is left
// (less a reserve) over the moves still to play before the next control (MOVES_HORIZON when
// none is near) plus the increment, and a hard limit for unstable searches. Time the
// search did not use stays on the clock and so flows into the next moves' shares.
static void shareClock(int32_t clock) {
    const uint8_t control = timeFlags & 0x0F;
    normalTime.savedTime = 0;
    if (control & TF_CONVENTIONAL) {
        movesleft = (int8_t)(movesleft - 1);
        timeleft = spendable(clock, CONVENTIONAL_RESERVE_CS * 10);
        if (movesleft <= 0)
            movesleft = movesPerTime;
        normalTime.searchTime = timeleft / movesleft;
        normalTime.hardTime = hardLimit(normalTime.searchTime, timeleft, movesleft, 0);
    } else if (control & TF_INCREMENTAL) {
        if (movesleft > 0)
            movesleft = (int8_t)(movesleft - 1);
        const int32_t reserve = INCREMENTAL_RESERVE_CS * 10;
        // The whole increment is spent on top of the share: it comes back with the move, so
        // only the share wears the clock down.
        const int32_t spent = increment;
        if (clock >= reserve) {
            timeleft = clock - reserve;
            normalTime.searchTime = timeleft / MOVES_HORIZON + spent;
            normalTime.hardTime =
                hardLimit(normalTime.searchTime, timeleft, MOVES_HORIZON, increment);
        } else {
            // Below the reserve a move spends only part of the increment, so that the clock
            // refills towards the reserve instead of living from one increment to the next.
            timeleft = 0;
            normalTime.searchTime = (int32_t)((int64_t)increment * clock / reserve);
            normalTime.hardTime = normalTime.searchTime;
        }
    } else if (control & TF_FIXED_TIME) {
        timeleft = clock;
        normalTime.searchTime = normalTime.hardTime = fixedMoveTime;
    } else {
        timeleft = clock;
        return;
    }
    capBudget(clock);
}

void timeReport(int32_t centiseconds) {
    shareClock(clampMs(centiseconds, NO_TIME_LIMIT / 10) * 10);
}

// The GUI's transmission lag is paid from the budget: a move that the engine ends on time may
// still reach the GUI `overhead` milliseconds later.
static void keepBack(int32_t overhead) {
    normalTime.searchTime -= overhead;
    normalTime.hardTime -= overhead;
    if (normalTime.searchTime < MIN_BUDGET_MS)
        normalTime.searchTime = MIN_BUDGET_MS;
    if (normalTime.hardTime < normalTime.searchTime)
        normalTime.hardTime = normalTime.searchTime;
}

void clockBudget(int32_t clockMs, int32_t incrementMs, int32_t movesToGo, int32_t halfMoves,
                 int32_t overhead) {
    overhead = clampMs(overhead, NO_TIME_LIMIT);
    const int32_t clock = clampMs(clockMs, NO_TIME_LIMIT);
    if (movesToGo > 0) {
        const int32_t moves = movesToGo > LEVEL_MOVES_MOST ? LEVEL_MOVES_MOST : movesToGo;
        timeFlags = (uint8_t)((timeFlags & 0xF0) | TF_CONVENTIONAL);
        movesPerTime = (int8_t)moves;
        movesleft = (int8_t)(moves + 1); // shareClock counts this move off
    } else {
        // The countdown of the 60 planned moves as if the engine had played every other
        // half-move of the game from its start.
        const int32_t played = clampMs(halfMoves, 2 * INCREMENTAL_COUNTDOWN) / 2;
        timeFlags = (uint8_t)((timeFlags & 0xF0) | TF_INCREMENTAL);
        increment = clampMs(incrementMs, NO_TIME_LIMIT / 2);
        movesleft = (int8_t)(played < INCREMENTAL_COUNTDOWN ? INCREMENTAL_COUNTDOWN - played : 1);
    }
    shareClock(clock > overhead ? clock - overhead : 0);
    keepBack(overhead);
}

void moveTimeBudget(int32_t milliseconds, int32_t overhead) {
    const int32_t ms = clampMs(milliseconds, NO_TIME_LIMIT);
    overhead = clampMs(overhead, NO_TIME_LIMIT);
    setFixedTime(ms - overhead > MIN_BUDGET_MS ? ms - overhead : MIN_BUDGET_MS);
}

void setFixedTime(int32_t milliseconds) {
    fixedMoveTime = milliseconds;
    normalTime.searchTime = normalTime.hardTime = milliseconds;
    normalTime.savedTime = 0;
    timeFlags = (uint8_t)((timeFlags & 0xF0) | TF_FIXED_TIME);
}

// Time a search leaves unused stays on the engine's clock, and the next move's share of the
// clock already counts it: nothing is banked on top of that.
void bankUnusedTime() { normalTime.savedTime = 0; }
