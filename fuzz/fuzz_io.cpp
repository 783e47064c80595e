// The input layer over a memory buffer, for the fuzz targets (replaces control/io.cpp there).
#include "fuzz_io.h"

#include "board/engine_state.h"
#include "control/io.h"

#include <cstring>

static const char *input = nullptr;
static size_t inputSize = 0, inputPos = 0;
static bool endReported = false; // a read has returned the end of input
static int linesRead = 0;
// Polls of a search at the end of input before it is told the end (a poll comes with every move
// the search makes), enough for the shallow searches fuzz inputs ask for to finish. The
// console lets a search with a limit run to its end after the end of input; after four graces
// the user, as if typing "?", has it move now (stop code 14): a limit of hours is no hang.
constexpr int END_GRACE = 1024;
constexpr int32_t MOVE_NOW = 14;
static int graceUsed = 0;
bool fuzzSearching = false;

void fuzzInputBegin(const char *data, size_t size) {
    input = data;
    inputSize = size;
    inputPos = 0;
    endReported = false;
    linesRead = 0;
    graceUsed = 0;
}

int fuzzLinesRead() { return linesRead; }

static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Copies input[from, to) into buf as a C string of at most size - 1 characters, carriage
// returns left out, as the real layer stores a line or a word.
static void copyOut(size_t from, size_t to, char *buf, size_t size) {
    size_t n = 0;
    for (size_t i = from; i < to; i++)
        if (input[i] != '\r' && n + 1 < size)
            buf[n++] = input[i];
    if (size > 0)
        buf[n] = '\0';
}

// A complete line at the read position, or -1.
static long lineEnd() {
    const char *nl = (const char *)std::memchr(input + inputPos, '\n', inputSize - inputPos);
    return nl ? (long)(nl - input) : -1;
}

bool readInputLine(char *buf, size_t size) {
    if (inputPos >= inputSize) {
        copyOut(0, 0, buf, size);
        endReported = true;
        return false;
    }
    const long nl = lineEnd();
    const size_t end = nl >= 0 ? (size_t)nl : inputSize;
    copyOut(inputPos, end, buf, size);
    inputPos = nl >= 0 ? end + 1 : end;
    linesRead++;
    return true;
}

bool lineBuffered() { return inputPos < inputSize && lineEnd() >= 0; }

void waitForInput() {} // everything has arrived

bool waitForInputFor(int) { return true; }

// The whole input is known, so a last line without its newline is known too.
bool peekInputLine(char *buf, size_t size) {
    if (inputPos >= inputSize || size == 0)
        return false;
    const long end = lineEnd();
    copyOut(inputPos, end >= 0 ? (size_t)end : inputSize, buf, size);
    return true;
}

bool readInputWord(char *buf, size_t size) {
    while (inputPos < inputSize && isBlank(input[inputPos]))
        inputPos++;
    const size_t start = inputPos;
    while (inputPos < inputSize && !isBlank(input[inputPos]))
        inputPos++;
    copyOut(start, inputPos, buf, size);
    endReported = inputPos == start;
    return !endReported;
}

// All input is there at once, as on a pipe whose writer has finished: something is waiting
// until a read has reported the end (the end itself is news that a read must deliver).
bool inputWaiting() { return inputPos < inputSize || !endReported; }

bool inputEnded() {
    if (inputPos < inputSize)
        return false;
    if (!fuzzSearching) {
        graceUsed = 0;
        return true;
    }
    if (++graceUsed > 4 * END_GRACE)
        stopSearch = MOVE_NOW;
    return graceUsed > END_GRACE;
}
