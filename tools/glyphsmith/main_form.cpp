// The main window: file commands, recent fonts, the speed bar and status
// bar, the registry settings and the merging of the children's menus.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include "glyphsmith.h"
#include "glyphsmith_ids.h"

std::string gStartupFontPath;
RecentFonts gRecentFonts;
CharWindowSettings gCharWindowDefaults;
FChar gCharClipboard;
const char kRegistryPath[] = "Software\\Quorvale\\Glyphsmith";
bool (*gAskFontFileOverride)(bool save, std::string &path) = nullptr;
MainForm *gMainForm = nullptr;
const char kFontClassName[] = "GlyphsmithFont";
const char kCharClassName[] = "GlyphsmithChar";

namespace {

const char kFrameClass[] = "GlyphsmithMain";
const char kOldIniHint[] = "Select this previous font file";

const MenuItemDef kFileItems[] = {
    {CM_FILE_NEW, "&New", "Create a new font file", 0, 0},
    {CM_FILE_OPEN, "&Open", "Open an existing font file", 0, 0},
    {CM_FILE_CLOSE, "&Close", "Close current font file", 0, 0},
    {CM_FILE_SAVE, "&Save", "Save current font file", 0, 0},
    {CM_FILE_SAVE_AS, "Save &As...", "Save current font file as...", 0, 0},
    {0, "-", "", 0, 0},
    {CM_FILE_EXIT, "E&xit", "Exit the application", 0, 0},
};
const MenuItemDef kWindowItems[] = {
    {CM_WINDOW_CASCADE, "&Cascade", "Arrange windows to overlap", 0, 0},
    {CM_WINDOW_TILE, "&Tile", "Arrange windows without overlap", 0, 0},
    {CM_WINDOW_ARRANGE, "&Arrange Icons", "Arrange window icons at bottom of main window", 0, 0},
    {CM_WINDOW_MINIMIZE, "&Minimize All", "Minimize all windows", 0, 0},
};
const MenuItemDef kHelpItems[] = {
    {CM_HELP_CONTENTS, "&Contents", "Open contents of help system", VK_F1, 0},
    {CM_HELP_SEARCH, "&Search for help on...", "Search keywords in help system", 0, 0},
    {0, "-", "", 0, 0},
    {CM_HELP_ABOUT, "&About...", "Show program information", 0, 0},
};
const MenuDef kFrameMenus[] = {
    Popup("&File", "File related commands", 0, kFileItems),
    Popup("&Window", "Window related commands such as Tile and Cascade", 5, kWindowItems),
    Popup("&Help", "Help topics", 50, kHelpItems),
};

// Standard small images of the common controls.
const SpeedButtonDef kSpeedButtons[] = {
    {CM_FILE_NEW, STD_FILENEW, "New"},        {CM_FILE_OPEN, STD_FILEOPEN, "Open"},
    {CM_FILE_SAVE, STD_FILESAVE, "Save"},     {CM_CUT_BUTTON, STD_CUT, "Cut"},
    {CM_COPY_BUTTON, STD_COPY, "Copy"},       {CM_PASTE_BUTTON, STD_PASTE, "Paste"},
    {CM_HELP_CONTENTS, STD_HELP, "Help"},     {CM_HELP_ABOUT, STD_PROPERTIES, "About"},
    {CM_FILE_EXIT, STD_DELETE, "Exit"},
};
constexpr int kSpeedBarHeight = 30;
// The first client area is 501 x 289 pixels, and higher where a font window
// of its first size would not fit whole between the speed and status bars.
constexpr int kFirstClientWidth = 501, kFirstClientHeight = 289;
constexpr int kFirstChildWidth = 264, kFirstChildHeight = 283;

// Commands that need an open child window.
const int kChildCommands[] = {CM_FILE_CLOSE,      CM_FILE_SAVE,      CM_FILE_SAVE_AS,   CM_WINDOW_CASCADE,
                              CM_WINDOW_TILE,     CM_WINDOW_ARRANGE, CM_WINDOW_MINIMIZE};
const int kChildButtons[] = {CM_FILE_SAVE, CM_CUT_BUTTON, CM_COPY_BUTTON, CM_PASTE_BUTTON};

void ShowHintInPanel(const char *hint) {
    if (gMainForm) gMainForm->SetPanel(kPanelHint, hint);
}

// MoveFileEx puts the new file in place of the old in one step.
bool ReplaceWin32(const char *from, const char *to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

MainForm *MainForm::Create(HINSTANCE instance, int show) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_GLYPHSMITH));
    Form::RegisterFormClass(kFrameClass, icon);
    Form::RegisterFormClass(kFontClassName, icon);
    Form::RegisterFormClass(kCharClassName, icon);

    MainForm *form = new MainForm;
    form->instance = instance;
    gMainForm = form;
    CreateWindowExA(0, kFrameClass, "Glyphsmith", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                    CW_USEDEFAULT, 600, 400, nullptr, nullptr, instance, form);
    form->FormCreate();
    form->SetClientSize(kFirstClientWidth, form->FirstClientHeight());
    ShowWindow(form->hwnd, show);
    UpdateWindow(form->hwnd);
    // The about box is made at start and finishes the start-up.
    LoadAboutTexts();
    form->FinishStartup();
    return form;
}

