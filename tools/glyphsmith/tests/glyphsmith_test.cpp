// Glyphsmith under Wine: the main window created in-process and driven by
// commands, keys and clicks, its boxes and dialogs answered by a watcher
// thread; and the real program started on files, with the registry of the
// prefix.
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "glyph_fixture.h"
#include "glyphsmith.h"
#include "glyphsmith_ids.h"
#include "win32_modal.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ReadBytes(const std::string &path) {
    Bytes b;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::getc(f)) != EOF;) b.push_back(static_cast<unsigned char>(c));
        std::fclose(f);
    }
    return b;
}

void WriteBytes(const std::string &path, const Bytes &b) {
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    if (!b.empty()) std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}

Bytes Header() { return Bytes(StrokeFontFile::kHeader, StrokeFontFile::kHeader + kFontHeaderSize); }

// A fresh folder of the test's own, absolute, with a trailing backslash.
std::string Folder(const char *name) {
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    std::string folder = std::string(cwd) + "\\glyphsmith_scratch\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    folder += std::string(name) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void ClearRegistry() { SHDeleteKeyA(HKEY_CURRENT_USER, kRegistryPath); }

std::string RegistryValue(const char *section, const char *name) {
    RegistrySection key(kRegistryPath, section, false);
    std::string value = "<missing>";
    key.Read(name, value);
    return value;
}

void SetRegistryValue(const char *section, const char *name, const char *value) {
    RegistrySection key(kRegistryPath, section, true);
    key.Write(name, value);
}

// --- A watcher thread for boxes over dialogs that stay open.

struct FoundWindow {
    DWORD thread;
    HWND except;
    HWND found;
};

BOOL CALLBACK FindVisibleDialog(HWND w, LPARAM param) {
    FoundWindow *f = reinterpret_cast<FoundWindow *>(param);
    char cls[32];
    if (w != f->except && IsWindowVisible(w) && GetClassNameA(w, cls, sizeof cls) && !lstrcmpA(cls, "#32770")) {
        f->found = w;
        return FALSE;
    }
    return TRUE;
}

std::string TextOf(HWND w) {
    char text[2048];
    int n = GetWindowTextA(w, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

// The letter after the first single '&' ("&&" shows one '&'); 0: none.
char ShortcutLetter(const std::string &text) {
    for (size_t at = text.find('&'); at != std::string::npos && at + 1 < text.size(); at = text.find('&', at + 2))
        if (text[at + 1] != '&') return static_cast<char>(std::tolower(static_cast<unsigned char>(text[at + 1])));
    return 0;
}

// What a reader of a dialog finds wrong: a text wider or higher than its
// control (in the control's own font), a shortcut letter that two controls
// share. One line per fault.
std::vector<std::string> DialogFaults(HWND dialog) {
    std::vector<std::string> faults;
    std::map<char, std::string> letters;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(c, cls, sizeof cls);
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        const bool label = !lstrcmpiA(cls, "Static") && (style & SS_TYPEMASK) <= SS_RIGHT;
        const bool button = !lstrcmpiA(cls, "Button") && (style & BS_TYPEMASK) != BS_GROUPBOX;
        const std::string text = TextOf(c);
        if (text.empty() || !(label || button)) continue;
        if (const char letter = ShortcutLetter(text)) {
            if (letters.count(letter))
                faults.push_back("\"" + letters[letter] + "\" and \"" + text + "\" share '" + letter + "'");
            else
                letters[letter] = text;
        }
        RECT r;
        GetClientRect(c, &r);
        // Check boxes and radio buttons give part of their width to the box.
        const LONG kind = style & BS_TYPEMASK;
        const bool boxed = button && kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON;
        const int room = r.right - (label ? 0 : boxed ? 16 : 6);
        HDC dc = GetDC(c);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)));
        RECT need = {0, 0, room, 0};
        DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | (label ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(c, dc);
        if (need.right > room || need.bottom > r.bottom)
            faults.push_back("\"" + text + "\" needs " + std::to_string(need.right) + " x " +
                             std::to_string(need.bottom) + " pixels, has " + std::to_string(room) + " x " +
                             std::to_string(r.bottom));
    }
    return faults;
}

struct OwnedTooltip {
    HWND owner, found;
};

BOOL CALLBACK FindOwnedTooltip(HWND w, LPARAM param) {
    OwnedTooltip *t = reinterpret_cast<OwnedTooltip *>(param);
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpiA(cls, TOOLTIPS_CLASSA) || GetWindow(w, GW_OWNER) != t->owner) return TRUE;
    t->found = w;
    return FALSE;
}

std::string Joined(const std::vector<std::string> &lines) {
    std::string all;
    for (const std::string &line : lines) all += line + "\n";
    return all;
}

class Watcher {
public:
    explicit Watcher(std::function<void(Watcher &)> script) : thread_(GetCurrentThreadId()), script_(script) {
        handle_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~Watcher() { Join(); }
    void Join() {
        if (handle_) {
            WaitForSingleObject(handle_, 30000);
            CloseHandle(handle_);
            handle_ = nullptr;
        }
    }
    // The next visible dialog other than except; null after the timeout.
    HWND Wait(HWND except = nullptr) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(20)) {
            FoundWindow f = {thread_, except, nullptr};
            EnumThreadWindows(thread_, FindVisibleDialog, reinterpret_cast<LPARAM>(&f));
            if (f.found) {
                Sleep(50);  // texts are set while the box activates
                return f.found;
            }
        }
        return nullptr;
    }
    static void Press(HWND dialog, int id) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    static void WaitGone(HWND dialog) {
        for (DWORD start = GetTickCount(); IsWindow(dialog) && GetTickCount() - start < 10000;) Sleep(10);
    }
    // OK on a dialog that refuses its input: the text of the box it shows,
    // which is then answered; the dialog stays open.
    std::string RefusedOk(HWND dialog) {
        Press(dialog, IDOK);
        HWND box = Wait(dialog);
        if (!box) return "<no box>";
        std::string text = TextOf(GetDlgItem(box, 0xFFFF));
        Press(box, IDOK);
        WaitGone(box);
        return text;
    }

