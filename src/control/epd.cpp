// The test-suite runner: every position of an EPD file searched for a fixed time, its move
// checked against the position's best moves ("bm") or moves to avoid ("am").
#include "control/epd.h"

#include "board/fen.h"
#include "board/position.h"
#include "control/cli.h"
#include "control/control.h"
#include "control/movetext.h"
#include "movegen/movegen.h"
#include "search/search.h"

#include <cstdio>
#include <cstring>

constexpr int EPD_LINE_MAX = 512;
constexpr int EPD_MOVES_MAX = 8; // best moves or moves to avoid of one position

struct epdMoves {
    move_list moves[EPD_MOVES_MAX];
    int count;
};

// The text of operation `op` ("bm", "am", "id") up to its ';', or an empty string.
static void operationText(const char *ops, const char *op, char *out, size_t size) {
    out[0] = '\0';
    const size_t len = std::strlen(op);
    for (const char *p = ops; (p = std::strstr(p, op)) != nullptr; p += len) {
        if ((p != ops && p[-1] != ' ' && p[-1] != ';') || p[len] != ' ')
            continue;
        const char *start = p + len + 1;
        const char *end = std::strchr(start, ';');
        size_t n = end ? (size_t)(end - start) : std::strlen(start);
        if (n >= size)
            n = size - 1;
        std::memcpy(out, start, n);
        out[n] = '\0';
        return;
    }
}

// The legal root moves that the words of `text` name in standard notation ("Qxf7+ Rd1").
static epdMoves readMoves(char *text) {
    epdMoves r = {};
    for (char *w = std::strtok(text, " "); w && r.count < EPD_MOVES_MAX;
         w = std::strtok(nullptr, " ")) {
        char move[16];
        std::snprintf(move, sizeof move, "%s", w);
        // The move reader takes no check or mate marks.
        for (char *c = move; *c; c++)
            if (*c == '+' || *c == '#' || *c == '!' || *c == '?')
                *c = '\0';
        ply = 0;
        const int16_t i = checkMove(move, 0);
        if (i >= 0)
            r.moves[r.count++] = searchData[0][i];
    }
    return r;
}

static bool listed(const epdMoves &list, const move_list &m) {
    for (int i = 0; i < list.count; i++)
        if (list.moves[i].from == m.from && list.moves[i].to == m.to &&
            list.moves[i].promote == m.promote)
            return true;
    return false;
}

// One EPD line: 1 solved, 0 missed, -1 not a usable position (refused, or no bm/am move).
static int runPosition(const char *line, int32_t ms, int number) {
    char fen[EPD_LINE_MAX], ops[EPD_LINE_MAX];
    const char *p = line;
    int fields = 0;
    while (*p && fields < 4) {
        while (*p == ' ')
            p++;
        while (*p && *p != ' ')
            p++;
        fields++;
    }
    const size_t n = (size_t)(p - line);
    if (fields < 4 || n >= sizeof fen - 8)
        return -1;
    std::memcpy(fen, line, n);
    std::strcpy(fen + n, " 0 1");
    std::snprintf(ops, sizeof ops, "%s", p);
    char idText[64], bmText[128], amText[128];
    operationText(ops, "id", idText, sizeof idText);
    operationText(ops, "bm", bmText, sizeof bmText);
    operationText(ops, "am", amText, sizeof amText);
    ply = 0;
    newGamePosition();
    if (!FENcheck(fen) || !setUpFEN(fen, FEN_ANY_LEGAL))
        return -1;
    gameFlags &= (uint8_t)~GF_NO_GAME;
    SEE();
    movgen(0, 0);
    if (mvstore[1] == 0)
        return -1;
    const epdMoves best = readMoves(bmText), avoid = readMoves(amText);
    if (best.count == 0 && avoid.count == 0)
        return -1;
    prepareToolSearch(30, ms);
    detectionFlags = 0; // no thinking lines: one result line per position
    search();
    const bool solved = best.count > 0 ? listed(best, movePV) : !listed(avoid, movePV);
    std::printf("%d %s %s: %s (%s %s)\n", number, idText[0] ? idText : "-",
                solved ? "solved" : "missed", sanstring(movePV), best.count ? "bm" : "am",
                best.count ? bmText : amText);
    std::fflush(stdout);
    return solved ? 1 : 0;
}

int runEPD(const char *path, int32_t ms) {
    FILE *f = std::fopen(path, "r");
    if (!f) {
        std::printf("epd: cannot read %s\n", path);
        return 1;
    }
    char line[EPD_LINE_MAX];
    int solved = 0, total = 0, number = 0;
    while (std::fgets(line, sizeof line, f)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        if (line[0] == '\0' || line[0] == '#')
            continue;
        number++;
        const int r = runPosition(line, ms, number);
        if (r < 0) {
            std::printf("%d skipped: %s\n", number, line);
            continue;
        }
        solved += r;
        total++;
    }
    std::fclose(f);
    std::printf("solved %d/%d\n", solved, total);
    return 0;
}
