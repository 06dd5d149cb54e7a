#include "forms.h"

#include <commctrl.h>

#include "glyph_editor.h"

void (*gShowHint)(const char *hint) = nullptr;

// --- Menus.

std::string ShortcutText(WORD key, BYTE modifiers) {
    std::string text;
    if (modifiers & FCONTROL) text += "Ctrl+";
    if (modifiers & FSHIFT) text += "Shift+";
    switch (key) {
    case VK_DELETE: return text + "Del";
    case VK_INSERT: return text + "Ins";
    case VK_TAB: return text + "Tab";
    case VK_RETURN: return text + "Enter";
    default:
        if (key >= VK_F1 && key <= VK_F12) return text + "F" + std::to_string(key - VK_F1 + 1);
        return text + static_cast<char>(key);
    }
}

HMENU BuildPopup(const MenuDef &def) {
    HMENU popup = CreatePopupMenu();
    for (int i = 0; i < def.count; ++i) {
        const MenuItemDef &item = def.items[i];
        if (item.id == 0) {
            AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::string caption = item.caption;
        if (item.key) caption += "\t" + ShortcutText(item.key, item.modifiers);
        AppendMenuA(popup, MF_STRING, item.id, caption.c_str());
    }
    return popup;
}

HACCEL BuildAccelerators(const MenuDef *defs, int count) {
    std::vector<ACCEL> table;
    for (int d = 0; d < count; ++d)
        for (int i = 0; i < defs[d].count; ++i) {
            const MenuItemDef &item = defs[d].items[i];
            if (item.key)
                table.push_back({static_cast<BYTE>(FVIRTKEY | item.modifiers), item.key, static_cast<WORD>(item.id)});
        }
    return table.empty() ? nullptr : CreateAcceleratorTableA(table.data(), static_cast<int>(table.size()));
}

namespace {
std::map<int, const char *> gCommandHints;
std::map<HMENU, const char *> gPopupHints;
}  // namespace

void RegisterHints(const MenuDef *defs, int count, const HMENU *popups) {
    for (int d = 0; d < count; ++d) {
        if (popups) gPopupHints[popups[d]] = defs[d].hint;
        for (int i = 0; i < defs[d].count; ++i)
            if (defs[d].items[i].id) gCommandHints[defs[d].items[i].id] = defs[d].items[i].hint;
    }
}

const char *HintOfCommand(int id) {
    auto it = gCommandHints.find(id);
    return it == gCommandHints.end() ? "" : it->second;
}

const char *HintOfPopup(HMENU popup) {
    auto it = gPopupHints.find(popup);
    return it == gPopupHints.end() ? "" : it->second;
}

// --- Forms.

std::string Form::Caption() const {
    char text[1024];
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

void Form::SetCaption(const std::string &text) { SetWindowTextA(hwnd, text.c_str()); }

SIZE Form::ClientSize() const {
    RECT r;
    GetClientRect(hwnd, &r);
    return {r.right, r.bottom};
}

void Form::SetClientSize(int width, int height) {
    RECT outer, client;
    GetWindowRect(hwnd, &outer);
    GetClientRect(hwnd, &client);
    // The frame around the client area stays as it is: grow the outer size
    // by the difference.
    SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                 outer.bottom - outer.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Form *Form::FromHandle(HWND hwnd) { return reinterpret_cast<Form *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

void Form::RegisterFormClass(const char *name, HICON icon) {
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = icon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = name;
    ::RegisterClassA(&wc);
}

LRESULT Form::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT Form::Handle(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

namespace {

MouseEvent MouseAt(WPARAM wParam, LPARAM lParam, bool doubleClick) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)), (wParam & MK_SHIFT) != 0,
            doubleClick};
}

}  // namespace

LRESULT CALLBACK Form::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Form *form = FromHandle(hwnd);
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA *cs = reinterpret_cast<CREATESTRUCTA *>(lParam);
        // MDI children get their object through the MDI creation record.
        form = static_cast<Form *>(cs->dwExStyle & WS_EX_MDICHILD
                                       ? reinterpret_cast<void *>(
                                             static_cast<MDICREATESTRUCTA *>(cs->lpCreateParams)->lParam)
                                       : cs->lpCreateParams);
        form->hwnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    if (!form) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        form->FormPaint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SIZE: {
        LRESULT r = form->Default(message, wParam, lParam);
        form->FormResize();
        return r;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: form->FormMouseDown(MouseAt(wParam, lParam, false)); return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: form->FormMouseDown(MouseAt(wParam, lParam, true)); return 0;
    case WM_MOUSEMOVE: form->FormMouseMove(MouseAt(wParam, lParam, false)); return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: form->FormMouseUp(MouseAt(wParam, lParam, false)); return 0;
    case WM_KEYDOWN: form->FormKeyDown(static_cast<WORD>(wParam), GetKeyState(VK_SHIFT) < 0); break;
    case WM_MDIACTIVATE:
        if (reinterpret_cast<HWND>(lParam) == hwnd) {
            LRESULT r = form->Default(message, wParam, lParam);
            form->FormActivate();
            return r;
        }
        break;
    case WM_CLOSE:
        if (!form->FormCloseQuery()) return 0;
        form->FormClose();
        break;
    case WM_COMMAND:
        if (form->FormCommand(LOWORD(wParam))) return 0;
        break;
    case WM_NCDESTROY: {
        LRESULT r = form->Default(message, wParam, lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        if (form->owned) delete form;
        else form->hwnd = nullptr;
        return r;
    }
    default: return form->Handle(message, wParam, lParam);
    }
    return form->Default(message, wParam, lParam);
}

// --- Status bar.

void StatusBar::Create(HWND parent, const std::vector<int> &widths, const std::vector<int> &alignments) {
    hwnd = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    alignments_ = alignments;
    texts_.assign(widths.size(), "");
    SetWidths(widths);
}

void StatusBar::SetWidths(const std::vector<int> &widths) {
    widths_ = widths;
    std::vector<int> edges;
    int right = 0;
    for (int w : widths) edges.push_back(right += w);
    SendMessageA(hwnd, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < texts_.size(); ++i) SetText(static_cast<int>(i), texts_[i]);
}

void StatusBar::SetText(int panel, const std::string &text) {
    if (panel < 0 || panel >= static_cast<int>(texts_.size())) return;
    texts_[panel] = text;
    // A leading tab centres a panel's text.
    std::string shown = (alignments_[panel] == DT_CENTER ? "\t" : "") + text;
    SendMessageA(hwnd, SB_SETTEXTA, panel, reinterpret_cast<LPARAM>(shown.c_str()));
}

std::string StatusBar::Text(int panel) const {
    return panel >= 0 && panel < static_cast<int>(texts_.size()) ? texts_[panel] : "";
}

// --- Speed bar.

void SpeedBar::Create(HWND parent, const SpeedButtonDef *buttons, int count, int height) {
    buttons_ = buttons;
    count_ = count;
    hwnd = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                           WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER, 0,
                           0, 0, height, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBADDBITMAP bitmaps = {HINST_COMMCTRL, IDB_STD_SMALL_COLOR};
    SendMessageA(hwnd, TB_ADDBITMAP, 0, reinterpret_cast<LPARAM>(&bitmaps));
    std::vector<TBBUTTON> tb;
    for (int i = 0; i < count; ++i) {
        TBBUTTON b = {};
        b.iBitmap = buttons[i].image;
        b.idCommand = buttons[i].command;
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = TBSTYLE_BUTTON;
        tb.push_back(b);
    }
    SendMessageA(hwnd, TB_ADDBUTTONSA, tb.size(), reinterpret_cast<LPARAM>(tb.data()));
    SendMessageA(hwnd, TB_SETBUTTONSIZE, 0, MAKELPARAM(25, 25));
}

void SpeedBar::Enable(int command, bool enable) { SendMessageA(hwnd, TB_ENABLEBUTTON, command, MAKELPARAM(enable, 0)); }

bool SpeedBar::Enabled(int command) const { return SendMessageA(hwnd, TB_ISBUTTONENABLED, command, 0) != 0; }

const char *SpeedBar::Tooltip(int command) const {
    for (int i = 0; i < count_; ++i)
        if (buttons_[i].command == command) return buttons_[i].tooltip;
    return nullptr;
}

// --- Canvas.

Canvas::Canvas(HDC d) : dc(d), saved_(SaveDC(d)) {}

Canvas::~Canvas() {
    RestoreDC(dc, saved_);
    for (HPEN pen : pens_) DeleteObject(pen);
}

void Canvas::SetPen(COLORREF colour) {
    colour_ = colour;
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    pens_.push_back(pen);
    SelectObject(dc, pen);
}

void Canvas::MapIsotropic(int wx, int wy, int wex, int wey, int vx, int vy, int vex, int vey) {
    SetMapMode(dc, MM_ISOTROPIC);
    SetWindowExtEx(dc, wex, wey, nullptr);  // before the viewport: isotropic adjusts it
    SetViewportExtEx(dc, vex, vey, nullptr);
    SetWindowOrgEx(dc, wx, wy, nullptr);
    SetViewportOrgEx(dc, vx, vy, nullptr);
}

void Canvas::MapAnisotropic(int wx, int wy, int wex, int wey, int vx, int vy, int vex, int vey) {
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, wex, wey, nullptr);
    SetViewportExtEx(dc, vex, vey, nullptr);
    SetWindowOrgEx(dc, wx, wy, nullptr);
    SetViewportOrgEx(dc, vx, vy, nullptr);
}