// Outer height of a font window of the first size once it has made its
// grid square.
static int FirstFontWindowHeight() {
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_CHILD | WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, FALSE, WS_EX_MDICHILD);
    const int frameWidth = frame.right - frame.left, frameHeight = frame.bottom - frame.top;
    const int cell = CorrectGridCell(kMinCell, kFirstChildWidth - frameWidth, kFirstChildHeight - frameHeight);
    const int height = GridClientSize(cell) + frameHeight;
    return height > kFirstChildHeight ? height : kFirstChildHeight;
}

int MainForm::FirstClientHeight() const {
    RECT r = {0, 0, 0, 0};
    if (status.hwnd) GetWindowRect(status.hwnd, &r);
    int needed = kSpeedBarHeight + FirstFontWindowHeight() + (r.bottom - r.top);
    // The client's own edge.
    RECT outer, inner;
    if (client && GetWindowRect(client, &outer) && GetClientRect(client, &inner))
        needed += (outer.bottom - outer.top) - inner.bottom;
    return needed > kFirstClientHeight ? needed : kFirstClientHeight;
}

void MainForm::FormCreate() {
    gShowHint = ShowHintInPanel;
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    helpFile = path;
    const size_t dot = helpFile.find_last_of('.'), slash = helpFile.find_last_of("\\/");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) helpFile.erase(dot);
    helpFile += ".chm";

    filePopup_ = BuildPopup(kFrameMenus[0]);
    windowPopup_ = BuildPopup(kFrameMenus[1]);
    helpPopup_ = BuildPopup(kFrameMenus[2]);
    const HMENU framePopups[] = {filePopup_, windowPopup_, helpPopup_};
    RegisterHints(kFrameMenus, 3, framePopups);
    accelerators_ = BuildAccelerators(kFrameMenus, 3);
    if (!FontChild::menu) {
        FontChild::menu = BuildPopup(FontChild::kMenu);
        RegisterHints(&FontChild::kMenu, 1, &FontChild::menu);
        FontChild::accelerators = BuildAccelerators(&FontChild::kMenu, 1);
        for (int i = 0; i < 3; ++i) CharChild::menus[i] = BuildPopup(CharChild::kMenus[i]);
        RegisterHints(CharChild::kMenus, 3, CharChild::menus);
        CharChild::accelerators = BuildAccelerators(CharChild::kMenus, 3);
    }
    SetMenu(hwnd, CreateMenu());

    speed.Create(hwnd, kSpeedButtons, sizeof kSpeedButtons / sizeof kSpeedButtons[0], kSpeedBarHeight);
    status.Create(hwnd, {150, 150, 50, 50, 50, 50}, {DT_LEFT, DT_CENTER, DT_CENTER, DT_CENTER, DT_CENTER, DT_CENTER});
    CLIENTCREATESTRUCT ccs = {windowPopup_, CM_FIRST_CHILD};
    client = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                             WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0, 0, 0, hwnd,
                             nullptr, instance, &ccs);

    RegistrySection options(kRegistryPath, "Options", false);
    if (options.Open()) {
        CharWindowSettings read = gCharWindowDefaults;
        for (int i = 0; i < CharWindowSettings::kCount; ++i) options.ReadInt(kSettingNames[i], read.Field(i));
        // Values that no window could show keep the defaults.
        if (SettingsUsable(read)) gCharWindowDefaults = read;
    }
    RegistrySection previous(kRegistryPath, "Previous", false);
    for (int k = 0; k < RecentFonts::kSlots; ++k) {
        gRecentFonts.entry[k].clear();
        previous.Read(std::to_string(k).c_str(), gRecentFonts.entry[k]);
    }
    UpdateMenuItems();
    FormResize();
}

