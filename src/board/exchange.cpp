// The sixteen exchange tables: the outcome of a capture sequence on one square for every
// target class, defender set and attacker set, with and without x-ray pieces behind a queen.
#include "board/setup.h"

#include <cstring>

// Capture value of each bit of an attacker or defender set (king, queens, rooks, minors,
// pawns) in units of 10 centipawns. The king counts 1 so that it is recognisable.
static const int8_t bitValue[11] = {1, 90, 90, 90, 51, 51, 31, 31, 31, 10, 10};
constexpr int KING_VALUE = 1;
constexpr int QUEEN_BIT = 0x002, ROOK_BIT = 0x010, ROOKS_BITS = 0x030, MINOR_BIT = 0x040;
constexpr int MAX_MEMBERS = 11;

// How one side of a variant is restricted: the bits it must hold and the bits of the pieces
// that stand behind its first queen (0 = no x-ray, no condition).
struct xraySide {
    int required, behind;
};
static const xraySide anySide = {0, 0};
static const xraySide oneRook = {QUEEN_BIT | ROOK_BIT, ROOK_BIT};
static const xraySide twoRooks = {QUEEN_BIT | ROOKS_BITS, ROOKS_BITS};
static const xraySide oneMinor = {QUEEN_BIT | MINOR_BIT, MINOR_BIT};

// The group counts and one-piece steps of every set index, computed by the compiler.
static constexpr seeIndexTables buildSeeIndexTables() {
    seeIndexTables t = {};
    for (int i = 0; i < SEE_SETS; i++) {
        const seeGroups x = countSeeGroups(i);
        const int n[SEE_GROUPS] = {x.king, x.queens, x.rooks, x.minors, x.pawns};
        for (int g = 0; g < SEE_GROUPS; g++) {
            t.groups[i][g] = (int8_t)n[g];
            int more[SEE_GROUPS] = {n[0], n[1], n[2], n[3], n[4]};
            int less[SEE_GROUPS] = {n[0], n[1], n[2], n[3], n[4]};
            more[g] += 1;
            less[g] -= 1;
            t.plusOne[g][i] = (int16_t)joinSeeIndex(more[0], more[1], more[2], more[3], more[4]);
            t.minusOne[g][i] = (int16_t)joinSeeIndex(less[0], less[1], less[2], less[3], less[4]);
        }
    }
    return t;
}
const seeIndexTables seeIndexSteps = buildSeeIndexTables();

seeTableType seeTable, seeTableAr, seeTableArr, seeTableAb, seeTableArDr, seeTableArrDr,
    seeTableAbDr, seeTableArDrr, seeTableArrDrr, seeTableAbDrr, seeTableArDb, seeTableArrDb,
    seeTableAbDb, seeTableDr, seeTableDrr, seeTableDb;

// A side's members in capture order (pawns first, the king last) with the x-ray pieces moved
// to just after the first queen. Entries past the member count stay 0, so a look-up beyond
// the last member reads an absent piece: never a king and never dearer than the target.
struct captureOrder {
    int8_t value[MAX_MEMBERS + 1];
    int count;
};

static captureOrder orderOf(int set, int behind) {
    captureOrder o = {};
    int xray[2], nx = 0;
    bool placed = false;
    for (int bit = 10; bit >= 0; bit--) {
        if (!(set & (1 << bit)))
            continue;
        if (behind & (1 << bit)) {
            xray[nx++] = bitValue[bit];
            continue;
        }
        o.value[o.count++] = bitValue[bit];
        if (!placed && ((1 << bit) & 0x00E) != 0) { // the first queen: the x-ray pieces follow it
            for (int k = 0; k < nx; k++)
                o.value[o.count++] = (int8_t)xray[k];
            placed = true;
        }
    }
    // Queens are ordered after every x-ray bit (rooks and minors sit above them), so every
    // x-ray piece has been collected by the time the first queen is placed; the callers
    // ask for x-rays only in sets that hold a queen.
    ASSERT(placed || nx == 0);
    return o;
}

// Phase 2A: the attacker's capture of g (worth more than the piece capturing it) stands
// only if the running balance of the rest of the sequence lets it.
static int attackerGamble(const captureOrder &a, const captureOrder &d, int nA, int nD, int i,
                          int v, int g) {
    int SA = 0, SD = 0;
    for (;;) {
        SA += v;
        if (SA < SD)
            return 0;
        v = a.value[i];
        nA--;
        if (nD == 0)
            return g;
        if (d.value[i] == KING_VALUE && nA > 0)
            return g;
        SD += v;
        v = d.value[i];
        nD--;
        if (nA == 0)
            return SA >= SD ? g : 0;
        i++;
        if (a.value[i] == KING_VALUE && nD > 0)
            return SA >= SD ? g : 0;
    }
}

// Phase 2D: the defender's recapture of g, decided by the same kind of running balance.
static int defenderGamble(const captureOrder &a, const captureOrder &d, int nA, int nD, int i,
                          int v, int g) {
    int SA = 0, SD = 0;
    for (;;) {
        SD += v;
        if (SD < SA)
            return 0;
        v = d.value[i];
        nD--;
        if (nA == 0)
            return -g;
        i++;
        if (a.value[i] == KING_VALUE && nD > 0)
            return -g;
        SA += v;
        v = a.value[i];
        nA--;
        if (nD == 0)
            return SD >= SA ? -g : 0;
        if (d.value[i] == KING_VALUE && nA > 0)
            return SD >= SA ? -g : 0;
    }
}

