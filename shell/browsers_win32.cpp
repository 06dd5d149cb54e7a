// The initial-value and parameter browsers.
#include "browsers_win32.h"
#include "transparency_win32.h"

#include <cstdio>
#include <string>

#include "described_dialog.h"
#include "modal_dialogs.h"
#include "graph_elements.h"
#include "messages.h"
#include "resource_ids.h"
#include "settings.h"
#include "settings_files.h"
#include "string_ids.h"
#include "problem_settings.h"
#include "ui_lock.h"
#include "window_helpers.h"
#include "workspace.h"

const char *const kBrowserXKeys[2] = {"Browser0 X position", "BrowserP X position"};
const char *const kBrowserYKeys[2] = {"Browser0 Y position", "BrowserP Y position"};

namespace {

constexpr int kStateRows = 21;      // 900: the initial time and 20 state entries
constexpr int kParameterRows = 20;  // 901
constexpr int kHelpTopics[2] = {2900, 2901};

// Height of one row in pixels, measured once from the first two rows.
int gRowHeight;
// Set while the program writes a field: its change notification is ours.
int gUpdating;

int IndexOf(HWND dialog) { return static_cast<int>(GetWindowLongPtrA(dialog, DWLP_USER)); }

bool ColumnsReady() { return gColumnTable && gColumnCount == 2 * static_cast<int>(gDimension) + 9; }

const char *ColumnName(int column) {
    return ColumnsReady() && gColumnTable[column].name ? gColumnTable[column].name : "";
}

RECT ClientRectOf(HWND dialog, int id) {
    RECT r = {};
    if (HWND w = GetDlgItem(dialog, id)) {
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
    }
    return r;
}

void MoveControlTo(HWND dialog, int id, int top) {
    HWND w = GetDlgItem(dialog, id);
    if (!w) return;
    const RECT r = ClientRectOf(dialog, id);
    SetWindowPos(w, nullptr, r.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The field keeps what it shows when that reads the same (the user may be
// typing in it); otherwise it takes text.
void SetField(HWND dialog, int id, const char *text) {
    char now[128] = {};
    GetDlgItemTextA(dialog, id, now, sizeof now);
    if (lstrcmpiA(now, text) == 0) return;
    ++gUpdating;
    SetDlgItemTextA(dialog, id, text);
    --gUpdating;
}

void SetDoubleField(HWND dialog, int id, double v) {
    char text[48];
    std::snprintf(text, sizeof text, "%.15lg", v);
    SetField(dialog, id, text);
}

void SetIntField(HWND dialog, int id, int v) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", v);
    SetField(dialog, id, text);
}

void ShowRow(HWND dialog, int nameId, int valueId, bool show) {
    ShowWindow(GetDlgItem(dialog, nameId), show ? SW_SHOWNA : SW_HIDE);
    ShowWindow(GetDlgItem(dialog, valueId), show ? SW_SHOWNA : SW_HIDE);
}

// Client height ending 2 (h + h/4) below the top of the last row.
void FitHeight(HWND dialog, int lastRowTop) {
    const int h = gRowHeight;
    RECT window, client;
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    const int frame = (window.bottom - window.top) - client.bottom;
    SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, lastRowTop + 2 * (h + h / 4) + frame,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int StateRowCount() {
    const int n = static_cast<int>(gDimension) + 2;
    return gInitialValues ? (n < kStateRows - 1 ? n : kStateRows - 1) : 0;
}

int ParameterRowCount() {
    const int n = gParameters ? gParameterCount : 0;
    return n < kParameterRows ? n : kParameterRows;
}

void FillInitialNames(HWND dialog) {
    SetDlgItemTextA(dialog, IDC_BROWSER_NAME_FIRST, ColumnName(kColumnInitialTime));
    const int rows = StateRowCount();
    const int n = static_cast<int>(gDimension);
    for (int i = 1; i < kStateRows; ++i) {
        const bool shown = i <= rows;
        if (shown) {
            char name[160];
            const char *own = ColumnsReady() ? gColumnTable[kFixedColumnCount + n + i - 1].name : nullptr;
            if (own && *own) std::snprintf(name, sizeof name, "%.127s", own);
            else
                std::snprintf(name, sizeof name, "%.100s[%d]", ColumnName(kColumnInitial),
                              i - 1 + (ColumnsReady() ? gColumnTable[kColumnInitial].low : 0));
            SetDlgItemTextA(dialog, IDC_BROWSER_NAME_FIRST + i, name);
        }
        ShowRow(dialog, IDC_BROWSER_NAME_FIRST + i, IDC_BROWSER_VALUE_FIRST + i, shown);
    }
    const int h = gRowHeight;
    const int lastTop = ClientRectOf(dialog, IDC_BROWSER_VALUE_FIRST + rows).top;
    MoveControlTo(dialog, IDHELP, lastTop + h + h / 4);
    FitHeight(dialog, lastTop);
}

void FillInitialValues(HWND dialog) {
    SetDoubleField(dialog, IDC_BROWSER_VALUE_FIRST, gInitialTime);
    for (int i = 1; i <= StateRowCount(); ++i) SetDoubleField(dialog, IDC_BROWSER_VALUE_FIRST + i, gInitialValues[i - 1]);
}

void FillParameterNames(HWND dialog) {
    SetDlgItemTextA(dialog, IDC_BROWSER_PX_NAME, ColumnName(kColumnFamilyX));
    SetDlgItemTextA(dialog, IDC_BROWSER_PY_NAME, ColumnName(kColumnFamilyY));
    const int rows = ParameterRowCount();
    for (int i = 0; i < kParameterRows; ++i) {
        const bool shown = i < rows;
        if (shown) {
            char name[160];
            const char *own = gParameters[i].name;
            if (own && *own) std::snprintf(name, sizeof name, "%.127s", own);
            else std::snprintf(name, sizeof name, "#%d", i + 1);
            SetDlgItemTextA(dialog, IDC_BROWSER_PARAM_NAME + i, name);
        }
        ShowRow(dialog, IDC_BROWSER_PARAM_NAME + i, IDC_BROWSER_PARAM_VALUE + i, shown);
    }
    // The phase-portrait rows follow the last parameter row.
    const int h = gRowHeight;
    const int first = ClientRectOf(dialog, IDC_BROWSER_PARAM_VALUE).top;
    const int xTop = first + rows * h, yTop = xTop + h;
    const int nameOffset = ClientRectOf(dialog, IDC_BROWSER_PX_NAME).top - ClientRectOf(dialog, IDC_BROWSER_PX_MIN).top;
    for (int id : {IDC_BROWSER_PX_MIN, IDC_BROWSER_PX_MAX}) MoveControlTo(dialog, id, xTop);
    for (int id : {IDC_BROWSER_PY_MIN, IDC_BROWSER_PY_MAX}) MoveControlTo(dialog, id, yTop);
    MoveControlTo(dialog, IDC_BROWSER_PX_NAME, xTop + nameOffset);
    MoveControlTo(dialog, IDC_BROWSER_PY_NAME, yTop + nameOffset);
    MoveControlTo(dialog, IDHELP, yTop + h + h / 4);
    FitHeight(dialog, yTop);
}

void FillParameterValues(HWND dialog) {
    SetIntField(dialog, IDC_BROWSER_PX_MIN, gPhaseXMin);
    SetIntField(dialog, IDC_BROWSER_PX_MAX, gPhaseXMax);
    SetIntField(dialog, IDC_BROWSER_PY_MIN, gPhaseYMin);
    SetIntField(dialog, IDC_BROWSER_PY_MAX, gPhaseYMax);
    for (int i = 0; i < ParameterRowCount(); ++i) SetDoubleField(dialog, IDC_BROWSER_PARAM_VALUE + i, gParameters[i].value);
}

void FillNames(HWND dialog) {
    if (IndexOf(dialog) == 0) FillInitialNames(dialog);
    else FillParameterNames(dialog);
}

void FillValues(HWND dialog) {
    if (IndexOf(dialog) == 0) FillInitialValues(dialog);
    else FillParameterValues(dialog);
}

// The cell an edit of the browsers stands for; null when none.
double *DoubleCellOf(int id) {
    if (id == IDC_BROWSER_VALUE_FIRST) return &gInitialTime;
    if (id > IDC_BROWSER_VALUE_FIRST && id < IDC_BROWSER_VALUE_FIRST + kStateRows) {
        const int k = id - IDC_BROWSER_VALUE_FIRST - 1;
        return gInitialValues && k < static_cast<int>(gDimension) + 2 ? &gInitialValues[k] : nullptr;
    }
    if (id >= IDC_BROWSER_PARAM_VALUE && id < IDC_BROWSER_PARAM_VALUE + kParameterRows) {
        const int k = id - IDC_BROWSER_PARAM_VALUE;
        return gParameters && k < gParameterCount ? &gParameters[k].value : nullptr;
    }
    return nullptr;
}

int *IntCellOf(int id) {
    switch (id) {
    case IDC_BROWSER_PX_MIN: return &gPhaseXMin;
    case IDC_BROWSER_PX_MAX: return &gPhaseXMax;
    case IDC_BROWSER_PY_MIN: return &gPhaseYMin;
    case IDC_BROWSER_PY_MAX: return &gPhaseYMax;
    }
    return nullptr;
}

// A value typed by the user: taken when it reads as a number, else the
// stored value stays.
void OnFieldEdited(HWND dialog, int id) {
    char text[128] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    bool taken = false;
    if (int *cell = IntCellOf(id)) {
        int32_t v;
        if ((taken = ParseDialogInt(text, &v))) *cell = v;
    } else if (double *cell = DoubleCellOf(id)) {
        double v;
        if ((taken = ParseDialogDouble(text, &v))) *cell = v;
    }
    if (!taken) return;
    // Parameter values are compiled into the code.
    FreeElementCode();
    // The problem holds the value now: closing asks to save it.
    gProblemChanged = 1;
}

void PlaceBrowser(HWND dialog, int index) {
    RECT frame = {}, own;
    if (gFrameWindow) GetWindowRect(gFrameWindow, &frame);
    GetWindowRect(dialog, &own);
    const int width = own.right - own.left;
    int x = frame.right - (2 - index) * width, y = frame.top;
    if (gSavePosition) {
        const char *section = LoadTextResource(IDS_SECTION_OPTIONS);
        x = ReadSettingInt(section, kBrowserXKeys[index], x, kSettingsUser);
        y = ReadSettingInt(section, kBrowserYKeys[index], y, kSettingsUser);
    }
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SavePlace(HWND dialog, int index) {
    RECT r;
    if (!GetWindowRect(dialog, &r)) return;
    const char *section = LoadTextResource(IDS_SECTION_OPTIONS);
    char text[16];
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(r.left));
    WriteSettingString(section, kBrowserXKeys[index], text, kSettingsUser);
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(r.top));
    WriteSettingString(section, kBrowserYKeys[index], text, kSettingsUser);
}

// Help of a row: every row of a list answers as its first row.
int HelpControlOf(int id) {
    if (id > IDC_BROWSER_NAME_FIRST && id < IDC_BROWSER_NAME_FIRST + kStateRows) return IDC_BROWSER_NAME_FIRST + 1;
    if (id > IDC_BROWSER_VALUE_FIRST && id < IDC_BROWSER_VALUE_FIRST + kStateRows) return IDC_BROWSER_VALUE_FIRST + 1;
    if (id > IDC_BROWSER_PARAM_NAME && id < IDC_BROWSER_PARAM_NAME + kParameterRows) return IDC_BROWSER_PARAM_NAME;
    if (id > IDC_BROWSER_PARAM_VALUE && id < IDC_BROWSER_PARAM_VALUE + kParameterRows) return IDC_BROWSER_PARAM_VALUE;
    return id;
}

}  // namespace

INT_PTR CALLBACK ValuesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const int index = lParam == 1 ? 1 : 0;
        SetWindowLongPtrA(dialog, DWLP_USER, index);
        if (!gRowHeight) {
            const int first = index == 0 ? IDC_BROWSER_VALUE_FIRST : IDC_BROWSER_PARAM_VALUE;
            gRowHeight = ClientRectOf(dialog, first + 1).top - ClientRectOf(dialog, first).top;
        }
        PlaceBrowser(dialog, index);
        PostMessageA(dialog, WM_SHOWWINDOW, TRUE, 0);
        return TRUE;
    }
    case WM_DESTROY: {
        const int index = IndexOf(dialog);
        SavePlace(dialog, index);
        if (gBrowserDialogs[index] == dialog) gBrowserDialogs[index] = nullptr;
        return FALSE;
    }
    case WM_SHOWWINDOW:
        if (wParam) {
            FillNames(dialog);
            FillValues(dialog);
        }
        return FALSE;
    case WM_ACTIVATE:
        SetInactiveTransparency(dialog, LOWORD(wParam) != WA_INACTIVE);
        FillValues(dialog);
        return FALSE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        switch (id) {
        case IDOK:
            if (gFrameWindow) SetFocus(gFrameWindow);
            return TRUE;
        case IDCANCEL: ShowWindow(dialog, SW_HIDE); return TRUE;
        case IDHELP: ShowHelpTopic(kHelpTopics[IndexOf(dialog)]); return TRUE;
        }
        if (HIWORD(wParam) == EN_CHANGE && !gUpdating) OnFieldEdited(dialog, id);
        return TRUE;
    }
    case WM_HELP: {
        HELPINFO info = *reinterpret_cast<const HELPINFO *>(lParam);
        info.iCtrlId = HelpControlOf(info.iCtrlId);
        OnDialogHelp(dialog, &info);
        return TRUE;
    }
    case WM_CONTEXTMENU: return OnDialogHelpMessage(dialog, message, wParam, lParam);
    }
    return FALSE;
}

HWND ShowBrowser(int index) {
    if (index != 0 && index != 1) return nullptr;
    HWND &browser = gBrowserDialogs[index];
    if (!browser) {
        browser = CreateModelessDialog(IDD_INITIAL_BROWSER + index, gFrameWindow, ValuesDlgProc, index);
        if (browser) ShowWindow(browser, SW_SHOW);
    } else if (IsWindowVisible(browser)) {
        SetActiveWindow(browser);
        SetFocus(browser);
    } else {
        ShowWindow(browser, SW_SHOW);
    }
    return browser;
}

void RefreshBrowsers() {
    for (HWND browser : gBrowserDialogs)
        if (browser) PostMessageA(browser, WM_SHOWWINDOW, TRUE, 0);
}

void UpdateInitialValueRows(int a, int b) {
    HWND dialog = gBrowserDialogs[0];
    if (!dialog) return;
    for (int row : {a, b}) {
        if (row < 0 || row >= kStateRows) continue;
        if (row == 0) SetDoubleField(dialog, IDC_BROWSER_VALUE_FIRST, gInitialTime);
        else if (row <= StateRowCount()) SetDoubleField(dialog, IDC_BROWSER_VALUE_FIRST + row, gInitialValues[row - 1]);
    }
}