void MainForm::FinishStartup() {
    gRecentFonts.Rebuild();
    RebuildRecentMenu();
    if (!gStartupFontPath.empty()) OpenFontChild(gStartupFontPath);
}

void MainForm::FormClose() {
    RegistrySection options(kRegistryPath, "Options", true);
    for (int i = 0; i < CharWindowSettings::kCount; ++i)
        options.Write(kSettingNames[i], std::to_string(gCharWindowDefaults.Field(i)));
    RegistrySection previous(kRegistryPath, "Previous", true);
    for (int k = 0; k < gRecentFonts.Count(); ++k) previous.Write(std::to_string(k).c_str(), gRecentFonts.entry[k]);
}

bool MainForm::TranslateAccelerators(MSG *message) {
    if (!hwnd) return false;
    if (client && TranslateMDISysAccel(client, message)) return true;
    Form *active = ActiveChild();
    HACCEL childTable = dynamic_cast<FontChild *>(active)   ? FontChild::accelerators
                        : dynamic_cast<CharChild *>(active) ? CharChild::accelerators
                                                            : nullptr;
    if (childTable && TranslateAcceleratorA(hwnd, childTable, message)) return true;
    return accelerators_ && TranslateAcceleratorA(hwnd, accelerators_, message);
}

// --- Children.

void MainForm::CreateChild(Form *child, const char *className, const std::string &caption) {
    MDICREATESTRUCTA mcs = {};
    mcs.szClass = className;
    mcs.szTitle = caption.c_str();
    mcs.hOwner = instance;
    mcs.x = mcs.y = CW_USEDEFAULT;
    mcs.cx = kFirstChildWidth;
    mcs.cy = kFirstChildHeight;
    mcs.style = WS_CLIPCHILDREN;
    mcs.lParam = reinterpret_cast<LPARAM>(child);
    SendMessageA(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs));
}

Form *MainForm::ActiveChild() const {
    if (!client) return nullptr;
    HWND active = reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0));
    return active ? Form::FromHandle(active) : nullptr;
}

FontChild *MainForm::TargetFont() const {
    Form *active = ActiveChild();
    if (FontChild *font = dynamic_cast<FontChild *>(active)) return font;
    if (CharChild *ch = dynamic_cast<CharChild *>(active)) return ch->OwnerFont;
    return nullptr;
}

int MainForm::ChildCount() const {
    int n = 0;
    for (HWND w = client ? GetWindow(client, GW_CHILD) : nullptr; w; w = GetWindow(w, GW_HWNDNEXT))
        if (!GetWindow(w, GW_OWNER) && Form::FromHandle(w)) ++n;
    return n;
}

