// Dialog 750: the buttons of each toolbar, whether it is shown, and which
// toolbar doubles as the graph windows' popup menu. Working copies only:
// the layouts change after OK, Cancel leaves no trace.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app.h"
#include "command_state.h"
#include "messages.h"
#include "resource_ids.h"
#include "settings.h"
#include "settings_files.h"
#include "string_ids.h"
#include "toolbars.h"
#include "window_helpers.h"

namespace {

constexpr int kCustomizeHelp = 2700;
constexpr int kSmallImageWidth = 16, kSmallImageHeight = 14;
constexpr int kFrameWidth = 22, kFrameHeight = 20;

struct WorkLine {
    int visible;
    int entries[kMaxToolbarEntries];  // kToolbarEmptyEntry past the last
};

WorkLine gWork[kToolbarCount];
int gWorkPopup;
int gShownLine;
HBITMAP gSmallImages, gButtonFrame;

// A list line: "%06d" of the command for a button, "-1" for a separator.
std::string LineText(int entry) {
    char text[16];
    if (entry < 0) std::snprintf(text, sizeof text, "%d", kToolbarSeparator);
    else std::snprintf(text, sizeof text, "%06d", kToolbarCommandTable[entry][0]);
    return text;
}

// The table index of a list line; -1 for a separator, 98 for no such command.
int EntryOf(HWND list, int line) {
    char text[16] = "";
    if (SendMessageA(list, LB_GETTEXTLEN, line, 0) >= static_cast<LRESULT>(sizeof text)) return kToolbarCommandCount;
    SendMessageA(list, LB_GETTEXT, line, reinterpret_cast<LPARAM>(text));
    const int value = std::atoi(text);
    if (value < 0) return kToolbarSeparator;
    const int index = ToolbarIndexOfCommand(value);
    return index < 0 ? kToolbarCommandCount : index;
}

int Count(HWND list) { return static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)); }
int Selected(HWND list) { return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)); }

void Insert(HWND list, int at, int entry) {
    SendMessageA(list, LB_INSERTSTRING, at, reinterpret_cast<LPARAM>(LineText(entry).c_str()));
}

void ShowToolbarLine(HWND dialog) {
    const WorkLine &w = gWork[gShownLine];
    CheckDlgButton(dialog, IDC_TOOLBAR_VISIBLE, w.visible ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_TOOLBAR_POPUP, gWorkPopup == gShownLine ? BST_CHECKED : BST_UNCHECKED);
    HWND current = GetDlgItem(dialog, IDC_TOOLBAR_CURRENT), available = GetDlgItem(dialog, IDC_TOOLBAR_AVAILABLE);
    SendMessageA(current, LB_RESETCONTENT, 0, 0);
    SendMessageA(available, LB_RESETCONTENT, 0, 0);
    bool onLine[kToolbarCommandCount] = {};
    for (int entry : w.entries) {
        if (entry == kToolbarEmptyEntry) break;
        if (entry >= kToolbarCommandCount) continue;  // no such button: dropped
        Insert(current, -1, entry);
        if (entry >= 0) onLine[entry] = true;
    }
    for (int i = 0; i < kToolbarCommandCount; ++i)
        if (!onLine[i]) Insert(available, -1, i);
}

void StoreToolbarLine(HWND dialog) {
    WorkLine &w = gWork[gShownLine];
    w.visible = IsDlgButtonChecked(dialog, IDC_TOOLBAR_VISIBLE) == BST_CHECKED;
    if (IsDlgButtonChecked(dialog, IDC_TOOLBAR_POPUP) == BST_CHECKED) gWorkPopup = gShownLine;
    else if (gWorkPopup == gShownLine) gWorkPopup = -1;
    HWND current = GetDlgItem(dialog, IDC_TOOLBAR_CURRENT);
    int n = Count(current);
    if (n > kMaxToolbarEntries) n = kMaxToolbarEntries;
    for (int i = 0; i < kMaxToolbarEntries; ++i) w.entries[i] = i < n ? EntryOf(current, i) : kToolbarEmptyEntry;
}

