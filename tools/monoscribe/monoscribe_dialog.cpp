// The main dialog: options, drag and drop, the Browse button, help and the
// saved position.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "monoscribe.h"
#include "monoscribe_ids.h"

namespace {

const char kRegistryKey[] = "Software\\Quorvale\\Monoscribe";
const char kHelpFile[] = "Monoscribe.chm";

// HTML Help, loaded when first asked for: the program starts and converts
// without it.
constexpr UINT kHelpDisplayTopic = 0x0000;     // HH_DISPLAY_TOPIC
constexpr UINT kHelpContextMenu = 0x0010;      // HH_TP_HELP_CONTEXTMENU
constexpr UINT kHelpWmHelp = 0x0011;           // HH_TP_HELP_WM_HELP
typedef HWND(WINAPI *HtmlHelpProc)(HWND, LPCSTR, UINT, DWORD_PTR);

// Control and its help topic, pairs ending in 0, 0 as HTML Help wants them.
// Each control's topic is its own id; the label shares its edit's topic.
const DWORD kHelpTopics[] = {IDCANCEL, IDCANCEL, IDC_HELP_BUTTON, IDC_HELP_BUTTON, IDC_INTRO_TEXT, IDC_INTRO_TEXT,
                             IDC_TO_MONO, IDC_TO_MONO, IDC_TO_COLOR, IDC_TO_COLOR, IDC_BACKUP, IDC_BACKUP,
                             IDC_KEEP_TIME, IDC_KEEP_TIME, IDC_BROWSE, IDC_BROWSE, IDC_INCLUDED, IDC_INCLUDED,
                             IDC_SUB_FOLDER, IDC_SUB_FOLDER, IDC_PATH_LABEL, IDC_SUB_FOLDER, 0, 0};

void CallHtmlHelp(HWND window, UINT command, DWORD_PTR data) {
    static HtmlHelpProc htmlHelp;
    if (!htmlHelp) {
        HMODULE library = LoadLibraryA("hhctrl.ocx");
        if (library) htmlHelp = reinterpret_cast<HtmlHelpProc>(reinterpret_cast<void *>(GetProcAddress(library, "HtmlHelpA")));
    }
    if (htmlHelp) htmlHelp(window, kHelpFile, command, data);
}

// A saved coordinate, -1 when the key or the value is missing.
int ReadPositionValue(HKEY key, const char *name) {
    DWORD value = 0, type = 0, size = sizeof value;
    if (!key || RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return -1;
    return static_cast<int>(value);
}

void InitMainDialog(HWND dialog) {
    gMonoscribe.dialog = dialog;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HANDLE big = LoadImageA(instance, MAKEINTRESOURCEA(IDI_MONOSCRIBE), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                            GetSystemMetrics(SM_CYICON), 0);
    HANDLE small = LoadImageA(instance, MAKEINTRESOURCEA(IDI_MONOSCRIBE), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                              GetSystemMetrics(SM_CYSMICON), 0);
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    CheckRadioButton(dialog, IDC_TO_MONO, IDC_TO_COLOR, IDC_TO_MONO);
    SendDlgItemMessageA(dialog, IDC_SUB_FOLDER, EM_LIMITTEXT, kSubFolderSize - 1, 0);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) key = nullptr;
    const int x = ReadPositionValue(key, "x"), y = ReadPositionValue(key, "y");
    if (key) RegCloseKey(key);
    if (x >= 0 && y >= 0) SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SavePosition(HWND dialog) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    HKEY key = nullptr;
    if (GetWindowPlacement(dialog, &placement) &&
        RegCreateKeyExA(HKEY_CURRENT_USER, kRegistryKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
            ERROR_SUCCESS) {
        const DWORD x = static_cast<DWORD>(placement.rcNormalPosition.left);
        const DWORD y = static_cast<DWORD>(placement.rcNormalPosition.top);
        RegSetValueExA(key, "x", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&x), sizeof x);
        RegSetValueExA(key, "y", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&y), sizeof y);
        RegCloseKey(key);
    }
    gMonoscribe.dialog = nullptr;
}

// The open dialog's result: one full path, or the folder followed by the
// names of a multi-selection, each ended by a zero, the list by two.
void ProcessSelection(const char *selection) {
    BeginBatch();
    const char *name = selection + strlen(selection) + 1;
    if (!*name) {
        ProcessEpsFile(selection);
    } else {
        for (; *name; name += strlen(name) + 1) {
            char path[MAX_PATH];
            if (snprintf(path, sizeof path, "%s\\%s", selection, name) >= static_cast<int>(sizeof path))
                AddFileError(name, "File spec too long");
            else
                ProcessEpsFile(path);
        }
    }
    EndBatch();
}

void BrowseEpsFiles(HWND dialog) {
    static char files[26000];
    files[0] = files[1] = 0;
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = "EPS files\0*.eps;*.ps\0All files\0*.*\0";
    ofn.lpstrFile = files;
    ofn.nMaxFile = sizeof files;
    ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameA(&ofn)) ProcessSelection(files);
}

void OnDropFiles(HDROP drop) {
    BeginBatch();
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[MAX_PATH];
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        DragQueryFileA(drop, i, path, sizeof path);
        if (length >= sizeof path) AddFileError(path, "File spec too long");  // named by its head
        else ProcessEpsFile(path);
    }
    DragFinish(drop);
    EndBatch();
}

void OnDialogCommand(HWND dialog, int id) {
    if (id == IDCANCEL) EndDialog(dialog, 0);
    else if (id == IDC_HELP_BUTTON) CallHtmlHelp(dialog, kHelpDisplayTopic, 0);
    else if (id == IDC_BROWSE) BrowseEpsFiles(dialog);
}

void OnHelpRequest(const HELPINFO *info) {
    CallHtmlHelp(static_cast<HWND>(info->hItemHandle), kHelpWmHelp, reinterpret_cast<DWORD_PTR>(kHelpTopics));
}

void OnContextHelp(HWND control) {
    CallHtmlHelp(control, kHelpContextMenu, reinterpret_cast<DWORD_PTR>(kHelpTopics));
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: InitMainDialog(dialog); break;
    case WM_COMMAND: OnDialogCommand(dialog, LOWORD(wParam)); break;
    case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wParam)); break;
    case WM_HELP: OnHelpRequest(reinterpret_cast<const HELPINFO *>(lParam)); break;
    case WM_CONTEXTMENU: OnContextHelp(reinterpret_cast<HWND>(wParam)); break;
    case WM_DESTROY: SavePosition(dialog); break;
    default: return FALSE;
    }
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
    return TRUE;
}