std::vector<FontChild *> MainForm::FontChildren() const {
    std::vector<FontChild *> fonts;
    for (HWND w = client ? GetWindow(client, GW_CHILD) : nullptr; w; w = GetWindow(w, GW_HWNDNEXT))
        if (FontChild *f = dynamic_cast<FontChild *>(Form::FromHandle(w))) fonts.push_back(f);
    return fonts;
}

FontChild *MainForm::OpenFontChild(const std::string &path) {
    if (!path.empty()) PushRecentFont(path);
    FontChild *font = new FontChild;
    font->FontFileName = path;
    // The caption counts the new window, which is not open yet.
    CreateChild(font, kFontClassName, path.empty() ? NewFontCaption(ChildCount() + 1) : path);
    if (!path.empty()) ReadWriteFontFile(font, false);
    SetPanel(kPanelFont, font->Caption());
    return font;
}

void MainForm::PushRecentFont(const std::string &path) {
    gRecentFonts.Push(path);
    RebuildRecentMenu();
}

// The recent items follow Exit behind a separator, one per entry.
void MainForm::RebuildRecentMenu() {
    const int fixed = sizeof kFileItems / sizeof kFileItems[0];
    while (GetMenuItemCount(filePopup_) > fixed) DeleteMenu(filePopup_, fixed, MF_BYPOSITION);
    if (gRecentFonts.Count() == 0) return;
    AppendMenuA(filePopup_, MF_SEPARATOR, 0, nullptr);
    for (int k = 0; k < gRecentFonts.Count(); ++k)
        AppendMenuA(filePopup_, MF_STRING, CM_OLD_INI1 + k, FileNamePart(gRecentFonts.entry[k]).c_str());
}

// --- Files.

bool MainForm::AskFontFile(bool save, std::string &path) {
    if (gAskFontFileOverride) return gAskFontFileOverride(save, path);
    char name[MAX_PATH] = "";
    if (save && path.size() < sizeof name) lstrcpynA(name, path.c_str(), sizeof name);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd;
    ofn.lpstrFilter = "Font files (*.ft)\0*.ft\0";
    ofn.lpstrFile = name;
    ofn.nMaxFile = sizeof name;
    ofn.lpstrDefExt = "ft";
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!(save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn))) return false;
    path = name;
    return true;
}

void MainForm::OpenFile() {
    std::string path;
    if (AskFontFile(false, path)) OpenFontChild(path);
}

bool MainForm::ReadWriteFontFile(FontChild *font, bool save) {
    if (!save) {
        if (StrokeFontFile::Read(font->FontFileName.c_str(), font->Chars) != kFontFileOk)
            MessageBoxA(hwnd, "Not a font file", "Error reading file", MB_OKCANCEL | MB_ICONERROR);
        return true;
    }
    switch (SaveFontReplacing(font->FontFileName, font->Chars, ReplaceWin32)) {
    case kFontFileOk: font->FontChanged = false; return true;
    case kFontFileCannotCreate:
        MessageBoxA(hwnd, "Not a font file", "Error reading file", MB_OKCANCEL | MB_ICONERROR);
        return false;
    default: {
        const std::string text = "The font could not be written to " + font->FontFileName +
                                 "\nThe file is as it was before; the changes are still in the window.";
        MessageBoxA(hwnd, text.c_str(), "Error writing file", MB_OK | MB_ICONERROR);
        return false;
    }
    }
}

bool MainForm::SaveFont(FontChild *font) {
    if (!font) return false;
    if (font->FontFileName.empty()) return SaveFontAs(font);
    return ReadWriteFontFile(font, true);
}

bool MainForm::SaveFontAs(FontChild *font) {
    if (!font) return false;
    std::string path = font->FontFileName;
    if (!AskFontFile(true, path)) return false;
    font->FontFileName = path;
    font->SetCaption(path);
    font->InvalidateChilds(-1, nullptr);  // their captions name the font
    SetPanel(kPanelFont, path);
    return SaveFont(font);
}

// --- Commands.

