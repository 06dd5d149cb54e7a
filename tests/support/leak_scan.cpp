// A leak check for the host tests where LeakSanitizer cannot run: it stops
// the process's threads through ptrace, which the user-mode emulator does not
// provide. With VR_LEAK_SCAN=1 the sanitizer runtime's allocation hooks record
// every live block; at exit the blocks are marked reachable from the data
// segments, the stack and the thread block, conservatively and transitively
// as LeakSanitizer does (a word that points anywhere into a block keeps it),
// and every block left unmarked is reported with its allocation stack, which
// AddressSanitizer keeps. A leak ends the program with LeakSanitizer's code.
//
// The hooks run inside malloc: the table lives in pages of its own, never on
// the heap (nor is it scanned, which would keep every block alive).
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>

#include <link.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int __sanitizer_install_malloc_and_free_hooks(
    void (*malloc_hook)(const volatile void *, size_t), void (*free_hook)(const volatile void *));

namespace {

constexpr int kLeakExitCode = 23;  // LeakSanitizer's own

struct Block {
    uintptr_t begin;
    size_t size;  // 0 with begin == 0: empty slot; begin == kTombstone: freed slot
    uint8_t mark;
};
constexpr uintptr_t kTombstone = 1;
enum : uint8_t { kUnreached, kReachable, kIndirect };

Block *gTable;
size_t gCapacity;  // a power of two
size_t gUsed;      // live and tombstone slots
size_t gLive;
std::atomic_flag gLock = ATOMIC_FLAG_INIT;
bool gOverflowed;  // the pages could not be had: the scan says nothing
bool gScanning;    // the hooks cannot be removed: from here on they do nothing

void *MapPages(size_t bytes) {
    void *p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

size_t SlotOf(uintptr_t p, size_t capacity) { return (p >> 3) * 2654435761u & (capacity - 1); }

void PutSlot(Block *table, size_t capacity, uintptr_t p, size_t size) {
    for (size_t i = SlotOf(p, capacity);; i = (i + 1) & (capacity - 1))
        if (table[i].begin == 0 || table[i].begin == kTombstone || table[i].begin == p) {
            table[i] = {p, size, kUnreached};
            return;
        }
}

bool Grow() {
    const size_t capacity = gCapacity ? gCapacity * 2 : 1 << 16;
    Block *table = static_cast<Block *>(MapPages(capacity * sizeof(Block)));
    if (!table) return false;
    for (size_t i = 0; i < gCapacity; ++i)
        if (gTable[i].begin > kTombstone) PutSlot(table, capacity, gTable[i].begin, gTable[i].size);
    if (gTable) munmap(gTable, gCapacity * sizeof(Block));
    gTable = table;
    gCapacity = capacity;
    gUsed = gLive;
    return true;
}

void Lock() {
    while (gLock.test_and_set(std::memory_order_acquire)) {
    }
}
void Unlock() { gLock.clear(std::memory_order_release); }

void OnMalloc(const volatile void *ptr, size_t size) {
    const uintptr_t p = reinterpret_cast<uintptr_t>(ptr);
    if (p <= kTombstone) return;
    Lock();
    if (gScanning) return Unlock();
    if (!gOverflowed && (gUsed + 1) * 2 > gCapacity && !Grow()) gOverflowed = true;
    if (!gOverflowed) {
        size_t i = SlotOf(p, gCapacity);
        while (gTable[i].begin != 0 && gTable[i].begin != p) i = (i + 1) & (gCapacity - 1);
        if (gTable[i].begin == 0) ++gUsed;
        if (gTable[i].begin != p) ++gLive;
        gTable[i] = {p, size, kUnreached};
    }
    Unlock();
}

void OnFree(const volatile void *ptr) {
    const uintptr_t p = reinterpret_cast<uintptr_t>(ptr);
    if (p <= kTombstone) return;
    Lock();
    if (gScanning) return Unlock();
    if (!gOverflowed)
        for (size_t i = SlotOf(p, gCapacity); gTable[i].begin != 0; i = (i + 1) & (gCapacity - 1))
            if (gTable[i].begin == p) {
                gTable[i].begin = kTombstone;
                --gLive;
                break;
            }
    Unlock();
}

// ---------------------------------------------------------------- the scan
// Live blocks sorted by address, for the search of the block a word points
// into, and a stack of blocks still to scan.
Block *gSorted;
size_t gSortedCount;
Block **gPending;
size_t gPendingCount;

Block *BlockAt(uintptr_t word) {
    size_t lo = 0, hi = gSortedCount;
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (gSorted[mid].begin <= word)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == 0) return nullptr;
    Block *b = &gSorted[lo - 1];
    return word < b->begin + (b->size ? b->size : 1) ? b : nullptr;
}

// Words are read wherever they lie, redzones and all: no checking here.
__attribute__((no_sanitize_address)) void ScanRange(uintptr_t begin, uintptr_t end, uint8_t mark) {
    begin = (begin + sizeof(void *) - 1) & ~(sizeof(void *) - 1);
    for (uintptr_t a = begin; a + sizeof(void *) <= end; a += sizeof(void *)) {
        Block *b = BlockAt(*reinterpret_cast<const uintptr_t *>(a));
        if (!b || b->mark != kUnreached) continue;
        b->mark = mark;
        gPending[gPendingCount++] = b;
    }
}

void Drain(uint8_t mark) {
    while (gPendingCount > 0) {
        Block *b = gPending[--gPendingCount];
        ScanRange(b->begin, b->begin + b->size, mark);
    }
}

int ScanWritableSegments(struct dl_phdr_info *info, size_t, void *) {
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr) &ph = info->dlpi_phdr[i];
        if (ph.p_type != PT_LOAD || !(ph.p_flags & PF_W)) continue;
        const uintptr_t begin = info->dlpi_addr + ph.p_vaddr;
        ScanRange(begin, begin + ph.p_memsz, kReachable);
    }
    return 0;
}

