#include "memory.h"

#include <cstring>

#include "escapes.h"
#include "heap.h"
#include "messages.h"
#include "solver_method.h"
#include "string_ids.h"

int gOutOfMemory;

void ReportOutOfMemory() {
    ResetSolverMethod(0);
    gOutOfMemory = 1;
    ShowErrorBox(IDS_NOT_ENOUGH_MEMORY);
}

void *AllocZeroed(size_t bytes) {
    void *block = HeapAllocZeroed(bytes);
    if (!block) {
        // The method's stage, dense-output and history arrays can always be
        // rebuilt before the next run: give them up first.
        ResetSolverMethod(0);
        block = HeapAllocZeroed(bytes);
        if (!block) ReportOutOfMemory();
    }
    return block;
}

char *AllocTextBuffer(size_t chars) { return static_cast<char *>(AllocZeroed(chars + 1)); }

void FreeAndNullRaw(void **slot) {
    if (*slot) {
        HeapRelease(*slot);
        *slot = nullptr;
    }
}

void AllocArrayRaw(void **slot, size_t count, size_t elementSize) {
    if (gOutOfMemory) return;
    FreeAndNullRaw(slot);
    if (count == 0 || elementSize == 0) return;
    if (count > static_cast<size_t>(-1) / elementSize) {
        ReportOutOfMemory();
        return;
    }
    *slot = HeapAllocZeroed(count * elementSize);
    if (!*slot) ReportOutOfMemory();
}

int ResizeBlockRaw(void **slot, size_t bytes) {
    void *block = *slot ? HeapResize(*slot, bytes) : HeapAllocZeroed(bytes);
    if (!block) {
        FreeAndNullRaw(slot);
        ReportOutOfMemory();
        return 0;
    }
    *slot = block;
    return 1;
}

void AdoptStringBuffer(char *&slot, char *text) {
    void *old = slot;
    FreeAndNullRaw(&old);
    slot = nullptr;
    if (!text) return;
    size_t bytes = std::strlen(text) + 1;
    void *shrunk = HeapResize(text, bytes);
    if (!shrunk) {
        ResetSolverMethod(0);
        shrunk = HeapResize(text, bytes);
        if (!shrunk) {
            HeapRelease(text);
            ReportOutOfMemory();
            return;
        }
    }
    slot = static_cast<char *>(shrunk);
}

namespace {
char *CopyOfText(const char *text) {
    size_t bytes = std::strlen(text) + 1;
    char *copy = static_cast<char *>(HeapAllocZeroed(bytes));
    if (copy) std::memcpy(copy, text, bytes);
    else ReportOutOfMemory();
    return copy;
}
}  // namespace

void SetNonEmptyStringCopy(char *&slot, const char *text) {
    FreeAndNull(slot);
    if (text && *text) slot = CopyOfText(text);
}

void MakeOwnedCopy(char *&slot) {
    if (!slot) return;
    if (char *copy = CopyOfText(slot)) slot = copy;
}

unsigned char ParseDigits(const char **pos, int base, int maxDigits) {
    unsigned char value = ParseEscapeDigits(pos, base, maxDigits);
    --*pos;
    return value;
}

const char *UnescapeFormat(const char *text) {
    static char buffer[kUnescapeBufferSize];
    DecodeEscapes(text ? text : "", buffer, sizeof buffer);
    return buffer;
}

namespace {

// One printf conversion of a double at p (just past '%'); returns the end of
// it, or null when it is anything else.
const char *SkipDoubleConversion(const char *p) {
    while (*p && std::strchr("-+ #0", *p)) ++p;
    int digits = 0;
    while (*p >= '0' && *p <= '9') ++p, ++digits;
    if (digits > 3) return nullptr;
    if (*p == '.') {
        ++p;
        digits = 0;
        while (*p >= '0' && *p <= '9') ++p, ++digits;
        if (digits > 3) return nullptr;
    }
    if (*p == 'l') ++p;
    return *p && std::strchr("eEfFgGaA", *p) ? p + 1 : nullptr;
}

}  // namespace

int CountDoubleConversions(const char *format) {
    int conversions = 0;
    for (const char *p = format; *p; ++p) {
        if (*p != '%') continue;
        if (p[1] == '%') {
            ++p;
            continue;
        }
        const char *end = SkipDoubleConversion(p + 1);
        if (!end) return -1;
        ++conversions;
        p = end - 1;
    }
    return conversions;
}
