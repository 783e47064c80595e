// King-zone danger: how strongly the squares around each king are attacked.
#include "eval/eval.h"

#include "board/setup.h"
#include "movegen/movegen.h"

namespace {

// Role of a zone square: the row two steps towards the middle only reveals attackers, the
// row right in front of the king also counts its holes, the squares beside it count less.
enum ZoneRole : int8_t { FAR_ROW, NEAR_ROW, SIDE };

struct zoneSquare {
    int8_t offset; // added to the king's square
    int8_t role;
};

constexpr int ZONE_CLASSES = 12;
constexpr int ZONE_MAX = 11; // a king in the open: 3 far, 3 near and 5 side squares
constexpr int DANGER_LAST = 35;

struct kingZone {
    int8_t size;
    zoneSquare squares[ZONE_MAX];
};

// Zones by class (d_table of the king's square). Each faces the middle of the board:
// upwards for a king on ranks 1 to 4, downwards for one on ranks 5 to 8. Edge and corner
// kings count the square beside them as near, and a cornered king looks two squares out.
// clang-format off
const kingZone zones[ZONE_CLASSES] = {
    /* 0  b2..g4 */ {11, {{-17, FAR_ROW}, {-16, FAR_ROW}, {-15, FAR_ROW},
                          {-9, NEAR_ROW}, {-8, NEAR_ROW}, {-7, NEAR_ROW},
                          {-1, SIDE}, {1, SIDE}, {7, SIDE}, {8, SIDE}, {9, SIDE}}},
    /* 1  b5..g7 */ {11, {{15, FAR_ROW}, {16, FAR_ROW}, {17, FAR_ROW},
                          {7, NEAR_ROW}, {8, NEAR_ROW}, {9, NEAR_ROW},
                          {-1, SIDE}, {1, SIDE}, {-9, SIDE}, {-8, SIDE}, {-7, SIDE}}},
    /* 2  b1..g1 */ {8,  {{-17, FAR_ROW}, {-16, FAR_ROW}, {-15, FAR_ROW},
                          {-9, NEAR_ROW}, {-8, NEAR_ROW}, {-7, NEAR_ROW},
                          {-1, SIDE}, {1, SIDE}}},
    /* 3  b8..g8 */ {8,  {{15, FAR_ROW}, {16, FAR_ROW}, {17, FAR_ROW},
                          {7, NEAR_ROW}, {8, NEAR_ROW}, {9, NEAR_ROW},
                          {-1, SIDE}, {1, SIDE}}},
    /* 4  a5..a7 */ {7,  {{16, FAR_ROW}, {17, FAR_ROW},
                          {1, NEAR_ROW}, {9, NEAR_ROW}, {8, NEAR_ROW},
                          {-8, SIDE}, {-7, SIDE}}},
    /* 5  h2..h4 */ {7,  {{-17, FAR_ROW}, {-16, FAR_ROW},
                          {-9, NEAR_ROW}, {-1, NEAR_ROW}, {-8, NEAR_ROW},
                          {7, SIDE}, {8, SIDE}}},
    /* 6  a8     */ {8,  {{10, FAR_ROW}, {17, FAR_ROW},
                          {8, NEAR_ROW}, {9, NEAR_ROW}, {1, NEAR_ROW},
                          {16, SIDE}, {18, SIDE}, {2, SIDE}}},
    /* 7  h8     */ {8,  {{6, FAR_ROW}, {15, FAR_ROW},
                          {7, NEAR_ROW}, {8, NEAR_ROW}, {-1, NEAR_ROW},
                          {14, SIDE}, {16, SIDE}, {-2, SIDE}}},
    /* 8  a1     */ {8,  {{-15, FAR_ROW}, {-6, FAR_ROW},
                          {-8, NEAR_ROW}, {-7, NEAR_ROW}, {1, NEAR_ROW},
                          {-16, SIDE}, {-14, SIDE}, {2, SIDE}}},
    /* 9  h1     */ {8,  {{-17, FAR_ROW}, {-10, FAR_ROW},
                          {-9, NEAR_ROW}, {-8, NEAR_ROW}, {-1, NEAR_ROW},
                          {-18, SIDE}, {-16, SIDE}, {-2, SIDE}}},
    /* 10 a2..a4 */ {7,  {{-16, FAR_ROW}, {-15, FAR_ROW},
                          {-7, NEAR_ROW}, {1, NEAR_ROW}, {-8, NEAR_ROW},
                          {8, SIDE}, {9, SIDE}}},
    /* 11 h5..h7 */ {7,  {{15, FAR_ROW}, {16, FAR_ROW},
                          {-1, NEAR_ROW}, {7, NEAR_ROW}, {8, NEAR_ROW},
                          {-9, SIDE}, {-8, SIDE}}},
};
// clang-format on

} // namespace

