// Move text out: standard algebraic notation, the legal-move listing and thinking lines.
#include "control/movetext.h"

#include "control/control.h"
#include "search/search.h"

#include <cstdio>
#include <cstring>

static char sanstr[8];

static char fileLetter(int s) { return (char)('a' + (s & 7)); }
static char rankDigit(int s) { return (char)('8' - (s >> 3)); }

// Appends the target square of s to p and returns the new end.
static char *putSquare(char *p, int s) {
    *p++ = fileLetter(s);
    *p++ = rankDigit(s);
    return p;
}

char *sanstring(move_list san) {
    const int nb = san.type & 0xFF;
    const int check = nb & 0x10;
    const int form = nb & ~0x10;
    char text[8];
    char *p = text;
    if (form == 0x40 || form == 0x80) {
        std::strcpy(p, form == 0x40 ? "O-O" : "O-O-O");
        p += std::strlen(p);
    } else if (san.moved == WPAWN || san.moved == BPAWN) {
        // Pawns: push, capture (en passant looks like any capture), promotion.
        if (form != 0x00 && form != 0x01 && form != 0x08 && form != 0x09 && form != 0x21)
            return sanstr;
        if (form & 0x01) {
            *p++ = fileLetter(san.from);
            *p++ = 'x';
        }
        p = putSquare(p, san.to);
        if (form & 0x08) {
            *p++ = '=';
            *p++ = pieceChar[san.promote];
        }
    } else {
        if (form > 0x07)
            return sanstr;
        *p++ = pieceChar[san.moved];
        if (form & 0x04)
            *p++ = fileLetter(san.from);
        if (form & 0x02)
            *p++ = rankDigit(san.from);
        if (form & 0x01)
            *p++ = 'x';
        p = putSquare(p, san.to);
    }
    if (check)
        *p++ = '+'; // a mating move is shown with "+" as well
    *p = '\0';
    std::memcpy(sanstr, text, sizeof sanstr);
    return sanstr;
}

void legalmv() { legalmvList(searchData[ply], mvstore[ply + 1]); }

void legalmvList(const move_list *list, int count) {
    for (int i = 0; i < count; i++) {
        const move_list &m = list[i];
        if (m.type & MT_CASTLE_SHORT) {
            std::printf("O-O ");
        } else if (m.type & MT_CASTLE_LONG) {
            std::printf("O-O-O ");
        } else if (m.moved == WPAWN || m.moved == BPAWN) {
            std::printf("%c", fileLetter(m.from));
            if (m.type & MT_EN_PASSANT)
                std::printf("%c%ce.p.", fileLetter(m.to), rankDigit(m.to));
            else if (m.type & MT_CAPTURE)
                std::printf("%c%c", fileLetter(m.to), rankDigit(m.to));
            else
                std::printf("%c", rankDigit(m.to));
            if (m.type & MT_PROMOTION)
                std::printf("=%c", pieceChar[m.promote]);
            std::printf(" ");
        } else {
            std::printf("%c", pieceChar[m.moved]);
            if (m.type & MT_OTHER_FILE)
                std::printf("%c", fileLetter(m.from));
            if (m.type & MT_SAME_FILE)
                std::printf("%c", rankDigit(m.from));
            if (m.type & MT_CAPTURE)
                std::printf("x");
            std::printf("%c%c%s", fileLetter(m.to), rankDigit(m.to),
                        (m.type & MT_CHECK) ? "+ " : " ");
        }
    }
}

// A mate score is 10000 less the plies to the mate (negated when the side to move is mated);
// beyond +-9959 a score is a mate score.
constexpr int32_t MATE_IN_PLIES_BASE = 10000;
constexpr int32_t MATE_SCORE_LIMIT = 9959;
// xboard's convention for mates: 100000 + N for mate in N moves, -100000 - N when mated in N.
constexpr int32_t XBOARD_MATE = 100000;

// The score as the GUI reads it: mates in moves of xboard's convention, others unchanged. The
// engine mates in N moves after 2N - 1 plies and is mated in N after 2N.
static int32_t guiScore(int32_t score) {
    if (!(gameFlags & GF_XBOARD))
        return score;
    if (score > MATE_SCORE_LIMIT)
        return XBOARD_MATE + (MATE_IN_PLIES_BASE + 1 - score) / 2;
    if (score < -MATE_SCORE_LIMIT)
        return -XBOARD_MATE - (MATE_IN_PLIES_BASE + 1 + score) / 2;
    return score;
}

void pvline(int32_t pvdepth, int32_t pvval, int32_t pvtime, uint64_t pvnodes, int8_t pondPV) {
    if (!(detectionFlags & DF_SHOW_PV) && !(searchFlags & SF_NULL_SEARCH))
        return;
    std::printf("%d %d %d %llu ", pvdepth, guiScore(pvval), pvtime, (unsigned long long)pvnodes);
    const int len = pondPV ? ponderPVLen : pvlen[ply];
    for (int i = 0; i < len && i < MAX_PLY; i++)
        std::printf("%s ", sanstring(pv[0][i]));
    std::printf("\n");
    std::fflush(stdout);
}

void moveline(uint64_t movenodes, int32_t moveval, int32_t moveply) {
    if (!(detectionFlags & DF_POST) || !(detectionFlags & DF_FULL_ANALYSIS) ||
        (searchFlags & SF_NULL_SEARCH))
        return;
    std::printf("nodes %llu,\t score %d,\t ply %d\t ", (unsigned long long)movenodes, moveval,
                moveply);
    for (int i = 0; i < ply && i < MAX_PLY; i++)
        std::printf("%s ", sanstring(currentline[i]));
    std::printf("\n");
}

char *coordstring(move_list m) {
    static char text[6];
    if (m.from == m.to || m.from < 0 || m.from > 63 || m.to < 0 || m.to > 63) {
        std::strcpy(text, "0000"); // the null move of the coordinate notation: no move
        return text;
    }
    char *p = putSquare(text, m.from);
    p = putSquare(p, m.to);
    if (m.promote >= KNIGHT && m.promote <= QUEEN)
        *p++ = (char)(pieceChar[m.promote] - 'A' + 'a');
    *p = '\0';
    return text;
}
