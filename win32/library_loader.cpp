#include "library_loader.h"

HMODULE LoadLibrarySilently(const char *path) {
    if (!path || !path[0]) return nullptr;
    UINT previous = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    // SetErrorMode replaces the whole mode: keep the flags already in force.
    SetErrorMode(previous | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(path);
    SetErrorMode(previous);
    return module;
}
