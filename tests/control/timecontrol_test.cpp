// Time control: "level" fields, the per-move budget from the GUI's clock, the stop check.
#include "control/timecontrol.h"
#include "search/search.h"

#include "control/control.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {

// The state a "level 40 5 0" leaves: 41 moves to plan (this one and 40 more).
void expectConventional40() {
    EXPECT_EQ(timeFlags & 0x0F, TF_CONVENTIONAL);
    EXPECT_EQ(movesleft, 41);
    EXPECT_EQ(movesPerTime, 40);
}

class TimeControl : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureSetup();
        timeFlags = searchFlags = stopSearch = 0;
        movesleft = movesPerTime = increment = 0;
        normalTime = {};
        ponderTime = {};
    }
    void TearDown() override { timeFlags = searchFlags = stopSearch = 0; }
};

TEST_F(TimeControl, ConventionalLevelSharesTheBaseAmongTheMoves) {
    // 40 moves in 5 minutes: 300 s over 40 moves.
    EXPECT_EQ(chk_time("40", "5", "0"), 7500);
    expectConventional40();
    EXPECT_EQ(opptimeleft, 300000);
    // The first report: 40 moves to play, this one included.
    timeReport(30000);
    EXPECT_EQ(movesleft, 40);
    // Seconds in the base: 5:30 is 330 seconds.
    EXPECT_EQ(chk_time("40", "5:30", "0"), 330000 / 40);
    EXPECT_EQ(chk_time("9", "90", "0"), 5400000 / 9);
}

TEST_F(TimeControl, IncrementalLevelPlansSixtyMoves) {
    // 2 minutes plus 12 seconds a move: 120 s over 60 moves before the first report.
    EXPECT_EQ(chk_time("0", "2", "12"), 2000);
    EXPECT_EQ(timeFlags & 0x0F, TF_INCREMENTAL);
    EXPECT_EQ(increment, 12000);
    EXPECT_EQ(movesleft, 61);
    EXPECT_EQ(opptimeleft, 120000);
    timeReport(12000);
    EXPECT_EQ(movesleft, 60);
    // A base of 0 is a game of increment only: it gets a 10-second float.
    EXPECT_EQ(chk_time("0", "0", "5"), 10000 / 60);
    EXPECT_EQ(opptimeleft, 10000);
    EXPECT_EQ(increment, 5000);
}

TEST_F(TimeControl, MalformedLevelsChangeNothing) {
    ASSERT_EQ(chk_time("40", "5", "0"), 7500);
    const char *bad[][3] = {
        {"40", "5:3", "0"}, // seconds need two digits
        {"100", "5", "0"},  // at most two digits of moves
        {"40", "5", "2"},   // a conventional control has no increment
        {"40", "123", "0"}, // at most two digits of minutes
        {"0", "5", "1234"}, // at most three digits of increment
        {"0", "5", "12x"},  // the increment must end the field
        {"40", ":30", "0"}, // minutes are required
        {"40", "", "0"},    // so is the base
    };
    for (const auto &b : bad) {
        SCOPED_TRACE(std::string(b[0]) + " " + b[1] + " " + b[2]);
        EXPECT_EQ(chk_time(b[0], b[1], b[2]), -1);
        expectConventional40();
    }
}

// At the end of a period the count starts over; the last move of a period may spend what is
// left above the reserve, no more.
TEST_F(TimeControl, ConventionalPeriodStartsOver) {
    ASSERT_EQ(chk_time("2", "1", "0"), 30000);
    EXPECT_EQ(movesleft, 3);
    timeReport(6000);
    EXPECT_EQ(movesleft, 2);
    const int32_t firstOfTwo = normalTime.searchTime;
    timeReport(6000);
    EXPECT_EQ(movesleft, 1);
    EXPECT_GT(normalTime.searchTime, firstOfTwo);
    EXPECT_LE(normalTime.hardTime, 60000 - 2000);
    timeReport(6000);
    EXPECT_EQ(movesleft, 2); // a new period of two moves
    EXPECT_EQ(normalTime.searchTime, firstOfTwo);
}

