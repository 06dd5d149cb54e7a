#include "math_libraries.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "help_engine.h"
#include "library_loader.h"
#include "math_plugins.h"
#include "memory.h"
#include "messages.h"
#include "settings_files.h"
#include "string_ids.h"
#include "window_helpers.h"

const char kMathLibrariesSection[] = "Math libraries";
const char kMathHelpSection[] = "Math help";
const char kDefaultMathLibraryKey[] = "Elliptic";
const char kDefaultMathLibraryPath[] = ":Elliptic.dll";

MathLibrary *gMathLibraries;
int gMathLibraryCount;

namespace {

// Longer than any path Windows loads, so that an overlong value still reaches
// the loader and gets the not-found message rather than a cut name.
constexpr int kLibraryPathSize = 1024;
constexpr UINT kHelpContents = 3;

// The separator goes in with the first help item and out with the last.
bool gHelpSeparatorShown;

// A new installation has no shared settings file yet: give it the default
// list, so that the elliptic functions are there without any set-up. Once
// the file exists its list is the user's, even when emptied.
void SeedDefaultList() {
    const char *path = gSettingsLocations.file[kSettingsShared];
    if (!path[0] || GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return;
    WriteSettingString(kMathLibrariesSection, kDefaultMathLibraryKey, kDefaultMathLibraryPath, kSettingsShared);
}

// Allocates the plug-in table with an owned copy of every key, in file order.
// The key list lives in a shared buffer, so it is copied before anything
// that could show a box (and so pump messages) runs.
bool ReadLibraryNames() {
    int count = 0;
    for (const char *k = EnumSettingsKeys(kMathLibrariesSection, 0, kSettingsShared); *k;
         k = EnumSettingsKeys(kMathLibrariesSection, 1, kSettingsShared))
        ++count;
    if (count == 0) return false;
    AllocArray(gMathLibraries, count);
    if (!gMathLibraries) return false;
    // Read again: the count holds only as long as the file stays as it was.
    const char *k = EnumSettingsKeys(kMathLibrariesSection, 0, kSettingsShared);
    while (gMathLibraryCount < count && *k && !gOutOfMemory) {
        SetNonEmptyStringCopy(gMathLibraries[gMathLibraryCount].name, k);
        if (gMathLibraries[gMathLibraryCount].name) ++gMathLibraryCount;
        k = EnumSettingsKeys(kMathLibrariesSection, 1, kSettingsShared);
    }
    return gMathLibraryCount > 0 && !gOutOfMemory;
}

// "...", then the end of text, where the file name is, when text is longer
// than max characters.
const char *TailForMessage(const char *text, size_t max, char *out, size_t outSize) {
    size_t length = std::strlen(text);
    if (length <= max) return text;
    std::snprintf(out, outSize, "...%s", text + length - (max - 3));
    return out;
}

void ReportLibraryNotFound(const char *path) {
    // The box holds kMessageBufferSize bytes: keep the whole sentence and cut
    // the path at its front instead.
    const size_t formatLength = std::strlen(LoadTextResource(IDS_MATH_LIBRARY_NOT_FOUND));
    const size_t room = kMessageBufferSize - 1 - (formatLength > 2 ? formatLength - 2 : 0);
    char shortened[kMessageBufferSize];
    ShowErrorBoxFormatted(IDS_MATH_LIBRARY_NOT_FOUND, TailForMessage(path, room, shortened, sizeof shortened));
}

void AddHelpMenuItem(int index) {
    HMENU help = GetFrameSubmenu(kMathHelpSubmenu);
    if (!help) return;
    if (!gHelpSeparatorShown) AppendMenuA(help, MF_SEPARATOR, kMathHelpSeparatorCommand, nullptr);
    gHelpSeparatorShown = true;
    AppendMenuA(help, MF_STRING, kMathHelpFirstCommand + index, gMathLibraries[index].name);
}

void RemoveHelpMenuItem(int index) {
    HMENU help = GetFrameSubmenu(kMathHelpSubmenu);
    if (!help) return;
    DeleteMenu(help, kMathHelpFirstCommand + index, MF_BYCOMMAND);
    if (gHelpSeparatorShown) DeleteMenu(help, kMathHelpSeparatorCommand, MF_BYCOMMAND);
    gHelpSeparatorShown = false;
}

bool IsUsableRecord(const MathFunctionEntry *e) {
    if (!e->name || !e->function) return false;
    if (e->argumentCount < 0 || e->argumentCount > kMaxMathFunctionArguments) return false;
    size_t length = strnlen(e->name, kMaxMathFunctionNameLength + 1);
    return length > 0 && length <= kMaxMathFunctionNameLength;
}

// The plain export name first, then the stdcall-decorated one.
GetParamDllFunction FindGetParamDll(HMODULE module) {
    FARPROC found = GetProcAddress(module, VR_MATH_ENTRY_NAME);
    if (!found) found = GetProcAddress(module, VR_MATH_ENTRY_DECORATED_NAME);
    return reinterpret_cast<GetParamDllFunction>(reinterpret_cast<void *>(found));
}

// Appends the plug-in's usable records to gMathFunctions. The list is
// counted first (up to the null that ends it, or the cap) so that the table
// grows once per library. False when the table could not grow: it is then
// empty.
bool CollectFunctions(HMODULE module) {
    GetParamDllFunction get = FindGetParamDll(module);
    if (!get) return true;
    int listed = 0;
    while (listed < kMaxMathFunctionsPerLibrary && get(listed)) ++listed;
    if (listed == 0) return true;
    const size_t bytes = (static_cast<size_t>(gMathFunctionCount) + listed) * sizeof(MathFunctionEntry);
    if (!ResizeBlock(gMathFunctions, bytes)) {
        gMathFunctionCount = 0;
        return false;
    }
    // Asked again: a plug-in that now ends its list early adds fewer records.
    for (int i = 0; i < listed; ++i) {
        const MathFunctionEntry *e = get(i);
        if (!e) break;
        if (IsUsableRecord(e)) gMathFunctions[gMathFunctionCount++] = *e;
    }
    return true;
}

}  // namespace

void LoadMathLibraries() {
    UnloadMathLibraries();
    gOutOfMemory = 0;
    SeedDefaultList();
    if (!ReadLibraryNames()) {
        UnloadMathLibraries();
        return;
    }
    bool collecting = true;
    for (int i = 0; i < gMathLibraryCount; ++i) {
        MathLibrary &lib = gMathLibraries[i];
        char path[kLibraryPathSize];
        ReadSettingString(kMathLibrariesSection, lib.name, "", path, sizeof path, kSettingsShared);
        lib.module = LoadLibrarySilently(path);
        if (!lib.module) {
            // An empty value names no file: name the entry instead.
            ReportLibraryNotFound(path[0] ? path : lib.name);
            continue;
        }
        char help[kLibraryPathSize];
        ReadSettingString(kMathHelpSection, lib.name, "", help, sizeof help, kSettingsShared);
        SetNonEmptyStringCopy(lib.helpFile, help);
        if (lib.helpFile) AddHelpMenuItem(i);
        if (collecting) collecting = CollectFunctions(lib.module);
    }
}

void UnloadMathLibraries() {
    for (int i = gMathLibraryCount - 1; i >= 0; --i) {
        MathLibrary &lib = gMathLibraries[i];
        if (lib.helpFile) RemoveHelpMenuItem(i);
        FreeAndNull(lib.helpFile);
        FreeAndNull(lib.name);
        if (lib.module) FreeLibrary(lib.module);
        lib.module = nullptr;
    }
    // The names in gMathFunctions belonged to the libraries just freed.
    FreeAndNull(gMathFunctions);
    gMathFunctionCount = 0;
    FreeAndNull(gMathLibraries);
    gMathLibraryCount = 0;
    gHelpSeparatorShown = false;
}

void OpenMathLibraryHelp(int index) {
    if (index < 0 || index >= gMathLibraryCount || !gMathLibraries[index].helpFile) return;
    ShowHelp(gMdiClient ? gMdiClient : gFrameWindow, gMathLibraries[index].helpFile, kHelpContents, 0);
}
