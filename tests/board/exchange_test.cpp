// Exchange tables: plain outcomes, x-ray variants and the conditions each variant needs.
#include "board/setup.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {

// Target classes.
constexpr int TQ = 0, TR = 1, TM = 2, TP = 3;

// Index steps of single pieces.
const int NONE = 0, S_KING = 1, S_QUEEN = 2, S_ROOK = 8, S_MINOR = 24, S_PAWN = 96;

struct variantInfo {
    const seeTableType *table;
    int attRequired, defRequired; // bits each side's set must hold, 0 = any
    const char *name;
};

const int QR = 0x012, QRR = 0x032, QB = 0x042;

} // namespace

TEST(ExchangePlain, WorkedExamples) {
    ensureSetup();
    buildExchangeTables();
    const struct {
        int target, defenders, attackers, gain;
    } cases[] = {
        {TP, S_PAWN, S_PAWN, 0},                        // pawn for pawn
        {TM, S_PAWN, S_PAWN, 21},                       // a minor for a pawn
        {TR, S_PAWN, S_MINOR, 20},                      // the exchange
        {TM, S_QUEEN, S_ROOK, 0},                       // rook for a defended minor: not taken
        {TP, S_ROOK, S_QUEEN + S_ROOK, 10},             // the rook takes first, queen backs it
        {TQ, S_KING, S_PAWN, 80},                       // the king recaptures the pawn
        {TP, S_KING, S_KING + S_ROOK, 10},              // the king cannot recapture: protected
        {TR, NONE, S_QUEEN, 51},                        // undefended: won whole by any piece,
        {TQ, NONE, S_KING, 90},                         // the king included
        {TP, S_PAWN, S_KING, 0},                        // a lone king never takes a defended piece
        {TP, S_KING, S_QUEEN, 10 - 90},                 // QxP KxQ
        {TP, S_MINOR, S_MINOR, 0},                      // NxP NxN loses: not taken ...
        {TP, S_MINOR, joinSeeIndex(0, 0, 0, 2, 0), 10}, // ... a second knight wins the pawn
        {TR, S_PAWN, joinSeeIndex(0, 1, 2, 0, 0), 10},  // RxR PxR RxP nets a pawn
    };
    for (const auto &c : cases)
        EXPECT_EQ(seeTable[c.target][c.defenders][c.attackers], c.gain)
            << c.target << " " << c.defenders << " " << c.attackers;
    for (int t = 0; t < SEE_TARGETS; t++)
        for (int d = 0; d < SEE_SETS; d++)
            ASSERT_EQ(seeTable[t][d][NONE], 0) << t << " " << d;
}

TEST(ExchangeVariants, XrayPiecesBehindTheQueenChangeTheOrder) {
    ensureSetup();
    buildExchangeTables();
    // With the rook behind the queen the queen must capture first: QxP RxQ RxR loses, where
    // the plain order (rook first) wins the pawn.
    EXPECT_EQ(seeTableAr[TP][S_ROOK][S_QUEEN + S_ROOK], 0);
    // Both rooks behind the queen: QxR PxQ RxP loses, where RxR PxR RxP won a pawn.
    EXPECT_EQ(seeTableArr[TR][S_PAWN][joinSeeIndex(0, 1, 2, 0, 0)], 0);
    // A defender whose knight stands behind its queen must recapture with the queen first;
    // PxP QxP NxQ makes that recapture a loss, so the pawn is won.
    EXPECT_EQ(seeTable[TP][S_QUEEN + S_MINOR][S_PAWN + S_MINOR], 0);
    EXPECT_EQ(seeTableDb[TP][S_QUEEN + S_MINOR][S_PAWN + S_MINOR], 10);
    EXPECT_EQ(seeTableArDb[TP][S_QUEEN + S_MINOR][S_PAWN + S_MINOR], 0); // attacker lacks Q+R
    // A variant whose sets lack the required pieces holds 0, even for a free capture.
    EXPECT_EQ(seeTable[TP][NONE][S_QUEEN], 10);
    EXPECT_EQ(seeTableAr[TP][NONE][S_QUEEN], 0);
    EXPECT_EQ(seeTableAr[TP][NONE][S_QUEEN + S_ROOK], 10);
    EXPECT_EQ(seeTableArDb[TP][NONE][S_QUEEN + S_ROOK], 0);
}

TEST(ExchangeVariants, ConditionsAndBoundsHoldEverywhere) {
    ensureSetup();
    buildExchangeTables();
    const variantInfo variants[16] = {
        {&seeTableAr, QR, 0, "Ar"},         {&seeTableArr, QRR, 0, "Arr"},
        {&seeTableAb, QB, 0, "Ab"},         {&seeTableArDr, QR, QR, "ArDr"},
        {&seeTableArrDr, QRR, QR, "ArrDr"}, {&seeTableAbDr, QB, QR, "AbDr"},
        {&seeTableArDrr, QR, QRR, "ArDrr"}, {&seeTableArrDrr, QRR, QRR, "ArrDrr"},
        {&seeTableAbDrr, QB, QRR, "AbDrr"}, {&seeTableArDb, QR, QB, "ArDb"},
        {&seeTableArrDb, QRR, QB, "ArrDb"}, {&seeTableAbDb, QB, QB, "AbDb"},
        {&seeTableDr, 0, QR, "Dr"},         {&seeTableDrr, 0, QRR, "Drr"},
        {&seeTableDb, 0, QB, "Db"},         {&seeTable, 0, 0, "plain"},
    };
    for (const variantInfo &v : variants) {
        int nonZero = 0;
        for (int t = 0; t < SEE_TARGETS; t++)
            for (int d = 0; d < SEE_SETS; d++)
                for (int a = 0; a < SEE_SETS; a++) {
                    int e = (*v.table)[t][d][a];
                    bool holds = (hangindex[a] & v.attRequired) == v.attRequired &&
                                 (hangindex[d] & v.defRequired) == v.defRequired;
                    if (!holds) {
                        ASSERT_EQ(e, 0) << v.name << " " << t << " " << d << " " << a;
                    }
                    // With no attacker nothing is won, in every variant: the exchange look-ups
                    // of the engine skip the table for an unattacked square.
                    if (a == NONE) {
                        ASSERT_EQ(e, 0) << v.name << " " << t << " " << d;
                    }
                    // The attacker never gains more than the target is worth.
                    ASSERT_LE(e, see_val[t]) << v.name << " " << t << " " << d << " " << a;
                    nonZero += e != 0;
                }
        EXPECT_GT(nonZero, 0) << v.name;
    }
}
