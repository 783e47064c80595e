// The input layer over a memory buffer, for the fuzz targets (replaces control/io.cpp there).
#include "fuzz_io.h"

#include "control/io.h"

#include <cstring>

static const char *input = nullptr;
static size_t inputSize = 0, inputPos = 0;

void fuzzInputBegin(const char *data, size_t size) {
    input = data;
    inputSize = size;
    inputPos = 0;
}

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

bool readInputLine(char *buf, size_t size) {
    if (inputPos >= inputSize) {
        copyOut(0, 0, buf, size);
        return false;
    }
    const char *nl = (const char *)std::memchr(input + inputPos, '\n', inputSize - inputPos);
    const size_t end = nl ? (size_t)(nl - input) : inputSize;
    copyOut(inputPos, end, buf, size);
    inputPos = nl ? end + 1 : end;
    return true;
}

bool readInputWord(char *buf, size_t size) {
    while (inputPos < inputSize && isBlank(input[inputPos]))
        inputPos++;
    const size_t start = inputPos;
    while (inputPos < inputSize && !isBlank(input[inputPos]))
        inputPos++;
    copyOut(start, inputPos, buf, size);
    return inputPos > start;
}

// All input is there at once, as on a pipe whose writer has finished: something is waiting
// until the end, and the end itself counts as waiting (a read then reports it).
bool inputWaiting() { return true; }

bool inputEnded() { return inputPos >= inputSize; }
