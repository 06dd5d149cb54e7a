#include "problem_files.h"

#include <objbase.h>
#include <shlobj.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "app.h"
#include "file_dialogs.h"
#include "file_handles.h"
#include "messages.h"
#include "msgbox_win32.h"
#include "platform.h"
#include "resource_ids.h"
#include "settings.h"
#include "string_ids.h"

int gRecentSlotToOpen;
char gProblemFullPath[MAX_PATH];
char gNotesTextFile[MAX_PATH];

namespace {

char gLastExample[MAX_PATH];
char gDisplayBuffer[MAX_PATH];
IMalloc *gShellAllocator;
// What the last BuildRecentFilesMenu appended: its items and a separator.
int gRecentItemsInMenu;
bool gRecentSeparatorInMenu;

void CopyPath(char *to, const char *from) { std::snprintf(to, MAX_PATH, "%s", from ? from : ""); }

// Program folder + "Examples".
void ExamplesFolder(char *out) {
    char self[MAX_PATH];
    out[0] = 0;
    if (!GetModuleFileNameA(nullptr, self, sizeof self)) return;
    if (char *slash = std::strrchr(self, '\\')) slash[1] = 0;
    std::snprintf(out, MAX_PATH, "%sExamples", self);
}

// The first pattern of the problem filter ("*.vr" of "*.vr;*.ode").
void ProblemPattern(char *out, size_t size) {
    std::snprintf(out, size, "%s", gVantorelExtensions[0] ? gVantorelExtensions : LoadTextResource(IDS_PROBLEM_FILE_PATTERN));
    if (char *semicolon = std::strchr(out, ';')) *semicolon = 0;
}

bool HasShortcutClass(const char *path) {
    char extension[MAX_PATH];
    SplitExtension(path, nullptr, extension);
    if (!extension[0]) return false;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, extension, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    char cls[MAX_PATH] = "";
    DWORD size = sizeof cls - 1;
    DWORD type = 0;
    const bool named = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(cls), &size) ==
                           ERROR_SUCCESS && type == REG_SZ;
    RegCloseKey(key);
    if (!named || !cls[0]) return false;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, cls, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    const bool shortcut = RegQueryValueExA(key, "IsShortcut", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return shortcut;
}

HMENU FileMenu() {
    if (gFrameWindow && GetMenu(gFrameWindow)) return GetFrameSubmenu(0);
    return gFrameMenu ? GetSubMenu(gFrameMenu, 0) : nullptr;
}

}  // namespace

void ResolveShortcut(char *path) {
    if (!path || !*path || !HasShortcutClass(path)) return;
    IShellLinkA *link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void **>(&link))))
        return;
    IPersistFile *file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
        WCHAR wide[MAX_PATH];
        if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) && SUCCEEDED(file->Load(wide, STGM_READ)) &&
            SUCCEEDED(link->Resolve(gFrameWindow, SLR_ANY_MATCH | SLR_NO_UI))) {
            char target[MAX_PATH] = "";
            WIN32_FIND_DATAA data;
            if (SUCCEEDED(link->GetPath(target, sizeof target, &data, 0)) && target[0]) CopyPath(path, target);
        }
        file->Release();
    }
    link->Release();
}

int CreateShortcut(const char *linkPath, const char *target) {
    IShellLinkA *link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void **>(&link))))
        return 0;
    int ok = 0;
    IPersistFile *file = nullptr;
    if (SUCCEEDED(link->SetPath(target)) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
        WCHAR wide[MAX_PATH];
        ok = MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, MAX_PATH) && SUCCEEDED(file->Save(wide, TRUE));
        file->Release();
    }
    link->Release();
    return ok;
}

HANDLE OpenProblemForReading(HWND owner, int kind, int isExample) {
    char *slot = kind == kProblemFile ? gProblemPath : gNotesTextFile;
    const bool recent = !isExample && gRecentSlotToOpen > 0 && gRecentSlotToOpen <= gRecentProblemCount;
    char pattern[kProblemPatternSize];
    ProblemPattern(pattern, sizeof pattern);
    HANDLE h = INVALID_HANDLE_VALUE;
    bool asked = true;
    if (isExample) {
        char start[MAX_PATH];
        if (gLastExample[0]) {
            CopyPath(start, gLastExample);
        } else {
            char folder[MAX_PATH];
            ExamplesFolder(folder);
            std::snprintf(start, sizeof start, "%s\\%s", folder, pattern);
        }
        asked = AskFileName(start, gProblemPath, IDS_TITLE_OPEN, IDS_FILTER_PROBLEMS, 0, owner) != 0;
    } else if (recent) {
        CopyPath(slot, gRecentProblems[gRecentSlotToOpen - 1]);
    } else if (!gFileNamePending) {
        asked = kind == kProblemFile
                    ? AskFileName(nullptr, slot, IDS_TITLE_OPEN, IDS_FILTER_PROBLEMS, 0, owner) != 0
                    : AskFileName(LoadTextResource(IDS_FILTER_TEXT_PATTERN), slot, IDS_TITLE_OPEN, IDS_FILTER_TEXT, 0,
                                  owner) != 0;
    }
    if (asked) {
        if (!recent) ResolveShortcut(slot);
        FileRecord record;
        h = OpenFileHandle(slot, &record, kFileRead);
        if (h == INVALID_HANDLE_VALUE) {
            ShowSystemError(record.error);
            slot[0] = 0;
            // A recent entry whose file has gone leaves the list now.
            if (recent) {
                CompactRecentList();
                BuildRecentFilesMenu();
            }
        } else if (kind == kProblemFile && !gCommandLine.deleteAfterLoad) {
            AddRecentProblem(slot);
        }
        if (isExample && h != INVALID_HANDLE_VALUE) CopyPath(gLastExample, slot);
    }
    gRecentSlotToOpen = 0;
    gFileNamePending = 0;
    return h;
}

