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

static int nextByte() { return inputPos < inputSize ? (unsigned char)input[inputPos++] : -1; }
static int peekByte() { return inputPos < inputSize ? (unsigned char)input[inputPos] : -1; }

bool readInputLine(char *buf, size_t size) {
    int c = nextByte();
    if (c < 0) {
        if (size > 0)
            buf[0] = '\0';
        return false;
    }
    size_t n = 0;
    while (c >= 0 && c != '\n') {
        if (c != '\r' && n + 1 < size)
            buf[n++] = (char)c;
        c = nextByte();
    }
    if (size > 0)
        buf[n] = '\0';
    return true;
}

bool readInputWord(char *buf, size_t size) {
    int c = peekByte();
    while (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        nextByte();
        c = peekByte();
    }
    if (c < 0) {
        if (size > 0)
            buf[0] = '\0';
        return false;
    }
    size_t n = 0;
    while (c >= 0 && c != ' ' && c != '\t' && c != '\n' && c != '\r') {
        nextByte();
        if (n + 1 < size)
            buf[n++] = (char)c;
        c = peekByte();
    }
    if (size > 0)
        buf[n] = '\0';
    return true;
}

// All input is there at once, as on a pipe whose writer has finished: something is waiting
// until the end, and the end itself counts as waiting (a read then reports it).
bool inputWaiting() { return true; }

bool inputEnded() { return inputPos >= inputSize; }
