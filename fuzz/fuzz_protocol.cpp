// Fuzz target: arbitrary lines on standard input of the whole program, from its start-up to
// the end of input. Whatever front end the lines reach (console, xboard, UCI) must answer
// without a crash, a sanitizer report or a hang, and end with status 0 at the end of input.
#include "fuzz_io.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int morvaquintMain(int argc, char **argv); // the program's main, renamed for this target

static jmp_buf runEnd;
static bool running = false;

// The link wraps exit: inside a run it ends the run, which must be a clean one.
extern "C" [[noreturn]] void __real_exit(int status);
extern "C" [[noreturn]] void __wrap_exit(int status) {
    if (!running)
        __real_exit(status);
    if (status != 0) {
        std::fprintf(stderr, "fuzz check failed: exit status %d\n", status);
        std::abort();
    }
    std::longjmp(runEnd, 1);
}

// A perft deeper than a few plies would run for hours and cannot be stopped by design; the
// depths after a "perft" line are capped so that a slow run means a hang, not a deep count.
static size_t capPerftDepths(const uint8_t *data, size_t size, char *out) {
    bool inPerft = false;
    size_t n = 0, start = 0;
    while (start < size) {
        const char *line = (const char *)data + start;
        const char *end = (const char *)std::memchr(line, '\n', size - start);
        const size_t len = end ? (size_t)(end - line) : size - start;
        size_t lead = 0, digits = 0;
        while (lead < len && (line[lead] == ' ' || line[lead] == '\t'))
            lead++;
        while (lead + digits < len && line[lead + digits] >= '0' && line[lead + digits] <= '9')
            digits++;
        if (len - lead >= 5 && std::memcmp(line + lead, "perft", 5) == 0)
            inPerft = true;
        if (inPerft && digits > 0 && (digits > 1 || line[lead] > '3')) {
            out[n++] = '3';
        } else {
            std::memcpy(out + n, line, len);
            n += len;
        }
        if (end)
            out[n++] = '\n';
        start += len + (end ? 1 : 0);
    }
    return n;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    std::freopen("/dev/null", "w", stdout);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static char text[1 << 16];
    if (size >= sizeof text / 2)
        return 0;
    fuzzInputBegin(text, capPerftDepths(data, size, text));
    static char name[] = "morvaquint";
    static char *argv[] = {name, nullptr};
    running = true;
    if (setjmp(runEnd) == 0)
        morvaquintMain(1, argv);
    running = false;
    return 0;
}
