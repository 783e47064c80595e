// Move text in: standard algebraic and coordinate forms matched against the legal moves.
#include "control/movetext.h"

#include "control/control.h"
#include "movegen/movegen.h"

#include <cstring>

namespace {

// A parsed move text: origin (or -1 while unknown), target, promotion, moving piece letter.
struct parsedMove {
    int from, to, promote;
    char piece;   // 'P' pawn, 'K', 'Q', 'R', 'B', 'N'
    int fileHint; // origin file given (0..7) or -1
    int rankHint; // origin row given (0..7) or -1
    bool castleShort, castleLong;
};

bool isFile(char c) { return c >= 'a' && c <= 'h'; }
bool isRank(char c) { return c >= '1' && c <= '8'; }
bool isPieceLetter(char c) { return c == 'B' || c == 'K' || c == 'N' || c == 'Q' || c == 'R'; }
bool isPromotionLetter(char c) { return c == 'B' || c == 'N' || c == 'Q' || c == 'R'; }
bool isCastleO(char c) { return c == 'O' || c == 'o' || c == '0'; }
int squareAt(char f, char r) { return (f - 'a') + 8 * ('8' - r); }
int promotionCode(char c) {
    return c == 'B' ? BISHOP : c == 'N' ? KNIGHT : c == 'R' ? ROOK : QUEEN;
}
bool isCheckMark(char c) { return c == '+' || c == '#'; }

// Ranks 2..7 for a pawn that does not promote; 1 or 8 for one that does.
bool innerRank(char r) { return r >= '2' && r <= '7'; }
bool lastRank(char r) { return r == '1' || r == '8'; }

bool castleText(const char *s, int n, parsedMove &m) {
    if (n == 3 && isCastleO(s[0]) && s[1] == '-' && isCastleO(s[2]))
        return m.castleShort = true;
    if (n == 5 && isCastleO(s[0]) && s[1] == '-' && isCastleO(s[2]) && s[3] == '-' &&
        isCastleO(s[4]))
        return m.castleLong = true;
    return false;
}

// Piece move forms: Nf3, Nxf3, Nbd2, N1d2, Nbxd2, N1xd2, Ng1f3, Ng1xf3 (no check mark).
bool pieceText(const char *s, int n, parsedMove &m) {
    if (!isPieceLetter(s[0]) || n < 3)
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

// Pawn forms: e4, ed5, exd5, e8Q, e8=Q, ed8Q, exd8=Q, and the coordinate form e2e4.
bool pawnText(const char *s, int n, parsedMove &m) {
    if (!isFile(s[0]))
        return false;
    m.piece = 'P';
    if (n == 2 && isRank(s[1]) && innerRank(s[1])) { // e4
        m.to = squareAt(s[0], s[1]);
        return true;
    }
    if (n == 3 && isFile(s[1]) && isRank(s[2]) && innerRank(s[2])) { // ed5
        m.fileHint = s[0] - 'a';
        m.to = squareAt(s[1], s[2]);
        return true;
    }
    if (n == 3 && isRank(s[1]) && lastRank(s[1]) && isPromotionLetter(s[2])) { // e8Q
        m.to = squareAt(s[0], s[1]);
        m.promote = promotionCode(s[2]);
        return true;
    }
    if (n == 4 && isRank(s[1]) && lastRank(s[1]) && s[2] == '=' && isPromotionLetter(s[3])) {
        m.to = squareAt(s[0], s[1]); // e8=Q
        m.promote = promotionCode(s[3]);
        return true;
    }
    if (n == 4 && s[1] == 'x' && isFile(s[2]) && isRank(s[3]) && innerRank(s[3])) { // exd5
        m.fileHint = s[0] - 'a';
        m.to = squareAt(s[2], s[3]);
        return true;
    }
    if (n == 4 && isFile(s[1]) && isRank(s[2]) && lastRank(s[2]) && isPromotionLetter(s[3])) {
        m.fileHint = s[0] - 'a'; // ed8Q
        m.to = squareAt(s[1], s[2]);
        m.promote = promotionCode(s[3]);
        return true;
    }
    if (n == 4 && isRank(s[1]) && isFile(s[2]) && isRank(s[3])) { // e2e4: any piece
        m.piece = 0;
        m.from = squareAt(s[0], s[1]);
        m.to = squareAt(s[2], s[3]);
        return true;
    }
    if (n == 6 && s[1] == 'x' && isFile(s[2]) && isRank(s[3]) && lastRank(s[3]) && s[4] == '=' &&
        isPromotionLetter(s[5])) { // exd8=Q
        m.fileHint = s[0] - 'a';
        m.to = squareAt(s[2], s[3]);
        m.promote = promotionCode(s[5]);
        return true;
    }
    return false;
}

// Splits an optional check mark off where the notation allows one, then parses the rest.
bool parseText(const char *s, int n, parsedMove &m) {
    const bool mark = isCheckMark(s[n - 1]);
    if (castleText(s, mark ? n - 1 : n, m))
        return true;
    if (isPieceLetter(s[0]))
        return pieceText(s, mark ? n - 1 : n, m) && (!mark || n - 1 <= 6);
    if (!mark)
        return pawnText(s, n, m);
    // Pawn forms that may carry a check mark: e4+, exd5+, e8=Q+, exd8=Q+.
    const int core = n - 1;
    if (core == 2 || (core == 4 && (s[1] == 'x' || s[2] == '=')) || core == 6)
        return pawnText(s, core, m);
    return false;
}

// The origin of a pawn move on the entry position (origin file hint for captures).
int pawnOrigin(const parsedMove &m, bool white) {
    const int back = white ? 8 : -8;
    if (m.fileHint >= 0)
        return (m.to + back) - ((m.to + back) & 7) + m.fileHint;
    const int one = m.to + back;
    const int two = m.to + 2 * back;
    const int fourthRow = white ? 4 : 3; // rank 4 for White, rank 5 for Black
    const int pawn = white ? WPAWN : BPAWN;
    const int colour = white ? WHITE : BLACK;
    if ((m.to >> 3) == fourthRow && savedSquares.colsq[one] == NOCOLOUR &&
        savedSquares.insq[two] == pawn && savedSquares.colsq[two] == colour)
        return two;
    return one;
}

// Origin of a piece move among the own pieces of that letter that reach the target.
int pieceOrigin(const parsedMove &m, bool white, int8_t pond) {
    const char filter = white ? m.piece : (char)(m.piece - 'A' + 'a');
    const uint64_t cands = pond ? ponderScan(m.piece, filter, (int8_t)m.to)
                                : piece_scan(m.piece, filter, (int8_t)m.to);
    if (cands == 0)
        return -1;
    const int top = msb(cands);
    const uint64_t others = cands & ~(1ULL << top);
    if (m.from >= 0)
        return (others && pintest(others, (int8_t)top, 3) == -1) ? -1 : m.from;
    if (m.fileHint < 0 && m.rankHint < 0) {
        if (!others)
            return top;
        return pintest(others, (int8_t)top, 1);
    }
    if (others && pintest(others, (int8_t)top, 2) == -1)
        return -1;
    uint64_t kept = 0;
    for (uint64_t b = cands; b; b &= b - 1) {
        const int s = lsb(b);
        if ((m.fileHint < 0 || (s & 7) == m.fileHint) && (m.rankHint < 0 || (s >> 3) == m.rankHint))
            kept |= 1ULL << s;
    }
    return kept ? msb(kept) : -1;
}

} // namespace

int16_t checkMove(const char *s, int8_t pond) {
    int n = (int)strnlen(s, 16);
    if (n > 0 && s[n - 1] == '\n')
        n--;
    if (n < 2 || n > 7)
        return -1;
    parsedMove m = {-1, -1, 0, 0, -1, -1, false, false};
    if (!parseText(s, n, m))
        return -1;
    const bool white = (gameFlags & GF_ENTRY_WHITE) != 0;
    if (m.castleShort || m.castleLong) {
        m.from = white ? 60 : 4;
        m.to = m.castleShort ? m.from + 2 : m.from - 2;
    } else if (m.piece == 'P') {
        m.from = pawnOrigin(m, white);
    } else if (m.piece == 'K') {
        if (m.from >= 0 || m.fileHint >= 0 || m.rankHint >= 0)
            return -1; // the king is unique: naming its origin is no legal text
        const uint64_t king = white ? sideBoards.whking : sideBoards.blking;
        if (!king)
            return -1;
        m.from = lsb(king);
    } else if (m.piece != 0) {
        m.from = pieceOrigin(m, white, pond);
    } else {
        // Coordinate form: a pawn reaching the last rank must name its promotion piece.
        const int8_t p = savedSquares.insq[m.from];
        if ((p == WPAWN && m.to < 8) || (p == BPAWN && m.to >= 56))
            return -1;
    }
    if (m.from < 0 || m.from > 63)
        return -1;
    const move_list *list = pond ? ponderStack : searchData[ply];
    const int count = pond ? ponderStore : mvstore[ply + 1];
    for (int i = 0; i < count && i < MAX_MOVES; i++)
        if (list[i].from == m.from && list[i].to == m.to && list[i].promote == m.promote)
            return (int16_t)i;
    return -1;
}
