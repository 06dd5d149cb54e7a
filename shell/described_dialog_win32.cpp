// DescribedDlgProc: the portable engine on a real dialog's controls.
#include "described_dialog_win32.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

#include "browsers_win32.h"
#include "code_libraries.h"
#include "file_dialogs.h"
#include "graph_window_win32.h"
#include "help_engine.h"
#include "library_loader.h"
#include "mathlink_win32.h"
#include "memory.h"
#include "messages.h"
#include "platform_win32.h"
#include "plotter.h"
#include "resource_ids.h"
#include "settings_files.h"
#include "settings_tables.h"
#include "platform.h"
#include "problem_settings.h"
#include "string_ids.h"
#include "text_window_state.h"
#include "transparency_win32.h"
#include "ui_lock.h"
#include "view_color_dialogs.h"
#include "workspace.h"

DialogSession *gOpenDialogSession;

namespace {

// ---- Controls of the open dialog

class Win32Controls : public DialogControls {
public:
    explicit Win32Controls(HWND dialog) : dialog_(dialog) {}
    HWND Item(int id) { return GetDlgItem(dialog_, id); }
    bool Exists(int id) override { return Item(id) != nullptr; }
    bool Enabled(int id) override { return Item(id) && IsWindowEnabled(Item(id)); }
    void Enable(int id, bool on) override {
        if (HWND w = Item(id)) EnableWindow(w, on);
    }
    void Show(int id, bool on) override {
        if (HWND w = Item(id)) ShowWindow(w, on ? SW_SHOWNA : SW_HIDE);
    }
    std::string Text(int id) override {
        HWND w = Item(id);
        if (!w) return "";
        const int n = GetWindowTextLengthA(w);
        std::string text(n + 1, '\0');
        GetWindowTextA(w, &text[0], n + 1);
        text.resize(std::strlen(text.c_str()));
        return text;
    }
    void SetText(int id, const std::string &text) override {
        if (HWND w = Item(id)) SetWindowTextA(w, text.c_str());
    }
    bool Checked(int id) override { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
    void SetChecked(int id, bool on) override { CheckDlgButton(dialog_, id, on ? BST_CHECKED : BST_UNCHECKED); }
    void ClearCombo(int id) override { SendDlgItemMessageA(dialog_, id, CB_RESETCONTENT, 0, 0); }
    void AddComboString(int id, const std::string &text) override {
        SendDlgItemMessageA(dialog_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::string ComboString(int id, int index) override {
        const LRESULT n = SendDlgItemMessageA(dialog_, id, CB_GETLBTEXTLEN, index, 0);
        if (n == CB_ERR) return "";
        std::string text(n + 1, '\0');
        SendDlgItemMessageA(dialog_, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(std::strlen(text.c_str()));
        return text;
    }
    int ComboSelection(int id) override {
        const LRESULT sel = SendDlgItemMessageA(dialog_, id, CB_GETCURSEL, 0, 0);
        return sel == CB_ERR ? -1 : static_cast<int>(sel);
    }
    void SetComboSelection(int id, int index) override { SendDlgItemMessageA(dialog_, id, CB_SETCURSEL, index, 0); }
    void Focus(int id) override {
        if (HWND w = Item(id)) {
            SendMessageA(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(w), TRUE);
            SetFocus(w);
        }
    }
    void Beep() override { MessageBeep(MB_ICONEXCLAMATION); }
    bool IsLabelLike(int id) override {
        HWND w = Item(id);
        if (!w) return false;
        const LRESULT code = SendMessageA(w, WM_GETDLGCODE, 0, 0);
        if (code & DLGC_STATIC) return !(code & DLGC_WANTCHARS) && !(GetWindowLongA(w, GWL_STYLE) & SS_NOPREFIX);
        return !(code & DLGC_WANTCHARS);
    }
    void SetRowRange(int id, int first, int last, int pos) override {
        HWND w = Item(id);
        if (!w) return;
        char cls[32] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (lstrcmpiA(cls, UPDOWN_CLASSA) == 0) {
            // The up arrow goes to earlier rows.
            SendMessageA(w, UDM_SETRANGE32, static_cast<WPARAM>(last), static_cast<LPARAM>(first));
            SendMessageA(w, UDM_SETPOS32, 0, pos);
        } else {
            SCROLLINFO info = {};
            info.cbSize = sizeof info;
            info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            info.nMin = first;
            info.nMax = last;
            info.nPage = 1;
            info.nPos = pos;
            SendMessageA(w, SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&info));
        }
    }
    void SetRowPosition(int id, int pos) override {
        HWND w = Item(id);
        if (!w) return;
        char cls[32] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (lstrcmpiA(cls, UPDOWN_CLASSA) == 0) SendMessageA(w, UDM_SETPOS32, 0, pos);
        else SendMessageA(w, SBM_SETPOS, pos, TRUE);
    }
    void SelectTab(int index) override { SendDlgItemMessageA(dialog_, IDC_PAGE_TABS, TCM_SETCURSEL, index, 0); }
    void SetFixedFont(int id) override {
        SendDlgItemMessageA(dialog_, id, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), TRUE);
    }
    void SetWantReturn(int id) override {
        if (HWND w = Item(id)) SetWindowLongA(w, GWL_STYLE, GetWindowLongA(w, GWL_STYLE) | ES_WANTRETURN);
    }

private:
    HWND dialog_;
};

// What the next DescribedDlgProc opens.
struct PendingDialog {
    const DialogItem *table;
    int dialogId;
    int helpContext;
    const DialogPage *pages;
    int pageCount;
    int firstPage;
};
PendingDialog gPending;
DialogSession gSession;
Win32Controls *gControls;

// ---- Pages: the tab control and the stacked page areas

RECT ControlRect(HWND dialog, int id) {
    RECT r = {};
    if (HWND w = GetDlgItem(dialog, id)) {
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
    }
    return r;
}

void MoveControlRange(HWND dialog, int first, int last, int fromId, int toId) {
    const RECT from = ControlRect(dialog, fromId), to = ControlRect(dialog, toId);
    const int dx = to.left - from.left, dy = to.top - from.top;
    if (!dx && !dy) return;
    for (int id = first; id <= last; ++id) {
        HWND w = GetDlgItem(dialog, id);
        if (!w) continue;
        const RECT r = ControlRect(dialog, id);
        SetWindowPos(w, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void SampleTabPageColor(HWND tabs);

void InitDialogPages(HWND dialog, DialogSession &s) {
    HWND tabs = GetDlgItem(dialog, IDC_PAGE_TABS);
    if (!tabs) return;
    SendMessageA(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)), FALSE);
    // Below every page control, so that it never paints over them.
    SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowLongA(tabs, GWL_STYLE, GetWindowLongA(tabs, GWL_STYLE) | WS_CLIPSIBLINGS);
    for (int i = 0; i < static_cast<int>(s.pages.size()); ++i) {
        char text[101] = {};
        GetDlgItemTextA(dialog, s.pages[i].selector, text, sizeof text);
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
        MoveControlRange(dialog, s.pages[i].first, s.pages[i].last, s.pages[i].selector, IDC_PAGE_FIRST);
    }
    SendMessageA(tabs, TCM_SETCURSEL, s.currentPage, 0);
    SampleTabPageColor(tabs);
    // The template lays the pages side by side; stacked they need only the
    // width of the first one.
    const RECT t = ControlRect(dialog, IDC_PAGE_TABS);
    RECT client;
    GetClientRect(dialog, &client);
    RECT window;
    GetWindowRect(dialog, &window);
    const int extra = (window.right - window.left) - client.right;
    SetWindowPos(dialog, nullptr, 0, 0, t.right + t.left + extra, window.bottom - window.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsSelector(const DialogSession &s, int id) {
    for (const DialogPage &p : s.pages)
        if (p.selector == id) return true;
    return false;
}

void ShowPage(HWND dialog, int index) {
    if (index < 0 || index == gSession.currentPage) return;
    UpdateWindow(dialog);
    SendMessageA(dialog, WM_SETREDRAW, FALSE, 0);
    ShowDialogPage(gSession, index);
    SendMessageA(dialog, WM_SETREDRAW, TRUE, 0);
    SetFocus(dialog);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---- Row lists

WNDPROC gRowEditProcs[64];
int gRowEditIds[64];
int gRowEditCount;

WNDPROC OriginalProc(int id) {
    for (int i = 0; i < gRowEditCount; ++i)
        if (gRowEditIds[i] == id) return gRowEditProcs[i];
    return DefWindowProcA;
}

LRESULT CALLBACK DialogRowEditWndProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    const int id = GetDlgCtrlID(edit);
    if (message == WM_KEYDOWN && (wParam == VK_PRIOR || wParam == VK_NEXT || wParam == kRowGoto) &&
        gOpenDialogSession) {
        int index = RowItemOfControl(gSession, id);
        // The second edit pages the row list it belongs to.
        if (index >= 0) {
            const int key = wParam == VK_PRIOR ? kRowBack : wParam == VK_NEXT ? kRowOn : kRowGoto;
            MoveRow(gSession, index, key, static_cast<int>(lParam));
            return 0;
        }
    }
    return CallWindowProcA(OriginalProc(id), edit, message, wParam, lParam);
}

void SubclassRowEdits(HWND dialog) {
    gRowEditCount = 0;
    for (auto &entry : gSession.rows) {
        const DialogItem &item = gSession.items[entry.first];
        const bool second = item.type == kItemParameterRows || item.type == kItemExpressionRows;
        for (int id : {item.control, second ? item.control + 1 : 0}) {
            HWND w = id ? GetDlgItem(dialog, id) : nullptr;
            if (!w || gRowEditCount == 64) continue;
            gRowEditIds[gRowEditCount] = id;
            gRowEditProcs[gRowEditCount++] = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogRowEditWndProc)));
        }
    }
}

void RestoreRowEdits(HWND dialog) {
    for (int i = 0; i < gRowEditCount; ++i)
        if (HWND w = GetDlgItem(dialog, gRowEditIds[i]))
            SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gRowEditProcs[i]));
    gRowEditCount = 0;
}

void OnRowScroll(HWND dialog, HWND bar, int code, int position) {
    const int id = GetDlgCtrlID(bar) + 1;
    const int index = RowItemOfControl(gSession, id);
    if (index < 0) return;
    (void)dialog;
    switch (code) {
    case SB_LINEUP:
    case SB_PAGEUP: MoveRow(gSession, index, kRowBack); break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN: MoveRow(gSession, index, kRowOn); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: MoveRow(gSession, index, kRowGoto, position); break;
    }
}

// ---- The dialog procedure

// Labels, check boxes and group boxes over a tab page are drawn on the
// page's own colour, which a themed tab control makes lighter than the
// dialog's: sampled from the page as the tab control paints it.
HBRUSH gTabPageBrush;
COLORREF gTabPageColor;

void SampleTabPageColor(HWND tabs) {
    RECT r;
    GetClientRect(tabs, &r);
    HDC screen = GetDC(tabs);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right > 0 ? r.right : 1, r.bottom > 0 ? r.bottom : 1);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageA(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    COLORREF colour = GetPixel(memory, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    if (colour == CLR_INVALID) colour = GetSysColor(COLOR_BTNFACE);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(tabs, screen);
    if (gTabPageBrush) DeleteObject(gTabPageBrush);
    gTabPageColor = colour;
    gTabPageBrush = CreateSolidBrush(colour);
}

// The page colour for a label or button lying on the tab page; null for
// other controls.
HBRUSH TabPageControlBrush(HWND dialog, HWND control, HDC dc) {
    HWND tabs = GetDlgItem(dialog, IDC_PAGE_TABS);
    if (!gTabPageBrush || !tabs || !IsWindowVisible(tabs)) return nullptr;
    char cls[16] = {};
    GetClassNameA(control, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0 && lstrcmpiA(cls, "Button") != 0) return nullptr;
    RECT page, r, both;
    GetWindowRect(tabs, &page);
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    GetWindowRect(control, &r);
    if (!IntersectRect(&both, &page, &r) || !EqualRect(&both, &r)) return nullptr;
    SetBkColor(dc, gTabPageColor);
    return gTabPageBrush;
}

void EndSession(HWND dialog, int result) {
    if (gTabPageBrush) DeleteObject(gTabPageBrush);
    gTabPageBrush = nullptr;
    RestoreRowEdits(dialog);
    gOpenDialogSession = nullptr;
    delete gControls;
    gControls = nullptr;
    EndDialog(dialog, result);
}

BOOL OnInit(HWND dialog) {
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    CenterDialogInFrame(dialog);
    gControls = new Win32Controls(dialog);
    gOpenDialogSession = &gSession;
    OpenDescribedDialog(gSession, gPending.table, gPending.dialogId, gPending.helpContext, gPending.pages,
                        gPending.pageCount, gPending.firstPage, gControls);
    for (const DialogItem &item : gSession.items)
        if (item.type == kItemCharArray)
            SendDlgItemMessageA(dialog, item.control, EM_LIMITTEXT, item.targetSize - 1, 0);
    if (FindItem(gSession, IDC_METHOD_PARAM_ROWS) && GetDlgItem(dialog, IDC_METHOD_PARAM_ROWS))
        ShowSolverParameterPage(gSession, gCodeLibraryIndex);
    SubclassRowEdits(dialog);
    if (!gSession.pages.empty()) InitDialogPages(dialog, gSession);
    EnableAutoCompleteAll(dialog);
    SetCursor(old);
    return TRUE;
}

// A named file question: owner and the start name.
using FileQuestion = int (*)(HWND, const char *);

// The question's answer goes into the edit; it starts from the edit's text
// where the question takes a start name.
void BrowseInto(HWND dialog, int edit, FileQuestion ask) {
    char file[kFileNameSize] = {};
    GetDlgItemTextTrimmed(dialog, edit, file, sizeof file);
    if (ask(dialog, file)) SetDlgItemTextA(dialog, edit, gFileDialogBuffer);
}

int AskPlotterFile(HWND owner, const char *) { return AskPlotterFileName(owner); }
int AskTextOutputFile(HWND owner, const char *) { return AskOutputFileName(owner); }

// Help of a code library or a plotter driver: its file from the settings
// section, or a beep when it has none.
void LibraryHelp(HWND dialog, int combo, int section) {
    char key[MAX_PATH + 1] = {};
    GetDlgItemTextTrimmed(dialog, combo, key, sizeof key);
    const std::string file = key[0] ? ShellSectionValue(section, key) : std::string();
    if (file.empty()) MessageBeep(MB_ICONEXCLAMATION);
    else ShowHelp(dialog, file.c_str(), HELP_CONTENTS, 0);
}

// "Default values" of dialog 820: the fields of an installed kernel, found
// from the program that opens its documents, over what the dialog shows.
void FillMathLinkDefaults(HWND dialog) {
    struct Field {
        int id;
        char *text;
        int size;
    };
    MathLinkSettings *fields = new MathLinkSettings();
    const Field kFields[] = {
        {IDC_ML_DLL0, fields->library[kMathLinkLocal], kMathLinkPathSize},
        {IDC_ML_DLL1, fields->library[kMathLinkTcp], kMathLinkPathSize},
        {IDC_ML_MLL0, fields->protocolModule[kMathLinkLocal], kMathLinkPathSize},
        {IDC_ML_MLL1, fields->protocolModule[kMathLinkTcp], kMathLinkPathSize},
        {IDC_ML_EXE0, fields->kernel, kMathLinkPathSize},
        {IDC_ML_PRE0, fields->before[kMathLinkLocal], kMathLinkTextSize},
        {IDC_ML_PST0, fields->after[kMathLinkLocal], kMathLinkTextSize},
        {IDC_ML_NAME, fields->linkName, kMathLinkTextSize},
    };
    for (const Field &f : kFields) GetDlgItemTextTrimmed(dialog, f.id, f.text, f.size);
    DetectMathematicaPaths(fields);
    for (const Field &f : kFields) SetDlgItemTextA(dialog, f.id, f.text);
    delete fields;
}

// The question of a browse button of dialog 820, null for other controls:
// the edit after the button holds a library, a link map or the kernel.
FileQuestion MathLinkBrowseQuestion(int id) {
    switch (id) {
    case IDC_ML_DLL0_BROWSE: case IDC_ML_DLL1_BROWSE: case IDC_ML_DLL2_BROWSE: return AskLibraryFileName;
    case IDC_ML_MLL0_BROWSE: case IDC_ML_MLL1_BROWSE: case IDC_ML_MLL2_BROWSE: return AskLinkMapFileName;
    case IDC_ML_EXE0_BROWSE: return AskProgramFileName;
    }
    return nullptr;
}

void OnCommand(HWND dialog, int id, int code) {
    switch (id) {
    case IDOK:
        if (OkDescribedDialog(gSession)) EndSession(dialog, 1);
        return;
    case IDCANCEL:
        CancelDescribedDialog(gSession);
        EndSession(dialog, 0);
        return;
    case IDHELP: HelpDescribedDialog(gSession); return;
    case IDC_GRAPH_COLORS:
        gCenterReference = {};
        ShowColorsDialog(dialog, &gGraphWorkCopy);
        return;
    case IDC_GRAPH_VIEW_POINT: ShowViewPointDialog(dialog, &gGraphWorkCopy.viewPoint); return;
    case IDC_TEXT_VIEW_POINT: ShowViewPointDialog(dialog, &gTextWorkCopy.viewPoint); return;
    case IDC_PLOTTER_BROWSE: BrowseInto(dialog, IDC_PLOTTER_DEVICE, AskPlotterFile); return;
    case IDC_TEXT_BROWSE: BrowseInto(dialog, IDC_TEXT_OUTPUT_FILE, AskTextOutputFile); return;
    case IDC_METHOD_LIBRARY_HELP: LibraryHelp(dialog, IDC_METHOD_LIBRARY, IDS_SECTION_CODE_HELP); return;
    case IDC_PLOTTER_DRIVER_HELP: LibraryHelp(dialog, IDC_PLOTTER_DRIVER, IDS_SECTION_PLOTTER_HELP); return;
    case IDC_ML_DEFAULTS:
        if (code == BN_CLICKED) FillMathLinkDefaults(dialog);
        return;
    }
    if (FileQuestion ask = MathLinkBrowseQuestion(id)) {
        if (code == BN_CLICKED) BrowseInto(dialog, id + 1, ask);
        return;
    }
    if (IsSelector(gSession, id)) {
        if (code == BN_CLICKED) {
            for (size_t p = 0; p < gSession.pages.size(); ++p)
                if (gSession.pages[p].selector == id) ShowPage(dialog, static_cast<int>(p));
        } else if (code == 2) {
            SetFocus(GetDlgItem(dialog, IDC_PAGE_TABS));
        }
        return;
    }
    SettingsDialogCommand(gSession, id, code);
}

}  // namespace

INT_PTR CALLBACK DescribedDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInit(dialog);
    case WM_COMMAND:
        if (!gOpenDialogSession) return FALSE;
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR *h = reinterpret_cast<const NMHDR *>(lParam);
        if (gOpenDialogSession && h->idFrom == IDC_PAGE_TABS && h->code == TCN_SELCHANGE)
            ShowPage(dialog, static_cast<int>(SendMessageA(h->hwndFrom, TCM_GETCURSEL, 0, 0)));
        return TRUE;
    }
    case WM_VSCROLL:
    case WM_HSCROLL:
        if (gOpenDialogSession && lParam) {
            int position = HIWORD(wParam);
            char cls[32] = {};
            GetClassNameA(reinterpret_cast<HWND>(lParam), cls, sizeof cls);
            if (lstrcmpiA(cls, UPDOWN_CLASSA) == 0)
                position = static_cast<int>(SendMessageA(reinterpret_cast<HWND>(lParam), UDM_GETPOS32, 0, 0));
            OnRowScroll(dialog, reinterpret_cast<HWND>(lParam), LOWORD(wParam), position);
        }
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE && gOpenDialogSession) {
            CancelDescribedDialog(gSession);
            EndSession(dialog, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return reinterpret_cast<INT_PTR>(
            TabPageControlBrush(dialog, reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)));
    case WM_HELP:
    case WM_CONTEXTMENU: return OnDialogHelpMessage(dialog, message, wParam, lParam);
    }
    return FALSE;
}

