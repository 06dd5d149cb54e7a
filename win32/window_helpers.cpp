#include "window_helpers.h"

#include <cstdio>

#include "help_engine.h"
#include "messages.h"
#include "settings.h"

HWND gFrameWindow;
HWND gMdiClient;
HWND gStatusBar;
RECT gCenterReference;

namespace {

constexpr int kMaxTitleNumber = 100;
char gTitle[MAX_PATH];
bool gTitleTaken;

constexpr UINT kRestoreCommand = 61728;  // SC_RESTORE of a maximised child
constexpr int kPagedDialogFrame = 20097;
constexpr int kPagedDialogGroup = 20099;
constexpr UINT kHelpContextMenu = 10;
constexpr UINT kHelpWmHelp = 12;

// The edit boxes of file names in the settings dialogs (25708 twice, as the
// dialogs list it).
const int kAutoCompleteIds[] = {25708, 25708, 26019, 29532, 29534, 29538, 29552, 29554, 29572, 29574};
constexpr DWORD kAutoCompleteFlags = 0x14;  // file system only, plus recently used

typedef HRESULT(WINAPI *SHAutoCompleteProc)(HWND, DWORD);
HMODULE gShlwapi;
SHAutoCompleteProc gSHAutoComplete;
bool gAutoCompleteMissing;

int PackPoint(POINT p) { return static_cast<int>((p.x & 0xFFFF) | (static_cast<unsigned>(p.y) << 16)); }
int PackSize(SIZE s) { return static_cast<int>((s.cx & 0xFFFF) | (static_cast<unsigned>(s.cy) << 16)); }

}  // namespace

BOOL CALLBACK MatchTitleProc(HWND window, LPARAM title) {
    if (GetParent(window) != gMdiClient || GetWindow(window, GW_OWNER)) return TRUE;
    char text[MAX_PATH];
    GetWindowTextA(window, text, sizeof text);
    if (lstrcmpA(text, reinterpret_cast<const char *>(title)) == 0) {
        gTitleTaken = true;
        return FALSE;
    }
    return TRUE;
}

const char *MakeUniqueTitle(int id) {
    char base[kMessageBufferSize];
    std::snprintf(base, sizeof base, "%s", LoadTextResource(id));
    for (int n = 1; n <= kMaxTitleNumber; ++n) {
        std::snprintf(gTitle, sizeof gTitle, "%s #%d", base, n);
        gTitleTaken = false;
        if (gMdiClient) EnumChildWindows(gMdiClient, MatchTitleProc, reinterpret_cast<LPARAM>(gTitle));
        if (!gTitleTaken) break;
    }
    return gTitle;
}

HMENU GetFrameSubmenu(int index) {
    HMENU menu = gFrameWindow ? GetMenu(gFrameWindow) : nullptr;
    if (!menu) return nullptr;
    HMENU first = GetSubMenu(menu, 0);
    if (first && GetMenuItemID(first, 0) == kRestoreCommand) ++index;
    return GetSubMenu(menu, index);
}

void FocusActiveChild() {
    HWND child = gMdiClient ? reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0, 0)) : nullptr;
    if (child) {
        SetFocus(child);
        if (GetFocus() == child) return;
    }
    if (gFrameWindow) SetFocus(gFrameWindow);
}

void ShowHelpTopic(int id) {
    HWND owner = gMdiClient ? gMdiClient : GetFocus();
    ShowHelp(owner, gHelpFile, HELP_CONTEXT, static_cast<ULONG_PTR>(id));
}

int WindowPartHelpTopic(int hitTest, int clientTopic) {
    switch (hitTest) {
    case HTNOWHERE: case HTCLIENT: case HTSIZE: case HTERROR: case HTTRANSPARENT: return clientTopic;
    case HTCAPTION: return kHelpCaption;
    case HTSYSMENU: return kHelpSystemMenu;
    case HTMENU: return kHelpMenuBar;
    case HTHSCROLL: case HTVSCROLL: return kHelpScrollBar;
    case HTMINBUTTON: return kHelpMinimizeBox;
    case HTMAXBUTTON: return kHelpMaximizeBox;
    case HTLEFT: case HTRIGHT: case HTTOP: case HTTOPLEFT: case HTTOPRIGHT: case HTBOTTOM: case HTBOTTOMLEFT:
    case HTBOTTOMRIGHT: case HTBORDER: return kHelpSizingBorder;
    default: return 0;
    }
}

