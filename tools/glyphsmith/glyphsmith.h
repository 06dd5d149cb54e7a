// Glyphsmith's windows: the multi-document main window, font windows (a
// 16 x 16 grid of a font's characters) and character windows (one
// character's strokes and points), and the three modal dialogs.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "forms.h"
#include "glyph_editor.h"

class FontChild;
class CharChild;

// Program-wide values, alive from start to exit.
extern std::string gStartupFontPath;
extern RecentFonts gRecentFonts;
extern CharWindowSettings gCharWindowDefaults;
extern FChar gCharClipboard;  // the program's own one-character clipboard
extern const char kRegistryPath[];
extern const char kFontClassName[], kCharClassName[];

// Replaces the open and save dialogs when set (tests): returns false for
// Cancel, else the chosen path.
extern bool (*gAskFontFileOverride)(bool save, std::string &path);

// Status panels.
enum { kPanelHint, kPanelFont, kPanelChar, kPanelStroke, kPanelPoint, kPanelPosition, kPanelCount };

class MainForm : public Form {
public:
    // Creates and shows the main window (reading the registry), then fills
    // the about texts and finishes the start-up.
    static MainForm *Create(HINSTANCE instance, int show);

    HINSTANCE instance = nullptr;
    HWND client = nullptr;  // the multi-document client
    StatusBar status;
    SpeedBar speed;
    std::string helpFile;
    bool quitOnDestroy = true;  // off in tests that create the window in-process

    // Accelerators of the frame and of the active child; true when the
    // message was a command.
    bool TranslateAccelerators(MSG *message);

    FontChild *OpenFontChild(const std::string &path);
    void PushRecentFont(const std::string &path);
    void FinishStartup();
    // The active child, and the font that Save and Save As act on.
    Form *ActiveChild() const;
    FontChild *TargetFont() const;
    int ChildCount() const;
    std::vector<FontChild *> FontChildren() const;
    // true when the font reached its file.
    bool SaveFont(FontChild *font);
    bool SaveFontAs(FontChild *font);
    bool ReadWriteFontFile(FontChild *font, bool save);
    // After every change of the active child: the children's menus merged
    // into the bar, and commands enabled when a child is open.
    void UpdateMenuItems();
    // Closes every window, asking each font first; false when one refused.
    bool CloseAll();
    void SetPanel(int panel, const std::string &text) { status.SetText(panel, text); }
    void CreateChild(Form *child, const char *className, const std::string &caption);

    HMENU recentPopup() const { return filePopup_; }

protected:
    void FormResize() override;
    void FormMouseMove(const MouseEvent &) override;
    bool FormCloseQuery() override;
    bool FormCommand(int id) override;
    LRESULT Default(UINT, WPARAM, LPARAM) override;
    LRESULT Handle(UINT, WPARAM, LPARAM) override;

private:
    void FormCreate();
    // The first client height: a font window of its first size fits whole.
    int FirstClientHeight() const;
    void FormClose() override;
    void RebuildRecentMenu();
    bool AskFontFile(bool save, std::string &path);
    void OpenFile();
    void ForwardClipboardButton(int fontCommand, int charCommand);

    HMENU filePopup_ = nullptr, windowPopup_ = nullptr, helpPopup_ = nullptr;
    HACCEL accelerators_ = nullptr;
    int mergedKind_ = -1;
};

extern MainForm *gMainForm;

class FontChild : public Form {
public:
    FontChild();
    ~FontChild() override;

    std::string FontFileName;
    int CellSize = kMinCell;
    int CurrentChar = 1;
    FChar Chars[kFontCharCount];
    bool FontChanged = false;
    std::vector<CharChild *> charWindows;

    void CorrectSize();
    RECT GetCellRect(int code) const;
    void DrawSelection(bool show);
    void ShowCharStatus();
    void InvalidateChar(int code, CharChild *except);
    // Code -1: every character window of this font.
    void InvalidateChilds(int code, CharChild *except);
    CharChild *OpenCharWindow(int code);
    // Draws the whole grid on any device context (also the tests').
    void Paint(HDC dc);
    bool FormCommand(int id) override;
    bool FormCloseQuery() override;
    void FormClose() override;

    static HMENU menu;          // the Edit popup, shared by all font windows
    static HACCEL accelerators;
    static const MenuDef kMenu;

protected:
    void FormPaint(HDC dc) override { Paint(dc); }
    void FormResize() override;
    void FormMouseDown(const MouseEvent &) override;
    void FormMouseMove(const MouseEvent &) override;
    void FormKeyDown(WORD key, bool shift) override;
    void FormActivate() override;
    LRESULT Default(UINT, WPARAM, LPARAM) override;
    LRESULT Handle(UINT, WPARAM, LPARAM) override;

private:
    void MarkChanged(int code);
    void Select(int code, bool status);
};

class CharChild : public Form {
public:
    CharChild(FontChild *font, int code);
    ~CharChild() override;

    int CharCode;
    FontChild *OwnerFont;
    CharEditor editor;
    bool DraggingPoint = false;
    bool creating = true;

    void UpdateCaption();
    void CorrectSize(bool resized);
    void ShowStrokeStatus(bool modified);
    void Paint(HDC dc);
    bool FormCommand(int id) override;

    static HMENU menus[3];  // Character, Stroke, Point
    static HACCEL accelerators;
    static const MenuDef kMenus[3];

protected:
    void FormPaint(HDC dc) override { Paint(dc); }
    void FormResize() override;
    void FormMouseDown(const MouseEvent &) override;
    void FormMouseMove(const MouseEvent &) override;
    void FormMouseUp(const MouseEvent &) override;
    void FormKeyDown(WORD key, bool shift) override;
    void FormActivate() override;
    LRESULT Default(UINT, WPARAM, LPARAM) override;

private:
    void SetMapping(Canvas &canvas);
    void Apply(EditEffect effect);
    void ShowCurrentPosition();
    void DisplayArea();
};

// The character edit dialog on a font's character: true when the user
// accepted and the character was replaced.
bool EditCharDefinition(FontChild *font, int code);
// The character window style dialog; true on OK with values read back.
bool EditCharWindowStyle(CharWindowSettings &values);
void ShowAboutBox();
// Fills the about texts from the program's version block.
void LoadAboutTexts();
