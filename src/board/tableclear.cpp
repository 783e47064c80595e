// Clearing large tables by their written lines.
#include "board/tableclear.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__unix__) || defined(__APPLE__)
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

#ifdef MAP_ANONYMOUS
void *mapTableMemory(size_t bytes) {
    // The system aligns a mapping to a small page only: one large page more is asked for and
    // the unaligned head and the tail beyond the table are given back.
    const size_t asked = bytes + LARGE_PAGE;
    void *raw = mmap(nullptr, asked, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    char *base = static_cast<char *>(raw);
    char *aligned = reinterpret_cast<char *>((reinterpret_cast<uintptr_t>(base) + LARGE_PAGE - 1) &
                                             ~(uintptr_t)(LARGE_PAGE - 1));
    if (aligned > base)
        munmap(base, (size_t)(aligned - base));
    const size_t tail = (size_t)(base + asked - (aligned + bytes));
    if (tail > 0)
        munmap(aligned + bytes, tail);
    return aligned;
}

void unmapTableMemory(void *table, size_t bytes) {
    if (table)
        munmap(table, bytes);
}
#else
// Without anonymous mappings the memory comes from the allocator, zeroed by hand.
void *mapTableMemory(size_t bytes) {
    const size_t rounded = (bytes + LARGE_PAGE - 1) & ~(LARGE_PAGE - 1);
    void *p = std::aligned_alloc(LARGE_PAGE, rounded);
    if (p)
        std::memset(p, 0, bytes);
    return p;
}

void unmapTableMemory(void *table, size_t bytes) {
    (void)bytes;
    std::free(table);
}
#endif

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
