#include "help_engine.h"

#include <cstring>

#include "settings.h"

int gHelpUsed;

namespace {

typedef HWND(WINAPI *HtmlHelpProc)(HWND, LPCSTR, UINT, DWORD_PTR);

HMODULE gHtmlHelpLibrary;
HtmlHelpProc gHtmlHelp;
bool gHtmlHelpMissing;  // looked for once; not there

HtmlHelpProc FindHtmlHelp() {
    if (!gHtmlHelp && !gHtmlHelpMissing) {
        UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        gHtmlHelpLibrary = LoadLibraryA("hhctrl.ocx");
        SetErrorMode(oldMode);
        if (gHtmlHelpLibrary)
            gHtmlHelp = reinterpret_cast<HtmlHelpProc>(reinterpret_cast<void *>(GetProcAddress(gHtmlHelpLibrary, "HtmlHelpA")));
        if (!gHtmlHelp) {
            gHtmlHelpMissing = true;
            UnloadHtmlHelp();
        }
    }
    return gHtmlHelp;
}

constexpr UINT kHtmlHelpPopupContextMenu = 16;
constexpr UINT kHtmlHelpPopupWmHelp = 17;

}  // namespace

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
    size_t length = std::strlen(file);
    UINT_PTR result = 0;
    if (length >= 2 && (file[length - 1] == 'p' || file[length - 1] == 'P')) {
        result = WinHelpA(owner, file, command, data);
    } else if (HtmlHelpProc htmlHelp = FindHtmlHelp()) {
        UINT mapped = HtmlHelpCommand(command);
        bool popup = mapped == kHtmlHelpPopupContextMenu || mapped == kHtmlHelpPopupWmHelp;
        result = reinterpret_cast<UINT_PTR>(htmlHelp(gHelpOnTop || popup ? owner : nullptr, file, mapped, data));
    }
    gHelpUsed = 1;
    return result;
}

void UnloadHtmlHelp() {
    if (gHtmlHelpLibrary) FreeLibrary(gHtmlHelpLibrary);
    gHtmlHelpLibrary = nullptr;
    gHtmlHelp = nullptr;
}