private:
    static DWORD WINAPI Run(LPVOID self) {
        Watcher *w = static_cast<Watcher *>(self);
        w->script_(*w);
        return 0;
    }
    DWORD thread_;
    std::function<void(Watcher &)> script_;
    HANDLE handle_;
};

// --- The main window in-process.

std::vector<std::string> gAnswers;  // paths the file dialogs return; "" cancels
int gAsked = 0;

bool AnswerFileDialog(bool, std::string &path) {
    ++gAsked;
    if (gAnswers.empty()) return false;
    std::string answer = gAnswers.front();
    gAnswers.erase(gAnswers.begin());
    if (answer.empty()) return false;
    path = answer;
    return true;
}

class Glyphsmith : public ::testing::Test {
protected:
    MainForm *main = nullptr;

    void SetUp() override {
        ClearRegistry();
        gRecentFonts = RecentFonts();
        gCharWindowDefaults = CharWindowSettings();
        gCharClipboard.Clear();
        gStartupFontPath.clear();
        gAnswers.clear();
        gAsked = 0;
        gAskFontFileOverride = AnswerFileDialog;
        Start();
    }
    void TearDown() override {
        if (gMainForm) {
            for (FontChild *f : gMainForm->FontChildren()) f->FontChanged = false;
            SendMessageA(gMainForm->hwnd, WM_CLOSE, 0, 0);
        }
        if (gMainForm) DestroyWindow(gMainForm->hwnd);
        Pump();
        gAskFontFileOverride = nullptr;
    }
    void Start() {
        main = MainForm::Create(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        main->quitOnDestroy = false;
        Pump();
    }
    static void Pump() {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (gMainForm && gMainForm->TranslateAccelerators(&m)) continue;
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    void Command(int id) {
        SendMessageA(main->hwnd, WM_COMMAND, id, 0);
        Pump();
    }
    // A key as the message loop sees it, with Shift and Ctrl in the
    // thread's key state.
    static void Key(HWND target, WORD key, bool shift = false, bool ctrl = false) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_SHIFT] = shift ? 0x80 : 0;
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(state);
        PostMessageA(target, WM_KEYDOWN, key, 1);
        Pump();
        state[VK_SHIFT] = state[VK_CONTROL] = 0;
        SetKeyboardState(state);
    }
    static void Click(HWND target, int x, int y, bool doubleClick, bool shift = false) {
        const WPARAM keys = MK_LBUTTON | (shift ? MK_SHIFT : 0);
        SendMessageA(target, doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, keys, MAKELPARAM(x, y));
        SendMessageA(target, WM_LBUTTONUP, shift ? MK_SHIFT : 0, MAKELPARAM(x, y));
        Pump();
    }
    std::string Panel(int i) const { return main->status.Text(i); }
    // What the status bar control itself shows (centred panels lead with a tab).
    std::string ShownPanel(int i) const {
        char text[256] = "";
        SendMessageA(main->status.hwnd, SB_GETTEXTA, i, reinterpret_cast<LPARAM>(text));
        return text[0] == '\t' ? text + 1 : text;
    }
    FontChild *ActiveFont() const { return dynamic_cast<FontChild *>(main->ActiveChild()); }
    CharChild *ActiveChar() const { return dynamic_cast<CharChild *>(main->ActiveChild()); }
    bool MenuEnabled(int id) const {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE;
        return GetMenuItemInfoA(GetMenu(main->hwnd), id, FALSE, &info) && !(info.fState & MFS_GRAYED);
    }
    std::vector<std::string> MenuBar() const {
        std::vector<std::string> captions;
        HMENU bar = GetMenu(main->hwnd);
        for (int i = 0; i < GetMenuItemCount(bar); ++i) {
            char text[64] = "";
            GetMenuStringA(bar, i, text, sizeof text, MF_BYPOSITION);
            captions.push_back(text);
        }
        return captions;
    }
    // Pixels of a colour when the window paints into a bitmap of its size.
    template <class Child>
    static int CountPixels(Child *child, COLORREF colour) {
        SIZE s = child->ClientSize();
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, s.cx, s.cy);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all = {0, 0, s.cx, s.cy};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        child->Paint(dc);
        int n = 0;
        for (int y = 0; y < s.cy; ++y)
            for (int x = 0; x < s.cx; ++x) n += GetPixel(dc, x, y) == colour;
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        return n;
    }
};

