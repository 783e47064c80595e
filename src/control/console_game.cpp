// Console commands that tell the user about the game: show, history, hint, score and pgn.
#include "control/console.h"

#include "board/makemove.h"
#include "board/position.h"
#include "book/book.h"
#include "control/control.h"
#include "control/game.h"
#include "control/movetext.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/search.h"

#include <cstdio>
#include <cstring>
#include <ctime>

static constexpr int SAN_MAX = 8;       // longest SAN text with its check sign, and a NUL
static constexpr int PGN_LINE_MAX = 79; // export format: movetext lines of at most 79 columns
static const char *const START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
static const char *const ENGINE_NAME = "Morvaquint 3.3";

// The game's moves in SAN, rebuilt on request by replaying the game record, and the position
// the game began from.
static struct {
    int count;          // half-moves of the game
    int firstNumber;    // move number of the first half-move
    bool blackFirst;    // the game began with Black to move
    bool setUp;         // the game began from a set-up position, not the initial one
    char startFen[160]; // that position as FEN
    char san[GAME_RECORD][SAN_MAX];
} record;

static move_list replayed[GAME_RECORD]; // the game's moves while the record is rebuilt
static char resultText[8] = "*";        // the result of the game that ended last ("1-0", ...)
static bool resultEngineWhite;          // the engine's colour in that game (its end forgets it)

// The set-up position as FEN, with the move number the game's own counting began with (the
// engine keeps the FEN's move number as its half-move count). Known limitation: a game so
// long that the record dropped its first positions starts from the oldest one kept, numbered
// by its half-move count.
static void describeStart() {
    char fen[120];
    positionToFEN(0, fen);
    char *counters = std::strrchr(fen, ' '); // drop the full-move field
    *counters = '\0';
    record.blackFirst = !whiteToMove();
    record.firstNumber = moveStart > 0 ? moveStart : 1;
    std::snprintf(record.startFen, sizeof record.startFen, "%s %d", fen, record.firstNumber);
    // The half-move clock is the last field left: compare only what precedes it.
    counters = std::strrchr(fen, ' ');
    *counters = '\0';
    record.setUp = moveStart != 0 || std::strcmp(fen, START_FEN) != 0;
}

// Rebuilds the SAN record: takes the game back to its first position, then plays its moves
// again from the generated lists, writing each one's SAN (with "#" for mate) on the way. The
// game ends where it was, its flags as they were. Only while no search runs and no predicted
// reply stands on the board.
static void buildRecord() {
    ASSERT(!isSearchPolling() && !(searchFlags & SF_PONDER_MOVE_MADE));
    const uint8_t flags = gameFlags;
    int n = 0;
    while (allmoves > moveStart && n < GAME_RECORD) {
        replayed[n++] = history[recordIndex(allmoves)].histdata;
        takeback();
    }
    describeStart();
    record.count = n;
    for (int k = 0; k < n; k++) {
        const move_list &m = replayed[n - 1 - k];
        generateRootMoves();
        const int16_t i = findRootMove(m);
        ASSERT(i >= 0);
        std::snprintf(record.san[k], SAN_MAX, "%s", sanstring(searchData[0][i]));
        playRootMove(i);
    }
    generateRootMoves();
    if (n > 0 && generated[0] == 0 && (depthFlags[0] & DPF_IN_CHECK)) {
        char *sign = std::strchr(record.san[n - 1], '+');
        if (sign)
            *sign = '#'; // the last move mates
    }
    gameFlags = flags;
}

void takeBackPrediction() {
    if (!(searchFlags & SF_PONDER_MOVE_MADE))
        return;
    stopSearch = 13;
    searchStopped();
}

// Move number text before half-move k: "12. " before White's move, "12... " before Black's
// move when it opens the game, nothing before Black's other moves (the PGN export rule).
static int moveNumberText(int k, char *out, size_t size) {
    const int half = k + (record.blackFirst ? 1 : 0);
    const int number = record.firstNumber + half / 2;
    if (half % 2 == 0)
        return std::snprintf(out, size, "%d. ", number);
    if (k == 0)
        return std::snprintf(out, size, "%d... ", number);
    out[0] = '\0';
    return 0;
}

static void printHistory() {
    if (record.count == 0) {
        std::printf("No moves played yet.\n");
        return;
    }
    char number[24];
    for (int k = 0; k < record.count; k++) {
        const bool white = ((k + (record.blackFirst ? 1 : 0)) % 2) == 0;
        moveNumberText(k, number, sizeof number);
        std::printf(white || k == 0 ? "%s%s" : " %s%s", number, record.san[k]);
        if (!white || k == record.count - 1)
            std::printf("\n");
    }
}

// The result the game has when the PGN is written: the last result line if the game is over,
// "*" while it goes on.
static const char *currentResult() { return (gameFlags & GF_NO_GAME) ? resultText : "*"; }

// Movetext token k: half-move k with its move number, or the result after the last move.
static void movetextToken(int k, const char *result, char *out, size_t size) {
    if (k == record.count) {
        std::snprintf(out, size, "%s", result);
        return;
    }
    const int used = moveNumberText(k, out, size);
    std::snprintf(out + used, size - (size_t)used, "%s", record.san[k]);
}

// Writes a tag pair, escaping quote and backslash as the PGN export format asks.
static void writeTag(FILE *f, const char *name, const char *value) {
    std::fprintf(f, "[%s \"", name);
    for (const char *c = value; *c; c++) {
        if (*c == '"' || *c == '\\')
            std::fputc('\\', f);
        std::fputc(*c, f);
    }
    std::fprintf(f, "\"]\n");
}

