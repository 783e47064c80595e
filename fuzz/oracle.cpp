// A reference move generator and move-text reader that share nothing with the engine's.
#include "oracle.h"

#include "board/position.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

static bool onBoard(int row, int col) { return row >= 0 && row < 8 && col >= 0 && col < 8; }

static const int KNIGHT_STEPS[8][2] = {{-2, -1}, {-2, 1}, {-1, -2}, {-1, 2},
                                       {1, -2},  {1, 2},  {2, -1},  {2, 1}};
static const int KING_STEPS[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1},
                                     {0, 1},   {1, -1}, {1, 0},  {1, 1}};

static bool isColour(const tag_sq &sq, int s, int colour) { return sq.colsq[s] == colour; }
static bool isPiece(const tag_sq &sq, int s, int colour, int piece) {
    return sq.colsq[s] == colour && sq.insq[s] == piece;
}

// Is square s attacked by a piece of colour `by`?
static bool attacked(const tag_sq &sq, int s, int by) {
    const int row = s >> 3, col = s & 7;
    for (const auto &k : KNIGHT_STEPS)
        if (onBoard(row + k[0], col + k[1]) &&
            isPiece(sq, (row + k[0]) * 8 + col + k[1], by, KNIGHT))
            return true;
    for (const auto &k : KING_STEPS)
        if (onBoard(row + k[0], col + k[1]) && isPiece(sq, (row + k[0]) * 8 + col + k[1], by, KING))
            return true;
    // A White pawn attacks upward (toward row 0): it stands one row below s.
    const int pawnRow = by == WHITE ? row + 1 : row - 1;
    for (int dc = -1; dc <= 1; dc += 2)
        if (onBoard(pawnRow, col + dc) &&
            isPiece(sq, pawnRow * 8 + col + dc, by, by == WHITE ? WPAWN : BPAWN))
            return true;
    for (const auto &k : KING_STEPS) {
        const bool diagonal = k[0] != 0 && k[1] != 0;
        for (int r = row + k[0], c = col + k[1]; onBoard(r, c); r += k[0], c += k[1]) {
            const int t = r * 8 + c;
            if (sq.colsq[t] == NOCOLOUR)
                continue;
            if (sq.colsq[t] == by) {
                const int p = sq.insq[t];
                if (p == QUEEN || p == (diagonal ? BISHOP : ROOK))
                    return true;
            }
            break;
        }
    }
    return false;
}

static int kingSquare(const tag_sq &sq, int colour) {
    for (int s = 0; s < 64; s++)
        if (isPiece(sq, s, colour, KING))
            return s;
    return -1;
}

// Plays the move on a copy and tests that the mover's king is not attacked afterwards.
static bool leavesKingSafe(const tag_sq &sq, int colour, int from, int to, int promote,
                           int epVictim) {
    tag_sq after = sq;
    after.insq[to] = (int8_t)(promote ? promote : sq.insq[from]);
    after.colsq[to] = (int8_t)colour;
    after.insq[from] = EMPTY;
    after.colsq[from] = NOCOLOUR;
    if (epVictim >= 0) {
        after.insq[epVictim] = EMPTY;
        after.colsq[epVictim] = NOCOLOUR;
    }
    const int k = kingSquare(after, colour);
    return k >= 0 && !attacked(after, k, colour ^ 1);
}

static void add(oracleMove *out, int &n, int from, int to, int promote, bool castle) {
    if (n < ORACLE_MAX)
        out[n++] = {(int8_t)from, (int8_t)to, (int8_t)promote, castle};
}

static void pawnMoves(const tag_sq &sq, int colour, int s, int ep, oracleMove *out, int &n) {
    const int row = s >> 3, col = s & 7;
    const int step = colour == WHITE ? -1 : 1;
    const int startRow = colour == WHITE ? 6 : 1, lastRow = colour == WHITE ? 0 : 7;
    auto push = [&](int to, int epVictim) {
        if (!leavesKingSafe(sq, colour, s, to, 0, epVictim))
            return;
        if ((to >> 3) == lastRow) {
            for (int p = KNIGHT; p <= QUEEN; p++)
                if (leavesKingSafe(sq, colour, s, to, p, -1))
                    add(out, n, s, to, p, false);
        } else {
            add(out, n, s, to, 0, false);
        }
    };
    const int one = (row + step) * 8 + col;
    if (onBoard(row + step, col) && sq.colsq[one] == NOCOLOUR) {
        push(one, -1);
        const int two = (row + 2 * step) * 8 + col;
        if (row == startRow && sq.colsq[two] == NOCOLOUR)
            push(two, -1);
    }
    for (int dc = -1; dc <= 1; dc += 2) {
        if (!onBoard(row + step, col + dc))
            continue;
        const int t = (row + step) * 8 + col + dc;
        if (isColour(sq, t, colour ^ 1) && sq.insq[t] != KING)
            push(t, -1);
        else if (t == ep && sq.colsq[t] == NOCOLOUR &&
                 isPiece(sq, row * 8 + col + dc, colour ^ 1, colour == WHITE ? BPAWN : WPAWN))
            push(t, row * 8 + col + dc);
    }
}