void Canvas::ResetMapping() {
    SetMapMode(dc, MM_TEXT);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
}

void Canvas::MoveTo(int x, int y) {
    at_ = {x, y};
    MoveToEx(dc, x, y, nullptr);
}

void Canvas::LineTo(int x, int y) {
    if (x != at_.x || y != at_.y) {
        ::LineTo(dc, x, y);
        at_ = {x, y};
        return;
    }
    // A line of no length draws nothing with a one-pixel pen: a dot in
    // device pixels instead.
    POINT p = at_;
    LPtoDP(dc, &p, 1);
    int saved = SaveDC(dc);
    SetMapMode(dc, MM_TEXT);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    for (int dx = -dotRadius; dx <= dotRadius; ++dx)
        for (int dy = -dotRadius; dy <= dotRadius; ++dy) SetPixelV(dc, p.x + dx, p.y + dy, colour_);
    RestoreDC(dc, saved);
}

// --- Raised panel.

namespace {

void PaintRaisedPanel(HWND panel, HDC dc) {
    RECT r;
    GetClientRect(panel, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    // Light above and left, shadow below and right: one pixel each.
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
}

LRESULT CALLBACK RaisedPanelProcedure(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(panel, &ps);
        PaintRaisedPanel(panel, dc);
        EndPaint(panel, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: PaintRaisedPanel(panel, reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;  // the paint fills it whole
    case WM_NCHITTEST: return HTTRANSPARENT;  // the dialog sees the mouse, as over its face
    }
    return DefWindowProcA(panel, message, wParam, lParam);
}

void RegisterRaisedPanel() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RaisedPanelProcedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = FORMS_RAISED_PANEL_CLASS;
    registered = ::RegisterClassA(&wc) != 0;
}

}  // namespace

// --- Dialogs.

Dialog::~Dialog() { ReleaseLooks(); }

INT_PTR Dialog::Run(HINSTANCE instance, int templateId, HWND owner) {
    RegisterRaisedPanel();
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, Procedure, reinterpret_cast<LPARAM>(this));
}

