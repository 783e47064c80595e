// Fuzz target: arbitrary lines on standard input of the whole program, from its start-up to
// the end of input. Whatever front end the lines reach (console, xboard, UCI) must answer
// without a crash, a sanitizer report or a hang, and end with status 0 at the end of input.
//
// Every input runs in a child process, as the program would run: the front ends keep state
// that only the end of the process clears. The child hands its coverage counters back through
// shared memory, so the fuzzer still learns which inputs reach new code.
#include "fuzz_io.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <sys/mman.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

int morvaquintMain(int argc, char **argv); // the program's main, renamed for this target

// The coverage counters of the instrumented code, as the code registers them with the fuzzer
// at start-up (the link wraps the registration to learn where they are).
static uint8_t *counters = nullptr;
static size_t counterBytes = 0;
extern "C" void __real___sanitizer_cov_8bit_counters_init(uint8_t *start, uint8_t *stop);
extern "C" void __wrap___sanitizer_cov_8bit_counters_init(uint8_t *start, uint8_t *stop) {
    if (!counters && stop > start) {
        counters = start;
        counterBytes = (size_t)(stop - start);
    }
    __real___sanitizer_cov_8bit_counters_init(start, stop);
}

static uint8_t *sharedCounters = nullptr; // the child's counters, read by the parent
static bool inChild = false;

static constexpr int RUN_SECONDS = 20; // a run longer than this is a hang

// The child's end: its counters go back to the parent, nothing of the fuzzer's runs at exit.
[[noreturn]] static void endChild(int status) {
    if (counterBytes)
        std::memcpy(sharedCounters, counters, counterBytes);
    _exit(status);
}

// The link wraps exit: in the child it is the end of the run.
extern "C" [[noreturn]] void __real_exit(int status);
extern "C" [[noreturn]] void __wrap_exit(int status) {
    if (!inChild)
        __real_exit(status);
    endChild(status);
}

// A perft deeper than a few plies would run for hours and cannot be stopped by design; the
// depths after a "perft" line are capped so that a slow run means a hang, not a deep count.
// Lines are judged as the program reads them: carriage returns dropped, cut at a NUL byte.
static size_t capPerftDepths(const uint8_t *data, size_t size, char *out) {
    bool inPerft = false;
    size_t n = 0, start = 0;
    while (start < size) {
        const char *line = (const char *)data + start;
        const char *end = (const char *)std::memchr(line, '\n', size - start);
        const size_t len = end ? (size_t)(end - line) : size - start;
        char seen[256];
        size_t seenLen = 0;
        for (size_t i = 0; i < len && line[i] != '\0' && seenLen + 1 < sizeof seen; i++)
            if (line[i] != '\r')
                seen[seenLen++] = line[i];
        seen[seenLen] = '\0';
        if (std::strstr(seen, "perft"))
            inPerft = true;
        const char *digits = seen + std::strspn(seen, " \t");
        if (inPerft && *digits >= '0' && *digits <= '9' && std::strtol(digits, nullptr, 10) > 3) {
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
    if (counterBytes) {
        void *m =
            mmap(nullptr, counterBytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (m == MAP_FAILED)
            counterBytes = 0;
        else
            sharedCounters = (uint8_t *)m;
    }
    return 0;
}

// Waits for the child, at most RUN_SECONDS; true with its wait status, false on a hang.
static bool waitChild(pid_t pid, int &status) {
    const struct timespec pause = {0, 1000000};
    for (long waited = 0; waited < RUN_SECONDS * 1000L; waited++) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return true;
        nanosleep(&pause, nullptr);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static char text[1 << 16];
    if (size >= sizeof text / 2)
        return 0;
    const size_t length = capPerftDepths(data, size, text);
    if (counterBytes)
        std::memset(sharedCounters, 0, counterBytes);
    const pid_t pid = fork();
    if (pid < 0)
        return 0;
    if (pid == 0) {
        inChild = true;
        fuzzInputBegin(text, length);
        static char name[] = "morvaquint";
        static char *argv[] = {name, nullptr};
        endChild(morvaquintMain(1, argv));
    }
    int status = 0;
    const bool ended = waitChild(pid, status);
    if (counterBytes)
        for (size_t i = 0; i < counterBytes; i++)
            counters[i] |= sharedCounters[i];
    if (!ended) {
        std::fprintf(stderr, "fuzz check failed: no end within %d seconds\n", RUN_SECONDS);
        std::abort();
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "fuzz check failed: the program ended with %s %d\n",
                     WIFEXITED(status) ? "status" : "signal",
                     WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
        std::abort();
    }
    return 0;
}