// True when `to` is a square of the board at most two files from the king's square: every
// zone offset of a king's class lands so, the test only guards the look-ups.
static inline bool isZoneSquare(int king, int to) {
    if (to < 0 || to > 63)
        return false;
    const int df = (to & 7) - (king & 7);
    return df >= -2 && df <= 2;
}

// Danger value (0..600) of colour c's king from the opponent's attacks on its zone.
// Reads seeWhite / seeBlack, the mailbox and the king square of ply.
static int16_t kingZoneDanger(int c) {
    const int other = c ^ 1;
    const evaluator &own = seeOf(c), &opp = seeOf(other);
    const int king = kingSlot(tracker[ply], c);
    ASSERT(king >= 0 && king < 64);
    const int zoneClass = d_table[king];
    ASSERT(zoneClass >= 0 && zoneClass < ZONE_CLASSES);
    const kingZone &zone = zones[zoneClass];

    int count = c_table[c == WHITE ? king : flip[king]];
    int32_t attackers = 0;
    for (int i = 0; i < zone.size; i++) {
        const int to = king + zone.squares[i].offset;
        ASSERT(isZoneSquare(king, to));
        if (!isZoneSquare(king, to))
            continue;
        const int scan = opp.boardScan[to];
        if (scan <= 0)
            continue;
        attackers |= hangindex[scan < SEE_SETS ? scan : SEE_SETS - 1];
        // A square covered by the king alone cannot be held once it is attacked.
        const bool kingOnlyCover = own.boardScan[to] == 1;
        switch (zone.squares[i].role) {
        case NEAR_ROW:
            // The square in front of the king: worse still when no own piece stands there.
            count += 1 + (squares[ply].colsq[to] != c ? 1 : 0) + (kingOnlyCover ? 1 : 0);
            break;
        case SIDE:
            count += 1 + (kingOnlyCover ? 1 : 0);
            break;
        default: // FAR_ROW: attackers only
            break;
        }
    }

    int sum = 0;
    for (int b = 0; b < 11; b++) {
        if (attackers & (1 << b))
            sum += e_table[b];
    }
    ASSERT(sum >= 0 && sum < SEE_SETS);
    int index = count + a_table[sum];
    ASSERT(index >= 0 && index <= DANGER_LAST);
    if (index > DANGER_LAST)
        index = DANGER_LAST;
    return static_cast<int16_t>(b_table[index]);
}

// Stores both kings' danger values in moveStack[ply].whiteKingSafety / blackKingSafety and
// sets ST_KING_SAFETY when both are 0 (clears it otherwise). whiteQn / blackQn are the queen
// counts of seeWhite / seeBlack; SEE must have run for ply.
void kingSafeCheck(int8_t whiteQn, int8_t blackQn) {
    ASSERT(ply >= 0 && ply < MAX_PLY);
    move_tag &rec = moveStack[ply];
    rec.stackFlags &= static_cast<uint8_t>(~ST_KING_SAFETY);
    // A king whose opponent has no queen while its own side keeps one is not in real danger;
    // with the queens off on both sides the two kings are measured alike.
    const bool noQueens = whiteQn < 1 && blackQn < 1;
    rec.whiteKingSafety = blackQn < 1 && !noQueens ? 0 : kingZoneDanger(WHITE);
    rec.blackKingSafety = whiteQn < 1 && !noQueens ? 0 : kingZoneDanger(BLACK);
    if (rec.whiteKingSafety == 0 && rec.blackKingSafety == 0)
        rec.stackFlags |= ST_KING_SAFETY;
}