void AddButton(HWND dialog) {
    HWND current = GetDlgItem(dialog, IDC_TOOLBAR_CURRENT), available = GetDlgItem(dialog, IDC_TOOLBAR_AVAILABLE);
    const int a = Selected(available);
    if (Count(current) >= kMaxToolbarEntries || a < 0) return;
    const int entry = EntryOf(available, a);
    const int c = Selected(current);
    const int at = c < 0 ? Count(current) : c + 1;
    Insert(current, at, entry);
    SendMessageA(current, LB_SETCURSEL, at, 0);
    SendMessageA(available, LB_DELETESTRING, a, 0);
    const int left = Count(available);
    if (left) SendMessageA(available, LB_SETCURSEL, a < left ? a : left - 1, 0);
}

void RemoveButton(HWND dialog) {
    HWND current = GetDlgItem(dialog, IDC_TOOLBAR_CURRENT), available = GetDlgItem(dialog, IDC_TOOLBAR_AVAILABLE);
    const int c = Selected(current);
    if (c < 0) return;
    const int entry = EntryOf(current, c);
    SendMessageA(current, LB_DELETESTRING, c, 0);
    if (entry >= 0 && entry < kToolbarCommandCount) {
        // Back in table order.
        int at = 0;
        const int n = Count(available);
        while (at < n && EntryOf(available, at) < entry) ++at;
        Insert(available, at, entry);
        SendMessageA(available, LB_SETCURSEL, at, 0);
    }
    if (Count(current)) SendMessageA(current, LB_SETCURSEL, c > 0 ? c - 1 : 0, 0);
}

void MoveLine(HWND dialog, int by) {
    HWND current = GetDlgItem(dialog, IDC_TOOLBAR_CURRENT);
    const int c = Selected(current), to = c + by;
    if (c < 0 || to < 0 || to >= Count(current)) return;
    const int entry = EntryOf(current, c);
    SendMessageA(current, LB_DELETESTRING, c, 0);
    Insert(current, to, entry);
    SendMessageA(current, LB_SETCURSEL, to, 0);
}

void AddSpace(HWND dialog) {
    HWND current = GetDlgItem(dialog, IDC_TOOLBAR_CURRENT);
    if (Count(current) >= kMaxToolbarEntries) return;
    const int c = Selected(current);
    const int at = c < 0 ? Count(current) : c + 1;
    Insert(current, at, kToolbarSeparator);
    SendMessageA(current, LB_SETCURSEL, at, 0);
}