static void castling(const tag_sq &sq, int colour, uint8_t rights, oracleMove *out, int &n) {
    const int home = colour == WHITE ? 60 : 4;
    const uint8_t shortBit = colour == WHITE ? CR_WHITE_SHORT : CR_BLACK_SHORT;
    const uint8_t longBit = colour == WHITE ? CR_WHITE_LONG : CR_BLACK_LONG;
    if (!isPiece(sq, home, colour, KING) || attacked(sq, home, colour ^ 1))
        return;
    auto empty = [&](int s) { return sq.colsq[s] == NOCOLOUR; };
    auto safe = [&](int s) { return !attacked(sq, s, colour ^ 1); };
    if ((rights & shortBit) && isPiece(sq, home + 3, colour, ROOK) && empty(home + 1) &&
        empty(home + 2) && safe(home + 1) && safe(home + 2))
        add(out, n, home, home + 2, 0, true);
    if ((rights & longBit) && isPiece(sq, home - 4, colour, ROOK) && empty(home - 1) &&
        empty(home - 2) && empty(home - 3) && safe(home - 1) && safe(home - 2))
        add(out, n, home, home - 2, 0, true);
}

int oracleMoves(const tag_sq &sq, bool white, uint8_t castleRights, int ep, oracleMove *out) {
    const int colour = white ? WHITE : BLACK;
    int n = 0;
    for (int s = 0; s < 64; s++) {
        if (!isColour(sq, s, colour))
            continue;
        const int piece = sq.insq[s], row = s >> 3, col = s & 7;
        if (piece == WPAWN || piece == BPAWN) {
            pawnMoves(sq, colour, s, ep, out, n);
            continue;
        }
        const bool leaper = piece == KNIGHT || piece == KING;
        const int(*steps)[2] = piece == KNIGHT ? KNIGHT_STEPS : KING_STEPS;
        for (int k = 0; k < 8; k++) {
            const bool diagonal = steps[k][0] != 0 && steps[k][1] != 0;
            if ((piece == ROOK && diagonal) || (piece == BISHOP && !diagonal))
                continue;
            for (int r = row + steps[k][0], c = col + steps[k][1]; onBoard(r, c);
                 r += steps[k][0], c += steps[k][1]) {
                const int t = r * 8 + c;
                if (isColour(sq, t, colour))
                    break;
                // A king is never captured: a position that allows it is already lost.
                if (!(isColour(sq, t, colour ^ 1) && sq.insq[t] == KING) &&
                    leavesKingSafe(sq, colour, s, t, 0, -1))
                    add(out, n, s, t, 0, false);
                if (leaper || sq.colsq[t] != NOCOLOUR)
                    break;
            }
        }
    }
    castling(sq, colour, castleRights, out, n);
    return n;
}

// ---------------------------------------------------------------------------
// Move text, read from its end: check mark, promotion, target square, then what is left
// before the target says which piece and which origin.
// ---------------------------------------------------------------------------
static int pieceOfLetter(char c) {
    const char *letters = "NBRQK";
    const char *p = c ? std::strchr(letters, c) : nullptr;
    return p ? KNIGHT + (int)(p - letters) : -1;
}

