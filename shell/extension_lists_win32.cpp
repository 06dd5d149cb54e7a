#include "extension_lists_win32.h"

#include <string>
#include <vector>

#include "extension_list_logic.h"
#include "file_dialogs.h"
#include "graph_elements.h"
#include "help_engine.h"
#include "math_libraries.h"
#include "messages.h"
#include "resource_ids.h"
#include "settings_files.h"
#include "string_ids.h"
#include "window_helpers.h"

namespace {

constexpr int kExtensionListsHelpTopic = 2300;

struct ListSession {
    int kind;
    std::vector<ExtensionEntry> entries;
    int selected;
    bool rewriting;  // the list's own notifications are ignored meanwhile
};
ListSession *gList;

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthA(item);
    std::string text(length + 1, '\0');
    GetWindowTextA(item, &text[0], length + 1);
    text.resize(length);
    return text;
}

void LoadEntries(ListSession &s) {
    const ExtensionKind &k = kExtensionKinds[s.kind];
    s.entries.clear();
    std::vector<std::string> keys;
    for (const char *key = EnumSettingsKeys(k.listSection, 0, kSettingsShared); key && *key;
         key = EnumSettingsKeys(k.listSection, 1, kSettingsShared))
        keys.push_back(key);
    char value[MAX_PATH * 4];
    for (const std::string &key : keys) {
        ExtensionEntry e;
        e.name = key;
        ReadSettingStringAsStored(k.listSection, key.c_str(), "", value, sizeof value, kSettingsShared);
        e.file = value;
        ReadSettingStringAsStored(k.helpSection, key.c_str(), "", value, sizeof value, kSettingsShared);
        e.help = value;
        s.entries.push_back(e);
    }
    s.selected = s.entries.empty() ? -1 : 0;
}

void ShowSelected(HWND dialog, ListSession &s) {
    const bool any = s.selected >= 0 && s.selected < static_cast<int>(s.entries.size());
    SetDlgItemTextA(dialog, IDC_EXT_NAME, any ? s.entries[s.selected].name.c_str() : "");
    SetDlgItemTextA(dialog, IDC_EXT_FILE, any ? s.entries[s.selected].file.c_str() : "");
    SetDlgItemTextA(dialog, IDC_EXT_HELP_FILE, any ? s.entries[s.selected].help.c_str() : "");
}

void FillList(HWND dialog, ListSession &s) {
    HWND list = GetDlgItem(dialog, IDC_EXT_LIST);
    s.rewriting = true;
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const ExtensionEntry &e : s.entries) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.name.c_str()));
    SendMessageA(list, LB_SETCURSEL, s.selected, 0);
    s.rewriting = false;
    ShowSelected(dialog, s);
}

// The edits go into the selected entry and its list item.
void StoreEdits(HWND dialog, ListSession &s) {
    if (s.selected < 0 || s.selected >= static_cast<int>(s.entries.size())) return;
    ExtensionEntry &e = s.entries[s.selected];
    e.name = ItemText(dialog, IDC_EXT_NAME);
    e.file = ItemText(dialog, IDC_EXT_FILE);
    e.help = ItemText(dialog, IDC_EXT_HELP_FILE);
    HWND list = GetDlgItem(dialog, IDC_EXT_LIST);
    s.rewriting = true;
    SendMessageA(list, LB_DELETESTRING, s.selected, 0);
    SendMessageA(list, LB_INSERTSTRING, s.selected, reinterpret_cast<LPARAM>(e.name.c_str()));
    SendMessageA(list, LB_SETCURSEL, s.selected, 0);
    s.rewriting = false;
}

void WriteEntries(const ListSession &s) {
    const ExtensionKind &k = kExtensionKinds[s.kind];
    DeleteSettingsSection(k.listSection, kSettingsShared);
    DeleteSettingsSection(k.helpSection, kSettingsShared);
    for (const ExtensionEntry &e : s.entries) {
        WriteSettingString(k.listSection, e.name.c_str(), e.file.c_str(), kSettingsShared);
        if (!e.help.empty()) WriteSettingString(k.helpSection, e.name.c_str(), e.help.c_str(), kSettingsShared);
    }
}

// The kind's chooser (or *.chm for help files), opened at the current value.
bool ChooseFile(HWND dialog, const char *filter, std::string &path) {
    char name[kFileNameSize];
    lstrcpynA(name, path.c_str(), sizeof name);
    if (!AskFileNameFromPairs(name, filter, nullptr, 0, dialog)) return false;
    path = name;
    return true;
}

bool HasSelection(const ListSession &s) { return s.selected >= 0 && s.selected < static_cast<int>(s.entries.size()); }