TEST_F(Glyphsmith, StartsEmptyWithItsMenusPanelsAndButtons) {
    EXPECT_EQ(main->Caption(), "Glyphsmith");
    EXPECT_EQ(main->ClientSize().cx, 501);
    EXPECT_GE(main->ClientSize().cy, 289);
    EXPECT_EQ(MenuBar(), (std::vector<std::string>{"&File", "&Window", "&Help"}));
    for (int id : {CM_FILE_CLOSE, CM_FILE_SAVE, CM_FILE_SAVE_AS, CM_WINDOW_TILE}) EXPECT_FALSE(MenuEnabled(id)) << id;
    EXPECT_TRUE(MenuEnabled(CM_FILE_NEW));
    for (int id : {CM_FILE_SAVE, CM_CUT_BUTTON, CM_COPY_BUTTON, CM_PASTE_BUTTON}) EXPECT_FALSE(main->speed.Enabled(id));
    EXPECT_TRUE(main->speed.Enabled(CM_FILE_OPEN));
    EXPECT_STREQ(main->speed.Tooltip(CM_FILE_EXIT), "Exit");
    // Panels 0 and 1 a quarter of the width, 2..4 an eighth, 5 as it was.
    const std::vector<int> widths = main->status.Widths();
    const int w = main->ClientSize().cx;
    EXPECT_EQ(widths, (std::vector<int>{w / 4, w / 4, w / 8, w / 8, w / 8, 50}));

    // A menu item's hint shows whole in panel 0.
    SendMessageA(main->hwnd, WM_MENUSELECT, MAKEWPARAM(CM_FILE_NEW, MF_STRING), reinterpret_cast<LPARAM>(main->recentPopup()));
    EXPECT_EQ(Panel(kPanelHint), "Create a new font file");
    EXPECT_EQ(ShownPanel(kPanelHint), "Create a new font file");

    Command(CM_FILE_NEW);
    // The first font window fits whole between the speed and status bars.
    ASSERT_NE(ActiveFont(), nullptr);
    RECT child, client;
    GetWindowRect(ActiveFont()->hwnd, &child);
    GetClientRect(main->client, &client);
    MapWindowPoints(main->client, nullptr, reinterpret_cast<POINT *>(&client), 2);
    EXPECT_GE(child.bottom - child.top, 283);
    EXPECT_GE(client.bottom, child.bottom);
    EXPECT_GE(client.right, child.right);
    EXPECT_LE(client.top, child.top);
    Command(CM_FILE_NEW);
    ASSERT_NE(ActiveFont(), nullptr);
    EXPECT_EQ(ActiveFont()->Caption(), "(No Name 2)");
    EXPECT_EQ(Panel(kPanelFont), "(No Name 2)");
    EXPECT_EQ(MenuBar(), (std::vector<std::string>{"&File", "&Edit", "&Window", "&Help"}));
    EXPECT_TRUE(MenuEnabled(CM_FILE_SAVE));
    EXPECT_TRUE(main->speed.Enabled(CM_PASTE_BUTTON));
    Command(CM_FILE_CLOSE);
    Command(CM_FILE_CLOSE);
    EXPECT_EQ(main->ChildCount(), 0);
    EXPECT_FALSE(MenuEnabled(CM_FILE_SAVE));
    EXPECT_EQ(MenuBar(), (std::vector<std::string>{"&File", "&Window", "&Help"}));
}

TEST_F(Glyphsmith, TwoStrokesDrawnByClicksAreSavedAndReadBack) {
    const std::string path = Folder("draw") + "drawn.ft";
    DeleteFileA(path.c_str());
    Command(CM_FILE_NEW);
    FontChild *font = ActiveFont();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->Caption(), "(No Name 1)");
    EXPECT_EQ(font->ClientSize().cx, 257);
    // 'Z' is code 90: column 10, row 5.
    Click(font->hwnd, 10 * 16 + 5, 5 * 16 + 5, false);
    EXPECT_EQ(font->CurrentChar, 90);
    EXPECT_EQ(Panel(kPanelChar), "Ch#90 = Z");
    Key(font->hwnd, VK_RETURN);
    CharChild *ch = ActiveChar();
    ASSERT_NE(ch, nullptr);
    EXPECT_EQ(ch->Caption(), "Ch#90 = Z (width = 0) from (No Name 1)");
    EXPECT_EQ(ch->ClientSize().cx, 161);
    EXPECT_EQ(ch->ClientSize().cy, 161);
    EXPECT_EQ(MenuBar(), (std::vector<std::string>{"&File", "&Character", "&Stroke", "&Point", "&Window", "&Help"}));
    EXPECT_EQ(Panel(kPanelStroke), "0 strokes");
    EXPECT_EQ(Panel(kPanelPoint), "");

    // Shift and a double click start a stroke; a double click adds a point.
    Click(ch->hwnd, 40, 120, true, true);
    EXPECT_EQ(Panel(kPanelStroke), "S#1 of 1");
    EXPECT_EQ(Panel(kPanelPoint), "P#1 of 1");
    EXPECT_EQ(Panel(kPanelPosition), "(0,0)");
    Click(ch->hwnd, 100, 120, true);
    EXPECT_EQ(Panel(kPanelPoint), "P#2 of 2");
    Click(ch->hwnd, 40, 20, true, true);
    Click(ch->hwnd, 100, 20, true);
    EXPECT_EQ(Panel(kPanelStroke), "S#2 of 2");
    EXPECT_EQ(ShownPanel(kPanelPoint), "P#2 of 2");
    EXPECT_EQ(Strokes(font->Chars[90]), "0,0 30,0|0,50 30,50");
    EXPECT_TRUE(font->FontChanged);

    // Save on a new font asks for a name (the character window is active).
    gAnswers = {path};
    Command(CM_FILE_SAVE);
    EXPECT_EQ(gAsked, 1);
    EXPECT_FALSE(font->FontChanged);
    EXPECT_EQ(font->Caption(), path);
    Pump();
    EXPECT_EQ(ch->Caption(), "Ch#90 = Z (width = 0) from " + path);  // follows at the next paint
    Bytes expected = Header();
    expected.insert(expected.end(), {90, 0, 0x80, 0, 0, 30, 0, 0x80, 0, 50, 30, 50, 0x80, 0x80, 0});
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(ReadBytes(path + ".tmp"), Bytes());

    // Closing the font closes its character window; Open reads it back.
    SendMessageA(font->hwnd, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(main->ChildCount(), 0);
    gAnswers = {path};
    Command(CM_FILE_OPEN);
    FontChild *again = ActiveFont();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Caption(), path);
    EXPECT_EQ(Strokes(again->Chars[90]), "0,0 30,0|0,50 30,50");
    EXPECT_FALSE(again->FontChanged);
    EXPECT_EQ(gRecentFonts.entry[0], path);
}

