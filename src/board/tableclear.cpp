// Clearing large tables by their written lines.
#include "board/tableclear.h"

#include <cstring>

#ifdef __linux__
#include <sys/mman.h>
#endif

void adviseLargePages(void *table, size_t bytes) {
#ifdef MADV_HUGEPAGE
    madvise(table, bytes, MADV_HUGEPAGE);
#else
    (void)table;
    (void)bytes;
#endif
}

void clearWrittenLines(void *table, size_t bytes, uint64_t *written) {
    char *base = static_cast<char *>(table);
    const size_t words = writtenMapWords(bytes);
    constexpr size_t WORD_SPAN = 64 * TABLE_LINE; // bytes one map word covers
    for (size_t w = 0; w < words; w++) {
        uint64_t lines = written[w];
        if (lines == 0)
            continue;
        written[w] = 0;
        const size_t start = w * WORD_SPAN;
        if (lines == ~0ULL && start + WORD_SPAN <= bytes) {
            std::memset(base + start, 0, WORD_SPAN);
            continue;
        }
        for (; lines; lines &= lines - 1) {
            const size_t at = start + (size_t)__builtin_ctzll(lines) * TABLE_LINE;
            std::memset(base + at, 0, at + TABLE_LINE <= bytes ? TABLE_LINE : bytes - at);
        }
    }
}