void MainForm::ForwardClipboardButton(int fontCommand, int charCommand) {
    Form *active = ActiveChild();
    if (dynamic_cast<FontChild *>(active)) active->FormCommand(fontCommand);
    else if (dynamic_cast<CharChild *>(active)) active->FormCommand(charCommand);
}

bool MainForm::FormCommand(int id) {
    switch (id) {
    case CM_FILE_NEW: OpenFontChild(""); return true;
    case CM_FILE_OPEN: OpenFile(); return true;
    case CM_FILE_CLOSE:
        if (Form *active = ActiveChild()) SendMessageA(active->hwnd, WM_CLOSE, 0, 0);
        return true;
    case CM_FILE_SAVE: SaveFont(TargetFont()); return true;
    case CM_FILE_SAVE_AS: SaveFontAs(TargetFont()); return true;
    case CM_FILE_EXIT: SendMessageA(hwnd, WM_CLOSE, 0, 0); return true;
    case CM_OLD_INI1:
    case CM_OLD_INI1 + 1:
    case CM_OLD_INI1 + 2:
    case CM_OLD_INI1 + 3: {
        // A copy: opening pushes the list under our feet.
        const std::string path = gRecentFonts.entry[id - CM_OLD_INI1];
        if (!path.empty()) OpenFontChild(path);
        return true;
    }
    case CM_CUT_BUTTON: ForwardClipboardButton(CM_CUT_FONT, CM_CUT_CHAR); return true;
    case CM_COPY_BUTTON: ForwardClipboardButton(CM_COPY_FONT, CM_COPY_CHAR); return true;
    case CM_PASTE_BUTTON: ForwardClipboardButton(CM_PASTE_FONT, CM_PASTE_CHAR); return true;
    case CM_WINDOW_CASCADE: SendMessageA(client, WM_MDICASCADE, 0, 0); return true;
    case CM_WINDOW_TILE: SendMessageA(client, WM_MDITILE, MDITILE_HORIZONTAL, 0); return true;
    case CM_WINDOW_ARRANGE: SendMessageA(client, WM_MDIICONARRANGE, 0, 0); return true;
    case CM_WINDOW_MINIMIZE: {
        std::vector<HWND> children;
        for (HWND w = GetWindow(client, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
            if (!GetWindow(w, GW_OWNER)) children.push_back(w);
        for (auto w = children.rbegin(); w != children.rend(); ++w) ShowWindow(*w, SW_MINIMIZE);
        return true;
    }
    case CM_HELP_CONTENTS: ShowHtmlHelp(helpFile, 1, 0); return true;  // contents
    case CM_HELP_SEARCH: ShowHtmlHelp(helpFile, 2, reinterpret_cast<DWORD_PTR>("")); return true;  // index
    case CM_HELP_ABOUT: ShowAboutBox(); return true;
    }
    // Everything else belongs to the active child.
    if (Form *active = ActiveChild()) return active->FormCommand(id);
    return false;
}

void MainForm::UpdateMenuItems() {
    const bool any = ChildCount() > 0;
    for (int id : kChildCommands) {
        EnableMenuItem(filePopup_, id, any ? MF_ENABLED : MF_GRAYED);
        EnableMenuItem(windowPopup_, id, any ? MF_ENABLED : MF_GRAYED);
    }
    for (int id : kChildButtons) speed.Enable(id, any);

    // The bar: File, the active child's menus, Window, Help.
    Form *active = ActiveChild();
    int kind = dynamic_cast<FontChild *>(active) ? 1 : dynamic_cast<CharChild *>(active) ? 2 : 0;
    if (kind == mergedKind_) return;
    mergedKind_ = kind;
    HMENU bar = CreateMenu();
    auto add = [&](HMENU popup, const MenuDef &def) {
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), def.caption);
    };
    add(filePopup_, kFrameMenus[0]);
    if (kind == 1) add(FontChild::menu, FontChild::kMenu);
    if (kind == 2)
        for (int i = 0; i < 3; ++i) add(CharChild::menus[i], CharChild::kMenus[i]);
    add(windowPopup_, kFrameMenus[1]);
    add(helpPopup_, kFrameMenus[2]);
    HMENU old = GetMenu(hwnd);
    SendMessageA(client, WM_MDISETMENU, reinterpret_cast<WPARAM>(bar), reinterpret_cast<LPARAM>(windowPopup_));
    DrawMenuBar(hwnd);
    // The popups live on: take them out of the old bar before it goes.
    if (old && old != bar) {
        while (GetMenuItemCount(old) > 0) RemoveMenu(old, 0, MF_BYPOSITION);
        DestroyMenu(old);
    }
}