void DrawLine(const DRAWITEMSTRUCT *d) {
    if (d->itemID == static_cast<UINT>(-1)) return;
    const bool selected = (d->itemState & ODS_SELECTED) != 0;
    FillRect(d->hDC, &d->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int entry = EntryOf(d->hwndItem, static_cast<int>(d->itemID));
    SetBkMode(d->hDC, TRANSPARENT);
    SetTextColor(d->hDC, selected ? RGB(255, 255, 255) : GetSysColor(COLOR_WINDOWTEXT));
    RECT text = d->rcItem;
    text.left += kFrameWidth + 8;
    if (entry >= 0 && entry < kToolbarCommandCount) {
        HDC memory = CreateCompatibleDC(d->hDC);
        const int x = d->rcItem.left + 2, y = d->rcItem.top + (d->rcItem.bottom - d->rcItem.top - kFrameHeight) / 2;
        if (memory && gButtonFrame) {
            HGDIOBJ old = SelectObject(memory, gButtonFrame);
            BitBlt(d->hDC, x, y, kFrameWidth, kFrameHeight, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
        }
        if (memory && gSmallImages) {
            HGDIOBJ old = SelectObject(memory, gSmallImages);
            BitBlt(d->hDC, x + 3, y + 3, kSmallImageWidth, kSmallImageHeight, memory,
                   kToolbarCommandTable[entry][1] * kSmallImageWidth, 0, SRCCOPY);
            SelectObject(memory, old);
        }
        if (memory) DeleteDC(memory);
        DrawTextA(d->hDC, LoadTextResource(kToolbarCommandTable[entry][0] + kTooltipStringOffset), -1, &text,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    } else {
        DrawTextA(d->hDC, LoadTextResource(IDS_TOOLBAR_SPACE_LINE), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (d->itemState & ODS_FOCUS) DrawFocusRect(d->hDC, &d->rcItem);
}

INT_PTR CALLBACK CustomizeToolbarsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        HWND combo = GetDlgItem(dialog, IDC_TOOLBAR_LINE);
        for (int i = 0; i < kToolbarCount; ++i)
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadTextResource(IDS_TOOLBAR_FIRST_LINE + i)));
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
        gShownLine = 0;
        ShowToolbarLine(dialog);
        CenterDialogInFrame(dialog);
        gSmallImages = LoadBitmapA(gInstance, MAKEINTRESOURCEA(IDB_TOOLBAR_SMALL));
        gButtonFrame = LoadBitmapA(gInstance, MAKEINTRESOURCEA(IDB_BUTTON_FRAME));
        return TRUE;
    }
    case WM_DESTROY:
        if (gSmallImages) DeleteObject(gSmallImages);
        if (gButtonFrame) DeleteObject(gButtonFrame);
        gSmallImages = gButtonFrame = nullptr;
        return FALSE;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT *>(lParam)->itemHeight = kSmallImageHeight + 8;
        return TRUE;
    case WM_DRAWITEM: DrawLine(reinterpret_cast<const DRAWITEMSTRUCT *>(lParam)); return TRUE;
    case WM_HELP: ShowHelpTopic(kCustomizeHelp); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_TOOLBAR_LINE:
            if (HIWORD(wParam) == CBN_SELCHANGE) {
                const int chosen = static_cast<int>(SendDlgItemMessageA(dialog, IDC_TOOLBAR_LINE, CB_GETCURSEL, 0, 0));
                if (chosen >= 0 && chosen < kToolbarCount && chosen != gShownLine) {
                    StoreToolbarLine(dialog);
                    gShownLine = chosen;
                    ShowToolbarLine(dialog);
                }
            }
            return TRUE;
        case IDC_TOOLBAR_ADD: AddButton(dialog); return TRUE;
        case IDC_TOOLBAR_REMOVE: RemoveButton(dialog); return TRUE;
        case IDC_TOOLBAR_UP: MoveLine(dialog, -1); return TRUE;
        case IDC_TOOLBAR_DOWN: MoveLine(dialog, 1); return TRUE;
        case IDC_TOOLBAR_SPACE: AddSpace(dialog); return TRUE;
        case IDOK:
            StoreToolbarLine(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        case IDHELP: ShowHelpTopic(kCustomizeHelp); return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

void CustomizeToolbars() {
    gWorkPopup = gPopupToolbar;
    for (int i = 0; i < kToolbarCount; ++i) {
        const ToolbarLine line = ParseToolbarLayout(gToolbarLayouts[i]);
        gWork[i].visible = line.visible;
        for (int k = 0; k < kMaxToolbarEntries; ++k)
            gWork[i].entries[k] = k < line.count ? line.entries[k] : kToolbarEmptyEntry;
    }
    if (DialogBoxParamA(gInstance, MAKEINTRESOURCEA(IDD_CUSTOMIZE_TOOLBARS), gFrameWindow, CustomizeToolbarsDlgProc, 0) != 1)
        return;
    DestroyToolbars();
    for (int i = 0; i < kToolbarCount; ++i) {
        int count = 0;
        while (count < kMaxToolbarEntries && gWork[i].entries[count] != kToolbarEmptyEntry) ++count;
        const std::string layout = FormatToolbarLayout(gWork[i].visible, gWork[i].entries, count);
        std::snprintf(gToolbarLayouts[i], sizeof gToolbarLayouts[i], "%s", layout.c_str());
    }
    CreateToolbars(gFrameWindow);
    WriteToolbarLayouts();
    gPopupToolbar = gWorkPopup;
    LayoutFrame(0, 0, 1);
    UpdateCommandStates();
}
