// Fuzz target: arbitrary lines on standard input of the whole program, from its start-up to
// the end of input. Whatever front end the lines reach (console, xboard, UCI) must answer
// without a crash, a sanitizer report or a hang, and end with status 0 at the end of input.
// Sessions that open with "xboard" or "uci" are held to the protocols as a GUI relies on them:
//   - every move the engine plays or proposes (xboard "move" and thinking lines, UCI
//     "bestmove", "ponder" and each "pv") is legal in the position it was given, checked by the
//     reference generator: UCI positions are followed independently from the "position" lines,
//     xboard moves are checked on the game position as they are printed, and no move may follow
//     a refused position;
//   - every "ping" gets its "pong" (or a refusal of its argument) and every "isready" its
//     "readyok", during a search too;
//   - no output comes without a request: answers follow the lines that ask for them, search
//     output needs a "go", a session of lines that ask nothing gets no answer; and UCI output
//     holds nothing but UCI lines.
//
// The program runs in this process, its main called afresh for each input: the start-up
// tables are built once (the link wraps setup), the exit at the end of input returns here
// (the link wraps exit), and the front ends' state is put back as at program start. The link
// also wraps the search, whose polls get a grace at the end of the input (fuzz_io.h).
#include "fuzz_io.h"
#include "oracle.h"

#include "board/position.h"
#include "control/control.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int morvaquintMain(int argc, char **argv); // the program's main, renamed for this target

// ---------------------------------------------------------------------------
// Running the program once per input.
// ---------------------------------------------------------------------------
static jmp_buf runEnd;
static bool running = false;
static int exitStatus = 0;

extern "C" [[noreturn]] void __real_exit(int status);
extern "C" [[noreturn]] void __wrap_exit(int status) {
    if (!running)
        __real_exit(status);
    exitStatus = status;
    std::longjmp(runEnd, 1);
}

// The computed tables never change once built: one build serves every run.
extern "C" void __real__Z5setupv();
extern "C" void __wrap__Z5setupv() {
    static bool built = false;
    if (!built)
        __real__Z5setupv();
    built = true;
}

// The engine's clock runs CLOCK_SPEED times fast: every budget a fuzzed "level", "st",
// "time" or "go movetime" asks for then ends in milliseconds, so that a run is spent on the
// protocol rather than on waiting for a search (the oracles look at what is printed and in
// which order, never at how long it took).
constexpr int32_t CLOCK_SPEED = 32;
extern "C" int32_t __real__Z3nowv();
extern "C" int32_t __wrap__Z3nowv() { return __real__Z3nowv() * CLOCK_SPEED; }

// The input layer gives a search under way a grace at the end of the input (fuzz_io.h).
extern "C" void __real__Z6searchv();
extern "C" void __wrap__Z6searchv() {
    fuzzSearching = true;
    __real__Z6searchv();
    fuzzSearching = false;
}

// ---------------------------------------------------------------------------
// The session: input lines as the program sees them, output lines with the number of input
// lines read when each was printed.
// ---------------------------------------------------------------------------
constexpr size_t MAX_INPUT = 1 << 16;
constexpr int MAX_LINES = 1 << 13;
constexpr size_t MAX_OUTPUT = 1 << 20;
constexpr int MAX_OUT_LINES = 1 << 15;
// Longer lines are cut by the program's line buffers; the oracles pass over them.
constexpr size_t CHECKED_LINE = 200;

enum class sessionKind { CONSOLE, XBOARD, UCI };

struct textLine {
    const char *text;
    size_t length;
    int read; // output lines: input lines read when it was printed
};

static char inputText[MAX_INPUT];
static textLine inputLines[MAX_LINES];
static int inputCount;
static char outputText[MAX_OUTPUT];
static size_t outputLength, lineStart;
static textLine outputLines[MAX_OUT_LINES];
static int outputCount;
static bool outputOverflow;
static sessionKind session;