TEST_F(Glyphsmith, TheGridSizeKeysAndCharacterClipboard) {
    Command(CM_FILE_NEW);
    FontChild *font = ActiveFont();
    ASSERT_NE(font, nullptr);
    font->SetClientSize(300, 200);
    Pump();
    EXPECT_EQ(font->CellSize, 18);
    EXPECT_EQ(font->ClientSize().cx, 289);
    EXPECT_EQ(font->ClientSize().cy, 289);
    // 17 grey lines each way: a row between lines meets the 17 vertical ones.
    EXPECT_GE(CountPixels(font, RGB(128, 128, 128)), 2 * 17 * 289 - 17 * 17 - 8 * 18);

    struct Case {
        int from;
        WORD key;
        int to;
    } cases[] = {{15, VK_RIGHT, 15}, {16, VK_LEFT, 16}, {1, VK_LEFT, 1},     {16, VK_UP, 16},
                 {17, VK_UP, 1},     {239, VK_DOWN, 255}, {240, VK_DOWN, 240}, {33, VK_RIGHT, 34}};
    for (const Case &c : cases) {
        font->CurrentChar = c.from;
        Key(font->hwnd, c.key);
        EXPECT_EQ(font->CurrentChar, c.to) << c.from << " key " << c.key;
    }

    font->Chars['A'] = Glyph(5, {{{0, 0}, {20, 40}}});
    font->FontChanged = false;
    font->CurrentChar = 'A';
    // The pointer over a cell: its character and width in panel 0.
    SendMessageA(font->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(1 * 18 + 3, 4 * 18 + 3));
    EXPECT_EQ(Panel(kPanelHint), "Char #65 = A (width 5)");
    Key(font->hwnd, 'C', false, true);
    EXPECT_FALSE(font->FontChanged) << "Copy changes nothing";
    Key(font->hwnd, 'X', false, true);
    EXPECT_TRUE(font->Chars['A'].IsEmpty());
    EXPECT_TRUE(font->FontChanged);
    font->CurrentChar = 'B';
    Key(font->hwnd, 'V', false, true);
    EXPECT_EQ(font->Chars['B'].GetWidth(), 5);
    EXPECT_EQ(Strokes(font->Chars['B']), "0,0 20,40");
    // The speed buttons act on the active window the same way.
    font->CurrentChar = 'D';
    Command(CM_PASTE_BUTTON);
    EXPECT_EQ(Strokes(font->Chars['D']), "0,0 20,40");
    Key(font->hwnd, VK_DELETE, false, true);
    EXPECT_TRUE(font->Chars['D'].IsEmpty());
    EXPECT_GE(CountPixels(font, RGB(0, 0, 255)), 5) << "the pasted character is drawn in its cell";
}

TEST_F(Glyphsmith, CharacterWindowCommandsAndShortcuts) {
    Command(CM_FILE_NEW);
    FontChild *font = ActiveFont();
    ASSERT_NE(font, nullptr);
    font->Chars['A'] = Glyph(9, {{{0, 0}, {10, 0}}, {{120, 5}}});
    CharChild *ch = font->OpenCharWindow('A');
    Pump();
    ASSERT_EQ(ActiveChar(), ch);
    EXPECT_EQ(Panel(kPanelStroke), "S#1 of 2");
    EXPECT_EQ(Panel(kPanelPoint), "P#1 of 2");
    EXPECT_EQ(Panel(kPanelChar), "Ch#65 = A");

    // A new window is 161 square; a larger frame raises the zoom.
    EXPECT_EQ(ch->ClientSize().cx, 161);
    ch->SetClientSize(400, 300);
    Pump();
    EXPECT_EQ(ch->editor.settings.zoom, 3);
    EXPECT_EQ(ch->ClientSize().cx, 241);
    EXPECT_EQ(ch->ClientSize().cy, 241);

    Key(ch->hwnd, VK_TAB);  // Next stroke
    EXPECT_EQ(Panel(kPanelStroke), "S#2 of 2");
    Key(ch->hwnd, VK_RIGHT, true);  // 130 would leave the range
    EXPECT_EQ(Strokes(font->Chars['A']), "0,0 10,0|120,5");
    Key(ch->hwnd, VK_RIGHT);
    EXPECT_EQ(Strokes(font->Chars['A']), "0,0 10,0|121,5");
    EXPECT_EQ(Panel(kPanelPosition), "(121,5)");
    EXPECT_TRUE(font->FontChanged);
    Key(ch->hwnd, VK_TAB, true);  // Previous stroke
    EXPECT_EQ(Panel(kPanelStroke), "S#1 of 2");
    Key(ch->hwnd, 'N', false, true);  // Next point
    EXPECT_EQ(Panel(kPanelPoint), "P#2 of 2");
    Key(ch->hwnd, VK_INSERT);  // New point after the last
    EXPECT_EQ(Strokes(font->Chars['A']), "0,0 10,0 11,1|121,5");
    EXPECT_EQ(Panel(kPanelPoint), "P#3 of 3");
    Key(ch->hwnd, 'P', false, true);
    EXPECT_EQ(Panel(kPanelPoint), "P#2 of 3");
    Key(ch->hwnd, VK_DELETE);  // Delete point
    EXPECT_EQ(Strokes(font->Chars['A']), "0,0 11,1|121,5");
    Key(ch->hwnd, 'D', false, true);  // Stroke down
    EXPECT_EQ(Strokes(font->Chars['A']), "121,5|0,0 11,1");
    EXPECT_EQ(Panel(kPanelStroke), "S#2 of 2");
    Key(ch->hwnd, 'U', false, true);
    EXPECT_EQ(Strokes(font->Chars['A']), "0,0 11,1|121,5");
    Key(ch->hwnd, VK_INSERT, true);  // New stroke at (0, 0)
    EXPECT_EQ(Strokes(font->Chars['A']), "0,0 11,1|121,5|0,0");
    EXPECT_EQ(Panel(kPanelStroke), "S#3 of 3");
    Key(ch->hwnd, VK_DELETE, true);  // Delete stroke
    Key(ch->hwnd, VK_DELETE, true);
    Key(ch->hwnd, VK_DELETE, true);
    EXPECT_EQ(Strokes(font->Chars['A']), "");
    EXPECT_EQ(Panel(kPanelStroke), "0 strokes");
    // The menu items move by one unit; with nothing current they do nothing.
    Command(CM_POINT_LEFT);
    EXPECT_EQ(Strokes(font->Chars['A']), "");
    EXPECT_EQ(font->Chars['A'].GetWidth(), 9) << "deleting strokes keeps the width";
}