bool ShowWindowPartHelp(int *helpMode, int hitTest, int clientTopic) {
    if (!*helpMode) return false;
    const int topic = WindowPartHelpTopic(hitTest, clientTopic);
    if (!topic) return false;
    *helpMode = 0;
    ShowHelpTopic(topic);
    return true;
}

void CenterDialogInFrame(HWND dialog) {
    RECT reference = gCenterReference;
    SetRectEmpty(&gCenterReference);
    if (IsRectEmpty(&reference) && gFrameWindow) {
        GetClientRect(gFrameWindow, &reference);
        MapWindowPoints(gFrameWindow, nullptr, reinterpret_cast<POINT *>(&reference), 2);
    }
    RECT window;
    GetWindowRect(dialog, &window);
    int dx = (reference.left + reference.right - window.left - window.right) / 2;
    int dy = (reference.top + reference.bottom - window.top - window.bottom) / 2;
    OffsetRect(&window, dx, dy);
    RECT desktop, inside;
    GetWindowRect(GetDesktopWindow(), &desktop);
    if (IntersectRect(&inside, &window, &desktop) && EqualRect(&inside, &window))
        SetWindowPos(dialog, nullptr, window.left, window.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsStaticControl(int id, HWND control) {
    if (id == -1 || id == 0xFFFF) return true;
    char cls[16];
    return GetClassNameA(control, cls, sizeof cls) && lstrcmpiA(cls, "static") == 0;
}

int ShowControlHelp(HWND control, HWND dialog, UINT command, int x, int y) {
    int asked = GetDlgCtrlID(control);
    HWND found = control;
    if (asked == kPagedDialogFrame || asked == kPagedDialogGroup) {
        POINT p = {x, y};
        ScreenToClient(dialog, &p);
        HWND child = ChildWindowFromPointEx(dialog, p, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
        if (child && child != dialog) found = child;
    }
    // Labels have no topics of their own: their help is the next control's.
    HWND start = found;
    while (found && IsStaticControl(GetDlgCtrlID(found), found)) {
        found = GetNextDlgTabItem(dialog, found, FALSE);
        if (found == start) break;
    }
    int topic = found ? GetDlgCtrlID(found) : asked;
    DWORD pairs[4] = {static_cast<DWORD>(asked), static_cast<DWORD>(topic), 0, 0};
    ShowHelp(dialog, gHelpFile, command, reinterpret_cast<ULONG_PTR>(pairs));
    return topic;
}

void OnDialogHelp(HWND dialog, const HELPINFO *info) {
    ShowControlHelp(static_cast<HWND>(info->hItemHandle), dialog, kHelpWmHelp, info->MousePos.x, info->MousePos.y);
}

void OnDialogContextMenu(HWND dialog, int x, int y, HWND control) {
    ShowControlHelp(control, dialog, kHelpContextMenu, x, y);
}

HRESULT CallSHAutoComplete(HWND edit, DWORD flags) {
    if (gAutoCompleteMissing || !IsWindow(edit)) return 0;
    if (!gSHAutoComplete) {
        gShlwapi = LoadLibraryA("SHLWAPI.DLL");
        if (gShlwapi)
            gSHAutoComplete = reinterpret_cast<SHAutoCompleteProc>(
                reinterpret_cast<void *>(GetProcAddress(gShlwapi, "SHAutoComplete")));
        if (!gSHAutoComplete) {
            gAutoCompleteMissing = true;
            return 0;
        }
    }
    return gSHAutoComplete(edit, flags);
}

void UnloadShlwapi() {
    if (gShlwapi) FreeLibrary(gShlwapi);
    gShlwapi = nullptr;
    gSHAutoComplete = nullptr;
}

void EnableAutoComplete(HWND dialog, int id) { CallSHAutoComplete(GetDlgItem(dialog, id), kAutoCompleteFlags); }

void EnableAutoCompleteAll(HWND dialog) {
    for (int id : kAutoCompleteIds)
        if (GetDlgItem(dialog, id)) EnableAutoComplete(dialog, id);
}

int SetWindowExtent(HDC dc, int x, int y) {
    SIZE old = {0, 0};
    SetWindowExtEx(dc, x, y, &old);
    return PackSize(old);
}

int SetViewportExtent(HDC dc, int x, int y) {
    SIZE old = {0, 0};
    SetViewportExtEx(dc, x, y, &old);
    return PackSize(old);
}

int SetViewportOrigin(HDC dc, int x, int y) {
    POINT old = {0, 0};
    SetViewportOrgEx(dc, x, y, &old);
    return PackPoint(old);
}