void Dialog::SetLabelLooks(const LabelLook *looks, int count) {
    LOGFONTA base = {};
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
    if (!dialogFont || !GetObjectA(dialogFont, sizeof base, &base))
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof base, &base);
    for (int i = 0; i < count; ++i) {
        const LabelLook &look = looks[i];
        looks_.push_back(look);
        if (!look.bold && !look.underline && !look.face) continue;
        LOGFONTA font = base;
        if (look.bold) font.lfWeight = FW_BOLD;
        font.lfUnderline = look.underline;
        if (look.face) {
            lstrcpynA(font.lfFaceName, look.face, LF_FACESIZE);
            font.lfPitchAndFamily = DEFAULT_PITCH;
        }
        HFONT made = CreateFontIndirectA(&font);
        fonts_.push_back(made);
        SendDlgItemMessageA(hwnd, look.id, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
    }
}

void Dialog::AddTooltip(int id, const char *text) {
    if (!tooltip_)
        tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    TTTOOLINFOA tool = {};
    // The size that every version of the common controls accepts.
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(hwnd, id));
    tool.lpszText = const_cast<char *>(text);  // copied by the control
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

HBRUSH Dialog::LabelColours(HDC dc, HWND control) const {
    const int id = GetDlgCtrlID(control);
    for (const LabelLook &look : looks_)
        if (look.id == id) {
            SetTextColor(dc, look.colour);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            SetBkMode(dc, TRANSPARENT);
            return GetSysColorBrush(COLOR_BTNFACE);
        }
    return nullptr;
}

