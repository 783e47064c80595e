// Large hash tables emptied by the lines written since they were last emptied.
#pragma once

#include <cstddef>
#include <cstdint>

// A table is cleared in lines of this many bytes; an entry must lie inside one line.
constexpr size_t TABLE_LINE = 64;
// Words of the written-lines map of a table of `bytes`.
constexpr size_t writtenMapWords(size_t bytes) { return (bytes / TABLE_LINE + 63) / 64; }

// Notes that the entry at `offset` bytes into its table is being written.
inline void markWritten(uint64_t *written, size_t offset) {
    const size_t line = offset / TABLE_LINE;
    written[line >> 6] |= 1ULL << (line & 63);
}
// Alignment of the large tables: the size of a large memory page.
constexpr size_t LARGE_PAGE = 2 * 1024 * 1024;
// Asks the system to back a large table with large pages, once, before it is first touched:
// probes land at random all over the table, and with small pages nearly every one of them
// also misses the address translation cache. Does nothing where the system has no such pages.
void adviseLargePages(void *table, size_t bytes);
// Maps `bytes` of zeroed memory aligned to LARGE_PAGE for a table whose size is chosen at run
// time; the system backs a page only when it is first touched. Null when refused.
void *mapTableMemory(size_t bytes);
// Returns a mapping of mapTableMemory (of the same `bytes`) to the system.
void unmapTableMemory(void *table, size_t bytes);

// Zeroes every line of the table that the map marks, and the map with it. A search writes
// a small part of a large table, so this is much cheaper than zeroing the whole of it.
void clearWrittenLines(void *table, size_t bytes, uint64_t *written);
