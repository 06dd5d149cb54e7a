#include "help_engine.h"

#include <cstdio>
#include <cstring>

#include "settings.h"

int gHelpUsed;
char gExamplesFolder[MAX_PATH];
HelpEngines gHelpEngines = {WinHelpA, "hhctrl.ocx"};

namespace {

typedef HWND(WINAPI *HtmlHelpProc)(HWND, LPCSTR, UINT, DWORD_PTR);

HMODULE gHtmlHelpLibrary;
HtmlHelpProc gHtmlHelp;
bool gHtmlHelpMissing;  // looked for once; not there

HtmlHelpProc FindHtmlHelp() {
    if (!gHtmlHelp && !gHtmlHelpMissing) {
        UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        gHtmlHelpLibrary = LoadLibraryA(gHelpEngines.htmlHelpLibrary);
        SetErrorMode(oldMode);
        if (gHtmlHelpLibrary)
            gHtmlHelp = reinterpret_cast<HtmlHelpProc>(reinterpret_cast<void *>(GetProcAddress(gHtmlHelpLibrary, "HtmlHelpA")));
        if (!gHtmlHelp) {
            UnloadHtmlHelp();
            gHtmlHelpMissing = true;
        }
    }
    return gHtmlHelp;
}

constexpr UINT kHtmlHelpPopupContextMenu = 16;
constexpr UINT kHtmlHelpPopupWmHelp = 17;

}  // namespace

void SetExamplesDirectory() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    char *slash = std::strrchr(path, '\\');
    if (!slash) return;
    slash[1] = 0;
    // A folder name too long for the buffer is left unset, never cut.
    if (std::strlen(path) + sizeof "Examples" > sizeof gExamplesFolder) return;
    std::snprintf(gExamplesFolder, sizeof gExamplesFolder, "%sExamples", path);
}

void SetCurrentFolder(const char *path) {
    if (!path || !*path) return;
    if (path[0] && path[1] == ':') {
        const char drive[4] = {path[0], ':', 0, 0};
        SetCurrentDirectoryA(drive);
    }
    SetCurrentDirectoryA(path);
}

UINT HtmlHelpCommand(UINT command) {
    switch (command) {
    case 2: return 18;    // quit: close all
    case 3: return 1;     // index: display index
    case 10: return kHtmlHelpPopupContextMenu;
    case 11: return 0;    // finder: display topic
    case 12: return kHtmlHelpPopupWmHelp;
    case 261: return 2;   // partial key: display search
    default: return 15;   // help context
    }
}

UINT_PTR ShowHelp(HWND owner, const char *file, UINT command, ULONG_PTR data) {
    if (!file || !*file) return 0;
    // Help files name example problems relative to the examples folder.
    char previous[MAX_PATH];
    const DWORD kept = GetCurrentDirectoryA(sizeof previous, previous);
    if (!*gExamplesFolder) SetExamplesDirectory();
    SetCurrentFolder(gExamplesFolder);
    size_t length = std::strlen(file);
    UINT_PTR result = 0;
    if (length >= 2 && (file[length - 1] == 'p' || file[length - 1] == 'P')) {
        result = gHelpEngines.winHelp(owner, file, command, data);
    } else if (HtmlHelpProc htmlHelp = FindHtmlHelp()) {
        UINT mapped = HtmlHelpCommand(command);
        bool popup = mapped == kHtmlHelpPopupContextMenu || mapped == kHtmlHelpPopupWmHelp;
        result = reinterpret_cast<UINT_PTR>(htmlHelp(gHelpOnTop || popup ? owner : nullptr, file, mapped, data));
    }
    if (kept > 0 && kept < sizeof previous) SetCurrentFolder(previous);
    gHelpUsed = 1;
    return result;
}

void UnloadHtmlHelp() {
    if (gHtmlHelpLibrary) FreeLibrary(gHtmlHelpLibrary);
    gHtmlHelpLibrary = nullptr;
    gHtmlHelp = nullptr;
    gHtmlHelpMissing = false;
}