// A perft deeper than a few plies would run for hours and cannot be stopped by design; the
// depths after a "perft" line are capped at 2 (a few hundred nodes: deeper counts are the
// position target's and the perft suites' business), so that a slow run means a hang.
// Lines are judged as the program reads them: carriage returns dropped, cut at a NUL byte.
// Fills inputText (the program's input) and inputLines (the lines as the program sees them).
static size_t prepareInput(const uint8_t *data, size_t size, char *out) {
    static char seenText[MAX_INPUT];
    bool inPerft = false;
    size_t n = 0, start = 0, seenLength = 0;
    inputCount = 0;
    while (start < size) {
        const char *line = (const char *)data + start;
        const char *end = (const char *)std::memchr(line, '\n', size - start);
        const size_t len = end ? (size_t)(end - line) : size - start;
        char *seen = seenText + seenLength;
        size_t seenLen = 0;
        for (size_t i = 0; i < len && line[i] != '\0'; i++)
            if (line[i] != '\r')
                seen[seenLen++] = line[i];
        seen[seenLen] = '\0';
        if (std::strstr(seen, "perft"))
            inPerft = true;
        const char *digits = seen + std::strspn(seen, " \t");
        if (inPerft && *digits >= '0' && *digits <= '9' && std::strtol(digits, nullptr, 10) > 2) {
            out[n++] = '2';
            seen[0] = '2';
            seen[1] = '\0';
            seenLen = 1;
        } else {
            std::memcpy(out + n, line, len);
            n += len;
        }
        if (inputCount < MAX_LINES)
            inputLines[inputCount++] = {seen, seenLen, 0};
        seenLength += seenLen + 1;
        if (end)
            out[n++] = '\n';
        start += len + (end ? 1 : 0);
    }
    return n;
}

// The first blank-delimited word of a text, as the front ends read it.
static void wordOf(const char *text, char *word, size_t size) {
    text += std::strspn(text, " \t");
    size_t n = 0;
    while (text[n] && text[n] != ' ' && text[n] != '\t' && n + 1 < size) {
        word[n] = text[n];
        n++;
    }
    word[n] = '\0';
}