// Plays a game against the clock: each move spends its target (or, when `hard`, its whole
// hard limit), the GUI adds the increment. Returns the clock left after `moves` moves, or -1
// when it ran out.
int32_t playAgainstTheClock(const char *moves, const char *base, const char *inc, int count,
                            bool hard) {
    EXPECT_GE(chk_time(moves, base, inc), 0);
    int32_t clock = opptimeleft;
    for (int m = 0; m < count; m++) {
        timeReport(clock / 10);
        EXPECT_GE(normalTime.hardTime, normalTime.searchTime);
        clock -= hard ? normalTime.hardTime : normalTime.searchTime;
        if (clock <= 0)
            return -1;
        clock += increment;
        if (timeFlags & TF_CONVENTIONAL && movesleft == 1)
            clock += opptimeleft; // the next period's time arrives with the control
    }
    return clock;
}

// The clock is spent: a sudden-death or incremental game that lasts forty moves ends with less
// than a third of its base left (its increments included), yet no game runs out of time, not
// even when every move takes its hard limit.
TEST_F(TimeControl, TheClockIsSpentButNeverRunsOut) {
    EXPECT_LT(playAgainstTheClock("0", "1", "0", 40, false), 60000 / 3);
    EXPECT_LT(playAgainstTheClock("0", "0:15", "0.1", 40, false), 15000 / 3); // increments too
    for (int moves : {40, 100, 200}) {
        SCOPED_TRACE(moves);
        EXPECT_GT(playAgainstTheClock("0", "1", "0", moves, false), 0);
        EXPECT_GT(playAgainstTheClock("0", "1", "0", moves, true), 0);
        EXPECT_GT(playAgainstTheClock("0", "0:15", "0.1", moves, true), 0);
        EXPECT_GT(playAgainstTheClock("40", "1", "0", moves, true), 0);
        EXPECT_GT(playAgainstTheClock("5", "0:10", "0", moves, true), 0);
    }
    // A conventional period is used up to its reserve by its last move.
    EXPECT_LT(playAgainstTheClock("40", "1", "0", 39, false), 60000 / 3);
}

// An incremental game that outlasts the sixty planned moves still shares the clock among
// several moves: the budget never becomes the whole clock or negative.
TEST_F(TimeControl, IncrementalBudgetSurvivesLongGames) {
    ASSERT_GE(chk_time("0", "2", "2"), 0);
    for (int move = 1; move <= 120; move++) {
        timeReport(6000);
        const int32_t clock = (6000 - 150) * 10;
        EXPECT_GE(movesleft, 0);
        EXPECT_GT(normalTime.searchTime, 0) << move;
        EXPECT_LE(normalTime.hardTime, clock / 5 + 2000) << move;
    }
}

TEST_F(TimeControl, OutOfTimeComparesWithTheStopTime) {
    // A budget overdrawn before the clock's origin still stops the search.
    const int32_t cases[][2] = {{now() + 3600000, 0}, {now() - 1, 11}, {-500000, 11}};
    for (const auto &c : cases) {
        stopSearch = 0;
        normalTime.stopTime = c[0];
        outOfTime();
        EXPECT_EQ(stopSearch, c[1]) << c[0];
    }
    // A ponder search has no clock of its own unless the time per move is fixed.
    stopSearch = 0;
    searchFlags = SF_PONDERING;
    ponderTime.stopTime = now() - 1;
    outOfTime();
    EXPECT_EQ(stopSearch, 0);
    timeFlags = TF_FIXED_TIME;
    outOfTime();
    EXPECT_EQ(stopSearch, 11);
}