bool MainForm::CloseAll() {
    for (FontChild *font : FontChildren())
        if (!font->FormCloseQuery()) return false;
    // Character windows first: they refer to their fonts.
    std::vector<HWND> chars, fonts;
    for (HWND w = GetWindow(client, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        Form *f = Form::FromHandle(w);
        if (dynamic_cast<CharChild *>(f)) chars.push_back(w);
        else if (dynamic_cast<FontChild *>(f)) fonts.push_back(w);
    }
    for (HWND w : chars) SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(w), 0);
    for (HWND w : fonts) SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(w), 0);
    return true;
}

bool MainForm::FormCloseQuery() {
    return CloseAll();
}

// --- Layout and messages.

void MainForm::FormResize() {
    SIZE size = ClientSize();
    if (speed.hwnd) MoveWindow(speed.hwnd, 0, 0, size.cx, kSpeedBarHeight, TRUE);
    int statusHeight = 0;
    if (status.hwnd) {
        SendMessageA(status.hwnd, WM_SIZE, 0, 0);
        RECT r;
        GetWindowRect(status.hwnd, &r);
        statusHeight = r.bottom - r.top;
        std::vector<int> widths = status.Widths();
        widths[0] = widths[1] = size.cx / 4;
        widths[2] = widths[3] = widths[4] = size.cx / 8;
        status.SetWidths(widths);
    }
    if (client) MoveWindow(client, 0, kSpeedBarHeight, size.cx, size.cy - kSpeedBarHeight - statusHeight, TRUE);
}

void MainForm::FormMouseMove(const MouseEvent &) {
    SetPanel(kPanelHint, "");
    SetPanel(kPanelPosition, "");
}

LRESULT MainForm::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefFrameProcA(hwnd, client, message, wParam, lParam);
}

LRESULT MainForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MENUSELECT: {
        const UINT flags = HIWORD(wParam);
        if (flags == 0xFFFF && !lParam) SetPanel(kPanelHint, "");
        else if (flags & MF_POPUP)
            SetPanel(kPanelHint, HintOfPopup(GetSubMenu(reinterpret_cast<HMENU>(lParam), LOWORD(wParam))));
        else {
            const int id = LOWORD(wParam);
            SetPanel(kPanelHint, id >= CM_OLD_INI1 && id < CM_OLD_INI1 + 4 ? kOldIniHint : HintOfCommand(id));
        }
        break;
    }
    case WM_NOTIFY: {
        NMHDR *header = reinterpret_cast<NMHDR *>(lParam);
        if (header->code == TTN_GETDISPINFOA) {
            NMTTDISPINFOA *info = reinterpret_cast<NMTTDISPINFOA *>(lParam);
            if (const char *tip = speed.Tooltip(static_cast<int>(header->idFrom)))
                info->lpszText = const_cast<char *>(tip);
            return 0;
        }
        // The buttons' long hints are empty.
        if (header->hwndFrom == speed.hwnd && header->code == TBN_HOTITEMCHANGE) SetPanel(kPanelHint, "");
        break;
    }
    case WM_DESTROY:
        gShowHint = nullptr;
        if (gMainForm == this) gMainForm = nullptr;
        if (quitOnDestroy) PostQuitMessage(0);
        break;
    }
    return Default(message, wParam, lParam);
}
