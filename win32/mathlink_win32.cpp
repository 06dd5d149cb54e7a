#include "mathlink_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "library_loader.h"
#include "settings_files.h"

namespace {

HCURSOR gSavedCursor;

void *LoadLinkLibrary(const char *path) { return LoadLibrarySilently(path); }

void *FindLinkProc(void *module, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void FreeLinkLibrary(void *module) { FreeLibrary(static_cast<HMODULE>(module)); }

// Started and left to run; CreateProcess may write into the command line.
void StartCommandLine(const char *commandLine) {
    char line[kMathLinkTextSize];
    if (std::snprintf(line, sizeof line, "%s", commandLine) >= static_cast<int>(sizeof line)) return;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

void ShowWait() { gSavedCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT)); }
void RestoreSaved() { SetCursor(gSavedCursor); }
unsigned Ticks() { return GetTickCount(); }
void SleepFor(unsigned milliseconds) { Sleep(milliseconds); }

// The default value of a key below HKEY_CLASSES_ROOT; false when absent or
// too long.
bool ClassesValue(const char *key, char *out, LONG size) {
    return RegQueryValueA(HKEY_CLASSES_ROOT, key, out, &size) == ERROR_SUCCESS && size > 0 && out[size - 1] == 0;
}

// The folder of the program that opens ".nb" documents, with its trailing
// backslash.
bool InstallationFolder(char *folder, size_t size) {
    char type[MAX_PATH], key[MAX_PATH + 32], command[1024];
    if (!ClassesValue(".nb", type, sizeof type) || !type[0]) return false;
    std::snprintf(key, sizeof key, "%s\\shell\\open\\command", type);
    if (!ClassesValue(key, command, sizeof command)) return false;
    // The program's own path: inside its quotes when quoted, so that a
    // backslash among the arguments does not count.
    const char *program = command;
    if (*program == '"') {
        ++program;
        if (char *end = std::strchr(command + 1, '"')) *end = 0;
    }
    const char *last = std::strrchr(program, '\\');
    if (!last || static_cast<size_t>(last + 1 - program) >= size) return false;
    std::snprintf(folder, size, "%.*s", static_cast<int>(last + 1 - program), program);
    return true;
}

// Sets field to folder + each candidate that exists, later ones winning; a
// path too long for the field is never cut, only passed over.
void SetExisting(char *field, const char *folder, const char *file, const char *const *subfolders, int count) {
    for (int i = 0; i < count; ++i) {
        char path[kMathLinkPathSize];
        if (std::snprintf(path, sizeof path, "%s%s%s", folder, subfolders[i], file) >= static_cast<int>(sizeof path))
            continue;
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) std::strcpy(field, path);
    }
}

void SetIfEmpty(char *field, const char *value) {
    if (!field[0]) std::strcpy(field, value);
}

}  // namespace

void InstallWin32MathLinkHost() {
    gMathLinkHost.loadLibrary = LoadLinkLibrary;
    gMathLinkHost.findProc = FindLinkProc;
    gMathLinkHost.freeLibrary = FreeLinkLibrary;
    gMathLinkHost.startCommand = StartCommandLine;
    gMathLinkHost.showWaitCursor = ShowWait;
    gMathLinkHost.restoreCursor = RestoreSaved;
    gMathLinkHost.tickCount = Ticks;
    gMathLinkHost.sleep = SleepFor;
}

void ReadMathLinkSettings() {
    for (int i = 0; i < kMathLinkSettingKeyCount; ++i) {
        const MathLinkSettingKey &k = kMathLinkSettingKeys[i];
        if (k.value) {
            const int v = ReadSettingInt(kMathLinkSection, k.key, 0, kSettingsShared);
            *k.value = v >= 0 && v <= k.maxValue ? v : 0;
        } else {
            ReadSettingString(kMathLinkSection, k.key, "", k.text, k.size, kSettingsShared);
        }
    }
}

void WriteMathLinkSettings() {
    for (int i = 0; i < kMathLinkSettingKeyCount; ++i) {
        const MathLinkSettingKey &k = kMathLinkSettingKeys[i];
        if (k.value) {
            const char digit[2] = {static_cast<char>('0' + (*k.value >= 0 && *k.value <= k.maxValue ? *k.value : 0)), 0};
            WriteSettingString(kMathLinkSection, k.key, digit, kSettingsShared);
        } else {
            WriteSettingString(kMathLinkSection, k.key, k.text, kSettingsShared);
        }
    }
}

int DetectMathematicaPaths(MathLinkSettings *fields) {
    char folder[kMathLinkPathSize];
    const bool found = InstallationFolder(folder, sizeof folder);
    if (found) {
        static const char *const kSubfolders[] = {
            "AddOns\\MathLink\\DeveloperKit\\Windows\\SystemAdditions\\",
            "SystemFiles\\Links\\MathLink\\DeveloperKit\\Windows\\SystemAdditions\\",
        };
        static const char *const kHere[] = {""};
        SetExisting(fields->library[kMathLinkLocal], folder, "ml32i1.dll", kSubfolders, 2);
        SetExisting(fields->library[kMathLinkTcp], folder, "ml32i1.dll", kSubfolders, 2);
        SetExisting(fields->protocolModule[kMathLinkLocal], folder, "mlmap32.mlp", kSubfolders, 2);
        SetExisting(fields->protocolModule[kMathLinkTcp], folder, "mltcp32.mlp", kSubfolders, 2);
        SetExisting(fields->kernel, folder, "MathKernel.exe", kHere, 1);
    }
    SetIfEmpty(fields->before[kMathLinkLocal], "-linkname");
    SetIfEmpty(fields->after[kMathLinkLocal], "-mathlink");
    SetIfEmpty(fields->linkName, "1024");
    return found ? 1 : 0;
}