void Dialog::ReleaseLooks() {
    for (HFONT font : fonts_) DeleteObject(font);
    fonts_.clear();
    looks_.clear();
    tooltip_ = nullptr;  // owned by the dialog: gone with it
}

std::string Dialog::ItemText(int id) const {
    HWND item = GetDlgItem(hwnd, id);
    int n = GetWindowTextLengthA(item);
    std::string text(n + 1, '\0');
    GetWindowTextA(item, &text[0], n + 1);
    text.resize(n);
    return text;
}

void Dialog::SetItemText(int id, const std::string &text) { SetDlgItemTextA(hwnd, id, text.c_str()); }

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog *d = reinterpret_cast<Dialog *>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        d = reinterpret_cast<Dialog *>(lParam);
        d->hwnd = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        d->Init();
        return TRUE;
    }
    if (!d) return FALSE;
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            if (d->Validate()) EndDialog(hwnd, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(hwnd, IDCANCEL);
            return TRUE;
        }
        if (HIWORD(wParam) == BN_CLICKED && d->Command(LOWORD(wParam))) return TRUE;
        break;
    case WM_SETCURSOR:
        if (gShowHint) {
            const char *hint = d->Hint(GetDlgCtrlID(reinterpret_cast<HWND>(wParam)));
            gShowHint(hint ? hint : "");
        }
        break;
    case WM_CTLCOLORSTATIC:
        if (HBRUSH brush = d->LabelColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
            return reinterpret_cast<INT_PTR>(brush);
        break;
    case WM_DESTROY: {
        d->hwnd = nullptr;
        const BOOL handled = d->Message(message, wParam, lParam);
        d->ReleaseLooks();
        return handled;
    }
    }
    return d->Message(message, wParam, lParam);
}

// --- Registry.

RegistrySection::RegistrySection(const std::string &path, const char *section, bool create) {
    const std::string name = path + "\\" + section;
    LONG r = create ? RegCreateKeyExA(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                      &key_, nullptr)
                    : RegOpenKeyExA(HKEY_CURRENT_USER, name.c_str(), 0, KEY_READ, &key_);
    if (r != ERROR_SUCCESS) key_ = nullptr;
}

RegistrySection::~RegistrySection() {
    if (key_) RegCloseKey(key_);
}

bool RegistrySection::Read(const char *name, std::string &value) const {
    if (!key_) return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return false;
    std::string text(size + 1, '\0');
    if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE *>(&text[0]), &size) != ERROR_SUCCESS)
        return false;
    text.resize(strlen(text.c_str()));
    value = text;
    return true;
}

void RegistrySection::ReadInt(const char *name, int &value) const {
    std::string text;
    int v;
    if (Read(name, text) && ParseInteger(text, v)) value = v;
}

bool RegistrySection::Write(const char *name, const std::string &value) {
    return key_ && RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                                  static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

// --- Help.

void ShowHtmlHelp(const std::string &file, UINT command, DWORD_PTR data) {
    typedef HWND(WINAPI * HtmlHelpFn)(HWND, LPCSTR, UINT, DWORD_PTR);
    static HtmlHelpFn help = nullptr;
    if (!help) {
        HMODULE library = LoadLibraryA("hhctrl.ocx");
        if (library) help = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void *>(GetProcAddress(library, "HtmlHelpA")));
    }
    if (help) help(GetDesktopWindow(), file.c_str(), command, data);
}