int RunPagedDescribedDialog(const DialogItem *table, int dialogId, const DialogPage *pages, int pageCount,
                            int firstPage) {
    if (gOpenDialogSession) return 0;  // one described dialog at a time
    gPending = {table, dialogId, 0, pages, pageCount, firstPage};
    const INT_PTR result = RunModalDialog(dialogId, gFrameWindow, DescribedDlgProc);
    return result == 1 ? 1 : 0;
}

int RunDescribedDialog(const DialogItem *table, int dialogId, int helpContext) {
    if (gOpenDialogSession) return 0;
    gPending = {table, dialogId, helpContext, nullptr, 0, 0};
    const INT_PTR result = RunModalDialog(dialogId, gFrameWindow, DescribedDlgProc);
    return result == 1 ? 1 : 0;
}

DialogControls *NewDialogControls(HWND dialog) { return new Win32Controls(dialog); }

int GetDlgItemTextTrimmed(HWND dialog, int id, char *buffer, int size) {
    GetDlgItemTextA(dialog, id, buffer, size);
    int n = static_cast<int>(std::strlen(buffer));
    while (n > 0 && static_cast<unsigned char>(buffer[n - 1]) <= 32) buffer[--n] = 0;
    return n;
}

// ---- The frame's side

namespace {

HWND ActiveChild() {
    return gMdiClient ? reinterpret_cast<HWND>(SendMessageA(gMdiClient, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}

struct GraphList {
    HWND exclude;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectGraphs(HWND w, LPARAM param) {
    GraphList *list = reinterpret_cast<GraphList *>(param);
    if (w != list->exclude && GraphStateOf(w) && !GetWindow(w, GW_OWNER) && GetParent(w) == gMdiClient)
        list->windows.push_back(w);
    return TRUE;
}

GraphList OtherGraphs() {
    GraphList list{ActiveChild(), {}};
    if (gMdiClient) EnumChildWindows(gMdiClient, CollectGraphs, reinterpret_cast<LPARAM>(&list));
    return list;
}

const char *SectionName(int id) { return LoadTextResource(id); }

void Win32SyncActiveChild(int toWindow) {
    if (HWND w = ActiveChild()) SendMessageA(w, SyncStateMessage, toWindow, 0);
}

void Win32SetActiveChildTitle(const char *title) {
    if (HWND w = ActiveChild()) SetWindowTextA(w, title);
}

void Win32ShowHelp(int topic) { ShowHelpTopic(topic); }

std::vector<std::string> Win32OtherGraphTitles() {
    std::vector<std::string> titles;
    for (HWND w : OtherGraphs().windows) {
        char text[256] = {};
        GetWindowTextA(w, text, sizeof text);
        titles.push_back(text);
    }
    return titles;
}

int Win32LinkedGraphIndex() {
    const GraphList list = OtherGraphs();
    for (size_t i = 0; i < list.windows.size(); ++i)
        if (FromHwnd(list.windows[i]) == gGraphWorkCopy.linkedWindow) return static_cast<int>(i) + 1;
    return 0;
}

void Win32LinkGraph(int index) {
    const GraphList list = OtherGraphs();
    gGraphWorkCopy.linkedWindow = 0;
    if (index > 0 && index <= static_cast<int>(list.windows.size()))
        gGraphWorkCopy.linkedWindow = FromHwnd(list.windows[index - 1]);
}

std::vector<std::string> Win32SectionKeys(int sectionStringId) {
    std::vector<std::string> keys;
    for (const char *k = EnumSettingsKeys(SectionName(sectionStringId), 0, kSettingsShared); k && *k;
         k = EnumSettingsKeys(SectionName(sectionStringId), 1, kSettingsShared))
        keys.push_back(k);
    return keys;
}

std::string Win32SectionValue(int sectionStringId, const std::string &key) {
    char value[MAX_PATH + 1] = {};
    ReadSettingString(SectionName(sectionStringId), key.c_str(), "", value, sizeof value, kSettingsShared);
    return value;
}

void Win32SetBackwardButton(bool checked, bool enabled) {
    PlatformSetChoiceState(kChoiceBackward, enabled);
    if (gFrameWindow)
        if (HMENU menu = GetMenu(gFrameWindow))
            CheckMenuItem(menu, kCmdBackward, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void Win32GraphFormatApplied() {
    HWND w = ActiveChild();
    GraphWindowState *state = w ? GraphStateOf(w) : nullptr;
    if (!state) return;
    GraphWindowState *saved = gCurrentGraph;
    gCurrentGraph = state;
    UpdateGraphMapping();
    state->zoomed = 0;
    gCurrentGraph = saved;
}

}  // namespace

int gPictureFormatsOffered = -1;

namespace {

int Win32AvailablePictureFormats() {
    if (gPictureFormatsOffered >= 0) return gPictureFormatsOffered;
    return (IsClipboardFormatAvailable(CF_BITMAP) ? 1 : 0) | (IsClipboardFormatAvailable(CF_DIB) ? 2 : 0) |
           (IsClipboardFormatAvailable(CF_METAFILEPICT) ? 4 : 0);
}

void Win32SelectCodeLibrary(int index, const std::string &) { SelectSolverLibrary(index); }

BOOL CALLBACK DropElementCode(HWND w, LPARAM) {
    if (GraphWindowState *g = GraphStateOf(w))
        for (GraphicsElement *e = g->elements; e; e = e->next) {
            FreeAndNull(e->code1);
            FreeAndNull(e->code2);
            FreeAndNull(e->code3);
        }
    return TRUE;
}

// Parameter values are compiled into the elements' code: it is compiled
// again at the next drawing.
void Win32ParametersChanged() {
    if (gMdiClient) EnumChildWindows(gMdiClient, DropElementCode, 0);
}

// A new "Transparency" reaches the calculator and the browsers at once.
void Win32ApplyTransparency() {
    for (HWND window : {gCalculatorDialog, gBrowserDialogs[0], gBrowserDialogs[1]}) {
        if (!window) continue;
        SetInactiveTransparency(window, true);
        SetInactiveTransparency(window, false);
    }
}

// The library is loaded only while its parameters are read: the method in
// use stays until OK selects the new one.
bool Win32PeekCodeLibraryParameters(const std::string &entry, std::vector<std::string> *names,
                                    std::vector<double> *values) {
    char path[MAX_PATH + 1] = {};
    ReadSettingString(kCodeLibrariesSection, entry.c_str(), "", path, sizeof path, kSettingsShared);
    HMODULE module = path[0] ? LoadLibrarySilently(path) : nullptr;
    if (!module) {
        ShowErrorBoxFormatted(IDS_MATH_LIBRARY_NOT_FOUND, path);
        return false;
    }
    FARPROC found = GetProcAddress(module, "ParamDLL");
    if (!found) found = GetProcAddress(module, "_ParamDLL@4");
    ParamDllProc param = reinterpret_cast<ParamDllProc>(reinterpret_cast<void *>(found));
    // A library that never answers null is read no further than any dialog
    // could page through.
    for (int i = 0; param && i < 32767; ++i) {
        const SolverParamEntry *p = param(i);
        if (!p) break;
        names->push_back(p->name ? p->name : "");
        values->push_back(p->value);
    }
    FreeLibrary(module);
    return true;
}

// The backing bitmap and the plotter session of the graph being edited: its
// work copy, which OK copies back into the window.
void Win32SetBackingBitmapMode(int mode) {
    GraphWindowState *saved = gCurrentGraph;
    gCurrentGraph = &gGraphWorkCopy;
    SetBackingBitmapMode(&gGraphWorkCopy, mode);
    gCurrentGraph = saved;
}

void Win32ClosePlotterSession() {
    GraphWindowState *saved = gCurrentGraph;
    gCurrentGraph = &gGraphWorkCopy;
    ClosePlotterJob();
    gCurrentGraph = saved;
}

}  // namespace

void InstallWin32DialogShell() {
    DialogShell &d = gDialogShell;
    d.syncActiveChild = Win32SyncActiveChild;
    d.setActiveChildTitle = Win32SetActiveChildTitle;
    d.showHelp = Win32ShowHelp;
    d.otherGraphTitles = Win32OtherGraphTitles;
    d.linkGraph = Win32LinkGraph;
    d.linkedGraphIndex = Win32LinkedGraphIndex;
    d.sectionKeys = Win32SectionKeys;
    d.sectionValue = Win32SectionValue;
    d.applyTransparency = Win32ApplyTransparency;
    d.setBackwardButton = Win32SetBackwardButton;
    d.setBackingBitmapMode = Win32SetBackingBitmapMode;
    d.selectCodeLibrary = Win32SelectCodeLibrary;
    d.closePlotterSession = Win32ClosePlotterSession;
    d.peekCodeLibraryParameters = Win32PeekCodeLibraryParameters;
    d.parametersChanged = Win32ParametersChanged;
    d.graphFormatApplied = Win32GraphFormatApplied;
    d.availablePictureFormats = Win32AvailablePictureFormats;
}