// The seven-tag roster, the set-up tags of a game that began from a FEN position, and the
// movetext in lines of at most PGN_LINE_MAX columns, ended by the result.
static void writePgn(FILE *f) {
    char date[16] = "????.??.??";
    const std::time_t t = std::time(nullptr);
    std::tm local;
    if (localtime_r(&t, &local))
        std::strftime(date, sizeof date, "%Y.%m.%d", &local);
    const bool over = (gameFlags & GF_NO_GAME) != 0;
    const bool engineWhite = over ? resultEngineWhite : (gameFlags & GF_ENGINE_WHITE) != 0;
    writeTag(f, "Event", "Morvaquint console game");
    writeTag(f, "Site", "?");
    writeTag(f, "Date", date);
    writeTag(f, "Round", "-");
    writeTag(f, "White", engineWhite ? ENGINE_NAME : "?");
    writeTag(f, "Black", engineWhite ? "?" : ENGINE_NAME);
    writeTag(f, "Result", currentResult());
    if (record.setUp) {
        writeTag(f, "SetUp", "1");
        writeTag(f, "FEN", record.startFen);
    }
    std::fprintf(f, "\n");
    int column = 0;
    char token[40];
    for (int k = 0; k <= record.count; k++) {
        movetextToken(k, currentResult(), token, sizeof token);
        if (column > 0 && column + 1 + (int)std::strlen(token) > PGN_LINE_MAX) {
            std::fprintf(f, "\n");
            column = 0;
        }
        std::fprintf(f, column > 0 ? " %s" : "%s", token);
        column += (column > 0 ? 1 : 0) + (int)std::strlen(token);
    }
    std::fprintf(f, "\n\n");
}

// "pgn FILE": the game so far as a PGN file.
static void savePgn(const char *path) {
    while (*path == ' ' || *path == '\t')
        path++;
    if (*path == '\0') {
        std::printf("Give a file name (e.g. pgn game.pgn)\n");
        return;
    }
#ifdef MORVA_FUZZ_BUILD
    // Fuzzed input names arbitrary files, absolute ones too: the fuzz build writes the game,
    // but to nowhere.
    FILE *f = std::fopen("/dev/null", "w");
#else
    FILE *f = std::fopen(path, "w");
#endif
    if (!f) {
        std::printf("Cannot write %s\n", path);
        return;
    }
    writePgn(f);
    const bool written = std::fclose(f) == 0;
    std::printf(written ? "Game saved in %s\n" : "Cannot write %s\n", path);
}

// The reply the engine expects from the user: the predicted reply while it stands on the
// board, else the second move of the last search's line when its first is the game's last
// move and the second is legal now, else a move of the book. Only while no search runs.
static void printHint() {
    if (searchFlags & SF_PONDER_MOVE_MADE) {
        std::printf("Hint: %s\n", sanstring(savedPonderPV));
        return;
    }
    ASSERT(!isSearchPolling());
    generateRootMoves();
    if (allmoves > moveStart && pvlen[0] >= 2) {
        const move_list &last = history[recordIndex(allmoves)].histdata;
        const move_list &first = pv[0][0];
        const int16_t i = findRootMove(pv[0][1]);
        if (first.from == last.from && first.to == last.to && first.promote == last.promote &&
            i >= 0) {
            std::printf("Hint: %s\n", sanstring(searchData[0][i]));
            return;
        }
    }
    const int16_t b = (gameFlags & GF_BOOK_ON) ? bookMove() : -1;
    if (b >= 0) {
        std::printf("Hint: %s\n", sanstring(searchData[0][b]));
        return;
    }
    std::printf("No hint available.\n");
}

// The static evaluation of the game position, in pawns from White's side.
static void printScore() {
    ply = 0;
    classifyGamePhase();
    SEE();
    const int32_t score = evaluate(0);
    const int32_t white = whiteToMove() ? score : -score;
    const int32_t size = white < 0 ? -white : white;
    std::printf("Score: %c%d.%02d (in pawns, from White's side)\n", white < 0 ? '-' : '+',
                size / 100, size % 100);
    generateRootMoves(); // the position's move list, as the front end expects it at ply 0
}

void showGamePosition() {
    if (!(searchFlags & SF_PONDER_MOVE_MADE)) {
        print_board(0);
        return;
    }
    printBoardSquares(savedSquares);
    std::printf((gameFlags & GF_ENTRY_WHITE) ? "\nWhite to move>  " : "\nBlack to move>  ");
}

bool isGameCommand(const char *word) {
    static const char *const words[] = {"show", "history", "hint", "score", "pgn"};
    for (const char *w : words)
        if (isCommand(word, w))
            return true;
    return false;
}

bool canAnswerDuringSearch(const char *word) {
    return isCommand(word, "show") ||
           (isCommand(word, "hint") && (searchFlags & SF_PONDER_MOVE_MADE));
}

void runGameCommand(const char *word, const char *rest) {
    if (isCommand(word, "show")) {
        showGamePosition();
        return;
    }
    if (isCommand(word, "hint")) {
        printHint();
        return;
    }
    ASSERT(!isSearchPolling());
    ply = 0;
    takeBackPrediction();
    if (isCommand(word, "score")) {
        printScore();
        return;
    }
    buildRecord();
    if (isCommand(word, "history"))
        printHistory();
    else
        savePgn(rest);
}

void noteResult(const char *line) {
    char word[sizeof resultText] = "";
    std::sscanf(line, "%7s", word);
    std::memcpy(resultText, word, sizeof resultText);
    resultEngineWhite = (gameFlags & GF_ENGINE_WHITE) != 0;
}