int oracleReadText(const char *text, const tag_sq &sq, const oracleMove *moves, int n) {
    char s[32];
    size_t len = strnlen(text, 31);
    std::memcpy(s, text, len);
    s[len] = '\0';
    if (len > 0 && s[len - 1] == '\n')
        s[--len] = '\0';
    if (len < 2 || len > 7)
        return -1;
    if (s[len - 1] == '+' || s[len - 1] == '#')
        s[--len] = '\0';
    // Castling.
    bool castleText = len == 3 || len == 5;
    for (size_t i = 0; castleText && i < len; i++)
        castleText = i % 2 ? s[i] == '-' : (s[i] == 'O' || s[i] == 'o' || s[i] == '0');
    int found = -1;
    if (castleText) {
        for (int i = 0; i < n; i++)
            if (moves[i].castle && (moves[i].to - moves[i].from == (len == 3 ? 2 : -2)))
                found = i;
        return found;
    }
    auto isFileCh = [](char c) { return c >= 'a' && c <= 'h'; };
    auto isRankCh = [](char c) { return c >= '1' && c <= '8'; };
    // Coordinate form: four characters of squares, maybe a promotion letter.
    if ((len == 4 || len == 5) && isFileCh(s[0]) && isRankCh(s[1]) && isFileCh(s[2]) &&
        isRankCh(s[3])) {
        int promote = 0;
        if (len == 5) {
            char u = s[4] >= 'a' ? (char)(s[4] - 'a' + 'A') : s[4];
            promote = pieceOfLetter(u);
            if (promote < KNIGHT || promote > QUEEN)
                return -1;
        }
        const int from = (s[0] - 'a') + 8 * ('8' - s[1]), to = (s[2] - 'a') + 8 * ('8' - s[3]);
        for (int i = 0; i < n; i++)
            if (moves[i].from == from && moves[i].to == to && moves[i].promote == promote)
                return i;
        return -1;
    }
    // Promotion suffix: a piece letter, maybe after "=".
    int promote = 0;
    if (len >= 3 && pieceOfLetter(s[len - 1]) >= KNIGHT && pieceOfLetter(s[len - 1]) <= QUEEN &&
        isRankCh(s[len - 2 - (s[len - 2] == '=' ? 1 : 0)]) && s[0] >= 'a') {
        promote = pieceOfLetter(s[len - 1]);
        len--;
        if (s[len - 1] == '=')
            len--;
    }
    if (len < 2 || !isFileCh(s[len - 2]) || !isRankCh(s[len - 1]))
        return -1;
    const int to = (s[len - 2] - 'a') + 8 * ('8' - s[len - 1]);
    const int targetRank = s[len - 1];
    size_t head = len - 2; // characters before the target
    if (s[0] >= 'a') {
        // A pawn: its file, then maybe "x", then maybe the target file was already read.
        const int fromFile = s[0] - 'a';
        bool capture = head > 0;
        if (head == 2 && s[1] != 'x')
            return -1;
        if (head > 2 || (head == 1 && s[1] == 'x'))
            return -1;
        if (!isFileCh(s[0]) ||
            (capture ? std::abs(fromFile - (to & 7)) != 1 : fromFile != (to & 7)))
            return -1;
        if ((targetRank == '1' || targetRank == '8') != (promote != 0))
            return -1;
        for (int i = 0; i < n; i++) {
            const int p = sq.insq[moves[i].from];
            if ((p == WPAWN || p == BPAWN) && moves[i].to == to && moves[i].promote == promote &&
                (moves[i].from & 7) == fromFile) {
                if (found >= 0)
                    return -1;
                found = i;
            }
        }
        return found;
    }
    if (promote)
        return -1;
    const int piece = pieceOfLetter(s[0]);
    if (piece < 0)
        return -1;
    if (head > 1 && s[head - 1] == 'x')
        head--;
    int fileHint = -1, rankHint = -1;
    for (size_t i = 1; i < head; i++) {
        if (isFileCh(s[i]) && i == 1)
            fileHint = s[i] - 'a';
        else if (isRankCh(s[i]) && rankHint < 0 && (i == 1 || fileHint >= 0))
            rankHint = '8' - s[i];
        else
            return -1;
    }
    if (head > 3 || (piece == KING && head > 1))
        return -1;
    for (int i = 0; i < n; i++) {
        const oracleMove &m = moves[i];
        if (m.castle || sq.insq[m.from] != piece || m.to != to || m.promote != 0)
            continue;
        if ((fileHint >= 0 && (m.from & 7) != fileHint) ||
            (rankHint >= 0 && (m.from >> 3) != rankHint))
            continue;
        if (found >= 0)
            return -1;
        found = i;
    }
    return found;
}

// ---------------------------------------------------------------------------
// Positions as a GUI states them, and moves played on them.
// ---------------------------------------------------------------------------
void oracleStartPosition(oraclePosition &pos) {
    oracleReadFEN("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", pos);
}