TEST_F(Glyphsmith, PickingAndDraggingAPoint) {
    Command(CM_FILE_NEW);
    FontChild *font = ActiveFont();
    font->Chars['b'] = Glyph(0, {{{0, 0}, {10, 0}}});
    CharChild *ch = font->OpenCharWindow('b');
    Pump();
    // Factory window: zoom 2, x from -20, y 60 at the top. (13, 0) is 3
    // units from the nearest point: too far for accuracy 2.
    Click(ch->hwnd, 66, 120, false);
    EXPECT_EQ(ch->editor.currentPoint, 0);
    EXPECT_FALSE(ch->DraggingPoint);
    SendMessageA(ch->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(64, 120));  // (12, 0)
    EXPECT_EQ(ch->editor.currentPoint, 1);
    EXPECT_TRUE(ch->DraggingPoint);
    EXPECT_EQ(Panel(kPanelPoint), "P#2 of 2");
    SendMessageA(ch->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(70, 100));  // to (15, 10)
    EXPECT_EQ(Panel(kPanelPosition), "(15,10)");
    SendMessageA(ch->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(70, 100));
    Pump();
    EXPECT_FALSE(ch->DraggingPoint);
    EXPECT_EQ(Strokes(font->Chars['b']), "0,0 15,10");

    // Marks and dots show: a red current point at zoom 2, 17 x 17 grid dots.
    EXPECT_GT(CountPixels(ch, RGB(255, 0, 0)), 0);
    font->Chars['b'].Clear();
    EXPECT_EQ(CountPixels(ch, RGB(192, 192, 192)), 17 * 17);
    ch->editor.settings.step = 1;
    EXPECT_EQ(CountPixels(ch, RGB(192, 192, 192)), 0);
}

TEST_F(Glyphsmith, TheTextFormIsEditedAndABadPairKeepsTheCharacter) {
    Command(CM_FILE_NEW);
    FontChild *font = ActiveFont();
    font->Chars['A'] = Glyph(7, {{{0, 0}, {10, 0}}, {{5, 5}}});
    font->CurrentChar = 'A';
    font->FontChanged = false;
    std::string shownCaption, shownWidth, shownStrokes, boxText;
    {
        Watcher w([&](Watcher &w) {
            HWND dialog = w.Wait();
            if (!dialog) return;
            shownCaption = TextOf(dialog);
            shownWidth = TextOf(GetDlgItem(dialog, IDC_WIDTH));
            shownStrokes = TextOf(GetDlgItem(dialog, IDC_STROKES));
            SetDlgItemTextA(dialog, IDC_STROKES, "1 2 3");
            boxText = w.RefusedOk(dialog);
            Watcher::Press(dialog, IDCANCEL);
        });
        Key(font->hwnd, 'E', false, true);
    }
    EXPECT_EQ(shownCaption, "Edit char #65 = A from (No Name 1)");
    EXPECT_EQ(shownWidth, "7");
    EXPECT_EQ(shownStrokes, "0 0 10 0\r\n5 5");
    EXPECT_EQ(boxText, "Line 1: 3 has no partner; points are pairs \"x y\"");
    EXPECT_EQ(Strokes(font->Chars['A']), "0,0 10,0|5,5");
    EXPECT_FALSE(font->FontChanged);

    ModalScript edit({ModalStep(IDOK, {{IDC_WIDTH, "12"}, {IDC_STROKES, "1 2 3 4\r\n\r\n-5 6"}})});
    Command(CM_FONT_EDIT_CHAR);
    ASSERT_EQ(edit.Results().size(), 1u);
    EXPECT_EQ(font->Chars['A'].GetWidth(), 12);
    EXPECT_EQ(Strokes(font->Chars['A']), "1,2 3,4|-5,6");
    EXPECT_TRUE(font->FontChanged);
}

