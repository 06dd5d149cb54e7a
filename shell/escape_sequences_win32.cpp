#include "escape_sequences_win32.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "extension_list_logic.h"
#include "help_engine.h"
#include "resource_ids.h"
#include "settings.h"
#include "settings_files.h"
#include "window_helpers.h"

namespace {

constexpr int kEscapeSequencesHelpTopic = 2600;
constexpr int kLastEntry = kEscapeMacroCount - 1;
constexpr size_t kFontHelpKeys = 10;
constexpr UINT kHelpIndex = 3;

int gEntry;  // the macro the dialog shows

void ShowEntry(HWND dialog, int entry) {
    gEntry = entry;
    SetScrollPos(GetDlgItem(dialog, IDC_ESC_SCROLL), SB_CTL, entry, TRUE);
    char label[16];
    std::snprintf(label, sizeof label, "\\%c =", gEscapeMacros[entry].character);
    SetDlgItemTextA(dialog, IDC_ESC_LABEL, label);
    SetDlgItemTextA(dialog, IDC_ESC_TEXT, gEscapeMacros[entry].text);
}

// The edit is limited to the text's size, so nothing is cut here.
void StoreEntry(HWND dialog) {
    GetDlgItemTextA(dialog, IDC_ESC_TEXT, gEscapeMacros[gEntry].text, kEscapeMacroTextSize);
}

void OnScroll(HWND dialog, int code, int thumb) {
    int next = gEntry;
    switch (code) {
    case SB_LINEUP:
    case SB_PAGEUP: next = gEntry - 1; break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN: next = gEntry + 1; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: next = thumb; break;
    default: return;
    }
    if (next < 0 || next > kLastEntry || next == gEntry) return;
    StoreEntry(dialog);
    ShowEntry(dialog, next);
}

void OnInit(HWND dialog) {
    CenterDialogInFrame(dialog);
    SendDlgItemMessageA(dialog, IDC_ESC_TEXT, EM_LIMITTEXT, kEscapeMacroTextSize - 1, 0);
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, kLastEntry, 1, 0, 0};
    SetScrollInfo(GetDlgItem(dialog, IDC_ESC_SCROLL), SB_CTL, &si, TRUE);
    ShowEntry(dialog, 0);
}

}  // namespace

INT_PTR CALLBACK EscapeSequencesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: OnInit(dialog); return TRUE;
    case WM_VSCROLL: OnScroll(dialog, LOWORD(wParam), static_cast<short>(HIWORD(wParam))); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            StoreEntry(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        case IDHELP: ShowHelpTopic(kEscapeSequencesHelpTopic); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

int EditEscapeSequences(HWND owner) {
    EscapeMacro saved[kEscapeMacroCount];
    std::memcpy(saved, gEscapeMacros, sizeof saved);
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ESCAPE_SEQUENCES), owner,
                                           EscapeSequencesDlgProc, 0);
    if (result == 1) {
        WriteEscapeSequences();
        return 1;
    }
    std::memcpy(gEscapeMacros, saved, sizeof saved);
    return 0;
}

int ShowFontsHelp() {
    const char *section = kExtensionKinds[kFontFileList].helpSection;
    std::vector<std::string> keys;
    for (const char *key = EnumSettingsKeys(section, 0, kSettingsShared);
         key && *key && keys.size() < kFontHelpKeys; key = EnumSettingsKeys(section, 1, kSettingsShared))
        keys.push_back(key);
    HWND owner = gMdiClient ? gMdiClient : GetFocus();
    for (const std::string &key : keys) {
        char file[MAX_PATH * 2];
        ReadSettingString(section, key.c_str(), "", file, sizeof file, kSettingsShared);
        if (*file && ShowHelp(owner, file, kHelpIndex, 0)) return 1;
    }
    return 0;
}