// GUIs send the base as M:SS and the increment with a decimal fraction (xboard's
// "level 0 0:15 0.1"); the increment is kept in milliseconds.
TEST_F(TimeControl, FractionalIncrementsAndMinuteSecondBases) {
    EXPECT_EQ(chk_time("0", "0:15", "0.1"), 15000 / 60);
    EXPECT_EQ(increment, 100);
    EXPECT_EQ(chk_time("0", "1", "2.125"), 60000 / 60);
    EXPECT_EQ(increment, 2125);
    EXPECT_EQ(chk_time("40", "0:30", "0"), 30000 / 40);
    for (const char *bad : {"0.", ".5", "0.1234", "1.2.3", "1,5"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(chk_time("0", "1", bad), -1);
    }
}

// Whatever the clock, the banked time and the increment ask, a move never spends more than
// the clock minus a safety margin, and never gets a negative budget; near an empty clock an
// incremental game spends less than the increment, so the clock refills.
TEST_F(TimeControl, BudgetsStayInsideTheClock) {
    ASSERT_GE(chk_time("0", "0:15", "0.1"), 0);
    for (int32_t cs : {1500, 400, 150, 60, 20, 5, 0}) {
        SCOPED_TRACE(cs);
        normalTime.savedTime = 4000;
        timeReport(cs);
        const int32_t clock = cs * 10;
        EXPECT_GT(normalTime.searchTime, 0);
        EXPECT_GE(normalTime.savedTime, 0);
        EXPECT_TRUE(clock <= 100 || normalTime.searchTime + normalTime.savedTime <= clock - 50);
        EXPECT_TRUE(clock >= 1500 || normalTime.searchTime < 100);
    }
    // Conventional control with less than its two-second reserve left.
    ASSERT_GE(chk_time("40", "1", "0"), 0);
    timeReport(150);
    EXPECT_GT(normalTime.searchTime, 0);
    EXPECT_LE(normalTime.searchTime + normalTime.savedTime, 1500 - 150);
    // A fixed time per move is held inside the clock the GUI reports as well.
    setFixedTime(5000);
    timeReport(500);
    EXPECT_LE(normalTime.searchTime, 4500);
    timeReport(90000);
    EXPECT_EQ(normalTime.searchTime, 5000);
}

// The unused rest of a budget stays on the clock, whose next report shares it out: nothing is
// banked on top of it, under a clock or without one.
TEST_F(TimeControl, NothingIsBankedOnTopOfTheClock) {
    normalTime = {1000, 1000 + NO_TIME_LIMIT, 200, 0, 0, 0, 0, 0, 0, 0};
    for (uint8_t control : {TF_FIXED_DEPTH, (uint8_t)0, TF_INCREMENTAL}) {
        timeFlags = control;
        bankUnusedTime();
        EXPECT_EQ(normalTime.savedTime, 0);
    }
}

// UCI clocks: "movestogo" is a conventional control, otherwise an incremental one planned by
// the half-moves played; the Move Overhead is kept back from the clock and from the budget,
// and a clock that ran out (or below zero) still gets the smallest budget, never a negative.
TEST_F(TimeControl, UciClocksMapOntoTheControls) {
    clockBudget(60000, 1000, 0, 0, 30);
    EXPECT_EQ(timeFlags & 0x0F, TF_INCREMENTAL);
    const int32_t withIncrement = normalTime.searchTime;
    clockBudget(60000, 0, 0, 0, 30);
    EXPECT_GT(withIncrement, normalTime.searchTime + 500); // most of the increment is spent
    clockBudget(60000, 500, 20, 10, 30);                   // no increment in a conventional control
    EXPECT_EQ(timeFlags & 0x0F, TF_CONVENTIONAL);
    EXPECT_EQ(movesleft, 20);
    const int32_t twentyToGo = normalTime.searchTime;
    clockBudget(60000, 0, 500, 10, 0); // more moves to go than a control holds
    EXPECT_LT(normalTime.searchTime * 4, twentyToGo);
    for (int32_t clock : {-100, 0, 20, 80, 1000}) {
        SCOPED_TRACE(clock);
        normalTime.savedTime = 100000;
        clockBudget(clock, 100, 0, 30, 30);
        EXPECT_GT(normalTime.searchTime, 0);
        EXPECT_GE(normalTime.savedTime, 0);
        EXPECT_TRUE(clock <= 100 || normalTime.searchTime + normalTime.savedTime <= clock - 80);
    }
    moveTimeBudget(1000, 30);
    EXPECT_EQ(timeFlags & 0x0F, TF_FIXED_TIME);
    EXPECT_EQ(normalTime.searchTime, 970);
    moveTimeBudget(10, 30);
    EXPECT_GT(normalTime.searchTime, 0);
    EXPECT_LT(normalTime.searchTime, 10);
}

} // namespace