TEST_F(Glyphsmith, TheStyleDialogChecksRangesAndSetsDefaults) {
    Command(CM_FILE_NEW);
    FontChild *font = ActiveFont();
    CharChild *ch = font->OpenCharWindow(70);
    Pump();
    std::string boxText, shownZoom;
    {
        Watcher w([&](Watcher &w) {
            HWND dialog = w.Wait();
            if (!dialog) return;
            shownZoom = TextOf(GetDlgItem(dialog, IDC_ZOOM));
            // No width to divide by: refused with a reason.
            SetDlgItemTextA(dialog, IDC_MAX_X, "-20");
            boxText = w.RefusedOk(dialog);
            SetDlgItemTextA(dialog, IDC_MAX_X, "40");
            SetDlgItemTextA(dialog, IDC_ZOOM, "abc");  // no number: keeps the window's
            SetDlgItemTextA(dialog, IDC_STEP, "10");
            SendDlgItemMessageA(dialog, IDC_NEW_DEFAULTS, BM_SETCHECK, BST_CHECKED, 0);
            Watcher::Press(dialog, IDOK);
        });
        Key(ch->hwnd, 'A', false, true);
    }
    EXPECT_EQ(shownZoom, "2");
    EXPECT_EQ(boxText, "The smallest x must be below the largest");
    EXPECT_EQ(ch->editor.settings.maxX, 40);
    EXPECT_EQ(ch->editor.settings.zoom, 2);
    EXPECT_EQ(ch->ClientSize().cx, 60 * 2 + 1);
    EXPECT_EQ(gCharWindowDefaults.step, 10);

    // Factory defaults apply at once, even when the dialog is cancelled.
    {
        Watcher w([&](Watcher &w) {
            HWND dialog = w.Wait();
            if (!dialog) return;
            Watcher::Press(dialog, IDC_FACTORY);
            Sleep(100);
            Watcher::Press(dialog, IDCANCEL);
        });
        Command(CM_DISPLAY_AREA);
    }
    EXPECT_EQ(gCharWindowDefaults.step, 5);
    EXPECT_EQ(gCharWindowDefaults.maxX, 60);
    EXPECT_EQ(ch->editor.settings.maxX, 40) << "Cancel leaves the window as it was";
}

// Each dialog as a user reads it: every text whole, no shortcut letter twice.
TEST_F(Glyphsmith, EveryDialogShowsItsTextsWholeAndEachShortcutOnce) {
    Command(CM_FILE_NEW);
    FontChild *font = ActiveFont();
    ASSERT_NE(font, nullptr);
    font->OpenCharWindow('A');
    Pump();
    struct Case {
        int command;
        int close;
        const char *name;
    } cases[] = {{CM_DISPLAY_AREA, IDCANCEL, "style"}, {CM_EDIT_CHAR, IDCANCEL, "edit"}, {CM_HELP_ABOUT, IDOK, "about"}};
    for (const Case &c : cases) {
        std::vector<std::string> faults = {"<no dialog>"};
        {
            Watcher w([&](Watcher &w) {
                HWND dialog = w.Wait();
                if (!dialog) return;
                faults = DialogFaults(dialog);
                Watcher::Press(dialog, c.close);
            });
            Command(c.command);
        }
        EXPECT_TRUE(faults.empty()) << c.name << ":\n" << Joined(faults);
    }
}

