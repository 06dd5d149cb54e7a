#include "code_libraries.h"

#include <cstdio>
#include <cstring>

#include "library_loader.h"
#include "messages.h"
#include "problem_settings.h"
#include "run_engine.h"
#include "settings_files.h"
#include "solver_method.h"
#include "string_ids.h"

const char kCodeLibrariesSection[] = "Code libraries";
const char kCodeHelpSection[] = "Code help";
char gCodeLibraryHelpFile[MAX_PATH];

namespace {

// Longer than any path Windows loads, so that an overlong value still reaches
// the loader and gets the not-found message rather than a cut name.
constexpr int kLibraryPathSize = 1024;

struct EntryNames {
    const char *plain;
    const char *decorated;
};
// In the order of the pointers in SolverDllEntry after the module.
constexpr EntryNames kEntries[] = {
    {"InitDLL", "_InitDLL@16"},
    {"ParamDLL", "_ParamDLL@4"},
    {"EndDLL", "_EndDLL@0"},
    {"InterpolateDLL", "_InterpolateDLL@20"},
    {"SolveDLL", "_SolveDLL@60"},
    {"IterOrderDLL", "_IterOrderDLL@0"},
};

template <typename Proc>
void Find(HMODULE module, const char *name, Proc &slot) {
    slot = reinterpret_cast<Proc>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

void FindEntries(HMODULE module, bool decorated) {
    auto name = [decorated](int i) { return decorated ? kEntries[i].decorated : kEntries[i].plain; };
    Find(module, name(0), gSolverDll.InitDLL);
    Find(module, name(1), gSolverDll.ParamDLL);
    Find(module, name(2), gSolverDll.EndDLL);
    Find(module, name(3), gSolverDll.InterpolateDLL);
    Find(module, name(4), gSolverDll.SolveDLL);
    Find(module, name(5), gSolverDll.IterOrderDLL);
}

bool HasRequiredEntries() {
    return gSolverDll.InitDLL && gSolverDll.EndDLL && gSolverDll.InterpolateDLL && gSolverDll.SolveDLL;
}

// The box holds kMessageBufferSize bytes: keep the whole sentence and cut
// an overlong path at its front, where the folders are.
void ReportLibraryNotFound(const char *path) {
    const size_t formatLength = std::strlen(LoadTextResource(IDS_MATH_LIBRARY_NOT_FOUND));
    const size_t room = kMessageBufferSize - 1 - (formatLength > 2 ? formatLength - 2 : 0);
    char shortened[kMessageBufferSize];
    const size_t length = std::strlen(path);
    if (length > room) {
        std::snprintf(shortened, sizeof shortened, "...%s", path + length - (room - 3));
        path = shortened;
    }
    ShowErrorBoxFormatted(IDS_MATH_LIBRARY_NOT_FOUND, path);
}

}  // namespace

int OpenSolverDll(const char *path) {
    CloseSolverDll();
    HMODULE module = LoadLibrarySilently(path);
    if (module) {
        FindEntries(module, false);
        if (!HasRequiredEntries()) FindEntries(module, true);
    }
    if (!module || !HasRequiredEntries()) {
        if (module) FreeLibrary(module);
        gSolverDll = SolverDllEntry{};
        gCodeLibraryIndex = 0;
        ReportLibraryNotFound(path && path[0] ? path : "");
        return 0;
    }
    gSolverDll.module = module;
    gSolverHostInstance = GetModuleHandleA(nullptr);
    return 1;
}

void CloseSolverDll() {
    HMODULE module = static_cast<HMODULE>(gSolverDll.module);
    gSolverDll = SolverDllEntry{};
    if (module) FreeLibrary(module);
}

const char *CodeLibraryKey(int index) {
    static char key[kLibraryPathSize];
    if (index < 1) return nullptr;
    const char *k = EnumSettingsKeys(kCodeLibrariesSection, 0, kSettingsShared);
    for (int i = 1; *k && i < index; ++i) k = EnumSettingsKeys(kCodeLibrariesSection, 1, kSettingsShared);
    // A key too long to copy whole names no entry.
    if (!*k || std::strlen(k) >= sizeof key) return nullptr;
    std::strcpy(key, k);
    return key;
}

void SelectSolverLibrary(int index) {
    // The same choice again keeps the library and the values of its
    // parameters.
    // (A library that fell back to the built-in method is still freed.)
    if (index == gCodeLibraryIndex && (index == 0) == (gSolverDll.module == nullptr)) return;
    ResetSolverMethod(1);
    CloseSolverDll();
    gCodeLibraryIndex = 0;
    gCodeLibraryHelpFile[0] = 0;
    const char *key = CodeLibraryKey(index);
    char path[kLibraryPathSize];
    if (key) ReadSettingString(kCodeLibrariesSection, key, "", path, sizeof path, kSettingsShared);
    if (key && path[0]) {
        gCodeLibraryIndex = index;
        if (OpenSolverDll(path))
            ReadSettingString(kCodeHelpSection, key, "", gCodeLibraryHelpFile, MAX_PATH, kSettingsShared);
    }
    if (gCodeLibraryHooks.menuChanged) gCodeLibraryHooks.menuChanged(gCodeLibraryIndex ? key : "", gCodeLibraryHelpFile);
}