int ChooseProblemFileForWriting(HWND owner, int saveAs, char *name) {
    CopyPath(name, gProblemPath);
    if (saveAs || !name[0]) {
        char start[MAX_PATH];
        CopyPath(start, name);
        if (!AskFileName(start, name, IDS_TITLE_SAVE_AS, IDS_FILTER_PROBLEMS, 1, owner)) return 0;
        AddDefaultExtension(name);
    }
    if (FileExists(name)) {
        char full[MAX_PATH] = "", current[MAX_PATH] = "";
        GetFullPathNameA(name, sizeof full, full, nullptr);
        if (gProblemPath[0]) GetFullPathNameA(gProblemPath, sizeof current, current, nullptr);
        if ((saveAs || lstrcmpiA(full, current) != 0) && AskOkCancel(IDS_EPS_OVERWRITE) != kIdOk) return 0;
    }
    return 1;
}

void CompactRecentList() {
    int kept = 0;
    for (int i = 0; i < gRecentProblemCount; ++i) {
        if (!FileExists(gRecentProblems[i])) continue;
        if (kept != i) std::memcpy(gRecentProblems[kept], gRecentProblems[i], kRecentPathSize);
        ++kept;
    }
    for (int i = kept; i < gRecentProblemCount; ++i) gRecentProblems[i][0] = 0;
    gRecentProblemCount = kept;
}

void AddRecentProblem(const char *path) {
    CompactRecentList();
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) CopyPath(full, path);
    CopyPath(gProblemFullPath, full);
    if (gProblemPath != path) CopyPath(gProblemPath, full);
    UpdateFrameTitle();

    int at = gRecentProblemCount;
    for (int i = 0; i < gRecentProblemCount; ++i)
        if (lstrcmpiA(gRecentProblems[i], full) == 0) at = i;
    if (at == gRecentProblemCount) {
        if (gRecentProblemCount < kRecentProblemMax) ++gRecentProblemCount;
        else at = kRecentProblemMax - 1;  // the oldest falls off
    }
    for (int i = at; i > 0; --i) std::memcpy(gRecentProblems[i], gRecentProblems[i - 1], kRecentPathSize);
    std::snprintf(gRecentProblems[0], kRecentPathSize, "%s", full);
    AddToRecentDocuments(full);
    BuildRecentFilesMenu();
}

void AddToRecentDocuments(const char *path) {
    if (!gShellAllocator && FAILED(SHGetMalloc(&gShellAllocator))) {
        gShellAllocator = nullptr;
        return;
    }
    LPITEMIDLIST recent = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_RECENT, &recent)) || !recent) return;
    char folder[MAX_PATH], link[2 * MAX_PATH];
    if (SHGetPathFromIDListA(recent, folder)) {
        std::snprintf(link, sizeof link, "%s\\%s.lnk", folder, GetDisplayName(path));
        if (!FileExists(link)) SHAddToRecentDocs(SHARD_PATHA, path);
    }
    gShellAllocator->Free(recent);
}

void ReleaseShellAllocator() {
    if (gShellAllocator) gShellAllocator->Release();
    gShellAllocator = nullptr;
}

const char *GetDisplayName(const char *path) {
    SHFILEINFOA info = {};
    if (FileExists(path) && SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_DISPLAYNAME) && info.szDisplayName[0])
        CopyPath(gDisplayBuffer, info.szDisplayName);
    else
        CopyPath(gDisplayBuffer, path);
    return gDisplayBuffer;
}

const char *ShortenPathForMenu(const char *path, int maximum) {
    char text[MAX_PATH];
    CopyPath(text, gShowExtensions ? path : GetDisplayName(path));
    const size_t limit = maximum < MAX_PATH ? (maximum > 0 ? maximum : 0) : MAX_PATH;
    const char *shown = text;
    if (std::strlen(text) > limit) {
        if (const char *slash = std::strrchr(text, '\\')) shown = slash + 1;
        else if (const char *colon = std::strrchr(text, ':')) shown = colon + 1;
    }
    CopyPath(gDisplayBuffer, shown);
    return gDisplayBuffer;
}

void BuildRecentFilesMenu() {
    HMENU menu = FileMenu();
    if (!menu) return;
    for (; gRecentItemsInMenu > 0; --gRecentItemsInMenu)
        DeleteMenu(menu, IDM_RECENT_FIRST + gRecentItemsInMenu - 1, MF_BYCOMMAND);
    if (gRecentSeparatorInMenu) {
        const int last = GetMenuItemCount(menu) - 1;
        if (last >= 0 && (GetMenuState(menu, last, MF_BYPOSITION) & MF_SEPARATOR))
            DeleteMenu(menu, last, MF_BYPOSITION);
        gRecentSeparatorInMenu = false;
    }
    if (gRecentProblemCount == 0) return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    gRecentSeparatorInMenu = true;
    for (int k = 0; k < gRecentProblemCount; ++k) {
        if (!FileExists(gRecentProblems[k])) continue;
        // An "&" of a file name is shown, not taken as a mnemonic.
        char item[2 * MAX_PATH];
        size_t n = 0;
        for (const char *c = ShortenPathForMenu(gRecentProblems[k], gFilenameLength); *c && n + 2 < sizeof item; ++c) {
            if (*c == '&') item[n++] = '&';
            item[n++] = *c;
        }
        item[n] = 0;
        AppendMenuA(menu, MF_STRING, IDM_RECENT_FIRST + k, item);
        gRecentItemsInMenu = k + 1;
    }
}