// What the about box shows on the screen: its labels in their colours on a
// raised panel, the links blue and underlined with their tooltips.
TEST_F(Glyphsmith, TheAboutBoxShowsItsLabelsOnARaisedPanelAndItsLinksAsLinks) {
    struct Label {
        int id;
        std::string text;
        LOGFONTA font;
        COLORREF colour;
        int shownPixels;  // of its colour inside its rectangle on the screen
    };
    std::vector<Label> labels = {{IDC_ABOUT_NAME},  {IDC_ABOUT_VERSION}, {IDC_ABOUT_COPYRIGHT},
                                 {IDC_ABOUT_BUGS},  {IDC_ABOUT_EMAIL},   {IDC_ABOUT_HOMEPAGE}};
    std::string caption, mailTip, homeTip;
    SIZE client = {}, icon = {};  // pixels
    bool hasIcon = false, labelsOnPanel = true;
    COLORREF panelTop = 0, panelBottom = 0, panelLeft = 0, panelRight = 0;
    {
        Watcher w([&](Watcher &w) {
            HWND dialog = w.Wait();
            if (!dialog) return;
            Sleep(500);  // painted
            caption = TextOf(dialog);
            RECT r;
            GetClientRect(dialog, &r);
            client = {r.right, r.bottom};
            HWND picture = GetDlgItem(dialog, IDC_ABOUT_ICON);
            GetWindowRect(picture, &r);
            icon = {r.right - r.left, r.bottom - r.top};
            hasIcon = SendMessageA(picture, STM_GETICON, 0, 0) != 0;
            RECT panel;
            GetWindowRect(GetDlgItem(dialog, IDC_ABOUT_PANEL), &panel);
            HDC screen = GetDC(nullptr);
            const int midX = (panel.left + panel.right) / 2, midY = (panel.top + panel.bottom) / 2;
            panelTop = GetPixel(screen, midX, panel.top);
            panelLeft = GetPixel(screen, panel.left, midY);
            panelBottom = GetPixel(screen, midX, panel.bottom - 1);
            panelRight = GetPixel(screen, panel.right - 1, midY);
            HDC memory = CreateCompatibleDC(screen);
            for (Label &l : labels) {
                HWND control = GetDlgItem(dialog, l.id);
                l.text = TextOf(control);
                GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof l.font, &l.font);
                // The colour the dialog gives the label's text.
                SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(memory),
                             reinterpret_cast<LPARAM>(control));
                l.colour = GetTextColor(memory);
                GetWindowRect(control, &r);
                RECT inside;
                labelsOnPanel = labelsOnPanel && IntersectRect(&inside, &r, &panel) && EqualRect(&inside, &r);
                l.shownPixels = 0;
                for (int y = r.top; y < r.bottom; ++y)
                    for (int x = r.left; x < r.right; ++x) l.shownPixels += GetPixel(screen, x, y) == l.colour;
            }
            DeleteDC(memory);
            ReleaseDC(nullptr, screen);
            // The tooltips of the link labels, from the dialog's tooltip control.
            OwnedTooltip tips = {dialog, nullptr};
            EnumThreadWindows(GetWindowThreadProcessId(dialog, nullptr), FindOwnedTooltip,
                              reinterpret_cast<LPARAM>(&tips));
            auto tipOf = [&](int id) {
                char text[1024] = "";
                TTTOOLINFOA tool = {};
                tool.cbSize = TTTOOLINFOA_V2_SIZE;
                tool.hwnd = dialog;
                tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
                tool.lpszText = text;
                if (tips.found) SendMessageA(tips.found, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
                return std::string(text);
            };
            mailTip = tipOf(IDC_ABOUT_EMAIL);
            homeTip = tipOf(IDC_ABOUT_HOMEPAGE);
            Watcher::Press(dialog, IDOK);
        });
        Command(CM_HELP_ABOUT);
    }
    EXPECT_EQ(caption, "About Glyphsmith");
    EXPECT_EQ(client.cx, 414);  // its height follows the dialog font's
    EXPECT_TRUE(hasIcon);
    EXPECT_EQ(icon.cx, 39);
    EXPECT_EQ(icon.cy, 39);
    // Raised: light above and left, shadow below and right.
    EXPECT_EQ(panelTop, GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(panelLeft, GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(panelBottom, GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(panelRight, GetSysColor(COLOR_BTNSHADOW));
    EXPECT_TRUE(labelsOnPanel);
    struct Look {
        COLORREF colour;
        bool bold, underline;
        const char *face;  // null: the dialog's
    } looks[] = {
        {RGB(0, 128, 128), true, false, nullptr}, {RGB(0, 128, 0), false, false, nullptr},
        {RGB(0, 0, 128), false, false, nullptr},  {RGB(255, 0, 0), false, false, nullptr},
        {RGB(0, 0, 255), false, true, "Courier New"}, {RGB(0, 0, 255), false, true, "Courier New"},
    };
    for (size_t i = 0; i < labels.size(); ++i) {
        const Label &l = labels[i];
        SCOPED_TRACE(l.text);
        EXPECT_EQ(l.colour, looks[i].colour);
        EXPECT_EQ(l.font.lfWeight >= FW_BOLD, looks[i].bold);
        EXPECT_EQ(l.font.lfUnderline != 0, looks[i].underline);
        if (looks[i].face) EXPECT_STREQ(l.font.lfFaceName, looks[i].face);
        // Drawn, and not covered by the panel.
        EXPECT_GT(l.shownPixels, 20);
    }
    EXPECT_EQ(labels[0].text, "Glyphsmith");
    EXPECT_EQ(labels[1].text, "1.00");
    EXPECT_EQ(mailTip, "Click to send me a message");
    EXPECT_EQ(homeTip, "Click to open my home page");
}

// The character window's caption names its character and the whole path of
// its font, however long.
TEST_F(Glyphsmith, ACharacterWindowCaptionHoldsTheWholePathOfItsFont) {
    std::string path = Folder("caption");
    for (const char *name : {"a folder whose name is rather long\\", "and another one below it\\"}) {
        path += name;
        CreateDirectoryA(path.c_str(), nullptr);
    }
    path += "a font with a long name.ft";
    Bytes empty = Header();
    empty.push_back(0);
    WriteBytes(path, empty);
    gAnswers = {path};
    Command(CM_FILE_OPEN);
    FontChild *font = ActiveFont();
    ASSERT_NE(font, nullptr);
    CharChild *ch = font->OpenCharWindow('g');
    Pump();
    const std::string expected = "Ch#103 = g (width = 0) from " + path;
    ASSERT_GT(expected.size(), 160u);
    char text[1024] = "";
    GetWindowTextA(ch->hwnd, text, sizeof text);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(ch->Caption(), expected);
}

TEST_F(Glyphsmith, YesToSaveChangesKeepsTheWindowWhenTheSaveDoesNotHappen) {
    Command(CM_FILE_NEW);
    FontChild *font = ActiveFont();
    font->Chars['q'] = Glyph(3, {{{1, 1}}});
    font->FontChanged = true;
    // Yes, then the Save As dialog cancelled: the window and its changes stay.
    gAnswers = {""};
    ModalAnswerer yes(IDYES, 10000);
    Command(CM_FILE_CLOSE);
    const ModalCapture &box = yes.Result();
    EXPECT_EQ(box.caption, "Font has changed");
    EXPECT_EQ(box.text, "Save changes to (No Name 1)");
    EXPECT_EQ(main->ChildCount(), 1);
    EXPECT_TRUE(font->FontChanged);
    EXPECT_EQ(font->FontFileName, "");

    // A name that cannot be replaced (a folder of that name): the message,
    // nothing left behind, the window and its changes kept.
    const std::string path = Folder("unreplaceable") + "taken.ft";
    CreateDirectoryA(path.c_str(), nullptr);
    font->FontFileName = path;
    ModalScript answers({ModalStep(IDYES), ModalStep(IDOK)}, 10000);
    Command(CM_FILE_CLOSE);
    ASSERT_EQ(answers.Results().size(), 2u);
    EXPECT_EQ(answers.Results()[1].caption, "Error writing file");
    EXPECT_EQ(main->ChildCount(), 1);
    EXPECT_TRUE(font->FontChanged);
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(GetFileAttributesA((path + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);

    // No closes without saving.
    ModalAnswerer no(IDNO, 10000);
    Command(CM_FILE_CLOSE);
    no.Result();
    EXPECT_EQ(main->ChildCount(), 0);
}

TEST_F(Glyphsmith, AFileThatIsNotAFontIsReportedAndTheWindowStaysEmpty) {
    const std::string path = Folder("bad") + "crlf.ft";
    Bytes crlf(StrokeFontFile::kHeader, StrokeFontFile::kHeader + kFontHeaderSize - 1);
    crlf.insert(crlf.end(), {'\r', '\n', 0});
    WriteBytes(path, crlf);
    gAnswers = {path};
    ModalAnswerer ok(IDOK, 10000);
    Command(CM_FILE_OPEN);
    EXPECT_EQ(ok.Result().text, "Not a font file");
    EXPECT_EQ(ok.Result().caption, "Error reading file");
    ASSERT_NE(ActiveFont(), nullptr);
    EXPECT_EQ(ActiveFont()->Caption(), path);
}

TEST_F(Glyphsmith, RecentFontsFillTheFileMenuAndTheRegistry) {
    const std::string dir = Folder("recent");
    Bytes empty = Header();
    empty.push_back(0);
    for (const char *name : {"A.ft", "B.ft", "C.ft", "D.ft"}) WriteBytes(dir + name, empty);
    for (const char *name : {"D.ft", "C.ft", "B.ft", "A.ft", "c.FT"}) {
        gAnswers = {dir + name};
        Command(CM_FILE_OPEN);
    }
    char text[64];
    GetMenuStringA(main->recentPopup(), CM_OLD_INI1, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "c.FT");
    GetMenuStringA(main->recentPopup(), CM_OLD_INI1 + 3, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "D.ft");
    // The second recent item opens A again.
    Command(CM_OLD_INI1 + 1);
    EXPECT_EQ(ActiveFont()->Caption(), dir + "A.ft");
    EXPECT_EQ(gRecentFonts.entry[0], dir + "A.ft");
    SendMessageA(main->hwnd, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(gMainForm, nullptr);
    EXPECT_EQ(RegistryValue("Previous", "0"), dir + "A.ft");
    EXPECT_EQ(RegistryValue("Previous", "1"), dir + "c.FT");
    EXPECT_EQ(RegistryValue("Previous", "3"), dir + "D.ft");
    EXPECT_EQ(RegistryValue("Options", "Zoom0"), "2");
    EXPECT_EQ(RegistryValue("Options", "MinX0"), "-20");
}

// --- The real program.

std::string ProgramPath() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string exe(self);
    exe.erase(exe.find_last_of('\\') + 1);
    return exe + GLYPHSMITH_EXE;
}

struct FindMain {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindProcessMain(HWND w, LPARAM param) {
    FindMain *f = reinterpret_cast<FindMain *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[64];
    if (pid == f->process && GetClassNameA(w, cls, sizeof cls) && !lstrcmpA(cls, "GlyphsmithMain")) {
        f->found = w;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectChildCaptions(HWND w, LPARAM param) {
    char cls[64];
    if (GetClassNameA(w, cls, sizeof cls) && !lstrcmpA(cls, "GlyphsmithFont"))
        reinterpret_cast<std::vector<std::string> *>(param)->push_back(TextOf(w));
    return TRUE;
}

// Starts the program on a command line, reads the captions of its main and
// font windows, closes it and waits; false when it did not start or end.
bool RunProgram(const std::string &arguments, std::string &caption, std::vector<std::string> &fonts) {
    std::string line = "\"" + ProgramPath() + "\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    WaitForInputIdle(pi.hProcess, 20000);
    FindMain f = {pi.dwProcessId, nullptr};
    for (DWORD start = GetTickCount(); !f.found && GetTickCount() - start < 20000; Sleep(50))
        EnumWindows(FindProcessMain, reinterpret_cast<LPARAM>(&f));
    bool ended = false;
    if (f.found) {
        Sleep(200);
        caption = TextOf(f.found);
        EnumChildWindows(f.found, CollectChildCaptions, reinterpret_cast<LPARAM>(&fonts));
        PostMessageA(f.found, WM_COMMAND, CM_FILE_EXIT, 0);
        ended = WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0;
    }
    if (!ended) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ended;
}

TEST(GlyphsmithProgram, OpensItsCommandLineAndKeepsRecentFontsInTheRegistry) {
    ClearRegistry();
    const std::string dir = Folder("program");
    Bytes font = Header();
    font.insert(font.end(), {'x', 20, 0x80, 0, 0, 20, 20, 0x80, 0x80, 0});
    for (const char *name : {"A.ft", "B.ft", "C.ft", "D.ft", "with blank.ft"}) WriteBytes(dir + name, font);
    std::string caption;
    for (const char *name : {"D.ft", "C.ft", "B.ft", "A.ft"}) {
        std::vector<std::string> fonts;
        ASSERT_TRUE(RunProgram("\"" + dir + name + "\"", caption, fonts)) << name;
        EXPECT_EQ(caption, "Glyphsmith");
        EXPECT_EQ(fonts, std::vector<std::string>{dir + name});
    }
    // A (newest), B, C, D; opening C gives C, A, B, D. A zoom default that
    // is no number keeps 2.
    SetRegistryValue("Options", "Zoom0", "abc");
    SetRegistryValue("Options", "MaxX0", "-20");  // no range: the defaults stay
    std::vector<std::string> fonts;
    ASSERT_TRUE(RunProgram("\"" + dir + "C.ft\"", caption, fonts));
    EXPECT_EQ(RegistryValue("Previous", "0"), dir + "C.ft");
    EXPECT_EQ(RegistryValue("Previous", "1"), dir + "A.ft");
    EXPECT_EQ(RegistryValue("Previous", "2"), dir + "B.ft");
    EXPECT_EQ(RegistryValue("Previous", "3"), dir + "D.ft");
    EXPECT_EQ(RegistryValue("Options", "Zoom0"), "2");
    EXPECT_EQ(RegistryValue("Options", "MaxX0"), "60");

    // Unquoted, the whole rest of the line is the path, blank included.
    fonts.clear();
    ASSERT_TRUE(RunProgram(dir + "with blank.ft", caption, fonts));
    EXPECT_EQ(fonts, std::vector<std::string>{dir + "with blank.ft"});
}

}  // namespace