// Outcome of the exchange on a target worth v0 for the attacking side, attacker moving first.
static int swapOffValue(int v0, const captureOrder &a, const captureOrder &d) {
    int nA = a.count, nD = d.count;
    if (nA == 0)
        return 0;
    if (nD == 0)
        return v0;
    if (nA == 1 && a.value[0] == KING_VALUE)
        return 0; // a lone king cannot take a defended piece
    if (nD == 1 && d.value[0] == KING_VALUE)
        return nA >= 2 ? v0 : v0 - a.value[0];

    // Phase 1: captures that cannot lose, as long as each capturer is worth no more than
    // the piece it takes.
    int E = 0, v = v0, i = 0;
    while (nA > 0) {
        if (a.value[i] == KING_VALUE) {
            if (nD == 0)
                E += v;
            return E;
        }
        if (a.value[i] > v)
            return E + attackerGamble(a, d, nA, nD, i, v, v);
        E += v;
        v = a.value[i];
        nA--;
        if (nD == 0)
            return E;
        if (d.value[i] == KING_VALUE) {
            if (nA == 0)
                E -= v;
            return E;
        }
        if (d.value[i] > v)
            return E + defenderGamble(a, d, nA, nD, i, v, v);
        E -= v;
        v = d.value[i];
        nD--;
        i++;
    }
    return E;
}

// Fills one variant's table; entries whose sets lack the variant's required pieces are 0.
static void computeVariant(const xraySide &att, const xraySide &def, seeTableType &table) {
    static captureOrder attackers[SEE_SETS], defenders[SEE_SETS];
    static int attackerSets[SEE_SETS], defenderSets[SEE_SETS];
    int nAttackers = 0, nDefenders = 0;
    for (int s = 0; s < SEE_SETS; s++) {
        const int set = hangindex[s];
        if ((set & att.required) == att.required) {
            attackers[s] = orderOf(set, att.behind);
            attackerSets[nAttackers++] = s;
        }
        if ((set & def.required) == def.required) {
            defenders[s] = orderOf(set, def.behind);
            defenderSets[nDefenders++] = s;
        }
    }
    std::memset(table, 0, sizeof(seeTableType));
    for (int t = 0; t < SEE_TARGETS; t++)
        for (int i = 0; i < nDefenders; i++) {
            const int ds = defenderSets[i];
            for (int j = 0; j < nAttackers; j++) {
                const int as = attackerSets[j];
                const int E = swapOffValue(see_val[t], attackers[as], defenders[ds]);
                ASSERT(E >= -128 && E <= 127);
                table[t][ds][as] = (int8_t)E;
            }
        }
}

// The tables by the ownQueen codes of the two sides (0 none, 1 one rook, 2 two rooks, 3 a
// minor piece behind the queen): [owner's code][capturer's code]. A table is computed the
// first time it is needed: a start that never analyses a position pays nothing for them,
// and most positions never need most of the x-ray variants.
static seeTableType *const tableByCodes[4][4] = {
    {&seeTable, &seeTableAr, &seeTableArr, &seeTableAb},
    {&seeTableDr, &seeTableArDr, &seeTableArrDr, &seeTableAbDr},
    {&seeTableDrr, &seeTableArDrr, &seeTableArrDrr, &seeTableAbDrr},
    {&seeTableDb, &seeTableArDb, &seeTableArrDb, &seeTableAbDb},
};
static const xraySide *const sideByCode[4] = {&anySide, &oneRook, &twoRooks, &oneMinor};
static bool tableBuilt[4][4];

static seeTableType &exchangeTable(int ownerCode, int capturerCode) {
    seeTableType &table = *tableByCodes[ownerCode][capturerCode];
    if (!tableBuilt[ownerCode][capturerCode]) {
        computeVariant(*sideByCode[capturerCode], *sideByCode[ownerCode], table);
        tableBuilt[ownerCode][capturerCode] = true;
    }
    return table;
}

void ensureExchangeTables() { exchangeTable(0, 0); }

void buildExchangeTables() {
    for (int owner = 0; owner < 4; owner++)
        for (int capturer = 0; capturer < 4; capturer++)
            exchangeTable(owner, capturer);
}

static int clampCode(int code) { return code < 0 ? 0 : (code > 3 ? 3 : code); }

int16_t queenObstruct(int8_t seePiece, int16_t Aboard, int16_t Bboard, int8_t obstructionA,
                      int8_t obstructionB, int16_t seeCapture) {
    ASSERT(seePiece >= 0 && seePiece < SEE_TARGETS);
    ASSERT(Aboard >= 0 && Aboard < SEE_SETS && Bboard >= 0 && Bboard < SEE_SETS);
    ASSERT(seeCapture >= 0 && seeCapture <= EMPTY);
    const seeTableType &table = exchangeTable(clampCode(obstructionA), clampCode(obstructionB));
    return (int16_t)(pieceValue[seeCapture] -
                     10 * table[seePiece][clampSeeIndex(Aboard)][clampSeeIndex(Bboard)]);
}
