// Move text in: standard algebraic and coordinate forms matched against the legal moves.
#include "control/movetext.h"

#include "control/control.h"

#include <cstring>

namespace {

// What a move text says. The text is read against the generated legal moves, which already
// know every pin, check and en passant right: a text names a move when exactly one legal move
// fits everything it says.
struct parsedMove {
    char piece;      // 'P' pawn, 'K', 'Q', 'R', 'B', 'N'; 0 for the coordinate form
    int from;        // origin square when written in full, else -1
    int fileHint;    // origin file (0..7) when given, else -1; a pawn always has one
    int rankHint;    // origin row (0..7) when given, else -1
    int to;          // target square
    int promote;     // promotion piece code, 0 when none
    uint16_t castle; // MT_CASTLE_SHORT or MT_CASTLE_LONG for castling, else 0
};

bool isFile(char c) { return c >= 'a' && c <= 'h'; }
bool isRank(char c) { return c >= '1' && c <= '8'; }
bool isPieceLetter(char c) { return c == 'B' || c == 'K' || c == 'N' || c == 'Q' || c == 'R'; }
bool isCastleO(char c) { return c == 'O' || c == 'o' || c == '0'; }
bool isCheckMark(char c) { return c == '+' || c == '#'; }
int squareAt(char f, char r) { return (f - 'a') + 8 * ('8' - r); }

// Promotion piece code of a letter; the coordinate form also takes the lower-case letters
// that GUIs send ("e7e8q"). 0 for any other character.
int promotionCode(char c, bool lowerToo) {
    switch (c) {
    case 'N':
        return KNIGHT;
    case 'B':
        return BISHOP;
    case 'R':
        return ROOK;
    case 'Q':
        return QUEEN;
    default:
        break;
    }
    if (!lowerToo)
        return 0;
    return c == 'n' ? KNIGHT : c == 'b' ? BISHOP : c == 'r' ? ROOK : c == 'q' ? QUEEN : 0;
}

// O-O and O-O-O, each O written as O, o or 0.
bool castleText(const char *s, int n, parsedMove &m) {
    if (n != 3 && n != 5)
        return false;
    for (int i = 0; i < n; i++)
        if (i % 2 == 0 ? !isCastleO(s[i]) : s[i] != '-')
            return false;
    m.castle = n == 3 ? MT_CASTLE_SHORT : MT_CASTLE_LONG;
    return true;
}

// Piece moves: Nf3, Nxf3, Nbd2, N1d2, Nbxd2, N1xd2, Ng1f3, Ng1xf3.
bool pieceText(const char *s, int n, parsedMove &m) {
    if (n < 3)
        return false;
    m.piece = s[0];
    const char *t = s + n - 2; // the target square ends every form
    if (!isFile(t[0]) || !isRank(t[1]))
        return false;
    m.to = squareAt(t[0], t[1]);
    const char *mid = s + 1;
    int midLen = n - 3;
    if (midLen > 0 && mid[midLen - 1] == 'x')
        midLen--;
    if (midLen == 0)
        return true;
    if (midLen == 1 && isFile(mid[0]))
        return (m.fileHint = mid[0] - 'a'), true;
    if (midLen == 1 && isRank(mid[0]))
        return (m.rankHint = '8' - mid[0]), true;
    if (midLen == 2 && isFile(mid[0]) && isRank(mid[1])) {
        m.from = squareAt(mid[0], mid[1]);
        return true;
    }
    return false;
}

// The coordinate form e2e4 for any piece, with the promotion letter for a pawn (e7e8q).
bool coordinateText(const char *s, int n, parsedMove &m) {
    if ((n != 4 && n != 5) || !isFile(s[0]) || !isRank(s[1]) || !isFile(s[2]) || !isRank(s[3]))
        return false;
    m.piece = 0;
    m.from = squareAt(s[0], s[1]);
    m.to = squareAt(s[2], s[3]);
    if (n == 5 && (m.promote = promotionCode(s[4], true)) == 0)
        return false;
    return true;
}

// Pawn moves: a push e4, a capture exd5 or ed5 (the x may be left out), and either of them
// onto the last rank with its promotion piece, with or without "=": e8Q, e8=Q, exd8Q, ed8=Q.
// A capture names an adjacent file; a pawn reaches the last rank only by promoting.
bool pawnText(const char *s, int n, parsedMove &m) {
    int i = 1;
    bool capture = false;
    if (s[i] == 'x') {
        capture = true;
        i++;
        if (i >= n || !isFile(s[i]))
            return false;
    }
    char targetFile = s[0];
    if (i < n && isFile(s[i])) {
        capture = true;
        targetFile = s[i++];
    }
    if (i >= n || !isRank(s[i]))
        return false;
    const char rank = s[i++];
    if (i < n && s[i] == '=') {
        i++;
        if (i >= n || !promotionCode(s[i], false))
            return false;
    }
    if (i < n && (m.promote = promotionCode(s[i], false)) != 0)
        i++;
    if (i != n)
        return false;
    const bool lastRank = rank == '1' || rank == '8';
    if (lastRank != (m.promote != 0))
        return false;
    const int shift = targetFile - s[0];
    if (capture && shift != 1 && shift != -1)
        return false; // a pawn captures onto a neighbouring file only
    m.piece = 'P';
    m.fileHint = s[0] - 'a';
    m.to = squareAt(targetFile, rank);
    return true;
}

// Reads a text without its check mark into m; false when it is no move text at all.
bool parseText(const char *s, int n, parsedMove &m) {
    if (n > 0 && isCheckMark(s[n - 1]))
        n--;
    if (n < 2)
        return false;
    if (castleText(s, n, m))
        return true;
    if (isPieceLetter(s[0]))
        return pieceText(s, n, m);
    if (!isFile(s[0]))
        return false;
    return coordinateText(s, n, m) || pawnText(s, n, m);
}

// Does the legal move l fit everything the text says?
bool fits(const parsedMove &m, const move_list &l) {
    if (m.castle)
        return (l.type & m.castle) != 0;
    if (l.to != m.to || l.promote != m.promote)
        return false;
    if (m.from >= 0 && l.from != m.from)
        return false;
    if (m.fileHint >= 0 && (l.from & 7) != m.fileHint)
        return false;
    if (m.rankHint >= 0 && (l.from >> 3) != m.rankHint)
        return false;
    if (m.piece == 0)
        return true; // the coordinate form names the origin itself
    if (m.piece == 'P')
        return l.moved == WPAWN || l.moved == BPAWN;
    // A king's step to g1 or c1 is no way to write castling.
    const int kind = m.piece == 'K' ? KING : promotionCode(m.piece, false);
    return l.moved == kind && !(l.type & (MT_CASTLE_SHORT | MT_CASTLE_LONG));
}

} // namespace

int16_t checkMove(const char *s, int8_t pond) {
    int n = (int)strnlen(s, 16);
    if (n > 0 && s[n - 1] == '\n')
        n--;
    if (n < 2 || n > 7)
        return -1;
    parsedMove m = {0, -1, -1, -1, -1, 0, 0};
    if (!parseText(s, n, m))
        return -1;
    // The king is alone of its kind: a text that names its origin is no text of a king move.
    if (m.piece == 'K' && (m.from >= 0 || m.fileHint >= 0 || m.rankHint >= 0))
        return -1;
    const move_list *list = pond ? ponderStack : searchData[ply];
    int count = pond ? ponderStore : mvstore[ply + 1];
    if (count > MAX_MOVES)
        count = MAX_MOVES;
    int16_t found = -1;
    for (int i = 0; i < count; i++) {
        if (!fits(m, list[i]))
            continue;
        if (found >= 0)
            return -1; // more than one legal move fits: the text is ambiguous
        found = (int16_t)i;
    }
    return found;
}