INT_PTR OnCommand(HWND dialog, ListSession &s, int id, int code) {
    switch (id) {
    case IDC_EXT_LIST:
        if ((code == LBN_SELCHANGE || code == LBN_SELCANCEL) && !s.rewriting) {
            StoreEdits(dialog, s);
            s.selected = static_cast<int>(SendDlgItemMessageA(dialog, IDC_EXT_LIST, LB_GETCURSEL, 0, 0));
            ShowSelected(dialog, s);
        }
        return TRUE;
    case IDC_EXT_ADD:
        StoreEdits(dialog, s);
        s.entries.push_back(ExtensionEntry());
        s.selected = static_cast<int>(s.entries.size()) - 1;
        FillList(dialog, s);
        return TRUE;
    case IDC_EXT_UP:
    case IDC_EXT_DOWN: {
        StoreEdits(dialog, s);
        const int moved = MoveExtensionEntry(s.entries, s.selected, id == IDC_EXT_UP ? -1 : 1);
        if (moved < 0) {
            MessageBeep(MB_ICONEXCLAMATION);
        } else {
            s.selected = moved;
            FillList(dialog, s);
        }
        return TRUE;
    }
    case IDC_EXT_REMOVE: {
        const int next = RemoveExtensionEntry(s.entries, s.selected);
        if (next == -2) {
            MessageBeep(MB_ICONEXCLAMATION);
        } else {
            s.selected = next;
            FillList(dialog, s);
        }
        return TRUE;
    }
    case IDC_EXT_EXAMINE:
        StoreEdits(dialog, s);
        if (!HasSelection(s) || s.entries[s.selected].help.empty()) MessageBeep(MB_ICONEXCLAMATION);
        else ShowHelp(dialog, s.entries[s.selected].help.c_str(), HELP_CONTENTS, 0);
        return TRUE;
    case IDC_EXT_RESTORE:
        LoadEntries(s);
        FillList(dialog, s);
        return TRUE;
    case IDC_EXT_FILE_BUTTON:
    case IDC_EXT_HELP_BUTTON: {
        StoreEdits(dialog, s);
        if (!HasSelection(s)) {
            MessageBeep(MB_ICONEXCLAMATION);
            return TRUE;
        }
        ExtensionEntry &e = s.entries[s.selected];
        std::string &path = id == IDC_EXT_FILE_BUTTON ? e.file : e.help;
        const char *filter = id == IDC_EXT_FILE_BUTTON ? kExtensionKinds[s.kind].filter
                                                       : "Help files (*.chm)|*.chm|All files (*.*)|*.*|";
        if (!ChooseFile(dialog, filter, path)) MessageBeep(MB_ICONEXCLAMATION);
        ShowSelected(dialog, s);
        return TRUE;
    }
    case IDOK: {
        StoreEdits(dialog, s);
        const int bad = FirstBadExtensionEntry(s.entries);
        if (bad >= 0) {
            ShowErrorBox(IDS_BAD_EXTENSION_ENTRY);
            s.selected = bad;
            FillList(dialog, s);
            return TRUE;
        }
        WriteEntries(s);
        EndDialog(dialog, 1);
        return TRUE;
    }
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    case IDHELP: ShowHelp(dialog, gHelpFile, HELP_CONTEXT, kExtensionListsHelpTopic); return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK ExtensionListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        gList = reinterpret_cast<ListSession *>(lParam);
        const ExtensionKind &k = kExtensionKinds[gList->kind];
        SetWindowTextA(dialog, LoadTextResource(k.captionId));
        SetDlgItemTextA(dialog, IDC_EXT_FILE_BUTTON, LoadTextResource(k.fileButtonId));
        LoadEntries(*gList);
        FillList(dialog, *gList);
        return TRUE;
    }
    case WM_COMMAND:
        return gList ? OnCommand(dialog, *gList, LOWORD(wParam), HIWORD(wParam)) : FALSE;
    case WM_HELP: OnDialogHelp(dialog, reinterpret_cast<const HELPINFO *>(lParam)); return TRUE;
    case WM_CONTEXTMENU:
        OnDialogContextMenu(dialog, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                            reinterpret_cast<HWND>(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int RunExtensionListsDialog(HWND owner, int kind) {
    if (kind < 0 || kind > 3) return 0;
    ListSession session = {kind, {}, -1, false};
    if (kind == kMathLibraryList) {
        // Compiled element code calls into the libraries by address.
        FreeElementCode();
        UnloadMathLibraries();
    }
    ListSession *outer = gList;
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_EXTENSION_LISTS), owner,
                                           ExtensionListDlgProc, reinterpret_cast<LPARAM>(&session));
    gList = outer;
    if (kind == kMathLibraryList) LoadMathLibraries();
    return result == 1 ? 1 : 0;
}
