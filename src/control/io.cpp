// The single input layer on fd 0: one buffer shared by blocking line and word reads and by
// the non-blocking test for waiting input, so no byte is lost or read twice when a front end
// switches between them.
#include "control/io.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

static constexpr size_t INPUT_BUFFER_SIZE = 8192;

static char inBuf[INPUT_BUFFER_SIZE];
static size_t inStart = 0, inEnd = 0; // unread bytes are inBuf[inStart .. inEnd)
static bool sawEof = false;

// Moves unread bytes to the front and reads more, blocking. False when nothing more comes.
static bool fillBuffer() {
    if (sawEof)
        return false;
    if (inStart > 0) {
        memmove(inBuf, inBuf + inStart, inEnd - inStart);
        inEnd -= inStart;
        inStart = 0;
    }
    if (inEnd == INPUT_BUFFER_SIZE)
        return true; // full: the caller consumes what is there
    for (;;) {
        ssize_t got = read(0, inBuf + inEnd, INPUT_BUFFER_SIZE - inEnd);
        if (got > 0) {
            inEnd += (size_t)got;
            return true;
        }
        if (got < 0 && errno == EINTR)
            continue;
        sawEof = true;
        return false;
    }
}

// Zero or infinite timeout poll of fd 0; true when it reports bytes (or the end) waiting.
static bool pollInput(int timeout) {
    struct pollfd p = {0, POLLIN, 0};
    int r;
    do
        r = poll(&p, 1, timeout);
    while (r < 0 && errno == EINTR);
    return r > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

static bool bufferHasNewline() { return memchr(inBuf + inStart, '\n', inEnd - inStart) != nullptr; }

// Next byte, blocking; -1 at end of input.
static int nextByte() {
    if (inStart == inEnd && !fillBuffer())
        return -1;
    if (inStart == inEnd)
        return -1;
    return (unsigned char)inBuf[inStart++];
}

static int peekByte() {
    if (inStart == inEnd && !fillBuffer())
        return -1;
    if (inStart == inEnd)
        return -1;
    return (unsigned char)inBuf[inStart];
}

bool readInputLine(char *buf, size_t size) {
    size_t n = 0;
    int c = nextByte();
    if (c < 0) {
        if (size > 0)
            buf[0] = '\0';
        return false;
    }
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

bool inputWaiting() {
    if (bufferHasNewline())
        return true;
    if (sawEof)
        return inStart != inEnd; // a last line without its newline
    return pollInput(0);
}

bool inputEnded() { return sawEof && inStart == inEnd; }

bool lineBuffered() { return bufferHasNewline(); }

void waitForInput() {
    if (bufferHasNewline() || sawEof)
        return;
    pollInput(-1);
}

bool waitForInputFor(int ms) {
    if (bufferHasNewline() || sawEof)
        return true;
    return pollInput(ms);
}

bool peekInputLine(char *buf, size_t size) {
    if (!bufferHasNewline() && !sawEof && inEnd - inStart < INPUT_BUFFER_SIZE && pollInput(0))
        fillBuffer(); // readable: this read returns at once
    // A line is known without blocking when its newline is buffered, when it is the last text
    // before the end of input, or when it fills the whole buffer (its beginning is all a
    // caller can look at; reading it whole may then wait for the rest).
    const char *end = (const char *)memchr(inBuf + inStart, '\n', inEnd - inStart);
    if (!end && (sawEof || (inStart == 0 && inEnd == INPUT_BUFFER_SIZE)) && inStart != inEnd)
        end = inBuf + inEnd;
    if (!end || size == 0)
        return false;
    size_t n = 0;
    for (const char *c = inBuf + inStart; c < end && n + 1 < size; c++)
        if (*c != '\r')
            buf[n++] = *c;
    buf[n] = '\0';
    return true;
}