static bool startsWith(const char *text, const char *prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// The protocol the program takes from the first line, as its start-up does.
static sessionKind kindOfSession() {
    if (inputCount == 0)
        return sessionKind::CONSOLE;
    char word[16];
    wordOf(inputLines[0].text, word, sizeof word);
    if (startsWith(inputLines[0].text, "xboard") && !std::strcmp(word, "xboard"))
        return sessionKind::XBOARD;
    return std::strcmp(word, "uci") ? sessionKind::CONSOLE : sessionKind::UCI;
}

// Index of the first line that ends the session ("quit"), or the line count.
static int quitLine() {
    for (int i = 1; i < inputCount; i++) {
        char word[16];
        wordOf(inputLines[i].text, word, sizeof word);
        if (!std::strcmp(word, "quit"))
            return i;
    }
    return inputCount;
}

[[noreturn]] static void fail(const char *what, const char *detail) {
    std::fprintf(stderr, "fuzz check failed: %s: %s\n", what, detail);
    std::abort();
}

// An xboard "move" is checked when it is printed: it must be a legal move of the game
// position, which the program then plays, and a refused position allows no move at all.
static void checkXboardMove(const char *line, size_t length) {
    if (length < 6 || !startsWith(line, "move "))
        return;
    char text[32];
    const size_t n = length - 5 < sizeof text - 1 ? length - 5 : sizeof text - 1;
    std::memcpy(text, line + 5, n);
    text[n] = '\0';
    if (positionRefused)
        fail("a move after a refused position", text);
    oracleMove moves[ORACLE_MAX];
    const int count = oracleMoves(squares[0], whiteToMove(), moveStack[0].castleRights,
                                  moveStack[0].enPassant, moves);
    if (oracleReadText(text, squares[0], moves, count) < 0) {
        char fen[128];
        positionToFEN(0, fen);
        std::fprintf(stderr, "  position: %s\n", fen);
        fail("the engine's move is not legal", text);
    }
}

// An xboard thinking line ("DEPTH SCORE TIME NODES MOVES...") is checked when it is printed:
// its moves are played in turn from the search's root, the game position at ply 0.
static void checkThinkingLine(const char *line) {
    const char *c = line + std::strspn(line, " ");
    for (int field = 0; field < 4; field++) {
        if (*c == '-' && field == 1)
            c++;
        const size_t digits = std::strspn(c, "0123456789");
        if (digits == 0 || c[digits] != ' ')
            return; // not a thinking line
        c += digits + 1;
    }
    oraclePosition pos = {squares[0], whiteToMove(), moveStack[0].castleRights,
                          moveStack[0].enPassant};
    char text[32];
    while (*c) {
        const size_t n = std::strcspn(c, " ");
        if (n == 0 || n >= sizeof text)
            break;
        std::memcpy(text, c, n);
        text[n] = '\0';
        oracleMove moves[ORACLE_MAX];
        const int count = oracleMoves(pos.sq, pos.white, pos.castleRights, pos.ep, moves);
        const int i = oracleReadText(text, pos.sq, moves, count);
        if (i < 0) {
            char fen[128];
            positionToFEN(0, fen);
            std::fprintf(stderr, "  root: %s\n  line: %s\n", fen, line);
            fail("a move of a thinking line is not legal", text);
        }
        oraclePlay(pos, moves[i]);
        c += n + (c[n] == ' ' ? 1 : 0);
    }
}

// The program's standard output: kept in memory, cut into lines as they are completed.
static ssize_t writeOutput(void *, const char *data, size_t size) {
    for (size_t i = 0; i < size; i++) {
        if (outputLength + 1 >= MAX_OUTPUT || outputCount >= MAX_OUT_LINES) {
            outputOverflow = true;
            return (ssize_t)size;
        }
        outputText[outputLength++] = data[i];
        if (data[i] != '\n')
            continue;
        textLine &l = outputLines[outputCount++];
        l = {outputText + lineStart, outputLength - 1 - lineStart, fuzzLinesRead()};
        outputText[outputLength - 1] = '\0';
        lineStart = outputLength;
        if (session == sessionKind::XBOARD) {
            checkXboardMove(l.text, l.length);
            checkThinkingLine(l.text);
        }
    }
    return (ssize_t)size;
}

// ---------------------------------------------------------------------------
// The oracles over a whole session.
// ---------------------------------------------------------------------------

// "pong ...", or the refusal of a "ping" line's argument.
static bool isPingAnswer(const char *text) {
    const char *refusal = "Error (bad argument): ";
    if (startsWith(text, "pong"))
        return true;
    if (!startsWith(text, refusal))
        return false;
    char word[16];
    wordOf(text + std::strlen(refusal), word, sizeof word);
    return !std::strcmp(word, "ping");
}

// Every "ping" of an xboard session answered, in order: "pong" with its number as written, or
// the refusal of an argument that is no number.
static void checkPings() {
    const int last = quitLine();
    int answer = 0;
    for (int i = 1; i < last; i++) {
        const textLine &in = inputLines[i];
        char word[16];
        wordOf(in.text, word, sizeof word);
        if (strcmp(word, "ping") != 0 || in.length > CHECKED_LINE)
            continue;
        while (answer < outputCount && !isPingAnswer(outputLines[answer].text))
            answer++;
        if (answer >= outputCount)
            fail("a ping without an answer", in.text);
        // A number: an optional sign and digits, then the end of the word.
        const char *arg = in.text + std::strspn(in.text, " \t") + 4;
        arg += std::strspn(arg, " \t");
        const size_t sign = (*arg == '-' || *arg == '+') ? 1 : 0;
        const size_t digits = std::strspn(arg + sign, "0123456789");
        const char after = arg[sign + digits];
        if (digits > 0 && (after == '\0' || after == ' ' || after == '\t')) {
            char pong[CHECKED_LINE + 8];
            std::snprintf(pong, sizeof pong, "pong %.*s", (int)(sign + digits), arg);
            if (std::strcmp(outputLines[answer].text, pong) != 0)
                fail("a ping answered with another number", outputLines[answer].text);
        }
        answer++;
    }
}

// Every "isready" of a UCI session answered with "readyok".
static void checkReadyAnswers() {
    const int last = quitLine();
    int asked = 0, answered = 0;
    for (int i = 1; i < last; i++) {
        char word[16];
        wordOf(inputLines[i].text, word, sizeof word);
        if (!std::strcmp(word, "isready") && inputLines[i].length <= CHECKED_LINE)
            asked++;
    }
    for (int i = 0; i < outputCount; i++)
        if (!std::strcmp(outputLines[i].text, "readyok"))
            answered++;
    if (asked != answered) {
        char counts[64];
        std::snprintf(counts, sizeof counts, "%d asked, %d answered", asked, answered);
        fail("isready without readyok", counts);
    }
}

// Lines after which the program has nothing to say, whatever its state.
static bool isSilentLine(const textLine &in) {
    static const char *const xboardWords[] = {"new",      "force",    "post",    "nopost", "hard",
                                              "easy",     "random",   "white",   "black",  "result",
                                              "accepted", "rejected", "computer"};
    static const char *const uciWords[] = {"ucinewgame", "stop", "ponderhit", "debug"};
    char word[16];
    wordOf(in.text, word, sizeof word);
    if (word[0] == '\0')
        return true;
    if (session == sessionKind::XBOARD) {
        for (const char *w : xboardWords)
            if (!std::strcmp(word, w))
                return true;
        return false;
    }
    for (const char *w : uciWords)
        if (!std::strcmp(word, w))
            return true;
    return false;
}

// A session whose lines after the first ask nothing gets only the answer to the first.
static void checkNoUnaskedOutput() {
    for (int i = 1; i < inputCount; i++)
        if (!isSilentLine(inputLines[i]))
            return;
    for (int i = 0; i < outputCount; i++)
        if (outputLines[i].read > 1)
            fail("output without a request", outputLines[i].text);
}

// The first word of input line i, or "" when there is none.
static void wordOfLine(int i, char *word, size_t size) {
    word[0] = '\0';
    if (i >= 0 && i < inputCount)
        wordOf(inputLines[i].text, word, size);
}

// Answers that come at once: each follows the line that asked for it, read just before it
// was printed. UCI "info" and "bestmove" lines need a "go" that has no bestmove yet.
static void checkAnswersFollowQuestions() {
    static const struct {
        sessionKind kind;
        const char *answer, *question;
    } pairs[] = {
        {sessionKind::XBOARD, "pong", "ping"},
        {sessionKind::XBOARD, "feature ", "protover"},
        {sessionKind::XBOARD, "stat01:", "."},
        {sessionKind::XBOARD, "tellusererror", "setboard"},
        {sessionKind::UCI, "readyok", "isready"},
        {sessionKind::UCI, "id ", "uci"},
        {sessionKind::UCI, "option ", "uci"},
        {sessionKind::UCI, "uciok", "uci"},
    };
    int goes = 0, bestmoves = 0, counted = 0;
    for (int o = 0; o < outputCount; o++) {
        const textLine &out = outputLines[o];
        char word[16];
        wordOfLine(out.read - 1, word, sizeof word);
        for (const auto &p : pairs)
            if (p.kind == session && startsWith(out.text, p.answer) &&
                std::strcmp(word, p.question) != 0)
                fail("an answer to a question not asked", out.text);
        const char *refusal = "Error (bad argument): ";
        if (session == sessionKind::XBOARD && startsWith(out.text, refusal) &&
            (out.read < 1 ||
             (inputLines[out.read - 1].length <= CHECKED_LINE &&
              std::strcmp(out.text + std::strlen(refusal), inputLines[out.read - 1].text) != 0)))
            fail("a refused argument of a line not read", out.text);
        if (session != sessionKind::UCI)
            continue;
        for (; counted < out.read && counted < inputCount; counted++) {
            wordOfLine(counted, word, sizeof word);
            goes += !std::strcmp(word, "go");
        }
        const bool searchLine =
            startsWith(out.text, "bestmove ") ||
            (startsWith(out.text, "info ") && !startsWith(out.text, "info string"));
        if (searchLine && goes <= bestmoves)
            fail("search output without a go", out.text);
        bestmoves += startsWith(out.text, "bestmove ");
    }
}

// After a "setboard" the engine refused (its "tellusererror"), no "move" until a "new" or a
// "setboard" it takes: followed from the lines and the answers, not from the engine's state.
static void checkNoMoveAfterRefusal() {
    bool refused = false;
    int counted = 0;
    for (int o = 0; o < outputCount; o++) {
        const textLine &out = outputLines[o];
        for (; counted < out.read && counted < inputCount; counted++) {
            char word[16];
            wordOfLine(counted, word, sizeof word);
            if (!std::strcmp(word, "new") || !std::strcmp(word, "setboard"))
                refused = false;
        }
        if (startsWith(out.text, "tellusererror"))
            refused = true;
        if (refused && startsWith(out.text, "move "))
            fail("a move after a refused setboard", out.text);
    }
}

// The UCI positions as the "position" lines give them, followed line by line.
struct uciModel {
    oraclePosition pos;
    bool known;   // the reference could read the position
    bool refused; // the program said it refused the last "position" line
};

static void followPositionLine(uciModel &m, const char *line) {
    static char text[MAX_INPUT], fen[MAX_INPUT];
    std::snprintf(text, sizeof text, "%s", line);
    char *save = nullptr;
    const char *t = strtok_r(text, " \t", &save);
    m.refused = false;
    m.known = false;
    if (!t || std::strcmp(t, "position") != 0)
        return;
    t = strtok_r(nullptr, " \t", &save);
    if (t && !std::strcmp(t, "startpos")) {
        oracleStartPosition(m.pos);
        t = strtok_r(nullptr, " \t", &save);
    } else if (t && !std::strcmp(t, "fen")) {
        fen[0] = '\0';
        while ((t = strtok_r(nullptr, " \t", &save)) && std::strcmp(t, "moves") != 0) {
            std::strncat(fen, t, sizeof fen - std::strlen(fen) - 2);
            std::strcat(fen, " ");
        }
        if (!oracleReadFEN(fen, m.pos))
            return;
    } else {
        return;
    }
    if (t && std::strcmp(t, "moves") != 0)
        return;
    while (t && (t = strtok_r(nullptr, " \t", &save)))
        if (!oraclePlayCoordinates(m.pos, t))
            return;
    m.known = true;
}

// The moves of a "pv" or of a bestmove and its ponder move, played in turn from the position.
static void checkMoveSequence(const uciModel &m, const char *moves, const char *what) {
    oraclePosition pos = m.pos;
    static char text[MAX_OUTPUT];
    std::snprintf(text, sizeof text, "%s", moves);
    char *save = nullptr;
    for (const char *t = strtok_r(text, " ", &save); t; t = strtok_r(nullptr, " ", &save)) {
        if (!std::strcmp(t, "ponder"))
            continue;
        if (!oraclePlayCoordinates(pos, t))
            fail(what, moves);
    }
}

// Every UCI output line is a UCI line, and every move in it belongs to the position given.
static void checkUciOutput() {
    static const char *const kinds[] = {"id ", "option ", "uciok", "readyok", "bestmove ", "info "};
    uciModel m = {};
    oracleStartPosition(m.pos);
    m.known = true;
    int followed = 1; // the first line, "uci", was read by the start-up
    const int last = quitLine();
    for (int o = 0; o < outputCount; o++) {
        const textLine &out = outputLines[o];
        bool known = false;
        for (const char *k : kinds)
            known = known || startsWith(out.text, k);
        if (!known)
            fail("not a UCI line", out.text);
        for (; followed < out.read && followed < last; followed++) {
            char word[16];
            wordOf(inputLines[followed].text, word, sizeof word);
            if (!std::strcmp(word, "position"))
                followPositionLine(m, inputLines[followed].text);
            else if (!std::strcmp(word, "ucinewgame")) {
                oracleStartPosition(m.pos);
                m.known = true;
                m.refused = false;
            }
        }
        if (startsWith(out.text, "info string Invalid position"))
            m.refused = true;
        if (!m.known)
            continue; // the reference cannot follow this position: nothing to check
        const char *pv = std::strstr(out.text, " pv ");
        if (startsWith(out.text, "info ") && !startsWith(out.text, "info string") && pv)
            checkMoveSequence(m, pv + 4, "a pv move is not legal");
        if (!startsWith(out.text, "bestmove "))
            continue;
        const char *best = out.text + 9;
        if (startsWith(best, "0000")) {
            oracleMove moves[ORACLE_MAX];
            const int n = oracleMoves(m.pos.sq, m.pos.white, m.pos.castleRights, m.pos.ep, moves);
            if (n > 0 && !m.refused)
                fail("bestmove 0000 in a position with legal moves", out.text);
        } else if (m.refused) {
            fail("a bestmove after a refused position", out.text);
        } else {
            checkMoveSequence(m, best, "the bestmove or its ponder move is not legal");
        }
    }
}

// ---------------------------------------------------------------------------
// libFuzzer entry points.
// ---------------------------------------------------------------------------
extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    __wrap__Z5setupv();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size >= MAX_INPUT / 2)
        return 0;
    const size_t length = prepareInput(data, size, inputText);
    session = kindOfSession();
    outputLength = lineStart = 0;
    outputCount = 0;
    outputOverflow = false;

    static const cookie_io_functions_t capture = {nullptr, writeOutput, nullptr, nullptr};
    FILE *const terminal = stdout;
    FILE *const captured = fopencookie(nullptr, "w", capture);
    if (!captured)
        return 0;
    stdout = captured;
    resetFrontEnds();
    fuzzSearching = false;
    fuzzInputBegin(inputText, length);
    exitStatus = -1;
    running = true;
    if (setjmp(runEnd) == 0) {
        static char name[] = "morvaquint";
        static char *argv[] = {name, nullptr};
        exitStatus = morvaquintMain(1, argv);
    }
    running = false;
    std::fflush(captured);
    stdout = terminal;
    std::fclose(captured);

    if (exitStatus != 0) {
        char status[32];
        std::snprintf(status, sizeof status, "%d", exitStatus);
        fail("the program ended with status", status);
    }
    if (outputOverflow || session == sessionKind::CONSOLE)
        return 0;
    checkNoUnaskedOutput();
    checkAnswersFollowQuestions();
    if (session == sessionKind::XBOARD) {
        checkPings();
        checkNoMoveAfterRefusal();
    } else {
        checkReadyAnswers();
        checkUciOutput();
    }
    return 0;
}