// The mapping that holds `address`, from the process's own map.
bool MappingOf(uintptr_t address, uintptr_t &begin, uintptr_t &end) {
    FILE *maps = std::fopen("/proc/self/maps", "r");
    if (!maps) return false;
    char line[512];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, maps)) {
        unsigned long long b, e;
        if (std::sscanf(line, "%llx-%llx", &b, &e) == 2 && b <= address && address < e) {
            begin = static_cast<uintptr_t>(b);
            end = static_cast<uintptr_t>(e);
            found = true;
        }
    }
    std::fclose(maps);
    return found;
}

int CompareBlocks(const void *a, const void *b) {
    const uintptr_t x = static_cast<const Block *>(a)->begin, y = static_cast<const Block *>(b)->begin;
    return x < y ? -1 : x > y;
}

void ReportLeak(const Block &b) {
    std::fprintf(stderr, "\nDirect leak of %zu byte(s) in 1 object(s) allocated from:\n", b.size);
    void *trace[32];
    int thread = 0;
    const size_t frames =
        __asan_get_alloc_stack(reinterpret_cast<void *>(b.begin), trace, 32, &thread);
    for (size_t i = 0; i < frames; ++i) {
        char where[512];
        __sanitizer_symbolize_pc(trace[i], "%p in %f %L", where, sizeof where);
        std::fprintf(stderr, "    #%zu %s\n", i, where);
    }
}

__attribute__((no_sanitize_address)) void ScanAtExit() {
    Lock();
    gScanning = true;
    Unlock();
    if (gOverflowed) {
        std::fprintf(stderr, "leak scan: its table could not grow; no leaks were looked for\n");
        return;
    }
    gSorted = static_cast<Block *>(MapPages((gLive + 1) * sizeof(Block)));
    gPending = static_cast<Block **>(MapPages((gLive + 1) * sizeof(Block *)));
    if (!gSorted || !gPending) return;
    for (size_t i = 0; i < gCapacity; ++i)
        if (gTable[i].begin > kTombstone) gSorted[gSortedCount++] = gTable[i];
    std::qsort(gSorted, gSortedCount, sizeof(Block), CompareBlocks);

    // Roots: the data segments of every module, this thread's stack from
    // here up, and the thread block with its thread-local data and keys.
    dl_iterate_phdr(ScanWritableSegments, nullptr);
    uintptr_t begin, end;
    const uintptr_t here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (MappingOf(here, begin, end)) ScanRange(here, end, kReachable);
    const uintptr_t self = static_cast<uintptr_t>(pthread_self());
    if (MappingOf(self, begin, end)) ScanRange(begin, end, kReachable);
    Drain(kReachable);

    // What an unreached block keeps is an indirect leak: only the heads are told.
    for (size_t i = 0; i < gSortedCount; ++i) {
        if (gSorted[i].mark != kUnreached) continue;
        ScanRange(gSorted[i].begin, gSorted[i].begin + gSorted[i].size, kIndirect);
        Drain(kIndirect);
    }
    size_t directBytes = 0, directCount = 0, indirectBytes = 0;
    for (size_t i = 0; i < gSortedCount; ++i) {
        if (gSorted[i].mark == kUnreached) {
            ReportLeak(gSorted[i]);
            directBytes += gSorted[i].size;
            ++directCount;
        } else if (gSorted[i].mark == kIndirect) {
            indirectBytes += gSorted[i].size;
        }
    }
    if (directCount == 0 && indirectBytes == 0) return;
    std::fprintf(stderr,
                 "\nleak scan: %zu byte(s) leaked in %zu direct allocation(s), "
                 "%zu byte(s) more reachable only from them\n",
                 directBytes, directCount, indirectBytes);
    std::fflush(stderr);
    _exit(kLeakExitCode);
}

// Before any test's static objects exist, so the scan runs after their
// destructors: what they free is no leak.
__attribute__((constructor(101))) void InstallLeakScan() {
    const char *on = std::getenv("VR_LEAK_SCAN");
    if (!on || std::strcmp(on, "1") != 0) return;
    if (!Grow()) return;
    __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
    std::atexit(ScanAtExit);
}

}  // namespace