bool oracleReadFEN(const char *fen, oraclePosition &pos) {
    static const char *const letters = "PNBRQK";
    int s = 0, kings[2] = {0, 0};
    const char *c = fen;
    for (; *c && *c != ' '; c++) {
        if (*c == '/')
            continue;
        if (*c >= '1' && *c <= '8') {
            for (int k = 0; k < *c - '0'; k++, s++) {
                if (s >= 64)
                    return false;
                pos.sq.insq[s] = EMPTY;
                pos.sq.colsq[s] = NOCOLOUR;
            }
            continue;
        }
        const char upper = *c >= 'a' ? (char)(*c - 'a' + 'A') : *c;
        const char *at = std::strchr(letters, upper);
        if (!at || upper == '\0' || s >= 64)
            return false;
        const int colour = *c == upper ? WHITE : BLACK;
        int piece = (int)(at - letters) + KNIGHT - 1;
        if (at == letters)
            piece = colour == WHITE ? WPAWN : BPAWN;
        if (piece == KING)
            kings[colour]++;
        pos.sq.insq[s] = (int8_t)piece;
        pos.sq.colsq[s] = (int8_t)colour;
        s++;
    }
    if (s != 64 || kings[WHITE] != 1 || kings[BLACK] != 1 || *c != ' ')
        return false;
    c++;
    if ((*c != 'w' && *c != 'b') || c[1] != ' ')
        return false;
    pos.white = *c == 'w';
    c += 2;
    pos.castleRights = 0;
    for (; *c && *c != ' '; c++) {
        const char *at = std::strchr("KQkq", *c);
        if (at && *c)
            pos.castleRights |= (uint8_t)(1 << (at - "KQkq"));
        else if (*c != '-')
            return false;
    }
    if (*c != ' ')
        return false;
    c++;
    pos.ep = -1;
    if (*c >= 'a' && *c <= 'h' && c[1] >= '1' && c[1] <= '8')
        pos.ep = (c[0] - 'a') + 8 * ('8' - c[1]);
    else if (*c != '-')
        return false;
    return true;
}

void oraclePlay(oraclePosition &pos, const oracleMove &m) {
    tag_sq &sq = pos.sq;
    const int colour = pos.white ? WHITE : BLACK, piece = sq.insq[m.from];
    const bool pawn = piece == WPAWN || piece == BPAWN;
    if (pawn && m.to == pos.ep && sq.colsq[m.to] == NOCOLOUR) {
        const int victim = (m.from & ~7) | (m.to & 7); // beside the pawn, on its row
        sq.insq[victim] = EMPTY;
        sq.colsq[victim] = NOCOLOUR;
    }
    if (m.castle) {
        const bool kingSide = m.to > m.from;
        const int rookFrom = kingSide ? m.from + 3 : m.from - 4;
        const int rookTo = kingSide ? m.from + 1 : m.from - 1;
        sq.insq[rookTo] = ROOK;
        sq.colsq[rookTo] = (int8_t)colour;
        sq.insq[rookFrom] = EMPTY;
        sq.colsq[rookFrom] = NOCOLOUR;
    }
    sq.insq[m.to] = (int8_t)(m.promote ? m.promote : piece);
    sq.colsq[m.to] = (int8_t)colour;
    sq.insq[m.from] = EMPTY;
    sq.colsq[m.from] = NOCOLOUR;
    // A right goes with the king or the rook leaving home, or the rook being taken there.
    const struct {
        int square;
        uint8_t rights;
    } homes[] = {{60, CR_WHITE_SHORT | CR_WHITE_LONG}, {63, CR_WHITE_SHORT}, {56, CR_WHITE_LONG},
                 {4, CR_BLACK_SHORT | CR_BLACK_LONG},  {7, CR_BLACK_SHORT},  {0, CR_BLACK_LONG}};
    for (const auto &h : homes)
        if (m.from == h.square || m.to == h.square)
            pos.castleRights &= (uint8_t)~h.rights;
    pos.ep = pawn && (m.to - m.from == 16 || m.from - m.to == 16) ? (m.from + m.to) / 2 : -1;
    pos.white = !pos.white;
}

bool oraclePlayCoordinates(oraclePosition &pos, const char *text) {
    oracleMove moves[ORACLE_MAX];
    const int n = oracleMoves(pos.sq, pos.white, pos.castleRights, pos.ep, moves);
    const size_t len = std::strlen(text);
    // Only the coordinate form: the move reader also takes SAN, which UCI never sends.
    if ((len != 4 && len != 5) || text[1] < '1' || text[1] > '8')
        return false;
    const int i = oracleReadText(text, pos.sq, moves, n);
    if (i < 0)
        return false;
    oraclePlay(pos, moves[i]);
    return true;
}

void oracleCheck(bool ok, const char *what, int p) {
    if (ok)
        return;
    char fen[128];
    positionToFEN(p, fen);
    std::fprintf(stderr, "fuzz check failed: %s\n  position: %s\n", what, fen);
    std::abort();
}
