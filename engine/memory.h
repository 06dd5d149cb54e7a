// Every heap block and owned string of the main program is held in exactly one
// slot (a pointer variable or field) and released through it; a null slot
// means nothing is held. When the heap runs out, the current solver method's
// working storage goes first; if that is not enough the user is told once and
// the caller carries on with a null pointer.
#pragma once
#include <cstddef>

// Set by ReportOutOfMemory; cleared only by code that starts a batch of
// AllocArray calls. While set, AllocArray does nothing, so a failing batch
// reports once and its owner tests the flag afterwards.
extern int gOutOfMemory;

// Zero-filled block. On failure releases the solver method's storage and
// tries once more; then reports and returns null. The caller owns the block.
void *AllocZeroed(size_t bytes);

// AllocZeroed of chars + 1 bytes.
char *AllocTextBuffer(size_t chars);

void ReportOutOfMemory();

// Raw forms on untyped slots; the typed templates below are what callers use.
void FreeAndNullRaw(void **slot);
void AllocArrayRaw(void **slot, size_t count, size_t elementSize);
int ResizeBlockRaw(void **slot, size_t bytes);

// Frees what the slot holds and clears it; an empty slot is left alone.
template <class T> inline void FreeAndNull(T *&slot) {
    void *p = const_cast<void *>(static_cast<const void *>(slot));
    FreeAndNullRaw(&p);
    slot = static_cast<T *>(p);
}

// If gOutOfMemory is set: returns, slot untouched. Else frees the slot and,
// unless count or size is 0, stores a zero-filled count x size block in it;
// on failure reports (no retry) and leaves the slot null.
template <class T> inline void AllocArray(T *&slot, size_t count, size_t elementSize = sizeof(T)) {
    void *p = slot;
    AllocArrayRaw(&p, count, elementSize);
    slot = static_cast<T *>(p);
}

// Resizes the held block (an empty slot gets a new zero-filled one), keeping
// contents up to the smaller size. 1 on success; on failure 0, the slot is
// null and the user has been told.
template <class T> inline int ResizeBlock(T *&slot, size_t bytes) {
    void *p = slot;
    int ok = ResizeBlockRaw(&p, bytes);
    slot = static_cast<T *>(p);
    return ok;
}

// Frees the slot, then stores text (a heap string from AllocZeroed or
// AllocTextBuffer whose ownership the caller gives up) shrunk to its length
// plus one. Null text leaves the slot null. Retries once after releasing the
// solver method's storage.
void AdoptStringBuffer(char *&slot, char *text);

// Frees the slot, then stores an owned copy of text; null or "" leaves the
// slot null. Reports at the first failure.
void SetNonEmptyStringCopy(char *&slot, const char *text);

// The slot points at text the caller does not own (shared or static): replace
// it by an owned copy. The old pointer is not freed. On failure the slot keeps
// the old pointer.
void MakeOwnedCopy(char *&slot);

// Copies text into one shared buffer with backslash escapes replaced
// (DecodeEscapes, escapes.h); null
// gives "". The result stays valid until the next call. A text longer than
// any problem can store is cut at the buffer's end.
const char *UnescapeFormat(const char *text);

// The number of conversions in a user's format when each is one of a double
// (flags, at most three digits of width and of precision, an optional "l",
// then e, f, g or a in either case) and the rest is text or "%%"; -1 for
// anything else. Formats from files pass here before they reach printf.
int CountDoubleConversions(const char *format);

// ParseEscapeDigits (escapes.h), but leaves *pos on the last digit read.
unsigned char ParseDigits(const char **pos, int base, int maxDigits);

// Escapes only shorten a text, so this holds any value a problem-file line
// can carry (20480 characters).
constexpr size_t kUnescapeBufferSize = 20481;
